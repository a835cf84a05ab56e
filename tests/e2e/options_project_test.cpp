// End-to-end runs of the project set-up: the project command with its option
// literals, Flash Builder and FlashDevelop projects, the main-class
// directives, module.def, and project files that cannot be used.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "harness.h"

using namespace ruvotest;

namespace {

// A fixture copied into its own work folder, and the program installed
// beside it; absolute paths in the output become <WORK> and <INSTALL>.
struct Project {
  Install install;
  TempDir work;

  explicit Project(const std::string& fixture) {
    if (fixture.empty()) return;
    copyFixture(fixture, work.path());
    // The workspace list names the documents folder inside the work folder.
    std::string prefs = work.path() +
                        "/home/Documents/Adobe Flash Builder 4.7/cascaded/workspace1/configuration/.settings/"
                        "org.eclipse.ui.ide.prefs";
    if (fileExists(prefs)) writeFile(prefs, replaceAll(readFile(prefs), "=/ruvo-docs", "=" + work.path() + "/ruvo-docs"));
  }
  RunResult run(const std::vector<std::string>& args) const {
    return install.run(args, work.path(), {{"HOME", work.path() + "/home"}});
  }
  std::string paths(const std::string& text) const {
    return replaceAll(replaceAll(text, work.path(), "<WORK>"), install.root(), "<INSTALL>");
  }
};

const char kBanner[] = "0.00% Ruvo:Ruvo MIROX Compiler[Ver 2017090801] start...\r\n";

// Both lines of a type-1 message.
std::string info(const std::string& text) { return "1,0.00,,0," + text + "\r\nMSG,1,0.00,,0," + text + "\n"; }

}  // namespace

// A project whose main application file does not exist: the run reports the
// output folder, then "No Document Class", ends, and writes nothing.
TEST(OptionsProject, FlashBuilderRunStopsAtNoDocumentClass) {
  Project p("options-fb-nodoc");
  std::vector<std::string> before = listFiles(p.work.path());
  RunResult r = p.run({p.work / "proj/.actionScriptProperties;subpath=web"});
  EXPECT_EQ(r.exitCode, 0);
  std::string out = p.paths(r.out);
  EXPECT_EQ(checkGolden("options-fb-nodoc", "stdout.txt", out), "");
  EXPECT_EQ(out, std::string(kBanner) + info("Project command:<WORK>/proj/.actionScriptProperties;subpath=web") +
                     "\r\nQuick Compile:false\r\n"
                     "Project configuration:<WORK>/proj/.actionScriptProperties.\r\n" +
                     info("output path:<WORK>/proj/bin-debug/web/") +
                     "7,0.00,,0,No Document Class\r\nMSG,7,0.00,,0,No Document Class\n"
                     "14,0.00,,0,\r\nMSG,14,0.00,,0,\n");
  EXPECT_EQ(listFiles(p.work.path()), before);
  EXPECT_FALSE(fileExists(p.work / "proj/bin-debug"));
  // The log holds the same lines as the console, without the progress and MSG lines.
  EXPECT_EQ(p.paths(p.install.debugTxt()),
            "1,0.00,,0,Project command:<WORK>/proj/.actionScriptProperties;subpath=web\r\n"
            "Project configuration:<WORK>/proj/.actionScriptProperties.\r\n"
            "1,0.00,,0,output path:<WORK>/proj/bin-debug/web/\r\n"
            "7,0.00,,0,No Document Class\r\n"
            "14,0.00,,0,\r\n");
}

