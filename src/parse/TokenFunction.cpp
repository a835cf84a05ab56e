// Functions: class methods, accessors, constructors, package-level functions,
// functions written after the package block, named functions nested in a
// block and anonymous functions inside expressions.
//
// The pretreatment lifts the head (name, parameter group, return type) and the
// body out of the parent's child list and registers the function where it
// belongs; the output writes the JavaScript head that fits the function's
// place, then the parameter list and the body with the statements the compiler
// puts in front of the source statements.
#include "TokenFunction.h"

#include <cctype>

#include "CompilerOptions.h"
#include "OutputMarkers.h"
#include "TokenClass.h"
#include "TokenOther.h"
#include "TokenPackage.h"
#include "TsOutput.h"
#include "WritingGuard.h"
#include "message.h"
#include "parse.h"
#include "scriptfile.h"
#include "xstringmethod.h"

namespace {

// The prefix of the helper functions the runtime supplies itself; such
// functions are neither printed nor rewritten for async calls.
constexpr const char* kRuntimeAsyncPrefix = "RuvoAsyn_";

// The entry `at` of the parent's child list, or null outside the list.
Token* slotAt(Token* parent, int at) {
  if (!parent || at < 0 || at >= static_cast<int>(parent->childs.size())) return nullptr;
  return parent->childs[at];
}

// The text a function's body is printed into, lent from a stack of texts
// that keep their room: a body grows by appends to its full length, and
// one printed where an earlier body was needs no new block and no copy
// on the way. Bodies nest (a function inside a body), so each printing
// function holds its own text until it returns.
class BodyText {
 public:
  BodyText() {
    if (!spare().empty()) {
      text = std::move(spare().back());
      spare().pop_back();
    }
  }
  ~BodyText() {
    text.clear();
    spare().push_back(std::move(text));
  }
  BodyText(const BodyText&) = delete;
  BodyText& operator=(const BodyText&) = delete;
  std::string text;

 private:
  static std::vector<std::string>& spare() {
    static std::vector<std::string> texts;
    return texts;
  }
};

void clearSlot(Token* parent, int at) {
  if (parent && at >= 0 && at < static_cast<int>(parent->childs.size())) parent->childs[at] = nullptr;
}

bool isHeadWord(const Token* t) {
  return t && (t->type == TokenTypeCode::Word || t->type == TokenTypeCode::StatementWord ||
               t->type == TokenTypeCode::SystemType);
}

// A name that a JavaScript "var" can declare.
bool isIdentifier(const std::string& name) {
  if (name.empty()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    bool letter = std::isalpha(c) || c == '_' || c == '$' || c >= 0x80;
    if (!letter && !(i > 0 && std::isdigit(c))) return false;
  }
  return true;
}

// Enters the parameter names of a parameter list into the locals: the first
// token of every parameter, not the tokens of a default value, so that
// f(t:int = MAX) leaves MAX to the class and the package.
void addParamLocals(Token* group, TokenVarMap& locals) {
  bool atStart = true;
  for (Token* p : group->childs) {
    if (!p) continue;
    if (p->type == TokenTypeCode::Comma) {
      atStart = true;
      continue;
    }
    if (atStart) locals[p->text] = p;
    atStart = false;
  }
}

// Where the body text goes on behind its first "{" (0 when it has none).
size_t behindBrace(const std::string& body) {
  const size_t pos = body.find('{');
  return pos == std::string::npos ? 0 : pos + 1;
}

// The body text with what stands up to its first "{" (that brace included)
// replaced by `head`: the prologue goes in place, the body is not copied.
void replaceUpToBrace(std::string& body, const std::string& head) { body.replace(0, behindBrace(body), head); }

// xstringmthod::normalChrCount(text) > 1, without counting the rest of a
// long body once the answer is known.
bool hasMoreThanOneNormalChr(const char* text) {
  int count = 0;
  for (int i = 0; text[i];) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      if (text[i + 1] == '\0') break;  // a lone lead byte at the end is not counted
      if (++count > 1) return true;
      while (text[i] && static_cast<unsigned char>(text[i]) >= 0x80) ++i;
      continue;
    }
    if (c != '\t' && c != '\n' && c != '\r' && c != ' ' && ++count > 1) return true;
    ++i;
  }
  return false;
}

