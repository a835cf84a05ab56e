// Programs in the style of the game code this compiler serves (inventories,
// tile maps, event dispatchers, spatial trees, fixed-step loops,
// serialisers), compiled with the library off by the real program and run
// in node. Their output is worked out by hand from the ActionScript.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "expect_run.h"
#include "harness.h"

namespace {

// Compiles, runs and checks what node prints; no warning or error may be reported.
void expectPrints(const std::map<std::string, std::string>& sources, const std::string& expected) {
  ruvotest::expectCleanRun(ruvotest::compileSourcesAndRun(sources, "game"), expected);
}

using ruvotest::mainClass;

}  // namespace

// A for each loop whose body has no braces runs that one statement for every
// element: an expression, if with else, a nested loop, a switch, a
// declaration, and the loop itself as the body of an if.
TEST(GameCode, ForEachWithoutBraces) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 mainClass("", "",
                           "var list:Array = [3, 0, 4];\n"
                           "var sum:int = 0, odd:Array = [], grid:Array = [[1, 2], [3]], flat:Array = [];\n"
                           "for each (var n:int in list) sum += n;\n"
                           "for each (n in list) if (n % 2) odd.push(n); else odd.push(-n);\n"
                           "for each (var row:Array in grid) for each (var cell:int in row) flat.push(cell * 10);\n"
                           "var names:String = \"\";\n"
                           "for each (n in list) switch (n) { case 0: names += \"z\"; break; default: names += n; }\n"
                           "for each (n in list) var last:int = n;\n"
                           "var o:Object = {a: 1, b: 2};\n"
                           "if (sum > 0) for each (var k:String in [\"a\"]) delete o[k];\n"
                           "trace(sum, odd.join(\",\"), flat.join(\",\"), names, last, o.a, o.b);")}},
               "7 3,0,-4 10,20,30 3z4 4 undefined 2\n");
}

// A loop variable declared as int, uint or Number holds numbers as in
// Flash: a for-in key (in the head, as a local or as a member), not the key
// texts of the JavaScript loop, and a for each element read from texts (a
// line of level data split at its commas). Ids 3, 10 and 7 give the highest
// id 10 (the text "7" is above "10") and next ids 11 and 4; the index sums
// are 0 + 1 + 2 and their halves; the row "4,0,12" adds up to 16 and its
// cells + 1 and halves are numbers too. A String variable keeps its value.
TEST(GameCode, LoopVariablesTypedAsNumbers) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 mainClass("", "\t\tprivate var slot:uint;\n",
                           "var byId:Object = {3: \"orc\", 10: \"elf\", 7: \"imp\"};\n"
                           "var top:int = -1, next:Array = [];\n"
                           "for (var id:int in byId) { if (id > top) top = id; }\n"
                           "for (id in byId) if (byId[id] != \"imp\") next.push(id + 1);\n"
                           "var list:Array = [5, 6, 7], sum:Number = 0, half:Number = 0;\n"
                           "for (var i:uint in list) sum += i;\n"
                           "for (var h:Number in list) half += h / 2;\n"
                           "for (slot in list) {}\n"
                           "for (var name:String in {a: 1}) trace(name + 1);\n"
                           "trace(top, next.sort().join(\",\"), sum, half, slot + 1);\n"
                           "var line:String = \"4,0,12\", total:int = 0, cells:Array = [], w:Number = 0;\n"
                           "for each (var cell:int in line.split(\",\")) total += cell;\n"
                           "for each (slot in line.split(\",\")) cells.push(slot + 1);\n"
                           "for each (var f:Number in line.split(\",\")) w += f / 8;\n"
                           "var joined:String = \"\";\n"
                           "for each (var part:String in line.split(\",\")) joined += part + 1;\n"
                           "trace(total, cells.join(\" \"), w, joined);")}},
               "a1\n10 11,4 3 1.5 3\n16 5 1 13 2 4101121\n");
}

