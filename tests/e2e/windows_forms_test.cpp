// Whole compiles with the Windows program's forms of the shared code: the
// same fixture projects through the console program and through
// ruvojs_windows_forms, which takes the Windows texts and reports its pauses,
// browser start, post-build start and message boxes on stderr.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"

using ruvotest::Install;
using ruvotest::readFile;
using ruvotest::replaceAll;
using ruvotest::RunResult;
using ruvotest::TempDir;

namespace {

struct Both {
  TempDir work;
  Install console;
  Install windows{RUVOJS_WINDOWS_FORMS_BIN};
  RunResult c, w;
  std::string cp, wp;  // the two project folders

  Both(const std::string& fixture, const std::string& projectFile, const std::string& options) {
    cp = work / "c";
    wp = work / "w";
    ruvotest::copyFixture(fixture, cp);
    ruvotest::copyFixture(fixture, wp);
    c = console.run({cp + "/" + projectFile + options});
    w = windows.run({wp + "/" + projectFile + options});
  }
  std::string cjs(const std::string& rel) const { return replaceAll(readFile(cp + "/bin/h5/" + rel), cp, "<P>"); }
  std::string wjs(const std::string& rel) const { return replaceAll(readFile(wp + "/bin/h5/" + rel), wp, "<P>"); }
  std::string wout() const { return replaceAll(replaceAll(w.out, wp, "<P>"), windows.root(), "<I>"); }
  std::string cout_() const { return replaceAll(replaceAll(c.out, cp, "<P>"), console.root(), "<I>"); }
};

size_t count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

// Removes the console program's "\t//file:///...\r\n" lines.
std::string withoutFileLines(std::string js) {
  for (size_t at = js.find("\t//file:///"); at != std::string::npos; at = js.find("\t//file:///", at)) {
    size_t end = js.find("\r\n", at);
    js.erase(at, end == std::string::npos ? std::string::npos : end + 2 - at);
  }
  return js;
}

std::vector<std::string> stderrLines(const std::string& err, const std::string& prefix) {
  std::vector<std::string> out;
  size_t from = 0;
  while (from < err.size()) {
    size_t end = err.find('\n', from);
    if (end == std::string::npos) end = err.size();
    std::string line = err.substr(from, end - from);
    if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
    from = end + 1;
  }
  return out;
}

// A FlashDevelop project in `dir` with the main class and `extra` files.
void writeProject(const std::string& dir, const std::vector<std::pair<std::string, std::string>>& extra) {
  ruvotest::writeFile(dir + "/p.as3proj",
                      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<project version=\"2\">\n  <classpaths>\n"
                      "    <class path=\"src\" />\n  </classpaths>\n  <compileTargets>\n"
                      "    <compile path=\"src/Main.as\" />\n  </compileTargets>\n</project>\n");
  ruvotest::writeFile(dir + "/src/Main.as",
                      "package\n{\n\tpublic class Main\n\t{\n\t\tpublic function Main()\n\t\t{\n\t\t\ttrace(\"hi\");\n"
                      "\t\t}\n\t}\n}\n");
  for (const auto& [rel, text] : extra) ruvotest::writeFile(dir + "/src/" + rel, text);
}

}  // namespace

// The joined script differs exactly by the texts the Windows program writes
// its own way; the rest is byte for byte the console program's.
TEST(WindowsForms, ScriptDiffersOnlyByTheWindowsTexts) {
  Both b("compile-hello", "hello.as3proj", ";zafrit=false;chromerun=false");
  ASSERT_EQ(b.w.exitCode, 0);
  std::string c = b.cjs("hello.max.js"), w = b.wjs("hello.max.js");
  ASSERT_FALSE(w.empty()) << b.w.out << b.w.err;

  EXPECT_NE(c.find("\t//file:///<P>/src/Main.as======="), std::string::npos);
  EXPECT_EQ(w.find("//file:///"), std::string::npos);
  EXPECT_EQ(c.rfind("/*https://ruvojs.dev  2017/3/23*/", 200) != std::string::npos, true);
  EXPECT_NE(w.find("/*https://ruvojs.dev  2017/12/12*/"), std::string::npos);
  EXPECT_NE(c.find("\r\n\tnew Main();\r\n"), std::string::npos);
  EXPECT_NE(w.find("\r\n\t/**RuvoGameStart**/\r\n\tnew Main();\r\n"), std::string::npos);
  EXPECT_EQ(count(w, "enumerable:false,configurable:true});"), count(c, "enumerable:false,configurable:true});") + 3);

  std::string expected = withoutFileLines(c);
  expected = replaceAll(expected, "  2017/3/23*/", "  2017/12/12*/");
  expected = replaceAll(expected, "\r\n\tnew Main();", "\r\n\t/**RuvoGameStart**/\r\n\tnew Main();");
  for (const char* d : {"{get:get,set:set,enumerable:false}", "{get:get,enumerable:false}", "{set:set,enumerable:false}"}) {
    std::string open = std::string(d).substr(0, std::string(d).size() - 1);
    expected = replaceAll(expected, d, open + ",configurable:true}");
  }
  EXPECT_EQ(w, expected);

  // Both scripts run alike.
  if (ruvotest::haveNode()) {
    RunResult n = ruvotest::runScriptInNode(b.wp + "/bin/h5/hello.max.js");
    EXPECT_EQ(n.exitCode, 0) << n.err;
    EXPECT_EQ(n.out, "hi\n");
  }
}

