// import statements: what enters the file's import map, with the Flash
// emulation library on and off, wildcards, and the Flash3D switch.
#include "TokenImport.h"
#include "harness.h"
#include "resolve_support.h"

using namespace names_test;

namespace {

class Imports : public NamesTest {
 protected:
  File f;
  void SetUp() override {
    NamesTest::SetUp();
    f = makeFile("/proj/src/app/Main.as", "app");
    f.root->sourceRoot = "/proj/src";
  }
  // import <path>; inside the package, pretreated.
  TokenImport* import(const std::string& path) {
    TokenImport* token = add<TokenImport>(f.package, TokenTypeCode::Import, "import");
    add(f.package, TokenTypeCode::Word, path.c_str());
    add(f.package, TokenTypeCode::Semicolon, ";");
    EXPECT_EQ(token->pretreatment(f.root), 0);
    return token;
  }
  std::string output() {
    std::string out;
    f.package->toJsScript(out, f.root, 0, 0);
    return out;
  }
};

}  // namespace

TEST_F(Imports, FlashImportNamesTheEmulationLibrary) {
  Token* before = add(f.package, TokenTypeCode::Literal, "");
  TokenImport* token = import("flash.display.Sprite");
  EXPECT_EQ(token->text, "zafrit.display.Sprite");
  EXPECT_EQ(f.package->importMap.get("Sprite"), "zafrit.display.Sprite");
  EXPECT_TRUE(TokenClass::_classMap_().has("zafrit.display.Sprite"));
  ASSERT_EQ(f.package->imports.size(), 1u);
  EXPECT_EQ(f.package->imports[0], token);
  // The path word and the ';' are gone; the import itself prints nothing.
  for (Token* t : f.package->childs) EXPECT_TRUE(t == nullptr || t == token || t == before);
  EXPECT_EQ(output(), "");
  EXPECT_TRUE(ScriptErr::__ERRS.empty());
}

TEST_F(Imports, FlashImportWithTheLibraryOffIsAnErrorOnce) {
  _ompilerOptions_.zafritLib = false;
  TokenImport* token = import("flash.display.Sprite");
  EXPECT_FALSE(f.package->importMap.has("Sprite"));
  output();
  ASSERT_EQ(ScriptErr::__ERRS.size(), 1u);
  EXPECT_EQ(ScriptErr::__ERRS[0]->message, "\nZintrel not allow import flash.display.Sprite");
  EXPECT_EQ(ScriptErr::__ERRS[0]->token, token);
  EXPECT_EQ(ScriptErr::__ERRS[0]->file, f.root);
  EXPECT_FALSE(ScriptErr::__ERRS[0]->showSource);
  EXPECT_EQ(_ompilerOptions_.excludePaths, std::vector<std::string>{"/proj/src/app/Main.as"});
}

TEST_F(Imports, OtherImportsWithTheLibraryOffAreFine) {
  _ompilerOptions_.zafritLib = false;
  import("zafrit.display.Sprite");
  import("game.Hero");
  EXPECT_EQ(f.package->importMap.get("Sprite"), "zafrit.display.Sprite");
  EXPECT_EQ(f.package->importMap.get("Hero"), "game.Hero");
  EXPECT_EQ(output(), "");
  EXPECT_TRUE(ScriptErr::__ERRS.empty());
}

TEST_F(Imports, EventWildcardEntersTheFixedEventList) {
  for (const char* path : {"flash.events.*", "zafrit.events.*"}) {
    SCOPED_TRACE(path);
    f.package->importMap.clear();
    import(path);
    EXPECT_EQ(f.package->importMap.size(), 24u);
    EXPECT_EQ(f.package->importMap.begin()->first, "ActivityEvent");
    EXPECT_EQ(f.package->importMap.get("MouseEvent"), "zafrit.events.MouseEvent");
    EXPECT_EQ(f.package->importMap.get("TimerEvent"), "zafrit.events.TimerEvent");
    EXPECT_TRUE(f.package->wildcardMap.empty());
  }
}

TEST_F(Imports, WildcardTakesEveryKnownNameUnderThePrefixText) {
  File c = makeFile("/proj/src/a/b/C.as", "a.b");
  File d = makeFile("/proj/src/a/bc/D.as", "a.bc");
  File y = makeFile("/proj/src/x/Y.as", "x");
  ScriptFile::GlobalClassWidthFileMap["a.b.C"] = c.record;
  ScriptFile::GlobalClassWidthFileMap["a.bc.D"] = d.record;
  ScriptFile::GlobalClassWidthFileMap["x.Y"] = y.record;
  ScriptFile::GlobalFunctionWidthFileMap["a.b.helper"] = c.package;
  import("a.b.*");
  EXPECT_EQ(f.package->wildcardMap.get("a.b"), ".");
  EXPECT_EQ(f.package->importMap.get("C"), "a.b.C");
  EXPECT_EQ(f.package->importMap.get("D"), "a.bc.D");
  EXPECT_EQ(f.package->importMap.get("helper"), "a.b.helper");
  EXPECT_FALSE(f.package->importMap.has("Y"));
  EXPECT_EQ(TokenPackage::GetConversionTable().get("a.bc.D"), "a.bc.D");
  EXPECT_TRUE(TokenClass::_classMap_().has("a.b.*"));
}

