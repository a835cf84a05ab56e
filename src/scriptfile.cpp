// Source-file records: one per normalised path, created the first time the
// file's text is asked for and kept to the end of the run.
#include "scriptfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>

#include "CompilerOptions.h"
#include "message.h"
#include "wideText.h"
#include "xfilemethod.h"

// Process-wide (owner: this unit; reset by resetScriptFiles).
OrderedMap<ScriptFile*> ScriptFile::LoadedFileMap;
PrefixOrderedMap<ScriptFile*> ScriptFile::GlobalClassWidthFileMap;
PrefixOrderedMap<TokenPackage*> ScriptFile::GlobalFunctionWidthFileMap;
OrderedMap<ScriptFile*> ScriptFile::firstFiles;

namespace {

#ifdef _WIN32
// The wide calls take paths longer than MAX_PATH (xfilemethod::widePath).
using FileStatus = struct _stat64;
int fileStatus(const std::string& path, FileStatus& st) { return _wstat64(xfilemethod::widePath(path).c_str(), &st); }
#else
using FileStatus = struct stat;
int fileStatus(const std::string& path, FileStatus& st) { return stat(path.c_str(), &st); }
#endif

bool isEngineFile(const std::string& path) {
  static const char* const kMarks[] = {"/ruvo/", "/Config.as", "/Ruvo.as", "/Ruvo3D.as", "/Ts.as", "/UIConfig.as"};
  for (const char* mark : kMarks)
    if (path.find(mark) != std::string::npos) return true;
  return false;
}

// A text saved in UTF-16 or UTF-32 (told by its byte order mark, or by the
// zero bytes of its first character) becomes UTF-8 without the mark, and
// the encoding's name is returned; any other text is left alone ("").
std::string utf16or32ToUtf8(std::string& bytes) {
  const WideEncoding encoding = wideEncodingOf(bytes);
  if (!encoding.wide()) return "";
  bytes = wideToUtf8(bytes, encoding);
  return encoding.name();
}

// The line (from 0) of byte `at`: LF, CR LF and a lone CR each end one.
int32_t lineOf(const std::string& text, size_t at) {
  int32_t line = 0;
  for (size_t i = 0; i < at && i < text.size(); ++i)
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++line;
  return line;
}

// The whole file, or false with the reason when it exists but cannot be
// read or is not a regular file. A missing or empty file reads as an empty
// text, as before.
bool readSource(const std::string& path, std::string& bytes, std::string& reason) {
  FileStatus st;
  if (fileStatus(path, st) != 0) {
#ifdef _WIN32
    if (errno == ENOENT) return true;  // no such file at all
#else
    struct stat link;
    if (errno == ENOENT && lstat(path.c_str(), &link) != 0) return true;  // no such file at all
#endif
    reason = std::strerror(errno);
    return false;
  }
  // A pipe or a device under a source name would give nothing (or never
  // end): it is named rather than read as an empty class.
  if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
    reason = "not a regular file";
    return false;
  }
  if (!S_ISREG(st.st_mode) || st.st_size == 0) return true;
#ifdef _WIN32
  const int fd = _wopen(xfilemethod::widePath(path).c_str(), _O_RDONLY | _O_BINARY);  // every byte, 0x1A and CR LF too
#else
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
#endif
  if (fd < 0) {
    reason = std::strerror(errno);
    return false;
  }
  bytes.resize(static_cast<size_t>(st.st_size));
  size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t r = read(fd, bytes.data() + got, bytes.size() - got);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) {
      reason = std::strerror(errno);
      close(fd);
      bytes.clear();
      return false;
    }
    if (r == 0) break;
    got += static_cast<size_t>(r);
  }
  close(fd);
  bytes.resize(got);
  return true;
}

}  // namespace

ScriptFile::ScriptFile(const char* path, const char* text) : path(path ? path : ""), text(text ? text : "") {
  usedMark = __ISRELEASE__ ? -1 : 0;
  engineFile = isEngineFile(this->path) ? 1 : 0;
}

std::string ScriptFile::FormatFileName(const std::string& path) {
  // Backslashes become "/" and a run of separators one "/", so a folder
  // written "/tmp//x" or "/tmp/" + "/x" names its files by one key only.
  // Nearly every path asked for is a key already (no backslash, no "//"):
  // one read finds that and the path comes back as it is.
  const char* const text = path.data();
  const size_t size = path.size();
  size_t at = 0;
  while (at < size && text[at] != '\\' && !(text[at] == '/' && at > 0 && text[at - 1] == '/')) ++at;
  if (at == size) return path;
  // Written through a pointer into room for the whole path: the
  // pre-scan asks for every folder of every wildcard import.
  std::string out(path.size(), '\0');
  char* const begin = out.data();
  char* w = begin;
  for (char c : path) {
    if (c == '\\') c = '/';
    if (c == '/' && w != begin && w[-1] == '/') continue;
    *w++ = c;
  }
  out.resize(static_cast<size_t>(w - begin));
  return out;
}

