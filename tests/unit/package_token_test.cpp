// The package token: pretreatment of package a.b { ... } and its output.
#include "harness.h"
#include "resolve_support.h"

using namespace names_test;

namespace {

using PackageToken = NamesTest;

// A file root as the lexer leaves it: package, optional name word, block.
struct RawFile {
  ScriptFile* record;
  Parse* root;
  TokenPackage* package;
  Token* block;
};

RawFile rawFile(const std::string& path, const char* packageName, std::vector<const char*> blockWords) {
  RawFile f;
  f.record = new ScriptFile(path.c_str(), "");
  ScriptFile::LoadedFileMap[path] = f.record;
  f.root = new Parse(nullptr, "", path.c_str(), 0);
  f.root->path = path;
  f.root->directory = path.substr(0, path.rfind('/'));
  f.root->scriptFile = f.record;
  f.package = add<TokenPackage>(f.root, TokenTypeCode::Package, "package");
  if (packageName) add(f.root, TokenTypeCode::Word, packageName);
  f.block = add(f.root, TokenTypeCode::Block, "{");
  for (const char* w : blockWords) add(f.block, TokenTypeCode::Literal, w);
  return f;
}

}  // namespace

TEST_F(PackageToken, NamedPackageTakesItsNameAndAdoptsItsBlock) {
  RawFile f = rawFile("/proj/src/a/b/C.as", "a.b", {"x", "y"});
  Token* x = f.block->childs[0];
  EXPECT_EQ(f.package->pretreatment(f.root), 0);

  EXPECT_EQ(f.package->text, "a.b");
  EXPECT_EQ(f.package->qualifyingName, "a.b");
  EXPECT_EQ(f.package->ownerFile, f.root);
  EXPECT_EQ(f.root->package, f.package);
  EXPECT_EQ(f.record->package, f.package);
  EXPECT_EQ(f.record->packageName, "a.b");
  EXPECT_EQ(f.root->sourceRoot, "/proj/src");
  EXPECT_EQ(TokenPackage::GetPakageMap().get("a.b"), f.package);
  EXPECT_EQ(TokenPackage::GetConversionTable().get("a.b"), "a.b");
  // The name word and the block are gone from the root; the block's words are the package's.
  for (Token* t : f.root->childs) EXPECT_TRUE(t == nullptr || t == f.package);
  ASSERT_EQ(f.package->childs.size(), 2u);
  EXPECT_EQ(f.package->childs[0], x);
  EXPECT_EQ(x->parent, f.package);
  EXPECT_EQ(x->index, 0);
}

TEST_F(PackageToken, UnnamedPackageUsesTheFilesOwnFolder) {
  RawFile f = rawFile("/proj/src/Main.as", nullptr, {"x"});
  f.package->pretreatment(f.root);
  EXPECT_EQ(f.package->text, "");
  EXPECT_EQ(f.package->qualifyingName, "");
  EXPECT_EQ(f.root->sourceRoot, "/proj/src");
  EXPECT_EQ(TokenPackage::GetPakageMap().get("", nullptr), f.package);
  EXPECT_EQ(f.package->childs.size(), 1u);
}

TEST_F(PackageToken, APackageNameLongerThanItsFolderGivesAnEmptyRoot) {
  RawFile f = rawFile("/s/X.as", "very.long.name", {});
  f.package->pretreatment(f.root);
  EXPECT_EQ(f.root->sourceRoot, "");
}

TEST_F(PackageToken, TheFirstPackageOfANameStaysRegistered) {
  RawFile first = rawFile("/src/p/A.as", "p", {});
  RawFile second = rawFile("/src/p/B.as", "p", {});
  first.package->pretreatment(first.root);
  second.package->pretreatment(second.root);
  EXPECT_EQ(TokenPackage::GetPakageMap().get("p"), first.package);
  EXPECT_EQ(second.root->package, second.package);
}

TEST_F(PackageToken, PackageWithoutABlockKeepsItsSiblings) {
  ScriptFile* record = new ScriptFile("/src/N.as", "");
  ScriptFile::LoadedFileMap["/src/N.as"] = record;
  Parse* root = new Parse(nullptr, "", "/src/N.as", 0);
  root->directory = "/src";
  TokenPackage* package = add<TokenPackage>(root, TokenTypeCode::Package, "package");
  add(root, TokenTypeCode::Word, "n");
  EXPECT_EQ(package->pretreatment(root), 0);
  EXPECT_EQ(package->text, "n");
  EXPECT_TRUE(package->childs.empty());
}

TEST_F(PackageToken, XmlLiteralsRecordTheXmlClass) {
  File lib = makeFile("/lib/zafrit/xml/XMLElement.as", "zafrit.xml");
  addClass(lib, "XMLElement");
  RawFile f = rawFile("/src/X.as", nullptr, {});
  f.root->usesXml = 1;
  f.package->pretreatment(f.root);
  ASSERT_TRUE(f.record->usedClasses.has("XMLElement"));
  EXPECT_EQ(f.record->usedClasses.get("XMLElement")->fullName, "zafrit.xml.XMLElement");
  EXPECT_EQ(f.record->usedClasses.get("XMLElement")->file, lib.record);
}

TEST_F(PackageToken, OutputPrintsImportsThenChildrenWithoutBraces) {
  RawFile f = rawFile("/src/p/A.as", "p", {"alpha", "beta"});
  f.package->pretreatment(f.root);
  Token* early = new Token(TokenTypeCode::Literal, "early", 0, 1, nullptr);
  f.package->imports.push_back(early);
  std::string out;
  EXPECT_EQ(f.package->toJsScript(out, f.root, 0, 0), 0);
  EXPECT_EQ(out, "earlyalphabeta");
}

TEST_F(PackageToken, ASourceFileFillsItsPackageAndImports) {
  const std::string path = "/proj/src/app/Main.as";
  ScriptFile::LoadedFileMap[path] = new ScriptFile(path.c_str(), "");
  Parse* root = new Parse(nullptr,
                          "package app {\n"
                          "  import flash.display.Sprite;\n"
                          "  import flash.events.*;\n"
                          "  import game.Hero\n"
                          "  public class Main extends Sprite {}\n"
                          "}\n",
                          path.c_str(), 0);
  TokenPackage* package = root->package;
  ASSERT_NE(package, nullptr);
  EXPECT_EQ(package->qualifyingName, "app");
  EXPECT_EQ(root->sourceRoot, "/proj/src");
  EXPECT_EQ(package->imports.size(), 3u);
  EXPECT_EQ(package->importMap.get("Sprite"), "zafrit.display.Sprite");
  EXPECT_EQ(package->importMap.get("MouseEvent"), "zafrit.events.MouseEvent");
  EXPECT_EQ(package->importMap.get("Hero"), "game.Hero");
  EXPECT_EQ(ScriptFile::LoadedFileMap.get(path)->packageName, "app");
  // Neither the import paths nor their ';' are left among the package's children.
  for (Token* t : package->childs) {
    if (t == nullptr) continue;
    EXPECT_NE(t->text, "flash.display.Sprite");
    EXPECT_NE(t->type, TokenTypeCode::Semicolon);
  }
}
