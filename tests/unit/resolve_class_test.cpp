// Member name resolution inside a class body: the class itself, instance
// members (this. or _$this.), static members, constants, base classes.
#include "harness.h"
#include "resolve_support.h"

using namespace names_test;

namespace {

constexpr int kNone = -1;

// class pkg.Foo extends pkg.Base, with a method run and a closure inside it.
class ClassNames : public NamesTest {
 protected:
  File file;
  TokenClass *foo, *base;
  TokenFunction *run, *closure;
  Token *field, *statement;

  void SetUp() override {
    NamesTest::SetUp();
    File baseFile = makeFile("/src/pkg/Base.as", "pkg");
    base = addClass(baseFile, "Base", "Base$1");
    addMember(base, "prot", false, TokenModifierFlags::Protected);
    addMember(base, "pub", false, TokenModifierFlags::Public);
    addMember(base, "secret", false, TokenModifierFlags::Private);
    addMember(base, "shared", false, TokenModifierFlags::Public);
    addMember(base, "sb", true, TokenModifierFlags::Public);
    addMember(base, "LIM", true, TokenModifierFlags::Public);
    TokenFunction* getter = new TokenFunction(TokenTypeCode::Function, "function", 0, 1, base);
    getter->name = "gs";
    getter->accessorKind = 255;
    getter->flags = TokenModifierFlags::Static | TokenModifierFlags::Public;
    base->staticMembers["gs"] = getter;
    TokenPackage::GetConstMap()["pkg.Base.LIM"] = "7";

    file = makeFile("/src/pkg/Foo.as", "pkg");
    foo = addClass(file, "Foo");
    foo->superName = "pkg.Base";
    addMember(foo, "count", true);
    addMember(foo, "MAX", true);
    addMember(foo, "shared", true);
    field = addMember(foo, "f", false, TokenModifierFlags::Private, "int");
    TokenPackage::GetConstMap()["pkg.Foo.MAX"] = "10";
    run = addMethod(foo, "run");
    closure = addClosure(run->body);
  }

  Token* word(Token* where, const std::string& text, int prev = kNone, int next = kNone) {
    statement = add(where, TokenTypeCode::Block, "{");
    if (prev != kNone) add(statement, prev, "");
    Token* w = add(statement, TokenTypeCode::Word, text.c_str());
    if (next != kNone) add(statement, next, "");
    return w;
  }
  Resolved inMethod(const std::string& text, int prev = kNone, int next = kNone) {
    return resolve(foo, word(run->body, text, prev, next), text);
  }
  Resolved inClosure(const std::string& text) { return resolve(foo, word(closure->body, text), text); }
};

}  // namespace

