// The project file readers: the XML scanner, Flash Builder and FlashDevelop
// projects, source path entries with their module scripts, and the Flash
// Builder documents folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "CompilerOptions.h"
#include "OneScriptFile.h"
#include "globals.h"
#include "harness.h"

using namespace ruvotest;

namespace {

// Points HOME at a folder for the life of the object.
class ScopedHome : public EnvGuard {
 public:
  explicit ScopedHome(const std::string& home) : EnvGuard("HOME", home.c_str()) {}
};

void writeWorkspaces(const std::string& home, const char* version, const std::string& workspaces) {
  writeFile(home + "/Documents/Adobe Flash Builder 4." + version +
                "/cascaded/ws/configuration/.settings/org.eclipse.ui.ide.prefs",
            "eclipse.preferences.version=1\nRECENT_WORKSPACES=" + workspaces + "\nSHOW_WORKSPACE=true\n");
}

const char kLib[] = "/lib/zafrit/src/";
const char kHtmlLib[] = "/lib/kresp/src/";
const char kMiniLib[] = "/lib/ruvomini/src/";

class OptionsProjectReaders : public ::testing::Test {
 protected:
  void SetUp() override { resetCompilerState(); }
  void TearDown() override { resetCompilerState(); }

  // Runs a reader and returns what it printed.
  std::string readFB(const std::string& file) {
    testing::internal::CaptureStdout();
    _ompilerOptions_.readFBFile(file.c_str(), kLib, kHtmlLib, kMiniLib);
    return testing::internal::GetCapturedStdout();
  }
  std::string readFD(const std::string& file) {
    testing::internal::CaptureStdout();
    _ompilerOptions_.readFDFile(file.c_str(), kLib, kHtmlLib, kMiniLib);
    return testing::internal::GetCapturedStdout();
  }
  // A Flash Builder project in proj/ with the given compiler attributes and
  // source path entries, and its main class proj/src/Main.as.
  std::string fbProject(const std::string& compilerAttributes, const std::string& entries = "") {
    writeFile(work / "proj/src/Main.as", "package {\n\tpublic class Main {\n\t}\n}\n");
    writeFile(work / "proj/.actionScriptProperties",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<actionScriptProperties mainApplicationPath=\"Main.as\" version=\"12\">\n"
              "  <compiler " +
                  compilerAttributes + " sourceFolderPath=\"src\">\n    <compilerSourcePath>\n" + entries +
                  "    </compilerSourcePath>\n  </compiler>\n</actionScriptProperties>\n");
    return work / "proj/.actionScriptProperties";
  }

  TempDir work;
};

}  // namespace

TEST(OptionsXml, ScannerTable) {
  struct Row {
    const char* name;
    std::string text;
    const char* section;
    const char* element;
    const char* attribute;
    std::string expected;
  };
  const std::vector<Row> rows = {
      {"double quotes", "<a><b x=\"1\"/></a>", "a", "b", "x", "1"},
      {"single quotes keep the other quote", "<a><b x='it\"s'/></a>", "a", "b", "x", "it\"s"},
      {"first element lacking it", "<a><b y=\"0\"/><b x=\"2\"/></a>", "a", "b", "x", "2"},
      {"element name is whole", "<a><bb x=\"1\"/><b x=\"2\"/></a>", "a", "b", "x", "2"},
      {"element after the section", "<a></a><b x=\"3\"/>", "a", "b", "x", ""},
      {"section without end tag", "<a><b x=\"1\"/>", "a", "b", "x", ""},
      {"section with attributes", "<z/><a v=\"9\" w='8'><b/></a>", "a", nullptr, "w", "8"},
      {"own tag ends at its '>'", "<a v=\"9\"><b w=\"8\"/></a>", "a", nullptr, "w", ""},
      {"unterminated value", "<a><b x=\"1/></a>", "a", "b", "x", ""},
      {"no quote at all", "<a><b x=1/></a>", "a", "b", "x", ""},
      {"element without '/>'", "<a><b x=\"1\"></b></a>", "a", "b", "x", "1"},
      {"bytes above 0x7f", "<a><b x=\"\xe4\xb8\xad\xe6\x96\x87\"/></a>", "a", "b", "x", "\xe4\xb8\xad\xe6\x96\x87"},
      {"element in a comment", "<a><!-- <b x=\"1\"/> --><b x=\"2\"/></a>", "a", "b", "x", "2"},
      {"element in a CDATA section", "<a><![CDATA[<b x=\"1\"/>]]><b x=\"2\"/></a>", "a", "b", "x", "2"},
      {"section end in a comment", "<a><!-- </a> --><b x=\"3\"/></a>", "a", "b", "x", "3"},
      {"unclosed comment", "<a><b y=\"0\"/><!-- <b x=\"1\"/></a>", "a", "b", "x", ""},
      {"missing section", "<b x=\"1\"/>", "a", "b", "x", ""},
      {"empty text", "", "a", "b", "x", ""},
  };
  for (Row row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(readFromeXML(row.text, row.section, row.element, row.attribute, nullptr), row.expected);
  }

  std::string text = "<a><b x=\"1\"/><b x=\"\"/><b y=\"2\"/><b x='3'/></a><b x=\"4\"/>";
  std::vector<std::string> list{"kept"};
  EXPECT_EQ(readFromeXML(text, "a", "b", "x", &list), "");
  EXPECT_EQ(list, (std::vector<std::string>{"kept", "1", "", "3"}));
}