std::string packageNameOf(Parse* file) {
  if (!file || !file->package) return std::string();
  TokenPackage* pkg = file->package;
  return pkg->qualifyingName.empty() ? pkg->text.str() : pkg->qualifyingName;
}

// The trivial bodies that the runtime offers as shared stub functions.
struct StubBody {
  const char* body;
  const char* stub;
};
constexpr StubBody kStubBodies[] = {
    {"{}", "RUVOFNVOID"},
    {"{return}", "RUVOFNVOID"},
    {"{returnnull}", "RUVOFNNULL"},
    {"{return''}", "RUVOFNSTR"},
    {"{return\"\"}", "RUVOFNSTR"},
    {"{return0}", "RUVOFN0"},
    {"{returnfalse}", "RUVOFNFALSE"},
    {"{returntrue}", "RUVOFNTRUE"},
    {"{return[]}", "RUVOFNARRAY"},
};

// The function text that `out` holds from `from` on with the emulation
// library's shared stub in place of a trivial body (see toFunMiniString).
// Only a text whose part behind its first ')' is short can be one.
void miniFunctionInPlace(TokenFunction* fn, std::string& out, size_t from) {
  if (!_ompilerOptions_.zafritLib) return;
  const size_t close = out.find(')', from);
  if (close == std::string::npos || out.size() - close - 1 > 20) return;
  const std::string mini = fn->toFunMiniString(out.substr(from));
  out.replace(from, std::string::npos, mini);
}

// Whether the output may read back the type a word resolves to: a dotted
// word binds its method to the object by it (enemy.die), a word before [ ]
// gives the element type (list[i]._id), a word before = decides an int
// conversion (n = x.@a). Most locals are none of these, and keep no record
// for it. A word that is not where its index says is answered yes.
bool resolvedTypeIsRead(Token* token) {
  if (token->text.find('.') != std::string::npos) return true;
  Token* p = token->parent;
  const int at = token->index;
  if (!p || at < 0 || at >= static_cast<int>(p->childs.size()) || p->childs[static_cast<size_t>(at)] != token)
    return true;
  if (static_cast<size_t>(at) + 1 >= p->childs.size()) return false;
  const Token* next = p->childs[static_cast<size_t>(at) + 1];
  return next && (next->type == TokenTypeCode::Bracket || next->type == TokenTypeCode::Assign);
}

}  // namespace

void TokenFunctionDefaultValue::makeValue(Parse* file, int mode, int typeCommentOff) {
  const ChildRange value{.dropLeadingTexts = SIZE_MAX, .skipsDisabled = false, .keepsTokensApart = false};
  Token::_childRangeToJs_(valueText, file, valueTokens, value, mode, typeCommentOff);
}

TokenFunction* TokenFunction::getClassTokenFunction() {
  return classMember ? this : (parent ? parent->getClassTokenFunction() : nullptr);
}

// other.secret, where `other` is typed as the class of this function and
// `secret` is a private member that the class renames because a base class
// declares the same name: the member is reached by that name, as this.secret is.
std::string TokenFunction::withOwnPrivateMember(const std::string& name, const std::string& head,
                                                const std::string& type) {
  TokenClass* cls = currentClass;
  if (!cls || type.empty() || name.size() <= head.size() + 1 || name[head.size()] != '.') return name;
  return head + cls->withRenamedPrivates(type, name.substr(head.size()), file);
}

