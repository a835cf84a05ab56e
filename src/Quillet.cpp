#include "Quillet.h"

#include <string>
#include <unordered_set>
#include <vector>

#include "CompilerOptions.h"
#include "TokenExtends.h"
#include "TokenPackage.h"
#include "globals.h"
#include "message.h"
#include "parse.h"
#include "scriptfile.h"
#include "xfilemethod.h"

int32_t Quillet::__compilerScriptIndex__ = 1;

void resetFrontEnd() { Quillet::__compilerScriptIndex__ = 1; }

void Quillet::addPath(const char* folder) {
  // All ".jas" files of the folder come before its ".as" files.
  std::vector<std::string> listed;
  std::vector<std::pair<std::string, std::string>> unreadable;
  xfilemethod::dir(folder, ".jas", listed, 10000, &unreadable);
  xfilemethod::dir(folder, ".as", listed, 10000);
  for (const std::string& path : listed) {
    if (!_ompilerOptions_.excludeThisFile(path.c_str())) files.push_back(path);
  }
  // Its classes would be missing when the script runs.
  for (const auto& [path, reason] : unreadable)
    if (!_ompilerOptions_.excludeThisFile(path.c_str()))
      MSGTO(MessageType::Problem, path.c_str(), 0, "Can not read folder:%s (%s)", path.c_str(), reason.c_str());
  MSGTO(MessageType::Info, folder, 0, "Collect");
  __progressWork__(_msg_p, "Collect files:%s", folder);
}

void Quillet::addFile(const char* path) { files.push_back(path ? path : ""); }

void Quillet::withFiles(std::vector<std::string>& list) {
  _msg_p = 2;
  MSGTO(MessageType::Info, "", 0, "read class message");
  __progressWork__(_msg_p, "read class message");

  // Load every file and learn its class names before any file is parsed.
  // Class paths that overlap (src and src/game) list a file twice: it stays
  // where it was first listed, so it is pre-compiled and counted once.
  std::unordered_set<std::string> seen;
  size_t kept = 0;
  for (std::string& path : list) {
    std::string normal = ScriptFile::FormatFileName(path);
    if (!seen.insert(normal).second) continue;
    TokenPackage::ParseOnlyClass(normal.c_str(), ScriptFile::LoadFile(normal));
    list[kept++] = std::move(normal);
  }
  list.resize(kept);

  size_t n = list.size();
  size_t step = n / 100;
  if (step < 1) step = 1;
  for (size_t i = 0; i < n; ++i) {
    // A stopped compile parses nothing more.
    if (compileStop() != CompileStop::None) return;
    const std::string& path = list[i];
    if (_ompilerOptions_.excludeThisFile(path.c_str())) continue;
    if (i % step == 0) {
      _msg_p = static_cast<float>(i) / static_cast<float>(n) * 40 + 10;
      MSGTO(MessageType::PreCompiling, path.c_str(), 0, "%s", "");
      __progressWork__(_msg_p, "precompile file:///%s", path.c_str());
    }
    withFile(path.c_str());
  }
}

int Quillet::withFile(const char* path) {
  if (compileStop() != CompileStop::None) return 0;
  std::string p = path ? path : "";
  if (p.find("__js__.as") != std::string::npos || p.find("__JS__.as") != std::string::npos) return 0;
  std::string key = ScriptFile::FormatFileName(p);
  ScriptFile* record = ScriptFile::LoadedFileMap.get(key, nullptr);
  if (!record || record->parsed || !record->hasPackage) return 0;
  if (pretreating_) {
    // Asked for by the file being pretreated: parsed right after it.
    requests_.push_back(key);
    return 1;
  }
  try {
    return parseWithRequests(key);
  } catch (const CompileStopped&) {
    // A pass stopped the compile in the middle of a file (the stop is on
    // record); the files asked for are not parsed.
    pretreating_ = false;
    requests_.clear();
    return 0;
  }
}

int Quillet::parseWithRequests(const std::string& key) {
  constexpr size_t kNone = static_cast<size_t>(-1);
  struct Node {
    Parse* parse;
    std::vector<size_t> requested;  // the nodes of the files it asked for
  };
  std::vector<Node> nodes;
  std::vector<std::pair<std::string, size_t>> queue{{key, kNone}};  // path, asking node; the last is next

  pretreating_ = true;
  while (!queue.empty()) {
    auto [path, asking] = queue.back();
    queue.pop_back();
    ScriptFile* record = ScriptFile::LoadedFileMap.get(path, nullptr);
    if (!record || record->parsed) continue;  // asked for twice
    const std::string& text = ScriptFile::LoadFile(path);
    if (text.empty()) continue;
    record->scriptIndex = __compilerScriptIndex__++;
    record->parsed = 1;
    requests_.clear();
    Parse* parse = new Parse(this, text.c_str(), path.c_str(), record->scriptIndex);
    record->releaseText();
    const size_t self = nodes.size();
    nodes.push_back({parse, {}});
    if (asking != kNone) nodes[asking].requested.push_back(self);
    if (compileStop() != CompileStop::None) break;
    for (auto it = requests_.rbegin(); it != requests_.rend(); ++it) queue.emplace_back(*it, self);
  }
  requests_.clear();
  pretreating_ = false;
  if (compileStop() == CompileStop::None) TokenExtends::linkWaitingClasses();

  // Every file after the files it asked for (a post-order walk of the requests).
  std::vector<std::pair<size_t, size_t>> walk;  // node, next request to visit
  if (!nodes.empty()) walk.emplace_back(0, 0);
  while (!walk.empty()) {
    auto& [node, next] = walk.back();
    if (next < nodes[node].requested.size()) {
      const size_t child = nodes[node].requested[next++];
      walk.emplace_back(child, 0);
      continue;
    }
    parses.push_back(nodes[node].parse);
    walk.pop_back();
  }
  return nodes.empty() ? 0 : 1;
}

void Quillet::allToJs() {
  size_t n = parses.size();
  if (n == 0) return;
  size_t step = n / 100;
  if (step < 1) step = 1;
  for (size_t i = 0; i < n; ++i) {
    Parse* parse = parses[i];
    if (i % step == 0) {
      float percent = static_cast<float>(i) / static_cast<float>(n) * 40 + 50;
      __progressWork__(percent, "compiled file:///%s", parse->path.c_str());
      _msg_p = percent;
      MSGTO(MessageType::Converted, parse->path.c_str(), 0, "%s", "");
    }
    parse->toJavaScript();
    ScriptFile::setScriptDec(parse->path, std::move(parse->jsText));
  }
}
