package game.world
{
	import flash.display.Sprite;
	import flash.events.Event;

	/** A moving thing on the stage. */
	public class Mover extends Sprite implements IMover
	{
		public static const SPEED:Number = 2.5;
		private static var count:int = 0;
		protected var _x:Number = 0;
		private var names:Vector.<String> = new Vector.<String>();
		private var handlers:Array = [];

		public function Mover(start:Number = 0, ...rest)
		{
			super();
			_x = start;
			count++;
			addEventListener(Event.ENTER_FRAME, onFrame);
			for each (var r:* in rest) names.push(String(r));
		}

		public function get position():Number { return _x; }
		public function set position(value:Number):void { _x = value; }

		public static function get total():int { return count; }

		private function onFrame(e:Event):void
		{
			position += SPEED;
			var self:Mover = this;
			handlers.push(function(n:int):int { return n + self.position; });
			if (position > 100) { removeEventListener(Event.ENTER_FRAME, onFrame); }
		}

		override public function toString():String
		{
			return "[Mover " + _x + "]";
		}
	}
}

interface IMover
{
	function get position():Number;
	function set position(value:Number):void;
}