// A for each variable declared as a String holds each element as a text:
// the scores 3, 14 and 159 have 1, 2 and 3 digits, "3" + 1 is "31" and the
// first digits are 3, 1 and 1; an element of a Vector.<int> takes a suffix;
// null and undefined hold null; a member variable (label) takes the number
// 7 as "7", whose length is 1.
TEST(GameCode, ForEachVariableTypedAsString) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 mainClass("", "\t\tprivate var label:String;\n",
                           "var scores:Array = [3, 14, 159], out:String = \"\";\n"
                           "for each (var s:String in scores) out += s.length + \":\" + (s + 1) + \":\" + s.charAt(0) + \" \";\n"
                           "var ids:Vector.<int> = new <int>[5, 66], tags:Array = [];\n"
                           "for each (var id:String in ids) tags.push(id.concat(\"!\"));\n"
                           "for each (var none:String in [null, undefined]) tags.push(none === null);\n"
                           "for each (label in {hp: 7}) tags.push(label.length);\n"
                           "trace(out + \"|\" + tags.join(\",\"));")}},
               "1:31:3 2:141:1 3:1591:1 |5!,66!,true,true,1\n");
}

// One catch clause of a narrower type than Error takes only its type: an
// Error thrown past it reaches the outer clause, after the finally block.
TEST(GameCode, NarrowTypedCatchLetsOtherErrorsPass) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 "package {\n\tpublic class Main {\n\t\tpublic function Main() {\n"
                 "\t\t\tfor each (var e:Error in [new Error(\"a\"), new RangeError(\"b\")]) {\n"
                 "\t\t\t\ttry {\n\t\t\t\t\ttry { throw e; } catch (r:RangeError) { trace(\"range\", r.message); }\n"
                 "\t\t\t\t\tfinally { trace(\"finally\"); }\n"
                 "\t\t\t\t} catch (x:Error) { trace(\"outer\", x.message); }\n\t\t\t}\n"
                 "\t\t}\n\t}\n}\n"}},
               "finally\nouter a\nrange b\nfinally\n");
}

