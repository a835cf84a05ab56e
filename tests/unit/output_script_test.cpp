// Assembling and saving the output scripts: the order of the texts, the
// alias lines of closure-wrapped scripts, the class-init call, module
// scripts and the main module, and running what comes out in node.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "CompilerOptions.h"
#include "OneScriptFile.h"
#include "TokenClass.h"
#include "TokenPackage.h"
#include "globals.h"
#include "harness.h"
#include "message.h"
#include "runtime_texts.h"
#include "scriptfile.h"

namespace {

using ruvotest::fileExists;
using ruvotest::listFiles;
using ruvotest::readFile;
using ruvotest::TempDir;
using ruvotest::writeFile;

const std::string kCoreCloser = "\r\n\treturn Ruvo;\r\n})(window,document);\r\n";
const std::string kOpener = "\r\n(function(window,document,Ruvo){\r\n";
const std::string kCloser = "\r\n})(window,document,Ruvo);\r\n";
const std::string kAlias =
    "\tvar __un=Ruvo.un,__uns=Ruvo.uns,__static=Ruvo.static,__class=Ruvo.class,__getset=Ruvo.getset,"
    "__newvec=Ruvo.__newvec";

// Runs a generated script in node as a page would load it: `window` is the
// global object, `document` an empty one, and the script runs at top level.
const char* kNodeRunner =
    "globalThis.window = globalThis; globalThis.document = {};\n"
    "const fs = require('fs');\n"
    "require('vm').runInThisContext(fs.readFileSync(process.argv[2], 'latin1'), {filename: process.argv[2]});\n";

class OutputScriptTest : public testing::Test {
 protected:
  void SetUp() override {
    resetCompilerState();
    resetScripts();
    fpprintf = tmpfile();  // the log stays out of debug.txt
    _ompilerOptions_.outDir = dir.path() + "/out/";
  }
  void TearDown() override {
    resetScripts();
    resetCompilerState();
  }
  void resetScripts() {
    for (OneScriptFile* s : created) delete s;
    created.clear();
    MainOneScriptFile = OneScriptFile();
    OneScriptFile::jsModleMap.clear();
    OneScriptFile::Main = nullptr;
    OneScriptFile::RuvoJs = nullptr;
    CompileWarning.clear();
    _ompilerOptions_ = CompilerOptions();
    __ISDEBUG__ = false;
    TokenClass::__pMainClass__ = nullptr;
  }
  // A module script for a source folder, as the project reader registers it.
  OneScriptFile* module(const std::string& folder, const std::string& name, bool carriesCore) {
    OneScriptFile* s = new OneScriptFile();
    created.push_back(s);
    s->outputPath = name;
    s->noCore = !carriesCore;
    OneScriptFile::jsModleMap[folder] = s;
    return s;
  }
  void libraryOff() {
    _ompilerOptions_.zafritLib = false;
    _ompilerOptions_.enableDic = false;
  }
  // Saves every script and returns what standard output got.
  std::string saveAll() {
    testing::internal::CaptureStdout();
    OneScriptFile::saveAll();
    return testing::internal::GetCapturedStdout();
  }
  std::string out(const std::string& rel) { return readFile(dir.path() + "/out/" + rel); }
  // Runs a written script in node; returns what it printed, or the failure.
  std::string runInNode(const std::string& script) {
    std::string runner = dir.path() + "/run.js";
    writeFile(runner, kNodeRunner);
    ruvotest::RunResult check = ruvotest::runNode("--check", {script});
    if (check.exitCode != 0) return "node --check failed: " + check.err;
    ruvotest::RunResult r = ruvotest::runNode(runner, {script});
    if (r.exitCode != 0) return "node failed: " + r.err;
    return r.out;
  }

  TempDir dir;
  std::vector<OneScriptFile*> created;
};

size_t count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
  return n;
}

