$package data
{
	public class Feed
	{
		private var doc:XML = <feed version="1"><item id="1">one</item><item id={idOf()}>two</item><![CDATA[ raw <b> ]]><!-- note --></feed>;

		private function idOf():String { return "2"; }

		public function titles():Array
		{
			var out:Array = [];
			for each (var item:XML in doc.item) out.push(item.@id + ":" + item.text());
			var list:XMLList = doc..item.(@id == "1");
			doc.item[0] = <item id="3"/>;
			default xml namespace = new Namespace("http://a");
			return out.concat(list.length());
		}
	}
}
