// Name resolution at the package level: a dotted name that no local, no
// parameter and no member of the enclosing class explains reaches the file's
// package, which turns it into the JavaScript spelling (a mini class name, a
// qualified package name, an inlined constant, a browser global ...) and
// records which classes and files the file uses.
#include "CompilerOptions.h"
#include "TokenClass.h"
#include "TokenFunction.h"
#include "TokenPackage.h"
#include "message.h"
#include "parse.h"
#include "resolveHelpers.h"
#include "scriptfile.h"

namespace {

// Names the browser provides; a word is one when " " + word + " " occurs here.
const char kBrowserGlobals[] =
    " require console encodeURIComponent decodeURIComponent parseInt decodeURI debugger getTimer instanceof "
    "Infinity alert WebSocket Map JSON isFinite encodeURI NaN Infinity unescape escape parseFloat isNaN Error "
    "ArrayBuffer DataView Float32Array Float64Array Uint8Array Uint16Array Uint32Array Int8Array Int16Array "
    "Int32Array WebGLRenderingContext WebGLShader WebGLProgram WebGLBuffer WebGLTexture WebGLFrameBuffer "
    "setTimeout setInterval Promise "
    // The built-in error classes besides Error, top-level classes in
    // ActionScript too: thrown, caught and tested with `is` as written.
    "EvalError RangeError ReferenceError SyntaxError TypeError URIError "
    // and those the runtime core adds.
    "ArgumentError DefinitionError SecurityError VerifyError ";

bool isBrowserGlobal(const std::string& word) {
  return std::string(kBrowserGlobals).find(" " + word + " ") != std::string::npos;
}

// Heads that stay as written: the engine's utility object and browser objects.
bool isKeptHead(const std::string& head) {
  return head == "VENDRIX" || head == "window" || head == "JSON" || head == "Error" || head == "Audio";
}

// Number-like and string types are conversions in JavaScript, never casts.
bool isConversionType(const std::string& name) {
  return name == "int" || name == "uint" || name == "Number" || name == "String";
}

// The name from its first '.' on ("" without one): what follows the head.
std::string afterHead(const std::string& name) {
  size_t dot = name.find('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

// The file that defines a registered class.
ScriptFile* definingFile(TokenClass* cls) {
  ScriptFile* record = ScriptFile::GlobalClassWidthFileMap.get(cls->fullName, nullptr);
  if (record == nullptr && cls->file) record = cls->file->scriptFile;
  return record;
}

void addUsedFile(ScriptFile* user, ScriptFile* used) {
  if (user && used) user->usedFiles[used->path] = used;
}

// Enters a used class under `key`, replacing an earlier entry of that key.
void recordUsedClass(ScriptFile* user, const std::string& key, const std::string& fullName, ScriptFile* defining) {
  UseCLass*& use = user->usedClasses[key];
  if (use) {
    use->fullName = fullName;
    use->file = defining;
  } else {
    use = new UseCLass(fullName, defining);
  }
}

// The record of a file root (the file a package belongs to).
ScriptFile* currentRecord(Parse* file) {
  if (file == nullptr) return nullptr;
  if (file->scriptFile) return file->scriptFile;
  return ScriptFile::LoadedFileMap.get(ScriptFile::FormatFileName(file->path), nullptr);
}

// The file that declares the package-level variable `full` (pkg.NAME), or null.
ScriptFile* packageMemberFile(const std::string& full) {
  size_t dot = full.rfind('.');
  if (dot == std::string::npos) return nullptr;
  TokenPackage* pkg = TokenPackage::GetPakageMap().get(full.substr(0, dot), nullptr);
  if (pkg == nullptr) return nullptr;
  Token* member = pkg->packageMembers.get(full.substr(dot + 1), nullptr);
  return member ? currentRecord(member->file) : nullptr;
}

}  // namespace

std::string packToFullName(std::string packageName, std::string name) {
  return packageName.empty() ? name : packageName + "." + name;
}

std::string findThisNameInFile(std::string name) {
  for (char& c : name)
    if (c == '.') c = '/';
  std::string pattern = "/" + name + ".as";
  for (const auto& [path, record] : ScriptFile::LoadedFileMap) {
    size_t at = path.find(pattern);
    if (at != std::string::npos && at + pattern.size() == path.size()) return path;
  }
  return "";
}

bool TokenPackage::InClassMap(std::string name, std::string& out) {
  if (name.empty()) return false;
  OrderedMap<TokenClass*>& classes = TokenClass::_classMap_();
  // The whole name first, then ever shorter dotted prefixes.
  for (size_t end = name.size(); end != std::string::npos && end > 0; end = name.rfind('.', end - 1)) {
    std::string prefix = name.substr(0, end);
    if (classes.has(prefix)) {
      out = prefix;
      return true;
    }
  }
  return false;
}

void TokenPackage::hasUseThisClass(std::string fullName) {
  ScriptFile* user = currentRecord(ownerFile);
  TokenClass* cls = TokenClass::GetTokenClass(fullName);
  if (cls && user && cls->miniName != "Ruvo" &&
      !(cls->miniName == cls->fullName && cls->fullName.find('.') != std::string::npos)) {
    recordUsedClass(user, cls->miniName, cls->fullName, definingFile(cls));
  }
  if (!__ISRELEASE__) return;
  if (cls) {
    // A class used by its full name is known by its short name from then on,
    // unless that name is one of the file's private classes.
    if (!importMap.has(cls->shortName) && !privateClasses.has(cls->shortName))
      importMap[cls->shortName] = cls->fullName;
    addUsedFile(user, definingFile(cls));
  } else {
    addUsedFile(user, ScriptFile::GlobalClassWidthFileMap.get(fullName, nullptr));
  }
}

// The first rule that knows the name decides its JavaScript spelling; a name
// nothing knows is written as a member of this and reported.
std::string TokenPackage::jsFormatProperty(std::string& name, std::string& head, Token* token, int typeCommentOff, int&,
                                           TokenHeadMsg& headMsg) {
  OrderedMap<std::string>& constants = GetConstMap();
  ScriptFile* user = currentRecord(ownerFile);
  // A constant's literal, with a comment naming it unless the caller or release mode drops it.
  auto constant = [&](const std::string& key, bool bare) {
    const std::string value = constants.get(key);
    return bare ? value : " /*" + key + "*/" + value;
  };
  bool bareConstant = typeCommentOff == 1 || __ISRELEASE__;

  // Class(x) is a cast that does nothing in JavaScript.
  if (name == "Class" && !afterNew(token)) return "";
  if (insideWith(token)) return _DEBUF_(" /*with*/") + name;

  // A function after the package block is a local function of the file's output.
  if (ownerFile)
    for (TokenFunction* outside : ownerFile->outsideFunctions)
      if (outside && outside->name == head) return _DEBUF_("/*file function*/") + name;

  // A package-level function named by its full name, called or taken as a
  // value (var f:Function = a.b.twice): its file is used either way.
  if (TokenPackage* owner = ScriptFile::GlobalFunctionWidthFileMap.get(name, nullptr)) {
    ScriptFile* defining = currentRecord(owner->ownerFile);
    addUsedFile(user, defining);
    if (user && name.find('.') == std::string::npos && TokenClass::GetTokenClass(name) == nullptr) {
      recordUsedClass(user, name, name, defining);
    }
    return _DEBUF_("/*package-3.1*/") + name;
  }

  // Package variables and namespaces of wildcard-imported packages count as imports.
  if (!importsExpanded) {
    importsExpanded = 1;
    auto addNamespaces = [&](const std::string& prefix) {
      for (const auto& [key, value] : TokenClass::NameSpaceMap)
        if (key.compare(0, prefix.size(), prefix) == 0) importMap[key.substr(key.rfind('.') + 1)] = key;
    };
    for (const auto& [path, dot] : wildcardMap) {
      TokenPackage* imported = GetPakageMap().get(path, nullptr);
      if (imported == nullptr) continue;
      for (const auto& [member, declaration] : imported->packageMembers)
        importMap[member] = packToFullName(imported->qualifyingName, declaration ? declaration->text.str() : member);
      addNamespaces(imported->qualifyingName);
    }
    // Interfaces are not pre-scanned, so `import a.b.*` met before the file of
    // a.b.IFoo was parsed left IFoo out; by now every file is registered, and
    // the interfaces under the wildcard's prefix join the names the file knows.
    for (const auto& [path, dot] : wildcardMap)
      for (const auto* entry : ScriptFile::GlobalClassWidthFileMap.withPrefix(path)) {
        const std::string& fullName = entry->first;
        if (!TokenClass::_interfacesMap_().has(fullName)) continue;
        std::string shortName = fullName.substr(fullName.rfind('.') + 1);
        if (!importMap.has(shortName)) importMap[shortName] = fullName;
      }
    addNamespaces(qualifyingName);
  }

  if (constants.has(name)) return constant(name, bareConstant);

  // An imported class or function named whole.
  if (importMap.has(name)) {
    std::string full = importMap.get(name);
    TokenClass* cls = TokenClass::GetTokenClass(full);
    if (name != "XMLDocument" && !isConversionType(name) && followedByGroup(token) && !afterNew(token) && cls)
      return __ISTOTS ? _DEBUF_("/*as to err*/") + cls->miniName : _DEBUF_("/*as to*/");
    hasUseThisClass(full);
    headMsg.type = full;
    if (TokenClass::NameSpaceMap.has(full)) return "/*namespace*/";
    if (__ISRELEASE__) {
      // Release mode keeps only the files that are used: record the defining file.
      ScriptFile* defining =
          ScriptFile::LoadedFileMap.get(ownerFile ? ownerFile->directory + "/" + full + ".as" : "", nullptr);
      // An imported package function called by its short name: the file that declares it.
      if (defining == nullptr) {
        TokenPackage* owner = ScriptFile::GlobalFunctionWidthFileMap.get(full, nullptr);
        if (owner) defining = currentRecord(owner->ownerFile);
      }
      // An imported package variable or constant: the file that declares it.
      if (defining == nullptr) defining = packageMemberFile(full);
      if (defining == nullptr && full.find('.') == std::string::npos) {
        std::string path = findThisNameInFile(qualifyingName + "." + full);
        if (path.empty()) path = findThisNameInFile(full);
        if (!path.empty()) defining = ScriptFile::LoadedFileMap.get(path, nullptr);
      }
      addUsedFile(user, defining);
    }
    if (typeCommentOff == 2 && firstClass && cls && cls != firstClass) {
      // A class named in the first class's declarations must be ordered after it.
      if (cls->orderKey <= firstClass->orderKey) cls->orderKey = firstClass->orderKey + 1;
      headMsg.type = cls->fullName;
      return _DEBUF_("/*import 01*/") + ConvertWithMinClassName(full);
    }
    return _DEBUF_("/*import 0*/") + ConvertWithMinClassName(full);
  }

  // A variable declared at package level (by any file of this package).
  TokenPackage* home = GetPakageMap().get(qualifyingName, nullptr);
  if (home && home->packageMembers.has(head)) {
    Token* member = home->packageMembers.get(head);
    headMsg.type = member ? member->typeText.str() : std::string();
    if ((!qualifyingName.empty() || __ISRELEASE__) && ownerFile) {
      ScriptFile* declaring = ScriptFile::LoadedFileMap.get(ownerFile->directory + "/" + head + ".as", nullptr);
      // A member reached through the variable (settings.volume), or a variable
      // declared in a file of another name: the file of its declaration.
      if (declaring == nullptr && member) declaring = currentRecord(member->file);
      addUsedFile(user, declaring);
    }
    if (qualifyingName.empty()) return _DEBUF_("/*package var 1*/") + name;
    return _DEBUF_("/*package var 0*/") + qualifyingName + "." + name;
  }
  // A variable of the unnamed package is seen from every package, as the
  // global it is written as (window.NAME).
  TokenPackage* top = qualifyingName.empty() ? nullptr : GetPakageMap().get("", nullptr);
  if (top && top->packageMembers.has(head)) {
    Token* member = top->packageMembers.get(head);
    headMsg.type = member ? member->typeText.str() : std::string();
    if (member) addUsedFile(user, currentRecord(member->file));
    return _DEBUF_("/*package var 1*/") + name;
  }

  // A static member reached through an imported class: B.PI.
  if (importMap.has(head)) {
    std::string full = importMap.get(head);
    hasUseThisClass(full);
    // A member of an imported package variable (LIST.length, NAMES.hero):
    // the file that declares the variable is used.
    if (__ISRELEASE__ && TokenClass::GetTokenClass(full) == nullptr) addUsedFile(user, packageMemberFile(full));
    headMsg.type = full;
    std::string member = TokenClass::_checkStaticGet_Set("", full, name, head);
    if (!member.empty()) {
      if (name.find("SWFTools.initClass") != std::string::npos && user) user->usedMark = 0;
      if (constants.has(member)) return constant(member, bareConstant);
      if (__ISTOTS) return _DEBUF_("/*import1-1*/") + name;
      return _DEBUF_("/*import1*/") + ConvertWithMinClassName(member);
    }
    std::string path = full + afterHead(name);
    if (constants.has(path)) return constant(path, bareConstant);
    return _DEBUF_("/*import2*/") + ConvertWithMinClassName(path);
  }

  // A static member of a class of this package.
  if (TokenClass* cls = TokenClass::GetTokenClass(packToFullName(qualifyingName, head))) {
    hasUseThisClass(cls->fullName);
    headMsg.type = cls->fullName;
    std::string member = TokenClass::_checkStaticGet_Set("", cls->fullName, name, head);
    if (!member.empty()) {
      if (constants.has(member)) return constant(member, __ISRELEASE__);
      return _DEBUF_("/*package 0*/") + ConvertWithMinClassName(member);
    }
  }

  if (privateClasses.has(head)) {
    TokenClass* cls = privateClasses.get(head);
    headMsg.type = cls ? cls->fullName : head;
    return _DEBUF_("/*package private class */") + name;
  }

  // A static member of a top-level class (one without a package).
  if (name.find('.') != std::string::npos) {
    TokenClass* cls = TokenClass::GetTokenClass(head);
    if (cls && cls->fullName.find('.') == std::string::npos) {
      std::string member = TokenClass::_checkStaticGet_Set("", cls->fullName, name, head);
      if (!member.empty()) {
        hasUseThisClass(cls->fullName);
        headMsg.type = cls->fullName;
        return _DEBUF_("/*package 2*/") + ConvertWithMinClassName(member);
      }
    }
  }

  if (!isConversionType(name) && followedByGroup(token) && !afterNew(token) &&
      TokenClass::GetTokenClass(packToFullName(qualifyingName, name)))
    return _DEBUF_("/*as to 2*/");

  if (TokenClass* cls = TokenClass::GetTokenClass(packToFullName(qualifyingName, head))) {
    hasUseThisClass(cls->fullName);
    headMsg.type = cls->fullName;
    if (name == head) return _DEBUF_("/*package 3.8*/") + TokenClass::closureSafeName(cls);
    return _DEBUF_("/*package 3.80*/") + TokenClass::closureSafeName(cls) + afterHead(name);
  }

  // XML(x) builds an XML object; XML and XMLList name the emulation classes.
  if (name == "zafrit.xml.XMLElement" || name == "XMLElement" || name == "XML") {
    hasUseThisClass("zafrit.xml.XMLElement");
    if (followedByGroup(token) && !afterNew(token)) {
      headMsg.type = "zafrit.xml.XMLElement";
      return _DEBUF_("/*XML*/") + "new XML";
    }
  }
  if (name == "XMLList") {
    headMsg.type = "zafrit.xml.XMLElementList";
    hasUseThisClass("zafrit.xml.XMLElementList");
    return _DEBUF_("/*XMLList*/") + "XMLList";
  }
  if (name == "XML") {
    headMsg.type = "zafrit.xml.XMLElement";
    return _DEBUF_("/*XML*/") + "XML";
  }

  // The limits of int and uint are numbers; nothing defines the two classes
  // in the script when the emulation library is off.
  if (head == "int" || head == "uint") {
    static const char* const kLimits[][2] = {{"int.MAX_VALUE", "2147483647"},
                                             {"int.MIN_VALUE", "(-2147483648)"},
                                             {"uint.MAX_VALUE", "4294967295"},
                                             {"uint.MIN_VALUE", "0"}};
    for (const auto& limit : kLimits) {
      const std::string key = limit[0];
      if (name == key) return limit[1];
      if (name.size() > key.size() && name.compare(0, key.size(), key) == 0 && name[key.size()] == '.')
        return "(" + std::string(limit[1]) + ")" + name.substr(key.size());
    }
  }

  if (name == "trace") return "console.log";
  if (isBrowserGlobal(name)) return _DEBUF_("/*system*/") + name;
  if (_ompilerOptions_.defines.has(name)) return _DEBUF_("/*-define*/") + _ompilerOptions_.defines.get(name);
  if (isKeptHead(head)) return name;
  if (isBrowserGlobal(head)) return _DEBUF_("/*first*/") + name;
  if (ScriptFile::GlobalFunctionWidthFileMap.has(qualifyingName + "." + head)) {
    // A function of this package called by its short name: its file is used.
    TokenPackage* owner = ScriptFile::GlobalFunctionWidthFileMap.get(qualifyingName + "." + head, nullptr);
    if (owner) addUsedFile(user, currentRecord(owner->ownerFile));
    return _DEBUF_("/*fun*/") + qualifyingName + "." + name;
  }

  std::string found;
  if (!InClassMap(name, found)) {
    Warning(token, name + " This variable is not defined.");
    return "/*no*/this." + name;
  }
  hasUseThisClass(found);
  TokenClass* cls = TokenClass::GetTokenClass(found);
  // A class known only from the pre-scan (not registered yet) keeps the name as written.
  if (cls == nullptr) return name;
  if (found.size() < name.size())
    return _DEBUF_("/*package 3-0*/") + TokenClass::closureSafeName(cls) + name.substr(found.size());
  return _DEBUF_("/*package 3-1*/") + (__ISTOTS ? cls->miniName : cls->fullName);
}
