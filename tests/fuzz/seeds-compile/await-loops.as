"package net.jobs
{
	public class Jobs
	{
		private var names:Array = ["a", "b"];

		public function run(count:int):void
		{
			var total:int = 0;
			log("start");
			for (var i:int = 0; i < count; i++)
			{
				await::load(i);
				total += i;
			}
			for (var key:String in { a: 1, b: 2 })
			{
				await::load(key);
				log(key);
			}
			for each (var n:String in names)
			{
				if (n == "b") continue;
				await::load(n);
			}
			try
			{
				await::load(total);
			}
			catch (e:Error)
			{
				log(e.message);
			}
			switch (total)
			{
				case 1:
					await::load(1);
					break;
				default:
					log("other");
			}
			var o:Object = { done: true, list: [1, { deep: 2 }] };
			while (!o.done) { await::load(o); }
			log("end " + total);
		}

		private function load(x:*):void { log(x); }
		private function log(x:*):void { trace(x); }
	}
}
