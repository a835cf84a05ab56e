// The closed sets that are tables in the code, each walked by one test that
// makes every row happen: the message types (sent by real compiles), the
// converter modes (each run on a tiny folder), the accessor kinds and the
// output modes of toJsScript (each printed from a small class).
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "CompilerOptions.h"
#include "OutputMarkers.h"
#include "TokenClass.h"
#include "TokenFunction.h"
#include "TokenPackage.h"
#include "class_project.h"
#include "flashtozafrit.h"
#include "globals.h"
#include "harness.h"
#include "message.h"
#include "xstringmethod.h"

using namespace ruvotest;

namespace {

// The type of a message line: "MSG,<type>,<percent>,..." on standard output,
// "<type>,<percent>,..." in the log; -1000 for any other line.
int messageType(const std::string& line, bool onStdout) {
  std::string rest = line;
  if (onStdout) {
    if (!startsWith(rest, "MSG,")) return -1000;
    rest = rest.substr(4);
  }
  const char* start = rest.c_str();
  char* end = nullptr;
  const long type = std::strtol(start, &end, 10);
  if (end == start || *end != ',') return -1000;
  char* percentEnd = nullptr;
  std::strtod(end + 1, &percentEnd);
  if (percentEnd == end + 1 || *percentEnd != ',') return -1000;
  return static_cast<int>(type);
}

// The types of the message lines of a text.
std::set<int> messageTypes(const std::string& text, bool onStdout) {
  std::set<int> types;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const int type = messageType(line, onStdout);
    if (type != -1000) types.insert(type);
  }
  return types;
}

const NamedCode* messageTypeRow(int type) {
  for (int i = 0; i < kMessageTypeTableSize; ++i)
    if (kMessageTypeTable[i].code == type) return &kMessageTypeTable[i];
  return nullptr;
}

}  // namespace

// Two compiles send every type of the table between them: a project with
// the library left on (its warning, the saved script and page, the run's
// start and end) and one with an unmatched ']' and a class path outside the
// project that has no module script. Each type reaches standard output, and
// the log exactly when the table's rule says so; no type outside the table
// is sent.
TEST(NamedTables, MessageTypeTableRowsAreSentAndLoggedByTheirRule) {
  Install inst;
  TempDir work;
  copyFixture("compile-hello", work / "hello");
  writeFile(work / "broken/p.as3proj",
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<project version=\"2\">\n  <classpaths>\n"
            "    <class path=\"src\" />\n    <class path=\"../outside\" />\n  </classpaths>\n"
            "  <compileTargets>\n    <compile path=\"src/Main.as\" />\n  </compileTargets>\n</project>\n");
  writeFile(work / "broken/src/Main.as",
            "package\n{\n\tpublic class Main\n\t{\n\t\tpublic function Main()\n\t\t{\n\t\t\tvar a:int = (1];\n"
            "\t\t}\n\t}\n}\n");
  makeFolders(work / "outside");

  std::set<int> sent, logged;
  for (const std::string& command : {work / "hello/hello.as3proj", work / "broken/p.as3proj;outruvo=true"}) {
    SCOPED_TRACE(command);
    const RunResult run = inst.run({command});
    EXPECT_EQ(run.exitCode, 0);
    for (int type : messageTypes(run.out, true)) sent.insert(type);
    for (int type : messageTypes(inst.debugTxt(), false)) logged.insert(type);
  }
  for (int i = 0; i < kMessageTypeTableSize; ++i) {
    const NamedCode& row = kMessageTypeTable[i];
    SCOPED_TRACE(row.name);
    EXPECT_TRUE(sent.count(row.code)) << "no compile sent it";
    EXPECT_EQ(logged.count(row.code) == 1, MessageType::isLogged(row.code));
  }
  for (int type : sent) EXPECT_NE(messageTypeRow(type), nullptr) << "type " << type << " is not in the table";
}

