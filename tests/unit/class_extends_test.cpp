// extends and implements clauses, and interfaces.
#include <gtest/gtest.h>

#include <string>

#include "CompilerOptions.h"
#include "TokenClass.h"
#include "TokenInterface.h"
#include "class_project.h"
#include "globals.h"
#include "message.h"
#include "parse.h"
#include "scriptfile.h"

using classtest::MiniProject;

namespace {

std::string warningsOf(Parse* file) {
  std::string all;
  if (file && file->scriptFile)
    for (const std::string& w : file->scriptFile->warnings) all += w + "\n";
  return all;
}

TEST(ClassExtends, BaseNameResolution) {
  struct Row {
    const char* title;
    const char* head;       // what follows "public class Item "
    const char* superName;  // expected
    bool resolved;          // superClass set
    bool warned;            // "This class  is not defined" warning
  } rows[] = {
      {"Object", "extends Object", "Object", false, false},
      {"Error", "extends Error", "Error", false, false},
      {"Array", "extends Array", "Array", false, false},
      {"a built-in error class", "extends TypeError", "TypeError", false, false},
      {"another built-in error class", "extends RangeError", "RangeError", false, false},
      {"Dictionary is no base", "extends Dictionary", "", false, false},
      {"Number is no base", "extends Number", "", false, false},
      {"same package", "extends Base", "a.Base", true, false},
      {"through an import", "extends Other", "b.Other", true, false},
      {"flash names the emulation library", "extends flash.display.Thing", "zafrit.display.Thing", false, true},
      {"unknown name stays as written", "extends Nowhere", "Nowhere", false, true},
      {"clause followed by the body", "extends", "", false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.title);
    MiniProject project;
    project.add("a/Base.as", "package a\n{\n\tpublic class Base\n\t{\n\t}\n}\n")
        .add("b/Other.as", "package b\n{\n\tpublic class Other\n\t{\n\t}\n}\n")
        .add("a/Item.as",
             std::string("package a\n{\n\timport b.Other;\n\tpublic class Item ") + row.head + "\n\t{\n\t}\n}\n");
    COMPILE_OR_SKIP(project);
    TokenClass* cls = TokenClass::GetTokenClass("a.Item");
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(cls->superName, row.superName);
    EXPECT_EQ(cls->superClass != nullptr, row.resolved);
    EXPECT_EQ(cls->level, row.resolved ? 1 : 0);
    std::string warnings = warningsOf(cls->file);
    EXPECT_EQ(warnings.find("This class  is not defined;") != std::string::npos, row.warned) << warnings;
    if (row.warned) {
      EXPECT_NE(warnings.find(std::string("a.Item extends ") + row.superName), std::string::npos);
    }
  }
}

// A class after the package block that names a base the file does not
// declare: the JavaScript class output warns when it writes the class, the
// TypeScript output writes it without a word.
TEST(ClassExtends, UnknownBaseOfAPrivateClassWarnsInJavaScriptOnly) {
  struct TypeScriptSwitch {
    explicit TypeScriptSwitch(bool on) { __ISTOTS = on; }
    ~TypeScriptSwitch() { __ISTOTS = false; }
  };
  for (bool typeScript : {false, true}) {
    SCOPED_TRACE(typeScript ? "TypeScript" : "JavaScript");
    MiniProject project;
    TypeScriptSwitch output(typeScript);
    project.add("a/Main.as", "package a\n{\n\tpublic class Main\n\t{\n\t}\n}\nclass Helper extends Missing\n{\n}\n");
    COMPILE_OR_SKIP(project);
    TokenClass* main = TokenClass::GetTokenClass("a.Main");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(warningsOf(main->file), "");
    const std::string text = project.classJs("a.Main");
    EXPECT_NE(text.find(typeScript ? "class Helper extends Missing\n{\n" : "Helper=(function(_super){"),
              std::string::npos)
        << text;
    EXPECT_EQ(warningsOf(main->file).find("Helper extends Missing,This class  is not defined;") != std::string::npos,
              !typeScript)
        << warningsOf(main->file);
  }
}

TEST(ClassExtends, ImplementedInterfacesByFullName) {
  MiniProject project;
  project.add("a/IOne.as", "package a\n{\n\tpublic interface IOne\n\t{\n\t}\n}\n")
      .add("b/ITwo.as", "package b\n{\n\tpublic interface ITwo\n\t{\n\t}\n}\n")
      .add("a/Item.as",
           "package a\n{\n\timport b.ITwo;\n\timport flash.events.IEventDispatcher;\n"
           "\tpublic class Item implements IOne, ITwo, IEventDispatcher, INowhere\n\t{\n\t}\n}\n");
  COMPILE_OR_SKIP(project);
  TokenClass* cls = TokenClass::GetTokenClass("a.Item");
  ASSERT_NE(cls, nullptr);
  std::vector<std::string> keys;
  for (auto& [key, value] : cls->implementsMap) {
    keys.push_back(key);
    EXPECT_EQ(key, value);
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"a.IOne", "b.ITwo", "zafrit.events.IEventDispatcher", "a.INowhere"}));
  EXPECT_EQ(cls->toFullImplements(),
            "\"a.IOne\":true,\"b.ITwo\":true,\"zafrit.events.IEventDispatcher\":true,\"a.INowhere\":true");
}

