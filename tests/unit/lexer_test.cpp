// The lexer: tokens, layout and lines, directive comments, regular
// expressions, XML literals, the visible rewrites, bracket mismatches and
// includes. Each table row tokenises a snippet and compares a compact dump
// of the tree ("Name:text" with the type name, groups as Name(children)).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "CompilerOptions.h"
#include "TokenClass.h"
#include "TokenExtends.h"
#include "TokenFunction.h"
#include "TokenImport.h"
#include "TokenInterface.h"
#include "TokenOther.h"
#include "TokenPackage.h"
#include "harness.h"
#include "lexer_util.h"
#include "scriptfile.h"
#include "xfilemethod.h"

namespace {

using lexertest::dump;
using lexertest::lexDump;
using lexertest::lexFile;

class Lexer : public testing::Test {
 protected:
  void SetUp() override { lexertest::freshState(); }
  void TearDown() override { resetCompilerState(); }
};

struct Row {
  const char* source;
  const char* expected;
};

void checkRows(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.source);
    EXPECT_EQ(lexDump(row.source), row.expected);
  }
}

TEST_F(Lexer, WordsOperatorsAndGroups) {
  checkRows({
      {"a = b;", "Word:a Assign:= Word:b Semicolon:;"},
      {"f(a, b)[0]{x}", "Word:f Paren(Word:a Comma:, Word:b) Bracket(Number:0) Block(Word:x)"},
      {"a ? b : c", "Word:a Question:? Word:b Colon:: Word:c"},
      {"3.14 + 0x1F - 2", "Number:3.14 Operator:+ Number:0x1F Operator:- Number:2"},
      {"'s' + \"t\"", "Literal:'s' Operator:+ Literal:\"t\""},
      {"'it''s'", "Literal:'it' Literal:'s'"},
      {"\"a\\\"b\"", "Literal:\"a\\\"b\""},
      {"a.b.c", "Word:a.b.c"},
      {"a . b", "Word:a.b"},
      {"a .\n  b", "Word:a.b"},
      {"a\n  .b()", "Word:a Word:.b Paren()"},
      {"a\n  . b", "Word:a Word:.b"},
      {"a\rb.c", "Word:ab.c"},
      {"Vector.<int>\rx", "VectorType:Vector.<int> Word:x"},
      {"xml.* + a * b", "Word:xml.* Operator:+ Word:a Operator:* Word:b"},
      {"@id", "Word:@id"},
      {"a %= b", "Word:a Operator:% Assign:= Word:b"},
      {"a >>= b", "Word:a Operator:>> Assign:= Word:b"},
      {"a >>>= b", "Word:a Operator:>>> Assign:= Word:b"},
      {"a *= b", "Word:a Operator:* Assign:= Word:b"},
      {"a += b", "Word:a Operator:+= Word:b"},
      {"a<=b>=c", "Word:a Operator:<= Word:b Operator:>= Word:c"},
      {"a && !b || ~c", "Word:a Operator:&& Operator:! Word:b Operator:|| Operator:~ Word:c"},
      {"i++ --j", "Word:i Operator:++ Operator:-- Word:j"},
      {"a =!b", "Word:a Assign:= Operator:! Word:b"},
      {"a!=b", "Word:a Operator:!= Word:b"},
      {"a\x01"
       "b",
       "Word:ab"},
      {"a\x07"
       "b",
       "Word:a Word:b"},
      {"if (a) b; else c", "StatementWord:if Paren(Word:a) Word:b Semicolon:; StatementWord:else Word:c"},
      {"do x while (y) delete z", "StatementWord:do Word:x While:while Paren(Word:y) StatementWord:delete Word:z"},
      {"x is String as int", "Word:x Is: SystemType:String As: SystemType:int"},
      {"return new A()", "Return:return New:new Word:A Paren()"},
      {"switch (a) { case 1: break; default: continue }",
       "Word:switch Paren(Word:a) Block(Case: Number:1 Colon:: Break: Semicolon:; Default: Colon:: Continue:)"},
      {"try {} catch (e) {}", "Word:try Block() Catch: Paren(Word:e) Block()"},
      {"with (o) {}", "With: Paren(Word:o) Block()"},
      {"for (k in o)", "For:for Paren(Word:k In:in Word:o)"},
      {"import a.B; package p { class C extends D implements E {} }",
       "Import: Word:a.B Semicolon:; Package: Word:p Block(Class: Word:C Extends:extends Word:D Implements:implements "
       "Word:E Block())"},
      {"interface I {}", "Interface: Word:I Block()"},
      {"super(x); super.f(); _super",
       "Super: Paren(Word:x) Semicolon:; Word:super.f Paren() Semicolon:; SystemType:\n/*warning: _super is Ruvo "
       "System keywords*/_super"},
      {"__JS__('x') __INCLUDESTR__('f')",
       "Untyped:__JS__ Paren(Literal:'x') Untyped:__INCLUDESTR__ Paren(Literal:'f')"},
      {"new Vector", "New:new Word:"},
      {"x = 1\nvar y", "Word:x Assign:= Number:1 Semicolon:; Var: Word:y"},
      {"f(); var y", "Word:f Paren() Semicolon:; Var: Word:y"},
      {"(var y)", "Paren(Var: Word:y)"},
      {"{} const", "Block() Semicolon:; Const:"},
      {"each = 1; o.each", "Word:each Assign:= Number:1 Semicolon:; Word:o.each"},
  });
}

TEST_F(Lexer, StrictEqualityFollowsTheLibraryOption) {
  struct {
    const char* source;
    bool zafrit;
    const char* expected;
  } rows[] = {
      {"x === y", true, "Word:x Operator:== Word:y"},   {"x !== y", true, "Word:x Operator:!= Word:y"},
      {"x === y", false, "Word:x Operator:=== Word:y"}, {"x !== y", false, "Word:x Operator:!== Word:y"},
      {"x===y", true, "Word:x Operator:=== Word:y"},    {"x!==y", true, "Word:x Operator:!== Word:y"},
      {"x===y", false, "Word:x Operator:=== Word:y"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.source) + (row.zafrit ? " library on" : " library off"));
    _ompilerOptions_.zafritLib = row.zafrit;
    EXPECT_EQ(lexDump(row.source), row.expected);
  }
}

