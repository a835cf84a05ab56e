// The class-name pre-scan: word cutting, the scan of one file, the folder
// scans, and the conversion table.
#include <filesystem>
#include <unistd.h>

#include "harness.h"
#include "resolve_support.h"

using namespace names_test;

namespace {

std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> out;
  scriptClipToWords(text.c_str(), out);
  return out;
}

// Pre-scans `text` as the file `path`, loaded as the front end would.
void scan(const std::string& path, std::string text) {
  if (!ScriptFile::LoadedFileMap.has(path))
    ScriptFile::LoadedFileMap[path] = new ScriptFile(path.c_str(), text.c_str());
  TokenPackage::ParseOnlyClass(path.c_str(), text);
}

using PackageScan = NamesTest;

}  // namespace

TEST(PackageWords, CutsTextIntoTheWordsThePreScanReads) {
  struct Row {
    const char* name;
    std::string text;
    std::vector<std::string> expected;
  };
  const Row rows[] = {
      {"package header", "package a.b{", {"package", "a.b", "{"}},
      {"namespace declaration", "namespace ns = 1", {"namespace", "ns", "=", "1"}},
      {"function head", "foo():void", {"foo", "(", ")", ":void"}},
      {"separators", "a;b\tc\r\nd  e", {"a", "b", "c", "d", "e"}},
      {"brackets are words", "f(x){y}", {"f", "(", "x", ")", "{", "y", "}"}},
      {"quoted literals yield nothing", "x = \"class Foo\"; y='a b' z", {"x", "=", "y=", "z"}},
      {"escaped quote inside a literal", "a \"x\\\"class B\" c", {"a", "c"}},
      {"comments yield nothing", "a // class B\nc /* class D */e", {"a", "c", "e"}},
      {"a lone slash is a word byte", "a/b c/", {"a/b", "c/"}},
      {"high bytes neither start nor end a word",
       "\xE4\xB8\xAD"
       "ab c\xE4"
       "d",
       {"ab",
        "c\xE4"
        "d"}},
      {"unterminated literal ends the text", "a \"class B", {"a"}},
      {"unterminated comment ends the text", "a /* class B", {"a"}},
      {"line comment at the very end", "a //", {"a"}},
      {"empty text", "", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(words(row.text), row.expected);
  }
}

TEST(PackageWords, AppendsWithoutClearing) {
  std::vector<std::string> out = {"keep"};
  scriptClipToWords("a b", out);
  EXPECT_EQ(out, (std::vector<std::string>{"keep", "a", "b"}));
  scriptClipToWords(nullptr, out);
  EXPECT_EQ(out.size(), 3u);
}

TEST_F(PackageScan, RegistersTheFirstClassOfANamedPackage) {
  scan("/p/src/a/b/C.as",
       "\xEF\xBB\xBFpackage a.b {\n import x.Y;\n public class C extends Y {}\n}\nclass Second {}\n");
  ScriptFile* record = ScriptFile::LoadedFileMap.get("/p/src/a/b/C.as");
  EXPECT_EQ(record->hasPackage, 1);
  EXPECT_TRUE(TokenClass::_classMap_().has("a.b.C"));
  EXPECT_EQ(TokenClass::_classMap_().get("a.b.C"), nullptr);
  EXPECT_EQ(ScriptFile::GlobalClassWidthFileMap.get("a.b.C"), record);
  EXPECT_EQ(TokenPackage::GetConversionTable().get("a.b.C"), "a.b.C");
  EXPECT_EQ(TokenClass::_onlyClassNameMap_().get("C"), ";a.b.C;");
  EXPECT_EQ(TokenClass::_MiniClassMap_().get("a"), 1);
  // The import is known as a name, with no class behind it yet.
  EXPECT_TRUE(TokenClass::_classMap_().has("x.Y"));
  EXPECT_EQ(TokenPackage::GetConversionTable().get("x.Y"), "x.Y");
  // Only the first class of a file is pre-scanned.
  EXPECT_FALSE(TokenClass::_classMap_().has("a.b.Second"));
  EXPECT_FALSE(TokenClass::_classMap_().has("Second"));
  EXPECT_FALSE(TokenClass::_onlyClassNameMap_().has("Second"));
}

TEST_F(PackageScan, TableOfSmallFiles) {
  struct Row {
    const char* name;
    std::string text;
    std::vector<std::string> classes;     // keys expected in the class map, in order
    std::vector<std::string> namespaces;  // "key=value" of NameSpaceMap
    std::vector<std::string> functions;   // keys of GlobalFunctionWidthFileMap
    std::vector<std::string> miniRoots;   // keys of _MiniClassMap_
  };
  const Row rows[] = {
      {"package without a name", "package { public class Foo {} }", {"Foo"}, {}, {}, {}},
      {"package with an empty block only", "package a.b {}", {}, {}, {}, {"a"}},
      {"namespace before the class",
       "package pkg { public namespace ns = \"http://x\"; class K {} }",
       {"pkg.K"},
       {"pkg.ns=ns"},
       {},
       {"pkg"}},
      {"namespace after the class is ignored",
       "package pkg { class K { namespace late = 1; } }",
       {"pkg.K"},
       {},
       {},
       {"pkg"}},
      {"namespace without '=' right after its name", "package p { namespace ns=\"u\"; }", {}, {}, {}, {"p"}},
      {"only the first package function", "package p { function f():void {} function g() {} }", {}, {}, {"p.f"}, {"p"}},
      {"function after the class is ignored", "package p { class K { function m() {} } }", {"p.K"}, {}, {}, {"p"}},
      {"functions of an interface are no package functions",
       "package p { public interface I { function m():void; } }",
       {},
       {},
       {},
       {"p"}},
      {"a function in the unnamed package", "package { function top() {} }", {}, {}, {"top"}, {}},
      {"class inside a string", "package p { var s = \"class Fake\"; }", {}, {}, {}, {"p"}},
      {"class inside a comment", "package p { // class Fake\n /* class Other */ }", {}, {}, {}, {"p"}},
      {"import before package ends the scan", "/**/ import a.B; package p { class K {} }", {}, {}, {}, {}},
      {"class before package ends the scan", "// c\nclass K {} package p { class L {} }", {}, {}, {}, {}},
      {"function before package ends the scan", "/**/function f() {} package p { function g() {} }", {}, {}, {}, {}},
      {"namespace before package ends the scan", "/**/namespace n = 1; package p {}", {}, {}, {}, {}},
      {"text before the first comment or package is blanked",
       "import a.B; class Q package p { class K {} }",
       {"p.K"},
       {},
       {},
       {"p"}},
      {"single word", "package", {}, {}, {}, {}},
  };
  int n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    resetAll();
    scan("/src/F" + std::to_string(n++) + ".as", row.text);
    std::vector<std::string> classes, namespaces, functions, roots;
    for (const auto& [key, value] : TokenClass::_classMap_()) classes.push_back(key);
    for (const auto& [key, value] : TokenClass::NameSpaceMap) namespaces.push_back(key + "=" + value);
    for (const auto& [key, value] : ScriptFile::GlobalFunctionWidthFileMap) functions.push_back(key);
    for (const auto& [key, value] : TokenClass::_MiniClassMap_()) roots.push_back(key);
    EXPECT_EQ(classes, row.classes);
    EXPECT_EQ(namespaces, row.namespaces);
    EXPECT_EQ(functions, row.functions);
    EXPECT_EQ(roots, row.miniRoots);
  }
}

