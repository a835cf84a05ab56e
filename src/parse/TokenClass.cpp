// Placeholder: class records and registries are being built.
#include "TokenClass.h"

#include "TokenFunction.h"

TokenClass* TokenClass::__pMainClass__ = nullptr;
OrderedMap<std::string> TokenClass::NameSpaceMap;

TokenClass::TokenClass(int type, const char* text, int pos, int line, Token* parent)
    : Token(type, text, pos, line, parent) {}
double& TokenClass::__ID__() {
  static double id = 0;
  return id;
}
OrderedMap<TokenClass*>& TokenClass::_classMap_() {
  static OrderedMap<TokenClass*> m;
  return m;
}
TokenClass* TokenClass::GetTokenClass(const char* fullName) { return _classMap_().get(fullName, nullptr); }
bool TokenClass::HasClassAndMiniName(const char*) { return false; }
void resetClassRegistries() {}
// Link placeholders for the expression output, until the registries land.
OrderedMap<std::string>& TokenClass::_interfacesMap_() {
  static OrderedMap<std::string> m;
  return m;
}
OrderedMap<std::string>& TokenClass::_classAndMiniNameMap_() {
  static OrderedMap<std::string> m;
  return m;
}
void TokenClass::setPrivateWillAdjustName(const char*) {}
// Link placeholders for the function pretreatment, until the registries land.
void TokenClass::add_get(std::string name, TokenFunction* fn) {
  GetSetFunction*& pair = (fn && fn->isInStatic() ? staticGetSetMap : getSetMap)[name];
  if (!pair) pair = new GetSetFunction();
  pair->get = fn;
}
void TokenClass::add_set(std::string name, TokenFunction* fn) {
  GetSetFunction*& pair = (fn && fn->isInStatic() ? staticGetSetMap : getSetMap)[name];
  if (!pair) pair = new GetSetFunction();
  pair->set = fn;
}