// A word whose head is a local of this function (a parameter, a local
// variable, a nested function) is written as it stands; every other name goes
// on up to the class and the package.
void TokenFunction::jsFormatPropertyInto(std::string& out, std::string& name, std::string& head, Token* token,
                                         int typeCommentOff, int& skip, TokenHeadMsg& headMsg) {
  auto it = locals.find(head);
  if (it == locals.end()) {
    if (parent) return parent->jsFormatPropertyInto(out, name, head, token, typeCommentOff, skip, headMsg);
    return Token::jsFormatPropertyInto(out, name, head, token, typeCommentOff, skip, headMsg);
  }
  // Most words of a body are its locals: the declared type is read where it
  // is kept, and the name is written straight into the result.
  Token* local = it->second;
  if (local && local->typeToken() && local->typeText().empty()) local->setTypeText(local->typeToken()->text);
  const SharedString type = local ? local->typeText() : SharedString();
  headMsg.type = type.str();
  if (token && resolvedTypeIsRead(token)) token->setResolvedTypeText(type);
  // other.secret, where other is typed as this function's class, reaches
  // the private member by its JavaScript name.
  const bool renames = currentClass && !type.empty() && name.size() > head.size() + 1 && name[head.size()] == '.';
  const std::string renamed = renames ? withOwnPrivateMember(name, head, type) : std::string();
  const std::string& written = renames ? renamed : name;
  const bool suffixed = jsLocalNameChanges(head) && written.compare(0, head.size(), head) == 0;
  // Most locals print as written: that text goes straight into the output.
  // The debug note is made only when it prints.
  if (__SHOWDEBUG__) out += _DEBUF_((" /*fun var: " + type + "*/").c_str());
  if (suffixed) {
    out += head;
    out += '$';
    out.append(written, head.size(), std::string::npos);
  } else {
    out += written;
  }
  if (token && __ISTOTS) out += toTsVarType(token);
}

// function name(params):Type { body }, get name() {...}, set name(v) {...}
// and function(params) {...}: head and body leave the parent's list and become
// fields of the function, printed later as "name=function(params){...}"; the
// name is registered with the class, the enclosing function or the package.
int TokenFunction::pretreatment(Parse* fileArg) {
  Parse* root = fileArg ? fileArg : file.get();
  TokenPackage* pkg = root ? root->package : nullptr;
  currentClass = pkg ? pkg->workingClass : nullptr;
  classMember = isClassMember() ? 1 : 0;
  if (!locals.has("arguments")) locals["arguments"] = new Token(TokenTypeCode::Literal, "arguments", 0, line, this);
  if (root) root->functions.push_back(this);
  if (!parent) return 0;

  const int returnTypeAt = liftHead();
  TokenClass* cls = currentClass;
  if (__ISTOTS && cls && cls->type == TokenTypeCode::Interface) {
    pretreatInterfaceMember(root);
    return 0;
  }
  liftReturnType(returnTypeAt);
  registerName(cls);
  if (!liftBody(root)) return 0;
  pretreatParamsAndBody(root);
  registerWithPackage(root, pkg);
  return 0;
}

// The head: name (or get/set and name) and parameter group leave the
// parent's list. Returns where the return type's ':' may stand (-1 where a
// function has none: a setter, a head of neither shape).
int TokenFunction::liftHead() {
  Token* first = slotAt(parent, index + 1);
  if (isHeadWord(first)) {
    Token* second = slotAt(parent, index + 2);
    if ((first->text == "get" || first->text == "set") && second && second->type != TokenTypeCode::Paren) {
      accessorKind = first->text == "get" ? AccessorKind::Getter : AccessorKind::Setter;
      name = second->text;
      Token* group = slotAt(parent, index + 3);
      paramGroup = group && group->type == TokenTypeCode::Paren ? group : nullptr;
      clearSlot(parent, index + 1);
      clearSlot(parent, index + 2);
      if (paramGroup) clearSlot(parent, index + 3);
      return accessorKind == AccessorKind::Getter ? index + 4 : -1;
    }
    name = first->text;
    paramGroup = second && second->type == TokenTypeCode::Paren ? second : nullptr;
    clearSlot(parent, index + 1);
    if (paramGroup) clearSlot(parent, index + 2);
    return index + 3;
  }
  if (first && first->type == TokenTypeCode::Paren) {
    paramGroup = first;
    clearSlot(parent, index + 1);
    return index + 2;
  }
  return -1;
}

// An interface member in TypeScript: only the parameters matter.
void TokenFunction::pretreatInterfaceMember(Parse* root) {
  if (!paramGroup) return;
  paramGroup->parent = this;
  paramGroup->file = file;
  paramGroup->pretreatment(root);
  addParamLocals(paramGroup, locals);
}

