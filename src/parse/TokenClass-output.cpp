// The JavaScript of one class: an immediately invoked function that receives
// the base class as `_super` and returns the constructor.
//
//   //class a.b.Item extends Base
//   var Item=(function(_super){
//   function Item(){ ...initialisers...; Item.__super.call(this); ... }
//   __class(Item,'a.b.Item',true,_super);
//   var __proto=Item.prototype;
//   __proto.draw=function(){...}
//   __getset(0,__proto,'x',function(){...},function(value){...});
//   __static(Item,
//   ['cache',function(){return this.cache=new Dictionary();}
//   ]);
//   return Item;
//   })(Base)
#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "CompilerOptions.h"
#include "OutputMarkers.h"
#include "TokenClass.h"
#include "TokenFunction.h"
#include "TokenPackage.h"
#include "WritingGuard.h"
#include "message.h"
#include "parse.h"
#include "platform.h"
#include "scriptfile.h"
#include "xstringmethod.h"

namespace {

bool isDictionaryName(const std::string& name) { return name == "Dictionary" || name == "zafrit.utils.Dictionary"; }

// Splits the SplitConstructor text of a constructor, "(params)--##END{body}", into the
// parameter part and the body behind its opening brace.
void splitConstructor(const std::string& text, std::string& head, std::string& tail) {
  size_t marker = text.find(kConstructorMarker);
  if (marker == std::string::npos) {
    // A constructor that printed no body: keep the function well formed.
    head = "()";
    tail = "}\n";
    return;
  }
  head = text.substr(0, marker);
  size_t brace = text.find('{', marker);
  tail = brace == std::string::npos ? "" : text.substr(brace + 1);
}

std::string quotedList(const std::vector<std::string>& names) {
  std::string out;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i) out += ",";
    out += "'" + names[i] + "'";
  }
  return out;
}