TEST_F(Lexer, ModifiersBecomeFlagsOfTheNextToken) {
  struct {
    const char* source;
    int index;  // of the token that carries the flags
    int type;
    int flags;
  } rows[] = {
      {"static private var x", 0, TokenTypeCode::Var, 0x30},
      {"internal var x", 0, TokenTypeCode::Var, 0},
      {"public native virtual function f", 0, TokenTypeCode::Function, 0x1},
      {"protected override final function f", 0, TokenTypeCode::Function, 0x400 | 0x80 | 0x1000},
      {"dynamic class A", 0, TokenTypeCode::Class, 0x40},
      {"public namespace ns", 0, TokenTypeCode::Word, 0x2001},
      {"use namespace ns", 0, TokenTypeCode::Word, 0x6000},
      {"NOENUMERATION var x", 0, TokenTypeCode::Var, 0x20000},
      {"[inline] function f", 0, TokenTypeCode::Function, 0x200},
      {"[Bindable] public var x", 0, TokenTypeCode::Var, 0x8001},
      {"async function f()", 0, TokenTypeCode::Function, 0x40000},
      {"static async function f()", 0, TokenTypeCode::Function, 0x40010},
      {"/*async*/ function f()", 0, TokenTypeCode::Function, 0x40000},
      {"async(x)", 0, TokenTypeCode::Word, 0x40000},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.source);
    Parse* p = lexFile(row.source);
    ASSERT_GT(p->childs.size(), static_cast<size_t>(row.index));
    Token* t = p->childs[row.index];
    EXPECT_EQ(tokenTypeName(t->type), tokenTypeName(row.type));
    EXPECT_EQ(t->flags, row.flags);
    for (size_t i = row.index + 1; i < p->childs.size(); ++i) EXPECT_EQ(p->childs[i]->flags, 0);
    deleteTokenTree(p);
  }
  // "async function" is one function token; the async word is gone.
  EXPECT_EQ(lexDump("async function f()"), "Function: Word:f Paren()");
  EXPECT_EQ(lexDump("\n  async function f()"), "Function: Word:f Paren()");
  Parse* p = lexFile("\n  async function f()");
  EXPECT_EQ(p->childs[0]->leadingText, "\n   ");
  deleteTokenTree(p);
}

TEST_F(Lexer, KeywordTokensAreTheirOwnClasses) {
  Parse* p = lexFile(
      "package p { class C { var v; const K; function f() { for each (x in o) {} switch(1){ case 1: default: }"
      " try {} catch(e) {} with(o) {} while(0) {} break; continue; return super(x) is T as U; } } }"
      " interface I extends J {} import a.b; include 'x.as'; Vector.<int> __JS__ new");
  int counts[128] = {};
  TokenList stack(p->childs.begin(), p->childs.end());
  while (!stack.empty()) {
    Token* t = stack.back();
    stack.pop_back();
    ++counts[t->type];
    stack.insert(stack.end(), t->childs.begin(), t->childs.end());
    SCOPED_TRACE(tokenTypeName(t->type) + ":" + t->text);
    switch (t->type) {
      case TokenTypeCode::Var:
      case TokenTypeCode::Const:
        EXPECT_NE(dynamic_cast<TokenVar*>(t), nullptr);
        break;
      case TokenTypeCode::Function:
        EXPECT_NE(dynamic_cast<TokenFunction*>(t), nullptr);
        break;
      case TokenTypeCode::Class:
        EXPECT_NE(dynamic_cast<TokenClass*>(t), nullptr);
        break;
      case TokenTypeCode::Package:
        EXPECT_NE(dynamic_cast<TokenPackage*>(t), nullptr);
        break;
      case TokenTypeCode::Interface:
        EXPECT_NE(dynamic_cast<TokenInterface*>(t), nullptr);
        break;
      case TokenTypeCode::Extends:
        EXPECT_NE(dynamic_cast<TokenExtends*>(t), nullptr);
        break;
      case TokenTypeCode::For:
        EXPECT_EQ(dynamic_cast<TokenFor*>(t)->forEach, 1);
        break;
      case TokenTypeCode::Case:
      case TokenTypeCode::Default:
        EXPECT_NE(dynamic_cast<TokenCase*>(t), nullptr);
        break;
      case TokenTypeCode::Catch:
        EXPECT_NE(dynamic_cast<TokenCatch*>(t), nullptr);
        break;
      case TokenTypeCode::With:
        EXPECT_NE(dynamic_cast<TokenWith*>(t), nullptr);
        break;
      case TokenTypeCode::Continue:
        EXPECT_NE(dynamic_cast<TokenContinue*>(t), nullptr);
        break;
      case TokenTypeCode::Break:
        EXPECT_NE(dynamic_cast<TokenBreak*>(t), nullptr);
        break;
      case TokenTypeCode::Super:
        EXPECT_NE(dynamic_cast<TokenSuper*>(t), nullptr);
        break;
      case TokenTypeCode::Is:
        EXPECT_NE(dynamic_cast<TokenIs*>(t), nullptr);
        break;
      case TokenTypeCode::As:
        EXPECT_NE(dynamic_cast<TokenAs*>(t), nullptr);
        break;
      case TokenTypeCode::In:
        EXPECT_NE(dynamic_cast<TokenIn*>(t), nullptr);
        break;
      case TokenTypeCode::Import:
        EXPECT_NE(dynamic_cast<TokenImport*>(t), nullptr);
        break;
      case TokenTypeCode::VectorType:
        EXPECT_NE(dynamic_cast<TokenVector*>(t), nullptr);
        break;
      case TokenTypeCode::Untyped:
        EXPECT_NE(dynamic_cast<TokenUntyped*>(t), nullptr);
        break;
      case TokenTypeCode::New:
        EXPECT_NE(dynamic_cast<TokenNew*>(t), nullptr);
        break;
      case TokenTypeCode::Paren:
        EXPECT_NE(dynamic_cast<TokenParent*>(t), nullptr);
        break;
      case TokenTypeCode::Colon:
        EXPECT_NE(dynamic_cast<TokenColon*>(t), nullptr);
        break;
      default:
        break;
    }
  }
  // Every code the lexer makes itself occurs (Bracket, Comma, Number and
  // Literal are shown by other tests).
  for (int code : {TokenTypeCode::While,    TokenTypeCode::Return,     TokenTypeCode::New,      TokenTypeCode::Block,
                   TokenTypeCode::Paren,    TokenTypeCode::Semicolon,  TokenTypeCode::Colon,    TokenTypeCode::Var,
                   TokenTypeCode::Function, TokenTypeCode::Class,      TokenTypeCode::Package,  TokenTypeCode::Import,
                   TokenTypeCode::As,       TokenTypeCode::Interface,  TokenTypeCode::Extends,  TokenTypeCode::Super,
                   TokenTypeCode::Case,     TokenTypeCode::Is,         TokenTypeCode::Catch,    TokenTypeCode::Untyped,
                   TokenTypeCode::Const,    TokenTypeCode::VectorType, TokenTypeCode::For,      TokenTypeCode::In,
                   TokenTypeCode::With,     TokenTypeCode::Default,    TokenTypeCode::Continue, TokenTypeCode::Break,
                   TokenTypeCode::Include}) {
    SCOPED_TRACE(tokenTypeName(code));
    EXPECT_GT(counts[code], 0);
  }
  EXPECT_EQ(pCurAddClass, p->childs[2]->childs[0]);
  deleteTokenTree(p);
  EXPECT_EQ(pCurAddClass, nullptr);  // freeing the tree forgets it
}

