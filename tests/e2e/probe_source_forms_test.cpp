// Source forms that real ActionScript libraries use and that JavaScript reads
// differently: words that are names in one language and keywords in the
// other, regular expression syntax, XML literals, conditional blocks and
// namespaces. Each case is a small project compiled by the real program
// with the library off and run in node (or, where the compiler must refuse
// the source, the exact error and a script that node still parses).
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "harness.h"

namespace {

using ruvotest::Install;
using ruvotest::RunResult;
using ruvotest::TempDir;

struct Compiled {
  std::string messages;  // the program's standard output
  std::string js;        // the joined script
  std::string src;       // the source folder, for the paths in the messages
  RunResult check;       // node --check on the script
  RunResult node;        // the script run in node
};

// Writes a FlashDevelop project with the given source files (path under src/
// -> text) and the main class src/Main.as, compiles it with the library off,
// checks the script's syntax and runs it in node with a browser's window and
// document.
Compiled compileAndRun(const std::map<std::string, std::string>& sources, const std::string& defines = "") {
  TempDir work;
  Install inst;
  std::string proj = work / "proj";
  ruvotest::writeFile(proj + "/p.as3proj",
                      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<project version=\"2\">\n"
                      "  <classpaths>\n    <class path=\"src\" />\n  </classpaths>\n"
                      "  <compileTargets>\n    <compile path=\"src/Main.as\" />\n  </compileTargets>\n"
                      "  <build>\n    <option additional=\"" +
                          defines +
                          "\" />\n  </build>\n"
                          "</project>\n");
  for (const auto& [path, text] : sources) ruvotest::writeFile(proj + "/src/" + path, text);
  Compiled c;
  c.src = proj + "/src";
  RunResult run = inst.run({proj + "/p.as3proj;zafrit=false"});
  c.messages = run.out;
  std::string script = proj + "/bin/h5/p.max.js";
  if (!ruvotest::fileExists(script)) return c;
  c.js = ruvotest::readFile(script);
  c.check = ruvotest::runNode("--check", {script});
  c.node = ruvotest::runScriptInNode(script);
  return c;
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

// Each case compiles without an error or a warning and prints what the
// ActionScript prints.
void runCases(const Case* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    SCOPED_TRACE(cases[i].name);
    Compiled c = compileAndRun({{"Main.as", mainClass(cases[i].members, cases[i].body)}});
    ASSERT_FALSE(c.js.empty()) << c.messages;
    EXPECT_EQ(c.messages.find("MSG,7,"), std::string::npos) << c.messages;
    EXPECT_EQ(c.messages.find("warning"), std::string::npos) << c.messages;
    EXPECT_EQ(c.node.exitCode, 0) << c.node.err;
    EXPECT_EQ(c.node.out, cases[i].expected) << c.node.err;
  }
}

// `namespace` is a name wherever no name follows it; the declarations
// `namespace ns = ...` and `use namespace ns` keep their meaning.
TEST(ProbeSourceForms, NamespaceAsAName) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  const Case cases[] = {
      {"parameter and local named namespace",
       "\t\tprivate function qual(namespace:String, name:String):String\n\t\t{\n"
       "\t\t\treturn namespace + \"::\" + name;\n\t\t}\n",
       "var namespace:String = \"ns\";\n"
       "var list:Array = [namespace, namespace];\n"
       "trace(qual(\"a\", \"b\"), namespace.length, list.join(namespace), (namespace));\n"
       "var n:int = 0\nnamespace = \"xy\"\nvar m:String = namespace\nn = m.length\ntrace(namespace, n);",
       "a::b 2 nsnsns ns\nxy 2\n"},
  };
  runCases(cases, sizeof cases / sizeof cases[0]);
}

// The modifier words that AS3 lets stand as names (final, native, dynamic,
// override, static) are names wherever no word follows them: in argument
// lists, operands and assignments. Before a declaration, a comment or a
// metadata tag they stay modifiers.
TEST(ProbeSourceForms, ModifierWordsAsNames) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  const Case cases[] = {
      {"locals named after modifiers",
       "\t\tpublic /* kept */ static\n\t\tfunction twice(n:int):int { return n * 2; }\n"
       "\t\tfinal\n\t\tpublic function toString():String { return \"main\"; }\n",
       "var final:int = 7, native:int = 8, dynamic:Boolean = true;\n"
       "final = final + 1; native += final;\n"
       "trace(final, native, dynamic ? twice(final) : 0, [final, native].join(\"-\"), String(this));",
       "8 16 16 8-16 main\n"},
  };
  runCases(cases, sizeof cases / sizeof cases[0]);
}

