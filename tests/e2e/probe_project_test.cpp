// Whole game projects as studios lay them out, compiled by the real program
// and run in node through the page it writes: several packages, package
// functions and constants in files of their own, -define constants from the
// project file, and a module.def that splits the output into module scripts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"

using ruvotest::Install;
using ruvotest::readFile;
using ruvotest::RunResult;
using ruvotest::TempDir;

namespace {

// Loads the scripts of a written page in the page's order, as a browser would
// (an address's %XX escapes name the file's bytes), with the browser's window
// and document provided.
const char kPageRunner[] =
    "'use strict';\n"
    "const fs = require('fs');\n"
    "const path = require('path');\n"
    "const vm = require('vm');\n"
    "globalThis.window = globalThis;\n"
    "globalThis.document = { getElementById() { return null; }, createElement() { return {}; } };\n"
    "const page = process.argv[2];\n"
    "const srcs = [...fs.readFileSync(page, 'utf8').matchAll(/<script src='([^']*)'/g)].map(m => m[1]);\n"
    "console.log('scripts: ' + srcs.join(' '));\n"
    "for (const src of srcs) {\n"
    "  const file = path.join(path.dirname(page), decodeURIComponent(src));\n"
    "  vm.runInThisContext(fs.readFileSync(file, 'utf8'), { filename: file });\n"
    "}\n";

struct Compiled {
  TempDir work;
  Install inst;
  std::string proj;
  RunResult run;

  Compiled(const std::string& fixture, const std::string& projectFile, const std::string& options = ";zafrit=false") {
    proj = work / "proj";
    ruvotest::copyFixture(fixture, proj);
    run = inst.run({proj + "/" + projectFile + options});
  }
  // Runs the page's scripts in node; empty output when node is missing.
  RunResult runPage(const std::string& page) {
    ruvotest::writeFile(work / "page-runner.js", kPageRunner);
    return ruvotest::runNode(work / "page-runner.js", {proj + "/bin/h5/" + page});
  }
};

}  // namespace

// A release build (the default without the library) keeps only the files the
// main class uses: package constants reached through a wildcard or a single
// import, functions of the main class's own package called by their short
// name, and a package variable read through one of its members all have to
// count as used, or the names they define are missing when the game runs; a
// constant of the unnamed package is seen from every package, and a wildcard
// import names the classes of its own package before those of its sub-packages.
// The constants of the project file come from FlashDevelop's escaped form:
// entries joined by &#xA; and string values quoted with &quot;; a constant
// in front of a declaration keeps or drops the whole declaration. An include
// may name a file outside the source folders. The same sources saved on
// Windows (a UTF-8 byte order mark, CR LF line ends) give the same game.
TEST(ProbeProject, PackagesOfAGameRunFromThePage) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  for (bool windowsSaved : {false, true}) {
    SCOPED_TRACE(windowsSaved ? "BOM and CR LF" : "as written");
    Compiled c("probe-project-packages", "packages.as3proj");
    if (windowsSaved) {
      for (const std::string& rel : ruvotest::listFiles(c.proj)) {
        if (rel.size() < 3 || rel.compare(rel.size() - 3, 3, ".as") != 0) continue;
        const std::string path = c.proj + "/" + rel;
        ruvotest::writeFile(path, "\xEF\xBB\xBF" + ruvotest::replaceAll(readFile(path), "\n", "\r\n"));
      }
      c.run = c.inst.run({c.proj + "/packages.as3proj;zafrit=false"});
    }
    ASSERT_EQ(c.run.exitCode, 0);
    EXPECT_EQ(c.run.out.find("MSG,7,"), std::string::npos) << c.run.out;
    const std::string js = readFile(c.proj + "/bin/h5/packages.max.js");
    EXPECT_NE(js.find("utils.MAX_LEVEL = 99;"), std::string::npos);
    EXPECT_NE(js.find("com.studio.game.describe=function(h){"), std::string::npos);
    EXPECT_NE(js.find("var version='1.2';"), std::string::npos);

    RunResult node = c.runPage("packages.max.html");
    EXPECT_EQ(node.exitCode, 0) << node.err;
    EXPECT_EQ(node.out,
              "scripts: packages.max.js\n"
              "0.8\n"
              "100\n"
              "100\n"
              "hp=100/100\n"
              "meadow 2\n"
              "Hero(100)\n"
              "1\n"
              "50%\n"
              "[sword L3]\n"
              "10 99 16\n"
              "true\n"
              "core.Service\n"
              "42\n"
              "debug block\n"
              "1.2 b7 6\n"
              "Quest 3\n"
              "2 dbg undefined\n"
              "dl\n"
              "[log] 11 12.5\n"
              "ui.Button\n");
  }
}

