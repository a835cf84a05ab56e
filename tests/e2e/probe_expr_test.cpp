// Expressions and statements inside methods, as game code writes them:
// small projects compiled by the real program and run in node, checking what
// the script prints against what the ActionScript prints.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "harness.h"

namespace {

using Compiled = ruvotest::SourcesRun;

// Compiles the sources (the main class in Main.as) with the library off and
// runs the script in node with a browser's window and document.
Compiled compileAndRun(const std::map<std::string, std::string>& sources) {
  return ruvotest::compileSourcesAndRun(sources);
}

// A main class with the given members and constructor body.
std::string mainClass(const std::string& members, const std::string& body) {
  return ruvotest::mainClass("", members, body);
}

struct Case {
  const char* name;
  const char* members;
  const char* body;
  const char* expected;  // what node prints
};

void runCases(const Case* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    SCOPED_TRACE(cases[i].name);
    Compiled c = compileAndRun({{"Main.as", mainClass(cases[i].members, cases[i].body)}});
    ASSERT_FALSE(c.js.empty()) << c.messages;
    EXPECT_EQ(c.messages.find("MSG,7,"), std::string::npos) << c.messages;
    EXPECT_EQ(c.node.exitCode, 0) << c.node.err;
    EXPECT_EQ(c.node.out, cases[i].expected) << c.node.err;
  }
}

// Parameters, their default values and rest parameters.
TEST(ProbeExpr, ParametersDefaultsAndRest) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  const Case cases[] = {
      // A default value naming a static constant or a static variable of the
      // class is resolved like any other use of that name.
      {"default names a static constant",
       "\t\tpublic static const MAX:int = 9;\n\t\tpublic static var step:int = 2;\n"
       "\t\tprivate function f(a:int, t:int = MAX, u:int = step):int { return a + t + u + MAX; }\n",
       "trace(f(1), f(1, 0, 0));", "21 10\n"},
      // ...args is an Array, with or without fixed parameters before it.
      {"rest parameter alone is an array",
       "\t\tprivate function join(...args):String { return args.join(\"-\") + args.concat([9]).length; }\n"
       "\t\tprivate function sum(a:int, ...more):int { return a + more.length; }\n",
       "trace(join(1, 2, 3), join(), sum(1, 2, 3));", "1-2-34 1 3\n"},
      // Copying the rest parameter leaves parameters called i and sz alone.
      {"parameters named like loop counters",
       "\t\tprivate function at(i:int, ...rest):String { return i + \":\" + rest.join(\",\"); }\n"
       "\t\tprivate function sized(sz:int, ...rest):int { return sz; }\n",
       "trace(at(5, \"a\", \"b\"), sized(7, 9));", "5:a,b 7\n"},
  };
  runCases(cases, sizeof cases / sizeof cases[0]);
}

// Arrays and vectors made with a length.
TEST(ProbeExpr, VectorsOfALength) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  const Case cases[] = {
      // Every element of new Vector.<int>(n) is 0, whatever the length is
      // written with; object vectors hold null.
      {"length from a variable or an expression", "",
       "var n:int = 3;\n"
       "var a:Vector.<int> = new Vector.<int>(n);\n"
       "var b:Vector.<Number> = new Vector.<Number>(n * 2, true);\n"
       "var c:Vector.<Object> = new Vector.<Object>(n);\n"
       "a[1] += 5;\n"
       "trace(a.join(\",\"), b.length, b[5] + 1, c[2] === null);",
       "0,5,0 6 1 true\n"},
  };
  runCases(cases, sizeof cases / sizeof cases[0]);
}

// Regular expression literals wherever a value is expected, next to
// divisions.
TEST(ProbeExpr, RegularExpressionsAndDivisions) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  const Case cases[] = {
      {"after return, !, ?, && and ||",
       "\t\tprivate function digits(s:String):Boolean { return /^\\d+$/.test(s); }\n",
       "var ok:Boolean = !/z/.test(\"a\") && /a*/.test(\"b\");\n"
       "var t:String = ok ? /q/.source : /r/.source;\n"
       "var any:Boolean = false || /x/.test(\"x\");\n"
       "trace(digits(\"123\"), digits(\"1a\"), ok, t, any);",
       "true false true q true\n"},
      {"divisions stay divisions", "",
       "var i:int = 6; var arr:Array = [8];\n"
       "var n:Number = 10 /* half */ / 2;\n"
       "trace(n / 5 / 2, arr[0]/4, (n)/5, i++ / 2, i-- / 7);",
       "0.5 2 1 3 1\n"},
  };
  runCases(cases, sizeof cases / sizeof cases[0]);
}