TEST_F(Lexer, EmbedTagAndSystemUseStatic) {
  EXPECT_EQ(lexDump("[Embed(source='a.png')] var x"),
            "As(As: Paren(Word:source Assign:= Literal:'a.png')) Semicolon:; Var: Word:x");
  EXPECT_EQ(lexDump("[x, Embed]"), "Bracket(Word:x Comma:, Word:Embed)");
  Parse* p = lexFile("class A RUVOSYSTEM_USE_STATIC { }");
  EXPECT_EQ(dump(p->childs), "Class: Word:A Block()");
  EXPECT_EQ(dynamic_cast<TokenClass*>(p->childs[0])->systemUseStatic, 1);
  deleteTokenTree(p);
}

TEST_F(Lexer, NamespacePrefixesAndAwait) {
  _ompilerOptions_.defines["CONFIG::debug"] = "true";
  checkRows({
      {"a::b.c::d", "Word:b.d"},
      {"ns::x = 1", "Word:x Assign:= Number:1"},
      {"CONFIG::debug {}", "Word:CONFIG::debug Block()"},
      {"NS::off\n{}", "Word:NS::off Block()"},
      {"::x", "Word:::x"},
      {"await::load(u)", "Word:load Paren(Word:u)"},
      {"/*await*/ load(u)", "Literal:await Word:load Paren(Word:u)"},
      {"await x", "Literal:await Word:x"},
      {"await + 1", "Word:await Operator:+ Number:1"},
      {"f(await)", "Word:f Paren(Word:await)"},
      {"x = await\ny", "Word:x Assign:= Word:await Word:y"},
  });
  Parse* p = lexFile("await::obj.load(u); ns::f()");
  EXPECT_EQ(p->childs[0]->text, "obj.load");
  EXPECT_EQ(p->childs[0]->awaitedCall, 1);
  EXPECT_EQ(p->childs[3]->text, "f");
  EXPECT_EQ(p->childs[3]->awaitedCall, 0);
  deleteTokenTree(p);
}

TEST_F(Lexer, VectorTypes) {
  checkRows({
      {"Vector.<int>", "VectorType:Vector.<int>"},
      {"new Vector.<Vector.<String>>()", "New:new VectorType:Vector.<Vector.<String>> Paren()"},
      {"v:Vector.< flash.geom.Point >", "Word:v Colon:: VectorType:Vector.<flash.geom.Point>"},
      {"Vector .\n<int>", "VectorType:Vector.<int>"},
      {"Vector.<int", "Word:Vector. Operator:< SystemType:int"},
      {"myVector.<T>", "Word:myVector. Operator:< Word:T Operator:>"},
  });
  Parse* p = lexFile("static var v:Vector.<\nint> = x;\ny");
  auto* v = dynamic_cast<TokenVector*>(p->childs[3]);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->elementType, "int");
  EXPECT_EQ(v->flags, 0);
  EXPECT_EQ(p->childs[0]->flags, 0x10);
  EXPECT_EQ(p->childs.back()->line, 2);
  deleteTokenTree(p);
}

TEST_F(Lexer, LogicalAssignmentsCopyTheirTarget) {
  checkRows({
      {"a ||= b", "Word:a Assign:= Word:a Operator:|| Word:b"},
      {"a &&= b", "Word:a Assign:= Word:a Operator:&& Word:b"},
      {"x = 1; o.list[i] ||= []",
       "Word:x Assign:= Number:1 Semicolon:; Word:o.list Bracket(Word:i) Assign:= Word:o.list Bracket(Word:i) "
       "Operator:|| Bracket()"},
      {"o[k].name ||= n",
       "Word:o Bracket(Word:k) Word:.name Assign:= Word:o Bracket(Word:k) Word:.name Operator:|| Word:n"},
      {"f().x &&= y", "Word:f Paren() Word:.x Assign:= Word:f Paren() Word:.x Operator:&& Word:y"},
      {"super[k] ||= 1", "Super: Bracket(Word:k) Assign:= Super: Bracket(Word:k) Operator:|| Number:1"},
      // A value with an operator binding more loosely than the || or && is
      // bracketed, up to its ";" or a line where a new statement starts.
      {"a ||= c ? x : y; z",
       "Word:a Assign:= Word:a Operator:|| Paren(Word:c Question:? Word:x Colon:: Word:y) Semicolon:; Word:z"},
      {"a &&= b || c\nz", "Word:a Assign:= Word:a Operator:&& Paren(Word:b Operator:|| Word:c) Word:z"},
      {"a ||= b || c", "Word:a Assign:= Word:a Operator:|| Word:b Operator:|| Word:c"},
      {"a ||= b = 5, c", "Word:a Assign:= Word:a Operator:|| Paren(Word:b Assign:= Number:5) Comma:, Word:c"},
  });
  Parse* p = lexFile("\n  a[f(g)] ||= b");
  // 0:a 30(...) 41:= 0:a 30(...) 100:|| 0:b
  ASSERT_EQ(p->childs.size(), 7u);
  EXPECT_EQ(p->childs[2]->leadingText, " ");
  EXPECT_EQ(p->childs[3]->leadingText, " ");
  EXPECT_EQ(p->childs[0]->leadingText, "\n  ");
  // Copies, never the same tokens in two places.
  TokenList all;
  TokenList stack(p->childs.begin(), p->childs.end());
  while (!stack.empty()) {
    Token* t = stack.back();
    stack.pop_back();
    all.push_back(t);
    EXPECT_EQ(t->parent->childs[t->index], t);
    stack.insert(stack.end(), t->childs.begin(), t->childs.end());
  }
  std::sort(all.begin(), all.end());
  EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
  EXPECT_TRUE(ScriptErr::__ERRS.empty());
  deleteTokenTree(p);
}

