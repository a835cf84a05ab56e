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
#include <functional>
#include <string>
#include <vector>

#include "CompilerOptions.h"
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

constexpr char kStaticItemMark = '\x03';
const char* const kConstructorMarker = "--##END";

bool isDictionaryName(const std::string& name) { return name == "Dictionary" || name == "zafrit.utils.Dictionary"; }

// Splits the mode-4 text of a constructor, "(params)--##END{body}", into the
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

// Static values that are safe to assign while the class is defined; any other
// initialiser is deferred to the first use of the static (__static).
bool isDirectStaticValue(const std::string& item, const std::string& value) {
  if (item.find("=/*[SAFE]*/", 1) != std::string::npos) return true;
  static const char* const kPlain[] = {"null", "undefine", "[]", "true", "false", "NaN", "{}", "{ }"};
  for (const char* plain : kPlain)
    if (value == plain) return true;
  if (xstringmthod::IsAllDigit(value.c_str()) || xstringmthod::IsString(value.c_str())) return true;
  return value.rfind("new RegExp(", 0) == 0 || value.rfind("function(", 0) == 0;
}

// Turns the static items that the variable output wrote (each led by the
// byte 0x03: 'name',this.name=value;) into direct assignments on the class
// and a lazy __static(...) list.
void writeStatics(std::string& out, const std::string& items, const std::string& shortName) {
  std::string direct;
  std::string lazy;
  size_t start = 0;
  for (;;) {
    size_t mark = items.find(kStaticItemMark, start);
    std::string item = items.substr(start, mark == std::string::npos ? std::string::npos : mark - start);
    start = mark == std::string::npos ? items.size() : mark + 1;

    size_t comma = item.find(',');
    if (comma != std::string::npos) {
      trimTrailingBlanks(item);
      size_t end = item.find(';', comma);
      if (end == std::string::npos) {
        end = item.size();
        item += ";";
      }
      std::string after = item.substr(comma + 1);
      if (item[0] == '"') {
        // An embedded asset: always assigned at once.
        size_t self = after.find("this.");
        if (self == 0)
          after = shortName + after.substr(4);
        else if (self != std::string::npos)
          after = after.substr(0, self);
        direct += after;
      } else {
        std::string value;
        size_t eq = item.find('=');
        if (eq != std::string::npos && eq < end) {
          value = item.substr(eq + 1, end - eq - 1);
          size_t first = value.find_first_not_of(' ');
          value = first == std::string::npos ? "" : value.substr(first);
        }
        const bool safe = item.find("=/*[SAFE]*/", 1) != std::string::npos;
        if (isDirectStaticValue(item, value)) {
          size_t doubled = after.find(";;");
          if (doubled != std::string::npos && doubled + 2 == after.size()) after.resize(after.size() - 2);
          size_t self = after.find("this.");
          if (self != std::string::npos) after.replace(self, 5, shortName + ".");
          if (safe) after = xstringmthod::replaceAll(after, "=/*[SAFE]*/", "=");
          direct += after + "\n";
        } else {
          lazy += item.substr(0, comma) + ",function(){return " + after + "},";
        }
      }
    }
    if (mark == std::string::npos) break;
  }
  if (!direct.empty()) out += direct + "\n";
  if (lazy.find("function(){", 1) != std::string::npos)
    out += "__static(" + shortName + ",\n[" + lazy.substr(0, lazy.size() - 1) + "\n]);\n";
}

bool onlyPunctuation(const std::string& text) { return text.find_first_not_of("\r\n,;\t ") == std::string::npos; }

}  // namespace