// Numbers written with leading zeros are decimal, as in ActionScript (the
// script would read 010 as octal eight; a TypeScript file would not parse).
TEST(ProbeExpr, NumbersWithLeadingZerosAreDecimal) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  const Case cases[] = {
      {"constants, literals and sums", "\t\tpublic static const MODE:int = 010;\n",
       "var a:Array = [07, 010, 0x10, 00, 0.5, 007.5, 0];\n"
       "trace(a.join(\",\"), MODE + 1, 09 + 1, 010 * 2);",
       "7,10,16,0,0.5,7.5,0 11 10 20\n"},
  };
  runCases(cases, sizeof cases / sizeof cases[0]);
}

// for each over a member variable as the loop variable sets the member.
TEST(ProbeExpr, ForEachIntoAMember) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  const Case cases[] = {
      {"member loop variable",
       "\t\tprivate var item:int = 0;\n\t\tprivate var list:Array = [4, 5, 6];\n"
       "\t\tprivate function last():int { for each (item in list) { } return item; }\n",
       "for each (item in list) { if (item == 5) break; }\n"
       "trace(item, this.item, last(), typeof window[\"item\"]);",
       "5 5 6 undefined\n"},
  };
  runCases(cases, sizeof cases / sizeof cases[0]);
}

// One var statement declaring further names after an anonymous function or
// a delete expression.
TEST(ProbeExpr, DeclarationsGoOnAfterAFunction) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  const Case cases[] = {
      {"names after the function", "\t\tprivate var hp:int = 10;\n",
       "var a:int = 1, f:Function = function():int { return hp + a; }, b:int = 2;\n"
       "var g:Function = function(x:int):int { return x * 2; }, h:Number, s:String;\n"
       "trace(a, f(), b, g(3), h, s);",
       "1 11 2 6 NaN undefined\n"},
      {"delete as a value", "",
       "var o:Object = {k: 1, j: 2};\n"
       "var gone:Boolean = delete o.j, after:int = 4;\n"
       "var x:int = 1\n"
       "delete o.k\n"
       "trace(gone, after, x, \"j\" in o, \"k\" in o);",
       "true 4 1 false false\n"},
  };
  runCases(cases, sizeof cases / sizeof cases[0]);
}

// Object literal keys spelled like modifier words.
TEST(ProbeExpr, ObjectKeysNamedLikeModifiers) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  const Case cases[] = {
      {"use, final, static, dynamic, native, internal, include", "",
       "var item:Object = {name: \"potion\", use: function(hp:int):int { return hp + 5; }, final: true,\n"
       "\tstatic : 1, dynamic: \"d\", native: 2, internal: 3, override: 4, public: 5, include: 6};\n"
       "trace(item.use(10), item.final, item[\"static\"], item.dynamic, item.native + item.internal, item.override + item.public,\n"
       "\titem.include);",
       "15 true 1 d 5 9 6\n"},
  };
  runCases(cases, sizeof cases / sizeof cases[0]);
}

// for each as the brace-less body of if, else and for runs only there.
TEST(ProbeExpr, ForEachAsABracelessBody) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  const Case cases[] = {
      {"if, else, for and while bodies", "",
       "var list:Array = [1, 2, 3]; var sum:int = 0; var skip:Boolean = true; var log:Array = [];\n"
       "if (!skip) for each (var a:int in list) { sum += a; }\n"
       "log.push(sum);\n"
       "if (skip) log.push(\"x\"); else for each (var b:int in list) { sum += b; }\n"
       "log.push(sum);\n"
       "var grid:Array = [[1, 2], [3]];\n"
       "for (var i:int = 0; i < grid.length; i++) for each (var c:int in grid[i]) { sum += c; }\n"
       "var n:int = 0;\n"
       "while (n++ < 2) for each (var d:int in list) { sum += d; }\n"
       "log.push(sum);\n"
       "trace(log.join(\",\"));",
       "0,x,0,18\n"},
  };
  runCases(cases, sizeof cases / sizeof cases[0]);
}

