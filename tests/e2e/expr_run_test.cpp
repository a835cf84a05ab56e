// A project whose classes use member variables with their defaults, statics
// and constants, super calls and overridden accessors, closures over `this`,
// is/as, vectors, labels, object literals, with, catch, raw script and an
// included text, compiled by the real program and run in node: what the
// script prints is what the ActionScript would print.
#include <gtest/gtest.h>

#include <string>

#include "harness.h"

namespace {

using ruvotest::Install;
using ruvotest::RunResult;
using ruvotest::TempDir;

const char* const kExpected =
    "hp 5 ready false t null items 0 grid 0,0,0\n"
    "counts 10 1 1 10\n"
    "speed 8 handler 11\n"
    "x 10 speed 5\n"
    "kinds hero base string int number array other\n"
    "cast true\n"
    "iface true false\n"
    "statics NaN 2\n"
    "locals 0 false NaN undefined\n"
    "vectors 0,0 0 3\n"
    "labels 4\n"
    "object 1 z true\n"
    "with 1 z\n"
    "caught boom\n"
    "raw object\n"
    "say \"hi\"\\there\n"
    "second line\n"
    "\n";

TEST(ExprRun, ClassesBehaveAsWrittenInNode) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  TempDir work;
  Install inst;
  std::string proj = work / "proj";
  ruvotest::copyFixture("expr-run", proj);
  RunResult run = inst.run({proj + "/expr.as3proj;zafrit=false"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::string script = proj + "/bin/h5/expr.max.js";
  if (!ruvotest::fileExists(script)) GTEST_SKIP() << "the compile run is not available yet";
  // No source errors and no undefined names.
  EXPECT_EQ(run.out.find("MSG,7,"), std::string::npos) << run.out;

  std::string js = ruvotest::readFile(script);
  for (const char* fragment : {"this._$1_count=0;", "Hero.__super.call(this,s);",
                               "_super.prototype.update.call(this,dt", "Ruvo.superGet(Base,this,'x')*2",
                               "Ruvo.superSet(Base,this,'x',v+1);", "return _$this._$1_count+1;",
                               "this.grid=__newvec(3,0);", "(o instanceof game.Hero )",
                               "console.log(\"counts\",h.ownCount(),h.baseCount(),Hero.created,10);"}) {
    SCOPED_TRACE(fragment);
    EXPECT_NE(js.find(fragment), std::string::npos);
  }

  RunResult n = ruvotest::runScriptInNode(script);
  EXPECT_EQ(n.exitCode, 0) << n.err;
  EXPECT_EQ(n.out, kExpected) << n.err;
}

}  // namespace
