// The token node: type-code table, child-list operations, sibling lookups,
// searches, the two child loops and their skip counts.
#include <gtest/gtest.h>

#include <set>
#include <typeinfo>

#include "TokenClass.h"
#include "TokenFunction.h"
#include "TokenOther.h"
#include "TokenPackage.h"
#include "lexer_util.h"

// The tests delete tokens as exactly the class they made them with.
#pragma GCC diagnostic ignored "-Wdelete-non-virtual-dtor"

namespace {

using lexertest::dump;

class TokenTree : public testing::Test {
 protected:
  void SetUp() override { lexertest::freshState(); }
};

Token* word(const char* text, int type = TokenTypeCode::Word) { return new Token(type, text, 0, 0, nullptr); }

// A token whose passes are scripted by the test.
class ScriptedToken : public Token {
 public:
  ScriptedToken(const char* text, int pretreatSkip, int outputSkip)
      : Token(TokenTypeCode::Word, text, 0, 0, nullptr), pretreatSkip(pretreatSkip), outputSkip(outputSkip) {}
  int pretreatment(Parse*) override {
    ++visits;
    return pretreatSkip;
  }
  int toJsScript(std::string& out, Parse*, int, int) override {
    out += text;
    return outputSkip;
  }
  int pretreatSkip;
  int outputSkip;
  int visits = 0;
};

// Removes itself and the next sibling on its first visit, as a type
// annotation does, and asks the loop to go back two places.
class SelfRemovingToken : public ScriptedToken {
 public:
  SelfRemovingToken() : ScriptedToken(":", -2, 0) {}
  int pretreatment(Parse*) override {
    ++visits;
    if (visits > 1) return 0;
    Token* p = parent;
    int at = index;
    p->eraseChild(at);
    if (at < static_cast<int>(p->childs.size())) p->eraseChild(at);
    return -2;
  }
};

TEST_F(TokenTree, TypeTableListsEveryCodeOnceInOrder) {
  const std::set<int> expected = {0,  16, 18, 19, 21, 23, 26, 27, 30, 32, 41, 42, 50, 51, 52, 53, 54, 55, 56, 57, 58,
                                  59, 60, 61, 62, 63, 64, 65, 70, 71, 73, 74, 75, 76, 77, 78, 79, 80, 81, 82, 83, 100};
  std::set<int> seen;
  int previous = -1;
  for (int i = 0; i < kTokenTypeTableSize; ++i) {
    const NamedCode& info = kTokenTypeTable[i];
    SCOPED_TRACE(info.name);
    EXPECT_GT(info.code, previous);
    previous = info.code;
    EXPECT_TRUE(seen.insert(info.code).second);
    EXPECT_NE(std::string(info.meaning), "");
  }
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(kTokenTypeTable[0].code, TokenTypeCode::Word);
  EXPECT_EQ(kTokenTypeTable[kTokenTypeTableSize - 1].code, TokenTypeCode::Operator);
}

// The test dumps print these names; a code no row has prints as "#code".
TEST_F(TokenTree, TypeNamesComeFromTheTable) {
  EXPECT_EQ(tokenTypeName(TokenTypeCode::Word), "Word");
  EXPECT_EQ(tokenTypeName(TokenTypeCode::Paren), "Paren");
  EXPECT_EQ(tokenTypeName(TokenTypeCode::Operator), "Operator");
  EXPECT_EQ(tokenTypeName(TokenTypeCode::Reserved), "#40");
  EXPECT_EQ(tokenTypeName(-1), "#-1");
}

TEST_F(TokenTree, ConstructorDefaults) {
  Token parent(TokenTypeCode::Block, nullptr, 0, 3, nullptr);
  Token t(TokenTypeCode::Number, "12", 5, 7, &parent);
  EXPECT_EQ(t.type, TokenTypeCode::Number);
  EXPECT_EQ(t.text, "12");
  EXPECT_EQ(t.line, 7);
  EXPECT_EQ(t.endLine, 7);
  EXPECT_EQ(t.index, -1);
  EXPECT_EQ(t.flags, 0);
  EXPECT_EQ(t.outputEnabled, 1);
  EXPECT_EQ(t.parent, &parent);
  EXPECT_EQ(t.file, nullptr);
  EXPECT_TRUE(parent.childs.empty());  // not placed yet
  Token empty(TokenTypeCode::Word, nullptr, 0, 0, nullptr);
  EXPECT_EQ(empty.text, "");
}

// A group's closing layout: a line end and one to three tabs is held in
// the token's own bits, any other in its record; each store replaces the
// last whichever home either had, and a copy reads the same.
TEST_F(TokenTree, ClosingLayoutsReadAsStoredWhereverTheyAreKept) {
  const struct {
    bool shared;
    const char* layout;
  } steps[] = {
      {true, "\n\t\t"}, {false, "  "},  {true, "\n\t\t\t\t"}, {true, "\n\t"},       {true, "\n"},
      {true, "\n\t\t\t"}, {false, ""}, {true, "\n\t\t"},       {true, ""},        {true, "\t"},
  };
  Token group(TokenTypeCode::Block, nullptr, 0, 1, nullptr);
  for (const auto& step : steps) {
    SCOPED_TRACE(testing::Message() << (step.shared ? "shared " : "text ") << '"' << step.layout << '"');
    if (step.shared)
      group.setTrailingShared(SharedString(step.layout));
    else
      group.setTrailingText(step.layout);
    EXPECT_EQ(group.trailingText(), step.layout);
    Token copy = group;
    EXPECT_EQ(copy.trailingText(), step.layout);
  }
}

TEST_F(TokenTree, PlacingChildrenKeepsIndexParentAndFile) {
  Parse* file = lexertest::emptyFile();
  Token* g = new Token(TokenTypeCode::Block, nullptr, 0, 0, nullptr);
  file->push(g);
  EXPECT_EQ(g->file, file);
  Token* a = word("a");
  Token* c = word("c");
  g->push(a);
  g->push(c);
  g->insertIt(word("b"), 1);
  g->insertIt(word("end"), 3);  // at the count: appends
  g->insertIt(nullptr, 0);      // nothing
  EXPECT_EQ(dump(g->childs), "Word:a Word:b Word:c Word:end");
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(g->childs[i]->index, i);
    EXPECT_EQ(g->childs[i]->parent, g);
    EXPECT_EQ(g->childs[i]->file, file);
  }

