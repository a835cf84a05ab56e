// import statements. They print nothing: an import only teaches the file's
// package which full name a short class or function name stands for. Imports
// of the Flash API name the emulation library's classes ("flash." becomes
// "zafrit."); with that library switched off they are an error.
#include "TokenImport.h"

#include "CompilerOptions.h"
#include "TokenClass.h"
#include "TokenPackage.h"
#include "message.h"
#include "parse.h"
#include "scriptfile.h"

namespace {

bool beginsWithFlash(const std::string& path) { return path.compare(0, 6, "flash.") == 0; }

// The event classes a wildcard import of flash.events or zafrit.events brings in.
const char* const kEventClasses[] = {
    "ActivityEvent",   "AsyncErrorEvent", "ContextMenuEvent", "DataEvent",          "Event",
    "ErrorEvent",      "EventDispatcher", "EventPhase",       "FocusEvent",         "FullScreenEvent",
    "HTTPStatusEvent", "IMEEvent",        "IOErrorEvent",     "KeyboardEvent",      "MouseEvent",
    "NetStatusEvent",  "ProgressEvent",   "SampleDataEvent",  "SecurityErrorEvent", "ShaderEvent",
    "StatusEvent",     "SyncEvent",       "TextEvent",        "TimerEvent",
};

// The text after the last '.', or the whole text without one (or when its only '.' leads).
std::string lastSegment(const std::string& path) {
  size_t dot = path.rfind('.');
  return dot == std::string::npos || dot == 0 ? path : path.substr(dot + 1);
}

}  // namespace

// import a.b.C; takes the dotted path into the token's text, drops the path
// word and the ';' from the tree and enters C -> a.b.C into the import map.
int TokenImport::pretreatment(Parse* file) {
  TokenPackage* package = file ? file->package : nullptr;
  if (package) {
    currentClass = package->workingClass;
    package->imports.push_back(this);
  }
  if (parent == nullptr) return 0;
  Token* pathWord = parent->getTokenFrome(index + 1);
  if (pathWord == nullptr) return 0;
  text = pathWord->text;

  CompilerOptions& options = _ompilerOptions_;
  if (!options.zafritLib && beginsWithFlash(text)) return 0;
  if (beginsWithFlash(text)) text = "zafrit." + text.substr(6);
  if (text == "zafrit.display3D.Context3D" && file &&
      ScriptFile::FormatFileName(file->path) == ScriptFile::FormatFileName(options.mainFile)) {
    options.flash3D = true;
    MSGTO(MessageType::Info, "", 0, "Enable Flash3D %s %s\r\n", options.mainFile.c_str(), text.c_str());
  }
  parent->clearNextToken(this, 1);
  addImportToMap(file, text);
  OrderedMap<TokenClass*>& classes = TokenClass::_classMap_();
  if (!classes.has(text)) classes[text] = nullptr;
  if (parent->checkNextType(this, 2, TokenTypeCode::Semicolon)) parent->clearNextToken(this, 2);
  return 0;
}

// Prints nothing. A Flash import while the emulation library is off queues
// the error and takes the file out of the output. The package prints its
// imports once from its import list and once among its children; the token
// switches its own output off so the error is queued only once.
int TokenImport::toJsScript(std::string& out, Parse* file, int, int) {
  outputEnabled = 0;
  if (_ompilerOptions_.zafritLib || !beginsWithFlash(text)) return 0;
  if (file) _ompilerOptions_.excludePaths.push_back(file->path);
  std::string message = "\nZintrel not allow import " + text;
  scriptErr(out, file, message.c_str(), 0);
  return 0;
}

void TokenImport::addImportToMap(Parse* file, std::string path) {
  TokenPackage* package = file ? file->package : nullptr;
  if (package == nullptr) return;
  if (!_ompilerOptions_.zafritLib && beginsWithFlash(path)) return;
  if (path == "zafrit.events.*" || path == "flash.events.*") {
    for (const char* name : kEventClasses) package->importMap[name] = std::string("zafrit.events.") + name;
    return;
  }
  std::string shortName = lastSegment(path);
  if (shortName != "*") {
    package->hasUseThisClass(path);
    package->importMap[shortName] = path;
    return;
  }

  // import a.b.*: every class and package function known under the text a.b,
  // after the package folder a/b has been pre-scanned.
  size_t dot = path.rfind('.');
  std::string prefix = dot == std::string::npos ? std::string() : path.substr(0, dot);
  package->wildcardMap[prefix] = ".";
  TokenPackage::ParsePackageAllFileForClass(file->sourceRoot, prefix);
  // The names are matched by their text, so ui.* also reaches ui.widgets.*
  // and uikit.*; of two names with one short name, the one of the imported
  // package itself is entered last and wins.
  auto inPackage = [&](const std::string& fullName) {
    size_t dot = fullName.rfind('.');
    return dot == prefix.size() && fullName.compare(0, prefix.size(), prefix) == 0;
  };
  const auto classes = ScriptFile::GlobalClassWidthFileMap.withPrefix(prefix);
  const auto functions = ScriptFile::GlobalFunctionWidthFileMap.withPrefix(prefix);
  // Each class enters the conversion table under its own name once (what
  // ToConversionTable(fullName, true) does, without its copies).
  OrderedMap<std::string>& conversions = TokenPackage::GetConversionTable();
  for (bool own : {false, true}) {
    for (const auto* entry : classes) {
      const std::string& fullName = entry->first;
      if (inPackage(fullName) != own) continue;
      package->importMap[lastSegment(fullName)] = fullName;
      if (!conversions.has(fullName)) conversions[fullName] = fullName;
    }
    for (const auto* entry : functions) {
      const std::string& fullName = entry->first;
      if (inPackage(fullName) == own) package->importMap[lastSegment(fullName)] = fullName;
    }
  }
}
