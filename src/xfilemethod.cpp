#include "xfilemethod.h"

#ifdef _WIN32
// Only the narrow (ANSI code page) calls: a path keeps the bytes the user
// gave, nothing converts it to UTF-16 one byte per unit.
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "message.h"
#include "platform.h"

namespace {

// Overrides the computed base folder; nothing sets it in a normal run.
std::string g_binPathOverride;

bool segmentStart(const std::string& out) { return out.empty() || out.back() == '/'; }

std::string currentFolder() {
  // The working folder is read into a buffer of 512 bytes; a longer one is
  // taken as unknown.
  char buf[512];
#ifdef _WIN32
  DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
  if (n == 0 || n >= sizeof buf) return std::string();
  return std::string(buf, n);
#else
  if (!getcwd(buf, sizeof buf)) return std::string();
  return buf;
#endif
}

// Removes one "<segment>/.." pair at a time, where ".." is a whole segment.
bool foldOneParent(std::string& path) {
  for (size_t pos = path.find(".."); pos != std::string::npos; pos = path.find("..", pos + 2)) {
    bool whole = (pos == 0 || path[pos - 1] == '/') && (pos + 2 == path.size() || path[pos + 2] == '/');
    if (!whole) continue;
    if (pos == 0) return false;
    size_t last = path.rfind('/', pos);
    if (last == std::string::npos || last == 0) return false;
    size_t before = path.rfind('/', last - 1);
    if (before == std::string::npos) return false;
    size_t after = path.find('/', pos + 2);
    if (after == std::string::npos) after = path.size();
    path.erase(before, after - before);
    return true;
  }
  return false;
}

}  // namespace

std::string xfilemethod::adjustfilename(const std::string& path) {
  std::string in = path;
  for (char& c : in)
    if (c == '\\') c = '/';
  std::string out;
  out.reserve(in.size() + 2);
  for (size_t i = 0; i < in.size();) {
    char c = in[i];
    if (c == '/') {
      out += '/';
      while (i < in.size() && in[i] == '/') ++i;  // a run of separators becomes one
      continue;
    }
    if (c == '.' && segmentStart(out)) {
      // "./" as a whole segment vanishes.
      if (i + 1 < in.size() && in[i + 1] == '/') {
        i += 2;
        while (i < in.size() && in[i] == '/') ++i;
        continue;
      }
      // ".." as a whole segment is written "../".
      if (i + 1 < in.size() && in[i + 1] == '.' && (i + 2 == in.size() || in[i + 2] == '/')) {
        out += "../";
        if (i + 2 == in.size()) break;
        i += 3;
        continue;
      }
    }
    out += c;
    ++i;
  }
  return out;
}

char* xfilemethod::adjustfilename(char* path) {
  if (!path) return nullptr;
  // The result may grow by one byte at most ("a/.." becomes "a/../"); callers
  // that edit in place give buffers with room, the string form is preferred.
  std::string out = adjustfilename(std::string(path));
  size_t room = std::strlen(path);
  if (out.size() > room) out.resize(room);
  std::memcpy(path, out.c_str(), out.size() + 1);
  return path;
}

std::string xfilemethod::getFile_Path(const char* path, bool folderOnly) {
  if (!path) return std::string();
  std::string p = path;
  if (p.size() < 2) p.clear();
  bool relative;
  if (p.compare(0, 8, "file:///") == 0) {
    p = (p.size() > 9 && p[9] == ':') ? p.substr(8) : p.substr(7);
    relative = false;
  } else {
    relative = p.size() < 2 || (p[1] != ':' && p[0] != '/');
  }
  if (relative) {
    std::string cwd = currentFolder();
    // The console program tells which working folder a relative path was
    // taken from; the Windows program does it silently.
    if (!ruvoPlatform().windows) ruvo_print("cwd:%s\n", cwd.c_str());
    p = cwd + "/" + p;
  }
  p = adjustfilename(p);
  while (foldOneParent(p)) {
  }
  if (folderOnly) {
    size_t last = p.rfind('/');
    std::string name = last == std::string::npos ? p : p.substr(last + 1);
    if (name.find('.') != std::string::npos) p = last == std::string::npos ? std::string() : p.substr(0, last + 1);
  }
  return p;
}

std::string xfilemethod::getFilePath(const char* path) {
  if (!path) return std::string();
  std::string p = path;
  size_t last = p.find_last_of("/\\");
  if (last == std::string::npos || last < 1) return p;
  return p.substr(0, last + 1);
}