// Easing functions held as static function references, an object pool of
// a Vector whose length is cut, a bitmap-font layout with char codes and int
// shifts, number formatting, closures made in loops, and a typed catch that
// rethrows through finally.
TEST(GameCode, TweensPoolFontAndErrors) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({
        {"Main.as",
         "package {\n"
         "\timport fx.*;\n"
         "\tpublic class Main {\n"
         "\t\tpublic function Main() {\n"
         "\t\t\tvar eases:Array = [Easing.linear, Easing.quadIn, Easing.quadOut];\n"
         "\t\t\tvar out:Array = [];\n"
         "\t\t\tfor each (var e:Function in eases) out.push(new Tween(0, 100, e).at(0.5));\n"
         "\t\t\ttrace(out.join(\" \"), new Tween(10, 20).at(0.25));\n"
         "\t\t\tvar pool:Pool = new Pool();\n"
         "\t\t\tvar ps:Vector.<Particle> = new Vector.<Particle>();\n"
         "\t\t\tfor (var i:int = 0; i < 5; i++) ps.push(pool.get());\n"
         "\t\t\tfor each (var p:Particle in ps) pool.put(p);\n"
         "\t\t\ttrace(pool.size, pool.made);\n"
         "\t\t\tpool.trim(2);\n"
         "\t\t\ttrace(pool.size, pool.get() != null, pool.size);\n"
         "\t\t\t// bitmap font\n"
         "\t\t\tvar text:String = \"Hi!\";\n"
         "\t\t\tvar xs:Array = [];\n"
         "\t\t\tvar pen:int = 0;\n"
         "\t\t\tfor (var j:int = 0; j < text.length; j++) {\n"
         "\t\t\t\tvar code:int = text.charCodeAt(j);\n"
         "\t\t\t\txs.push(pen);\n"
         "\t\t\t\tpen += (code % 7) + 3 >> 1;\n"
         "\t\t\t}\n"
         "\t\t\ttrace(xs.join(\",\"), pen, String.fromCharCode(72, 105) + String.fromCharCode(text.charCodeAt(2) + 1));\n"
         "\t\t\ttrace((255).toString(16), (3.14159).toFixed(2), (0.5).toFixed(0), (-7 / 2) | 0, 7 % -3, -1 >>> 28);\n"
         "\t\t\tvar fns:Array = [];\n"
         "\t\t\tfor (var k:int = 0; k < 3; k++) fns.push(function():int { return k; });\n"
         "\t\t\ttrace(fns[0](), fns[2]());\n"
         "\t\t\tvar mk:Function = function(n:int):Function { return function():int { return n * 2; }; };\n"
         "\t\t\tvar gs:Array = [];\n"
         "\t\t\tfor (var m:int = 0; m < 3; m++) gs.push(mk(m));\n"
         "\t\t\ttrace(gs[0](), gs[2]());\n"
         "\t\t\ttrace(tryIt(0), tryIt(1), tryIt(2));\n"
         "\t\t}\n"
         "\t\tprivate function tryIt(n:int):String {\n"
         "\t\t\tvar log:String = \"\";\n"
         "\t\t\ttry {\n"
         "\t\t\t\ttry {\n"
         "\t\t\t\t\tif (n == 1) throw new Error(\"one\");\n"
         "\t\t\t\t\tif (n == 2) throw new RangeError(\"two\");\n"
         "\t\t\t\t\tlog += \"ok\";\n"
         "\t\t\t\t} catch (e:RangeError) {\n"
         "\t\t\t\t\tlog += \"range:\" + e.message;\n"
         "\t\t\t\t\tthrow e;\n"
         "\t\t\t\t} finally {\n"
         "\t\t\t\t\tlog += \"/fin\";\n"
         "\t\t\t\t}\n"
         "\t\t\t} catch (err:Error) {\n"
         "\t\t\t\tlog += \"/outer:\" + err.message + \":\" + (err is RangeError);\n"
         "\t\t\t}\n"
         "\t\t\treturn log;\n"
         "\t\t}\n"
         "\t}\n"
         "}\n"},
        {"Particle.as",
         "package {\n"
         "\tpublic class Particle { public var x:Number = 0; public var life:int = 3; }\n"
         "}\n"},
        {"Pool.as",
         "package {\n"
         "\tpublic class Pool {\n"
         "\t\tprivate var items:Vector.<Particle> = new Vector.<Particle>();\n"
         "\t\tpublic var made:int = 0;\n"
         "\t\tpublic function get():Particle {\n"
         "\t\t\tif (items.length > 0) return items.pop();\n"
         "\t\t\tmade++;\n"
         "\t\t\treturn new Particle();\n"
         "\t\t}\n"
         "\t\tpublic function put(p:Particle):void { items.push(p); }\n"
         "\t\tpublic function get size():int { return items.length; }\n"
         "\t\tpublic function trim(n:int):void { items.length = n; }\n"
         "\t}\n"
         "}\n"},
        {"fx/Easing.as",
         "package fx {\n"
         "\tpublic class Easing {\n"
         "\t\tpublic static function linear(t:Number):Number { return t; }\n"
         "\t\tpublic static function quadIn(t:Number):Number { return t * t; }\n"
         "\t\tpublic static function quadOut(t:Number):Number { return t * (2 - t); }\n"
         "\t}\n"
         "}\n"},
        {"fx/Tween.as",
         "package fx {\n"
         "\tpublic class Tween {\n"
         "\t\tprivate var _ease:Function;\n"
         "\t\tpublic var from:Number, to:Number;\n"
         "\t\tpublic function Tween(from:Number, to:Number, ease:Function = null) {\n"
         "\t\t\tthis.from = from; this.to = to;\n"
         "\t\t\t_ease = ease || Easing.linear;\n"
         "\t\t}\n"
         "\t\tpublic function at(t:Number):Number { return from + (to - from) * _ease(t); }\n"
         "\t}\n"
         "}\n"},
               },
               "50 25 75 12.5\n"
               "5 5\n"
               "2 true 1\n"
               "0,2,3 7 Hi\"\n"
               "ff 3.14 1 -3 1 15\n"
               "3 3\n"
               "0 4\n"
               "ok/fin /fin/outer:one:false range:two/fin/outer:two:true\n");
}