// Every converter mode run on a tiny folder: one class with a Flash import
// and a library import, named in a link list. A mode that rewrites names
// turns them one way, a link mode adds the SWF tools call (only with the
// list read, which "/l" does), and only the first library run writes the
// starter classes.
TEST(NamedTables, ConverterModeTableRowsEachRunOnAFolder) {
  struct Expected {
    std::vector<std::string> has, hasNot;
    bool starters;
  };
  const std::map<std::string, Expected> byName = {
      {"ToLibraryFirst", {{"import zafrit.events.Event;", "import zafrit.events.MouseEvent;"}, {"flash."}, true}},
      {"ToLibrary", {{"import zafrit.events.Event;", "import zafrit.events.MouseEvent;"}, {"flash."}, false}},
      {"ToFlash", {{"import flash.events.Event;", "import flash.events.MouseEvent;"}, {"zafrit."}, false}},
      {"LinkFromList",
       {{"import flash.events.Event;", "import zafrit.swf.utils.SWFTools;", "SWFTools.initClass(Item, this);"},
        {},
        false}},
      {"Link", {{"import flash.events.Event;", "import zafrit.events.MouseEvent;"}, {"SWFTools"}, false}},
  };
  const std::string source =
      "package a\r\n{\r\n\timport flash.events.Event;\r\n\timport zafrit.events.MouseEvent;\r\n\r\n"
      "\tpublic class Item\r\n\t{\r\n\t\tpublic function Item()\r\n\t\t{\r\n\t\t\tsuper();\r\n\t\t}\r\n\t}\r\n}\r\n";
  for (int i = 0; i < kConverterModeTableSize; ++i) {
    const NamedCode& row = kConverterModeTable[i];
    SCOPED_TRACE(row.name);
    const auto expected = byName.find(row.name);
    ASSERT_NE(expected, byName.end()) << "no expectation for this row";
    resetCompilerState();
    TempDir work;
    writeFile(work / "src/a/Item.as", source);
    writeFile(work / "links.txt", "a.Item\r\n");
    const std::string list = "/" + (work / "links.txt");
    const std::string folder = work / "src";
    testing::internal::CaptureStdout();
    FlashToZafrit run(folder.c_str(), list.c_str(), row.code);
    testing::internal::GetCapturedStdout();
    const std::string text = readFile(work / "src/a/Item.as");
    for (const std::string& piece : expected->second.has) EXPECT_NE(text.find(piece), std::string::npos) << piece;
    for (const std::string& piece : expected->second.hasNot)
      EXPECT_EQ(text.find(piece), std::string::npos) << piece << "\n" << text;
    EXPECT_EQ(text != source, ConverterMode::rewritesNames(row.code) || row.code == ConverterMode::LinkFromList);
    EXPECT_EQ(fileExists(work / "src/RuvoMain.as"), expected->second.starters);
    EXPECT_EQ(fileExists(work / "src/RuvoGame.as"), expected->second.starters);
  }
  resetCompilerState();
}

namespace {

Token* first(const TokenList& list) { return list.empty() ? nullptr : list[0]; }

// A class with one member of every kind, a function after the package block
// and a private class, and the interface it implements.
const char kShape[] = "package a\n{\n\tpublic interface IShape\n\t{\n\t\tfunction grow(by:int):void;\n\t}\n}\n";
const char kItem[] =
    "package a\n{\n\tpublic class Item extends Base implements IShape\n\t{\n"
    "\t\tpublic static var count:int = 3;\n\t\tpublic var size:int = 4;\n\t\tpublic var twice:int = size * 2;\n"
    "\t\tpublic function Item(n:int)\n\t\t{\n\t\t\tsuper();\n\t\t\tsize = n;\n\t\t}\n"
    "\t\tpublic function grow(by:int):void\n\t\t{\n\t\t\tsize += by;\n\t\t}\n"
    "\t\tpublic function get area():int\n\t\t{\n\t\t\treturn size * size;\n\t\t}\n"
    "\t\tpublic static function make():Item\n\t\t{\n\t\t\treturn new Item(helper());\n\t\t}\n\t}\n}\n"
    "function helper():int\n{\n\treturn 2;\n}\nclass Hidden\n{\n\tpublic var h:int = 5;\n}\n";

}  // namespace

