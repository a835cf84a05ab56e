// Class records and registries: ids and depth keys, the short-name table,
// accessor lookups up the base chain, implemented interfaces, and the walks
// that must survive an inheritance loop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TokenClass.h"
#include "TokenFunction.h"
#include "TokenInterface.h"
#include "globals.h"

namespace {

class ClassRecords : public ::testing::Test {
 protected:
  void SetUp() override { resetCompilerState(); }

  static TokenClass* makeClass(const std::string& fullName) {
    auto* cls = new TokenClass(TokenTypeCode::Class, "", 0, 0, nullptr);
    cls->fullName = fullName;
    size_t dot = fullName.rfind('.');
    cls->shortName = dot == std::string::npos ? fullName : fullName.substr(dot + 1);
    cls->miniName = cls->shortName;
    return cls;
  }
  static TokenFunction* makeAccessor(const char* name, bool isStatic = false) {
    auto* fn = new TokenFunction(TokenTypeCode::Function, "", 0, 0, nullptr);
    fn->name = name;
    if (isStatic) fn->flags |= TokenModifierFlags::Static;
    return fn;
  }
};

TEST_F(ClassRecords, ClassIdsCountUpFromOneMillionth) {
  TokenClass* first = makeClass("a.First");
  TokenClass* second = makeClass("a.Second");
  EXPECT_DOUBLE_EQ(first->classId, 0.000001);
  EXPECT_DOUBLE_EQ(second->classId, 0.000002);
}

TEST_F(ClassRecords, ExtendsDepthAddsOnePerBaseAndTheOwnId) {
  TokenClass* base = makeClass("a.Base");  // 0.000001
  for (int i = 0; i < 3; ++i) makeClass("a.Filler");
  TokenClass* derived = makeClass("a.Derived");  // 0.000005
  derived->superClass = base;
  derived->superName = "a.Base";
  EXPECT_NEAR(derived->makeExtendsDeph(), 1.000006, 1e-12);
  EXPECT_NEAR(base->extendsDepth, 0.000001, 1e-12);
  EXPECT_LT(base->extendsDepth, derived->extendsDepth);
}

TEST_F(ClassRecords, OnlyClassNameMapKeepsOneEntryPerFullNameInLearningOrder) {
  TokenClass::_addToOnlyClassNameMap_("Item", "a.Item");
  TokenClass::_addToOnlyClassNameMap_("Item", "a.Item");
  EXPECT_EQ(TokenClass::_onlyClassNameMap_().get("Item"), ";a.Item;");
  TokenClass::_addToOnlyClassNameMap_("Item", "b.Item");
  EXPECT_EQ(TokenClass::_onlyClassNameMap_().get("Item"), ";a.Item;;b.Item;");

  TokenClass::_addToOnlyClassNameMap_("Top", "Top");
  EXPECT_EQ(TokenClass::_onlyClassNameMap_().get("Top"), ";Top;");
  EXPECT_FALSE(TokenClass::_onlyTopPathMap_().has("Top"));

  TokenClass::_addToOnlyClassNameMap_("Deep", "x.b.Deep");
  EXPECT_EQ(TokenClass::_onlyTopPathMap_().get("x"), "1");
  EXPECT_FALSE(TokenClass::_onlyTopPathMap_().has("x.b"));
}

TEST_F(ClassRecords, SharedShortNames) {
  TokenClass::_addToOnlyClassNameMap_("Item", "a.Item");
  TokenClass::_addToOnlyClassNameMap_("Solo", "a.Solo");
  TokenClass::_addToOnlyClassNameMap_("Item", "b.Item");
  TokenClass::_addToOnlyClassNameMap_("Other", "game.Other");  // makes "game" a package root
  TokenClass* cls = makeClass("a.Item");
  EXPECT_TRUE(TokenClass::_OnlyClassNameMapHasOtherClass_(cls, "Item", "a.Item"));
  EXPECT_FALSE(TokenClass::_OnlyClassNameMapHasOtherClass_(cls, "Solo", "a.Solo"));
  EXPECT_TRUE(TokenClass::_OnlyClassNameMapHasOtherClass_(cls, "game", "c.game"));
  // A class the pre-scan never saw counts as not shared (and is reported).
  EXPECT_FALSE(TokenClass::_OnlyClassNameMapHasOtherClass_(cls, "Ghost", "a.Ghost"));
}

TEST_F(ClassRecords, GetTokenClassIgnoresPlaceholders) {
  TokenClass::_classMap_()["a.Known"] = nullptr;  // entered by the pre-scan only
  EXPECT_EQ(TokenClass::GetTokenClass("a.Known"), nullptr);
  EXPECT_EQ(TokenClass::GetTokenClass("a.Absent"), nullptr);
  EXPECT_FALSE(TokenClass::_classMap_().has("a.Absent"));
  TokenClass* cls = makeClass("a.Known");
  TokenClass::_classMap_()["a.Known"] = cls;
  EXPECT_EQ(TokenClass::GetTokenClass("a.Known"), cls);
  EXPECT_EQ(TokenClass::GetTokenClass(static_cast<const char*>(nullptr)), nullptr);
}

TEST_F(ClassRecords, AccessorPairsAndTheirLookupUpTheChain) {
  TokenClass* base = makeClass("a.Base");
  TokenClass* derived = makeClass("a.Derived");
  derived->superName = "a.Base";
  TokenClass::_classMap_()["a.Base"] = base;  // resolved lazily by superName

  base->add_set("x", makeAccessor("x"));
  derived->add_get("x", makeAccessor("x"));
  TokenFunction* staticGetter = makeAccessor("count", true);
  derived->add_get("count", staticGetter);

  EXPECT_TRUE(derived->getSetMap.has("x"));
  EXPECT_EQ(derived->staticGetSetMap.get("count")->get, staticGetter);
  EXPECT_EQ(derived->staticGetSetMap.get("count")->set, nullptr);

  struct Row {
    const char* name;
    const char* kind;
    bool expected;
  } rows[] = {
      {"x", "get", true},     {"x", "set", true},       // setter from the base
      {"count", "get", true}, {"count", "set", false},  // static map
      {"y", "get", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.name) + " " + row.kind);
    EXPECT_EQ(derived->hasThisGetOrSetFun(row.name, row.kind), row.expected);
  }
  EXPECT_EQ(derived->superClass, base);  // cached on the way
  EXPECT_FALSE(base->hasThisGetOrSetFun("x", "get"));
}

