#include "xfilemethod.h"

#ifdef _WIN32
// Only the narrow (ANSI code page) calls: a path keeps the bytes the user
// gave, nothing converts it to UTF-16 one byte per unit.
#include <windows.h>
#include <io.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <signal.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>

#include "message.h"
#include "platform.h"
#include "xstringmethod.h"

namespace {

// Overrides the computed base folder; nothing sets it in a normal run.
std::string g_binPathOverride;

// The temporary file being written, removed when an interrupt or a
// termination request stops the run (a kill -9 leaves it to the next run).
char g_pendingTemp[4096];
#ifdef _WIN32
wchar_t g_pendingTempWide[4096];  // the same path for the wide call of the stop handler
#endif
volatile sig_atomic_t g_havePendingTemp = 0;

#ifdef _WIN32
// Ctrl-C, Ctrl-Break, a closed console window, logoff or shutdown. The
// temporary file is opened with delete sharing, so that it can go while it is
// still open (it vanishes with its last handle). The stop then goes on as it
// would without this handler.
BOOL WINAPI removePendingTemp(DWORD) {
  if (g_havePendingTemp) DeleteFileW(g_pendingTempWide);
  return FALSE;
}
#else
extern "C" void removePendingTemp(int sig) {
  if (g_havePendingTemp) unlink(g_pendingTemp);
  signal(sig, SIG_DFL);
  raise(sig);
}
#endif

// Names the temporary file for the stop handler while it lives.
class PendingTemp {
 public:
  explicit PendingTemp(const std::string& path) {
    static const bool installed = [] {
#ifdef _WIN32
      SetConsoleCtrlHandler(removePendingTemp, TRUE);
#else
      for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old;
        if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_DFL) signal(sig, removePendingTemp);
      }
#endif
      return true;
    }();
    (void)installed;
    if (path.size() >= sizeof g_pendingTemp) return;
    g_havePendingTemp = 0;
    std::memcpy(g_pendingTemp, path.c_str(), path.size() + 1);
#ifdef _WIN32
    const std::wstring wide = xfilemethod::widePath(path);
    if (wide.size() >= sizeof g_pendingTempWide / sizeof g_pendingTempWide[0]) return;
    std::memcpy(g_pendingTempWide, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
#endif
    g_havePendingTemp = 1;
  }
  ~PendingTemp() { g_havePendingTemp = 0; }
  PendingTemp(const PendingTemp&) = delete;
  PendingTemp& operator=(const PendingTemp&) = delete;
};

#ifdef _WIN32
// The system's text for an error code, without its closing period.
std::string systemError(DWORD code) {
  char buf[512];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                           sizeof buf, nullptr);
  std::string text(buf, n < sizeof buf ? n : 0);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' || text.back() == '.'))
    text.pop_back();
  return text.empty() ? "error " + std::to_string(code) : text;
}

bool notFound(DWORD code) { return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND; }

