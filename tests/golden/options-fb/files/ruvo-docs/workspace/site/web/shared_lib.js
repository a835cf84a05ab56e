


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