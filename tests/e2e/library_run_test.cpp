// Programs compiled with the emulation library on, as studios compile them,
// and run in node with stand-ins for the library's start (the harness's
// compileLibraryOnAndRun): what the Flash-API header and the library-on
// translation give the program, worked out by hand from the ActionScript.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "expect_run.h"
#include "harness.h"

namespace {

// Compiles, runs and checks what node prints; no warning or error may be reported.
void expectPrints(const std::map<std::string, std::string>& sources, const std::string& expected,
                  const std::string& options = "") {
  ruvotest::expectCleanRun(ruvotest::compileLibraryOnAndRun(sources, options), expected);
}

using ruvotest::mainClass;

// The sources of a fixture project, tests/fixtures/<name>/src/, by their
// path under src/.
std::map<std::string, std::string> fixtureSources(const std::string& name) {
  const std::string dir = ruvotest::fixtureDir(name) + "/src";
  std::map<std::string, std::string> sources;
  for (const std::string& rel : ruvotest::listFiles(dir)) sources[rel] = ruvotest::readFile(dir + "/" + rel);
  return sources;
}

// Compiles the fixture project tests/fixtures/<name> (game.as3proj) with the
// library's stand-ins of tests/fixtures/zafrit-standins as the install's
// library, and runs its script in node.
ruvotest::RunResult runWithStandIns(const std::string& name) {
  ruvotest::TempDir work;
  ruvotest::Install inst;
  ruvotest::copyFixture("zafrit-standins", inst.root() + "/libs/zafrit");
  const std::string proj = work / "proj";
  ruvotest::copyFixture(name, proj);
  ruvotest::RunResult run = inst.run({proj + "/game.as3proj"});
  EXPECT_EQ(run.out.find("MSG,7,"), std::string::npos) << run.out;
  return ruvotest::runNode(ruvotest::sourceDir() + "/tests/support/run-library-on.js", {proj + "/bin/h5/game.max.js"});
}

}  // namespace

// Sorting a high-score table and a unit list: the flags other than NUMERIC
// sort as Flash sorts (strings, from the largest with DESCENDING, case
// ignored with CASEINSENSITIVE), sortOn a field of strings sorts by it, and
// RETURNINDEXEDARRAY and UNIQUESORT leave the array as it is.
TEST(LibraryOn, SortFlagsAndSortOnStringFields) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 mainClass("", "\t\tprivate function pick(a:Array):String {\n"
                               "\t\t\tvar s:String = \"\";\n"
                               "\t\t\tfor each (var o:Object in a) s += o.n;\n"
                               "\t\t\treturn s;\n\t\t}\n",
                           "var names:Array = [\"bob\", \"Al\", \"carl\", \"al\"];\n"
                           "trace(names.concat().sort(Array.DESCENDING).join(\",\"));\n"
                           "trace(names.concat().sort(Array.CASEINSENSITIVE | Array.DESCENDING).join(\",\"));\n"
                           "var recs:Array = [{n: \"c\", v: 2}, {n: \"a\", v: 10}, {n: \"b\", v: 1}];\n"
                           "trace(pick(recs.sortOn(\"n\")), pick(recs.sortOn(\"v\")), pick(recs.sortOn(\"n\", "
                           "Array.DESCENDING)), pick(recs.sortOn([\"v\"], Array.NUMERIC | Array.DESCENDING)));\n"
                           "var idx:Array = recs.sortOn(\"n\", Array.RETURNINDEXEDARRAY);\n"
                           "trace(idx.join(\",\"), pick(recs), [3, 1, 3].sort(Array.UNIQUESORT | Array.NUMERIC));")}},
               "carl,bob,al,Al\n"
               "carl,bob,Al,al\n"
               "abc bca cba acb\n"
               "0,2,1 acb 0\n");
}

// sortOn with an array of options gives each field its own (a leaderboard by
// score from the largest, ties by time from the smallest), and sort with a
// compare function honours DESCENDING, UNIQUESORT and RETURNINDEXEDARRAY.
TEST(LibraryOn, SortOnWithOptionsPerFieldAndSortWithAFunctionAndFlags) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 mainClass("", "\t\tprivate function pick(a:Array):String {\n"
                               "\t\t\tvar s:String = \"\";\n"
                               "\t\t\tfor each (var o:Object in a) s += o.n;\n"
                               "\t\t\treturn s;\n\t\t}\n"
                               "\t\tprivate function byLower(x:String, y:String):int {\n"
                               "\t\t\treturn x.toLowerCase() < y.toLowerCase() ? -1 : (x.toLowerCase() > y.toLowerCase() ? 1 : 0);\n"
                               "\t\t}\n",
                           "var rows:Array = [{n: \"c\", s: 10, t: 30}, {n: \"a\", s: 20, t: 50}, {n: \"b\", s: 10, t: 20}, "
                           "{n: \"d\", s: 20, t: 40}];\n"
                           "rows.sortOn([\"s\", \"t\"], [Array.NUMERIC | Array.DESCENDING, Array.NUMERIC]);\n"
                           "trace(pick(rows));\n"
                           "rows.sortOn([\"s\", \"n\", \"t\"], [Array.NUMERIC, Array.DESCENDING, Array.NUMERIC]);\n"
                           "trace(pick(rows), pick(rows.sortOn(\"t\", [Array.NUMERIC | Array.DESCENDING])));\n"
                           "var words:Array = [\"b\", \"C\", \"a\"];\n"
                           "trace(words.sort(byLower, Array.DESCENDING).join(\"\"), words.sort(byLower, Array.RETURNINDEXEDARRAY).join(\",\"), "
                           "[\"x\", \"X\"].sort(byLower, Array.UNIQUESORT), words.sort(byLower).join(\"\"));")}},
               "dabc\n"
               "cbda adcb\n"
               "Cba 2,1,0 0 abC\n");
}