  // Inserting before a null entry moves the null entry up by one.
  EXPECT_TRUE(g->clearNextToken(a, 1));  // "b" leaves a null slot
  g->insertIt(word("x"), 1);
  EXPECT_EQ(dump(g->childs), "Word:a Word:x null Word:c Word:end");
  EXPECT_EQ(c->index, 3);

  g->setIn(word("y"), 1);
  g->setIn(word("never"), 9);  // no such slot
  EXPECT_EQ(dump(g->childs), "Word:a Word:y null Word:c Word:end");

  EXPECT_TRUE(g->eraseChild(2));
  EXPECT_FALSE(g->eraseChild(-1));
  EXPECT_FALSE(g->eraseChild(4));
  EXPECT_EQ(dump(g->childs), "Word:a Word:y Word:c Word:end");
  EXPECT_EQ(c->index, 2);
  deleteTokenTree(file);
}

TEST_F(TokenTree, ClearNextTokenShrinksAtTheEndAndLeavesNullElsewhere) {
  Token g(TokenTypeCode::Block, nullptr, 0, 0, nullptr);
  Token* a = word("a");
  Token* b = word("b");
  Token* c = word("c");
  g.push(a);
  g.push(b);
  g.push(c);
  EXPECT_TRUE(g.clearNextToken(c, 0));  // the last slot: the list shrinks
  EXPECT_EQ(dump(g.childs), "Word:a Word:b");
  EXPECT_TRUE(g.clearNextToken(a, 0));  // any other slot: a null entry
  EXPECT_EQ(dump(g.childs), "null Word:b");
  EXPECT_FALSE(g.clearNextToken(b, -1));  // already null
  EXPECT_FALSE(g.clearNextToken(b, 5));   // out of range
  EXPECT_FALSE(g.clearNextToken(nullptr, 0));
  delete a;
  delete b;
  delete c;
}

