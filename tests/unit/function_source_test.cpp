// Functions read from ActionScript source: what the pretreatment registers
// (methods, accessors, constructors, package and outside functions, locals)
// and the JavaScript the file prints for them.
#include <gtest/gtest.h>

#include <string>

#include "CompilerOptions.h"
#include "TokenClass.h"
#include "TokenFunction.h"
#include "TokenPackage.h"
#include "globals.h"
#include "parse.h"
#include "scriptfile.h"

namespace {

Parse* compile(const std::string& source, const char* path) {
  resetCompilerState();
  __ISTOTS = false;
  __ISDEBUG__ = false;
  return new Parse(nullptr, source.c_str(), path, 0);
}

std::string printFile(Parse* file) {
  std::string out;
  file->_childsToJs_(out, file, 0, 0, 0);
  return out;
}

TEST(FunctionSource, ClassMembersAreSortedByKind) {
  Parse* file = compile(
      "package game {\n"
      "public class Unit {\n"
      "  public function Unit(x:int) { }\n"
      "  public function get():int { return 1; }\n"
      "  public function get hp():int { return 2; }\n"
      "  public function set hp(v:int):void { }\n"
      "  public static function make():Unit { return null; }\n"
      "  public function move(dx:int, dy:int = 1, ...rest):void { }\n"
      "}\n"
      "}\n",
      "src/game/Unit.as");
  if (!file->package || !file->package->firstClass) GTEST_SKIP() << "class registration not available yet";
  TokenClass* cls = file->package->firstClass;

  ASSERT_NE(cls->constructorFunction, nullptr);
  EXPECT_EQ(cls->constructorFunction->name, "Unit");

  // "get" followed by its group is a plain method named get.
  ASSERT_EQ(cls->methods.size(), 2u);
  auto* get = static_cast<TokenFunction*>(cls->methods[0]);
  EXPECT_EQ(get->name, "get");
  EXPECT_EQ(get->accessorKind, 0);
  auto* move = static_cast<TokenFunction*>(cls->methods[1]);
  EXPECT_EQ(move->name, "move");
  EXPECT_EQ(move->restParam, "...rest");
  EXPECT_EQ(move->fixedParamCount, 2);
  ASSERT_EQ(move->defaultValues.size(), 1u);
  EXPECT_EQ(move->defaultValues[0]->name, "dy");
  EXPECT_TRUE(move->locals.has("arguments"));
  EXPECT_TRUE(move->locals.has("dx"));
  EXPECT_TRUE(move->locals.has("rest"));

  // "get" and "set" followed by a name make the accessor pair.
  ASSERT_TRUE(cls->getSetMap.has("hp"));
  GetSetFunction* pair = cls->getSetMap.get("hp");
  ASSERT_NE(pair->get, nullptr);
  ASSERT_NE(pair->set, nullptr);
  EXPECT_EQ(pair->get->accessorKind, 255);
  EXPECT_EQ(pair->set->accessorKind, 1);
  EXPECT_EQ(pair->get->toTypeDeclaration(file), "int");
  EXPECT_TRUE(cls->members.has("hp"));

  ASSERT_EQ(cls->staticFunctions.size(), 1u);
  EXPECT_TRUE(cls->staticMembers.has("make"));
  EXPECT_FALSE(cls->members.has("make"));

  // Class members leave the class body: the class prints them from its lists.
  Token* classBody = nullptr;
  for (Token* c : cls->childs)
    if (c && c->type == TokenTypeCode::Block) classBody = c;
  ASSERT_NE(classBody, nullptr);
  for (Token* c : classBody->childs) EXPECT_EQ(c, nullptr);
}

TEST(FunctionSource, PackageFunctionOfANamedPackage) {
  Parse* file = compile("package a {\npublic function f(x:int):int {\n return x;\n}\n}\n", "src/a/f.as");
  if (!file->package) GTEST_SKIP() << "package pretreatment not available yet";
  ASSERT_NE(file->packageFunction, nullptr);
  EXPECT_EQ(file->packageFunction->name, "f");
  EXPECT_EQ(file->package->importMap.get("f"), "a.f");
  EXPECT_EQ(ScriptFile::GlobalFunctionWidthFileMap.get("a.f"), file->package);
  std::string js = printFile(file);
  EXPECT_NE(js.find("Ruvo.__package('a');\na.f=function(x)"), std::string::npos) << js;
}

TEST(FunctionSource, PackageFunctionOfTheUnnamedPackageWithAHelperAfterIt) {
  Parse* file =
      compile("package {\npublic function f():int {\n return g();\n}\n}\nfunction g():int { return 2; }\n", "src/f.as");
  if (!file->package) GTEST_SKIP() << "package pretreatment not available yet";
  ASSERT_NE(file->packageFunction, nullptr);
  ASSERT_EQ(file->outsideFunctions.size(), 1u);
  TokenFunction* helper = file->outsideFunctions[0];
  EXPECT_EQ(helper->name, "g");
  EXPECT_EQ(file->packageFunction->locals.get("g"), helper);
  std::string js = printFile(file);
  size_t head = js.find("var f=Ruvo.f=function(){");
  ASSERT_NE(head, std::string::npos) << js;
  // The helper is declared right behind the package function's "{".
  EXPECT_EQ(js.find("\nvar g=function()"), head + std::string("var f=Ruvo.f=function(){").size()) << js;
  // ... and nowhere else.
  EXPECT_EQ(js.find("g=function", js.find("var g=function") + 5), std::string::npos) << js;
}

TEST(FunctionSource, NestedAndInlineFunctionsBecomeLocals) {
  Parse* file = compile(
      "package {\npublic function outer(list:Array):void {\n"
      "  function inner(v:int):int { return v; }\n"
      "  list.forEach(function(item:*, i:int):void { inner(i); });\n"
      "}\n}\n",
      "src/outer.as");
  if (!file->package) GTEST_SKIP() << "package pretreatment not available yet";
  TokenFunction* outer = file->packageFunction;
  ASSERT_NE(outer, nullptr);
  Token* inner = outer->locals.get("inner");
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->type, TokenTypeCode::Function);
  EXPECT_EQ(inner->functionTyped, 1);
  EXPECT_EQ(inner->declaredVar, 1);
  std::string js = printFile(file);
  EXPECT_NE(js.find("function inner (v){"), std::string::npos) << js;
  EXPECT_NE(js.find("function(item, i){"), std::string::npos) << js;
}