// A method read as a value keeps its object, as a method closure does in
// Flash: kept in a local, in an array, in another object's field that that
// object calls as its own method, given back by return, chosen by ?:, or
// taken inside a closure, or handed to the base class's constructor through
// super(...) (as ash's list systems take their node functions); kept in a
// field it still compares equal to the method. A parameter named like a
// method is the parameter.
TEST(LibraryOn, MethodsReadAsValuesKeepTheirObject) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 mainClass("\timport ui.Button;\n\timport ui.Summer;\n",
                           "\t\tprivate var factor:int = 3;\n"
                           "\t\tprivate var seen:Array = [];\n"
                           "\t\tprivate var state:Function;\n"
                           "\t\tprivate function visit(x:int):void { seen.push(x * factor); }\n"
                           "\t\tprivate function scale(x:int):int { return x * factor; }\n"
                           "\t\tprivate function onClick():void { seen.push(\"c\" + factor); }\n"
                           "\t\tprivate function idle():void { seen.push(\"idle\"); }\n"
                           "\t\tprivate function run():void { seen.push(\"run\"); }\n"
                           "\t\tprivate function pick(big:Boolean):Function { if (big) return scale; return visit; }\n"
                           "\t\tprivate function use(visit:Function):void { var h:Function = visit; h(7); }\n",
                           "var f:Function = visit;\n"
                           "f(1);\n"
                           "var table:Array = [visit, this.scale];\n"
                           "table[0](2);\n"
                           "trace(seen.join(\",\"), table[1](5));\n"
                           "var b:Button = new Button();\n"
                           "b.onClick = onClick;\n"
                           "b.click();\n"
                           "trace(b.clicks, seen.length);\n"
                           "state = idle;\n"
                           "trace(state == idle, state != idle, state == run, idle == state);\n"
                           "state();\n"
                           "var g:Function = pick(true);\n"
                           "var k:Function = g == scale ? run : visit;\n"
                           "k();\n"
                           "trace(g(4));\n"
                           "var later:Function;\n"
                           "[1].forEach(function(x:int, i:int, a:Array):void { later = visit; });\n"
                           "later(10);\n"
                           "use(function(x:int):void { seen.push(-x); });\n"
                           "trace(seen.join(\",\"));\n"
                           "var sum:Summer = new Summer();\n"
                           "sum.run(4);\n"
                           "trace(sum.total, sum.squares);")},
                {"ui/Repeater.as",
                 "package ui {\n"
                 "\tpublic class Repeater {\n"
                 "\t\tprivate var hooks:Object;\n"
                 "\t\tpublic function Repeater(each:Function, after:Function = null) {\n"
                 "\t\t\thooks = {each: each, after: after};\n"
                 "\t\t}\n"
                 "\t\tpublic function run(n:int):void {\n"
                 "\t\t\tfor (var i:int = 0; i < n; i++) hooks.each(i);\n"
                 "\t\t\tif (hooks.after != null) hooks.after(n);\n"
                 "\t\t}\n"
                 "\t}\n"
                 "}\n"},
                {"ui/Summer.as",
                 "package ui {\n"
                 "\tpublic class Summer extends Repeater {\n"
                 "\t\tpublic var total:int = 0;\n"
                 "\t\tpublic var squares:int = 0;\n"
                 "\t\tpublic function Summer() {\n"
                 "\t\t\tsuper(add, this.square);\n"
                 "\t\t}\n"
                 "\t\tprivate function add(i:int):void { total += i; }\n"
                 "\t\tprivate function square(n:int):void { squares = n * n; }\n"
                 "\t}\n"
                 "}\n"},
                {"ui/Button.as",
                 "package ui {\n"
                 "\tpublic class Button {\n"
                 "\t\tpublic var onClick:Function;\n"
                 "\t\tpublic var clicks:int = 0;\n"
                 "\t\tpublic function click():void { clicks++; onClick(); }\n"
                 "\t}\n"
                 "}\n"}},
               "3,6 15\n"
               "1 3\n"
               "true false false true\n"
               "12\n"
               "3,6,c3,idle,run,30,-7\n"
               "6 16\n");
}

// A method taken as a default with || (handler || onDefault, a field set
// to itself || a method), alone in parentheses, or called through call and
// apply keeps its object, as a method closure does in Flash (call and apply
// cannot give it another one), and so does another object's method kept in
// an object literal; a static method called through call stays as it is.
TEST(LibraryOn, MethodsAsDefaultsAndThroughCallKeepTheirObject) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 mainClass("\timport game.Unit;\n",
                           "\t\tprivate var log:Array = [];\n"
                           "\t\tprivate var onEnd:Function;\n"
                           "\t\tprivate static function note(v:int):void { trace(\"note\" + v); }\n"
                           "\t\tprivate function onDefault(v:int):void { log.push(\"d\" + v); }\n",
                           "var custom:Function = null;\n"
                           "var f:Function = custom || onDefault;\n"
                           "f(1);\n"
                           "var g:Function = (onDefault);\n"
                           "g(2);\n"
                           "onDefault.call(null, 3);\n"
                           "this.onDefault.apply(null, [4]);\n"
                           "onEnd = onEnd || this.onDefault;\n"
                           "onEnd(5);\n"
                           "var u:Unit = new Unit();\n"
                           "var h:Function = u.hit || onDefault;\n"
                           "h(6);\n"
                           "u.hit.call(this, 7);\n"
                           "note.call(null, 8);\n"
                           "var menu:Object = {fire: u.hit, n: 1};\n"
                           "menu.fire(10);\n"
                           "trace(log.join(\",\"), u.hits, f == onDefault, onEnd == g);")},
                {"game/Unit.as",
                 "package game {\n"
                 "\tpublic class Unit {\n"
                 "\t\tpublic var hits:int = 0;\n"
                 "\t\tpublic function hit(v:int):void { hits += v; }\n"
                 "\t}\n"
                 "}\n"}},
               "note8\n"
               "d1,d2,d3,d4,d5 23 true true\n");
}

