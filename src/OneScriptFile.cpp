// Placeholder: the output scripts are being built.
#include "OneScriptFile.h"

OneScriptFile MainOneScriptFile;
std::string CompileWarning;
std::string mergeScript;
OrderedMap<OneScriptFile*> OneScriptFile::jsModleMap;
OneScriptFile* OneScriptFile::Main = nullptr;
OneScriptFile* OneScriptFile::RuvoJs = nullptr;
std::string OneScriptFile::ALLSCRIPT;

OneScriptFile* OneScriptFile::getOneScriptFile(const std::string&) { return &MainOneScriptFile; }
void resetOutputScripts() {}
