// The main class file (document class check, Flash wrapper, directives),
// module.def and the registry of output scripts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "CompilerOptions.h"
#include "OneScriptFile.h"
#include "compileRun.h"
#include "globals.h"
#include "harness.h"
#include "message.h"

using namespace ruvotest;

namespace {

// GoogleTest's own simple regular expressions (a Windows build) have no "."
// that matches a line end: there only the last line of a pattern is checked.
std::string deathPattern(const std::string& pattern) {
#ifdef _WIN32
  std::string last = pattern;
  while (!last.empty() && last.back() == '\n') last.pop_back();
  size_t cut = last.rfind("\n.*");
  return cut == std::string::npos ? last : last.substr(cut + 3);
#else
  return pattern;
#endif
}

class OptionsMainClass : public ::testing::Test {
 protected:
  void SetUp() override { resetCompilerState(); }
  void TearDown() override { resetCompilerState(); }
  TempDir work;
};

// In a death test the child's standard output is sent to stderr, where the
// expected text is matched.
void toStderr() {
  fflush(stdout);
  dup2(2, 1);
}

int boxToStderr(const char* text, const char* caption) {
  fprintf(stderr, "[%s|%s]\n", caption, text);
  return 0;
}

}  // namespace

TEST_F(OptionsMainClass, DirectivesTable) {
  struct Row {
    const char* name;
    const char* text;
    bool presetRelease;
    std::string wxapp;
    bool debug, release, showdebug;
    const char* message;  // null: none
  };
  const std::vector<Row> rows = {
      {"wxapp at the first byte", "*[COMPILER WXAPP:game]\n", false, "", false, false, false, nullptr},
      {"wxapp in a comment", "/*[COMPILER WXAPP:game]*/\n", false, "game", false, false, false, nullptr},
      {"empty wxapp", "/**\n *[COMPILER WXAPP:]*/\n", false, "", false, false, false, nullptr},
      {"debug and showdebug", "/*\n *[COMPILER OPTIONS:debug,showdebug]\n */\n", true, "", true, false, true,
       "Compiler options:debug"},
      {"showdebug alone", "/* *[COMPILER OPTIONS:showdebug] */", true, "", false, true, true, nullptr},
      {"release", "/* *[COMPILER OPTIONS:release] */", false, "", false, true, false, "Compiler options:release"},
      {"normal", "*[COMPILER OPTIONS:normal]", true, "", false, false, false, "Compiler options:normal"},
      {"no closing bracket", "/* *[COMPILER OPTIONS:debug */", true, "", false, true, false, nullptr},
      {"mode after a blank", "/* *[COMPILER OPTIONS: debug] */", false, "", false, false, false, nullptr},
      {"both directives", "//*[COMPILER WXAPP:mini]\n//*[COMPILER OPTIONS:release]\n", false, "mini", false, true,
       false, "Compiler options:release"},
      {"no directive", "package {}\n", true, "", false, true, false, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    resetCompilerState();
    writeFile(work / "Main.as", row.text);
    _ompilerOptions_.mainFile = work / "Main.as";
    __ISRELEASE__ = row.presetRelease;
    testing::internal::CaptureStdout();
    _ompilerOptions_.readCompilerOptions();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(_ompilerOptions_.WXApp, row.wxapp);
    EXPECT_EQ(__ISDEBUG__, row.debug);
    EXPECT_EQ(__ISRELEASE__, row.release);
    EXPECT_EQ(__SHOWDEBUG__, row.showdebug);
    if (row.message)
      EXPECT_EQ(out, "1,0.00,,0," + std::string(row.message) + "\r\nMSG,1,0.00,,0," + row.message + "\n");
    else
      EXPECT_EQ(out, "");
  }
  // A main file that cannot be read changes nothing.
  resetCompilerState();
  _ompilerOptions_.mainFile = work / "Missing.as";
  _ompilerOptions_.readCompilerOptions();
  EXPECT_FALSE(__ISDEBUG__ || __ISRELEASE__ || __SHOWDEBUG__);
}

TEST_F(OptionsMainClass, LoadsTheMainClassFile) {
  writeFile(work / "src/Main.as", "package {\n\tpublic class Main {}\n}\n");
  std::string mainFile = work.path() + "/src/./lib/../Main.as";
  std::string text;
  testing::internal::CaptureStdout();
  EXPECT_TRUE(loadMainClass(mainFile, text));
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(mainFile, work / "src/Main.as");
  EXPECT_EQ(text, "package {\n\tpublic class Main {}\n}\n");
  EXPECT_NE(out.find("MSG,1,0.00,,0,Main Class:" + mainFile + "\n"), std::string::npos) << out;
}

// Without the emulation library a Flash wrapper hands over to the class its
// start call names.
TEST_F(OptionsMainClass, FlashWrapperNamesTheDocumentClass) {
  const std::string wrapper =
      "package {\n\timport flash.display.Sprite;\n\tpublic class Boot extends Sprite {\n"
      "\t\tpublic function Boot() {\n\t\t\tWindow.start( this ,Game);\n\t\t}\n\t}\n}\n";
  writeFile(work / "src/Boot.as", wrapper);
  writeFile(work / "src/Game.as", "package {\n\tpublic class Game {}\n}\n");

  struct Row {
    const char* name;
    bool library;
    std::string mainFile;
    bool excluded;
  };
  const std::vector<Row> rows = {
      {"library off", false, work / "src/Game.as", true},
      {"library on", true, work / "src/Boot.as", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    resetCompilerState();
    _ompilerOptions_.zafritLib = row.library;
    std::string mainFile = work / "src/Boot.as";
    std::string text;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(loadMainClass(mainFile, text));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(mainFile, row.mainFile);
    EXPECT_EQ(text, readFile(row.mainFile));
    EXPECT_EQ(_ompilerOptions_.excludePaths,
              row.excluded ? std::vector<std::string>{work / "src/Boot.as"} : std::vector<std::string>{});
  }
}

using OptionsMainClassDeathTest = OptionsMainClass;

// Every way a project lacks a usable document class stops the compile after
// its message; the end of the run then sends the end-of-run message and
// ends with exit code 0.
TEST_F(OptionsMainClassDeathTest, EndsTheRunWithoutDocumentClass) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  writeFile(work / "Wrapper.as", "import flash.display.Sprite;\nWindow.start(this,Missing);\n");
  writeFile(work / "BadCall.as", "import flash.display.Sprite;\nWindow.start(stage);\n");
  struct Row {
    const char* name;
    std::string file;
    const char* expected;
  };
  const std::vector<Row> rows = {
      {"missing file", work / "Nothing.as",
       "\\[compile err\\|must set Document Class!\\].*MSG,7,0.00,,0,No Document Class\n.*MSG,14,0.00,,0,\n"},
      {"empty file", work / "Empty.as", "MSG,7,0.00,,0,No Document Class\n.*MSG,14,0.00,,0,\n"},
      {"wrapper naming a missing class", work / "Wrapper.as",
       "\\[compile err\\|Load Document class file err:.*Missing.as\\].*MSG,7,0.00,,0,Load Document class file "
       "err:.*Missing.as\n.*MSG,14,0.00,,0,\n"},
      {"wrapper with another start call", work / "BadCall.as",
       "MSG,7,0.00,,0,Zintrel Document Class set err,exsample:Window.start\\(this,zintrelDocumentClass\\);\n.*"
       "MSG,14,0.00,,0,\n"},
  };
  writeFile(work / "Empty.as", "");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EXIT(
        {
          toStderr();
          _ompilerOptions_.zafritLib = false;
          MsgBox = boxToStderr;
          std::string mainFile = row.file;
          std::string text;
          if (!loadMainClass(mainFile, text) && compileStop() == CompileStop::NoDocumentClass) endRun(compileStop());
          fprintf(stderr, "returned\n");
        },
        ::testing::ExitedWithCode(0), deathPattern(row.expected));
  }
}