TEST_F(OutputScriptTest, LibraryOffScriptHoldsEveryTextInOrder) {
  libraryOff();
  MainOneScriptFile.noCore = false;
  MainOneScriptFile.outputPath = "game.max.js";
  MainOneScriptFile.text = "\t//the classes\r\n";
  MainOneScriptFile.classList = "Alpha,Beta,";
  CompileWarning = "1:file:///a.as (3):warning:unused\r\n";
  OneScriptFile::EndInitScript();
  OneScriptFile::AddEndScript();
  std::string stdoutText = saveAll();

  const std::string body = runtimeText("core") + kCoreCloser + kOpener + kAlias + ";\r\n" + "\t//the classes\r\n" +
                           "\tRuvo.__init([Alpha,Beta]);" + kCloser + "\r\n\r\n/*\r\n" + CompileWarning + "*/";
  const std::string file = body + runtimeText("exportblock");
  EXPECT_EQ(out("game.max.js"), file);
  EXPECT_EQ(listFiles(dir.path() + "/out"), std::vector<std::string>{"game.max.js"});
  EXPECT_EQ(MainOneScriptFile.text, body);
  const std::string path = dir.path() + "/out/game.max.js";
  EXPECT_NE(stdoutText.find("MSG,12,0.00," + path + "," + std::to_string(file.size()) + ",\n"), std::string::npos)
      << stdoutText;

  // The fixed texts keep their own line ends: LF in the core and the export
  // block, CR LF in what is put around them.
  EXPECT_EQ(file.rfind("/*" + std::string(33, '*') + "*/\n", 0), 0u);
  EXPECT_EQ(count(file, kOpener), 1u);
  EXPECT_EQ(count(file, "class:function(o,fullName,_super,miniName){"), 1u);
  EXPECT_EQ(runtimeText("exportblock").substr(0, 4), "\nif ");
  EXPECT_EQ(runtimeText("exportblock").back(), '}');
}

TEST_F(OutputScriptTest, SecondSaveReturnsTheTextAndWritesNothing) {
  libraryOff();
  MainOneScriptFile.noCore = false;
  MainOneScriptFile.outputPath = "game.max.js";
  MainOneScriptFile.text = "var a=1;";
  saveAll();
  std::string first = MainOneScriptFile.text;
  std::remove((dir.path() + "/out/game.max.js").c_str());
  MainOneScriptFile.text = "changed";
  testing::internal::CaptureStdout();
  std::string again = MainOneScriptFile.save();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(again, "changed");
  EXPECT_FALSE(fileExists(dir.path() + "/out/game.max.js"));
  EXPECT_NE(first.find("var a=1;"), std::string::npos);
}

TEST_F(OutputScriptTest, ScriptThatCannotBeWrittenIsReportedNotSaved) {
  libraryOff();
  writeFile(dir.path() + "/blocker", "a file where a folder should be");
  _ompilerOptions_.outDir = dir.path() + "/blocker";
  MainOneScriptFile.outputPath = "game.max.js";
  std::string stdoutText = saveAll();
  const std::string path = dir.path() + "/blocker/game.max.js";
  EXPECT_NE(stdoutText.find("MSG,7,0.00," + path + ",0,"), std::string::npos) << stdoutText;
  EXPECT_NE(stdoutText.find(path, stdoutText.find("MSG,7,") + 20), std::string::npos) << "the text names the file";
  EXPECT_EQ(stdoutText.find("MSG,12,"), std::string::npos) << stdoutText;
}

TEST_F(OutputScriptTest, OutputPathsBelowTheOutputFolderUnlessAbsolute) {
  struct Row {
    std::string outDir, outputPath, written;
  } rows[] = {
      {dir.path() + "/o1", "a.js", dir.path() + "/o1/a.js"},
      {dir.path() + "/o2/", "js/b.js", dir.path() + "/o2/js/b.js"},
      {dir.path() + "/unused", dir.path() + "/abs/c.js", dir.path() + "/abs/c.js"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.outputPath);
    resetScripts();
    libraryOff();
    _ompilerOptions_.outDir = r.outDir;
    MainOneScriptFile.outputPath = r.outputPath;
    saveAll();
    EXPECT_TRUE(fileExists(r.written));
  }
}

TEST_F(OutputScriptTest, WarningsThatHoldACommentEndStayInsideTheComment) {
  libraryOff();
  MainOneScriptFile.noCore = false;
  MainOneScriptFile.outputPath = "w.max.js";
  CompileWarning = "1:file:///x*/y.as (1):warning:a */ b\r\n";
  saveAll();
  std::string file = out("w.max.js");
  EXPECT_NE(file.find("\r\n\r\n/*\r\n1:file:///x* /y.as (1):warning:a * / b\r\n*/"), std::string::npos);
  EXPECT_EQ(runInNode(dir.path() + "/out/w.max.js"), "");
}

