// Whole-output goldens: every fixture project and the example project are
// compiled with the real program, and every file the compile writes, with
// what it prints, is compared byte for byte with tests/golden/<case>/.
// Absolute paths become <WORK> (the copied project's folder) and <INSTALL>
// (the program's base folder). UPDATE_GOLDEN=1 rewrites the expected files
// for review with git diff; an expected file that no case writes fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "harness.h"

using namespace ruvotest;

namespace {

struct GoldenCase {
  const char* name;     // folder under tests/golden/
  const char* source;   // repository folder copied as the work folder
  const char* command;  // project command, relative to the work folder
};

// One row per compile; the options are the ones the other tests of each
// fixture use, so the goldens cover the output those tests look into.
const GoldenCase kCases[] = {
    {"compile-hello", "tests/fixtures/compile-hello", "hello.as3proj;zafrit=false"},
    {"compile-hello-library", "tests/fixtures/compile-hello", "hello.as3proj"},
    {"compile-two", "tests/fixtures/compile-two", "two.as3proj;zafrit=false"},
    {"compile-cycle", "tests/fixtures/compile-cycle", "cycle.as3proj;zafrit=false"},
    {"compile-undefined", "tests/fixtures/compile-undefined", "undefined.as3proj;zafrit=false"},
    {"class-run", "tests/fixtures/class-run", "classrun.as3proj;zafrit=false"},
    {"expr-run", "tests/fixtures/expr-run", "expr.as3proj;zafrit=false"},
    {"names-run", "tests/fixtures/names-run", "names.as3proj;zafrit=false"},
    {"options-fb", "tests/fixtures/options-fb", "proj/.actionScriptProperties;outruvo=true;subpath=web"},
    {"options-fd", "tests/fixtures/options-fd", "proj/game.as3proj;chromerun=false"},
    {"probe-project-async", "tests/fixtures/probe-project-async", "async.as3proj;zafrit=false"},
    {"probe-project-modules", "tests/fixtures/probe-project-modules", "modules.as3proj;zafrit=false"},
    {"probe-project-packages", "tests/fixtures/probe-project-packages", "packages.as3proj;zafrit=false"},
    {"probe-project-libmodule", "tests/fixtures/probe-project-libmodule",
     "proj/game.as3proj;zafrit=false;outruvo=true"},
    {"project-fb47", "tests/fixtures/project-fb47", "proj/.actionScriptProperties;zafrit=false"},
    {"project-fd5", "tests/fixtures/project-fd5", "Game/Game.as3proj;zafrit=false"},
    {"typescript-game", "tests/fixtures/typescript-game", "game.as3proj;zafrit=false;ts=true;"},
    {"example-dungeon", "examples/dungeon", "dungeon.as3proj;zafrit=false"},
};

std::string goldenRoot() { return sourceDir() + "/tests/golden"; }

bool updating() {
  const char* u = std::getenv("UPDATE_GOLDEN");
  return u && std::string(u) == "1";
}

// Copies a repository folder (without expected/ and without earlier output
// in bin/) into dest.
void copySource(const std::string& source, const std::string& dest) {
  const std::string from = sourceDir() + "/" + source;
  for (const std::string& rel : listFiles(from)) {
    if (rel.rfind("expected/", 0) == 0 || rel.rfind("bin/", 0) == 0) continue;
    writeFile(dest + "/" + rel, readFile(from + "/" + rel));
  }
}

// Every file under dir with its bytes.
std::map<std::string, std::string> snapshot(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const std::string& rel : listFiles(dir)) files[rel] = readFile(dir + "/" + rel);
  return files;
}

// What one compile wrote (under files/) and printed (stdout.txt), paths made relative.
struct WholeOutput {
  std::map<std::string, std::string> files;
};

WholeOutput compileCase(const GoldenCase& c) {
  TempDir work;
  Install inst;
  copySource(c.source, work.path());
  // A Flash Builder set-up finds its documents folder through the workspace
  // list under HOME; the fixture's list names it inside the work folder.
  const std::string prefs = work.path() +
                            "/home/Documents/Adobe Flash Builder 4.7/cascaded/workspace1/configuration/.settings/"
                            "org.eclipse.ui.ide.prefs";
  if (fileExists(prefs)) writeFile(prefs, replaceAll(readFile(prefs), "=/ruvo-docs", "=" + work.path() + "/ruvo-docs"));
  const std::map<std::string, std::string> copied = snapshot(work.path());

  RunResult r = inst.run({work / c.command}, work.path(), {{"HOME", work.path() + "/home"}});
  EXPECT_EQ(r.exitCode, 0);
  auto relative = [&](std::string text) {
    return replaceAll(replaceAll(text, work.path(), "<WORK>"), inst.root(), "<INSTALL>");
  };
  WholeOutput out;
  out.files["stdout.txt"] = relative(r.out);
  for (const std::string& rel : listFiles(work.path())) {
    std::string bytes = readFile(work / rel);
    auto was = copied.find(rel);
    if (was != copied.end() && was->second == bytes) continue;  // a source file, untouched
    out.files["files/" + rel] = relative(bytes);
  }
  return out;
}

}  // namespace

// Each case's written files and standard output, byte for byte.
TEST(Golden, EveryCaseWritesExactlyItsExpectedFiles) {
  for (const GoldenCase& c : kCases) {
    SCOPED_TRACE(c.name);
    WholeOutput out = compileCase(c);
    const std::string dir = goldenRoot() + "/" + c.name;
    std::vector<std::string> expected = listFiles(dir);
    if (updating()) {
      for (const std::string& rel : expected)
        if (!out.files.count(rel)) std::remove((dir + "/" + rel).c_str());
      for (const auto& [rel, bytes] : out.files) writeFile(dir + "/" + rel, bytes);
      continue;
    }
    for (const auto& [rel, bytes] : out.files) {
      SCOPED_TRACE(rel);
      if (!fileExists(dir + "/" + rel)) {
        ADD_FAILURE() << "missing expected file " << dir << "/" << rel << " (run with UPDATE_GOLDEN=1)";
        continue;
      }
      std::string want = readFile(dir + "/" + rel);
      if (rel == "stdout.txt" ? comparableOutput(want) != comparableOutput(bytes) : want != bytes) {
        size_t i = 0;
        while (i < want.size() && i < bytes.size() && want[i] == bytes[i]) ++i;
        size_t from = i > 60 ? i - 60 : 0;
        ADD_FAILURE() << "differs at byte " << i << "\n  expected: [" << want.substr(from, 160) << "]\n  actual:   ["
                      << bytes.substr(from, 160) << "]";
      }
    }
    for (const std::string& rel : expected)
      EXPECT_TRUE(out.files.count(rel)) << "expected file that the compile no longer writes: " << dir << "/" << rel;
  }
}

// Every folder under tests/golden/ belongs to a case of the table.
TEST(Golden, NoExpectedFolderWithoutItsCase) {
  std::set<std::string> names;
  for (const GoldenCase& c : kCases) names.insert(c.name);
  for (const std::string& rel : listFiles(goldenRoot())) {
    std::string top = rel.substr(0, rel.find('/'));
    EXPECT_TRUE(names.count(top)) << "tests/golden/" << rel << " belongs to no case";
  }
}
