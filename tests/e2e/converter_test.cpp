// End-to-end runs of the Flash source converter: every command-line form on a
// fresh copy of a small Flash project (a source folder, a library folder, a
// link list with CR LF ends, a Flash Builder and a FlashDevelop project file),
// with the exact output and the exact rewritten files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "harness.h"

using namespace ruvotest;

namespace {

const char kFixture[] = "converter-flash";

// The fixture copied into its own work folder and the program installed
// beside it; absolute paths in the output become <WORK>.
struct Project {
  Install install;
  TempDir work;

  Project() { copyFixture(kFixture, work.path()); }
  RunResult run(const std::vector<std::string>& args) const { return install.run(args, work.path()); }
  std::string paths(const std::string& text) const { return replaceAll(text, work.path(), "<WORK>"); }
  std::string proj(const std::string& rel) const { return work / ("proj/" + rel); }
};

// Every file of the work folder either keeps the fixture's bytes or equals
// the golden file expected/<step>/<path>; the golden files are exactly the
// changed ones.
void checkFiles(const Project& p, const std::string& step) {
  std::set<std::string> changed;
  for (const std::string& rel : listFiles(p.work.path())) {
    std::string now = readFile(p.work / rel);
    std::string original = fixtureDir(kFixture) + "/" + rel;
    if (fileExists(original) && readFile(original) == now) continue;
    changed.insert(rel);
    SCOPED_TRACE(rel);
    EXPECT_EQ(checkGolden(kFixture, step + "/" + rel, now), "");
  }
  std::set<std::string> golden;
  std::string expectedDir = fixtureDir(kFixture) + "/expected/" + step;
  for (const std::string& rel : listFiles(expectedDir)) {
    if (rel != "stdout.txt") golden.insert(rel);
  }
  if (!std::getenv("UPDATE_GOLDEN")) {
    EXPECT_EQ(changed, golden);
  }
}

}  // namespace