TEST(FunctionSource, MethodBodiesWithOnlyBlanksUseTheStub) {
  _ompilerOptions_.zafritLib = true;
  Parse* file = compile("package {\npublic class Idle {\n public function tick():void {   }\n}\n}\n", "src/Idle.as");
  if (!file->package || !file->package->firstClass) GTEST_SKIP() << "class registration not available yet";
  TokenClass* cls = file->package->firstClass;
  ASSERT_EQ(cls->methods.size(), 1u);
  std::string out;
  cls->methods[0]->toJsScript(out, file, 1, 0);
  EXPECT_EQ(out, "tick=RUVOFNVOID/*function(){   }*/");
}

TEST(FunctionSource, MalformedHeadsAreReported) {
  struct Row {
    const char* label;
    const char* source;
    const char* message;
  };
  const Row rows[] = {
      {"no body", "package {\npublic function f()\n}\n", "function err"},
      {"no parameter group", "package {\npublic function f { return 1; }\n}\n", "no parame"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    testing::internal::CaptureStdout();
    compile(row.source, "src/f.as");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find(std::string(",src/f.as,1,") + row.message), std::string::npos) << out;
  }
}

TEST(FunctionSource, RuntimeAsyncHelpersPrintNothingAndStopTheRewriting) {
  Parse* file = compile(
      "package {\npublic function RuvoAsyn_wait(f:Function):void {\n  f();\n}\n}\n"
      "function later(load:Function):void {\n  await::load(1);\n  load(2);\n}\n",
      "src/f.as");
  if (!file->package) GTEST_SKIP() << "package pretreatment not available yet";
  EXPECT_EQ(file->sync, 0);
  ASSERT_EQ(file->outsideFunctions.size(), 1u);
  EXPECT_EQ(file->outsideFunctions[0]->awaitMark, 0);
  EXPECT_EQ(printFile(file).find("RuvoAsyn_"), std::string::npos);
}

}  // namespace
