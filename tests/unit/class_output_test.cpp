// The JavaScript text of whole classes.
#include <gtest/gtest.h>

#include <string>

#include "CompilerOptions.h"
#include "TokenClass.h"
#include "class_project.h"
#include "parse.h"
#include "scriptfile.h"

using classtest::MiniProject;

namespace {

size_t count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Checks that the pieces occur in this order.
void expectInOrder(const std::string& text, std::initializer_list<std::string> pieces) {
  size_t at = 0;
  for (const std::string& piece : pieces) {
    size_t found = text.find(piece, at);
    EXPECT_NE(found, std::string::npos) << "missing in order: " << piece << "\n--- in ---\n" << text;
    if (found == std::string::npos) return;
    at = found + piece.size();
  }
}

std::string queuedErrors() {
  std::string all;
  for (ScriptErr* err : ScriptErr::__ERRS) all += err->message + "\n";
  return all;
}

// Classes without members: the whole text is fixed.
TEST(ClassOutput, ExactTextOfMemberlessClasses) {
  struct Row {
    const char* title;
    std::vector<std::pair<const char*, const char*>> files;
    const char* cls;
    const char* expected;
  } rows[] = {
      {"no constructor, no variables, no base",
       {{"a/Empty.as", "package a\n{\n\tpublic class Empty\n\t{\n\t}\n}\n"}},
       "a.Empty",
       "\n//class a.Empty\nvar Empty=(function(){\nfunction Empty(){\n}\n__class(Empty,'a.Empty',true);\n\n"
       "return Empty;\n})()\n"},
      {"resolved base, no constructor",
       {{"a/Base.as", "package a\n{\n\tpublic class Base\n\t{\n\t}\n}\n"},
        {"a/Derived.as", "package a\n{\n\tpublic class Derived extends Base\n\t{\n\t}\n}\n"}},
       "a.Derived",
       "\n//class a.Derived extends a.Base\nvar Derived=(function(_super){\nfunction Derived(){\n"
       "Derived.__super.call(this);;\n}\n__class(Derived,'a.Derived',false,_super);\n\nreturn Derived;\n"
       "})(Base)\n"},
      {"base known by mini name",
       {{"a/Item.as", "package a\n{\n\tpublic class Item\n\t{\n\t}\n}\n"},
        {"b/Item.as", "package b\n{\n\tpublic class Item\n\t{\n\t}\n}\n"},
        {"c/Sub.as", "package c\n{\n\timport b.Item;\n\tpublic class Sub extends Item\n\t{\n\t}\n}\n"}},
       "c.Sub",
       "\n//class c.Sub extends b.Item\nvar Sub=(function(_super){\nfunction Sub(){\nSub.__super.call(this);;\n}\n"
       "__class(Sub,'c.Sub',false,_super);\n\nreturn Sub;\n})(Item$1)\n"},
      {"numbered mini name",
       {{"a/Item.as", "package a\n{\n\tpublic class Item\n\t{\n\t}\n}\n"},
        {"b/Item.as", "package b\n{\n\tpublic class Item\n\t{\n\t}\n}\n"}},
       "b.Item",
       "\n//class b.Item\nvar Item$1=(function(){\nfunction Item(){\n}\n__class(Item,'b.Item',true,null,'Item$1');\n\n"
       "return Item;\n})()\n"},
      {"mini name is the full name",
       {{"a/XML.as", "package a\n{\n\tpublic class XML\n\t{\n\t}\n}\n"}},
       "a.XML",
       "\n//class a.XML\na.XML=(function(){\nfunction XML(){\n}\n__class(XML,'a.XML',true);\n\nreturn XML;\n})()\n"},
      {"Error as base",
       {{"a/Oops.as", "package a\n{\n\tpublic class Oops extends Error\n\t{\n\t}\n}\n"}},
       "a.Oops",
       "\n//class a.Oops extends Error\nvar Oops=(function(_super){\nfunction Oops(){\n}\n"
       "__class(Oops,'a.Oops',true,Error);\n\nreturn Oops;\n})(Error)\n"},
      {"Object as base is no base",
       {{"a/Plain.as", "package a\n{\n\tpublic class Plain extends Object\n\t{\n\t}\n}\n"}},
       "a.Plain",
       "\n//class a.Plain\nvar Plain=(function(){\nfunction Plain(){\n}\n__class(Plain,'a.Plain',true);\n\n"
       "return Plain;\n})()\n"},
      {"the runtime core class",
       {{"Ruvo.as", "package\n{\n\tpublic class Ruvo\n\t{\n\t}\n}\n"}},
       "Ruvo",
       "\n//class Ruvo\nvar ___Ruvo=(function(){\n//function Ruvo(){\n}\nreturn Ruvo;\n})()\n"},
      {"private class declared on top, defined in __init$",
       {{"a/Main.as", "package a\n{\n\tpublic class Main\n\t{\n\t}\n}\nclass Extra\n{\n}\n"}},
       "a.Main",
       "\n//class a.Main\nvar Main=(function(){\nvar Extra;\nfunction Main(){\n}\n__class(Main,'a.Main',true);\n\n"
       "Main.__init$=function(){\n\n//class Extra\nExtra=(function(){\nfunction Extra(){\n}\n"
       "__class(Extra,'',true);\n\nreturn Extra;\n})()\n\n}\nreturn Main;\n})()\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.title);
    MiniProject project;
    for (auto& [path, text] : row.files) project.add(path, text);
    COMPILE_OR_SKIP(project);
    EXPECT_EQ(project.classJs(row.cls), row.expected);
  }
}

TEST(ClassOutput, PrivateClassMarksTheInitialiser) {
  MiniProject project;
  project.add("a/Main.as", "package a\n{\n\tpublic class Main\n\t{\n\t}\n}\nclass Extra\n{\n}\n");
  COMPILE_OR_SKIP(project);
  TokenClass* main = TokenClass::GetTokenClass("a.Main");
  ASSERT_NE(main, nullptr);
  std::string unused = project.classJs("a.Main");
  EXPECT_TRUE(main->systemUseStatic);
  // The private class prints nothing on its own.
  TokenClass* extra = main->file->package->privateClassList.at(0);
  std::string alone;
  extra->toJsScript(alone, main->file, 0, 0);
  EXPECT_EQ(alone, "");
}

TEST(ClassOutput, TwoPublicClassesInOneFileAreAnError) {
  MiniProject project;
  project.add("a/Main.as", "package a\n{\n\tpublic class Main\n\t{\n\t}\n}\npublic class Extra\n{\n}\n");
  COMPILE_OR_SKIP(project);
  TokenClass* main = TokenClass::GetTokenClass("a.Main");
  ASSERT_NE(main, nullptr);
  std::string js = project.classJs("a.Main");
  EXPECT_EQ(count(js, "//class Extra"), 0u) << js;
  EXPECT_NE(queuedErrors().find("This Class[Extra] file err:" + project.path("a/Main.as")), std::string::npos)
      << queuedErrors();
}

TEST(ClassOutput, ClassNamedLikeAPackageIsWrittenAndReported) {
  MiniProject project;
  project.add("game/Main.as", "package game\n{\n\tpublic class Main\n\t{\n\t}\n}\n")
      .add("game.as", "package\n{\n\tpublic class game\n\t{\n\t}\n}\n");
  COMPILE_OR_SKIP(project);
  std::string js = project.classJs("game");
  EXPECT_EQ(js.rfind("\n//class game\nvar game=(function(){\n", 0), 0u) << js;
  EXPECT_NE(queuedErrors().find("The name of the class[game] and package name conflicts"), std::string::npos)
      << queuedErrors();
}

TEST(ClassOutput, MainClassSetsTheStartCode) {
  MiniProject project;
  project.add("a/Game.as", "package a\n{\n\tpublic class Game\n\t{\n\t}\n}\n");
  _ompilerOptions_.mainFile = project.path("a/Game.as");
  COMPILE_OR_SKIP(project);
  struct Row {
    bool zafritLib;
    const char* wxApp;
    const char* expected;
  } rows[] = {
      {true, "", "Zafrit.Start();Zafrit.Run(new a.Game(),-1,-1)"},
      {false, "", "\r\n\tnew a.Game();\r\n"},
      {false, "wx", "unchanged"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.expected);
    _ompilerOptions_.zafritLib = row.zafritLib;
    _ompilerOptions_.WXApp = row.wxApp;
    _ompilerOptions_.mainStartCode = "unchanged";
    TokenClass* game = TokenClass::GetTokenClass("a.Game");
    ASSERT_NE(game, nullptr);
    std::string out;
    game->toJsScript(out, game->file, 0, 0);
    EXPECT_EQ(_ompilerOptions_.mainStartCode, row.expected);
    EXPECT_EQ(TokenClass::__pMainClass__, game);
  }
  EXPECT_TRUE(ScriptFile::firstFiles.has(TokenClass::GetTokenClass("a.Game")->file->scriptFile->path));
  resetCompilerState();
}

// A class with a base, an instance variable, a method and a lazy static:
// the parts come in the fixed order.
TEST(ClassOutput, PartsOfAFullClassInOrder) {
  MiniProject project;
  project.add("a/b/Base.as", "package a.b\n{\n\tpublic class Base\n\t{\n\t}\n}\n")
      .add("a/b/Item.as",
           "package a.b\n{\n\tpublic class Item extends Base\n\t{\n"
           "\t\tpublic static var cache:Object = new Object();\n"
           "\t\tpublic var count:int;\n"
           "\t\tpublic function Item()\n\t\t{\n\t\t\tsuper();\n\t\t}\n"
           "\t\tpublic function draw():void\n\t\t{\n\t\t}\n"
           "\t}\n}\n");
  COMPILE_OR_SKIP(project);
  std::string js = project.classJs("a.b.Item");
  expectInOrder(
      js, {"\n//class a.b.Item extends a.b.Base\n", "var Item=(function(_super){\n", "function Item(", "this.count=0;",
           "__class(Item,'a.b.Item',false,_super);\n\n", "var __proto=Item.prototype;\n", "\n__proto.draw=function",
           "__static(Item,\n['cache',function(){return this.cache", "return Item;\n})(Base)\n"});
  // The explicit super() call is the constructor's own; no implicit one is added.
  EXPECT_EQ(count(js, "__super.call(this"), 1u) << js;
}

TEST(ClassOutput, ImplicitBaseCallFollowsTheFirstInitialiserPass) {
  MiniProject project;
  project.add("a/Base.as", "package a\n{\n\tpublic class Base\n\t{\n\t}\n}\n")
      .add("a/Item.as",
           "package a\n{\n\tpublic class Item extends Base\n\t{\n\t\tpublic var n:int = 5;\n"
           "\t\tpublic var list:Array = new Array();\n\t\tpublic function Item(x:int)\n\t\t{\n\t\t\ttrace(x);\n"
           "\t\t}\n\t}\n}\n");
  COMPILE_OR_SKIP(project);
  std::string js = project.classJs("a.Item");
  expectInOrder(js, {"function Item(x)\n{\n", "this.n", "5", "Item.__super.call(this);\n", "this.list",
                     "console.log(x);", "__class("});
}

TEST(ClassOutput, StaticsDirectOrLazy) {
  MiniProject project;
  project.add("a/S.as",
              "package a\n{\n\tpublic class S\n\t{\n"
              "\t\tpublic static var nothing:Object = undefine;\n"
              "\t\tpublic static var missing:Object = undefined;\n"
              "\t\tpublic static var count:int = 3;\n"
              "\t\tpublic static var name:String = \"x\";\n"
              "\t\tpublic static var list:Array = [];\n"
              "\t\tpublic static var made:Object = new Object();\n"
              "\t\tpublic static var mask:uint = 0xFF, sum:int = 0x10 + 1;\n"
              "\t\tpublic static var bits:uint = 0x0F | count;\n"
              "\t}\n}\n");
  COMPILE_OR_SKIP(project);
  std::string js = project.classJs("a.S");
  for (const char* direct : {"S.nothing", "S.count", "S.name", "S.list", "S.mask", "S.sum"}) {
    SCOPED_TRACE(direct);
    EXPECT_NE(js.find(std::string("\n") + direct), std::string::npos) << js;
  }
  EXPECT_NE(js.find("__static(S,\n['missing',function(){return this.missing"), std::string::npos) << js;
  EXPECT_NE(js.find(",'made',function(){return this.made"), std::string::npos) << js;
  EXPECT_NE(js.find(",'bits',function(){return this.bits=0x0F"), std::string::npos) << js;
  EXPECT_EQ(count(js, "S.missing"), 0u);
  EXPECT_EQ(count(js, "\x03"), 0u);
}

TEST(ClassOutput, KeyFlagFalseForClassesWithToString) {
  MiniProject project;
  project.add("a/T.as",
              "package a\n{\n\tpublic class T\n\t{\n\t\tpublic function toString():String\n\t\t{\n"
              "\t\t\treturn \"t\";\n\t\t}\n\t}\n}\n");
  COMPILE_OR_SKIP(project);
  std::string js = project.classJs("a.T");
  EXPECT_NE(js.find("__class(T,'a.T',false);"), std::string::npos) << js;
}

TEST(ClassOutput, BindableVariablesAndInterfacesWithoutMethods) {
  MiniProject project;
  project.add("a/IShape.as", "package a\n{\n\tpublic interface IShape\n\t{\n\t}\n}\n")
      .add("a/Box.as",
           "package a\n{\n\tpublic class Box implements IShape\n\t{\n\t\t[Bindable]\n\t\tpublic var w:int;\n"
           "\t}\n}\n");
  COMPILE_OR_SKIP(project);
  std::string js = project.classJs("a.Box");
  EXPECT_EQ(count(js, "var __proto=Box.prototype;\n"), 2u) << js;
  expectInOrder(js, {"__getset(0,__proto,'w',function(){return this._bind$_w;},function(value){var pre=this._bind$_w;"
                     "if(pre===value) return;this._bind$_w=value;mx.events.PropertyChangeEvent.event(this,'w',pre,"
                     "value);});\n",
                     "var __proto=Box.prototype;\nRuvo.imps(__proto,{\"a.IShape\":true})\n"});
}

TEST(ClassOutput, AccessorsFallBackToTheBase) {
  MiniProject project;
  project
      .add("a/Base.as",
           "package a\n{\n\tpublic class Base\n\t{\n"
           "\t\tpublic function set x(v:int):void\n\t\t{\n\t\t}\n"
           "\t\tpublic static function get total():int\n\t\t{\n\t\t\treturn 1;\n\t\t}\n"
           "\t}\n}\n")
      .add("a/Sub.as",
           "package a\n{\n\tpublic class Sub extends Base\n\t{\n"
           "\t\tpublic function get x():int\n\t\t{\n\t\t\treturn 2;\n\t\t}\n"
           "\t\tpublic function get y():int\n\t\t{\n\t\t\treturn 3;\n\t\t}\n"
           "\t\tpublic static function set total(v:int):void\n\t\t{\n\t\t}\n"
           "\t}\n}\n");
  COMPILE_OR_SKIP(project);
  std::string js = project.classJs("a.Sub");
  expectInOrder(js, {"var __proto=Sub.prototype;\n", "__getset(0,__proto,'x',function",
                     ",_super.prototype._$set_x);\n\n", "__getset(0,__proto,'y',function", ");\n\n",
                     "__getset(1,Sub,'total',a.Base._$GET_total,function", ");\n\n"});
  EXPECT_EQ(count(js, "_$set_y"), 0u) << js;
}

}  // namespace

namespace {

// A method that prints nothing (the async helpers named RuvoAsyn_...) must
// not leave a dangling "__proto." that would swallow the next method.
TEST(ClassOutput, MethodThatPrintsNothingLeavesNoTrace) {
  MiniProject project;
  project.add("a/M.as",
              "package a\n{\n\tpublic class M\n\t{\n"
              "\t\tpublic function RuvoAsyn_step():void\n\t\t{\n\t\t}\n"
              "\t\tpublic function after():void\n\t\t{\n\t\t}\n"
              "\t}\n}\n");
  COMPILE_OR_SKIP(project);
  std::string js = project.classJs("a.M");
  EXPECT_EQ(count(js, "__proto.\n"), 0u) << js;
  EXPECT_EQ(count(js, "RuvoAsyn_step"), 0u) << js;
  EXPECT_NE(js.find("var __proto=M.prototype;\n\n__proto.after=function"), std::string::npos) << js;
}

}  // namespace