TEST_F(Lexer, LogicalAssignmentWithoutATargetIsASourceError) {
  struct {
    const char* source;
    const char* expected;
    const char* message;
  } rows[] = {
      {"||= b", "Operator:||= Word:b", "No variable, property or element before ||="},
      {"f() ||= 1", "Word:f Paren() Operator:||= Number:1", "No variable, property or element before ||="},
      {"x = 2 &&= y", "Word:x Assign:= Number:2 Operator:&&= Word:y", "No variable, property or element before &&="},
      {"(a) ||= b", "Paren(Word:a) Operator:||= Word:b", "No variable, property or element before ||="},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.source);
    ScriptErr::__ERRS.clear();
    Parse* p = lexFile(row.source);
    EXPECT_EQ(dump(p->childs), row.expected);
    ASSERT_EQ(ScriptErr::__ERRS.size(), 1u);
    EXPECT_EQ(ScriptErr::__ERRS[0]->message, row.message);
    EXPECT_EQ(ScriptErr::__ERRS[0]->file, p);
    EXPECT_EQ(ScriptErr::__ERRS[0]->token->type, TokenTypeCode::Operator);
    delete ScriptErr::__ERRS[0];
    ScriptErr::__ERRS.clear();
    deleteTokenTree(p);
  }
}

TEST_F(Lexer, RegularExpressionsAndDivision) {
  int boxes = 0;
  static std::string shown;
  MsgBox = [](const char* text, const char* caption) {
    EXPECT_STREQ(caption, "RegExp err");
    shown = text;
    return 0;
  };
  struct {
    const char* source;
    const char* expected;
    bool error;
  } rows[] = {
      {"x = /abc/gi;", "Word:x Assign:= Literal:/abc/gi Semicolon:;", false},
      {"x = a / b / c", "Word:x Assign:= Word:a Operator:/ Word:b Operator:/ Word:c", false},
      {"x = a/b", "Word:x Assign:= Word:a Operator:/ Word:b", false},
      {"f(/a\\/b/, 1)", "Word:f Paren(Literal:/a\\/b/ Comma:, Number:1)", false},
      {"[/a/, /b/m]", "Bracket(Literal:/a/ Comma:, Literal:/b/m)", false},
      {"x = /a/ ;", "Word:x Assign:= Literal:/a/  Semicolon:;", false},
      {"x = /a/.test(s)", "Word:x Assign:= Literal:/a/ Word:.test Paren(Word:s)", false},
      {"{ /re/ }", "Block(Literal:/re/ )", false},
      {"x ? y : /z/", "Word:x Question:? Word:y Colon:: Literal:/z/", false},
      {"x = /\xE4\xB8\xAD/;", "Word:x Assign:= Literal:/\xE4\xB8\xAD/ Semicolon:;", false},
      {"x /= 2", "Word:x Operator:/= Number:2", false},
      // After "return" and after an operator a value is expected: a regular
      // expression; after "++" and "--" a value ends: a division.
      {"return /a/", "Return:return Literal:/a/", false},
      {"x = !/a/.test(s)", "Word:x Assign:= Operator:! Literal:/a/ Word:.test Paren(Word:s)", false},
      {"x = c ? /a/ : /b/;", "Word:x Assign:= Word:c Question:? Literal:/a/  Colon:: Literal:/b/ Semicolon:;", false},
      {"x = y && /a/.test(s)", "Word:x Assign:= Word:y Operator:&& Literal:/a/ Word:.test Paren(Word:s)", false},
      {"x = i++ / 2", "Word:x Assign:= Word:i Operator:++ Operator:/ Number:2", false},
      // The flags stand right after the closing '/'; a word after a blank is
      // read on its own. A '/' in a class does not close; a line end does
      // not belong to a literal.
      {"x = /c/ is RegExp", "Word:x Assign:= Literal:/c/ Is: SystemType:RegExp", false},
      {"x = /c/gi as R", "Word:x Assign:= Literal:/c/gi As: Word:R", false},
      {"x = /[/]+/g;", "Word:x Assign:= Literal:/[/]+/g Semicolon:;", false},
      {"x = /a b/x;", "Word:x Assign:= Literal:/ab/ Semicolon:;", false},
      {"x = /a\nb/", "Word:x Assign:= Operator:/ Word:a Word:b Operator:/", true},
      {"x = /abc/q", "Word:x Assign:= Operator:/ Word:abc Operator:/ Word:q", true},
      {"x = /abc", "Word:x Assign:= Operator:/ Word:abc", true},
      {"x = /abc\\", "Word:x Assign:= Operator:/ Word:abc\\", true},
      {"x = /", "Word:x Assign:= Operator:/", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.source);
    shown.clear();
    EXPECT_EQ(lexDump(row.source), row.expected);
    EXPECT_EQ(!shown.empty(), row.error);
    if (row.error) ++boxes;
  }
  EXPECT_EQ(boxes, 5);
  MsgBox = nullptr;
  EXPECT_EQ(lexDump("x = /abc/q"),
            "Word:x Assign:= Operator:/ Word:abc Operator:/ Word:q");  // no hook: quietly an operator
}

