(package a
{
	public class A
	{
	}
}
public class B1 { public var v:int = 1; }
public class B2 { public var v:int = 2; }
public class B3 { public var v:int = 3; }
public class B4 { public var v:int = 4; }
public class B5 { public var v:int = 5; }
public class B6 { public var v:int = 6; }
public class B7 { public var v:int = 7; }
public class B8 { public var v:int = 8; }
public class B9 { public var v:int = 9; }
public class B10 { public var v:int = 10; }
public class B11 { public var v:int = 11; }
public class B12 { public var v:int = 12; }
public class B13 { public var v:int = 13; }
public class B14 { public var v:int = 14; }
public class B15 { public var v:int = 15; }
public class B16 { public var v:int = 16; }
public class B17 { public var v:int = 17; }
public class B18 { public var v:int = 18; }
public class B19 { public var v:int = 19; }
public class B20 { public var v:int = 20; }
public class B21 { public var v:int = 21; }
public class B22 { public var v:int = 22; }
public class B23 { public var v:int = 23; }
public class B24 { public var v:int = 24; }
public class B25 { public var v:int = 25; }
public class B26 { public var v:int = 26; }
public class B27 { public var v:int = 27; }
public class B28 { public var v:int = 28; }
public class B29 { public var v:int = 29; }
public class B30 { public var v:int = 30; }
