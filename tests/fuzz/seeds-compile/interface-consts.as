(package shapes
{
	public interface IShape
	{
		function area():Number;
		function get name():String;
	}
}

class Circle implements shapes.IShape
{
	public static const PI2:Number = Math.PI * 2;
	private var r:Number;
	public function Circle(r:Number) { this.r = r; }
	public function area():Number { return Math.PI * r * r; }
	public function get name():String { return "circle"; }
}

class Square extends Circle
{
	public function Square(s:Number) { super(s); }
	override public function area():Number { var a:Number = super.area(); return a > 0 ? a : -a; }
	override public function get name():String { return "square:" + super.name; }
}
