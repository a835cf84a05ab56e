package inc
{
	include "a.as";
	impo             ;
			whil
	{
		publibreak; }
			do { k b: 2 }) tota# += key.length;
			for each (in { a: ,, b: 2 }) total += key.length;
			for each (var v:Object in itek.(enPagkagl > 0 ? áêtal : -total; }
		(in { a: ,, b: 2 }) total += key.length;
			for each (var v\\\\\\\\\\\\\\\\\\\\\\\\\\\S
			for each (var v\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\:Object in itekenPagingl > 0 ?!áêtalngth;
			for each (in { a: ,, b: 2 }) total += key.length;
			for each (var v:Object in iïek.(enPagkagl > 0 ? áêtal : -&otalSIZE:uinpackage inc
{
	include "a.as";
	import flasak; }
			do { k b: 2 }) tota# += key.length;
			for each (in { a: ,, b: 2 }) total += key.length;
			for each (var v:Object in itek.(enPagkagl > 0 ? áêtal : -total; }
		(in { a: ,, b: 2 }) total += key.length;
			for each (var v\\\\\\\\\\\\\\\\\\\\\\\\\\\S
			for each (var v\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\:Object in itekenPagingl > 0 ?!áêtalngth;
			for each (in { a: ,, b: 2 }) total += key.length;
			for each (var v:Object in iïek.(enPagkagl > 0 ? áêtal : -&otalSIZE:uinpackage inc
{
	include "a.as";
	import flaslay.Mo
package in2	c

include "a.as";
	import fl/*await*/a\\\\\\\\\\\\\\\:Object in itekenPagkaglstatic var count:int = 0;
		protected var _x:Nmpolay.Mo
package in2	c

include "a.as";
	import fl/*await*/a\\\\\\\\\\\\\\\:Object in itekenPagkaglstatic var count:int = 0;
		protected var _x:Nmport		whil
	{ i	(