// The lexer: tokens, layout and lines, directive comments, regular
// expressions, XML literals, the visible rewrites, bracket mismatches and
// includes. Each table row tokenises a snippet and compares a compact dump
// of the tree ("code:text", groups as code(children)).
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
      {"a = b;", "0:a 41:= 0:b 27:;"},
      {"f(a, b)[0]{x}", "0:f 23(0:a 26:, 0:b) 30(57:0) 21(0:x)"},
      {"a ? b : c", "0:a 42:? 0:b 32:: 0:c"},
      {"3.14 + 0x1F - 2", "57:3.14 100:+ 57:0x1F 100:- 57:2"},
      {"'s' + \"t\"", "58:'s' 100:+ 58:\"t\""},
      {"'it''s'", "58:'it' 58:'s'"},
      {"\"a\\\"b\"", "58:\"a\\\"b\""},
      {"a.b.c", "0:a.b.c"},
      {"a . b", "0:a.b"},
      {"a .\n  b", "0:a.b"},
      {"a\n  .b()", "0:a 0:.b 23()"},
      {"xml.* + a * b", "0:xml.* 100:+ 0:a 100:* 0:b"},
      {"@id", "0:@id"},
      {"a %= b", "0:a 100:% 41:= 0:b"},
      {"a >>= b", "0:a 100:>> 41:= 0:b"},
      {"a >>>= b", "0:a 100:>>> 41:= 0:b"},
      {"a *= b", "0:a 100:* 41:= 0:b"},
      {"a += b", "0:a 100:+= 0:b"},
      {"a<=b>=c", "0:a 100:<= 0:b 100:>= 0:c"},
      {"a && !b || ~c", "0:a 100:&& 100:! 0:b 100:|| 100:~ 0:c"},
      {"i++ --j", "0:i 100:++ 100:-- 0:j"},
      {"a =!b", "0:a 100:=! 0:b"},
      {"a!=b", "0:a 100:!= 0:b"},
      {"a\x01"
       "b",
       "0:ab"},
      {"a\x07"
       "b",
       "0:a 0:b"},
      {"if (a) b; else c", "71:if 23(0:a) 0:b 27:; 71:else 0:c"},
      {"do x while (y) delete z", "71:do 0:x 16:while 23(0:y) 71:delete 0:z"},
      {"x is String as int", "0:x 64: 78:String 55: 78:int"},
      {"return new A()", "18:return 19:new 0:A 23()"},
      {"switch (a) { case 1: break; default: continue }", "0:switch 23(0:a) 21(63: 57:1 32:: 82: 27:; 80: 32:: 81:)"},
      {"try {} catch (e) {}", "0:try 21() 65: 23(0:e) 21()"},
      {"with (o) {}", "79: 23(0:o) 21()"},
      {"for (k in o)", "76:for 23(0:k 77:in 0:o)"},
      {"import a.B; package p { class C extends D implements E {} }",
       "54: 0:a.B 27:; 53: 0:p 21(52: 0:C 61:extends 0:D 73:implements 0:E 21())"},
      {"interface I {}", "60: 0:I 21()"},
      {"super(x); super.f(); _super",
       "62: 23(0:x) 27:; 0:super.f 23() 27:; 78:\n/*warning: _super is Ruvo System keywords*/_super"},
      {"__JS__('x') __INCLUDESTR__('f')", "70:__JS__ 23(58:'x') 70:__INCLUDESTR__ 23(58:'f')"},
      {"new Vector", "19:new 0:"},
      {"x = 1\nvar y", "0:x 41:= 57:1 27:; 50: 0:y"},
      {"f(); var y", "0:f 23() 27:; 50: 0:y"},
      {"(var y)", "23(50: 0:y)"},
      {"{} const", "21() 27:; 74:"},
      {"each = 1; o.each", "0:each 41:= 57:1 27:; 0:o.each"},
  });
}

