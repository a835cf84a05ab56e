// Name resolution at the package level: a dotted name that no local, no
// parameter and no member of the enclosing class explains reaches the file's
// package, which turns it into the JavaScript spelling (a mini class name, a
// qualified package name, an inlined constant, a browser global ...) and
// records which classes and files the file uses.
#include <algorithm>
#include <unordered_map>

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
    // unless that name is one of the file's private classes or another class
    // that the short name still means: one of the file's own package or of
    // the unnamed package (new geom.Point() beside game.Point leaves Point
    // to game.Point).
    auto other = [&](const std::string& full) {
      TokenClass* named = TokenClass::GetTokenClass(full);
      return named != nullptr && named != cls;
    };
    if (!importMap.has(cls->shortName) && !privateClasses.has(cls->shortName) &&
        !other(packToFullName(qualifyingName, cls->shortName)) && !other(cls->shortName))
      importMap[cls->shortName] = cls->fullName;
    addUsedFile(user, definingFile(cls));
  } else {
    addUsedFile(user, ScriptFile::GlobalClassWidthFileMap.get(fullName, nullptr));
  }
}

// A class named by its short name where the output keeps the name as
// written (a declared type, a name inside a with block): the file uses the
// class its import, the unnamed package or this package gives that name.
// Most declared types name no class of the project (int, String, Array
// ...): that answer holds until a class or an import is added.
void TokenPackage::useClassNamed(const std::string& name) {
  const std::pair<size_t, size_t> sizes{TokenClass::_classMap_().size(), importMap.size()};
  if (namesOfNoClassFor != sizes) {
    namesOfNoClass.clear();
    namesOfNoClassFor = sizes;
  }
  const uint32_t id = SharedString(name).id();
  const auto known = std::lower_bound(namesOfNoClass.begin(), namesOfNoClass.end(), id);
  if (known != namesOfNoClass.end() && *known == id) return;
  auto it = importMap.find(name);
  if (it != importMap.end()) {
    hasUseThisClass(it->second);
  } else if (TokenClass::GetTokenClass(name)) {
    hasUseThisClass(name);
  } else {
    std::string full = text + "." + name;
    if (TokenClass::GetTokenClass(full))
      hasUseThisClass(full);
    else
      namesOfNoClass.insert(known, id);
  }
}

// What one name resolution at package level works on: the word, its first
// segment, the token it stands in, the caller's type-comment switch, the
// record of the head's type, and the record of this package's file.
struct TokenPackage::NameQuery {
  const std::string& name;
  const std::string& head;
  Token* token;
  int typeCommentOff;
  TokenHeadMsg& headMsg;
  ScriptFile* user;
  // Constants print as their bare literal, without a comment naming them.
  bool bareConstant;
};

namespace {

// A constant's literal, with a comment naming it unless `bare`.
std::string constantText(const std::string& key, bool bare) {
  const std::string value = TokenPackage::GetConstMap().get(key);
  return bare ? value : " /*" + key + "*/" + value;
}

}  // namespace

// The first rule that knows the name decides its JavaScript spelling; a name
// nothing knows is written as a member of this and reported.
std::string TokenPackage::jsFormatPropertyText(std::string& name, std::string& head, Token* token, int typeCommentOff,
                                               int&, TokenHeadMsg& headMsg) {
  const NameQuery q{name,    head, token, typeCommentOff, headMsg, currentRecord(ownerFile),
                    typeCommentOff == 1 || __ISRELEASE__};
  if (auto js = nameSettledByPlace(q)) return *js;
  if (auto js = packageFunctionByFullName(q)) return *js;
  expandWildcardImports();
  if (GetConstMap().has(name)) return constantText(name, q.bareConstant);
  if (auto js = importedName(q)) return *js;
  if (auto js = packageVariable(q)) return *js;
  if (auto js = staticOfImportedClass(q)) return *js;
  if (auto js = staticOfPackageClass(q)) return *js;
  if (auto js = privateClassName(q)) return *js;
  if (auto js = staticOfTopLevelClass(q)) return *js;
  if (auto js = packageClassName(q)) return *js;
  if (auto js = xmlClassName(q)) return *js;
  if (auto js = integerLimit(q)) return *js;
  if (auto js = globalName(q)) return *js;
  if (auto js = qualifiedPackageVariable(q)) return *js;
  return classByLongestPrefix(q);
}

