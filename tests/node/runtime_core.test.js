// The runtime core (the global Ruvo object) and the Flash-API header, run in
// a fresh V8 context per test with `window` and `document` defined first, as
// a browser page gives them.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const vm = require('node:vm');

const runtimeDir = path.join(process.env.RUVO_SOURCE_DIR || path.join(__dirname, '..', '..'), 'src', 'runtime');
const read = (name) => fs.readFileSync(path.join(runtimeDir, name + '.js'), 'latin1');

// The texts the output writer puts around the core.
const CORE_CLOSER = '\r\n\treturn Ruvo;\r\n})(window,document);\r\n';
const DIC_SEARCH = 'class:function(o,fullName,_super,miniName){';
const DIC_REPLACE = "class:function(o,fullName,dic,_super,miniName){\r\n\t\t\tdic && (Ruvo.un(o.prototype,'toString',VENDRIX.toStringForDic));";
const DIC_LINES = [
  "\tvar Dictionary=window.Dictionary=zafrit.utils.Dictionary=function(){};\twindow.Dictionary.prototype=Object.prototype;\r\n",
  "\tRuvo.__classmap['Dictionary']=Dictionary;\r\n",
  '\tVENDRIX.DICKEY=0;\r\n',
  '\tVENDRIX.DICKEYS=[];\r\n',
  "\tVENDRIX.toStringForDic=function(){(!this.__DICKEY__) && (Ruvo.un(this,'__DICKEY__',--VENDRIX.DICKEY),VENDRIX.DICKEYS['&ruvodic_'+this.__DICKEY__]=this);return '&ruvodic_'+this.__DICKEY__;};\r\n",
];

// Loads the core (with the Flash-API header when `flash`, with Dictionary
// keys when `dic`) into a new context; console.log calls are collected.
function load({ flash = false, dic = false } = {}) {
  let core = read('core');
  if (flash) core += read('flashhead');
  if (dic) {
    core = core.split(DIC_SEARCH).join(DIC_REPLACE);
    core += DIC_LINES.join('');
  }
  core += CORE_CLOSER;
  const logs = [];
  const context = { console: { log: (...args) => logs.push(args) } };
  context.window = context;
  context.document = {};
  vm.createContext(context);
  vm.runInContext(core, context, { filename: 'core.js' });
  const run = (code) => vm.runInContext(code, context);
  // Objects of the context compared by value, without its own Array and Object.
  const json = (code) => JSON.parse(JSON.stringify(run(code)));
  return { run, json, logs, window: context };
}

test('the core starts with its banner and defines Ruvo on window', () => {
  const text = read('core');
  const lines = text.split('\n');
  const stars = '/*' + '*'.repeat(33) + '*/';
  assert.strictEqual(lines[0], stars);
  assert.match(lines[1], /^\/\*\S+ {2}2017\/3\/23\*\/$/);
  assert.strictEqual(lines[2], stars);
  assert.strictEqual(lines[3], 'var Ruvo=window.Ruvo=(function(window,document){');
  assert.ok(!text.includes('\r'), 'the core uses LF line ends');
  assert.strictEqual(text.split(DIC_SEARCH).length, 2, 'the class function is written once, in the form the Dictionary support rewrites');
  const { run, json } = load();
  assert.strictEqual(run('window.Ruvo === Ruvo && typeof Ruvo.class'), 'function');
  assert.strictEqual(run('typeof trace'), 'function');
  assert.strictEqual(run("Object.keys(Array.prototype).indexOf('fixed')"), -1);
});

