// The registry of output scripts: the main ".max.js" script and the module
// scripts that source folders are sent to (module.def, module.txt, the
// engine script "ruvo.js").
#include "OneScriptFile.h"

#include <unordered_set>
#include <vector>

#include "xstringmethod.h"

// Process-wide output scripts (owner: this unit; they live for the whole
// run, module scripts are created by the project reading and never freed
// before resetOutputScripts).
OneScriptFile MainOneScriptFile;
std::string CompileWarning;
std::string mergeScript;
OrderedMap<OneScriptFile*> OneScriptFile::jsModleMap;
OneScriptFile* OneScriptFile::Main = nullptr;
OneScriptFile* OneScriptFile::RuvoJs = nullptr;

namespace {

std::string folderKey(const std::string& folder) {
  return folder.empty() || folder.back() != '/' ? folder + "/" : folder;
}

}  // namespace

// The script of the module folder named in the path; when several folders
// are, the longest (the innermost) wins, then the one registered first.
OneScriptFile* OneScriptFile::getOneScriptFile(const std::string& sourcePath) {
  OneScriptFile* found = &MainOneScriptFile;
  size_t foundLength = 0;
  for (const auto& [key, script] : jsModleMap) {
    if (key.size() > foundLength && sourcePath.find(key) != std::string::npos) {
      found = script;
      foundLength = key.size();
    }
  }
  return found;
}

void OneScriptFile::AddJsModule(const std::string& folder, const char* name, bool carriesCore, bool isMain) {
  std::string key = folderKey(folder);
  bool engine = name && std::string(name) == "ruvo.js";
  if (engine && RuvoJs) {
    jsModleMap[key] = RuvoJs;
    return;
  }
  OneScriptFile* script = new OneScriptFile();
  jsModleMap[key] = script;
  if (isMain) Main = script;
  if (carriesCore) script->noCore = false;
  if (name) {
    script->outputPath = name;
    if (engine) RuvoJs = script;
    return;
  }
  // Named after the last two folders: .../game/ui/ gives "game_ui.js".
  std::vector<std::string> pieces;
  xstringmthod::splitstr(key.substr(0, key.size() - 1), '/', pieces);
  size_t n = pieces.size();
  script->outputPath = n > 1 ? pieces[n - 2] + "_" + pieces[n - 1] + ".js" : pieces[0] + ".js";
}

void OneScriptFile::AddRuvoJsModule(const std::string& folder) {
  std::string key = folderKey(folder);
  if (RuvoJs) {
    jsModleMap[key] = RuvoJs;
    return;
  }
  OneScriptFile* script = new OneScriptFile();
  script->noCore = false;
  script->outputPath = "ruvo.js";
  jsModleMap[key] = script;
  RuvoJs = script;
}

// What stood in `text` before the first file script stays in front of it.
void OneScriptFile::addFileScript(std::string&& script) {
  if (!text.empty()) {
    fileScripts.push_back(std::move(text));
    text.clear();
  }
  fileScripts.push_back(std::move(script));
}

void resetOutputScripts() {
  // Several folders may share one script: free each once.
  std::unordered_set<OneScriptFile*> freed;
  for (auto& entry : OneScriptFile::jsModleMap)
    if (entry.second && freed.insert(entry.second).second) delete entry.second;
  for (OneScriptFile* script : {OneScriptFile::Main, OneScriptFile::RuvoJs})
    if (script && freed.insert(script).second) delete script;
  OneScriptFile::jsModleMap.clear();
  OneScriptFile::Main = nullptr;
  OneScriptFile::RuvoJs = nullptr;
  MainOneScriptFile = OneScriptFile();
  CompileWarning.clear();
  mergeScript.clear();
}
