// Declarations as real libraries write them (package-level constants and
// functions, functions after the package block, accessors reached through
// super, type tests, classes built on the built-in error classes), compiled
// with the library off by the real program and run in node: the script must
// print what the ActionScript prints.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "expect_run.h"
#include "harness.h"

namespace {

using ruvotest::mainClass;

// Compiles, runs and checks what node prints; no warning or error may be reported.
void expectPrints(const std::map<std::string, std::string>& sources, const std::string& expected) {
  ruvotest::expectCleanRun(ruvotest::compileSourcesAndRun(sources, "decl"), expected);
}

}  // namespace

// A package that declares only constants and variables still exists when the
// script assigns them: its object is created before the first assignment. A
// variable's value may be an anonymous function.
TEST(DeclarationsRun, PackageOfConstantsOnly) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"a/b/LIMIT.as", "package a.b { public const LIMIT:int = 42; }\n"},
                {"a/b/names.as", "package a.b {\n\tpublic var first:String = \"x\", second:int = 2;\n}\n"},
                {"a/c/handler.as",
                 "package a.c {\n\tpublic var handler:Function = function(x:int):int { return x + 1; };\n}\n"},
                {"Main.as", mainClass("\timport a.b.LIMIT;\n\timport a.b.*;\n\timport a.c.handler;\n", "",
                                      "trace(LIMIT); trace(first + second, a.b.LIMIT + 1, handler(1));")}},
               "42\nx2 43 2\n");
}

// A package variable that the script only reaches through its members
// (LIST.length, NAMES.hero), from a wildcard import, keeps its file in the
// script; a class body's statements and a lazy static use them at start.
TEST(DeclarationsRun, PackageVariablesReachedThroughTheirMembers) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"cfg/LIST.as", "package cfg { public var LIST:Array = [1, 2]; }\n"},
                {"cfg/NAMES.as", "package cfg { public var NAMES:Object = {hero: \"Zed\"}; }\n"},
                {"cfg/SPEED.as", "package cfg { public const SPEED:Number = 2.5 * 2; }\n"},
                {"Car.as",
                 "package {\n\timport cfg.*;\n\tpublic class Car {\n"
                 "\t\tpublic static var top:Number = SPEED * LIST.length;\n\t\tpublic static var label:String;\n"
                 "\t\t{ label = NAMES.hero + LIST.join(\"\"); }\n\t}\n}\n"},
                {"Main.as", mainClass("\timport cfg.*;\n", "",
                                      "trace(LIST.length, NAMES.hero, Car.top, Car.label);")}},
               "2 Zed 10 Zed12\n");
}

// A package function that is only taken as a value, by its full or its short
// name, is still compiled into the script; so is a function of the unnamed
// package handed over as an argument.
TEST(DeclarationsRun, PackageFunctionAsAValue) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"a/b/twice.as", "package a.b {\n\tpublic function twice(x:Number):Number { return x * 2; }\n}\n"},
                {"a/b/half.as", "package a.b {\n\tpublic function half(x:Number):Number { return x / 2; }\n}\n"},
                {"negate.as", "package {\n\tpublic function negate(x:Number):Number { return -x; }\n}\n"},
                {"Main.as", mainClass("\timport a.b.twice;\n\timport a.b.half;\n", "",
                                      "var f:Function = a.b.twice; trace(f(5));\n"
                                      "var g:Function = half; trace(g(5));\n"
                                      "trace([1, 2].map(negate).join(\",\"));")}},
               "10\n2.5\n-1,-2\n");
}

