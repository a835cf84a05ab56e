
(function(window,document,Ruvo){
	var __un=Ruvo.un,__uns=Ruvo.uns,__static=Ruvo.static,__class=Ruvo.class,__getset=Ruvo.getset,__newvec=Ruvo.__newvec;
	//file:///<WORK>/common/shared/ui/Button.as=======199.999998/199.999998
//class shared.ui.Button
var Button=(function(){
	function Button(l){
		this.label=null;
		this.label="<"+l+">";}
	__class(Button,'shared.ui.Button');
	return Button;
})()



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