// The ".ts" file of a source file: saved under ts/src beside the output
// folder, in folders after the package of its class.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "CompilerOptions.h"
#include "TokenClass.h"
#include "TokenPackage.h"
#include "globals.h"
#include "harness.h"
#include "scriptfile.h"

namespace {

// A file record whose package's current class is registered as `name`.
struct TsFile {
  TokenPackage package{TokenTypeCode::Package, "package", 0, 0, nullptr};
  TokenClass cls{TokenTypeCode::Class, "class", 0, 0, nullptr};
  ScriptFile file{"/src/a/b/Z.as", ""};

  explicit TsFile(const std::string& name, const std::string& script = "module ruvo{\n}\n") {
    cls.registeredName = name;
    package.workingClass = &cls;
    file.package = &package;
    file.script = script;
  }
};

class TypeScriptFile : public ::testing::Test {
 protected:
  void SetUp() override { resetCompilerState(); }
  void TearDown() override { resetCompilerState(); }
  ruvotest::TempDir dir;
};

// With or without its trailing '/', the output folder gives the same root,
// its parent folder + "/ts/src/"; a.b.Z is saved there as a/b/Z.ts.
TEST_F(TypeScriptFile, SavedBesideTheOutputFolder) {
  const std::string outDirs[] = {dir / "proj/bin/h5/", dir / "proj/bin/h5"};
  for (const std::string& outDir : outDirs) {
    SCOPED_TRACE(outDir);
    std::filesystem::remove_all(dir / "proj");
    _ompilerOptions_.outDir = outDir;
    TsFile ts("a.b.Z", "class Z\r\n{\r\n}\r\n");
    ts.file.saveToTsFile();
    EXPECT_EQ(ruvotest::readFile(dir / "proj/bin/ts/src/a/b/Z.ts"), "class Z\r\n{\r\n}\r\n");
    EXPECT_EQ(ruvotest::listFiles(dir / "proj"), std::vector<std::string>{"bin/ts/src/a/b/Z.ts"});
  }
}

// A file is written whole each time: a shorter text replaces a longer one,
// and an empty text leaves an empty file.
TEST_F(TypeScriptFile, RewrittenWhole) {
  _ompilerOptions_.outDir = dir / "bin/h5/";
  const std::string path = dir / "bin/ts/src/Main.ts";
  for (const char* script : {"class Main\n{\n\tlong(){}\n}\n", "class Main{}\n", ""}) {
    SCOPED_TRACE(script);
    TsFile ts("Main", script);
    ts.file.saveToTsFile();
    EXPECT_TRUE(ruvotest::fileExists(path));
    EXPECT_EQ(ruvotest::readFile(path), script);
  }
  EXPECT_EQ(ruvotest::listFiles(dir.path()), std::vector<std::string>{"bin/ts/src/Main.ts"});
}

// Nothing is written without a class to name the file, and a file that
// cannot be created is left out without a word.
TEST_F(TypeScriptFile, NothingToWriteOrNowhereToWrite) {
  _ompilerOptions_.outDir = dir / "bin/h5/";
  {
    TsFile ts("a.Z");
    ts.file.package = nullptr;
    ts.file.saveToTsFile();
  }
  {
    TsFile ts("a.Z");
    ts.package.workingClass = nullptr;
    ts.file.saveToTsFile();
  }
  {
    TsFile ts("");
    ts.file.saveToTsFile();
  }
  EXPECT_TRUE(ruvotest::listFiles(dir.path()).empty());

  // "bin/ts" is a file here, so no folder can be made under it.
  ruvotest::writeFile(dir / "bin/ts", "in the way");
  TsFile blocked("a.Z");
  blocked.file.saveToTsFile();
  EXPECT_EQ(ruvotest::listFiles(dir.path()), std::vector<std::string>{"bin/ts"});
  EXPECT_EQ(ruvotest::readFile(dir / "bin/ts"), "in the way");
}

// Without an output folder there is no parent to write beside: nothing is
// written (the root would otherwise be the file system's "/ts/src/").
TEST_F(TypeScriptFile, NoOutputFolder) {
  _ompilerOptions_.outDir = "";
  const std::string probe = "ruvotest_no_output_folder";
  TsFile ts(probe + ".Z");
  ts.file.saveToTsFile();
  const std::string wrong = "/ts/src/" + probe;
  const bool written = ruvotest::fileExists(wrong + "/Z.ts");
  std::filesystem::remove_all(wrong);
  EXPECT_FALSE(written);
}

}  // namespace