// Another object's method passed on as a listener keeps its object when the
// object is typed as an interface that declares the method, or one that
// inherits it from the interface it extends (robotlegs relays events with
// source.addEventListener(type, destination.dispatchEvent)); a getter of the
// interface named like no method, and "function get(...)", a method named
// get, are told apart.
TEST(LibraryOn, MethodOfAnInterfaceTypedObjectKeepsItsObject) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 mainClass("\timport relay.*;\n", "",
                           "var sink:Sink = new Sink();\n"
                           "var source:Source = new Source();\n"
                           "new Relay(source, sink).start();\n"
                           "source.fire(\"a\");\n"
                           "source.fire(\"b\");\n"
                           "trace(sink.got.join(\",\"), sink.count);")},
                {"relay/IReceiver.as",
                 "package relay {\n"
                 "\tpublic interface IReceiver {\n"
                 "\t\tfunction get count():int;\n"
                 "\t\tfunction receive(type:String):Boolean;\n"
                 "\t}\n"
                 "}\n"},
                {"relay/ISink.as",
                 "package relay {\n"
                 "\tpublic interface ISink extends IReceiver {\n"
                 "\t\tfunction get(key:String):String;\n"
                 "\t}\n"
                 "}\n"},
                {"relay/Sink.as",
                 "package relay {\n"
                 "\tpublic class Sink implements ISink {\n"
                 "\t\tpublic var got:Array = [];\n"
                 "\t\tpublic function get count():int { return got.length; }\n"
                 "\t\tpublic function receive(type:String):Boolean { got.push(type); return true; }\n"
                 "\t\tpublic function get(key:String):String { got.push(key.toUpperCase()); return key; }\n"
                 "\t}\n"
                 "}\n"},
                {"relay/Source.as",
                 "package relay {\n"
                 "\tpublic class Source {\n"
                 "\t\tprivate var listeners:Array = [];\n"
                 "\t\tpublic function listen(f:Function):void { listeners.push(f); }\n"
                 "\t\tpublic function fire(type:String):void {\n"
                 "\t\t\tfor each (var f:Function in listeners) f(type);\n"
                 "\t\t}\n"
                 "\t}\n"
                 "}\n"},
                {"relay/Relay.as",
                 "package relay {\n"
                 "\tpublic class Relay {\n"
                 "\t\tprivate var _source:Source;\n"
                 "\t\tprivate var _destination:ISink;\n"
                 "\t\tpublic function Relay(source:Source, destination:ISink) {\n"
                 "\t\t\t_source = source;\n"
                 "\t\t\t_destination = destination;\n"
                 "\t\t}\n"
                 "\t\tpublic function start():void {\n"
                 "\t\t\t_source.listen(_destination.receive);\n"
                 "\t\t\tvar d:ISink = _destination;\n"
                 "\t\t\t_source.listen(d.get);\n"
                 "\t\t}\n"
                 "\t}\n"
                 "}\n"}},
               "a,A,b,B 4\n");
}

// for (k in d) over a Dictionary gives its keys as they were stored: objects
// of the project's classes (kept as key texts by the runtime) come back as
// the objects, string keys as strings; over a local, a member and a
// parameter, with a key declared in the loop or before it, with and without
// braces.
TEST(LibraryOn, ForInOverADictionaryGivesTheKeyObjects) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 mainClass("\timport flash.utils.Dictionary;\n\timport game.Unit;\n",
                           "\t\tprivate var owners:Dictionary = new Dictionary();\n"
                           "\t\tprivate function totalHp(d:Dictionary):int {\n"
                           "\t\t\tvar hp:int = 0;\n"
                           "\t\t\tfor (var key:* in d) {\n"
                           "\t\t\t\tif (key is Unit) hp += key.hp;\n"
                           "\t\t\t}\n"
                           "\t\t\treturn hp;\n"
                           "\t\t}\n",
                           "var a:Unit = new Unit(\"a\", 3);\n"
                           "var b:Unit = new Unit(\"b\", 5);\n"
                           "owners[a] = \"p1\";\n"
                           "owners[b] = \"p2\";\n"
                           "owners[\"boss\"] = \"p3\";\n"
                           "var out:Array = [];\n"
                           "for (var k:Object in owners) out.push(k is Unit ? Unit(k).name + \"=\" + owners[k] : k + \"=\" + "
                           "owners[k]);\n"
                           "out.sort();\n"
                           "trace(out.join(\",\"));\n"
                           "delete owners[a];\n"
                           "trace(totalHp(owners), owners[a], owners[b]);\n"
                           "var seen:Dictionary = new Dictionary();\n"
                           "seen[b] = true;\n"
                           "var u:*;\n"
                           "var names:String = \"\";\n"
                           "for (u in seen) { names += u.name; }\n"
                           "trace(names);")},
                {"game/Unit.as",
                 "package game {\n"
                 "\tpublic class Unit {\n"
                 "\t\tpublic var name:String;\n"
                 "\t\tpublic var hp:int;\n"
                 "\t\tpublic function Unit(name:String, hp:int) { this.name = name; this.hp = hp; }\n"
                 "\t}\n"
                 "}\n"}},
               "a=p1,b=p2,boss=p3\n"
               "5 undefined p2\n"
               "b\n");
}