TEST_F(ClassNames, TableOfNamesInAMethod) {
  struct Row {
    const char* name;
    std::string text;
    int prev, next;
    std::string expected;
  };
  const int New = TokenTypeCode::New, Paren = TokenTypeCode::Paren;
  const Row rows[] = {
      {"cast to the class", "Foo", kNone, Paren, ""},
      {"the class", "Foo", kNone, kNone, "Foo"},
      {"new of the class", "Foo", New, Paren, "Foo"},
      {"bare static", "count", kNone, kNone, "Foo.count"},
      {"static through the class name", "Foo.count", kNone, kNone, "pkg.Foo.count"},
      {"static member chain through the class name", "Foo.count.x", kNone, kNone, "pkg.Foo.count.x"},
      {"constant through the class name", "Foo.MAX", kNone, kNone, " /*CLASS CONST:pkg.Foo.MAX*/10"},
      {"bare constant", "MAX", kNone, kNone, "10"},
      {"no static of that name", "Foo.zzz", kNone, kNone, "pkg.Foo.zzz"},
      {"instance field", "f", kNone, kNone, "this.f"},
      {"instance field chain", "f.length", kNone, kNone, "this.f.length"},
      {"protected base field", "prot", kNone, kNone, "this.prot"},
      {"public base field", "pub.x", kNone, kNone, "this.pub.x"},
      {"base instance member wins over own static", "shared", kNone, kNone, "this.shared"},
      {"static getter of the base", "gs", kNone, kNone, "Base.gs"},
      {"static of the base", "sb", kNone, kNone, "Base$1.sb"},
      {"constant of the base", "LIM", kNone, kNone, "7"},
      {"handed to the package", "trace", kNone, Paren, "console.log"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(inMethod(row.text, row.prev, row.next).text, row.expected);
  }
  EXPECT_EQ(run->closureThisCount, 0);
  EXPECT_TRUE(file.record->warnings.empty());
}

TEST_F(ClassNames, InstanceMembersRecordTheirType) {
  Token* w = word(run->body, "f");
  Resolved r = resolve(foo, w, "f");
  EXPECT_EQ(r.head.type, "pkg.Foo");
  EXPECT_EQ(w->resolvedTypeText(), field->toTypeDeclaration(file.root));

  Resolved fromBase = inMethod("prot");
  EXPECT_EQ(fromBase.head.type, "pkg.Base");
  EXPECT_EQ(fromBase.head.state, 0);
  EXPECT_EQ(foo->superClass, base);
}

TEST_F(ClassNames, ClosuresReachTheInstanceThroughTheMethodsAlias) {
  EXPECT_EQ(inClosure("f").text, "_$this.f");
  EXPECT_EQ(run->closureThisCount, 1);
  EXPECT_EQ(inClosure("prot.x").text, "_$this.prot.x");
  EXPECT_EQ(run->closureThisCount, 2);
  // Statics are not instance members: no alias needed.
  EXPECT_EQ(inClosure("count").text, "Foo.count");
  EXPECT_EQ(run->closureThisCount, 2);
  // A closure inside the closure still counts on the method.
  TokenFunction* inner = addClosure(closure->body);
  EXPECT_EQ(resolve(foo, word(inner->body, "f"), "f").text, "_$this.f");
  EXPECT_EQ(run->closureThisCount, 3);
}

TEST_F(ClassNames, AClosureCountDoesNotWrapAround) {
  run->closureThisCount = 255;
  EXPECT_EQ(inClosure("f").text, "_$this.f");
  EXPECT_EQ(run->closureThisCount, 255);
}

TEST_F(ClassNames, ClosureOutsideAnyMethodIsReported) {
  TokenFunction* loose = addClosure(body(foo));
  Token* w = word(loose->body, "f");
  w->line = 12;
  testing::internal::CaptureStdout();
  std::string text = resolve(foo, w, "f").text;
  fflush(stdout);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(text, "_$this.f");
  EXPECT_NE(out.find("MSG,7,0.00,/src/pkg/Foo.as,12,No in Function\n"), std::string::npos) << out;
}

TEST_F(ClassNames, PrivateBaseMembersAreLeftToThePackage) {
  EXPECT_EQ(inMethod("secret").text, "/*no*/this.secret");
  ASSERT_EQ(file.record->warnings.size(), 1u);
  EXPECT_NE(file.record->warnings[0].find("secret This variable is not defined."), std::string::npos);
  EXPECT_EQ(inClosure("secret").text, "/*no*/this.secret");
  EXPECT_EQ(run->closureThisCount, 0);
}

TEST_F(ClassNames, WithScopeLeavesMembersAsWritten) {
  Token* with = add(run->body, TokenTypeCode::With, "with");
  Token* block = add(with, TokenTypeCode::Block, "{");
  EXPECT_EQ(resolve(foo, word(block, "f"), "f").text, "f");
  EXPECT_EQ(resolve(foo, word(block, "prot"), "prot").text, "prot");
}

TEST_F(ClassNames, ReleaseAndTypeScriptConstants) {
  struct Row {
    const char* name;
    bool release, ts, debug;
    std::string text, expected;
  };
  const Row rows[] = {
      {"release, own name", true, false, false, "Foo.MAX", "10"},
      {"release, own name, debug markers", true, false, true, "Foo.MAX", "/*CONST*/10"},
      {"debug build, own name, debug markers", false, false, true, "Foo.MAX", " /*CLASS CONST:pkg.Foo.MAX*/10"},
      {"release, bare", true, false, false, "MAX", "10"},
      {"release TypeScript, bare", true, true, false, "MAX", "Foo.MAX"},
      {"debug build, bare, debug markers", false, false, true, "MAX", " /*class-pkg.Foo.MAX*/10"},
      {"TypeScript, no such static", false, true, false, "Foo.zzz", "Foo.zzz"},
      {"debug markers, bare static", false, false, true, "count", " /*static1*/Foo.count"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    __ISRELEASE__ = row.release;
    __ISTOTS = row.ts;
    __SHOWDEBUG__ = row.debug;
    EXPECT_EQ(inMethod(row.text).text, row.expected);
  }
}

TEST_F(ClassNames, APrivateClassIsNamedAsWritten) {
  foo->flags &= ~TokenModifierFlags::Public;
  EXPECT_EQ(inMethod("Foo.zzz").text, "Foo.zzz");
  EXPECT_EQ(inMethod("Foo.count").text, "pkg.Foo.count");
}

TEST_F(ClassNames, AnInheritanceCycleDoesNotHang) {
  base->superName = "pkg.Foo";
  EXPECT_EQ(inMethod("nowhere").text, "/*no*/this.nowhere");
}

TEST(ClassStaticCheck, FindsStaticMembersBehindTheHead) {
  resetAll();
  File f = makeFile("/src/pkg/Foo.as", "pkg");
  TokenClass* foo = addClass(f, "Foo");
  addMember(foo, "count", true);
  addMember(foo, "f", false);
  struct Row {
    const char *marker, *full, *name, *head, *expected;
  };
  const Row rows[] = {
      {"", "pkg.Foo", "Foo.count", "Foo", "pkg.Foo.count"},
      {"M", "pkg.Foo", "Foo.count.x.y", "Foo", "Mpkg.Foo.count.x.y"},
      {"", "pkg.Foo", "count", "count", "pkg.Foo.count"},
      {"", "pkg.Foo", "Foo.f", "Foo", ""},
      {"", "pkg.Foo", "Foo", "Foo", ""},
      {"", "pkg.Foo", "Foo.", "Foo", ""},
      {"", "no.Such", "Foo.count", "Foo", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(TokenClass::_checkStaticGet_Set(row.marker, row.full, row.name, row.head), row.expected);
  }
  resetAll();
}

TEST(ClassMiniNames, ConvertsTheLongestKnownPrefix) {
  resetAll();
  OrderedMap<std::string>& table = TokenPackage::GetConversionTable();
  table["a.b.C"] = "C$1";
  table["a.b"] = "ab";
  table["Top"] = "Top$2";
  table["a"] = "A";
  struct Row {
    const char *name, *expected;
  };
  const Row rows[] = {
      {"a.b.C.x", "C$1.x"}, {"a.b.C", "C$1"},   {"a.b.D", "ab.D"}, {"a.x", "a.x"}, {"Top", "Top$2"},
      {"Top.x", "Top.x"},   {"Other", "Other"}, {"", ""},          {".a", ".a"},   {"a", "A"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(TokenPackage::ConvertWithMinClassName(row.name), row.expected);
  }
  resetAll();
}
