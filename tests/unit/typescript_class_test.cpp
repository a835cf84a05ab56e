// The TypeScript text of whole classes: the module around a class of a
// package, the class head, fields, constructor, methods, accessors and
// statics in their fixed order, the private classes of a file and the
// Ts._class registration.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "CompilerOptions.h"
#include "TokenClass.h"
#include "TokenPackage.h"
#include "TsOutput.h"
#include "class_project.h"
#include "message.h"
#include "parse.h"
#include "scriptfile.h"

using classtest::MiniProject;

namespace {

// A project compiled with TypeScript output on (the switch is reset by the
// project's own state reset, so it is set after that).
class TsProject : public MiniProject {
 public:
  TsProject() { __ISTOTS = true; }
  ~TsProject() { __ISTOTS = false; }

  std::string classTs(const std::string& fullName, int mode = 0) {
    TokenClass* cls = TokenClass::GetTokenClass(fullName);
    if (!cls) return "<no class " + fullName + ">";
    std::string out;
    cls->toTsScript(out, cls->file, mode, 0);
    return out;
  }
};

std::string classFile(const std::string& package, const std::string& head, const std::string& body) {
  return "package " + package + "\n{\n\tpublic class " + head + "\n\t{\n" + body + "\t}\n}\n";
}

// The text between the "Ts." of the registration and the closing "\n}\n".
std::string registration(const std::string& text) {
  const size_t at = text.find("\nTs._class(");
  if (at == std::string::npos) return "<none>";
  const size_t end = text.find(");", at);
  return end == std::string::npos ? "<open>" : text.substr(at + 4, end + 2 - at - 4);
}

std::string queuedErrors() {
  std::string all;
  for (ScriptErr* err : ScriptErr::__ERRS) all += err->message + "\n";
  return all;
}

// A public class of a package: reference lines, the module, the head, the
// statics, the fields, the constructor with the implicit super() call, the
// method, the close of the class, the registration, the lazy static and the
// close of the module, exactly.
TEST(TypeScriptClass, PublicClassOfAPackageExactly) {
  TsProject project;
  project
      .add("a/b/Item.as",
           "package a.b\n{\n\timport c.D;\n\tpublic class Item extends D\n\t{\n"
           "\t\tpublic static var made:Object = new Object();\n"
           "\t\tpublic var s:String = \"x\";\n"
           "\t\tpublic var t:Object = new Date();\n"
           "\t\tpublic function Item(a:int)\n\t\t{\n\t\t\ts = \"y\";\n\t\t}\n"
           "\t\tpublic function run(x:Number):void\n\t\t{\n\t\t\ttrace(x);\n\t\t}\n"
           "\t}\n}\n")
      .add("c/D.as", classFile("c", "D", ""));
  COMPILE_OR_SKIP(project);
  EXPECT_EQ(project.classTs("a.b.Item"),
            "///<reference path='../../c/D.ts' />\n"
            "//reference err:Ts\n"
            "module ruvo{\n"
            "//Ruvo no need import.\n"
            "\nexport class Item extends D\n{\n"
            "\n\t\t  \n static made:any;\n"  // statics
            "\n s:string=\"x\";\n"           // fields without constructor work
            "\n t:any=new  Date();\n"        // fields initialised in the constructor
            "constructor (a:number)\n{\n\nsuper();\n\n\t\t\tthis.s = \"y\";\n\t\t}\n\n"
            "\nrun(x:number):void{\n\t\t\tconsole.log(x);\n\t\t}\n"
            "\n}"
            "\nTs._class(Item,'a.b.Item',false,D);\n\n\n"
            "Ts._static(Item,'made',function(){return new  Object()});\n"
            "\n}\n");
  // The package now knows the class Ts it refers to.
  EXPECT_EQ(TokenClass::GetTokenClass("a.b.Item")->file->package->importMap.get("Ts"), "Ts");
}

// Outside a package the class is neither exported nor in the module and is
// not registered; the class Ruvo comments out the rest of its first line.
TEST(TypeScriptClass, ClassesOfTheUnnamedPackage) {
  TsProject project;
  project.add("Main.as", "package\n{\n\tpublic class Main\n\t{\n\t}\n}\n")
      .add("Ruvo.as", "package\n{\n\tpublic class Ruvo\n\t{\n\t}\n}\n");
  COMPILE_OR_SKIP(project);
  EXPECT_EQ(project.classTs("Main"),
            "//reference err:Ts\n//Ruvo no need import.\n\nclass Main\n{\nconstructor (){\n}\n\n}");
  EXPECT_EQ(project.classTs("Ruvo"),
            "//reference err:Ts\n//Ruvo no need import.\n\nclass Ruvo\n{\n//constructor (){\n}\n\n}");
}

// The head: a base that is an interface is no base, Object is none, an
// unknown base is still extended, interfaces are listed by their TS names.
TEST(TypeScriptClass, HeadsAndBases) {
  TsProject project;
  project.add("x/IM.as", "package x\n{\n\tpublic interface IM\n\t{\n\t}\n}\n")
      .add("x/IN.as", "package x\n{\n\tpublic interface IN\n\t{\n\t}\n}\n")
      .add("x/Odd.as", classFile("x", "Odd extends IM", ""))
      .add("x/Obj.as", classFile("x", "Obj extends Object", ""))
      .add("x/Lost.as", classFile("x", "Lost extends y.Nowhere", ""))
      .add("x/Two.as", classFile("x", "Two implements IM, IN", ""));
  COMPILE_OR_SKIP(project);
  struct Row {
    const char* cls;
    const char* head;
    const char* call;
  } rows[] = {
      {"x.Odd", "\nexport class Odd\n{\nconstructor (){\n}\n", "_class(Odd,'x.Odd',true);"},
      {"x.Obj", "\nexport class Obj\n{\nconstructor (){\n}\n", "_class(Obj,'x.Obj',true);"},
      {"x.Lost", "\nexport class Lost extends y.Nowhere\n{\nconstructor (){\n}\n", "_class(Lost,'x.Lost',true);"},
      {"x.Two", "\nexport class Two implements IM,IN\n{\n", "_class(Two,'x.Two',true);"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.cls);
    const std::string text = project.classTs(row.cls);
    EXPECT_NE(text.find(row.head), std::string::npos) << text;
    EXPECT_EQ(registration(text), row.call);
  }
  EXPECT_EQ(TokenClass::GetTokenClass("x.Odd")->superName, "");
}

// The registration call by base class and key option. The first argument
// is the name the class is declared under, its mini name: a second class
// named Item is Item$1 beside a.Item.
TEST(TypeScriptClass, RegistrationCalls) {
  struct Row {
    const char* title;
    const char* package;
    const char* head;  // the class's name first
    const char* body;
    bool dic;
    const char* call;
  } rows[] = {
      {"plain, keys on", "a", "P", "", true, "_class(P,'a.P',true);"},
      {"plain, keys off", "a", "P", "", false, "_class(P,'a.P');"},
      {"toString method", "a", "P", "\t\tpublic function toString():String { return \"p\"; }\n", true,
       "_class(P,'a.P',false);"},
      {"Array, keys on", "a", "L extends Array", "", true, "_class(L,'a.L',true,Array);"},
      {"Array, keys off", "a", "L extends Array", "", false, "_class(L,'a.L',Array);"},
      {"Dictionary, keys on", "a", "M extends zafrit.utils.Dictionary", "", true, "_class(M,'a.M',true,Array);"},
      {"Dictionary, keys off", "a", "M extends zafrit.utils.Dictionary", "", false, "_class(M,'a.M',Map);"},
      {"Error, keys on", "a", "E extends Error", "", true, "_class(E,'a.E',true,Error);"},
      {"Error, keys off", "a", "E extends Error", "", false, "_class(E,'a.E',Error);"},
      {"base, keys on", "a", "C extends Base", "", true, "_class(C,'a.C',false,Base);"},
      {"base, keys off", "a", "C extends Base", "", false, "_class(C,'a.C',Base);"},
      {"numbered mini name, keys off", "b", "Item", "", false, "_class(Item$1,'b.Item',null,'Item$1');"},
      {"numbered mini name, keys on", "b", "Item", "", true, "_class(Item$1,'b.Item',true,null,'Item$1');"},
      {"numbered mini name with a base", "b", "Item extends a.Base", "", true,
       "_class(Item$1,'b.Item',false,Base,'Item$1');"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.title);
    const std::string head = row.head;
    const std::string name = head.substr(0, head.find(' '));
    TsProject project;
    project.add("a/Base.as", classFile("a", "Base", ""))
        .add("a/Item.as", classFile("a", "Item", ""))
        .add(std::string(row.package) + "/" + name + ".as", classFile(row.package, head, row.body));
    COMPILE_OR_SKIP(project);
    _ompilerOptions_.enableDic = row.dic;
    const std::string text = project.classTs(std::string(row.package) + "." + name);
    EXPECT_EQ(registration(text), row.call) << text;
    EXPECT_EQ(text.compare(text.size() - 3, 3, "\n}\n"), 0) << text;
  }
}

// The constructor: split around an implicit super() call, whole with an
// explicit one, made up when the class declares none, and left to the
// fields when there are fields but no constructor.
TEST(TypeScriptClass, ConstructorForms) {
  const std::string base = classFile("a", "Base", "\t\tpublic function Base(n:int = 0) {}\n");
  struct Row {
    const char* title;
    std::string source;
    const char* expected;  // the text from the end of the head to the close of the class
  } rows[] = {
      {"implicit super call", classFile("a", "C extends Base", "\t\tpublic function C(a:int) { a++; }\n"),
       "{\nconstructor (a:number)\n{\n\nsuper();\n a++; }\n\n\n}"},
      {"explicit super call", classFile("a", "C extends Base", "\t\tpublic function C(a:int) { super(a); }\n"),
       "{\nconstructor (a:number){ super(a); }\n\n}"},
      {"no constructor, a base", classFile("a", "C extends Base", ""), "{\nconstructor (){\nsuper();\n}\n\n}"},
      {"no constructor, no base", classFile("a", "C", ""), "{\nconstructor (){\n}\n\n}"},
      {"fields only", classFile("a", "C extends Base", "\t\tpublic var n:int;\n"), "{\n\n n:number=0;\n\n\n}"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.title);
    TsProject project;
    project.add("a/Base.as", base).add("a/C.as", row.source);
    COMPILE_OR_SKIP(project);
    const std::string text = project.classTs("a.C");
    const size_t from = text.find("\n{\n");
    const size_t to = text.find("\n}\nTs.");
    ASSERT_NE(from, std::string::npos) << text;
    ASSERT_NE(to, std::string::npos) << text;
    EXPECT_EQ(text.substr(from + 1, to + 2 - from - 1), row.expected);
  }
}

// Methods lose "=function" and take their access word; accessors become
// get/set members, static ones with "static"; static functions follow.
// Trivial bodies that the emulation library would share as stubs stay
// ordinary members, and an async method keeps "async" in front of its name.
TEST(TypeScriptClass, MethodsAccessorsAndStaticFunctions) {
  for (bool library : {false, true}) {
    SCOPED_TRACE(library ? "library on" : "library off");
    TsProject project;
    project.add("a/C.as", classFile("a", "C",
                                    "\t\tprivate function hide(x:int):void { x++; }\n"
                                    "\t\tprotected function guard() { }\n"
                                    "\t\tpublic function open() { return true; }\n"
                                    "\t\tpublic async function load():void { }\n"
                                    "\t\tpublic function get size():int { return 1; }\n"
                                    "\t\tpublic function set size(v:int):void { }\n"
                                    "\t\tprivate function set hidden(v:int):void { v++; }\n"
                                    "\t\tpublic static function get count():int { return 2; }\n"
                                    "\t\tpublic static function make():C { return null; }\n"));
    COMPILE_OR_SKIP(project);
    _ompilerOptions_.zafritLib = library;
    const std::string text = project.classTs("a.C");
    const size_t from = text.find("constructor (){\n}\n");
    const size_t to = text.find("\n}\nTs.");
    ASSERT_NE(from, std::string::npos) << text;
    ASSERT_NE(to, std::string::npos) << text;
    EXPECT_EQ(text.substr(from, to - from),
              "constructor (){\n}\n"
              "\nprivate hide(x:number):void{ x++; }"
              "\nprotected guard(){ }"
              "\nopen(){ return true; }"
              "\nasync load():void{ }\n"
              "\nget size ():number{ return 1; }"
              "\nset size (v:number){ }"
              "\nprivate set hidden (v:number){ v++; }"
              "\nstatic get count ():number{ return 2; }"
              // each static function after its own layout, the static getter printing nothing
              "\n\t\t  \n\n\t\t  static make ():C{ return null; }\n");
  }
}

// The other classes of a file follow the public class inside the module,
// without a module, export or registration of their own (one extending
// another calls its constructor); a second class
// that says it is public is an error of the file and prints nothing.
TEST(TypeScriptClass, PrivateClassesOfAFile) {
  TsProject project;
  static std::string boxed;
  MsgBox = [](const char* text, const char* caption) {
    boxed = std::string(caption) + ": " + text;
    return 0;
  };
  project
      .add("a/Main.as", classFile("a", "Main", "\t\tpublic var n:int;\n") +
                            "class Extra\n{\n\tpublic var q:int;\n}\nclass More extends Extra\n{\n}\n")
      .add("a/Bad.as", classFile("a", "Bad", "") + "public class Loud\n{\n}\n");
  COMPILE_OR_SKIP(project);
  TokenClass* main = TokenClass::GetTokenClass("a.Main");
  ASSERT_NE(main, nullptr);
  std::string text = project.classTs("a.Main");
  EXPECT_NE(text.find("\n}\nclass Extra\n{\n\n q:number=0;\n\n\n}\nclass More extends Extra\n{\n"
                      "constructor (){\nsuper();\n}\n\n}\nTs._class(Main,'a.Main',true);"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("Ts._class(Extra"), std::string::npos);
  // Printing the private classes hands the file back to its public class.
  EXPECT_EQ(main->file->package->workingClass, main);

  boxed.clear();
  text = project.classTs("a.Bad");
  EXPECT_EQ(text.find("Loud"), std::string::npos) << text;
  EXPECT_EQ(registration(text), "_class(Bad,'a.Bad',true);");
  const std::string error = "This Class[Loud] file err:" + project.path("a/Bad.as");
  EXPECT_EQ(boxed, "compile err: " + error);
  EXPECT_NE(queuedErrors().find(error + "\n"), std::string::npos) << queuedErrors();

  // Loud's own call prints nothing and leaves the file to Bad.
  boxed.clear();
  TokenClass* loud = project.parses.back()->package->privateClassList.at(0);
  std::string out;
  loud->toTsScript(out, loud->file, 0, 0);
  EXPECT_EQ(out, "");
  EXPECT_EQ(boxed, "compile err: " + error);
  EXPECT_EQ(loud->file->package->workingClass, TokenClass::GetTokenClass("a.Bad"));
  MsgBox = nullptr;
}

// Statements of a class body (a call, a block) cannot stand in a class
// declaration: they follow it, after the registration, in source order with
// the lazy statics. A private class's statements follow its own declaration.
TEST(TypeScriptClass, BodyStatementsFollowTheDeclaration) {
  TsProject project;
  project.add("a/Rules.as", classFile("a", "Rules",
                                      "\t\tpublic static var names:Array = make();\n"
                                      "\t\tinit();;\n"
                                      "\t\tpublic static var count:int = 0;\n"
                                      "\t\t{ count = names.length; }\n"
                                      "\t\tprivate static function init():void { }\n"
                                      "\t\tprivate static function make():Array { return []; }\n") +
                                "class Extra\n{\n\tpublic static var n:int = 1;\n\ttrace(n);\n}\n");
  COMPILE_OR_SKIP(project);
  const std::string text = project.classTs("a.Rules");
  const size_t from = text.find("\nexport class Rules");
  ASSERT_NE(from, std::string::npos) << text;
  EXPECT_EQ(text.substr(from, text.find("constructor") - from),
            "\nexport class Rules\n{\n\n\t\t  \n static names:Array<any>;\n\t\t  \n static count:number=0;\n");
  const size_t end = text.find("\n}\nclass Extra");
  ASSERT_NE(end, std::string::npos) << text;
  EXPECT_EQ(text.substr(end),
            "\n}\nclass Extra\n{\n\n\t  \n static n:number=1;\nconstructor (){\n}\n\n}"
            "\n\tconsole.log(Extra.n);\n"
            "\nTs._class(Rules,'a.Rules',true);\n\n\n"
            "Ts._static(Rules,'names',function(){return Rules.make()});\n"
            "\n\t\tRules.init();;\n"
            "\n\t\t{ Rules.count = Rules.names.length; }\n"
            "\n}\n");
}

// A cast to a class that no registry knows keeps the name as written; its
// expression ("/*no*/this.Lost") is no TypeScript type.
TEST(TypeScriptClass, CastToAnUnknownClass) {
  TsProject project;
  project.add("a/C.as", classFile("a", "C",
                                  "\t\tpublic function f(o:Object):void { var l:Lost = o as Lost; "
                                  "var m:C = o as C; var d = (o) as b.Gone; }\n"));
  COMPILE_OR_SKIP(project);
  __ISRELEASE__ = true;
  const std::string text = project.classTs("a.C");
  EXPECT_NE(text.find("{ let  l:Lost =  o as Lost ; let  m:C =  o as C ; let  d = (o)  as b.Gone ; }"),
            std::string::npos)
      << text;
}

// Functions after the package block of a class file stand in the class's
// file, after the class and inside its module, as local functions.
TEST(TypeScriptClass, FunctionsAfterThePackageBlock) {
  TsProject project;
  project.add("a/Main.as", classFile("a", "Main", "\t\tpublic function f():int { return triple(2); }\n") +
                               "function triple(x:Number):Number { return x * 3; }\n");
  COMPILE_OR_SKIP(project);
  std::string text = project.classTs("a.Main");
  EXPECT_NE(text.find("return triple(2);"), std::string::npos) << text;
  EXPECT_NE(text.find("\n}\nvar triple=function(x:number){ return x * 3; };\nTs._class(Main,'a.Main',true);"),
            std::string::npos)
      << text;
}

// The main class: recorded for the run; starts the game when the library
// is off and the program is no mini-game.
TEST(TypeScriptClass, MainClass) {
  struct Row {
    bool library;
    const char* wxApp;
    const char* start;
  } rows[] = {
      {false, "", "\r\n\tnew a.Game();\r\n"},
      {true, "", "unchanged"},
      {false, "wx", "unchanged"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.start);
    TsProject project;
    project.add("a/Game.as", classFile("a", "Game", ""));
    COMPILE_OR_SKIP(project);
    TokenClass* game = TokenClass::GetTokenClass("a.Game");
    ASSERT_NE(game, nullptr);
    _ompilerOptions_.mainFile = game->file->path;
    _ompilerOptions_.zafritLib = row.library;
    _ompilerOptions_.WXApp = row.wxApp;
    _ompilerOptions_.mainStartCode = "unchanged";
    project.classTs("a.Game");
    EXPECT_EQ(_ompilerOptions_.mainStartCode, row.start);
    EXPECT_EQ(TokenClass::__pMainClass__, game);
    EXPECT_EQ(ScriptFile::firstFiles.get(game->file->scriptFile->path, nullptr), game->file->scriptFile);
  }
}

// Kept comments: the class's in front of the module, each member's in
// front of its member, the constructor's in front of the constructor part.
TEST(TypeScriptClass, KeptComments) {
  TsProject project;
  project.add("a/C.as",
              "package a\n{\n\t/** the class */\n\tpublic class C\n\t{\n"
              "\t\t/** a field */\n\t\tpublic var f:Object = new Date();\n"
              "\t\t/** the constructor */\n\t\tpublic function C() { }\n"
              "\t\t/** a method */\n\t\tpublic function m():void { }\n"
              "\t\t/** a getter */\n\t\tpublic function get v():int { return 1; }\n"
              "\t}\n}\n");
  COMPILE_OR_SKIP(project);
  CompilerOptions::ReservedComment = true;
  const std::string text = project.classTs("a.C");
  CompilerOptions::ReservedComment = false;
  const char* pieces[] = {"/** the class */",   "module ruvo{",     "/** the constructor */", "/** a field */",
                          "f:any=new  Date();", "constructor ()",   "/** a method */",        "\nm():void",
                          "/** a getter */",    "\nget v ():number"};
  size_t at = 0;
  for (const char* piece : pieces) {
    SCOPED_TRACE(piece);
    const size_t found = text.find(piece, at);
    ASSERT_NE(found, std::string::npos) << text;
    at = found;
  }
}

// Class names as the TypeScript classes spell them: the mini names.
TEST(TypeScriptClass, ClassNameLists) {
  TsProject project;
  project.add("a/Item.as", classFile("a", "Item", "")).add("b/Item.as", classFile("b", "Item", ""));
  COMPILE_OR_SKIP(project);
  EXPECT_EQ(toTsClassNameS("a.Item,b.Item"), "Item,Item$1");
  EXPECT_EQ(toTsClassNameS("b.Item"), "Item$1");
  EXPECT_EQ(toTsClassNameS("a.Item,,c.Gone"), "Item,c.Gone");
  EXPECT_EQ(toTsClassNameS("c.Gone"), "c.Gone");
}

}  // namespace
