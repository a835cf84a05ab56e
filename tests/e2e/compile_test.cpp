// Whole compiles of small fixture projects with the real program: the
// written script, the pages, the messages the IDE reads, and the script run
// in node.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <thread>
#include <string>

#include "harness.h"

using ruvotest::Install;
using ruvotest::readFile;
using ruvotest::RunResult;
using ruvotest::TempDir;

namespace {

// A fixture project copied into a fresh folder and compiled there.
struct Compiled {
  TempDir work;
  Install inst;
  std::string proj;  // the project folder
  RunResult run;

  Compiled(const std::string& fixture, const std::string& projectFile, const std::string& options) {
    proj = work / "proj";
    ruvotest::copyFixture(fixture, proj);
    run = inst.run({proj + "/" + projectFile + options});
  }
  std::string out(const std::string& rel) const { return readFile(proj + "/bin/h5/" + rel); }
  bool has(const std::string& rel) const { return ruvotest::fileExists(proj + "/bin/h5/" + rel); }
  // Standard output with the temporary folders replaced by fixed names.
  std::string stdoutText() const {
    return ruvotest::replaceAll(ruvotest::replaceAll(run.out, work.path(), "<WORK>"), inst.root(), "<INSTALL>");
  }
  // Runs the written script in node with a browser's window and document.
  RunResult node(const std::string& script) const {
    return ruvotest::runNode(ruvotest::sourceDir() + "/examples/run-in-node.js", {proj + "/bin/h5/" + script});
  }
};

// A fixture copied into <work>/proj with one text of its project file
// replaced; returns the project folder.
std::string editedFixture(const TempDir& work, const std::string& fixture, const std::string& projectFile,
                          const std::string& from, const std::string& to) {
  std::string proj = work / "proj";
  ruvotest::copyFixture(fixture, proj);
  std::string xml = readFile(proj + "/" + projectFile);
  ruvotest::writeFile(proj + "/" + projectFile, ruvotest::replaceAll(xml, from, to));
  return proj;
}

size_t count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

}  // namespace

TEST(Compile, LibraryOffHelloRunsInNode) {
  Compiled c("compile-hello", "hello.as3proj", ";zafrit=false");
  ASSERT_EQ(c.run.exitCode, 0);
  ASSERT_TRUE(c.has("hello.max.js")) << c.run.out << c.run.err;
  std::string js = c.out("hello.max.js");
  EXPECT_EQ(js.rfind("/*", 0), 0u);  // the core banner comes first
  EXPECT_EQ(count(js, "var Ruvo=window.Ruvo=(function(window,document){"), 1u);
  EXPECT_EQ(count(js, "\tnew Main();"), 1u);
  // No library texts when the library is off.
  EXPECT_EQ(js.find("window.zafrit"), std::string::npos);
  EXPECT_EQ(js.find("RUVOFNVOID"), std::string::npos);
  EXPECT_EQ(js.find("__bind=VENDRIX.bind"), std::string::npos);

  if (!ruvotest::haveNode()) return;
  RunResult n = c.node("hello.max.js");
  EXPECT_EQ(n.exitCode, 0) << n.err;
  EXPECT_EQ(n.out, "hi\n");
}

TEST(Compile, PagesAreWrittenOnceAndLeftAlone) {
  Compiled c("compile-hello", "hello.as3proj", ";zafrit=false");
  ASSERT_TRUE(c.has("hello.max.html"));
  std::string page = c.out("hello.max.html");
  EXPECT_EQ(page, c.out("index.html"));
  EXPECT_NE(page.find("<script src='hello.max.js' loader='ruvo'></script>\r\n</body>\r\n</html>"), std::string::npos);
  EXPECT_NE(c.run.out.find("MSG,11,"), std::string::npos);

  // A second run finds both pages and leaves them untouched.
  struct stat before{};
  stat((c.proj + "/bin/h5/index.html").c_str(), &before);
  ruvotest::writeFile(c.proj + "/bin/h5/index.html", "mine");
  RunResult again = c.inst.run({c.proj + "/hello.as3proj;zafrit=false"});
  EXPECT_EQ(c.out("index.html"), "mine");
  EXPECT_EQ(c.out("hello.max.html"), page);
  std::string size = "," + std::to_string(page.size()) + ",\n";
  EXPECT_NE(again.out.find("hello.max.html" + size), std::string::npos) << again.out;
}

TEST(Compile, TwoClassStdoutSequence) {
  Compiled c("compile-two", "two.as3proj", ";zafrit=false");
  std::string diff = ruvotest::checkGolden("compile-two", "stdout.txt", c.stdoutText());
  EXPECT_EQ(diff, "");
  if (!ruvotest::haveNode()) return;
  RunResult n = c.node("two.max.js");
  EXPECT_EQ(n.out, "total 5\n") << n.err;
}