// With an option on the command the doc comments of classes and members are
// kept in the script. A doc comment line that begins with a '/' (code with
// a line comment, " *   // returns true", a folder, " * /saves/", or an
// old comment's opener) keeps the blank between its '*' and the '/', so the
// comment does not end there; the inventory behind it runs.
TEST(LibraryOn, KeptDocCommentsWithLineCommentsInside) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 mainClass("\timport game.Inventory;\n", "",
                           "var a:Inventory = new Inventory(3);\n"
                           "trace(a.add(\"sword\"), a.add(\"shield\"), a.add(\"potion\"), a.add(\"gem\"));\n"
                           "var b:Inventory = Inventory.small();\n"
                           "b.add(\"map\");\n"
                           "b.slots = 20;\n"
                           "trace(String(a), String(b), b.slots, b.free, Inventory.made);")},
                {"game/Inventory.as",
                 "package game {\n"
                 "\t/**\n"
                 "\t * Holds the items of one player.\n"
                 "\t * <pre>\n"
                 "\t * for (var i:int = 0; i < n; i++) {\n"
                 "\t *     // one item a slot\n"
                 "\t * }\n"
                 "\t * inv.add(\"sword\"); // returns true\n"
                 "\t * </pre>\n"
                 "\t * Saved in the folder\n"
                 "\t * /saves/inventory, one file a player.\n"
                 "\t */\n"
                 "\tpublic class Inventory {\n"
                 "\t\tpublic static const MAX:int = 8;\n"
                 "\t\t/** How many inventories were made. */\n"
                 "\t\tpublic static var made:int = 0;\n"
                 "\t\t/**\n"
                 "\t\t * The items.\n"
                 "\t\t *   // in the order they were added\n"
                 "\t\t * /* the old layout: one array a slot\n"
                 "\t\t * / 2 of the slots hold items at most\n"
                 "\t\t */\n"
                 "\t\tprivate var _items:Array = [];\n"
                 "\t\tprivate var _slots:int;\n"
                 "\t\tpublic function Inventory(slots:int) { _slots = slots > MAX ? MAX : slots; made++; }\n"
                 "\t\t/**\n"
                 "\t\t * Adds an item; false when full.\n"
                 "\t\t *   // full: nothing changes\n"
                 "\t\t */\n"
                 "\t\tpublic function add(item:String):Boolean {\n"
                 "\t\t\tif (_items.length >= _slots) return false;\n"
                 "\t\t\t_items.push(item);\n"
                 "\t\t\treturn true;\n"
                 "\t\t}\n"
                 "\t\t/**\n"
                 "\t\t *  // the free slots\n"
                 "\t\t */\n"
                 "\t\tpublic function get free():int { return _slots - _items.length; }\n"
                 "\t\tpublic function set slots(v:int):void { _slots = Math.min(v, MAX); }\n"
                 "\t\tpublic function get slots():int { return _slots; }\n"
                 "\t\tpublic function toString():String { return _items.join(\"|\") + \" (\" + free + \" free)\"; }\n"
                 "\t\tpublic static function small():Inventory { return new Inventory(2); }\n"
                 "\t}\n"
                 "}\n"}},
               "true true true false\n"
               "sword|shield|potion (0 free) map (7 free) 8 7 2\n",
               ";chromerun=false");
}

// for (k in d) gives the key objects also when d is reached through a name:
// another object's Dictionary member (world.owners, through a member and
// through a local typed as the class) and a static Dictionary of a class
// (World.all).
TEST(LibraryOn, ForInOverADictionaryReachedThroughAnObjectOrAClass) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 mainClass("\timport game.Unit;\n\timport game.World;\n",
                           "\t\tprivate var world:World = new World();\n",
                           "world.add(new Unit(\"a\"), \"p1\");\n"
                           "world.add(new Unit(\"b\"), \"p2\");\n"
                           "var out:Array = [];\n"
                           "for (var k:Object in world.owners) out.push(Unit(k).name + \"=\" + world.owners[k]);\n"
                           "for (var s:* in World.all) out.push(s.name);\n"
                           "var w:World = world;\n"
                           "for (var t:* in w.owners) out.push(t is Unit);\n"
                           "out.sort();\n"
                           "trace(out.join(\",\"));")},
                {"game/Unit.as",
                 "package game {\n"
                 "\tpublic class Unit {\n"
                 "\t\tpublic var name:String;\n"
                 "\t\tpublic function Unit(name:String) { this.name = name; }\n"
                 "\t}\n"
                 "}\n"},
                {"game/World.as",
                 "package game {\n"
                 "\timport flash.utils.Dictionary;\n"
                 "\tpublic class World {\n"
                 "\t\tpublic static var all:Dictionary = new Dictionary();\n"
                 "\t\tpublic var owners:Dictionary = new Dictionary();\n"
                 "\t\tpublic function add(u:Unit, owner:String):void { owners[u] = owner; all[u] = true; }\n"
                 "\t}\n"
                 "}\n"}},
               "a,a=p1,b,b=p2,true,true\n");
}