// for each evaluates a call or any other expression it walks once.
TEST(ProbeExpr, ForEachEvaluatesItsObjectOnce) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  const Case cases[] = {
      {"a draining splice and a counted call",
       "\t\tprivate var calls:int = 0;\n\t\tprivate var pending:Array = [\"a\", \"b\", \"c\"];\n"
       "\t\tprivate function items():Array { calls++; return [1, 2, 3]; }\n",
       "var got:Array = [];\n"
       "for each (var msg:String in pending.splice(0, pending.length)) { got.push(msg); }\n"
       "var sum:int = 0;\n"
       "for each (var v:int in items()) { sum += v; }\n"
       "var w:int;\n"
       "for each (w in [4, 5]) { sum += w; }\n"
       "trace(got.join(\",\"), pending.length, sum, calls, w);",
       "a,b,c 0 15 1 5\n"},
  };
  runCases(cases, sizeof cases / sizeof cases[0]);

  // A plain name is read as it stands; a call goes through one variable.
  Compiled c = compileAndRun(
      {{"Main.as", mainClass("\t\tprivate function items():Array { return [1]; }\n",
                             "var list:Array = [2];\n"
                             "for each (var x:int in list) { trace(x); }\n"
                             "for each (var y:int in items()) { trace(y); }")}});
  for (const char* fragment : {"var x;", "for (var $each_x in list){", "x=((list[$each_x])|0);", "var y,$eachof_y;",
                               "for (var $each_y in ($eachof_y=this.items())){", "y=(($eachof_y[$each_y])|0);"}) {
    SCOPED_TRACE(fragment);
    EXPECT_NE(c.js.find(fragment), std::string::npos) << c.js;
  }
  EXPECT_EQ(c.node.out, "2\n1\n") << c.node.err;
}

// A cast that starts a line after a statement without ';' starts a new
// statement, where its bare group continued the line before as a call
// (tiles[0](t)); after the head of an if, an operator or '=' the line goes
// on as it did. Tile 0 gets 3, then 4; the if sets 9 on tile 1, which the
// sum reads twice (2 + 9 + 9).
TEST(ProbeExpr, CastsStartingALineWithoutSemicolons) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  Compiled c = compileAndRun(
      {{"game/Tile.as", "package game {\n\tpublic class Tile { public var value:int = 0; }\n}\n"},
       {"Main.as",
        "package {\n\timport game.Tile;\n\tpublic class Main {\n\t\tpublic function Main() {\n"
        "\t\t\tvar tiles:Array = [new Tile(), new Tile()]\n"
        "\t\t\tvar t:Object = tiles[0]\n"
        "\t\t\tTile(t).value = 3\n"
        "\t\t\tTile(tiles[0]).value += 1\n"
        "\t\t\tvar h:Object = {f: function():int { return 2; }}\n"
        "\t\t\tvar n:int = Function(h.f)()\n"
        "\t\t\tFunction(h.f)()\n"
        "\t\t\tvar k:Class = Tile\n"
        "\t\t\tClass(k).length\n"
        "\t\t\tif (n > 1)\n"
        "\t\t\t\tTile(tiles[1]).value = 9\n"
        "\t\t\tvar sum:int = n +\n"
        "\t\t\t\tTile(tiles[1]).value +\n"
        "\t\t\t\tHelper(new Helper()).twice(Tile(tiles[1]).value) / 2\n"
        "\t\t\tHelper(new Helper()).twice(1)\n"
        "\t\t\ttrace(Tile(t).value, sum)\n"
        "\t\t}\n\t}\n}\n"
        "class Helper { public function twice(v:int):int { return v * 2; } }\n"}});
  EXPECT_EQ(c.messages.find("MSG,7,"), std::string::npos) << c.messages;
  EXPECT_EQ(c.node.out, "4 20\n") << c.node.err << c.js.substr(c.js.find("function Main("), 700);
}