TEST_F(ClassRecords, LaterAccessorOfTheSameKindReplacesTheEarlier) {
  TokenClass* cls = makeClass("a.C");
  TokenFunction* first = makeAccessor("v");
  TokenFunction* second = makeAccessor("v");
  cls->add_get("v", first);
  cls->add_get("v", second);
  ASSERT_EQ(cls->getSetMap.size(), 1u);
  EXPECT_EQ(cls->getSetMap.get("v")->get, second);
}

TEST_F(ClassRecords, FullImplementsListsInterfacesInDeclarationOrder) {
  TokenClass* cls = makeClass("a.C");
  EXPECT_EQ(cls->toFullImplements(), "");
  cls->implementsMap["a.IOne"] = "a.IOne";
  EXPECT_EQ(cls->toFullImplements(), "\"a.IOne\":true");
  cls->implementsMap["b.ITwo"] = "b.ITwo";
  EXPECT_EQ(cls->toFullImplements(), "\"a.IOne\":true,\"b.ITwo\":true");
}

TEST_F(ClassRecords, PrivateMembersOfEveryBaseGetTheirLevelName) {
  TokenClass* top = makeClass("a.Top");
  TokenClass* middle = makeClass("a.Middle");
  TokenClass* leaf = makeClass("a.Leaf");
  middle->superClass = top;
  leaf->superClass = middle;
  auto* topHidden = new Token(TokenTypeCode::DeclaredName, "size", 0, 0, nullptr);
  topHidden->flags = TokenModifierFlags::Private;
  auto* middleHidden = new Token(TokenTypeCode::DeclaredName, "size", 0, 0, nullptr);
  middleHidden->flags = TokenModifierFlags::Private;
  auto* middlePublic = new Token(TokenTypeCode::DeclaredName, "other", 0, 0, nullptr);
  top->members["size"] = topHidden;
  middle->members["size"] = middleHidden;
  middle->members["other"] = middlePublic;

  leaf->setPrivateWillAdjustName("size");
  leaf->setPrivateWillAdjustName("other");
  EXPECT_EQ(topHidden->privateNameDone, 1);
  EXPECT_EQ(middleHidden->privateNameDone, 1);
  EXPECT_EQ(middlePublic->privateNameDone, 0);
}

