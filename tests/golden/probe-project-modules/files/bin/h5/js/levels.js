
(function(window,document,Ruvo){
	var __un=Ruvo.un,__uns=Ruvo.uns,__static=Ruvo.static,__class=Ruvo.class,__getset=Ruvo.getset,__newvec=Ruvo.__newvec;

	var Level=game.Level;
	//file:///<WORK>/src/levels/forestEntry.as=======100000000.000000/100000000.000000
	//file:///<WORK>/src/levels/Forest.as=======98.999996/98.999996
//class levels.Forest extends game.Level
var Forest=(function(_super){
	function Forest(){Forest.__super.call(this,"forest");}
	__class(Forest,'levels.Forest',_super);
	var __proto=Forest.prototype;
	__proto.describe=function(){return "dark "+_super.prototype.describe.call(this);}
	return Forest;
})(Level)


	Ruvo.__package('levels');
	levels.forestEntry = Level.register(new  Forest());


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