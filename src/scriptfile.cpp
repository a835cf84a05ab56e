// Placeholder: the source-file records are being built.
#include "scriptfile.h"

OrderedMap<ScriptFile*> ScriptFile::LoadedFileMap;
OrderedMap<ScriptFile*> ScriptFile::GlobalClassWidthFileMap;
OrderedMap<TokenPackage*> ScriptFile::GlobalFunctionWidthFileMap;
OrderedMap<ScriptFile*> ScriptFile::firstFiles;

ScriptFile::ScriptFile(const char* path, const char* text) : path(path ? path : ""), text(text ? text : "") {}
void resetScriptFiles() {}