// Functions after the package block are private to their file: the class, a
// second class of the file and the functions themselves call them by name;
// a variable there may hold an anonymous function.
// After a package function they are printed inside it, ahead of its default
// value lines, and each ends its statement so that a line beginning with '('
// does not call it.
TEST(DeclarationsRun, FunctionsAfterThePackageBlock) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"a/clamp.as",
                 "package a {\n"
                 "\tpublic function clamp(v:Number, left:Number = 0, right:Number = 10):Number {\n"
                 "\t\treturn close(Math.max(left, Math.min(right, v)));\n\t}\n}\n"
                 "function close(v:Number):Number { return Math.round(v); }\n"},
                {"Main.as", mainClass("\timport a.clamp;\n", "",
                                      "trace(triple(2), twice(4)); new Helper();\n"
                                      "trace(clamp(12.2), clamp(3.6, 4), a.clamp(-1)); trace(shut());") +
                                "class Helper { public function Helper() { trace(\"helper\", triple(3)); } }\n"
                                "internal function triple(x:Number):Number { return x * 3; }\n"
                                "function twice(x:Number):Number { return triple(x) / 3 * 2; }\n"
                                "var shut:Function = function():String { return \"closed\"; };\n"}},
               "6 8\nhelper 9\n10 4 0\nclosed\n");
}

// An accessor that the class overrides, read through super and followed by
// more member access or handed on as an argument, runs the base getter on
// the instance; a method reached through super keeps its own call forms.
TEST(DeclarationsRun, SuperAccessorFollowedByMemberAccess) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Base.as",
                 "package {\n\tpublic class Base {\n"
                 "\t\tprotected var label:String;\n\t\tpublic var data:Object = {n: 1};\n"
                 "\t\tpublic function Base() { label = \"b\"; }\n"
                 "\t\tpublic function get title():String { return \"base \" + label; }\n"
                 "\t\tpublic function get box():Object { return data; }\n"
                 "\t\tpublic function set box(v:Object):void { data = v; }\n"
                 "\t\tpublic function greet(who:String):String { return \"hi \" + who + label; }\n"
                 "\t}\n}\n"},
                {"Main.as",
                 "package {\n\tpublic class Main extends Base {\n"
                 "\t\tpublic function Main() {\n\t\t\tsuper();\n"
                 "\t\t\ttrace(super.title.toUpperCase(), super.title.length, super.title, super.title.charAt(1));\n"
                 "\t\t\tsuper.box.n = 5;\n"
                 "\t\t\ttrace(data.n, super.box.n, box.n, super.greet(\"a\"), super.greet.apply(this, [\"c\"]));\n"
                 "\t\t}\n"
                 "\t\toverride public function get title():String { return \"sub\"; }\n"
                 "\t\toverride public function get box():Object { return {n: 0}; }\n"
                 "\t\toverride public function set box(v:Object):void { }\n"
                 "\t\toverride public function greet(who:String):String { return \"yo\"; }\n"
                 "\t}\n}\n"}},
               "BASE B 6 base b a\n5 5 0 hi ab hi cb\n");
}

// Inside a closure of a method, super still reaches the base members of the
// method's instance, whether the closure is held in a variable, handed to
// forEach or returned: base methods, base accessors read and written.
TEST(DeclarationsRun, SuperInsideAClosureOfAMethod) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 "package {\n\tpublic class Main extends Base {\n"
                 "\t\tpublic function Main() { super(); trace(run()); trace(later()()); }\n"
                 "\t\toverride public function hello():String { return \"main\"; }\n"
                 "\t\toverride public function get title():String { return \"T\"; }\n"
                 "\t\toverride public function set title(v:String):void { super.title = v + \"!\"; }\n"
                 "\t\tpublic function run():String {\n"
                 "\t\t\tvar f:Function = function():String { return super.hello() + \"/\" + hello() + \"/\" + super.title; };\n"
                 "\t\t\tvar out:Array = [];\n"
                 "\t\t\t[1, 2].forEach(function(n:int, i:int, a:Array):void { out.push(super.hello() + n); });\n"
                 "\t\t\tvar g:Function = function():void { super.title = \"set\"; };\n"
                 "\t\t\tg();\n"
                 "\t\t\treturn f() + \" \" + out.join(\",\") + \" \" + super.title + \" \" + title;\n\t\t}\n"
                 "\t\tpublic function later():Function {\n"
                 "\t\t\treturn function():String { return super.hello().toUpperCase() + super.title.length; };\n\t\t}\n"
                 "\t}\n}\n"
                 "class Base {\n\tpublic var v:int = 3;\n\tprivate var _t:String = \"base\";\n"
                 "\tpublic function hello():String { return \"hello\" + v; }\n"
                 "\tpublic function get title():String { return _t; }\n"
                 "\tpublic function set title(s:String):void { _t = s; }\n}\n"}},
               "hello3/main/set hello31,hello32 set T\nHELLO33\n");
}

