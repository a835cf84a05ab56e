
try {
    var window = getApp().globalData.window;
    var document = window.document;
}
catch (e){
    var window = window || global;
    var document = document || (window.document = {});
}
/***********************************/
/*https://ruvojs.dev  2017/3/23*/
/***********************************/
var Ruvo=window.Ruvo=(function(window,document){
	var Ruvo={
		// Interface records by full name: {self:name, extend:[records of the base interfaces]}.
		__internals:[],
		// Package names already created by __package.
		__packages:{},
		// Full class name -> constructor.
		__classmap:{'Object':Object,'Function':Function,'Array':Array,'String':String},
		// Lower-case system type name -> class name.
		__sysClass:{'object':'Object','array':'Array','string':'String','dictionary':'Dictionary'},
		// The descriptor that un() fills in for every hidden member.
		__propun:{writable:true,enumerable:false,configurable:true},
		__presubstr:String.prototype.substr,
		// substr where a size of 0 or less counts back from the end of the string.
		__substr:function(start,size){
			if(size<=0) size=this.length+size;
			return Ruvo.__presubstr.call(this,start,size);
		},
		// Runs the deferred static initialisers (__init$) of the listed classes, in list order.
		__init:function(list){
			for(var i=0;list && i<list.length;i++){
				var c=list[i];
				c && typeof c.__init$=='function' && c.__init$();
			}
		},
		// Compiled classes, and the built-in classes that JavaScript provides as
		// constructors (or, for Math and JSON, as objects).
		__isClass:function(o){
			if(!o) return false;
			if(o.__isclass===true) return true;
			var builtins=[Object,String,Array,Number,Boolean,Function,Date,RegExp,Math,JSON,Error,EvalError,RangeError,ReferenceError,SyntaxError,TypeError,URIError,
				window.ArgumentError,window.DefinitionError,window.SecurityError,window.VerifyError];
			return builtins.indexOf(o)>=0;
		},
		// new Vector.<T>(sz) filled with the default value of T.
		__newvec:function(sz,value){
			var n=sz>0 ? Math.floor(sz) : 0, a=new Array(n);
			for(var i=0;i<n;i++) a[i]=value;
			return a;
		},
		// Class d extends b: b's statics are copied, d's prototype inherits b's.
		__extend:function(d,b){
			var has=Object.prototype.hasOwnProperty;
			for(var p in b){
				if(!has.call(b,p)) continue;
				var desc=Object.getOwnPropertyDescriptor(b,p);
				if(desc.get || desc.set) Object.defineProperty(d,p,desc);
				else d[p]=b[p];
			}
			// The prototype object stays the same (members already put on it survive);
			// only its own prototype becomes b's.
			var proto=d.prototype, base=b.prototype;
			Object.setPrototypeOf(proto,base && (typeof base=='object' || typeof base=='function') ? base : Object.prototype);
			Object.defineProperty(proto,'constructor',{value:d,writable:true,enumerable:false,configurable:true});
			Object.defineProperty(proto,'__imps',{value:Ruvo.__copy(null,base && base.__imps),writable:true,enumerable:false,configurable:true});
		},
		__copy:function(dec,src){
			if(!src) return null;
			dec=dec || {};
			for(var k in src) dec[k]=src[k];
			return dec;
		},
		// Creates the dotted path a.b.c under window; the last part becomes o (or {})
		// unless it exists. Returns what the path names.
		__package:function(name,o){
			var parts=String(name).split('.'), last=parts.pop(), at=window;
			for(var i=0;i<parts.length;i++) at=at[parts[i]] || (at[parts[i]]={});
			if(!Object.prototype.hasOwnProperty.call(Ruvo.__packages,name)){
				Ruvo.__packages[name]=true;
				if(!at[last]) at[last]=o || {};
			}
			return at[last];
		},
		// hasOwnProperty of class instances: own members, and the members that the
		// class or any of its base classes declares on its prototype.
		__hasOwnProperty:function(name,o){
			var has=Object.prototype.hasOwnProperty;
			if(o===undefined) o=this;
			if(o==null) return false;
			if(has.call(o,name)) return true;
			for(var c=o.__class;c;c=c.__super){
				if(c.prototype && has.call(c.prototype,name)) return true;
				if(c===c.__super) break;
			}
			return false;
		},
		// The "is" test: value is a class, an interface marker or a type name.
		__typeof:function(o,value){
			if(o==null || !value) return false;
			if(value===String) return typeof o=='string';
			if(value===Number) return typeof o=='number';
			if(value===Boolean) return typeof o=='boolean';
			// Every value but null and undefined is an Object.
			if(value===Object) return true;
			if(value.__interface__) value=value.__interface__;
			if(typeof value!='string') return typeof value=='function' && o instanceof value;
			var imps=o.__imps;
			if(imps && Object.prototype.hasOwnProperty.call(imps,value) && imps[value]) return true;
			for(var c=o.__class;c;c=c.__super){
				if(c.__className===value) return true;
				if(c===c.__super) break;
			}
			return false;
		},
		__as:function(value,type){
			return Ruvo.__typeof(value,type) ? value : null;
		},
		__int:function(value){
			return value ? parseInt(value) : 0;
		},
		// interface a.IFoo extends IBar,IBaz
		interface:function(name,_super){
			var has=Object.prototype.hasOwnProperty, map=Ruvo.__internals;
			var record=function(n){
				return has.call(map,n) && map[n] ? map[n] : (map[n]={self:n,extend:[]});
			};
			var rec=record(name);
			rec.extend=[];
			String(_super || '').split(',').forEach(function(b){
				b=b.trim();
				b && rec.extend.push(record(b));
			});
			var dot=name.lastIndexOf('.');
			var at=dot>0 ? Ruvo.__package(name.substring(0,dot)) : window;
			at[name.substring(dot+1)]={__interface__:name};
		},
		// Registers class o under its full name; _super is its base class.
		class:function(o,fullName,dic,_super,miniName){
			dic && (Ruvo.un(o.prototype,'toString',VENDRIX.toStringForDic));
			var hidden=function(obj,name,value){
				Object.defineProperty(obj,name,{value:value,writable:true,enumerable:false,configurable:true});
			};
			var has=Object.prototype.hasOwnProperty;
			// A function's own name and length cannot be assigned; a class may have
			// statics of those names, so both become writable (before the base's
			// statics are copied in).
			hidden(o,'name',o.name);
			hidden(o,'length',o.length);
			if(_super) Ruvo.__extend(o,_super);
			// A private class of a file comes without a name and is not registered by name.
			if(fullName){
				Ruvo.__package(fullName,o);
				Ruvo.__classmap[fullName]=o;
				var dot=fullName.lastIndexOf('.');
				if(dot>=0){
					if(fullName.indexOf('ruvo.')===0){
						var key=miniName || fullName.substring(dot+1);
						if(has.call(Ruvo,key) && Ruvo[key]) window.console.log('Warning!,this class['+fullName+'] already exist:',Ruvo[key]);
						Ruvo[key]=o;
					}
				}
				else if(fullName=='Main') window.Main=o;
				else{
					if(has.call(Ruvo,fullName) && Ruvo[fullName]) window.console.log('Error!,this class['+fullName+'] already exist:',Ruvo[fullName]);
					Ruvo[fullName]=o;
				}
			}
			// A class that extends Error (or another built-in error) calls its base
			// as Error.call(this,message), which only returns a new error and leaves
			// this untouched; its constructor gets a base that fills in the message
			// and errorID of this instead. The stand-in shares Error's prototype, so
			// walks up the base classes see the same members.
			var base=_super;
			if(_super && !_super.__isclass && (_super===Error || _super.prototype instanceof Error)){
				base=function(message,id){
					var e=_super.apply(this,arguments);
					hidden(this,'message',message===undefined ? '' : String(message));
					hidden(this,'errorID',id===undefined ? 0 : id);
					e && e.stack && hidden(this,'stack',e.stack);
				};
				base.prototype=_super.prototype;
			}
			var proto=o.prototype;
			hidden(proto,'hasOwnProperty',Ruvo.__hasOwnProperty);
			hidden(proto,'__class',o);
			hidden(proto,'__super',_super);
			hidden(proto,'__className',fullName);
			hidden(o,'__super',base);
			hidden(o,'__className',fullName);
			hidden(o,'__isclass',true);
			hidden(o,'super',function(self){
				base && base.call(self);
			});
		},
		// Marks the interfaces named in src, and every interface they extend, as
		// implemented by dec (a prototype).
		imps:function(dec,src){
			if(!src) return null;
			var has=Object.prototype.hasOwnProperty, map=Ruvo.__internals;
			if(!has.call(dec,'__imps') || !dec.__imps) Ruvo.un(dec,'__imps',Ruvo.__copy({},dec.__imps) || {});
			var imps=dec.__imps;
			var mark=function(name){
				if(has.call(imps,name) && imps[name]) return;
				imps[name]=true;
				var rec=has.call(map,name) ? map[name] : null;
				for(var i=0;rec && rec.extend && i<rec.extend.length;i++) mark(rec.extend[i].self);
			};
			for(var name in src) mark(name);
			return dec;
		},
		// super.prop = value and super.prop inside class clas. A set gives back
		// the value set; with a step (super.prop++ is value, 1) it sets the
		// number read plus the step and gives back that number, as x++ does.
		superSet:function(clas,o,prop,value,step){
			var fn=clas && clas.prototype['_$set_'+prop];
			if(step!==undefined) value=+value;
			fn && fn.call(o,step!==undefined ? value+step : value);
			return value;
		},
		superGet:function(clas,o,prop){
			var fn=clas && clas.prototype['_$get_'+prop];
			return fn ? fn.call(o) : null;
		},
		// get/set name on o (a prototype, or the class for static accessors). The
		// functions are kept as _$get_/_$set_ (_$GET_/_$SET_ for statics) and the
		// property reads them through, so defining it again on the same object only
		// replaces the kept functions.
		getset:function(isStatic,o,name,getfn,setfn){
			var gk=(isStatic ? '_$GET_' : '_$get_')+name, sk=(isStatic ? '_$SET_' : '_$set_')+name;
			if(isStatic){
				o[gk]=getfn;
				o[sk]=setfn;
			}
			else{
				Object.defineProperty(o,gk,{value:getfn,writable:true,enumerable:false,configurable:true});
				Object.defineProperty(o,sk,{value:setfn,writable:true,enumerable:false,configurable:true});
			}
			var own=Object.getOwnPropertyDescriptor(o,name);
			if(own && ((own.get && own.get.__getset$===gk) || (own.set && own.set.__getset$===sk))) return;
			var get=getfn && function(){
				var fn=o[gk];
				return fn ? fn.call(this) : undefined;
			};
			var set=setfn && function(value){
				var fn=o[sk];
				fn && fn.call(this,value);
			};
			if(get) get.__getset$=gk;
			if(set) set.__getset$=sk;
			if(get && set) Object.defineProperty(o,name,{get:get,set:set,enumerable:false});
			else if(get) Object.defineProperty(o,name,{get:get,enumerable:false});
			else if(set) Object.defineProperty(o,name,{set:set,enumerable:false});
		},
		// Static variables: def is [name,initialiser,name,initialiser,...]. "length"
		// is set at once; every other name is computed on its first read.
		static:function(_class,def){
			var settle=function(name,value){
				Object.defineProperty(_class,name,{value:value,writable:true,enumerable:true,configurable:true});
			};
			var lazy=function(name,init){
				var state=0;
				Object.defineProperty(_class,name,{
					get:function(){
						if(state===0){
							state=1;
							var value;
							try{
								value=init();
							}
							catch(e){
								state=0;
								throw e;
							}
							state=2;
							settle(name,value);
						}
						return state===2 ? _class[name] : undefined;
					},
					set:function(value){
						state=2;
						settle(name,value);
					},
					enumerable:true,
					configurable:true
				});
			};
			for(var i=0;def && i+1<def.length;i+=2){
				if(def[i]=='length') settle('length',def[i+1]());
				else lazy(def[i],def[i+1]);
			}
		},
		// A hidden (non-enumerable) member; without a value it hides the current one.
		un:function(obj,name,value){
			var p=Ruvo.__propun;
			p.value=value || obj[name];
			Object.defineProperty(obj,name,p);
			value=p.value;
			p.value=undefined;
			return value;
		},
		uns:function(obj,names){
			for(var i=0;names && i<names.length;i++) Ruvo.un(obj,names[i]);
		}
	};
	if(!window.console) window.console={};
	if(!window.console.log) window.console.log=function(){};
	window.trace=window.console.log;
	Ruvo.un(Error.prototype,'throwError',function(){
		throw Array.prototype.slice.call(arguments);
	});
	Ruvo.un(Array.prototype,'fixed');
	// insertAt and removeAt of ActionScript's Array and Vector.
	Array.prototype.insertAt || Ruvo.un(Array.prototype,'insertAt',function(index,element){
		this.splice(index,0,element);
	});
	Array.prototype.removeAt || Ruvo.un(Array.prototype,'removeAt',function(index){
		return this.splice(index,1)[0];
	});
	// The error classes of ActionScript that JavaScript lacks, built like the
	// built-in ones: with or without new, a message and an errorID.
	['ArgumentError','DefinitionError','SecurityError','VerifyError'].forEach(function(name){
		if(window[name]) return;
		var hidden=function(obj,key,value){
			Object.defineProperty(obj,key,{value:value,writable:true,enumerable:false,configurable:true});
		};
		var E=function(message,id){
			if(!(this instanceof E)) return new E(message,id);
			hidden(this,'message',message===undefined ? '' : String(message));
			hidden(this,'errorID',id===undefined ? 0 : id);
			hidden(this,'stack',new Error(this.message).stack);
		};
		E.prototype=Object.create(Error.prototype);
		hidden(E.prototype,'constructor',E);
		hidden(E.prototype,'name',name);
		window[name]=E;
	});
	// The accessors of ActionScript's Date (d.fullYear, d.month += 1, d.time ...)
	// over JavaScript's get and set methods; day, dayUTC and timezoneOffset
	// are read only.
	['date','fullYear','hours','milliseconds','minutes','month','seconds','time','day','timezoneOffset'].forEach(function(name){
		var part=name.charAt(0).toUpperCase()+name.substr(1), readOnly=name=='day' || name=='timezoneOffset';
		var kinds=name=='time' || name=='timezoneOffset' ? [''] : ['','UTC'];
		kinds.forEach(function(utc){
			var key=name+utc, get=Date.prototype['get'+utc+part], set=Date.prototype['set'+utc+part];
			if(key in Date.prototype) return;
			// On anything but a date (a library assigning Date.prototype[key])
			// the name is a plain property.
			var isDate=function(o){ return Object.prototype.toString.call(o)=='[object Date]'; };
			Object.defineProperty(Date.prototype,key,{
				get:function(){ return isDate(this) ? get.call(this) : undefined; },
				set:function(v){
					if(!isDate(this)) Object.defineProperty(this,key,{value:v,writable:true,enumerable:true,configurable:true});
					else if(!readOnly) set.call(this,v);
				},
				enumerable:false,configurable:true
			});
		});
	});
	//String.prototype.substr=Ruvo.__substr;
	var zafrit=window.zafrit={utils:{}};
	var VENDRIX=window.VENDRIX=window.VENDRIX || {classmap:Ruvo.__classmap,systemClass:Ruvo.__sysClass};
	VENDRIX.__bindid=VENDRIX.__bindid || 1;
	// fn.BIND$(o): fn bound to o, the same function object every time for the same fn and o.
	Object.defineProperty(Function.prototype,'BIND$',{value:function(o){
		var has=Object.prototype.hasOwnProperty;
		if(o==null || (typeof o!='object' && typeof o!='function') || !Object.isExtensible(o)) return this.bind(o);
		var id=has.call(this,'__bindid$') ? this.__bindid$ : Ruvo.un(this,'__bindid$',VENDRIX.__bindid++);
		var cache=has.call(o,'BIND$__') ? o.BIND$__ : Ruvo.un(o,'BIND$__',{});
		return cache[id] || (cache[id]=this.bind(o));
	},writable:true,enumerable:false,configurable:true});
	Array.CASEINSENSITIVE=1;
	Array.DESCENDING=2;
	Array.NUMERIC=16;
	Array.RETURNINDEXEDARRAY=8;
	Array.UNIQUESORT=4;
	Ruvo.un(Array.prototype,'fixed');
	// One comparison of the sort options: NUMERIC compares as numbers; without
	// it values compare as strings (sortOn first tries them as numbers, so that
	// numeric fields keep their numeric order), CASEINSENSITIVE ignoring case;
	// DESCENDING reverses the order.
	VENDRIX.sortCompare=function(x,y,options,numericFirst){
		var d=x-y;
		if(!(options&16) && !(numericFirst && d===d)){
			x=String(x);
			y=String(y);
			if(options&1){
				x=x.toLowerCase();
				y=y.toLowerCase();
			}
			d=x<y ? -1 : (x>y ? 1 : 0);
		}
		return (options&2 ? -d : d) || 0;
	};
	// Sorts the array with compare. UNIQUESORT gives 0 and leaves the array as it
	// is when two elements compare equal; RETURNINDEXEDARRAY gives the indices
	// in sorted order and leaves the array as it is.
	VENDRIX.sortByOptions=function(array,compare,options){
		var presort=VENDRIX.arraypresort;
		if(!(options&12)) return presort.call(array,compare);
		var index=[], equal=false, i;
		for(i=0;i<array.length;i++) index.push(i);
		presort.call(index,function(a,b){
			var d=compare(array[a],array[b]);
			if(!d) equal=true;
			return d;
		});
		if(options&4 && equal) return 0;
		if(options&8) return index;
		var sorted=index.map(function(k){ return array[k]; });
		for(i=0;i<sorted.length;i++) array[i]=sorted[i];
		return array;
	};
	// sortOn with two field names: by the first, ties by the second.
	VENDRIX.sortonNameArray2=function(array,name,options){
		return VENDRIX.sortonNameArray(array,name,options);
	};
	// sortOn with more field names: by each field in order. An array of
	// options gives each field its own; UNIQUESORT and RETURNINDEXEDARRAY
	// are then read from the first.
	VENDRIX.sortonNameArray=function(array,name,options){
		var each=options instanceof Array;
		return VENDRIX.sortByOptions(array,function(a,b){
			for(var i=0;i<name.length;i++){
				var d=VENDRIX.sortCompare(a[name[i]],b[name[i]],each ? options[i]|0 : options,true);
				if(d) return d;
			}
			return 0;
		},each ? options[0]|0 : options);
	};
	// sortOn(name, options): numeric fields in numeric order, other fields as
	// strings; NUMERIC|DESCENDING (18) and DESCENDING (2) from the largest.
	Object.defineProperty(Array.prototype,'sortOn',{value:function(name,options){
		var presort=VENDRIX.arraypresort;
		if(typeof name=='function') return presort.call(this,name);
		if(name instanceof Array){
			if(name.length==0) return this;
			if(name.length==2) return VENDRIX.sortonNameArray2(this,name,options);
			if(name.length>2) return VENDRIX.sortonNameArray(this,name,options);
			name=name[0];
		}
		if(options instanceof Array) options=options[0]|0;
		return VENDRIX.sortByOptions(this,function(a,b){
			return VENDRIX.sortCompare(a[name],b[name],options,true);
		},options);
	},writable:true,enumerable:false,configurable:true});
	// Array.sort(Array.NUMERIC) and friends; the built-in sort is kept. A
	// number that is not one of the three forms below sorts by its flags
	// (the built-in sort takes only a function).
	VENDRIX.arraypresort=VENDRIX.arraypresort || Array.prototype.sort;
	Object.defineProperty(Array.prototype,'sort',{value:function(value){
		var presort=VENDRIX.arraypresort;
		if(value==16) return presort.call(this,function(a,b){return a-b;});
		if(value==18) return presort.call(this,function(a,b){return b-a;});
		if(value==1) return presort.call(this);
		if(typeof value=='number') return VENDRIX.sortByOptions(this,function(a,b){
			return VENDRIX.sortCompare(a,b,value,false);
		},value);
		// A compare function with options: DESCENDING reverses what it gives,
		// UNIQUESORT and RETURNINDEXEDARRAY act as with the other forms.
		var options=arguments[1];
		if(typeof value=='function' && typeof options=='number' && options&14)
			return VENDRIX.sortByOptions(this,function(a,b){
				var d=value(a,b);
				return (options&2 ? -d : d) || 0;
			},options);
		return presort.apply(this,arguments);
	},writable:true,enumerable:false,configurable:true});
	VENDRIX.bind=function(obj,fn){
		return obj==null || fn==null ? null : fn.BIND$(obj);
	};
	var Dictionary=window.Dictionary=zafrit.utils.Dictionary=function(){};	window.Dictionary.prototype=Object.prototype;
	Ruvo.__classmap['Dictionary']=Dictionary;
	VENDRIX.DICKEY=0;
	VENDRIX.DICKEYS=[];
	VENDRIX.toStringForDic=function(){(!this.__DICKEY__) && (Ruvo.un(this,'__DICKEY__',--VENDRIX.DICKEY),VENDRIX.DICKEYS['&ruvodic_'+this.__DICKEY__]=this);return '&ruvodic_'+this.__DICKEY__;};

	return Ruvo;
})(window,document);

	var __un=Ruvo.un,__uns=Ruvo.uns,__static=Ruvo.static,__class=Ruvo.class,__getset=Ruvo.getset,__newvec=Ruvo.__newvec,__bind=VENDRIX.bind;
	var RUVOFNVOID=function(){};
	var RUVOFNSTR=function(){return '';}
	var RUVOFNNULL=function(){return null;}
	var RUVOFNTRUE=function(){return true;}
	var RUVOFNFALSE=function(){return false;}
	var RUVOFN0=function(){return 0;}
	var RUVOFNARRAY = function() { return []; }
	var GETEACH = function(a) { return a?a:[]; }



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