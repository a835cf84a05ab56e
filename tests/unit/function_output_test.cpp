// The JavaScript text of one function: the head by its place and mode, the
// statements put in front of the body (defaults, rest parameter, hoisted
// locals, the `_$this` alias, debug checks) and the runtime stubs.
//
// The functions are built by hand (head and body already lifted, as the
// pretreatment leaves them), with literal parameters and statements, so the
// texts below depend only on the function output.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CompilerOptions.h"
#include "TokenClass.h"
#include "TokenFunction.h"
#include "TokenOther.h"
#include "TokenPackage.h"
#include "globals.h"
#include "parse.h"

namespace {

Token* literal(const char* text) { return new Token(TokenTypeCode::Literal, text, 0, 0, nullptr); }

// A parameter group of literal names separated by commas.
Token* params(const std::vector<const char*>& names) {
  Token* group = new TokenParent(TokenTypeCode::Paren, "", 0, 0, nullptr);
  for (size_t i = 0; i < names.size(); ++i) {
    if (i) group->push(new Token(TokenTypeCode::Comma, ",", 0, 0, nullptr));
    group->push(literal(names[i]));
  }
  return group;
}

// A body block holding one literal statement (none for an empty text).
Token* body(const char* statement) {
  Token* block = new Token(TokenTypeCode::Block, "", 0, 0, nullptr);
  if (*statement) block->push(literal(statement));
  return block;
}

TokenFunction* function(const char* name, Token* parent, Token* group, Token* block) {
  TokenFunction* fn = new TokenFunction(TokenTypeCode::Function, "", 0, 3, nullptr);
  fn->name = name;
  if (parent) parent->push(fn);
  fn->paramGroup = group;
  fn->body = block;
  if (group) {
    group->parent = fn;
    group->file = fn->file;
  }
  if (block) {
    block->parent = fn;
    block->file = fn->file;
  }
  return fn;
}

std::string print(TokenFunction* fn, int mode, Parse* file = nullptr) {
  std::string out;
  fn->toJsScript(out, file, mode, 0);
  return out;
}

class FunctionOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    resetCompilerState();
    __ISDEBUG__ = false;
    __ISTOTS = false;
    _ompilerOptions_.zafritLib = true;
    cls = new TokenClass(TokenTypeCode::Class, "", 0, 0, nullptr);
    cls->shortName = "Box";
    cls->fullName = "Box";
    classBody = new Token(TokenTypeCode::Block, "", 0, 0, nullptr);
    cls->push(classBody);
  }
  void TearDown() override {
    __ISDEBUG__ = false;
    __ISTOTS = false;
    _ompilerOptions_.zafritLib = true;
  }
  // A method of the class Box.
  TokenFunction* method(const char* name, Token* group, Token* block) {
    TokenFunction* fn = function(name, classBody, group, block);
    fn->classMember = 1;
    fn->currentClass = cls;
    return fn;
  }
  TokenClass* cls = nullptr;
  Token* classBody = nullptr;
};

