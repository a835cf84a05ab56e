// Messages, the log, progress and warnings.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "globals.h"
#include "message.h"
#include "parse.h"
#include "scriptfile.h"

namespace {

// Sends the log to a scratch file so the tests never touch debug.txt.
class MessagesTest : public testing::Test {
 protected:
  void SetUp() override {
    resetCompilerState();
    fpprintf = tmpfile();
  }
  void TearDown() override { resetCompilerState(); }

  std::string log() {
    fflush(fpprintf);
    std::string out;
    rewind(fpprintf);
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, fpprintf)) > 0) out.append(buf, n);
    return out;
  }
};

// The row name of a message type, or "#type" for one outside the table.
std::string messageTypeName(int type) {
  const char* name = nameOfCode(kMessageTypeTable, kMessageTypeTableSize, type);
  return name ? name : "#" + std::to_string(type);
}

}  // namespace

TEST_F(MessagesTest, TypesThreeFourFiveAreNotLogged) {
  struct Row {
    int type;
    bool logged;
  } rows[] = {{MessageType::MainScriptFolder, true},
              {MessageType::Info, true},
              {MessageType::UnmatchedClose, true},
              {MessageType::PreCompiling, false},
              {MessageType::CompileStart, false},
              {MessageType::Converted, false},
              {MessageType::Problem, true},
              {MessageType::PageWritten, true},
              {MessageType::ScriptSaved, true},
              {MessageType::RunEnd, true},
              {-1, true}};
  for (const Row& r : rows) {
    SCOPED_TRACE(messageTypeName(r.type));
    rewind(fpprintf);
    fclose(fpprintf);
    fpprintf = tmpfile();
    _msg_p = 12.5f;
    testing::internal::CaptureStdout();
    MSGTO(r.type, "f.as", 3, "text %s", "x");
    std::string out = testing::internal::GetCapturedStdout();
    std::string msg = "MSG," + std::to_string(r.type) + ",12.50,f.as,3,text x\n";
    std::string logLine = std::to_string(r.type) + ",12.50,f.as,3,text x\r\n";
    EXPECT_EQ(out, r.logged ? logLine + msg : msg);
    EXPECT_EQ(log(), r.logged ? logLine : "");
  }
}

TEST_F(MessagesTest, EmptyFileAndPercentInText) {
  testing::internal::CaptureStdout();
  MSGTO(1, "", 0, "%s", "100%d done");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "1,0.00,,0,100%d done\r\nMSG,1,0.00,,0,100%d done\n");
  EXPECT_EQ(log(), "1,0.00,,0,100%d done\r\n");
}

TEST_F(MessagesTest, ProgressThrottle) {
  // Each row: a sequence of calls and the percentages that pass.
  struct Row {
    std::vector<float> calls;
    std::vector<float> passed;
  } rows[] = {
      {{10, 12, 13, 14}, {10, 14}},
      {{50, 0.5f, 3, 4.5f}, {50, 0.5f, 4.5f}},
      {{0, 0, 1, 1}, {0, 0, 1, 1}},
      {{20, 10, 23.9f, 24}, {20, 24}},
  };
  static std::vector<float> seen;
  showProgressWork = [](float p, const char*) { seen.push_back(p); };
  for (const Row& r : rows) {
    _pre__progressWork__ = -1.0f;
    seen.clear();
    for (float p : r.calls) __progressWork__(p, "x %d", 1);
    EXPECT_EQ(seen, r.passed);
  }
}

TEST_F(MessagesTest, DefaultProgressLine) {
  testing::internal::CaptureStdout();
  __progressWork__(0, "Collect files:%s", "/a");
  __progressWork__(52.345f, "compiled file:///%s", "b.as");
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "0.00% Ruvo:Collect files:/a\r\n52.35% Ruvo:compiled file:///b.as\r\n");
}

TEST_F(MessagesTest, ItoaSharesOneBuffer) {
  const char* a = __itoa__(1);
  const char* b = __itoa__(2);
  EXPECT_EQ(a, b);
  EXPECT_STREQ(a, "2");
  EXPECT_STREQ(__ftoa__(1.5), "1.500000");
}

TEST_F(MessagesTest, WarningIsSentAndCollected) {
  Parse file(nullptr, "", "/p/A.as", 0);
  ScriptFile record("/p/A.as", "");
  file.scriptFile = &record;
  Token token(0, "x", 0, 7, &file);
  token.file = &file;
  testing::internal::CaptureStdout();
  Warning(&token, "x This variable is not defined.");
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out,
            "7,0.00,/p/A.as,7,x This variable is not defined.\r\n"
            "MSG,7,0.00,/p/A.as,7,x This variable is not defined.\n");
  ASSERT_EQ(record.warnings.size(), 1u);
  EXPECT_EQ(record.warnings[0], "file:///" + std::string("/p/A.as") + " (7):warning:x This variable is not defined.");

  // Without a record the warning is only sent; a long text is cut at 1,024 bytes.
  file.scriptFile = nullptr;
  testing::internal::CaptureStdout();
  Warning(&token, std::string(3000, 'w'));
  testing::internal::GetCapturedStdout();
  file.scriptFile = &record;
  testing::internal::CaptureStdout();
  Warning(&token, std::string(3000, 'w'));
  testing::internal::GetCapturedStdout();
  ASSERT_EQ(record.warnings.size(), 2u);
  EXPECT_EQ(record.warnings[1].size(), 1023u);
}

TEST_F(MessagesTest, DebugMarkersFollowTheSwitch) {
  EXPECT_EQ(_DEBUF_(" /*SUPER*/"), "");
  __SHOWDEBUG__ = true;
  EXPECT_EQ(_DEBUF_(" /*SUPER*/"), " /*SUPER*/");
}

TEST_F(MessagesTest, AlertUsesTheHook) {
  alert("nothing %d", 1);  // no hook: nothing happens
  static std::string got;
  MsgBox = [](const char* text, const char* caption) {
    got = std::string(caption) + "|" + text;
    return 0;
  };
  alert("n=%d", 3);
  EXPECT_EQ(got, "msg|n=3");
}