test('static: "length" is set at once, every other name on its first read', () => {
  const { run, json } = load();
  run(`var calls=[];
       function A(){}
       Ruvo.static(A,['length',function(){calls.push('length');return 7;},
                      'a',function(){calls.push('a');return [1];},
                      'b',function(){calls.push('b');return 2;}]);`);
  assert.deepStrictEqual(json('calls'), ['length']);
  assert.strictEqual(run('A.length'), 7, 'a function\'s own length is replaced');
  assert.strictEqual(run('A.a === A.a'), true);
  assert.deepStrictEqual(json('calls'), ['length', 'a'], 'computed once');
  const desc = run("Object.getOwnPropertyDescriptor(A,'a')");
  assert.ok('value' in desc && desc.enumerable && desc.configurable && desc.writable, 'a plain value after the first read');
  run('A.b = 5;');
  assert.strictEqual(run('A.b'), 5, 'a write before the first read wins');
  assert.deepStrictEqual(json('calls'), ['length', 'a'], 'the initialiser of a written static never runs');
});

test('class: statics named name and length can be assigned, on the class and through a subclass', () => {
  const { run } = load();
  run(`function Level(){}
       Ruvo.class(Level,'Level');
       Level.name='first';
       Level.length=3;
       function Hard(){}
       Ruvo.static(Hard,['length',function(){return 9;}]);
       Ruvo.class(Hard,'Hard',Level);`);
  assert.strictEqual(run('Level.name'), 'first');
  assert.strictEqual(run('Level.length'), 3);
  run("Level.name='second';");
  assert.strictEqual(run('Level.name'), 'second');
  assert.strictEqual(run('Hard.name'), 'Hard', 'a class keeps its own name');
  assert.strictEqual(run('Hard.length'), 9);
});

test('static: an initialiser that throws runs again on the next read; one that reads itself sees undefined', () => {
  const { run, json } = load();
  run(`var tries=0;
       function A(){}
       Ruvo.static(A,['x',function(){if(++tries==1) throw new Error('first');return 3;},
                      'self',function(){return 'seen:'+A.self;}]);`);
  assert.throws(() => run('A.x'), /first/);
  assert.strictEqual(run('A.x'), 3);
  assert.strictEqual(run('A.self'), 'seen:undefined');
});

test('static: a subclass copy of a lazy static reads and writes the one value', () => {
  const { run, json } = load();
  run(`var n=0;
       function A(){}
       Ruvo.static(A,['s',function(){return ++n;}]);
       function B(){}
       Ruvo.class(A,'p.A'); Ruvo.class(B,'p.B',A);`);
  assert.strictEqual(run('B.s'), 1);
  assert.strictEqual(run('B.s'), 1);
  assert.strictEqual(run('A.s'), 1);
  assert.strictEqual(run('n'), 1);
});

test('getset: getter only is read-only; both parts make a hidden accessor; statics keep plain members', () => {
  const { run, json } = load();
  run(`function A(){ this.v=1; }
       Ruvo.getset(0,A.prototype,'ro',function(){return this.v;});
       Ruvo.getset(0,A.prototype,'rw',function(){return this.v;},function(x){this.v=x;});
       Ruvo.getset(1,A,'st',function(){return 'S';},null);
       var a=new A();`);
  const ro = run("Object.getOwnPropertyDescriptor(A.prototype,'ro')");
  assert.strictEqual(typeof ro.get, 'function');
  assert.strictEqual(ro.set, undefined);
  assert.strictEqual(ro.enumerable, false);
  assert.strictEqual(ro.configurable, false, 'the descriptor leaves configurable out');
  assert.strictEqual(run('a.ro = 9; a.ro'), 1);
  assert.strictEqual(run('a.rw = 4; a.rw'), 4);
  assert.deepStrictEqual(json('Object.keys(A.prototype)'), []);
  assert.strictEqual(run('typeof A.prototype._$get_rw + typeof A.prototype._$set_rw'), 'functionfunction');
  assert.strictEqual(run("A.st + typeof A._$GET_st + A.propertyIsEnumerable('_$GET_st')"), 'Sfunctiontrue');
});