TEST_F(TokenTree, SiblingLookupsGiveNeutralAnswersOutOfRange) {
  Parse* p = lexertest::lexFile("a , b");
  Token* a = p->childs[0];
  EXPECT_EQ(p->getNextToken(a, 2), p->childs[2]);
  EXPECT_EQ(p->getNextToken(a, 3), nullptr);
  EXPECT_EQ(p->getNextToken(a, -1), nullptr);
  EXPECT_EQ(p->getNextValue(a, 1), ",");
  EXPECT_EQ(p->getNextValue(a, 9), "");
  EXPECT_EQ(p->getNextType(a, 1), TokenTypeCode::Comma);
  EXPECT_EQ(p->getNextType(a, 9), -10000);
  EXPECT_TRUE(p->checkNextType(a, 2, TokenTypeCode::Word));
  EXPECT_FALSE(p->checkNextType(a, 9, TokenTypeCode::Word));
  EXPECT_EQ(p->getTokenFrome(1), p->childs[1]);
  EXPECT_EQ(p->getTokenFrome(-1), nullptr);
  EXPECT_EQ(p->getTokenFrome(3), nullptr);
  TokenList other{p->childs[2]};
  EXPECT_EQ(p->getNextToken(a, 0, &other), p->childs[2]);
  EXPECT_EQ(a->nextSibling(), p->childs[1]);
  EXPECT_EQ(a->prevSibling(), nullptr);
  // siblingOf: steps off either end, a token with no place or a stale
  // index, and no token at all give null.
  Token* b = p->childs[2];
  EXPECT_EQ(siblingOf(a, 2), b);
  EXPECT_EQ(siblingOf(b, -2), a);
  EXPECT_EQ(siblingOf(b, 0), b);
  EXPECT_EQ(siblingOf(a, -1), nullptr);
  EXPECT_EQ(siblingOf(a, 3), nullptr);
  EXPECT_EQ(siblingOf(b, 1), nullptr);
  EXPECT_EQ(siblingOf(b, -3), nullptr);
  EXPECT_EQ(siblingOf(nullptr, 1), nullptr);
  b->index = -1;
  EXPECT_EQ(siblingOf(b, -1), nullptr);
  b->index = 1;  // where the ',' stands
  EXPECT_EQ(siblingOf(b, -1), nullptr);
  b->index = 3;  // past the end
  EXPECT_EQ(siblingOf(b, -1), nullptr);
  b->index = 2;
  Token loose(TokenTypeCode::Word, "c", 0, 0, nullptr);
  loose.index = 0;
  EXPECT_EQ(siblingOf(&loose, 0), nullptr);
  deleteTokenTree(p);
}

TEST_F(TokenTree, Searches) {
  Parse* p = lexertest::lexFile("x ; a b if c = d");
  // Word:x Semicolon:; Word:a Word:b StatementWord:if Word:c Assign:= Word:d
  EXPECT_EQ(p->findThisType(TokenTypeCode::Word, 1), 2);
  EXPECT_EQ(p->findThisType(TokenTypeCode::Assign, 0), 6);
  EXPECT_EQ(p->findThisType(99, 0), -1);
  EXPECT_EQ(p->findThisType(TokenTypeCode::Word, -1), -1);
  EXPECT_EQ(p->findThisType(TokenTypeCode::Word, 8), -1);
  EXPECT_EQ(p->findThisTypePre(TokenTypeCode::Semicolon, 7), 1);
  EXPECT_EQ(p->findThisTypePre(TokenTypeCode::Word, 0), 0);
  EXPECT_EQ(p->findThisTypePre(99, 7), -1);  // tests index 0, never below
  EXPECT_EQ(p->findThisTypePre(TokenTypeCode::Word, 8), -1);
  EXPECT_EQ(p->getPreLineInChilds(5), 2);  // after the ";"
  EXPECT_EQ(p->getPreLineInChilds(0), 0);
  EXPECT_EQ(p->getPreLineInChilds(8), 0);
  EXPECT_EQ(Token::getNextLineInChilds(p->childs, 2), 6);
  EXPECT_EQ(Token::getNextLineInChilds(p->childs, 7), 8);  // none: the count
  EXPECT_EQ(Token::getNextLineInChilds(p->childs, 0), 0);
  deleteTokenTree(p);
}

