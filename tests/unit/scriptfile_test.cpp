// Source-file records: loading once per normalised path, Flash-only files,
// class and script registration, warnings, whole-file writes and the
// release-mode marking of used files.
#include "scriptfile.h"

#include <gtest/gtest.h>

#include "CompilerOptions.h"
#include "harness.h"
#include "lexer_util.h"

namespace {

class SourceFiles : public testing::Test {
 protected:
  void SetUp() override {
    lexertest::freshState();
    _msg_p = 0;
  }
  void TearDown() override { resetCompilerState(); }
};

TEST_F(SourceFiles, OneRecordPerNormalisedPathLoadedOnce) {
  ruvotest::TempDir dir;
  const std::string path = dir / "A.as";
  ruvotest::writeFile(path, "package a {}");
  std::string backslashed = path;
  for (char& c : backslashed)
    if (c == '/') c = '\\';
  EXPECT_EQ(ScriptFile::FormatFileName(backslashed), path);
  // A doubled separator (a folder written with a trailing one, joined with
  // "/") names the same record.
  EXPECT_EQ(ScriptFile::FormatFileName(ruvotest::replaceAll(path, "/", "//")), path);
  EXPECT_EQ(ScriptFile::FormatFileName(dir.path() + "/\\/A.as"), path);

  EXPECT_EQ(ScriptFile::LoadFile(path), "package a {}");
  ruvotest::writeFile(path, "changed");
  EXPECT_EQ(ScriptFile::LoadFile(backslashed), "package a {}");  // not read again
  ASSERT_EQ(ScriptFile::LoadedFileMap.size(), 1u);
  ScriptFile* record = ScriptFile::LoadedFileMap.get(path);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->path, path);
  EXPECT_GT(record->fileTime, 0);
  EXPECT_EQ(record->usedMark, 0);
  EXPECT_EQ(record->textFlag, 1);

  // A missing file: an empty text, and still a record.
  EXPECT_EQ(ScriptFile::LoadFile(dir / "missing.as"), "");
  EXPECT_NE(ScriptFile::LoadedFileMap.get(dir / "missing.as"), nullptr);
}

TEST_F(SourceFiles, FlashOnlyFilesGetNoRecord) {
  struct {
    const char* text;
    bool used;
  } rows[] = {
      {"package a {}", true},
      {"/*[IF-FLASH]*/\n\t package a {}", false},
      {"/*[IF-FLASH]*/package", false},
      {"/*[IF-FLASH]*/ // c\npackage a {}", true},
      {"/*[IF-FLASH]*/", true},
      {"/*[IF-FLASH]*/ \n", true},
      {"/*[IF-FLASH]*/\x0bpackage", true},
      {"/*[IF-FLASH]*/ var x;\n/*[IF-FLASH]*/ package", true},  // only the first marker counts
      {"", true},
  };
  ruvotest::TempDir dir;
  int n = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(ScriptFile::thisFileUse(row.text), row.used);
    const std::string path = dir / ("F" + std::to_string(n++) + ".as");
    ruvotest::writeFile(path, row.text);
    EXPECT_EQ(ScriptFile::LoadFile(path), row.used ? row.text : "");
    EXPECT_EQ(ScriptFile::LoadedFileMap.has(path), row.used);
  }
}

