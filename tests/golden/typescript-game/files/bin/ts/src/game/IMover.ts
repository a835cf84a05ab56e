module ruvo{
	export interface IMover {
		move(steps:number);
	}

}