// instanceof reads the chain of base classes only: with an interface on its
// right (by its name, imported or with its package) it is false, as in
// Flash, where `is` is true.
TEST(ProbeExpr, InstanceofAnInterfaceIsFalse) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  Compiled c = compileAndRun(
      {{"game/IHit.as", "package game {\n\tpublic interface IHit { function hit():int; }\n}\n"},
       {"game/Orc.as", "package game {\n\tpublic class Orc implements IHit { public function hit():int { return 2; } }\n}\n"},
       {"Main.as", ruvotest::mainClass("\timport game.*;\n", "",
                                       "var o:Object = new Orc();\n"
                                       "trace(o instanceof IHit, o instanceof game.IHit, o is IHit, o instanceof Orc);")}});
  EXPECT_EQ(c.messages.find("MSG,7,"), std::string::npos) << c.messages;
  EXPECT_EQ(c.node.out, "false false true true\n") << c.node.err;
}

// An `in` in the condition of a three-part for loop makes no key loop of
// it: the int counter is not converted at the top of the body.
TEST(ProbeExpr, InsideAForConditionIsNoKeyLoop) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  Compiled c = compileAndRun({{"Main.as", mainClass("", "var o:Object = {k: 1}, n:int = 0;\n"
                                                        "for (var i:int = 0; i < 3 && \"k\" in o; i++) n++;\n"
                                                        "trace(n, i);")}});
  EXPECT_NE(c.js.find("for (var i=0;i < 3 && \"k\" in o;i++)n++;"), std::string::npos) << c.js;
  EXPECT_EQ(c.node.out, "3 3\n") << c.node.err;
}

// ||= and &&= with a value that binds more loosely than || and &&.
TEST(ProbeExpr, LogicalAssignmentsKeepTheirValueWhole) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  const Case cases[] = {
      {"ternary, || after && and assignment values", "\t\tprivate var label:String = \"Custom\";\n",
       "var isBoss:Boolean = true;\n"
       "label ||= isBoss ? \"Boss\" : \"Mob\";\n"
       "var empty:String = null;\n"
       "empty ||= isBoss ? \"Boss\" : \"Mob\";\n"
       "var vis:Boolean = false;\n"
       "vis &&= isBoss || false;\n"
       "var o:Object = {};\n"
       "o.k ||= 1\n"
       "o.j ||= isBoss ? 2 : 3\n"
       "var a:int = 0, b:int = 0;\n"
       "a ||= b = 5;\n"
       "trace(label, empty, vis, o.k, o.j, a, b);",
       "Custom Boss false 1 2 5 5\n"},
  };
  runCases(cases, sizeof cases / sizeof cases[0]);
}

// Labelled loops of every kind, left and continued from an inner loop.
TEST(ProbeExpr, LabelledLoops) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  const Case cases[] = {
      {"for each with a label", "",
       "var found:int = -1; var seen:int = 0;\n"
       "search: for each (var row:Array in [[1, 2], [3, 4], [5, 6]]) {\n"
       "\tfor each (var cell:int in row) {\n"
       "\t\tif (cell == 2) continue search;\n"
       "\t\tif (cell == 5) { found = cell; break search; }\n"
       "\t\tseen++;\n"
       "\t}\n"
       "}\n"
       "trace(found, seen, row.length, cell);",
       "5 3 2 5\n"},
      {"for each over an existing variable with a label", "",
       "var v:int; var sum:int = 0;\n"
       "outer: for each (v in [1, 2, 3]) { for (var i:int = 0; i < 3; i++) { if (i == 1) continue outer; sum += v; } }\n"
       "trace(sum, v);",
       "6 3\n"},
      // Labels on a switch, on a do loop after a ternary statement and on a
      // block inside a case.
      {"switch, do and block labels", "",
       "var x:int = 1; var n:int = 0; var log:Array = [];\n"
       "x > 0 ? log.push(\"t\") : log.push(\"f\");\n"
       "again: do { n++; if (n > 2) break again; } while (true);\n"
       "sw: switch (x) {\n"
       "\tcase 1:\n"
       "\t\tfor (var i:int = 0; i < 3; i++) { if (i == 1) break sw; }\n"
       "\t\tlog.push(\"no\");\n"
       "}\n"
       "switch (x) {\n"
       "\tcase 1:\n"
       "\t\tpart: { if (x == 1) break part; log.push(\"skipped\"); }\n"
       "\t\tlog.push(\"case\");\n"
       "}\n"
       "trace(n, i, log.join(\",\"));",
       "3 1 t,case\n"},
  };
  runCases(cases, sizeof cases / sizeof cases[0]);
}

