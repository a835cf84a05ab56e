// Class registration: public and private classes, mini names of classes that
// share a short name, the registries and the conversion table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TokenClass.h"
#include "TokenPackage.h"
#include "class_project.h"
#include "scriptfile.h"

using classtest::MiniProject;

namespace {

std::string classFile(const std::string& package, const std::string& name, const std::string& extra = "") {
  return "package " + package + "\n{\n\tpublic class " + name + "\n\t{\n\t}\n}\n" + extra;
}

std::string miniOf(const std::string& fullName) {
  TokenClass* cls = TokenClass::GetTokenClass(fullName);
  return cls ? cls->miniName : "<unregistered>";
}

// Which mini name each class of a project gets, for projects whose classes
// share short names. Files are compiled in the order listed.
TEST(ClassRegistration, MiniNamesOfSharedShortNames) {
  struct File {
    const char* path;
    const char* package;
    const char* name;
  };
  struct Row {
    const char* title;
    std::vector<File> files;
    std::vector<std::pair<const char*, const char*>> expected;  // full name -> mini name
  } rows[] = {
      {"two packages, first keeps the short name",
       {{"a/Item.as", "a", "Item"}, {"b/Item.as", "b", "Item"}},
       {{"a.Item", "Item"}, {"b.Item", "Item$1"}}},
      {"top-level class first",
       {{"Item.as", "", "Item"}, {"a/Item.as", "a", "Item"}, {"b/Item.as", "b", "Item"}},
       {{"Item", "Item"}, {"a.Item", "Item$1"}, {"b.Item", "Item$2"}}},
      {"top-level class last",
       {{"a/Item.as", "a", "Item"}, {"b/Item.as", "b", "Item"}, {"Item.as", "", "Item"}},
       {{"Item", "Item"}, {"a.Item", "Item$1"}, {"b.Item", "Item$2"}}},
      {"class named like a package root",
       {{"game/Main.as", "game", "Main"}, {"x/game.as", "x", "game"}},
       {{"game.Main", "Main"}, {"x.game", "game$2"}}},
      {"unique names keep their short name",
       {{"a/One.as", "a", "One"}, {"b/c/Two.as", "b.c", "Two"}},
       {{"a.One", "One"}, {"b.c.Two", "Two"}}},
      {"XML is never a mini name", {{"a/XML.as", "a", "XML"}}, {{"a.XML", "a.XML"}}},
      {"a numbered name that is already a class name",
       {{"a/Item.as", "a", "Item"}, {"Item$1.as", "", "Item$1"}, {"b/Item.as", "b", "Item"}},
       {{"a.Item", "Item"}, {"b.Item", "b.Item"}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.title);
    MiniProject project;
    for (const File& f : row.files) project.add(f.path, classFile(f.package, f.name));
    COMPILE_OR_SKIP(project);
    for (auto& [full, mini] : row.expected) {
      SCOPED_TRACE(full);
      EXPECT_EQ(miniOf(full), mini);
      TokenClass* cls = TokenClass::GetTokenClass(full);
      ASSERT_NE(cls, nullptr);
      EXPECT_EQ(TokenClass::_classAndMiniNameMap_().get(cls->miniName), full);
      EXPECT_EQ(TokenClass::_classAndMiniNameMap_().get(full), full);
      EXPECT_EQ(cls->registeredName, full);
    }
  }
}

TEST(ClassRegistration, ConversionTableMapsFullNamesToMiniNames) {
  MiniProject project;
  project.add("a/Item.as", classFile("a", "Item"))
      .add("b/Item.as", classFile("b", "Item"))
      .add("a/XML.as", classFile("a", "XML"));
  COMPILE_OR_SKIP(project);
  OrderedMap<std::string>& table = TokenPackage::GetConversionTable();
  EXPECT_EQ(table.get("a.Item"), "Item");
  EXPECT_EQ(table.get("b.Item"), "Item$1");
  // The table keeps the short name for XML; only the class's mini name moves.
  EXPECT_EQ(table.get("a.XML"), "XML");
  EXPECT_EQ(miniOf("a.XML"), "a.XML");
}

TEST(ClassRegistration, SecondClassOfAFileIsPrivate) {
  MiniProject project;
  project.add("a/Main.as", classFile("a", "Main", "class Extra\n{\n}\nclass Third\n{\n}\n"));
  COMPILE_OR_SKIP(project);

  TokenClass* main = TokenClass::GetTokenClass("a.Main");
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(main->isPrivateClass);
  TokenPackage* package = main->file->package;
  ASSERT_NE(package, nullptr);
  EXPECT_EQ(package->firstClass, main);
  EXPECT_EQ(package->firstClassFullName, "a.Main");
  ASSERT_EQ(package->privateClassList.size(), 2u);
  TokenClass* extra = package->privateClassList[0];
  EXPECT_EQ(extra->fullName, "Extra");
  EXPECT_EQ(extra->miniName, "Extra");
  EXPECT_TRUE(extra->isPrivateClass);
  EXPECT_EQ(package->privateClasses.get("Extra"), extra);
  EXPECT_EQ(package->privateClassList[1]->fullName, "Third");
  EXPECT_FALSE(TokenClass::_classMap_().has("Extra"));
  EXPECT_FALSE(TokenPackage::GetConversionTable().has("Extra"));
  EXPECT_FALSE(TokenClass::_classAndMiniNameMap_().has("Extra"));
}

TEST(ClassRegistration, FirstClassIsPublicEvenWithoutTheKeyword) {
  MiniProject project;
  project.add("a/Plain.as", "package a\n{\n\tclass Plain\n\t{\n\t}\n}\n");
  COMPILE_OR_SKIP(project);
  TokenClass* cls = TokenClass::GetTokenClass("a.Plain");
  ASSERT_NE(cls, nullptr);
  EXPECT_TRUE(cls->flags & TokenModifierFlags::Public);
  ASSERT_NE(cls->file->scriptFile, nullptr);
  EXPECT_EQ(cls->file->scriptFile->mainClass, cls);
  EXPECT_EQ(ScriptFile::GlobalClassWidthFileMap.get("a.Plain"), cls->file->scriptFile);
}

TEST(ClassRegistration, ClassAdoptsItsHeadAndBody) {
  MiniProject project;
  project.add("a/Base.as", classFile("a", "Base"))
      .add("a/IThing.as", "package a\n{\n\tpublic interface IThing\n\t{\n\t}\n}\n")
      .add("a/Item.as",
           "package a\n{\n\tpublic class Item extends Base implements IThing\n\t{\n\t\tpublic var x:int;\n\t}\n"
           "\tvar after:int;\n}\n");
  COMPILE_OR_SKIP(project);
  TokenClass* cls = TokenClass::GetTokenClass("a.Item");
  ASSERT_NE(cls, nullptr);
  ASSERT_FALSE(cls->childs.empty());
  Token* last = nullptr;
  for (Token* child : cls->childs)
    if (child) last = child;
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->type, TokenTypeCode::Block);
  EXPECT_EQ(cls->childs[0]->type, TokenTypeCode::Extends);
  for (Token* child : cls->childs) EXPECT_TRUE(!child || child->text != "Item") << "the name word stays out";
  EXPECT_EQ(cls->superName, "a.Base");
  EXPECT_EQ(cls->superClass, TokenClass::GetTokenClass("a.Base"));
  EXPECT_EQ(cls->level, 1);
  EXPECT_EQ(cls->implementsMap.get("a.IThing"), "a.IThing");
  EXPECT_TRUE(cls->members.has("hasOwnProperty"));
  EXPECT_TRUE(cls->members.has("x"));
  EXPECT_EQ(cls->vars.size(), 1u);
  EXPECT_FALSE(cls->members.has("push"));
  EXPECT_FALSE(cls->members.has("after"));  // declared after the class body
}

TEST(ClassRegistration, ArrayLikeClassesAnswerToArrayMembers) {
  for (const char* base : {"Array", "Dictionary"}) {
    SCOPED_TRACE(base);
    MiniProject project;
    project.add("a/List.as", std::string("package a\n{\n\tpublic class List extends ") + base + "\n\t{\n\t}\n}\n");
    COMPILE_OR_SKIP(project);
    TokenClass* cls = TokenClass::GetTokenClass("a.List");
    ASSERT_NE(cls, nullptr);
    if (std::string(base) == "Array") {
      for (const char* name :
           {"push", "length", "concat", "join", "pop", "reverse", "shift", "slice", "splice", "unshift"})
        EXPECT_TRUE(cls->members.has(name)) << name;
    } else {
      // Dictionary is a built-in type word outside the base list: no base.
      EXPECT_EQ(cls->superName, "");
      EXPECT_FALSE(cls->members.has("push"));
    }
  }
}

// A base class whose file comes later in the list is compiled first, on
// demand, so it is registered before the class that extends it finishes.
TEST(ClassRegistration, BaseClassFileIsCompiledOnDemand) {
  MiniProject project;
  project.add("a/Derived.as", "package a\n{\n\tpublic class Derived extends Base\n\t{\n\t}\n}\n")
      .add("a/Base.as", "package a\n{\n\tpublic class Base extends Root\n\t{\n\t}\n}\n")
      .add("a/Root.as", classFile("a", "Root"));
  COMPILE_OR_SKIP(project);
  TokenClass* derived = TokenClass::GetTokenClass("a.Derived");
  ASSERT_NE(derived, nullptr);
  ASSERT_NE(derived->superClass, nullptr);
  EXPECT_EQ(derived->superClass->fullName, "a.Base");
  EXPECT_EQ(derived->level, 2);
  EXPECT_EQ(project.parses.size(), 3u);  // each file parsed once
  ASSERT_GE(project.parses.size(), 1u);
  EXPECT_EQ(project.parses[0]->path, project.path("a/Root.as"));
  derived->makeExtendsDeph();
  EXPECT_LT(derived->superClass->superClass->extendsDepth, derived->superClass->extendsDepth);
  EXPECT_LT(derived->superClass->extendsDepth, derived->extendsDepth);
}

// The same project with its files named through doubled separators (a
// source folder written with a trailing one): still one record and one
// parse per file, and no class defined twice.
TEST(ClassRegistration, DoubledSeparatorsNameOneFile) {
  MiniProject project;
  project.add("a//Derived.as", "package a\n{\n\tpublic class Derived extends Base\n\t{\n\t}\n}\n")
      .add("a//Base.as", "package a\n{\n\tpublic class Base extends Root\n\t{\n\t}\n}\n")
      .add("/a/Root.as", classFile("a", "Root"));
  testing::internal::CaptureStdout();
  project.compile();
  std::string out = testing::internal::GetCapturedStdout();
  if (!project.ready()) GTEST_SKIP() << "not yet built";
  EXPECT_EQ(out.find("defined twice"), std::string::npos) << out;
  EXPECT_EQ(project.parses.size(), 3u);
  ASSERT_GE(project.parses.size(), 1u);
  EXPECT_EQ(project.parses[0]->path, project.path("a/Root.as"));
  EXPECT_EQ(ScriptFile::LoadedFileMap.size(), 3u);
  TokenClass* derived = TokenClass::GetTokenClass("a.Derived");
  ASSERT_NE(derived, nullptr);
  EXPECT_EQ(derived->level, 2);
}

}  // namespace