// Locals and parameters named with words that JavaScript reserves get a '$'
// appended (a local already called enum$ becomes enum$$); members, object
// keys and property names keep their names, which JavaScript allows there.
TEST(ProbeSourceForms, ReservedWordsAsNames) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  const Case cases[] = {
      {"parameters, defaults, rest, loop and catch variables",
       "\t\tpublic var enum:String = \"E\";\n"
       "\t\tpublic static var export:int = 4;\n"
       "\t\tprivate function pick(enum:String, debugger:int = 2, ...yield):String\n\t\t{\n"
       "\t\t\tvar export:String = enum + debugger + yield.length;\n"
       "\t\t\tfor (var await:int = 0; await < 2; await++) export += await;\n"
       "\t\t\tvar f:Function = function(enum:int):int { return enum * 2; };\n"
       "\t\t\treturn export + f(3);\n\t\t}\n"
       "\t\tprivate function nested():String\n\t\t{\n"
       "\t\t\tvar enum:int = 1, enum$:int = 2;\n"
       "\t\t\tfunction export():int { return enum * 10 + enum$; }\n"
       "\t\t\tvar out:String = \"\";\n"
       "\t\t\tfor each (var let:int in [3, 4]) { out += let; }\n"
       "\t\t\treturn out + export() + (function():int { return enum; })();\n\t\t}\n",
       "var enum:Array = [1, 2];\n"
       "trace(pick(\"x\", 5, 7, 8), enum.length, this.enum, Main.export, export);\n"
       "var o:Object = {enum: 5, export: 6};\n"
       "trace(o.enum + o.export, nested());\n"
       "try { throw new Error(\"e\"); } catch (debugger:Error) { trace(debugger.message); }",
       "x52016 2 E 4 4\n11 34121\ne\n"},
      // await before an operand is the await of async functions; before
      // anything else it is a name, here a member read bare.
      {"await as a member and a parameter",
       "\t\tpublic var await:int = 7;\n"
       "\t\tprivate function f(await:int):int { return await + 1; }\n",
       "var o:Object = {await: 2};\ntrace(f(3), o.await, this.await, await);", "4 2 7 7\n"},
  };
  runCases(cases, sizeof cases / sizeof cases[0]);
}

// The flags of a regular expression are the letters right after its
// closing '/': a blank ends them, so a word that follows (is, as) is read
// as the operator it is. A '/' in a character class does not close the
// literal; the flag x (blanks in the pattern ignored) has no JavaScript
// counterpart, so the blanks leave the pattern.
TEST(ProbeSourceForms, RegularExpressionFlags) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  const Case cases[] = {
      {"a word after the literal",
       "", "var b:Boolean = /c/ is RegExp;\nvar s:Boolean = /c/g is String;\n"
       "trace(b, s, /q/i is RegExp ? \"yes\" : \"no\", /a/gi.flags);",
       "true false yes gi\n"},
      {"slash in a class and the flag x", "",
       "var paths:Array = \"a/b/c\".match(/[^/]+/g);\nvar x:RegExp = /a b # c/x;\n"
       "trace(paths.join(\"|\"), x.test(\"ab#c\"), x.source, /[/]/.test(\"/\"));",
       "a|b|c true ab true\n"},
      // JavaScript has no flag x: new RegExp drops it and takes the blanks
      // and the '#' comment out of the pattern when the script runs; an
      // escaped blank and one in a character class stay.
      {"the flag x of new RegExp", "",
       "var src:String = \"h e l l o  # greeting\";\nvar r:RegExp = new RegExp(src, \"x\");\n"
       "var g:RegExp = new RegExp(\"w o\\\\ r [ ]d\", 'gix');\n"
       "trace(r.test(\"hello\"), r.source, \"WO R D, wo r d\".replace(g, \"-\"), g.global, g.ignoreCase, "
       "new RegExp(\"a b\").test(\"a b\"));",
       "true hello -, - true true true\n"},
      // RegExp(p, "x") without new builds a RegExp too: the call threw the
      // same SyntaxError on the flag. "(\\d+) x # n" reads as (\d+)x; a
      // call without x keeps its flags.
      {"the flag x of RegExp called without new", "",
       "var p:String = \"(\\\\d+) x # n\";\nvar r:RegExp = RegExp(p, \"x\");\n"
       "trace(r.test(\"12x\"), \"1x 22x 3\".replace(RegExp(p, \"gx\"), \"<$1>\"), \"aa b\".replace(RegExp(\"a\", \"g\"), \"-\"));",
       "true <1> <22> 3 -- b\n"},
  };
  runCases(cases, sizeof cases / sizeof cases[0]);
}