TEST_F(FunctionOutput, ClassMemberHeadsByMode) {
  struct Row {
    const char* label;
    const char* name;
    uint8_t accessor;
    int flags;
    int mode;
    const char* expected;
  };
  const Row rows[] = {
      {"method", "tick", 0, 0, 1, "tick=function(a,b){return a;}"},
      {"async method", "tick", 0, TokenModifierFlags::Async, 1, "tick=async function(a,b){return a;}"},
      {"static method", "make", 0, TokenModifierFlags::Static, 2, "Box.make=function(a,b){return a;}"},
      {"getter as accessor", "size", 255, 0, 3, "function(a,b){return a;}"},
      {"setter as accessor", "size", 1, 0, 3, "function(a,b){return a;}"},
      {"getter among statics", "size", 255, TokenModifierFlags::Static, 2, ""},
      {"constructor split", "Box", 0, 0, 4, "(a,b)--##END{return a;}"},
      {"constructor whole", "Box", 0, 0, 5, "(a,b){return a;}"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    TokenFunction* fn = method(row.name, params({"a", "b"}), body("return a;"));
    fn->accessorKind = row.accessor;
    fn->flags = row.flags;
    EXPECT_EQ(print(fn, row.mode), row.expected);
  }
}

TEST_F(FunctionOutput, TypeScriptStaticMethods) {
  __ISTOTS = true;
  TokenFunction* plain = method("make", params({"a"}), body("return a;"));
  plain->flags = TokenModifierFlags::Static | TokenModifierFlags::Private;
  EXPECT_EQ(print(plain, 2), "private static make (a){return a;}");
  TokenFunction* async = method("load", params({}), body("return 1;"));
  async->flags = TokenModifierFlags::Static | TokenModifierFlags::Async;
  EXPECT_EQ(print(async, 2), "static async load (){return 1;}");
  __ISTOTS = false;
}

TEST_F(FunctionOutput, AccessorInAnotherModePrintsNothing) {
  TokenFunction* fn = method("size", params({}), body("return 1;"));
  fn->accessorKind = 255;
  EXPECT_EQ(print(fn, 1), "");
}

TEST_F(FunctionOutput, HeadsOutsideClasses) {
  // A named function inside a block is a declaration.
  Token* block = new Token(TokenTypeCode::Block, "", 0, 0, nullptr);
  TokenFunction* nested = function("inner", block, params({"x"}), body("return x;"));
  EXPECT_EQ(print(nested, 0), "function inner (x){return x;}");

  // An anonymous function inside an expression.
  Token* call = new TokenParent(TokenTypeCode::Paren, "", 0, 0, nullptr);
  TokenFunction* inline_ = function("", call, params({"e"}), body("e.stop();"));
  EXPECT_EQ(print(inline_, 0), "function(e){e.stop();}");

  // Without a parameter group the head says so.
  TokenFunction* broken = function("", call, nullptr, body("x();"));
  EXPECT_EQ(print(broken, 0), "functionparams err!{x();}");
}

TEST_F(FunctionOutput, PackageFunctionHeads) {
  Parse* file = new Parse(nullptr, "", "src/a/f.as", 0);
  TokenPackage* pkg = new TokenPackage(TokenTypeCode::Package, "a", 0, 0, nullptr);
  pkg->qualifyingName = "a";
  file->push(pkg);
  file->package = pkg;
  TokenFunction* fn = function("f", pkg, params({"x"}), body("return x;"));
  EXPECT_EQ(print(fn, 0, file), "Ruvo.__package('a');\na.f=function(x){return x;};");

  pkg->text.clear();
  pkg->qualifyingName.clear();
  EXPECT_EQ(print(fn, 0, file), "var f=Ruvo.f=function(x){return x;};");
}

TEST_F(FunctionOutput, FunctionsAfterThePackageBlockPrintInsideThePackageFunction) {
  Parse* file = new Parse(nullptr, "", "src/f.as", 0);
  TokenPackage* pkg = new TokenPackage(TokenTypeCode::Package, "", 0, 0, nullptr);
  file->push(pkg);
  file->package = pkg;
  TokenFunction* main = function("f", pkg, params({}), body("return g();"));
  TokenFunction* helper = function("g", file, params({"y"}), body("return 2;"));
  file->packageFunction = main;
  file->outsideFunctions.push_back(helper);

  // Under the file root the helper prints nothing by itself.
  EXPECT_EQ(print(helper, 0, file), "");
  EXPECT_EQ(print(main, 0, file), "var f=Ruvo.f=function(){\nvar g=function(y){return 2;};\nreturn g();};");
}

TEST_F(FunctionOutput, AccessorOutsideThePackageIsAnError) {
  Parse* file = new Parse(nullptr, "", "src/f.as", 0);
  TokenFunction* fn = function("v", file, params({}), body("return 1;"));
  fn->accessorKind = 255;
  size_t before = ScriptErr::__ERRS.size();
  EXPECT_EQ(print(fn, -4, file), "var v=function(){return 1;};");
  ASSERT_EQ(ScriptErr::__ERRS.size(), before + 1);
  EXPECT_EQ(ScriptErr::__ERRS.back()->message,
            "Err,Outside the package method does not support the get and set function.");
}

TEST_F(FunctionOutput, StatementsPutInFrontOfTheBody) {
  Token* holder = new TokenParent(TokenTypeCode::Paren, "", 0, 0, nullptr);

  // An int parameter a = 1 and a rest parameter: the rest set-up comes first,
  // then the default line, then the source statements.
  TokenFunction* fn = function("", holder, params({"a", "__rest"}), body("return a;"));
  auto* value = new TokenFunctionDefaultValue();
  value->name = "a";
  value->valueTokens.push_back(new Token(TokenTypeCode::Number, "1", 0, 0, nullptr));
  fn->defaultValues.push_back(value);
  fn->restParam = "...rest";
  fn->fixedParamCount = 1;
  EXPECT_EQ(print(fn, 0),
            "function(a,__rest){\nvar rest=Array.prototype.slice.call(arguments,1);\n"
            "\n(a===void 0) && (a=1);\nreturn a;}");

  // A rest parameter alone is copied out of `arguments` as well: it is an
  // Array (join, concat) even without a type.
  TokenFunction* only = function("", holder, params({"__args"}), body("return args.length;"));
  only->restParam = "...args";
  EXPECT_EQ(print(only, 0),
            "function(__args){\nvar args=Array.prototype.slice.call(arguments,0);\n"
            "return args.length;}");

  // ... and so is an Array-typed one.
  TokenFunction* typed = function("", holder, params({"__args"}), body("return args;"));
  typed->restParam = "...args";
  typed->restType = "Array";
  EXPECT_EQ(print(typed, 0),
            "function(__args){\nvar args=Array.prototype.slice.call(arguments,0);\n"
            "return args;}");

  // `...arguments` keeps `arguments` usable.
  TokenFunction* named = function("", holder, params({"____"}), body("return arguments;"));
  named->restParam = "...__";
  named->fixedParamCount = 1;
  EXPECT_EQ(print(named, 0),
            "function(____){\nvar __=Array.prototype.slice.call(arguments,1);"
            "arguments=__;\nreturn arguments;}");

  // An empty body gets no set-up; a bare "..." none either.
  TokenFunction* empty = function("", holder, params({"__args"}), body(""));
  empty->restParam = "...args";
  EXPECT_EQ(print(empty, 0), "function(__args){\n}");
  TokenFunction* bare = function("", holder, params({}), body("f();"));
  bare->restParam = "...";
  EXPECT_EQ(print(bare, 0), "function(){f();}");
}

TEST_F(FunctionOutput, DefaultValueLines) {
  struct Row {
    const char* label;
    std::vector<std::pair<const char*, const char*>> values;  // name, printed value
    const char* expected;
  };
  const std::vector<Row> rows = {
      {"number", {{"n", "3"}}, "function(n){\n(n===void 0) && (n=3);\nf();}"},
      {"printed null is kept as a comment", {{"o", "null"}}, "function(o){\n//(o===void 0) && (o=null);\nf();}"},
      {"two in order",
       {{"a", "'x'"}, {"b", "[]"}},
       "function(a,b){\n(a===void 0) && (a='x');\n(b===void 0) && (b=[]);\nf();}"},
  };
  Token* holder = new TokenParent(TokenTypeCode::Paren, "", 0, 0, nullptr);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    std::vector<const char*> names;
    for (auto& v : row.values) names.push_back(v.first);
    TokenFunction* fn = function("", holder, params(names), body("f();"));
    for (auto& v : row.values) {
      auto* value = new TokenFunctionDefaultValue();
      value->name = v.first;
      value->valueTokens.push_back(literal(v.second));
      fn->defaultValues.push_back(value);
    }
    EXPECT_EQ(print(fn, 0), row.expected);
  }
}