TEST(Compile, SameSourcesGiveSameBytes) {
  Compiled a("compile-two", "two.as3proj", ";zafrit=false");
  Compiled b("compile-two", "two.as3proj", ";zafrit=false");
  std::string ja = ruvotest::replaceAll(a.out("two.max.js"), a.work.path(), "<WORK>");
  std::string jb = ruvotest::replaceAll(b.out("two.max.js"), b.work.path(), "<WORK>");
  ASSERT_FALSE(ja.empty());
  EXPECT_EQ(ja, jb);
  EXPECT_EQ(a.stdoutText(), b.stdoutText());
}

// A project deep in folders, 232 characters: its sources fit in the 260
// characters where the Windows ANSI calls stop, its scripts, pages and
// TypeScript files nearly, the temporary copy of each not. Every file is
// written all the same, with the bytes a shallow project gets.
TEST(Compile, DeepProjectFolderWritesEveryFile) {
  Compiled shallow("typescript-game", "game.as3proj", ";zafrit=false;ts=true;");
  TempDir work;
  Install inst;
  std::string folder = work / "deep";
  while (folder.size() < 227) folder += "/" + std::string(std::min<size_t>(40, 227 - folder.size() - 1), 'd');
  const std::string proj = folder + "/proj";
  ASSERT_EQ(proj.size(), 232u);
  const std::string full = work / "full";
  ruvotest::copyFixture("typescript-game", full);
  for (const std::string& rel : ruvotest::listFiles(full + "/src"))
    ruvotest::writeFile(proj + "/src/" + rel, readFile(full + "/src/" + rel));
  ruvotest::writeFile(proj + "/game.as3proj", readFile(full + "/game.as3proj"));
  RunResult r = inst.run({proj + "/game.as3proj;zafrit=false;ts=true;"});
  EXPECT_EQ(r.out.find("MSG,7,"), std::string::npos) << r.out;
  const std::vector<std::string> files = ruvotest::listFiles(shallow.proj + "/bin");
  ASSERT_FALSE(files.empty());
  EXPECT_EQ(ruvotest::listFiles(proj + "/bin"), files);
  for (const std::string& rel : files)
    EXPECT_EQ(ruvotest::replaceAll(readFile(proj + "/bin/" + rel), proj, "<P>"),
              ruvotest::replaceAll(readFile(shallow.proj + "/bin/" + rel), shallow.proj, "<P>"))
        << rel;
}

// A project folder and a class path written with doubled and trailing
// separators (TMPDIR="/tmp/" joined with "/") compile to the same script.
TEST(Compile, DoubledSeparatorsInFoldersGiveTheSameScript) {
  Compiled a("compile-two", "two.as3proj", ";zafrit=false");
  TempDir work;
  Install inst;
  std::string proj = editedFixture(work, "compile-two", "two.as3proj", "<class path=\"src\" />", "<class path=\"src//\" />");
  RunResult r = inst.run({ruvotest::replaceAll(proj, "/", "//") + "//two.as3proj;zafrit=false"});
  EXPECT_EQ(r.out.find("defined twice"), std::string::npos) << r.out;
  std::string ja = ruvotest::replaceAll(a.out("two.max.js"), a.work.path(), "<WORK>");
  std::string jb = ruvotest::replaceAll(readFile(proj + "/bin/h5/two.max.js"), work.path(), "<WORK>");
  ASSERT_FALSE(ja.empty());
  EXPECT_EQ(ja, jb);
}

TEST(Compile, UndefinedNameIsReportedAndStillCompiled) {
  Compiled c("compile-undefined", "undefined.as3proj", ";zafrit=false");
  std::string out = c.stdoutText();
  EXPECT_NE(out.find("MSG,7,"), std::string::npos);
  EXPECT_NE(out.find("foo This variable is not defined."), std::string::npos) << out;
  std::string stars(78, '*');
  EXPECT_EQ(count(out, stars + "\r\n"), 2u);
  EXPECT_NE(out.find("Error or warning message:undefined.max.js\r\n"), std::string::npos);
  std::string js = c.out("undefined.max.js");
  EXPECT_NE(js.find("/*no*/this.foo"), std::string::npos);
  // The warnings close the script as a comment.
  EXPECT_NE(js.find("\r\n\r\n/*\r\n1 file:///"), std::string::npos);
}