std::string GetExeDir() {
  char buf[512];
#ifdef _WIN32
  DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  // A path cut at the buffer's end is no path.
  std::string s = (n == 0 || n >= sizeof buf) ? std::string() : std::string(buf, n);
  size_t last = s.find_last_of("/\\");
#else
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf);
  std::string s = (n <= 0 || static_cast<size_t>(n) >= sizeof buf) ? std::string() : std::string(buf, n);
  size_t last = s.rfind('/');
#endif
  return last == std::string::npos ? s : s.substr(0, last);
}

std::string xfilemethod::getBinPath() {
  if (!g_binPathOverride.empty()) return g_binPathOverride;
#ifdef _WIN32
  // The Windows program keeps its log and libraries beside the executable.
  std::string exe = GetExeDir();
  return exe.empty() ? std::string() : exe + "\\";
#else
  // The console program's executable lies in bin/ of its installation.
  return getFilePath(GetExeDir().c_str());
#endif
}

namespace {

#ifdef _WIN32
bool fileAttributes(const char* path, WIN32_FILE_ATTRIBUTE_DATA& data) {
  return GetFileAttributesExA(path, GetFileExInfoStandard, &data) != 0;
}
#endif

bool isFolder(const std::string& path) {
#ifdef _WIN32
  WIN32_FILE_ATTRIBUTE_DATA data;
  return fileAttributes(path.c_str(), data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
#else
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
#endif
}

bool makeFolder(const std::string& path) {
#ifdef _WIN32
  return CreateDirectoryA(path.c_str(), nullptr) != 0 || GetLastError() == ERROR_ALREADY_EXISTS;
#else
  return mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
#endif
}

bool isSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\';
#else
  return c == '/';
#endif
}

}  // namespace

namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x != y && !(x < 0x80 && y < 0x80 && std::tolower(x) == std::tolower(y))) return false;
  }
  return true;
}

// The name of the entry of `folder` ("" for the working folder, else ending
// with "/") that is `name` without regard to case; empty when there is none.
std::string entryNamed(const std::string& folder, const std::string& name) {
#ifdef _WIN32
  if (name.find_first_of("*?") != std::string::npos) return std::string();
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((folder + name).c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return std::string();
  FindClose(h);
  return found.cFileName;
#else
  struct stat st;
  if (lstat((folder + name).c_str(), &st) == 0) return name;
  std::vector<std::string> matches;
  if (DIR* d = opendir(folder.empty() ? "." : folder.c_str())) {
    while (const dirent* e = readdir(d))
      if (sameIgnoringCase(e->d_name, name)) matches.push_back(e->d_name);
    closedir(d);
  }
  if (matches.empty()) return std::string();
  // Of several spellings the first in byte order, whatever the listing order.
  return *std::min_element(matches.begin(), matches.end());
#endif
}

}  // namespace

std::string xfilemethod::diskCase(const std::string& path) {
  if (!ruvoPlatform().foldCase || path.empty()) return path;
  std::string out;
  size_t start = 0;
  if (path[0] == '/') {
    out = "/";
    start = 1;
  } else if (path.size() >= 2 && path[1] == ':') {
    out = path.substr(0, 2);
    start = 2;
    if (path.size() > 2 && path[2] == '/') {
      out += '/';
      start = 3;
    }
  }
  while (start < path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string name = path.substr(start, end - start);
    if (!name.empty() && name != "." && name != "..") {
      std::string found = entryNamed(out, name);
      if (found.empty()) return out + path.substr(start);
      name = found;
    }
    out += name;
    if (end < path.size()) out += '/';
    start = end + 1;
  }
  return out;
}

bool xfilemethod::pathExist(const char* path) {
  if (!path || !*path) return false;
  return isFolder(path);
}