test('getset: defined twice on one object succeeds and the second definition is used', () => {
  const { run, json } = load();
  run(`function A(){}
       Ruvo.getset(0,A.prototype,'x',function(){return 'first';},function(v){this.log='first:'+v;});
       Ruvo.getset(0,A.prototype,'x',function(){return 'second';},function(v){this.log='second:'+v;});
       Ruvo.getset(1,A,'s',function(){return 1;});
       Ruvo.getset(1,A,'s',function(){return 2;});
       var a=new A(); a.x=5;`);
  assert.strictEqual(run('a.x'), 'second');
  assert.strictEqual(run('a.log'), 'second:5');
  assert.strictEqual(run('A.s'), 2);
});

test('superGet and superSet call the base class accessors on the object', () => {
  const { run, json } = load();
  run(`function A(){} Ruvo.class(A,'A');
       Ruvo.getset(0,A.prototype,'x',function(){return 'A'+this.k;},function(v){this.k=v;});
       function B(){} Ruvo.class(B,'B',A);
       Ruvo.getset(0,B.prototype,'x',function(){return 'B'+Ruvo.superGet(A,this,'x');},function(v){Ruvo.superSet(A,this,'x',v+1);});
       var b=new B(); b.x=1;`);
  assert.strictEqual(run('b.x'), 'BA2');
  assert.strictEqual(run("Ruvo.superGet(A,b,'missing')"), null);
  // The set gives back the value set, or with a step the number read before it.
  assert.strictEqual(run("Ruvo.superSet(A,b,'x',7)"), 7);
  assert.strictEqual(run("Ruvo.superSet(A,b,'x','7',-1) + ' ' + b.k"), '7 6');
});

test('__init calls every __init$ in list order and passes over the others', () => {
  const { run, json } = load();
  run(`var order=[];
       function A(){} A.__init$=function(){order.push('A');};
       function B(){}
       function C(){} C.__init$=function(){order.push('C:'+(this===C));};
       Ruvo.__init([C,null,B,A]);`);
  assert.deepStrictEqual(json('order'), ['C:true', 'A']);
});

test('class: registers names by their form and warns about a name that is taken', () => {
  const { run, json, logs, window } = load();
  run(`function P(){} Ruvo.class(P,'a.b.P');
       function R(){} Ruvo.class(R,'ruvo.utils.Tool');
       function R2(){} Ruvo.class(R2,'ruvo.more.Tool2','', 'Tool');
       function M(){} Ruvo.class(M,'Main');
       function T(){} Ruvo.class(T,'Top');
       function T2(){} Ruvo.class(T2,'Top');`);
  assert.strictEqual(run('a.b.P === P && Ruvo.__classmap["a.b.P"] === P'), true);
  assert.strictEqual(run("'P' in Ruvo"), false, 'other packages get no Ruvo member');
  assert.strictEqual(run('Ruvo.Tool'), run('R2'), 'the mini name is the member name; a later class takes it');
  assert.strictEqual(window.Main, run('M'));
  assert.strictEqual(run("Object.prototype.hasOwnProperty.call(Ruvo,'Main')"), false);
  assert.strictEqual(run('Ruvo.Top'), run('T2'));
  assert.deepStrictEqual(logs.map((l) => l[0]), [
    'Warning!,this class[ruvo.more.Tool2] already exist:',
    'Error!,this class[Top] already exist:',
  ]);
  assert.strictEqual(logs[0][1], run('R'), 'the old value is logged');
});