// "/c" over two folders: the first in mode 1 (imports to the library and the
// two starter classes), the second in mode -1; a file with nothing to change
// and the class-body import stay as they were.
TEST(Converter, ToLibraryOverTwoFolders) {
  Project p;
  RunResult r = p.run({p.proj("src") + ";" + p.proj("lib"), "/c"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(checkGolden(kFixture, "c/stdout.txt", p.paths(r.out)), "");
  checkFiles(p, "c");

  // A second run finds nothing more to change (a kept Flash name is still
  // reported); the starters stay Flash classes.
  RunResult again = p.run({p.proj("src") + ";" + p.proj("lib"), "/c"});
  EXPECT_EQ(p.paths(again.out),
            "0.00% Ruvo:Ruvo MIROX Compiler[Ver 2017090801] start...\r\n"
            "1,0.00,,0,command <WORK>/proj/src\r\nMSG,1,0.00,,0,command <WORK>/proj/src\n"
            "1,0.00,<WORK>/proj/src/Main.as,0,change\r\nMSG,1,0.00,<WORK>/proj/src/Main.as,0,change\n"
            "1,0.00,,0,command <WORK>/proj/lib\r\nMSG,1,0.00,,0,command <WORK>/proj/lib\n");
  checkFiles(p, "c");
}

// "/C" converts one folder like "/c" but writes no starter classes.
TEST(Converter, ToLibraryOneFolder) {
  Project p;
  RunResult r = p.run({p.proj("src"), "/C"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_FALSE(fileExists(p.proj("src/RuvoGame.as")));
  EXPECT_FALSE(fileExists(p.proj("src/RuvoMain.as")));
  for (const char* rel : {"proj/src/Main.as", "proj/src/game/Hero.as", "proj/src/game/Enemy.as"}) {
    SCOPED_TRACE(rel);
    EXPECT_EQ(checkGolden(kFixture, std::string("c/") + rel, readFile(p.work / rel)), "");
  }
  EXPECT_EQ(readFile(p.proj("lib/util/Tools.as")), readFile(fixtureDir(kFixture) + "/proj/lib/util/Tools.as"));
}

// "/l" with a link list: the listed classes are linked to the SWF tools (one
// after its super call, one with a generated constructor); a second run
// leaves the linked files alone. "/L" reads no list and links nothing.
TEST(Converter, LinkClassesFromTheList) {
  Project p;
  RunResult none = p.run({p.proj("src"), "/L/" + p.proj("links.txt")});
  EXPECT_EQ(none.out, "0.00% Ruvo:Ruvo MIROX Compiler[Ver 2017090801] start...\r\n");
  checkFiles(p, "unchanged");

  RunResult r = p.run({p.proj("src"), "/l/" + p.proj("links.txt")});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(checkGolden(kFixture, "l/stdout.txt", p.paths(r.out)), "");
  checkFiles(p, "l");

  // The list path may also follow the switch directly (an absolute path
  // that begins with "/", so not in the Windows build).
#ifdef _WIN32
  return;
#endif
  RunResult again = p.run({p.proj("src"), "/l" + p.proj("links.txt")});
  EXPECT_EQ(p.paths(again.out), p.paths(r.out));
  checkFiles(p, "l");
}

// A link list that is missing, empty or not given links nothing, and says so.
TEST(Converter, LinkListThatCannotBeReadIsNamed) {
  Project p;
  TempDir elsewhere;  // outside the compared tree
  const std::string empty = elsewhere / "empty.txt";
  ruvotest::writeFile(empty, "");
  const struct {
    std::string switchText, err;
  } cases[] = {
      {"/l/" + p.proj("nothere.txt"), "ruvojs: the link list " + p.proj("nothere.txt") + " does not exist"},
      {"/l/" + empty, "ruvojs: the link list " + empty + " is empty"},
      {"/l", "ruvojs: the link list is not given (/l<list file>)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.switchText);
    RunResult r = p.run({p.proj("src"), c.switchText});
    EXPECT_EQ(r.err, c.err + "; no class is linked\n");
    checkFiles(p, "unchanged");
  }
}

// "type=init:" on the Flash Builder project takes its source folder and its
// source path back to the Flash names; "/f" on the FlashDevelop project and
// "/F" on each folder give the same files.
TEST(Converter, BackToFlash) {
  Project p;
  p.run({p.proj("src") + ";" + p.proj("lib"), "/c"});
  RunResult r = p.run({"type=init:" + p.proj(".actionScriptProperties")});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(checkGolden(kFixture, "init/stdout.txt", p.paths(r.out)), "");
  checkFiles(p, "init");

  Project fd;
  fd.run({fd.proj("src") + ";" + fd.proj("lib"), "/c"});
  RunResult f = fd.run({fd.proj("Game.as3proj"), "/f"});
  EXPECT_EQ(checkGolden(kFixture, "f/stdout.txt", fd.paths(f.out)), "");
  checkFiles(fd, "init");

  Project each;
  each.run({each.proj("src") + ";" + each.proj("lib"), "/c"});
  each.run({each.proj("src"), "/F"});
  each.run({each.proj("lib"), "/F"});
  checkFiles(each, "init");
}

// A relative folder lies in the program's base folder, not in the working
// folder; a missing project file converts nothing.
TEST(Converter, RelativeFolderAndMissingProject) {
  Project p;
  copyFixture(kFixture, p.install.root() + "/mine");
  RunResult r = p.run({"mine/proj/src", "/C"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(checkGolden(kFixture, "c/proj/src/Main.as", readFile(p.install.root() + "/mine/proj/src/Main.as")), "");
  checkFiles(p, "unchanged");

  RunResult missing = p.run({"type=init:" + p.proj("none.actionScriptProperties")});
  EXPECT_EQ(p.paths(missing.out),
            "0.00% Ruvo:Ruvo MIROX Compiler[Ver 2017090801] start...\r\n"
            "1,0.00,,0,command type=init:<WORK>/proj/none.actionScriptProperties\r\n"
            "MSG,1,0.00,,0,command type=init:<WORK>/proj/none.actionScriptProperties\n"
            "1,0.00,,0,filename:<WORK>/proj/none.actionScriptProperties\r\n"
            "MSG,1,0.00,,0,filename:<WORK>/proj/none.actionScriptProperties\n"
            "1,0.00,,0,filepath:<WORK>/proj/\r\nMSG,1,0.00,,0,filepath:<WORK>/proj/\n");
  checkFiles(p, "unchanged");
}

// "/f" reads the class paths as the IDE meant them: a folder written with an
// entity (Art &amp; Sound) is converted, a class path in a comment is not.
TEST(Converter, BackToFlashReadsEntitiesAndSkipsComments) {
  Project p;
  const std::string library = "package art\n{\n\timport zafrit.display.Sprite;\n\tpublic class Icon extends Sprite\n\t{\n\t}\n}\n";
  writeFile(p.work / "Art & Sound/art/Icon.as", library);
  writeFile(p.work / "Old/art/Icon.as", library);
  writeFile(p.proj("Art.as3proj"),
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<project version=\"2\">\n  <classpaths>\n"
            "    <!-- <class path=\"..\\Old\" /> -->\n    <class path=\"..\\Art &amp; Sound\" />\n"
            "  </classpaths>\n</project>\n");
  RunResult r = p.run({p.proj("Art.as3proj"), "/f"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(p.paths(r.out).find("to flash:<WORK>/Art & Sound/\r\n"), std::string::npos) << r.out;
  EXPECT_EQ(readFile(p.work / "Art & Sound/art/Icon.as"), replaceAll(library, "zafrit.display", "flash.display"));
  EXPECT_EQ(readFile(p.work / "Old/art/Icon.as"), library);
}

// "type=init:" takes back the folders a Flash Builder compile reads: source
// path entries named by the path variables of the project's place
// (${PARENT-n-PROJECT_LOC}, ${PROJECT_LOC}) and of the documents folder of
// the recent workspaces (${DOCUMENTS}); without a known documents folder that
// entry is said on standard error and the others are still converted.
TEST(Converter, BackToFlashResolvesFlashBuilderPathVariables) {
  Project p;
  const std::string library = "package sh\n{\n\timport zafrit.geom.Point;\n\tpublic class Util\n\t{\n\t}\n}\n";
  const std::string flash = replaceAll(library, "zafrit.geom", "flash.geom");
  const std::vector<std::string> sources = {"ws/Shared/src/sh/Util.as", "ws/Game/extra/sh/Util.as",
                                            "docs/common/sh/Util.as", "ws/Game/src/sh/Util.as"};
  for (const std::string& rel : sources) writeFile(p.work / rel, library);
  writeFile(p.work / "ws/Game/.actionScriptProperties",
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
            "<actionScriptProperties mainApplicationPath=\"Main.as\" version=\"12\">\n"
            "  <compiler outputFolderPath=\"bin-debug\" sourceFolderPath=\"src\">\n    <compilerSourcePath>\n"
            "      <compilerSourcePathEntry kind=\"1\" linkType=\"1\" path=\"${PARENT-1-PROJECT_LOC}/Shared/src\"/>\n"
            "      <compilerSourcePathEntry kind=\"1\" linkType=\"1\" path=\"${PROJECT_LOC}/extra\"/>\n"
            "      <compilerSourcePathEntry kind=\"1\" linkType=\"1\" path=\"${DOCUMENTS}/common\"/>\n"
            "    </compilerSourcePath>\n  </compiler>\n</actionScriptProperties>\n");
  const std::string prefs = "home/Documents/Adobe Flash Builder 4.7/cascaded/w/configuration/.settings/";
  writeFile(p.work / (prefs + "org.eclipse.ui.ide.prefs"),
            "eclipse.preferences.version=1\nRECENT_WORKSPACES=" + p.work / "docs" + "\\n" + p.work / "older" + "\n");
  const std::string command = "type=init:" + p.work / "ws/Game/.actionScriptProperties";

  RunResult unknown = p.install.run({command}, p.work.path(), {{"HOME", p.work / "no-home"}});
  EXPECT_EQ(p.paths(unknown.err),
            "ruvojs: the Flash Builder documents folder (${DOCUMENTS}) is not known: no recent workspace of Flash "
            "Builder 4.5, 4.6 or 4.7 is listed under the home folder's Documents; ${DOCUMENTS}/common is not "
            "converted\n");
  for (const std::string& rel : sources) {
    SCOPED_TRACE(rel);
    EXPECT_EQ(readFile(p.work / rel), rel == "docs/common/sh/Util.as" ? library : flash);
  }

  RunResult r = p.install.run({command}, p.work.path(), {{"HOME", p.work / "home"}});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_NE(p.paths(r.out).find("MSG,1,0.00,,0,to flash:<WORK>/docs/common/\n"), std::string::npos) << r.out;
  for (const std::string& rel : sources) {
    SCOPED_TRACE(rel);
    EXPECT_EQ(readFile(p.work / rel), flash);
  }
}

// A game written against the Flash API (classes across packages, single,
// wildcard and several imports on a line, a class after the package, Flash
// names in strings, comments and code, CR LF, non-ASCII comments, a source in
// UTF-16) converted with "/C": exactly the package-level import names
// change; it compiles to the script the Flash sources compile to, which node
// parses; "/F" gives back every source byte for byte.
TEST(Converter, GameProjectConvertsCompilesAndComesBack) {
  const char* fixture = "converter-game";
  Install install;
  TempDir flash, converted;
  copyFixture(fixture, flash.path());
  copyFixture(fixture, converted.path());

  RunResult c = install.run({converted / "src", "/C"}, converted.path());
  EXPECT_EQ(c.exitCode, 0);
  EXPECT_EQ(c.err, "");
  EXPECT_EQ(checkGolden(fixture, "C/stdout.txt", replaceAll(c.out, converted.path(), "<WORK>")), "");
  std::set<std::string> changed, golden;
  for (const std::string& rel : listFiles(converted / "src")) {
    const std::string now = readFile(converted / ("src/" + rel));
    if (now == readFile(flash / ("src/" + rel))) continue;
    changed.insert(rel);
    SCOPED_TRACE(rel);
    EXPECT_EQ(checkGolden(fixture, "C/src/" + rel, now), "");
  }
  for (const std::string& rel : listFiles(fixtureDir(fixture) + "/expected/C/src")) golden.insert(rel);
  if (!std::getenv("UPDATE_GOLDEN")) {
    EXPECT_EQ(changed, golden);
  }

  // The same script from both, its paths aside; the library is not installed,
  // which both compiles report alike.
  install.run({flash / "game.as3proj"}, flash.path());
  install.run({converted / "game.as3proj"}, converted.path());
  const std::string script = converted / "bin/h5/game.max.js";
  EXPECT_EQ(replaceAll(readFile(script), converted.path(), "<WORK>"),
            replaceAll(readFile(flash / "bin/h5/game.max.js"), flash.path(), "<WORK>"));
  if (haveNode()) {
    RunResult check = runNodeArgs({"--check", script}, converted.path());
    EXPECT_EQ(check.exitCode, 0) << check.err;
  }

  RunResult back = install.run({converted / "src", "/F"}, converted.path());
  EXPECT_EQ(back.err, "");
  for (const std::string& rel : listFiles(flash / "src")) {
    SCOPED_TRACE(rel);
    EXPECT_EQ(readFile(converted / ("src/" + rel)), readFile(flash / ("src/" + rel)));
  }

  // Linked to the SWF tools (the UTF-16 class after its super call, the
  // CR LF one at the end of its constructor), the classes still compile to a
  // script node parses, each constructor calling the tools once.
  writeFile(converted / "links.txt", "game.fx.Spark\r\ngame.world.Grid\r\n");
  install.run({converted / "src", "/l\\" + converted / "links.txt"}, converted.path());
  install.run({converted / "game.as3proj"}, converted.path());
  const std::string linked = readFile(script);
  for (const std::string name : {"Spark", "Grid"}) {
    const std::string call = "zafrit.swf.utils.SWFTools.initClass(" + name + ",this);";
    SCOPED_TRACE(call);
    const size_t at = linked.find(call);
    EXPECT_NE(at, std::string::npos);
    EXPECT_EQ(linked.find(call, at + 1), std::string::npos);
  }
  if (haveNode()) {
    RunResult check = runNodeArgs({"--check", script}, converted.path());
    EXPECT_EQ(check.exitCode, 0) << check.err;
  }
}