// After the first class only "import" and "package" words still register,
// in the order they stand: words as the cutting makes them, never parts of a
// longer word, of a literal or of a comment.
TEST_F(PackageScan, ImportsAndPackagesAfterTheClass) {
  struct Row {
    const char* name;
    std::string tail;                  // what follows "package p { class K {} }"
    std::vector<std::string> classes;  // keys of the class map after "p.K", in order
    std::vector<std::string> roots;    // keys of _MiniClassMap_ after "p"
  };
  const Row rows[] = {
      {"imports and a package in order", "\nimport a.B;\npackage q {}\nimport c.D;", {"a.B", "c.D"}, {"q"}},
      {"import at the very end names nothing", " import", {""}, {}},
      {"the word after a literal or a comment", "import /* x */ \"s\" a.B", {"a.B"}, {}},
      {"inside literals and comments", "\"import a.B\" 'package q' // import c.D\n/* package r */", {}, {}},
      {"parts of longer words", "reimport a.B importer c.D x.import e.F packages g", {}, {}},
      {"one word run into the other", "importpackage q impackage r", {}, {}},
      {"the words in quotes and comments, then outside them",
       "'import x' /* package y */ import a.B // import z\npackage q",
       {"a.B"},
       {"q"}},
      {"a lone slash goes on with the word", "/import a.B import/ c.D a/package q", {}, {}},
      {"a comment ends the word", "import// c\na.B package/**/q", {"a.B"}, {"q"}},
      {"brackets and semicolons end it", "{import a.B;}(package q)", {"a.B"}, {"q"}},
      {"high bytes before it outside a word",
       "\xE4\xB8\xAD"
       "import a.B x\xE4"
       "import c.D",
       {"a.B"},
       {}},
      {"a high byte after it goes on with the word", "import\xE4 a.B", {}, {}},
      {"after an unterminated literal nothing", "import a.B \"import c.D", {"a.B"}, {}},
      {"after an unterminated comment nothing", "import a.B /* import c.D", {"a.B"}, {}},
      {"the word after it may be a bracket", "import (", {"("}, {}},
      {"a package named by a brace has no root", "package {", {}, {}},
  };
  int n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    resetAll();
    scan("/src/T" + std::to_string(n++) + ".as", "package p { class K {} }" + row.tail);
    std::vector<std::string> classes{"p.K"}, roots{"p"}, seenClasses, seenRoots;
    classes.insert(classes.end(), row.classes.begin(), row.classes.end());
    roots.insert(roots.end(), row.roots.begin(), row.roots.end());
    for (const auto& [key, value] : TokenClass::_classMap_()) seenClasses.push_back(key);
    for (const auto& [key, value] : TokenClass::_MiniClassMap_()) seenRoots.push_back(key);
    EXPECT_EQ(seenClasses, classes);
    EXPECT_EQ(seenRoots, roots);
  }
}