// Named groups (?P<name>...) and their back references (?P=name): the match
// holds each group under its name as well as under its number.
TEST(ProbeSourceForms, RegularExpressionNamedGroups) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  const Case cases[] = {
      {"exec, test and replace", "",
       "var re:RegExp = /(?P<key>\\w+)=(?P<value>\\d+);(?P=key)/;\n"
       "var m:Object = re.exec(\"size=42;size\");\n"
       "trace(m.key, m.value, m[1], re.test(\"a=1;b\"), \"x=1;x\".replace(re, \"$2\"));\n"
       "var n:Object = \"id:7\".match(/(?P<name>[a-z]+):(?P<num>\\d)/);\n"
       "trace(n.name + n.num, /\\(?P<x>/.source);",
       "size 42 size false 1\nid7 \\(?P<x>\n"},
  };
  runCases(cases, sizeof cases / sizeof cases[0]);
}

// Runs a compiled script in node with a stand-in for the library's XML class
// that keeps the text it is made from.
RunResult runWithXmlStub(const std::string& script) {
  TempDir dir;
  ruvotest::writeFile(dir / "xml-stub.js",
                      "globalThis.XML = function (s) { this.s = String(s); };\n"
                      "XML.prototype.toString = function () { return this.s; };\n"
                      "process.argv[2] = " + std::string("'") + script + "';\n"
                      "require('" + ruvotest::sourceDir() + "/examples/run-in-node.js');\n");
  return ruvotest::runNode(dir / "xml-stub.js");
}

// XML literals wherever a value begins, and CDATA sections as strings.
TEST(ProbeSourceForms, XmlLiteralsWhereAValueBegins) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  TempDir keep;
  const std::string members =
      "\t\tprivate function doc(n:int):XML\n\t\t{\n\t\t\treturn <a><b id={n}/>{n + 1}</a>;\n\t\t}\n"
      "\t\tprivate function text(s:String):String { return s; }\n";
  const std::string body =
      "var t:String = <![CDATA[two\nlines \"q\" \\n]]>;\n"
      "trace(t, text(<![CDATA[<b>x</b>]]>));\n"
      "var c:XML = t.length > 2 ? <y/> : <z/>;\n"
      "var s:String = \"~\" + <w k=\"v\"/>;\n"
      "trace(String(doc(1)), String(c), s);\n"
      "trace(String(<i n={t.length}>{t.charAt(0)}</i>), [<j/>, <k v={2 * 3}/>].join(\"\"));";
  Compiled c = compileAndRun({{"Main.as", mainClass(members, body)}});
  ASSERT_FALSE(c.js.empty()) << c.messages;
  EXPECT_EQ(c.messages.find("MSG,7,"), std::string::npos) << c.messages;
  EXPECT_EQ(c.check.exitCode, 0) << c.check.err;
  std::string script = keep / "p.max.js";
  ruvotest::writeFile(script, c.js);
  RunResult run = runWithXmlStub(script);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "two\nlines \"q\" \\n <b>x</b>\n<a><b id=\"1\"/>2</a> <y/> ~<w k=\"v\"/>\n"
                     "<i n=\"16\">t</i> <j/><k v=\"6\"/>\n")
      << run.err;
}

