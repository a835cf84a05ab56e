// A project of classes compiled by the real program and run in node: base
// classes with constructors and super calls, accessors that fall back to the
// base, statics, interfaces, a private class and two classes sharing a short
// name.
#include <gtest/gtest.h>

#include <string>

#include "harness.h"

namespace {

TEST(ClassRun, ClassHierarchyRunsInNode) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  ruvotest::TempDir work;
  ruvotest::Install inst;
  const std::string proj = work / "proj";
  ruvotest::copyFixture("class-run", proj);
  ruvotest::RunResult run = inst.run({proj + "/classrun.as3proj;zafrit=false"});
  ASSERT_EQ(run.exitCode, 0);
  const std::string script = proj + "/bin/h5/classrun.max.js";
  if (run.out.find("MSG,5,") == std::string::npos) GTEST_SKIP() << "compile run not available yet";
  ASSERT_TRUE(ruvotest::fileExists(script)) << run.out << run.err;

  const std::string js = ruvotest::readFile(script);
  // The two Item classes get distinct JavaScript names; the private class
  // is defined inside its public class's initialiser.
  EXPECT_NE(js.find("var Item=(function(){"), std::string::npos);
  EXPECT_NE(js.find("var Item$1=(function(){"), std::string::npos);
  EXPECT_NE(js.find("Item.__init$=function(){"), std::string::npos);
  EXPECT_NE(js.find("_super.prototype._$set_label"), std::string::npos);

  ruvotest::RunResult node = ruvotest::runNode(ruvotest::sourceDir() + "/examples/run-in-node.js", {script});
  EXPECT_EQ(node.exitCode, 0) << node.err;
  EXPECT_EQ(node.out,
            "square with 4 sides, area 9\n"
            "Square:square\n"
            "box\n"
            "true\n"
            "true\n"
            "1 1 square\n"
            "[Square 3]\n"
            "shapes.Item with helper\n"
            "other.Item\n");
}

}  // namespace
