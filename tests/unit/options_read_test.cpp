// The option reader: option literals of the project command, the library
// folders, the `-define` constants and the path tests of the options.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "CompilerOptions.h"
#include "OneScriptFile.h"
#include "globals.h"
#include "harness.h"
#include "message.h"
#include "xfilemethod.h"

using namespace ruvotest;

namespace {

bool contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

class OptionsRead : public ::testing::Test {
 protected:
  void SetUp() override {
    resetCompilerState();
    copyFixture("options-fd", work.path());
    project = work / "proj/game.as3proj";
  }
  void TearDown() override { resetCompilerState(); }

  // Reads the project command `project` + options; returns what it printed.
  std::string read(const std::string& options, const char* libraryFolder = nullptr) {
    resetCompilerState();
    testing::internal::CaptureStdout();
    _ompilerOptions_.read((project + options).c_str(), libraryFolder);
    return testing::internal::GetCapturedStdout();
  }

  // The program folder as the option reader writes it ("/" on Windows too).
  static std::string binFolder() { return xfilemethod::adjustfilename(xfilemethod::getBinPath()); }
  std::string libraryFolder() const { return binFolder() + "libs/zafrit/src/"; }

  TempDir work;
  std::string project;
};

}  // namespace

// Every option literal, each row one command; the checks look at the
// options object and the output switches after the read.
TEST_F(OptionsRead, OptionLiteralTable) {
  CompilerOptions& o = _ompilerOptions_;
  struct Row {
    const char* options;
    std::function<void(const std::string& out)> check;
  };
  const std::vector<Row> rows = {
      {"",
       [&](const std::string& out) {
         EXPECT_TRUE(o.zafritLib && o.libraryAdded && o.enableDic && o.closures && o.chromeRun);
         EXPECT_FALSE(CompilerOptions::ReservedComment);
         EXPECT_FALSE(o.outRuvo || o.msgBox || o.onlyPlayer || __ISTOTS || __ISRELEASE__);
         EXPECT_EQ(out.find("Quick Compile"), std::string::npos);
         EXPECT_EQ(o.subPath, "h5/");
         EXPECT_EQ(o.startHtml, "index.html");
       }},
      {";chromerun=false",
       [&](const std::string&) {
         EXPECT_FALSE(o.chromeRun);
         EXPECT_TRUE(CompilerOptions::ReservedComment);
       }},
      {";ts=true", [&](const std::string&) { EXPECT_FALSE(__ISTOTS); }},
      {";ts=true;", [&](const std::string&) { EXPECT_TRUE(__ISTOTS); }},
      {";closures=false", [&](const std::string&) { EXPECT_TRUE(o.closures); }},
      {";closures=false;", [&](const std::string&) { EXPECT_FALSE(o.closures); }},
      {";onlyruvoplayer=true",
       [&](const std::string& out) {
         EXPECT_TRUE(o.onlyPlayer);
         EXPECT_NE(out.find("Only run in Ruvo.Player;\r\n"), std::string::npos);
         EXPECT_TRUE(contains(o.excludePaths, libraryFolder() + "zafrit/display/unit/"));
       }},
      {";enableDic=false", [&](const std::string&) { EXPECT_FALSE(o.enableDic); }},
      {";starthtml=", [&](const std::string&) { EXPECT_EQ(o.startHtml, ""); }},
      {";starthtml=play.html;msgbox=true", [&](const std::string&) { EXPECT_EQ(o.startHtml, "play.html"); }},
      {";subpath=web",
       [&](const std::string&) {
         EXPECT_EQ(o.subPath, "web/");
         EXPECT_EQ(o.outDir, work / "proj/bin/web/");
       }},
      {";WXApp=mini", [&](const std::string&) { EXPECT_EQ(o.WXApp, "mini"); }},
      {";PostBuildCommand=make all;ts=true;",
       [&](const std::string& out) {
         EXPECT_EQ(o.PostBuildCommand, "make all");
         EXPECT_NE(out.find("\r\nPost build command:make all\r\n"), std::string::npos);
       }},
      {";quickcompile=true",
       [&](const std::string& out) {
         EXPECT_NE(out.find("\r\nQuick Compile:true\r\n"), std::string::npos);
         EXPECT_FALSE(o.quickCompile);
       }},
      {";quickcompile=true;ts=true;",
       [&](const std::string& out) { EXPECT_NE(out.find("\r\nQuick Compile:false\r\n"), std::string::npos); }},
      {";msgbox=true", [&](const std::string&) { EXPECT_TRUE(o.msgBox); }},
      {";zafrit=false",
       [&](const std::string&) {
         EXPECT_FALSE(o.zafritLib || o.libraryAdded || o.enableDic);
         EXPECT_FALSE(CompilerOptions::ReservedComment);
         EXPECT_TRUE(__ISRELEASE__);
         EXPECT_FALSE(contains(o.sourcePaths, libraryFolder()));
       }},
      // The all-library literal counts only behind another option.
      {";outalllib=true;zafrit=false", [&](const std::string&) { EXPECT_TRUE(__ISRELEASE__); }},
      {";msgbox=true;outalllib=true;zafrit=false", [&](const std::string&) { EXPECT_FALSE(__ISRELEASE__); }},
      {";zafritlib=mylibs",
       [&](const std::string&) {
         ASSERT_FALSE(o.sourcePaths.empty());
         EXPECT_EQ(o.sourcePaths[0], binFolder() + "mylibs/zafrit/src/");
         EXPECT_EQ(o.libraryDir, o.sourcePaths[0]);
       }},
      {";outruvo=true",
       [&](const std::string& out) {
         EXPECT_TRUE(o.outRuvo);
         ASSERT_NE(OneScriptFile::RuvoJs, nullptr);
         EXPECT_EQ(OneScriptFile::RuvoJs->outputPath, "ruvo.js");
         EXPECT_FALSE(OneScriptFile::RuvoJs->noCore);
         EXPECT_EQ(OneScriptFile::jsModleMap.get(libraryFolder()), OneScriptFile::RuvoJs);
         // Registered once, by the option; module.def's main module adds nothing.
         EXPECT_NE(out.find("AddJsModule " + libraryFolder() + ":"), std::string::npos);
         EXPECT_EQ(out.find("AddJsModule2"), std::string::npos);
         EXPECT_EQ(out.find("includeFlash"), std::string::npos);
       }},
      {";msgbox=true;outruvo=true",
       [&](const std::string& out) { EXPECT_NE(out.find("outruvo=true includeFlash=true "), std::string::npos); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.options);
    std::string out = read(row.options);
    EXPECT_EQ(projectFileNBame, project);
    EXPECT_EQ(o.conditionSymbol, "JS");
    row.check(out);
  }
}

// The library source folder: absolute stays, relative lies below the
// program's folder (a leading backslash dropped).
TEST_F(OptionsRead, LibrarySourceFolder) {
  struct Row {
    const char* given;
    std::string expected;
  };
  const std::vector<Row> rows = {
      {"/opt/zafrit/src/", "/opt/zafrit/src/"},
      {"C:/zafrit/src/", "C:/zafrit/src/"},
      {"mine/src/", OptionsRead::binFolder() + "mine/src/"},
      {"\\mine\\src\\", OptionsRead::binFolder() + "mine/src/"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.given);
    read(";msgbox=true", row.given);
    ASSERT_FALSE(_ompilerOptions_.sourcePaths.empty());
    EXPECT_EQ(_ompilerOptions_.sourcePaths[0], row.expected);
    EXPECT_EQ(_ompilerOptions_.excludePaths[0], row.expected + "zafrit/ruvo/driver/flash/");
  }
}

TEST(OptionsDefines, ArgumentsTable) {
  struct Row {
    const char* arguments;
    std::vector<std::pair<std::string, std::string>> defines;
    std::string width, height;
  };
  const std::vector<Row> rows = {
      {"-define=CONFIG::debug,true;-define+=CONFIG::release,false",
       {{"CONFIG::debug", "true"}, {"CONFIG::release", "false"}},
       "-1",
       "-1"},
      {"-define=CONFIG::debug", {}, "-1", "-1"},
      {"-define=CONFIG::a,b,c", {}, "-1", "-1"},
      {"-default-size 800 600", {}, "800", "600"},
      {"-default-size  1024   768 ;-define=A::b,1", {{"A::b", "1"}}, "1024", "768"},
      {"-default-size=640,360 -swf-version=13", {}, "640", "360"},
      {"-locale en_US -default-size", {}, "-1", "-1"},
      {"-default-size -swf-version=13", {}, "-1", "-1"},
      {"-default-size 800 -swf-version=13", {}, "800", "-1"},
      // Blank-separated arguments, each definition read from its own argument.
      {"-locale en_US -define=CONFIG::debug,true -define+=CONFIG::name,'ruvo' -default-size 800 600",
       {{"CONFIG::debug", "true"}, {"CONFIG::name", "'ruvo'"}},
       "800",
       "600"},
      // FlashDevelop joins its arguments with an encoded line feed.
      {"-define+=CONFIG::debug,true&#xA;-define+=CONFIG::mobile,false&#xA;-default-size 320 240&#xA;",
       {{"CONFIG::debug", "true"}, {"CONFIG::mobile", "false"}},
       "320",
       "240"},
      {"-define = CONFIG::x , 1", {}, "-1", "-1"},
      {"-define=CONFIG::x , 1", {{"CONFIG::x", "1"}}, "-1", "-1"},
      {"-define=N::v,1;-define=N::v,2", {{"N::v", "2"}}, "-1", "-1"},
      {"-define=&x,1", {{"&x", "1"}}, "-1", "-1"},
      // An '&' of a string constant, written &amp;, is part of the value.
      {"-define+=CONFIG::title,&quot;'Dash &amp; Run'&quot;&#xA;-define+=CONFIG::b,R&amp;D",
       {{"CONFIG::title", "'Dash&Run'"}, {"CONFIG::b", "R&D"}},
       "-1",
       "-1"},
      {"", {}, "-1", "-1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.arguments);
    resetCompilerState();
    testing::internal::CaptureStdout();
    _ompilerOptions_._addDefines(row.arguments);
    std::string out = testing::internal::GetCapturedStdout();
    std::vector<std::pair<std::string, std::string>> got;
    for (const auto& [name, value] : _ompilerOptions_.defines) got.emplace_back(name, value);
    EXPECT_EQ(got, row.defines);
    EXPECT_EQ(_ompilerOptions_.stageWidth, row.width);
    EXPECT_EQ(_ompilerOptions_.stageHeight, row.height);
    if (row.width != "-1") {
      EXPECT_NE(out.find("satge size:" + row.width + " " + row.height + "\r\n"), std::string::npos) << out;
    }
  }
  resetCompilerState();
}

// FlashDevelop-joined arguments: every definition is read, each once.
TEST(OptionsDefines, ManyJoinedDefinitions) {
  resetCompilerState();
  std::string arguments;
  for (int i = 0; i < 50000; ++i) arguments += "-define+=N::v" + std::to_string(i) + ",1&#xA;";
  _ompilerOptions_._addDefines(arguments);
  EXPECT_EQ(_ompilerOptions_.defines.size(), 50000u);
  EXPECT_EQ(_ompilerOptions_.defines.get("N::v49999"), "1");
  resetCompilerState();
}

// A size the project file set first is kept.
TEST(OptionsDefines, DefaultSizeKeepsEarlierSize) {
  resetCompilerState();
  _ompilerOptions_.stageWidth = "960";
  testing::internal::CaptureStdout();
  _ompilerOptions_._addDefines("-default-size 800 600");
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(_ompilerOptions_.stageWidth, "960");
  EXPECT_EQ(_ompilerOptions_.stageHeight, "600");
  resetCompilerState();
}

TEST(OptionsPaths, PrefixTestsAndTypeComments) {
  resetCompilerState();
  CompilerOptions& o = _ompilerOptions_;
  EXPECT_FALSE(o.excludeThisFile("/lib/zafrit/display3D/Context3D.as"));
  o.excludePaths = {"/lib/zafrit/display3D", "/lib/flash/"};
  struct Row {
    const char* path;
    bool excluded;
  };
  const std::vector<Row> rows = {
      {"/lib/zafrit/display3D/Context3D.as", true},
      {"/lib/zafrit/display3Dx.as", true},  // a plain prefix test
      {"/lib/zafrit/display/Sprite.as", false},
      {"/lib/flash/A.as", true},
      {"/LIB/flash/A.as", false},
      {"/lib/flas", false},
      {"", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    EXPECT_EQ(o.excludeThisFile(row.path), row.excluded);
    EXPECT_FALSE(o.closeConstructorNullOptimization(row.path));
  }
  EXPECT_FALSE(o.excludeThisFile(nullptr));
  o.noNullOptimizationPaths = {"/src/keep/"};
  EXPECT_TRUE(o.closeConstructorNullOptimization("/src/keep/A.as"));
  EXPECT_FALSE(o.closeConstructorNullOptimization("/src/other/A.as"));

  EXPECT_EQ(o.KeepVariableType("int", false), "");
  o.keepVariableType = true;
  EXPECT_EQ(o.KeepVariableType("int", false), "/*int*/");
  EXPECT_EQ(o.KeepVariableType("int", true), "");
  resetCompilerState();
}