// A behaviour tree over an interface and an abstract-style base whose label
// accessor is overridden two levels down (getter and setter through super),
// statics that start from each other across three classes, and a save-game
// string packed and read back without a ByteArray.
TEST(GameCode, BehaviourTreeStaticsAndSaveGame) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({
        {"A.as",
         "package { public class A { public static var list:Array = [\"A\"]; public static var n:int = B.n + 1; } }\n"},
        {"B.as",
         "package { public class B { public static var n:int = C.n * 10; } }\n"},
        {"C.as",
         "package { public class C { public static var n:int = 4; public static var log:String = \"c\" + n; } }\n"},
        {"Main.as",
         "package {\n"
         "\timport ai.*;\n"
         "\tpublic class Main {\n"
         "\t\tpublic function Main() {\n"
         "\t\t\tvar ctx:Object = {log: [], hp: 5};\n"
         "\t\t\tvar seq:Sequence = new Sequence(new Action(\"look\", function(c:Object):Boolean { return true; }),\n"
         "\t\t\t\tnew Action(\"hit\", function(c:Object):Boolean { c.hp -= 2; return c.hp > 2; }));\n"
         "\t\t\ttrace(seq.tick(ctx), seq.tick(ctx), ctx.log.join(\",\"), ctx.hp);\n"
         "\t\t\ttrace(seq.label);\n"
         "\t\t\tseq.label = \"go\";\n"
         "\t\t\ttrace(seq.label, seq is INode, seq is Composite, (seq as INode).label);\n"
         "\t\t\ttry { new Node().tick(null); } catch (e:Error) { trace(e.message); }\n"
         "\t\t\ttrace(A.n, B.n, C.log, A.list.join());\n"
         "\t\t\tvar save:String = pack({name: \"Zed\", lvl: 12, items: [3, 1, 4]});\n"
         "\t\t\ttrace(save);\n"
         "\t\t\tvar back:Object = unpack(save);\n"
         "\t\t\ttrace(back.name, back.lvl + 1, back.items.length, back.items[2] * 2);\n"
         "\t\t}\n"
         "\t\tprivate static function pack(o:Object):String {\n"
         "\t\t\tvar parts:Array = [];\n"
         "\t\t\tparts.push(escape(o.name), o.lvl.toString(36), o.items.join(\".\"));\n"
         "\t\t\treturn parts.join(\"|\");\n"
         "\t\t}\n"
         "\t\tprivate static function unpack(s:String):Object {\n"
         "\t\t\tvar p:Array = s.split(\"|\");\n"
         "\t\t\tvar items:Array = [];\n"
         "\t\t\tfor each (var t:String in String(p[2]).split(\".\")) items.push(parseInt(t));\n"
         "\t\t\treturn {name: unescape(p[0]), lvl: parseInt(p[1], 36), items: items};\n"
         "\t\t}\n"
         "\t}\n"
         "}\n"},
        {"ai/Action.as",
         "package ai {\n"
         "\tpublic class Action extends Node {\n"
         "\t\tprivate var fn:Function;\n"
         "\t\tpublic function Action(name:String, fn:Function) { _label = name; this.fn = fn; }\n"
         "\t\toverride public function tick(ctx:Object):int { ctx.log.push(label); return fn(ctx) ? SUCCESS : FAILURE; }\n"
         "\t}\n"
         "}\n"},
        {"ai/Composite.as",
         "package ai {\n"
         "\tpublic class Composite extends Node {\n"
         "\t\tprotected var kids:Vector.<INode>;\n"
         "\t\tpublic function Composite(nodes:Array) {\n"
         "\t\t\tkids = new Vector.<INode>();\n"
         "\t\t\tfor each (var n:INode in nodes) kids.push(n);\n"
         "\t\t}\n"
         "\t\toverride public function get label():String { return \"[\" + super.label + \":\" + kids.length + \"]\"; }\n"
         "\t}\n"
         "}\n"},
        {"ai/INode.as",
         "package ai {\n"
         "\tpublic interface INode {\n"
         "\t\tfunction tick(ctx:Object):int;\n"
         "\t\tfunction get label():String;\n"
         "\t}\n"
         "}\n"},
        {"ai/Node.as",
         "package ai {\n"
         "\tpublic class Node implements INode {\n"
         "\t\tpublic static const SUCCESS:int = 1;\n"
         "\t\tpublic static const FAILURE:int = 2;\n"
         "\t\tpublic static const RUNNING:int = 3;\n"
         "\t\tprotected var _label:String = \"node\";\n"
         "\t\tpublic function tick(ctx:Object):int { throw new Error(\"abstract \" + label); }\n"
         "\t\tpublic function get label():String { return _label; }\n"
         "\t\tpublic function set label(v:String):void { _label = v; }\n"
         "\t}\n"
         "}\n"},
        {"ai/Sequence.as",
         "package ai {\n"
         "\tpublic class Sequence extends Composite {\n"
         "\t\tpublic function Sequence(...nodes) { super(nodes); _label = \"seq\"; }\n"
         "\t\toverride public function tick(ctx:Object):int {\n"
         "\t\t\tfor (var i:int = 0; i < kids.length; i++) {\n"
         "\t\t\t\tvar r:int = kids[i].tick(ctx);\n"
         "\t\t\t\tif (r != SUCCESS) return r;\n"
         "\t\t\t}\n"
         "\t\t\treturn Node.SUCCESS;\n"
         "\t\t}\n"
         "\t\toverride public function get label():String { return \"S\" + super.label; }\n"
         "\t\toverride public function set label(v:String):void { super.label = v.toUpperCase(); }\n"
         "\t}\n"
         "}\n"},
               },
               "1 2 look,hit,look,hit 1\n"
               "S[seq:2]\n"
               "S[GO:2] true true S[GO:2]\n"
               "abstract node\n"
               "41 40 c4 A\n"
               "Zed|c|3.1.4\n"
               "Zed 13 3 8\n");
}