// Many elements without their "/>" or attribute are each passed once.
TEST(OptionsXml, LargeMalformedText) {
  std::string text = "<a>";
  for (int i = 0; i < 100000; ++i) text += "<b y=1 ";
  text += "<b x='7'</a>";
  EXPECT_EQ(readFromeXML(text, "a", "b", "x", nullptr), "7");
  std::vector<std::string> list;
  readFromeXML(text, "a", "b", "z", &list);
  EXPECT_TRUE(list.empty());
}

// Every prefix of a real project file: a value is found whole or not at all.
TEST(OptionsXml, TruncatedProjectFile) {
  std::string full = readFile(fixtureDir("options-fb") + "/proj/.actionScriptProperties");
  ASSERT_FALSE(full.empty());
  std::vector<std::string> allEntries;
  readFromeXML(full, "compilerSourcePath", "compilerSourcePathEntry", "path", &allEntries);
  ASSERT_EQ(allEntries.size(), 2u);
  const char* attributes[] = {"outputFolderLocation", "sourceFolderPath", "additionalCompilerArguments"};
  for (size_t n = 0; n <= full.size(); ++n) {
    std::string text = full.substr(0, n);
    for (const char* attribute : attributes) {
      std::string whole = readFromeXML(full, "actionScriptProperties", "compiler", attribute, nullptr);
      std::string got = readFromeXML(text, "actionScriptProperties", "compiler", attribute, nullptr);
      EXPECT_TRUE(got.empty() || got == whole) << n << " " << attribute;
    }
    std::string version = readFromeXML(text, "actionScriptProperties", nullptr, "version", nullptr);
    EXPECT_TRUE(version.empty() || version == "12") << n;
    std::vector<std::string> entries;
    readFromeXML(text, "compilerSourcePath", "compilerSourcePathEntry", "path", &entries);
    EXPECT_TRUE(entries.empty() || entries == allEntries) << n;
  }
}

TEST_F(OptionsProjectReaders, FlashBuilderFixture) {
  copyFixture("options-fb", work.path());
  ScopedHome home(work / "home");
  std::string out = readFB(work / "proj/.actionScriptProperties");
  const CompilerOptions& o = _ompilerOptions_;
  EXPECT_EQ(o.libraryDir, kLib);
  EXPECT_EQ(o.projectDir, work / "proj");
  EXPECT_EQ(DOCUMENTSPATH, "/ruvo-docs/workspace");
  EXPECT_EQ(o.outDir, "/ruvo-docs/workspace/site/h5/");
  EXPECT_EQ(o.mainFile, work / "proj/src/game/Main.as");
  EXPECT_EQ(o.outName, "Main");
  EXPECT_EQ(o.sourcePaths,
            (std::vector<std::string>{work / "proj/src/", work / "shared/", "/ruvo-docs/workspace/common/"}));
  EXPECT_EQ(o.excludePaths, (std::vector<std::string>{"/lib/zafrit/src/zafrit/ruvo/driver/flash/"}));
  EXPECT_EQ(o.defines.get("CONFIG::debug"), "true");
  EXPECT_EQ(o.defines.get("CONFIG::name"), "'ruvo'");
  EXPECT_EQ(o.stageWidth, "800");
  EXPECT_EQ(o.stageHeight, "600");
  // The shared folder outside the project names its module script.
  OneScriptFile* shared = OneScriptFile::jsModleMap.get(work / "shared/");
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(shared->outputPath, "shared_lib.js");
  EXPECT_TRUE(shared->noCore);
  EXPECT_NE(out.find("DOCUMENTS PATH:/ruvo-docs/workspace/common\r\n"), std::string::npos) << out;
}