// Names whose place decides: Class(x) is a cast that does nothing in
// JavaScript, a name in a with block may be a property of its object, and a
// function after the package block is a local function of the file's output.
std::optional<std::string> TokenPackage::nameSettledByPlace(const NameQuery& q) {
  if (q.name == "Class" && !afterNew(q.token)) return "";
  if (insideWith(q.token)) {
    // The name may be a property of the with's object; when it names a
    // class, the release build still keeps the class's file.
    if (__ISRELEASE__) useClassNamed(q.head);
    return _DEBUF_(" /*with*/") + q.name;
  }
  if (ownerFile)
    for (TokenFunction* outside : ownerFile->outsideFunctions)
      if (outside && outside->name == q.head) return _DEBUF_("/*file function*/") + q.name;
  return std::nullopt;
}

// A package-level function named by its full name, called or taken as a
// value (var f:Function = a.b.twice): its file is used either way.
std::optional<std::string> TokenPackage::packageFunctionByFullName(const NameQuery& q) {
  TokenPackage* owner = ScriptFile::GlobalFunctionWidthFileMap.get(q.name, nullptr);
  if (!owner) return std::nullopt;
  ScriptFile* defining = currentRecord(owner->ownerFile);
  addUsedFile(q.user, defining);
  if (q.user && q.name.find('.') == std::string::npos && TokenClass::GetTokenClass(q.name) == nullptr) {
    recordUsedClass(q.user, q.name, q.name, defining);
  }
  return _DEBUF_("/*package-3.1*/") + q.name;
}

namespace {

// The interfaces whose full names begin with a wildcard import's path, as
// (short name, full name) in the order the files were registered. Every file
// of a package imports the same few paths, so each answer is kept while no
// class is registered (the registry's generation stays) and the number of
// interfaces stays (that registry only grows until the registries are reset,
// which forgets the answers).
struct WildcardInterfaces {
  size_t classGeneration = 0;
  size_t interfaceCount = 0;
  std::unordered_map<std::string, std::vector<std::pair<std::string, std::string>>> byPath;
};

WildcardInterfaces& wildcardInterfaces() {
  static WildcardInterfaces kept;
  return kept;
}

const std::vector<std::pair<std::string, std::string>>& interfacesUnder(const std::string& path) {
  WildcardInterfaces& kept = wildcardInterfaces();
  const size_t classGeneration = ScriptFile::GlobalClassWidthFileMap.generation();
  const size_t interfaceCount = TokenClass::_interfacesMap_().size();
  if (kept.classGeneration != classGeneration || kept.interfaceCount != interfaceCount) {
    kept.byPath.clear();
    kept.classGeneration = classGeneration;
    kept.interfaceCount = interfaceCount;
  }
  auto [at, added] = kept.byPath.try_emplace(path);
  if (added)
    for (const auto* entry : ScriptFile::GlobalClassWidthFileMap.withPrefix(path)) {
      const std::string& fullName = entry->first;
      if (TokenClass::_interfacesMap_().has(fullName))
        at->second.emplace_back(fullName.substr(fullName.rfind('.') + 1), fullName);
    }
  return at->second;
}

}  // namespace

void forgetWildcardInterfaces() { wildcardInterfaces().byPath.clear(); }

// Package variables and namespaces of wildcard-imported packages count as
// imports; done once, at the first name the package resolves.
void TokenPackage::expandWildcardImports() {
  if (importsExpanded) return;
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
    for (const auto& [shortName, fullName] : interfacesUnder(path))
      if (!importMap.has(shortName)) importMap[shortName] = fullName;
  addNamespaces(qualifyingName);
}

// Release mode keeps only the files that are used: the file that defines the
// imported name `full` (a class, a package function called by its short
// name, a package variable or constant, or a file found by its path).
ScriptFile* TokenPackage::importDefiningFile(const std::string& full) {
  ScriptFile* defining =
      ScriptFile::LoadedFileMap.get(ownerFile ? ownerFile->directory + "/" + full + ".as" : "", nullptr);
  if (defining == nullptr) {
    TokenPackage* owner = ScriptFile::GlobalFunctionWidthFileMap.get(full, nullptr);
    if (owner) defining = currentRecord(owner->ownerFile);
  }
  if (defining == nullptr) defining = packageMemberFile(full);
  if (defining == nullptr && full.find('.') == std::string::npos) {
    std::string path = findThisNameInFile(qualifyingName + "." + full);
    if (path.empty()) path = findThisNameInFile(full);
    if (!path.empty()) defining = ScriptFile::LoadedFileMap.get(path, nullptr);
  }
  return defining;
}

