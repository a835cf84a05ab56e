// A small project whose names go through every resolver: imports (single,
// wildcard, a package function), statics and constants through the class's
// own name and through imports, base-class members, closures, casts and a
// with-scope. It is compiled as a release build and as a normal build; both
// scripts must print the same in node.
#include <gtest/gtest.h>

#include <string>

#include "harness.h"

using ruvotest::Install;
using ruvotest::readFile;
using ruvotest::RunResult;
using ruvotest::TempDir;

namespace {

const char kExpected[] =
    "names names\n"
    "2\n"
    "main!\n"
    "42\n"
    "!HEY\n"
    "hi ann\n"
    "ann\n"
    "private unit 10 private\n"
    "hi bob\n"
    "ann\n"
    "2\n"
    "3\n"
    "ann true\n";

struct Build {
  TempDir work;
  Install inst;
  RunResult run;
  std::string js;
  RunResult node;

  explicit Build(bool release) {
    const std::string proj = work / "proj";
    ruvotest::copyFixture("names-run", proj);
    if (!release) {
      // The main class's directive turns the release build of a library-less project off.
      std::string main = readFile(proj + "/src/Main.as");
      ruvotest::writeFile(proj + "/src/Main.as", "/*[COMPILER OPTIONS:normal]*/\n" + main);
    }
    run = inst.run({proj + "/names.as3proj;zafrit=false"});
    const std::string script = proj + "/bin/h5/names.max.js";
    if (ruvotest::fileExists(script)) js = readFile(script);
    if (js.find("var Main=") == std::string::npos || !ruvotest::haveNode()) return;
    node = ruvotest::runScriptInNode(script);
  }
};

}  // namespace

TEST(ResolveRun, ReleaseBuildInlinesConstantsAndKeepsEveryUsedFile) {
  Build b(true);
  ASSERT_EQ(b.run.exitCode, 0);
  if (b.js.find("var Main=") == std::string::npos) GTEST_SKIP() << "class output not available yet";
  EXPECT_EQ(b.run.out.find("This variable is not defined"), std::string::npos) << b.run.out;
  EXPECT_NE(b.js.find("console.log(\"names\",\"names\");"), std::string::npos);
  EXPECT_NE(b.js.find("console.log(\"!\"+Text.shout(\"hey\"));"), std::string::npos);
  EXPECT_NE(b.js.find("console.log(util.twice(21));"), std::string::npos);
  EXPECT_EQ(b.js.find("/*CLASS CONST:"), std::string::npos);
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  EXPECT_EQ(b.node.exitCode, 0) << b.node.err;
  EXPECT_EQ(b.node.out, kExpected);
}

TEST(ResolveRun, NormalBuildNamesItsConstants) {
  Build b(false);
  ASSERT_EQ(b.run.exitCode, 0);
  if (b.js.find("var Main=") == std::string::npos) GTEST_SKIP() << "class output not available yet";
  EXPECT_NE(b.js.find("console.log(\"names\",/*CLASS CONST:Main.TITLE*/\"names\");"), std::string::npos);
  EXPECT_NE(b.js.find("console.log(/*util.Text.BANG*/\"!\"+Text.shout(\"hey\"));"), std::string::npos);
  // The closure reaches the instance through the constructor's alias.
  EXPECT_NE(b.js.find("var later=function (){return _$this.label+\"!\";};"), std::string::npos);
  // Casts leave only their group; the with-scope keeps its name as written.
  EXPECT_NE(b.js.find("console.log((hero).name);"), std::string::npos);
  EXPECT_NE(b.js.find("var heroClass=(Hero);"), std::string::npos);
  EXPECT_NE(b.js.find("console.log((t).n+1);"), std::string::npos);  // a class of the file after the package
  EXPECT_NE(b.js.find("return (o).name;"), std::string::npos);  // a class named with its package
  EXPECT_NE(b.js.find("return (o)==o;"), std::string::npos);  // a top-level class from a package
  EXPECT_NE(b.js.find("with (hero){got=name;}"), std::string::npos);
  // A base's static getter is spelled with the base's name, its protected field through this.
  EXPECT_NE(b.js.find("return Unit.kind+\" \"+this.hp+\" \"+\"private\";"), std::string::npos);
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  EXPECT_EQ(b.node.exitCode, 0) << b.node.err;
  EXPECT_EQ(b.node.out, kExpected);
}