TEST_F(Lexer, XmlLiterals) {
  checkRows({
      {"var x:XML = <a b=\"1\">t</a>;",
       "Var: Word:x Colon:: Word:XML Assign:= Literal:new XML(\"<a b=\\\"1\\\">t</a>\") Semicolon:;"},
      {"var x:* = <a/>", "Var: Word:x Colon:: Operator:* Assign:= Literal:new XML(\"<a/>\")"},
      {"var x:XML = <a id={n + 1}>{t}</a>;",
       "Var: Word:x Colon:: Word:XML Assign:= Literal:new XML(\"<a id=\\\"\" Operator:+ Paren(Word:n Operator:+ "
       "Number:1) Operator:+ "
       "Literal:\"\\\">\" Operator:+ Paren(Word:t) Operator:+ Literal:\"</a>\") Semicolon:;"},
      {"f(x, <a> x y <b c='d'/> </a>)", "Word:f Paren(Word:x Comma:, Literal:(new XML(\"<a>xy<b c='d'/></a>\")))"},
      {"f(<a>{b}</a>)",
       "Word:f Paren(Paren(Literal:new XML(\"<a>\" Operator:+ Paren(Word:b) Operator:+ Literal:\"</a>\")))"},
      {"f(<a b=\"{c}\"/>)", "Word:f Paren(Paren(Literal:new XML(\"<a b=\\\"{c}\\\"/>\")))"},  // a quoted brace is text
      {"f(<a><!-- c \"d\"\n --><![CDATA[x<y]]></a>)",
       "Word:f Paren(Literal:(new XML(\"<a><!-- c \\\"d\\\"\\n --><![CDATA[x<y]]></a>\")))"},
      {"f(<a>C:\\new</a>)", "Word:f Paren(Literal:(new XML(\"<a>C:\\\\new</a>\")))"},
      {"f(<a>\n  <b/>\n</a>, 2)", "Word:f Paren(Literal:(new XML(\"<a><b/></a>\")) Comma:, Number:2)"},
      {"if (a < b) c = d > e",
       "StatementWord:if Paren(Word:a Operator:< Word:b) Word:c Assign:= Word:d Operator:> Word:e"},
      {"f(< 3)", "Word:f Paren(Operator:< Number:3)"},
      {"f(<a>)", "Word:f Paren(Operator:< Word:a Operator:>)"},
      {"var x:XML = <a>", "Var: Word:x Colon:: Word:XML Assign:= Literal:xml err:new XML(\"<a>"},
      {"var x:XML = <a>{b</a>", "Var: Word:x Colon:: Word:XML Assign:= Literal:xml err:new XML(\"<a>"},
      // Wherever else a value begins, as after "=".
      {"return <a>{n}</a>;",
       "Return:return Literal:new XML(\"<a>\" Operator:+ Paren(Word:n) Operator:+ Literal:\"</a>\") Semicolon:;"},
      {"c ? <a/> : <b/>", "Word:c Question:? Literal:new XML(\"<a/>\") Colon:: Literal:new XML(\"<b/>\")"},
      {"s = t + <a/>", "Word:s Assign:= Word:t Operator:+ Literal:new XML(\"<a/>\")"},
      {"x; <a/>", "Word:x Semicolon:; Operator:< Word:a Operator:/ Operator:>"},
      // A CDATA section alone is its text.
      {"s = <![CDATA[a\"\\n\nb]]>;", "Word:s Assign:= Literal:\"a\\\"\\\\n\\nb\" Semicolon:;"},
      {"f(<![CDATA[x]]>, 1)", "Word:f Paren(Literal:\"x\" Comma:, Number:1)"},
  });
  Parse* p = lexFile("f(x, <a/>)");
  EXPECT_EQ(p->usesXml, 1);
  deleteTokenTree(p);
  p = lexFile("f(x < a)");
  EXPECT_EQ(p->usesXml, 0);
  deleteTokenTree(p);
  // Lines go on behind a literal that spans lines.
  p = lexFile("var x:XML = <a>\n{\nb}\n</a>;\ny");
  EXPECT_EQ(p->childs.back()->text, "y");
  EXPECT_EQ(p->childs.back()->line, 4);
  deleteTokenTree(p);
}

