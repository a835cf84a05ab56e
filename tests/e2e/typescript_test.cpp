// A whole compile with TypeScript output: one ".ts" file per class file,
// under ts/src beside the output folder, in folders after the package.
#include <gtest/gtest.h>

#include <cstdlib>
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

// The fixture copied into a fresh folder and compiled there.
struct Compiled {
  TempDir work;
  Install inst;
  std::string proj;
  RunResult run;

  explicit Compiled(const std::string& options) {
    proj = work / "proj";
    ruvotest::copyFixture(kFixture, proj);
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
