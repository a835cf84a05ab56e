0package build
{
	import flash.display.Sprite;

	public class Build extends Sprite
	{
		CONFIG::debug
		{
			private var log:Array = [];
		}

		public function Build()
		{
			CONFIG::debug
			{
				log.push("start");
			}
			//[IF-JS] trace("script only");
			/*[IF-FLASH-BEGIN]*/
			stage.frameRate = 60;
			/*[IF-FLASH-END]*/
			var inner:Function = function():void
			{
				var deeper:Function = function(a:int):int { return a > 0 ? deeper(a - 1) + 1 : 0; };
				trace(this, deeper(3), super.toString);
			};
			inner();
			new Helper().run(this as Sprite);
		}

		protected function get debugging():Boolean { return CONFIG::debug; }
	}
}

import flash.display.Sprite;

class Helper
{
	private static var made:int;
	{
		made = 0;
	}

	public function run(s:Sprite):void
	{
		made++;
		var copy:Object = {name: "h" + made, "quoted key": [1, 2, [3]], nested: {deep: {deeper: null}}};
		for (var p:String in copy) trace(p, copy[p]);
	}
}