TEST_F(Lexer, DirectiveComments) {
  struct Row {
    const char* source;
    std::function<void(Parse*, ScriptFile*)> check;
  };
  const std::vector<Row> rows = {
      {"/** The doc. */\npublic var x;",
       [](Parse* p, ScriptFile*) { EXPECT_EQ(p->childs[0]->docComment(), "\n/** The doc. */\n"); }},
      {"// line doc\nstatic function f() {}",
       [](Parse* p, ScriptFile*) {
         EXPECT_EQ(p->childs[0]->docComment(), "\n// line doc\n");
         EXPECT_EQ(p->childs[0]->leadingText, "\n ");
       }},
      {"/* dropped */ y; class C {}",
       [](Parse* p, ScriptFile*) {
         EXPECT_EQ(p->childs[2]->type, TokenTypeCode::Class);
         EXPECT_EQ(p->childs[2]->docComment(), "");  // a word came between
       }},
      {"/*[FILEINDEX:1]*/ var x",
       [](Parse* p, ScriptFile*) {
         EXPECT_EQ(p->childs[0]->docComment(), "");  // a directive is no doc comment
       }},
      {"/*async*/ var f",
       [](Parse* p, ScriptFile*) {
         EXPECT_EQ(p->childs[0]->flags, 0x40000);
         EXPECT_EQ(p->childs[0]->docComment(), "");
       }},
      {"x = /*[STATIC SAFE]*/ new A();",
       [](Parse* p, ScriptFile*) {
         // "=" prints as "=/*[SAFE]*/"
         for (Token* t : p->childs) EXPECT_EQ(t->safeMark, t == p->childs[1] ? 1 : 0);
       }},
      {"x /*[STATIC SAFE]*/",
       [](Parse* p, ScriptFile*) {
         EXPECT_EQ(p->childs[0]->safeMark, 0);  // fewer than two children: nothing
       }},
      {"/*[FILEINDEX:42]*/ package {}",
       [](Parse* p, ScriptFile* record) {
         EXPECT_EQ(p->scriptFile, record);
         EXPECT_EQ(record->secondWeight, 42);
       }},
      {"//[FILEINDEX:-7] and more", [](Parse*, ScriptFile* record) { EXPECT_EQ(record->secondWeight, -7); }},
      {"//[FILEINDEX:] x", [](Parse*, ScriptFile* record) { EXPECT_EQ(record->secondWeight, 0); }},
      {"// [COMPILER OPTIONS:ForcedCompile]\npackage {}",
       [](Parse* p, ScriptFile* record) {
         EXPECT_EQ(p->forcedCompile, 1);
         EXPECT_EQ(ScriptFile::firstFiles.get("/src/test/Main.as"), record);
       }},
      {"/*[COMPILER OPTIONS:DISABLE2SYNC]*/", [](Parse* p, ScriptFile*) { EXPECT_EQ(p->sync, 0); }},
      {"{ /*[DISABLE-ADD-VARIABLE-DEFAULT-VALUE]*/ }",
       [](Parse* p, ScriptFile*) {
         EXPECT_EQ(p->childs[0]->noDefaultValues, 1);  // the group the comment stands in
         EXPECT_EQ(p->noDefaultValues, 0);
       }},
      {"//[COMPILER OPTIONS:EXCLUDE lib/old]",
       [](Parse*, ScriptFile*) {
         EXPECT_EQ(_ompilerOptions_.excludePaths, std::vector<std::string>{"/src/test/lib/old"});
       }},
      {"/*[DISBALEOUTCONST-BEGIN]*/ const A; const B",
       [](Parse* p, ScriptFile*) {
         EXPECT_EQ(DISBALEOUTCONST, 1);
         EXPECT_EQ(dynamic_cast<TokenVar*>(p->childs[0])->outputDisabled, 1);
         EXPECT_EQ(dynamic_cast<TokenVar*>(p->childs[3])->outputDisabled, 1);
       }},
      {"/*[PACKAGE-SAVEDISBALE]*/ x",
       [](Parse* p, ScriptFile*) {
         EXPECT_EQ(p->outputEnabled, 1);  // a Windows-only directive: here an ordinary comment
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.source);
    resetCompilerState();
    fpprintf = std::tmpfile();
    auto* record = new ScriptFile("/src/test/Main.as", "");
    ScriptFile::LoadedFileMap["/src/test/Main.as"] = record;
    Parse* p = lexFile(row.source);
    row.check(p, record);
    deleteTokenTree(p);
  }
}

TEST_F(Lexer, ConstOutputSwitchAndDocCommentCarryOverToTheNextFile) {
  Parse* a = lexFile(
      "/*[DISBALEOUTCONST-BEGIN]*/ const A = 1; /*[DISBALEOUTCONST-END]*/ const B = 2;"
      " /*[DISBALEOUTCONST-BEGIN]*/ const C = 3; /** for the next file */");
  std::vector<int> disabled;
  for (Token* t : a->childs)
    if (t->type == TokenTypeCode::Const) disabled.push_back(dynamic_cast<TokenVar*>(t)->outputDisabled);
  EXPECT_EQ(disabled, (std::vector<int>{1, 0, 1}));
  Parse* b = lexFile("const D; var E;", "/src/test/Other.as");
  EXPECT_EQ(dynamic_cast<TokenVar*>(b->childs[0])->outputDisabled, 1);  // still in force
  EXPECT_EQ(b->childs[0]->docComment(), "\n/** for the next file */\n");
  EXPECT_EQ(b->childs[2]->docComment(), "");
  deleteTokenTree(a);
  deleteTokenTree(b);
  resetLexerState();
  EXPECT_EQ(DISBALEOUTCONST, 0);
  EXPECT_EQ(_Comment, "");
}

TEST_F(Lexer, LayoutAndLines) {
  Parse* p = lexFile("a\n  b  c;\n\n\td /* x\ny */ e // z\nf 'g\nh' i");
  struct {
    const char* text;
    int line;
    const char* leading;
  } rows[] = {
      {"a", 0, ""},   {"b", 1, "\n  "}, {"c", 1, "  "},     {";", 1, ""},  {"d", 3, "\n\n\t"},
      {"e", 4, "  "}, {"f", 5, " \n"},  {"'g\nh'", 5, " "}, {"i", 6, " "},
  };
  ASSERT_EQ(p->childs.size(), std::size(rows));
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(rows[i].text);
    EXPECT_EQ(p->childs[i]->text, rows[i].text);
    EXPECT_EQ(p->childs[i]->line, rows[i].line);
    EXPECT_EQ(p->childs[i]->leadingText, rows[i].leading);
  }
  deleteTokenTree(p);

  // Groups: endLine is the line of the closer, trailing text what stood before it.
  p = lexFile("f(\n a\n ) {\n}\nx");
  EXPECT_EQ(p->childs[1]->line, 0);
  EXPECT_EQ(p->childs[1]->endLine, 2);
  EXPECT_EQ(p->childs[1]->trailingText(), "\n ");
  EXPECT_EQ(p->childs[2]->line, 2);
  EXPECT_EQ(p->childs[2]->endLine, 3);
  EXPECT_EQ(p->childs[2]->leadingText, " ");
  EXPECT_EQ(p->childs[3]->line, 4);
  deleteTokenTree(p);

  // Blank runs stepped over before and after a '.' still count their lines.
  struct {
    const char* source;
    const char* lastText;
    int lastLine;
  } lines[] = {
      {"a.\n  b c", "c", 1},         {"a \n .b(\n) c", "c", 2},
      {"x = /a/;\ny", "y", 1},       {"x = Vector.<\n\nint>; y", "y", 2},
      {"'a\nb' /*\n\n*/ c", "c", 3}, {"a\r\nb", "b", 1},
  };
  for (const auto& row : lines) {
    SCOPED_TRACE(row.source);
    Parse* q = lexFile(row.source);
    EXPECT_EQ(q->childs.back()->text, row.lastText);
    EXPECT_EQ(q->childs.back()->line, row.lastLine);
    deleteTokenTree(q);
  }
}

TEST_F(Lexer, CaseLabelsStartOnANewLine) {
  Parse* p = lexFile("switch (x) { case 1: a(); case 2:\n  default: }");
  Token* block = p->childs[2];
  std::vector<std::string> leading;
  for (Token* t : block->childs)
    if (t->type == TokenTypeCode::Case || t->type == TokenTypeCode::Default) leading.push_back(t->leadingText);
  EXPECT_EQ(leading, (std::vector<std::string>{"\n ", "\n ", "\n  "}));
  deleteTokenTree(p);
}