// Every output mode asked of the member it is made for, in a fresh compile
// of the class above (a function prints once): the text is the one that
// mode gives, and another mode asked of the same member gives another text.
// The interface member's mode is seen in a TypeScript compile's interface.
TEST(NamedTables, JsModeTableRowsEachPrintTheirText) {
  using Pick = std::function<Token*(TokenClass* item, TokenClass* shape)>;
  struct Row {
    bool ts;
    Pick member;  // none: the whole TypeScript compile
    std::vector<std::string> has;
    int other;  // a mode that does not give the same text
  };
  const Pick size = [](TokenClass* c, TokenClass*) { return c->vars.empty() ? nullptr : c->vars[0]; };
  const Pick twice = [](TokenClass* c, TokenClass*) { return c->vars.size() < 2 ? nullptr : c->vars[1]; };
  const Pick count = [](TokenClass* c, TokenClass*) { return first(c->staticVars); };
  const Pick ctor = [](TokenClass* c, TokenClass*) -> Token* { return c->constructorFunction; };
  const Pick grow = [](TokenClass* c, TokenClass*) { return first(c->methods); };
  const Pick make = [](TokenClass* c, TokenClass*) { return first(c->staticFunctions); };
  const Pick area = [](TokenClass* c, TokenClass*) -> Token* {
    GetSetFunction* accessors = c->getSetMap.get("area", nullptr);
    return accessors ? accessors->get : nullptr;
  };
  const Pick helper = [](TokenClass* c, TokenClass*) -> Token* {
    return c->file->outsideFunctions.empty() ? nullptr : c->file->outsideFunctions[0];
  };
  const Pick hidden = [](TokenClass* c, TokenClass*) -> Token* {
    TokenPackage* package = c->file->package;
    return package && !package->privateClassList.empty() ? package->privateClassList[0] : nullptr;
  };
  const std::string marker = kConstructorMarker;
  const std::map<std::string, Row> byName = {
      {"Plain", {false, size, {"var ", "size = 4;"}, JsMode::ConstructorVars}},
      {"Member", {false, grow, {"grow=function(by){", "this.size += by;"}, JsMode::WholeConstructor}},
      {"ClassBody", {false, make, {"Item.make=function(){"}, JsMode::WholeConstructor}},
      {"Accessor", {false, area, {"function(){", "return this.size * this.size;"}, JsMode::Member}},
      {"SplitConstructor", {false, ctor, {"(n)" + marker + "{", "Item.__super.call(this);"}, JsMode::WholeConstructor}},
      {"WholeConstructor", {false, ctor, {"(n){", "Item.__super.call(this);"}, JsMode::SplitConstructor}},
      {"ConstructorVars", {false, size, {"this.size=4;"}, JsMode::Plain}},
      {"TsConstructorVars", {true, size, {"size:number=4;"}, JsMode::ConstructorVars}},
      {"TsMember", {true, twice, {"twice:number=this.size * 2;"}, JsMode::TsConstructorVars}},
      {"TsClassBody", {true, count, {"static count:number=3;"}, JsMode::ClassBody}},
      {"OutsidePackage", {false, helper, {"var helper=function(){", "return 2;"}, JsMode::Plain}},
      {"PrivateClass", {false, hidden, {"//class Hidden", "Hidden=(function(){", "this.h=5;"}, JsMode::Plain}},
      {"TsInterfaceMember", {true, nullptr, {"move(steps:number);"}, JsMode::Plain}},
  };
  auto holdsAll = [](const std::string& out, const std::vector<std::string>& pieces) {
    for (const std::string& piece : pieces)
      if (out.find(piece) == std::string::npos) return false;
    return true;
  };
  const bool ts = __ISTOTS;
  for (int i = 0; i < kJsModeTableSize; ++i) {
    const NamedCode& mode = kJsModeTable[i];
    SCOPED_TRACE(mode.name);
    const auto found = byName.find(mode.name);
    ASSERT_NE(found, byName.end()) << "no expectation for this row";
    const Row& row = found->second;
    if (!row.member) {
      Install inst;
      TempDir work;
      copyFixture("typescript-game", work / "proj");
      inst.run({work / "proj/game.as3proj;ts=true;"});
      const std::string out = readFile(work / "proj/bin/ts/src/game/IMover.ts");
      EXPECT_TRUE(holdsAll(out, row.has)) << out;
      continue;
    }
    for (int asked : {mode.code, row.other}) {
      classtest::MiniProject project;
      project.add("a/Base.as", "package a\n{\n\tpublic class Base\n\t{\n\t}\n}\n")
          .add("a/IShape.as", kShape)
          .add("a/Item.as", kItem);
      COMPILE_OR_SKIP(project);
      TokenClass* item = TokenClass::GetTokenClass("a.Item");
      TokenClass* shape = TokenClass::GetTokenClass("a.IShape");
      ASSERT_TRUE(item && shape);
      Token* member = row.member(item, shape);
      ASSERT_NE(member, nullptr);
      __ISTOTS = row.ts;
      std::string out;
      testing::internal::CaptureStdout();
      member->toJsScript(out, item->file, asked, 0);
      testing::internal::GetCapturedStdout();
      __ISTOTS = ts;
      if (asked == mode.code)
        EXPECT_TRUE(holdsAll(out, row.has)) << out;
      else
        EXPECT_FALSE(holdsAll(out, row.has)) << jsModeName(asked) << " gives the same text:\n" << out;
    }
  }
}

