package game
{
	/** The player's hero: collects gold and drinks potions. */
	public class Hero extends Creature
	{
		public static const START_HP:int = 30;
		public var gold:int = 0;
		private var potions:int = 2;

		public function Hero(name:String)
		{
			super(name, START_HP, 5);
		}

		override public function describe():String
		{
			return super.describe() + " with " + potions + " potions";
		}

		public function rest():Boolean
		{
			if (potions <= 0 || hp >= START_HP / 2) return false;
			potions--;
			heal(12);
			return true;
		}
	}
}
