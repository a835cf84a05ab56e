///<reference path='../game/Unit.ts' />
//reference err:Ts
module ruvo{
	//Ruvo no need import.
	export class Unit$1 extends Unit{
		constructor (){
			super("other");
		}
		kind():string{
			return "other";
		}
	}

	Ts._class(Unit$1,'other.Unit',Unit,'Unit$1');
}