void trimTrailingBlanks(std::string& text) {
  while (!text.empty() && (text.back() == '\t' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
}

// Whether an initialiser is made of number literals alone. IsAllDigit takes
// every text that starts with "0x" for a number, but here the text is the
// whole initialiser: 0x0F | Other.BITS reads another class, which may not
// be made yet while this one is. A hex literal counts only with nothing
// after it but what IsAllDigit accepts (no name).
bool isNumberValue(const std::string& value) {
  if (value.size() > 1 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) {
    size_t end = 2;
    while (end < value.size() && std::isxdigit(static_cast<unsigned char>(value[end]))) ++end;
    return end == value.size() || xstringmthod::IsAllDigit(value.c_str() + end) != 0;
  }
  return xstringmthod::IsAllDigit(value.c_str()) != 0;
}

// Whether the initialiser `rest` (the item from the value on) is a function
// expression alone, function(){...}: one that is called at once,
// function(){...}(), runs its body, which may read a class not made yet.
bool isFunctionAlone(const std::string& rest) {
  if (rest.rfind("function(", 0) != 0) return false;
  int depth = 0;
  char quote = 0;
  for (size_t i = rest.find('{'); i < rest.size(); ++i) {
    const char c = rest[i];
    if (quote) {
      if (c == '\\')
        ++i;
      else if (c == quote)
        quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '{') {
      ++depth;
    } else if (c == '}' && --depth == 0) {
      return rest.find_first_not_of(" \t\r\n;", i + 1) == std::string::npos;
    }
  }
  return false;
}

// Static values that are safe to assign while the class is defined; any other
// initialiser is deferred to the first use of the static (__static).
bool isDirectStaticValue(const std::string& item, const std::string& value, const std::string& rest) {
  if (item.find("=/*[SAFE]*/", 1) != std::string::npos) return true;
  static const char* const kPlain[] = {"null", "undefine", "[]", "true", "false", "NaN", "{}", "{ }"};
  for (const char* plain : kPlain)
    if (value == plain) return true;
  if (isNumberValue(value) || xstringmthod::IsString(value.c_str())) return true;
  return value.rfind("new RegExp(", 0) == 0 || isFunctionAlone(rest);
}

// One static item, "'name',this.name=value;", goes to the direct statics as
// "Item.name=value;" when its value is safe at once, else to the lazy list
// as "'name',function(){return this.name=value;}," (an item without a comma
// is dropped). An embedded asset ("name",...) is always direct.
void sortStaticItem(std::string item, const std::string& shortName, std::string& direct, std::string& lazy) {
  const size_t comma = item.find(',');
  if (comma == std::string::npos) return;
  trimTrailingBlanks(item);
  size_t end = item.find(';', comma);
  if (end == std::string::npos) {
    end = item.size();
    item += ";";
  }
  std::string after = item.substr(comma + 1);
  if (item[0] == '"') {
    size_t self = after.find("this.");
    if (self == 0)
      after = shortName + after.substr(4);
    else if (self != std::string::npos)
      after = after.substr(0, self);
    direct += after;
    return;
  }
  std::string value;
  std::string rest;
  size_t eq = item.find('=');
  if (eq != std::string::npos && eq < end) {
    value = item.substr(eq + 1, end - eq - 1);
    size_t first = value.find_first_not_of(' ');
    value = first == std::string::npos ? "" : value.substr(first);
    rest = item.substr(std::min(item.size(), eq + 1 + (first == std::string::npos ? 0 : first)));
  }
  if (!isDirectStaticValue(item, value, rest)) {
    lazy += item.substr(0, comma) + ",function(){return " + after + "},";
    return;
  }
  size_t doubled = after.find(";;");
  if (doubled != std::string::npos && doubled + 2 == after.size()) after.resize(after.size() - 2);
  size_t self = after.find("this.");
  if (self != std::string::npos) after.replace(self, 5, shortName + ".");
  if (item.find("=/*[SAFE]*/", 1) != std::string::npos) after = xstringmthod::replaceAll(after, "=/*[SAFE]*/", "=");
  direct += after + "\n";
}

// Turns the static items that the variable output wrote (each led by
// kStaticItemMark) into direct assignments on the class and a lazy
// __static(...) list.
void writeStatics(std::string& out, const std::string& items, const std::string& shortName) {
  std::string direct;
  std::string lazy;
  size_t start = 0;
  for (;;) {
    size_t mark = items.find(kStaticItemMark, start);
    sortStaticItem(items.substr(start, mark == std::string::npos ? std::string::npos : mark - start), shortName,
                   direct, lazy);
    if (mark == std::string::npos) break;
    start = mark + 1;
  }
  if (!direct.empty()) out += direct + "\n";
  if (lazy.find("function(){", 1) != std::string::npos)
    out += "__static(" + shortName + ",\n[" + lazy.substr(0, lazy.size() - 1) + "\n]);\n";
}

bool onlyPunctuation(const std::string& text) { return text.find_first_not_of("\r\n,;\t ") == std::string::npos; }

// The working texts of one class's JavaScript and the steps that write
// them, in the order toJsScript calls them. The class text collects the
// opening line, the private-class declarations and everything up to the
// closing call; the constructor-and-prototype text is built apart and joins
// it before the statics.
class ClassJsWriter {
 public:
  ClassJsWriter(TokenClass& cls, Parse* file, int typeCommentOff)
      : cls_(cls),
        file_(file),
        package_(file ? file->package : nullptr),
        typeCommentOff_(typeCommentOff),
        isPublic_((cls.flags & TokenModifierFlags::Public) != 0),
        hasBase_(!cls.superName.empty()),
        isRuvoCore_(cls.fullName == "Ruvo" && !hasBase_),
        reservedComment_(CompilerOptions::ReservedComment) {}

  void writeHeadComment();
  void writeOpeningLine();
  void writeParameterList();
  bool hasPrivateClasses() const;
  void writePrivateClasses();
  void writeOutsideFunctions();
  void sortBodyStatements();
  void writeConstructor();
  void writeRegistration(const std::string& keyFlag);
  void writeBindableAccessors();
  void writeMethods();
  void writeAccessorPairs();
  void writeHiddenMethods();
  void writeStaticFunctions();
  void writePrototypeAndStatics();
  void writeDeferredInitialiser();
  void writeClosingCall();
  void writeXmlAliases();
  const std::string& text() const { return text_; }

 private:
  void conflictWithPackage(const std::string& name);
  void definePrivateClass(TokenClass* cls, std::string& into);
  void writeConstructorWithInstanceVars();
  void writeDeclaredConstructor();
  void writeEmptyConstructor();
  void declarePrototype();
  void writeAccessorPair(const std::string& name, GetSetFunction& pair);

  TokenClass& cls_;
  Parse* file_;
  TokenPackage* package_;
  const int typeCommentOff_;
  const bool isPublic_;
  const bool hasBase_;
  const bool isRuvoCore_;
  const bool reservedComment_;
  std::string unused_;          // the text scriptErr gives back, not written
  std::string text_;            // the class text, handed out at the end
  size_t openAt_ = 0;           // where the class's function expression begins
  std::string privateText_;     // the file's private classes, defined in __init$
  std::string hoistedText_;     // private bases defined before the public class
  std::vector<TokenClass*> definedPrivate_;
  std::vector<TokenClass*> definingPrivate_;
  std::string staticItems_;     // static variables, each led by kStaticItemMark
  std::string initCode_;        // other body statements, run by __init$
  std::string proto_;           // the constructor and the prototype
  bool protoDeclared_ = false;  // "var __proto=..." already written
  std::vector<std::string> hiddenMethods_;
};

// "\n/** doc */\n//class a.b.Item extends Base\n": the doc comment when
// comments are kept, then the line that names the class and its base.
void ClassJsWriter::writeHeadComment() {
  if (reservedComment_ && !cls_.docComment().empty()) text_ += "\n" + cls_.docComment();
  text_ += "\n//class " + cls_.fullName;
  text_ += hasBase_ ? " extends " + cls_.superName + "\n" : "\n";
}

void ClassJsWriter::conflictWithPackage(const std::string& name) {
  std::string message = "The name of the class[" + name + "] and package name conflicts";
  cls_.scriptErr(unused_, file_, message.c_str(), 1);
}

// "var Item=(function(", "var Item$1=(function(" or "a.b.Item=(function("
// for a class whose mini name is its full name; `openAt_` marks the
// function expression, which a private base may have to be defined before.
void ClassJsWriter::writeOpeningLine() {
  const std::string& fullName = cls_.fullName;
  const std::string& miniName = cls_.miniName;
  const bool packageNamed = TokenPackage::GetPakageMap().has(fullName);
  if (cls_.shortName == fullName) {
    if (isPublic_) text_ += "var ";
    if (packageNamed) conflictWithPackage(fullName);
    if (isRuvoCore_) text_ += "___";
    text_ += fullName + "=";
  } else if (miniName != fullName) {
    text_ += "var " + miniName + "=";
    if (packageNamed) conflictWithPackage(miniName);
  } else {
    text_ += fullName + "=";
  }
  openAt_ = text_.size();
  text_ += "(function(";
}

// "_super){\n" with a base class, "){\n" without; the class Ruvo itself
// comments out the line that follows.
void ClassJsWriter::writeParameterList() {
  if (hasBase_) text_ += "_super";
  text_ += "){\n";
  if (isRuvoCore_) text_ += "//";
}

bool ClassJsWriter::hasPrivateClasses() const {
  return isPublic_ && package_ && !package_->privateClassList.empty();
}

// Defines a private class of the file after the private class it extends,
// which must exist by then; each class is defined once.
void ClassJsWriter::definePrivateClass(TokenClass* cls, std::string& into) {
  auto listed = [](const std::vector<TokenClass*>& list, TokenClass* c) {
    return std::find(list.begin(), list.end(), c) != list.end();
  };
  if (listed(definedPrivate_, cls) || listed(definingPrivate_, cls)) return;
  definingPrivate_.push_back(cls);
  if (cls->superName.find('.') == std::string::npos)
    if (TokenClass* base = package_->privateClasses.get(cls->superName, nullptr)) definePrivateClass(base, into);
  definingPrivate_.pop_back();
  definedPrivate_.push_back(cls);
  cls->toJsScript(into, file_, JsMode::PrivateClass, typeCommentOff_);
}

// "var A,B;\n": the file's private classes are declared here and defined,
// in file order, in __init$. A public class built on a private class of its
// file needs that base (and the base's own private bases) before its closing
// call runs: they are defined ahead of it, in a closure that also declares
// the others,
//   var Main=(function(){ var Base,Other; Base=...; return (function(_super){...})(Base); })()
void ClassJsWriter::writePrivateClasses() {
  const std::vector<TokenClass*>& list = package_->privateClassList;
  std::string declared = "var ";
  for (size_t i = 0; i < list.size(); ++i) {
    declared += list[i]->fullName;
    if (i + 1 < list.size()) declared += ",";
  }
  declared += ";\n";
  const std::string& superName = cls_.superName;
  TokenClass* privateBase =
      superName.find('.') == std::string::npos ? package_->privateClasses.get(superName, nullptr) : nullptr;
  if (privateBase && privateBase == cls_.superClass) {
    definePrivateClass(privateBase, hoistedText_);
    text_.insert(openAt_, "(function(){\n" + declared + hoistedText_ + "return ");
  } else {
    text_ += declared;
  }
  for (TokenClass* cls : list) definePrivateClass(cls, privateText_);
}

// Functions after the package block of a class file are private to the
// file: local functions of the public class's closure.
void ClassJsWriter::writeOutsideFunctions() {
  if (!isPublic_ || !file_ || file_->packageFunction) return;
  for (TokenFunction* outside : file_->outsideFunctions) {
    if (!outside) continue;
    outside->toJsScript(text_, file_, JsMode::OutsidePackage, typeCommentOff_);
    text_ += "\n";
  }
}

// Statements of the class body: static variables become static items
// (led by kStaticItemMark), anything else runs in the deferred initialiser.
void ClassJsWriter::sortBodyStatements() {
  Token* body = cls_.getTokenFrome(cls_.findThisType(TokenTypeCode::Block, 0));
  if (!body) return;
  for (size_t i = 0; i < body->childs.size(); ++i) {
    Token* child = body->childs[i];
    if (!child || child->type == TokenTypeCode::Function) continue;
    if (child->type == TokenTypeCode::Var && !child->isStatic()) continue;
    std::string piece = child->leadingText;
    int skip = child->toJsScript(piece, file_, JsMode::ClassBody, typeCommentOff_);
    (piece.find(kStaticItemMark) != std::string::npos ? staticItems_ : initCode_) += piece;
    if (skip > 0) i += skip;
  }
}

// "function Item(a)\n{\n" + initialisers + "Item.__super.call(this);\n" +
// member values + "__uns(this,[...]);\n" + the constructor's body: instance
// variables are set before the base constructor and the body run.
void ClassJsWriter::writeConstructorWithInstanceVars() {
  const std::string& shortName = cls_.shortName;
  std::string ctorText;
  if (cls_.constructorFunction)
    cls_.constructorFunction->toJsScript(ctorText, file_, JsMode::SplitConstructor, typeCommentOff_);
  else
    ctorText = std::string("()") + kConstructorMarker + "{" + "}\n";
  std::string head, tail;
  splitConstructor(ctorText, head, tail);
  proto_ += "function " + shortName + head + "\n{\n";
  for (Token* v : cls_.vars) {
    if (!v) continue;
    if (reservedComment_) proto_ += v->docComment();
    v->toJsScript(proto_, file_, JsMode::ConstructorVars, typeCommentOff_);
  }
  proto_ += "\n";
  if (!cls_.superCall && hasBase_) proto_ += shortName + ".__super.call(this);\n";
  for (Token* v : cls_.vars)
    if (v) v->toJsScript(proto_, file_, JsMode::Member, typeCommentOff_);
  proto_ += "\n";
  if (!cls_.noEnumMembers.empty()) {
    std::vector<std::string> names;
    for (auto& entry : cls_.noEnumMembers) names.push_back(entry.first);
    proto_ += "__uns(this,[" + quotedList(names) + "]);\n";
  }
  proto_ += tail + "\n";
}

// The constructor as the source declares it, "function Item(a){...}", with
// "Item.__super.call(this);" put first when its body calls no super(...).
void ClassJsWriter::writeDeclaredConstructor() {
  const std::string& shortName = cls_.shortName;
  TokenFunction* constructor = cls_.constructorFunction;
  std::string ctor;
  if (!cls_.superCall && hasBase_) {
    std::string ctorText, head, tail;
    constructor->toJsScript(ctorText, file_, JsMode::SplitConstructor, typeCommentOff_);
    splitConstructor(ctorText, head, tail);
    ctor = "function " + shortName + head + "\n{\n" + shortName + ".__super.call(this);\n" + tail + "\n";
  } else {
    ctor = "function " + shortName;
    constructor->toJsScript(ctor, file_, JsMode::WholeConstructor, typeCommentOff_);
  }
  ctor += "\n";
  if (reservedComment_ && !constructor->docComment().empty()) ctor = constructor->docComment() + ctor;
  proto_ += ctor;
}

// "function Item(){\nItem.__super.call(this);;\n}\n" for a class without
// constructor and instance variables (the base call only with a base).
void ClassJsWriter::writeEmptyConstructor() {
  const std::string& shortName = cls_.shortName;
  proto_ = "function " + shortName + "(){\n";
  if (!cls_.superCall && cls_.superClass && hasBase_) proto_ += shortName + ".__super.call(this);;\n";
  proto_ += "}\n";
}

void ClassJsWriter::writeConstructor() {
  if (!cls_.vars.empty())
    writeConstructorWithInstanceVars();
  else if (cls_.constructorFunction)
    writeDeclaredConstructor();
  if (proto_.empty()) writeEmptyConstructor();
}

// "__class(Item,'a.b.Item',true,_super);\n\n": registration with the
// runtime under the full name (none for a private class); the class Ruvo
// itself registers nothing.
void ClassJsWriter::writeRegistration(const std::string& keyFlag) {
  if (isRuvoCore_) return;
  const std::string full = cls_.isPrivateClass ? "" : cls_.fullName;
  proto_ += "__class(" + cls_.shortName + ",'" + full + "'" + cls_.registrationArguments(keyFlag, cls_.superName, "_super");
}

void ClassJsWriter::declarePrototype() {
  proto_ += "var __proto=" + cls_.shortName + ".prototype;\n";
  protoDeclared_ = true;
}

// [Bindable] variables get accessors that send a change event:
//   __getset(0,__proto,'x',function(){return this._bind$_x;},function(value){...});
void ClassJsWriter::writeBindableAccessors() {
  if (cls_.bindableVars.empty()) return;
  declarePrototype();
  for (auto& [name, isStaticVar] : cls_.bindableVars) {
    proto_ += isStaticVar == "0" ? "__getset(0,__proto," : "__getset(1," + cls_.shortName + ",";
    proto_ += "'" + name + "',function(){return this._bind$_" + name + ";},function(value){var pre=this._bind$_" +
              name + ";if(pre===value) return;this._bind$_" + name +
              "=value;mx.events.PropertyChangeEvent.event(this,'" + name + "',pre,value);});\n";
  }
}

// "Ruvo.imps(__proto,{\"a.I\":true})\n" for the implemented interfaces, then
// "\n__proto.draw=function(){...}" for every method.
void ClassJsWriter::writeMethods() {
  const std::string implemented = cls_.toFullImplements(package_);
  const std::string imps = "Ruvo.imps(__proto,{" + implemented + "})\n";
  if (cls_.methods.empty()) {
    if (!implemented.empty()) {
      declarePrototype();
      proto_ += imps;
    }
    return;
  }
  if (!protoDeclared_) declarePrototype();
  if (!implemented.empty()) proto_ += imps;
  TokenList& methods = cls_.methods;
  for (size_t i = 0; i < methods.size(); ++i) {
    Token* method = methods[i];
    if (!method) continue;
    const size_t before = proto_.size();
    if (reservedComment_) proto_ += method->docComment();
    proto_ += "\n__proto.";
    const size_t printedFrom = proto_.size();
    int skip = method->toJsScript(proto_, file_, JsMode::Member, typeCommentOff_);
    if (method->flags & TokenModifierFlags::NoEnumeration) hiddenMethods_.push_back(method->getValue());
    // A method that printed nothing (an async helper) leaves no dangling "__proto.".
    if (proto_.size() - before == 11 || proto_.size() == printedFrom) proto_.resize(before);
    if (skip > 0) i += skip;
  }
  proto_ += "\n";
  protoDeclared_ = true;
}

// "__getset(0,__proto,'x',getter,setter);\n\n" for an instance pair,
// "__getset(1,Item,'x',getter,setter);\n\n" for a static one; a missing half
// falls back to the base class's accessor, or to null for the getter.
void ClassJsWriter::writeAccessorPair(const std::string& name, GetSetFunction& pair) {
  TokenFunction* getter = pair.get;
  TokenFunction* setter = pair.set;
  TokenFunction* declared = getter ? getter : setter;
  const bool isStaticPair = declared->isStatic();
  std::string getText, setText;
  if (getter) getter->toJsScript(getText, file_, JsMode::Accessor, typeCommentOff_);
  if (setter) setter->toJsScript(setText, file_, JsMode::Accessor, typeCommentOff_);
  if (!isStaticPair && !protoDeclared_) declarePrototype();
  if (reservedComment_) {
    if (getter) proto_ += getter->docComment();
    if (setter) proto_ += setter->docComment();
  }
  // A private accessor named like a member of a base class is renamed, as
  // its uses are (this._$2_size); the base's own accessor stays apart.
  std::string property = name;
  if (!isStaticPair && (declared->flags & TokenModifierFlags::Private)) {
    std::string self = declared->getSelfValue();
    if (!self.empty()) property = self;
  }
  proto_ += isStaticPair ? "__getset(1," + cls_.shortName + ",'" + name + "'," : "__getset(0,__proto,'" + property + "',";
  TokenClass* base = cls_.superClass;
  const bool baseUsable = base && !base->isInterface && property == name;
  std::string getPart;
  if (getter)
    getPart = getText;
  else if (baseUsable && isStaticPair)
    getPart = base->fullName + "._$GET_" + name;
  else if (baseUsable && base->hasThisGetOrSetFun(name.c_str(), "get"))
    getPart = "_super.prototype._$get_" + name;
  proto_ += getPart.empty() ? "null" : getPart;
  if (setter)
    proto_ += "," + setText;
  else if (baseUsable && isStaticPair)
    proto_ += "," + base->fullName + "._$SET_" + name;
  else if (baseUsable && base->hasThisGetOrSetFun(name.c_str(), "set"))
    proto_ += ",_super.prototype._$set_" + name;
  proto_ += ");\n\n";
}

// Accessor pairs: the instance ones on the prototype, then the static ones
// on the class.
void ClassJsWriter::writeAccessorPairs() {
  for (OrderedMap<GetSetFunction*>* map : {&cls_.getSetMap, &cls_.staticGetSetMap})
    for (auto& [name, pair] : *map)
      if (pair && (pair->get || pair->set)) writeAccessorPair(name, *pair);
}

// "__uns(__proto,['a','b']);\n": methods hidden from for-in.
void ClassJsWriter::writeHiddenMethods() {
  if (!hiddenMethods_.empty()) proto_ += "__uns(__proto,[" + quotedList(hiddenMethods_) + "]);\n";
}

// "Item.make=function(){...}" for every static function.
void ClassJsWriter::writeStaticFunctions() {
  cls_._childsToJs_(proto_, file_, cls_.staticFunctions, JsMode::ClassBody, "\n", typeCommentOff_, 0);
}

// The constructor and prototype join the class text, then the statics:
// "Item.count=0;\n" for values that are safe at once, "__static(Item,[...]);"
// for the ones deferred to their first use.
void ClassJsWriter::writePrototypeAndStatics() {
  text_ += proto_;
  if (staticItems_.size() > 2) writeStatics(text_, staticItems_, cls_.shortName);
}

// "Item.__init$=function(){\n...\n}\n": the deferred initialiser defines the
// private classes, then runs the body statements, which may use them
// ({ table.push(Helper.make()); }); the classes themselves only need the
// public class to exist.
void ClassJsWriter::writeDeferredInitialiser() {
  if (onlyPunctuation(initCode_)) initCode_.clear();
  if (privateText_.empty() && initCode_.empty()) return;
  cls_.systemUseStatic = 1;
  text_ += cls_.shortName + ".__init$=function(){\n" + privateText_ + initCode_ + "\n}\n";
}

// "return Item;\n})(Base)\n": the closing call hands the base class in by
// its JavaScript name; the closure of hoisted private bases closes behind it.
void ClassJsWriter::writeClosingCall() {
  std::string baseArgument;
  if (hasBase_) {
    TokenClass* base = TokenClass::GetTokenClass(cls_.superName);
    baseArgument = base ? base->miniName : cls_.superName;
  }
  text_ += "return " + cls_.shortName + ";\n" + "})(" + baseArgument + ")\n";
  if (!hoistedText_.empty()) text_ += ";\n})()\n";
}

// The emulation library's XML classes stand in for the global XML names.
void ClassJsWriter::writeXmlAliases() {
  if (cls_.fullName == "zafrit.xml.XMLElement") text_ += "var XML=window.XML=zafrit.xml.XMLElement;\n";
  if (cls_.fullName == "zafrit.xml.XMLElementList") text_ += "var XMLList=window.XMLList=zafrit.xml.XMLElementList;\n";
}

}  // namespace

// ---- steps shared with the TypeScript class output ---------------------------

TokenClass* TokenClass::settleBaseClass(Parse* file, UnknownBase unknownBase) {
  TokenPackage* package = file ? file->package : nullptr;
  TokenClass* previous = package ? package->workingClass : nullptr;
  if (package) package->workingClass = this;
  if (superName == "Object" || superName == "Function") {
    superName.clear();
    superClass = nullptr;
  }
  resolveSuperClass();
  if (unknownBase == UnknownBase::Warn && baseWarningAt && !superClass && !superName.empty() && superName != "Object")
    Warning(baseWarningAt, fullName + " extends " + superName + ",This class  is not defined;");
  baseWarningAt = nullptr;
  if (superClass) {
    if (package) package->hasUseThisClass(superClass->fullName);
    level = superClass->level + 1;
    if (superClass->isInterface) {
      superClass = nullptr;
      superName.clear();
    }
  }
  return previous;
}

void TokenClass::takeMainClassRole(Parse* file, LibraryStart libraryStart) {
  if (!file || !(flags & TokenModifierFlags::Public) || file->path != _ompilerOptions_.mainFile) return;
  __pMainClass__ = this;
  if (file->scriptFile) ScriptFile::firstFiles[file->scriptFile->path] = file->scriptFile;
  if (_ompilerOptions_.zafritLib) {
    if (libraryStart == LibraryStart::ZafritRun)
      _ompilerOptions_.mainStartCode = "Zafrit.Start();Zafrit.Run(new " + fullName + "()," +
                                       _ompilerOptions_.stageWidth + "," + _ompilerOptions_.stageHeight + ")";
  } else if (_ompilerOptions_.WXApp.empty()) {
    _ompilerOptions_.mainStartCode = mainStartCall(fullName);
  }
}

bool TokenClass::listedAmongPrivateClasses(Parse* file) {
  TokenPackage* package = file ? file->package : nullptr;
  if (!package) return false;
  for (TokenClass* cls : package->privateClassList) {
    if (cls != this) continue;
    std::string unused;
    std::string message = "This Class[" + fullName + "] file err:" + file->path;
    scriptErr(unused, file, message.c_str(), 1);
    if (MsgBox) MsgBox(message.c_str(), "compile err");
    return true;
  }
  return false;
}

std::string TokenClass::registrationArguments(const std::string& keyFlag, const std::string& errorBase,
                                              const std::string& base) {
  const bool dic = _ompilerOptions_.enableDic;
  const std::string flag = dic ? "," + keyFlag : std::string();
  if (superName == "Array") return flag + ",Array);\n\n";
  if (isDictionaryName(superName)) return dic ? flag + ",Array);\n\n" : ",Map);\n\n";
  if (isBuiltinErrorClass(superName)) return flag + "," + errorBase + ");\n\n";
  std::string call;
  if (dic) {
    const bool keyed = keyFlag == "true" &&
                       (!superClass || superClass->shortName == "Object" || superClass->shortName == "Array");
    call += keyed ? ",true" : ",false";
  }
  if (miniName == shortName || miniName == fullName)
    call += superClass ? "," + base : std::string();
  else
    call += (superClass ? "," + base + ",'" : std::string(",null,'")) + miniName + "'";
  return call + ");\n\n";
}

std::string TokenClass::dictionaryKeyFlag() {
  std::string keyFlag = _ompilerOptions_.enableDic ? "true" : "false";
  for (Token* m : methods)
    if (m && m->getValue() == "toString") keyFlag = "false";
  return keyFlag;
}

// ---- the class output ----------------------------------------------------------

// class Item extends Base { var x:int = 1; function draw():void {...} }
// becomes the closure in the head of this file, assigned to the mini name:
//   var Item=(function(_super){ function Item(){...} __class(...); ... return Item; })(Base)
// A public class writes its file's private classes (JsMode::PrivateClass) into its own.
int TokenClass::toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) {
  if (mode != JsMode::PrivateClass && !(flags & TokenModifierFlags::Public)) return 0;
  if (__ISTOTS) return toTsScript(out, file, mode, typeCommentOff);
  // A class met again inside its own text is written once.
  WritingGuard guard(this);
  if (guard.again()) return 0;

  settleBaseClass(file, UnknownBase::Warn);
  ClassJsWriter writer(*this, file, typeCommentOff);
  writer.writeHeadComment();
  writer.writeOpeningLine();
  takeMainClassRole(file, LibraryStart::ZafritRun);
  writer.writeParameterList();
  if (writer.hasPrivateClasses()) {
    if (listedAmongPrivateClasses(file)) return 0;
    writer.writePrivateClasses();
  }
  writer.writeOutsideFunctions();
  writer.sortBodyStatements();
  writer.writeConstructor();
  writer.writeRegistration(dictionaryKeyFlag());
  writer.writeBindableAccessors();
  writer.writeMethods();
  writer.writeAccessorPairs();
  writer.writeHiddenMethods();
  writer.writeStaticFunctions();
  writer.writePrototypeAndStatics();
  writer.writeDeferredInitialiser();
  writer.writeClosingCall();
  writer.writeXmlAliases();
  out += writer.text();
  return 0;
}