TEST_F(OutputScriptTest, InitCallIsBuiltOnce) {
  struct Row {
    const char* list;
    const char* call;
  } rows[] = {
      {"", ""},
      {"a,b,", "\tRuvo.__init([a,b]);"},
      {"a", "\tRuvo.__init([a]);"},
      {"a,,", "\tRuvo.__init([a,]);"},
      {"\tRuvo.__init([x]);", "\tRuvo.__init([x]);"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.list);
    OneScriptFile script;
    script.classList = r.list;
    script.endInitScript();
    EXPECT_EQ(script.classList, r.call);
    script.endInitScript();
    EXPECT_EQ(script.classList, r.call);
  }
}

TEST_F(OutputScriptTest, EndScriptsAreAppendedOncePerScript) {
  MainOneScriptFile.text = "M";
  MainOneScriptFile.endScript = "end-main";
  OneScriptFile* ui = module("/p/ui/", "ui.js", false);
  ui->text = "U";
  ui->endScript = "end-ui";
  OneScriptFile::jsModleMap["/p/more-ui/"] = ui;
  OneScriptFile* quiet = module("/p/quiet/", "quiet.js", false);
  quiet->text = "Q";
  OneScriptFile::AddEndScript();
  EXPECT_EQ(MainOneScriptFile.text, "Mend-main");
  EXPECT_EQ(ui->text, "Uend-ui\r\n");
  EXPECT_EQ(quiet->text, "Q");
}

TEST_F(OutputScriptTest, AliasLinesOfAClosureScript) {
  ScriptFile here("/p/src/Here.as", "");
  ScriptFile there("/p/lib/There.as", "");
  OneScriptFile other;
  here.outputScript = &MainOneScriptFile;
  there.outputScript = &other;
  std::vector<UseCLass> uses;
  uses.reserve(40);
  auto use = [&](const std::string& key, const std::string& fullName, ScriptFile* file) {
    uses.emplace_back(fullName, file);
    MainOneScriptFile.usedClasses[key] = &uses.back();
  };

  EXPECT_EQ(MainOneScriptFile.importClassToString(), "");
  use("Ruvo", "Ruvo", &there);
  use("Here", "a.Here", &here);
  EXPECT_EQ(MainOneScriptFile.importClassToString(), "") << "only Ruvo and classes of this script";

  use("Zed", "z.Zed", &there);
  use("Alone", "Alone", &there);
  use("Beta", "b.Beta", nullptr);
  EXPECT_EQ(MainOneScriptFile.importClassToString(), "\r\n\tvar Alone=Ruvo.Alone,Beta=b.Beta,Zed=z.Zed;\r\n");

  for (int i = 0; i < 20; ++i) {
    std::string n = "Class" + std::string(1, static_cast<char>('A' + i));
    use(n, "com.example.game." + n, &there);
  }
  std::string text = MainOneScriptFile.importClassToString();
  ASSERT_EQ(text.rfind("\r\n\tvar Alone=Ruvo.Alone,Beta=b.Beta,ClassA=com.example.game.ClassA,", 0), 0u) << text;
  ASSERT_GE(text.size(), 3u);
  EXPECT_EQ(text.substr(text.size() - 3), ";\r\n");
  size_t lines = 0;
  for (size_t start = 2; start < text.size(); ++lines) {
    size_t end = text.find("\r\n", start);
    std::string line = text.substr(start, end - start);
    SCOPED_TRACE(line);
    EXPECT_EQ(line.rfind("\tvar ", 0), 0u);
    EXPECT_EQ(line.back(), ';');
    EXPECT_LE(line.size(), 100u + 45u) << "a line breaks once it passed 100 characters";
    EXPECT_EQ(line.find("Ruvo=") , std::string::npos);
    EXPECT_EQ(line.find("Here="), std::string::npos);
    start = end + 2;
  }
  EXPECT_GE(lines, 4u);
}

TEST_F(OutputScriptTest, AliasLinesGoIntoTheClosure) {
  libraryOff();
  ScriptFile there("/p/lib/There.as", "");
  UseCLass used("q.There", &there);
  MainOneScriptFile.usedClasses["There"] = &used;
  MainOneScriptFile.outputPath = "m.max.js";
  saveAll();
  EXPECT_EQ(out("m.max.js"),
            kOpener + kAlias + ";\r\n" + "\r\n\tvar There=q.There;\r\n" + kCloser + runtimeText("exportblock"));
}

