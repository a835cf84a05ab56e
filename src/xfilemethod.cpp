#include "xfilemethod.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "message.h"

namespace fs = std::filesystem;

namespace {

// Overrides the computed base folder; nothing sets it in a normal run.
std::string g_binPathOverride;

bool segmentStart(const std::string& out) { return out.empty() || out.back() == '/'; }

std::string currentFolder() {
  std::error_code ec;
  fs::path p = fs::current_path(ec);
  return ec ? std::string() : p.string();
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
    ruvo_print("cwd:%s\n", cwd.c_str());
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
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  std::string s = ec ? std::string() : exe.string();
  size_t last = s.rfind('/');
  return last == std::string::npos ? s : s.substr(0, last);
}

std::string xfilemethod::getBinPath() {
  if (!g_binPathOverride.empty()) return g_binPathOverride;
  return getFilePath(GetExeDir().c_str());
}

bool xfilemethod::pathExist(const char* path) {
  if (!path) return false;
  std::error_code ec;
  return fs::is_directory(path, ec);
}

int64_t xfilemethod::getFileSize(const char* path) {
  if (!path || !*path) return 0;
  // One stat call (links followed) gives both the kind and the size.
  struct stat st;
  if (stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  return static_cast<int64_t>(st.st_size);
}

void xfilemethod::createDirectoryS(const char* path) {
  if (!path) return;
  std::error_code ec;
  fs::path p(path);
  if (p.has_parent_path()) fs::create_directories(p.parent_path(), ec);
}

char* xfilemethod::readfile(const char* path, int& size, const char* mode) {
  std::string full = getFile_Path(path, false);
  int64_t n = getFileSize(full);
  size = n > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(n);
  if (n <= 0) return nullptr;
  // Text and binary modes read the same bytes here; the file is read with
  // plain calls, without a stdio buffer of its own.
  (void)mode;
  const int fd = open(full.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  char* buf = new char[static_cast<size_t>(size) + 1];
  size_t got = 0;
  while (got < static_cast<size_t>(size)) {
    const ssize_t n = read(fd, buf + got, static_cast<size_t>(size) - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  close(fd);
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

void listFolder(const std::string& prefix, const std::string& pattern, std::vector<std::string>& out, int depth,
                std::vector<std::pair<std::string, std::string>>* unreadable) {
  std::vector<std::pair<std::string, bool>> entries;  // name, is a real folder (a link to one is not)
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
  } else if (unreadable) {
    unreadable->emplace_back(prefix, std::strerror(errno));
  }
  // Sorted bytewise, so the output never depends on the file system's order.
  std::sort(entries.begin(), entries.end());
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
}  // namespace

const std::string& xfilemethod::lastWriteError() { return g_lastWriteError; }

bool xfilemethod::writeFileAtomic(const std::string& path, const char* data, size_t size) {
  createDirectoryS(path.c_str());
  std::string tmp = path + ".ruvotmp-" + std::to_string(getpid());
  FILE* f = fopen(tmp.c_str(), "wb");
  if (!f) {
    g_lastWriteError = std::strerror(errno);
    return false;
  }
  bool ok = size == 0 || fwrite(data, 1, size, f) == size;
  if (!ok) g_lastWriteError = std::strerror(errno);
  if (fclose(f) != 0 && ok) {
    g_lastWriteError = std::strerror(errno);
    ok = false;
  }
  if (ok) {
    std::error_code ec;
    fs::rename(tmp, path, ec);
    ok = !ec;
    if (!ok) g_lastWriteError = ec.message();
  }
  if (!ok) std::remove(tmp.c_str());
  return ok;
}