// E4X forms without a JavaScript translation are source errors with their
// file and line; the rest of the file compiles and the script parses.
TEST(ProbeSourceForms, UntranslatedE4XIsASourceError) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  const std::string body =
      "var list:XML = <r><i id=\"1\">a</i><i id=\"2\">b</i></r>;\n"
      "var f:* = list.i.(@id == \"2\");\n"
      "var g:* = list.i.(name() == \"i\");\n"
      "default xml namespace = \"urn:x\";\n"
      "var h:* = list.i.(@id == \"1\").(attribute(\"id\") == \"1\");\n"
      "var k:* = list.children().(name() == \"i\");\n"
      "trace(\"after\");";
  Compiled c = compileAndRun({{"Main.as", mainClass("", body)}});
  ASSERT_FALSE(c.js.empty()) << c.messages;
  const std::string file = c.src + "/Main.as";
  // A filter after another filter or after a call too (once the script read
  // ".(" there as a bracketed expression and did not parse).
  for (const char* line : {",9,", ",11,", ",12,"}) {
    EXPECT_NE(c.messages.find("MSG,7,50.00," + file + line +
                              "E4X filter not translated: only .(@attribute == value) and .(@attribute != value) "
                              "are supported\n"),
              std::string::npos)
        << line << c.messages;
  }
  EXPECT_NE(c.messages.find("MSG,7,50.00," + file + ",10,default xml namespace is not translated\n"),
            std::string::npos)
      << c.messages;
  EXPECT_EQ(c.check.exitCode, 0) << c.check.err;
  EXPECT_NE(c.js.find("getChildByAttribute('id',\"2\")"), std::string::npos);
  EXPECT_NE(c.js.find("console.log(\"after\")"), std::string::npos);
}

// A conditional-compilation block or declaration whose name no -define
// gives is a source error and is left out; defined ones are kept or dropped
// by their value.
TEST(ProbeSourceForms, UndefinedConditionalBlockIsASourceError) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  const std::string members =
      "\t\tCONFIG::debug\n\t\t{\n\t\t\tprivate var extra:int = 5;\n\t\t}\n"
      "\t\tCONFIG::debug\n\t\tprivate static function log(s:String):void { trace(s); }\n";
  const std::string body =
      "var n:int = 1;\n"
      "CONFIG::debug {\n\tn = 2;\n}\n"
      "CONFIG::release { n += 10; }\n"
      "CONFIG::mobile { n += 100; }\n"
      "trace(n);";
  Compiled c = compileAndRun({{"Main.as", mainClass(members, body)}},
                             "-define=CONFIG::release,true -define=CONFIG::mobile,false");
  ASSERT_FALSE(c.js.empty()) << c.messages;
  const std::string file = c.src + "/Main.as";
  const std::string error =
      ",CONFIG::debug is not defined (-define=CONFIG::debug,true or false): the block is left out\n";
  EXPECT_NE(c.messages.find("MSG,7,50.00," + file + ",4" + error), std::string::npos) << c.messages;
  EXPECT_NE(c.messages.find("MSG,7,50.00," + file + ",14" + error), std::string::npos) << c.messages;
  EXPECT_NE(c.messages.find("MSG,7,50.00," + file +
                            ",8,CONFIG::debug is not defined (-define=CONFIG::debug,true or false): the declaration "
                            "is left out\n"),
            std::string::npos)
      << c.messages;
  size_t errors = 0;
  for (size_t at = c.messages.find("MSG,7,"); at != std::string::npos; at = c.messages.find("MSG,7,", at + 1)) ++errors;
  EXPECT_EQ(errors, 3u) << c.messages;
  EXPECT_EQ(c.check.exitCode, 0) << c.check.err;
  EXPECT_EQ(c.node.exitCode, 0) << c.node.err;
  EXPECT_EQ(c.node.out, "11\n") << c.node.err;
}

// -define values in expressions: a value that is an expression stays one
// operand (CONFIG::SUM * 2 printed 2+1*2), a negative one stays apart from a
// minus in front of it.
TEST(ProbeSourceForms, DefineValuesInExpressions) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  Compiled c = compileAndRun({{"Main.as", mainClass("\t\tprivate static const LEVELS:int = CONFIG::SUM;\n",
                                                    "var x:Number = 10;\n"
                                                    "trace(CONFIG::SUM * 2, LEVELS, x-CONFIG::OFFSET, "
                                                    "-CONFIG::OFFSET, x * CONFIG::SCALE, CONFIG::SHIFTED + 1);")}},
                             "-define+=CONFIG::SUM,2+1&#xA;-define+=CONFIG::OFFSET,-5&#xA;"
                             "-define+=CONFIG::SCALE,0.5&#xA;-define+=CONFIG::SHIFTED,1&lt;&lt;4");
  ASSERT_FALSE(c.js.empty()) << c.messages;
  EXPECT_EQ(c.messages.find("MSG,7,"), std::string::npos) << c.messages;
  EXPECT_EQ(c.check.exitCode, 0) << c.check.err;
  EXPECT_EQ(c.node.out, "6 3 15 5 5 17\n") << c.node.err;
}

