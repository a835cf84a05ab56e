// Statement and expression output from small ActionScript snippets: each
// snippet is tokenised into a plain group, pretreated, printed and laid out
// as the output scripts carry it; the exact JavaScript is compared and every
// script from a valid snippet must also pass `node --check`.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "CompilerOptions.h"
#include "Token.h"
#include "TokenClass.h"
#include "TokenFunction.h"
#include "TokenOther.h"
#include "formatScript.h"
#include "globals.h"
#include "harness.h"
#include "message.h"
#include "parse.h"

namespace {

struct Switches {
  bool release = false;
  bool zafritLib = true;
  bool libraryAdded = true;
};

// Sets the output switches for one snippet and restores them afterwards.
class SwitchScope {
 public:
  explicit SwitchScope(const Switches& s)
      : release_(__ISRELEASE__), zafritLib_(_ompilerOptions_.zafritLib), library_(_ompilerOptions_.libraryAdded) {
    __ISRELEASE__ = s.release;
    _ompilerOptions_.zafritLib = s.zafritLib;
    _ompilerOptions_.libraryAdded = s.libraryAdded;
  }
  ~SwitchScope() {
    __ISRELEASE__ = release_;
    _ompilerOptions_.zafritLib = zafritLib_;
    _ompilerOptions_.libraryAdded = library_;
  }

