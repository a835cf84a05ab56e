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
