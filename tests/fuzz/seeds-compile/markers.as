 //[COMPILER OPTIONS:debug showdebug]
package marks
{
	/*[IF-FLASH-BEGIN]*/
	import flash.system.Capabilities;
	/*[IF-FLASH-END]*/
	/*[IF-SCRIPT-BEGIN]
	import zafrit.utils.Browser;
	[IF-SCRIPT-END]*/

	public class Marked
	{
		/*[STATIC SAFE]*/ public static var safe:int = 1;
		/*[DISBALEOUTCONST-BEGIN]*/
		public static const OFF:int = 2;
		/*[DISBALEOUTCONST-END]*/
		//[IF-JS] public var js:Boolean = true;
		public function Marked()
		{
			/*[NOENUMERATION]*/
			var s:String = 'single \'quoted\' \u0041 \x41';
			var n:Number = 1.5e-3 + .5 + 0x1F;
			var b:Boolean = s != null && n !== 0 || !b;
			s += "tail";
			n = int(n) % 7 >> 1;
		}
	}
}