test('class: extends, hidden members, super and hasOwnProperty', () => {
  const { run, json, logs } = load();
  run(`function A(){ this.a=1; } A.counter=3;
       Ruvo.class(A,'p.A');
       A.prototype.m=function(){return 'm';};
       function B(){ B.__super.call(this); this.b=2; }
       Ruvo.class(B,'p.B',A);
       var b=new B(); var other={};
       B.super(other);
       function Hidden(){} Ruvo.class(Hidden,'',A);
       function Hidden2(){} Ruvo.class(Hidden2,'',A);`);
  assert.strictEqual(run('b instanceof A && b instanceof B && b.constructor === B'), true);
  assert.strictEqual(run('B.counter'), 3, 'statics are copied');
  assert.strictEqual(run('B.__super === A && b.__class === B && b.__super === A && b.__className'), 'p.B');
  assert.strictEqual(run('B.__isclass && Ruvo.__isClass(B) && Ruvo.__isClass(Array) && !Ruvo.__isClass({})'), true);
  assert.strictEqual(
    run('[Number,Boolean,Function,Date,RegExp,Error,TypeError,Math].every(Ruvo.__isClass) && !Ruvo.__isClass(function(){}) && !Ruvo.__isClass(3)'),
    true, 'the built-in classes are classes; a plain function is not');
  assert.strictEqual(
    run("[ArgumentError,DefinitionError,SecurityError,VerifyError].every(function(E){var e=E('m',2), f=new E();" +
        " return e instanceof E && e instanceof Error && e.message==='m' && e.errorID===2 && f.message==='' &&" +
        " f.errorID===0 && String(e)===E.prototype.name+': m' && Ruvo.__isClass(E) && !Object.keys(e).length;})"),
    true, 'the error classes that JavaScript lacks');
  assert.deepStrictEqual(json('Object.keys(b)'), ['a', 'b']);
  assert.deepStrictEqual(json('Object.keys(B)'), ['counter']);
  assert.strictEqual(run('other.a'), 1, 'super() runs the base constructor on its argument');
  assert.strictEqual(run("b.hasOwnProperty('m') && b.hasOwnProperty('a') && !b.hasOwnProperty('zz')"), true);
  assert.strictEqual(run("Hidden.__className === '' && !('' in Ruvo.__classmap)"), true, 'a nameless private class is not registered');
  assert.deepStrictEqual(logs, []);
});

test('__typeof and __as: types, interface markers and names, instanceof', () => {
  const { run, json } = load();
  run(`Ruvo.interface('q.IBase');
       Ruvo.interface('q.IMid','q.IBase');
       Ruvo.interface('IOther');
       function A(){} Ruvo.class(A,'q.A'); Ruvo.imps(A.prototype,{"q.IMid":true});
       function B(){} Ruvo.class(B,'q.B',A);
       var a=new A(), b=new B();`);
  const rows = [
    ['Ruvo.__typeof(null,A)', false],
    ['Ruvo.__typeof(a,null)', false],
    ["Ruvo.__typeof('s',String)", true],
    ['Ruvo.__typeof(1,String)', false],
    ['Ruvo.__typeof(0,Number)', true],
    ["Ruvo.__typeof('1',Number)", false],
    ['Ruvo.__typeof(false,Boolean)', true],
    ['Ruvo.__typeof(0,Boolean)', false],
    ["Ruvo.__typeof('s',Object) && Ruvo.__typeof(1,Object) && Ruvo.__typeof(Ruvo.__typeof,Object)", true],
    ['Ruvo.__typeof(null,Object) || Ruvo.__typeof(undefined,Object)', false],
    ['Ruvo.__typeof(b,A)', true],
    ['Ruvo.__typeof(a,B)', false],
    ['Ruvo.__typeof(b,q.IMid)', true],
    ["Ruvo.__typeof(b,'q.IBase')", true],
    ['Ruvo.__typeof(a,IOther)', false],
    ["Ruvo.__typeof(b,'q.A')", true],
    ["Ruvo.__typeof(a,'q.B')", false],
    ['Ruvo.__typeof(a,{})', false],
    ['Ruvo.__as(b,q.IBase) === b', true],
    ['Ruvo.__as(a,B)', null],
  ];
  for (const [code, want] of rows) assert.strictEqual(run(code), want, code);
  assert.deepStrictEqual(json("[q.IMid.__interface__, Ruvo.__internals['q.IMid'].extend[0].self]"), ['q.IMid', 'q.IBase']);
});

