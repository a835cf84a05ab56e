// Small games' class shapes compiled by the real program and run in node:
// each case is a project of a few ActionScript files whose traces must come
// out as the Flash original prints them.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "harness.h"

namespace {

using Files = std::vector<std::pair<std::string, std::string>>;

const char kProject[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<project version=\"2\">\n"
    "  <classpaths>\n"
    "    <class path=\"src\" />\n"
    "  </classpaths>\n"
    "  <compileTargets>\n"
    "    <compile path=\"src/Main.as\" />\n"
    "  </compileTargets>\n"
    "</project>\n";

struct Compiled {
  ruvotest::RunResult run;
  std::string js;
  ruvotest::RunResult node;
};

// Writes the sources under src/ of a fresh project, compiles it without the
// emulation library and runs the script in node.
Compiled compileAndRun(const Files& files) {
  Compiled c;
  ruvotest::TempDir work;
  ruvotest::Install inst;
  const std::string proj = work / "proj";
  ruvotest::writeFile(proj + "/game.as3proj", kProject);
  for (const auto& [path, text] : files) ruvotest::writeFile(proj + "/src/" + path, text);
  c.run = inst.run({proj + "/game.as3proj;zafrit=false"});
  const std::string script = proj + "/bin/h5/game.max.js";
  if (!ruvotest::fileExists(script)) return c;
  c.js = ruvotest::readFile(script);
  c.node = ruvotest::runNode(ruvotest::sourceDir() + "/examples/run-in-node.js", {script});
  return c;
}

struct RunCase {
  const char* name;
  Files files;
  const char* expected;
};

void runCases(const std::vector<RunCase>& cases) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  for (const RunCase& rc : cases) {
    SCOPED_TRACE(rc.name);
    Compiled c = compileAndRun(rc.files);
    ASSERT_FALSE(c.js.empty()) << c.run.out << c.run.err;
    EXPECT_EQ(c.node.exitCode, 0) << c.node.err;
    EXPECT_EQ(c.node.out, rc.expected);
  }
}

// Interfaces are not pre-scanned: a wildcard import, an implements clause or
// an interface's extends clause met before the interface's own file was parsed
// still name it by its full name, so `is` sees it through subclasses and
// through interfaces extending interfaces.
TEST(ProbeClasses, InterfacesFromWildcardImportsParsedLater) {
  runCases({
      {"wildcard import in Main, implements in another package, extends in the same package",
       {{"Main.as",
         "package\n{\n\timport game.Hero;\n\timport zz.*;\n\n\tpublic class Main implements ITickable\n\t{\n"
         "\t\tpublic function Main()\n\t\t{\n"
         "\t\t\tvar h:Hero = new Hero();\n"
         "\t\t\tvar n:Object = null;\n"
         "\t\t\ttrace(h is ITickable, h is IMover, this is ITickable, this is IMover, n is ITickable);\n"
         "\t\t\tvar list:Array = [h, this, new Object()];\n"
         "\t\t\tfor (var i:int = 0; i < list.length; i++)\n\t\t\t{\n"
         "\t\t\t\tif (list[i] is IMover) IMover(list[i]).move();\n"
         "\t\t\t\tif (list[i] is ITickable) ITickable(list[i]).tick();\n\t\t\t}\n"
         "\t\t}\n"
         "\t\tpublic function tick():void { trace(\"main tick\"); }\n\t}\n}\n"},
        {"game/Hero.as",
         "package game\n{\n\timport zz.*;\n\n\tpublic class Hero implements IMover\n\t{\n"
         "\t\tpublic function tick():void { trace(\"hero tick\"); }\n"
         "\t\tpublic function move():void { trace(\"hero move\"); }\n\t}\n}\n"},
        {"zz/ITickable.as", "package zz\n{\n\tpublic interface ITickable\n\t{\n\t\tfunction tick():void;\n\t}\n}\n"},
        {"zz/IMover.as",
         "package zz\n{\n\tpublic interface IMover extends ITickable\n\t{\n\t\tfunction move():void;\n\t}\n}\n"}},
       "true true true false false\n"
       "hero move\n"
       "hero tick\n"
       "main tick\n"},
  });
}

}  // namespace
