#include "xfilemethod.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <system_error>

#include "message.h"

namespace fs = std::filesystem;

namespace {

// Overrides the computed base folder; nothing sets it in a normal run.
std::string g_binPathOverride;

// The temporary file being written, removed when an interrupt or a
// termination request stops the run (a kill -9 leaves it to the next run).
char g_pendingTemp[4096];
volatile sig_atomic_t g_havePendingTemp = 0;

extern "C" void removePendingTemp(int sig) {
  if (g_havePendingTemp) unlink(g_pendingTemp);
  signal(sig, SIG_DFL);
  raise(sig);
}

// Names the temporary file for the signal handler while it lives.
class PendingTemp {
 public:
  explicit PendingTemp(const std::string& path) {
    static const bool installed = [] {
      for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old;
        if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_DFL) signal(sig, removePendingTemp);
      }
      return true;
    }();
    (void)installed;
    if (path.size() >= sizeof g_pendingTemp) return;
    g_havePendingTemp = 0;
    std::memcpy(g_pendingTemp, path.c_str(), path.size() + 1);
    g_havePendingTemp = 1;
  }
  ~PendingTemp() { g_havePendingTemp = 0; }
  PendingTemp(const PendingTemp&) = delete;
  PendingTemp& operator=(const PendingTemp&) = delete;
};

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

std::string xfilemethod::whyNoText(const std::string& path) {
  struct stat st;
  if (path.empty()) return "is not given";
  if (stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return "does not exist";
    return std::string("cannot be read (") + std::strerror(errno) + ")";
  }
  if (S_ISDIR(st.st_mode)) return "is a folder, not a file";
  if (!S_ISREG(st.st_mode)) return "is not a regular file";
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::string("cannot be read (") + std::strerror(errno) + ")";
  unsigned char head[64];
  ssize_t n = read(fd, head, sizeof head);
  close(fd);
  if (n < 0) return std::string("cannot be read (") + std::strerror(errno) + ")";
  if (n == 0) return "is empty";
  const std::string start(reinterpret_cast<const char*>(head), static_cast<size_t>(n));
  if (start.compare(0, 4, std::string("\xFF\xFE\0\0", 4)) == 0 || start.compare(0, 4, std::string("\0\0\xFE\xFF", 4)) == 0)
    return "is UTF-32 text (save it as UTF-8)";
  if (start.compare(0, 2, "\xFF\xFE") == 0 || start.compare(0, 2, "\xFE\xFF") == 0)
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
  if (start.find_first_not_of(" \t\r\n") == std::string::npos && st.st_size <= n) return "holds only blanks";
  return std::string();
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
  // A folder that cannot be made is the reason to give, not the "No such
  // file or directory" of the file inside it.
  std::error_code folderError;
  if (fs::path(path).has_parent_path()) fs::create_directories(fs::path(path).parent_path(), folderError);
  // The first write of a run into a folder clears what a stopped run left there.
  static std::set<std::string> swept;
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
  if (swept.insert(folder).second) removeStaleTemps(folder, false);
  std::string tmp = path + ".ruvotmp-" + std::to_string(getpid());
  PendingTemp pending(tmp);
  FILE* f = fopen(tmp.c_str(), "wb");
  if (!f) {
    g_lastWriteError = std::strerror(errno);
    if (errno == ENOENT && folderError)
      g_lastWriteError = "the folder " + folder + " cannot be made: " + folderError.message();
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

namespace {

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

}  // namespace

bool xfilemethod::readSource(const std::string& path, SourceFile& out) {
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
}

xfilemethod::Rewrite xfilemethod::rewriteSource(const SourceFile& file, const std::string& text) {
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

  const std::string pid = std::to_string(getpid());
  const std::string tmp = file.path + ".ruvotmp-" + pid;
  std::optional<PendingTemp> pending(std::in_place, tmp);
  int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0 && errno == EEXIST) {
    // Left by an earlier process of the same number.
    struct stat old;
    if (lstat(tmp.c_str(), &old) == 0 && S_ISREG(old.st_mode)) unlink(tmp.c_str());
    fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  }
  if (fd < 0) return Rewrite::Failed;
  bool ok = writeAll(fd, text.data(), text.size());
  // Another name for the same file, or an owner this user cannot give to a
  // new file: the finished copy is written over the file itself.
  bool inPlace = now.st_nlink > 1;
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
  if (!ok) {
    unlink(tmp.c_str());
    return Rewrite::Failed;
  }
  if (!inPlace) return replaceExisting(tmp, file.path);

  // The finished copy gets a name of its own before the file is touched, so
  // that a run stopped halfway can be completed from it.
  const std::string done = file.path + ".ruvodone-" + pid;
  if (rename(tmp.c_str(), done.c_str()) != 0) {
    unlink(tmp.c_str());
    return Rewrite::Failed;
  }
  // From here the finished copy is what a stopped run is completed from.
  pending.reset();
  Rewrite result = overwriteInPlace(file.path, text);
  // A write that stopped partway (a full disk) puts the old text back; it
  // fits in the room the file had.
  if (result == Rewrite::Failed) overwriteInPlace(file.path, file.text);
  unlink(done.c_str());
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
  if (pid == static_cast<long>(getpid())) return true;
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

void sweepFolder(const std::string& folder, bool tree, int depth) {
  std::vector<std::pair<std::string, unsigned char>> names;  // name, kind as listed
  if (DIR* d = opendir(folder.c_str())) {
    while (const dirent* entry = readdir(d)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") names.emplace_back(std::move(name), entry->d_type);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  for (const auto& [name, kind] : names) {
    const std::string path = folder + name;
    struct stat st;
    if (kind == DT_DIR || (kind == DT_UNKNOWN && tree && lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))) {
      if (tree && depth > 0) sweepFolder(path + "/", tree, depth - 1);
      continue;
    }
    std::string base;
    bool done = false;
    const long pid = tempFileProcess(name, base, done);
    if (pid <= 0 || lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || processRuns(pid)) continue;
    const std::string target = folder + base;
    struct stat ts;
    if (done && lstat(target.c_str(), &ts) == 0 && S_ISREG(ts.st_mode)) {
      // The finished text goes over the file that was being overwritten.
      xfilemethod::SourceFile finished;
      if (!xfilemethod::readSource(path, finished) ||
          overwriteInPlace(target, finished.text) != xfilemethod::Rewrite::Written) {
        fprintf(stderr, "ruvojs: cannot finish the rewrite of %s from %s, which is kept\n", target.c_str(),
                path.c_str());
        continue;
      }
      fprintf(stderr, "ruvojs: finished the rewrite of %s that a stopped run had begun\n", target.c_str());
    } else {
      fprintf(stderr, "ruvojs: removed %s, left by a stopped run\n", path.c_str());
    }
    unlink(path.c_str());
  }
}

}  // namespace

void xfilemethod::removeStaleTemps(const std::string& folder, bool tree) {
  std::string base = folder;
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  if (!pathExist(base)) return;
  sweepFolder(base == "/" ? base : base + "/", tree, 10000);
}
