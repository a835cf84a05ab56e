package
{
	import game.Dungeon;
	import game.Hero;
	import game.Monster;

	/**
	 * Runs a small dungeon crawl with a fixed seed and reports every turn.
	 */
	public class Main
	{
		public function Main()
		{
			var dungeon:Dungeon = new Dungeon(20161105);
			var hero:Hero = new Hero("Ayla");
			dungeon.populate(3);
			trace("Entering the dungeon with " + hero.describe());
			var rounds:int = dungeon.run(hero);
			if (hero.alive) {
				trace(hero.name + " cleared " + dungeon.cleared + " rooms in " + rounds + " rounds, gold " + hero.gold);
			} else {
				trace(hero.name + " fell after " + rounds + " rounds");
			}
		}
	}
}