// ":Type" after the parameter group becomes the function's type and leaves
// the list.
void TokenFunction::liftReturnType(int returnTypeAt) {
  Token* colon = slotAt(parent, returnTypeAt);
  if (!colon || colon->type != TokenTypeCode::Colon) return;
  setTypeDeclaration(slotAt(parent, returnTypeAt + 1));
  clearSlot(parent, returnTypeAt);
  clearSlot(parent, returnTypeAt + 1);
  // The ':' is not needed again (the type word is).
  if (auto* dropped = dynamic_cast<TokenColon*>(colon)) TokenColon::drop(dropped);
}

// A class member enters the class's lists (constructor, accessors, statics,
// members, methods) and leaves the body, whose output prints it from those
// lists; a named inline function enters the locals of its scope.
void TokenFunction::registerName(TokenClass* cls) {
  if (classMember && cls && !name.empty()) {
    if (name == cls->shortName) {
      cls->constructorFunction = this;
    } else {
      if (accessorKind == AccessorKind::Getter) cls->add_get(name, this);
      if (accessorKind == AccessorKind::Setter) cls->add_set(name, this);
      if (isStatic()) {
        cls->staticFunctions.push_back(this);
        cls->staticMembers[name] = this;
      } else {
        cls->members[name] = this;
        if (!(flags & TokenModifierFlags::Private)) cls->setPrivateWillAdjustName(name.c_str());
        if (accessorKind == AccessorKind::None) cls->methods.push_back(this);
      }
    }
    clearSlot(parent, index);
  } else if (classMember && cls) {
    functionTyped = 1;
    declaredVar = 1;
  } else if (!classMember) {
    TokenVarMap* scope = parent->getVarMap();
    if (scope && !name.empty() && accessorKind == AccessorKind::None) {
      (*scope)[name] = this;
      functionTyped = 1;
      declaredVar = 1;
    }
  }
}

// The body: the first { } block after the head; it and the slots between
// it and the parameter group leave the list. False, with a message, for a
// function without a body or without a parameter group.
bool TokenFunction::liftBody(Parse* root) {
  int bodyAt = parent->findThisType(TokenTypeCode::Block, index + 1);
  if (bodyAt < 0) {
    MSGTO(MessageType::Problem, root ? root->path.c_str() : "", line, "function err");
    return false;
  }
  body = parent->childs[bodyAt];
  for (int j = bodyAt; j >= index + 2; --j) {
    Token* t = parent->childs[j];
    if (t && t->type == TokenTypeCode::Paren) break;
    parent->childs[j] = nullptr;
  }
  if (!paramGroup) {
    MSGTO(MessageType::Problem, root ? root->path.c_str() : "", line, "no parame");
    return false;
  }
  return true;
}

// The parameter group and the body become children of the function and are
// pretreated; the parameters enter the locals.
void TokenFunction::pretreatParamsAndBody(Parse* root) {
  body->parent = this;
  body->file = file;
  paramGroup->parent = this;
  paramGroup->file = file;
  paramGroup->pretreatment(root);
  if (startsWith(name.str(), kRuntimeAsyncPrefix) && root) root->sync = 0;

  // Functions with awaited calls become continuations before their statements
  // are pretreated, so the declarations inside see the rewritten shape.
  if (!root || root->mayAwait) pretreatmentAnsy(root, this, body);
  body->pretreatment(root);
  addParamLocals(paramGroup, locals);
}

// A named function outside any class is imported into its package by its
// full name; the package function is the file's, and a function after the
// package block is private to its file: printed inside the package
// function, or inside the closure of the file's class.
void TokenFunction::registerWithPackage(Parse* root, TokenPackage* pkg) {
  if (pkg && !pkg->workingClass && parent != root && !name.empty()) {
    std::string packageName = packageNameOf(root);
    std::string fullName = packageName.empty() ? name.str() : packageName + "." + name;
    pkg->importMap[name] = fullName;
    ScriptFile::GlobalFunctionWidthFileMap[fullName] = pkg;
  }
  if (root && parent == root->package) {
    root->packageFunction = this;
  } else if (root && parent == root && root->packageFunction != this && !name.empty()) {
    if (root->packageFunction) root->packageFunction->locals[name] = this;
    functionTyped = 1;
    declaredVar = 1;
    root->outsideFunctions.push_back(this);
  }
}