// With a main module the main script is not written as a file of its own: the
// page loads the main module's script, which carries the runtime core, and
// then the other module scripts, whose classes build on it.
TEST(ProbeProject, ModuleScriptsRunInThePagesOrder) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  Compiled c("probe-project-modules", "modules.as3proj");
  ASSERT_EQ(c.run.exitCode, 0);
  EXPECT_FALSE(ruvotest::fileExists(c.proj + "/bin/h5/modules.max.js"));
  ASSERT_TRUE(ruvotest::fileExists(c.proj + "/bin/h5/js/game.js")) << c.run.out;
  ASSERT_TRUE(ruvotest::fileExists(c.proj + "/bin/h5/js/levels.js")) << c.run.out;
  const std::string page = readFile(c.proj + "/bin/h5/modules.max.html");
  EXPECT_NE(page.find("background-color: #000;'>\r\n"
                      "<script src='js/game.js' loader='ruvo'></script>\r\n"
                      "<script src='js/levels.js' loader='ruvo'></script>\r\n"
                      "</body>\r\n</html>"),
            std::string::npos)
      << page;
  EXPECT_EQ(readFile(c.proj + "/bin/h5/index.html"), page);

  RunResult node = c.runPage("modules.max.html");
  EXPECT_EQ(node.exitCode, 0) << node.err;
  EXPECT_EQ(node.out,
            "scripts: js/game.js js/levels.js\n"
            "boot 0\n"
            "dark level forest\n");
}

// Where file names compare without case (Windows), module.def may name its
// folders in another case than the disk: each module still takes the files
// of its folder, and the scripts are those of a module.def in the disk's
// case. Elsewhere such a folder is another folder.
TEST(ProbeProject, ModuleFoldersNamedInAnotherCase) {
#ifndef _WIN32
  GTEST_SKIP() << "file names compare with their case on this system";
#endif
  Compiled exact("probe-project-modules", "modules.as3proj");
  TempDir work;
  Install inst;
  const std::string proj = work / "proj";
  ruvotest::copyFixture("probe-project-modules", proj);
  ruvotest::writeFile(proj + "/module.def", "mainmodule \"game\" path \"SRC/Game\"\nmodule \"levels\" path \"src/LEVELS\"\n");
  RunResult r = inst.run({proj + "/modules.as3proj;zafrit=false"});
  ASSERT_EQ(r.exitCode, 0);
  const std::string levels = readFile(proj + "/bin/h5/js/levels.js");
  EXPECT_NE(levels.find("'levels.Forest'"), std::string::npos) << levels;
  EXPECT_EQ(readFile(proj + "/bin/h5/js/game.js").find("levels.Forest"), std::string::npos);
  for (const char* script : {"js/game.js", "js/levels.js"})
    EXPECT_EQ(ruvotest::replaceAll(readFile(proj + "/bin/h5/" + script), proj, "<P>"),
              ruvotest::replaceAll(readFile(exact.proj + "/bin/h5/" + script), exact.proj, "<P>"))
        << script;
}