// A pause of 10 ms on the 1st, 21st, 41st ... message and one of 20 ms after
// the last; standard output carries the same lines as the console program's.
TEST(WindowsForms, PausesOnEveryTwentiethMessageAndAtTheEnd) {
  TempDir work;
  std::vector<std::pair<std::string, std::string>> files;
  for (int i = 0; i < 14; ++i) {
    std::string name = "C" + std::to_string(i);
    files.push_back({"a/" + name + ".as", "package a\n{\n\tpublic class " + name + "\n\t{\n\t}\n}\n"});
  }
  writeProject(work / "w", files);
  RunResult w = Install(RUVOJS_WINDOWS_FORMS_BIN).run({work / "w/p.as3proj;zafrit=false;chromerun=false"});
  size_t messages = count(w.out, "MSG,");
  ASSERT_GT(messages, 40u) << w.out;
  std::vector<std::string> sleeps = stderrLines(w.err, "sleep ");
  ASSERT_EQ(sleeps.size(), (messages + 19) / 20 + 1) << w.err;
  for (size_t i = 0; i + 1 < sleeps.size(); ++i) EXPECT_EQ(sleeps[i], "sleep 10");
  EXPECT_EQ(sleeps.back(), "sleep 20");
}

// Standard output carries the same lines in both programs.
TEST(WindowsForms, SameStandardOutput) {
  Both b("compile-two", "two.as3proj", ";zafrit=false;chromerun=false");
  EXPECT_EQ(b.c.err.find("sleep"), std::string::npos);
  // The scripts' sizes differ by the Windows texts.
  auto withoutSizes = [](std::string out) {
    for (const char* key : {"two.max.js,"}) {
      for (size_t at = out.find(key); at != std::string::npos; at = out.find(key, at + 1)) {
        size_t end = out.find(',', at + std::string(key).size());
        out.replace(at, end - at, "two.max.js,<SIZE>");
      }
    }
    return out;
  };
  EXPECT_EQ(withoutSizes(b.wout()), withoutSizes(b.cout_()));
}