// An arena game (tests/fixtures/game-arena) on stand-ins for the library's
// Event and EventDispatcher: a clock dispatches a frame event to the units,
// each of which keeps its handler in a field and removes it when it falls;
// a boss adds a second handler by name and removes it after three frames;
// the arena keeps the teams in a Dictionary keyed by unit and takes the
// fallen through a handler given or its own method (onFall || defaultFall).
// Worked by hand, units take 2 a frame, the boss 1 on odd frames and 3 on
// even ones (its hp reads ten times its points): after 3 frames the imp
// (5) has fallen, the orc has 9 - 6 = 3, the lich 8 - 5 = 3 (30); by frame
// 4 the lich and by frame 5 the orc have fallen, and no listener is left.
// A second arena counts its fallen through a closure.
TEST(LibraryOn, ArenaOfUnitsWithFrameEvents) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints(fixtureSources("game-arena"),
               "3 0 3 30 2\n"
               "orc lich imp\n"
               "0 0 0 0 imp,lich,orc false\n"
               "0 imp fell at 3; orc fell at 5; lich enraged; lich fell at 4\n"
               "1 0 0 0\n");
}

// A game on the library's display list, events, Timer, Point and Rectangle
// (tests/fixtures/game-stage, with the library's stand-ins of
// tests/fixtures/zafrit-standins as the install's library): a ship flies
// (20,0) a second through an arena of 100 x 60, a timer of 500 ms ticks
// five times, each tick a step of 0.5 s. Rock A from (38,20) at (-20,0)
// meets the ship at once (ship 15..25, rock 23..33) and loses one of its 2
// hp; it bounces off the left wall at tick 4 (at -2, 7 out: back to 5, then
// 15). Rock B from (95,50) at (10,10) bounces off the right wall at tick 1
// and the floor at tick 2. The still rock C at (60,22) is hit at tick 5
// (ship 55..65) and leaves the world: 10 points. The nearest rock: 8, 12,
// |(20,2)| = 20.10, |(10,2)| = 10.20, then B's |(15,20)| = 25. The hit
// listener takes itself off after the first hit, read again as a method.
// The extent is the union of the ship (55..65 x 15..25) and the rocks A
// (10..20) and B (70..80 x 35..45). The same program with TypeScript
// output gives class files that parse.
TEST(LibraryOn, StageGameWithTimerPointsAndRectangles) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  ruvotest::TempDir work;
  ruvotest::Install inst;
  ruvotest::copyFixture("zafrit-standins", inst.root() + "/libs/zafrit");
  const std::string proj = work / "proj";
  ruvotest::copyFixture("game-stage", proj);
  ruvotest::RunResult run = inst.run({proj + "/game.as3proj"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out.find("MSG,7,"), std::string::npos) << run.out;
  const std::string script = proj + "/bin/h5/game.max.js";
  ASSERT_TRUE(ruvotest::fileExists(script)) << run.out;
  const ruvotest::RunResult node = ruvotest::runNode(ruvotest::sourceDir() + "/tests/support/run-library-on.js", {script});
  EXPECT_EQ(node.exitCode, 0) << node.err;
  EXPECT_EQ(node.out,
            "start 4 1 4\n"
            "[GameEvent hit A 1] true true\n"
            "tick 1 ship 20,20 rocks 3 nearest 8.00\n"
            "tick 2 ship 30,20 rocks 3 nearest 12.00\n"
            "tick 3 ship 40,20 rocks 3 nearest 20.10\n"
            "tick 4 ship 50,20 rocks 3 nearest 10.20\n"
            "tick 5 ship 60,20 rocks 2 nearest 25.00\n"
            "done 5 false scores 1 false\n"
            "score 10 hits 2 C+10\n"
            "ship/ship:3 true true true\n"
            "extent (x=10, y=15, w=70, h=30)\n"
            "A:1 B:1\n")
      << node.err;

  run = inst.run({proj + "/game.as3proj;ts=true;"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(ruvotest::fileExists(proj + "/bin/ts/src/arena/World.ts"));
  const ruvotest::RunResult check =
      ruvotest::runNode(ruvotest::sourceDir() + "/tests/support/ts-syntax.js", {proj + "/bin/ts/src"});
  if (check.exitCode == 3) GTEST_SKIP() << "the TypeScript compiler is not installed (npm package typescript)";
  EXPECT_EQ(check.exitCode, 0) << check.err;
  EXPECT_EQ(check.out, "");
}

// A built-in method of an Array, a Vector or a String read from its object,
// kept in a variable, passed on, or called through apply or call runs on that
// object, as its method closure does in Flash, whatever object the call
// names (robotlegs joins its guards
// with _guards = _guards.concat.apply(null, guards)): a typed field, with and
// without this. and inside a closure, a typed local and parameter (in a
// static method too), a field of a typed object's class or its base
// (model.items), a field that a class inherits, a Vector, push and concat.
// Receivers whose type is unknown (*, Object) and a function value called
// through call keep the object the call names.
TEST(LibraryOn, BuiltInMethodsThroughApplyKeepTheirObject) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 mainClass("\timport game.Model;\n",
                           "\t\tprivate var _guards:Array = [\"g\"];\n"
                           "\t\tprivate var _model:Model = new Model();\n"
                           "\t\tprivate var _hooks:Vector.<int> = new <int>[1];\n"
                           "\t\tprivate function more(list:Array, extra:Array):Array {\n"
                           "\t\t\treturn list.concat.apply(null, extra);\n"
                           "\t\t}\n"
                           "\t\tprivate function callWith(f:Function, v:*):void { f(v); }\n"
                           "\t\tprivate static function fill(list:Vector.<String>, extra:Array):int {\n"
                           "\t\t\tvar add:Function = list.push;\n"
                           "\t\t\tadd(\"w\");\n"
                           "\t\t\treturn list.push.apply(null, extra);\n"
                           "\t\t}\n",
                           "_guards = _guards.concat.apply(null, [\"a\", [\"b\", \"c\"]]);\n"
                           "this._guards = this._guards.concat.call(null, \"d\");\n"
                           "var local:Array = [1, 2];\n"
                           "local.push.apply(null, [3, 4]);\n"
                           "var n:int = local.push.call(this, 5);\n"
                           "var add:Function = local.push;\n"
                           "add(6);\n"
                           "callWith(local.push, 7);\n"
                           "_hooks.push.apply(null, [2, 3]);\n"
                           "var name:String = \"Ash\";\n"
                           "var up:String = name.toUpperCase.call(null);\n"
                           "var joined:String = name.concat.apply(this, [\"-\", 1]);\n"
                           "_model.items.push.apply(null, [1, 2]);\n"
                           "var m:Model = _model;\n"
                           "m.names.push.call(null, \"n\");\n"
                           "m.more(3);\n"
                           "var any:* = [9];\n"
                           "var other:Object = {n: 7, get: function():int { return this.n; }};\n"
                           "var same:Array = any.concat.call([8], 7);\n"
                           "var f:Function = function(v:int):int { return v * 2; };\n"
                           "[\"e\", \"f\"].forEach(function(s:String, i:int, all:Array):void {"
                           " _guards.push.apply(null, [s]); });\n"
                           "trace(_guards.join(\"\"), local.join(\"\"), n, _hooks.join(\"\"), up, joined);\n"
                           "trace(more([0], [1, [2]]).join(\"\"), same.join(\"\"), other.get.call({n: 4}),"
                           " f.call(other, 4), fill(new <String>[\"x\"], [\"y\", \"z\"]), m.items.join(\"\") + m.names.join(\"\"));")},
                {"game/Store.as",
                 "package game {\n"
                 "\tpublic class Store {\n"
                 "\t\tpublic var items:Array = [0];\n"
                 "\t}\n"
                 "}\n"},
                {"game/Model.as",
                 "package game {\n"
                 "\tpublic class Model extends Store {\n"
                 "\t\tpublic var names:Vector.<String> = new <String>[];\n"
                 "\t\tpublic function more(...rest):void {\n"
                 "\t\t\titems.push.apply(null, rest);\n"
                 "\t\t\tthis.items.push.call(null, \"t\");\n"
                 "\t\t}\n"
                 "\t}\n"
                 "}\n"}},
               "gabcdef 1234567 5 123 ASH Ash-1\n"
               "012 87 4 8 4 0123tn\n");
}

