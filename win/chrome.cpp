// The start page opens in Google Chrome, found through the registry: the
// ChromeHTML open command first, then the per-user and the machine-wide
// uninstall entries.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "checkEnv.h"
#include "hostText.h"
#include "message.h"

namespace {

// A text value of a registry key, whatever its length, always terminated:
// a stored value need not end with its own terminator.
bool readRegistryText(HKEY root, const char* key, const char* name, std::string& out) {
  HKEY opened;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  DWORD type = 0, size = 0;
  bool ok = RegQueryValueExA(opened, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ);
  if (ok) {
    std::vector<char> buffer(size + 2, 0);
    DWORD read = size;
    ok = RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &read) ==
         ERROR_SUCCESS;
    if (ok) out.assign(buffer.data(), strnlen(buffer.data(), read < size ? read : size));
  }
  RegCloseKey(opened);
  return ok;
}

bool canOpen(const std::string& path) {
  FILE* file = fopen(path.c_str(), "rb");
  if (!file) return false;
  fclose(file);
  return true;
}

}  // namespace

bool readChromeHtmlCommand(std::string& command) {
  return readRegistryText(HKEY_CLASSES_ROOT, "ChromeHTML\\shell\\open\\command", nullptr, command);
}

bool readInstallLocation(HKEY root, const char* key, std::string& location) {
  return readRegistryText(root, key, "InstallLocation", location);
}

bool findChromePath(std::string& path) {
  std::string command;
  if (readChromeHtmlCommand(command)) {
    path = wintext::firstPathOfCommandLine(command);
    if (canOpen(path)) {
      // "Found chrome, path: ..."
      MSGTO(MessageType::Info, path.c_str(), 0, "\xd5\xd2\xb5\xbd" "chrome\xc1\xcb\xa3\xac\xc2\xb7\xbe\xb6:%s\n", path.c_str());
      return true;
    }
    // "chrome is not there, searching on"
    MSGTO(MessageType::Info, "", 0, "%s", "chrome\xb2\xbb\xb4\xe6\xd4\xda\xa3\xac\xbc\xcc\xd0\xf8\xd5\xd2\n");
  }
  const struct {
    HKEY root;
    const char* key;
  } uninstallKeys[] = {
      {HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Google Chrome"},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Google Chrome"},
  };
  for (const auto& entry : uninstallKeys) {
    std::string location;
    if (!readInstallLocation(entry.root, entry.key, location)) continue;
    path = location + "\\chrome.exe";
    if (canOpen(path)) {
      // "Found chrome: ..."
      MSGTO(MessageType::Info, path.c_str(), 0, "\xd5\xd2\xb5\xbd chrome\xa3\xba%s\n", path.c_str());
      return true;
    }
  }
  return false;
}

void OpenChrome(const char* page) {
  std::string chrome;
  if (!findChromePath(chrome)) return;
  std::string parameters = wintext::chromeParameters(page ? page : "");
  ShellExecuteA(nullptr, "open", chrome.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
}

void startPostBuildCommand(const char* command) {
  wintext::ProgramCall call = wintext::splitPostBuildCommand(command ? command : "", [](const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  });
  if (call.program.empty()) return;
  std::string folder = wintext::folderOf(call.program);
  ShellExecuteA(nullptr, "open", call.program.c_str(), call.parameters.c_str(), folder.empty() ? nullptr : folder.c_str(),
                SW_SHOW);
}