// A good compile opens the start page, unless ";chromerun=false"; a compile
// with source errors shows the error box and opens nothing. The post-build
// command is started as one whole command, blanks and all.
TEST(WindowsForms, StartPagePostBuildAndErrorBox) {
  {
    Both b("compile-hello", "hello.as3proj", ";zafrit=false;PostBuildCommand=C:\\my tools\\post \"x\".bat");
    EXPECT_EQ(stderrLines(b.w.err, "open "), std::vector<std::string>{"open " + b.wp + "/bin/h5/index.html"});
    EXPECT_EQ(stderrLines(b.w.err, "start "),
              std::vector<std::string>{"start C:\\my tools\\post \"x\".bat"});
    const std::string notice = "\r\nPost build command:C:\\my tools\\post \"x\".bat\r\n";
    // Printed by the option reader in both programs, and after the start.
    EXPECT_EQ(count(b.w.out, notice), 2u) << b.w.out;
    EXPECT_EQ(count(b.c.out, notice), 1u);
    EXPECT_LT(b.w.out.rfind(notice), b.w.out.find("MSG,14,"));
    EXPECT_EQ(b.c.err.find("start "), std::string::npos);
  }
  {
    Both b("compile-hello", "hello.as3proj", ";zafrit=false;chromerun=false");
    EXPECT_TRUE(stderrLines(b.w.err, "open ").empty());
    EXPECT_TRUE(stderrLines(b.w.err, "start ").empty());
  }
  {
    // A class named like a package is a source error.
    TempDir work;
    writeProject(work / "w", {{"Main.as", "package\n{\n\timport game.Thing;\n\tpublic class Main\n\t{\n\t\tpublic function Main()\n\t\t{\n"
                                          "\t\t\tnew game();\n\t\t\tnew Thing();\n\t\t}\n\t}\n}\n"},
                              {"game.as", "package\n{\n\tpublic class game\n\t{\n\t}\n}\n"},
                              {"game/Thing.as", "package game\n{\n\tpublic class Thing\n\t{\n\t}\n}\n"}});
    RunResult w = Install(RUVOJS_WINDOWS_FORMS_BIN).run({work / "w/p.as3proj;zafrit=false"});
    std::vector<std::string> boxes = stderrLines(w.err, "box ");
    ASSERT_EQ(boxes.size(), 1u) << w.err << w.out;
    EXPECT_EQ(boxes[0], "box Ruvo Compiler err!|Ruvo Compiler As3 to JavaScript err,count:1\r");
    EXPECT_NE(w.err.find("\nThe name of the class[game] and package name conflicts file:"), std::string::npos) << w.err;
    EXPECT_TRUE(stderrLines(w.err, "open ").empty());
    EXPECT_EQ(w.exitCode, 0);
  }
}

// A malformed module.def prints each program's own line.
TEST(WindowsForms, ItsOwnModuleDefLine) {
  TempDir work;
  Install console;
  Install windows{RUVOJS_WINDOWS_FORMS_BIN};
  ruvotest::copyFixture("options-fd", work / "c");
  ruvotest::copyFixture("options-fd", work / "w");
  RunResult c, w;
  const std::string def = "mainmodule \"game\" path \"src\"\nmodule \"ui\" path \"lib/ui\n";
  ruvotest::writeFile(work / "c/proj/module.def", def);
  ruvotest::writeFile(work / "w/proj/module.def", def);
  c = console.run({work / "c/proj/game.as3proj;chromerun=false"});
  w = windows.run({work / "w/proj/game.as3proj;chromerun=false"});
  EXPECT_NE(c.out.find("\nModuleDef  err\r\n"), std::string::npos) << c.out;
  EXPECT_EQ(c.out.find("ModuleDef  err\r\n\n"), std::string::npos);
  EXPECT_NE(w.out.find("\nModuleDef  err\r\n\n"), std::string::npos) << w.out;
  EXPECT_NE(w.out.find("Main Class:" + work / "w/proj/src/Main.as"), std::string::npos) << w.out;
}

// With TypeScript output on, the class output that sets the start call is
// the TypeScript one; it writes the Windows marker as well.
TEST(WindowsForms, TypeScriptCompileStartCall) {
  Both b("typescript-game", "game.as3proj", ";ts=true;zafrit=false;chromerun=false");
  std::string c = b.cjs("game.max.js"), w = b.wjs("game.max.js");
  ASSERT_FALSE(w.empty()) << b.w.out;
  EXPECT_NE(c.find("\r\n\tnew Main();\r\n"), std::string::npos);
  EXPECT_EQ(c.find("RuvoGameStart"), std::string::npos);
  EXPECT_NE(w.find("\r\n\t/**RuvoGameStart**/\r\n\tnew Main();\r\n"), std::string::npos);
  const std::string ts = readFile(b.cp + "/bin/ts/src/Main.ts");
  EXPECT_FALSE(ts.empty());
  EXPECT_EQ(readFile(b.wp + "/bin/ts/src/Main.ts"), ts);
}

// ";windowshow=false" keeps the Windows program's window hidden: an option of
// that program, which its option reader takes in silence; the console
// program, which has no window, names it as one it ignores.
TEST(WindowsForms, WindowShowIsAnOptionOfTheWindowsProgram) {
  Both b("compile-hello", "hello.as3proj", ";zafrit=false;windowshow=false;chromerun=false");
  EXPECT_EQ(b.w.err.find("windowshow"), std::string::npos) << b.w.err;
  EXPECT_NE(b.c.err.find("ruvojs: \";windowshow=false\" is not one of the options; it is ignored\n"), std::string::npos)
      << b.c.err;
  EXPECT_FALSE(b.wjs("hello.max.js").empty());
}