// A whole Flash Builder set-up: output folder in the documents folder of
// Flash Builder (found through the workspace list under HOME), source path
// entries with ${PARENT-1-PROJECT_LOC} and ${DOCUMENTS}, the constants, the
// stage size and the directives of the main class.
TEST(OptionsProject, FlashBuilderProjectGolden) {
  Project p("options-fb");
  RunResult r = p.run({p.work / "proj/.actionScriptProperties;outruvo=true;subpath=web"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(checkGolden("options-fb", "stdout.txt", p.paths(r.out)), "");
}

// The same project where no Flash Builder workspace list gives the documents
// folder: standard error says so once, for the output folder and the source
// path entry that name it, and the compile goes on.
TEST(OptionsProject, UnknownDocumentsFolderIsSaid) {
  Project p("options-fb");
  RunResult r = p.install.run({p.work / "proj/.actionScriptProperties;zafrit=false"}, p.work.path(),
                              {{"HOME", p.work / "no-home"}});
  EXPECT_EQ(r.exitCode, 0);
  const std::string said =
      "ruvojs: the Flash Builder documents folder (${DOCUMENTS}) is not known: no recent workspace of Flash Builder "
      "4.5, 4.6 or 4.7 is listed under the home folder's Documents\n";
  EXPECT_EQ(r.err.substr(0, said.size()), said);
  EXPECT_EQ(r.err.find(said, 1), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("MSG,14,"), std::string::npos) << r.out;
}

// Each option literal counts only as written, after the project file; the
// visible ones are checked here through what the run prints.
TEST(OptionsProject, OptionLiteralsTable) {
  struct Row {
    const char* options;
    std::vector<std::string> present;
    std::vector<std::string> absent;
  };
  const std::vector<Row> rows = {
      {"",
       {"output path:<WORK>/ruvo-docs/workspace/site/h5/", "Compile Path:<INSTALL>/libs/zafrit/src/\r\n"},
       {"Quick Compile"}},
      {";subpath=web", {"output path:<WORK>/ruvo-docs/workspace/site/web/", "\r\nQuick Compile:false\r\n"}, {}},
      {";quickcompile=true", {"\r\nQuick Compile:true\r\n"}, {}},
      {";quickcompile=true;ts=true;", {"\r\nQuick Compile:false\r\n"}, {}},
      {";ts=true;quickcompile=true", {"\r\nQuick Compile:false\r\n"}, {}},
      // Without its closing ';' the TypeScript literal is not there.
      {";quickcompile=true;ts=true", {"\r\nQuick Compile:true\r\n"}, {}},
      {";onlyruvoplayer=true", {"\nOnly run in Ruvo.Player;\r\n"}, {}},
      {";PostBuildCommand=make all;chromerun=false", {"\r\nPost build command:make all\r\n"}, {}},
      {";zafrit=false", {"Compile Path:<WORK>/proj/src/"}, {"<INSTALL>/libs/zafrit/src/"}},
      {";zafritlib=mylibs", {"Compile Path:<INSTALL>/mylibs/zafrit/src/\r\n"}, {"<INSTALL>/libs/zafrit"}},
      {";chromerun=false;outruvo=true",
       {"outruvo=true includeFlash=true \r\n", "AddJsModule <INSTALL>/libs/zafrit/src/:\r\n"},
       {}},
      // First among the options: the engine module is still added, silently.
      {";outruvo=true", {"AddJsModule <INSTALL>/libs/zafrit/src/:\r\n"}, {"includeFlash"}},
      {";chromerun=false;outruvo=true;zafrit=false", {"outruvo=true includeFlash=false \r\n"}, {"AddJsModule"}},
      {";msgbox=true;starthtml=;WXApp=x;enableDic=false;closures=false;outalllib=true",
       {"\r\nQuick Compile:false\r\n", "Main Class:<WORK>/proj/src/game/Main.as"},
       {}},
  };
  Project p("options-fb");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.options);
    RunResult r = p.run({p.work / "proj/.actionScriptProperties" + row.options});
    EXPECT_EQ(r.exitCode, 0);
    std::string out = p.paths(r.out);
    for (const std::string& text : row.present) EXPECT_NE(out.find(text), std::string::npos) << text << "\n" << out;
    for (const std::string& text : row.absent) EXPECT_EQ(out.find(text), std::string::npos) << text << "\n" << out;
    EXPECT_EQ(r.err.find("one of the options"), std::string::npos) << r.err;
    // The set-up went through to the directives of the main class.
    EXPECT_NE(out.find("MSG,1,0.00,,0,Compiler options:release\n"), std::string::npos) << out;
  }
}

