// Class records and the process-wide class registries.
//
// A `TokenClass` is the record every later stage asks about a class: its
// names, its base class, its members sorted by kind and its accessors. The
// registries beside it decide under which JavaScript name (the mini name)
// every class of the project is emitted.
#include "TokenClass.h"

#include <string>
#include <unordered_set>
#include <vector>

#include "TokenFunction.h"
#include "TokenPackage.h"
#include "parse.h"

TokenClass* TokenClass::__pMainClass__ = nullptr;
OrderedMap<std::string> TokenClass::NameSpaceMap;

// Every class gets a creation-order id: 0.000001 for the first, then
// 0.000002, ... The driver's depth key adds it, so that classes of equal
// depth keep their creation order.
TokenClass::TokenClass(int type, const char* text, int pos, int line, Token* parent)
    : Token(type, text, pos, line, parent) {
  __ID__() += 0.000001;
  classId = __ID__();
  ++_classCount_();
}

size_t& TokenClass::_classCount_() {
  static size_t count = 0;
  return count;
}

namespace {
// The open rankClasses batch of makeExtendsDeph (0 when none is open).
uint32_t& openDepthBatch() {
  static uint32_t batch = 0;
  return batch;
}
uint32_t& lastExtendsDepthBatch() {
  static uint32_t last = 0;
  return last;
}
}  // namespace

void TokenClass::beginExtendsDepthBatch() { openDepthBatch() = ++lastExtendsDepthBatch(); }
void TokenClass::endExtendsDepthBatch() { openDepthBatch() = 0; }

std::vector<std::pair<TokenClass*, std::string>>& TokenClass::_waitingPrivateMarks_() {
  static std::vector<std::pair<TokenClass*, std::string>> marks;
  return marks;
}

double& TokenClass::__ID__() {
  static double id = 0;
  return id;
}

// ---- registries ------------------------------------------------------------

OrderedMap<TokenClass*>& TokenClass::_classMap_() {
  static OrderedMap<TokenClass*> m;
  return m;
}
OrderedMap<std::string>& TokenClass::_interfacesMap_() {
  static OrderedMap<std::string> m;
  return m;
}
OrderedMap<std::string>& TokenClass::_onlyClassNameMap_() {
  static OrderedMap<std::string> m;
  return m;
}
OrderedMap<std::string>& TokenClass::_onlyTopPathMap_() {
  static OrderedMap<std::string> m;
  return m;
}
OrderedMap<int32_t>& TokenClass::_MiniClassMap_() {
  static OrderedMap<int32_t> m;
  return m;
}
OrderedMap<std::string>& TokenClass::_classAndMiniNameMap_() {
  static OrderedMap<std::string> m;
  return m;
}

// The registered class of a full name; null for an unknown name and for a
// name the pre-scan entered whose class has not registered yet.
TokenClass* TokenClass::GetTokenClass(const char* fullName) {
  if (!fullName) return nullptr;
  return _classMap_().get(fullName, nullptr);
}

bool TokenClass::HasClassAndMiniName(const char* name) { return name && _classAndMiniNameMap_().has(name); }

// Learns one class name: the short name collects ";full;" entries of every
// class that carries it, and the first segment of a dotted full name is a
// package root that a class of that short name would collide with.
void TokenClass::_addToOnlyClassNameMap_(std::string shortName, std::string fullName) {
  size_t dot = fullName.find('.');
  if (dot != std::string::npos && dot > 0) _onlyTopPathMap_()[fullName.substr(0, dot)] = "1";
  std::string entry = ";" + fullName + ";";
  std::string& entries = _onlyClassNameMap_()[shortName];
  if (entries.find(entry) == std::string::npos) entries += entry;
}

// ---- the base-class chain ----------------------------------------------------

// The base class, looked up by `superName` the first time it is needed. A
// base that would close an inheritance loop is refused (see linkSuperClass).
TokenClass* TokenClass::resolveSuperClass() {
  if (!superClass && !superName.empty()) {
    TokenClass* base = GetTokenClass(superName);
    // A class after the package block may extend another one of its file,
    // declared further down: a private class, known by its short name only.
    if (!base && file && file->package && superName.find('.') == std::string::npos)
      base = file->package->privateClasses.get(superName, nullptr);
    if (base) linkSuperClass(base, this, file);
  }
  return superClass;
}

bool TokenClass::isBuiltinErrorClass(const std::string& name) {
  static const std::string kNames = "|Error|EvalError|RangeError|ReferenceError|SyntaxError|TypeError|URIError|"
      "ArgumentError|DefinitionError|SecurityError|VerifyError|";
  return !name.empty() && kNames.find("|" + name + "|") != std::string::npos;
}

bool TokenClass::chainReaches(TokenClass* from, TokenClass* target) {
  std::unordered_set<TokenClass*> seen;
  for (TokenClass* c = from; c; c = c->superClass) {
    if (c == target) return true;
    if (!seen.insert(c).second) return true;  // an older loop: treat as reaching
  }
  return false;
}

// `class A extends A`, or A and B extending each other, would make every walk
// up the base chain endless. Such a base is not linked: one source error is
// queued, the class is emitted without a base and the run goes on.
bool TokenClass::linkSuperClass(TokenClass* base, Token* at, Parse* where) {
  if (!base) return false;
  // A class nothing derives from yet cannot be reached from its base's chain.
  if ((base != this && !hasDerived) || !chainReaches(base, this)) {
    setSuperClass(base);
    return true;
  }
  std::string message =
      base == this ? "The class[" + fullName + "] extends itself"
                   : "The class[" + fullName + "] extends the class[" + base->fullName + "], which already extends it";
  std::string unused;
  (at ? at : this)->scriptErr(unused, where ? where : file.get(), message.c_str(), 1);
  superClass = nullptr;
  superName.clear();
  return false;
}

