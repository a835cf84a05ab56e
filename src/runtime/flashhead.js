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
	// sortOn with two field names: by the first, ties by the second.
	VENDRIX.sortonNameArray2=function(array,name,options){
		var first=name[0], second=name[1], sign=options==18 ? -1 : 1;
		return VENDRIX.arraypresort.call(array,function(a,b){
			return sign*((a[first]-b[first]) || (a[second]-b[second]));
		});
	};
	// sortOn with more field names: by each field in order.
	VENDRIX.sortonNameArray=function(array,name,options){
		var sign=options==18 ? -1 : 1;
		return VENDRIX.arraypresort.call(array,function(a,b){
			for(var i=0;i<name.length;i++){
				var d=a[name[i]]-b[name[i]];
				if(d) return sign*d;
			}
			return 0;
		});
	};
	Object.defineProperty(Array.prototype,'sortOn',{value:function(name,options){
		var presort=VENDRIX.arraypresort;
		if(typeof name=='function') return presort.call(this,name);
		if(name instanceof Array){
			if(name.length==0) return this;
			if(name.length==2) return VENDRIX.sortonNameArray2(this,name,options);
			if(name.length>2) return VENDRIX.sortonNameArray(this,name,options);
			name=name[0];
		}
		if(options==16) return presort.call(this,function(a,b){return a[name]-b[name];});
		if(options==2 || options==18) return presort.call(this,function(a,b){return b[name]-a[name];});
		if(options==1) return presort.call(this);
		return presort.call(this,function(a,b){return a[name]-b[name];});
	},writable:true,enumerable:false,configurable:true});
	// Array.sort(Array.NUMERIC) and friends; the built-in sort is kept.
	VENDRIX.arraypresort=VENDRIX.arraypresort || Array.prototype.sort;
	Object.defineProperty(Array.prototype,'sort',{value:function(value){
		var presort=VENDRIX.arraypresort;
		if(value==16) return presort.call(this,function(a,b){return a-b;});
		if(value==18) return presort.call(this,function(a,b){return b-a;});
		if(value==1) return presort.call(this);
		return presort.apply(this,arguments);
	},writable:true,enumerable:false,configurable:true});
	VENDRIX.bind=function(obj,fn){
		return obj==null || fn==null ? null : fn.BIND$(obj);
	};