// A game's loader written with await:: calls. The engine supplies Ruvo.await;
// here it resumes the continuation a little later, and a fake request
// returns the value holder whose getValue() gives the loaded data. A loop
// that never finishes is stopped after three seconds.
namespace {
const char kAsyncRunner[] =
    "'use strict';\n"
    "const fs = require('fs');\n"
    "const vm = require('vm');\n"
    "globalThis.window = globalThis;\n"
    "globalThis.document = { getElementById() { return null; }, createElement() { return {}; } };\n"
    "setTimeout(() => { console.log('still running'); process.exit(3); }, 3000).unref();\n"
    "let pending = null;\n"
    "globalThis.later = function (v) {\n"
    "  const resume = pending; pending = null;\n"
    "  setTimeout(() => { if (resume) resume(); }, 2);\n"
    "  return { getValue() { return v; } };\n"
    "};\n"
    "const src = fs.readFileSync(process.argv[2], 'utf8');\n"
    "const end = src.indexOf('})(window,document);') + '})(window,document);'.length;\n"
    "vm.runInThisContext(src.slice(0, end), { filename: process.argv[2] });\n"
    "Ruvo.await = function (self, next, line) { pending = () => next.call(self, line); };\n"
    "vm.runInThisContext(src.slice(end), { filename: process.argv[2] });\n";
}  // namespace

// Resumed inside a loop, a for loop goes on with its variable as it was
// (its init does not run again and its condition is not tested before the
// rest of the body), and for-in and for each loops go on after the key they
// stopped at. Loops without awaited calls in such a function keep their
// loop variable, an object literal stays one expression, and the project's
// constants keep or drop blocks and declarations around awaited calls.
TEST(ProbeProject, AsyncLoaderResumesInsideLoops) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  Compiled c("probe-project-async", "async.as3proj");
  ASSERT_EQ(c.run.exitCode, 0);
  EXPECT_EQ(c.run.out.find("MSG,7,"), std::string::npos) << c.run.out;
  const std::string script = c.proj + "/bin/h5/async.max.js";
  const std::string js = readFile(script);
  // for (var i:int = 0; i < 3; i++) with an awaited call in its body, at line 22.
  EXPECT_NE(js.find("if(__line<22){i=0;}"), std::string::npos);
  EXPECT_NE(js.find("for (;__line<22 && (i < 3)|| __line>=22 && __line<27;i++){"), std::string::npos);
  EXPECT_EQ(js.find("skipped"), std::string::npos);
  EXPECT_EQ(js.find("release after wait"), std::string::npos);

  ruvotest::writeFile(c.work / "async-runner.js", kAsyncRunner);
  RunResult node = ruvotest::runNode(c.work / "async-runner.js", {script});
  EXPECT_EQ(node.exitCode, 0) << node.err;
  EXPECT_EQ(node.out,
            "boot start\n"
            "request level1\n"
            "constructor done\n"
            "level level1 6\n"
            "request part0\n"
            "request part1\n"
            "request part2\n"
            "waited\n"
            "loaded level1,part0,part1,part2\n"
            "request x\n"
            "request yy\n"
            "total 3\n"
            "grid 2,0\n"
            "grid 2,1\n"
            "grid 1,0\n"
            "grid 1,1\n"
            "w 1\n"
            "w 2\n"
            "all done\n"
            "load a.png\n"
            "load b.png\n"
            "load c.png\n"
            "each done a.png,b.png,c.png c.png\n"
            "request xx\n"
            "key x\n"
            "request yy\n"
            "key y\n"
            "sum 4\n"
            "plain 1\n"
            "plain 2\n"
            "plain key only\n"
            "end 2 only\n"
            "debug after wait\n"
            "configured kept\n");
}

