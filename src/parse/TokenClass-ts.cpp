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
// members print their own TypeScript (the variables in the modes
// TsConstructorVars, TsMember and TsClassBody; the methods, accessors,
// constructors and static functions in the modes of the JavaScript class
// output); this file only arranges them.
#include <string>
#include <vector>

#include "CompilerOptions.h"
#include "OutputMarkers.h"
#include "TokenClass.h"
#include "TokenFunction.h"
#include "TokenPackage.h"
#include "TsOutput.h"
#include "WritingGuard.h"
#include "message.h"
#include "parse.h"
#include "scriptfile.h"
#include "xfilemethod.h"
#include "xstringmethod.h"

namespace {

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
  return CompilerOptions::ReservedComment && token ? token->docComment().str() : std::string();
}

// The instance variables in one of the two TypeScript passes: TsConstructorVars
// prints the declarations that need no initialiser from the constructor,
// TsMember the others.
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
// in front; empty for the class Ruvo itself. The class is declared under its
// mini name, and the base is handed on under its own.
std::string registrationCall(TokenClass* cls, const std::string& keyFlag) {
  if (cls->fullName == "Ruvo" && cls->superName.empty()) return std::string();
  const std::string base = toTsClassNameS(cls->superName);
  return "_class(" + cls->miniName + ",'" + cls->registeredName + "'" + cls->registrationArguments(keyFlag, base, base);
}

// The working texts of one class's TypeScript and the steps that write
// them, in the order toTsScript calls them: the class text holds the
// declaration, the member text (led by the constructor) is built apart and
// joins it when the declaration closes.
class ClassTsWriter {
 public:
  ClassTsWriter(TokenClass& cls, Parse* file, int mode, int typeCommentOff)
      : cls_(cls),
        file_(file),
        package_(file ? file->package : nullptr),
        typeCommentOff_(typeCommentOff),
        asPrivate_(mode == JsMode::PrivateClass),
        isPublic_((cls.flags & TokenModifierFlags::Public) != 0),
        inModule_(cls.fullName != cls.miniName) {}

  void writeClassHead();
  void writeRuvoCoreComment();
  bool hasPrivateClasses() const;
  void writePrivateClasses();
  void writeBodyStatics();
  void writeFieldsAndConstructor();
  void writeMethods();
  void writeAccessorsAndStaticFunctions();
  void closeClass();
  void writeModuleHead(std::string& out);
  void writeRegistration(const std::string& keyFlag);
  const std::string& text() const { return text_; }

 private:
  void writeConstructor();

  TokenClass& cls_;
  Parse* file_;
  TokenPackage* package_;
  const int typeCommentOff_;
  const bool asPrivate_;  // printed by the public class of its file
  const bool isPublic_;
  const bool inModule_;   // exported from the module ruvo
  std::string text_;         // the class text, handed out at the end
  std::string members_;      // the field initialisers, constructor and members
  std::string privateText_;  // the file's private classes, behind this one
};

// "\nexport class Item extends Base implements IA,IB\n{\n"; a private class
// and a class outside a module are not exported.
void ClassTsWriter::writeClassHead() {
  text_ += asPrivate_ || !inModule_ ? "\n" : "\nexport ";
  text_ += "class " + cls_.miniName;
  if (!cls_.superName.empty()) text_ += " extends " + toTsClassNameS(cls_.superName);
  if (!cls_.implementsMap.empty()) {
    std::string list;
    for (auto& entry : cls_.implementsMap) list += toTsClassName(entry.first) + ",";
    list.pop_back();
    text_ += " implements " + list;
  }
  text_ += "\n{\n";
}

// The class Ruvo itself comments out the line that follows.
void ClassTsWriter::writeRuvoCoreComment() {
  if (cls_.fullName == "Ruvo" && cls_.superName.empty()) text_ += "//";
}

bool ClassTsWriter::hasPrivateClasses() const {
  return isPublic_ && package_ && !package_->privateClassList.empty();
}

