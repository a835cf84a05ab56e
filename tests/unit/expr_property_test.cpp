// The spelling of `this` by the function a word stands in, the member-name
// helper, and the base-class walks behind `super`, on small hand-built trees
// and class records.
#include <gtest/gtest.h>

#include <string>

#include "Token.h"
#include "TokenClass.h"
#include "TokenFunction.h"
#include "globals.h"
#include "message.h"
#include "parse.h"

namespace {

using namespace TokenTypeCode;

// class C { function m() { <inner> } } with `inner` a function nested in m.
struct Tree {
  TokenClass* cls = new TokenClass(Class, "class", 0, 0, nullptr);
  Token* classBody = new Token(Block, "", 0, 0, nullptr);
  TokenFunction* method = new TokenFunction(Function, "function", 0, 0, nullptr);
  Token* methodBody = new Token(Block, "", 0, 0, nullptr);
  TokenFunction* inner = new TokenFunction(Function, "function", 0, 0, nullptr);
  Token* innerBody = new Token(Block, "", 0, 0, nullptr);
  Token* wordInMethod = new Token(Word, "this", 0, 0, nullptr);
  Token* wordInInner = new Token(Word, "this", 0, 0, nullptr);

  Tree() {
    cls->push(classBody);
    classBody->push(method);
    method->classMember = 1;
    method->name = "m";
    method->push(methodBody);
    methodBody->push(wordInMethod);
    methodBody->push(inner);
    inner->push(innerBody);
    innerBody->push(wordInInner);
  }
};

TEST(ExprProperty, ThisSpellingFollowsTheEnclosingFunction) {
  resetCompilerState();
  Token loose(Word, "this", 0, 0, nullptr);
  EXPECT_EQ(loose.thisSpelling(true), "this");

  struct Row {
    const char* name;
    const char* innerName;
    const char* assignedTo;
    const char* spelling;
    int methodCount;
  } rows[] = {
      {"anonymous, not assigned", "", "", "this", 0},
      {"anonymous, assigned to a variable", "", "f", "_$this", 1},
      {"named nested function", "helper", "", "_$this", 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Tree t;
    t.inner->name = row.innerName;
    t.inner->assignedVarName = row.assignedTo;
    EXPECT_EQ(t.wordInMethod->thisSpelling(true), "this");
    EXPECT_EQ(t.wordInInner->thisSpelling(false), row.spelling);
    EXPECT_EQ(t.method->closureThisCount, 0);
    EXPECT_EQ(t.wordInInner->thisSpelling(true), row.spelling);
    EXPECT_EQ(t.method->closureThisCount, row.methodCount);
  }

  // The use count never wraps back to zero.
  Tree t;
  t.inner->name = "helper";
  for (int i = 0; i < 300; ++i) t.wordInInner->thisSpelling(true);
  EXPECT_EQ(t.method->closureThisCount, 255);
}

TEST(ExprProperty, MemberNameWithTheRestOfThePath) {
  resetCompilerState();
  Tree t;
  Token* member = new Token(DeclaredName, "count", 0, 0, nullptr);
  t.classBody->push(member);
  EXPECT_EQ(t.wordInMethod->getThisSelfValue(member, "count"), "count");
  EXPECT_EQ(t.wordInMethod->getThisSelfValue(member, "count.value"), "count.value");

  // A private member whose name a base class also declares gets its level.
  TokenClass* base = new TokenClass(Class, "class", 0, 0, nullptr);
  base->members["count"] = new Token(DeclaredName, "count", 0, 0, nullptr);
  t.cls->superClass = base;
  t.cls->level = 1;
  member->flags = TokenModifierFlags::Private;
  EXPECT_EQ(t.wordInMethod->getThisSelfValue(member, "count.value"), "_$1_count.value");

  // A path that does not start with the member's name is reported and gives nothing.
  static std::string shown;
  shown.clear();
  MsgBox = [](const char* text, const char* caption) {
    shown = std::string(caption) + "|" + text;
    return 0;
  };
  EXPECT_EQ(t.wordInMethod->getThisSelfValue(member, "other"), "");
  MsgBox = nullptr;
  EXPECT_EQ(shown, "Error|!ERR,Class no this value:other file:");
}

TEST(ExprProperty, SuperLookupsWalkTheBaseClasses) {
  resetCompilerState();
  auto make = [](const char* full, const char* base) {
    TokenClass* c = new TokenClass(Class, "class", 0, 0, nullptr);
    c->fullName = full;
    c->superName = base;
    TokenClass::_classMap_()[full] = c;
    return c;
  };
  TokenClass* root = make("t.Root", "");
  TokenClass* mid = make("t.Mid", "t.Root");
  root->members["draw"] = new Token(DeclaredName, "draw", 0, 0, nullptr);
  root->staticMembers["make"] = new Token(DeclaredName, "make", 0, 0, nullptr);
  mid->members["size"] = new Token(DeclaredName, "size", 0, 0, nullptr);

  struct Row {
    const char* base;
    const char* name;
    const char* member;
    bool overridden;
    const char* expected;
  } rows[] = {
      {"t.Mid", "super.size", "size", false, "this.size"},
      {"t.Mid", "super.size", "size", true, "_super.prototype.size"},
      {"t.Mid", "super.draw.x", "draw", true, "t.Root.prototype.draw.x"},
      {"t.Mid", "super.draw", "draw", false, "this.draw"},
      {"t.Root", "super.make", "make", false, "_super.make"},
      {"t.Mid", "super.make", "make", false, "t.Root.make"},
      {"t.Mid", "super.none", "none", false, ""},
      {"t.Unknown", "super.size", "size", false, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(__getSuperClassFunc__(row.base, row.name, row.member, 0, row.overridden), row.expected);
  }
  EXPECT_TRUE(mid->superHasThisVar("draw"));

  // Classes that extend each other: the walks end.
  TokenClass* a = make("t.A", "t.B");
  TokenClass* b = make("t.B", "t.A");
  a->superClass = b;
  b->superClass = a;
  EXPECT_EQ(__getSuperClassFunc__("t.A", "super.q", "q", 0, false), "");
  EXPECT_FALSE(a->superHasThisVar("q"));
  for (const char* name : {"t.Root", "t.Mid", "t.A", "t.B"}) TokenClass::_classMap_().erase(name);
  resetCompilerState();
}

}  // namespace