// Mistakes in a project's files are reported to the IDE as type-7 lines with
// the file and the line (counted from 0, as every line of these messages):
// an include whose file does not exist (an error), and a stray copy of a
// class file, whose class is then defined twice (a warning).
TEST(ProbeProject, ProjectMistakesAreReported) {
  struct Row {
    const char* name;
    void (*change)(const std::string& proj);
    const char* file;  // relative to the project
    int line;
    const char* text;  // <PROJ> stands for the project folder
  };
  const Row rows[] = {
      {"missing include",
       [](const std::string& proj) {
         const std::string main = proj + "/src/com/studio/game/Main.as";
         ruvotest::writeFile(main, ruvotest::replaceAll(readFile(main), "include \"inc/helpers.as\";",
                                                        "include \"inc/helpers.as\";\n\t\tinclude \"inc/gone.as\";"));
       },
       "src/com/studio/game/Main.as", 14, "Include file not found: <PROJ>/src/com/studio/game/inc/gone.as"},
      {"class file copied",
       [](const std::string& proj) {
         ruvotest::writeFile(proj + "/src/model/Item - Copy.as", readFile(proj + "/src/model/Item.as"));
       },
       "src/model/Item.as", 2,
       "Class model.Item is defined twice: <PROJ>/src/model/Item - Copy.as and <PROJ>/src/model/Item.as"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Compiled c("probe-project-packages", "packages.as3proj");
    row.change(c.proj);
    RunResult again = c.inst.run({c.proj + "/packages.as3proj;zafrit=false"});
    EXPECT_EQ(again.exitCode, 0);
    const std::string line = "," + c.proj + "/" + row.file + "," + std::to_string(row.line) + "," +
                             ruvotest::replaceAll(row.text, "<PROJ>", c.proj) + "\n";
    // MSG,7,<progress>,<file>,<line>,<text>
    const size_t at = again.out.find(line);
    ASSERT_NE(at, std::string::npos) << line << "\n" << again.out;
    const size_t start = again.out.rfind('\n', at);
    EXPECT_EQ(again.out.compare(start + 1, 6, "MSG,7,"), 0) << again.out.substr(start + 1, at - start);
  }
}

// A library folder outside the project with a module.txt is a module script
// of its own, and with ";outruvo=true" a folder outside the project without
// one becomes the engine script, which carries the runtime core: the page
// loads the engine script, then the library module, then the game. A
// module.txt that names the module without quotes, as an editor saves it
// (with a line end, perhaps a byte-order mark), names the same script.
TEST(ProbeProject, LibraryModuleLoadsBetweenEngineAndGame) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  for (const char* moduleText : {"", "commonlib\r\n", "\xEF\xBB\xBF commonlib\n"}) {
    SCOPED_TRACE(moduleText);
    TempDir work;
    Install inst;
    ruvotest::copyFixture("probe-project-libmodule", work.path());
    if (*moduleText) ruvotest::writeFile(work / "common/module.txt", moduleText);
    RunResult run = inst.run({work / "proj/game.as3proj;zafrit=false;outruvo=true"});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("MSG,12,76.67," + work / "proj/bin/h5/commonlib.js,"), std::string::npos) << run.out;
    EXPECT_EQ(ruvotest::listFiles(work / "proj/bin/h5"),
              (std::vector<std::string>{"commonlib.js", "game.max.html", "game.max.js", "index.html", "ruvo.js"}));
    ruvotest::writeFile(work / "page-runner.js", kPageRunner);
    RunResult node = ruvotest::runNode(work / "page-runner.js", {work / "proj/bin/h5/game.max.html"});
    EXPECT_EQ(node.exitCode, 0) << node.err;
    EXPECT_EQ(node.out,
              "scripts: ruvo.js commonlib.js game.max.js\n"
              "boot 1\n"
              "<play>\n");
  }
}

// A project named as people name games ("Tom's Quest #2"): its page loads
// the script of that name, the quote and the '#' written as escapes, which
// would otherwise end the address.
TEST(ProbeProject, PageLoadsAScriptWhoseNameHasAQuoteAndAHash) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  Compiled c("compile-hello", "hello.as3proj");
  const std::string project = c.proj + "/Tom's Quest #2.as3proj";
  ruvotest::writeFile(project, readFile(c.proj + "/hello.as3proj"));
  RunResult run = c.inst.run({project + ";zafrit=false"});
  ASSERT_EQ(run.exitCode, 0);
  RunResult node = c.runPage("Tom's Quest #2.max.html");
  EXPECT_EQ(node.exitCode, 0) << node.err;
  EXPECT_EQ(node.out, "scripts: Tom%27s Quest %232.max.js\nhi\n");
}