// A compound assignment or an increment of an accessor that the class
// overrides, through super, reads the base getter and writes through the
// base setter.
TEST(DeclarationsRun, SuperAccessorCompoundAssignment) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 "package {\n\tpublic class Main extends Base {\n"
                 "\t\tpublic function Main() {\n"
                 "\t\t\tsuper.x += 1.5; trace(x, log);\n"
                 "\t\t\tsuper.x++; super.x *= 2; trace(x, log);\n"
                 "\t\t\tsuper.x--; x = 7.6; trace(x, log);\n\t\t}\n"
                 "\t\toverride public function set x(v:Number):void { super.x = Math.round(v); }\n"
                 "\t}\n}\n"
                 "class Base {\n\tprivate var _x:Number = 1;\n\tpublic var log:String = \"\";\n"
                 "\tpublic function get x():Number { return _x; }\n"
                 "\tpublic function set x(v:Number):void { _x = v; log += \"s\"; }\n}\n"}},
               "2.5 s\n7 sss\n8 sssss\n");
}

// The compound assignments that the lexer reads as an operator and "="
// (%=, &=, ^=, <<=, >>=, >>>=) and the prefix ++ and -- work the same way
// on such an accessor; they printed an assignment to the getter's call,
// which does not parse. An n++ at the end of a line before super.v stays
// n's own.
TEST(DeclarationsRun, SuperAccessorBitAssignmentsAndPrefixUpdates) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 "package {\n\tpublic class Main extends Base {\n"
                 "\t\tpublic function Main() {\n"
                 "\t\t\tvar log:Array = [];\n"
                 "\t\t\tsuper.v %= 30; log.push(v); super.v ^= 3; log.push(v); super.v &= 12; log.push(v);\n"
                 "\t\t\tsuper.v <<= 2; log.push(v); super.v >>= 1; log.push(v); super.v >>>= 2; log.push(v);\n"
                 "\t\t\t++super.v; log.push(v); --super.v; --super.v; log.push(v);\n"
                 "\t\t\tvar n:int = 1\n\t\t\tn++\n\t\t\tsuper.v = n;\n"
                 "\t\t\ttrace(log.join(\",\"), v, n, sets);\n\t\t}\n"
                 "\t\toverride public function set v(n:int):void { super.v = n; sets++; }\n"
                 "\t}\n}\n"
                 "class Base {\n\tprivate var _v:int = 100;\n\tpublic var sets:int = 0;\n"
                 "\tpublic function get v():int { return _v; }\n"
                 "\tpublic function set v(n:int):void { _v = n; }\n}\n"}},
               "10,9,8,32,16,4,5,3 2 2 0\n");
}

// Such an assignment or update through super has the value of the source
// expression, also in a closure: = and -= give the value set (5.5, 3.5), the
// postfix forms the number read before the step (3.5, then 5.5 and 4.5), the
// prefix form the number after it (5.5); 5.5 - 10 is below 0. They gave
// undefined.
TEST(DeclarationsRun, SuperAccessorAssignmentHasItsValue) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 "package {\n\tpublic class Main extends Base {\n"
                 "\t\tpublic function Main() {\n"
                 "\t\t\tvar a:Number = (super.x = 5.5), b:Number = (super.x -= 2);\n"
                 "\t\t\tvar c:Number = super.x++, d:Number = ++super.x, e:Number = super.x--;\n"
                 "\t\t\tvar f:Function = function():Number { return super.x++; };\n"
                 "\t\t\ttrace(a, b, c, d, e, f(), x);\n"
                 "\t\t\tif ((super.x -= 10) < 0) trace(\"below\", x);\n\t\t}\n"
                 "\t\toverride public function set x(v:Number):void { super.x = v; }\n"
                 "\t}\n}\n"
                 "class Base {\n\tprivate var _x:Number = 1;\n"
                 "\tpublic function get x():Number { return _x; }\n"
                 "\tpublic function set x(v:Number):void { _x = v; }\n}\n"}},
               "5.5 3.5 3.5 5.5 5.5 4.5 5.5\nbelow -4.5\n");
}