// The other classes of the file follow the public class, each a class
// declaration of its own. The caller checks the whole list for the public
// class before any class is printed: listed public classes that each printed
// the ones listed before them would take twice as long for every one more.
void ClassTsWriter::writePrivateClasses() {
  for (TokenClass* cls : package_->privateClassList)
    if (cls) cls->toTsScript(privateText_, file_, JsMode::PrivateClass, typeCommentOff_);
}

// Only blanks and ';' between the members of a class body: a class
// declaration may hold them as they stand.
bool onlyEmptyStatements(const std::string& text) {
  return text.find_first_not_of(" \t\r\n;") == std::string::npos;
}

// "static count:number=0;\n": the static variables of the class body. The
// other statements that stand there, "init();" or a block "{ ... }", run
// when the class is set up; a class declaration cannot hold them, so they
// join the class's start-up text behind the declaration, in source order
// with the lazy statics ("Ts._static(...)") that the variables add there.
void ClassTsWriter::writeBodyStatics() {
  Token* body = cls_.getTokenFrome(cls_.findThisType(TokenTypeCode::Block, 0));
  if (!body) return;
  std::string statics;
  std::string statement;  // the statement gathered since the last variable
  auto endStatement = [&]() {
    if (onlyEmptyStatements(statement))
      statics += statement;
    else
      cls_.tsStaticStart += statement + "\n";
    statement.clear();
  };
  for (size_t i = 0; i < body->childs.size(); ++i) {
    Token* child = body->childs[i];
    if (!child || child->type == TokenTypeCode::Function) continue;
    if (child->type == TokenTypeCode::Var && !child->isStatic()) continue;
    const bool isVar = child->type == TokenTypeCode::Var;
    if (isVar) endStatement();
    std::string& into = isVar ? statics : statement;
    into += child->leadingText;
    const int skip = child->toJsScript(into, file_, JsMode::TsClassBody, typeCommentOff_);
    if (skip > 0) i += static_cast<size_t>(skip);
  }
  endStatement();
  text_ += statics;
  if (!statics.empty()) text_ += "\n";
}

// "constructor (a:number)\n{...}\n", with "super();" first when the class
// has a base and its constructor calls no super(...); "constructor (){\n}\n"
// when the class declares none.
void ClassTsWriter::writeConstructor() {
  const bool hasBase = !cls_.superName.empty();
  if (TokenFunction* constructor = cls_.constructorFunction) {
    if (!cls_.superCall && hasBase) {
      std::string split;
      constructor->toJsScript(split, file_, JsMode::SplitConstructor, typeCommentOff_);
      members_ += constructorWithSuperCall(split);
    } else {
      members_ += "constructor ";
      constructor->toJsScript(members_, file_, JsMode::WholeConstructor, typeCommentOff_);
    }
    members_ += "\n";
    members_ = keptComment(constructor) + members_;
  }
  if (members_.empty()) {
    members_ = "constructor (){\n";
    if (!cls_.superCall && cls_.superClass && hasBase) members_ += "super();\n";
    members_ += "}\n";
  }
}

// "x:number;\n" declarations in the class text; the initialisers that need
// the constructor ("x:number=0;") lead the member text, then the constructor.
void ClassTsWriter::writeFieldsAndConstructor() {
  if (!cls_.vars.empty()) {
    text_ += fieldPass(cls_.vars, file_, JsMode::TsConstructorVars, typeCommentOff_) + "\n";
    members_ += fieldPass(cls_.vars, file_, JsMode::TsMember, typeCommentOff_) + "\n";
  }
  writeConstructor();
}

// Methods: "name=function(a){...}" becomes "name(a){...}".
void ClassTsWriter::writeMethods() {
  for (Token* m : cls_.methods) {
    if (!m) continue;
    members_ += keptComment(m);
    std::string member;
    m->toJsScript(member, file_, JsMode::Member, typeCommentOff_);
    const size_t eq = member.find('=');
    if (eq != std::string::npos && eq > 0) {
      std::string prefix;
      const std::string tail = functionTail(member.substr(eq + 1), prefix);
      member = "\n" + getPriveOrProtect(m, "") + prefix + member.substr(0, eq) + tail;
    }
    members_ += member;
  }
  if (!cls_.methods.empty()) members_ += "\n";
}