TEST_F(OutputScriptTest, LibraryOnCoreScriptAndModuleWithoutCore) {
  // Library on: the Flash-API header, the debug helpers, 3D and the
  // Dictionary keys go into the core; a module without the core gets a bare
  // line end for a head.
  __ISDEBUG__ = true;
  _ompilerOptions_.flash3D = true;
  _ompilerOptions_.closures = true;
  MainOneScriptFile.noCore = false;
  MainOneScriptFile.outputPath = "lib.max.js";
  MainOneScriptFile.text = "\tvar MAINTEXT;\r\n";
  OneScriptFile* ui = module("/p/ui/", "ui.js", false);
  ui->text = "\tvar UITEXT;\r\n";
  ui->classList = "UiA,";
  OneScriptFile::EndInitScript();
  saveAll();

  EXPECT_EQ(out("ui.js"), "\r\n\tvar UITEXT;\r\n\tRuvo.__init([UiA]);\r\n" + runtimeText("exportblock"));

  std::string file = out("lib.max.js");
  std::string core = runtimeText("core");
  std::string dicClass =
      "class:function(o,fullName,dic,_super,miniName){\r\n\t\t\tdic && "
      "(Ruvo.un(o.prototype,'toString',VENDRIX.toStringForDic));";
  size_t at = core.find("class:function(o,fullName,_super,miniName){");
  ASSERT_NE(at, std::string::npos);
  core.replace(at, 43, dicClass);
  const std::string segments[] = {
      core,
      runtimeText("flashhead"),
      "\r\n\twindow.__DEBUGTYPE__ = function(value,type){",
      "\r\n\twindow.__DEBUGAS__=function(value,type){",
      "VENDRIX.ENABLE3D=true;\r\n",
      "\tvar Dictionary=window.Dictionary=zafrit.utils.Dictionary=function(){};\twindow.Dictionary.prototype="
      "Object.prototype;\r\n\tRuvo.__classmap['Dictionary']=Dictionary;\r\n\tVENDRIX.DICKEY=0;\r\n"
      "\tVENDRIX.DICKEYS=[];\r\n\tVENDRIX.toStringForDic=function(){",
      kCoreCloser + "\r\n" + kAlias + ",__bind=VENDRIX.bind;\r\n\tvar RUVOFNVOID=function(){};\r\n",
      "\tvar GETEACH = function(a) { return a?a:[]; }\r\n\r\n\tvar MAINTEXT;\r\n\r\n" + runtimeText("exportblock"),
  };
  size_t from = 0;
  for (const std::string& segment : segments) {
    SCOPED_TRACE(segment.substr(0, 60));
    size_t found = file.find(segment, from);
    ASSERT_NE(found, std::string::npos);
    if (&segment == &segments[0]) {
      EXPECT_EQ(found, 0u);
    }
    from = found + segment.size();
  }
  EXPECT_EQ(from, file.size());
  EXPECT_EQ(count(file, "class:function(o,fullName,_super,miniName){"), 0u);
  EXPECT_EQ(count(file, kOpener), 0u) << "no closure with the library on";
}

TEST_F(OutputScriptTest, LibraryOffScriptRunsInNode) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  libraryOff();
  MainOneScriptFile.noCore = false;
  MainOneScriptFile.outputPath = "run.max.js";
  MainOneScriptFile.text =
      "//class Shape\r\n"
      "var Shape=(function(){\r\n"
      "function Shape(){\r\n}\r\n"
      "__class(Shape,'Shape');\r\n\r\n"
      "var __proto=Shape.prototype;\r\n"
      "__proto.name=function(){return 'shape';};\r\n"
      "__getset(0,__proto,'area',function(){return 0;});\r\n\r\n"
      "__static(Shape,\r\n['made',function(){return [];}\r\n]);\r\n"
      "Shape.__init$=function(){\r\nShape.made.push('init');\r\n}\r\n"
      "return Shape;\r\n})()\r\n"
      "//class geo.Square extends Shape\r\n"
      "var Square=(function(_super){\r\n"
      "function Square(side){\r\nthis.side=side;\r\nSquare.__super.call(this);\r\n}\r\n"
      "__class(Square,'geo.Square',_super);\r\n\r\n"
      "var __proto=Square.prototype;\r\n"
      "__proto.name=function(){return 'square';};\r\n"
      "__getset(0,__proto,'area',function(){return this.side*this.side;});\r\n\r\n"
      "return Square;\r\n})(Shape)\r\n";
  MainOneScriptFile.classList = "Shape,";
  OneScriptFile::EndInitScript();
  OneScriptFile::AddEndScript();
  MainOneScriptFile.endInitScript();
  MainOneScriptFile.text += MainOneScriptFile.classList;
  MainOneScriptFile.classList.clear();
  MainOneScriptFile.text +=
      "\r\n\tvar s=new geo.Square(3);\r\n"
      "\ttrace(s.name(),s.area,s instanceof Shape,Ruvo.__typeof(s,'geo.Square'),Shape.made.join());\r\n";
  saveAll();
  EXPECT_EQ(runInNode(dir.path() + "/out/run.max.js"), "square 9 true true init\n");
}

