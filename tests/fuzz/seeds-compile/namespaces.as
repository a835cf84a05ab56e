@package app.core
{
	import flash.display.*;
	import flash.utils.Dictionary;
	import flash.utils.getQualifiedClassName;

	use namespace mx_internal;

	[Event(name="change", type="flash.events.Event")]
	public dynamic class Registry extends Object
	{
		mx_internal static var hidden:int = 0;
		private static const table:Dictionary = new Dictionary(true);
		private var _items:Vector.<DisplayObject> = Vector.<DisplayObject>([]);

		public static function register(key:*, value:Object = null, ...more):Boolean
		{
			if (key in table) return false;
			table[key] = value || {};
			for (var k:* in table) { delete table[k]; }
			var n:uint = uint(-1) >>> 28;
			var h:Number = 0x7fffffff + 1e21 - .5e-7;
			var list:Array = arguments.length > 1 ? more.slice() : [];
			return getQualifiedClassName(value) != "" && n is uint && !(value is Sprite);
		}

		public function get items():Vector.<DisplayObject> { return _items; }

		public function each(fn:Function, thisArg:* = undefined):void
		{
			with (this) { _items.forEach(function(d:DisplayObject, i:int, v:Vector.<DisplayObject>):void { fn.call(thisArg, d, i); }); }
			label: while (true) { switch (typeof fn) { case "function": break label; default: continue label; } }
		}
	}
}
