0package config
{
	public class Settings
	{
		public static var instance:Settings = new Settings();
		public static const NAMES:Array = ["a", "b", "c"];
		private static var table:Object = init();
		CONFIG::debug
		public static var verbose:Boolean = true;
		public const SIZE:uint = 0xFF;
		public var level:int = Settings.NAMES.length * 2;

		private static function init():Object
		{
			var o:Object = {};
			for (var i:int = 0; i < NAMES.length; i++) o[NAMES[i]] = i;
			return o;
		}

		public static function get(name:String):int
		{
			if (CONFIG::debug) trace("get", name);
			return table[name] || -1;
		}

		public function Settings() { level = level < 0 ? 0 : level; }
	}
}

class Helper
{
	public static function twice(n:Number):Number { return n * 2; }
}

function freeFunction(a:int, b:int = 3):int { return Helper.twice(a) + b; }