// Of the names a wildcard reaches that share a short name, the one known
// last wins, unless the imported package itself has one: the registry's
// order, not the names' alphabetical order, decides.
TEST_F(Imports, WildcardNamesFollowTheRegistrationOrder) {
  File x = makeFile("/proj/src/a/bx/Item.as", "a.bx");
  File w = makeFile("/proj/src/a/b2/Item.as", "a.b2");
  ScriptFile::GlobalClassWidthFileMap["a.bx.Item"] = x.record;
  ScriptFile::GlobalClassWidthFileMap["a.b2.Item"] = w.record;
  import("a.*");
  EXPECT_EQ(f.package->importMap.get("Item"), "a.b2.Item");

  File own = makeFile("/proj/src/a/b/Item.as", "a.b");
  ScriptFile::GlobalClassWidthFileMap["a.b.Tool"] = own.record;
  ScriptFile::GlobalClassWidthFileMap["a.b.Item"] = own.record;
  ScriptFile::GlobalClassWidthFileMap["a.bz.Tool"] = x.record;
  f.package->importMap.clear();
  import("a.b.*");
  EXPECT_EQ(f.package->importMap.get("Item"), "a.b.Item");
  EXPECT_EQ(f.package->importMap.get("Tool"), "a.b.Tool");
  // Cleared with the other registries: nothing is found afterwards.
  ScriptFile::GlobalClassWidthFileMap.clear();
  EXPECT_TRUE(ScriptFile::GlobalClassWidthFileMap.withPrefix("a").empty());
  ScriptFile::GlobalClassWidthFileMap["a.c.New"] = x.record;
  ASSERT_EQ(ScriptFile::GlobalClassWidthFileMap.withPrefix("a.").size(), 1u);
}

// Interfaces are not pre-scanned: the ones a wildcard reaches join the names
// when the file first resolves one. What was found for a path is not reused
// once the class registry was cleared and filled again, even with as many
// classes and interfaces as before.
TEST_F(Imports, WildcardInterfacesAreFoundAgainAfterTheRegistryChanges) {
  auto resolve = [](File& file, const char* text) {
    Token* word = add(file.package, TokenTypeCode::Word, text);
    std::string name = text, head = text;
    int skip = 0;
    TokenHeadMsg msg;
    file.package->jsFormatProperty(name, head, word, 0, skip, msg);
  };
  import("a.b.*");
  File ia = makeFile("/proj/src/a/b/IA.as", "a.b");
  ScriptFile::GlobalClassWidthFileMap["a.b.IA"] = ia.record;
  TokenClass::_interfacesMap_()["a.b.IA"] = "a.b.IA";
  resolve(f, "IA");
  EXPECT_EQ(f.package->importMap.get("IA"), "a.b.IA");

  ScriptFile::GlobalClassWidthFileMap.clear();
  TokenClass::_interfacesMap_().clear();
  File ib = makeFile("/proj/src/a/b/IB.as", "a.b");
  ScriptFile::GlobalClassWidthFileMap["a.b.IB"] = ib.record;
  TokenClass::_interfacesMap_()["a.b.IB"] = "a.b.IB";
  File g = makeFile("/proj/src/app/Other.as", "app");
  TokenImport* token = add<TokenImport>(g.package, TokenTypeCode::Import, "import");
  add(g.package, TokenTypeCode::Word, "a.b.*");
  add(g.package, TokenTypeCode::Semicolon, ";");
  ASSERT_EQ(token->pretreatment(g.root), 0);
  g.package->importMap.clear();
  resolve(g, "IB");
  EXPECT_EQ(g.package->importMap.get("IB"), "a.b.IB");
  EXPECT_FALSE(g.package->importMap.has("IA"));
}

TEST_F(Imports, WildcardScansThePackageFolder) {
  ruvotest::TempDir dir;
  ruvotest::writeFile(dir.path() + "/src/lib/Tool.as", "package lib {\n public class Tool {}\n}\n");
  f.root->sourceRoot = dir.path() + "/src";
  import("lib.*");
  EXPECT_EQ(f.package->importMap.get("Tool"), "lib.Tool");
}

TEST_F(Imports, ALaterImportOfTheSameShortNameWins) {
  import("a.Item");
  import("b.Item");
  EXPECT_EQ(f.package->importMap.get("Item"), "b.Item");
}

TEST_F(Imports, ImportOfARegisteredClassRecordsItsUse) {
  File lib = makeFile("/proj/src/game/Hero.as", "game");
  addClass(lib, "Hero");
  import("game.Hero");
  ASSERT_TRUE(f.record->usedClasses.has("Hero"));
  EXPECT_EQ(f.record->usedClasses.get("Hero")->file, lib.record);
}

TEST_F(Imports, Context3DInTheMainFileSwitchesFlash3DOn) {
  _ompilerOptions_.mainFile = "/proj/src/app/Other.as";
  import("flash.display3D.Context3D");
  EXPECT_FALSE(_ompilerOptions_.flash3D);

  _ompilerOptions_.mainFile = "/proj/src/app/Main.as";
  testing::internal::CaptureStdout();
  import("flash.display3D.Context3D");
  fflush(stdout);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(_ompilerOptions_.flash3D);
  EXPECT_NE(out.find("MSG,1,0.00,,0,Enable Flash3D /proj/src/app/Main.as zafrit.display3D.Context3D\r\n"),
            std::string::npos)
      << out;
}

TEST_F(Imports, ImportWithoutAPathOrAPackageIsHarmless) {
  TokenImport* bare = add<TokenImport>(f.package, TokenTypeCode::Import, "import");
  EXPECT_EQ(bare->pretreatment(f.root), 0);
  EXPECT_TRUE(f.package->importMap.empty());

  Parse* loose = new Parse(nullptr, "", "/proj/src/Loose.as", 0);
  TokenImport* outside = add<TokenImport>(loose, TokenTypeCode::Import, "import");
  add(loose, TokenTypeCode::Word, "a.B");
  EXPECT_EQ(outside->pretreatment(loose), 0);
  TokenImport::addImportToMap(loose, "a.B");
  TokenImport::addImportToMap(nullptr, "a.B");
}
