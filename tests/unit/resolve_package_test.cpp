// Name resolution at the package level: what a name that no local and no
// class member explains becomes in the JavaScript.
#include "harness.h"
#include "resolve_support.h"

using namespace names_test;

namespace {

constexpr int kNone = -1;

// One file of package app importing classes of other packages, with a
// package variable, a private class, package functions and constants.
class PackageNames : public NamesTest {
 protected:
  File app, lib, a, util, top, swf;
  TokenClass *mainClass, *local, *sprite, *b, *topClass;

  void SetUp() override {
    NamesTest::SetUp();
    lib = makeFile("/proj/lib/zafrit/display/Sprite.as", "zafrit.display");
    sprite = addClass(lib, "Sprite");
    a = makeFile("/proj/src/a/B.as", "a");
    b = addClass(a, "B");
    addMember(b, "PI", true);
    addMember(b, "count", true);
    TokenPackage::GetConstMap()["a.B.PI"] = "3.14";
    util = makeFile("/proj/src/util/tools.as", "util");
    ScriptFile::GlobalFunctionWidthFileMap["util.tools"] = util.package;
    top = makeFile("/proj/src/Top.as", "");
    topClass = addClass(top, "Top");
    addMember(topClass, "VALUE", true);
    swf = makeFile("/proj/src/SWFTools.as", "");
    addMember(addClass(swf, "SWFTools"), "initClass", true);

    app = makeFile("/proj/src/app/Main.as", "app");
    mainClass = addClass(app, "Main");
    File second = makeFile("/proj/src/app/Local.as", "app");
    local = addClass(second, "Local", "Local$1");
    addMember(local, "MAX", true);
    TokenClass* extra = new TokenClass(TokenTypeCode::Class, "class", 0, 1, app.package);
    extra->shortName = extra->fullName = extra->miniName = "Extra";
    app.package->privateClasses["Extra"] = extra;
    Token* score = new Token(TokenTypeCode::DeclaredName, "score", 0, 1, app.package);
    score->setTypeText("int");
    app.package->packageMembers["score"] = score;
    ScriptFile::GlobalFunctionWidthFileMap["app.run"] = app.package;
    TokenPackage::GetConstMap()["app.LIMIT"] = "5";
    TokenClass::NameSpaceMap["app.ns"] = "ns";
    TokenClass::_classMap_()["a.Helper"] = nullptr;  // known from the pre-scan only
    _ompilerOptions_.defines["CONFIG::debug"] = "true";

    app.package->importMap["Sprite"] = "zafrit.display.Sprite";
    app.package->importMap["B"] = "a.B";
    app.package->importMap["Helper"] = "a.Helper";
    app.package->importMap["ns"] = "app.ns";
    app.package->importMap["SWFTools"] = "SWFTools";
  }

  // A statement of the file holding `prev`, the word and `next` (kNone: absent).
  Token* word(const std::string& text, int prev = kNone, int next = kNone, Token* where = nullptr) {
    Token* statement = add(where ? where : static_cast<Token*>(app.package), TokenTypeCode::Block, "{");
    if (prev != kNone) add(statement, prev, "");
    Token* w = add(statement, TokenTypeCode::Word, text.c_str());
    if (next != kNone) add(statement, next, "");
    return w;
  }
  Resolved resolveWord(const std::string& text, int prev = kNone, int next = kNone, int typeCommentOff = 0) {
    return resolve(app.package, word(text, prev, next), text, typeCommentOff);
  }
};

}  // namespace

