package inc
{
	include "a.as";
	import flash.display.MovieClip;

	[Embed(source="pic.png")]
	[Bindable]
	public class Shell extends MovieClip
	{
		include "a.as"
		internal var shape:Object;
		protected namespace inner = "http://inner";
		inner function hidden():void {}

		public function Shell()
		{
			const v:Vector.<Vector.<int>> = new <Vector.<int>>[new <int>[1, 2], new <int>[3]];
			var f:Function = function named(x:*):* { return x; };
			var g:Function = (function():Function { return f; })();
			shape = { width: v[0][1], height: g(4), draw: function():void { this.width++; } };
			super.gotoAndStop(1);
			x ||= 1;
			y &&= 2;
		}
	}
}