// The walk keeps the classes it met in a short list and moves to a set past
// it: a private member far up a long chain is still found, and a loop that
// closes far up still ends the walk.
TEST_F(ClassRecords, PrivateMembersAreFoundUpALongChainThatLoops) {
  std::vector<TokenClass*> chain;
  for (int i = 0; i < 40; ++i) chain.push_back(makeClass("a.C" + std::to_string(i)));
  for (int i = 0; i + 1 < 40; ++i) chain[i]->superClass = chain[i + 1];
  chain[39]->superClass = chain[20];
  auto* farHidden = new Token(TokenTypeCode::DeclaredName, "size", 0, 0, nullptr);
  farHidden->flags = TokenModifierFlags::Private;
  chain[35]->members["size"] = farHidden;
  auto* nearHidden = new Token(TokenTypeCode::DeclaredName, "size", 0, 0, nullptr);
  nearHidden->flags = TokenModifierFlags::Private;
  chain[3]->members["size"] = nearHidden;

  chain[0]->setPrivateWillAdjustName("size");
  EXPECT_EQ(farHidden->privateNameDone, 1);
  EXPECT_EQ(nearHidden->privateNameDone, 1);
}

TEST_F(ClassRecords, InterfacesAreMarked) {
  TokenInterface face(TokenTypeCode::Interface, "", 0, 0, nullptr);
  EXPECT_EQ(face.isInterface, 1);
  EXPECT_EQ(makeClass("a.C")->isInterface, 0);
}

// A loop in already linked base pointers (which linkSuperClass refuses to
// create) must still not hang any walk.
TEST_F(ClassRecords, WalksEndOnAnInheritanceLoop) {
  TokenClass* a = makeClass("a.A");
  TokenClass* b = makeClass("a.B");
  a->superClass = b;
  a->superName = "a.B";
  b->superClass = a;
  b->superName = "a.A";
  EXPECT_GT(a->makeExtendsDeph(), 0);
  EXPECT_FALSE(a->hasThisGetOrSetFun("nothing", "get"));
  a->setPrivateWillAdjustName("nothing");
  EXPECT_TRUE(TokenClass::chainReaches(a, b));
}

TEST_F(ClassRecords, LinkingABaseThatClosesALoopIsRefused) {
  TokenClass* a = makeClass("a.A");
  TokenClass* b = makeClass("a.B");
  b->superName = "a.A";
  ASSERT_TRUE(b->linkSuperClass(a, nullptr, nullptr));
  a->superName = "a.B";
  EXPECT_FALSE(a->linkSuperClass(b, nullptr, nullptr));
  EXPECT_EQ(a->superClass, nullptr);
  EXPECT_EQ(a->superName, "");

  TokenClass* self = makeClass("a.Self");
  self->superName = "a.Self";
  TokenClass::_classMap_()["a.Self"] = self;
  EXPECT_EQ(self->resolveSuperClass(), nullptr);
  EXPECT_EQ(self->superName, "");
}

}  // namespace
