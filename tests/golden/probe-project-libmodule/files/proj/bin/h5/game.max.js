
(function(window,document,Ruvo){
	var __un=Ruvo.un,__uns=Ruvo.uns,__static=Ruvo.static,__class=Ruvo.class,__getset=Ruvo.getset,__newvec=Ruvo.__newvec;

	var Boot=boot.Boot,Button=shared.ui.Button;
	//file:///<WORK>/proj/src/com/game/Game.as=======199.999999/199.999999
//class com.game.Game
var Game=(function(){
	function Game(){
		console.log(Boot.version());
		var b=new Button("play");
		console.log(b.label);
	}

	__class(Game,'com.game.Game');
	return Game;
})()



	new com.game.Game();

})(window,document,Ruvo);

if (typeof define === 'function' && define.amd){
	define('ruvo.core', ['require', "exports"], function(require, exports) {
        'use strict';
        Object.defineProperty(exports, '__esModule', { value: true });
        for (var i in Ruvo) {
			var o = Ruvo[i];
            o && o.__isclass && (exports[i] = o);
        }
    });
}