// An imported class or function named whole: its mini name; T(x) with an
// imported class T is a cast and prints nothing of T.
std::optional<std::string> TokenPackage::importedName(const NameQuery& q) {
  if (!importMap.has(q.name)) return std::nullopt;
  std::string full = importMap.get(q.name);
  TokenClass* cls = TokenClass::GetTokenClass(full);
  if (q.name != "XMLDocument" && !isConversionType(q.name) && followedByGroup(q.token) && !afterNew(q.token) && cls)
    return __ISTOTS ? _DEBUF_("/*as to err*/") + cls->miniName : _DEBUF_("/*as to*/");
  hasUseThisClass(full);
  q.headMsg.type = full;
  if (TokenClass::NameSpaceMap.has(full)) return "/*namespace*/";
  if (__ISRELEASE__) addUsedFile(q.user, importDefiningFile(full));
  if (q.typeCommentOff == 2 && firstClass && cls && cls != firstClass) {
    // A class named in the first class's declarations must be ordered after it.
    if (cls->orderKey <= firstClass->orderKey) cls->orderKey = firstClass->orderKey + 1;
    q.headMsg.type = cls->fullName;
    return _DEBUF_("/*import 01*/") + ConvertWithMinClassName(full);
  }
  return _DEBUF_("/*import 0*/") + ConvertWithMinClassName(full);
}

// A variable declared at package level by any file of this package, or by a
// file of the unnamed package: that one is seen from every package, as the
// global it is written as (window.NAME).
std::optional<std::string> TokenPackage::packageVariable(const NameQuery& q) {
  TokenPackage* home = GetPakageMap().get(qualifyingName, nullptr);
  if (home && home->packageMembers.has(q.head)) {
    Token* member = home->packageMembers.get(q.head);
    q.headMsg.type = member ? member->typeText().str() : std::string();
    if ((!qualifyingName.empty() || __ISRELEASE__) && ownerFile) {
      ScriptFile* declaring = ScriptFile::LoadedFileMap.get(ownerFile->directory + "/" + q.head + ".as", nullptr);
      // A member reached through the variable (settings.volume), or a variable
      // declared in a file of another name: the file of its declaration.
      if (declaring == nullptr && member) declaring = currentRecord(member->file);
      addUsedFile(q.user, declaring);
    }
    if (qualifyingName.empty()) return _DEBUF_("/*package var 1*/") + q.name;
    return _DEBUF_("/*package var 0*/") + qualifyingName + "." + q.name;
  }
  TokenPackage* top = qualifyingName.empty() ? nullptr : GetPakageMap().get("", nullptr);
  if (top && top->packageMembers.has(q.head)) {
    Token* member = top->packageMembers.get(q.head);
    q.headMsg.type = member ? member->typeText().str() : std::string();
    if (member) addUsedFile(q.user, currentRecord(member->file));
    return _DEBUF_("/*package var 1*/") + q.name;
  }
  return std::nullopt;
}

// A static member reached through an imported class (B.PI), or a member of
// an imported package variable (LIST.length).
std::optional<std::string> TokenPackage::staticOfImportedClass(const NameQuery& q) {
  if (!importMap.has(q.head)) return std::nullopt;
  std::string full = importMap.get(q.head);
  hasUseThisClass(full);
  // A member of an imported package variable (LIST.length, NAMES.hero):
  // the file that declares the variable is used.
  if (__ISRELEASE__ && TokenClass::GetTokenClass(full) == nullptr) addUsedFile(q.user, packageMemberFile(full));
  q.headMsg.type = full;
  std::string member = TokenClass::_checkStaticGet_Set("", full, q.name, q.head);
  if (!member.empty()) {
    if (q.name.find("SWFTools.initClass") != std::string::npos && q.user) q.user->usedMark = 0;
    if (GetConstMap().has(member)) return constantText(member, q.bareConstant);
    if (__ISTOTS) return _DEBUF_("/*import1-1*/") + q.name;
    return _DEBUF_("/*import1*/") + ConvertWithMinClassName(member);
  }
  std::string path = full + afterHead(q.name);
  if (GetConstMap().has(path)) return constantText(path, q.bareConstant);
  return _DEBUF_("/*import2*/") + ConvertWithMinClassName(path);
}