TEST_F(FunctionOutput, MakeValueAppendsToTheText) {
  TokenFunctionDefaultValue value;
  value.valueText = "pre:";
  value.valueTokens = {literal("a"), nullptr, literal("+"), literal("b")};
  value.makeValue(nullptr, 0, 0);
  EXPECT_EQ(value.valueText, "pre:a+b");
  TokenFunctionDefaultValue empty;
  empty.makeValue(nullptr, 0, 0);
  EXPECT_EQ(empty.valueText, "");
}

TEST_F(FunctionOutput, ThisAliasForClosuresInAMethod) {
  TokenFunction* fn = method("tick", params({}), body("go(function(){_$this.x=1;});"));
  fn->closureThisCount = 1;
  EXPECT_EQ(print(fn, 1), "tick=function(){\n\tvar _$this=this;\ngo(function(){_$this.x=1;});}");

  // A method that declares `_$this` itself gets no second one.
  TokenFunction* own = method("tock", params({}), body("f();"));
  own->closureThisCount = 1;
  own->locals["_$this"] = literal("_$this");
  EXPECT_EQ(print(own, 1), "tock=function(){f();}");
}

TEST_F(FunctionOutput, HoistedLocalsOfARewrittenFunction) {
  Token* holder = new TokenParent(TokenTypeCode::Paren, "", 0, 0, nullptr);
  auto local = [](const char* name, const char* type) {
    Token* t = new Token(TokenTypeCode::DeclaredName, name, 0, 0, nullptr);
    t->hoistMark = 1;
    if (*type) t->setTypeDeclaration(new Token(TokenTypeCode::SystemType, type, 0, 0, nullptr));
    return t;
  };
  for (int noDefaults = 0; noDefaults < 2; ++noDefaults) {
    SCOPED_TRACE(noDefaults ? "without defaults" : "with defaults");
    TokenFunction* fn = function("", holder, params({}), body("run();"));
    fn->awaitMark = 1;
    fn->noDefaultValues = static_cast<uint8_t>(noDefaults);
    fn->locals["n"] = local("n", "int");
    fn->locals["x"] = local("x", "Number");
    fn->locals["s"] = local("s", "String");
    fn->locals["p"] = literal("p");  // a parameter: not hoisted
    fn->locals["u"] = local("u", "uint");
    EXPECT_EQ(print(fn, 0),
              noDefaults ? "function(){\nvar n,x,s,u;\nrun();}" : "function(){\nvar n=0,x=NaN,s,u=0;\nrun();}");
  }
}