// "get x (){...}" and "set x (value){...}", the instance accessors first,
// then "static make(){...}" for the static functions.
void ClassTsWriter::writeAccessorsAndStaticFunctions() {
  writeAccessors(members_, cls_.getSetMap, file_, typeCommentOff_);
  writeAccessors(members_, cls_.staticGetSetMap, file_, typeCommentOff_);
  cls_._childsToJs_(members_, file_, cls_.staticFunctions, JsMode::ClassBody, "\n", typeCommentOff_, 0);
}

// The members and "\n}" close the declaration; the private classes follow,
// then the functions after the package block of the file, local to the
// class's file.
void ClassTsWriter::closeClass() {
  text_ += members_ + "\n}" + privateText_;
  if (asPrivate_ || !file_ || file_->packageFunction) return;
  for (TokenFunction* outside : file_->outsideFunctions) {
    if (!outside) continue;
    text_ += "\n";
    outside->toJsScript(text_, file_, JsMode::OutsidePackage, typeCommentOff_);
  }
}

// Ahead of the class text: the reference lines of a public class, the doc
// comment when comments are kept, and "module ruvo{\n//Ruvo no need import.\n".
void ClassTsWriter::writeModuleHead(std::string& out) {
  if (!asPrivate_) {
    if (package_) package_->importMap["Ts"] = "Ts";
    out += cls_.addReferencePath(file_);
  }
  if (CompilerOptions::ReservedComment && !cls_.docComment().empty()) out += "\n" + cls_.docComment();
  if (asPrivate_) return;
  if (inModule_) out += "module ruvo{\n";
  out += "//Ruvo no need import.\n";
}

// "\nTs._class(Item,'a.b.Item',true);\n\n" behind the class of a module, then
// the lazy statics, which need the registered class, and the module's "}".
void ClassTsWriter::writeRegistration(const std::string& keyFlag) {
  if (asPrivate_ || !inModule_) {
    text_ += cls_.tsStaticStart;
    return;
  }
  const std::string call = registrationCall(&cls_, keyFlag);
  if (!call.empty()) text_ += "\n" + std::string("Ts.") + call + "\n";
  text_ += cls_.tsStaticStart;
  text_ += "\n}\n";
}

}  // namespace

// class Item extends Base { var x:int = 0; function draw():void {...} }
// becomes, with TypeScript output on, the module text in the head of this file,
// "export class Item extends Base\n{\nx:number;\n...\n}" + "Ts._class(...)";
// a public class prints its file's private classes behind its own declaration.
int TokenClass::toTsScript(std::string& out, Parse* file, int mode, int typeCommentOff) {
  if (mode != JsMode::PrivateClass && !(flags & TokenModifierFlags::Public)) return 0;
  // A class met again inside its own text is written once.
  WritingGuard guard(this);
  if (guard.again()) return 0;
  TokenPackage* package = file ? file->package : nullptr;
  TokenClass* previous = settleBaseClass(file, UnknownBase::Silent);

  ClassTsWriter writer(*this, file, mode, typeCommentOff);
  writer.writeClassHead();
  takeMainClassRole(file, LibraryStart::Untouched);
  writer.writeRuvoCoreComment();
  if (writer.hasPrivateClasses()) {
    if (listedAmongPrivateClasses(file)) {
      // A class that prints nothing does not take the file over.
      if (previous) package->workingClass = previous;
      return 0;
    }
    writer.writePrivateClasses();
  }
  writer.writeBodyStatics();
  writer.writeFieldsAndConstructor();
  const std::string keyFlag = dictionaryKeyFlag();
  writer.writeMethods();
  writer.writeAccessorsAndStaticFunctions();
  writer.closeClass();
  writer.writeModuleHead(out);
  writer.writeRegistration(keyFlag);
  out += writer.text();
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