test('imps: marks the interfaces and what they extend; a subclass has a map of its own', () => {
  const { run, json } = load();
  run(`Ruvo.interface('I1'); Ruvo.interface('I2','I1'); Ruvo.interface('I3','I2,I1');
       function A(){} Ruvo.class(A,'A');
       function B(){} Ruvo.class(B,'B',A);
       var r1=Ruvo.imps(A.prototype,{"I2":true});
       var r2=Ruvo.imps(B.prototype,{"I3":true,"Unknown":true});`);
  assert.strictEqual(run('Ruvo.imps(A.prototype,null)'), null);
  assert.deepStrictEqual(json('Object.keys(A.prototype.__imps).sort()'), ['I1', 'I2']);
  assert.deepStrictEqual(json('Object.keys(B.prototype.__imps).sort()'), ['I1', 'I2', 'I3', 'Unknown']);
  assert.strictEqual(run("A.prototype.propertyIsEnumerable('__imps')"), false);
  assert.strictEqual(run('new B().__imps === new A().__imps'), false);
});

test('un, uns, __newvec, __int, __package, __copy', () => {
  const { run, json, window } = load();
  run(`var o={a:1,b:2,c:3}; Ruvo.uns(o,['a','b']); var r=Ruvo.un(o,'d',4);
       var p=Ruvo.__package('x.y.z'); var p2=Ruvo.__package('x.y.z',{});`);
  assert.deepStrictEqual(json('Object.keys(o)'), ['c']);
  assert.strictEqual(run('o.a + o.b + o.d + r'), 11);
  assert.deepStrictEqual(json('Ruvo.__newvec(3,0)'), [0, 0, 0]);
  assert.deepStrictEqual(json('Ruvo.__newvec(-1,0)'), []);
  assert.deepStrictEqual(json("[Ruvo.__int('12px'), Ruvo.__int(''), Ruvo.__int(null), Ruvo.__int(3.9)]"), [12, 0, 0, 3]);
  assert.strictEqual(run('p === p2 && x.y.z === p'), true);
  assert.strictEqual(typeof window.x.y, 'object');
  assert.strictEqual(run('Ruvo.__copy(null,null)'), null);
  assert.deepStrictEqual(json('Ruvo.__copy(null,{k:1})'), { k: 1 });
});

test('sortOn: by function, by one, two and more fields, and by the options', () => {
  const { run, json } = load({ flash: true });
  run(`function rows(){ return [{a:2,b:1,c:9},{a:1,b:5,c:0},{a:2,b:0,c:1},{a:1,b:5,c:-1}]; }
       function pick(list,f){ return list.map(function(r){ return r[f]; }).join(','); }
       function show(list){ return list.map(function(r){ return ''+r.a+r.b+r.c; }).join(' '); }`);
  const rows = [
    ["show(rows().sortOn(function(x,y){return x.c-y.c;}))", '15-1 150 201 219'],
    ['show(rows().sortOn([]))', '219 150 201 15-1'],
    ["show(rows().sortOn(['a','b']))", '150 15-1 201 219'],
    ["show(rows().sortOn(['a','b'],18))", '219 201 150 15-1'],
    ["show(rows().sortOn(['a','b','c']))", '15-1 150 201 219'],
    ["show(rows().sortOn(['a','b','c'],18))", '219 201 150 15-1'],
    ["show(rows().sortOn(['c']))", '15-1 150 201 219'],
    ["pick(rows().sortOn('c',16),'c')", '-1,0,1,9'],
    ["pick(rows().sortOn('c',2),'c')", '9,1,0,-1'],
    ["pick(rows().sortOn('c',Array.NUMERIC|Array.DESCENDING),'c')", '9,1,0,-1'],
    ["pick(rows().sortOn('c'),'c')", '-1,0,1,9'],
    ["pick(rows().sortOn('c',1),'c')", '-1,0,1,9'],
    ['[10,9,100].sort(16).join()', '9,10,100'],
    ['[10,9,100].sort(18).join()', '100,10,9'],
    ['[10,9,100].sort().join()', '10,100,9'],
    ['[3,1,2].sort(function(x,y){return y-x;}).join()', '3,2,1'],
  ];
  for (const [code, want] of rows) assert.strictEqual(run(code), want, code);
  assert.deepStrictEqual(json("Object.keys([1]).concat(Object.keys(Array.prototype))"), ['0']);
});