TEST_F(PackageNames, TableOfNames) {
  struct Row {
    const char* name;
    std::string text;
    int prev, next;
    std::string expected;
    std::string headType;
  };
  const int New = TokenTypeCode::New, Paren = TokenTypeCode::Paren;
  const Row rows[] = {
      {"trace", "trace", kNone, Paren, "console.log", ""},
      {"imported class", "Sprite", kNone, kNone, "Sprite", "zafrit.display.Sprite"},
      {"imported class cast", "Sprite", kNone, Paren, "", ""},
      {"imported class after new", "Sprite", New, Paren, "Sprite", "zafrit.display.Sprite"},
      {"imported constant", "B.PI", kNone, kNone, " /*a.B.PI*/3.14", "a.B"},
      {"imported static", "B.count.x", kNone, kNone, "B.count.x", "a.B"},
      {"imported non-static member", "B.other", kNone, kNone, "B.other", "a.B"},
      {"imported placeholder class", "Helper", kNone, kNone, "a.Helper", "a.Helper"},
      {"imported namespace", "ns", kNone, kNone, "/*namespace*/", "app.ns"},
      {"constant by full name", "app.LIMIT", kNone, kNone, " /*app.LIMIT*/5", ""},
      {"package variable", "score", kNone, kNone, "app.score", "int"},
      {"package variable member", "score.x", kNone, kNone, "app.score.x", "int"},
      {"class of this package, static", "Local.MAX", kNone, kNone, "Local$1.MAX", "app.Local"},
      {"class of this package", "Local", kNone, kNone, "Local$1", "app.Local"},
      {"class of this package, member", "Local.other.x", kNone, kNone, "Local$1.other.x", "app.Local"},
      {"class of this package, cast", "Local", kNone, Paren, "", "app.Local"},
      {"private class", "Extra.y", kNone, kNone, "Extra.y", "Extra"},
      {"top-level class static", "Top.VALUE", kNone, kNone, "Top.VALUE", "Top"},
      {"package function by full name", "util.tools", kNone, Paren, "util.tools", ""},
      {"own package function", "run", kNone, kNone, "app.run", ""},
      {"XML cast", "XML", kNone, Paren, "new XML", "zafrit.xml.XMLElement"},
      {"new XML", "XML", New, Paren, "XML", "zafrit.xml.XMLElement"},
      {"XMLList", "XMLList", kNone, kNone, "XMLList", "zafrit.xml.XMLElementList"},
      {"Class cast", "Class", kNone, Paren, "", ""},
      {"browser global", "setTimeout", kNone, Paren, "setTimeout", ""},
      {"browser global head", "console.warn", kNone, Paren, "console.warn", ""},
      {"kept head", "window.location.href", kNone, kNone, "window.location.href", ""},
      {"kept head VENDRIX", "VENDRIX.now", kNone, kNone, "VENDRIX.now", ""},
      {"-define constant", "CONFIG::debug", kNone, kNone, "true", ""},
      {"qualified class", "a.B", kNone, kNone, "a.B", ""},
      {"qualified class member", "a.B.count", kNone, kNone, "B.count", ""},
      {"qualified placeholder member", "a.Helper.x", kNone, kNone, "a.Helper.x", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Resolved r = resolveWord(row.text, row.prev, row.next);
    EXPECT_EQ(r.text, row.expected);
    EXPECT_EQ(r.head.type, row.headType);
  }
  EXPECT_TRUE(app.record->warnings.empty());
}

TEST_F(PackageNames, UnknownNameIsAMemberOfThisAndAWarning) {
  for (const char* name : {"foo", "x.Unknown.y"}) {
    SCOPED_TRACE(name);
    app.record->warnings.clear();
    Token* w = word(name);
    w->line = 7;
    EXPECT_EQ(resolve(app.package, w, name).text, std::string("/*no*/this.") + name);
    ASSERT_EQ(app.record->warnings.size(), 1u);
    EXPECT_EQ(app.record->warnings[0],
              std::string("file:////proj/src/app/Main.as (7):warning:") + name + " This variable is not defined.");
  }
}

TEST_F(PackageNames, WithScopeLeavesNamesAsWritten) {
  Token* with = add(app.package, TokenTypeCode::With, "with");
  Token* block = add(with, TokenTypeCode::Block, "{");
  for (const char* name : {"foo", "Sprite", "trace"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(resolve(app.package, word(name, kNone, kNone, block), name).text, name);
  }
  EXPECT_TRUE(app.record->warnings.empty());
}

TEST_F(PackageNames, ConstantsAreBareInReleaseModeOrWhenAsked) {
  struct Row {
    const char* name;
    std::string text;
    bool release;
    int typeCommentOff;
    std::string expected;
  };
  const Row rows[] = {
      {"debug build", "app.LIMIT", false, 0, " /*app.LIMIT*/5"},
      {"type comments off", "app.LIMIT", false, 1, "5"},
      {"release", "app.LIMIT", true, 0, "5"},
      {"imported constant, debug build", "B.PI", false, 0, " /*a.B.PI*/3.14"},
      {"imported constant, release", "B.PI", true, 0, "3.14"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    __ISRELEASE__ = row.release;
    EXPECT_EQ(resolveWord(row.text, kNone, kNone, row.typeCommentOff).text, row.expected);
  }
}

TEST_F(PackageNames, ImportedConstantOfAClassNotRegisteredYet) {
  TokenClass::_classMap_()["a.B"] = nullptr;
  EXPECT_EQ(resolveWord("B.PI").text, " /*a.B.PI*/3.14");
  __ISRELEASE__ = true;
  EXPECT_EQ(resolveWord("B.PI").text, "3.14");
}

TEST_F(PackageNames, ShowDebugAddsTheMarkers) {
  __SHOWDEBUG__ = true;
  EXPECT_EQ(resolveWord("Sprite").text, "/*import 0*/Sprite");
  EXPECT_EQ(resolveWord("Sprite", kNone, TokenTypeCode::Paren).text, "/*as to*/");
  EXPECT_EQ(resolveWord("setTimeout").text, "/*system*/setTimeout");
  EXPECT_EQ(resolveWord("trace").text, "console.log");
}

TEST_F(PackageNames, TypeScriptKeepsTheCastClass) {
  __ISTOTS = true;
  EXPECT_EQ(resolveWord("Sprite", kNone, TokenTypeCode::Paren).text, "Sprite");
  EXPECT_EQ(resolveWord("a.B").text, "B");
}

TEST_F(PackageNames, DeclarationTypesOrderTheNamedClassAfterTheFirstClass) {
  mainClass->orderKey = 4;
  app.package->importMap["Local"] = "app.Local";
  Resolved r = resolveWord("Local", kNone, kNone, 2);
  EXPECT_EQ(r.text, "Local$1");
  EXPECT_EQ(local->orderKey, 5);
  local->orderKey = 9;
  resolveWord("Local", kNone, kNone, 2);
  EXPECT_EQ(local->orderKey, 9);
  // The first class itself is not moved.
  app.package->importMap["Main"] = "app.Main";
  resolveWord("Main", kNone, kNone, 2);
  EXPECT_EQ(mainClass->orderKey, 4);
}

TEST_F(PackageNames, WildcardImportsBringPackageVariablesAndNamespaces) {
  File shared = makeFile("/proj/src/shared/vars.as", "shared");
  shared.package->packageMembers["gravity"] = new Token(TokenTypeCode::DeclaredName, "gravity", 0, 1, nullptr);
  TokenClass::NameSpaceMap["shared.space"] = "space";
  app.package->wildcardMap["shared"] = ".";
  EXPECT_EQ(resolveWord("gravity").text, "shared.gravity");
  EXPECT_EQ(app.package->importMap.get("space"), "shared.space");
  EXPECT_EQ(resolveWord("space").text, "/*namespace*/");
  EXPECT_EQ(app.package->importsExpanded, 1);
}

TEST_F(PackageNames, UsesAreRecordedForTheFile) {
  resolveWord("util.tools", kNone, TokenTypeCode::Paren);
  EXPECT_EQ(app.record->usedFiles.get("/proj/src/util/tools.as", nullptr), util.record);
  resolveWord("Sprite");
  ASSERT_TRUE(app.record->usedClasses.has("Sprite"));
  EXPECT_EQ(app.record->usedClasses.get("Sprite")->fullName, "zafrit.display.Sprite");
  EXPECT_EQ(app.record->usedClasses.get("Sprite")->file, lib.record);
  // Outside release mode classes are recorded, files only for package functions.
  EXPECT_FALSE(app.record->usedFiles.has("/proj/src/a/B.as"));
}

TEST_F(PackageNames, TopLevelPackageFunctionIsRecordedAsAUsedName) {
  ScriptFile::GlobalFunctionWidthFileMap["helperFn"] = top.package;
  EXPECT_EQ(resolveWord("helperFn", kNone, TokenTypeCode::Paren).text, "helperFn");
  ASSERT_TRUE(app.record->usedClasses.has("helperFn"));
  EXPECT_EQ(app.record->usedClasses.get("helperFn")->file, top.record);
}

TEST_F(PackageNames, ReleaseModeRecordsDefiningFiles) {
  __ISRELEASE__ = true;
  app.record->usedMark = -1;
  resolveWord("a.B.count");
  EXPECT_EQ(app.record->usedFiles.get("/proj/src/a/B.as", nullptr), a.record);
  EXPECT_EQ(app.package->importMap.get("B"), "a.B");
  // A class imported by short name whose file sits beside this one.
  File beside = makeFile("/proj/src/app/Near.as", "app");
  app.package->importMap["Near"] = "Near";
  resolveWord("Near");
  EXPECT_EQ(app.record->usedFiles.get("/proj/src/app/Near.as", nullptr), beside.record);
  // An imported package function called by its short name.
  app.package->importMap["tools"] = "util.tools";
  resolveWord("tools", kNone, TokenTypeCode::Paren);
  EXPECT_EQ(app.record->usedFiles.get("/proj/src/util/tools.as", nullptr), util.record);
  resolveWord("SWFTools.initClass", kNone, TokenTypeCode::Paren);
  EXPECT_EQ(app.record->usedMark, 0);
}

TEST(PackageHelpers, InClassMapFindsTheLongestPrefix) {
  resetAll();
  TokenClass::_classMap_()["a.B"] = nullptr;
  TokenClass::_classMap_()["a.B.Inner"] = nullptr;
  TokenClass::_classMap_()["Top"] = nullptr;
  struct Row {
    std::string name;
    bool found;
    std::string cls;
  };
  const Row rows[] = {
      {"a.B.Inner.x", true, "a.B.Inner"},
      {"a.B.x.y", true, "a.B"},
      {"a.B", true, "a.B"},
      {"Top", true, "Top"},
      {"Top.x", true, "Top"},
      {"a", false, ""},
      {"", false, ""},
      {"x.a.B", false, ""},
      {".a", false, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::string out;
    EXPECT_EQ(TokenPackage::InClassMap(row.name, out), row.found);
    EXPECT_EQ(out, row.cls);
  }
  resetAll();
}

TEST(PackageHelpers, FindThisNameInFileMatchesThePathEnd) {
  resetAll();
  ScriptFile::LoadedFileMap["/p/src/a/Bee.as"] = nullptr;
  ScriptFile::LoadedFileMap["/p/src/a/B.as"] = nullptr;
  ScriptFile::LoadedFileMap["/p/src/B.as"] = nullptr;
  EXPECT_EQ(findThisNameInFile("a.B"), "/p/src/a/B.as");
  EXPECT_EQ(findThisNameInFile("B"), "/p/src/a/B.as");
  EXPECT_EQ(findThisNameInFile("ee"), "");
  EXPECT_EQ(findThisNameInFile("C"), "");
  EXPECT_EQ(packToFullName("a.b", "C"), "a.b.C");
  EXPECT_EQ(packToFullName("", "C"), "C");
  resetAll();
}

TEST_F(PackageNames, UsedClassesSkipTheRuntimeAndFullNamedClasses) {
  TokenClass* ruvo = addClass(top, "Ruvo");
  (void)ruvo;
  File other = makeFile("/proj/src/b/XML.as", "b");
  addClass(other, "XML", "b.XML");
  app.package->hasUseThisClass("Ruvo");
  app.package->hasUseThisClass("b.XML");
  app.package->hasUseThisClass("no.Such");
  EXPECT_TRUE(app.record->usedClasses.empty());
  app.package->hasUseThisClass("a.B");
  app.package->hasUseThisClass("a.B");
  EXPECT_EQ(app.record->usedClasses.size(), 1u);
  // Without release mode nothing else is recorded.
  EXPECT_TRUE(app.record->usedFiles.empty());
  EXPECT_FALSE(app.package->importMap.has("Ruvo"));
}

// A declared type that names no class is remembered as such by the package,
// but only until a class or an import of that name comes in: then the file
// uses it.
TEST_F(PackageNames, TypeNamedBeforeItsClassOrImportIsUsedOnceKnown) {
  app.package->useClassNamed("Later");
  app.package->useClassNamed("Later");
  EXPECT_FALSE(app.record->usedClasses.has("Later"));
  File later = makeFile("/proj/src/app/Later.as", "app");
  addClass(later, "Later");
  app.package->useClassNamed("Later");
  ASSERT_TRUE(app.record->usedClasses.has("Later"));
  EXPECT_EQ(app.record->usedClasses.get("Later")->fullName, "app.Later");

  app.package->useClassNamed("Far");
  EXPECT_FALSE(app.record->usedClasses.has("B"));
  app.package->importMap["Far"] = "a.B";
  app.package->useClassNamed("Far");
  ASSERT_TRUE(app.record->usedClasses.has("B"));
  EXPECT_EQ(app.record->usedClasses.get("B")->fullName, "a.B");
}