// A public class may extend a class after its package block, itself built
// on further classes there: those bases exist before the public class is
// made, and the other classes of the file still see each other.
TEST(DeclarationsRun, PublicClassExtendingAClassAfterThePackageBlock) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 "package {\n\tpublic class Main extends Mid {\n"
                 "\t\tpublic function Main() { super(); trace(name(), new Leaf().name(), Base.COUNT, made); }\n"
                 "\t\toverride public function name():String { return \"main+\" + super.name(); }\n"
                 "\t}\n}\n"
                 "class Leaf extends Mid {\n"
                 "\toverride public function name():String { return \"leaf+\" + super.name(); }\n}\n"
                 "class Mid extends Base {\n"
                 "\toverride public function name():String { return \"mid+\" + super.name(); }\n}\n"
                 "class Base {\n\tpublic static const COUNT:int = 2;\n\tpublic var made:Boolean = true;\n"
                 "\tpublic function name():String { return \"base\"; }\n}\n"}},
               "main+mid+base leaf+mid+base 2 true\n");
  // The private base is built on a class of a package; another class after
  // the block extends the public class; statics of the private classes are
  // read from the public class's static initialiser and its methods.
  expectPrints({{"lib/Entity.as",
                 "package lib {\n"
                 "\tpublic class Entity {\n"
                 "\t\tpublic static var total:int = 0;\n"
                 "\t\tpublic var id:int;\n"
                 "\t\tpublic function Entity() { id = ++total; }\n"
                 "\t\tpublic function describe():String { return \"entity\" + id; }\n"
                 "\t}\n"
                 "}\n"},
                {"Main.as",
                 "package {\n"
                 "\timport lib.Entity;\n"
                 "\tpublic class Main extends Actor {\n"
                 "\t\tpublic static const TAG:String = \"main\";\n"
                 "\t\tprivate static var started:Boolean = false;\n"
                 "\t\t{ trace(\"init\", Actor.made); }\n"
                 "\t\tpublic function Main() {\n"
                 "\t\t\tsuper(\"hero\");\n"
                 "\t\t\tif (!started) { started = true; run(); }\n"
                 "\t\t}\n"
                 "\t\tpublic static function run():void {\n"
                 "\t\t\tvar m:Main = new Main();\n"
                 "\t\t\ttrace(m.describe(), Actor.made, new Sub().describe(), Actor.first, Helper.LABEL);\n"
                 "\t\t}\n"
                 "\t\toverride public function describe():String { return TAG + \"/\" + super.describe(); }\n"
                 "\t}\n"
                 "}\n"
                 "import lib.Entity;\n"
                 "class Sub extends Main {\n"
                 "\tpublic function Sub() { super(); }\n"
                 "\toverride public function describe():String { return \"sub/\" + super.describe(); }\n"
                 "}\n"
                 "class Actor extends Entity {\n"
                 "\tpublic static var made:int = 0;\n"
                 "\tpublic static var first:String = Helper.LABEL + \"!\";\n"
                 "\tpublic var name:String;\n"
                 "\tpublic function Actor(name:String = \"anon\") { super(); this.name = name; made++; }\n"
                 "\toverride public function describe():String { return name + \":\" + super.describe(); }\n"
                 "}\n"
                 "class Helper {\n"
                 "\tpublic static const LABEL:String = \"help\";\n"
                 "}\n"}},
               "init 0\nmain/hero:entity2 2 sub/main/hero:entity3 help! help\n");
  // The statements of a class body run after the classes of the file exist.
  expectPrints({{"Main.as", mainClass("", "\t\tpublic static var table:Array = [];\n"
                                          "\t\t{ table.push(Helper.square(3), new Helper().id); }\n"
                                          "\t\tpublic static const FIRST:Helper = new Helper();\n",
                                      "trace(table.join(\",\"), FIRST.id, Helper.made);") +
                                "class Helper {\n\tpublic static var made:int = 0;\n\tpublic var id:int = ++made;\n"
                                "\tpublic static function square(n:int):int { return n * n; }\n}\n"}},
               "9,1 2 2\n");
}