// extendsDepth = classId without a base, else (base depth + 1) + classId, so a
// base always sorts before the classes derived from it.
double TokenClass::makeExtendsDeph() {
  const uint32_t batch = openDepthBatch();
  std::vector<TokenClass*> chain;
  std::unordered_set<TokenClass*> seen;
  TokenClass* done = nullptr;  // a base already computed in this batch
  for (TokenClass* c = this; c && seen.insert(c).second; c = c->superClass) {
    if (batch && c->extendsDepthBatch == batch) {
      done = c;
      break;
    }
    chain.push_back(c);
  }
  double depth = done ? done->extendsDepth : 0;
  for (size_t i = chain.size(); i-- > 0;) {
    TokenClass* c = chain[i];
    c->extendsDepth = i + 1 == chain.size() && !done ? c->classId : (depth + 1.0) + c->classId;
    c->extendsDepthBatch = batch;
    depth = c->extendsDepth;
  }
  return extendsDepth;
}

// A public member named like a private member of a base class: the private
// one is then written in its level-qualified form "_$<level>_<name>".
void TokenClass::setPrivateWillAdjustName(const char* name) {
  if (!name) return;
  // Every class of the chain once, up to its end or to a class met before
  // (a cyclic extends). Chains are short: the classes met sit in a small
  // array, and only a chain longer than it fills a set.
  constexpr size_t kShortChain = 16;
  TokenClass* met[kShortChain] = {this};
  size_t metCount = 1;
  std::unordered_set<TokenClass*> longChain;
  auto firstMeeting = [&](TokenClass* c) {
    if (metCount < kShortChain) {
      for (size_t i = 0; i < metCount; ++i)
        if (met[i] == c) return false;
      met[metCount++] = c;
      return true;
    }
    if (longChain.empty()) longChain.insert(met, met + kShortChain);
    return longChain.insert(c).second;
  };
  const std::string key = name;
  TokenClass* last = this;
  for (TokenClass* c = superClass; c && firstMeeting(c); c = c->superClass) {
    Token* member = c->members.get(key, nullptr);
    if (member && (member->flags & TokenModifierFlags::Private)) member->privateNameDone = 1;
    last = c;
  }
  // The chain goes on beyond a class whose base file is still queued.
  if (last->waitingForBase) _waitingPrivateMarks_().emplace_back(this, name);
}

// ---- accessors ---------------------------------------------------------------

OrderedMap<GetSetFunction*>& TokenClass::getGetSetMap(TokenFunction* fn) {
  return fn && fn->isInStatic() ? staticGetSetMap : getSetMap;
}

void TokenClass::add_get(std::string name, TokenFunction* fn) {
  GetSetFunction*& pair = getGetSetMap(fn)[name];
  if (!pair) pair = new GetSetFunction();
  pair->get = fn;
}

void TokenClass::add_set(std::string name, TokenFunction* fn) {
  GetSetFunction*& pair = getGetSetMap(fn)[name];
  if (!pair) pair = new GetSetFunction();
  pair->set = fn;
}

// Whether the class or one of its bases declares a getter ("get") or setter
// ("set") for the property.
bool TokenClass::hasThisGetOrSetFun(const char* name, const char* kind) {
  if (!name || !kind) return false;
  const bool wantGet = std::string(kind) == "get";
  const bool wantSet = std::string(kind) == "set";
  auto has = [&](OrderedMap<GetSetFunction*>& map) {
    GetSetFunction* pair = map.get(name, nullptr);
    return pair && ((wantGet && pair->get) || (wantSet && pair->set));
  };
  std::unordered_set<TokenClass*> seen;
  for (TokenClass* c = this; c && seen.insert(c).second;) {
    if (has(c->getSetMap) || has(c->staticGetSetMap)) return true;
    if (c->superName.empty()) return false;
    c = c->resolveSuperClass();
  }
  return false;
}

// The object literal body of Ruvo.imps(__proto,{...}): "\"a.I\":true,..."
// without the last comma.
std::string TokenClass::qualifyInterfaceName(const std::string& name, TokenPackage* package) {
  const OrderedMap<std::string>& interfaces = _interfacesMap_();
  if (!package || name.empty() || interfaces.has(name) || GetTokenClass(name)) return name;
  const size_t dot = name.rfind('.');
  const std::string shortName = dot == std::string::npos ? name : name.substr(dot + 1);
  if (!package->text.empty() && interfaces.has(package->text + "." + shortName)) return package->text + "." + shortName;
  for (const auto& [prefix, mark] : package->wildcardMap)
    if (!prefix.empty() && interfaces.has(prefix + "." + shortName)) return prefix + "." + shortName;
  return name;
}

std::string TokenClass::toFullImplements(TokenPackage* package) {
  std::string out;
  for (auto& [name, full] : implementsMap) out += "\"" + qualifyInterfaceName(full, package) + "\":true,";
  if (out.size() > 1) out.pop_back();
  return out;
}

void resetClassRegistries() {
  TokenClass::_classMap_().clear();
  TokenClass::_interfacesMap_().clear();
  TokenClass::_onlyClassNameMap_().clear();
  TokenClass::_onlyTopPathMap_().clear();
  TokenClass::_MiniClassMap_().clear();
  TokenClass::_classAndMiniNameMap_().clear();
  TokenClass::NameSpaceMap.clear();
  TokenClass::__ID__() = 0;
  TokenClass::_classCount_() = 0;
  TokenClass::_waitingPrivateMarks_().clear();
  TokenClass::__pMainClass__ = nullptr;
}
