#include "checkEnv.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "message.h"
#include "xfilemethod.h"
#include "xstringmethod.h"

namespace fs = std::filesystem;

// The console program's host functions (the Windows program has its own in
// win/). checkToString, the same on both, lives with the string helpers.

// On this platform the dialog is a line on stderr ("caption: text"): stdout
// carries the IDE protocol, and nothing goes through a shell.
int MessageBox1(const char* text, const char* caption) {
  ruvo_error("%s: %s\n", caption ? caption : "", text ? text : "");
  fflush(stderr);
  return 0;
}

int MessageBox2(const char*, const char*) { return 0; }

// No browser is started by the console program.
void OpenChrome(const char*) {}

void RegRuvoJS() {}

bool ReadFbSetup(int version, std::vector<std::string>& workspaces) {
  workspaces.clear();
  const char* home = std::getenv("HOME");
  if (!home) {
    ruvo_print("get home path err!");
    return false;
  }
  std::string folder = std::string(home) + "/Documents/Adobe Flash Builder 4.";
  if (version == 12)
    folder += "7/cascaded/";
  else if (version == 11)
    folder += "6/cascaded/";
  else if (version == 10)
    folder += "5/cascaded/";

  std::string value;
  std::error_code ec;
  if (fs::is_directory(folder, ec)) {
    // The first subfolder in sorted order; only it is considered.
    std::vector<std::string> subs;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code sec;
      if (it->is_directory(sec)) subs.push_back(it->path().filename().string());
    }
    std::sort(subs.begin(), subs.end());
    if (!subs.empty()) {
      std::string text;
      std::string prefs = folder + subs.front() + "/configuration/.settings/org.eclipse.ui.ide.prefs";
      if (xfilemethod::readtxtfile(prefs, text)) {
        size_t key = text.find("\nRECENT_WORKSPACES=");
        if (key != std::string::npos) {
          size_t start = key + 19;
          size_t end = text.find('\r', start);
          if (end == std::string::npos) end = text.find('\n', start);
          if (end == std::string::npos) end = text.size();
          value = xstringmthod::unescape(checkToString(text.substr(start, end - start).c_str()).c_str());
        }
      }
    }
  }
  xstringmthod::splitstr(value.c_str(), '\n', workspaces);
  return true;
}