// A static member of a class of this package.
std::optional<std::string> TokenPackage::staticOfPackageClass(const NameQuery& q) {
  TokenClass* cls = TokenClass::GetTokenClass(packToFullName(qualifyingName, q.head));
  if (!cls) return std::nullopt;
  hasUseThisClass(cls->fullName);
  q.headMsg.type = cls->fullName;
  std::string member = TokenClass::_checkStaticGet_Set("", cls->fullName, q.name, q.head);
  if (member.empty()) return std::nullopt;
  if (GetConstMap().has(member)) return constantText(member, __ISRELEASE__);
  return _DEBUF_("/*package 0*/") + ConvertWithMinClassName(member);
}

// A class declared after the package block of this file, or a path through
// it; T(x) with such a class T is a cast and prints nothing of T, as with
// any other class (the constructor called without new made nothing).
std::optional<std::string> TokenPackage::privateClassName(const NameQuery& q) {
  if (!privateClasses.has(q.head)) return std::nullopt;
  if (!__ISTOTS && q.name == q.head && followedByGroup(q.token) && !afterNew(q.token))
    return _DEBUF_("/*as to private*/");
  TokenClass* cls = privateClasses.get(q.head);
  q.headMsg.type = cls ? cls->fullName : q.head;
  return _DEBUF_("/*package private class */") + q.name;
}

// A static member of a top-level class (one without a package).
std::optional<std::string> TokenPackage::staticOfTopLevelClass(const NameQuery& q) {
  if (q.name.find('.') == std::string::npos) return std::nullopt;
  TokenClass* cls = TokenClass::GetTokenClass(q.head);
  if (!cls || cls->fullName.find('.') != std::string::npos) return std::nullopt;
  std::string member = TokenClass::_checkStaticGet_Set("", cls->fullName, q.name, q.head);
  if (member.empty()) return std::nullopt;
  hasUseThisClass(cls->fullName);
  q.headMsg.type = cls->fullName;
  return _DEBUF_("/*package 2*/") + ConvertWithMinClassName(member);
}

// A class of this package: T(x) is a cast and prints nothing of T; else the
// class by the name its closure knows, with the rest of the path.
std::optional<std::string> TokenPackage::packageClassName(const NameQuery& q) {
  if (!isConversionType(q.name) && followedByGroup(q.token) && !afterNew(q.token) &&
      TokenClass::GetTokenClass(packToFullName(qualifyingName, q.name)))
    return _DEBUF_("/*as to 2*/");
  TokenClass* cls = TokenClass::GetTokenClass(packToFullName(qualifyingName, q.head));
  if (!cls) return std::nullopt;
  hasUseThisClass(cls->fullName);
  q.headMsg.type = cls->fullName;
  if (q.name == q.head) return _DEBUF_("/*package 3.8*/") + TokenClass::closureSafeName(cls);
  return _DEBUF_("/*package 3.80*/") + TokenClass::closureSafeName(cls) + afterHead(q.name);
}

// XML(x) builds an XML object; XML and XMLList name the emulation classes.
std::optional<std::string> TokenPackage::xmlClassName(const NameQuery& q) {
  if (q.name == "zafrit.xml.XMLElement" || q.name == "XMLElement" || q.name == "XML") {
    hasUseThisClass("zafrit.xml.XMLElement");
    if (followedByGroup(q.token) && !afterNew(q.token)) {
      q.headMsg.type = "zafrit.xml.XMLElement";
      return _DEBUF_("/*XML*/") + "new XML";
    }
  }
  if (q.name == "XMLList") {
    q.headMsg.type = "zafrit.xml.XMLElementList";
    hasUseThisClass("zafrit.xml.XMLElementList");
    return _DEBUF_("/*XMLList*/") + "XMLList";
  }
  if (q.name == "XML") {
    q.headMsg.type = "zafrit.xml.XMLElement";
    return _DEBUF_("/*XML*/") + "XML";
  }
  return std::nullopt;
}

// The limits of int and uint are numbers; nothing defines the two classes
// in the script when the emulation library is off.
std::optional<std::string> TokenPackage::integerLimit(const NameQuery& q) {
  if (q.head != "int" && q.head != "uint") return std::nullopt;
  static const char* const kLimits[][2] = {{"int.MAX_VALUE", "2147483647"},
                                           {"int.MIN_VALUE", "(-2147483648)"},
                                           {"uint.MAX_VALUE", "4294967295"},
                                           {"uint.MIN_VALUE", "0"}};
  for (const auto& limit : kLimits) {
    const std::string key = limit[0];
    if (q.name == key) return limit[1];
    if (q.name.size() > key.size() && q.name.compare(0, key.size(), key) == 0 && q.name[key.size()] == '.')
      return "(" + std::string(limit[1]) + ")" + q.name.substr(key.size());
  }
  return std::nullopt;
}

