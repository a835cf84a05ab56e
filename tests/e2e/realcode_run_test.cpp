// Small programs of the kind real game code is made of, and the pieces of
// real code that once broke the output, compiled with the emulation library
// off and run in node: what node prints is what the ActionScript prints.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "harness.h"

namespace {

struct Ran {
  ruvotest::RunResult compile;
  ruvotest::RunResult node;
  std::string js;
};

// Writes the sources (paths under src/) and a FlashDevelop project whose
// main class is src/Main.as, compiles it with ";zafrit=false" and runs the
// script in node.
Ran compileAndRun(const std::map<std::string, std::string>& sources) {
  ruvotest::TempDir work;
  ruvotest::Install inst;
  const std::string proj = work / "proj";
  for (const auto& [rel, text] : sources) ruvotest::writeFile(proj + "/src/" + rel, text);
  ruvotest::writeFile(proj + "/game.as3proj",
                      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<project version=\"2\">\n"
                      "  <classpaths>\n    <class path=\"src\" />\n  </classpaths>\n"
                      "  <compileTargets>\n    <compile path=\"src/Main.as\" />\n  </compileTargets>\n"
                      "</project>\n");
  Ran r;
  r.compile = inst.run({proj + "/game.as3proj;zafrit=false"});
  const std::string script = proj + "/bin/h5/game.max.js";
  if (!ruvotest::fileExists(script)) return r;
  r.js = ruvotest::readFile(script);
  r.node = ruvotest::runScriptInNode(script);
  return r;
}

std::string mainClass(const std::string& body, const std::string& members = "") {
  return "package {\n\tpublic class Main {\n" + members + "\t\tpublic function Main() {\n" + body +
         "\t\t}\n\t}\n}\n";
}

// Pieces of real code whose output did not parse or lost code: each runs
// and prints what it prints in Flash.
TEST(RealCodeFaults, OutputKeepsWhatTheSourceMeans) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  struct Case {
    const char* name;
    std::string source;
    const char* expected;
    bool warns = false;  // the source names something that is not defined
    std::map<std::string, std::string> files = {};  // further sources beside Main.as
  } cases[] = {
      // A division by a name the compile cannot resolve (its class was left
      // out): "6/" and "/*no*/this.scale" made a line comment of the rest.
      {"division by an unknown name",
       mainClass("\t\t\tvar a:Number = 6/scale;\n"
                 "\t\t\ttrace(isNaN(150.0/scale), Math.abs(6/scale), \"after\");\n"
                 "\t\t\tvar r:Number = 6/ /x/.lastIndex;\n"
                 "\t\t\ttrace(isNaN(a), r);\n"),
       "true NaN after\ntrue Infinity\n", true},
      // A statement without its ';' before a block on the next line: the
      // block's brace was joined to it ("var body{").
      {"statement without ';' before a block",
       mainClass("\t\t\tvar a:int\n"
                 "\t\t\t{\n\t\t\t\ta = 1;\n\t\t\t}\n"
                 "\t\t\tvar b:int = 2\n"
                 "\t\t\t{\n\t\t\t\tb = 3;\n\t\t\t}\n"
                 "\t\t\ta = a + 1\n"
                 "\t\t\t{\n\t\t\t\tb = b + 1;\n\t\t\t}\n"
                 "\t\t\ttrace(a, b)\n"
                 "\t\t\t{\n\t\t\t\ttrace(\"block\");\n\t\t\t}\n"
                 "\t\t\tif (a > 1)\n\t\t\t{\n\t\t\t\ttrace(\"if\");\n\t\t\t}\n"
                 "\t\t\telse\n\t\t\t{\n\t\t\t\ttrace(\"else\");\n\t\t\t}\n"),
       "2 4\nblock\nif\n"},
      // A '/' inside a character class ended the expression there.
      {"regular expression with '/' in a character class",
       mainClass("\t\t\tvar parts:Array = \"a/b\".split(/[/]/);\n"
                 "\t\t\ttrace(parts.length, \"a/b/c\".replace(/[\\/]/g, \"|\"), /[/]x/.test(\"/x\"));\n"),
       "2 a|b|c true\n"},
      // An is test that starts a statement (the crawler of a view tree:
      // `child is Container ? scan(child) : process(child);`) took the
      // statement before it into its operand: a declaration, an if with its
      // block, a loop's head, a function, or a line without its ';'.
      {"is test starting a statement",
       mainClass("\t\t\tvar log:Array = [];\n"
                 "\t\t\tfor (var i:int = 0; i < 3; i++) {\n"
                 "\t\t\t\tconst v:Object = i == 1 ? \"s\" : i;\n"
                 "\t\t\t\tv is String ? log.push(\"str\") : log.push(\"num\");\n"
                 "\t\t\t}\n"
                 "\t\t\tvar w:Object = [];\n"
                 "\t\t\tif (log.length > 0) { log.push(\"|\"); }\n"
                 "\t\t\tw is Array && log.push(\"arr\");\n"
                 "\t\t\tif (log.length > 4) w is Array && log.push(\"if\");\n"
                 "\t\t\tfor (var j:int = 0; j < 1; j++) w is Array && log.push(\"for\");\n"
                 "\t\t\tvar f:Function = function():void {}\n"
                 "\t\t\tf is Function && log.push(\"fn\")\n"
                 "\t\t\tvar a:Object = \"s\"\n"
                 "\t\t\ta is String && log.push(\"s\")\n"
                 "\t\t\ta is Number ? log.push(\"n\") : log.push(\"x\")\n"
                 "\t\t\tvar b:Boolean = a is String\n"
                 "\t\t\t\t&& w\n"
                 "\t\t\t\tis Array\n"
                 "\t\t\ttrace(log.join(\",\"), b);\n"),
       "num,str,num,|,arr,if,for,fn,s,x true\n"},
      // The limits of int and uint were names nothing defines with the
      // library off ("this.int.MAX_VALUE" at run time).
      {"int and uint limits",
       mainClass("\t\t\tvar lo:int = int.MAX_VALUE;\n"
                 "\t\t\ttrace(lo, int.MIN_VALUE, uint.MAX_VALUE, uint.MIN_VALUE, 1-int.MIN_VALUE, "
                 "int.MAX_VALUE.toString(16));\n"),
       "2147483647 -2147483648 4294967295 0 2147483649 7fffffff\n"},
      // int(x) and uint(x) called functions nothing defines with the library
      // off (a ReferenceError at run time); they truncate to 32 bits, uint
      // wrapping negatives, and int() is 0.
      {"int and uint conversions",
       mainClass("\t\t\tvar s:String = \"12\", a:Array = [10, 20, 30];\n"
                 "\t\t\tvar k:int = int(3.9) * 2;\n"
                 "\t\t\ttrace(int(-3.7), uint(-1), int(s) + 1, int(3e9), int(), uint(), int(NaN), int(\"0x1A\"));\n"
                 "\t\t\ttrace(a[int(4 / 2)], k, int(7 / 2).toString(2), -int(2.5), uint(1 << 31), "
                 "uint(0xFF000000) >>> 24);\n"),
       "-3 4294967295 13 -1294967296 0 0 0 26\n30 6 11 -2 2147483648 255\n"},
      // A negation right after the '=' of a declaration ("=!" read as one
      // operator): the local printed "var f=false=!done", the members lost
      // their initialisers.
      {"negation right after '='",
       mainClass("\t\t\tvar done:Boolean = false;\n"
                 "\t\t\tvar f:Boolean=!done, g:Boolean=!!f;\n"
                 "\t\t\tvar z:Boolean;\n"
                 "\t\t\tz=!f;\n"
                 "\t\t\ttrace(f, g, z, alive, off);\n",
                 "\t\tpublic var alive:Boolean=!false;\n\t\tpublic static var alive2:Boolean=!false;\n"
                 "\t\tpublic static var off:Boolean=!alive2;\n"),
       "true true false true false\n"},
      // A static whose initialiser starts with a hex literal was assigned
      // while its class was made, as if it were a number alone: it read a
      // class that the script makes later (a TypeError as the script
      // loaded).
      {"hex static reading a later class",
       mainClass("\t\t\ttrace(uint(MASK).toString(16), STEP, PLAIN, SUM);\n",
                 "\t\tpublic static const MASK:uint = 0xFF000000 | Tints.RED;\n"
                 "\t\tpublic static const STEP:int = 0x10 * Palette.base;\n"
                 "\t\tpublic static const PLAIN:uint = 0xFF, SUM:int = 0x10 + 1;\n"),
       "ffff0000 256 255 17\n", false,
       {{"Palette.as", "package { public class Palette { public static var base:uint = 0x10; } }\n"},
        {"Tints.as", "package { public class Tints extends Palette { public static var RED:uint = 0xFF0000; } }\n"}}},
      // A static set by a function called at once, function(){...}(), was
      // assigned while its class was made, like a function value: it read
      // a class that the script makes later (a TypeError as the script
      // loaded). A function alone stays a value set at once, and a
      // new RegExp of another class's pattern waits for its first use.
      {"static set by a function called at once",
       mainClass("\t\t\ttrace(TABLE.join(\",\"), pick(), WORD.test(\"ab12\"));\n",
                 "\t\tpublic static const TABLE:Array = function():Array {\n"
                 "\t\t\tvar t:Array = []; for (var i:int = 0; i < 3; i++) t.push(i * Later.STEP); return t;\n"
                 "\t\t}();\n"
                 "\t\tpublic static var pick:Function = function():String { return \"{}\" + Later.STEP; };\n"
                 "\t\tpublic static var WORD:RegExp = new RegExp(Later.DIGITS);\n"),
       "0,5,10 {}5 true\n", false,
       {{"Later.as", "package { public class Later extends Base { public static var STEP:int = 5;\n"
                     "public static var DIGITS:String = \"\\\\d+\"; } }\n"},
        {"Base.as", "package { public class Base { } }\n"}}},
      // An XML attribute updated in place (x.@hp += 5, x.@n++) printed an
      // assignment to the getAttribute call, which JavaScript rejects. The
      // attribute texts sit in a stand-in for the library's XML: hp "10"
      // joined with 5 is "105" as in ActionScript, then 103, 206 and 3
      // (206 % 100 >> 1 | 0); the counter "3" counts 4, 5, 4, and joined
      // with 2 through an index of an Array it is "42".
      {"XML attribute updated in place",
       mainClass("\t\t\tvar u:Attrs = new Attrs();\n"
                 "\t\t\tu.@hp += 5;\n\t\t\tvar after:String = u.@hp;\n"
                 "\t\t\tu.@hp -= 2; u.@hp *= 1 + 1; u.@hp %= 100; u.@hp >>= 1; u.@hp |= 0;\n"
                 "\t\t\tu.@n++;\n\t\t\t++u.@n;\n\t\t\tu.@n--\n"
                 "\t\t\tvar all:Array = [u];\n\t\t\tall[0].@n += 2;\n"
                 "\t\t\ttrace(after, u.@hp, u.@n);\n") +
           "class Attrs {\n\tprivate var values:Object = {hp: \"10\", n: \"3\"};\n"
           "\tpublic function getAttribute(name:String):String { return values[name]; }\n"
           "\tpublic function setAttribute(name:String, value:*):void { values[name] = String(value); }\n}\n",
       "105 3 42\n"},
      // The same updates read as values printed the setAttribute call,
      // whose result is undefined, and a computed name x.@[k] += 1 an
      // assignment to the getAttribute call. A postfix step gives the number
      // read before it (y 3, w 42), a prefix step and op= the value set
      // ("10" joined with 5 is "105", ++ of "41" is 42). The loop reads
      // 42, 41 and 40 (two turns) and leaves 39, then 7 is set by name;
      // through the index in call arguments 7 steps to 8, then 9 > 8.
      {"XML attribute update read as a value",
       mainClass("\t\t\tvar u:Attrs = new Attrs();\n"
                 "\t\t\tvar y:int = u.@n++;\n\t\t\ttrace(y, u.@hp += 5);\n"
                 "\t\t\tvar k:String = \"n\";\n\t\t\tu.@[k] += 1;\n\t\t\tvar z:int = ++u.@[k];\n"
                 "\t\t\tvar all:Array = [u];\n\t\t\tvar w:int = all[0].@n--;\n\t\t\t++all[0].@n;\n"
                 "\t\t\tvar turns:int = 0;\n\t\t\twhile (u.@[k]-- > 40) turns++;\n"
                 "\t\t\tu.@[k] = 7;\n\t\t\ttrace(z, w, turns, u.@n, u.@hp);\n"
                 "\t\t\ttrace(all[0].@n++, ++all[0].@[k] > 8, u.@n);\n") +
           "class Attrs {\n\tprivate var values:Object = {hp: \"10\", n: \"3\"};\n"
           "\tpublic function getAttribute(name:String):String { return values[name]; }\n"
           "\tpublic function setAttribute(name:String, value:*):void { values[name] = String(value); }\n}\n",
       "3 105\n42 42 2 7 105\n7 true 9\n"},
      // A Vector's length set larger left undefined slots, so v[3] + 1 was
      // NaN: the new slots hold the element type's default, 0, false or
      // null. 2 then 3 cuts and adds one 0 again; an Array keeps undefined.
      {"Vector length set larger",
       mainClass("\t\t\tvar v:Vector.<int> = new Vector.<int>();\n\t\t\tv.length = 5;\n"
                 "\t\t\ttrace(v[3] + 1, v.length);\n\t\t\tv[1] = 7;\n\t\t\tv.length = 2;\n\t\t\tv.length = 3\n"
                 "\t\t\tflags.length = 2;\n\t\t\tvar names:Vector.<String> = new Vector.<String>();\n"
                 "\t\t\tnames.length = 1;\n\t\t\tvar a:Array = [];\n\t\t\ta.length = 1;\n"
                 "\t\t\ttrace(v.join(\",\"), this.flags[1], names[0], a[0]);\n",
                 "\t\tprivate var flags:Vector.<Boolean> = new Vector.<Boolean>();\n"),
       "1 5\n0,7,0 false null undefined\n"},
      // A field, parameter or local named flash (a hit flash) was read as
      // the flash package: flash.alpha became zafrit.alpha, undefined.
      {"variable named flash",
       mainClass("\t\t\tflash.alpha = 0.5;\n"
                 "\t\t\tvar fade:Function = function(flash:Object):Number { return flash.alpha -= 0.25; };\n"
                 "\t\t\tvar shot:Object = {alpha: 1};\n"
                 "\t\t\tif (shot) { var flash2:Object = shot; }\n"
                 "\t\t\ttrace(flash.alpha, fade(flash), fade(flash2), this.flash.alpha);\n",
                 "\t\tprivate var flash:Object = {alpha: 1};\n"),
       "0.5 0.25 0.75 0.25\n"},
      // A static constant's literal, put in place of its name, was read as
      // E4X: the ".*" of a regular expression became ".children()" (a
      // dialogue parser matched nothing) and the ".@" of a text a
      // getAttribute call. In a release build constants of other classes
      // are put in place too.
      {"constant literal holding .* or .@",
       "/*[COMPILER OPTIONS:release]*/\n" +
           mainClass("\t\t\ttrace(\"Guard: hi\".match(SAY)[1], GLOB, AT.length, Rules.ANY.test(\"x\"), Rules.MAIL);\n",
                     "\t\tpublic static const SAY:RegExp = /^\\w+:\\s*(.*)$/;\n"
                     "\t\tprivate static const GLOB:String = \"*.*\", AT:String = \"a.@b\";\n"),
       "hi *.* 4 true me.@home\n", false,
       {{"Rules.as", "package { public class Rules {\n\tpublic static const ANY:RegExp = /^.*$/;\n"
                     "\tpublic static const MAIL:String = \"me.@home\";\n} }\n"}}},
      // Awaited calls in a file included into a loop body: its lines start
      // again at 0, and the resume points taken from them re-entered the
      // first guard, so the program ran "a0" again and again (the stand-in
      // for the engine stops resuming after 20 waits). load(n) gives n * 10:
      // round 0 adds 10, round 1 adds 20 and, as 20 > 10, 10 more (40); the
      // wait included after the loop adds 50, and the trace after it, which
      // resumed on the line of that wait, runs too. The first wait returns
      // to Main.
      {"include with awaited calls",
       "package {\n\tpublic class Main {\n\t\tpublic function Main() {\n"
       "\t\t\tvar waiting:Array = [], waits:int = 0;\n"
       "\t\t\twindow.Ruvo[\"await\"] = function(self:Object, next:Function, line:int):void {\n"
       "\t\t\t\twaiting.push(function():void { next.call(self, line); });\n\t\t\t};\n"
       "\t\t\twindow.later = function(v:Object):Object {\n"
       "\t\t\t\tif (++waits < 20) window.setTimeout(waiting.pop(), 1);\n"
       "\t\t\t\treturn {getValue: function():Object { return v; }};\n\t\t\t};\n"
       "\t\t\trun(2);\n\t\t\ttrace(\"started\");\n\t\t}\n"
       "\t\tpublic function load(n:int):Object { return window.later(n * 10); }\n"
       "\t\tpublic function run(rounds:int):void {\n"
       "\t\t\tvar total:int = 0;\n"
       "\t\t\tfor (var i:int = 0; i < rounds; i++) {\n"
       "\t\t\t\tinclude \"steps.as\";\n"
       "\t\t\t}\n"
       "\t\t\tinclude \"tail.as\";\n"
       "\t\t\ttrace(\"end \" + total);\n\t\t}\n\t}\n}\n",
       "a0\nstarted\nb0 10\na1\nbig 40\nb1 40\nend 90\n", false,
       {{"tail.as", "// the wait stands on line 21, as the include of this file does\n" + std::string(19, '\n') +
                        "total += await::load(5);\n"},
        {"steps.as", "trace(\"a\" + i);\nvar v:int = await::load(i + 1);\ntotal += v;\n"
                     "if (v > 10) {\n\ttotal += await::load(1);\n\ttrace(\"big \" + total);\n}\n"
                     "trace(\"b\" + i + \" \" + total);\n"}}},
      // Statements after an awaited call on its own line were guarded by
      // the line the wait resumes at and skipped: "b" and "c" never ran and
      // the second wait resumed into the first again. Now each wait ends
      // its line: "a", the wait returns to Main ("started"), v = 10 ("b 10"),
      // w = 20 ("c 30"), v > 5 waits again ("d"), then "e" and "end 20".
      {"statements after a wait on its line",
       mainClass("\t\t\tvar waiting:Array = [], waits:int = 0;\n"
                 "\t\t\twindow.Ruvo[\"await\"] = function(self:Object, next:Function, line:int):void {\n"
                 "\t\t\t\twaiting.push(function():void { next.call(self, line); });\n\t\t\t};\n"
                 "\t\t\twindow.later = function(v:Object):Object {\n"
                 "\t\t\t\tif (++waits < 20) window.setTimeout(waiting.pop(), 1);\n"
                 "\t\t\t\treturn {getValue: function():Object { return v; }};\n\t\t\t};\n"
                 "\t\t\trun();\n\t\t\ttrace(\"started\");\n",
                 "\t\tpublic function load(n:int):Object { return window.later(n * 10); }\n"
                 "\t\tpublic function run():void {\n"
                 "\t\t\ttrace(\"a\"); var v:int = await::load(1); trace(\"b \" + v); "
                 "var w:int = await::load(2); trace(\"c \" + (v + w));\n"
                 "\t\t\tif (v > 5) { await::load(3); trace(\"d\"); } trace(\"e\");\n"
                 "\t\t\ttrace(\"end \" + w);\n\t\t}\n"),
       "a\nstarted\nb 10\nc 30\nd\ne\nend 20\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::map<std::string, std::string> sources = c.files;
    sources["Main.as"] = c.source;
    Ran r = compileAndRun(sources);
    ASSERT_EQ(r.compile.exitCode, 0);
    ASSERT_FALSE(r.js.empty()) << r.compile.out;
    if (!c.warns) {
      EXPECT_EQ(r.compile.out.find("MSG,7,"), std::string::npos) << r.compile.out;
    }
    EXPECT_EQ(r.node.exitCode, 0) << r.node.err;
    EXPECT_EQ(r.node.out, c.expected) << r.node.err;
  }
}

// Game-style programs, each a project in tests/fixtures/game-*; what they
// print is worked out by hand in the comments.
TEST(GamePrograms, RunInNodeAsTheyWouldInFlash) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  struct Program {
    const char* fixture;
    const char* expected;
  } programs[] = {
      // Gravity -8, dt 0.5: each step adds -4 to vy, then moves by v*dt; the
      // floor at 0 reflects vy at half speed. A from (0,10) with v (2,0)
      // falls 2, 4, 6 and bounces up at 6 - 4 = 2; B from (5,1) with v
      // (0,4) hits the floor three times (vy 2, 1, then 1.5).
      {"game-particles",
       "step 1 (1,8) (5,1)\n"
       "step 2 (2,4) (5,0)\n"
       "step 3 (3,0) (5,0)\n"
       "step 4 (4,1) (5,0)\n"
       "bounces 1 3\n"
       "velocity (2,2) 1.5\n"
       "speed 2.83\n"
       "highest 1\n"
       "count 2 2\n"},
      // The only shortest way round the walls takes 8 steps; the walled-in
      // start reaches its 4 open cells and no path.
      {"game-pathfind",
       "path 8\n"
       "0,0 1,0 2,0 2,1 2,2 3,2 4,2 4,3 4,4\n"
       "S**#.\n"
       "##*#.\n"
       "..***\n"
       ".###*\n"
       "....G\n"
       "walled null 4\n"},
      // Idle waits two ticks, patrol walks until the player comes within 5
      // at tick 4, chase closes 2 per tick to 0, attack hits twice, idle
      // sees the player at once and chases again.
      {"game-states",
       "none\n"
       "1 idle 0\n2 patrol 0\n3 patrol 1\n4 chase 2\n5 chase 2\n"
       "6 chase 2\n7 attack 2\n8 attack 2\n9 idle 2\n10 chase 2\n"
       "enter idle,exit idle,enter patrol,exit patrol,enter chase,exit chase,enter attack,hit 1,hit 2,"
       "exit attack,enter idle,exit idle,enter chase\n"
       "idle>patrol>chase>attack>idle>chase\n"
       "caught no state fly chase\n"},
      // Keys sorted; "ab" hashes to 97 * 31 + 98 = 3105 = 0xc21; "s9:ab"
      // reads a short string without complaint, as the reader is written.
      {"game-serialiser",
       "o6{s5:alivets2:hpd12;s4:names3:Anns3:petns3:posa2[d1.5;d-2;]s4:tagsa0[]}\n"
       "roundtrip true\n"
       "Ann -2 0 true true\n"
       "checksum c21 0\n"
       "error: bad tag x at 0\n"
       "error: text after the value at 3\n"},
      // Tweens of x (quadIn: 100 t^2 at t = .25, .5, .75, 1) and alpha
      // (linear 1 to 0 in half the time, done at the second step); an event
      // bus with handlers added and taken off; Park-Miller random numbers
      // (16807^n mod 2^31 - 1, and 42 * 16807 = 705894 = 0 mod 6); colour
      // bytes packed into one uint.
      {"game-tweens",
       "6.25/0.5 faded 25/0 56.25/0 100/0 true true\n"
       "emit 2 110 0\n"
       "emit 1 210\n"
       "random 16807 282475249 1622650073 1\n"
       "packed 13132850 200 100 50 c86432\n"
       "format 37.5 37 007 0.30\n"},
      // Weights 1 + 6 + 3 fit in 20, the rock of 11 does not; describe()
      // goes down three classes, each overriding getters that the base's
      // text reads (name "*brand*", damage 10 + 2 * charge, charge capped at
      // 5); a negative weight is set to 0; "*" sorts before letters. The
      // loops over the items have no braces round their bodies.
      {"game-inventory",
       "true true true false\n"
       "3 10 4\n"
       "*brand*(3) dmg 20 charge 5\n"
       "[Item apple(1)] [Item axe(6) dmg 7]\n"
       "7|20\n"
       "0 axe\n"
       "*brand*,apple,axe\n"
       "true true false\n"},
      // A 5 x 4 map whose short third row is padded with an empty cell (a
      // fixed-length Vector.<int> starts as zeros); outside the map is wall;
      // the neighbours of (1,1) clockwise from the top are wall, empty,
      // empty, wall.
      {"game-tilemap",
       "5 4 14 2 4\n"
       "0 2 0 1\n"
       "1001 4\n"
       "#####/#..~#/#.#~./#####\n"
       "4 43 2 4:8:15:16\n"
       "15,8 6\n"},
      // Listeners run by priority (9 is a second add of the same function,
      // ignored), then in the order added; stop() ends a dispatch. The fixed
      // step of 0.25 takes 2 steps of 0.6 (0.1 left, as Number subtraction
      // leaves it), and at most 5 of 2.1: the ball bounces at half speed
      // each time it passes 0.
      {"game-events",
       "3 hit7,mid,low7 1\n"
       "1 die\n"
       "2 mid,low1 true false\n"
       "2 0.09999999999999998 2 0.25\n"
       "5 7 5\n"
       "1.25 3\n"},
      // A JSON-like writer with sorted keys and escapes in a switch with
      // fall-through, read back by a private reader class; a grade switch on
      // true that falls from A into B; a labelled continue and break.
      {"game-textio",
       "{\"alive\":true,\"hp\":12,\"item\":null,\"name\":\"hero \\\"one\\\"\",\"pos\":{\"x\":1.5,\"y\":-2},"
       "\"tags\":[\"a\",\"b\\nc\"]}\n"
       "hero \"one\" 13 3 3 true true\n"
       "[1,[],{},\"x\",false]\n"
       "007 -0042 12345   5|\n"
       "orc has 9 hp, orc! {3}\n"
       "AB B C F\n"
       "1,2 none\n"
       "62:05 00:59\n"},
      // Two items fit the root; the third splits it (the middle one stays
      // there); the sixth splits the top-left quarter again: 1 + 4 + 4
      // nodes. A query of the top-left corner finds the two small boxes.
      {"game-quadtree",
       "2 1\n"
       "3 5\n"
       "6 9\n"
       "2 10:10 20:20\n"
       "1 0\n"},
      // Idle waits 1 (two ticks of 0.5), run takes three ticks: over ten
      // ticks idle, run, idle, run, idle. A namespace member is reached
      // bare (use namespace) and qualified.
      {"game-machine",
       "idle idle>run>idle>run>idle 2 5\n"
       "idle@5#5 idle@5#5 5\n"
       "2 idle|run true true run\n"
       "6 0 x:1:1 y:2:2\n"
       "2147483647 4294967295 true 2.5 ff\n"},
      // Statics built from another class's statics; a static setter that
      // clamps; typed catch clauses and finally; closures made in a loop
      // share its variable; a Vector.<Boolean> starts as false, one of
      // String as null.
      {"game-config",
       "32 32,64 64\n"
       "1\n"
       "0.75\n"
       "ok! level4bad level! rangeout! anyplain!\n"
       "3 0 20\n"
       "100 020 null false 0\n"
       "false true true Hi 105\n"},
      // Setters overridden at each level: Button rounds x and upper-cases
      // the label, which IconButton reads back behind its icon; super.x +=
      // 1.5 goes round Button's rounding (5.5), x += 0.2 does not (6); a
      // protected getter tripled below makes the width 10 + 6 (+ 16).
      {"game-widgets",
       "4 OK 1 16\n"
       "6\n"
       "[*][*]GO! 1 2 32\n"
       "widget-class\n"
       "2 true\n"},
      // A dialogue script of 37 tokens over 6 lines (five line ends): gold
      // = 14 - 2 = 12, then 12 % 5 + -3 = -1; "{missing}" is not set. The
      // bad scripts fail at the '=' (4), at the ';' after '+' (7), on the
      // unset b, at the '#' (8) and at the ';' where ')' belongs (10).
      {"game-script",
       "37 id(let) end 6\n"
       "end:1 id:9 num:7 op:17 str:3\n"
       "Ann has 12 gold | left: -1, ?\n"
       "gold=-1,name=Ann\n"
       "error: name expected at 4\n"
       "error: unexpected op(;) at 7\n"
       "error: undefined b\n"
       "error: bad char '#' at 8\n"
       "error: expected ) at 10 got op(;)\n"},
      // Conway's life on 5 x 5: a blinker of three cells turns upright and
      // back. Rules are set up by a block and a call in the class body
      // (steps 010 is ten, one more after init()); the vector class is a
      // value (not null), and typeof gives number, string, number.
      {"game-life",
       "B3/S23 11\n"
       "...../...../.###./...../.....\n"
       "...../..#../..#../..#../.....\n"
       "...../...../.###./...../..... 3\n"
       "true number,string,number true\n"},
      // A* over a binary heap ordered by f, then h: the only 8-step way
      // round the walls; from a wall start along the top row (4 nodes
      // expanded); a wall as the goal is never reached. The heap pops in
      // order.
      {"game-astar",
       "8 0,0 0,1 0,2 1,2 1,3 1,4 2,4 3,4 4,4\n"
       "4,0 3,0 2,0 1,0 0,0 4 null\n"
       "1,2,3,5,8,9\n"},
      // Bit-level code with int() and uint() (no library): CRC-32 of
      // "123456789" is the check value cbf43926, of "hello" 0x3610a686; the
      // Adler-32 sums of "abc" are 1 + 294 = 0x127 and 98 + 196 + 295 =
      // 0x24d; the 31-multiplier hash of "hello" is 99162322. Xorshift32
      // from 2463534242 gives Marsaglia's first three values; 60 rolls of
      // next() % 6 fall 8,12,7,11,11,11 (63 draws), and the uint total 60 -
      // 10 is 50. 0xFF336699 unpacks to 255, 0x33, 0x99; the blends add
      // int((to - from) * t), truncated towards zero: 16 + 16, 32 + 32, 48
      // + 56 at 0.5, and 48 + int(-9.6), 96 + int(-19.2), 160 + int(-33.6)
      // at 0.3. 2.5 and -1.25 in 16.16 are 163840 and -81920; their
      // product -3.125, quotient -2, rounded 3 and -1 (-1.25 + 0.5 floors
      // to -1).
      {"game-bits",
       "crc cbf43926 907060870 0\n"
       "adler 300286872 0x024D0127\n"
       "hash 99162322 484175300\n"
       "xor 723471715 2497366906 2064144800\n"
       "dice 60 50 63 8,12,7,11,11,11\n"
       "colour 4281558681 0xFF336699 255 51 153\n"
       "blend 0xFF204068 0xFF274D7F 0xFFABCDEF\n"
       "dark true ffffffff -1 51\n"
       "base64 TWFueSBoYW5kcw== TWE= TQ== true\n"
       "fixed 163840 -81920 -3.125 -2 3 -1\n"
       "ints -3 -1 7 43 1410065408 3000000000 -4 -3\n"},
      // A battle that waits for animations (await::), with the engine's
      // Ruvo.await stood in for in Main. Knight 20/4 against orc 15/5: turn
      // 1 rolls 4 + 1 = 5 (a hit), turn 2 rolls 5 + 2 = 7 > 6 (a crit, 14),
      // turn 3 rolls 4 + 3 = 7 (a crit, 14) and the orc falls; the score
      // adds each roll's damage (5, 19, 33) and the try block's ++ once
      // (34), though the catch block waits; the dead orc bows once before
      // continue bows. "started" comes first: the first wait returns.
      {"game-battle",
       "started\n"
       "start 2 fight\n"
       "knight>orc 5 hp 10 score 5\n"
       "turn 1\n"
       "orc>knight 14 hp 6 score 19\n"
       "turn two\n"
       "knight>orc 14 hp -4 score 33\n"
       "turn 3\n"
       "caught no loot score 34\n"
       "winner knight after 3 turns, 8 events\n"
       "ui:fight,knight:hit,orc:crit,ui:flash,knight:crit,ui:oops,knight:bow0,knight:bow1,knight:bow2,orc:bow0,"
       "knight:win\n"},
      // Balance.MAX_LEVEL = Rules.BASE_HP / LEVEL_STEP = 50 / 5 and
      // Rules.HP_PER_LEVEL = LEVEL_STEP * 2 read each other's class. A Stat
      // defaults to Rules.BASE_HP, a ModStat to 10 plus its mods (1 + 2.5 -
      // 1), a CappedStat caps 10 + 40 + 30 at CAPS.str = 99 and spells its
      // name in capitals. Through the interface, base = 20 goes 21 (Capped),
      // 42 (Mod) into Stat, so 42 + 70 is capped at 99; -3 becomes -6 and
      // then 0. describe() counts what was passed (arguments.length) and
      // the rest. The peers push through the engine namespace: 2 then 4
      // messages, then b holds three.
      {"game-rpgstats",
       "10 10 L10\n"
       "3 0\n"
       "hp 50 true false false\n"
       "dex 12.5 true true false\n"
       "STR 80 true true true\n"
       "99 42 STR=99\n"
       "2.5 dex=2.5 dex=2.5!\n"
       "3 false 1\n"
       "5x0/0 1x1/0 1b2/0 1b4/2\n"
       "299 str|dex|int 80 7\n"
       "0 1 6 9\n"
       "2 4 2+2=2\n"
       "a:hi,a:yo 2 0\n"
       "3 3 2\n"},
      // X holds (0,0) and (0,1), O (1,1): minimax for O blocks at (0,2) and
      // the game is a draw (0). Three closures made in one loop all see its
      // i = 3; a factory gives each its own n. cmd falls through from go and
      // north into n, and from default (in the middle) into wait; switch
      // (true) grades; the Hanoi moves of 5 discs are 2^5 - 1 = 31. In the
      // 4 x 4 grid of (x + y) % 3 the sums 0..6 appear 1,2,3,4,3,2,1 times.
      {"game-board",
       "XX./.O./.../ false 6\n"
       "0,2 0 true\n"
       "30,30,30\n"
       "1 2 3\n"
       "Nn Nn n w ?w Q\n"
       "A B C F\n"
       "610 3628800 31\n"
       "6 5 5 0120\n"},
      // The save text escapes '|' and '=' as %7C and %3D, writes 1.23456 with
      // three decimals and keeps the first place of "hp" when it is set
      // again; its 59 characters follow the eight of the checksum and a '|'.
      // Decoding gives the values back with their types; a wrong checksum is
      // refused. The rest are the number and text functions as Flash has them.
      {"game-savegame",
       "name=sZed%7Cthe%3DBold|hp=i40|x=f1.235|alive=btrue|gold=i-7\n"
       "68 d=i-7 3\n"
       "Zed|the=Bold 41 1.235 true number name,hp,x,alive,gold\n"
       "true false false true 4\n"
       "bad checksum 00000000\n"
       "00ff deadbeef 11111111 -ff ffffffff\n"
       "31 12 35 true 350 0.5\n"
       "3.14 3 0.00000123 1234.6 12.5 0 NaN\n"
       "Hi! 98 NaN ll el ell\n"
       "4 one_two__three cba\n"
       "1 3 3 -1\n"
       "a[1]b[2]c[3] baa\n"
       "true 4294967295 2147483647 -2147483648 true false false\n"
       "3 -2 -2 2 3 5 Infinity 1024 9\n"
       "true 3141 3 -3 42 1\n"},
      // Level rows of codes split at commas: a code above the highest key of
      // KINDS (3, found by a for-in over int keys) or 0 makes nothing. Coins
      // are worth code + x (1 at x 0, 2 at x 1); damage adds the enemy's
      // 3 * 2 and the boss's 6 + 10. The loader notes each entity in a
      // namespace's log; the rest are the object operators and a factory
      // that makes a class from an object of classes.
      {"game-levels",
       "4 4 3\n"
       "coin1@0,0 false false false\n"
       "enemy@2,0 true true false\n"
       "boss:enemy@2,1 true true true\n"
       "coin2@1,2 false false false\n"
       "22\n"
       "1@0 2@2 3@2 1@1 4\n"
       "a:number b:string c:object d:object\n"
       "4 true true false true\n"
       "object undefined function number string object\n"
       "true false null true\n"
       "boss:enemy 16 true\n"},
      // A behaviour tree: the selector tries attack (see, then attack, while
      // the enemy count lasts: two ticks), then heal when hurt, then idle; a
      // sequence or selector that succeeds below a selector reports running,
      // an action success. Labels count the children that the constructors
      // took from their rest parameters; 4 + 4 + 6 + 6 nodes ticked.
      {"game-behaviour",
       "run:sel(3)>seq(2)>see>attack | run:sel(3)>seq(2)>see>attack | ok:sel(3)>seq(2)>see>seq(2)>hurt?>idle | "
       "run:sel(3)>seq(2)>see>seq(2)>hurt?>heal\n"
       "sel(3) 20 0 2 attack\n"},
      // The level line gives orc 12, imp 5, elf 9 (ids 1 to 3; the x flag
      // lets blanks stand round '=' and a comment end the pattern). Each
      // tick the highest hp drains 3 (or what is left) from the others:
      // orc takes 3 + 3 (elf 6, imp 2), then 3 + 2 (elf 3, imp 0), 23 in
      // all; "left" loses 6 + 5 of 100, "ticks" counts 2 and "log" joins
      // "o" twice. The hp 23, 3, 0 (last sorted order) have 2, 1, 1
      // digits; LIMITS, made by a function called at once, is 1 to 3 times
      // Mob.STEP 4; Entity's own _id stays -1 beside Mob's.
      {"game-entities",
       "1:orc(12) 2:imp(5) 3:elf(9)\n"
       "1:orc(23) 2:imp(0) 3:elf(3)\n"
       "<stats ticks=\"2\" left=\"89\" log=\"oo\"/> digits 211 limits 4/8/12 base -1\n"},
      // A dialogue script read line by line with regular expressions that
      // are static constants (their literals stand in place of the names,
      // ".*" included): 9 lines under three labels. Ann pays twice (25 - 10
      // + 1.5 = 16.5, then 8), the gold padded to 4 places by a replace
      // callback; the if falls through into the jump; Bo is too poor and
      // meets an unset name. A loop is stopped after 5 steps at line 1, a
      // bad line is reported with its number; the two later scripts add 2
      // parsed lines to the static count.
      {"game-dialogue",
       "9 9 end=8 pay=4 start=0\n"
       "GUARD> Halt, Ann! You carry   25 gold.\n"
       "GUARD> Thanks. 16.5 left, paid 1x.\n"
       "GUARD> Halt, Ann! You carry 16.5 gold.\n"
       "GUARD> Thanks. 8 left, paid 2x.\n"
       "NARRATOR> The end.\n"
       "13 8 2\n"
       "GUARD> Halt, Bo! You carry    3 gold. / GUARD> Begone, ?title. / NARRATOR> The end.\n"
       "loop at 1: a 1\n"
       "bad line 2: this is wrong 2 true\n"
       "padded| 11\n"},
      // A hand-written JSON writer and reader: characters above 126 written
      // as \u escapes and read back, numbers with exponents (-2e-7, 1e+21,
      // 3E2 + 2.5e+1 = 325), integer-like keys first in ascending order as
      // JavaScript lists them ("2", "10", then b and a); the reader's
      // ParseError (errorID 17, its own name) caught before Error for each
      // bad text with its offset; NaN and Infinity written as null.
      {"game-json",
       "{\"name\":\"Zo\\u00eb \\\"Z\\\"\",\"hp\":12,\"pos\":[1.5,-2e-7,1e+21],"
       "\"flags\":{\"2\":null,\"10\":false,\"b\":true,\"a\":\"x\\ty\"}}\n"
       "Zo\xc3\xab \"Z\" 7 -2 true false null 3\n"
       "true\n"
       "7 325 1 0 7\n"
       "{\"A\\u00e9\":\"\\u263a\"}\n"
       "ParseError#17: expected ] at 4 4 true\n"
       "ParseError#17: expected : at 5 5 true\n"
       "ParseError#17: unexpected 't' at 0 0 true\n"
       "ParseError#17: trailing text at 4 4 true\n"
       "ParseError#17: unterminated string at 4 4 true\n"
       "ParseError#17: bad number -e at 0 0 true\n"
       "[null,null,0.30000000000000004,0,0.3333333333333333,123456789012]\n"
       "1,5,z,y\n"},
      // A tokenizer by char codes (10 tokens; an open quote at 2 throws) and
      // markup read with a global RegExp: exec in a loop from lastIndex 0
      // finds [b] at 0, [color=red] at 17, [x] at 39 ([/b] is no tag); 1 * 2
      // + 22 * 6 + 333 * 11 = 3797 and lastIndex is 0 after the last miss;
      // $1/$2 swaps, a callback with the match position, split by a RegExp
      // and by a text with a limit, $& and $$, and a RegExp made from text.
      {"game-markup",
       "10 2:hp 4:= 1:12.5 4:+ 2:x2 4:* 1:3 4:; 2:say 3:hi there\n"
       "unterminated at 2\n"
       "b@0,color:red@17,x@39\n"
       "|Hero[/b] says hi[/color] |\n"
       "3797 0\n"
       "10=hp 5=mp, orc=name\n"
       "hi Ann#3 and Bob#12!\n"
       "go|north|take|key|drop|sword\n"
       "a+b a-b.c c[a]t $\n"
       "123 gue alo ogu\n"
       "true true true 3 2\n"
       "<1> <2> y3 true x(\\d)\n"
       "orc hits elf for 7\n"},
      // Members of a custom namespace (wire) reached as p.wire::encode(),
      // after a file-wide use namespace and inside a function's own: the
      // static HEADER = "PK" + VERSION and nextId = Config.START_ID wait for
      // their first use, so the packets are 100 and 101 ("PK2") and nextId is
      // 102; Config.LIMITS.max is 2 * 5. A queue class after the package
      // block delivers through forEach with (p, i, all). The closures of the
      // counters share the loop's i but not their own c: 1 + 2 sent, 12 + 1
      // + 2, 21 + 1 + 2. A namespaced setter in a compound assignment: rate
      // 3, then 30 + 1 = 31, read as 310; send(5) = 5 + 31; the override
      // reached through super.wire::send gives (2 * 3 + 2) * 100.
      {"game-netcode",
       "PK2:100:1|a|true:s PK2:101::t 102 10\n"
       ">0/2=PK2:100:1|a|true:s >1/2=PK2:101::t\n"
       "3 15 24\n"
       ">3> 1 Q2true\n"
       "310 36 800 1 32/310/1\n"},
      // A 4 x 3 grid whose Vector of cells is sized by its length, walls
      // found by RegExp("\\#  # a wall", "gx") called without new (the
      // pattern reads \#) at 2 and 6. A breadth-first walk from the corner,
      // with dist and seen sized by length (0 and false): the far corner of
      // the top row is 7 steps away round the wall, the bottom right 5;
      // the two walls stay unseen, 9 cells are pushed (counted by ++ on an
      // attribute of a stand-in), "x" joined with 7 is "x7"; "5" < 7 reads
      // best++ as 5 and leaves 6.
      {"game-gridwalk",
       "001000100000\n"
       "7 5 2 9 x7\n"
       "5 6\n"},
  };
  for (const Program& p : programs) {
    SCOPED_TRACE(p.fixture);
    ruvotest::TempDir work;
    ruvotest::Install inst;
    const std::string proj = work / "proj";
    ruvotest::copyFixture(p.fixture, proj);
    ruvotest::RunResult run = inst.run({proj + "/game.as3proj;zafrit=false"});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.find("MSG,7,"), std::string::npos) << run.out;
    const std::string script = proj + "/bin/h5/game.max.js";
    ASSERT_TRUE(ruvotest::fileExists(script)) << run.out;
    ruvotest::RunResult node = ruvotest::runScriptInNode(script);
    EXPECT_EQ(node.exitCode, 0) << node.err;
    EXPECT_EQ(node.out, p.expected) << node.err;
  }
}

}  // namespace
