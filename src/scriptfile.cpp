// Placeholder: the source-file records are being built.
#include "scriptfile.h"

#include "xfilemethod.h"

OrderedMap<ScriptFile*> ScriptFile::LoadedFileMap;
OrderedMap<ScriptFile*> ScriptFile::GlobalClassWidthFileMap;
OrderedMap<TokenPackage*> ScriptFile::GlobalFunctionWidthFileMap;
OrderedMap<ScriptFile*> ScriptFile::firstFiles;

ScriptFile::ScriptFile(const char* path, const char* text) : path(path ? path : ""), text(text ? text : "") {}
void resetScriptFiles() {}

std::string ScriptFile::FormatFileName(const std::string& path) {
  std::string out = path;
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

bool ScriptFile::write(const std::string& path, const std::string& text) {
  return xfilemethod::writeFileAtomic(path, text.data(), text.size());
}
