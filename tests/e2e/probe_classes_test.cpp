// Small games' class shapes compiled by the real program and run in node:
// each case is a project of a few ActionScript files whose traces must come
// out as the Flash original prints them.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "harness.h"

namespace {

using Files = std::vector<std::pair<std::string, std::string>>;

const char kProject[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<project version=\"2\">\n"
    "  <classpaths>\n"
    "    <class path=\"src\" />\n"
    "  </classpaths>\n"
    "  <compileTargets>\n"
    "    <compile path=\"src/Main.as\" />\n"
    "  </compileTargets>\n"
    "</project>\n";

struct Compiled {
  ruvotest::RunResult run;
  std::string js;
  ruvotest::RunResult node;
};

// Runs a script compiled with the emulation library on, which is not loaded
// here: the start hooks it would provide only create the main class.
const char kLibraryRunner[] =
    "'use strict';\n"
    "const fs = require('fs');\n"
    "const vm = require('vm');\n"
    "globalThis.window = globalThis;\n"
    "globalThis.document = { getElementById() { return null; }, createElement() { return {}; } };\n"
    "let core;\n"
    "Object.defineProperty(globalThis, 'Ruvo', { configurable: true, get() { return core; },\n"
    "  set(v) { core = v; if (v && !v.Main) v.Main = (start) => start(); } });\n"
    "globalThis.Zafrit = { Start() {}, Run(main) { return main; } };\n"
    "vm.runInThisContext(fs.readFileSync(process.argv[2], 'utf8'), { filename: process.argv[2] });\n";

// Writes the sources under src/ of a fresh project, compiles it (without the
// emulation library unless asked) and runs the script in node.
Compiled compileAndRun(const Files& files, bool library = false) {
  Compiled c;
  ruvotest::TempDir work;
  ruvotest::Install inst;
  const std::string proj = work / "proj";
  ruvotest::writeFile(proj + "/game.as3proj", kProject);
  for (const auto& [path, text] : files) ruvotest::writeFile(proj + "/src/" + path, text);
  c.run = inst.run({proj + "/game.as3proj" + (library ? "" : ";zafrit=false")});
  const std::string script = proj + "/bin/h5/game.max.js";
  if (!ruvotest::fileExists(script)) return c;
  c.js = ruvotest::readFile(script);
  std::string runner = ruvotest::sourceDir() + "/examples/run-in-node.js";
  if (library) {
    runner = work / "library-runner.js";
    ruvotest::writeFile(runner, kLibraryRunner);
  }
  c.node = ruvotest::runNode(runner, {script});
  return c;
}

struct RunCase {
  const char* name;
  Files files;
  const char* expected;
};

void runCases(const std::vector<RunCase>& cases, bool library = false) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  for (const RunCase& rc : cases) {
    SCOPED_TRACE(rc.name);
    Compiled c = compileAndRun(rc.files, library);
    ASSERT_FALSE(c.js.empty()) << c.run.out << c.run.err;
    EXPECT_EQ(c.node.exitCode, 0) << c.node.err;
    EXPECT_EQ(c.node.out, rc.expected);
  }
}

// Interfaces are not pre-scanned: a wildcard import, an implements clause or
// an interface's extends clause met before the interface's own file was parsed
// still name it by its full name, so `is` sees it through subclasses and
// through interfaces extending interfaces.
TEST(ProbeClasses, InterfacesFromWildcardImportsParsedLater) {
  runCases({
      {"wildcard import in Main, implements in another package, extends in the same package",
       {{"Main.as",
         "package\n{\n\timport game.Hero;\n\timport zz.*;\n\n\tpublic class Main implements ITickable\n\t{\n"
         "\t\tpublic function Main()\n\t\t{\n"
         "\t\t\tvar h:Hero = new Hero();\n"
         "\t\t\tvar n:Object = null;\n"
         "\t\t\ttrace(h is ITickable, h is IMover, this is ITickable, this is IMover, n is ITickable);\n"
         "\t\t\tvar list:Array = [h, this, new Object()];\n"
         "\t\t\tfor (var i:int = 0; i < list.length; i++)\n\t\t\t{\n"
         "\t\t\t\tif (list[i] is IMover) IMover(list[i]).move();\n"
         "\t\t\t\tif (list[i] is ITickable) ITickable(list[i]).tick();\n\t\t\t}\n"
         "\t\t}\n"
         "\t\tpublic function tick():void { trace(\"main tick\"); }\n\t}\n}\n"},
        {"game/Hero.as",
         "package game\n{\n\timport zz.*;\n\n\tpublic class Hero implements IMover\n\t{\n"
         "\t\tpublic function tick():void { trace(\"hero tick\"); }\n"
         "\t\tpublic function move():void { trace(\"hero move\"); }\n\t}\n}\n"},
        {"zz/ITickable.as", "package zz\n{\n\tpublic interface ITickable\n\t{\n\t\tfunction tick():void;\n\t}\n}\n"},
        {"zz/IMover.as",
         "package zz\n{\n\tpublic interface IMover extends ITickable\n\t{\n\t\tfunction move():void;\n\t}\n}\n"}},
       "true true true false false\n"
       "hero move\n"
       "hero tick\n"
       "main tick\n"},
  });
}

// A private member that a base class declares too is renamed; reached
// through an element of a Vector of its class held in a parameter or a local
// (others[0]._id, grid[1][0]._id) it is read under that name, not as the
// base class's member.
TEST(ProbeClasses, RenamedPrivatesThroughElementsOfTypedLocals) {
  runCases({
      {"Vector parameter and nested Vector local",
       {{"Main.as",
         "package\n{\n\tpublic class Main\n\t{\n"
         "\t\tpublic function Main()\n\t\t{\n"
         "\t\t\tvar a:Node = new Node(7);\n"
         "\t\t\tvar others:Vector.<Node> = new Vector.<Node>();\n"
         "\t\t\tothers.push(new Node(5));\n"
         "\t\t\ttrace(a.sumWith(others), a.fromGrid(), a.baseId());\n"
         "\t\t}\n\t}\n}\n"},
        {"Base.as",
         "package\n{\n\tpublic class Base\n\t{\n"
         "\t\tprivate var _id:int = 100;\n"
         "\t\tpublic function baseId():int { return _id; }\n\t}\n}\n"},
        {"Node.as",
         "package\n{\n\tpublic class Node extends Base\n\t{\n"
         "\t\tprivate var _id:int;\n"
         "\t\tpublic function Node(v:int) { _id = v; }\n"
         "\t\tpublic function sumWith(others:Vector.<Node>):int { return _id + others[0]._id; }\n"
         "\t\tpublic function fromGrid():int\n\t\t{\n"
         "\t\t\tvar grid:Vector.<Vector.<Node>> = new Vector.<Vector.<Node>>();\n"
         "\t\t\tgrid.push(new Vector.<Node>());\n"
         "\t\t\tgrid.push(new Vector.<Node>());\n"
         "\t\t\tgrid[1].push(new Node(3));\n"
         "\t\t\treturn grid[1][0]._id;\n"
         "\t\t}\n\t}\n}\n"}},
       "12 3 100\n"},
  });
}

// An instance variable whose initialiser starts with a literal but goes on
// (`"L" + count`, `10 * scale`) reads members set before it: it is computed
// in declaration order with the other computed initialisers.
TEST(ProbeClasses, InstanceInitialisersStartingWithALiteralKeepTheirOrder) {
  runCases({
      {"initialisers reading earlier members",
       {{"Main.as",
         "package\n{\n\tpublic class Main\n\t{\n"
         "\t\tpublic var items:Array = [1, 2, 3];\n"
         "\t\tpublic var count:int = items.length;\n"
         "\t\tpublic var label:String = \"L\" + count;\n"
         "\t\tpublic var twice:int = 2 * count;\n"
         "\t\tpublic var flag:Boolean = true;\n"
         "\t\tpublic var title:String = \"plain\";\n\n"
         "\t\tpublic function Main()\n\t\t{\n"
         "\t\t\ttrace(count + \" \" + label + \" \" + twice + \" \" + flag + \" \" + title);\n"
         "\t\t\tvar k:Knight = new Knight();\n"
         "\t\t\ttrace(k.hp + \" \" + k.tag);\n"
         "\t\t}\n\t}\n}\n"
         "class Unit\n{\n\tpublic var hp:int = 10;\n}\n"
         "class Knight extends Unit\n{\n\tpublic var armor:int = hp * 3;\n\tpublic var tag:String = \"armor:\" + armor;\n}\n"}},
       "3 L3 6 true plain\n"
       "10 armor:30\n"},
  });
}

// Classes after the package block that extend one another, in either order
// of declaration: the base is linked, defined first, and reached by
// super(...), super.method() and inherited members.
TEST(ProbeClasses, PrivateClassesExtendingPrivateClasses) {
  runCases({
      {"base declared first and last",
       {{"Main.as",
         "package\n{\n\tpublic class Main\n\t{\n\t\tpublic function Main()\n\t\t{\n"
         "\t\t\tvar s:State = new RunState();\n"
         "\t\t\ttrace(s.name() + \" \" + (s is State) + \" \" + (s is RunState) + \" \" + (s is JumpState));\n"
         "\t\t\tvar j:State = new JumpState();\n"
         "\t\t\tj.enter();\n"
         "\t\t\ttrace(State.count + \" \" + new Knight().tag);\n"
         "\t\t}\n\t}\n}\n"
         "class JumpState extends RunState\n{\n"
         "\toverride public function name():String { return \"jump<\" + super.name() + \">\"; }\n"
         "\toverride public function enter():void { super.enter(); trace(\"jump enter \" + speed); }\n}\n"
         "class State\n{\n\tpublic static var count:int = 0;\n\tprotected var speed:int = 1;\n"
         "\tpublic function State() { count++; }\n"
         "\tpublic function name():String { return \"state\"; }\n"
         "\tpublic function enter():void { trace(\"enter \" + name()); }\n}\n"
         "class RunState extends State\n{\n\tpublic function RunState() { super(); speed = 5; }\n"
         "\toverride public function name():String { return \"run/\" + super.name(); }\n}\n"
         "class Unit\n{\n\tpublic var hp:int = 10;\n}\n"
         "class Knight extends Unit\n{\n\tpublic var tag:String = \"hp:\" + hp;\n}\n"}},
       "run/state true true false\n"
       "enter jump<run/state>\n"
       "jump enter 5\n"
       "2 hp:10\n"},
  });
}

// With the emulation library, a method handed on as a callback keeps its
// instance whether it is written this.onHp or onHp alone, in a method or in a
// closure, and so does a method of another object held in a typed local or
// member (p.count, this._player.count); the same method bound twice is the
// same function, so it can be taken off again. A parameter named like a
// method is passed as it is.
TEST(ProbeClasses, MethodClosuresKeepTheirInstanceWithTheLibrary) {
  runCases(
      {
          {"bare and this. method names as callback arguments",
           {{"Main.as",
             "package\n{\n\timport ev.Player;\n\n\tpublic class Main\n\t{\n\t\tprivate var _log:Array = [];\n"
             "\t\tprivate var _player:Player;\n\n"
             "\t\tpublic function Main()\n\t\t{\n"
             "\t\t\tvar p:Player = new Player();\n"
             "\t\t\tp.on(onHp);\n"
             "\t\t\tp.on(this.onHit);\n"
             "\t\t\tvar later:Function = function():void { p.on(onHp); };\n"
             "\t\t\tlater();\n"
             "\t\t\tp.hp = 5;\n"
             "\t\t\tp.off(onHp);\n"
             "\t\t\tp.hp = 3;\n"
             "\t\t\tpass(function(v:int):void { _log.push(\"fn\" + v); });\n"
             "\t\t\t_player = p;\n"
             "\t\t\tcount(p.count);\n"
             "\t\t\tcount(this._player.count);\n"
             "\t\t\tcount(_player.count);\n"
             "\t\t\ttrace(_log.join(\",\") + \" \" + p.count());\n"
             "\t\t}\n\n"
             "\t\tprivate function pass(onHp:Function):void { onHp(1); }\n"
             "\t\tprivate function count(fn:Function):void { _log.push(\"n\" + fn()); }\n"
             "\t\tprivate function onHp(v:int):void { _log.push(\"hp\" + v); }\n"
             "\t\tprotected function onHit(v:int):void { _log.push(\"hit\" + v); }\n"
             "\t}\n}\n"},
            {"ev/Player.as",
             "package ev\n{\n\tpublic class Player\n\t{\n\t\tprivate var _fns:Array = [];\n\t\tprivate var _hp:int;\n"
             "\t\tpublic function on(fn:Function):void { if (_fns.indexOf(fn) < 0) _fns.push(fn); }\n"
             "\t\tpublic function off(fn:Function):void { var i:int = _fns.indexOf(fn); if (i >= 0) _fns.splice(i, 1); }\n"
             "\t\tpublic function count():int { return _fns.length; }\n"
             "\t\tpublic function set hp(v:int):void\n\t\t{\n\t\t\t_hp = v;\n"
             "\t\t\tfor (var i:int = 0; i < _fns.length; i++) { var f:Function = _fns[i]; f(v); }\n"
             "\t\t}\n\t}\n}\n"}},
           "hp5,hit5,hit3,fn1,n1,n1,n1 1\n"},
      },
      true);
}

// A private member that a subclass declares under the same name as a private
// member of its base is renamed: another instance of the class reaches it
// under that name too (copying in clone(), comparing in equals()), closures
// of the class use it, and a private accessor pair is defined under it.
TEST(ProbeClasses, PrivateMembersOfOtherInstancesOfTheSameClass) {
  runCases({
      {"clone and compare through a typed local and parameter",
       {{"Main.as",
         "package\n{\n\tpublic class Main\n\t{\n\t\tpublic function Main()\n\t\t{\n"
         "\t\t\tvar s:Sub = new Sub(4);\n"
         "\t\t\tvar c:Sub = s.clone();\n"
         "\t\t\ttrace(c.value() + \" \" + c.same(s) + \" \" + c.baseValue() + \" \" + s.baseValue());\n"
         "\t\t}\n\t}\n}\n"
         "class Base\n{\n\tprivate var state:int = 1;\n\tpublic function baseValue():int { return state; }\n}\n"
         "class Sub extends Base\n{\n\tprivate var state:int;\n"
         "\tpublic function Sub(v:int = 0) { state = v; }\n"
         "\tpublic function value():int { return state; }\n"
         "\tpublic function clone():Sub { var c:Sub = new Sub(); c.state = state; return c; }\n"
         "\tpublic function same(o:Sub):Boolean { return o.state == state; }\n}\n"}},
       "4 true 1 1\n"},
      {"private accessors and static functions named like the base's",
       {{"Main.as",
         "package\n{\n\tpublic class Main\n\t{\n\t\tpublic function Main()\n\t\t{\n"
         "\t\t\tvar s:Sub = new Sub();\n"
         "\t\t\ttrace(s.baseSize() + \" \" + s.subSize() + \" \" + s.baseHelp() + \" \" + s.subHelp());\n"
         "\t\t}\n\t}\n}\n"
         "class Base\n{\n\tprivate function get size():int { return 1; }\n"
         "\tprivate static function help():String { return \"base\"; }\n"
         "\tpublic function baseSize():int { return size; }\n"
         "\tpublic function baseHelp():String { return help(); }\n}\n"
         "class Sub extends Base\n{\n\tprivate var _s:int = 2;\n"
         "\tprivate function get size():int { return _s; }\n"
         "\tprivate function set size(v:int):void { _s = v; }\n"
         "\tprivate static function help():String { return \"sub\"; }\n"
         "\tpublic function subSize():int { size = size + 1; return this.size; }\n"
         "\tpublic function subHelp():String { return help(); }\n}\n"}},
       "1 3 base sub\n"},
      {"a renamed private member used in closures",
       {{"Main.as",
         "package\n{\n\tpublic class Main\n\t{\n\t\tpublic function Main()\n\t\t{\n"
         "\t\t\tvar s:Sub = new Sub();\n\t\t\ts.bump();\n"
         "\t\t\ttrace(s.baseState() + \" \" + s.subState());\n"
         "\t\t}\n\t}\n}\n"
         "class Base\n{\n\tprivate var state:int = 1;\n\tpublic function baseState():int { return state; }\n}\n"
         "class Sub extends Base\n{\n\tprivate var state:int = 5;\n"
         "\tpublic function bump():void\n\t{\n"
         "\t\tvar f:Function = function():void { state += 10; };\n\t\tf();\n"
         "\t\t[1].forEach(function(x:int, i:int, a:Array):void { state += x; });\n\t}\n"
         "\tpublic function subState():int { return state; }\n}\n"}},
       "1 16\n"},
      // Nodes 1 -> 12 -> 13 (link adds 10 to the next one's id); the base's
      // own _id and _next stay -1 and null. headId is 12 + 1 * 1000; grid
      // reads node 2 three times: through an index, through the first's
      // _next and through a cast of the first (100 times).
      {"a renamed private member reached through a typed member, a static, a Vector element and a cast",
       {{"Main.as",
         "package\n{\n\tpublic class Main\n\t{\n\t\tpublic function Main()\n\t\t{\n"
         "\t\t\tvar a:Node = new Node(1), b:Node = new Node(2), c:Node = new Node(3);\n"
         "\t\t\ta.link(b); b.link(c);\n"
         "\t\t\ttrace(a.walk(), a.second(), Node.headId(), a.grid(), a.viaClosure()());\n"
         "\t\t}\n\t}\n}\n"
         "class Item\n{\n\tprivate var _id:int = -1;\n\tprivate var _next:Item;\n}\n"
         "class Node extends Item\n{\n\tprivate var _id:int;\n\tprivate var _next:Node;\n"
         "\tprivate static var _head:Node;\n"
         "\tpublic function Node(id:int) { _id = id; if (!_head) _head = this; }\n"
         "\tpublic function link(n:Node):void { _next = n; this._next._id += 10; }\n"
         "\tpublic function walk():String {\n\t\tvar s:String = \"\";\n"
         "\t\tfor (var n:Node = this; n; n = n._next) s += n._id + \",\";\n\t\treturn s;\n\t}\n"
         "\tpublic function second():int { return _next._id + this._next._next._id * 100; }\n"
         "\tpublic static function headId():int { return _head._next._id + Node._head._id * 1000; }\n"
         "\tpublic function grid():int {\n"
         "\t\tvar g:Vector.<Vector.<Node>> = new Vector.<Vector.<Node>>();\n"
         "\t\tg.push(new <Node>[this, _next]);\n"
         "\t\treturn g[0][1]._id + g[0][0]._next._id + Node(g[0][0])._next._id * 100;\n\t}\n"
         "\tpublic function viaClosure():Function { return function():int { return _next._next._id; }; }\n}\n"}},
       "1,12,13, 1312 1012 1224 13\n"},
      // Through as casts in brackets: node 1 read as 10 + 1, then nodes 2
      // and 1 of an Array (2 + 100); bump adds 5 then 1 to node 1's own _id
      // (7). f(o as Node)._id is a call's result, whose _id stays the base's
      // name: the Item that f returns holds -1.
      {"a renamed private member reached through an as cast",
       {{"Main.as",
         "package\n{\n\tpublic class Main\n\t{\n\t\tpublic function Main()\n\t\t{\n"
         "\t\t\tvar a:Node = new Node(1), b:Node = new Node(2);\n"
         "\t\t\ttrace(a.peek(a), a.pair([a, b]), a.bump(a), a.called(a));\n"
         "\t\t}\n\t}\n}\n"
         "class Item\n{\n\tprivate var _id:int = -1;\n}\n"
         "class Node extends Item\n{\n\tprivate var _id:int;\n"
         "\tpublic function Node(id:int) { _id = id; }\n"
         "\tpublic function peek(o:Object):int { return (o as Node)._id * 10 + Node(o)._id; }\n"
         "\tpublic function pair(list:Array):int { return (list[1] as Node)._id + ((list[0] as Node))._id * 100; }\n"
         "\tpublic function bump(o:Object):int { (o as Node)._id += 5; (o as Node)._id++; return _id; }\n"
         "\tprivate function f(n:Node):Object { return new Item(); }\n"
         "\tpublic function called(o:Object):int { return f(o as Node)._id; }\n}\n"}},
       "11 102 7 -1\n"},
  });
}

}  // namespace