TEST_F(PackageScan, EachFileIsScannedOnce) {
  scan("C:\\proj\\src\\A.as", "package { class A {} }");
  // The same file written with forward slashes is the same file.
  std::string again = "package { class Again {} }";
  TokenPackage::ParseOnlyClass("C:/proj/src/A.as", again);
  EXPECT_TRUE(TokenClass::_classMap_().has("A"));
  EXPECT_FALSE(TokenClass::_classMap_().has("Again"));
}

TEST_F(PackageScan, SkippedFilesAreNotMarkedAsScanned) {
  std::string empty;
  TokenPackage::ParseOnlyClass("/src/E.as", empty);
  scan("/src/E.as", "package { class E {} }");
  EXPECT_TRUE(TokenClass::_classMap_().has("E"));

  scan("/src/lib/__js__.as", "package { class Js {} }");
  EXPECT_FALSE(TokenClass::_classMap_().has("Js"));
  TokenPackage::ParseOnlyClass(nullptr, empty);
}

TEST_F(PackageScan, ARegisteredClassKeepsItsToken) {
  TokenClass* registered = new TokenClass(TokenTypeCode::Class, "class", 0, 1, nullptr);
  TokenClass::_classMap_()["p.K"] = registered;
  scan("/src/p/K.as", "package p { class K {} }");
  EXPECT_EQ(TokenClass::_classMap_().get("p.K"), registered);
}

TEST_F(PackageScan, APackageRootKeepsAHigherMiniCounter) {
  TokenClass::_MiniClassMap_()["a"] = 3;
  scan("/src/a/X.as", "package a { class X {} }");
  EXPECT_EQ(TokenClass::_MiniClassMap_().get("a"), 3);
}

TEST(PackageConversionTable, AddsOnlyWhenAsked) {
  resetAll();
  EXPECT_EQ(TokenPackage::ToConversionTable("a.B", false), "a.B");
  EXPECT_FALSE(TokenPackage::GetConversionTable().has("a.B"));
  EXPECT_EQ(TokenPackage::ToConversionTable("a.B", true), "a.B");
  EXPECT_EQ(TokenPackage::GetConversionTable().get("a.B"), "a.B");
  TokenPackage::GetConversionTable()["a.B"] = "B$1";
  EXPECT_EQ(TokenPackage::ToConversionTable("a.B", true), "B$1");
  EXPECT_EQ(TokenPackage::ToConversionTable("a.B", false), "B$1");
  resetAll();
}

