// Source-file records: one per normalised path, created the first time the
// file's text is asked for and kept to the end of the run.
#include "scriptfile.h"

#include <sys/stat.h>

#include <cstring>

#include "CompilerOptions.h"
#include "message.h"
#include "xfilemethod.h"

// Process-wide (owner: this unit; reset by resetScriptFiles).
OrderedMap<ScriptFile*> ScriptFile::LoadedFileMap;
PrefixOrderedMap<ScriptFile*> ScriptFile::GlobalClassWidthFileMap;
PrefixOrderedMap<TokenPackage*> ScriptFile::GlobalFunctionWidthFileMap;
OrderedMap<ScriptFile*> ScriptFile::firstFiles;

namespace {

bool isEngineFile(const std::string& path) {
  static const char* const kMarks[] = {"/ruvo/", "/Config.as", "/Ruvo.as", "/Ruvo3D.as", "/Ts.as", "/UIConfig.as"};
  for (const char* mark : kMarks)
    if (path.find(mark) != std::string::npos) return true;
  return false;
}

}  // namespace

ScriptFile::ScriptFile(const char* path, const char* text) : path(path ? path : ""), text(text ? text : "") {
  usedMark = __ISRELEASE__ ? -1 : 0;
  engineFile = isEngineFile(this->path) ? 1 : 0;
}

std::string ScriptFile::FormatFileName(const std::string& path) {
  std::string out = path;
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

const std::string& ScriptFile::LoadFile(const std::string& path) {
  static const std::string kNone;
  const std::string key = FormatFileName(path);
  if (ScriptFile* known = LoadedFileMap.get(key, nullptr)) return known->text;
  int64_t fileTime = 0;
  struct stat st;
  if (stat(key.c_str(), &st) == 0) fileTime = static_cast<int64_t>(st.st_mtime);
  std::string text;
  xfilemethod::readtxtfile(key, text);
  // A Flash-only file gets no record, so a later call reads it again.
  if (!thisFileUse(text)) return kNone;
  auto* record = new ScriptFile(key.c_str(), nullptr);
  record->text = std::move(text);
  record->fileTime = fileTime;
  LoadedFileMap[key] = record;
  return record->text;
}

bool ScriptFile::RegClass(const std::string& fullName, const std::string& path) {
  ScriptFile* record = LoadedFileMap.get(path, nullptr);
  if (!record) {
    MSGTO(7, path.c_str(), 0, "Reg Class no this file:%s", path.c_str());
    return false;
  }
  GlobalClassWidthFileMap[fullName] = record;
  return true;
}

void ScriptFile::setScriptDec(const std::string& path, std::string&& script) {
  ScriptFile* record = LoadedFileMap.get(path, nullptr);
  if (!record) {
    MSGTO(7, path.c_str(), 0, "setScriptDec no this file:%s", path.c_str());
    return;
  }
  record->script = std::move(script);
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