// The method signatures of an interface are not package functions: a
// wildcard import of the interface's package leaves trace and parseInt to
// the globals.
TEST(ProbeSourceForms, InterfaceMethodsAreNoPackageFunctions) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  Compiled c = compileAndRun(
      {{"log/ILogger.as",
        "package log\n{\n\tpublic interface ILogger\n\t{\n\t\tfunction trace(msg:String):void;\n"
        "\t\tfunction parseInt(s:String):int;\n\t}\n}\n"},
       {"log/Logger.as",
        "package log\n{\n\tpublic class Logger implements ILogger\n\t{\n"
        "\t\tpublic function trace(msg:String):void { }\n"
        "\t\tpublic function parseInt(s:String):int { return 0; }\n\t}\n}\n"},
       {"Main.as",
        "package\n{\n\timport log.*;\n" +
            mainClass("", "var l:ILogger = new Logger();\ntrace(\"ok\", parseInt(\"42\") + 1, l is ILogger);")
                .substr(10)}});
  ASSERT_FALSE(c.js.empty()) << c.messages;
  EXPECT_EQ(c.messages.find("MSG,7,"), std::string::npos) << c.messages;
  EXPECT_EQ(c.node.exitCode, 0) << c.node.err;
  EXPECT_EQ(c.node.out, "ok 43 true\n") << c.node.err;
}

// Code that is fine gives no warning: internal members of a base class of
// the same package, members of a namespace (declared in the package, opened
// with use namespace elsewhere) and metadata tags after static declarations
// with initialisers, which print nothing.
TEST(ProbeSourceForms, NoWarningsOnVisibleMembersAndMetadata) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  Compiled c = compileAndRun(
      {{"game/ns_game.as", "package game\n{\n\tpublic namespace ns_game = \"http://example.com/game\";\n}\n"},
       {"game/Base.as",
        "package game\n{\n\tpublic class Base\n\t{\n"
        "\t\tinternal var hp:int = 10;\n"
        "\t\tns_game var secret:int = 3;\n"
        "\t\tinternal function heal(n:int):int { hp += n; return hp; }\n"
        "\t\tns_game function reveal():int { return secret * 2; }\n\t}\n}\n"},
       {"game/Hero.as",
        "package game\n{\n\tuse namespace ns_game;\n\tpublic class Hero extends Base\n\t{\n"
        "\t\tpublic static var count:int = 0;\n\t\t{\n\t\t\tcount = 5;\n\t\t}\n"
        "\t\t[Test]\n\t\tpublic static function go():void {}\n"
        "\t\tpublic static const NAMES:Array = [\"a\"];\n"
        "\t\t[Test(order=1)]\n"
        "\t\tpublic function run():String\n\t\t{\n"
        "\t\t\treturn hp + \":\" + heal(2) + \":\" + secret + \":\" + reveal() + \":\" + count + NAMES;\n\t\t}\n"
        "\t\tstatic private var ready:Boolean = init();\n"
        "\t\t[Inspectable(defaultValue=\"1\")]\n\t\tpublic var level:int = 1;\n"
        "\t\tprivate static function init():Boolean { return true; }\n\t}\n}\n"},
       {"app/Other.as",
        "package app\n{\n\timport game.Base;\n\timport game.ns_game;\n\tuse namespace ns_game;\n"
        "\tpublic class Other extends Base\n\t{\n"
        "\t\tpublic function show():String { return secret + \" \" + reveal(); }\n\t}\n}\n"},
       {"Main.as", "package\n{\n\timport app.Other;\n\timport game.Hero;\n" +
                       mainClass("", "trace(new Hero().run(), new Other().show());").substr(10)}});
  ASSERT_FALSE(c.js.empty()) << c.messages;
  EXPECT_EQ(c.messages.find("MSG,7,"), std::string::npos) << c.messages;
  EXPECT_EQ(c.messages.find("warning"), std::string::npos) << c.messages;
  EXPECT_EQ(c.js.find("Test"), std::string::npos);
  EXPECT_EQ(c.js.find("Inspectable"), std::string::npos);
  EXPECT_EQ(c.node.exitCode, 0) << c.node.err;
  EXPECT_EQ(c.node.out, "10:12:3:6:5a 3 6\n") << c.node.err;
}

}  // namespace