// Fields that hold strings sort as strings (numeric fields keep their
// numeric order), and every combination of the flags sorts: the built-in
// sort throws on a number in place of a function.
test('sort and sortOn: string fields and the other flags', () => {
  const { run, json } = load({ flash: true });
  run(`function units(){ return [{n:'orc',k:'b',hp:10},{n:'Elf',k:'a',hp:9},{n:'ant',k:'b',hp:100},{n:'elf',k:'a',hp:9}]; }
       function pick(list,f){ return list.map(function(r){ return r[f]; }).join(','); }`);
  const rows = [
    ["pick(units().sortOn('n'),'n')", 'Elf,ant,elf,orc'],
    ["pick(units().sortOn('n',Array.DESCENDING),'n')", 'orc,elf,ant,Elf'],
    ["pick(units().sortOn('n',Array.CASEINSENSITIVE),'n')", 'ant,Elf,elf,orc'],
    ["pick(units().sortOn('n',Array.CASEINSENSITIVE|Array.DESCENDING),'n')", 'orc,Elf,elf,ant'],
    ["pick(units().sortOn('hp'),'hp')", '9,9,10,100'],
    ["pick(units().sortOn(['k','n']),'n')", 'Elf,elf,ant,orc'],
    ["pick(units().sortOn(['k','hp'],Array.DESCENDING),'n')", 'ant,orc,Elf,elf'],
    ["pick(units().sortOn(['k','hp','n'],Array.CASEINSENSITIVE),'n')", 'Elf,elf,orc,ant'],
    ["units().sortOn('hp',Array.UNIQUESORT)", 0],
    ["pick(units().sortOn('n',Array.UNIQUESORT),'n')", 'Elf,ant,elf,orc'],
    ["units().sortOn('hp',Array.RETURNINDEXEDARRAY|Array.NUMERIC).join()", '1,3,0,2'],
    ["var u=units(); u.sortOn('n',Array.RETURNINDEXEDARRAY); pick(u,'n')", 'orc,Elf,ant,elf'],
    ["['b','C','a'].sort(Array.DESCENDING).join()", 'b,a,C'],
    ["['b','C','a'].sort(Array.CASEINSENSITIVE|Array.DESCENDING).join()", 'C,b,a'],
    ["[10,9,100].sort(0).join()", '10,100,9'],
    ["[10,9,100].sort(Array.RETURNINDEXEDARRAY|Array.NUMERIC).join()", '1,0,2'],
    ["[3,1,3].sort(Array.UNIQUESORT|Array.NUMERIC)", 0],
    ["[3,1,2].sort(Array.UNIQUESORT|Array.NUMERIC).join()", '1,2,3'],
  ];
  for (const [code, want] of rows) assert.strictEqual(run(code), want, code);
  assert.deepStrictEqual(json("Object.keys([1]).concat(Object.keys(Array.prototype))"), ['0']);
});