TEST_F(OptionsProjectReaders, FlashBuilderOutputFolder) {
  struct Row {
    std::string attributes;
    std::string expected;  // <P> stands for the project folder
  };
  const std::vector<Row> rows = {
      {"outputFolderPath=\"bin-debug\"", "<P>/bin-debug/h5/"},
      {"outputFolderLocation=\"\" outputFolderPath=\"/abs/out\"", "/abs/out"},
      {"outputFolderLocation=\"x\" outputFolderPath=\"bin\"", "<P>/bin/h5/"},
      {"outputFolderLocation=\"deploy\" outputFolderPath=\"bin\"", "<P>/deploy/h5/"},
      {"outputFolderLocation=\"/srv/www/\"", "/srv/www/h5/"},
      {"outputFolderLocation=\"DOCUMENTS/site\"", "/docs/site/h5/"},
      {"", "<P>/h5/"},
      // No Flash Builder settings: the location stays inside the project.
      {"outputFolderLocation=\"DOCUMENTS/site\"", "<P>/site/h5/"},
  };
  ScopedHome home(work / "nohome");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.attributes);
    resetCompilerState();
    if (&row != &rows.back()) DOCUMENTSPATH = "/docs";
    std::string out = readFB(fbProject(row.attributes));
    std::string expected = replaceAll(row.expected, "<P>", work / "proj");
    EXPECT_EQ(_ompilerOptions_.outDir, expected);
    EXPECT_NE(out.find("output path:" + expected + "\r\n"), std::string::npos) << out;
  }
}

// Source path entries: macros, relative and absolute folders, the library
// folder, and the module script of a folder outside the project.
TEST_F(OptionsProjectReaders, FlashBuilderSourcePathEntries) {
  writeFile(work / "tools/module.txt", "\xEF\xBB\xBF tools\r\n");
  writeFile(work / "named/module.txt", "name=\"named.js\";");
  std::string entries =
      "      <compilerSourcePathEntry kind=\"1\" path=\"${PARENT-1-PROJECT_LOC}/tools\"/>\n"
      "      <compilerSourcePathEntry kind=\"1\" path=\"${PARENT-1-PROJECT_LOC}named/\"/>\n"
      "      <compilerSourcePathEntry kind=\"1\" path=\"libs\\ui\"/>\n"
      "      <compilerSourcePathEntry kind=\"1\" path=\"/lib/zafrit/src\"/>\n"
      "      <compilerSourcePathEntry kind=\"1\" path=\"" +
      work / "abs" + "/\"/>\n"
      "      <compilerSourcePathEntry kind=\"1\" path=\"${PARENT-2-PROJECT_LOC}/far\"/>\n"
      "      <compilerSourcePathEntry kind=\"1\" path=\"${PROJECT_LOC}/gen\"/>\n";
  std::string out = readFB(fbProject("outputFolderPath=\"bin\"", entries));
  const std::string aboveWork = work.path().substr(0, work.path().rfind('/'));
  EXPECT_EQ(_ompilerOptions_.sourcePaths,
            (std::vector<std::string>{work / "proj/src/", work / "tools/", work / "named/", work / "proj/libs/ui/",
                                      work / "abs/", aboveWork + "/far/", work / "proj/gen/"}));
  OneScriptFile* tools = OneScriptFile::jsModleMap.get(work / "tools/");
  OneScriptFile* named = OneScriptFile::jsModleMap.get(work / "named/");
  ASSERT_TRUE(tools && named);
  EXPECT_EQ(tools->outputPath, "tools.js");  // no quotes: the whole text, without its mark and blanks, names it
  EXPECT_EQ(named->outputPath, "named.js");
  EXPECT_FALSE(OneScriptFile::jsModleMap.has(work / "abs/"));
  EXPECT_NE(out.find("compilerSourcePath " + work / "proj/libs/ui/" + "\r\n"), std::string::npos) << out;
}

