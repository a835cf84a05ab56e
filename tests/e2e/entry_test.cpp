// The command line as the IDE uses it: start banner, "type=" commands and the
// converter switches, run against a copy of the real program.
#include <gtest/gtest.h>

#include <filesystem>

#include "harness.h"

using ruvotest::Install;

namespace {
const std::string kBanner = "0.00% Ruvo:Ruvo MIROX Compiler[Ver 2017090801] start...\r\n";
}

TEST(Entry, NoArgumentPrintsOnlyTheBannerAndKeepsTheLog) {
  Install inst;
  ruvotest::writeFile(inst.root() + "/debug.txt", "earlier run\r\n");
  auto r = inst.run({});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, kBanner);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(inst.debugTxt(), "earlier run\r\n");
}

TEST(Entry, UnknownTypeCommandIsLoggedAndEndsTheRun) {
  Install inst;
  ruvotest::writeFile(inst.root() + "/debug.txt", "earlier run\r\n");
  auto r = inst.run({"type=x%d"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, kBanner + "1,0.00,,0,command type=x%d\r\nMSG,1,0.00,,0,command type=x%d\n");
  EXPECT_EQ(inst.debugTxt(), "1,0.00,,0,command type=x%d\r\n");

  // "type=" counts only at the very start; shorter texts are project commands.
  auto build = inst.run({"type=build"});
  EXPECT_EQ(build.out, kBanner + "1,0.00,,0,command type=build\r\nMSG,1,0.00,,0,command type=build\n");
}

TEST(Entry, ConverterListSkipsEmptyPieces) {
  Install inst;
  ruvotest::TempDir work;
  std::filesystem::create_directories(work / "a");
  std::filesystem::create_directories(work / "b");
  auto r = inst.run({work / "a" + ";;" + work / "b" + ";", "/c"});
  EXPECT_EQ(r.exitCode, 0);
  std::string a = "command " + work / "a";
  std::string b = "command " + work / "b";
  size_t pa = r.out.find("MSG,1,0.00,," + std::string("0,") + a + "\n");
  size_t pb = r.out.find("MSG,1,0.00,,0," + b + "\n");
  ASSERT_NE(pa, std::string::npos) << r.out;
  ASSERT_NE(pb, std::string::npos) << r.out;
  EXPECT_LT(pa, pb);
  // Only the two named folders were handed to the converter.
  EXPECT_EQ(r.out.find("MSG,1,0.00,,0,command \n"), std::string::npos);
  EXPECT_NE(r.err.find("skipped"), std::string::npos);
}

TEST(Entry, ExistingFolderAsSecondArgumentIsTheLibraryFolder) {
  Install inst;
  ruvotest::TempDir work;
  // Absolute folders begin with '/': one named like a switch is still a folder.
  std::string lib = work / "c-lib";
  std::filesystem::create_directories(lib);
  auto r = inst.run({work / "none.as3proj", lib});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out.find("MSG,1,0.00,,0,command "), std::string::npos) << r.out;
  EXPECT_EQ(r.err.find("convert"), std::string::npos) << r.err;
}