const std::string& ScriptFile::LoadFile(const std::string& path) {
  static const std::string kNone;
  const std::string key = FormatFileName(path);
  if (ScriptFile* known = LoadedFileMap.get(key, nullptr)) {
    if (known->textReleased) {
      known->textReleased = 0;
      readSourceText(key, known->text);
    }
    return known->text;
  }
  int64_t fileTime = 0;
  FileStatus st;
  if (fileStatus(key, st) == 0) fileTime = static_cast<int64_t>(st.st_mtime);
  std::string text;
  std::string reason;
  if (!readSource(xfilemethod::getFile_Path(key, false), text, reason))
    MSGTO(MessageType::Problem, key.c_str(), 0, "Can not read file:%s (%s)", key.c_str(), reason.c_str());
  const std::string encoding = utf16or32ToUtf8(text);
  if (!encoding.empty()) MSGTO(MessageType::Problem, key.c_str(), 0, "The file is in %s: it is converted to UTF-8", encoding.c_str());
  // The text ends at a NUL byte; the file's tree reports where.
  int32_t nulLine = -1;
  const size_t nul = text.find('\0');
  if (nul != std::string::npos) {
    nulLine = lineOf(text, nul);
    text.resize(nul);
  }
  // A Flash-only file gets no record, so a later call reads it again.
  if (!thisFileUse(text)) return kNone;
  auto* record = new ScriptFile(key.c_str(), nullptr);
  record->text = std::move(text);
  record->fileTime = fileTime;
  record->nulLine = nulLine;
  LoadedFileMap[key] = record;
  return record->text;
}

bool ScriptFile::readSourceText(const std::string& path, std::string& text) {
  std::string bytes;
  std::string reason;
  if (!readSource(xfilemethod::getFile_Path(path, false), bytes, reason) || bytes.empty()) return false;
  utf16or32ToUtf8(bytes);
  const size_t nul = bytes.find('\0');
  if (nul != std::string::npos) bytes.resize(nul);
  text = bytes;
  return true;
}

void ScriptFile::releaseText() {
  std::string().swap(text);
  textReleased = 1;
}

bool ScriptFile::RegClass(const std::string& fullName, const std::string& path) {
  ScriptFile* record = LoadedFileMap.get(path, nullptr);
  if (!record) {
    MSGTO(MessageType::Problem, path.c_str(), 0, "Reg Class no this file:%s", path.c_str());
    return false;
  }
  GlobalClassWidthFileMap[fullName] = record;
  return true;
}

void ScriptFile::setScriptDec(const std::string& path, std::string&& script) {
  ScriptFile* record = LoadedFileMap.get(path, nullptr);
  if (!record) {
    MSGTO(MessageType::Problem, path.c_str(), 0, "setScriptDec no this file:%s", path.c_str());
    return;
  }
  record->script = std::move(script);
  // The formatter reserves room for the layout it may add; the record keeps
  // the text to the end of the compile, so it keeps just the bytes.
  record->script.shrink_to_fit();
}

// The file's warnings, numbered on from the caller's running counter.
std::string ScriptFile::toWarning(int& counter) {
  std::string out;
  for (const std::string& warning : warnings) {
    ++counter;
    out.append(std::to_string(counter)).append(" ").append(warning).append("\r\n");
  }
  return out;
}

bool ScriptFile::write(const std::string& path, const std::string& text) {
  return xfilemethod::writeFileAtomic(path, text.data(), text.size());
}

// False for a Flash-only source: its first "/*[IF-FLASH]*/" marker stands,
// after blanks and line ends only, before the word "package".
bool ScriptFile::thisFileUse(const std::string& text) {
  static const char kMarker[] = "/*[IF-FLASH]*/";
  const size_t at = text.find(kMarker);
  if (at == std::string::npos) return true;
  size_t i = at + sizeof(kMarker) - 1;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
  if (i >= text.size()) return true;
  return text.compare(i, 7, "package") != 0;
}

// Release mode: marks this file and every file it uses, depth first. A
// file is marked with the size of its used-files map, so a marked file is
// not walked again and cycles end. The walk keeps its own stack.
void ScriptFile::checkUse() {
  std::vector<ScriptFile*> stack{this};
  while (!stack.empty()) {
    ScriptFile* f = stack.back();
    stack.pop_back();
    const int32_t count = static_cast<int32_t>(f->usedFiles.size());
    if (f->usedMark == count) continue;
    f->usedMark = count;
    std::vector<ScriptFile*> next;
    for (auto& entry : f->usedFiles)
      if (entry.second) next.push_back(entry.second);
    stack.insert(stack.end(), next.rbegin(), next.rend());
  }
}

void ScriptFile::checkUseFile() {
  if (!__ISRELEASE__) return;
  for (auto& entry : firstFiles)
    if (entry.second) entry.second->checkUse();
}

void resetScriptFiles() {
  for (auto& entry : ScriptFile::LoadedFileMap) delete entry.second;
  ScriptFile::LoadedFileMap.clear();
  ScriptFile::GlobalClassWidthFileMap.clear();
  ScriptFile::GlobalFunctionWidthFileMap.clear();
  ScriptFile::firstFiles.clear();
}
