// A whole compile with TypeScript output: one ".ts" file per class file,
// under ts/src beside the output folder, in folders after the package.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "harness.h"

using ruvotest::Install;
using ruvotest::listFiles;
using ruvotest::readFile;
using ruvotest::RunResult;
using ruvotest::TempDir;

namespace {

const char* const kFixture = "typescript-game";

// A fixture (its project file game.as3proj) copied into a fresh folder and
// compiled there.
struct Compiled {
  TempDir work;
  Install inst;
  std::string proj;
  RunResult run;

  explicit Compiled(const std::string& options, const std::string& fixture = kFixture) {
    proj = work / "proj";
    ruvotest::copyFixture(fixture, proj);
    run = inst.run({proj + "/game.as3proj" + options});
  }
  std::string tsRoot() const { return proj + "/bin/ts/src"; }
  // Whether the program compiles whole projects yet: the script is written.
  bool compiles() const { return ruvotest::fileExists(proj + "/bin/h5/game.max.js"); }
};

// Every class file of the project has its exact TypeScript file, a.b.Z
// under a/b; nothing else is written there.
TEST(TypeScript, EveryClassFileSavedAsTypeScript) {
  Compiled c(";ts=true;");
  ASSERT_EQ(c.run.exitCode, 0) << c.run.out << c.run.err;
  if (!c.compiles()) GTEST_SKIP() << "the compile run is not available yet";
  // The install's library folder is empty, which is reported; nothing else is.
  for (size_t at = c.run.out.find("MSG,7,"); at != std::string::npos; at = c.run.out.find("MSG,7,", at + 1)) {
    const std::string line = c.run.out.substr(at, c.run.out.find('\n', at) - at);
    EXPECT_NE(line.find(",No library class in "), std::string::npos) << line;
  }
  const std::vector<std::string> written = listFiles(c.tsRoot());
  for (const std::string& rel : written) {
    SCOPED_TRACE(rel);
    EXPECT_EQ(ruvotest::checkGolden(kFixture, "ts/src/" + rel, readFile(c.tsRoot() + "/" + rel)), "");
  }
  if (!std::getenv("UPDATE_GOLDEN")) {
    EXPECT_EQ(written, listFiles(ruvotest::fixtureDir(kFixture) + "/expected/ts/src"));
  }
  EXPECT_TRUE(ruvotest::fileExists(c.tsRoot() + "/a/b/Z.ts"));
}

// Statements of a class body (a block and a call), a cast to a class that
// no registry knows, Vector.<T> as a value and numbers with leading zeros,
// with the library off: exact TypeScript files. The statements follow the
// class, after its registration; the cast names the class as written.
TEST(TypeScript, BodyStatementsCastsVectorsAndNumbers) {
  const char* const fixture = "game-life";
  Compiled c(";ts=true;zafrit=false", fixture);
  ASSERT_EQ(c.run.exitCode, 0) << c.run.out << c.run.err;
  if (!c.compiles()) GTEST_SKIP() << "the compile run is not available yet";
  // The one report: the cast's class is not in the project.
  size_t reports = 0;
  for (size_t at = c.run.out.find("MSG,7,"); at != std::string::npos; at = c.run.out.find("MSG,7,", at + 1)) {
    const std::string line = c.run.out.substr(at, c.run.out.find('\n', at) - at);
    EXPECT_NE(line.find("Grid.as,68,Cell This variable is not defined."), std::string::npos) << line;
    ++reports;
  }
  EXPECT_EQ(reports, 1u) << c.run.out;
  const std::vector<std::string> written = listFiles(c.tsRoot());
  for (const std::string& rel : written) {
    SCOPED_TRACE(rel);
    EXPECT_EQ(ruvotest::checkGolden(fixture, "ts/src/" + rel, readFile(c.tsRoot() + "/" + rel)), "");
  }
  if (!std::getenv("UPDATE_GOLDEN")) {
    EXPECT_EQ(written, listFiles(ruvotest::fixtureDir(fixture) + "/expected/ts/src"));
  }
}

// Every TypeScript file parses, with the library on (comments kept) and
// off. The check needs the TypeScript compiler (the package "typescript",
// or the one RUVO_TYPESCRIPT names) and is skipped without it; a kept doc
// comment whose line holds "* // ..." is checked as text in any case.
TEST(TypeScript, FilesParseAsTypeScript) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  const struct {
    const char* fixture;
    const char* options;
  } compiles[] = {
      {kFixture, ";ts=true;"},
      {"game-life", ";ts=true;"},
      {"game-life", ";ts=true;zafrit=false"},
  };
  bool checked = false;
  for (const auto& row : compiles) {
    SCOPED_TRACE(std::string(row.fixture) + row.options);
    Compiled c(row.options, row.fixture);
    ASSERT_EQ(c.run.exitCode, 0);
    if (!c.compiles()) GTEST_SKIP() << "the compile run is not available yet";
    if (std::string(row.options) == ";ts=true;" && std::string(row.fixture) == "game-life") {
      const std::string rules = readFile(c.tsRoot() + "/life/Rules.ts");
      EXPECT_NE(rules.find("/**\r\n*Birth and survival counts of the automaton,e.g.\r\n* // B3/S23,the Game of "
                           "Life\r\n*/\r\nmodule ruvo{"),
                std::string::npos)
          << rules;
    }
    const RunResult check =
        ruvotest::runNode(ruvotest::sourceDir() + "/tests/support/ts-syntax.js", {c.tsRoot()});
    if (check.exitCode == 3) continue;
    checked = true;
    EXPECT_EQ(check.exitCode, 0) << check.err;
    EXPECT_EQ(check.out, "");
  }
  if (!checked) GTEST_SKIP() << "the TypeScript compiler is not installed (npm package typescript)";
}

