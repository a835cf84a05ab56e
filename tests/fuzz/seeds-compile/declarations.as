Apackage game
{
	public class Main extends Base
	{
		private var kinds:Array = [Main, String];
		public function Main()
		{
			super();
			trace("a" is kinds[1], this is kinds[0].prototype.constructor, 1 is pick()[0], x is Object, Main is Class);
			trace(super.title.toUpperCase(), super.title, super.greet.apply(this, [1]), triple(2));
			try { throw new Oops("m"); } catch (e:TypeError) { trace(e.message); }
		}
		private function pick():Array { return [Number]; }
		override public function get title():String { return "t"; }
	}
}
class Oops extends TypeError { public function Oops(m:String) { super(m); } }
internal function triple(x:Number):Number { return x * 3; }
function twice(y:int = 2):int { return triple(y) }
var shut:Function = function():void {};
