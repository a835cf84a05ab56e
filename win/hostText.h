// The texts and small decisions of the Windows front end, kept free of the
// Windows API so that the Linux test build checks them too: the command-line
// pieces handed to Chrome and to the post-build command, the launch file
// written into Flash Builder workspaces, the values the progress window shows,
// the argument copy and the crash message.
#pragma once

#include <cstddef>
#include <string>

namespace wintext {

// The program path at the start of a command line: the text inside a leading
// pair of double quotes (a quote after a backslash does not close it), else
// the text up to the first blank.
std::string firstPathOfCommandLine(const std::string& command);

// One argument of a Windows command line, quoted so that the started program
// reads it back unchanged (blanks, quotes and trailing backslashes included).
std::string quoteArgument(const std::string& argument);

// The parameters Chrome is started with: the two switches and the page.
std::string chromeParameters(const std::string& page);

// A post-build command split into the program and its parameters: a leading
// quoted path, or the whole text when it names an existing file, or the text
// up to the first blank. `fileExists` answers for the last two cases.
struct ProgramCall {
  std::string program;
  std::string parameters;
};
ProgramCall splitPostBuildCommand(const std::string& command, bool (*fileExists)(const std::string&));

// The folder part of a Windows path ("" when it has none).
std::string folderOf(const std::string& path);

// Text safe inside an XML attribute value (either quote).
std::string xmlEscape(const std::string& text);

// The Eclipse external-tool launch file that runs the program on the
// selected project's .actionScriptProperties.
std::string launchConfiguration(const std::string& programPath);

// The raw value of RECENT_WORKSPACES in an org.eclipse.ui.ide.prefs text
// ("" when the key is missing or stands on the first line).
std::string recentWorkspacesValue(const std::string& prefs);

// The percentage the progress window shows for a progress call: one more
// than asked, at least 1 and never 100.
float splashShownValue(float percent);

// The message the progress window shows: a "file:///" after the first byte is
// taken out once.
std::string splashShownMessage(const std::string& text);

// Copies at most `slotCount` of the `argc` arguments into `slots` and
// returns how many were copied; nothing is written past the last slot.
std::size_t copyArguments(int argc, char** argv, const char** slots, std::size_t slotCount);

// The text of the crash exit (code page 936), cut to `limit` bytes.
std::string crashMessage(const std::string& dumpPath, const std::string& sourceFile, std::size_t limit);

}  // namespace wintext