// The syntax errors that the TypeScript compiler finds in the files (path
// -> text), one line each; "no typescript" when it is not installed.
std::string tsSyntaxErrors(const std::map<std::string, std::string>& files) {
  TempDir dir;
  for (const auto& [rel, text] : files) ruvotest::writeFile(dir / rel, text);
  const RunResult check = ruvotest::runNode(ruvotest::sourceDir() + "/tests/support/ts-syntax.js", {dir.path()});
  if (check.exitCode == 3) return "no typescript";
  return ruvotest::replaceAll(check.out + check.err, dir.path() + "/", "");
}

// With the library on, a method whose body is trivial becomes the library's
// shared stub in the script; in a TypeScript class every such member keeps
// its head and body, static methods as the others, so the file parses.
TEST(TypeScript, TrivialMembersKeepTheirBodiesWithTheLibraryOn) {
  const ruvotest::SourcesRun r = ruvotest::compileLibraryOnAndRun(
      {{"Main.as", ruvotest::mainClass("", "\t\tpublic function get ready() { return true; }\n"
                                           "\t\tpublic function empty() { return []; }\n"
                                           "\t\tpublic static function none() { }\n"
                                           "\t\tprivate static function zero() { return 0; }\n"
                                           "\t\tpublic static function typed():void { }\n",
                                       "trace(ready, empty(), none(), zero());")}},
      ";ts=true;");
  ASSERT_TRUE(r.tsFiles.count("Main.ts")) << r.messages;
  const std::string& text = r.tsFiles.at("Main.ts");
  EXPECT_NE(text.find("\r\n\tempty(){return [];}\r\n\tget ready (){return true;}\r\n"
                      "\tstatic none (){}\r\n\tprivate static zero (){return 0;}\r\n"
                      "\tstatic typed ():void{}\r\n}"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("RUVOFN"), std::string::npos) << text;
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  const std::string errors = tsSyntaxErrors(r.tsFiles);
  if (errors == "no typescript") GTEST_SKIP() << "the TypeScript compiler is not installed (npm package typescript)";
  EXPECT_EQ(errors, "");
}

// The same sources compiled twice, in two fresh folders, give the same bytes.
TEST(TypeScript, SameSourcesGiveSameFiles) {
  Compiled first(";ts=true;");
  Compiled second(";ts=true;");
  if (!first.compiles()) GTEST_SKIP() << "the compile run is not available yet";
  const std::vector<std::string> files = listFiles(first.tsRoot());
  ASSERT_FALSE(files.empty());
  EXPECT_EQ(listFiles(second.tsRoot()), files);
  for (const std::string& rel : files) {
    SCOPED_TRACE(rel);
    EXPECT_EQ(readFile(first.tsRoot() + "/" + rel), readFile(second.tsRoot() + "/" + rel));
  }
}

// Without the switch, or with it not closed by ';', no TypeScript is written.
TEST(TypeScript, OnlyWithTheSwitch) {
  for (const char* options : {"", ";ts=true"}) {
    SCOPED_TRACE(options);
    Compiled c(options);
    EXPECT_EQ(c.run.exitCode, 0);
    if (!c.compiles()) GTEST_SKIP() << "the compile run is not available yet";
    EXPECT_FALSE(ruvotest::fileExists(c.proj + "/bin/ts"));
  }
}

}  // namespace