// With the engine script as a module and the library off, a library folder
// of the engine becomes the engine module; with the library on, a folder
// outside the project without module.txt is reported.
TEST_F(OptionsProjectReaders, EngineModuleFromSourcePaths) {
  std::string project = fbProject("outputFolderPath=\"bin\"",
                                  "<compilerSourcePathEntry path=\"libs/ruvo/src\"/>\n"
                                  "<compilerSourcePathEntry path=\"/opt/engine/\"/>\n");
  _ompilerOptions_.outRuvo = true;
  _ompilerOptions_.zafritLib = false;
  readFB(project);
  ASSERT_NE(OneScriptFile::RuvoJs, nullptr);
  EXPECT_EQ(OneScriptFile::jsModleMap.get(work / "proj/libs/ruvo/src/"), OneScriptFile::RuvoJs);
  EXPECT_EQ(OneScriptFile::jsModleMap.get("/opt/engine/"), OneScriptFile::RuvoJs);
  EXPECT_EQ(OneScriptFile::RuvoJs->outputPath, "ruvo.js");

  resetCompilerState();
  _ompilerOptions_.outRuvo = true;
  std::string out = readFB(fbProject("outputFolderPath=\"bin\"", "<compilerSourcePathEntry path=\"/opt/engine/\"/>\n"));
  EXPECT_EQ(OneScriptFile::RuvoJs, nullptr);
  EXPECT_NE(out.find("MSG,0,0.00,/opt/engine/,0,outlsys err:true\n"), std::string::npos) << out;
}

TEST_F(OptionsProjectReaders, DocumentsFolderFromWorkspaces) {
  std::string home = work / "home";
  ScopedHome scoped(home);
  writeWorkspaces(home, "5", "/no/such/workspace");
  writeWorkspaces(home, "6", home + "\\nsecond");
  writeWorkspaces(home, "7", "/fb47/workspace");
  struct Row {
    const char* version;
    std::string preset;
    std::string expected;
  };
  const std::vector<Row> rows = {
      {"12", "", "/fb47/workspace"},
      {"11", "", "/fb47/workspace"},
      // Flash Builder 4.5 falls back to 4.6 when its workspace is gone.
      {"10", "", home},
      // Resolved once per run: a later query keeps the first answer.
      {"12", "/first", "/first"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.version) + " " + row.preset);
    DOCUMENTSPATH = row.preset;
    std::string text =
        std::string("<actionScriptProperties version=\"") + row.version + "\">\n</actionScriptProperties>";
    readDOCUMENTSPATH(text);
    EXPECT_EQ(DOCUMENTSPATH, row.expected);
  }
}

TEST_F(OptionsProjectReaders, FlashDevelopFixture) {
  copyFixture("options-fd", work.path());
  _ompilerOptions_.onlyPlayer = true;
  std::string out = readFD(work / "proj/game.as3proj");
  const CompilerOptions& o = _ompilerOptions_;
  EXPECT_EQ(o.outName, "game");
  EXPECT_EQ(o.outDir, work / "proj/bin/h5/");
  EXPECT_EQ(o.projectDir, work / "proj");
  EXPECT_EQ(o.mainFile, work / "proj/src/Main.as");
  EXPECT_EQ(o.sourcePaths, (std::vector<std::string>{work / "proj/src/", work / "proj/lib/ui/", work / "gfx/"}));
  EXPECT_EQ(o.excludePaths,
            (std::vector<std::string>{"/lib/zafrit/src/zafrit/ruvo/driver/flash/", "/lib/kresp/src/kresp/driver/flash/",
                                      "/lib/zafrit/src/zafrit/ruvo/display/unit/",
                                      "/lib/zafrit/src/zafrit/display/plug/", "/lib/zafrit/src/zafrit/display/unit/"}));
  EXPECT_EQ(o.defines.get("CONFIG::debug"), "true");
  EXPECT_EQ(o.defines.get("CONFIG::mobile"), "false");
  EXPECT_EQ(o.stageWidth, "960");
  EXPECT_EQ(o.stageHeight, "540");
  EXPECT_NE(out.find("output file:game\r\n"), std::string::npos) << out;
}

