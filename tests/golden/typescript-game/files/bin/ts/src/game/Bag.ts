//reference err:Ts
module ruvo{
	//Ruvo no need import.
	export class Bag extends Array{
		constructor (){}
	}

	Ts._class(Bag,'game.Bag',Array);
}