// `is` in a case label and in the branches of a ternary tests only its own
// operand.
TEST(ProbeExpr, IsInCaseLabelsAndTernaries) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  const Case cases[] = {
      {"switch (true) on types", "",
       "var vals:Array = [1, \"s\", [2], null]; var out:Array = [];\n"
       "for each (var v:* in vals) {\n"
       "\tswitch (true) {\n"
       "\t\tcase v is String: out.push(\"str\"); break;\n"
       "\t\tcase v is Array: out.push(\"arr\"); break;\n"
       "\t\tcase v is Number: out.push(\"num\"); break;\n"
       "\t\tdefault: out.push(\"other\");\n"
       "\t}\n"
       "}\n"
       "var x:Object = \"t\";\n"
       "var k:String = x == null ? \"none\" : x is String ? \"s\" : \"o\";\n"
       "var m:Boolean = x != null ? x is Array : false;\n"
       "trace(out.join(\",\"), k, m);",
       "num,str,arr,other s false\n"},
  };
  runCases(cases, sizeof cases / sizeof cases[0]);
}

// The built-in error classes besides Error are names of the browser.
TEST(ProbeExpr, BuiltInErrorClasses) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  const Case cases[] = {
      {"thrown, caught and tested", "",
       "try { throw new RangeError(\"range\"); } catch (e:Error) { trace(e.message, e is RangeError, e is TypeError); }\n"
       "try { var o:Object = null; o.x = 1; } catch (t:TypeError) { trace(t is TypeError, t is Error); }\n"
       "var all:Array = [new SyntaxError(\"s\"), new ReferenceError(\"r\"), new EvalError(\"e\"), new URIError(\"u\")];\n"
       "trace(all.length, all[3].message);",
       "range true false\ntrue true\n4 u\n"},
  };
  runCases(cases, sizeof cases / sizeof cases[0]);
}

const char* const kGameError =
    "package\n{\n\tpublic class GameError extends Error\n\t{\n\t\tpublic var code:int;\n"
    "\t\tpublic function GameError(msg:String, code:int = 7)\n\t\t{\n\t\t\tsuper(msg, 12);\n"
    "\t\t\tthis.code = code;\n\t\t}\n\t}\n}\n";

// A thrown subclass of Error keeps its message and its own fields, and is
// caught by its type.
TEST(ProbeExpr, ErrorSubclassesKeepTheirMessage) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  Compiled c = compileAndRun(
      {{"GameError.as", kGameError},
       {"Main.as", mainClass("",
                             "try {\n"
                             "\tthrow new GameError(\"bad move\", 3);\n"
                             "} catch (e:GameError) {\n"
                             "\ttrace(e.message, e.code, e.errorID, e is GameError, e is Error, String(e));\n"
                             "} finally {\n"
                             "\ttrace(\"finally\", new GameError(\"x\").code, new GameError(null).message);\n"
                             "}")}});
  ASSERT_FALSE(c.js.empty()) << c.messages;
  EXPECT_EQ(c.node.exitCode, 0) << c.node.err;
  EXPECT_EQ(c.node.out, "bad move 3 12 true true Error: bad move\nfinally 7 null\n") << c.node.err;
}

