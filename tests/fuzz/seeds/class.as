package game.ui
{
	import zafrit.display.Sprite;
	/** A button. */
	public class Button extends Sprite implements IClick
	{
		[Embed(source="b.png")]
		private static const SKIN:Class;
		protected var _label:String = "ok";
		public var items:Vector.<Vector.<int>> = new Vector.<Vector.<int>>();
		public function Button(label:String = null, ...rest)
		{
			super();
			_label ||= label;
			if (label === null) { trace('none'); } else trace("x" + label);
			for each (var v:int in items) { total += v / 2; }
			var re:RegExp = /a[b-c]+\/d/gi;
			var x:XML = <item id={_label} name="n"><![CDATA[<raw>]]></item>;
			switch (v) { case 1: break; default: }
			await::load(url);
		}
		public function get label():String { return _label; }
		async function run():void { /*await*/ step(); }
	}
}
