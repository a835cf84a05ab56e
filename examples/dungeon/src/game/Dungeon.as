package game
{
	/** A row of rooms, each with one monster, fought in order. */
	public class Dungeon
	{
		private static var KINDS:Array = ["rat", "goblin", "troll"];
		public var cleared:int = 0;
		private var rooms:Vector.<Monster>;
		private var random:Random;

		public function Dungeon(seed:int)
		{
			random = new Random(seed);
			rooms = new Vector.<Monster>();
		}

		public function populate(count:int):void
		{
			for (var i:int = 0; i < count; i++) {
				var level:int = i + 1;
				rooms.push(new Monster(KINDS[i % KINDS.length], level));
			}
		}

		public function run(hero:Hero):int
		{
			var rounds:int = 0;
			for each (var monster:Monster in rooms) {
				trace("Room " + (cleared + 1) + ": a " + monster.describe());
				while (monster.alive && hero.alive) {
					rounds++;
					var dealt:int = monster.hurt(hero.attack + random.next(3));
					var taken:int = hero.hurt(monster.attack + random.next(2));
					trace("  round " + rounds + ": dealt " + dealt + ", took " + taken);
					if (hero.rest()) trace("  " + hero.name + " drinks a potion");
				}
				if (!hero.alive) break;
				hero.gold += monster.loot;
				cleared++;
			}
			return rounds;
		}
	}
}