// Typed catch clauses in a row: the first whose type fits takes the
// exception, under its own variable name; one that none takes goes on to an
// enclosing try.
TEST(ProbeExpr, TypedCatchClausesInARow) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  Compiled c = compileAndRun(
      {{"GameError.as", kGameError},
       {"Main.as", mainClass("",
                             "var log:Array = [];\n"
                             "for (var i:int = 0; i < 4; i++) {\n"
                             "\ttry {\n"
                             "\t\tif (i == 0) throw new GameError(\"g\", 3);\n"
                             "\t\tif (i == 1) throw new RangeError(\"r\");\n"
                             "\t\tif (i == 2) throw \"text\";\n"
                             "\t\tlog.push(\"none\");\n"
                             "\t} catch (e:GameError) {\n"
                             "\t\tlog.push(\"game:\" + e.code);\n"
                             "\t} catch (e2:RangeError) {\n"
                             "\t\tlog.push(\"range:\" + e2.message);\n"
                             "\t} catch (e3:*) {\n"
                             "\t\tlog.push(\"any:\" + e3);\n"
                             "\t} finally {\n"
                             "\t\tlog.push(\"f\" + i);\n"
                             "\t}\n"
                             "}\n"
                             "trace(log.join(\",\"));\n"
                             "try {\n"
                             "\ttry { throw \"str\"; }\n"
                             "\tcatch (a:GameError) { trace(\"wrong\"); }\n"
                             "\tcatch (b:Error) { trace(\"wrong2\"); }\n"
                             "} catch (outer:String) {\n"
                             "\ttrace(\"outer\", outer);\n"
                             "}")}});
  ASSERT_FALSE(c.js.empty()) << c.messages;
  EXPECT_EQ(c.messages.find("MSG,7,"), std::string::npos) << c.messages;
  EXPECT_EQ(c.node.exitCode, 0) << c.node.err;
  EXPECT_EQ(c.node.out, "game:3,f0,range:r,f1,any:text,f2,none,f3\nouter str\n") << c.node.err;
}

// A function with its return type as the first value of ?: keeps the
// second value: the ':' after its body belongs to ?:, not to the function;
// a member's value takes a function that follows ?, ':' or an operator.
TEST(ProbeExpr, FunctionsAsValuesOfTernaries) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  const Case cases[] = {
      {"typed functions before and after the ':'", "",
       "var on:Boolean = true;\n"
       "var f:Function = on ? function(a:int):int { return a + 1; } : null;\n"
       "var g:Function = !on ? null : function(s:String, n:Number = 2):String { return s + n; };\n"
       "var h:Function = !on ? function():void {} : function():String { return \"h\"; };\n"
       "var p:Object = {k: on ? function():int { return 7; } : null, m: {n: on ? 3 : 4}};\n"
       "trace(f(1), g(\"s\"), h(), p.k(), p.m.n);",
       "2 s2 h 7 3\n"},
      {"members whose value holds a function after ?, ':' or an operator",
       "\t\tprivate static const DEBUG:Boolean = true;\n"
       "\t\tprivate var onHit:Function = DEBUG ? function(n:int):String { return \"hit\" + n; } : null;\n"
       "\t\tprivate static var fmt:Function = !DEBUG ? null : function(s:String):String { return \"[\" + s + \"]\"; };\n"
       "\t\tprivate var onMiss:Function = null || function():String { return \"miss\"; };\n"
       "\t\tprivate var count:int = 2\n"
       "\t\tprivate function twice():int { return count * 2; }\n",
       "trace(onHit(3), fmt(\"x\"), onMiss(), twice());",
       "hit3 [x] miss 4\n"},
  };
  runCases(cases, sizeof cases / sizeof cases[0]);
}

// Function(x) with one value is a cast, as Class(x) is: the handler kept
// under a name comes back and runs; new Function() keeps its word.
TEST(ProbeExpr, FunctionCastKeepsTheFunction) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  const Case cases[] = {
      {"a handler cast where it is kept and where it is called", "",
       "var handlers:Object = {hit: function(n:int):int { return n * 2; }};\n"
       "var f:Function = Function(handlers[\"hit\"]);\n"
       "trace(f(4), Function(handlers.hit)(5), (new Function()) is Function);",
       "8 10 true\n"},
  };
  runCases(cases, sizeof cases / sizeof cases[0]);
}

}  // namespace