TEST_F(Lexer, BracketMismatchesSendTheirMessage) {
  _msg_p = 0;
  // The log line (echoed to standard output) and the IDE line of one message.
  auto msg = [](int line) {
    std::string l = std::to_string(line);
    return "2,0.00,/src/test/Main.as," + l + ",\r\nMSG,2,0.00,/src/test/Main.as," + l + ",\n";
  };
  struct {
    const char* source;
    const char* tree;
    std::string out;
  } rows[] = {
      {"a) b", "Word:a", msg(0)},  // the rest of the file is dropped
      {"x\n}\ny", "Word:x", msg(1)},
      {"f(a}\n b)", "Word:f Paren(Word:a) Word:b", msg(0) + msg(1)},  // "}" closes "(", then ")" at file level
      {"x ] y", "Word:x", msg(0)},                                    // a stray "]" at file level
      {"f(a] b)", "Word:f Paren(Word:a) Word:b", msg(0) + msg(0)},
      {"{\n a\n (b", "Block(Word:a Paren(Word:b))", msg(2)},  // left open: once, at the innermost opener
      {"\n\n[x", "Bracket(Word:x)", msg(2)},
      {"f(a)[b]{c}", "Word:f Paren(Word:a) Bracket(Word:b) Block(Word:c)", ""},
      {"[Embed(source='x')]", "As(As: Paren(Word:source Assign:= Literal:'x'))", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.source);
    std::string tree;
    std::string out = lexertest::captureStdout([&] { tree = lexDump(row.source); });
    EXPECT_EQ(tree, row.tree);
    EXPECT_EQ(out, row.out);
  }
  EXPECT_TRUE(ScriptErr::__ERRS.empty());  // no source error is counted
}

TEST_F(Lexer, DeepNestingIsASourceErrorNotACrash) {
  struct {
    std::string source;
    bool error;
  } rows[] = {
      {std::string(20000, '(') + std::string(20000, ')'), true},
      {std::string(20000, '{'), true},
      {std::string(20000, '['), true},
      {[] {
         std::string s;
         for (int i = 0; i < 300; ++i) s += "v:XML = <a b={";
         for (int i = 0; i < 300; ++i) s += "}/>";
         return s;
       }(),
       true},
      {std::string(200, '(') + "x" + std::string(200, ')'), false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.source.substr(0, 20));
    resetErrorQueue();
    std::string out = lexertest::captureStdout([&] {
      Parse* p = lexFile(row.source);
      deleteTokenTree(p);
    });
    if (row.error) {
      ASSERT_EQ(ScriptErr::__ERRS.size(), 1u);
      EXPECT_EQ(ScriptErr::__ERRS[0]->message, "Brackets nested too deeply (more than 256 levels)");
      EXPECT_EQ(out, "");  // the error replaces the messages of the groups left open
    } else {
      EXPECT_TRUE(ScriptErr::__ERRS.empty());
    }
    resetErrorQueue();
  }
  // 200 levels make a correct tree.
  Parse* p = lexFile(std::string(200, '(') + "x" + std::string(200, ')'));
  Token* t = p;
  int depth = 0;
  while (!t->childs.empty() && t->childs[0]->type == TokenTypeCode::Paren) {
    t = t->childs[0];
    ++depth;
  }
  EXPECT_EQ(depth, 200);
  EXPECT_EQ(dump(t->childs), "Word:x");
  deleteTokenTree(p);
}

// Inputs made to hurt: unterminated literals, look-aheads that never find
// their end, copies of copies. Each must end with a bounded tree; a hang
// would show as the test's timeout.
TEST_F(Lexer, HostileInputsEndWithABoundedTree) {
  auto repeat = [](const std::string& unit, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += unit;
    return s;
  };
  std::string nestedCopies = "x";
  for (int i = 0; i < 60; ++i) nestedCopies = "a[" + nestedCopies + " ||= 1]";
  std::string highBytes;
  for (int i = 0; i < 4096; ++i) highBytes += static_cast<char>(0x80 + i % 128);
  std::string noise;
  uint32_t seed = 12345;
  for (int i = 0; i < 200000; ++i) {
    seed = seed * 1103515245u + 12345u;
    noise += static_cast<char>((seed >> 16) & 0xFF);
  }
  struct {
    const char* name;
    std::string text;
  } rows[] = {
      {"vector types never closed", repeat("Vector.<", 50000)},
      {"xml never closed", repeat(",<a>", 50000)},
      {"typed xml never closed", repeat("x:XML = <a ", 20000)},
      {"string never closed", "'" + repeat("abc ", 100000)},
      {"comment never closed", "/*" + repeat("abc ", 100000)},
      {"regex never closed", "x = /" + repeat("a\\/", 100000)},
      {"regex starts everywhere", repeat(",/\\/", 50000)},
      {"logical assignments in a row", repeat("a ||= ", 20000)},
      {"copies of copies", nestedCopies},
      {"blank runs", repeat(" \t\n", 100000) + "x"},
      {"bytes of 0x80 and above", highBytes + "'" + highBytes + "/*" + highBytes},
      {"noise", noise},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    resetErrorQueue();
    std::string out = lexertest::captureStdout([&] {
      Parse* p = lexFile(row.text);
      long long tokens = 0;
      TokenList stack{p};
      while (!stack.empty()) {
        Token* t = stack.back();
        stack.pop_back();
        ++tokens;
        stack.insert(stack.end(), t->childs.begin(), t->childs.end());
      }
      EXPECT_LE(tokens, 2 * static_cast<long long>(row.text.size()) + 20000);
      deleteTokenTree(p);
    });
    EXPECT_LE(out.size(), 200u);  // at most a message or two, not one per byte
  }
  resetErrorQueue();
}

