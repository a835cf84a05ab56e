// A project under a folder whose name is written in the user's code page (a
// Chinese name): the program keeps the path's bytes as given, so it collects
// the sources and writes its output beside them. In the Windows build this
// runs under code page 936 (tests/support/wine-ctest.sh and the
// e2e_tests_cp936 test set LANG=zh_CN.UTF-8 for Wine).
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <string>

#include "harness.h"

using ruvotest::Install;
using ruvotest::readFile;
using ruvotest::RunResult;
using ruvotest::TempDir;

TEST(AnsiPath, ProjectUnderAChineseFolder) {
#ifdef _WIN32
  if (GetACP() != 936) GTEST_SKIP() << "needs the ANSI code page 936 (Wine with LANG=zh_CN.UTF-8)";
  const std::string name = "\xD6\xD0\xCE\xC4";  // the two characters of "Chinese" in code page 936
#else
  const std::string name = "\xE4\xB8\xAD\xE6\x96\x87";  // the same in UTF-8
#endif
  TempDir work;
  Install inst;
  const std::string proj = work / (name + "/proj");
  ruvotest::copyFixture("compile-two", proj);
  RunResult r = inst.run({proj + "/two.as3proj;zafrit=false"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("Main Class:" + proj + "/src/Main.as"), std::string::npos) << r.out;
  // Both sources were collected and compiled.
  EXPECT_NE(r.out.find("MSG,5,50.00," + proj + "/src/Main.as,0,\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("MSG,5,70.00," + proj + "/src/game/Counter.as,0,\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("MSG,12,70.00," + proj + "/bin/h5/two.max.js,"), std::string::npos) << r.out;
  const std::string js = readFile(proj + "/bin/h5/two.max.js");
  EXPECT_NE(js.find("\tnew Main();"), std::string::npos);
  EXPECT_NE(js.find("Counter"), std::string::npos);
  EXPECT_TRUE(ruvotest::fileExists(proj + "/bin/h5/two.max.html"));
  EXPECT_TRUE(ruvotest::fileExists(proj + "/bin/h5/index.html"));
}
