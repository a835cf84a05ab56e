+package game.config
{
	public const LIMIT:int = 42;
	public var handler:Function = function(x:int):int { return x + 1; };
	public function twice(x:Number, left:Number = 0):Number { return close(x * 2 + left); }
}
function close(v:Number):Number { return Math.round(v); }