TEST_F(OutputScriptTest, LibraryOnScriptWithDictionaryKeysRunsInNode) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  MainOneScriptFile.noCore = false;
  MainOneScriptFile.outputPath = "dic.max.js";
  MainOneScriptFile.text =
      "var Key=(function(){\r\nfunction Key(){\r\n}\r\n__class(Key,'p.Key',true);\r\n\r\nreturn Key;\r\n})()\r\n"
      "var List=(function(_super){\r\nfunction List(){\r\n}\r\n__class(List,'p.List',true,Array);\r\n\r\n"
      "return List;\r\n})(Array)\r\n"
      "var map={},k=new Key(),l=new List();map[k]=1;map[l]=2;\r\n"
      "trace(Object.keys(map).join(),VENDRIX.DICKEYS['&ruvodic_-1']===k,RUVOFNARRAY().length,"
      "VENDRIX.bind(k,RUVOFNVOID)===VENDRIX.bind(k,RUVOFNVOID));\r\n";
  saveAll();
  EXPECT_EQ(runInNode(dir.path() + "/out/dic.max.js"), "&ruvodic_-1,&ruvodic_-2 true 0 true\n");
}

TEST_F(OutputScriptTest, CoreGoesIntoOneFileOnly) {
  // A module that carries the core takes it from the main script.
  MainOneScriptFile.noCore = false;
  OneScriptFile* engine = module("/libs/zafrit/src/", "ruvo.js", true);
  OneScriptFile::RuvoJs = engine;
  OneScriptFile::EndInitScript();
  EXPECT_TRUE(MainOneScriptFile.noCore);
  EXPECT_FALSE(engine->noCore);

  // A declared main module without an engine module carries it itself.
  resetScripts();
  MainOneScriptFile.noCore = false;
  OneScriptFile* game = module("/p/game/", "js/game.js", false);
  OneScriptFile::Main = game;
  OneScriptFile::EndInitScript();
  EXPECT_TRUE(MainOneScriptFile.noCore);
  EXPECT_FALSE(game->noCore);
}

TEST_F(OutputScriptTest, MainModuleWithEngineScriptHoldsAllThree) {
  libraryOff();
  MainOneScriptFile.noCore = false;
  MainOneScriptFile.outputPath = "game.max.js";
  MainOneScriptFile.text = "\tvar MAINTEXT;\r\n";
  OneScriptFile* engine = module("/libs/zafrit/src/", "ruvo.js", true);
  engine->text = "\tvar ENGINETEXT;\r\n";
  OneScriptFile::RuvoJs = engine;
  OneScriptFile* game = module("/p/game/", "js/game.js", false);
  game->text = "\tvar GAMETEXT;\r\n";
  OneScriptFile::Main = game;
  OneScriptFile::EndInitScript();
  std::string stdoutText = saveAll();

  EXPECT_EQ(listFiles(dir.path() + "/out"), std::vector<std::string>{"js/game.js"});
  EXPECT_EQ(count(stdoutText, "MSG,12,"), 1u);
  const std::string head = kOpener + kAlias + ";\r\n";
  const std::string engineText = runtimeText("core") + kCoreCloser + head + "\tvar ENGINETEXT;\r\n" + kCloser;
  EXPECT_EQ(out("js/game.js"), engineText + "\r\n" + head + "\tvar GAMETEXT;\r\n" + kCloser + head +
                                   "\tvar MAINTEXT;\r\n" + kCloser + runtimeText("exportblock"));
}