TEST_F(Lexer, StrictEqualityFollowsTheLibraryOption) {
  struct {
    const char* source;
    bool zafrit;
    const char* expected;
  } rows[] = {
      {"x === y", true, "0:x 100:== 0:y"},   {"x !== y", true, "0:x 100:!= 0:y"}, {"x === y", false, "0:x 100:=== 0:y"},
      {"x !== y", false, "0:x 100:!== 0:y"}, {"x===y", true, "0:x 100:=== 0:y"},  {"x!==y", true, "0:x 100:!== 0:y"},
      {"x===y", false, "0:x 100:=== 0:y"},
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
      {"static private var x", 0, 50, 0x30},
      {"internal var x", 0, 50, 0},
      {"public native virtual function f", 0, 51, 0x1},
      {"protected override final function f", 0, 51, 0x400 | 0x80 | 0x1000},
      {"dynamic class A", 0, 52, 0x40},
      {"public namespace ns", 0, 0, 0x2001},
      {"use namespace ns", 0, 0, 0x6000},
      {"NOENUMERATION var x", 0, 50, 0x20000},
      {"[inline] function f", 0, 51, 0x200},
      {"[Bindable] public var x", 0, 50, 0x8001},
      {"async function f()", 0, 51, 0x40000},
      {"static async function f()", 0, 51, 0x40010},
      {"/*async*/ function f()", 0, 51, 0x40000},
      {"async(x)", 0, 0, 0x40000},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.source);
    Parse* p = lexFile(row.source);
    ASSERT_GT(p->childs.size(), static_cast<size_t>(row.index));
    Token* t = p->childs[row.index];
    EXPECT_EQ(t->type, row.type);
    EXPECT_EQ(t->flags, row.flags);
    for (size_t i = row.index + 1; i < p->childs.size(); ++i) EXPECT_EQ(p->childs[i]->flags, 0);
    deleteTokenTree(p);
  }
  // "async function" is one function token; the async word is gone.
  EXPECT_EQ(lexDump("async function f()"), "51: 0:f 23()");
  EXPECT_EQ(lexDump("\n  async function f()"), "51: 0:f 23()");
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
    SCOPED_TRACE(std::to_string(t->type) + ":" + t->text);
    switch (t->type) {
      case 50:
      case 74:
        EXPECT_NE(dynamic_cast<TokenVar*>(t), nullptr);
        break;
      case 51:
        EXPECT_NE(dynamic_cast<TokenFunction*>(t), nullptr);
        break;
      case 52:
        EXPECT_NE(dynamic_cast<TokenClass*>(t), nullptr);
        break;
      case 53:
        EXPECT_NE(dynamic_cast<TokenPackage*>(t), nullptr);
        break;
      case 60:
        EXPECT_NE(dynamic_cast<TokenInterface*>(t), nullptr);
        break;
      case 61:
        EXPECT_NE(dynamic_cast<TokenExtends*>(t), nullptr);
        break;
      case 76:
        EXPECT_EQ(dynamic_cast<TokenFor*>(t)->forEach, 1);
        break;
      case 63:
      case 80:
        EXPECT_NE(dynamic_cast<TokenCase*>(t), nullptr);
        break;
      case 65:
        EXPECT_NE(dynamic_cast<TokenCatch*>(t), nullptr);
        break;
      case 79:
        EXPECT_NE(dynamic_cast<TokenWith*>(t), nullptr);
        break;
      case 81:
        EXPECT_NE(dynamic_cast<TokenContinue*>(t), nullptr);
        break;
      case 82:
        EXPECT_NE(dynamic_cast<TokenBreak*>(t), nullptr);
        break;
      case 62:
        EXPECT_NE(dynamic_cast<TokenSuper*>(t), nullptr);
        break;
      case 64:
        EXPECT_NE(dynamic_cast<TokenIs*>(t), nullptr);
        break;
      case 55:
        EXPECT_NE(dynamic_cast<TokenAs*>(t), nullptr);
        break;
      case 77:
        EXPECT_NE(dynamic_cast<TokenIn*>(t), nullptr);
        break;
      case 54:
        EXPECT_NE(dynamic_cast<TokenImport*>(t), nullptr);
        break;
      case 75:
        EXPECT_NE(dynamic_cast<TokenVector*>(t), nullptr);
        break;
      case 70:
        EXPECT_NE(dynamic_cast<TokenUntyped*>(t), nullptr);
        break;
      case 19:
        EXPECT_NE(dynamic_cast<TokenNew*>(t), nullptr);
        break;
      case 23:
        EXPECT_NE(dynamic_cast<TokenParent*>(t), nullptr);
        break;
      case 32:
        EXPECT_NE(dynamic_cast<TokenColon*>(t), nullptr);
        break;
      default:
        break;
    }
  }
  // Every code the lexer makes itself occurs.
  for (int code : {16, 18, 19, 21, 23, 26, 27, 30, 32, 50, 51, 52, 53, 54, 55, 57, 58,
                   60, 61, 62, 63, 64, 65, 70, 74, 75, 76, 77, 79, 80, 81, 82, 83}) {
    if (code == 30 || code == 26 || code == 57 || code == 58) continue;  // shown by other tests
    SCOPED_TRACE(code);
    EXPECT_GT(counts[code], 0);
  }
  EXPECT_EQ(pCurAddClass, p->childs[2]->childs[0]);
  deleteTokenTree(p);
  EXPECT_EQ(pCurAddClass, nullptr);  // freeing the tree forgets it
}