// `class A extends A` and two classes extending each other: one source error
// each, and the classes are still emitted (without a base).
TEST(ClassExtends, InheritanceLoopsAreOneErrorAndTheRunGoesOn) {
  struct Row {
    const char* title;
    std::vector<std::pair<const char*, const char*>> files;
  } rows[] = {
      {"self", {{"a/A.as", "package a\n{\n\tpublic class A extends A\n\t{\n\t}\n}\n"}}},
      {"mutual",
       {{"a/A.as", "package a\n{\n\tpublic class A extends B\n\t{\n\t}\n}\n"},
        {"a/B.as",
         "package a\n{\n\tpublic class B extends A\n\t{\n\t\tpublic function get v():int{return 1;}\n"
         "\t}\n}\n"}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.title);
    MiniProject project;
    for (auto& [path, text] : row.files) project.add(path, text);
    COMPILE_OR_SKIP(project);
    size_t loops = 0;
    for (ScriptErr* err : ScriptErr::__ERRS)
      if (err->message.find("extends") != std::string::npos) ++loops;
    EXPECT_EQ(loops, 1u);
    TokenClass* a = TokenClass::GetTokenClass("a.A");
    ASSERT_NE(a, nullptr);
    EXPECT_FALSE(TokenClass::chainReaches(a->superClass, a));
    EXPECT_FALSE(a->hasThisGetOrSetFun("v", "set"));
    a->makeExtendsDeph();
    std::string js = project.classJs("a.A");
    EXPECT_NE(js.find("return A;\n})("), std::string::npos) << js;
  }
}

TEST(ClassInterface, RegistrationAndOutput) {
  MiniProject project;
  project.add("a/IBase.as", "package a\n{\n\tpublic interface IBase\n\t{\n\t}\n}\n")
      .add("b/IOther.as", "package b\n{\n\tpublic interface IOther\n\t{\n\t}\n}\n")
      .add("a/IFace.as",
           "package a\n{\n\timport b.IOther;\n\tpublic interface IFace extends IBase, IOther\n\t{\n"
           "\t\tfunction run(x:int):void;\n\t}\n}\n");
  COMPILE_OR_SKIP(project);
  TokenClass* face = TokenClass::GetTokenClass("a.IFace");
  ASSERT_NE(face, nullptr);
  EXPECT_TRUE(face->isInterface);
  EXPECT_EQ(face->shortName, "IFace");
  EXPECT_EQ(face->miniName, "a.IFace");
  EXPECT_EQ(TokenClass::_interfacesMap_().get("a.IFace"), "a.IFace");
  EXPECT_EQ(static_cast<TokenInterface*>(face)->baseList, "a.IBase,b.IOther");
  EXPECT_EQ(project.classJs("a.IFace"), "\nRuvo.interface('a.IFace','a.IBase,b.IOther');\n\n");
  EXPECT_EQ(project.classJs("b.IOther"), "\nRuvo.interface('b.IOther');\n\n");

  ScriptFile* record = face->file->scriptFile;
  ASSERT_NE(record, nullptr);
  EXPECT_GE(record->orderWeight, 1e9);
  EXPECT_LT(record->orderWeight, 1e9 + 1);
  EXPECT_GT(record->orderWeight, 1e9);
}

TEST(ClassInterface, EmptyNameAddsTheWholeFraction) {
  resetCompilerState();
  Parse file(nullptr, "", "nowhere/I.as", 0);
  auto* record = new ScriptFile("nowhere/I.as", "");
  ScriptFile::LoadedFileMap["nowhere/I.as"] = record;
  TokenInterface face(TokenTypeCode::Interface, "", 0, 0, nullptr);
  std::string out;
  face.toJsScript(out, &file, 0, 0);
  EXPECT_DOUBLE_EQ(record->orderWeight, 1e9 + 0.9999999);
  EXPECT_EQ(out, "\nRuvo.interface('');\n\n");
}

}  // namespace

namespace {

std::string g_box;
int recordBox(const char* text, const char* caption) {
  g_box += std::string(caption) + "|" + text;
  return 0;
}

// The base class's file is known (the pre-scan saw it) but compiling it
// registers no class, here because the class is Flash-only: the box says so,
// the compile stops and no further file is parsed.
TEST(ClassExtends, BaseFileWithoutTheClassStopsTheCompile) {
  MiniProject project;
  g_box.clear();
  MsgBox = recordBox;
  project.add("a/Item.as", "package a\n{\n\tpublic class Item extends Base\n\t{\n\t}\n}\n")
      .add("a/Base.as", "package a\n{\n\t/*[IF-FLASH]*/public class Base\n\t{\n\t}\n}\n")
      .add("a/Later.as", "package a\n{\n\tpublic class Later\n\t{\n\t}\n}\n");
  // The file that extends the missing class stops at its extends clause, so
  // it never becomes a finished parse: no ready() check here.
  project.compile();
  EXPECT_EQ(compileStop(), CompileStop::UndeclaredBase);
  EXPECT_EQ(g_box, "Compile err|Error!\r\nNo this class:a.Base,\r\nfile:" + project.path("a/Item.as") + "\r\n");
  for (Parse* parse : project.parses) EXPECT_EQ(parse->path.find("Later"), std::string::npos) << parse->path;
  EXPECT_FALSE(TokenClass::GetTokenClass("a.Later"));
  MsgBox = nullptr;
}

}  // namespace