// The files' scripts are written from where they stand, and the file has
// the bytes it has when the body is one text: what the text held before the
// first file script stays in front of it, what is added later follows them.
TEST_F(OutputScriptTest, FileScriptsWriteTheBytesOfOneText) {
  for (bool mainModule : {false, true}) {
    SCOPED_TRACE(mainModule ? "written into a main module's file" : "written to its own file");
    std::string files[2];
    for (bool inPieces : {false, true}) {
      resetScripts();
      _ompilerOptions_.outDir = dir.path() + "/out/";
      libraryOff();
      MainOneScriptFile.noCore = false;
      MainOneScriptFile.outputPath = "game.max.js";
      OneScriptFile* game = mainModule ? module("/p/game/", "js/game.js", false) : nullptr;
      OneScriptFile::Main = game;
      for (OneScriptFile* script : {&MainOneScriptFile, game}) {
        if (!script) continue;
        script->text = "\tvar BEFORE;\r\n";
        for (const char* piece : {"\t//file:///a.as\r\n", "\tvar A;\r\n", "\tvar B;\r\n"}) {
          if (inPieces)
            script->addFileScript(piece);
          else
            script->text += piece;
        }
        script->text += "\tvar AFTER;\r\n";
      }
      OneScriptFile::EndInitScript();
      saveAll();
      files[inPieces] = out(mainModule ? "js/game.js" : "game.max.js");
    }
    EXPECT_EQ(files[1], files[0]);
    EXPECT_NE(files[1].find("\tvar BEFORE;\r\n\t//file:///a.as\r\n\tvar A;\r\n\tvar B;\r\n\tvar AFTER;\r\n"),
              std::string::npos);
  }
}

TEST_F(OutputScriptTest, MainModuleWithoutEngineScriptCarriesCoreAndMainCall) {
  // module.def declared a main module and then broke off before the engine
  // module was registered: the main module's file still starts the game.
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  libraryOff();
  MainOneScriptFile.noCore = false;
  MainOneScriptFile.outputPath = "game.max.js";
  MainOneScriptFile.text =
      "var Main=(function(){\r\nfunction Main(){\r\ntrace('started',typeof Ruvo.class,window.Game===Game);\r\n}\r\n"
      "__class(Main,'Main');\r\n\r\nreturn Main;\r\n})()\r\n";
  OneScriptFile* game = module("/p/game/", "js/game.js", false);
  game->text =
      "var Game=(function(){\r\nfunction Game(){\r\n}\r\n__class(Game,'Game');\r\n\r\nreturn Game;\r\n})()\r\n";
  OneScriptFile::Main = game;
  OneScriptFile::EndInitScript();
  OneScriptFile::AddEndScript();
  MainOneScriptFile.endInitScript();
  MainOneScriptFile.text += "\r\n\tnew Main();\r\n";
  saveAll();

  EXPECT_EQ(listFiles(dir.path() + "/out"), std::vector<std::string>{"js/game.js"});
  std::string file = out("js/game.js");
  EXPECT_EQ(file.rfind(runtimeText("core"), 0), 0u);
  EXPECT_EQ(count(file, "var Ruvo=window.Ruvo="), 1u);
  EXPECT_EQ(runInNode(dir.path() + "/out/js/game.js"), "started function true\n");
}

TEST_F(OutputScriptTest, MiniGameShimAndPageStart) {
  _ompilerOptions_.WXApp = "canvas1";
  _ompilerOptions_.enableDic = false;
  TokenClass mainClass(0, "Main", 0, 0, nullptr);
  mainClass.fullName = "game.Main";
  TokenClass::__pMainClass__ = &mainClass;
  MainOneScriptFile.noCore = false;
  MainOneScriptFile.outputPath = "wx.max.js";
  OneScriptFile* ui = module("/p/ui/", "ui.js", false);
  saveAll();
  std::string file = out("wx.max.js");
  EXPECT_EQ(file.rfind(runtimeText("wxshim") + runtimeText("core"), 0), 0u);
  const std::string pageStart =
      "\r\n\r\nif (window.Page){\r\n    Page({onLoad: function() {\r\n                window.MainCanvasID "
      "='canvas1';\r\n                new game.Main();\r\n            }\r\n        });\r\n}\r\nelse new "
      "game.Main();\r\n";
  EXPECT_NE(file.find("\r\n" + pageStart + runtimeText("exportblock")), std::string::npos);
  EXPECT_EQ(out("ui.js").find("window.Page"), std::string::npos) << "only the main script starts the page";
  (void)ui;
}

}  // namespace
