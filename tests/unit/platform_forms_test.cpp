// The texts and pauses the Windows program has its own way, each checked in
// both forms with the program kind set both ways.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "globals.h"
#include "harness.h"
#include "message.h"
#include "parse.h"
#include "platform.h"
#include "platform_guard.h"
#include "xfilemethod.h"

using ruvotest::PlatformGuard;

namespace {

struct Forms {
  std::string console, windows;
};

template <typename F>
Forms both(F f) {
  Forms out;
  {
    PlatformGuard g(false);
    out.console = f();
  }
  {
    PlatformGuard g(true);
    out.windows = f();
  }
  return out;
}

}  // namespace

TEST(PlatformForms, FixedTexts) {
  Forms start = both([] { return mainStartCall("game.Main"); });
  EXPECT_EQ(start.console, "\r\n\tnew game.Main();\r\n");
  EXPECT_EQ(start.windows, "\r\n\t/**RuvoGameStart**/\r\n\tnew game.Main();\r\n");

  Forms def = both([] { return std::string(moduleDefError()); });
  EXPECT_EQ(def.console, "ModuleDef  err\r");
  EXPECT_EQ(def.windows, "ModuleDef  err\r\n");

  Forms notice = both([] { return postBuildNotice("C:\\a b\\go.bat"); });
  EXPECT_EQ(notice.console, "\r\nPost build command:C:\\a b\\go.bat\r\n");
  EXPECT_EQ(notice.windows, notice.console);
}

// The runtime core: the banner's build date, and accessor properties that
// stay configurable in the Windows program.
TEST(PlatformForms, RuntimeCore) {
  const std::string core = "/*https://ruvojs.dev  2017/3/23*/\n"
                           "a({get:get,set:set,enumerable:false});b({get:get,enumerable:false});"
                           "c({set:set,enumerable:false});";
  Forms f = both([&] { return runtimeCoreText(core); });
  EXPECT_EQ(f.console, core);
  EXPECT_EQ(f.windows,
            "/*https://ruvojs.dev  2017/12/12*/\n"
            "a({get:get,set:set,enumerable:false,configurable:true});b({get:get,enumerable:false,configurable:true});"
            "c({set:set,enumerable:false,configurable:true});");
}

// The Windows program pauses 10 ms on the 1st, 21st, 41st ... message; the
// console program never pauses and does not count.
TEST(PlatformForms, MessagePauses) {
  for (bool windows : {false, true}) {
    PlatformGuard g(windows);
    resetMessageState();
    fpprintf = std::tmpfile();
    testing::internal::CaptureStdout();
    std::vector<size_t> at;
    for (int i = 1; i <= 45; ++i) {
      size_t before = PlatformGuard::sleeps().size();
      MSGTO(i % 2 ? 3 : 1, "", 0, "m%d", i);
      if (PlatformGuard::sleeps().size() != before) at.push_back(static_cast<size_t>(i));
    }
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("MSG,1,0.00,,0,m44\n"), std::string::npos);
    if (windows) {
      EXPECT_EQ(at, (std::vector<size_t>{1, 21, 41}));
      EXPECT_EQ(PlatformGuard::sleeps(), (std::vector<int>{10, 10, 10}));
      EXPECT_EQ(MSGCOUNT, 45);
    } else {
      EXPECT_TRUE(at.empty());
      EXPECT_EQ(MSGCOUNT, 0);
    }
    resetMessageState();
  }
}

// A relative path: the console program prints the working folder it took,
// the Windows program takes it silently.
TEST(PlatformForms, WorkingFolderLine) {
  std::string cwd = std::filesystem::current_path().string();
  for (bool windows : {false, true}) {
    PlatformGuard g(windows);
    testing::internal::CaptureStdout();
    std::string path = xfilemethod::getFile_Path("rel/x.as");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(path, xfilemethod::adjustfilename(cwd + "/rel/x.as"));
    EXPECT_EQ(out, windows ? "" : "cwd:" + cwd + "\n");
  }
}

// "/*[PACKAGE-SAVEDISBALE]*/" keeps a whole file out of the Windows
// program's output; the console program takes it for a comment.
TEST(PlatformForms, PackageSaveDisableDirective) {
  const std::string source =
      "/*[PACKAGE-SAVEDISBALE]*/\npackage a\n{\n\tpublic class Kept\n\t{\n\t\tpublic function f():int { return 1; }\n\t}\n}\n";
  Forms f = both([&] {
    resetCompilerState();
    fpprintf = std::tmpfile();
    Parse* file = new Parse(nullptr, source.c_str(), "/src/a/Kept.as", 0);
    file->toJavaScript();
    std::string js = file->jsText;
    resetCompilerState();
    return js;
  });
  EXPECT_NE(f.console.find("Kept"), std::string::npos) << f.console;
  EXPECT_EQ(f.windows, "");
  // Anywhere but as the whole comment it is no directive.
  PlatformGuard g(true);
  resetCompilerState();
  fpprintf = std::tmpfile();
  std::string other = "/* [PACKAGE-SAVEDISBALE] */\n" + source.substr(source.find('\n') + 1);
  Parse* file = new Parse(nullptr, other.c_str(), "/src/a/Kept.as", 0);
  file->toJavaScript();
  EXPECT_NE(file->jsText.find("Kept"), std::string::npos);
  resetCompilerState();
}
