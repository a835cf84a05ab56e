// The ways a compile stops before its output, run by the real program: each
// ends with exit code 0 and writes no script; the end of the run decides
// what comes last.
#include <gtest/gtest.h>

#include <string>

#include "harness.h"

using namespace ruvotest;

namespace {

// A FlashDevelop project of the given sources under src/, main class
// src/Main.as.
std::string writeProject(const TempDir& work, const std::string& main, const std::string& other,
                         const std::string& otherText) {
  const std::string proj = work / "proj";
  writeFile(proj + "/p.as3proj",
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<project version=\"2\">\n"
            "  <classpaths>\n    <class path=\"src\" />\n  </classpaths>\n"
            "  <compileTargets>\n    <compile path=\"src/Main.as\" />\n  </compileTargets>\n"
            "</project>\n");
  writeFile(proj + "/src/Main.as", main);
  if (!other.empty()) writeFile(proj + "/src/" + other, otherText);
  return proj;
}

// A base class whose file declares it only for Flash: the box names the
// class and the file that extends it, and the run ends right there, without
// the end-of-run message.
TEST(CompileStop, UndeclaredBaseClassEndsTheRunAtOnce) {
  TempDir work;
  Install inst;
  const std::string proj =
      writeProject(work, "package\n{\n\tpublic class Main extends Base\n\t{\n\t}\n}\n", "Base.as",
                   "package\n{\n\t/*[IF-FLASH]*/public class Base\n\t{\n\t}\n}\n");
  RunResult r = inst.run({proj + "/p.as3proj;zafrit=false;msgbox=true"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.err.find("Compile err: Error!\r\nNo this class:Base,\r\nfile:" + proj + "/src/Main.as\r\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(r.out.find("MSG,14,"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("MSG,5,"), std::string::npos) << r.out;  // no file converted after the stop
  EXPECT_FALSE(fileExists(proj + "/bin/h5/p.max.js"));
  EXPECT_FALSE(fileExists(proj + "/bin/h5/p.max.html"));
}

// An empty main class file: its message, then the end-of-run message (its
// log line and its protocol line) as the last lines.
TEST(CompileStop, EmptyDocumentClassEndsWithTheEndMessage) {
  TempDir work;
  Install inst;
  const std::string proj = writeProject(work, "", "", "");
  RunResult r = inst.run({proj + "/p.as3proj;zafrit=false"});
  EXPECT_EQ(r.exitCode, 0);
  const std::string tail = "MSG,7,0.00,,0,No Document Class\n14,0.00,,0,\r\nMSG,14,0.00,,0,\n";
  ASSERT_GE(r.out.size(), tail.size()) << r.out;
  EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail) << r.out;
  EXPECT_FALSE(fileExists(proj + "/bin/h5/p.max.js"));
}

}  // namespace