// Opens an existing file for the given access; every other opener may go on
// reading, writing and deleting it.
HANDLE openShared(const std::string& path, DWORD access, DWORD flags = FILE_ATTRIBUTE_NORMAL) {
  return CreateFileW(xfilemethod::widePath(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, flags, nullptr);
}

// A new file for a temporary copy, which a stop handler may delete while it
// is open.
HANDLE createTemp(const std::string& path, DWORD disposition) {
  return CreateFileW(xfilemethod::widePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}
#endif

#ifdef _WIN32
// The path of the open file with every link resolved ("C:\\dir\\file" or
// "\\\\server\\share\\file"); empty when the system cannot tell.
std::string finalPath(HANDLE h) {
  const DWORD need = GetFinalPathNameByHandleA(h, nullptr, 0, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (need == 0) return std::string();
  std::string path(need, '\0');
  const DWORD len = GetFinalPathNameByHandleA(h, path.data(), need, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (len == 0 || len >= need) return std::string();
  path.resize(len);
  if (startsWith(path, "\\\\?\\UNC\\")) return "\\" + path.substr(7);
  if (startsWith(path, "\\\\?\\")) return path.substr(4);
  return path;
}
#endif

// Opens the temporary file of a whole-file write.
FILE* openTempStream(const std::string& path) {
#ifdef _WIN32
  HANDLE h = createTemp(path, CREATE_ALWAYS);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), 0);  // binary
  if (fd < 0) {
    CloseHandle(h);
    return nullptr;
  }
  FILE* f = _fdopen(fd, "wb");
  if (!f) _close(fd);
  return f;
#else
  return fopen(path.c_str(), "wb");
#endif
}

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
  if (startsWith(p, "file:///")) {
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
  return GetFileAttributesExW(xfilemethod::widePath(path).c_str(), GetFileExInfoStandard, &data) != 0;
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

// Something already there is fine only when it is a folder (a link to a
// folder that is not there is not); the error stays as the call left it.
bool makeFolder(const std::string& path) {
#ifdef _WIN32
  if (CreateDirectoryW(xfilemethod::widePath(path).c_str(), nullptr)) return true;
  const DWORD error = GetLastError();
  if (error != ERROR_ALREADY_EXISTS) return false;
  const bool folder = isFolder(path);
  SetLastError(error);
  return folder;
#else
  if (mkdir(path.c_str(), 0777) == 0) return true;
  const int error = errno;
  if (error != EEXIST) return false;
  const bool folder = isFolder(path);
  errno = error;
  return folder;
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

#ifndef _WIN32
// Names compared as the Windows file system compares them: ASCII letters
// without case, every other byte as it is.
bool sameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x != y && !(x < 0x80 && y < 0x80 && std::tolower(x) == std::tolower(y))) return false;
  }
  return true;
}
#endif

// The name of the entry of `folder` ("" for the working folder, else ending
// with "/") that is `name` without regard to case; empty when there is none.
std::string entryNamed(const std::string& folder, const std::string& name) {
#ifdef _WIN32
  if (name.find_first_of("*?") != std::string::npos) return std::string();
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(xfilemethod::widePath(folder + name).c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return std::string();
  FindClose(h);
  return xfilemethod::ansiName(found.cFileName);
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

namespace {
// Makes the folders of `path` up to its last separator (the last component
// is a file name); false with the reason when one of them cannot be made.
bool makeParentFolders(const std::string& p, std::string& why) {
  size_t end = p.size();
  while (end > 0 && !isSeparator(p[end - 1])) --end;
  while (end > 0 && isSeparator(p[end - 1])) --end;
  if (end == 0) return true;
  std::string parent = p.substr(0, end);
  if (isFolder(parent)) return true;
  // Every prefix that ends before a separator, from the root on; a drive
  // ("C:") or the root itself is never created.
  for (size_t i = 1; i <= parent.size(); ++i) {
    if (i < parent.size() && !isSeparator(parent[i])) continue;
    if (isSeparator(parent[i - 1])) continue;
    std::string prefix = parent.substr(0, i);
    if (prefix.size() == 2 && prefix[1] == ':') continue;
    if (!isFolder(prefix) && !makeFolder(prefix)) {
#ifdef _WIN32
      why = "Windows error " + std::to_string(GetLastError());
#else
      why = std::strerror(errno);
#endif
      return false;
    }
  }
  return true;
}
}  // namespace

void xfilemethod::createDirectoryS(const char* path) {
  if (!path) return;
  std::string why;
  makeParentFolders(path, why);
}

char* xfilemethod::readfile(const char* path, int& size, const char* mode) {
  std::string full = getFile_Path(path, false);
  int64_t n = getFileSize(full);
  size = n > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(n);
  if (n <= 0) return nullptr;
  // Always read in binary mode, whatever mode the caller names: a text-mode
  // read on Windows stops at a 0x1A byte and folds CR LF, losing source.
  (void)mode;
#ifdef _WIN32
  FILE* f = _wfopen(widePath(full).c_str(), L"rb");
#else
  FILE* f = fopen(full.c_str(), "rb");
#endif
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

std::string xfilemethod::whyNoText(const std::string& path) {
  if (path.empty()) return "is not given";
  unsigned char head[64];
  int64_t n = 0, fileSize = 0;
#ifdef _WIN32
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!fileAttributes(path.c_str(), data)) {
    const DWORD code = GetLastError();
    if (notFound(code) || code == ERROR_DIRECTORY) return "does not exist";
    return "cannot be read (" + systemError(code) + ")";
  }
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return "is a folder, not a file";
  fileSize = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  HANDLE h = openShared(path, GENERIC_READ);
  if (h == INVALID_HANDLE_VALUE) return "cannot be read (" + systemError(GetLastError()) + ")";
  // A device (NUL, CON, COM1) is no file to read.
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    return "is not a regular file";
  }
  DWORD got = 0;
  const bool read = ReadFile(h, head, sizeof head, &got, nullptr) != 0;
  const DWORD code = GetLastError();
  CloseHandle(h);
  if (!read) return "cannot be read (" + systemError(code) + ")";
  n = got;
#else
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return "does not exist";
    return std::string("cannot be read (") + std::strerror(errno) + ")";
  }
  if (S_ISDIR(st.st_mode)) return "is a folder, not a file";
  if (!S_ISREG(st.st_mode)) return "is not a regular file";
  fileSize = static_cast<int64_t>(st.st_size);
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::string("cannot be read (") + std::strerror(errno) + ")";
  n = read(fd, head, sizeof head);
  close(fd);
  if (n < 0) return std::string("cannot be read (") + std::strerror(errno) + ")";
#endif
  if (n == 0) return "is empty";
  const std::string start(reinterpret_cast<const char*>(head), static_cast<size_t>(n));
  using namespace std::string_view_literals;
  if (startsWith(start, "\xFF\xFE\0\0"sv) || startsWith(start, "\0\0\xFE\xFF"sv))
    return "is UTF-32 text (save it as UTF-8)";
  if (startsWith(start, "\xFF\xFE") || startsWith(start, "\xFE\xFF"))
    return "is UTF-16 text (save it as UTF-8)";
  // Without a byte-order mark: ASCII text in UTF-16 has a zero byte beside
  // every character.
  size_t little = 0, big = 0;
  const size_t pairs = static_cast<size_t>(n) / 2;
  for (size_t i = 0; i < pairs; ++i) {
    little += head[2 * i] != 0 && head[2 * i + 1] == 0;
    big += head[2 * i] == 0 && head[2 * i + 1] != 0;
  }
  if (pairs >= 2 && (little == pairs || big == pairs)) return "is UTF-16 text (save it as UTF-8)";
  if (start.find('\0') != std::string::npos) return "holds zero bytes: it is no text file (or UTF-32 text)";
  if (start.find_first_not_of(" \t\r\n") == std::string::npos && fileSize <= n) return "holds only blanks";
  return std::string();
}

bool xfilemethod::dirMatching(const char* prefix, const char* path, const char* suffix) {
  if (!prefix || !path || !suffix) return false;
  size_t pl = std::strlen(prefix), l = std::strlen(path), sl = std::strlen(suffix);
  if (l < pl || l < sl) return false;
  return startsWith(path, prefix) && std::strcmp(path + l - sl, suffix) == 0;
}

namespace {

// The entries of `folder` (ending with a separator) with whether each is a
// real folder (a link to one is not), sorted bytewise, so that what is done
// with them never depends on the file system's order. A folder that exists
// but cannot be listed sets `whyNot` when it is given.
std::vector<std::pair<std::string, bool>> listEntries(const std::string& folder, std::string* whyNot = nullptr) {
  std::vector<std::pair<std::string, bool>> entries;
#ifdef _WIN32
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(xfilemethod::widePath(folder + "*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = xfilemethod::ansiName(found.cFileName);
      if (name == "." || name == "..") continue;
      DWORD a = found.dwFileAttributes;
      entries.emplace_back(std::move(name), (a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT));
    } while (FindNextFileW(h, &found));
    FindClose(h);
  } else if (whyNot) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
      *whyNot = "cannot be listed (Windows error " + std::to_string(error) + ")";
  }
#else
  if (DIR* d = opendir(folder.c_str())) {
    // The listing gives the kind of most entries; only an entry of unknown
    // kind costs a call of its own.
    while (const dirent* entry = readdir(d)) {
      std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      bool isFolder;
      if (entry->d_type == DT_UNKNOWN) {
        struct stat st;
        if (lstat((folder + name).c_str(), &st) != 0) continue;
        isFolder = S_ISDIR(st.st_mode);
      } else {
        isFolder = entry->d_type == DT_DIR;
      }
      entries.emplace_back(std::move(name), isFolder);
    }
    closedir(d);
  } else if (whyNot) {
    *whyNot = std::strerror(errno);
  }
#endif
  std::sort(entries.begin(), entries.end());
  return entries;
}

void listFolder(const std::string& prefix, const std::string& pattern, std::vector<std::string>& out, int depth,
                std::vector<std::pair<std::string, std::string>>* unreadable) {
  std::string whyNot;
  const auto entries = listEntries(prefix, unreadable ? &whyNot : nullptr);
  if (!whyNot.empty()) unreadable->emplace_back(prefix, whyNot);
  for (const auto& [name, isDir] : entries) {
    if (isDir) {
      if (depth > 0) listFolder(prefix + name + "/", pattern, out, depth - 1, unreadable);
      continue;
    }
    std::string path = xfilemethod::adjustfilename(prefix + name);
    if (xfilemethod::dirMatching(prefix.c_str(), path.c_str(), pattern.c_str())) out.push_back(path);
  }
}

}  // namespace

