// Expressions outside any class: is/as, new, ':', the raw-script words, with,
// case, catch, in and the property spellings that need no class. Each row is
// tokenised into a bare group, pretreated and printed; the comparison ignores
// layout (runs of blanks and line ends count as one blank).
#include <gtest/gtest.h>

#include <string>

#include "expr_support.h"
#include "TokenOther.h"
#include "harness.h"
#include "parse.h"

namespace {

using exprtest::printSnippet;
using exprtest::squeeze;

struct Row {
  const char* name;
  const char* source;
  const char* expected;
};

// Output switches of a row set, applied after the state is reset.
struct Mode {
  bool debug = false;
  bool release = false;
  bool ts = false;
};

void checkRows(const Row* rows, size_t count, Mode mode = Mode()) {
  for (size_t i = 0; i < count; ++i) {
    SCOPED_TRACE(rows[i].name);
    resetCompilerState();
    __ISDEBUG__ = mode.debug;
    __ISRELEASE__ = mode.release;
    __ISTOTS = mode.ts;
    EXPECT_EQ(squeeze(printSnippet(rows[i].source)), rows[i].expected) << rows[i].source;
  }
}

TEST(ExprSnippet, IsBecomesATypeTest) {
  exprtest::Switches keep;
  const Row rows[] = {
      {"string", "x is String", "(typeof x=='string')"},
      {"int", "n is int", "((typeof n=='number') && Math.floor(n)==n)"},
      {"uint", "n is uint", "((typeof n=='number') && Math.floor(n)==n)"},
      {"number", "n is Number", "(typeof n=='number')"},
      {"boolean", "b is Boolean", "(typeof b=='boolean')"},
      {"class", "c is Class", "Ruvo.__isClass(c)"},
      {"function", "f is Function", "(typeof f=='function')"},
      {"object", "o is Object", "(o!=null)"},
      {"array of a path", "a.b is Array", "(a.b instanceof Array)"},
      {"typed array", "v is Uint8Array", "(v instanceof Uint8Array)"},
      {"date", "d is Date", "(d instanceof Date)"},
      {"left operand stops at an operator", "x + y is String", "x + (typeof y=='string')"},
      {"after an assignment", "r = x is Boolean;", "r = (typeof x=='boolean');"},
      {"two tokens on the left", "r = f(a) is Function;", "r = (typeof ( f(a))=='function');"},
      {"type in brackets", "x is (T)", "Ruvo.__typeof(x,(T))"},
      {"unknown type", "o is Bar", "Ruvo.__typeof(o,Bar)"},
      {"vector type", "v is Vector.<int>", "(v instanceof Array)"},
      {"in a condition", "if (x is String) y();", "if ( (typeof x=='string')) y();"},
  };
  checkRows(rows, sizeof(rows) / sizeof(rows[0]));
}

TEST(ExprSnippet, AsLeavesItsOperand) {
  exprtest::Switches keep;
  const Row rows[] = {
      {"plain", "e as Sprite", "e"},
      {"assigned", "y = e as Sprite;", "y = e;"},
      {"group keeps its brackets and drops the type", "y = (e) as Sprite;", "y = (e) ;"},
      {"call result", "y = f(e) as Sprite;", "y = f(e) ;"},
  };
  checkRows(rows, sizeof(rows) / sizeof(rows[0]));

  const Row debugRows[] = {
      {"debug cast check", "y = e as Sprite;", "y = __DEBUGAS__(e,Sprite);"},
      {"debug, group form", "y = (e) as Sprite;", "y = (e) ;"},
  };
  checkRows(debugRows, sizeof(debugRows) / sizeof(debugRows[0]), {true, false, false});

  const Row tsRows[] = {
      {"typescript group form", "y = (e) as String;", "y = (e) as string ;"},
      {"typescript, not release", "y = e as String;", "y = e;"},
  };
  checkRows(tsRows, sizeof(tsRows) / sizeof(tsRows[0]), {false, false, true});
  const Row tsReleaseRows[] = {
      {"typescript release", "y = e as int;", "y = e as number ;"},
      {"typescript release, vector", "y = e as Vector.<int>;", "y = e as Array<any> ;"},
  };
  checkRows(tsReleaseRows, sizeof(tsReleaseRows) / sizeof(tsReleaseRows[0]), {false, true, true});
}

// Vector.<T> standing as a value is the class Array (JavaScript has no
// vector classes); the conversion Vector.<T>(list) keeps only its list.
TEST(ExprSnippet, VectorAsAValueIsArray) {
  exprtest::Switches keep;
  const Row rows[] = {
      {"assigned", "c = Vector.<int>;", "c = Array;"},
      {"argument", "f(Vector.<Number>)", "f(Array)"},
      {"object literal value", "o = {k: Vector.<int>, j: 1};", "o = {k: Array, j: 1};"},
      {"ternary", "c = a ? Vector.<int> : Array;", "c = a ? Array : Array;"},
      {"nested type", "c = Vector.<Vector.<int>>;", "c = Array;"},
      {"conversion", "v = Vector.<int>(a);", "v = (a);"},
  };
  checkRows(rows, sizeof(rows) / sizeof(rows[0]));
  const Row debugRows[] = {{"debug cast check", "y = e as Vector.<int>;", "y = __DEBUGAS__(e,Array);"}};
  checkRows(debugRows, 1, {true, false, false});
}

TEST(ExprSnippet, NewMakesArraysAndVectors) {
  exprtest::Switches keep;
  const Row rows[] = {
      {"empty array", "a = new Array();", "a = [];"},
      {"array with length", "a = new Array(3);", "a = new Array(3);"},
      {"array with items", "a = new Array(1, 2);", "a = new Array(1, 2);"},
      {"class", "a = new Foo();", "a = new Foo();"},
      {"int vector with length", "v = new Vector.<int>(10);", "v = __newvec(10,0);"},
      {"number vector with length", "v = new Vector.<Number>(4);", "v = __newvec(4,0);"},
      {"object vector with length", "v = new Vector.<Sprite>(10);", "v = __newvec(10,null);"},
      {"boolean vector with length", "v = new Vector.<Boolean>(n);", "v = __newvec(n,false);"},
      {"fixed length flag dropped", "v = new Vector.<uint>(4, true);", "v = __newvec(4,0);"},
      {"length expression kept whole", "v = new Vector.<int>(10 + 1);", "v = __newvec(10 + 1,0);"},
      {"length variable", "v = new Vector.<int>(n);", "v = __newvec(n,0);"},
      {"length expression with a name first", "v = new Vector.<int>(n * 2, true);", "v = __newvec(n * 2,0);"},
      {"object vector with a length variable", "v = new Vector.<Sprite>(n);", "v = __newvec(n,null);"},
      {"empty vector", "v = new Vector.<int>();", "v = [];"},
      {"variable length and flag", "v = new Vector.<int>(n, true);", "v = __newvec(n,0);"},
      {"vector literal", "v = new <int>[1, 2];", "v = /*new vector.<>*/[1, 2];"},
      {"safe mark", "a = new/*[STATIC SAFE]*/ Foo();", "a = new/*[SAFE]*/ Foo();"},
  };
  checkRows(rows, sizeof(rows) / sizeof(rows[0]));

  const Row releaseRows[] = {{"vector literal in release", "v = new <int>[1, 2];", "v = [1, 2];"}};
  checkRows(releaseRows, 1, {false, true, false});
}

TEST(ExprSnippet, ColonKeepsWhatIsNoAnnotation) {
  exprtest::Switches keep;
  const Row rows[] = {
      {"ternary", "r = a ? b : c;", "r = a ? b : c;"},
      {"object literal", "o = {x: 1, y: 2};", "o = {x: 1, y: 2};"},
      {"string keys", "o = {\"x\": 1};", "o = {\"x\": 1};"},
      {"annotations in a group", "f(a:int, b:String)", "f(a, b)"},
      {"vector annotation in a group", "f(a:Vector.<int>)", "f(a)"},
      {"catch variable", "try { f(); } catch (e:Error) { g(e); }", "try { f(); } catch (e) { g(e); }"},
      {"switch labels", "switch (x) { case 1: a(); break; default: b(); }",
       "switch (x) { case 1: a(); break ; default : b(); }"},
      {"label before a loop", "outer: while (a) { break outer; }", "outer: while (a) { break outer; }"},
  };
  checkRows(rows, sizeof(rows) / sizeof(rows[0]));

  // The annotation's type token moves to the declared name.
  resetCompilerState();
  Token* root = nullptr;
  printSnippet("f(a:int, b:Vector.<String>)", &root);
  Token* group = root->childs.at(1);
  ASSERT_EQ(group->type, TokenTypeCode::Paren);
  ASSERT_NE(group->childs.at(0), nullptr);
  ASSERT_NE(group->childs.at(0)->typeToken(), nullptr);
  EXPECT_EQ(group->childs.at(0)->typeToken()->text, "int");
  Token* b = nullptr;
  for (Token* child : group->childs)
    if (child && child->text == "b") b = child;
  ASSERT_NE(b, nullptr);
  ASSERT_NE(b->typeToken(), nullptr);
  EXPECT_EQ(b->typeToken()->type, TokenTypeCode::VectorType);
}

TEST(ExprSnippet, RawScriptAndIncludedText) {
  exprtest::Switches keep;
  ruvotest::TempDir dir;
  ruvotest::writeFile(dir / "inc.txt", "line \"one\"\r\nback\\slash\n");
  std::string include = "s = __INCLUDESTR__(\"" + (dir / "inc.txt") + "\");";
  std::string missing = "s = __INCLUDESTR__(\"" + (dir / "none.txt") + "\");";
  const Row rows[] = {
      {"raw script", "__JS__(\"alert('x')\");", "/*__JS__ */alert('x');"},
      {"raw script, single quotes", "__JS__('a = 1');", "/*__JS__ */a = 1;"},
      {"included text", include.c_str(), "s = \"line \\\"one\\\"\\nback\\\\slash\\n\";"},
      {"missing include", missing.c_str(), "s = ;"},
  };
  checkRows(rows, sizeof(rows) / sizeof(rows[0]));

  const Row releaseRows[] = {{"raw script in release", "__JS__(\"alert('x')\");", "alert('x');"}};
  checkRows(releaseRows, 1, {false, true, false});
}

TEST(ExprSnippet, WithInAndPropertySpellings) {
  exprtest::Switches keep;
  const Row rows[] = {
      {"with", "with (o) { x = 1; }", "with (o) { x = 1; }"},
      {"in outside a for head", "r = k in o;", "r = k in o;"},
      {"this alone", "r = this;", "r = this;"},
      {"this path without a class", "r = this.a.b;", "r = this.a.b;"},
      {"continuation of a call", "r = f().x;", "r = f().x;"},
  };
  checkRows(rows, sizeof(rows) / sizeof(rows[0]));

  // `in` keeps its code only in a for head.
  resetCompilerState();
  Token* root = nullptr;
  printSnippet("r = k in o; for (k in o) {}", &root);
  int codes[2] = {-1, -1};
  int found = 0;
  TokenList stack = {root};
  while (!stack.empty()) {
    Token* t = stack.back();
    stack.pop_back();
    if (dynamic_cast<TokenIn*>(t) && found < 2) codes[found++] = t->type;
    for (auto it = t->childs.rbegin(); it != t->childs.rend(); ++it)
      if (*it) stack.push_back(*it);
  }
  EXPECT_EQ(codes[0], TokenTypeCode::Word);
  EXPECT_EQ(codes[1], TokenTypeCode::In);

  // with without a block: the error is queued when the token is printed.
  resetCompilerState();
  size_t before = ScriptErr::__ERRS.size();
  printSnippet("with (o) x = 1;");
  ASSERT_EQ(ScriptErr::__ERRS.size(), before + 1);
  EXPECT_EQ(ScriptErr::__ERRS.back()->message, "err with must{}");
}

// Malformed sources where an operator ends up inside its own operand print
// once and stop (they used to recurse until the stack ran out).
TEST(ExprSnippet, OperatorsInsideTheirOwnOperandsStop) {
  exprtest::Switches keep;
  for (const char* source : {"o = {k : as T};", "r = a is is b;", "r = a as as b;", "o = {k : x is as T};"}) {
    SCOPED_TRACE(source);
    resetCompilerState();
    std::string out = squeeze(printSnippet(source));
    EXPECT_FALSE(out.empty());
  }
}

TEST(ExprSnippet, VectorAfterNewOrIs) {
  exprtest::Switches keep;
  resetCompilerState();
  // new Vector.<int>(5) and new Vector.<int>(5, true) as the vector token
  // prints them when `new` leaves them to it.
  auto build = [](bool withFlag) {
    Token* root = new Token(0, "", 0, 0, nullptr);
    root->push(new Token(TokenTypeCode::New, "new", 0, 0, nullptr));
    TokenVector* vector = new TokenVector(TokenTypeCode::VectorType, "Vector.<int>", 0, 0, nullptr);
    root->push(vector);
    TokenParent* args = new TokenParent(TokenTypeCode::Paren, "", 0, 0, nullptr);
    args->push(new Token(TokenTypeCode::Number, "5", 0, 0, nullptr));
    if (withFlag) {
      args->push(new Token(TokenTypeCode::Comma, ",", 0, 0, nullptr));
      args->push(new Token(TokenTypeCode::Word, "true", 0, 0, nullptr));
    }
    root->push(args);
    return vector;
  };
  TokenVector* single = build(false);
  std::string out;
  single->toJsScript(out, nullptr, 0, 0);
  EXPECT_EQ(out, "__newvec");

  TokenVector* flagged = build(true);
  out.clear();
  flagged->toJsScript(out, nullptr, 0, 0);
  EXPECT_EQ(out, "Array");
  Token* args = flagged->parent->childs.at(2);
  ASSERT_EQ(args->childs.size(), 1u);
  EXPECT_EQ(args->childs[0]->text, "5");

  _ompilerOptions_.keepVariableType = true;
  TokenVector* kept = build(false);
  out.clear();
  kept->toJsScript(out, nullptr, 0, 0);
  EXPECT_EQ(out, "/*Vector.<int>*/__newvec");
  out.clear();
  kept->toJsScript(out, nullptr, 0, 1);
  EXPECT_EQ(out, "__newvec");
}

}  // namespace
