// The small TypeScript text helpers: type names, the type suffix of a declared
// name, access and const prefixes, class names as mini names.
#include <gtest/gtest.h>

#include "CompilerOptions.h"
#include "Token.h"
#include "TokenClass.h"
#include "TsOutput.h"
#include "globals.h"

namespace {

struct TsSwitch {
  explicit TsSwitch(bool on) : saved(__ISTOTS) { __ISTOTS = on; }
  ~TsSwitch() { __ISTOTS = saved; }
  bool saved;
};

TEST(ExprTsOutput, TypeNamesMapByTheTable) {
  struct Row {
    const char* in;
    const char* out;
  } rows[] = {
      {"int", "number"},          {"uint", "number"},        {"Number", "number"},
      {"Boolean", "boolean"},     {"String", "string"},      {"Array", "Array<any>"},
      {"XmlDom", "XMLDocument"},  {"Object", "any"},         {"*", "any"},
      {"Class", "any"},           {"Vector.<int>", "Array<any>"}, {"ruvo.display.Node", "ruvo.Node"},
      {"ruvo.X", "ruvo.X"},       {"Sprite", "Sprite"},      {"", ""},
      {"Vector", "Vector"},       {"my.ruvo.X", "my.ruvo.X"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.in);
    EXPECT_EQ(typeToTsType(row.in), row.out);
  }
}

TEST(ExprTsOutput, DeclaredNameTypeOnlyInTypeScriptMode) {
  Token typed(0, "n", 0, 0, nullptr);
  Token uintType(0, "uint", 0, 0, nullptr);
  Token vectorType(75, "Vector.<Sprite>", 0, 0, nullptr);
  Token emptyType(0, "", 0, 0, nullptr);
  Token untyped(0, "u", 0, 0, nullptr);
  {
    TsSwitch ts(false);
    typed.setTypeToken(&uintType);
    EXPECT_EQ(toTsVarType(&typed), "");
  }
  TsSwitch ts(true);
  typed.setTypeToken(&uintType);
  EXPECT_EQ(toTsVarType(&typed), ":number");
  typed.setTypeToken(&vectorType);
  EXPECT_EQ(toTsVarType(&typed), ":Array<any>");
  typed.setTypeToken(&emptyType);
  EXPECT_EQ(toTsVarType(&typed), "");
  EXPECT_EQ(toTsVarType(&untyped), "");
  EXPECT_EQ(toTsVarType(nullptr), "");
}

TEST(ExprTsOutput, AccessAndConstPrefixes) {
  Token priv(0, "a", 0, 0, nullptr);
  priv.flags = TokenModifierFlags::Private | TokenModifierFlags::Protected;
  Token prot(0, "b", 0, 0, nullptr);
  prot.flags = TokenModifierFlags::Protected;
  Token plain(0, "c", 0, 0, nullptr);
  Token member(0, "d", 0, 0, nullptr);
  member.flags = TokenModifierFlags::Inline;
  Token staticConst(0, "e", 0, 0, nullptr);
  staticConst.flags = TokenModifierFlags::Inline | TokenModifierFlags::Static;
  {
    TsSwitch ts(false);
    EXPECT_EQ(getPriveOrProtect(&priv, "x"), "");
    EXPECT_EQ(getConstStr(&member), "");
  }
  TsSwitch ts(true);
  EXPECT_EQ(getPriveOrProtect(&priv, "x"), "private ");
  EXPECT_EQ(getPriveOrProtect(&prot, "x"), "protected ");
  EXPECT_EQ(getPriveOrProtect(&plain, "x"), "");
  EXPECT_EQ(getPriveOrProtect(nullptr, "x"), "");
  EXPECT_EQ(getConstStr(&member), "readonly ");
  EXPECT_EQ(getConstStr(&staticConst), "/*const*/ ");
  EXPECT_EQ(getConstStr(&plain), "");
  EXPECT_EQ(getConstStr(nullptr), "");
}

TEST(ExprTsOutput, ClassNamesBecomeMiniNames) {
  resetCompilerState();
  TokenClass* a = new TokenClass(52, "class", 0, 0, nullptr);
  a->fullName = "pkg.A";
  a->miniName = "A";
  TokenClass* b = new TokenClass(52, "class", 0, 0, nullptr);
  b->fullName = "other.A";
  b->miniName = "A$1";
  TokenClass::_classMap_()["pkg.A"] = a;
  TokenClass::_classMap_()["other.A"] = b;
  TokenClass::_classMap_()["only.Scanned"] = nullptr;

  EXPECT_EQ(toTsClassName("pkg.A"), "A");
  EXPECT_EQ(toTsClassName("other.A"), "A$1");
  EXPECT_EQ(toTsClassName("only.Scanned"), "only.Scanned");
  EXPECT_EQ(toTsClassName("nowhere.X"), "nowhere.X");
  EXPECT_EQ(toTsClassNameS("pkg.A"), "A");
  EXPECT_EQ(toTsClassNameS("pkg.A,other.A"), "A,A$1");
  EXPECT_EQ(toTsClassNameS("pkg.A,,nowhere.X,"), "A,nowhere.X,");
  for (const char* name : {"pkg.A", "other.A", "only.Scanned"}) TokenClass::_classMap_().erase(name);
  resetCompilerState();
}

}  // namespace