// Inserts a method's `_$this` alias when inline functions inside it use `this`.
void TokenFunction::adjustScriptBody(std::string& bodyText) {
  if (!classMember || closureThisCount == 0) return;
  if (locals.has("_$this")) return;
  size_t pos = bodyText.find('{');
  if (pos == std::string::npos) return;
  bodyText.insert(pos + 1, "\n\tvar _$this=this;\n");
}

// With the emulation library, a function whose body is trivial ("{}",
// "{return null;}", "{return true;}", ...) is replaced by the runtime's shared
// stub, keeping the original text in a comment.
std::string TokenFunction::toFunMiniString(const std::string& text) {
  if (!_ompilerOptions_.zafritLib) return text;
  size_t close = text.find(')');
  if (close == std::string::npos) return text;
  std::string tail = text.substr(close + 1);
  if (tail.size() > 20) return text;
  std::string packed;
  for (char c : tail)
    if (c != ' ') packed += c;
  if (packed.size() >= 2 && packed.compare(packed.size() - 2, 2, ";}") == 0) packed.replace(packed.size() - 2, 2, "}");
  for (const StubBody& s : kStubBodies) {
    if (packed == s.body) {
      // The original text goes into a comment; a "*/" inside it (a kept type
      // comment) would end that comment early.
      return std::string(s.stub) + "/*" + xstringmthod::replaceAll(text, "*/", "* /") + "*/";
    }
  }
  return text;
}

// function f(a:int):void {...} as a method "f=function(a){...}" (a static
// "C.f=..."), an accessor "function(a){...}", a constructor's parameters and
// body for the class output, a package function "pkg.f=function(a){...};", a
// nested one "function f(a){...}" or an anonymous one "function(a){...}".
int TokenFunction::toJsScript(std::string& out, Parse* fileArg, int mode, int typeCommentOff) {
  Parse* root = fileArg ? fileArg : file.get();
  if (startsWith(name.str(), kRuntimeAsyncPrefix)) return 0;
  // A function met again inside its own text (an outside function that
  // holds the package function printing it) is written once.
  WritingGuard guard(this);
  if (guard.again()) return 0;
  addTypeDeclarationClassUse();
  if (!body) return printInterfaceMember(out, root, mode, typeCommentOff);

  BodyText lent;
  std::string& bodyText = lent.text;
  bodyWithPrologue(bodyText, root, mode, typeCommentOff);
  std::string params;
  if (paramGroup)
    paramGroup->toJsScript(params, root, JsMode::Member, typeCommentOff);
  else
    params = "params err!";
  adjustScriptBody(bodyText);

  switch (mode) {
    case JsMode::SplitConstructor:
      out += params;
      out += kConstructorMarker;
      out += bodyText;
      return 0;
    case JsMode::WholeConstructor:
      out += params;
      out += bodyText;
      return 0;
    default:
      break;
  }
  // A function outside the package block prints only inside the package
  // function (OutsidePackage).
  bool underRoot = parent && parent == static_cast<Token*>(root);
  if (mode != JsMode::OutsidePackage && underRoot) return 0;
  if (mode == JsMode::OutsidePackage && accessorKind != AccessorKind::None) {
    std::string scratch;
    scriptErr(scratch, root, "Err,Outside the package method does not support the get and set function.", 1);
  }

  if (classMember) {
    if (accessorKind != AccessorKind::None)
      printAccessor(out, root, mode, params, bodyText);
    else
      printMethod(out, params, bodyText);
    return 0;
  }
  printInlineHead(out, root, mode);
  out += params;
  printBodyWithOutsideFunctions(out, root, bodyText, typeCommentOff);
  // An assignment statement of its own (a package function, a function after
  // the package block) ends with ';', so that a following line that begins
  // with '(' is not read as a call of it.
  if (!name.empty() && (mode == JsMode::OutsidePackage || (root && parent == root->package))) out += ";";
  return 0;
}

