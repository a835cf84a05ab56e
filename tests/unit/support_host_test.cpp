// Host functions of this platform: the Flash Builder settings and the dialog.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "checkEnv.h"
#include "harness.h"

namespace {

// Points HOME at a scratch folder for the duration of one test.
class HomeGuard : public ruvotest::EnvGuard {
 public:
  explicit HomeGuard(const char* home) : EnvGuard("HOME", home) {}
};

const char* kPrefs = "/configuration/.settings/org.eclipse.ui.ide.prefs";

}  // namespace

TEST(Host, CheckToString) {
  EXPECT_EQ(checkToString("a\\nb"), "a\nb");
  EXPECT_EQ(checkToString("\\u4E2D"), "%u4E2D");
  EXPECT_EQ(checkToString("C\\:\\\\x"), "C:\\x");
  EXPECT_EQ(checkToString("end\\"), "end\\");
}

TEST(Host, ReadFbSetupReadsTheRecentWorkspaces) {
  ruvotest::TempDir home;
  std::string base = home / "Documents/Adobe Flash Builder 4.7/cascaded/";
  // Only the first subfolder in sorted order is read.
  ruvotest::writeFile(base + "a" + kPrefs,
                      "eclipse.preferences.version=1\r\nRECENT_WORKSPACES=/Users/me/ws\\n/Users/me/\\u4E2D\\u6587\r\nX=1\r\n");
  ruvotest::writeFile(base + "b" + kPrefs, "x\nRECENT_WORKSPACES=/other\n");
  HomeGuard guard(home.path().c_str());
  std::vector<std::string> ws{"stale"};
  EXPECT_TRUE(ReadFbSetup(12, ws));
  EXPECT_EQ(ws, (std::vector<std::string>{"/Users/me/ws", "/Users/me/\xe4\xb8\xad\xe6\x96\x87"}));

  // A version whose folder is missing gives one empty entry.
  EXPECT_TRUE(ReadFbSetup(11, ws));
  EXPECT_EQ(ws, (std::vector<std::string>{""}));
}

TEST(Host, ReadFbSetupWithoutHome) {
  HomeGuard guard(nullptr);
  std::vector<std::string> ws{"stale"};
  testing::internal::CaptureStdout();
  EXPECT_FALSE(ReadFbSetup(12, ws));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "get home path err!");
  EXPECT_TRUE(ws.empty());
}

TEST(Host, MessageBoxWritesToStderrOnly) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  MessageBox1("it's \"quoted\" `$(rm -rf x)`", "compile err");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "compile err: it's \"quoted\" `$(rm -rf x)`\n");
}
