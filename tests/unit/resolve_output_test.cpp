// Names in package-level statements, from ActionScript source to the file's
// JavaScript: the lexer, the statement output and the package resolver together.
#include "resolve_support.h"

using namespace names_test;

namespace {

// Compiles `statement` inside package app, which imports the registered
// classes zafrit.display.Sprite (static count) and a.B (static constant PI).
std::string compile(const std::string& statement, size_t* warnings = nullptr, bool release = false) {
  resetAll();
  __ISRELEASE__ = release;
  const char* path = "/proj/src/app/Main.as";
  ScriptFile* record = new ScriptFile(path, "");
  ScriptFile::LoadedFileMap[path] = record;
  File lib = makeFile("/proj/lib/zafrit/display/Sprite.as", "zafrit.display");
  addMember(addClass(lib, "Sprite"), "count", true);
  File a = makeFile("/proj/src/a/B.as", "a");
  addMember(addClass(a, "B", "B$1"), "PI", true);
  TokenPackage::GetConstMap()["a.B.PI"] = "3.14";
  std::string source = "package app {\n import flash.display.Sprite;\n import a.B;\n " + statement + "\n}\n";
  Parse* root = new Parse(nullptr, source.c_str(), path, 0);
  root->toJavaScript();
  if (warnings) *warnings = record->warnings.size();
  std::string js = root->jsText;
  while (!js.empty() && (js.back() == '\n' || js.back() == '\r')) js.pop_back();
  return js;
}

}  // namespace

TEST(ResolveOutput, PackageStatements) {
  struct Row {
    const char* name;
    std::string source;
    std::string expected;
    size_t warnings;
  };
  const Row rows[] = {
      {"trace", "trace('hi', 2);", "console.log('hi',2);", 0},
      {"unknown call", "foo(1);", "/*no*/this.foo(1);", 1},
      {"unknown assignment", "undefinedThing.x = 3;", "/*no*/this.undefinedThing.x=3;", 1},
      {"XML cast", "XML('<a/>');", "new XML('<a/>');", 0},
      {"new XML", "new XML('<a/>');", "new XML('<a/>');", 0},
      {"with scope", "with (window) { bar = 1; }", "with (window){bar=1;}", 0},
      {"cast to an imported class", "Sprite(null);", "(null);", 0},
      {"Class cast", "Class(null);", "(null);", 0},
      {"new of an imported class", "new Sprite();", "new Sprite();", 0},
      {"imported static", "Sprite.count;", "Sprite.count;", 0},
      {"imported constant", "B.PI;", "/*a.B.PI*/3.14;", 0},
      {"qualified constant", "a.B.PI + 1;", "/*a.B.PI*/3.14+1;", 0},
      {"browser global", "setTimeout(null, 1);", "setTimeout(null,1);", 0},
      {"kept head", "window.alert(1);", "window.alert(1);", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    size_t warnings = 0;
    EXPECT_EQ(compile(row.source, &warnings), row.expected);
    EXPECT_EQ(warnings, row.warnings);
  }
  resetAll();
}

TEST(ResolveOutput, ReleaseModeInlinesConstants) {
  std::string js = compile("trace(B.PI, a.B.PI);", nullptr, true);
  EXPECT_EQ(js, "console.log(3.14,3.14);");
  resetAll();
}