TEST_F(TokenTree, GetLineEnd) {
  Parse* p = lexertest::lexFile("x y z a b if c ; d 'e' f");
  // Word:x Word:y Word:z Word:a Word:b StatementWord:if Word:c Semicolon:; Word:d Literal:'e' Word:f
  EXPECT_EQ(Token::getLineEnd(p->childs, 3), 4);   // "a b if": ends before the if
  EXPECT_EQ(Token::getLineEnd(p->childs, 6), 7);   // at the ";"
  EXPECT_EQ(Token::getLineEnd(p->childs, 8), 10);  // after the literal
  EXPECT_EQ(Token::getLineEnd(p->childs, 0), 0);
  EXPECT_EQ(Token::getLineEnd(p->childs, 11), 0);
  TokenList list{p->childs[0], p->childs[10]};
  EXPECT_EQ(Token::getLineEnd(list, 1), 2);  // runs out: the count
  deleteTokenTree(p);
}

TEST_F(TokenTree, ChildsHasThisTypeLooksAtEveryDescendant) {
  Parse* p = lexertest::lexFile("f(a, [b, {c: 'x'}])");
  EXPECT_TRUE(p->childsHasThisType(TokenTypeCode::Literal, false));
  EXPECT_TRUE(p->childsHasThisType(TokenTypeCode::Colon, false));
  EXPECT_FALSE(p->childsHasThisType(TokenTypeCode::Var, false));
  EXPECT_TRUE(p->childsHasThisType(TokenTypeCode::Word, false));
  Token* group = p->childs[1];
  EXPECT_TRUE(group->childsHasThisType(TokenTypeCode::Paren, true));
  EXPECT_FALSE(group->childsHasThisType(TokenTypeCode::Paren, false));
  deleteTokenTree(p);
}

TEST_F(TokenTree, OutputLoopSeparatorsAndDisabledChildren) {
  Token g(TokenTypeCode::Block, nullptr, 0, 0, nullptr);
  g.push(new ScriptedToken("a", 0, 0));
  g.push(new ScriptedToken("b", 0, 0));
  g.push(new ScriptedToken("c", 0, 0));
  g.childs[1]->leadingText = " ";
  std::string out;
  g._childsToJs_(out, nullptr, g.childs, 0, ";", 0, 0);
  EXPECT_EQ(out, "a; b;c;");  // the separator follows the last child too

  g.childs[1]->outputEnabled = 0;
  out.clear();
  g._childsToJs_(out, nullptr, g.childs, 0, ";", 0, 0);
  EXPECT_EQ(out, "a; c;");  // leading text only, no separator

  g.childs[1]->outputEnabled = 1;
  out.clear();
  g._childsToJs_(out, nullptr, 0, 0, 1);  // own children, from index 1
  EXPECT_EQ(out, " bc");
  for (Token* t : g.childs) delete static_cast<ScriptedToken*>(t);
}