// A public class (or, with level -111, a private class of the same file)
// becomes one self-contained function expression assigned to its mini name.
int TokenClass::toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) {
  if (mode != JsMode::PrivateClass && !(flags & TokenModifierFlags::Public)) return 0;
  if (__ISTOTS) return toTsScript(out, file, mode, typeCommentOff);
  // A class met again inside its own text is written once.
  WritingGuard guard(this);
  if (guard.again()) return 0;

  const bool isPublic = (flags & TokenModifierFlags::Public) != 0;
  const bool reservedComment = CompilerOptions::ReservedComment;
  TokenPackage* package = file ? file->package : nullptr;
  std::string unused;

  // 1. The base class; Object and Function are no bases, an interface neither.
  if (package) package->workingClass = this;
  if (superName == "Object" || superName == "Function") {
    superName.clear();
    superClass = nullptr;
  }
  resolveSuperClass();
  if (baseWarningAt && !superClass && !superName.empty() && superName != "Object")
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
  const bool hasBase = !superName.empty();
  const bool isRuvoCore = fullName == "Ruvo" && !hasBase;

  std::string text;
  // 2-3. Comment lines.
  if (reservedComment && !docComment.empty()) text += "\n" + docComment;
  text += "\n//class " + fullName;
  text += hasBase ? " extends " + superName + "\n" : "\n";

  // 4. The opening line; `openAt` is where its function expression begins.
  size_t openAt = 0;
  const bool packageNamed = TokenPackage::GetPakageMap().has(fullName);
  if (shortName == fullName) {
    if (isPublic) text += "var ";
    if (packageNamed) {
      std::string message = "The name of the class[" + fullName + "] and package name conflicts";
      scriptErr(unused, file, message.c_str(), 1);
    }
    if (isRuvoCore) text += "___";
    text += fullName + "=";
    openAt = text.size();
    text += "(function(";
  } else if (miniName != fullName) {
    text += "var " + miniName + "=";
    if (packageNamed) {
      std::string message = "The name of the class[" + miniName + "] and package name conflicts";
      scriptErr(unused, file, message.c_str(), 1);
    }
    openAt = text.size();
    text += "(function(";
  } else {
    text += fullName + "=";
    openAt = text.size();
    text += "(function(";
  }

  // 5. The main class starts the game.
  if (file && isPublic && file->path == _ompilerOptions_.mainFile) {
    __pMainClass__ = this;
    if (file->scriptFile) ScriptFile::firstFiles[file->scriptFile->path] = file->scriptFile;
    if (_ompilerOptions_.zafritLib)
      _ompilerOptions_.mainStartCode = "Zafrit.Start();Zafrit.Run(new " + fullName + "()," +
                                       _ompilerOptions_.stageWidth + "," + _ompilerOptions_.stageHeight + ")";
    else if (_ompilerOptions_.WXApp.empty())
      _ompilerOptions_.mainStartCode = mainStartCall(fullName);
  }

  // 6.
  if (hasBase) text += "_super";
  text += "){\n";
  if (isRuvoCore) text += "//";

  // 7. The file's private classes are declared here and defined in __init$.
  std::string privateText, hoistedText;
  bool basesFirst = false;
  if (isPublic && package && !package->privateClassList.empty()) {
    for (TokenClass* cls : package->privateClassList) {
      if (cls != this) continue;
      std::string message = "This Class[" + fullName + "] file err:" + (file ? file->path : "");
      scriptErr(unused, file, message.c_str(), 1);
      if (MsgBox) MsgBox(message.c_str(), "compile err");
      return 0;
    }
    std::string declared = "var ";
    const std::vector<TokenClass*>& list = package->privateClassList;
    for (size_t i = 0; i < list.size(); ++i) {
      declared += list[i]->fullName;
      if (i + 1 < list.size()) declared += ",";
    }
    declared += ";\n";
    // Defined in file order, except that a class extending another private
    // class of the file comes after its base, which must exist by then.
    std::vector<TokenClass*> done, visiting;
    auto seen = [](const std::vector<TokenClass*>& v, TokenClass* c) {
      return std::find(v.begin(), v.end(), c) != v.end();
    };
    std::function<void(TokenClass*)> emit = [&](TokenClass* cls) {
      if (seen(done, cls) || seen(visiting, cls)) return;
      visiting.push_back(cls);
      if (cls->superName.find('.') == std::string::npos)
        if (TokenClass* base = package->privateClasses.get(cls->superName, nullptr)) emit(base);
      visiting.pop_back();
      done.push_back(cls);
      cls->toJsScript(basesFirst ? hoistedText : privateText, file, JsMode::PrivateClass, typeCommentOff);
    };
    // A public class built on a private class of its file needs that base
    // (and the base's own private bases) before its closing call runs: they
    // are defined ahead of it, in a closure that also declares the others,
    //   var Main=(function(){ var Base,Other; Base=...; return (function(_super){...})(Base); })()
    TokenClass* privateBase = superName.find('.') == std::string::npos
                                  ? package->privateClasses.get(superName, nullptr)
                                  : nullptr;
    if (privateBase && privateBase == superClass) {
      basesFirst = true;
      emit(privateBase);
      basesFirst = false;
      text.insert(openAt, "(function(){\n" + declared + hoistedText + "return ");
    } else {
      text += declared;
    }
    for (TokenClass* cls : list) emit(cls);
  }

  // Functions after the package block of a class file are private to the
  // file: local functions of the public class's closure.
  if (isPublic && file && !file->packageFunction) {
    for (TokenFunction* outside : file->outsideFunctions) {
      if (!outside) continue;
      outside->toJsScript(text, file, JsMode::OutsidePackage, typeCommentOff);
      text += "\n";
    }
  }

  // 8. Statements of the class body: static variables become static items
  // (marked 0x03), anything else runs in the deferred initialiser.
  std::string staticItems;
  std::string initCode;
  Token* body = getTokenFrome(findThisType(TokenTypeCode::Block, 0));
  if (body) {
    for (size_t i = 0; i < body->childs.size(); ++i) {
      Token* child = body->childs[i];
      if (!child || child->type == TokenTypeCode::Function) continue;
      if (child->type == TokenTypeCode::Var && !child->isStatic()) continue;
      std::string piece = child->leadingText;
      int skip = child->toJsScript(piece, file, JsMode::ClassBody, typeCommentOff);
      (piece.find(kStaticItemMark) != std::string::npos ? staticItems : initCode) += piece;
      if (skip > 0) i += skip;
    }
  }

  // 9. The constructor: instance initialisers, then the implicit base call.
  std::string proto;
  const bool implicitSuperCall = !superCall && hasBase;
  if (!vars.empty()) {
    std::string ctorText;
    if (constructorFunction)
      constructorFunction->toJsScript(ctorText, file, JsMode::SplitConstructor, typeCommentOff);
    else
      ctorText = std::string("()") + kConstructorMarker + "{" + "}\n";
    std::string head, tail;
    splitConstructor(ctorText, head, tail);
    proto += "function " + shortName + head + "\n{\n";
    for (Token* v : vars) {
      if (!v) continue;
      if (reservedComment) proto += v->docComment;
      v->toJsScript(proto, file, JsMode::ConstructorVars, typeCommentOff);
    }
    proto += "\n";
    if (implicitSuperCall) proto += shortName + ".__super.call(this);\n";
    for (Token* v : vars)
      if (v) v->toJsScript(proto, file, JsMode::Member, typeCommentOff);
    proto += "\n";
    if (!noEnumMembers.empty()) {
      std::vector<std::string> names;
      for (auto& entry : noEnumMembers) names.push_back(entry.first);
      proto += "__uns(this,[" + quotedList(names) + "]);\n";
    }
    proto += tail + "\n";
  } else if (constructorFunction) {
    std::string ctor;
    if (implicitSuperCall) {
      std::string ctorText, head, tail;
      constructorFunction->toJsScript(ctorText, file, JsMode::SplitConstructor, typeCommentOff);
      splitConstructor(ctorText, head, tail);
      ctor = "function " + shortName + head + "\n{\n" + shortName + ".__super.call(this);\n" + tail + "\n";
    } else {
      ctor = "function " + shortName;
      constructorFunction->toJsScript(ctor, file, JsMode::WholeConstructor, typeCommentOff);
    }
    ctor += "\n";
    if (reservedComment && !constructorFunction->docComment.empty()) ctor = constructorFunction->docComment + ctor;
    proto += ctor;
  }
  if (proto.empty()) {
    proto = "function " + shortName + "(){\n";
    if (!superCall && superClass && hasBase) proto += shortName + ".__super.call(this);;\n";
    proto += "}\n";
  }

  // 10. The key flag: whether instances may serve as dictionary keys.
  std::string keyFlag = _ompilerOptions_.enableDic ? "true" : "false";
  for (Token* m : methods)
    if (m && m->getValue() == "toString") keyFlag = "false";

  // 11. Registration with the runtime.
  if (!(fullName == "Ruvo" && !hasBase)) {
    const std::string full = isPrivateClass ? "" : fullName;
    const std::string head = "__class(" + shortName + ",'" + full + "'";
    const bool dic = _ompilerOptions_.enableDic;
    const bool miniIsOwnName = miniName == shortName || miniName == fullName;
    if (superName == "Array")
      proto += dic ? head + "," + keyFlag + ",Array);\n\n" : head + ",Array);\n\n";
    else if (isDictionaryName(superName))
      proto += dic ? head + "," + keyFlag + ",Array);\n\n" : head + ",Map);\n\n";
    else if (isBuiltinErrorClass(superName))
      proto += dic ? head + "," + keyFlag + "," + superName + ");\n\n" : head + "," + superName + ");\n\n";
    else {
      std::string call = head;
      if (dic) {
        const bool keyed =
            keyFlag == "true" && (!superClass || superClass->shortName == "Object" || superClass->shortName == "Array");
        call += keyed ? ",true" : ",false";
      }
      if (miniIsOwnName)
        call += superClass ? ",_super" : "";
      else
        call += (superClass ? ",_super,'" : ",null,'") + miniName + "'";
      proto += call + ");\n\n";
    }
  }

  // 12. [Bindable] variables get accessors that send a change event.
  bool protoDeclared = false;
  const std::string protoLine = "var __proto=" + shortName + ".prototype;\n";
  if (!bindableVars.empty()) {
    proto += protoLine;
    for (auto& [name, isStaticVar] : bindableVars) {
      proto += isStaticVar == "0" ? "__getset(0,__proto," : "__getset(1," + shortName + ",";
      proto += "'" + name + "',function(){return this._bind$_" + name + ";},function(value){var pre=this._bind$_" +
               name + ";if(pre===value) return;this._bind$_" + name +
               "=value;mx.events.PropertyChangeEvent.event(this,'" + name + "',pre,value);});\n";
    }
    protoDeclared = true;
  }

  // 13. Implemented interfaces and the methods on the prototype.
  const std::string implemented = toFullImplements(file ? file->package : nullptr);
  std::vector<std::string> hiddenMethods;
  if (methods.empty()) {
    if (!implemented.empty()) {
      proto += protoLine;
      proto += "Ruvo.imps(__proto,{" + implemented + "})\n";
      protoDeclared = true;
    }
  } else {
    if (!protoDeclared) proto += protoLine;
    if (!implemented.empty()) proto += "Ruvo.imps(__proto,{" + implemented + "})\n";
    for (size_t i = 0; i < methods.size(); ++i) {
      Token* method = methods[i];
      if (!method) continue;
      const size_t before = proto.size();
      if (reservedComment) proto += method->docComment;
      proto += "\n__proto.";
      const size_t printedFrom = proto.size();
      int skip = method->toJsScript(proto, file, JsMode::Member, typeCommentOff);
      if (method->flags & TokenModifierFlags::NoEnumeration) hiddenMethods.push_back(method->getValue());
      // A method that printed nothing (an async helper) leaves no dangling "__proto.".
      if (proto.size() - before == 11 || proto.size() == printedFrom) proto.resize(before);
      if (skip > 0) i += skip;
    }
    proto += "\n";
    protoDeclared = true;
  }

  // 14. Accessor pairs: instance ones on the prototype, static ones on the
  // class; a missing half falls back to the base class's accessor.
  for (int pass = 0; pass < 2; ++pass) {
    OrderedMap<GetSetFunction*>& map = pass == 0 ? getSetMap : staticGetSetMap;
    for (auto& [name, pair] : map) {
      if (!pair || (!pair->get && !pair->set)) continue;
      TokenFunction* getter = pair->get;
      TokenFunction* setter = pair->set;
      const bool isStaticPair = (getter ? getter : setter)->isStatic();
      std::string getText, setText;
      if (getter) getter->toJsScript(getText, file, JsMode::Accessor, typeCommentOff);
      if (setter) setter->toJsScript(setText, file, JsMode::Accessor, typeCommentOff);
      if (!isStaticPair && !protoDeclared) {
        proto += protoLine;
        protoDeclared = true;
      }
      if (reservedComment) {
        if (getter) proto += getter->docComment;
        if (setter) proto += setter->docComment;
      }
      // A private accessor named like a member of a base class is renamed, as
      // its uses are (this._$2_size); the base's own accessor stays apart.
      std::string property = name;
      TokenFunction* declared = getter ? getter : setter;
      if (!isStaticPair && (declared->flags & TokenModifierFlags::Private)) {
        std::string self = declared->getSelfValue();
        if (!self.empty()) property = self;
      }
      proto += isStaticPair ? "__getset(1," + shortName + ",'" + name + "'," : "__getset(0,__proto,'" + property + "',";
      const bool baseUsable = superClass && !superClass->isInterface && property == name;
      std::string getPart;
      if (getter)
        getPart = getText;
      else if (baseUsable) {
        if (isStaticPair)
          getPart = superClass->fullName + "._$GET_" + name;
        else if (superClass->hasThisGetOrSetFun(name.c_str(), "get"))
          getPart = "_super.prototype._$get_" + name;
      }
      proto += getPart.empty() ? "null" : getPart;
      if (setter)
        proto += "," + setText;
      else if (baseUsable) {
        if (isStaticPair)
          proto += "," + superClass->fullName + "._$SET_" + name;
        else if (superClass->hasThisGetOrSetFun(name.c_str(), "set"))
          proto += ",_super.prototype._$set_" + name;
      }
      proto += ");\n\n";
    }
  }

  // 15. Methods hidden from for-in.
  if (!hiddenMethods.empty()) proto += "__uns(__proto,[" + quotedList(hiddenMethods) + "]);\n";

  // 16. Static functions.
  _childsToJs_(proto, file, staticFunctions, JsMode::ClassBody, "\n", typeCommentOff, 0);

  // 17-18. The constructor and prototype, then the statics.
  text += proto;
  if (staticItems.size() > 2) writeStatics(text, staticItems, shortName);

  // 19. The deferred initialiser: the private classes, then the body
  // statements, which may use them ({ table.push(Helper.make()); }); the
  // classes themselves only need the public class to exist.
  if (onlyPunctuation(initCode)) initCode.clear();
  if (!privateText.empty() || !initCode.empty()) {
    systemUseStatic = 1;
    initCode = privateText + initCode;
    text += shortName + ".__init$=function(){\n" + initCode + "\n}\n";
  }

  // 20. The closing call hands the base class in by its JavaScript name.
  std::string baseArgument;
  if (hasBase) {
    TokenClass* base = GetTokenClass(superName);
    baseArgument = base ? base->miniName : superName;
  }
  text += "return " + shortName + ";\n" + "})(" + baseArgument + ")\n";
  if (!hoistedText.empty()) text += ";\n})()\n";

  // 21. The emulation library's XML classes stand in for the global XML names.
  if (fullName == "zafrit.xml.XMLElement") text += "var XML=window.XML=zafrit.xml.XMLElement;\n";
  if (fullName == "zafrit.xml.XMLElementList") text += "var XMLList=window.XMLList=zafrit.xml.XMLElementList;\n";

  out += text;
  return 0;
}
