(package net
{
	import flash.utils.setTimeout;

	public class Loader
	{
		private var cache:Object = {};

		public async function load(url:String):Promise
		{
			var text:String = await fetchText(url);
			cache[url] = text;
			return text;
		}

		/*async*/ public function later(ms:int):void
		{
			/*await*/ wait(ms);
			trace("done");
		}

		private function wait(ms:int):Promise
		{
			return new Promise(function(resolve:Function, reject:Function):void { setTimeout(resolve, ms); });
		}

		private function fetchText(url:String):Promise { return wait(1); }
	}
}
