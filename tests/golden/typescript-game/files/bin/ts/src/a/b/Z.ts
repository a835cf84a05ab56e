//reference err:Ts
module ruvo{
	//Ruvo no need import.
	export class Z{
		constructor (){}
		static twice (n:number):number{
			return n *2;
		}
	}

	Ts._class(Z,'a.b.Z');
}


