///<reference path='Unit.ts' />
//reference err:Ts
module ruvo{
	//Ruvo no need import.
	export class Hero extends Unit implements IMover{
		speed:number;
		constructor (name:string){
			super();
			this.speed=Helper.start();
		}
		move(steps:number):void{
			this.speed+=steps;
			this.hurt(1);
		}
		toString():string{
			return "[Hero "+this.name+"]";
		}
	}

	class Helper{
		constructor (){}
		static start ():number{
			return 1.5;
		}
	}

	Ts._class(Hero,'game.Hero',Unit);
}