// Class paths of one character are skipped; the library folder is not
// added twice; an empty size keeps the start value.
TEST_F(OptionsProjectReaders, FlashDevelopClassPaths) {
  writeFile(work / "proj/src/Main.as", "package {\n\tpublic class Main {\n\t}\n}\n");
  writeFile(work / "proj/app.as3proj",
            "<project version=\"2\">\n"
            "  <output><movie width=\"\" /><movie height=\"480\" /></output>\n"
            "  <classpaths><class path=\".\" /><class path=\"/lib/zafrit/src\" /><class path=\"src\" /></classpaths>\n"
            "  <compileTargets><compile path=\"src/Main.as\" /></compileTargets>\n"
            "</project>\n");
  readFD(work / "proj/app.as3proj");
  EXPECT_EQ(_ompilerOptions_.sourcePaths, (std::vector<std::string>{work / "proj/src/"}));
  EXPECT_EQ(_ompilerOptions_.stageWidth, "-1");
  EXPECT_EQ(_ompilerOptions_.stageHeight, "480");
  EXPECT_EQ(_ompilerOptions_.outName, "app");
}

// The IDEs write '&', quotes and other characters of a folder name as XML
// entities; the folders and the main file are the ones so named.
TEST_F(OptionsProjectReaders, PathsWrittenWithEntities) {
  const std::string chinese = "\xE4\xB8\xAD";  // U+4E2D, written &#x4E2D; or &#20013;
  writeFile(work / "R&D's/src/Main.as", "package {\n\tpublic class Main {\n\t}\n}\n");
  writeFile(work / "R&D's/app.as3proj",
            "<project version=\"2\">\n"
            "  <classpaths><class path=\"src\" /><class path=\"..\\Art &amp; Sound &lt;1&gt;\" />"
            "<class path=\"..\\&#x4E2D;&#20013;\" /><class path=\"..\\a&amp;amp;b&nbsp;&#0;\" /></classpaths>\n"
            "  <compileTargets><compile path=\"..\\R&amp;D&apos;s\\src\\Main.as\" /></compileTargets>\n"
            "</project>\n");
  readFD(work / "R&D's/app.as3proj");
  EXPECT_EQ(_ompilerOptions_.mainFile, work / "R&D's/src/Main.as");
  EXPECT_EQ(_ompilerOptions_.sourcePaths,
            (std::vector<std::string>{work / "R&D's/src/", work / "Art & Sound <1>/", work / chinese + chinese + "/",
                                      work / "a&amp;b&nbsp;&#0;/"}));

  resetCompilerState();
  writeFile(work / "proj/src/Main.as", "package {\n\tpublic class Main {\n\t}\n}\n");
  writeFile(work / "proj/.actionScriptProperties",
            "<actionScriptProperties mainApplicationPath=\"Main.as\" version=\"12\">\n"
            "  <compiler outputFolderPath=\"bin &quot;web&quot;\" sourceFolderPath=\"src\">\n"
            "    <compilerSourcePath>\n"
            "      <compilerSourcePathEntry kind=\"1\" path=\"${PARENT-1-PROJECT_LOC}/Art &amp; Sound\"/>\n"
            "    </compilerSourcePath>\n  </compiler>\n</actionScriptProperties>\n");
  readFB(work / "proj/.actionScriptProperties");
  EXPECT_EQ(_ompilerOptions_.outDir, work / "proj/bin \"web\"/h5/");
  EXPECT_EQ(_ompilerOptions_.sourcePaths, (std::vector<std::string>{work / "proj/src/", work / "Art & Sound/"}));
}
