// extends and implements clauses in the head of a class or interface. They
// print nothing: they record the base class, its level and the implemented
// interfaces on the class being declared, and have the base class's file
// compiled first when it has not been parsed yet.
#include "TokenExtends.h"

#include <cstdlib>
#include <string>

#include "TokenClass.h"
#include "TokenPackage.h"
#include "message.h"
#include "parse.h"

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

}  // namespace

int TokenExtends::pretreatment(Parse* file) {
  TokenPackage* package = file ? file->package : nullptr;
  currentClass = package ? package->workingClass : nullptr;
  if (type == TokenTypeCode::Extends)
    pretreatmentExtends(file);
  else
    pretreatmentImplements(file);
  return 0;
}

int TokenExtends::toJsScript(std::string&, Parse*, int, int) { return 0; }

// `extends Base`: Base is resolved in the class's own package first, then
// through the imports; its file is compiled on demand.
void TokenExtends::pretreatmentExtends(Parse* file) {
  TokenClass* cls = currentClass;
  if (!cls || !parent) return;
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
  } else if (cls->compilerThisClassFile(name.c_str())) {
    TokenClass* base = TokenClass::GetTokenClass(name);
    if (!base) {
      // The base class's file was compiled but did not declare it.
      std::string text = "Error!\r\nNo this class:" + name + ",\r\nfile:" + (file ? file->path : "") + "\r\n";
      if (MsgBox) MsgBox(text.c_str(), "Compile err");
      std::exit(0);
    }
    if (cls->linkSuperClass(base, this, file)) cls->level = base->level + 1;
  } else if (cls->isPrivateClass && name.find('.') == std::string::npos) {
    // Perhaps a class declared further down in this file: the class output
    // links it, or warns when there is none.
    cls->baseWarningAt = this;
  } else if (!cls->superClass && !cls->isInterface && name != "Object") {
    Warning(this, cls->fullName + " extends " + name + ",This class  is not defined;");
  }
}

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
