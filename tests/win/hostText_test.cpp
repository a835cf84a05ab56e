// The texts and decisions of the Windows front end that need no Windows:
// checked here on every build, and through RuvoJS.exe by the Wine suites.
#include "hostText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace wintext;

TEST(WindowsHostText, FirstPathOfCommandLine) {
  struct Row {
    const char* command;
    const char* path;
  } rows[] = {
      {"", ""},
      {"\"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe\" -- \"%1\"",
       "C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe"},
      {"C:\\Chrome\\chrome.exe", "C:\\Chrome\\chrome.exe"},
      {"C:\\Chrome\\chrome.exe --single-argument %1", "C:\\Chrome\\chrome.exe"},
      {"\"C:\\odd\\\"quote\\chrome.exe\" x", "C:\\odd\\\"quote\\chrome.exe"},
      {"\"C:\\never closed", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    EXPECT_EQ(firstPathOfCommandLine(row.command), row.path);
  }
}

TEST(WindowsHostText, ChromeGetsThePageAsOneArgument) {
  EXPECT_EQ(chromeParameters("C:\\game\\bin\\h5\\index.html"),
            "--allow-file-access-from-files --disable-web-security \"C:\\game\\bin\\h5\\index.html\"");
  EXPECT_EQ(chromeParameters("C:\\my game\\index.html"),
            "--allow-file-access-from-files --disable-web-security \"C:\\my game\\index.html\"");
  // Quotes and backslashes before them survive the program's own split.
  EXPECT_EQ(quoteArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
  EXPECT_EQ(quoteArgument("a\\\"b"), "\"a\\\\\\\"b\"");
  EXPECT_EQ(quoteArgument("C:\\dir\\"), "\"C:\\dir\\\\\"");
  EXPECT_EQ(quoteArgument(""), "\"\"");
}

TEST(WindowsHostText, PostBuildCommandSplit) {
  auto exists = [](const std::string& path) { return path == "C:\\my tools\\deploy.bat"; };
  struct Row {
    const char* command;
    const char* program;
    const char* parameters;
  } rows[] = {
      {"C:\\tools\\deploy.bat", "C:\\tools\\deploy.bat", ""},
      {"C:\\my tools\\deploy.bat", "C:\\my tools\\deploy.bat", ""},
      {"\"C:\\my tools\\deploy.bat\" --to \"two words\"", "C:\\my tools\\deploy.bat", "--to \"two words\""},
      {"C:\\tools\\deploy.bat --fast", "C:\\tools\\deploy.bat", "--fast"},
      {"  \"C:\\unclosed", "C:\\unclosed", ""},
      {"   ", "", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    ProgramCall call = splitPostBuildCommand(row.command, +exists);
    EXPECT_EQ(call.program, row.program);
    EXPECT_EQ(call.parameters, row.parameters);
  }
  EXPECT_EQ(folderOf("C:\\my tools\\deploy.bat"), "C:\\my tools");
  EXPECT_EQ(folderOf("deploy.bat"), "");
}

TEST(WindowsHostText, LaunchConfigurationBytes) {
  std::string expected =
      "<?xml version='1.0' encoding='UTF-8' standalone='no'?>\r\n"
      "\t\t<launchConfiguration type='org.eclipse.ui.externaltools.ProgramLaunchConfigurationType'>\r\n"
      "\t\t<stringAttribute key='org.eclipse.ui.externaltools.ATTR_LOCATION' value='C:\\RuvoJS\\RuvoJS.exe'/>\r\n"
      "\t\t<stringAttribute key='org.eclipse.ui.externaltools.ATTR_TOOL_ARGUMENTS' "
      "value='&quot;${project_loc}\\.actionScriptProperties&quot;'/>\r\n"
      "\t\t</launchConfiguration>";
  EXPECT_EQ(launchConfiguration("C:\\RuvoJS\\RuvoJS.exe"), expected);
  // A path that would end the attribute or start markup is escaped.
  EXPECT_NE(launchConfiguration("C:\\Tools & Co's <x>\\RuvoJS.exe")
                .find("value='C:\\Tools &amp; Co&apos;s &lt;x&gt;\\RuvoJS.exe'/>"),
            std::string::npos);
  EXPECT_EQ(xmlEscape("\"&"), "&quot;&amp;");
}

TEST(WindowsHostText, RecentWorkspacesValue) {
  EXPECT_EQ(recentWorkspacesValue("a=1\nRECENT_WORKSPACES=C\\:\\\\ws\\nD\\:\\\\two\r\nb=2"), "C\\:\\\\ws\\nD\\:\\\\two");
  EXPECT_EQ(recentWorkspacesValue("a=1\nRECENT_WORKSPACES=x\nb=2"), "x");
  EXPECT_EQ(recentWorkspacesValue("a=1\nRECENT_WORKSPACES=last"), "last");
  EXPECT_EQ(recentWorkspacesValue("RECENT_WORKSPACES=first line\n"), "");
  // The key is looked for after the first byte of the file.
  EXPECT_EQ(recentWorkspacesValue("\nRECENT_WORKSPACES=at the first byte"), "");
  EXPECT_EQ(recentWorkspacesValue("nothing"), "");
}

TEST(WindowsHostText, SplashShownValues) {
  // The window shows the whole number of the value.
  struct Row {
    float percent;
    int shown;
  } rows[] = {{0, 1}, {0.5f, 1}, {-3, 1}, {50, 51}, {98.7f, 99}, {99.5f, 99}, {100, 99}, {250, 99}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.percent);
    EXPECT_EQ(static_cast<int>(splashShownValue(row.percent)), row.shown);
  }
  EXPECT_FLOAT_EQ(splashShownValue(0.5f), 1.5f);
  EXPECT_EQ(splashShownMessage("file:///C:/a.as"), "file:///C:/a.as");
  EXPECT_EQ(splashShownMessage("compile file:///C:/a.as file:///b"), "compile C:/a.as file:///b");
  EXPECT_EQ(splashShownMessage(""), "");
}

TEST(WindowsHostText, ArgumentCopyStopsAtTheLastSlot) {
  std::vector<std::string> texts;
  for (int i = 0; i < 25; ++i) texts.push_back("arg" + std::to_string(i));
  std::vector<char*> argv;
  for (std::string& t : texts) argv.push_back(t.data());
  const char* slots[21];
  slots[20] = "guard";
  EXPECT_EQ(copyArguments(25, argv.data(), slots, 20), 20u);
  EXPECT_STREQ(slots[19], "arg19");
  EXPECT_STREQ(slots[20], "guard");
  EXPECT_EQ(copyArguments(3, argv.data(), slots, 20), 3u);
  EXPECT_EQ(copyArguments(0, argv.data(), slots, 20), 0u);
}

TEST(WindowsHostText, CrashMessageInCodePage936) {
  std::string text = crashMessage("C:\\R\\RuvoJS.exeerror.dmp", "C:/game/src/Main.as", 10240);
  std::string expected =
      "\xb1\xa7\xc7\xb8\xa3\xac\xb3\xcc\xd0\xf2\xd3\xf6\xb5\xbd\xd2\xec\xb3\xa3\xa3\xac\xce\xde\xb7\xa8\xbc\xcc"
      "\xd0\xf8\xd6\xb4\xd0\xd0\xa1\xa3"
      "dump\xce\xc4\xbc\xfe\xb1\xa3\xb4\xe6\xd4\xda:C:\\R\\RuvoJS.exeerror.dmp\n"
      "\xb4\xed\xce\xf3\xbf\xc9\xc4\xdc\xb7\xa2\xc9\xfa\xd4\xda\xa3\xba"
      "C:/game/src/Main.as";
  EXPECT_EQ(text, expected);
  // Before any source file: the second place stays empty.
  EXPECT_EQ(crashMessage("d", "", 10240).substr(crashMessage("d", "", 10240).size() - 2), "\xa3\xba");
  EXPECT_EQ(crashMessage(std::string(20000, 'p'), "f", 10240).size(), 10239u);
}
