// The TypeScript text of one class and the writer of the ".ts" files.
//
// With TypeScript output on, a public class a.b.Item (mini name Item) becomes
//
//   ///<reference path='../../c/D.ts' />
//   module ruvo{
//   //Ruvo no need import.
//
//   export class Item extends Base
//   {
//   static count:number=0;
//   x:number=0;
//   constructor (a:number)
//   {
//   ...
//   }
//   draw(){...}
//   get size (){...}
//   }
//   Ts._class(Item,'a.b.Item',true);
//
//   }
//
// and is saved as <parent of the output folder>/ts/src/a/b/Item.ts. The
// members print their own TypeScript (variables in modes 100, 101 and 201,
// methods in 1, accessors in 3, constructors in 4 and 5, statics in 2); this
// file only arranges them.
#include <string>
#include <vector>

#include "CompilerOptions.h"
#include "TokenClass.h"
#include "TokenFunction.h"
#include "TokenPackage.h"
#include "TsOutput.h"
#include "WritingGuard.h"
#include "message.h"
#include "parse.h"
#include "platform.h"
#include "scriptfile.h"
#include "xfilemethod.h"
#include "xstringmethod.h"

namespace {

const char* const kConstructorMarker = "--##END";

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool isStubNameByte(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'; }

// A member function as the function output printed it, "function(a)...{...}",
// becomes the text a TypeScript member takes behind its name: "(a)...{...}".
// An async function gives "async " to `prefix`, which the member puts in front
// of its name. With the emulation library on, a trivial function arrives as a
// shared stub that keeps the whole function in a comment, "RUVOFNVOID/*function(){}*/";
// a TypeScript class has no use for the stub, so the function inside is taken.
// Any other shape loses its first eight bytes, the length of "function".
std::string functionTail(const std::string& text, std::string& prefix) {
  if (startsWith(text, "function")) return text.substr(8);
  if (startsWith(text, "async function")) {
    prefix = "async ";
    return text.substr(14);
  }
  const size_t open = text.find("/*");
  if (open != std::string::npos && open > 0 && text.size() >= open + 4 && text.compare(text.size() - 2, 2, "*/") == 0) {
    bool stubName = true;
    for (size_t i = 0; i < open && stubName; ++i) stubName = isStubNameByte(text[i]);
    const std::string inner = text.substr(open + 2, text.size() - open - 4);
    if (stubName && (startsWith(inner, "function") || startsWith(inner, "async function")))
      return functionTail(inner, prefix);
  }
  return text.size() > 8 ? text.substr(8) : std::string();
}

// The head of a member's doc comment, kept when comments are kept.
std::string keptComment(Token* token) {
  return CompilerOptions::ReservedComment && token ? token->docComment.str() : std::string();
}

// The instance variables in one of the two TypeScript passes: 100 prints the
// declarations that need no initialiser from the constructor, 101 the others.
std::string fieldPass(TokenList& vars, Parse* file, int mode, int typeCommentOff) {
  std::string text;
  for (Token* v : vars) {
    if (!v) continue;
    std::string piece;
    v->toJsScript(piece, file, mode, typeCommentOff);
    if (!piece.empty()) text += keptComment(v) + piece;
  }
  return text;
}

// "constructor (params)\n{\n\nsuper();\n" + body: the constructor of a class
// with a base class whose source calls no super(...), split at the marker
// that the function output places between parameters and body.
std::string constructorWithSuperCall(const std::string& split) {
  const size_t marker = split.find(kConstructorMarker);
  std::string head = marker == std::string::npos ? split : split.substr(0, marker);
  std::string tail;
  const size_t brace = marker == std::string::npos ? std::string::npos : split.find('{', marker + 5);
  if (brace != std::string::npos)
    tail = split.substr(brace + 1);
  else
    tail = "}";  // a constructor that printed no body still closes its block
  return "constructor " + head + "\n{\n" + "\nsuper();\n" + tail + "\n";
}

// The accessors of one map: "get name (){...}" and "set name (value){...}",
// "static " in front of the static ones.
void writeAccessors(std::string& out, OrderedMap<GetSetFunction*>& map, Parse* file, int typeCommentOff) {
  for (auto& entry : map) {
    GetSetFunction* pair = entry.second;
    if (!pair || (!pair->get && !pair->set)) continue;
    const std::string& name = entry.first;
    Token* first = pair->get ? static_cast<Token*>(pair->get) : static_cast<Token*>(pair->set);
    const std::string lead = first->isStatic() ? "\nstatic " : "\n";
    const std::pair<TokenFunction*, const char*> parts[] = {{pair->get, "get "}, {pair->set, "set "}};
    for (const auto& part : parts) {
      if (!part.first) continue;
      std::string text;
      part.first->toJsScript(text, file, JsMode::Accessor, typeCommentOff);
      std::string prefix;
      std::string tail = functionTail(text, prefix);
      out += keptComment(part.first);
      out += lead + getPriveOrProtect(part.first, "") + prefix + part.second + name + " " + tail;
    }
  }
}

// The call that registers the class with the runtime, without the "Ts."
// in front; empty for the class Ruvo itself.
std::string registrationCall(TokenClass* cls, const std::string& keyFlag) {
  const std::string& superName = cls->superName;
  if (cls->fullName == "Ruvo" && superName.empty()) return std::string();
  const bool dic = _ompilerOptions_.enableDic;
  const bool hasBase = cls->superClass != nullptr;
  const std::string base = toTsClassNameS(superName);
  // The class is declared under its mini name; that is the name to hand on.
  const std::string head = "_class(" + cls->miniName + ",'" + cls->registeredName + "'";
  if (superName == "Array") return head + (dic ? "," + keyFlag : std::string()) + ",Array);\n\n";
  if (superName == "Dictionary" || superName == "zafrit.utils.Dictionary")
    return dic ? head + "," + keyFlag + ",Array);\n\n" : head + ",Map);\n\n";
  if (TokenClass::isBuiltinErrorClass(superName))
    return head + (dic ? "," + keyFlag : std::string()) + "," + base + ");\n\n";

  std::string call = head;
  if (dic) {
    const bool keyed = keyFlag == "true" &&
                       (!hasBase || cls->superClass->shortName == "Object" || cls->superClass->shortName == "Array");
    call += keyed ? ",true" : ",false";
  }
  const std::string& mini = cls->miniName;
  if (mini == cls->shortName || mini == cls->fullName)
    call += hasBase ? "," + base : std::string();
  else
    call += (hasBase ? "," + base + ",'" : std::string(",null,'")) + mini + "'";
  return call + ");\n\n";
}

}  // namespace

// A public class (or, with mode -111, a private class of the same file, which
// the public class prints behind its own text) becomes one TypeScript class
// declaration; a class of a package is exported from the module ruvo and
// registered with the runtime through Ts._class.
int TokenClass::toTsScript(std::string& out, Parse* file, int mode, int typeCommentOff) {
  const bool isPublic = (flags & TokenModifierFlags::Public) != 0;
  if (mode != JsMode::PrivateClass && !isPublic) return 0;
  // A class met again inside its own text is written once.
  WritingGuard guard(this);
  if (guard.again()) return 0;
  TokenPackage* package = file ? file->package : nullptr;
  TokenClass* previous = package ? package->workingClass : nullptr;
  if (package) package->workingClass = this;

  // The base class; Object and Function are none, and an interface is
  // implemented, not extended.
  if (superName == "Object" || superName == "Function") {
    superName.clear();
    superClass = nullptr;
  }
  if (!superName.empty()) resolveSuperClass();
  if (superClass) {
    if (package) package->hasUseThisClass(superClass->fullName);
    level = superClass->level + 1;
    if (superClass->isInterface) {
      superClass = nullptr;
      superName.clear();
    }
  }
  const bool inModule = fullName != miniName;

  std::string text;
  text += mode == JsMode::PrivateClass || !inModule ? "\n" : "\nexport ";
  text += "class " + miniName;
  if (!superName.empty()) text += " extends " + toTsClassNameS(superName);
  if (!implementsMap.empty()) {
    std::string list;
    for (auto& entry : implementsMap) list += toTsClassName(entry.first) + ",";
    list.pop_back();
    text += " implements " + list;
  }
  text += "\n{\n";

  // The main class starts the game.
  if (file && isPublic && file->path == _ompilerOptions_.mainFile) {
    __pMainClass__ = this;
    if (file->scriptFile) ScriptFile::firstFiles[file->scriptFile->path] = file->scriptFile;
    if (!_ompilerOptions_.zafritLib && _ompilerOptions_.WXApp.empty())
      _ompilerOptions_.mainStartCode = mainStartCall(fullName);
  }
  if (fullName == "Ruvo" && superName.empty()) text += "//";

  // The other classes of the file follow the public class; a public class
  // that is also listed among them is an error of the file. The whole list
  // is checked before any class is printed: listed public classes that each
  // printed the ones listed before them would take twice as long for every
  // one more.
  std::string privateText;
  if (isPublic && package && !package->privateClassList.empty()) {
    for (TokenClass* cls : package->privateClassList) {
      if (cls == this) {
        std::string unused;
        std::string message = "This Class[" + fullName + "] file err:" + (file ? file->path : std::string());
        scriptErr(unused, file, message.c_str(), 1);
        if (MsgBox) MsgBox(message.c_str(), "compile err");
        // A class that prints nothing does not take the file over.
        if (package && previous) package->workingClass = previous;
        return 0;
      }
    }
    for (TokenClass* cls : package->privateClassList)
      if (cls) cls->toTsScript(privateText, file, JsMode::PrivateClass, typeCommentOff);
  }

  // Statements of the class body: the static variables and whatever else
  // stands there besides functions and instance variables.
  Token* body = getTokenFrome(findThisType(TokenTypeCode::Block, 0));
  if (body) {
    std::string statics;
    for (size_t i = 0; i < body->childs.size(); ++i) {
      Token* child = body->childs[i];
      if (!child || child->type == TokenTypeCode::Function) continue;
      if (child->type == TokenTypeCode::Var && !child->isStatic()) continue;
      statics += child->leadingText;
      const int skip = child->toJsScript(statics, file, JsMode::TsClassBody, typeCommentOff);
      if (skip > 0) i += static_cast<size_t>(skip);
    }
    text += statics;
    if (!statics.empty()) text += "\n";
  }

  // Fields, then the constructor.
  std::string ctor;
  if (!vars.empty()) {
    text += fieldPass(vars, file, 100, typeCommentOff) + "\n";
    ctor += fieldPass(vars, file, 101, typeCommentOff) + "\n";
  }
  if (constructorFunction) {
    if (!superCall && !superName.empty()) {
      std::string split;
      constructorFunction->toJsScript(split, file, JsMode::SplitConstructor, typeCommentOff);
      ctor += constructorWithSuperCall(split);
    } else {
      ctor += "constructor ";
      constructorFunction->toJsScript(ctor, file, JsMode::WholeConstructor, typeCommentOff);
    }
    ctor += "\n";
    ctor = keptComment(constructorFunction) + ctor;
  }
  if (ctor.empty()) {
    ctor = "constructor (){\n";
    if (!superCall && superClass && !superName.empty()) ctor += "super();\n";
    ctor += "}\n";
  }

  // Whether instances may serve as dictionary keys.
  std::string keyFlag = _ompilerOptions_.enableDic ? "true" : "false";
  for (Token* m : methods)
    if (m && m->getValue() == "toString") keyFlag = "false";

  // Methods: "name=function(a){...}" becomes "name(a){...}".
  for (Token* m : methods) {
    if (!m) continue;
    ctor += keptComment(m);
    std::string member;
    m->toJsScript(member, file, JsMode::Member, typeCommentOff);
    const size_t eq = member.find('=');
    if (eq != std::string::npos && eq > 0) {
      std::string prefix;
      const std::string tail = functionTail(member.substr(eq + 1), prefix);
      member = "\n" + getPriveOrProtect(m, "") + prefix + member.substr(0, eq) + tail;
    }
    ctor += member;
  }
  if (!methods.empty()) ctor += "\n";

  writeAccessors(ctor, getSetMap, file, typeCommentOff);
  writeAccessors(ctor, staticGetSetMap, file, typeCommentOff);
  _childsToJs_(ctor, file, staticFunctions, JsMode::ClassBody, "\n", typeCommentOff, 0);

  text += ctor + "\n}" + privateText;
  // Functions after the package block of the file: local to the class's file.
  if (mode != JsMode::PrivateClass && file && !file->packageFunction) {
    for (TokenFunction* outside : file->outsideFunctions) {
      if (!outside) continue;
      text += "\n";
      outside->toJsScript(text, file, JsMode::OutsidePackage, typeCommentOff);
    }
  }

  // The reference lines, the doc comment and the module around the class.
  if (mode != JsMode::PrivateClass) {
    if (package) package->importMap["Ts"] = "Ts";
    out += addReferencePath(file);
  }
  if (CompilerOptions::ReservedComment && !docComment.empty()) out += "\n" + docComment;
  if (mode != JsMode::PrivateClass) {
    if (inModule) out += "module ruvo{\n";
    out += "//Ruvo no need import.\n";
  }

  // Registration with the runtime, then the lazy statics, which need the
  // registered class.
  if (mode != JsMode::PrivateClass && inModule) {
    const std::string call = registrationCall(this, keyFlag);
    if (!call.empty()) text += "\n" + std::string("Ts.") + call + "\n";
    text += tsStaticStart;
    text += "\n}\n";
  } else {
    text += tsStaticStart;
  }

  out += text;
  // A private class hands the file back to the public class that prints it,
  // whose members are still to come.
  if (package) package->workingClass = mode == JsMode::PrivateClass && previous ? previous : this;
  return 0;
}

// The TypeScript folder lies beside the output folder:
// "/p/bin/h5/" and "/p/bin/h5" both give "/p/bin/ts/src/".
static std::string tsSourceRoot(const std::string& outDir) {
  std::string parent = outDir;
  if (outDir.size() >= 2) {
    const size_t slash = outDir.rfind('/', outDir.size() - 2);
    if (slash != std::string::npos) parent = outDir.substr(0, slash);
  }
  return parent + "/ts/src/";
}

// Saves the file's TypeScript as <root>/a/b/Item.ts for its class a.b.Item.
// A file that cannot be written is reported and left out.
void ScriptFile::saveToTsFile() {
  if (!package || !package->workingClass) return;
  std::string name = package->workingClass->registeredName;
  // Without an output folder or a class name there is no place to write to
  // (the root alone would be the file system's).
  if (name.empty() || _ompilerOptions_.outDir.empty()) return;
  xstringmthod::replacechr(name, '.', '/');
  const std::string ts = tsSourceRoot(_ompilerOptions_.outDir) + name + ".ts";
  if (!ScriptFile::write(ts, script))
    MSGTO(MessageType::Problem, ts.c_str(), 0, "Can not write file:%s (%s)", ts.c_str(), xfilemethod::lastWriteError().c_str());
}
