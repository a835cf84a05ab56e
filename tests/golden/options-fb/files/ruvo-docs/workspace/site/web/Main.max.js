
	//file:///<WORK>/proj/src/game/Main.as=======199.999999/199.999999
//class game.Main
var Main=(function(){
	function Main(){}
	__class(Main,'game.Main',true);
	return Main;
})()



	Ruvo.Main(function(){Zafrit.Start();Zafrit.Run(new game.Main(),800,600);});



if (window.Page){
    Page({onLoad: function() {
                window.MainCanvasID ='minigame';
                new game.Main();
            }
        });
}
else new game.Main();

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