TEST_F(Lexer, IncludesReadLoadedFilesOnceAndReportCycles) {
  ruvotest::TempDir dir;
  const std::string main = dir / "Main.as";
  const std::string inc = dir / "inc.as";
  const std::string self = dir / "self.as";
  const std::string a = dir / "a.as";
  const std::string b = dir / "b.as";
  ruvotest::writeFile(main, "x;");
  ruvotest::writeFile(inc, "//[IF-JS]var y;\r\nvar z;");
  ruvotest::writeFile(self, "include \"self.as\"; w;");
  ruvotest::writeFile(a, "include 'b.as'; fromA;");
  ruvotest::writeFile(b, "include 'a.as'; fromB;");
  _ompilerOptions_.conditionSymbol = "JS";
  for (const std::string& f : {main, inc, self, a, b}) ScriptFile::LoadFile(f);

  Parse* p = lexFile("include \"inc.as\";\nv; include 'missing.as';", main.c_str());
  EXPECT_EQ(dump(p->childs),
            "Include: Semicolon:; Var: Word:y Semicolon:; Var: Word:z Semicolon:; Semicolon:; Word:v Semicolon:; "
            "Include: Semicolon:;");
  EXPECT_EQ(p->childs[2]->line, 0);  // lines of the included file
  EXPECT_EQ(p->childs[5]->line, 1);
  EXPECT_EQ(p->childs[9]->line, 1);
  EXPECT_EQ(ScriptFile::LoadedFileMap.get(inc)->text, "         var y;\nvar z;");
  // The include of a file that does not exist is reported, at its line.
  ASSERT_EQ(ScriptErr::__ERRS.size(), 1u);
  EXPECT_EQ(ScriptErr::__ERRS[0]->message, "Include file not found: " + dir / "missing.as");
  EXPECT_EQ(ScriptErr::__ERRS[0]->token->line, 1);
  ScriptErr::__ERRS.clear();
  deleteTokenTree(p);

  struct {
    std::string path;
    std::string source;
    std::string tree;
    std::string cycle;
  } rows[] = {
      {self, "include \"self.as\"; w;", "Include: Semicolon:; Word:w Semicolon:;", self},
      {main, "include 'self.as';", "Include: Include: Semicolon:; Word:w Semicolon:; Semicolon:;", self},
      {a, "include 'b.as'; fromA;",
       "Include: Include: Semicolon:; Word:fromB Semicolon:; Semicolon:; Word:fromA Semicolon:;", a},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.path + ": " + row.source);
    resetErrorQueue();
    Parse* q = lexFile(row.source, row.path.c_str());
    EXPECT_EQ(dump(q->childs), row.tree);
    ASSERT_EQ(ScriptErr::__ERRS.size(), 1u);
    EXPECT_EQ(ScriptErr::__ERRS[0]->message, "Cyclic include of " + row.cycle);
    EXPECT_EQ(ScriptErr::__ERRS[0]->token->type, TokenTypeCode::Include);
    resetErrorQueue();
    deleteTokenTree(q);
  }
}

// An include inside an included file names its file relative to that file's
// folder; a name found only beside the source file being read still works.
TEST_F(Lexer, NestedIncludesFindFilesBesideTheirIncluder) {
  ruvotest::TempDir dir;
  const std::string main = dir / "Main.as";
  const std::string one = dir / "sub/one.as";
  const std::string two = dir / "sub/two.as";
  const std::string three = dir / "three.as";
  const std::string bothNear = dir / "sub/both.as";
  const std::string bothTop = dir / "both.as";
  ruvotest::writeFile(main, "x;");
  ruvotest::writeFile(one, "include 'two.as'; include 'three.as'; include 'both.as';");
  ruvotest::writeFile(two, "fromTwo;");
  ruvotest::writeFile(three, "fromThree;");
  ruvotest::writeFile(bothNear, "nearBoth;");
  ruvotest::writeFile(bothTop, "topBoth;");
  for (const std::string& f : {main, one, two, three, bothNear, bothTop}) ScriptFile::LoadFile(f);

  Parse* p = lexFile("include 'sub/one.as';", main.c_str());
  EXPECT_EQ(dump(p->childs),
            "Include: Include: Word:fromTwo Semicolon:; Semicolon:; Include: Word:fromThree Semicolon:; Semicolon:; "
            "Include: Word:nearBoth Semicolon:; Semicolon:; Semicolon:;");
  EXPECT_TRUE(ScriptErr::__ERRS.empty());
  deleteTokenTree(p);
}

TEST_F(Lexer, ParseEntryReadsWithinItsLength) {
  // A text without a terminator inside its length, and one cut by a NUL.
  const char raw[] = {'a', ' ', '=', ' ', 'b', 'X'};
  Parse* p = lexertest::emptyFile();
  int pos = 0, line = 0;
  p->parse(raw, 5, pos, line, nullptr);
  EXPECT_EQ(dump(p->childs), "Word:a Assign:= Word:b");
  deleteTokenTree(p);
  const char cut[] = "a\0b = c";
  p = lexertest::emptyFile();
  pos = 0;
  p->parse(cut, sizeof cut - 1, pos, line, nullptr);
  EXPECT_EQ(dump(p->childs), "Word:a");
  deleteTokenTree(p);
  p = lexertest::emptyFile();
  pos = 3;
  line = 0;
  p->parse("x; y", 4, pos, line, nullptr);  // from a position
  EXPECT_EQ(dump(p->childs), "Word:y");
  p->parse(nullptr, 4, pos, line, nullptr);
  p->parse("x", 0, pos, line, nullptr);
  deleteTokenTree(p);
}

TEST_F(Lexer, HelperMatchingCha) {
  int lines = 0;
  int first = -1;
  EXPECT_EQ(matchingCha("x<a<b>\n>y", '<', '>', &first, lines), 7);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(lines, 1);
  lines = 0;
  EXPECT_EQ(matchingCha("<a<b>", '<', '>', nullptr, lines), -1);
  EXPECT_EQ(matchingCha("none", '<', '>', nullptr, lines), -1);
  EXPECT_EQ(matchingCha("<\xE4>", '<', '>', nullptr, lines), 2);
  EXPECT_EQ(stringToText("a\"b\nc\\"), "a\\\"b\\nc\\\\");
  char xml[] = "<a x='1'><b/></a> rest";
  char notXml[] = "<1>";
  char open[] = "<a><b></a>";
  EXPECT_TRUE(isXml(xml));
  EXPECT_FALSE(isXml(notXml));
  EXPECT_FALSE(isXml(open));
  int depth = 0, state = 0;
  EXPECT_TRUE(_IsXMLNode(xml, depth, state));
  EXPECT_EQ(depth, 1);
  EXPECT_EQ(state, 9);
}

}  // namespace
