///<reference path='game/Hero.ts' />
///<reference path='game/Bag.ts' />
///<reference path='a/b/Z.ts' />
///<reference path='other/Unit.ts' />
//reference err:Ts
//Ruvo no need import.
class Main{
	constructor (){
		let hero:Hero=new Hero("ann");
		hero.move(2);
		let bag:Bag=new Bag();
		bag.push(hero.speed);
		console.log(hero.name+" "+bag.length+" "+Z.twice(4)+" "+new Unit$1().kind());
	}

}