TEST(PackageImportsText, WritesOneImportLinePerClassButInt) {
  TokenPackage package(TokenTypeCode::Package, "package", 0, 1, nullptr);
  package.importMap["Sprite"] = "zafrit.display.Sprite";
  package.importMap["int"] = "int";
  package.importMap["Point"] = "zafrit.geom.Point";
  EXPECT_EQ(package.importToAs3Script(), "import zafrit.display.Sprite;\r\nimport zafrit.geom.Point;\r\n");
}

namespace {

class PackageFolders : public NamesTest {
 protected:
  ruvotest::TempDir dir;
  std::string classFile(const std::string& rel, const std::string& pkg, const std::string& name) {
    std::string path = dir.path() + "/" + rel;
    ruvotest::writeFile(path, "package " + pkg + " {\n public class " + name + " {}\n}\n");
    return path;
  }
};

}  // namespace

TEST_F(PackageFolders, PackageFolderScanReachesDirectSubfoldersOnly) {
  classFile("src/a/b/C.as", "a.b", "C");
  classFile("src/a/b/J.jas", "a.b", "J");
  classFile("src/a/b/sub/D.as", "a.b.sub", "D");
  classFile("src/a/b/sub/deep/E.as", "a.b.sub.deep", "E");
  classFile("src/a/b/notes.txt", "a.b", "Txt");
  TokenPackage::ParsePackageAllFileForClass(dir.path() + "/src", "a.b");
  EXPECT_TRUE(TokenClass::_classMap_().has("a.b.C"));
  EXPECT_TRUE(TokenClass::_classMap_().has("a.b.J"));
  EXPECT_TRUE(TokenClass::_classMap_().has("a.b.sub.D"));
  EXPECT_FALSE(TokenClass::_classMap_().has("a.b.sub.deep.E"));
  EXPECT_FALSE(TokenClass::_classMap_().has("a.b.Txt"));
  // .jas files come first, then .as files.
  std::vector<std::string> order;
  for (const auto& [key, value] : TokenClass::_classMap_()) order.push_back(key);
  EXPECT_EQ(order, (std::vector<std::string>{"a.b.J", "a.b.C", "a.b.sub.D"}));
  ScriptFile* record = ScriptFile::GlobalClassWidthFileMap.get("a.b.C");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->path, dir.path() + "/src/a/b/C.as");

  // A folder is listed once per run: a file added later is not seen.
  classFile("src/a/b/Late.as", "a.b", "Late");
  TokenPackage::ParsePackageAllFileForClass(dir.path() + "/src", "a.b");
  EXPECT_FALSE(TokenClass::_classMap_().has("a.b.Late"));
}

TEST_F(PackageFolders, ASourceRootWithDotsKeepsThem) {
  classFile("my.game/src/a/b/C.as", "a.b", "C");
  TokenPackage::ParsePackageAllFileForClass(dir.path() + "/my.game/src", "a.b");
  EXPECT_TRUE(TokenClass::_classMap_().has("a.b.C"));
}

TEST_F(PackageFolders, MissingFolderListsNothing) {
  TokenPackage::ParsePackageAllFileForClass(dir.path() + "/nowhere", "a.b");
  EXPECT_TRUE(TokenClass::_classMap_().empty());
}

TEST_F(PackageFolders, NoSourceRootListsNotTheWorkingFolder) {
  // A file /x/Main.as declaring package a.b.c has no source root; its
  // "import *" must not pre-scan the folder the compile was started in.
  classFile("Stray.as", "", "Stray");
  const auto before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  TokenPackage::ParsePackageAllFileForClass("", "");
  std::filesystem::current_path(before);
  EXPECT_FALSE(TokenClass::_classMap_().has("Stray"));
}

TEST_F(PackageFolders, SourceFolderScanReachesEveryDepthWhenAsked) {
  classFile("src/Top.as", "", "Top");
  classFile("src/a/b/sub/deep/E.as", "a.b.sub.deep", "E");
  std::string src = dir.path() + "/src";
  TokenPackage::ParseOnlyClassEx(src.c_str(), false);
  EXPECT_TRUE(TokenClass::_classMap_().empty());
  TokenPackage::ParseOnlyClassEx(src.c_str(), true);
  EXPECT_TRUE(TokenClass::_classMap_().has("Top"));
  EXPECT_TRUE(TokenClass::_classMap_().has("a.b.sub.deep.E"));
  TokenPackage::ParseOnlyClassEx(nullptr, true);
}
