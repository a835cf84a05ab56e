// The reference lines that head the TypeScript file of a class, the on-demand
// compile of a base class's file, and the TypeScript text of an interface.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CompilerOptions.h"
#include "Quillet.h"
#include "TokenClass.h"
#include "TokenPackage.h"
#include "class_project.h"
#include "globals.h"
#include "parse.h"
#include "scriptfile.h"

using classtest::MiniProject;

namespace {

TokenClass* registered(const std::string& fullName, bool isInterface = false) {
  auto* cls = new TokenClass(TokenTypeCode::Class, "", 0, 0, nullptr);
  cls->fullName = cls->registeredName = fullName;
  cls->isInterface = isInterface;
  TokenClass::_classMap_()[fullName] = cls;
  return cls;
}

TEST(ClassReferencePath, RelativePathsToImportedClasses) {
  struct Row {
    const char* title;
    const char* own;
    bool ownIsInterface;
    std::vector<const char*> imports;
    const char* expected;
  } rows[] = {
      {"other package", "a.b.X", true, {"c.D"}, "///<reference path='../../c/D.ts' />\n"},
      {"same package is too short", "a.b.X", true, {"a.b.E"}, ""},
      {"same package, long name", "a.b.X", true, {"a.b.Element"}, "///<reference path='Element.ts' />\n"},
      {"deeper package", "a.X", true, {"a.b.c.Deep"}, "///<reference path='b/c/Deep.ts' />\n"},
      {"unregistered import", "a.X", true, {"q.Missing"}, "//reference err:q.Missing\n"},
      {"a class gets Ts, too short at the top", "X", false, {"cc.Dd"}, "///<reference path='cc/Dd.ts' />\n"},
      {"a class gets Ts, one level down",
       "a.X",
       false,
       {"c.D"},
       "///<reference path='../c/D.ts' />\n///<reference path='../Ts.ts' />\n"},
      {"import of the class itself", "a.X", true, {"a.X", "c.D"}, "///<reference path='../c/D.ts' />\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.title);
    resetCompilerState();
    Parse file(nullptr, "", "src/X.as", 0);
    TokenPackage package(TokenTypeCode::Package, "", 0, 0, nullptr);
    file.package = &package;
    TokenClass* own = registered(row.own, row.ownIsInterface);
    registered("c.D");
    registered("cc.Dd");
    registered("a.b.E");
    registered("a.b.Element");
    registered("a.b.c.Deep");
    registered("Ts");
    for (const char* imp : row.imports) {
      std::string full = imp;
      package.importMap[full.substr(full.rfind('.') + 1)] = full;
    }
    EXPECT_EQ(own->addReferencePath(&file), row.expected);
    EXPECT_EQ(package.importMap.has("Ts"), !row.ownIsInterface);
  }
}

TEST(ClassReferencePath, NoImportsNoLines) {
  resetCompilerState();
  Parse file(nullptr, "", "src/X.as", 0);
  TokenPackage package(TokenTypeCode::Package, "", 0, 0, nullptr);
  file.package = &package;
  TokenClass* own = registered("a.X");
  EXPECT_EQ(own->addReferencePath(&file), "");
  EXPECT_TRUE(package.importMap.empty());
}

// The front end is asked to parse the defining file only when it has not
// been parsed yet.
struct RecordingFront : As3ToScript {
  std::vector<std::string> asked;
  int withFile(const char* path) override {
    asked.push_back(path);
    return 1;
  }
};

TEST(ClassCompileOnDemand, AsksTheFrontEndOnlyForUnparsedFiles) {
  resetCompilerState();
  RecordingFront front;
  Parse file(&front, "", "src/A.as", 0);
  TokenClass cls(TokenTypeCode::Class, "", 0, 0, nullptr);
  file.push(&cls);
  auto* fresh = new ScriptFile("src/B.as", "");
  auto* done = new ScriptFile("src/C.as", "");
  done->parsed = 1;
  ScriptFile::GlobalClassWidthFileMap["a.B"] = fresh;
  ScriptFile::GlobalClassWidthFileMap["a.C"] = done;
  ScriptFile::GlobalClassWidthFileMap["a.Null"] = nullptr;

  EXPECT_TRUE(cls.compilerThisClassFile("a.B"));
  EXPECT_TRUE(cls.compilerThisClassFile("a.C"));
  EXPECT_FALSE(cls.compilerThisClassFile("a.Null"));
  EXPECT_FALSE(cls.compilerThisClassFile("a.Nowhere"));
  EXPECT_EQ(front.asked, std::vector<std::string>{"src/B.as"});
}

TEST(ClassInterface, TypeScriptText) {
  MiniProject project;
  struct TsOn {
    TsOn() { __ISTOTS = true; }
    ~TsOn() { __ISTOTS = false; }
  } tsOn;
  project.add("a/IFace.as",
              "package a\n{\n\tpublic interface IFace\n\t{\n\t\tfunction run(x:int):void;\n"
              "\t\tfunction set speed(v:Number):void;\n\t}\n}\n");
  COMPILE_OR_SKIP(project);
  TokenClass* face = TokenClass::GetTokenClass("a.IFace");
  ASSERT_NE(face, nullptr);
  EXPECT_EQ(face->registeredName, "a.IFace");
  EXPECT_EQ(face->fullName, "ruvo.IFace");
  EXPECT_EQ(face->miniName, "IFace");
  std::string out;
  face->toJsScript(out, face->file, 0, 0);
  EXPECT_EQ(out.find("///<reference"), std::string::npos) << out;
  EXPECT_EQ(out.rfind("module ruvo{\nexport interface IFace {\n", 0), 0u) << out;
  EXPECT_NE(out.find(" run(x"), std::string::npos) << out;
  EXPECT_EQ(out.find("speed"), std::string::npos) << out;
  EXPECT_NE(out.find(";\n\n}\n\n}\n\n"), std::string::npos) << out;
}

}  // namespace
