package game
{
	/** Anything that fights: hit points, attack and a name. */
	public class Creature
	{
		public var name:String;
		public var attack:int;
		protected var _hp:int;
		private var maxHp:int;

		public function Creature(name:String, hp:int, attack:int)
		{
			this.name = name;
			this._hp = hp;
			this.maxHp = hp;
			this.attack = attack;
		}

		public function get hp():int
		{
			return _hp;
		}

		public function get alive():Boolean
		{
			return _hp > 0;
		}

		public function hurt(amount:int):int
		{
			if (amount > _hp) amount = _hp;
			_hp -= amount;
			return amount;
		}

		public function heal(amount:int):void
		{
			_hp = Math.min(maxHp, _hp + amount);
		}

		public function describe():String
		{
			return name + " (" + _hp + "/" + maxHp + " hp, attack " + attack + ")";
		}
	}
}