// What the binding of built-in methods writes, row by row, in one compile
// with the library on and one with it off (where nothing is bound): the
// receivers whose type is unknown, a name that is no built-in method of the
// type, a function value and a static method stay as they are.
TEST(LibraryOn, BuiltInMethodBindingTexts) {
  struct Row {
    const char* name;
    const char* as3;
    const char* on;   // the statement's JavaScript with the library on
    const char* off;  // and off
  };
  const Row rows[] = {
      {"typed field", "_guards = _guards.concat.apply(null, more);",
       "this._guards=__bind(this._guards,this._guards.concat).apply(null,more);",
       "this._guards=this._guards.concat.apply(null,more);"},
      {"this. field through call", "this._guards.push.call(null, 1);",
       "__bind(this._guards,this._guards.push).call(null,1);", "this._guards.push.call(null,1);"},
      {"typed local", "list.push.apply(null, more);", "__bind(list,list.push).apply(null,more);",
       "list.push.apply(null,more);"},
      {"Vector", "vec.push.apply(this, [2]);", "__bind(vec,vec.push).apply(this,[2]);", "vec.push.apply(this,[2]);"},
      {"String", "word.split.call(null, \"\");", "__bind(word,word.split).call(null,\"\");",
       "word.split.call(null,\"\");"},
      {"method kept in a variable", "var add:Function = list.push;", "var add=__bind(list,list.push);",
       "var add=list.push;"},
      {"untyped receiver", "any.push.apply(null, more);", "any.push.apply(null,more);",
       "any.push.apply(null,more);"},
      {"Object receiver", "obj.push.call(null, 1);", "obj.push.call(null,1);", "obj.push.call(null,1);"},
      {"no built-in method of Array", "list.handler.call(null, 1);", "list.handler.call(null,1);",
       "list.handler.call(null,1);"},
      {"function value", "fn.call(null, 1);", "fn.call(null,1);", "fn.call(null,1);"},
      {"static method", "Math.max.apply(null, more);", "Math.max.apply(null,more);", "Math.max.apply(null,more);"},
  };
  std::string body =
      "var more:Array = [1];\nvar list:Array = [];\nvar vec:Vector.<int> = new <int>[];\nvar word:String = \"w\";\n"
      "var any:* = [];\nvar obj:Object = [];\nvar fn:Function = function(v:int):void {};\n";
  for (const Row& r : rows) body += std::string(r.as3) + "\n";
  const std::map<std::string, std::string> sources{
      {"Main.as", mainClass("", "\t\tprivate var _guards:Array = [];\n", body)}};
  const ruvotest::SourcesRun on = ruvotest::compileLibraryOnAndRun(sources);
  const ruvotest::SourcesRun off = ruvotest::compileSourcesAndRun(sources);
  ASSERT_FALSE(on.js.empty()) << on.messages;
  ASSERT_FALSE(off.js.empty()) << off.messages;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_NE(on.js.find(std::string("\t") + r.on), std::string::npos) << on.js;
    EXPECT_NE(off.js.find(std::string("\t") + r.off), std::string::npos) << off.js;
  }
}

