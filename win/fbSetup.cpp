// Flash Builder settings and the registration of the program as an external
// tool: started without arguments, the program writes an Eclipse launch file
// into every recent workspace of Flash Builder 4.5, 4.6 and 4.7.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "checkEnv.h"
#include "hostText.h"
#include "message.h"
#include "winHost.h"
#include "xfilemethod.h"
#include "xstringmethod.h"

namespace {

bool localAppDataFolder(std::string& folder) {
  char path[MAX_PATH + 1] = {0};
  if (!SHGetSpecialFolderPathA(nullptr, path, CSIDL_LOCAL_APPDATA, TRUE)) {
    MessageBoxA(splashOwnerWindow(), "get App Data Path err!", "setup err", MB_OK);
    return false;
  }
  folder = path;
  return true;
}

const char* versionFolder(int version) {
  switch (version) {
    case 10: return "5\\cascaded\\";
    case 11: return "6\\cascaded\\";
    case 12: return "7\\cascaded\\";
    default: return "";
  }
}

// UTF-8 when the text is valid UTF-8 (the workspace paths of the settings
// file are), the ANSI code page otherwise.
std::wstring widePath(const std::string& path) {
  for (UINT codePage : {static_cast<UINT>(CP_UTF8), static_cast<UINT>(CP_ACP)}) {
    DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    int length = MultiByteToWideChar(codePage, flags, path.c_str(), -1, nullptr, 0);
    if (length <= 0) continue;
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(codePage, flags, path.c_str(), -1, wide.data(), length);
    wide.resize(length - 1);
    return wide;
  }
  return L"";
}

// The whole file through a temporary file beside it; a folder that is
// missing leaves nothing behind.
bool writeWholeFile(const std::string& path, const std::string& bytes) {
  std::wstring target = widePath(path);
  std::wstring temporary = target + L".tmp";
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  ok = CloseHandle(file) && ok;
  ok = ok && MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
  if (!ok) DeleteFileW(temporary.c_str());
  return ok;
}

}  // namespace

std::string programPathUtf8() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return "";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  int size = WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size : 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, out.data(), size, nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}

bool ReadFbSetup(int version, std::vector<std::string>& workspaces) {
  workspaces.clear();
  std::string profile;
  if (!localAppDataFolder(profile)) return false;
  size_t cut = profile.find("\\AppData\\");
  if (cut != std::string::npos) profile.resize(cut);
  std::string settings = profile + "\\Adobe Flash Builder 4." + versionFolder(version);

  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((settings + "*.*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return false;
  // The first subfolder by name: the result does not hang on listing order.
  std::vector<std::string> folders;
  do {
    std::string name = entry.cFileName;
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..") folders.push_back(name);
  } while (FindNextFileA(search, &entry));
  FindClose(search);

  std::string value;
  if (!folders.empty()) {
    std::string prefs;
    std::string file = settings + *std::min_element(folders.begin(), folders.end()) +
                       "\\configuration\\.settings\\org.eclipse.ui.ide.prefs";
    if (xfilemethod::readtxtfile(file, prefs)) value = wintext::recentWorkspacesValue(prefs);
  }
  value = xstringmthod::unescape(checkToString(value.c_str()).c_str());
  xstringmthod::splitstr(value.c_str(), '\n', workspaces);
  return true;
}

void RegRuvoJS() {
  std::string appData;
  if (!localAppDataFolder(appData)) return;
  std::string launch = wintext::launchConfiguration(programPathUtf8());
  for (int version : {10, 11, 12}) {
    std::vector<std::string> workspaces;
    ReadFbSetup(version, workspaces);
    for (const std::string& workspace : workspaces) {
      // No settings or no workspace list: an empty entry, not the drive's root.
      if (workspace.empty()) continue;
      std::string path = workspace + "/.metadata/.plugins/org.eclipse.debug.core/.launches/Quaspen.launch";
      MSGTO(MessageType::Info, path.c_str(), 0, "save %s", path.c_str());
      writeWholeFile(path, launch);
    }
  }
}