 private:
  bool release_, zafritLib_, library_;
};

void freshState() {
  resetCompilerState();
  fpprintf = std::tmpfile();  // the log of these compiles stays out of debug.txt
}

// Tokenises `source` into `root` (a plain group unless the caller passes a
// class or function token to stand in for the surroundings).
Token* lex(const std::string& source, Token* root = nullptr) {
  if (!root) root = new Token(TokenTypeCode::Word, "", 0, 0, nullptr);
  int pos = 0;
  int line = 0;
  root->parse(source.c_str(), static_cast<int>(source.size()), pos, line, root->parent);
  return root;
}

std::string printChilds(Token* root) {
  std::string out;
  root->_childsToJs_(out, nullptr, 0, 0, 0);
  return formatScript(out);
}

// Snippet in, formatted JavaScript out.
std::string emit(const std::string& source, const Switches& s = {}) {
  freshState();
  SwitchScope scope(s);
  Token* root = lex(source);
  root->pretreatment(nullptr);
  return printChilds(root);
}

std::vector<std::string> queuedErrors() {
  std::vector<std::string> out;
  for (ScriptErr* e : ScriptErr::__ERRS) out.push_back(e->message);
  return out;
}

// node --check on the script; quiet when node is not installed.
void expectNodeAccepts(const std::string& js) {
  if (!ruvotest::haveNode()) return;
  ruvotest::TempDir dir;
  ruvotest::writeFile(dir / "s.js", js);
  ruvotest::RunResult r = ruvotest::runNodeArgs({"--check", dir / "s.js"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << "node rejects:\n" << js << "\n" << r.err;
}

struct Case {
  const char* name;
  const char* as3;
  const char* js;
  Switches switches = {};
};

void runTable(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string js = emit(c.as3, c.switches);
    EXPECT_EQ(js, c.js);
    EXPECT_TRUE(queuedErrors().empty());
    expectNodeAccepts(js);
  }
}

Switches release() {
  Switches s;
  s.release = true;
  return s;
}

Switches noLibrary() {
  Switches s;
  s.zafritLib = false;
  s.libraryAdded = false;
  return s;
}

TEST(StatementOutput, LoopsAndJumps) {
  runTable({
      {"for prints its head and body as written", "for (i = 0; i < n; i++) {\n\tf(i);\n}\n",
       "for (i=0;i < n;i++){\n\tf(i);\n}\n\n\n"},
      {"for each over a name", "for each (v in list) {\n\tf(v);\n}\n",
       "var $each_v;\n/*for each*/for ($each_v in list){\n\tv=list[$each_v];\n\tf(v);\n}\n\n\n"},
      {"for each in release", "for each (v in list) {\n\tf(v);\n}\n",
       "var $each_v;\nfor ($each_v in list){\n\tv=list[$each_v];\n\tf(v);\n}\n\n\n", release()},
      {"for each over a path", "for each (item in a.items) {\n\tsum += item;\n}\n",
       "var $each_item;\n/*for each*/for ($each_item in a.items){\n\titem=a.items[$each_item];\n\tsum+=item;\n}\n\n\n"},
      {"for each with a statement as its body", "for each (v in list) f(v);\ng();\n",
       "var $each_v;\n/*for each*/for ($each_v in list){\n\tv=list[$each_v];\n\tf(v);\n}\n\n\ng();\n"},
      {"for each with if and else as its body", "for each (v in list) if (v) f(v); else g(v);\nh();\n",
       "var $each_v;\n/*for each*/for ($each_v in list){\n\tv=list[$each_v];\n\tif (v)f(v);else g(v);\n}\n\n\nh();\n"},
      {"for each with a loop as its body", "for each (v in list) for each (w in v) f(w);\nh();\n",
       "var $each_v;\n/*for each*/for ($each_v in list){\n\tv=list[$each_v];{\n\t\tvar $each_w;\n\t\t/*for each*/for ($each_w in v){\n\t\t\tw=v[$each_w];\n\t\t\tf(w);\n\t}}\n\n}\n\n\nh();\n"},
      {"for each with a statement without ';' as its body", "for each (v in list) sum += v *\n2\ng()\n",
       "var $each_v;\n/*for each*/for ($each_v in list){\n\tv=list[$each_v];\n\tsum+=v *\n\t2\n}\n\n\ng()\n"},
      {"for each with a switch as its body", "for each (v in list) switch (v) { case 1: f(v); }\nh();\n",
       "var $each_v;\n/*for each*/for ($each_v in list){\n\tv=list[$each_v];\n\tswitch (v){\n\t\tcase 1:f(v);}\n}\n\n\nh();\n"},
      {"for each with a braceless body under if", "if (a) for each (v in list) delete o[v];\nh();\n",
       "if (a){\n\tvar $each_v;\n\t/*for each*/for ($each_v in list){\n\t\tv=list[$each_v];\n\t\tdelete o[v];\n}}\n\n\nh();\n"},
      {"labels after break and continue",
       "outer: while (a) {\n\twhile (b) {\n\t\tif (c) break outer;\n\t\tcontinue outer;\n\t}\n\tbreak;\n}\n",
       "outer:while (a){\n\twhile (b){\n\t\tif (c)break outer;\n\t\tcontinue outer;\n\t}\n\n\tbreak ;\n}\n\n\n"},
      {"a word on the line after break is no label", "while (a) {\n\tbreak\n\tfoo();\n}\n",
       "while (a){\n\tbreak\n\tfoo();\n}\n\n\n"},
  });
}

TEST(StatementOutput, ForEachErrors) {
  struct ErrorCase {
    const char* name;
    const char* as3;
    const char* js;
    const char* error;
    bool validScript;
  };
  const ErrorCase cases[] = {
      {"empty head", "for each () {}\n", "for (){}\n", "\"for each\" err,find in err", false},
      {"head without in", "for each (v) {}\n", "for (v){}\n", "\"for each\" err,find in err", false},
      {"a try statement as the body", "for each (v in list) try { f(v); } catch (e) {}\n",
       "var $each_v;\n/*for each*/for ($each_v in list)try {f(v);}catch (e){}\n", "\"for each\" err,must add{}", true},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string js = emit(c.as3);
    EXPECT_EQ(js, c.js);
    EXPECT_EQ(queuedErrors(), std::vector<std::string>{c.error});
    if (c.validScript) expectNodeAccepts(js);
  }
}

TEST(StatementOutput, Expressions) {
  runTable({
      {"calls and groups", "f(a, b);\nx = (a + b) * (c - d);\n", "f(a,b);\nx=(a+b)*(c-d);\n"},
      {"brackets", "a[0] = b[i + 1];\n", "a[0]=b[i+1];\n"},
      {"strict equality with the library", "r = a === b;\ns = a !== b;\nt = a===b;\n",
       "r=a==b;\ns=a !=b;\nt=a===b;\n"},
      {"strict equality without the library", "r = a === b;\ns = a !== b;\n", "r=a===b;\ns=a !==b;\n",
       noLibrary()},
      {"logical assignments", "a ||= b;\nc &&= d;\n", "a=a|| b;\nc=c&& d;\n"},
      {"safe mark on an assignment", "a = /*[STATIC SAFE]*/ b;\n", "a=/*[SAFE]*/ b;\n"},
      {"flash package becomes zafrit", "s = flash.display.Sprite;\nt = my.flash.X;\n",
       "s=zafrit.display.Sprite;\nt=my.flash.X;\n"},
      {"system keywords stay", "m = Math.max(a, b);\nt = typeof x;\ndelete o.p;\n",
       "m=Math.max(a,b);\nt=typeof x;\ndelete o.p;\n"},
      {"Class used as a cast", "c = Class(v);\nd = new Class(v);\n", "c=(v);\nd=new Class(v);\n"},
      {"descendants", "a = x..item;\nb = x..@id;\nc = x..item.name;\nd = x..[k];\n",
       "a=x.getAllChildByName('item');\nb=x.getAllAttribute('id');\nc=x.getAllChildByName('item').name;\n"
       "d=x.getAllChildByName(k);\n"},
      {"attributes", "x.@id = 5;\nb = x.@id.length;\nc = x.@[k];\n",
       "x.setAttribute('id',5);\nb=x.getAttribute('id').length;\nc=x.getAttribute(k);\n"},
      {"attribute assignments without a semicolon end at their line",
       "x.@id = 5\nf(x)\nx.@n = a +\n\tb\nif (c) x.@k = 1\nelse x.@k = 2\n",
       "x.setAttribute('id',5)\nf(x)\nx.setAttribute('n',a+\nb)\nif (c)x.setAttribute('k',1)\n\telse x.setAttribute('k',2)\n"},
      {"attribute compound assignments and updates",
       "x.@hp += 5;\nx.@hp *= a + b;\nx.@bits >>>= 1\nx.@n++;\n++x.@n;\nx.@n--, n++;\nlist[i].@n += 2;\n",
       "x.setAttribute('hp',x.getAttribute('hp')+(5));\nx.setAttribute('hp',x.getAttribute('hp')*(a+b));\n"
       "x.setAttribute('bits',x.getAttribute('bits')>>>(1))\nx.setAttribute('n',Number(x.getAttribute('n'))+1);\n"
       "x.setAttribute('n',Number(x.getAttribute('n'))+1);\nx.setAttribute('n',Number(x.getAttribute('n'))-1),n++;\n"
       "list[i].setAttribute('n',list[i].getAttribute('n')+(2));\n"},
      {"attribute updates read as values and computed attribute names",
       "y = x.@n++;\nf(x.@hp -= 5);\nx.@[k] += 1;\nx.@[k] = v;\n++x.@[k];\n++list[i].@n;\nf(list[i].@n--);\n",
       "y=(function(o,n){var v=Number(o.getAttribute(n));o.setAttribute(n,v+1);return v;})(x,'n');\n"
       "f((function(o,n,b){var v=o.getAttribute(n)-b;o.setAttribute(n,v);return v;})(x,'hp',(5)));\n"
       "x.setAttribute(k,x.getAttribute(k)+(1));\nx.setAttribute(k,v);\n"
       "x.setAttribute(k,Number(x.getAttribute(k))+1);\nlist[i].setAttribute('n',Number(list[i].getAttribute('n'))+1);\n"
       "f((function(o,n){var v=Number(o.getAttribute(n));o.setAttribute(n,v-1);return v;})(list[i],'n'));\n"},
      {"every attribute empties the star", "a = x.@*;\n", "a=x.getAttribute('');\n"},
      {"a named attribute keeps its multiplication", "y = x.@id * 2;\n", "y=x.getAttribute('id')*2;\n"},
      {"children", "a = x.*;\nb = x.*.length();\n",
       "a=x.children();\nb=/*if err,please use zafrit.method.xmlLength()*/x.children().length();\n"},
      {"attribute filter", "y = list.(@id == 3);\nz = list.(@id != k);\n",
       "y=list.getChildByAttribute('id',3);\nz=list.getChildByAttribute('id',k,false);\n"},
  });
}

TEST(StatementOutput, DefineBlocks) {
  struct DefineCase {
    const char* value;
    const char* js;
  };
  const DefineCase cases[] = {
      {"true", "a();\ntrace(1);\nb();\nc();\n"},
      {"false", "a();\nc();\n"},
      {"TRUE", "a();\nc();\n"},
      {"1", "a();\nc();\n"},
  };
  for (const DefineCase& c : cases) {
    SCOPED_TRACE(c.value);
    freshState();
    _ompilerOptions_.defines["CONFIG::debug"] = c.value;
    Token* root = lex("a();\nCONFIG::debug {\n\ttrace(1);\n\tb();\n}\nc();\n");
    root->pretreatment(nullptr);
    std::string js = printChilds(root);
    _ompilerOptions_.defines.erase("CONFIG::debug");
    EXPECT_EQ(js, c.js);
    expectNodeAccepts(js);
  }
}

// A class body: metadata tags in front of members print nothing, an array
// literal inside a statement stays.
TEST(StatementOutput, MetadataInClassBody) {
  freshState();
  auto* cls = new TokenClass(TokenTypeCode::Class, "", 0, 0, nullptr);
  lex("{\n[Inline]\n[ArrayElementType(\"int\")]\nlist = [1, 2];\n[Event(name=\"x\")] [Bindable]\nf([3]);\n}\n", cls);
  std::string js = printChilds(cls);
  EXPECT_EQ(js, "{\n\tlist=[1,2];\n\tf([3]);\n}\n\n\n");
  expectNodeAccepts(js);
}

// Pretreats and prints a ( ) group that stands as the parameter list of `function`.
std::string parameterList(TokenFunction* function, const std::string& source) {
  Token* root = lex(source);
  Token* group = root->childs.at(0);
  group->parent = function;
  group->pretreatment(nullptr);
  std::string out;
  group->toJsScript(out, nullptr, 1, 0);
  return out;
}

TEST(StatementOutput, ParameterLists) {
  freshState();
  auto* f = new TokenFunction(TokenTypeCode::Function, "", 0, 0, nullptr);
  // The lexer joins the blank in front of "..." to the dots.
  EXPECT_EQ(parameterList(f, "(a, b = 2, c = null, ...rest)"), "(a, b, c,__rest)");
  ASSERT_EQ(f->defaultValues.size(), 1u);
  EXPECT_EQ(f->defaultValues[0]->name, "b");
  ASSERT_EQ(f->defaultValues[0]->valueTokens.size(), 1u);
  EXPECT_EQ(f->defaultValues[0]->valueTokens[0]->text, "2");
  EXPECT_EQ(f->restParam, "...rest");
  EXPECT_EQ(f->fixedParamCount, 3);
  EXPECT_TRUE(f->locals.has("rest"));
  expectNodeAccepts("function f" + std::string("(a,b,c,__rest)") + "{}");

  auto* g = new TokenFunction(TokenTypeCode::Function, "", 0, 0, nullptr);
  EXPECT_EQ(parameterList(g, "(...arguments)"), "(____)");
  EXPECT_EQ(g->restParam, "...__");
  EXPECT_EQ(g->fixedParamCount, 0);

  auto* h = new TokenFunction(TokenTypeCode::Function, "", 0, 0, nullptr);
  EXPECT_EQ(parameterList(h, "(x, y)"), "(x, y)");
  EXPECT_EQ(h->fixedParamCount, 2);
  EXPECT_TRUE(h->restParam.empty());

  auto* e = new TokenFunction(TokenTypeCode::Function, "", 0, 0, nullptr);
  EXPECT_EQ(parameterList(e, "()"), "()");
  EXPECT_EQ(e->fixedParamCount, 0);
}

TEST(StatementOutput, ParameterListsInTypeScript) {
  freshState();
  bool saved = __ISTOTS;
  __ISTOTS = true;
  auto* f = new TokenFunction(TokenTypeCode::Function, "", 0, 0, nullptr);
  std::string out = parameterList(f, "(a, b = 2, ...rest)");
  __ISTOTS = saved;
  EXPECT_EQ(out, "(a, b = 2,...rest)");
  EXPECT_EQ(f->restParam, "...rest");
  EXPECT_EQ(f->fixedParamCount, 2);
}

// super(...) and super.m(...) receive their object through .call.
TEST(StatementOutput, SuperCallGroups) {
  struct SuperCase {
    const char* name;
    const char* superName;
    const char* as3;
    const char* js;
  };
  const SuperCase cases[] = {
      {"with arguments", "Base", "S(a, b);", "S.call(this,a, b);"},
      {"without arguments", "Base", "S();", "S.call(this);"},
      {"super() in a class without a base", "", "super(a);", ";"},
      {"a method of Object in a class without a base", "", "S(a);", "S.call(this,a);"},
  };
  for (const SuperCase& c : cases) {
    SCOPED_TRACE(c.name);
    freshState();
    auto* cls = new TokenClass(TokenTypeCode::Class, "", 0, 0, nullptr);
    cls->superName = c.superName;
    lex(c.as3, cls);
    cls->childs.at(0)->superCallMark = 1;
    std::string out;
    cls->_childsToJs_(out, nullptr, 0, 0, 0);
    EXPECT_EQ(out, c.js);
    expectNodeAccepts(out);
  }
}

// An own method passed as a callback is bound to its object.
class MethodBinding : public ::testing::Test {
 protected:
  void SetUp() override {
    freshState();
    cls = new TokenClass(TokenTypeCode::Class, "", 0, 0, nullptr);
    auto* onX = new TokenFunction(TokenTypeCode::Function, "", 0, 0, cls);
    onX->name = "onX";
    cls->members["onX"] = onX;
    method = new TokenFunction(TokenTypeCode::Function, "", 0, 0, cls);
    method->classMember = 1;
  }
  std::string print(Token* root, const Switches& s = {}) {
    SwitchScope scope(s);
    std::string out;
    root->_childsToJs_(out, nullptr, 0, 0, 0);
    return formatScript(out);
  }
  TokenClass* cls = nullptr;
  TokenFunction* method = nullptr;
};

TEST_F(MethodBinding, InMethod) {
  struct BindCase {
    const char* name;
    const char* as3;
    const char* js;
    Switches switches;
  };
  const BindCase cases[] = {
      {"callback argument", "addEventListener('x', this.onX);", "addEventListener('x',__bind(this,this.onX));\n", {}},
      {"first of two arguments", "f(this.onX, 1);", "f(__bind(this,this.onX),1);\n", {}},
      {"member of the method is no method", "f(this.onX.y);", "f(this.onX.y);\n", {}},
      {"bind itself", "bind(this.onX);", "bind(this.onX);\n", {}},
      {"library off", "addEventListener('x', this.onX);", "addEventListener('x',this.onX);\n", noLibrary()},
  };
  for (const BindCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto* body = new Token(TokenTypeCode::Block, "", 0, 0, method);
    lex(c.as3, body);
    std::string js = print(body, c.switches);
    EXPECT_EQ(js, c.js);
    expectNodeAccepts(js);
  }
}

// Inside a closure the object is the method's `this`, kept in _$this, and
// the method learns that it must declare it.
TEST_F(MethodBinding, InClosure) {
  auto* closure = new TokenFunction(TokenTypeCode::Function, "", 0, 0, method);
  auto* body = new Token(TokenTypeCode::Block, "", 0, 0, closure);
  lex("later(this.onX);", body);
  std::string js = print(body);
  EXPECT_EQ(js, "later(__bind(_$this,_$this.onX));\n");
  expectNodeAccepts(js);
  EXPECT_EQ(method->closureThisCount, 1);
}

}  // namespace
