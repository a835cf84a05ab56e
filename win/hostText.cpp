#include "hostText.h"

namespace wintext {

std::string firstPathOfCommandLine(const std::string& command) {
  if (command.empty()) return "";
  if (command[0] == '"') {
    for (size_t i = 1; i < command.size(); ++i)
      if (command[i] == '"' && command[i - 1] != '\\') return command.substr(1, i - 1);
    return "";
  }
  size_t blank = command.find(' ');
  return blank == std::string::npos ? command : command.substr(0, blank);
}

// The program's C runtime splits its command line into arguments: inside
// double quotes a blank is kept, 2n backslashes before a quote give n
// backslashes, and 2n+1 backslashes before a quote give n and a literal quote.
std::string quoteArgument(const std::string& argument) {
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      out.append(backslashes * 2 + 1, '\\');
    } else {
      out.append(backslashes, '\\');
    }
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  out += '"';
  return out;
}

std::string chromeParameters(const std::string& page) {
  return "--allow-file-access-from-files --disable-web-security " + quoteArgument(page);
}

namespace {

std::string trimmed(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

}  // namespace

ProgramCall splitPostBuildCommand(const std::string& command, bool (*fileExists)(const std::string&)) {
  std::string text = trimmed(command);
  ProgramCall call;
  if (text.empty()) return call;
  if (text[0] == '"') {
    size_t close = text.find('"', 1);
    if (close == std::string::npos) {
      call.program = text.substr(1);
    } else {
      call.program = text.substr(1, close - 1);
      call.parameters = trimmed(text.substr(close + 1));
    }
    return call;
  }
  size_t blank = text.find(' ');
  if (blank == std::string::npos || (fileExists && fileExists(text))) {
    call.program = text;
    return call;
  }
  call.program = text.substr(0, blank);
  call.parameters = trimmed(text.substr(blank + 1));
  return call;
}

std::string folderOf(const std::string& path) {
  size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? "" : path.substr(0, cut);
}

std::string xmlEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '\'': out += "&apos;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string launchConfiguration(const std::string& programPath) {
  return "<?xml version='1.0' encoding='UTF-8' standalone='no'?>\r\n"
         "\t\t<launchConfiguration type='org.eclipse.ui.externaltools.ProgramLaunchConfigurationType'>\r\n"
         "\t\t<stringAttribute key='org.eclipse.ui.externaltools.ATTR_LOCATION' value='" +
         xmlEscape(programPath) +
         "'/>\r\n"
         "\t\t<stringAttribute key='org.eclipse.ui.externaltools.ATTR_TOOL_ARGUMENTS' "
         "value='&quot;${project_loc}\\.actionScriptProperties&quot;'/>\r\n"
         "\t\t</launchConfiguration>";
}

std::string recentWorkspacesValue(const std::string& prefs) {
  static const std::string key = "\nRECENT_WORKSPACES=";
  size_t at = prefs.find(key, 1);
  if (at == std::string::npos) return "";
  size_t start = at + key.size();
  size_t end = prefs.find('\r', start);
  if (end == std::string::npos) end = prefs.find('\n', start);
  if (end == std::string::npos) end = prefs.size();
  return prefs.substr(start, end - start);
}

float splashShownValue(float percent) {
  float shown = percent + 1;
  if (shown < 1) shown = 1;
  if (shown >= 100) shown = 99;
  return shown;
}

std::string splashShownMessage(const std::string& text) {
  size_t at = text.find("file:///", 1);
  if (at == std::string::npos) return text;
  return text.substr(0, at) + text.substr(at + 8);
}

std::size_t copyArguments(int argc, char** argv, const char** slots, std::size_t slotCount) {
  std::size_t count = argc > 0 ? static_cast<std::size_t>(argc) : 0;
  if (count > slotCount) count = slotCount;
  for (std::size_t i = 0; i < count; ++i) slots[i] = argv[i];
  return count;
}

std::string crashMessage(const std::string& dumpPath, const std::string& sourceFile, std::size_t limit) {
  // "The program met an exception and cannot go on. The dump file is saved
  // at: ... The fault may lie in: ..." in code page 936.
  std::string text =
      "\xb1\xa7\xc7\xb8\xa3\xac\xb3\xcc\xd0\xf2\xd3\xf6\xb5\xbd\xd2\xec\xb3\xa3\xa3\xac\xce\xde\xb7\xa8\xbc\xcc"
      "\xd0\xf8\xd6\xb4\xd0\xd0\xa1\xa3"
      "dump\xce\xc4\xbc\xfe\xb1\xa3\xb4\xe6\xd4\xda:" +
      dumpPath + "\n\xb4\xed\xce\xf3\xbf\xc9\xc4\xdc\xb7\xa2\xc9\xfa\xd4\xda\xa3\xba" + sourceFile;
  if (limit > 0 && text.size() > limit - 1) text.resize(limit - 1);
  return text;
}

}  // namespace wintext
