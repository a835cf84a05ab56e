$package data.store
{
	import flash.events.EventDispatcher;
	import flash.net.URLLoader;
	import flash.net.URLRequest;

	public class Store extends EventDispatcher
	{
		public static const EMPTY:Vector.<int> = new <int>[];
		private var rows:Vector.<Vector.<Number>> = new Vector.<Vector.<Number>>(4, true);
		private var byName:Object = {};
		private var loader:URLLoader;

		public function Store(size:int = 4)
		{
			super();
			for (var i:int = 0; i < size; ++i) rows[i] = new Vector.<Number>();
			loader = new URLLoader(new URLRequest("data.json"));
			loader.addEventListener("complete", function(e:*):void { parse(String(e.target.data)); }, false, 0, true);
		}

		private function parse(text:String):void
		{
			var data:Object = JSON.parse(text);
			var xml:XML = new XML("<r/>");
			var total:Number = 0;
			for each (var row:Vector.<Number> in rows)
				for each (var value:Number in row) total += value;
			var sorted:Array = (data.items as Array).sort(Array.NUMERIC | Array.DESCENDING);
			var m:RegExp = new RegExp("^[a-z]+$", "i");
			byName[m.source] = sorted.filter(function(x:*, ...rest):Boolean { return m.test(String(x)); });
			xml.appendChild(<total value={total}/>);
			dispatchEvent(new DataEvent(DataEvent.READY, xml.toXMLString()));
		}
	}
}

import flash.events.Event;

class DataEvent extends Event
{
	public static const READY:String = "ready";
	public var text:String;
	public function DataEvent(type:String, text:String) { super(type); this.text = text; }
	override public function clone():Event { return new DataEvent(type, text); }
}