int xfilemethod::dir(const char* folder, const char* pattern, std::vector<std::string>& out, int depth,
                     std::vector<std::pair<std::string, std::string>>* unreadable) {
  if (!folder) return 0;
  std::string pat = adjustfilename(std::string(pattern ? pattern : ""));
  std::string base = getFile_Path(folder, false);
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  if (!pathExist(base)) return static_cast<int>(out.size());
  listFolder(base + "/", pat, out, depth, unreadable);
  return static_cast<int>(out.size());
}

namespace {
// The reason of the last failed writeFileAtomic (owner: that function).
std::string g_lastWriteError;

bool isPlainFile(const std::string& path);
void removeFile(const std::string& path);
#ifdef _WIN32
xfilemethod::Rewrite overwriteInPlace(const std::string& path, const std::string& text);
std::string joinedPieces(const std::string_view* pieces, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) text += pieces[i];
  return text;
}
#endif
}  // namespace

const std::string& xfilemethod::lastWriteError() { return g_lastWriteError; }

#ifdef _WIN32
std::wstring xfilemethod::widePath(const std::string& path) {
  const int n = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), n);
  // A folder's path may hold MAX_PATH - 12 characters (room for a file
  // name); from there on, and for every longer path, the prefixed form.
  if (wide.size() < MAX_PATH - 12 || wide.compare(0, 4, L"\\\\?\\") == 0) return wide;
  for (wchar_t& c : wide)
    if (c == L'/') c = L'\\';
  // The prefixed form is taken as it stands: "." and ".." go first.
  const DWORD need = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (need == 0) return wide;
  std::wstring full(need, L'\0');
  const DWORD len = GetFullPathNameW(wide.c_str(), need, full.data(), nullptr);
  if (len == 0 || len >= need) return wide;
  full.resize(len);
  if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::string xfilemethod::ansiName(const wchar_t* name) {
  const int n = WideCharToMultiByte(CP_ACP, 0, name, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, name, -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}
#endif

bool xfilemethod::writeFileAtomic(const std::string& path, const char* data, size_t size) {
  const std::string_view whole(data, size);
  return writeFileAtomic(path, &whole, 1);
}

bool xfilemethod::writeFileAtomic(const std::string& path, const std::string_view* pieces, size_t count) {
  // A folder that cannot be made is the reason to give, not the "No such
  // file or directory" of the file inside it.
  std::string folderError;
  makeParentFolders(path, folderError);
  // The first write of a run into a folder clears what a stopped run left there.
  static std::set<std::string> swept;
#ifdef _WIN32
  const size_t slash = path.find_last_of("/\\");
#else
  const size_t slash = path.rfind('/');
#endif
  const std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
  if (swept.insert(folder).second) removeStaleTemps(folder, false);
#ifdef _WIN32
  std::string tmp = path + ".ruvotmp-" + std::to_string(GetCurrentProcessId());
#else
  std::string tmp = path + ".ruvotmp-" + std::to_string(getpid());
#endif
  PendingTemp pending(tmp);
  FILE* f = openTempStream(tmp);
  if (!f) {
    g_lastWriteError = std::strerror(errno);
#ifndef _WIN32
    if (errno == ENOENT)
#endif
      if (!folderError.empty()) g_lastWriteError = "the folder " + folder + " cannot be made: " + folderError;
    return false;
  }
  bool ok = true;
  for (size_t i = 0; ok && i < count; ++i)
    ok = pieces[i].empty() || fwrite(pieces[i].data(), 1, pieces[i].size(), f) == pieces[i].size();
  if (!ok) g_lastWriteError = std::strerror(errno);
  if (fclose(f) != 0 && ok) {
    g_lastWriteError = std::strerror(errno);
    ok = false;
  }
#ifdef _WIN32
  if (ok && !MoveFileExW(widePath(tmp).c_str(), widePath(path).c_str(), MOVEFILE_REPLACE_EXISTING)) {
    const DWORD code = GetLastError();
    // Another program holds the file open without letting it be replaced
    // (a viewer or a server reading the script). When it lets others write,
    // the text goes into the file itself, whole, as a plain write of the
    // file would put it; a read-only file or one locked for writing stays
    // as it was and is reported.
    removeFile(tmp);
    if ((code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION) && isPlainFile(path) &&
        overwriteInPlace(path, joinedPieces(pieces, count)) == Rewrite::Written)
      return true;
    g_lastWriteError = "cannot replace it: it is read-only or open in another program (" + systemError(code) + ")";
    return false;
  }
#else
  if (ok && std::rename(tmp.c_str(), path.c_str()) != 0) {
    g_lastWriteError = std::strerror(errno);
    ok = false;
  }
#endif
  if (!ok) removeFile(tmp);
  return ok;
}

namespace {

#ifdef _WIN32
// Writes `size` bytes from the start of the file.
bool writeAll(HANDLE h, const char* data, size_t size) {
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(h, start, nullptr, FILE_BEGIN)) return false;
  size_t done = 0;
  while (done < size) {
    const DWORD chunk = size - done > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size - done);
    DWORD n = 0;
    if (!WriteFile(h, data + done, chunk, &n, nullptr) || n == 0) return false;
    done += n;
  }
  return true;
}

