// extends and implements clauses in the head of a class or interface. They
// print nothing: they record the base class, its level and the implemented
// interfaces on the class being declared, and have the base class's file
// compiled first when it has not been parsed yet.
#include "TokenExtends.h"

#include <string>
#include <unordered_map>
#include <vector>

#include "TokenClass.h"
#include "globals.h"
#include "TokenPackage.h"
#include "message.h"
#include "parse.h"
#include "scriptfile.h"

namespace {

// Built-in classes that may stand as a base class under their own names.
bool isBuiltinBase(const std::string& name) {
  static const std::string kList = "|Boolean|Object|Array|RegExp|FileSystem|Date|String|Function|Error|Worker|";
  return kList.find("|" + name + "|") != std::string::npos;
}

// The emulation library stands in for the Flash classes.
void toEmulationName(std::string& name) {
  if (name.rfind("flash.", 0) == 0) name = "zafrit." + name.substr(6);
}

// A class linked to its base while other clauses wait: its level is set
// again once they are linked, as its base's level may still change.
void noteLinkWhileWaiting(TokenExtends* clause) {
  if (!TokenExtends::_waitingClauses_().empty()) TokenExtends::_waitingClauses_().push_back(clause);
}

// level = base level + 1 for every class linked while clauses waited, each
// base before the classes derived from it; one pass up each chain, stopping
// at classes already set.
void setLevels(const std::vector<TokenClass*>& classes) {
  std::unordered_map<TokenClass*, bool> done;  // class -> level set
  for (TokenClass* cls : classes) done.emplace(cls, false);
  for (TokenClass* cls : classes) {
    std::vector<TokenClass*> path;
    TokenClass* c = cls;
    for (auto it = done.find(c); c && it != done.end() && !it->second; it = done.find(c)) {
      it->second = true;
      path.push_back(c);
      c = c->superClass;
    }
    for (size_t i = path.size(); i-- > 0;)
      if (path[i]->superClass) path[i]->level = path[i]->superClass->level + 1;
  }
}

}  // namespace

// `class A extends B implements I` in: the clause records B and I on the
// class being declared (A) and has B's file compiled first when needed; the
// clause itself prints nothing.
int TokenExtends::pretreatment(Parse* file) {
  TokenPackage* package = file ? file->package : nullptr;
  currentClass = package ? package->workingClass : nullptr;
  if (type == TokenTypeCode::Extends)
    pretreatmentExtends(file);
  else
    pretreatmentImplements(file);
  return 0;
}

// `extends B` or `implements I, J` in, nothing out: the class output writes
// the base and the interfaces from what the pretreatment recorded.
int TokenExtends::toJsScript(std::string&, Parse*, int, int) { return 0; }

namespace {

// Whether a class named `name` stands among the top-level statements of the
// file (after its package block), which are not registered yet when the
// public class's clause is read.
bool declaresClassAfter(Parse* file, const std::string& name) {
  if (!file) return false;
  for (Token* child : file->childs)
    if (child && child->type == TokenTypeCode::Class && file->getNextValue(child, 1) == name) return true;
  return false;
}

}  // namespace

// `extends Base`: Base is resolved in the class's own package first, then
// through the imports; its file is compiled on demand.
void TokenExtends::pretreatmentExtends(Parse* file) {
  TokenClass* cls = currentClass;
  // A stopped compile links and reports no more bases.
  if (!cls || !parent || compileStop() != CompileStop::None) return;
  Token* next = parent->getNextToken(this, 1);
  if (!next || next->type == TokenTypeCode::Block) return;
  std::string name = next->text;

  if (next->type == TokenTypeCode::SystemType) {
    if (isBuiltinBase(name)) cls->superName = name;
    return;
  }
  if (next->type != TokenTypeCode::Word) return;

  TokenPackage* package = file ? file->package : nullptr;
  const std::string packageName = package ? package->text : "";
  if (name.find('.') == std::string::npos && !packageName.empty() &&
      TokenClass::_classMap_().has(packageName + "." + name))
    name = packageName + "." + name;
  else if (package && package->importMap.has(name))
    name = package->importMap.get(name);
  toEmulationName(name);
  // A built-in error class that no class of the project shadows is extended
  // as the built-in constructor: class MyError extends TypeError.
  if (TokenClass::isBuiltinErrorClass(name) && !TokenClass::_classMap_().has(name)) {
    cls->superName = name;
    return;
  }
  baseName = name;
  cls->superName = name;
  if (name.empty()) return;

  // A class after the package block that extends another one of the same
  // file: the base is a private class of the file, known by its short name.
  TokenClass* privateBase = package && name.find('.') == std::string::npos
                                ? package->privateClasses.get(name, nullptr)
                                : nullptr;
  if (privateBase) {
    if (cls->linkSuperClass(privateBase, this, file)) cls->level = privateBase->level + 1;
    noteLinkWhileWaiting(this);
  } else if (cls->compilerThisClassFile(name.c_str())) {
    ScriptFile* record = ScriptFile::GlobalClassWidthFileMap.get(name, nullptr);
    if (!TokenClass::GetTokenClass(name) && record && !record->parsed) {
      // The base's file is queued and parsed after this one.
      cls->waitingForBase = 1;
      _waitingClauses_().push_back(this);
      return;
    }
    linkBase(file);
    noteLinkWhileWaiting(this);
  } else if (name.find('.') == std::string::npos && (cls->isPrivateClass || declaresClassAfter(file, name))) {
    // A class declared further down in this file: the class output links
    // it, or warns when there is none.
    cls->baseWarningAt = this;
  } else if (!cls->superClass && !cls->isInterface && name != "Object") {
    Warning(this, cls->fullName + " extends " + name + ",This class  is not defined;");
  }
}

