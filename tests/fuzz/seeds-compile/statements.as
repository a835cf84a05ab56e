"package
{
	public class Flow
	{
		public function run(items:Array, mode:String):int
		{
			var total:int = 0;
			switch (mode)
			{
				case "a":
					total = 1;
					break;
				case "b":
				case "c":
					total += 2;
				default:
					total--;
			}
			for (var i:int = 0; i < items.length; i++)
			{
				if (items[i] == null) continue;
				else if (items[i] is String) total += (items[i] as String).length;
				else total ^= int(items[i]) << 2 >>> 1;
			}
			for (var key:String in { a: 1, b: 2 }) total += key.length;
			for each (var v:Object in items) { total = total > 0 ? total : -total; }
			var k:int = 10;
			while (k-- > 0) { if (k % 3 == 0) break; }
			do { k++; } while (k < 5);
			outer: for (var j:int = 0; j < 3; j++) { for (;;) { continue outer; } }
			try
			{
				throw new Error("bad " + total);
			}
			catch (e:ArgumentError) { total = -1; }
			catch (e:Error) { trace(e.message); }
			finally { total |= 1; }
			var re:RegExp = /a(b+)c/gi;
			var d:Date = new Date();
			delete items[0];
			return typeof total == "number" && !(total in items) ? total : void 0;
		}
	}
}
