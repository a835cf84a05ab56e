package game
{
	/** A small linear congruential generator, so every run is the same. */
	public class Random
	{
		private var state:int;

		public function Random(seed:int)
		{
			state = seed % 2147483647;
		}

		/** A whole number from 0 to max - 1. */
		public function next(max:int):int
		{
			state = (state * 16807) % 2147483647;
			return state % max;
		}
	}
}
