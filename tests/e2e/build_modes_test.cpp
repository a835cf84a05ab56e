// The builds a studio ships and debugs with: the release build (the default
// with the library off, which leaves out the files nothing uses), a build
// of every file, the debug build with its type checks, the debug markers,
// scripts without the closure and the mini-game start. Each must run the
// game as the build the other tests check does.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "harness.h"

namespace {

// The game fixtures that run with the library off (the others import Flash
// classes and have tests of their own with the stand-in library).
std::vector<std::string> gameFixtures() {
  std::vector<std::string> names;
  for (const std::string& rel : ruvotest::listFiles(ruvotest::sourceDir() + "/tests/fixtures")) {
    const std::string project = "/game.as3proj";
    if (rel.rfind("game-", 0) != 0 || rel.size() <= project.size() ||
        rel.compare(rel.size() - project.size(), project.size(), project) != 0)
      continue;
    const std::string name = rel.substr(0, rel.size() - project.size());
    if (name.find('/') != std::string::npos) continue;
    bool flash = false;
    for (const std::string& src : ruvotest::listFiles(ruvotest::fixtureDir(name) + "/src"))
      if (ruvotest::readFile(ruvotest::fixtureDir(name) + "/src/" + src).find("import flash.") != std::string::npos)
        flash = true;
    if (!flash) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

struct Build {
  const char* name;
  const char* options;    // after ";zafrit=false" on the project command
  const char* directive;  // the main class's "*[COMPILER OPTIONS:...]", or ""
};

const Build kBuilds[] = {
    {"every file", ";outalllib=true", ""},
    {"debug", "", "debug"},
    {"release with markers", "", "release,showdebug"},
    {"no closure", ";closures=false;", ""},
    {"mini-game start", ";WXApp=game", ""},
};

// Compiles a fresh copy of the fixture with the library off, the options
// and the directive, and runs its script in node.
ruvotest::RunResult compileAndRun(const std::string& fixture, const std::string& options,
                                  const std::string& directive, std::string& messages) {
  ruvotest::TempDir work;
  ruvotest::Install inst;
  const std::string proj = work / "proj";
  ruvotest::copyFixture(fixture, proj);
  if (!directive.empty())
    ruvotest::writeFile(proj + "/src/Main.as", "/*[COMPILER OPTIONS:" + directive + "]*/\n" +
                                                   ruvotest::readFile(proj + "/src/Main.as"));
  ruvotest::RunResult run = inst.run({proj + "/game.as3proj;zafrit=false" + options});
  messages = run.out;
  const std::string script = proj + "/bin/h5/game.max.js";
  if (!ruvotest::fileExists(script)) return {};
  return ruvotest::runScriptInNode(script);
}

class GameBuilds : public ::testing::TestWithParam<std::string> {};

// Every build of a game prints what its release build prints.
TEST_P(GameBuilds, PrintWhatTheReleaseBuildPrints) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  std::string messages;
  const ruvotest::RunResult release = compileAndRun(GetParam(), "", "", messages);
  ASSERT_EQ(release.exitCode, 0) << release.err;
  ASSERT_FALSE(release.out.empty()) << messages;
  for (const Build& b : kBuilds) {
    SCOPED_TRACE(b.name);
    const ruvotest::RunResult node = compileAndRun(GetParam(), b.options, b.directive, messages);
    // The debug build prints the type of every cast, and says so when it
    // names a class the project does not have.
    if (std::string(b.directive) != "debug") {
      EXPECT_EQ(messages.find("MSG,7,"), std::string::npos) << messages;
    }
    EXPECT_EQ(node.exitCode, 0) << node.err;
    EXPECT_EQ(node.out, release.out) << node.err;
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, GameBuilds, ::testing::ValuesIn(gameFixtures()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

// The type checks of a debug build: a cast's check wraps the value the cast
// is given and only names a type the script can read; no check changes
// what the code around it does.
TEST(DebugBuild, ChecksLeaveTheResultAsItIs) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  struct Case {
    const char* name;
    const char* body;
    const char* expected;
  } cases[] = {
      // `new cls as T` casts the new object; the check made "new
      // __DEBUGAS__(cls,T)" of it, which gives back the class itself.
      {"new of a class value",
       "\t\t\tfor each (var k:Class in [Orc, Elf]) {\n"
       "\t\t\t\tvar u:IUnit = new k as IUnit;\n"
       "\t\t\t\ttrace(u.name(), new Orc as Orc != null);\n"
       "\t\t\t}\n",
       "orc true\nelf true\n"},
      // Class has no value in the script, and int and uint none without the
      // library: the cast keeps its value unchecked.
      {"types without a value",
       "\t\t\tvar o:Object = Orc;\n"
       "\t\t\tvar c:Class = o as Class;\n"
       "\t\t\tvar n:Object = 7;\n"
       "\t\t\ttrace(new c().name(), n as int, n as uint, n as Number, o as Object == Orc);\n",
       "orc 7 7 7 true\n"},
      // The check of a typed local follows its declaration; after the
      // brace-less body of an if it took the else (n was 2, then undefined).
      {"declaration as the body of an if",
       "\t\t\tfor each (var c:Boolean in [true, false]) {\n"
       "\t\t\t\tif (c) var n:int = 1; else n = 2;\n"
       "\t\t\t\ttrace(n);\n"
       "\t\t\t}\n",
       "1\n2\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ruvotest::SourcesRun r = ruvotest::compileSourcesAndRun({
        {"Main.as", "/*[COMPILER OPTIONS:debug]*/\n" + ruvotest::mainClass("", "", c.body)},
        {"IUnit.as", "package {\n\tpublic interface IUnit {\n\t\tfunction name():String;\n\t}\n}\n"},
        {"Orc.as",
         "package {\n\tpublic class Orc implements IUnit {\n"
         "\t\tpublic function name():String { return \"orc\"; }\n\t}\n}\n"},
        {"Elf.as",
         "package {\n\tpublic class Elf implements IUnit {\n"
         "\t\tpublic function name():String { return \"elf\"; }\n\t}\n}\n"},
    });
    EXPECT_NE(r.messages.find("Compiler options:debug"), std::string::npos) << r.messages;
    EXPECT_NE(r.js.find("window.__DEBUGTYPE__"), std::string::npos) << r.js;
    EXPECT_EQ(r.node.exitCode, 0) << r.node.err;
    EXPECT_EQ(r.node.out, c.expected) << r.node.err;
  }
}

// The classes a release build keeps and what their names mean there: each
// program prints in the release build what it prints in the build of every
// file, and what it prints in Flash.
TEST(ReleaseBuild, KeepsWhatTheGameReachesAndWhatItsNamesMean) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  auto kindClass = [](const std::string& package, const std::string& name, const std::string& kind) {
    return "package " + package + " {\n\tpublic class " + name + " {\n\t\tpublic var kind:String = \"" + kind +
           "\";\n\t}\n}\n";
  };
  struct Case {
    const char* name;
    std::map<std::string, std::string> sources;
    const char* expected;
  } cases[] = {
      // A class named by its full name took over its short name, which
      // still means the class of the file's own package or of the unnamed
      // package.
      {"full name beside the short name",
       {{"Main.as", ruvotest::mainClass("\timport game.Board;\n", "", "\t\t\ttrace(new Board().describe());\n")},
        {"game/Board.as",
         "package game {\n\tpublic class Board {\n\t\tpublic function describe():String {\n"
         "\t\t\tvar a:Object = new geom.Point();\n"
         "\t\t\tvar b:Point = new Point();\n"
         "\t\t\tvar c:Object = new geom.Vec();\n"
         "\t\t\tvar d:Vec = new Vec();\n"
         "\t\t\treturn [a.kind, b.kind, c.kind, d.kind].join(\" \");\n"
         "\t\t}\n\t}\n}\n"},
        {"game/Point.as", kindClass("game", "Point", "game.Point")},
        {"geom/Point.as", kindClass("geom", "Point", "geom.Point")},
        {"Vec.as", kindClass("", "Vec", "Vec")},
        {"geom/Vec.as", kindClass("geom", "Vec", "geom.Vec")}},
       "geom.Point game.Point geom.Vec Vec\n"},
      // Names inside a with block are written as they stand; the classes
      // among them were left out of the release build.
      {"classes named in a with block",
       {{"Main.as", ruvotest::mainClass("\timport game.*;\n", "",
                                        "\t\t\tvar o:Object = {x: 1};\n"
                                        "\t\t\twith (o) {\n"
                                        "\t\t\t\ttrace(x, new Coin().kind, Gem.worth(2));\n"
                                        "\t\t\t}\n")},
        {"game/Coin.as", kindClass("game", "Coin", "coin")},
        {"game/Gem.as",
         "package game {\n\tpublic class Gem {\n"
         "\t\tpublic static function worth(n:int):int { return n * 10; }\n\t}\n}\n"}},
       "1 coin 20\n"},
  };
  for (const Case& c : cases) {
    for (const char* options : {"", ";outalllib=true"}) {
      SCOPED_TRACE(std::string(c.name) + (*options ? options : " (release)"));
      ruvotest::SourcesRun r = ruvotest::compileSourcesAndRun(c.sources, "p", {"src"}, options);
      EXPECT_EQ(r.node.exitCode, 0) << r.node.err;
      EXPECT_EQ(r.node.out, c.expected) << r.node.err;
    }
  }
}

}  // namespace