// A save-game time stamp through the accessors of Date: the day after the
// last of January, an hour moved back, and the time in milliseconds.
TEST(GameCode, DateAccessors) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as", mainClass("", "",
                                      "var d:Date = new Date(2020, 0, 31, 10);\n"
                                      "d.date += 1; d.hours -= 1;\n"
                                      "trace(d.fullYear, d.month, d.date, d.hours, d.day, d.time == d.getTime());")}},
               "2020 1 1 9 6 true\n");
}

// An inventory slot list edited with insertAt and removeAt, on an Array and
// on a Vector.
TEST(GameCode, InsertAtAndRemoveAt) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as", mainClass("", "",
                                      "var a:Array = [1, 2, 3];\na.insertAt(1, 9);\nvar r:* = a.removeAt(2);\n"
                                      "var v:Vector.<int> = new <int>[5, 6, 7];\nv.insertAt(0, 4);\n"
                                      "trace(a.join(), r, v.removeAt(3), v.join());")}},
               "1,9,3 2 7 4,5,6\n");
}

// Accessors overridden in a class written without semicolons: each super
// write ends at its line (the next statement, an else, a value going on over
// a line break after an operator or into a function or object literal with
// its brace on the next line).
TEST(GameCode, SuperSettersWithoutSemicolons) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as", mainClass("", "",
                                      "var k:Kid = new Kid()\n"
                                      "k.hp = 4\ntrace(k.hp, k.log.join(\",\"))\n"
                                      "k.hp = 80\ntrace(k.hp)\n"
                                      "k.cb = function(n:int):int { return n * 10 }\ntrace(k.cb(2))\n"
                                      "k.o = 7\ntrace(k.o.a, k.o.c)")},
                {"Base.as",
                 "package {\n\tpublic class Base {\n"
                 "\t\tprotected var _hp:int, _cb:Function, _o:Object;\n"
                 "\t\tpublic function get hp():int { return _hp; }\n"
                 "\t\tpublic function set hp(v:int):void { _hp = v; }\n"
                 "\t\tpublic function get cb():Function { return _cb; }\n"
                 "\t\tpublic function set cb(v:Function):void { _cb = v; }\n"
                 "\t\tpublic function get o():Object { return _o; }\n"
                 "\t\tpublic function set o(v:Object):void { _o = v; }\n"
                 "\t}\n}\n"},
                {"Kid.as",
                 "package {\n\tpublic class Kid extends Base\n\t{\n"
                 "\t\tpublic var log:Array = []\n"
                 "\t\toverride public function set hp(v:int):void\n\t\t{\n"
                 "\t\t\tsuper.hp = v +\n\t\t\t\t1\n"
                 "\t\t\tlog.push(super.hp)\n"
                 "\t\t\tif (super.hp > 50) super.hp = super.hp\n\t\t\t\t* 2\n"
                 "\t\t\telse super.hp = Math.max(super.hp,\n\t\t\t\t9)\n"
                 "\t\t\tsuper.hp = super.hp > 100\n\t\t\t\t? 100\n\t\t\t\t: super.hp\n"
                 "\t\t}\n"
                 "\t\toverride public function get hp():int { return super.hp }\n"
                 "\t\toverride public function set cb(v:Function):void\n\t\t{\n"
                 "\t\t\tsuper.cb = function(n:int):int\n\t\t\t{\n\t\t\t\treturn v(n) + 1\n\t\t\t}\n"
                 "\t\t\tlog.push(\"cb\")\n"
                 "\t\t}\n"
                 "\t\toverride public function get cb():Function { return super.cb }\n"
                 "\t\toverride public function set o(v:Object):void\n\t\t{\n"
                 "\t\t\tsuper.o =\n\t\t\t{\n\t\t\t\ta: v, b: 2\n\t\t\t}\n"
                 "\t\t\tsuper.o.c = 3\n"
                 "\t\t}\n"
                 "\t\toverride public function get o():Object { return super.o }\n"
                 "\t}\n}\n"}},
               // hp = 4: 5 logged, 5 <= 50 so max(5, 9) = 9, then 9; hp = 80:
               // 81 logged, 162, capped at 100.
               "9 5\n100\n21\n7 3\n");
}