TEST_F(OptionsMainClass, ModuleDefinitionsTable) {
  std::string project = work.path() + "/proj/";
  struct Module {
    std::string key;
    std::string outputPath;
    bool main;
  };
  struct Row {
    const char* name;
    const char* text;  // null: no module.def
    bool result;
    std::vector<Module> modules;
    bool error;
  };
  const std::vector<Row> rows = {
      {"main and plain entries",
       "mainmodule \"game\" path \"src\"\r\nmodule \"ui\"\r\n  path \"lib/ui/\"\r\n",
       true,
       {{project + "src/", "js/game.js", true}, {project + "lib/ui/", "js/ui.js", false}},
       false},
      {"plain entries only",
       "module \"a\" path \"a\" module \"b\" path \"../b\"",
       false,
       {{project + "a/", "js/a.js", false}, {work / "b/", "js/b.js", false}},
       false},
      {"absolute folders stay",
       "mainmodule \"s\" path \"/opt/shared\" module \"w\" path \"C:/web\"",
       true,
       {{"/opt/shared/", "js/s.js", true}, {"C:/web/", "js/w.js", false}},
       false},
      {"folder without closing quote",
       "mainmodule \"game\" path \"src\"\nmodule \"ui\" path \"lib/ui\n",
       false,
       {{project + "src/", "js/game.js", true}},
       true},
      {"quote pairs taken in order", "module \"ui path \"x\"", false, {}, false},
      {"name without quotes", "module ui path x", false, {}, true},
      {"entry without a path",
       "mainmodule \"game\" path \"src\" module \"ui\"",
       true,
       {{project + "src/", "js/game.js", true}},
       false},
      {"empty file", "", false, {}, false},
      {"no file", nullptr, false, {}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    resetCompilerState();
    std::remove((project + "module.def").c_str());
    if (row.text) writeFile(project + "module.def", row.text);
    testing::internal::CaptureStdout();
    bool result = LoadModuleDef(project.c_str());
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(result, row.result);
    EXPECT_EQ(out, row.error ? "ModuleDef  err\r\n" : "");
    ASSERT_EQ(OneScriptFile::jsModleMap.size(), row.modules.size());
    auto it = OneScriptFile::jsModleMap.begin();
    for (const Module& m : row.modules) {
      EXPECT_EQ(it->first, m.key);
      EXPECT_EQ(it->second->outputPath, m.outputPath);
      EXPECT_TRUE(it->second->noCore);
      EXPECT_EQ(OneScriptFile::Main == it->second, m.main);
      ++it;
    }
  }
}

TEST_F(OptionsMainClass, OutputScriptRegistry) {
  struct Row {
    const char* folder;
    const char* outputPath;
  };
  const std::vector<Row> names = {
      {"/w/x/src", "x_src.js"},
      {"/w/game/ui/", "game_ui.js"},
      {"ui", "ui.js"},
  };
  for (const Row& row : names) {
    SCOPED_TRACE(row.folder);
    OneScriptFile::AddJsModule(row.folder, nullptr, false, false);
    std::string key = row.folder;
    if (key.back() != '/') key += '/';
    ASSERT_TRUE(OneScriptFile::jsModleMap.has(key));
    EXPECT_EQ(OneScriptFile::jsModleMap.get(key)->outputPath, row.outputPath);
  }

  // One engine script, whatever the number of folders that carry it.
  resetCompilerState();
  OneScriptFile::AddRuvoJsModule("/lib/ruvo/src");
  OneScriptFile* engine = OneScriptFile::RuvoJs;
  ASSERT_NE(engine, nullptr);
  EXPECT_FALSE(engine->noCore);
  EXPECT_EQ(engine->outputPath, "ruvo.js");
  OneScriptFile::AddJsModule("/lib/zafrit/src/", "ruvo.js", true, false);
  OneScriptFile::AddRuvoJsModule("/more/ruvo/");
  EXPECT_EQ(OneScriptFile::jsModleMap.get("/lib/zafrit/src/"), engine);
  EXPECT_EQ(OneScriptFile::jsModleMap.get("/more/ruvo/"), engine);
  EXPECT_EQ(OneScriptFile::jsModleMap.size(), 3u);

  // A source file goes to the module of the innermost folder in its path.
  OneScriptFile::AddJsModule("/p/src/", "js/game.js", false, true);
  OneScriptFile::AddJsModule("/p/src/ui/", "js/ui.js", false, false);
  OneScriptFile* game = OneScriptFile::jsModleMap.get("/p/src/");
  OneScriptFile* ui = OneScriptFile::jsModleMap.get("/p/src/ui/");
  EXPECT_EQ(OneScriptFile::Main, game);
  EXPECT_EQ(OneScriptFile::getOneScriptFile("/p/src/ui/Button.as"), ui);
  EXPECT_EQ(OneScriptFile::getOneScriptFile("/p/src/Main.as"), game);
  EXPECT_EQ(OneScriptFile::getOneScriptFile("/lib/ruvo/src/Ruvo.as"), engine);
  EXPECT_EQ(OneScriptFile::getOneScriptFile("/q/Other.as"), &MainOneScriptFile);

  // A folder registered again gets a new script.
  OneScriptFile::AddJsModule("/p/src/ui", nullptr, true, false);
  EXPECT_NE(OneScriptFile::jsModleMap.get("/p/src/ui/"), ui);
  EXPECT_FALSE(OneScriptFile::jsModleMap.get("/p/src/ui/")->noCore);
  EXPECT_EQ(OneScriptFile::jsModleMap.size(), 5u);

  resetCompilerState();
  EXPECT_TRUE(OneScriptFile::jsModleMap.empty());
  EXPECT_EQ(OneScriptFile::Main, nullptr);
  EXPECT_EQ(OneScriptFile::RuvoJs, nullptr);
}
