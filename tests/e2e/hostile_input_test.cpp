// Projects too large or too strange for a naive compiler, generated here and
// compiled by the real program: the run must end with its normal end
// message (no crash, no hang), report what it could not serve, and write a
// script that still runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"

using ruvotest::Install;
using ruvotest::readFile;
using ruvotest::RunResult;
using ruvotest::TempDir;
using ruvotest::writeFile;

namespace {

const char kProject[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<project version=\"2\">\n  <classpaths>\n"
    "    <class path=\"src\" />\n  </classpaths>\n  <compileTargets>\n"
    "    <compile path=\"src/Main.as\" />\n  </compileTargets>\n</project>\n";

// A project folder with the project file, compiled in a fresh install.
struct Project {
  TempDir work;
  Install inst;
  std::string dir = work / "proj";
  RunResult run;

  Project() { writeFile(dir + "/p.as3proj", kProject); }
  void source(const std::string& rel, const std::string& text) { writeFile(dir + "/src/" + rel, text); }
  void compile(const std::string& options = ";zafrit=false") { run = inst.run({dir + "/p.as3proj" + options}); }
  std::string script() const { return readFile(dir + "/bin/h5/p.max.js"); }
  RunResult node() const {
    return ruvotest::runNode(ruvotest::sourceDir() + "/examples/run-in-node.js", {dir + "/bin/h5/p.max.js"});
  }
  bool ended() const { return run.exitCode == 0 && run.out.find("MSG,14,") != std::string::npos; }
};

std::vector<std::string> linesWith(const std::string& text, const std::string& what) {
  std::vector<std::string> lines;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) {
    size_t end = text.find('\n', p);
    lines.push_back(text.substr(p, end == std::string::npos ? std::string::npos : end - p));
  }
  return lines;
}

// Classes c.C0 ... c.C<n-1>, each extending the one before; Main extends
// the last. C0 keeps a private v that the last class shadows with a public
// v, so the private one must be renamed across the whole chain.
void writeChain(Project& p, int n) {
  for (int i = 0; i < n; ++i) {
    std::string name = "C" + std::to_string(i);
    std::string body;
    if (i == 0) body = "\t\tprivate var v:int = 1;\n\t\tpublic function depth():int { return v; }\n";
    if (i == n - 1) body = "\t\tpublic var v:int = 5;\n";
    p.source("c/" + name + ".as", "package c\n{\n\tpublic class " + name +
                                      (i ? " extends C" + std::to_string(i - 1) : "") + "\n\t{\n" + body +
                                      "\t}\n}\n");
  }
  const std::string last = "c.C" + std::to_string(n - 1);
  p.source("Main.as", "package\n{\n\timport " + last + ";\n\tpublic class Main extends " + last +
                          "\n\t{\n\t\tpublic function Main()\n\t\t{\n\t\t\tsuper();\n\t\t\ttrace(depth() + v);\n"
                          "\t\t}\n\t}\n}\n");
}

}  // namespace

// Each extends clause has its base's file parsed first. With 12,000 levels
// the compile used to overflow the stack; base members more than 256 levels
// up were not found.
TEST(HostileInput, LongExtendsChainCompiles) {
  Project p;
  writeChain(p, 12000);
  p.compile();
  ASSERT_TRUE(p.ended()) << p.run.err;
  EXPECT_TRUE(linesWith(p.run.out, "MSG,7,").empty()) << linesWith(p.run.out, "MSG,7,")[0];
  std::string js = p.script();
  EXPECT_NE(js.find("this._$0_v=1"), std::string::npos);
  EXPECT_NE(js.find("this.depth()"), std::string::npos);
  EXPECT_EQ(js.find("/*no*/"), std::string::npos);
}

TEST(HostileInput, ExtendsChainRunsInNode) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node not found";
  Project p;
  writeChain(p, 1000);
  p.compile();
  ASSERT_TRUE(p.ended()) << p.run.err;
  RunResult n = p.node();
  EXPECT_EQ(n.out, "6\n") << n.err;
}

// Every local declaration used to move the rest of its function's token list
// down once: 100,000 of them took longer than ten minutes.
TEST(HostileInput, ManyLocalDeclarationsAndClosures) {
  std::string body;
  for (int i = 0; i < 100000; ++i) body += "\t\t\tvar v" + std::to_string(i) + ":int = " + std::to_string(i % 7) + ";\n";
  for (int i = 0; i < 20000; ++i)
    body += "\t\t\tvar f" + std::to_string(i) + ":Function = function(x:int):int { return x + v" + std::to_string(i) +
            "; };\n";
  Project p;
  p.source("Main.as", "package\n{\n\tpublic class Main\n\t{\n\t\tpublic function Main()\n\t\t{\n" + body +
                          "\t\t\ttrace(v99999 + f19999(1));\n\t\t}\n\t}\n}\n");
  p.compile();
  ASSERT_TRUE(p.ended()) << p.run.err;
  EXPECT_TRUE(linesWith(p.run.out, "MSG,7,").empty()) << linesWith(p.run.out, "MSG,7,")[0];
  std::string js = p.script();
  EXPECT_NE(js.find("var v99999=4;"), std::string::npos);
  if (!ruvotest::haveNode()) return;
  RunResult n = p.node();
  EXPECT_EQ(n.out, "5\n") << n.err;  // 4 + (1 + 0)
}