// super.m() where the base is no class of the project: a built-in class
// (Error, Array) or Object itself for a class that extends nothing. The
// base's method runs on the instance.
TEST(GameCode, SuperMethodsOfBuiltInBases) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 "package {\n\tpublic class Main {\n\t\tpublic function Main() {\n"
                 "\t\t\tvar e:GameError = new GameError(\"boom\");\n"
                 "\t\t\tvar s:Stack = new Stack();\n\t\t\ts.push(4, 7, 4);\n"
                 "\t\t\ttrace(e.toString(), e.plain(), s.find(7), s.last(), new Plain().toString());\n"
                 "\t\t}\n\t}\n}\n"
                 "class GameError extends Error {\n"
                 "\tpublic function GameError(m:String) { super(m); }\n"
                 "\toverride public function toString():String { return \"Game:\" + super.toString(); }\n"
                 "\tpublic function plain():String { return super.toString() + \"!\"; }\n"
                 "}\n"
                 "dynamic class Stack extends Array {\n"
                 "\tpublic function find(v:int):int { return super.indexOf(v); }\n"
                 "\tpublic function last():int { return super.lastIndexOf(4); }\n"
                 "}\n"
                 "class Plain {\n"
                 "\tpublic function toString():String { return \"plain \" + super.toString(); }\n"
                 "}\n"}},
               "Game:Error: boom Error: boom! 1 2 plain [object Object]\n");
}

