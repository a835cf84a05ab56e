// Small programs of the kind real game code is made of, and the pieces of
// real code that once broke the output, compiled with the emulation library
// off and run in node: what node prints is what the ActionScript prints.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "harness.h"

namespace {

struct Ran {
  ruvotest::RunResult compile;
  ruvotest::RunResult node;
  std::string js;
};

// Writes the sources (paths under src/) and a FlashDevelop project whose
// main class is src/Main.as, compiles it with ";zafrit=false" and runs the
// script in node.
Ran compileAndRun(const std::map<std::string, std::string>& sources) {
  ruvotest::TempDir work;
  ruvotest::Install inst;
  const std::string proj = work / "proj";
  for (const auto& [rel, text] : sources) ruvotest::writeFile(proj + "/src/" + rel, text);
  ruvotest::writeFile(proj + "/game.as3proj",
                      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<project version=\"2\">\n"
                      "  <classpaths>\n    <class path=\"src\" />\n  </classpaths>\n"
                      "  <compileTargets>\n    <compile path=\"src/Main.as\" />\n  </compileTargets>\n"
                      "</project>\n");
  Ran r;
  r.compile = inst.run({proj + "/game.as3proj;zafrit=false"});
  const std::string script = proj + "/bin/h5/game.max.js";
  if (!ruvotest::fileExists(script)) return r;
  r.js = ruvotest::readFile(script);
  r.node = ruvotest::runScriptInNode(script);
  return r;
}

std::string mainClass(const std::string& body, const std::string& members = "") {
  return "package {\n\tpublic class Main {\n" + members + "\t\tpublic function Main() {\n" + body +
         "\t\t}\n\t}\n}\n";
}

// Pieces of real code whose output did not parse or lost code: each runs
// and prints what it prints in Flash.
TEST(RealCodeFaults, OutputKeepsWhatTheSourceMeans) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  struct Case {
    const char* name;
    std::string source;
    const char* expected;
  } cases[] = {
      // A division by a name the compile cannot resolve (its class was left
      // out): "6/" and "/*no*/this.scale" made a line comment of the rest.
      {"division by an unknown name",
       mainClass("\t\t\tvar a:Number = 6/scale;\n"
                 "\t\t\ttrace(isNaN(150.0/scale), Math.abs(6/scale), \"after\");\n"
                 "\t\t\tvar r:Number = 6/ /x/.lastIndex;\n"
                 "\t\t\ttrace(isNaN(a), r);\n"),
       "true NaN after\ntrue Infinity\n"},
      // A statement without its ';' before a block on the next line: the
      // block's brace was joined to it ("var body{").
      {"statement without ';' before a block",
       mainClass("\t\t\tvar a:int\n"
                 "\t\t\t{\n\t\t\t\ta = 1;\n\t\t\t}\n"
                 "\t\t\tvar b:int = 2\n"
                 "\t\t\t{\n\t\t\t\tb = 3;\n\t\t\t}\n"
                 "\t\t\ta = a + 1\n"
                 "\t\t\t{\n\t\t\t\tb = b + 1;\n\t\t\t}\n"
                 "\t\t\ttrace(a, b)\n"
                 "\t\t\t{\n\t\t\t\ttrace(\"block\");\n\t\t\t}\n"
                 "\t\t\tif (a > 1)\n\t\t\t{\n\t\t\t\ttrace(\"if\");\n\t\t\t}\n"
                 "\t\t\telse\n\t\t\t{\n\t\t\t\ttrace(\"else\");\n\t\t\t}\n"),
       "2 4\nblock\nif\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ran r = compileAndRun({{"Main.as", c.source}});
    ASSERT_EQ(r.compile.exitCode, 0);
    ASSERT_FALSE(r.js.empty()) << r.compile.out;
    EXPECT_EQ(r.node.exitCode, 0) << r.node.err;
    EXPECT_EQ(r.node.out, c.expected) << r.node.err;
  }
}

}  // namespace
