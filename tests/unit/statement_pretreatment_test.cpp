// The base pretreatment pass: namespaces, namespace-qualified declarations,
// the blank-after-'.' check and the type annotation helpers.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "Token.h"
#include "TokenClass.h"
#include "TokenPackage.h"
#include "globals.h"
#include "message.h"
#include "parse.h"

namespace {

// A file root in the package `packageName` holding the tokens of `source`.
Parse* fileWith(const std::string& source, const char* packageName) {
  resetCompilerState();
  fpprintf = std::tmpfile();
  auto* file = new Parse(nullptr, "/*[IF-FLASH]*/package", "/src/a/Main.as", 0);
  file->skip = 0;
  file->package = new TokenPackage(TokenTypeCode::Package, packageName, 0, 0, file);
  int pos = 0;
  int line = 0;
  file->parse(source.c_str(), static_cast<int>(source.size()), pos, line, nullptr);
  return file;
}

TEST(StatementPretreatment, NamespaceDeclarationIsRegistered) {
  Parse* file = fileWith("namespace ns = \"http://x\";", "a");
  file->pretreatment(file);
  EXPECT_EQ(TokenClass::NameSpaceMap.get("a.ns"), "a.ns");
  TokenClass::NameSpaceMap.erase("a.ns");
}

TEST(StatementPretreatment, NamespaceQualifiedDeclarationTurnsPublic) {
  Parse* file = fileWith("ns function f() {}", "a");
  file->package->importMap["ns"] = "b.ns";
  TokenClass::NameSpaceMap["b.ns"] = "b.ns";
  Token* word = file->childs.at(0);
  Token* function = file->childs.at(1);
  function->flags = TokenModifierFlags::Private;
  file->pretreatment(file);
  TokenClass::NameSpaceMap.erase("b.ns");
  EXPECT_EQ(word->type, TokenTypeCode::Literal);
  EXPECT_EQ(word->text, "");
  EXPECT_EQ(function->flags, TokenModifierFlags::Public);
}

// Before a var the lexer puts a ';' of its own; a namespace of the file's
// own package needs no import.
TEST(StatementPretreatment, OwnPackageNamespaceBeforeAVarTurnsItPublic) {
  Parse* file = fileWith("ns var x:int = 1;", "a");
  file->package->qualifyingName = "a";
  TokenClass::NameSpaceMap["a.ns"] = "a.ns";
  Token* word = file->childs.at(0);
  Token* var = file->childs.at(2);
  ASSERT_EQ(var->type, TokenTypeCode::Var);
  file->pretreatment(file);
  TokenClass::NameSpaceMap.erase("a.ns");
  EXPECT_EQ(word->type, TokenTypeCode::Literal);
  EXPECT_EQ(word->text, "");
  EXPECT_EQ(var->flags, TokenModifierFlags::Public);
}

TEST(StatementPretreatment, WordAfterDotAndCommentIsAnError) {
  Parse* file = fileWith("x = a./*c*/b;", "a");
  file->pretreatment(file);
  Token* b = file->childs.at(3);
  EXPECT_EQ(b->text, "b");
  EXPECT_EQ(b->pendingError(), "Behind[.]There can be no Spaces");
  std::string out;
  b->toJsScript(out, file, 0, 0);
  ASSERT_EQ(ScriptErr::__ERRS.size(), 1u);
  EXPECT_EQ(ScriptErr::__ERRS[0]->message, "Behind[.]There can be no Spaces");
  EXPECT_TRUE(ScriptErr::__ERRS[0]->showSource);
}

TEST(StatementPretreatment, NoDefaultValuesReachesEveryAncestor) {
  Parse* file = fileWith("{ { x(); } }", "a");
  Token* inner = file->childs.at(0)->childs.at(0);
  inner->childs.at(0)->noDefaultValues = 1;
  file->pretreatment(file);
  EXPECT_EQ(inner->noDefaultValues, 1);
  EXPECT_EQ(file->childs.at(0)->noDefaultValues, 1);
  EXPECT_EQ(file->noDefaultValues, 1);
}

TEST(StatementPretreatment, TypeDeclaration) {
  Token name(TokenTypeCode::Word, "f", 0, 0, nullptr);
  Token function(TokenTypeCode::SystemType, "Function", 0, 0, nullptr);
  EXPECT_EQ(name.toTypeDeclaration(nullptr), "");
  name.setTypeDeclaration(&function);
  EXPECT_EQ(name.functionTyped, 1);
  EXPECT_EQ(name.toTypeDeclaration(nullptr), "Function");

  Token other(TokenTypeCode::Word, "n", 0, 0, nullptr);
  Token number(TokenTypeCode::SystemType, "Number", 0, 0, nullptr);
  other.setTypeDeclaration(&number);
  EXPECT_EQ(other.functionTyped, 0);
  EXPECT_EQ(other.toTypeDeclaration(nullptr), "Number");
}

}  // namespace
