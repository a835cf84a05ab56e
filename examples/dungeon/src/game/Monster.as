package game
{
	/** A monster guarding a room; its loot goes to whoever beats it. */
	public class Monster extends Creature
	{
		public var loot:int;

		public function Monster(kind:String, level:int)
		{
			super(kind, 6 + level * 4, 2 + level);
			loot = 5 * level;
		}
	}
}