// Another object's method reached through members keeps its object: a
// chain through a member, a local and a static of a class (team.lead.hit,
// t.lead.buddy.hit, Team.current.lead.hit), handed to a call, kept after =
// and in an object literal, and a member's method given back by a closure
// (return team.cheer); the member's type is read where the member is
// declared (Unit is imported by Team's file, not by Main's).
TEST(LibraryOn, MethodReachedThroughMembersKeepsItsObject) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 mainClass("\timport g.team.Team;\n",
                           "\t\tprivate var team:Team = new Team();\n"
                           "\t\tprivate var calls:Array = [];\n"
                           "\t\tprivate function later(f:Function):void { calls.push(f); }\n",
                           "Team.current = team;\n"
                           "var t:Team = team;\n"
                           "later(team.lead.hit);\n"
                           "later(t.lead.buddy.hit);\n"
                           "later(Team.current.lead.hit);\n"
                           "var f:Function = this.team.lead.buddy.hit;\n"
                           "var o:Object = {go: Team.current.lead.buddy.hit};\n"
                           "for each (var c:Function in calls) c(1);\n"
                           "f(10);\n"
                           "o.go(100);\n"
                           "var g:Function = function():Function { return team.cheer; }();\n"
                           "g(1000);\n"
                           "trace(team.lead.hits, team.lead.buddy.hits);")},
                {"g/team/Team.as",
                 "package g.team {\n"
                 "\timport g.units.Unit;\n"
                 "\tpublic class Team {\n"
                 "\t\tpublic static var current:Team;\n"
                 "\t\tpublic var lead:Unit = new Unit(new Unit(null));\n"
                 "\t\tpublic function cheer(n:int):void { lead.hit(n); }\n"
                 "\t}\n"
                 "}\n"},
                {"g/units/Unit.as",
                 "package g.units {\n"
                 "\tpublic class Unit {\n"
                 "\t\tpublic var hits:int = 0;\n"
                 "\t\tpublic var buddy:Unit;\n"
                 "\t\tpublic function Unit(buddy:Unit) { this.buddy = buddy; }\n"
                 "\t\tpublic function hit(n:int):void { hits += n; }\n"
                 "\t}\n"
                 "}\n"}},
               "1002 111\n");
}

// A method read on an element of a Vector (units[i].hit, grid[1][0].hit, of
// a class or of an interface that declares it) or on a cast value ((o as
// Unit).hit, Unit(o).hit) keeps its object, handed to a call, kept after =,
// in an array or object literal or given back by return; the element is read again
// for the binding only when that does nothing else, so units[n++] still
// counts once.
TEST(LibraryOn, MethodOfAVectorElementOrACastKeepsItsObject) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 mainClass("\timport g.*;\n",
                           "\t\tprivate var calls:Array = [];\n"
                           "\t\tprivate function later(f:Function):void { calls.push(f); }\n"
                           "\t\tprivate function first(v:Vector.<Unit>):Function { return v[0].hit; }\n",
                           "var units:Vector.<Unit> = new <Unit>[new Unit(\"a\"), new Unit(\"b\")];\n"
                           "var grid:Vector.<Vector.<IHittable>> = new <Vector.<IHittable>>[new <IHittable>[units[0]], "
                           "new <IHittable>[units[1]]];\n"
                           "var o:Object = units[1];\n"
                           "for (var i:int = 0; i < units.length; i++) later(units[i].hit);\n"
                           "later(grid[1][0].hit);\n"
                           "later((o as Unit).hit);\n"
                           "later(Unit(o).hit);\n"
                           "var n:int = 0;\n"
                           "later(units[n++].hit);\n"
                           "for each (var f:Function in calls.slice(0, 5)) f(1);\n"
                           "var kept:Function = units[0].hit;\n"
                           "var more:Array = [grid[0][0].hit, {go: (o as Unit).hit}.go];\n"
                           "kept(10);\n"
                           "more[0](100);\n"
                           "more[1](1000);\n"
                           "first(units)(10000);\n"
                           "trace(units.join(\",\"), n, calls.length);")},
                {"g/IHittable.as",
                 "package g {\n"
                 "\tpublic interface IHittable {\n"
                 "\t\tfunction hit(n:int):void;\n"
                 "\t}\n"
                 "}\n"},
                {"g/Unit.as",
                 "package g {\n"
                 "\tpublic class Unit implements IHittable {\n"
                 "\t\tpublic var name:String;\n"
                 "\t\tpublic var hits:int = 0;\n"
                 "\t\tpublic function Unit(name:String) { this.name = name; }\n"
                 "\t\tpublic function hit(n:int):void { hits += n; }\n"
                 "\t\tpublic function toString():String { return name + hits; }\n"
                 "\t}\n"
                 "}\n"}},
               "a10111,b1004 1 6\n");
}

