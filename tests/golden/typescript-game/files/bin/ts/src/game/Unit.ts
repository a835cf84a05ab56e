//reference err:Ts
module ruvo{
	//Ruvo no need import.
	export class Unit{
		/*const*/ static MAX_HP:number=100;
		static count:number=0;
		static names:Array<any>;
		_name:string;
		protected hp:number=10;
		tags:Array<any>=[];
		constructor (name:string){
			this._name=name;
			Unit.count++;
			Unit.names.push(name);
		}
		protected hurt(amount:number):void{
			this.hp-=amount;
		}
		private reset(){}
		get name ():string{
			return this._name;
		}
		set name (value:string){
			this._name=value;
		}
		static get total ():number{
			return Unit.count;
		}
		static byName (name:string):Unit{
			return null;
		}
	}

	Ts._class(Unit,'game.Unit');
	Ts._static(Unit,'names',function(){return []});
}