// A function without a body: in TypeScript an interface member, " name(a:T)"
// or a getter's " name:T" (-1 for a setter, which the interface leaves out);
// nothing otherwise.
int TokenFunction::printInterfaceMember(std::string& out, Parse* root, int mode, int typeCommentOff) {
  if (!__ISTOTS || mode != JsMode::TsInterfaceMember) return 0;
  if (accessorKind == AccessorKind::Getter) {
    out += " " + name + toTsVarType(this);
  } else if (accessorKind == AccessorKind::Setter) {
    return -1;
  } else {
    out += " " + name;
    if (paramGroup) paramGroup->toJsScript(out, root, JsMode::Member, typeCommentOff);
  }
  return 0;
}

// The body's text "{...}", printed into `bodyText`, with the statements the compiler puts in front of
// the source statements: debug type checks, parameter defaults, the rest
// parameter and the hoisted locals of a function with awaited calls.
void TokenFunction::bodyWithPrologue(std::string& bodyText, Parse* root, int mode, int typeCommentOff) {
  body->toJsScript(bodyText, root, JsMode::Member, typeCommentOff);
  if (__ISDEBUG__ && paramGroup && !paramGroup->childs.empty()) addDebugTypeChecks(bodyText, root);
  if (!defaultValues.empty() && !__ISTOTS) addParamDefaults(bodyText, root, mode, typeCommentOff);
  if (!restParam.empty() && restParam != "..." && !__ISTOTS) addRestParam(bodyText);
  if (!locals.empty() && awaitMark) addHoistedLocals(bodyText, root);
}

// Debug builds check the typed parameters first:
// "if(!__DEBUGTYPE__(n,'int')) debugger;".
void TokenFunction::addDebugTypeChecks(std::string& bodyText, Parse* root) {
  std::string checks;
  for (Token* p : paramGroup->childs) {
    if (!p) continue;
    std::string type = p->toTypeDeclaration(root);
    if (type == "int" || type == "uint" || type == "Number" || type == "String" || type == "Boolean")
      checks += "if(!__DEBUGTYPE__(" + jsLocalName(p->text) + ",'" + type + "')) debugger;\n";
  }
  replaceUpToBrace(bodyText, "{\n" + checks + "\n");
}

// Parameter defaults: "(a===void 0) && (a=1);" (commented out for null).
void TokenFunction::addParamDefaults(std::string& bodyText, Parse* root, int mode, int typeCommentOff) {
  std::string lines;
  for (TokenFunctionDefaultValue* dv : defaultValues) {
    if (!dv) continue;
    dv->makeValue(root, mode, typeCommentOff);
    if (dv->valueText == "null") lines += "//";
    const std::string param = jsLocalName(dv->name);
    lines += "(" + param + "===void 0) && (" + param + "=" + dv->valueText + ");\n";
  }
  replaceUpToBrace(bodyText, "{\n" + lines);
}

// The rest parameter ...args is collected from `arguments`:
// "var args=Array.prototype.slice.call(arguments,1);", unless the body is
// empty.
void TokenFunction::addRestParam(std::string& bodyText) {
  std::string restName = restParam.size() > 3 ? jsLocalName(restParam.substr(3)) : std::string();
  std::string setup;
  if (hasMoreThanOneNormalChr(bodyText.c_str() + behindBrace(bodyText))) {
    // A rest parameter is always an Array (join, concat, slice ...), typed
    // or not, so it is copied out of `arguments` and never aliased to it;
    // the copy declares no names of its own, so parameters called i or sz
    // keep their values.
    setup = "var " + restName + "=Array.prototype.slice.call(arguments," + std::to_string(fixedParamCount) + ");";
    if (restName == "__") setup += "arguments=__;";
    setup += "\n";
  }
  replaceUpToBrace(bodyText, "{\n" + setup);
}

// Locals of a function rewritten for awaited calls are declared up front
// ("var a=0,b;"): the continuation only assigns them.
void TokenFunction::addHoistedLocals(std::string& bodyText, Parse* root) {
  std::string decl;
  for (auto& entry : locals) {
    if (entry.first == "arguments" || !entry.second || !entry.second->hoistMark) continue;
    if (!isIdentifier(entry.first)) continue;
    decl += decl.empty() ? "var " : ",";
    decl += jsLocalName(entry.first);
    if (!noDefaultValues) {
      std::string type = entry.second->toTypeDeclaration(root);
      if (type == "int" || type == "uint")
        decl += "=0";
      else if (type == "Number")
        decl += "=NaN";
    }
  }
  if (!decl.empty()) decl += ";\n";
  replaceUpToBrace(bodyText, "{\n" + decl);
}