// In a static function another object's method read as a value keeps its
// object as in a method: kept in a local or a static, given back by return,
// called through call.
TEST(LibraryOn, MethodReadInAStaticFunctionKeepsItsObject) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 mainClass("\timport g.Unit;\n",
                           "\t\tprivate static var wired:Function;\n"
                           "\t\tprivate static function wire(u:Unit):Function {\n"
                           "\t\t\tvar f:Function = u.hit;\n"
                           "\t\t\twired = u.hit;\n"
                           "\t\t\tf(1);\n"
                           "\t\t\tu.hit.call(null, 2);\n"
                           "\t\t\treturn u.hit;\n"
                           "\t\t}\n",
                           "var u:Unit = new Unit();\n"
                           "wire(u)(10);\n"
                           "wired(100);\n"
                           "trace(u.hits);")},
                {"g/Unit.as",
                 "package g {\n"
                 "\tpublic class Unit {\n"
                 "\t\tpublic var hits:int = 0;\n"
                 "\t\tpublic function hit(n:int):void { hits += n; }\n"
                 "\t}\n"
                 "}\n"}},
               "113\n");
}

// An event loop (tests/fixtures/game-eventloop) on a stand-in dispatcher
// that calls listeners by priority, highest first: the main listener (10),
// mover b (5), mover a (0), a once listener written by hand (0, added after
// a) and the hud (-1). Worked by hand, a walks 0, 3, 6 and stops at its goal
// 7 on frame 3; b walks 10, 6, 2 and stops at 0 on frame 3, each taking its
// own method off while the frame dispatches; the once listener runs on frame
// 1 only; the main listener takes itself off on frame 2; the hud draws all
// four frames after the movers and the end. Callbacks kept in a
// Vector.<Function> (a method and another object's toString) run last.
TEST(LibraryOn, EventLoopWithPrioritiesAndListenersRemovedWhileDispatching) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints(fixtureSources("game-eventloop"),
               "main1 once1 main2\n"
               "1:a:3,b:6|2:a:6,b:2|3:a:7,b:0|4:a:7,b:0|end4\n"
               "b@3,a@3 true\n"
               "true\n"
               "frames 4 log 3\n"
               "a:7\n");
}

// A scene graph (tests/fixtures/game-scenegraph) of Sprite subclasses on
// the library's stand-ins: root (100,50) holds base (10,10) with knight
// (5,0) and archer (0,8), and camp (-40,20) with orc (3,3) and wolf (-6,4).
// A registry keeps a record per node in a Dictionary keyed by node. Worked
// by hand: the orc stands at (63,73), the knight at (115,60), 53.60 apart
// (sqrt 2873); the view 60..120 x 60..90 holds all but the wolf (54,74). The
// wolf (4 hp) falls to a hit of 5 and leaves the camp and the registry; the
// orc takes 4 twice (1 left), the knight 1 (11). sortOn hp NUMERIC|DESCENDING
// gives knight, archer, orc, wolf; sortOn team then hp gives archer (1,6),
// knight (1,11), wolf (2,-1), orc (2,1). interpolate((0,0),(10,20),0.25) is
// (7.5,15); the view meets (100,70,50,50) in (100,70,20,20).
TEST(LibraryOn, SceneGraphWithADictionaryRegistryAndSortOn) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  const ruvotest::RunResult node = runWithStandIns("game-scenegraph");
  EXPECT_EQ(node.exitCode, 0) << node.err;
  EXPECT_EQ(node.out,
            "4 2 2 2\n"
            "0root 1base 2knight 2archer 1camp 2orc 2wolf\n"
            "(x=63, y=73) 53.60\n"
            "knight,archer,orc\n"
            "3 1 false archer=ally/0 knight=hero/1 orc=foe/2 3\n"
            "knight11,archer6,orc1,wolf-1\n"
            "archer,knight,wolf,orc\n"
            "(x=7.5, y=15) (x=100, y=70, w=20, h=20) (x=107.5, y=85)\n"
            "0 true 1\n")
      << node.err;
}

// A private method that a class renames because its base class has a private
// method of the same name is bound under its own name wherever it is read as
// a value: in the method, inside closures (handed to a call, given back by
// return) and in object literals in and out of closures; the base class's
// method stays its own.
TEST(LibraryOn, RenamedPrivateMethodReadAsAValueInAClosureKeepsItsName) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 mainClass("\timport g.Ship;\n", "",
                           "var s:Ship = new Ship();\n"
                           "for (var i:int = 0; i < s.hooks.length; i++) s.hooks[i](i);\n"
                           "trace(s.log.join(\",\"));")},
                {"g/Actor.as",
                 "package g {\n"
                 "\tpublic class Actor {\n"
                 "\t\tpublic var log:Array = [];\n"
                 "\t\tpublic var hooks:Array = [];\n"
                 "\t\tpublic function Actor() { hooks.push(onFrame); }\n"
                 "\t\tprivate function onFrame(n:int):void { log.push(\"actor\" + n); }\n"
                 "\t}\n"
                 "}\n"},
                {"g/Ship.as",
                 "package g {\n"
                 "\tpublic class Ship extends Actor {\n"
                 "\t\tpublic function Ship() {\n"
                 "\t\t\tsuper();\n"
                 "\t\t\thooks.push(onFrame);\n"
                 "\t\t\t[1].forEach(function(x:int, i:int, a:Array):void { hooks.push(onFrame); });\n"
                 "\t\t\thooks.push(function():Function { return onFrame; }());\n"
                 "\t\t\thooks.push({f: onFrame}.f);\n"
                 "\t\t\thooks.push(function():Object { return {f: onFrame}; }().f);\n"
                 "\t\t}\n"
                 "\t\tprivate function onFrame(n:int):void { log.push(\"ship\" + n); }\n"
                 "\t}\n"
                 "}\n"}},
               "actor0,ship1,ship2,ship3,ship4,ship5\n");
}