TEST_F(TokenTree, OutputLoopSkipCounts) {
  struct Row {
    const char* name;
    int skipOfA;
    const char* expected;
  } rows[] = {
      {"skip 0", 0, "abcd"},           {"skip 2 consumes the next two", 2, "acd"}, {"skip 1", 1, "acd"},
      {"skip past the end", 100, "a"}, {"negative never goes back", -1, "abcd"},   {"very negative", -1000, "abcd"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Token g(TokenTypeCode::Block, nullptr, 0, 0, nullptr);
    g.push(new ScriptedToken("a", 0, row.skipOfA));
    g.push(new ScriptedToken("b", 0, 0));
    g.childs.push_back(nullptr);  // a removed child
    g.push(new ScriptedToken("c", 0, 0));
    g.push(new ScriptedToken("d", 0, 0));
    std::string out;
    g._childsToJs_(out, nullptr, 0, 0, 0);
    EXPECT_EQ(out, row.expected);
    for (Token* t : g.childs) delete static_cast<ScriptedToken*>(t);
  }
}

TEST_F(TokenTree, PretreatmentLoopSkipCounts) {
  // -1 with a changed list visits the same index again.
  {
    Token g(TokenTypeCode::Block, nullptr, 0, 0, nullptr);
    struct Splitter : ScriptedToken {
      Splitter() : ScriptedToken("ab", -1, 0) {}
      int pretreatment(Parse*) override {
        ++visits;
        Token* p = parent;
        int at = index;
        p->setIn(new ScriptedToken("a", 0, 0), at);
        p->insertIt(new ScriptedToken("b", 0, 0), at + 1);
        return -1;
      }
    };
    auto* s = new Splitter();
    g.push(s);
    g.push(new ScriptedToken("c", 0, 0));
    g.childsPretreatment(nullptr, g.childs);
    EXPECT_EQ(dump(g.childs), "Word:a Word:b Word:c");
    for (Token* t : g.childs) EXPECT_EQ(static_cast<ScriptedToken*>(t)->visits, 1);
    EXPECT_EQ(s->visits, 1);
    delete s;
    for (Token* t : g.childs) delete static_cast<ScriptedToken*>(t);
  }
  // 2 skips the next two siblings.
  {
    Token g(TokenTypeCode::Block, nullptr, 0, 0, nullptr);
    std::vector<ScriptedToken*> ts{new ScriptedToken("a", 2, 0), new ScriptedToken("b", 0, 0),
                                   new ScriptedToken("c", 0, 0), new ScriptedToken("d", 0, 0)};
    for (auto* t : ts) g.push(t);
    g.childsPretreatment(nullptr, g.childs);
    EXPECT_EQ(ts[0]->visits, 1);
    EXPECT_EQ(ts[1]->visits, 0);
    EXPECT_EQ(ts[2]->visits, 0);
    EXPECT_EQ(ts[3]->visits, 1);
    for (auto* t : ts) delete t;
  }
  // A first child that removes itself and asks to go back two places: the
  // loop restarts at the first child, never before it.
  {
    Token g(TokenTypeCode::Block, nullptr, 0, 0, nullptr);
    auto* colon = new SelfRemovingToken();
    auto* type = new ScriptedToken("int", 0, 0);
    auto* next = new ScriptedToken("x", 0, 0);
    g.push(colon);
    g.push(type);
    g.push(next);
    g.childsPretreatment(nullptr, g.childs);
    EXPECT_EQ(dump(g.childs), "Word:x");
    EXPECT_EQ(next->visits, 1);
    delete colon;
    delete type;
    delete next;
  }
  // A child that goes back without changing anything is stepped over: the
  // loop ends.
  {
    Token g(TokenTypeCode::Block, nullptr, 0, 0, nullptr);
    std::vector<ScriptedToken*> ts{new ScriptedToken("a", 0, 0), new ScriptedToken("b", -1, 0),
                                   new ScriptedToken("c", -3, 0), new ScriptedToken("d", 0, 0)};
    for (auto* t : ts) g.push(t);
    g.childsPretreatment(nullptr, g.childs);
    EXPECT_EQ(ts[1]->visits, 1);
    EXPECT_EQ(ts[2]->visits, 1);
    EXPECT_EQ(ts[3]->visits, 1);
    for (auto* t : ts) delete t;
  }
}

TEST_F(TokenTree, PretreatmentLoopSpreadsTheNoDefaultValuesMark) {
  Parse* p = lexertest::lexFile("{ { x } }");
  Token* inner = p->childs[0]->childs[0];
  Token* x = inner->childs[0];
  x->noDefaultValues = 1;
  inner->childsPretreatment(p, inner->childs);
  EXPECT_EQ(inner->noDefaultValues, 1);
  EXPECT_EQ(p->childs[0]->noDefaultValues, 1);
  EXPECT_EQ(p->noDefaultValues, 1);
  deleteTokenTree(p);
}

TEST_F(TokenTree, DefaultVirtualOperationsAskTheParent) {
  Token root(TokenTypeCode::Word, nullptr, 0, 0, nullptr);
  auto* fn = new TokenFunction(TokenTypeCode::Function, nullptr, 0, 0, nullptr);
  root.push(fn);
  Token* local = word("n");
  fn->locals["n"] = local;
  Token* body = new Token(TokenTypeCode::Block, nullptr, 0, 0, nullptr);
  fn->push(body);
  Token* t = word("n");
  body->push(t);
  EXPECT_EQ(t->getTokenFunction(), fn);
  EXPECT_EQ(t->getVarMap(), &fn->locals);
  EXPECT_EQ(t->getTokenInVarMap("n"), local);
  EXPECT_EQ(t->getTokenInVarMap("m"), nullptr);
  EXPECT_EQ(t->getTokenInVarMap(nullptr), nullptr);
  EXPECT_EQ(root.getTokenInVarMap("n"), nullptr);
  EXPECT_EQ(root.getTokenClass(), nullptr);
  EXPECT_FALSE(root.isInlineFunction());
  EXPECT_FALSE(t->isInStatic());
  fn->flags = TokenModifierFlags::Static;
  EXPECT_TRUE(t->isInStatic());
  EXPECT_EQ(t->getValue(), "n");
  EXPECT_EQ(t->getSelfValue(), "n");
  delete local;
  deleteTokenTree(fn);
}

TEST_F(TokenTree, PrivateMembersOfAClassMayGetALevelPrefix) {
  auto* cls = new TokenClass(TokenTypeCode::Class, nullptr, 0, 0, nullptr);
  cls->level = 2;
  auto* body = new Token(TokenTypeCode::Block, nullptr, 0, 0, nullptr);
  cls->push(body);
  Token* priv = word("secret");
  priv->flags = TokenModifierFlags::Private;
  body->push(priv);
  Token* pub = word("open");
  body->push(pub);
  priv->privateNameDone = 1;  // a base class has a member of that name
  EXPECT_EQ(priv->getSelfValue(), "_$2_secret");
  EXPECT_EQ(pub->getSelfValue(), "open");
  Token loose(TokenTypeCode::Word, "secret", 0, 0, nullptr);
  loose.flags = TokenModifierFlags::Private;
  EXPECT_EQ(loose.getSelfValue(), "secret");  // outside a class
  deleteTokenTree(cls);
}

TEST_F(TokenTree, IsClassMember) {
  Token cls(TokenTypeCode::Class, nullptr, 0, 0, nullptr);
  auto* body = new Token(TokenTypeCode::Block, nullptr, 0, 0, nullptr);
  cls.push(body);
  Token* member = word("m");
  body->push(member);
  EXPECT_TRUE(member->isClassMember());
  EXPECT_FALSE(body->isClassMember());
  Token loose(TokenTypeCode::Word, "x", 0, 0, nullptr);
  EXPECT_FALSE(loose.isClassMember());
  deleteTokenTree(body);
}

TEST_F(TokenTree, IsInSelFunctionWalksTheBaseClasses) {
  auto* base = new TokenClass(TokenTypeCode::Class, nullptr, 0, 0, nullptr);
  auto* derived = new TokenClass(TokenTypeCode::Class, nullptr, 0, 0, nullptr);
  TokenClass::_classMap_()["pkg.Base"] = base;
  derived->superName = "pkg.Base";
  auto* method = new TokenFunction(TokenTypeCode::Function, nullptr, 0, 0, nullptr);
  auto* getter = new TokenFunction(TokenTypeCode::Function, nullptr, 0, 0, nullptr);
  getter->accessorKind = 255;
  base->members["onX"] = method;
  base->members["value"] = getter;
  base->members["field"] = word("field", TokenTypeCode::DeclaredName);
  std::string onX = "onX", value = "value", field = "field", none = "none";
  Token probe(TokenTypeCode::Word, "this.onX", 0, 0, nullptr);
  EXPECT_TRUE(probe.isInSelFunction(onX, derived));
  EXPECT_EQ(derived->superClass, base);  // looked up once, then kept
  EXPECT_FALSE(probe.isInSelFunction(value, derived));
  EXPECT_FALSE(probe.isInSelFunction(field, derived));
  EXPECT_FALSE(probe.isInSelFunction(none, derived));
  EXPECT_FALSE(probe.isInSelFunction(onX, nullptr));
  // A cycle in the chain of broken sources ends the walk.
  base->superClass = derived;
  EXPECT_FALSE(probe.isInSelFunction(none, derived));
  TokenClass::_classMap_().erase("pkg.Base");
  delete base->members["field"];
  delete method;
  delete getter;
  delete base;
  delete derived;
}

TEST_F(TokenTree, GetFullClassName) {
  Parse* file = lexertest::emptyFile();
  EXPECT_EQ(Token::GetFullClassName(file, "Sprite"), "Sprite");  // no package
  auto* pkg = new TokenPackage(TokenTypeCode::Package, "game.ui", 0, 0, nullptr);
  file->package = pkg;
  auto* cls = new TokenClass(TokenTypeCode::Class, nullptr, 0, 0, nullptr);
  TokenClass::_classMap_()["game.ui.Button"] = cls;
  pkg->importMap["Sprite"] = "zafrit.display.Sprite";
  EXPECT_EQ(Token::GetFullClassName(file, "Button"), "game.ui.Button");
  EXPECT_EQ(Token::GetFullClassName(file, "Sprite"), "zafrit.display.Sprite");
  EXPECT_EQ(Token::GetFullClassName(file, "Other"), "Other");
  EXPECT_EQ(Token::GetFullClassName(file, "a.b.Sprite"), "a.b.Sprite");
  EXPECT_EQ(Token::GetFullClassName(file, ".Sprite"), ".Sprite");  // a leading '.' does not count
  EXPECT_EQ(Token::GetFullClassName(nullptr, "Sprite"), "Sprite");
  TokenClass::_classMap_().erase("game.ui.Button");
  delete cls;
  delete pkg;
  deleteTokenTree(file);
}

TEST_F(TokenTree, CloneCopiesEveryTokenOfItsOwnClass) {
  Parse* p = lexertest::lexFile("f(a, [b], function(){ for each (x in y) {} })");
  Token* group = p->childs[1];
  Token* copy = cloneTokenTree(group);
  EXPECT_EQ(dump(copy->childs), dump(group->childs));
  EXPECT_EQ(copy->parent, nullptr);
  EXPECT_NE(dynamic_cast<TokenParent*>(copy), nullptr);
  TokenList a{group}, b{copy};
  while (!a.empty()) {
    Token* x = a.back();
    Token* y = b.back();
    a.pop_back();
    b.pop_back();
    ASSERT_NE(x, y);
    EXPECT_EQ(typeid(*x), typeid(*y));
    ASSERT_EQ(x->childs.size(), y->childs.size());
    for (size_t i = 0; i < x->childs.size(); ++i) {
      EXPECT_EQ(y->childs[i]->parent, y);
      EXPECT_EQ(y->childs[i]->index, static_cast<int>(i));
      a.push_back(x->childs[i]);
      b.push_back(y->childs[i]);
    }
  }
  auto* loop = dynamic_cast<TokenFor*>(copy->childs[6]->childs[0]);
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(loop->forEach, 1);
  deleteTokenTree(copy);
  deleteTokenTree(p);
}

// The fields few tokens set live in a record of their own: a copy gets a
// record of its own, a deleted token's record comes back empty to the next
// token that stores, and storing nothing reads as nothing.
TEST_F(TokenTree, RareFieldsBelongToTheirTokenAlone) {
  Token* typeWord = word("int");
  Token* a = word("a");
  a->setDocComment("/** a */");
  a->setTypeToken(typeWord);
  a->setResolvedTypeText("int");
  Token* copy = cloneTokenTree(a);
  copy->setDocComment("/** copy */");
  copy->setTypeToken(nullptr);
  EXPECT_EQ(a->docComment(), "/** a */");
  EXPECT_EQ(a->typeToken(), typeWord);
  EXPECT_EQ(copy->docComment(), "/** copy */");
  EXPECT_EQ(copy->typeToken(), nullptr);
  EXPECT_EQ(copy->resolvedTypeText(), "int");
  deleteTokenTree(a);
  deleteTokenTree(copy);

  Token* next = word("b");
  next->setPendingError("err ");
  EXPECT_EQ(next->docComment(), "");
  EXPECT_EQ(next->typeToken(), nullptr);
  EXPECT_EQ(next->resolvedTypeText(), "");
  Token* plain = word("c");
  plain->setDocComment("");
  plain->setTypeToken(nullptr);
  EXPECT_EQ(plain->docComment(), "");
  EXPECT_EQ(plain->pendingError(), "");
  deleteTokenTree(next);
  deleteTokenTree(plain);
  deleteTokenTree(typeWord);
}

// Forgetting a resolved type keeps the token's other fields; a record that
// held only the resolved type is given back, and the token that takes it
// next finds it empty.
TEST_F(TokenTree, ForgettingAResolvedTypeKeepsTheOtherFields) {
  Token* typeWord = word("int");
  Token* typed = word("a");
  typed->setTypeToken(typeWord);
  typed->setResolvedTypeText("int");
  Token* resolvedOnly = word("b");
  resolvedOnly->setResolvedTypeText("Number");
  Token* none = word("c");
  typed->forgetResolvedTypeText();
  resolvedOnly->forgetResolvedTypeText();
  none->forgetResolvedTypeText();
  EXPECT_EQ(typed->typeToken(), typeWord);
  EXPECT_EQ(typed->resolvedTypeText(), "");
  EXPECT_EQ(resolvedOnly->resolvedTypeText(), "");
  EXPECT_EQ(none->resolvedTypeText(), "");
  Token* after = word("d");
  after->setDocComment("/** d */");
  EXPECT_EQ(after->resolvedTypeText(), "");
  EXPECT_EQ(after->typeToken(), nullptr);
  EXPECT_EQ(resolvedOnly->docComment(), "");
  for (Token* t : {typeWord, typed, resolvedOnly, none, after}) deleteTokenTree(t);
}

// The null slots a declaration leaves in front of itself when it gathers its
// tokens go when the list is closed, and the others learn their new index.
// Pattern letters: a lower-case word; '.' a null slot; an upper-case letter
// and a digit, a declaration in its slot with a gap of that many slots; a
// '_' and a digit, an instance member that left its slot (null) with such a
// gap. `order` lists the declarations in the order they were recorded.
TEST_F(TokenTree, ClosingVarGapsDropsEveryGapOnceAndRenumbers) {
  struct Row {
    const char* name;
    const char* pattern;
    const char* order;  // indices of the declarations, in pattern order from 0
    const char* expected;
  };
  const Row rows[] = {
      {"gaps in list order", "a..V2b.W1c", "01", "aVbWc"},
      {"gaps recorded out of order", "a..V2b.W1c", "10", "aVbWc"},
      {"adjacent gaps", "a._1.W2b", "01", "aWb"},
      {"a gap of no slots", "a.V0b", "0", "a.Vb"},
      {"a member that left, then a gap over its slot", "a..._2V3b", "01", "a.Vb"},
      {"the same, recorded out of order", "a..._2V3b", "10", "a.Vb"},
      {"a gap filled since stays", "ax.V2b", "0", "ax.Vb"},
      {"a member that left keeps its null slot", "a.._2b", "0", "a.b"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Token* holder = word("{", TokenTypeCode::Block);
    std::vector<TokenVar*> declarations;
    std::vector<Token*> made;
    const std::string pattern = row.pattern;
    for (size_t i = 0; i < pattern.size(); ++i) {
      const char c = pattern[i];
      if (c == '.') {
        holder->childs.push_back(nullptr);
      } else if (c == '_' || (c >= 'A' && c <= 'Z')) {
        auto* declaration = new TokenVar(TokenTypeCode::Var, c == '_' ? "_" : std::string(1, c).c_str(), 0, 0, nullptr);
        holder->push(declaration);
        declaration->gapBefore = static_cast<uint32_t>(pattern[++i] - '0');
        declaration->gapMark = 1;
        if (c == '_') holder->childs.back() = nullptr;
        declarations.push_back(declaration);
      } else {
        Token* plain = word(std::string(1, c).c_str());
        holder->push(plain);
        made.push_back(plain);
      }
    }
    holder->varGaps = 1;
    for (const char* k = row.order; *k; ++k)
      Token::_varGapOwners_()[holder].push_back(declarations[static_cast<size_t>(*k - '0')]);
    holder->closeVarGaps();

    std::string kept;
    for (size_t at = 0; at < holder->childs.size(); ++at) {
      Token* child = holder->childs[at];
      kept += child ? child->text.str() : ".";
      if (child) {
        EXPECT_EQ(child->index, static_cast<int32_t>(at));
      }
    }
    EXPECT_EQ(kept, row.expected);
    EXPECT_FALSE(holder->varGaps);
    EXPECT_EQ(Token::_varGapOwners_().count(holder), 0u);
    for (TokenVar* declaration : declarations) {
      EXPECT_EQ(declaration->gapBefore, 0u);
      EXPECT_FALSE(declaration->gapMark);
    }
    holder->childs.clear();
    for (Token* t : made) delete t;
    for (TokenVar* declaration : declarations) delete declaration;
    delete holder;
  }
}

}  // namespace