// Two classes of one short name: inside the class that got the second mini
// name (ui.Point, Point$1), its constructor's name hides the first class,
// which its base accessors, statics and constructor calls still reach; a
// class after a package block hides a package class of its short name.
TEST(DeclarationsRun, ClassesSharingAShortName) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"geom/Point.as",
                 "package geom {\n\tpublic class Point {\n"
                 "\t\tpublic static var COUNT:int = 9;\n\t\tpublic var x:Number;\n"
                 "\t\tpublic function Point(x:Number = 0) { this.x = x; }\n"
                 "\t\tpublic function get kind():String { return \"geom\" + x; }\n\t}\n}\n"},
                {"ui/Point.as",
                 "package ui {\n\timport geom.Point;\n\tpublic class Point extends geom.Point {\n"
                 "\t\tpublic static var made:int = 0;\n"
                 "\t\tpublic function Point() { super(7); made++; }\n"
                 "\t\toverride public function get kind():String {\n"
                 "\t\t\treturn \"ui/\" + super.kind + made + geom.Point.COUNT + new geom.Point(1).kind;\n\t\t}\n"
                 "\t\tpublic static function make():ui.Point { return new ui.Point(); }\n\t}\n}\n"},
                {"ui/Panel.as",
                 "package ui {\n\tpublic class Panel {\n\t\tpublic var at:Point = new Point();\n\t}\n}\n"},
                {"Main.as", mainClass("\timport geom.Point;\n\timport ui.Panel;\n", "",
                                      "geom.Point.COUNT = 4;\n"
                                      "trace(new Point(3).kind, new ui.Point().kind, new Panel().at.kind);\n"
                                      "trace(ui.Point.make() is geom.Point, new Point() is ui.Point, ui.Point.made);")}},
               "geom3 ui/geom714geom1 ui/geom724geom1\ntrue false 3\n");
  // A class after the package block takes the short name of a package class
  // that the file uses by its full name: each name keeps its class.
  expectPrints({{"path/Node.as",
                 "package path {\n\tpublic class Node {\n\t\tpublic static var LIMIT:int = 3;\n"
                 "\t\tpublic var id:String;\n\t\tpublic function Node(id:String) { this.id = id; }\n\t}\n}\n"},
                {"Main.as", mainClass("", "",
                                      "var n:path.Node = new path.Node(\"pub\");\n"
                                      "trace(n.id, n is path.Node, path.Node.LIMIT, new Node().other, new Node() is path.Node);") +
                                "class Node { public var other:String = \"private\"; }\n"}},
               "pub true 3 private false\n");
}

// The type of `is` is the whole operand after it: an element of an array, a
// member path and a call result are tested as values.
TEST(DeclarationsRun, IsWithATypeFromAnArrayOrAPath) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as", mainClass("",
                                      "\t\tprivate var kinds:Object = {list: [Array, Main]};\n"
                                      "\t\tprivate function pick():Class { return String; }\n",
                                      "var types:Array = [String, Number];\n"
                                      "var o:Object = {t: {k: Array}};\n"
                                      "trace(\"a\" is types[0], \"a\" is types[1], [] is o.t.k, this is kinds.list[1],"
                                      " [] is kinds.list[0], \"s\" is pick(), 1 is pick());\n"
                                      "if (3 is types[1] && !(\"x\" is types[1])) trace(\"ok\");")}},
               "true false true true true true false\nok\n");
}