// "type=compile:" takes a project file and a library folder; option
// literals after them are not read.
TEST(OptionsProject, CompileCommandReadsNoOptionLiterals) {
  Project p("options-fb");
  RunResult r = p.run({"type=compile:" + p.work / "proj/.actionScriptProperties;" + p.work.path() +
                       "/mylib;quickcompile=true;subpath=web;zafrit=false"});
  EXPECT_EQ(r.exitCode, 0);
  std::string out = p.paths(r.out);
  EXPECT_EQ(out.find("Quick Compile"), std::string::npos) << out;
  // The absolute library folder stays as given; the sub-path keeps its default.
  EXPECT_NE(out.find("Compile Path:<WORK>/mylib/\r\n"), std::string::npos) << out;
  EXPECT_NE(out.find("output path:<WORK>/ruvo-docs/workspace/site/h5/"), std::string::npos) << out;
  EXPECT_NE(out.find("Compiler options:release"), std::string::npos) << out;
}

// A project file that is missing, empty or not a project: one type-7 message
// naming it, the end of the run, and no output folder or file.
TEST(OptionsProject, UnusableProjectFileEndsTheRun) {
  struct Row {
    const char* name;
    const char* file;      // relative to the work folder
    std::optional<std::string> content;  // none: the file does not exist
    std::string expected;  // stdout after the banner, <WORK> for the work folder
    std::string why;       // what standard error says of the file
  };
  const std::string tail = "14,0.00,,0,\r\nMSG,14,0.00,,0,\n";
  const std::vector<Row> rows = {
      {"missing FlashDevelop project", "nothere/game.as3proj", std::nullopt,
       info("Project command:<WORK>/nothere/game.as3proj;subpath=web") + "\r\nQuick Compile:false\r\n" +
           "Project configuration:<WORK>/nothere/game.as3proj.\r\n" + info("output file:game") +
           info("output path:<WORK>/nothere/bin/web/") +
           "7,0.00,,0,Read FB:<WORK>/nothere/game.as3proj\r\n"
           "MSG,7,0.00,,0,Read FB:<WORK>/nothere/game.as3proj\n" +
           tail,
       "does not exist"},
      {"empty FlashDevelop project", "proj/game.as3proj", "",
       info("Project command:<WORK>/proj/game.as3proj;subpath=web") + "\r\nQuick Compile:false\r\n" +
           "Project configuration:<WORK>/proj/game.as3proj.\r\n" + info("output file:game") +
           info("output path:<WORK>/proj/bin/web/") +
           "7,0.00,,0,Read FB:<WORK>/proj/game.as3proj\r\nMSG,7,0.00,,0,Read FB:<WORK>/proj/game.as3proj\n" + tail,
       "is empty"},
      {"FlashDevelop name, other content", "proj/game.as3proj", "<actionScriptProperties version=\"12\">\n",
       info("Project command:<WORK>/proj/game.as3proj;subpath=web") + "\r\nQuick Compile:false\r\n" +
           "Project configuration:<WORK>/proj/game.as3proj.\r\n" + info("output file:game") +
           info("output path:<WORK>/proj/bin/web/") +
           "7,0.00,,0,Read FB:<WORK>/proj/game.as3proj\r\nMSG,7,0.00,,0,Read FB:<WORK>/proj/game.as3proj\n" + tail,
       "holds no <project> element: it is not a FlashDevelop project file"},
      {"missing Flash Builder project", "proj/.actionScriptProperties", std::nullopt,
       info("Project command:<WORK>/proj/.actionScriptProperties;subpath=web") + "\r\nQuick Compile:false\r\n" +
           "Project configuration:<WORK>/proj/.actionScriptProperties.\r\n" +
           "7,0.00,,0,Read FB err:<WORK>/proj/.actionScriptProperties\r\n"
           "MSG,7,0.00,,0,Read FB err:<WORK>/proj/.actionScriptProperties\n" +
           tail,
       "does not exist"},
      {"Flash Builder name, binary content", "proj/.actionScriptProperties",
       "\x7f"
       "ELF\x02\x01",
       info("Project command:<WORK>/proj/.actionScriptProperties;subpath=web") + "\r\nQuick Compile:false\r\n" +
           "Project configuration:<WORK>/proj/.actionScriptProperties.\r\n" +
           "7,0.00,,0,Read FB err:<WORK>/proj/.actionScriptProperties\r\n"
           "MSG,7,0.00,,0,Read FB err:<WORK>/proj/.actionScriptProperties\n" +
           tail,
       "holds no <actionScriptProperties> element: it is not a Flash Builder project file"},
      {"Flash Builder name, UTF-16 content", "proj/.actionScriptProperties",
       std::string("\xFF\xFE<\0a\0c\0", 8),
       info("Project command:<WORK>/proj/.actionScriptProperties;subpath=web") + "\r\nQuick Compile:false\r\n" +
           "Project configuration:<WORK>/proj/.actionScriptProperties.\r\n" +
           "7,0.00,,0,Read FB err:<WORK>/proj/.actionScriptProperties\r\n"
           "MSG,7,0.00,,0,Read FB err:<WORK>/proj/.actionScriptProperties\n" +
           tail,
       "is UTF-16 text (save it as UTF-8)"},
      {"not a project file name", "proj/readme.txt", "<project>\n</project>\n",
       info("Project command:<WORK>/proj/readme.txt;subpath=web") + "\r\nQuick Compile:false\r\n" +
           "Project configuration:<WORK>/proj/readme.txt.\r\n" +
           "7,0.00,,0,Read FB err:<WORK>/proj/readme.txt\r\nMSG,7,0.00,,0,Read FB err:<WORK>/proj/readme.txt\n" + tail,
       "is not a project file: its name must hold .actionScriptProperties or .as3proj"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Project p("");
    if (row.content) writeFile(p.work / row.file, *row.content);
    std::vector<std::string> before = listFiles(p.work.path());
    RunResult r = p.run({p.work / row.file + ";subpath=web"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(p.paths(r.out), kBanner + row.expected);
    const std::string named = row.why.rfind("is not a project file", 0) == 0 ? "" : "the project file ";
    EXPECT_EQ(p.paths(r.err), "ruvojs: " + named + "<WORK>/" + row.file + " " + row.why + "\n");
    EXPECT_EQ(listFiles(p.work.path()), before);
    EXPECT_FALSE(fileExists(p.work / "nothere"));
    EXPECT_FALSE(fileExists(p.work / "proj/bin"));
  }
}

// "type=compile:" with nothing after it names no project file.
TEST(OptionsProject, CompileCommandWithoutProjectFile) {
  Project p("");
  RunResult r = p.run({"type=compile:"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, std::string(kBanner) + info("command type=compile:") + info("Project command:") +
                       "Project configuration:.\r\n"
                       "7,0.00,,0,Read FB err:\r\nMSG,7,0.00,,0,Read FB err:\n"
                       "14,0.00,,0,\r\nMSG,14,0.00,,0,\n");
  EXPECT_EQ(r.err, "ruvojs: no project file is given\n");
  EXPECT_TRUE(listFiles(p.work.path()).empty());
}

// A FlashDevelop project: output name and folder from the project file, the
// class paths in file order, the main module of module.def bringing the
// engine module, and the directives of the main class. A class path that
// names no folder is said on standard error, and the compile goes on; the
// one commented out is not read.
TEST(OptionsProject, FlashDevelopProjectGolden) {
  Project p("options-fd");
  RunResult r = p.run({p.work / "proj/game.as3proj;chromerun=false"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(checkGolden("options-fd", "stdout.txt", p.paths(r.out)), "");
  EXPECT_EQ(r.err, "");

  const std::string project = p.work / "proj/game.as3proj";
  writeFile(project, replaceAll(readFile(project), "<class path=\"..\\gfx\" />",
                                "<class path=\"..\\gfx\" />\n    <class path=\"..\\gone\" />"));
  r = p.run({project + ";chromerun=false"});
  EXPECT_EQ(p.paths(r.err), "ruvojs: the source folder <WORK>/gone does not exist: no class is taken from it\n");
  EXPECT_NE(p.paths(r.out).find("MSG,14,"), std::string::npos) << r.out;
}

// A project as Flash Builder 4.7 writes it (CR LF, library paths, a second
// application, constants and the stage size among other compiler arguments,
// the main class in a package folder and saved with a byte-order mark, a
// source folder beside the project): the script runs as the sources say.
// Its pages are written beside it, also into an absolute output folder path,
// which Flash Builder writes without a closing separator.
TEST(OptionsProject, FlashBuilder47ProjectRuns) {
  if (!haveNode()) GTEST_SKIP() << noNodeReason();
  struct Row {
    const char* name;
    const char* outputFolderPath;  // written into the project file; <WORK> for the work folder
    const char* outputFolder;      // where the files are, relative to the work folder
  };
  const Row rows[] = {
      {"relative output folder", "bin-debug", "proj/bin-debug/h5"},
      {"absolute output folder", "<WORK>/site", "site"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Project p("project-fb47");
    const std::string file = p.work / "proj/.actionScriptProperties";
    writeFile(file, replaceAll(replaceAll(readFile(file), "outputFolderPath=\"bin-debug\"",
                                          std::string("outputFolderPath=\"") + row.outputFolderPath + "\""),
                               "<WORK>", p.work.path()));
    RunResult r = p.run({file + ";zafrit=false"});
    EXPECT_EQ(r.exitCode, 0);
    const std::string out = p.work / row.outputFolder;
    EXPECT_NE(r.out.find("MSG,11,76.67," + out + "/Main.max.html,0,\n"), std::string::npos) << r.out;
    EXPECT_EQ(listFiles(out), (std::vector<std::string>{"Main.max.html", "Main.max.js", "index.html"}));
    RunResult node = runScriptInNode(out + "/Main.max.js");
    EXPECT_EQ(node.exitCode, 0) << node.err;
    // CONFIG::VERSION is the single-quoted string of the arguments; the way
    // round the wall of the grid is 10 steps.
    EXPECT_EQ(node.out, "debug build 1.4.2\nsteps 10\n\xE6\xA0\x87\xE9\xA2\x98: \xE8\xBF\xB7\xE5\xAE\xAB\n");
  }
}

// A project as FlashDevelop 5 writes it (byte-order mark, CR LF, the comments
// of its template, a class path commented out, constants both in the
// additional arguments and in the Compiler Constants box), with a class
// path beside the project whose files end their lines with a lone CR and
// hold Windows-1252 quotes: the script runs as the sources say. The
// definitions lose their blanks ('Dash & Run' is 'Dash&Run'); the pool of
// the commented-out folder is not compiled (it would make 100 objects).
TEST(OptionsProject, FlashDevelop5ProjectRuns) {
  if (!haveNode()) GTEST_SKIP() << noNodeReason();
  Project p("project-fd5");
  RunResult r = p.run({p.work / "Game/Game.as3proj;zafrit=false"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out.find("MSG,7,"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("Engine-1.0"), std::string::npos) << r.out;
  RunResult node = runScriptInNode(p.work / "Game/bin/h5/Game.max.js");
  EXPECT_EQ(node.exitCode, 0) << node.err;
  // Pool(2) makes two objects; the third take makes one more, and the
  // object given back is the next one taken. Steps of 0.25 out of frames of
  // 0.125, 0.25, 0.0625 and 0.625: 0, 1 (0.375), 0, 3 (0.8125 - 0.75).
  EXPECT_EQ(node.out,
            "debug Dash&Run lives=3\n"
            "made 3, same true, free 0\n"
            "ticks 0,1,0,3 total 4\n");
}

// A module.def entry without its closing quote: the error line, no engine
// module, and the run goes on to the main class.
TEST(OptionsProject, MalformedModuleDefGoesOn) {
  Project p("options-fd");
  writeFile(p.work / "proj/module.def", "mainmodule \"game\" path \"src\"\nmodule \"ui\" path \"lib/ui\n");
  RunResult r = p.run({p.work / "proj/game.as3proj;chromerun=false"});
  EXPECT_EQ(r.exitCode, 0);
  std::string out = p.paths(r.out);
  EXPECT_NE(out.find("Project configuration:<WORK>/proj/game.as3proj.\r\nModuleDef  err\r\n"), std::string::npos)
      << out;
  EXPECT_EQ(out.find("AddJsModule2"), std::string::npos) << out;
  EXPECT_NE(out.find("Main Class:<WORK>/proj/src/Main.as"), std::string::npos) << out;
  EXPECT_NE(out.find("Compiler options:debug"), std::string::npos) << out;
}

// Bad usage gets a line on standard error that names the cause: option
// literals that are not in the table, the main class file a run looked for,
// relative paths resolved in the program's folder (said before anything is
// written), a converter folder that does not exist. Standard output stays as
// it was.
TEST(OptionsProject, BadUsageIsNamedOnStandardError) {
  const std::string noDoc = "ruvojs: no document class: the main class file <WORK>/proj/src/Main.as does not exist\n";
  struct Row {
    std::vector<std::string> args;  // <WORK> for the work folder
    std::string err;                // <WORK> and <INSTALL> for the folders
  };
  const std::vector<Row> rows = {
      {{"<WORK>/proj/.actionScriptProperties;zafrit=flase;ts=maybe;;chromerun=falsey;ts=true"},
       "ruvojs: \";zafrit=flase\" is not one of the options; it is ignored\n"
       "ruvojs: \";ts=maybe\" is not one of the options; it is ignored\n"
       "ruvojs: \";chromerun=falsey\" is not one of the options; it is read as \";chromerun=false\"\n"
       "ruvojs: the option \";ts=true\" counts only with its closing ';' (\";ts=true;\"); it is ignored\n" +
           noDoc},
      {{"<WORK>/proj/.actionScriptProperties;closures=false;subpath=web;closures=false"}, noDoc},
      {{"<WORK>/proj/.actionScriptProperties;subpath=web;closures=false"},
       "ruvojs: the option \";closures=false\" counts only with its closing ';' (\";closures=false;\"); it is "
       "ignored\n" +
           noDoc},
      {{"type=compile:<WORK>/proj/.actionScriptProperties;<WORK>/lib;ts=true;"},
       "ruvojs: \"ts=true\" is ignored: this command takes a project file and a library folder only\n" + noDoc},
      {{"proj/game.as3proj"},
       "ruvojs: the project file \"proj/game.as3proj\" is taken relative to the program's folder: "
       "<INSTALL>/proj/game.as3proj\n"
       "ruvojs: the project file <INSTALL>/proj/game.as3proj does not exist\n"},
      {{"<WORK>/proj/.actionScriptProperties", "mylib"},
       "ruvojs: the library folder \"mylib\" is taken relative to the program's folder: <INSTALL>/mylib\n" + noDoc},
      {{"type=build:game"},
       "ruvojs: \"type=build:game\" is not a command (type=init:, type=compile:, type=compiledebug:, "
       "type=compileOnlyPlayer:); nothing is done\n"},
      {{"<WORK>/proj/.actionScriptProperties", "/q"},
       "ruvojs: \"/q\" is no converter switch (/c, /l, /C, /L, /F, /f) and no folder; it is taken as the library "
       "folder\n" +
           noDoc},
      {{"<WORK>/nothere", "/C"}, "ruvojs: the folder <WORK>/nothere does not exist; nothing is converted\n"},
      {{"<WORK>/proj/.actionScriptProperties", "/c"},
       "ruvojs: the folder <WORK>/proj/.actionScriptProperties is not a folder; nothing is converted\n"},
      {{"mine/src", "/C"},
       "ruvojs: the folder \"mine/src\" is taken relative to the program's folder: <INSTALL>/mine/src/\n"
       "ruvojs: the folder <INSTALL>/mine/src does not exist; nothing is converted\n"},
      {{"type=init:proj/.actionScriptProperties"},
       "ruvojs: the project file \"proj/.actionScriptProperties\" is taken relative to the program's folder: "
       "<INSTALL>/proj/.actionScriptProperties\n"
       "ruvojs: the project file <INSTALL>/proj/.actionScriptProperties does not exist; nothing is converted\n"},
  };
  Project p("options-fb-nodoc");
  RunResult plain = p.run({p.work / "proj/.actionScriptProperties"});
  EXPECT_EQ(p.paths(plain.err), noDoc);
  for (const Row& row : rows) {
    std::vector<std::string> args;
    for (const std::string& arg : row.args) args.push_back(replaceAll(arg, "<WORK>", p.work.path()));
    SCOPED_TRACE(args[0]);
    RunResult r = p.run(args);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(p.paths(r.err), row.err);
    EXPECT_EQ(r.out.find("ruvojs:"), std::string::npos) << r.out;
  }
}