void TokenExtends::linkBase(Parse* file) {
  TokenClass* cls = currentClass;
  TokenClass* base = TokenClass::GetTokenClass(baseName);
  if (!base) {
    // The base class's file was compiled but did not declare it: the
    // compile cannot go on.
    std::string text = "Error!\r\nNo this class:" + baseName + ",\r\nfile:" + (file ? file->path : "") + "\r\n";
    if (MsgBox) MsgBox(text.c_str(), "Compile err");
    stopCompile(CompileStop::UndeclaredBase);
    // Nothing more of this file may run: no warning or message follows the box.
    throw CompileStopped{CompileStop::UndeclaredBase};
  }
  if (cls->linkSuperClass(base, this, file)) cls->level = base->level + 1;
}

std::vector<TokenExtends*>& TokenExtends::_waitingClauses_() {
  static std::vector<TokenExtends*> clauses;
  return clauses;
}

void TokenExtends::linkWaitingClasses() {
  std::vector<TokenExtends*> clauses;
  clauses.swap(_waitingClauses_());
  std::vector<TokenClass*> linked;
  for (size_t i = clauses.size(); i-- > 0;) {
    TokenExtends* clause = clauses[i];
    TokenClass* cls = clause->currentClass;
    if (!cls) continue;
    if (cls->waitingForBase) {
      cls->waitingForBase = 0;
      clause->linkBase(clause->file);
    }
    linked.push_back(cls);
  }
  setLevels(linked);

  std::vector<std::pair<TokenClass*, std::string>> marks;
  marks.swap(TokenClass::_waitingPrivateMarks_());
  for (auto& [cls, name] : marks) cls->setPrivateWillAdjustName(name.c_str());
  TokenClass::_waitingPrivateMarks_().clear();
}

void resetWaitingClauses() { TokenExtends::_waitingClauses_().clear(); }

// `implements I, J`: every named interface enters the class's implementsMap
// by its full name; separators and stray words move into the clause.
void TokenExtends::pretreatmentImplements(Parse* file) {
  TokenClass* cls = currentClass;
  if (!cls || cls->isInterface || !parent || index < 0) return;
  TokenPackage* package = file ? file->package : nullptr;
  const std::string packageName = package ? package->text : "";

  TokenList& siblings = parent->childs;
  for (size_t i = static_cast<size_t>(index) + 1; i < siblings.size(); ++i) {
    Token* sibling = siblings[i];
    if (!sibling) continue;
    if (sibling->type == TokenTypeCode::Block) break;
    if (sibling->type != TokenTypeCode::Word) {
      if (sibling->type == TokenTypeCode::SystemType && isBuiltinBase(sibling->text)) cls->superName = sibling->text;
      siblings[i] = nullptr;
      push(sibling);
      continue;
    }
    std::string name = sibling->text;
    if (package && package->importMap.has(name)) {
      name = package->importMap.get(name);
    } else if (name.find('.') == std::string::npos && !packageName.empty()) {
      std::string qualified = packageName + "." + name;
      if (TokenClass::GetTokenClass(qualified) || !TokenClass::_classMap_().has(name)) name = qualified;
    }
    toEmulationName(name);
    if (package) package->hasUseThisClass(name);
    if (type == TokenTypeCode::Implements) {
      cls->implementsMap[name] = name;
    } else {
      siblings[i] = nullptr;
      push(sibling);
    }
  }
}