TEST_F(Lexer, EmbedTagAndSystemUseStatic) {
  EXPECT_EQ(lexDump("[Embed(source='a.png')] var x"), "55(55: 23(0:source 41:= 58:'a.png')) 27:; 50: 0:x");
  EXPECT_EQ(lexDump("[x, Embed]"), "30(0:x 26:, 0:Embed)");
  Parse* p = lexFile("class A RUVOSYSTEM_USE_STATIC { }");
  EXPECT_EQ(dump(p->childs), "52: 0:A 21()");
  EXPECT_EQ(dynamic_cast<TokenClass*>(p->childs[0])->systemUseStatic, 1);
  deleteTokenTree(p);
}

TEST_F(Lexer, NamespacePrefixesAndAwait) {
  _ompilerOptions_.defines["CONFIG::debug"] = "true";
  checkRows({
      {"a::b.c::d", "0:b.d"},
      {"ns::x = 1", "0:x 41:= 57:1"},
      {"CONFIG::debug {}", "0:CONFIG::debug 21()"},
      {"NS::off\n{}", "0:NS::off 21()"},
      {"::x", "0:::x"},
      {"await::load(u)", "0:load 23(0:u)"},
      {"/*await*/ load(u)", "58:await 0:load 23(0:u)"},
      {"await x", "58:await 0:x"},
      {"await + 1", "0:await 100:+ 57:1"},
      {"f(await)", "0:f 23(0:await)"},
      {"x = await\ny", "0:x 41:= 0:await 0:y"},
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
      {"Vector.<int>", "75:Vector.<int>"},
      {"new Vector.<Vector.<String>>()", "19:new 75:Vector.<Vector.<String>> 23()"},
      {"v:Vector.< flash.geom.Point >", "0:v 32:: 75:Vector.<flash.geom.Point>"},
      {"Vector .\n<int>", "75:Vector.<int>"},
      {"Vector.<int", "0:Vector. 100:< 78:int"},
      {"myVector.<T>", "0:myVector. 100:< 0:T 100:>"},
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
      {"a ||= b", "0:a 41:= 0:a 100:|| 0:b"},
      {"a &&= b", "0:a 41:= 0:a 100:&& 0:b"},
      {"x = 1; o.list[i] ||= []", "0:x 41:= 57:1 27:; 0:o.list 30(0:i) 41:= 0:o.list 30(0:i) 100:|| 30()"},
      {"o[k].name ||= n", "0:o 30(0:k) 0:.name 41:= 0:o 30(0:k) 0:.name 100:|| 0:n"},
      {"f().x &&= y", "0:f 23() 0:.x 41:= 0:f 23() 0:.x 100:&& 0:y"},
      {"super[k] ||= 1", "62: 30(0:k) 41:= 62: 30(0:k) 100:|| 57:1"},
      // A value with an operator binding more loosely than the || or && is
      // bracketed, up to its ";" or a line where a new statement starts.
      {"a ||= c ? x : y; z", "0:a 41:= 0:a 100:|| 23(0:c 42:? 0:x 32:: 0:y) 27:; 0:z"},
      {"a &&= b || c\nz", "0:a 41:= 0:a 100:&& 23(0:b 100:|| 0:c) 0:z"},
      {"a ||= b || c", "0:a 41:= 0:a 100:|| 0:b 100:|| 0:c"},
      {"a ||= b = 5, c", "0:a 41:= 0:a 100:|| 23(0:b 41:= 57:5) 26:, 0:c"},
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
      {"||= b", "100:||= 0:b", "No variable, property or element before ||="},
      {"f() ||= 1", "0:f 23() 100:||= 57:1", "No variable, property or element before ||="},
      {"x = 2 &&= y", "0:x 41:= 57:2 100:&&= 0:y", "No variable, property or element before &&="},
      {"(a) ||= b", "23(0:a) 100:||= 0:b", "No variable, property or element before ||="},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.source);
    ScriptErr::__ERRS.clear();
    Parse* p = lexFile(row.source);
    EXPECT_EQ(dump(p->childs), row.expected);
    ASSERT_EQ(ScriptErr::__ERRS.size(), 1u);
    EXPECT_EQ(ScriptErr::__ERRS[0]->message, row.message);
    EXPECT_EQ(ScriptErr::__ERRS[0]->file, p);
    EXPECT_EQ(ScriptErr::__ERRS[0]->token->type, 100);
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
      {"x = /abc/gi;", "0:x 41:= 58:/abc/gi 27:;", false},
      {"x = a / b / c", "0:x 41:= 0:a 100:/ 0:b 100:/ 0:c", false},
      {"x = a/b", "0:x 41:= 0:a 100:/ 0:b", false},
      {"f(/a\\/b/, 1)", "0:f 23(58:/a\\/b/ 26:, 57:1)", false},
      {"[/a/, /b/m]", "30(58:/a/ 26:, 58:/b/m)", false},
      {"x = /a/ ;", "0:x 41:= 58:/a/  27:;", false},
      {"x = /a/.test(s)", "0:x 41:= 58:/a/ 0:.test 23(0:s)", false},
      {"{ /re/ }", "21(58:/re/ )", false},
      {"x ? y : /z/", "0:x 42:? 0:y 32:: 58:/z/", false},
      {"x = /\xE4\xB8\xAD/;", "0:x 41:= 58:/\xE4\xB8\xAD/ 27:;", false},
      {"x /= 2", "0:x 100:/= 57:2", false},
      // After "return" and after an operator a value is expected: a regular
      // expression; after "++" and "--" a value ends: a division.
      {"return /a/", "18:return 58:/a/", false},
      {"x = !/a/.test(s)", "0:x 41:= 100:! 58:/a/ 0:.test 23(0:s)", false},
      {"x = c ? /a/ : /b/;", "0:x 41:= 0:c 42:? 58:/a/  32:: 58:/b/ 27:;", false},
      {"x = y && /a/.test(s)", "0:x 41:= 0:y 100:&& 58:/a/ 0:.test 23(0:s)", false},
      {"x = i++ / 2", "0:x 41:= 0:i 100:++ 100:/ 57:2", false},
      // The flags stand right after the closing '/'; a word after a blank is
      // read on its own. A '/' in a class does not close; a line end does
      // not belong to a literal.
      {"x = /c/ is RegExp", "0:x 41:= 58:/c/ 64: 78:RegExp", false},
      {"x = /c/gi as R", "0:x 41:= 58:/c/gi 55: 0:R", false},
      {"x = /[/]+/g;", "0:x 41:= 58:/[/]+/g 27:;", false},
      {"x = /a b/x;", "0:x 41:= 58:/ab/ 27:;", false},
      {"x = /a\nb/", "0:x 41:= 100:/ 0:a 0:b 100:/", true},
      {"x = /abc/q", "0:x 41:= 100:/ 0:abc 100:/ 0:q", true},
      {"x = /abc", "0:x 41:= 100:/ 0:abc", true},
      {"x = /abc\\", "0:x 41:= 100:/ 0:abc\\", true},
      {"x = /", "0:x 41:= 100:/", true},
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
  EXPECT_EQ(lexDump("x = /abc/q"), "0:x 41:= 100:/ 0:abc 100:/ 0:q");  // no hook: quietly an operator
}

TEST_F(Lexer, XmlLiterals) {
  checkRows({
      {"var x:XML = <a b=\"1\">t</a>;", "50: 0:x 32:: 0:XML 41:= 58:new XML(\"<a b=\\\"1\\\">t</a>\") 27:;"},
      {"var x:* = <a/>", "50: 0:x 32:: 100:* 41:= 58:new XML(\"<a/>\")"},
      {"var x:XML = <a id={n + 1}>{t}</a>;",
       "50: 0:x 32:: 0:XML 41:= 58:new XML(\"<a id=\\\"\" 100:+ 23(0:n 100:+ 57:1) 100:+ "
       "58:\"\\\">\" 100:+ 23(0:t) 100:+ 58:\"</a>\") 27:;"},
      {"f(x, <a> x y <b c='d'/> </a>)", "0:f 23(0:x 26:, 58:(new XML(\"<a>xy<b c='d'/></a>\")))"},
      {"f(<a>{b}</a>)", "0:f 23(23(58:new XML(\"<a>\" 100:+ 23(0:b) 100:+ 58:\"</a>\")))"},
      {"f(<a b=\"{c}\"/>)", "0:f 23(23(58:new XML(\"<a b=\\\"{c}\\\"/>\")))"},  // a quoted brace is text
      {"f(<a><!-- c \"d\"\n --><![CDATA[x<y]]></a>)",
       "0:f 23(58:(new XML(\"<a><!-- c \\\"d\\\"\\n --><![CDATA[x<y]]></a>\")))"},
      {"f(<a>C:\\new</a>)", "0:f 23(58:(new XML(\"<a>C:\\\\new</a>\")))"},
      {"f(<a>\n  <b/>\n</a>, 2)", "0:f 23(58:(new XML(\"<a><b/></a>\")) 26:, 57:2)"},
      {"if (a < b) c = d > e", "71:if 23(0:a 100:< 0:b) 0:c 41:= 0:d 100:> 0:e"},
      {"f(< 3)", "0:f 23(100:< 57:3)"},
      {"f(<a>)", "0:f 23(100:< 0:a 100:>)"},
      {"var x:XML = <a>", "50: 0:x 32:: 0:XML 41:= 58:xml err:new XML(\"<a>"},
      {"var x:XML = <a>{b</a>", "50: 0:x 32:: 0:XML 41:= 58:xml err:new XML(\"<a>"},
      // Wherever else a value begins, as after "=".
      {"return <a>{n}</a>;", "18:return 58:new XML(\"<a>\" 100:+ 23(0:n) 100:+ 58:\"</a>\") 27:;"},
      {"c ? <a/> : <b/>", "0:c 42:? 58:new XML(\"<a/>\") 32:: 58:new XML(\"<b/>\")"},
      {"s = t + <a/>", "0:s 41:= 0:t 100:+ 58:new XML(\"<a/>\")"},
      {"x; <a/>", "0:x 27:; 100:< 0:a 100:/ 100:>"},
      // A CDATA section alone is its text.
      {"s = <![CDATA[a\"\\n\nb]]>;", "0:s 41:= 58:\"a\\\"\\\\n\\nb\" 27:;"},
      {"f(<![CDATA[x]]>, 1)", "0:f 23(58:\"x\" 26:, 57:1)"},
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
       [](Parse* p, ScriptFile*) { EXPECT_EQ(p->childs[0]->docComment, "\n/** The doc. */\n"); }},
      {"// line doc\nstatic function f() {}",
       [](Parse* p, ScriptFile*) {
         EXPECT_EQ(p->childs[0]->docComment, "\n// line doc\n");
         EXPECT_EQ(p->childs[0]->leadingText, "\n ");
       }},
      {"/* dropped */ y; class C {}",
       [](Parse* p, ScriptFile*) {
         EXPECT_EQ(p->childs[2]->type, 52);
         EXPECT_EQ(p->childs[2]->docComment, "");  // a word came between
       }},
      {"/*[FILEINDEX:1]*/ var x",
       [](Parse* p, ScriptFile*) {
         EXPECT_EQ(p->childs[0]->docComment, "");  // a directive is no doc comment
       }},
      {"/*async*/ var f",
       [](Parse* p, ScriptFile*) {
         EXPECT_EQ(p->childs[0]->flags, 0x40000);
         EXPECT_EQ(p->childs[0]->docComment, "");
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
    if (t->type == 74) disabled.push_back(dynamic_cast<TokenVar*>(t)->outputDisabled);
  EXPECT_EQ(disabled, (std::vector<int>{1, 0, 1}));
  Parse* b = lexFile("const D; var E;", "/src/test/Other.as");
  EXPECT_EQ(dynamic_cast<TokenVar*>(b->childs[0])->outputDisabled, 1);  // still in force
  EXPECT_EQ(b->childs[0]->docComment, "\n/** for the next file */\n");
  EXPECT_EQ(b->childs[2]->docComment, "");
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
  EXPECT_EQ(p->childs[1]->trailingText, "\n ");
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
    if (t->type == 63 || t->type == 80) leading.push_back(t->leadingText);
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
      {"a) b", "0:a", msg(0)},  // the rest of the file is dropped
      {"x\n}\ny", "0:x", msg(1)},
      {"f(a}\n b)", "0:f 23(0:a) 0:b", msg(0) + msg(1)},  // "}" closes "(", then ")" at file level
      {"x ] y", "0:x", msg(0)},                           // a stray "]" at file level
      {"f(a] b)", "0:f 23(0:a) 0:b", msg(0) + msg(0)},
      {"{\n a\n (b", "21(0:a 23(0:b))", msg(2)},  // left open: once, at the innermost opener
      {"\n\n[x", "30(0:x)", msg(2)},
      {"f(a)[b]{c}", "0:f 23(0:a) 30(0:b) 21(0:c)", ""},
      {"[Embed(source='x')]", "55(55: 23(0:source 41:= 58:'x'))", ""},
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
  while (!t->childs.empty() && t->childs[0]->type == 23) {
    t = t->childs[0];
    ++depth;
  }
  EXPECT_EQ(depth, 200);
  EXPECT_EQ(dump(t->childs), "0:x");
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
  EXPECT_EQ(dump(p->childs), "83: 27:; 50: 0:y 27:; 50: 0:z 27:; 27:; 0:v 27:; 83: 27:;");
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
      {self, "include \"self.as\"; w;", "83: 27:; 0:w 27:;", self},
      {main, "include 'self.as';", "83: 83: 27:; 0:w 27:; 27:;", self},
      {a, "include 'b.as'; fromA;", "83: 83: 27:; 0:fromB 27:; 27:; 0:fromA 27:;", a},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.path + ": " + row.source);
    resetErrorQueue();
    Parse* q = lexFile(row.source, row.path.c_str());
    EXPECT_EQ(dump(q->childs), row.tree);
    ASSERT_EQ(ScriptErr::__ERRS.size(), 1u);
    EXPECT_EQ(ScriptErr::__ERRS[0]->message, "Cyclic include of " + row.cycle);
    EXPECT_EQ(ScriptErr::__ERRS[0]->token->type, 83);
    resetErrorQueue();
    deleteTokenTree(q);
  }
}

TEST_F(Lexer, ParseEntryReadsWithinItsLength) {
  // A text without a terminator inside its length, and one cut by a NUL.
  const char raw[] = {'a', ' ', '=', ' ', 'b', 'X'};
  Parse* p = lexertest::emptyFile();
  int pos = 0, line = 0;
  p->parse(raw, 5, pos, line, nullptr);
  EXPECT_EQ(dump(p->childs), "0:a 41:= 0:b");
  deleteTokenTree(p);
  const char cut[] = "a\0b = c";
  p = lexertest::emptyFile();
  pos = 0;
  p->parse(cut, sizeof cut - 1, pos, line, nullptr);
  EXPECT_EQ(dump(p->childs), "0:a");
  deleteTokenTree(p);
  p = lexertest::emptyFile();
  pos = 3;
  line = 0;
  p->parse("x; y", 4, pos, line, nullptr);  // from a position
  EXPECT_EQ(dump(p->childs), "0:y");
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
