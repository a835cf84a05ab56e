package
{
	/*[IF-FLASH]*/public class Base
	{
	}
}
class Sub extends Base
{
}
