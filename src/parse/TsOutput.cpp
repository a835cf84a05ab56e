// Small text helpers of the TypeScript output: ActionScript type names to
// TypeScript type names, the type suffix of a declared name, the access and
// const prefixes of a member, and class names as the TypeScript classes
// spell them (their mini names).
#include "TsOutput.h"

#include <vector>

#include "CompilerOptions.h"
#include "Token.h"
#include "TokenClass.h"
#include "xstringmethod.h"

std::string typeToTsType(std::string typeName) {
  if (typeName.empty()) return typeName;
  if (typeName == "int" || typeName == "uint" || typeName == "Number") return "number";
  if (typeName == "Boolean") return "boolean";
  if (typeName == "String") return "string";
  if (typeName == "Array") return "Array<any>";
  if (typeName == "XmlDom") return "XMLDocument";
  if (typeName == "Object" || typeName == "*" || typeName == "Class") return "any";
  if (typeName.compare(0, 7, "Vector.") == 0) return "Array<any>";
  if (typeName.compare(0, 5, "ruvo.") == 0) return "ruvo." + typeName.substr(typeName.rfind('.') + 1);
  return typeName;
}

std::string toTsVarType(Token* token) {
  if (!__ISTOTS || !token || !token->typeToken() || token->typeToken()->text.empty()) return std::string();
  return ":" + typeToTsType(token->typeToken()->text);
}

std::string getPriveOrProtect(Token* token, const char*) {
  if (!__ISTOTS || !token) return std::string();
  if (token->flags & TokenModifierFlags::Private) return "private ";
  if (token->flags & TokenModifierFlags::Protected) return "protected ";
  return std::string();
}

std::string getConstStr(Token* token) {
  if (!__ISTOTS || !token || !(token->flags & TokenModifierFlags::Inline)) return std::string();
  return token->isStatic() ? "/*const*/ " : "readonly ";
}

std::string toTsClassName(std::string fullName) {
  TokenClass* cls = TokenClass::GetTokenClass(fullName);
  return cls ? cls->miniName : fullName;
}

std::string toTsClassNameS(std::string names) {
  if (names.find(',') == std::string::npos) return toTsClassName(names);
  std::vector<std::string> pieces;
  xstringmthod::splitstr(names, ",", pieces);
  std::string out;
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) out += ",";
    out += toTsClassName(pieces[i]);
  }
  return out;
}