// Every accessor kind read from its function form: the getter and the setter
// are registered under the property's name (not as methods) and printed
// together in the class's accessor call; a plain function is a method.
TEST(NamedTables, AccessorKindOfEachFunctionForm) {
  classtest::MiniProject project;
  project.add("a/Box.as",
              "package a\n{\n\tpublic class Box\n\t{\n\t\tprivate var _w:int = 1;\n"
              "\t\tpublic function get width():int\n\t\t{\n\t\t\treturn _w;\n\t\t}\n"
              "\t\tpublic function set width(v:int):void\n\t\t{\n\t\t\t_w = v;\n\t\t}\n"
              "\t\tpublic function grow():void\n\t\t{\n\t\t\t_w++;\n\t\t}\n\t}\n}\n");
  COMPILE_OR_SKIP(project);
  TokenClass* box = TokenClass::GetTokenClass("a.Box");
  ASSERT_NE(box, nullptr);
  GetSetFunction* width = box->getSetMap.get("width", nullptr);
  ASSERT_NE(width, nullptr);
  const struct {
    const char* form;
    TokenFunction* function;
    uint8_t kind;
  } rows[] = {
      {"function get width()", width->get, AccessorKind::Getter},
      {"function set width(v)", width->set, AccessorKind::Setter},
      {"function grow()", box->methods.empty() ? nullptr : dynamic_cast<TokenFunction*>(box->methods[0]),
       AccessorKind::None},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.form);
    ASSERT_NE(row.function, nullptr);
    EXPECT_EQ(row.function->accessorKind, row.kind);
    bool isMethod = false;
    for (Token* method : box->methods) isMethod = isMethod || method == row.function;
    EXPECT_EQ(isMethod, row.kind == AccessorKind::None);
  }
  const std::string js = project.classJs("a.Box");
  const size_t accessors = js.find("__getset(0,__proto,'width',function(){");
  EXPECT_NE(accessors, std::string::npos) << js;
  EXPECT_NE(js.find("function(v){", accessors), std::string::npos) << js;  // the setter after the getter
  EXPECT_NE(js.find("__proto.grow=function(){"), std::string::npos) << js;
}