// Every value but null and undefined is an Object, and every built-in
// constructor is a Class, also when the type is held in a Class variable.
TEST(DeclarationsRun, IsClassAndIsObject) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as", mainClass("", "",
                                      "trace(Number is Class, Boolean is Class, Function is Class, Date is Class,"
                                      " RegExp is Class, Error is Class, Main is Class, 3 is Class, trace is Class);\n"
                                      "trace(\"s\" is Object, 1 is Object, true is Object, trace is Object,"
                                      " null is Object, {} is Object, undefined is Object);\n"
                                      "var c:Class = Boolean; var d:Class = Object;\n"
                                      "trace(true is c, 1 is c, \"x\" is d, null is d);")}},
               "true true true true true true true false false\n"
               "true true true true false true false\n"
               "true false true false\n");
}

// A class may extend TypeError and the other built-in error classes, in a
// package or as a second class of a file: thrown, caught and tested as both.
// ArgumentError and the other error classes that JavaScript lacks come from
// the runtime core, and are made with or without new.
TEST(DeclarationsRun, ClassesExtendingBuiltinErrors) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"app/ParseError.as",
                 "package app {\n\tpublic class ParseError extends SyntaxError {\n"
                 "\t\tpublic var at:int;\n"
                 "\t\tpublic function ParseError(m:String, at:int) { super(m, 5); this.at = at; }\n"
                 "\t}\n}\n"},
                {"Main.as", mainClass("\timport app.ParseError;\n", "",
                                      "var e:MyTypeError = new MyTypeError(\"x\");\n"
                                      "trace(e.message, e is TypeError, e is Error, e is MyTypeError, e.name);\n"
                                      "try { throw e; } catch (err:TypeError) { trace(\"caught\", err.message); }\n"
                                      "try { throw new ParseError(\"bad\", 3); }\n"
                                      "catch (p:ParseError) { trace(p.message, p.errorID, p.at, p is SyntaxError); }\n"
                                      "var a:MyArgError = new MyArgError(\"y\");\n"
                                      "trace(a.message, a.errorID, a.name, a is ArgumentError, a is Error, ArgumentError is Class);\n"
                                      "try { throw ArgumentError(\"no new\"); }\n"
                                      "catch (err2:Error) { trace(String(err2), err2.errorID, err2 is ArgumentError); }") +
                                "class MyTypeError extends TypeError {\n"
                                "\tpublic function MyTypeError(m:String) { super(m); }\n}\n"
                                "class MyArgError extends ArgumentError {\n"
                                "\tpublic function MyArgError(m:String) { super(m, 3); }\n}\n"}},
               "x true true true TypeError\ncaught x\nbad 5 3 true\n"
               "y 3 ArgumentError true true true\nArgumentError: no new 0 true\n");
  // Such a class, two levels down, reaches the members of the built-in
  // error by their bare names, from its methods and their closures, with
  // no warning.
  expectPrints({{"Main.as", mainClass("", "",
                                      "var e:LoadError = new LoadError(\"lost\", \"a.png\");\n"
                                      "trace(e.name, e.describe(), e.later()(), String(e));") +
                                "class GameError extends RangeError {\n"
                                "\tpublic function GameError(m:String, id:int) { super(m, id); name = \"GameError\"; }\n}\n"
                                "class LoadError extends GameError {\n\tprivate var file:String;\n"
                                "\tpublic function LoadError(m:String, file:String) { super(m, 4); this.file = file; }\n"
                                "\tpublic function describe():String { return name + \"#\" + errorID + \" \" + message + \" \" + file; }\n"
                                "\tpublic function later():Function { return function():String { return message.toUpperCase(); }; }\n}\n"}},
               "GameError GameError#4 lost a.png LOST GameError: lost\n");
}