// A -define value as it stands in an expression: a value that is itself an
// expression (CONFIG::SIZE,2+1) keeps its operators to itself in brackets,
// so CONFIG::SIZE * 2 is 6; a value with no operator after its first
// character (3, -5, true, 'name') is written as it is.
static std::string defineValue(const std::string& value) {
  if (value.size() > 1 && value.find_first_of("+-*/%<>=!&|^~?:", 1) != std::string::npos)
    return "(" + value + ")";
  return value;
}

// trace, the names the browser provides, the compile's defines, the heads
// kept as written and the functions of this package called by their short
// names.
std::optional<std::string> TokenPackage::globalName(const NameQuery& q) {
  if (q.name == "trace") return "console.log";
  if (isBrowserGlobal(q.name)) return _DEBUF_("/*system*/") + q.name;
  if (_ompilerOptions_.defines.has(q.name)) return _DEBUF_("/*-define*/") + defineValue(_ompilerOptions_.defines.get(q.name));
  if (isKeptHead(q.head)) return q.name;
  if (isBrowserGlobal(q.head)) return _DEBUF_("/*first*/") + q.name;
  if (ScriptFile::GlobalFunctionWidthFileMap.has(qualifyingName + "." + q.head)) {
    // A function of this package called by its short name: its file is used.
    TokenPackage* owner = ScriptFile::GlobalFunctionWidthFileMap.get(qualifyingName + "." + q.head, nullptr);
    if (owner) addUsedFile(q.user, currentRecord(owner->ownerFile));
    return _DEBUF_("/*fun*/") + qualifyingName + "." + q.name;
  }
  return std::nullopt;
}

// A package-level variable written with the name of its package
// (game.config.volume, lib.NAMES.length) from any package: the package's
// member, written as it stands. A registered class of that dotted name goes
// first (an import leaves a mere placeholder under save.volume).
std::optional<std::string> TokenPackage::qualifiedPackageVariable(const NameQuery& q) {
  std::string cls;
  if (InClassMap(q.name, cls) && TokenClass::GetTokenClass(cls) != nullptr) return std::nullopt;
  for (size_t dot = q.name.rfind('.'); dot != std::string::npos && dot > 0; dot = q.name.rfind('.', dot - 1)) {
    TokenPackage* pkg = GetPakageMap().get(q.name.substr(0, dot), nullptr);
    if (pkg == nullptr) continue;
    const size_t end = q.name.find('.', dot + 1);
    const std::string member = q.name.substr(dot + 1, end == std::string::npos ? std::string::npos : end - dot - 1);
    if (!pkg->packageMembers.has(member)) continue;
    Token* declaration = pkg->packageMembers.get(member);
    q.headMsg.type = declaration ? declaration->typeText().str() : std::string();
    if (declaration) addUsedFile(q.user, currentRecord(declaration->file));
    return _DEBUF_("/*package var 2*/") + q.name;
  }
  return std::nullopt;
}

// The longest dotted prefix that names a known class; a name without one
// is written as a member of this and reported. T(x) with T such a class
// named whole (a class of the top-level package seen from a package, or a
// class written with its package, pk.Foo(x)) is a cast and prints nothing
// of T.
std::string TokenPackage::classByLongestPrefix(const NameQuery& q) {
  std::string found;
  if (!InClassMap(q.name, found)) {
    Warning(q.token, q.name + " This variable is not defined.");
    return "/*no*/this." + q.name;
  }
  hasUseThisClass(found);
  TokenClass* cls = TokenClass::GetTokenClass(found);
  // A class known only from the pre-scan (not registered yet) keeps the name as written.
  if (cls == nullptr) return q.name;
  if (!__ISTOTS && found.size() == q.name.size() && !isConversionType(q.name) && followedByGroup(q.token) &&
      !afterNew(q.token))
    return _DEBUF_("/*as to 3*/");
  if (found.size() < q.name.size())
    return _DEBUF_("/*package 3-0*/") + TokenClass::closureSafeName(cls) + q.name.substr(found.size());
  return _DEBUF_("/*package 3-1*/") + (__ISTOTS ? cls->miniName : cls->fullName);
}
