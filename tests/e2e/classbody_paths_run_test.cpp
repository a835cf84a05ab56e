// Forms real projects hold that go beyond one class: statements in the class
// body, strings continued over lines, class paths inside class paths, and
// TypeScript classes that share a short name. Each is compiled by the real
// program with the library off and, where it runs, run in node.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "harness.h"

namespace {

using ruvotest::mainClass;

size_t countOf(const std::string& text, const std::string& piece) {
  size_t n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

}  // namespace

// A variable declared in a block of the class body is a local of the code
// that runs the body's statements once: the loop runs, a closure made there
// sees it, no warning, and a member of that spelling in a method is the member.
TEST(ClassBodyRun, VariablesOfClassBodyBlocksAreLocals) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  ruvotest::SourcesRun r = ruvotest::compileSourcesAndRun(
      {{"Main.as",
        mainClass("",
                  "\t\tpublic static var table:Array = [];\n"
                  "\t\tpublic static var names:Object = {};\n"
                  "\t\tpublic static var later:Function;\n"
                  "\t\t{ for (var i:int = 0; i < 3; i++) table.push(i * i); }\n"
                  "\t\t{ var base:int = 10; later = function():int { return base + i; }; }\n"
                  "\t\tstatic {\n\t\t\tvar enum:String = \"e\", k:String;\n"
                  "\t\t\tfor each (k in [\"a\", \"b\"]) names[k] = enum + k;\n\t\t}\n"
                  "\t\tpublic var i:int = 7;\n",
                  "trace(table.join(\",\"), names.a, names.b, i, this.i, later());")}});
  ASSERT_FALSE(r.js.empty()) << r.messages;
  EXPECT_EQ(r.messages.find("MSG,7,"), std::string::npos) << r.messages;
  EXPECT_EQ(r.node.out, "0,1,4 ea eb 7 7 13\n") << r.node.err << r.js;
}

// A string continued with a backslash at the end of a line keeps its bytes:
// the formatter adds no tabs to, and takes no blanks from, its next line,
// and braces in it count for nothing.
TEST(ClassBodyRun, StringContinuedOverLinesKeepsItsBytes) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  ruvotest::SourcesRun r = ruvotest::compileSourcesAndRun(
      {{"Main.as", mainClass("", "",
                             "\t\t\tvar s:String = \"a\\\n  b{\\\n}\";\n"
                             "\t\t\tif (s.length > 0) {\n\t\t\t\ttrace('x\\\n\ty', s, s.length);\n\t\t\t}\n"
                             "\t\t\ttrace(\"done\");")}});
  ASSERT_FALSE(r.js.empty()) << r.messages;
  EXPECT_EQ(r.node.out, "x\ty a  b{} 6\ndone\n") << r.node.err << r.js;
}

// Class paths inside one another (src and src/game) list the files of the
// inner one twice: each is pre-compiled once, compiled once and defined once.
TEST(ClassBodyRun, OverlappingClassPathsCompileEachFileOnce) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  ruvotest::SourcesRun r = ruvotest::compileSourcesAndRun(
      {{"game/Unit.as",
        "package game {\n\tpublic class Unit {\n\t\tpublic static var count:int = 0;\n"
        "\t\tpublic function Unit() { count++; }\n\t}\n}\n"},
       {"game/Helper.as", "package {\n\tpublic class Helper {\n\t\tpublic var name:String = \"helper\";\n\t}\n}\n"},
       {"Main.as", mainClass("\timport game.Unit;\n", "",
                             "new Unit(); new Unit(); trace(Unit.count, new Helper().name);")}},
      "p", {"src", "src/game", "src/./game/"});
  ASSERT_FALSE(r.js.empty()) << r.messages;
  for (const char* file : {"Main.as,", "Unit.as,", "Helper.as,"}) {
    SCOPED_TRACE(file);
    size_t precompiled = 0;
    size_t compiled = 0;
    for (size_t at = r.messages.find("MSG,"); at != std::string::npos; at = r.messages.find("MSG,", at + 1)) {
      const std::string line = r.messages.substr(at, r.messages.find('\n', at) - at);
      if (line.find(std::string("/") + file) == std::string::npos) continue;
      if (line.compare(0, 6, "MSG,3,") == 0) ++precompiled;
      if (line.compare(0, 6, "MSG,5,") == 0) ++compiled;
    }
    EXPECT_EQ(precompiled, 1u) << r.messages;
    EXPECT_EQ(compiled, 1u) << r.messages;
  }
  EXPECT_EQ(countOf(r.js, "__class(Unit,"), 1u) << r.js;
  EXPECT_EQ(countOf(r.js, "__class(Helper,"), 1u) << r.js;
  EXPECT_EQ(r.node.out, "2 helper\n") << r.node.err;
}

// TypeScript declares every class by its mini name: inside ui.Point (Point$1,
// since geom.Point is Point) the class's own statics, written bare, through
// its short name or its full name, are Point$1's; the base and its statics
// stay Point. The script of the same sources runs as the ActionScript does.
TEST(ClassBodyRun, TypeScriptClassSharingAShortNameNamesItself) {
  const std::map<std::string, std::string> sources = {
      {"geom/Point.as",
       "package geom {\n\tpublic class Point {\n\t\tpublic static var COUNT:int = 9;\n\t\tpublic var x:Number;\n"
       "\t\tpublic function Point(x:Number = 0) { this.x = x; }\n"
       "\t\tpublic function get kind():String { return \"geom\" + x; }\n\t}\n}\n"},
      {"ui/Point.as",
       "package ui {\n\timport geom.Point;\n\tpublic class Point extends geom.Point {\n"
       "\t\tpublic static var made:int = 0;\n"
       "\t\tpublic static function get total():int { return made * 10; }\n"
       "\t\tpublic function Point() { super(7); made++; Point.made++; ui.Point.made++; }\n"
       "\t\toverride public function get kind():String {\n"
       "\t\t\treturn \"ui/\" + super.kind + made + total + Point.total + geom.Point.COUNT;\n\t\t}\n"
       "\t\tpublic static function make():Class { return Point; }\n\t}\n}\n"},
      {"Main.as", mainClass("\timport ui.Point;\n", "", "trace(new ui.Point().kind);")}};
  ruvotest::SourcesRun ts = ruvotest::compileSourcesAndRun(sources, "p", {"src"}, ";ts=true;");
  ASSERT_TRUE(ts.tsFiles.count("ui/Point.ts")) << ts.messages;
  const std::string& text = ts.tsFiles["ui/Point.ts"];
  EXPECT_NE(text.find("export class Point$1 extends Point{"), std::string::npos) << text;
  EXPECT_NE(text.find("{super(7);Point$1.made++;Point$1.made++;Point$1.made++;}"), std::string::npos) << text;
  EXPECT_NE(text.find("return \"ui/\"+Ts.superGet(Point,this,'kind')+Point$1.made+Point$1.total+Point$1.total+"
                      "Point.COUNT;"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("{return Point$1.made *10;}"), std::string::npos) << text;
  EXPECT_NE(text.find("{return Point$1;}"), std::string::npos) << text;

  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  ruvotest::SourcesRun js = ruvotest::compileSourcesAndRun(sources);
  EXPECT_EQ(js.node.out, "ui/geom7330309\n") << js.node.err << js.js;
}