// A small game of states: package constants and variables read through a
// wildcard import, a package function taken as a value whose file has a
// helper after its package block, accessors overridden and read through
// super, states tested against types held in an array, and an error class of
// the game thrown and caught.
TEST(DeclarationsRun, GameStatesUseTheseDeclarationsTogether) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 "package {\n"
                 "\timport game.config.MAX_HP;\n"
                 "\timport game.config.*;\n"
                 "\timport game.util.clampHp;\n"
                 "\timport game.states.*;\n"
                 "\tpublic class Main {\n"
                 "\t\tpublic function Main() {\n"
                 "\t\t\tvar s:State = new Attack(7);\n"
                 "\t\t\tvar seen:Array = [];\n"
                 "\t\t\tfor (var i:int = 0; i < 4; i++) { seen.push(s.label); s = s.update(0.1); }\n"
                 "\t\t\ttrace(seen.join(\" \"));\n"
                 "\t\t\tvar kinds:Array = [Idle, Attack];\n"
                 "\t\t\ttrace(s is kinds[0], s is kinds[1], s is State, s is Object, kinds[0] is Class);\n"
                 "\t\t\tvar fix:Function = game.util.clampHp;\n"
                 "\t\t\ttrace([150, -3, 42.7].map(function(v:Number, ...rest):int { return fix(v); }).join(\",\"), MAX_HP * difficulty, names[2]);\n"
                 "\t\t\ttry { new Attack(-1); } catch (e:BadStateError) { trace(e.message, e.errorID, e is ArgumentError, e is Error); }\n"
                 "\t\t}\n"
                 "\t}\n"
                 "}\n"},
                {"game/config/MAX_HP.as",
                 "package game.config {\n"
                 "\tpublic const MAX_HP:int = 100;\n"
                 "}\n"},
                {"game/config/settings.as",
                 "package game.config {\n"
                 "\tpublic var difficulty:Number = 1.5;\n"
                 "\tpublic var names:Array = [\"idle\", \"walk\", \"attack\"];\n"
                 "}\n"},
                {"game/states/Attack.as",
                 "package game.states {\n"
                 "\tpublic class Attack extends State {\n"
                 "\t\tprivate var power:int;\n"
                 "\t\tpublic function Attack(power:int) { super(); this.power = power; if (power < 0) throw new BadStateError(\"power \" + power); }\n"
                 "\t\toverride public function get name():String { return \"attack\"; }\n"
                 "\t\toverride public function get label():String { return super.label.toUpperCase() + \"!\" + describe(power); }\n"
                 "\t\toverride public function update(dt:Number):State {\n"
                 "\t\t\tsuper.update(dt);\n"
                 "\t\t\treturn ticks >= 2 ? new Idle() : this;\n"
                 "\t\t}\n"
                 "\t}\n"
                 "}\n"
                 "function describe(p:int):String { return p > 5 ? \"strong\" : \"weak\"; }\n"},
                {"game/states/BadStateError.as",
                 "package game.states {\n"
                 "\tpublic class BadStateError extends ArgumentError {\n"
                 "\t\tpublic function BadStateError(message:String) { super(message, 42); }\n"
                 "\t}\n"
                 "}\n"},
                {"game/states/Idle.as",
                 "package game.states {\n"
                 "\tpublic class Idle extends State {\n"
                 "\t\tpublic function Idle() { super(); }\n"
                 "\t\toverride public function get name():String { return \"idle\"; }\n"
                 "\t}\n"
                 "}\n"},
                {"game/states/State.as",
                 "package game.states {\n"
                 "\tpublic class State {\n"
                 "\t\tprotected var ticks:int = 0;\n"
                 "\t\tpublic function State() {}\n"
                 "\t\tpublic function get name():String { return \"state\"; }\n"
                 "\t\tpublic function get label():String { return \"[\" + name + \":\" + ticks + \"]\"; }\n"
                 "\t\tpublic function update(dt:Number):State { ticks++; return this; }\n"
                 "\t}\n"
                 "}\n"},
                {"game/util/clampHp.as",
                 "package game.util {\n"
                 "\timport game.config.MAX_HP;\n"
                 "\tpublic function clampHp(v:Number, low:Number = 0):int { return bounded(v, low, MAX_HP); }\n"
                 "}\n"
                 "function bounded(v:Number, low:Number, high:Number):int { return Math.floor(Math.max(low, Math.min(high, v))); }\n"}},
               "[ATTACK:0]!strong [ATTACK:1]!strong [idle:0] [idle:1]\n"
               "true false true true true\n"
               "100,0,42 150 attack\n"
               "power -1 42 true true\n");
}