int64_t xfilemethod::getFileSize(const char* path) {
  if (!path || !*path) return 0;
  // One call (links followed) gives both the kind and the size.
#ifdef _WIN32
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!fileAttributes(path, data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
#else
  struct stat st;
  if (stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  return static_cast<int64_t>(st.st_size);
#endif
}

void xfilemethod::createDirectoryS(const char* path) {
  if (!path) return;
  std::string p = path;
  size_t end = p.size();
  while (end > 0 && !isSeparator(p[end - 1])) --end;  // the last component is a file name
  while (end > 0 && isSeparator(p[end - 1])) --end;
  if (end == 0) return;
  std::string parent = p.substr(0, end);
  if (isFolder(parent)) return;
  // Every prefix that ends before a separator, from the root on; a drive
  // ("C:") or the root itself is never created.
  for (size_t i = 1; i <= parent.size(); ++i) {
    if (i < parent.size() && !isSeparator(parent[i])) continue;
    if (isSeparator(parent[i - 1])) continue;
    std::string prefix = parent.substr(0, i);
    if (prefix.size() == 2 && prefix[1] == ':') continue;
    if (!isFolder(prefix) && !makeFolder(prefix)) return;
  }
}

char* xfilemethod::readfile(const char* path, int& size, const char* mode) {
  std::string full = getFile_Path(path, false);
  int64_t n = getFileSize(full);
  size = n > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(n);
  if (n <= 0) return nullptr;
  // Always read in binary mode, whatever mode the caller names: a text-mode
  // read on Windows stops at a 0x1A byte and folds CR LF, losing source.
  (void)mode;
  FILE* f = fopen(full.c_str(), "rb");
  if (!f) return nullptr;
  char* buf = new char[static_cast<size_t>(size) + 1];
  size_t got = 0;
  while (got < static_cast<size_t>(size)) {
    size_t r = fread(buf + got, 1, static_cast<size_t>(size) - got, f);
    if (r == 0) break;
    got += r;
  }
  fclose(f);
  buf[got] = '\0';
  return buf;
}

bool xfilemethod::readtxtfile(const char* path, std::string& out) {
  int size = 0;
  char* buf = readfile(path, size, "rb");
  if (!buf) return false;
  out.assign(buf);  // up to the first zero byte
  delete[] buf;
  return true;
}

bool xfilemethod::dirMatching(const char* prefix, const char* path, const char* suffix) {
  if (!prefix || !path || !suffix) return false;
  size_t pl = std::strlen(prefix), l = std::strlen(path), sl = std::strlen(suffix);
  if (l < pl || l < sl) return false;
  return std::strncmp(path, prefix, pl) == 0 && std::strcmp(path + l - sl, suffix) == 0;
}

namespace {

void listFolder(const std::string& prefix, const std::string& pattern, std::vector<std::string>& out, int depth) {
  std::vector<std::pair<std::string, bool>> entries;  // name, is a real folder (a link to one is not)
#ifdef _WIN32
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((prefix + "*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      DWORD a = found.dwFileAttributes;
      entries.emplace_back(std::move(name), (a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT));
    } while (FindNextFileA(h, &found));
    FindClose(h);
  }
#else
  if (DIR* folder = opendir(prefix.c_str())) {
    // The listing gives the kind of most entries; only an entry of unknown
    // kind costs a call of its own.
    while (const dirent* entry = readdir(folder)) {
      std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      bool isFolder;
      if (entry->d_type == DT_UNKNOWN) {
        struct stat st;
        if (lstat((prefix + name).c_str(), &st) != 0) continue;
        isFolder = S_ISDIR(st.st_mode);
      } else {
        isFolder = entry->d_type == DT_DIR;
      }
      entries.emplace_back(std::move(name), isFolder);
    }
    closedir(folder);
  }
#endif
  // Sorted bytewise, so the output never depends on the file system's order.
  std::sort(entries.begin(), entries.end());
  for (const auto& [name, isDir] : entries) {
    if (isDir) {
      if (depth > 0) listFolder(prefix + name + "/", pattern, out, depth - 1);
      continue;
    }
    std::string path = xfilemethod::adjustfilename(prefix + name);
    if (xfilemethod::dirMatching(prefix.c_str(), path.c_str(), pattern.c_str())) out.push_back(path);
  }
}

}  // namespace

int xfilemethod::dir(const char* folder, const char* pattern, std::vector<std::string>& out, int depth) {
  if (!folder) return 0;
  std::string pat = adjustfilename(std::string(pattern ? pattern : ""));
  std::string base = getFile_Path(folder, false);
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  if (!pathExist(base)) return static_cast<int>(out.size());
  listFolder(base + "/", pat, out, depth);
  return static_cast<int>(out.size());
}

bool xfilemethod::writeFileAtomic(const std::string& path, const char* data, size_t size) {
  createDirectoryS(path.c_str());
#ifdef _WIN32
  std::string tmp = path + ".ruvotmp-" + std::to_string(GetCurrentProcessId());
#else
  std::string tmp = path + ".ruvotmp-" + std::to_string(getpid());
#endif
  FILE* f = fopen(tmp.c_str(), "wb");
  if (!f) return false;
  bool ok = size == 0 || fwrite(data, 1, size, f) == size;
  ok = (fclose(f) == 0) && ok;
#ifdef _WIN32
  if (ok) ok = MoveFileExA(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
  if (ok) ok = std::rename(tmp.c_str(), path.c_str()) == 0;
#endif
  if (!ok) std::remove(tmp.c_str());
  return ok;
}