test('Flash-API header: zafrit, VENDRIX and bound functions that stay the same', () => {
  const { run, json, window } = load({ flash: true });
  assert.strictEqual(typeof window.zafrit.utils, 'object');
  assert.strictEqual(run('VENDRIX === window.VENDRIX && VENDRIX.classmap === Ruvo.__classmap && VENDRIX.systemClass.array'), 'Array');
  run(`function A(){ this.n=1; } A.prototype.get=function(){ return this.n; };
       var a=new A(), b=new A(); b.n=2;
       var f1=VENDRIX.bind(a,a.get), f2=VENDRIX.bind(a,a.get), f3=VENDRIX.bind(b,a.get);
       var protoBound=VENDRIX.bind(A.prototype,A.prototype.get), fromInstance=VENDRIX.bind(a,A.prototype.get);`);
  assert.strictEqual(run('f1 === f2 && f1 !== f3 && f1() + f3()'), 3);
  assert.strictEqual(run('fromInstance()'), 1, 'an instance never uses the cache of its prototype');
  assert.strictEqual(run('VENDRIX.bind(null,a.get) === null && VENDRIX.bind(a,null) === null'), true);
  assert.strictEqual(run('VENDRIX.bind(5,function(){return this+1;})()'), 6);
  assert.strictEqual(run('Array.NUMERIC + Array.DESCENDING + Array.CASEINSENSITIVE + Array.RETURNINDEXEDARRAY + Array.UNIQUESORT'), 31);
  assert.deepStrictEqual(json('Object.keys(a)'), ['n']);
});

test('the Dictionary replacement: objects of a class registered with dic become unique keys', () => {
  const { run, json } = load({ flash: true, dic: true });
  assert.strictEqual(run('Ruvo.class.length'), 5);
  run(`function K(){} Ruvo.class(K,'p.K',true);
       function Plain(){} Ruvo.class(Plain,'p.Plain',false);
       function L(){} Ruvo.class(L,'p.L',true,Array);
       var k1=new K(), k2=new K(), l=new L(), map={};
       map[k1]='one'; map[k2]='two'; map[l]='list';`);
  assert.deepStrictEqual(json('Object.keys(map)'), ['&ruvodic_-1', '&ruvodic_-2', '&ruvodic_-3']);
  assert.strictEqual(run("VENDRIX.DICKEYS['&ruvodic_-2'] === k2 && map[k1]"), 'one');
  assert.strictEqual(run("String(new Plain())"), '[object Object]');
  assert.strictEqual(run("l instanceof Array && Object.keys(l).length"), 0, 'the hidden key stays out of the members');
  assert.strictEqual(run("Ruvo.__classmap.Dictionary === Dictionary && zafrit.utils.Dictionary === Dictionary"), true);
});

test('Date has the accessors of ActionScript, read-only where ActionScript has them so', () => {
  const { run, json } = load();
  run(`var d=new Date(2020,0,31,10,20,30,400); d.date+=1; d.hours-=1; d.fullYear=2021;
       var u=new Date(Date.UTC(2000,5,15)); u.monthUTC+=1; var day=u.dayUTC; u.dayUTC=0;`);
  assert.deepStrictEqual(json('[d.fullYear,d.month,d.date,d.hours,d.minutes,d.seconds,d.milliseconds,d.day]'),
                         [2021, 1, 1, 9, 20, 30, 400, 1]);
  assert.deepStrictEqual(json('[u.monthUTC,u.dateUTC,day,u.dayUTC,u.time===u.getTime()]'), [6, 15, 6, 6, true]);
  assert.strictEqual(run('d.timezoneOffset===d.getTimezoneOffset() && Object.keys(d).length===0'), true);
});

test('A value assigned to a Date accessor name of the prototype itself stays a plain property', () => {
  const { run } = load();
  assert.strictEqual(run("Date.prototype.month=function(){return 'own';}; typeof Date.prototype.month"), 'function');
});

test('Arrays insert and remove at an index, without new enumerable keys', () => {
  const { run, json } = load();
  run('var a=[1,2,3]; a.insertAt(1,9); var r=a.removeAt(2); var keys=[]; for(var k in a) keys.push(k);');
  assert.deepStrictEqual(json('[a,r,keys]'), [[1, 9, 3], 2, ['0', '1', '2']]);
});