TEST_F(FunctionOutput, DebugTypeChecksOfParameters) {
  __ISDEBUG__ = true;
  Token* holder = new TokenParent(TokenTypeCode::Paren, "", 0, 0, nullptr);
  Token* group = params({"n", "s", "o"});
  group->childs[0]->setTypeDeclaration(new Token(TokenTypeCode::SystemType, "int", 0, 0, nullptr));
  group->childs[2]->setTypeDeclaration(new Token(TokenTypeCode::SystemType, "String", 0, 0, nullptr));
  group->childs[4]->setTypeDeclaration(new Token(TokenTypeCode::Word, "Sprite", 0, 0, nullptr));
  TokenFunction* fn = function("", holder, group, body("f();"));
  EXPECT_EQ(
      print(fn, 0),
      "function(n,s,o){\nif(!__DEBUGTYPE__(n,'int')) debugger;\nif(!__DEBUGTYPE__(s,'String')) debugger;\n\nf();}");
}

TEST_F(FunctionOutput, RuntimeStubsForTrivialBodies) {
  struct Row {
    const char* label;
    const char* text;
    const char* expected;
  };
  const Row rows[] = {
      {"empty", "function(){}", "RUVOFNVOID/*function(){}*/"},
      {"bare return", "function(a){ return; }", "RUVOFNVOID/*function(a){ return; }*/"},
      {"null", "function(){return null;}", "RUVOFNNULL/*function(){return null;}*/"},
      {"empty string", "function(){return '';}", "RUVOFNSTR/*function(){return '';}*/"},
      {"empty string, double quotes", "function(){return \"\";}", "RUVOFNSTR/*function(){return \"\";}*/"},
      {"zero", "function(){return 0}", "RUVOFN0/*function(){return 0}*/"},
      {"false", "function(){return false;}", "RUVOFNFALSE/*function(){return false;}*/"},
      {"true", "function(){ return true; }", "RUVOFNTRUE/*function(){ return true; }*/"},
      {"empty array", "function(){return [];}", "RUVOFNARRAY/*function(){return [];}*/"},
      {"line breaks count", "function(){\n}", "function(){\n}"},
      {"other body", "function(){return 1;}", "function(){return 1;}"},
      {"longer than 20 bytes behind ')'", "function(){                    }", "function(){                    }"},
      {"kept type comment cannot close the stub comment", "function(a/*int*/){}",
       "RUVOFNVOID/*function(a/*int* /){}*/"},
  };
  TokenFunction fn(TokenTypeCode::Function, "", 0, 0, nullptr);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    EXPECT_EQ(fn.toFunMiniString(row.text), row.expected);
  }
  _ompilerOptions_.zafritLib = false;
  EXPECT_EQ(fn.toFunMiniString("function(){}"), "function(){}");
}