TEST_F(SourceFiles, ConstructorDefaults) {
  __ISRELEASE__ = true;
  ScriptFile a("/p/src/ruvo/Game.as", "x");
  EXPECT_EQ(a.usedMark, -1);
  EXPECT_EQ(a.engineFile, 1);
  __ISRELEASE__ = false;
  ScriptFile b("/p/src/game/Main.as", nullptr);
  EXPECT_EQ(b.usedMark, 0);
  EXPECT_EQ(b.engineFile, 0);
  EXPECT_EQ(b.text, "");
  for (const char* path : {"/a/Config.as", "/a/Ruvo.as", "/a/Ruvo3D.as", "/a/Ts.as", "/a/UIConfig.as"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(ScriptFile(path, "").engineFile, 1);
  }
  EXPECT_EQ(ScriptFile("/a/MyConfig.as", "").engineFile, 0);
}

TEST_F(SourceFiles, RegistrationOfClassesAndScripts) {
  auto* record = new ScriptFile("/p/A.as", "");
  ScriptFile::LoadedFileMap["/p/A.as"] = record;
  std::string out = lexertest::captureStdout([&] {
    EXPECT_TRUE(ScriptFile::RegClass("a.A", "/p/A.as"));
    EXPECT_FALSE(ScriptFile::RegClass("a.B", "\\p\\B.as"));
    ScriptFile::setScriptDec("/p/A.as", "var A;");
    ScriptFile::setScriptDec("/p/C.as", "var C;");
  });
  EXPECT_EQ(ScriptFile::GlobalClassWidthFileMap.get("a.A"), record);
  EXPECT_FALSE(ScriptFile::GlobalClassWidthFileMap.has("a.B"));
  EXPECT_EQ(record->script, "var A;");
  EXPECT_EQ(out,
            "7,0.00,\\p\\B.as,0,Reg Class no this file:\\p\\B.as\r\n"
            "MSG,7,0.00,\\p\\B.as,0,Reg Class no this file:\\p\\B.as\n"
            "7,0.00,/p/C.as,0,setScriptDec no this file:/p/C.as\r\n"
            "MSG,7,0.00,/p/C.as,0,setScriptDec no this file:/p/C.as\n");
  EXPECT_EQ(ScriptFile::LoadedFileMap.size(), 1u);
}

TEST_F(SourceFiles, WarningsAreNumberedAcrossFiles) {
  ScriptFile a("/a.as", ""), b("/b.as", ""), none("/c.as", "");
  a.warnings = {"w1", "w2"};
  b.warnings = {"w3", "w4"};
  int counter = 0;
  EXPECT_EQ(a.toWarning(counter), "1 w1\r\n2 w2\r\n");
  EXPECT_EQ(none.toWarning(counter), "");
  EXPECT_EQ(b.toWarning(counter), "3 w3\r\n4 w4\r\n");
  EXPECT_EQ(counter, 4);
}

TEST_F(SourceFiles, WriteCreatesFoldersAndWritesWhole) {
  ruvotest::TempDir dir;
  const std::string path = dir / "out/deep/a.js";
  const std::string text = std::string("a\r\nb\0c", 6);
  EXPECT_TRUE(ScriptFile::write(path, text));
  EXPECT_EQ(ruvotest::readFile(path), text);
  EXPECT_TRUE(ScriptFile::write(path, "short"));
  EXPECT_EQ(ruvotest::readFile(path), "short");
  ruvotest::writeFile(dir / "file", "x");
  EXPECT_FALSE(ScriptFile::write(dir / "file/a.js", "y"));  // a file stands where a folder should
}

TEST_F(SourceFiles, ReleaseModeMarksUsedFiles) {
  __ISRELEASE__ = true;
  auto* a = new ScriptFile("/a.as", "");
  auto* b = new ScriptFile("/b.as", "");
  auto* c = new ScriptFile("/c.as", "");
  auto* d = new ScriptFile("/d.as", "");
  for (ScriptFile* f : {a, b, c, d}) ScriptFile::LoadedFileMap[f->path] = f;
  a->usedFiles["/b.as"] = b;
  b->usedFiles["/a.as"] = a;
  b->usedFiles["/d.as"] = d;
  ScriptFile::firstFiles["/a.as"] = a;
  ScriptFile::checkUseFile();
  EXPECT_EQ(a->usedMark, 1);
  EXPECT_EQ(b->usedMark, 2);
  EXPECT_EQ(d->usedMark, 0);
  EXPECT_EQ(c->usedMark, -1);  // used by no marked file

  // Outside release mode nothing is marked.
  __ISRELEASE__ = false;
  c->usedMark = -1;
  ScriptFile::firstFiles["/c.as"] = c;
  ScriptFile::checkUseFile();
  EXPECT_EQ(c->usedMark, -1);
}

TEST_F(SourceFiles, LongChainsOfUsedFilesAreWalkedWithoutRecursion) {
  __ISRELEASE__ = true;
  std::vector<ScriptFile*> files;
  for (int i = 0; i < 100000; ++i) {
    files.push_back(new ScriptFile(("/f" + std::to_string(i)).c_str(), ""));
    ScriptFile::LoadedFileMap[files.back()->path] = files.back();
  }
  for (size_t i = 0; i + 1 < files.size(); ++i) files[i]->usedFiles["next"] = files[i + 1];
  files[0]->checkUse();
  EXPECT_EQ(files.back()->usedMark, 0);
  EXPECT_EQ(files[100]->usedMark, 1);
}

}  // namespace