TEST(Compile, BaseClassCycleIsOneErrorAndTheRunGoesOn) {
  Compiled c("compile-cycle", "cycle.as3proj", ";zafrit=false");
  EXPECT_EQ(c.run.exitCode, 0);
  EXPECT_NE(c.run.out.find("MSG,14,"), std::string::npos) << c.run.out;
  ASSERT_TRUE(c.has("cycle.max.js"));
  if (!ruvotest::haveNode()) return;
  RunResult n = c.node("cycle.max.js");
  EXPECT_NE(n.out.find("still runs"), std::string::npos) << n.err;
}

TEST(Compile, UnwritableScriptIsReportedNotSaved) {
  TempDir work;
  Install inst;
  std::string proj = work / "proj";
  ruvotest::copyFixture("compile-hello", proj);
  // A folder where the script should go: it cannot be written.
  std::filesystem::create_directories(proj + "/bin/h5/hello.max.js");
  RunResult r = inst.run({proj + "/hello.as3proj;zafrit=false"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out.find("MSG,12,"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("MSG,7,"), std::string::npos);
  EXPECT_NE(r.out.find("MSG,14,"), std::string::npos);
}

// A compile killed while it wrote its script leaves a temporary file in the
// output folder; the next compile of the project removes it. A temporary
// file of a process that still runs stays.
TEST(Compile, NextCompileRemovesWhatAKilledOneLeft) {
  TempDir work;
  Install inst;
  std::string proj = work / "proj";
  ruvotest::copyFixture("compile-hello", proj);
  const std::string stale = proj + "/bin/h5/hello.max.js.ruvotmp-" + std::to_string(ruvotest::endedProcessId());
  const std::string running = proj + "/bin/h5/hello.max.js.ruvotmp-" + std::to_string(ruvotest::runningProcessId());
  ruvotest::writeFile(stale, "var half");
  ruvotest::writeFile(running, "running");
  RunResult r = inst.run({proj + "/hello.as3proj;zafrit=false"});
  EXPECT_NE(r.out.find("MSG,12,"), std::string::npos) << r.out;
  EXPECT_FALSE(ruvotest::fileExists(stale));
  EXPECT_TRUE(ruvotest::fileExists(running));
  EXPECT_EQ(r.out.find("ruvotmp"), std::string::npos) << r.out;
}

TEST(Compile, LibraryOnWritesTheHeaderTexts) {
  Compiled c("compile-hello", "hello.as3proj", "");
  ASSERT_TRUE(c.has("hello.max.js")) << c.run.out;
  std::string js = c.out("hello.max.js");
  EXPECT_NE(js.find("window.zafrit"), std::string::npos);
  EXPECT_NE(js.find(",__bind=VENDRIX.bind;\r\n"), std::string::npos);
  EXPECT_NE(js.find("\tvar RUVOFNVOID=function(){};\r\n"), std::string::npos);
  EXPECT_NE(js.find("\r\n\tRuvo.Main(function(){"), std::string::npos);
}

// The page opened from disk in headless Chromium: the program's trace lines
// reach the browser's console.
TEST(Compile, PageRunsInChromium) {
#ifdef _WIN32
  GTEST_SKIP() << "the page is opened in Linux's Chromium by the native build only";
#endif
  const std::string chromium = "/usr/bin/chromium";
  if (!ruvotest::fileExists(chromium)) GTEST_SKIP() << "chromium is not installed (.ci/run installs it)";
  Compiled c("compile-hello", "hello.as3proj", ";zafrit=false");
  ASSERT_TRUE(c.has("hello.max.html"));
  TempDir profile;
  RunResult r = ruvotest::runProgram(
      chromium,
      {"--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking", "--disable-component-update",
       "--disable-sync", "--disable-quic", "--no-first-run", "--user-data-dir=" + profile.path(),
       "--enable-logging=stderr", "--v=0", "--virtual-time-budget=3000", "--dump-dom",
       "file://" + c.proj + "/bin/h5/hello.max.html"},
      c.proj);
  bool seen = false;
  size_t start = 0;
  while (start < r.err.size()) {
    size_t end = r.err.find('\n', start);
    if (end == std::string::npos) end = r.err.size();
    std::string line = r.err.substr(start, end - start);
    if (line.find("CONSOLE") != std::string::npos && line.find("\"hi\"") != std::string::npos) seen = true;
    start = end + 1;
  }
  EXPECT_TRUE(seen) << r.err;
}

// A module.def whose main entry is followed by a broken entry: the engine
// module never registers, yet the core, the classes and the main call reach
// the script the page loads, and it runs.
TEST(Compile, BrokenModuleDefStillWritesWhatThePageLoads) {
  TempDir work;
  Install inst;
  std::string proj = work / "proj";
  ruvotest::copyFixture("compile-hello", proj);
  ruvotest::writeFile(proj + "/module.def", "mainmodule \"game\" path \"src\"\nmodule \"broken\" path \"lib\n");
  RunResult r = inst.run({proj + "/hello.as3proj;zafrit=false"});
  EXPECT_NE(r.out.find("ModuleDef  err\r\n"), std::string::npos) << r.out;
  std::string page = readFile(proj + "/bin/h5/hello.max.html");
  ASSERT_NE(page.find("<script src='hello.max.js'"), std::string::npos);
  std::string js = readFile(proj + "/bin/h5/hello.max.js");
  EXPECT_EQ(count(js, "var Ruvo=window.Ruvo=(function(window,document){"), 1u);
  EXPECT_EQ(count(js, "\tnew Main();"), 1u);
  if (!ruvotest::haveNode()) return;
  RunResult n = ruvotest::runNode(ruvotest::sourceDir() + "/examples/run-in-node.js", {proj + "/bin/h5/hello.max.js"});
  EXPECT_EQ(n.out, "hi\n") << n.err;
}

// Progress messages are thinned to about a hundred per phase: with 250
// files every second file is announced; every file is still compiled (the
// all-library option keeps files that nothing uses in the script).
TEST(Compile, ProgressMessagesAreThinned) {
  TempDir work;
  Install inst;
  std::string proj = work / "proj";
  ruvotest::copyFixture("compile-hello", proj);
  for (int i = 0; i < 249; ++i) {
    std::string name = "C" + std::to_string(1000 + i);
    ruvotest::writeFile(proj + "/src/many/" + name + ".as",
                        "package many\n{\n\tpublic class " + name + "\n\t{\n\t}\n}\n");
  }
  RunResult r = inst.run({proj + "/hello.as3proj;chromerun=false;outalllib=true;zafrit=false"});
  EXPECT_EQ(count(r.out, "\nMSG,3,"), 125u);
  EXPECT_EQ(count(r.out, "\nMSG,5,"), 125u);
  std::string js = readFile(proj + "/bin/h5/hello.max.js");
  EXPECT_EQ(count(js, "\n//class many.C"), 249u);
}

// Files holding interfaces come before the files of classes in the script
// (all files kept with the all-library option).
TEST(Compile, InterfaceFilesComeFirst) {
  TempDir work;
  Install inst;
  std::string proj = work / "proj";
  ruvotest::copyFixture("compile-hello", proj);
  ruvotest::writeFile(proj + "/src/shapes/IShape.as",
                      "package shapes\n{\n\tpublic interface IShape\n\t{\n\t\tfunction area():Number;\n\t}\n}\n");
  ruvotest::writeFile(proj + "/src/shapes/Square.as",
                      "package shapes\n{\n\tpublic class Square implements IShape\n\t{\n"
                      "\t\tpublic function area():Number { return 4; }\n\t}\n}\n");
  RunResult r = inst.run({proj + "/hello.as3proj;chromerun=false;outalllib=true;zafrit=false"});
  std::string js = readFile(proj + "/bin/h5/hello.max.js");
  size_t iface = js.find("Ruvo.interface('shapes.IShape');");
  size_t square = js.find("//class shapes.Square");
  ASSERT_NE(iface, std::string::npos);
  ASSERT_NE(square, std::string::npos);
  EXPECT_LT(iface, square);
  if (!ruvotest::haveNode()) return;
  RunResult n = ruvotest::runNode(ruvotest::sourceDir() + "/examples/run-in-node.js", {proj + "/bin/h5/hello.max.js"});
  EXPECT_EQ(n.out, "hi\n") << n.err;
}

// Two compiles started at once from one install folder: the log keeps each
// run's lines together, whole, and without the holes that one run emptying
// the file under the other would leave.
TEST(Compile, TwoCompilesKeepTheirLogLinesTogether) {
  Install inst;
  TempDir work;
  const int kNames = 20000;
  std::string body = "package{public class Main{public function Main(){\n";
  for (int i = 0; i < kNames; ++i) body += "trace(foo" + std::to_string(i) + ");\n";
  body += "}}}\n";
  for (const char* name : {"A", "B"}) {
    ruvotest::copyFixture("compile-undefined", work / name);
    ruvotest::writeFile(work / (std::string(name) + "/src/Main.as"), body);
  }
  int overlapped = 0;
  for (int attempt = 0; attempt < 3; ++attempt) {
    RunResult a, b;
    std::thread first([&] { a = inst.run({work / "A/undefined.as3proj;zafrit=false"}); });
    std::thread second([&] { b = inst.run({work / "B/undefined.as3proj;zafrit=false"}); });
    first.join();
    second.join();
    ASSERT_NE(a.out.find("MSG,14,"), std::string::npos);
    ASSERT_NE(b.out.find("MSG,14,"), std::string::npos);
    // The run that found the log in use adds its lines once the other ended.
    const bool shared = (a.err + b.err).find("another run is writing") != std::string::npos;
    overlapped += shared ? 1 : 0;
    std::string log = inst.debugTxt();
    for (int wait = 0; shared && wait < 100 && count(log, "\n14,") < 2; ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      log = inst.debugTxt();
    }
    ASSERT_EQ(log.find('\0'), std::string::npos) << "attempt " << attempt;
    // The run each line belongs to, where the line names one of the projects.
    std::string runs;
    std::map<char, int> lines;
    size_t start = 0;
    while (start < log.size()) {
      size_t end = log.find('\n', start);
      if (end == std::string::npos) end = log.size();
      const std::string line = log.substr(start, end - start);
      start = end + 1;
      const bool inA = line.find(work / "A/") != std::string::npos;
      const bool inB = line.find(work / "B/") != std::string::npos;
      ASSERT_FALSE(inA && inB) << "two runs in one line: " << line.substr(0, 300);
      if (!inA && !inB) continue;
      const char run = inA ? 'A' : 'B';
      ++lines[run];
      if (runs.empty() || runs.back() != run) runs += run;
    }
    EXPECT_LE(runs.size(), 2u) << "attempt " << attempt << ": the runs follow each other as " << runs.substr(0, 40);
    for (const auto& [run, count] : lines) EXPECT_GE(count, 2 * kNames) << run;
    if (shared) {
      EXPECT_EQ(lines.size(), 2u);
    }
  }
  EXPECT_GT(overlapped, 0) << "the two compiles never ran at the same time";
}

// A project naming its main file in another case than on disk
// (SRC/main.as for src/Main.as): the Windows build, whose file names compare
// without case, finds it and starts it; elsewhere the file is missing and
// the run says so. Never a script that silently starts nothing.
TEST(Compile, MainFileNamedInAnotherCase) {
  TempDir work;
  Install inst;
  std::string proj = editedFixture(work, "compile-hello", "hello.as3proj", "src/Main.as", "SRC/main.as");
  RunResult r = inst.run({proj + "/hello.as3proj;zafrit=false"});
  EXPECT_EQ(r.exitCode, 0);
#ifdef _WIN32
  EXPECT_EQ(r.out.find("MSG,7,"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Main Class:" + proj + "/src/Main.as"), std::string::npos) << r.out;
  std::string js = readFile(proj + "/bin/h5/hello.max.js");
  EXPECT_EQ(count(js, "\tnew Main();"), 1u);
#else
  EXPECT_NE(r.out.find("MSG,7,0.00,,0,No Document Class\n"), std::string::npos) << r.out;
  EXPECT_FALSE(ruvotest::fileExists(proj + "/bin/h5/hello.max.js"));
#endif
}

// A main file outside the source folders is read for its directives but
// never compiled: the run reports it instead of writing a script without
// its start call.
TEST(Compile, MainFileOutsideTheSourceFoldersIsReported) {
  TempDir work;
  Install inst;
  std::string proj = editedFixture(work, "compile-hello", "hello.as3proj", "src/Main.as", "other/Main.as");
  ruvotest::writeFile(proj + "/other/Main.as", readFile(proj + "/src/Main.as"));
  ruvotest::writeFile(proj + "/src/Main.as", "package\n{\n\tpublic class Helper\n\t{\n\t}\n}\n");
  RunResult r = inst.run({proj + "/hello.as3proj;zafrit=false"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("," + proj + "/other/Main.as,0,Main class file not compiled:" + proj + "/other/Main.as\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(readFile(proj + "/bin/h5/hello.max.js").find("new Main()"), std::string::npos);
}

// A source file is read whole: a 0x1A byte in a comment (the end of a file to
// a text-mode read on Windows) loses nothing after it.
TEST(Compile, ByteOneAInACommentLosesNothing) {
  TempDir work;
  Install inst;
  std::string proj = work / "proj";
  ruvotest::copyFixture("compile-two", proj);
  std::string counter = readFile(proj + "/src/game/Counter.as");
  ruvotest::writeFile(proj + "/src/game/Counter.as", "// saved by an old editor \x1A\r\n" + counter);
  RunResult r = inst.run({proj + "/two.as3proj;zafrit=false"});
  std::string js = readFile(proj + "/bin/h5/two.max.js");
  EXPECT_NE(js.find("game.Counter"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("MSG,7,"), std::string::npos) << r.out;
}