TEST_F(FunctionOutput, MethodsWithTrivialBodiesPrintTheStub) {
  TokenFunction* blank = method("onTick", params({}), body("   "));
  EXPECT_EQ(print(blank, 1), "onTick=RUVOFNVOID/*function(){   }*/");
  TokenFunction* yes = method("isReady", params({}), body("return true;"));
  EXPECT_EQ(print(yes, 1), "isReady=RUVOFNTRUE/*function(){return true;}*/");
  TokenFunction* getter = method("ready", params({}), body("return false;"));
  getter->accessorKind = 255;
  EXPECT_EQ(print(getter, 3), "RUVOFNFALSE/*function(){return false;}*/");
  _ompilerOptions_.zafritLib = false;
  EXPECT_EQ(print(method("onTick", params({}), body("")), 1), "onTick=function(){}");
}

TEST_F(FunctionOutput, LocalsResolveToThemselves) {
  Token* holder = new TokenParent(TokenTypeCode::Paren, "", 0, 0, nullptr);
  TokenFunction* fn = function("", holder, params({}), body(""));
  Token* count = new Token(TokenTypeCode::DeclaredName, "count", 0, 0, nullptr);
  count->setTypeDeclaration(new Token(TokenTypeCode::SystemType, "int", 0, 0, nullptr));
  fn->locals["count"] = count;

  Token* use = new Token(TokenTypeCode::Word, "count.toString", 0, 0, nullptr);
  std::string name = use->text, head = "count";
  int skip = 0;
  TokenHeadMsg msg;
  EXPECT_EQ(fn->jsFormatProperty(name, head, use, 0, skip, msg), "count.toString");
  EXPECT_EQ(msg.type, "int");
  EXPECT_EQ(use->resolvedTypeText(), "int");
  EXPECT_EQ(skip, 0);
}

// The locals whose JavaScript name takes a '$': every word reserved in
// scripts, async functions or strict code, with or without '$'s already, and
// no near miss of one.
TEST(LocalNames, ReservedWordsTakeADollar) {
  for (const char* word : {"enum", "export", "debugger", "await", "yield", "let", "static", "implements",
                           "interface", "package", "private", "protected", "public", "let$", "enum$$"}) {
    SCOPED_TRACE(word);
    EXPECT_TRUE(jsLocalNameChanges(word));
    EXPECT_EQ(jsLocalName(word), std::string(word) + "$");
  }
  for (const char* word : {"", "$", "a", "le", "lets", "awaits", "publics", "Static", "yiel", "implement", "interfaces",
                           "debug", "pack", "$let", "exports", "sx"}) {
    SCOPED_TRACE(word);
    EXPECT_FALSE(jsLocalNameChanges(word));
    EXPECT_EQ(jsLocalName(word), word);
  }
}

}  // namespace
