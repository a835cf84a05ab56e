// interface declarations: `interface IName extends IBase, IOther {...}`
// registers with the runtime as Ruvo.interface('a.IName','a.IBase,b.IOther');
#include "TokenInterface.h"

#include <cstdint>
#include <string>

#include "CompilerOptions.h"
#include "TokenExtends.h"
#include "TokenPackage.h"
#include "parse.h"
#include "scriptfile.h"

TokenInterface::TokenInterface(int type, const char* text, int pos, int line, Token* parent)
    : TokenClass(type, text, pos, line, parent) {
  isInterface = 1;
}

// The bases as the runtime registration names them: full names throughout.
std::string TokenInterface::qualifiedBaseList(TokenPackage* package) const {
  std::string result;
  size_t start = 0;
  for (;;) {
    size_t comma = baseList.find(',', start);
    result += qualifyInterfaceName(baseList.substr(start, comma == std::string::npos ? std::string::npos : comma - start), package);
    if (comma == std::string::npos) return result;
    result += ",";
    start = comma + 1;
  }
}

// interface IName extends IBase, IOther { function f():void; }: gathers the
// head and body into the interface, resolves the names of the interfaces it
// extends into `baseList` ("a.IBase,b.IOther") and registers it as a class.
int TokenInterface::pretreatment(Parse* file) {
  TokenPackage* package = file ? file->package : nullptr;
  if (file) forcedCompile = file->forcedCompile;
  if (package) package->workingClass = this;
  currentClass = this;
  const std::string packageName = package ? package->text : "";

  if (parent && index >= 0) {
    TokenList& siblings = parent->childs;
    for (size_t i = static_cast<size_t>(index) + 1; i < siblings.size(); ++i) {
      Token* sibling = siblings[i];
      if (!sibling) continue;
      if (sibling->type == TokenTypeCode::Extends) {
        sibling->pretreatment(file);
        if (auto* clause = dynamic_cast<TokenExtends*>(sibling)) baseList = clause->baseName;
      } else if (sibling->type == TokenTypeCode::Word && !baseList.empty()) {
        // A further base after the first, which the extends clause resolved.
        std::string name = sibling->text;
        std::string qualified = packageName + "." + name;
        if (_classMap_().has(qualified))
          name = qualified;
        else if (package && package->importMap.has(name))
          name = package->importMap.get(name);
        if (name != baseList) baseList += "," + name;
      }
      siblings[i] = nullptr;
      push(sibling);
      if (!sibling->text.empty() && fullName.empty()) {
        shortName = sibling->text;
        fullName = packageName.empty() ? shortName : packageName + "." + shortName;
        _interfacesMap_()[fullName] = fullName;
      }
      if (sibling->type == TokenTypeCode::Block) break;
    }
  }

  ScriptFile::RegClass(fullName, file ? file->path : "");
  miniName = __ISTOTS ? shortName : fullName;
  _classMap_()[fullName] = this;

  if (__ISTOTS) {
    for (long i = 0; i < static_cast<long>(childs.size()); ++i) {
      Token* child = childs[i];
      if (!child) continue;
      i += child->pretreatment(file);  // -1 visits the same index again
    }
    closeVarGaps();
    registeredName = fullName;
    fullName = "ruvo." + miniName;
  }
  return 0;
}

namespace {

// A weight below 1 from the bytes of the name, so that interfaces sort
// behind the ordinary files and among themselves by name.
double interfaceWeightFraction(const std::string& name) {
  uint32_t h = 1;
  for (size_t k = 0; k < name.size(); ++k)
    h += static_cast<uint32_t>(static_cast<unsigned char>(name[k])) * static_cast<uint32_t>((k + 1) % 200);
  if (!name.empty()) h &= 0x7fffffffu;
  if (h == 0) h = 1;  // a sum that wrapped to a multiple of 2^31
  return 0.9999999 / static_cast<double>(h);
}

}  // namespace

// "module a{\nimport B=b.B;\nexport interface IName extends IBase{\n f();\n\n}\n\n}\n":
// the reference lines, the module of the package with the file's imports,
// then every function of the body as a member, each closed by ";".
std::string TokenInterface::toTsDeclaration(Parse* file, int typeCommentOff) {
  TokenPackage* package = file ? file->package : nullptr;
  const bool inModule = fullName != miniName;
  std::string text = addReferencePath(file);
  if (inModule) {
    size_t dot = fullName.rfind('.');
    text += "module " + fullName.substr(0, dot == std::string::npos ? 0 : dot) + "{\n";
  }
  if (package)
    for (auto& [shortName, full] : package->importMap) text += "import " + shortName + "=" + full + ";\n";
  if (inModule) text += "export ";
  text += "interface " + miniName + " ";
  if (!baseList.empty()) text += "extends " + baseList;
  text += "{\n";
  Token* body = getTokenFrome(findThisType(TokenTypeCode::Block, 0));
  if (body) {
    for (size_t i = 0; i < body->childs.size(); ++i) {
      Token* member = body->childs[i];
      if (!member || member->type != TokenTypeCode::Function) continue;
      if (CompilerOptions::ReservedComment) text += member->docComment();
      int skip = member->toJsScript(text, file, JsMode::TsInterfaceMember, typeCommentOff);
      if (skip == -1) continue;
      text += ";\n";
      if (skip > 0) i += skip;
    }
  }
  text += "\n}\n";
  if (inModule) text += "\n}\n";
  return text;
}

// interface IName extends IBase { function f():void; } becomes the runtime's
// record "Ruvo.interface('a.IName','a.IBase');", or with TypeScript output on
// "module a{ export interface IName extends IBase{ f(); } }"; either
// way the interface's file is ordered behind the files of classes.
int TokenInterface::toJsScript(std::string& out, Parse* file, int, int typeCommentOff) {
  // Files of interfaces go behind the files of classes.
  ScriptFile* record = file ? ScriptFile::LoadedFileMap.get(file->path, nullptr) : nullptr;
  if (!record && file) record = file->scriptFile;
  if (record) {
    if (record->orderWeight < 1e9) record->orderWeight = 1e9;
    record->orderWeight += interfaceWeightFraction(fullName);
  }
  if (__ISTOTS) {
    out += toTsDeclaration(file, typeCommentOff) + "\n";
    return 0;
  }
  out += "\n";
  if (!baseList.empty())
    out += "Ruvo.interface('" + fullName + "','" + qualifiedBaseList(file ? file->package : nullptr) + "');\n\n";
  else
    out += "Ruvo.interface('" + fullName + "');\n\n";
  return 0;
}