// A getter or setter of a class: "function(params){...}" for the class
// output's property definition (Accessor mode); nothing in the class body.
void TokenFunction::printAccessor(std::string& out, Parse* root, int mode, const std::string& params,
                                  std::string& bodyText) {
  if (mode == JsMode::ClassBody) return;
  if (mode != JsMode::Accessor) {
    MSGTO(MessageType::Problem, root ? root->path.c_str() : "", line, "function set/get err");
    return;
  }
  if (!bodyText.empty() && bodyText.back() == '\n') bodyText.erase(bodyText.size() >= 2 ? bodyText.size() - 2 : 0);
  const size_t from = out.size();
  out += "function";
  out += params;
  if (__ISTOTS) out += toTsVarType(this);
  out += bodyText;
  miniFunctionInPlace(this, out, from);
}

// A method: "name=function(params){...}", a static "Class.name=function...",
// in TypeScript "static name(params):T{...}" for a static.
void TokenFunction::printMethod(std::string& out, const std::string& params, const std::string& bodyText) {
  std::string className = currentClass ? currentClass->shortName : std::string();
  bool isAsync = (flags & TokenModifierFlags::Async) != 0;
  std::string keyword = isAsync ? "async function" : "function";
  if (isStatic()) {
    if (__ISTOTS) {
      // A TypeScript static method is written without the keyword
      // "function"; "async" stands in front of its name. A class member
      // has no use for the library's shared stubs: "static none (){}"
      // keeps its body, as the instance methods do.
      out += getPriveOrProtect(this, "") + "static " + (isAsync ? "async " : "") + name + " ";
      out += params + toTsVarType(this) + bodyText;
      return;
    }
    out += className + "." + name + "=";
  } else {
    out += getSelfValue() + "=";
  }
  const size_t from = out.size();
  out += keyword;
  out += params;
  if (__ISTOTS) out += toTsVarType(this);
  out += bodyText;
  miniFunctionInPlace(this, out, from);
}

// The head of a function outside a class's member list: "function name "
// in a block, else the assignment that fits its place ("var name=",
// "pkg.name=", "var name=Ruvo.name=", "name=") followed by "function".
// An async one ("async function(u) { await f(u); }") keeps "async" in
// front of the keyword, as a method does, so that its awaits still parse.
void TokenFunction::printInlineHead(std::string& out, Parse* root, int mode) {
  const char* keyword = (flags & TokenModifierFlags::Async) != 0 ? "async function" : "function";
  if (parent && parent->type == TokenTypeCode::Block) {
    out += keyword;
    out += " ";
    if (!name.empty()) out += jsLocalName(getSelfValue()) + " ";
    return;
  }
  if (!name.empty()) {
    std::string packageName = packageNameOf(root);
    if (mode == JsMode::OutsidePackage) {
      out += "var " + name + "=";
    } else if (!currentClass && !packageName.empty()) {
      out += "Ruvo.__package('" + packageName + "');\n" + packageName + "." + getSelfValue() + "=";
    } else if (root && parent == root->package && packageName.empty()) {
      std::string self = getSelfValue();
      out += "var " + self + "=Ruvo." + self + "=";
    } else {
      out += getSelfValue() + "=";
    }
  }
  out += keyword;
}

// The body; the package function of a file with functions after its
// package block prints them at its top, each as "var name=function...;".
void TokenFunction::printBodyWithOutsideFunctions(std::string& out, Parse* root, const std::string& bodyText,
                                                  int typeCommentOff) {
  if (!root || root->packageFunction != this || root->outsideFunctions.empty()) {
    out += bodyText;
    return;
  }
  size_t brace = bodyText.find('{');
  size_t cut = brace == std::string::npos ? 0 : brace + 1;
  out += bodyText.substr(0, cut);
  for (TokenFunction* outside : root->outsideFunctions) {
    if (!outside) continue;
    out += "\n";
    outside->toJsScript(out, root, JsMode::OutsidePackage, typeCommentOff);
    out += "\n";
  }
  out += bodyText.substr(cut);
}
