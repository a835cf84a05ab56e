// Class registration: names, mini names, registries, the adopted class body;
// the on-demand compile of a base class's file; the TypeScript reference
// lines of a class file.
#include <string>
#include <vector>

#include "Quillet.h"
#include "TokenClass.h"
#include "TokenPackage.h"
#include "message.h"
#include "parse.h"
#include "scriptfile.h"

namespace {

// Splits at every '.', keeping empty parts ("a..b" gives a, "", b).
std::vector<std::string> splitDots(const std::string& name) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t dot = name.find('.', start);
    parts.push_back(name.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return parts;
}

// Members every instance of an array-like class answers to.
const char* const kArrayMembers[] = {"push",    "length", "concat", "join",   "pop",
                                     "reverse", "shift",  "slice",  "splice", "unshift"};

}  // namespace

// class Name extends Base implements I {...}: the first class of a file is
// public, any later one private; the class gets the name its JavaScript is
// written under (Name, or Name$1 when another class shares the short name),
// enters the registries, adopts the tokens up to its body and pretreats them.
int TokenClass::pretreatment(Parse* file) {
  currentClass = this;
  members["hasOwnProperty"] = new Token(TokenTypeCode::Literal, "hasOwnProperty", 0, 0, this);

  TokenPackage* package = file ? file->package : nullptr;
  if (file) forcedCompile = file->forcedCompile;
  if (package) package->workingClass = this;

  shortName = parent ? parent->getNextValue(this, 1) : "";
  const std::string packageName = package ? package->text : "";

  if (package && package->firstClass) {
    // A second or later class of the file: private, named by its short name,
    // emitted inside the public class and registered nowhere else.
    fullName = shortName;
    miniName = fullName;
    isPrivateClass = 1;
    package->privateClasses[fullName] = this;
    package->privateClassList.push_back(this);
  } else {
    flags |= TokenModifierFlags::Public;
    if (file && file->scriptFile) file->scriptFile->mainClass = this;
    fullName = packageName.empty() ? shortName : packageName + "." + shortName;
    if (package) {
      package->firstClass = this;
      package->firstClassFullName = fullName;
    }
    ScriptFile::RegClass(fullName, file ? file->path : "");

    const bool shared = _OnlyClassNameMapHasOtherClass_(this, shortName, fullName);
    if (!shared) {
      miniName = shortName;
      TokenPackage::GetConversionTable()[fullName] = miniName;
    } else if (shortName == fullName) {
      // A shared name in the unnamed package keeps its own name.
      miniName = fullName;
    } else {
      // Shared in a named package: Short, Short$1, Short$2 ... in registration
      // order; a top-level class or package root of that name starts at $1.
      OrderedMap<int32_t>& counters = _MiniClassMap_();
      int32_t n;
      if (counters.has(shortName))
        n = counters.get(shortName) + 1;
      else
        n = _classMap_().has(shortName) ? 1 : 0;
      counters[shortName] = n;
      miniName = n <= 0 ? shortName : shortName + "$" + std::to_string(n);
      if (_classMap_().has(miniName)) {
        MSGTO(MessageType::Problem, file ? file->path.c_str() : "", line, "This class name is use %s %s %s\r\n", miniName.c_str(),
              shortName.c_str(), fullName.c_str());
        miniName = fullName;
      } else {
        TokenPackage::GetConversionTable()[fullName] = miniName;
      }
    }
    // Names the runtime itself uses for its XML classes and movie clips.
    if (miniName == "XML" || miniName == "XMLList" || miniName == "MC") miniName = fullName;

    // A second file with the same package and class (a stray copy of a
    // source file, or a patched copy of a library class): both are written
    // and the later one wins, which the user is told.
    TokenClass* earlier = _classMap_().get(fullName, nullptr);
    if (earlier && earlier != this && earlier->file && file && earlier->file->path != file->path)
      Warning(this, "Class " + fullName + " is defined twice: " + earlier->file->path + " and " + file->path);
    _classAndMiniNameMap_()[miniName] = fullName;
    _classAndMiniNameMap_()[fullName] = fullName;
    _classMap_()[fullName] = this;
  }

  // The name word goes; the clauses and the body block become the class's own.
  if (parent) {
    parent->clearNextToken(this, 1);
    TokenList& siblings = parent->childs;
    for (size_t i = index < 0 ? siblings.size() : static_cast<size_t>(index) + 1; i < siblings.size(); ++i) {
      Token* child = siblings[i];
      if (!child) continue;
      siblings[i] = nullptr;
      push(child);
      if (child->type == TokenTypeCode::Block) break;
    }
  }

  childsPretreatment(file, childs);

  if (superName == "Array" || superName == "Dictionary" || superName == "zafrit.utils.Dictionary") {
    for (const char* name : kArrayMembers) members[name] = new Token(TokenTypeCode::Literal, name, 0, 0, this);
  }

  registeredName = fullName;
  return 0;
}

// Whether another class shares the short name (or a package root is named
// like it); then the class cannot simply be emitted under its short name.
bool TokenClass::_OnlyClassNameMapHasOtherClass_(TokenClass* cls, std::string shortName, std::string fullName) {
  if (_onlyTopPathMap_().has(shortName)) return true;
  const std::string& entries = _onlyClassNameMap_()[shortName];
  const std::string own = ";" + fullName + ";";
  if (entries.find(own) != std::string::npos) return entries.size() > own.size();
  const char* path = cls && cls->file ? cls->file->path.c_str() : "";
  MSGTO(MessageType::Problem, path, cls ? cls->line : 0, "No this Class:%s", own.c_str());
  return false;
}

// Makes sure the file that defines `fullName` is parsed, so that a base class
// is registered before the class that extends it is finished.
bool TokenClass::compilerThisClassFile(const char* fullName) {
  if (!fullName) return false;
  ScriptFile* record = ScriptFile::GlobalClassWidthFileMap.get(fullName, nullptr);
  if (!record) return false;
  if (!record->parsed && file && file->owner) file->owner->withFile(record->path.c_str());
  return true;
}

// The "///<reference path='...ts' />" lines that head the TypeScript file of
// this class: one per imported class, relative to the class's own folder.
std::string TokenClass::addReferencePath(Parse* file) {
  TokenPackage* package = file ? file->package : nullptr;
  if (!package || package->importMap.empty()) return "";
  const std::vector<std::string> own = splitDots(registeredName);
  const size_t n = own.size();
  if (!isInterface) package->importMap["Ts"] = "Ts";

  std::string out;
  for (auto& [shortName, other] : package->importMap) {
    if (other.empty()) continue;
    TokenClass* cls = GetTokenClass(other);
    if (cls == this) continue;
    if (!cls) {
      out += "//reference err:" + other + "\n";
      continue;
    }
    const std::vector<std::string> parts = splitDots(other);
    const size_t m = parts.size();
    size_t common = 0;
    while (common < n && common < m && own[common] == parts[common]) ++common;
    std::string path;
    for (size_t up = common + 1; up < n; ++up) path += "../";
    for (size_t i = common; i + 1 < m; ++i) path += parts[i] + "/";
    path += parts[m - 1];
    if (path.size() < 4) continue;
    out += "///<reference path='" + path + ".ts' />\n";
  }
  return out;
}