// Package-level variables of another package written with their package's
// name (as when two packages declare the same short name).
TEST(GameCode, PackageVariablesByQualifiedName) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as", mainClass("import cfg.*;\n\timport save.volume;", "",
                                      "cfg.volume = 5;\ncfg.NAMES.push(\"c\");\n"
                                      "trace(cfg.volume, save.volume, cfg.NAMES.join(), cfg.NAMES.length, "
                                      "cfg.loud(cfg.volume));")},
                {"cfg/volume.as", "package cfg {\n\tpublic var volume:int = 1;\n}\n"},
                {"cfg/NAMES.as", "package cfg {\n\tpublic const NAMES:Array = [\"a\", \"b\"];\n}\n"},
                {"cfg/loud.as", "package cfg {\n\tpublic function loud(v:int):int { return v * 10; }\n}\n"},
                {"save/volume.as", "package save {\n\tpublic var volume:int = 9;\n}\n"}},
               "5 9 a,b,c 3 50\n");
}

// Class members written without semicolons end at their line: a metadata
// tag, a namespace declaration or a statement of the class body on the next
// line is not taken into the declaration before it, while a value that goes
// on over a line break (after "[", "," or "=", before ",", or a function
// whose brace stands on the next line) stays whole.
TEST(GameCode, ClassMembersWithoutSemicolons) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 "package {\n\tpublic class Main {\n"
                 "\t\tpublic var a:int = 1\n"
                 "\t\t[Inject]\n"
                 "\t\tpublic var b:Array = [a,\n\t\t\t2]\n"
                 "\t\tpublic var c:int = 3\n\t\t\t, d:int = 4\n"
                 "\t\tpublic static var s:int = 5\n"
                 "\t\ttrace(\"static code\", s)\n"
                 "\t\tpublic var e:String\n"
                 "\t\tnamespace ns = \"urn:x\"\n"
                 "\t\tns var f:int = 7\n"
                 "\t\tpublic var g:Object =\n\t\t\t{k: 8}\n"
                 "\t\tpublic var h:Function = function(n:int):int\n\t\t{\n\t\t\treturn n + 1\n\t\t}\n"
                 "\t\tpublic static var i:Function = function():String\n\t\t{\n\t\t\treturn \"i\"\n\t\t}\n"
                 "\t\tpublic function Main() {\n"
                 "\t\t\ttrace(a, b.join(), c, d, s, e, ns::f, g.k, h(8), i())\n"
                 "\t\t}\n\t}\n}\n"}},
               "static code 5\n1 1,2 3 4 5 null 7 8 9 i\n");
}

// A loader written with the async functions of the language: a method, a
// nested named function, an anonymous function (marked with the word or with
// the comment), and a package function each keep "async" in front of their
// keyword, so that the awaits in their bodies parse and run in order.
TEST(GameCode, AsyncFunctionsInEveryPlace) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as", mainClass("import util.delay;",
                                      "private async function start():void {\n"
                                      "\tasync function twice(n:int):Object {\n"
                                      "\t\tvar a:int = await delay(n);\n"
                                      "\t\treturn a + await delay(1);\n"
                                      "\t}\n"
                                      "\tvar thrice:Function = async function(n:int):Object { return 3 * await delay(n); };\n"
                                      "\tvar half:Function = /*async*/ function(n:int):Object { return await delay(n) / 4; };\n"
                                      "\ttrace(\"twice\", await twice(5));\n"
                                      "\ttrace(\"thrice\", await thrice(1));\n"
                                      "\ttrace(\"half\", await half(6));\n"
                                      "}\n",
                                      "start();\ntrace(\"started\");")},
                {"util/delay.as",
                 "package util {\n"
                 "\tpublic async function delay(v:int):Object {\n"
                 "\t\tawait window.Promise.resolve(0);\n"
                 "\t\treturn v * 2;\n"
                 "\t}\n"
                 "}\n"}},
               // twice(5): 10 + 2; thrice(1): 3 * 2; half(6): 12 / 4.
               "started\ntwice 12\nthrice 6\nhalf 3\n");
}