// Overwrites the existing file `path` with `text`, keeping the file itself
// (and so its other names, attributes and security). Gone when the file no
// longer exists.
xfilemethod::Rewrite overwriteInPlace(const std::string& path, const std::string& text) {
  HANDLE h = openShared(path, GENERIC_WRITE);
  if (h == INVALID_HANDLE_VALUE) return notFound(GetLastError()) ? xfilemethod::Rewrite::Gone : xfilemethod::Rewrite::Failed;
  bool ok = GetFileType(h) == FILE_TYPE_DISK && writeAll(h, text.data(), text.size()) && SetEndOfFile(h);
  ok = CloseHandle(h) && ok;
  return ok ? xfilemethod::Rewrite::Written : xfilemethod::Rewrite::Failed;
}

// Puts the finished temporary file in the place of `path` only while `path`
// still exists: ReplaceFile fails when the file to replace is gone, so a
// file deleted meanwhile stays deleted. It gives the new text the replaced
// file's attributes, owner and access rights.
xfilemethod::Rewrite replaceExisting(const std::string& tmp, const std::string& path) {
  if (ReplaceFileW(xfilemethod::widePath(path).c_str(), xfilemethod::widePath(tmp).c_str(), nullptr,
                   REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
    return xfilemethod::Rewrite::Written;
  const DWORD code = GetLastError();
  DeleteFileW(xfilemethod::widePath(tmp).c_str());
  return notFound(code) ? xfilemethod::Rewrite::Gone : xfilemethod::Rewrite::Failed;
}

// A file that is neither a folder, a link (reparse point) nor a device.
bool isPlainFile(const std::string& path) {
  const DWORD a = GetFileAttributesW(xfilemethod::widePath(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES &&
         !(a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE));
}

void removeFile(const std::string& path) { DeleteFileW(xfilemethod::widePath(path).c_str()); }

bool renameFile(const std::string& from, const std::string& to) {
  return MoveFileExW(xfilemethod::widePath(from).c_str(), xfilemethod::widePath(to).c_str(), 0) != 0;
}

std::string processNumber() { return std::to_string(GetCurrentProcessId()); }
#else
bool writeAll(int fd, const char* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Overwrites the existing file `path` with `text`, keeping its inode (and so
// its other names, owner and mode). Gone when the file no longer exists.
xfilemethod::Rewrite overwriteInPlace(const std::string& path, const std::string& text) {
  const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return errno == ENOENT ? xfilemethod::Rewrite::Gone : xfilemethod::Rewrite::Failed;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && writeAll(fd, text.data(), text.size()) &&
            ftruncate(fd, static_cast<off_t>(text.size())) == 0;
  ok = close(fd) == 0 && ok;
  return ok ? xfilemethod::Rewrite::Written : xfilemethod::Rewrite::Failed;
}

// Puts the finished temporary file in the place of `path` only while `path`
// still exists: a file deleted meanwhile stays deleted. Afterwards the
// temporary name holds the old file, which goes.
xfilemethod::Rewrite replaceExisting(const std::string& tmp, const std::string& path) {
#ifdef __linux__
  if (renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0) {
    unlink(tmp.c_str());
    return xfilemethod::Rewrite::Written;
  }
  if (errno == ENOENT) {
    unlink(tmp.c_str());
    return xfilemethod::Rewrite::Gone;
  }
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
    unlink(tmp.c_str());
    return xfilemethod::Rewrite::Failed;
  }
#endif
  // A file system without the exchange: look, then rename.
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) {
    unlink(tmp.c_str());
    return xfilemethod::Rewrite::Gone;
  }
  if (rename(tmp.c_str(), path.c_str()) == 0) return xfilemethod::Rewrite::Written;
  unlink(tmp.c_str());
  return xfilemethod::Rewrite::Failed;
}

bool isPlainFile(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void removeFile(const std::string& path) { unlink(path.c_str()); }

bool renameFile(const std::string& from, const std::string& to) { return rename(from.c_str(), to.c_str()) == 0; }

std::string processNumber() { return std::to_string(getpid()); }
#endif

}  // namespace

bool xfilemethod::fileIdentity(const std::string& path, uint64_t& device, uint64_t& index) {
#ifdef _WIN32
  // Opening with no access rights reads the identity of files and folders
  // alike (a link is followed).
  HANDLE h = openShared(path, 0, FILE_FLAG_BACKUP_SEMANTICS);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  if (!ok) return false;
  device = info.dwVolumeSerialNumber;
  index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
#else
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  device = static_cast<uint64_t>(st.st_dev);
  index = static_cast<uint64_t>(st.st_ino);
  return true;
#endif
}

bool xfilemethod::readSource(const std::string& path, SourceFile& out) {
#ifdef _WIN32
  // The full path, in the ANSI code page as given.
  const DWORD need = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (need == 0) return false;
  std::string target(need, '\0');
  const DWORD len = GetFullPathNameA(path.c_str(), need, target.data(), nullptr);
  if (len == 0 || len >= need) return false;
  target.resize(len);
  HANDLE h = openShared(target, GENERIC_READ);
  if (h == INVALID_HANDLE_VALUE) return false;
  // A symbolic link is followed to its target, which the rewrite then
  // replaces, so that the link stays a link.
  const std::string final = finalPath(h);
  if (!final.empty()) target = final;
  BY_HANDLE_FILE_INFORMATION info;
  // A device named like a source is not read (it could block).
  bool ok = GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) &&
            !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  std::string text;
  char buf[65536];
  while (ok) {
    DWORD n = 0;
    if (!ReadFile(h, buf, sizeof buf, &n, nullptr)) ok = false;
    if (!ok || n == 0) break;
    text.append(buf, n);
  }
  CloseHandle(h);
  if (!ok) return false;
  out.path = target;
  out.text.swap(text);
  out.device = info.dwVolumeSerialNumber;
  out.inode = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  out.links = info.nNumberOfLinks;
  // Windows keeps no mode and no numeric owner: only the read-only attribute.
  out.mode = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  out.owner = 0;
  out.group = 0;
  return true;
#else
  char* resolved = realpath(path.c_str(), nullptr);
  if (!resolved) return false;
  std::string target = resolved;
  free(resolved);
  struct stat st;
  // A FIFO or device named like a source is not opened (it could block).
  if (stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  const int fd = open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  std::string text;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  char buf[65536];
  while (ok) {
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    text.append(buf, static_cast<size_t>(n));
  }
  close(fd);
  if (!ok) return false;
  out.path = target;
  out.text.swap(text);
  out.device = static_cast<uint64_t>(st.st_dev);
  out.inode = static_cast<uint64_t>(st.st_ino);
  out.links = static_cast<uint64_t>(st.st_nlink);
  out.mode = static_cast<uint32_t>(st.st_mode);
  out.owner = static_cast<uint32_t>(st.st_uid);
  out.group = static_cast<uint32_t>(st.st_gid);
  return true;
#endif
}

xfilemethod::Rewrite xfilemethod::rewriteSource(const SourceFile& file, const std::string& text) {
  const std::string pid = processNumber();
  const std::string tmp = file.path + ".ruvotmp-" + pid;
  std::optional<PendingTemp> pending;
  // Another name for the same file, or an owner this user cannot give to a
  // new file: the finished copy is written over the file itself.
  bool inPlace = false;
#ifdef _WIN32
  // Read-only by its attribute, or for this user (its access rights).
  if ((file.mode & 0222) == 0) return GetFileAttributesW(widePath(file.path).c_str()) == INVALID_FILE_ATTRIBUTES &&
                                            notFound(GetLastError())
                                        ? Rewrite::Gone
                                        : Rewrite::ReadOnly;
  HANDLE h = openShared(file.path, GENERIC_WRITE | FILE_READ_ATTRIBUTES);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (notFound(code)) return Rewrite::Gone;
    return code == ERROR_ACCESS_DENIED ? Rewrite::ReadOnly : Rewrite::Failed;
  }
  BY_HANDLE_FILE_INFORMATION now;
  const bool known = GetFileInformationByHandle(h, &now) != 0;
  CloseHandle(h);
  if (!known) return Rewrite::Failed;
  const uint64_t index = (static_cast<uint64_t>(now.nFileIndexHigh) << 32) | now.nFileIndexLow;
  if (index != file.inode || now.dwVolumeSerialNumber != file.device) return Rewrite::Replaced;

  pending.emplace(tmp);
  HANDLE out = createTemp(tmp, CREATE_NEW);
  if (out == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS) {
    // Left by an earlier process of the same number.
    if (isPlainFile(tmp)) removeFile(tmp);
    out = createTemp(tmp, CREATE_NEW);
  }
  if (out == INVALID_HANDLE_VALUE) return Rewrite::Failed;
  bool ok = writeAll(out, text.data(), text.size());
  ok = CloseHandle(out) && ok;
  // ReplaceFile keeps the owner and access rights of the file it replaces;
  // the attributes are given to the copy here as well, since not every
  // implementation of it merges them.
  const DWORD kept = now.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                             FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  if (ok && kept) SetFileAttributesW(widePath(tmp).c_str(), kept);
  inPlace = now.nNumberOfLinks > 1;
#else
  // Read-only by its mode (also for a user who could write it anyway) or
  // for this user.
  if ((file.mode & 0222) == 0 || access(file.path.c_str(), W_OK) != 0) {
    if (errno == ENOENT) return Rewrite::Gone;
    return Rewrite::ReadOnly;
  }
  struct stat now;
  if (lstat(file.path.c_str(), &now) != 0) return Rewrite::Gone;
  if (static_cast<uint64_t>(now.st_ino) != file.inode || static_cast<uint64_t>(now.st_dev) != file.device)
    return Rewrite::Replaced;

  pending.emplace(tmp);
  int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0 && errno == EEXIST) {
    // Left by an earlier process of the same number.
    if (isPlainFile(tmp)) removeFile(tmp);
    fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  }
  if (fd < 0) return Rewrite::Failed;
  bool ok = writeAll(fd, text.data(), text.size());
  inPlace = now.st_nlink > 1;
  if (ok && !inPlace) {
    struct stat mine;
    if (fstat(fd, &mine) != 0) {
      inPlace = true;
    } else if ((mine.st_uid != file.owner || mine.st_gid != file.group) && fchown(fd, file.owner, file.group) != 0) {
      inPlace = true;
    }
    if (!inPlace && fchmod(fd, static_cast<mode_t>(file.mode & 07777)) != 0) inPlace = true;
  }
  ok = close(fd) == 0 && ok;
#endif
  if (!ok) {
    removeFile(tmp);
    return Rewrite::Failed;
  }
  if (!inPlace) return replaceExisting(tmp, file.path);

  // The finished copy gets a name of its own before the file is touched, so
  // that a run stopped halfway can be completed from it.
  const std::string done = file.path + ".ruvodone-" + pid;
  if (!renameFile(tmp, done)) {
    removeFile(tmp);
    return Rewrite::Failed;
  }
  // From here the finished copy is what a stopped run is completed from.
  pending.reset();
  Rewrite result = overwriteInPlace(file.path, text);
  // A write that stopped partway (a full disk) puts the old text back; it
  // fits in the room the file had.
  if (result == Rewrite::Failed) overwriteInPlace(file.path, file.text);
  removeFile(done);
  return result;
}

namespace {

// The process number of a temporary file name of this program
// ("<name>.ruvotmp-<pid>" or "<name>.ruvodone-<pid>"), with the mark and the
// name before it; 0 for any other name.
long tempFileProcess(const std::string& name, std::string& base, bool& done) {
  for (const char* mark : {".ruvotmp-", ".ruvodone-"}) {
    const size_t at = name.rfind(mark);
    if (at == std::string::npos || at == 0) continue;
    const std::string digits = name.substr(at + std::strlen(mark));
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) return 0;
    base = name.substr(0, at);
    done = std::strcmp(mark, ".ruvodone-") == 0;
    return std::stol(digits);
  }
  return 0;
}

bool processRuns(long pid) {
#ifdef _WIN32
  if (pid == static_cast<long>(GetCurrentProcessId())) return true;
  HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
  // A process this user may not look at runs; no process of the number
  // gives an invalid parameter.
  if (!h) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  const bool runs = GetExitCodeProcess(h, &code) && code == STILL_ACTIVE;
  CloseHandle(h);
  return runs;
#else
  if (pid == static_cast<long>(getpid())) return true;
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#endif
}

void sweepFolder(const std::string& folder, bool tree, int depth) {
  for (const auto& [name, isDir] : listEntries(folder)) {
    const std::string path = folder + name;
    if (isDir) {
      if (tree && depth > 0) sweepFolder(path + "/", tree, depth - 1);
      continue;
    }
    std::string base;
    bool done = false;
    const long pid = tempFileProcess(name, base, done);
    if (pid <= 0 || !isPlainFile(path) || processRuns(pid)) continue;
    const std::string target = folder + base;
    if (done && isPlainFile(target)) {
      // The finished text goes over the file that was being overwritten.
      xfilemethod::SourceFile finished;
      if (!xfilemethod::readSource(path, finished) ||
          overwriteInPlace(target, finished.text) != xfilemethod::Rewrite::Written) {
        ruvo_error("ruvojs: cannot finish the rewrite of %s from %s, which is kept\n", target.c_str(), path.c_str());
        continue;
      }
      ruvo_error("ruvojs: finished the rewrite of %s that a stopped run had begun\n", target.c_str());
    } else {
      ruvo_error("ruvojs: removed %s, left by a stopped run\n", path.c_str());
    }
    removeFile(path);
  }
}

}  // namespace

void xfilemethod::removeStaleTemps(const std::string& folder, bool tree) {
  std::string base = folder;
  while (base.size() > 1 && isSeparator(base.back())) base.pop_back();
  if (!pathExist(base)) return;
  sweepFolder(base == "/" ? base : base + "/", tree, 10000);
}
