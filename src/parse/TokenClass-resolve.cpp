// Member name resolution inside a class body. A name that is no local and no
// parameter is the class itself, an instance member (this.x, or _$this.x in
// a closure), a static member (Class.x, or a constant's literal) or, when
// the class does not know it, a name for the file's package to resolve.
#include <unordered_set>

#include "CompilerOptions.h"
#include "TokenClass.h"
#include "TokenFunction.h"
#include "TokenPackage.h"
#include "WritingGuard.h"
#include "message.h"
#include "parse.h"
#include "resolveHelpers.h"

namespace {

// The base class record, looked up by its name on first need and kept.
TokenClass* baseOf(TokenClass* cls) {
  if (cls->superClass == nullptr && !cls->superName.empty())
    cls->setSuperClass(TokenClass::GetTokenClass(cls->superName));
  return cls->superClass;
}

// The first class from `cls` up its bases whose map (members or statics) holds
// `head`. A chain longer than the number of classes is a loop of broken
// inheritance clauses and ends the walk.
TokenClass* classDeclaring(TokenClass* cls, const std::string& head, OrderedMap<Token*> TokenClass::*map) {
  const size_t maxDepth = TokenClass::_classCount_();
  for (size_t depth = 0; cls && depth <= maxDepth; ++depth, cls = baseOf(cls))
    if ((cls->*map).has(head)) return cls;
  return nullptr;
}

// The file's package, for the package name that prefixes full names.
TokenPackage* packageOf(TokenClass* cls) {
  if (cls->file && cls->file->package) return cls->file->package;
  for (Token* t = cls->parent; t; t = t->parent)
    if (t->type == TokenTypeCode::Package) return static_cast<TokenPackage*>(t);
  return nullptr;
}

// Whether a closure (the inline function `fn`) reaches the instance through
// the "_$this" of the class method around it; the use is counted on the
// method, which then declares it. False without such a method.
bool reachesMethodThis(TokenFunction* fn) {
  TokenFunction* method = fn ? fn->getClassTokenFunction() : nullptr;
  if (method == nullptr) return false;
  if (method->closureThisCount < 255) ++method->closureThisCount;
  return true;
}

bool inMethod(TokenFunction* fn) { return fn == nullptr || fn->classMember; }

// Whether a member of the base class `base` is reached through this from
// the subclass `cls`: public and protected members always, internal ones
// (no access word) when both classes are of one package.
bool visibleFromSubclass(Token* member, TokenClass* base, TokenClass* cls) {
  if (member == nullptr) return false;
  if (member->flags & (TokenModifierFlags::Public | TokenModifierFlags::Protected)) return true;
  if (member->flags & TokenModifierFlags::Private) return false;
  TokenPackage* own = packageOf(cls);
  TokenPackage* theirs = packageOf(base);
  return own && theirs && own->qualifyingName == theirs->qualifyingName;
}

// The members that instances of the built-in error classes have: a class
// built on Error (or TypeError ...) reaches them by their bare names.
bool builtinErrorMember(TokenClass* cls, const std::string& name) {
  if (name != "message" && name != "name" && name != "errorID" && name != "getStackTrace") return false;
  std::unordered_set<TokenClass*> seen;
  for (TokenClass* c = cls; c && seen.insert(c).second; c = c->superClass)
    if (!c->superClass) return TokenClass::isBuiltinErrorClass(c->superName);
  return false;
}

// A static member path "member.rest" of `cls` with the private members of
// `cls` that the rest reaches through values typed as `cls` written under
// their JavaScript names (Game._instance._score where _score is renamed).
std::string staticPathWithRenamedPrivates(TokenClass* cls, const std::string& path) {
  const size_t dot = path.find('.');
  if (dot == std::string::npos) return path;
  Token* member = cls->staticMembers.get(path.substr(0, dot), nullptr);
  if (!member) return path;
  Parse* file = member->file.get();
  return path.substr(0, dot) + cls->withRenamedPrivates(member->toTypeDeclaration(file), path.substr(dot), file);
}

// `text` behind the debug note `note` (which prints only in debug output):
// without the note the text is handed on as it is, not copied.
std::string withNote(const char* note, std::string&& text) {
  if (!__SHOWDEBUG__) return std::move(text);
  return _DEBUF_(note) + text;
}

// How the class names itself in its own body: the constructor of its
// closure is its short name; a TypeScript class is declared by its mini name
// (ui.Point is Point$1 when geom.Point is Point, which "Point" then means).
std::string ownName(const TokenClass* cls) { return __ISTOTS ? cls->miniName : cls->shortName; }

}  // namespace

// A name in the class: the class's own name, a variable of the body's
// statements, an instance member (this.x, or _$this.x in a closure) or a
// static member (Class.x, or a constant's literal); any other name goes on
// up the tree to the file's package.
void TokenClass::jsFormatPropertyInto(std::string& out, std::string& name, std::string& head, Token* token,
                                      int typeCommentOff, int& skip, TokenHeadMsg& headMsg) {
  if (name == shortName) {
    const bool conversion = name == "int" || name == "uint" || name == "Number" || name == "String";
    // Foo(x) inside Foo is a cast: only the group (x) remains.
    if (!conversion && followedByGroup(token) && !afterNew(token)) { out += _DEBUF_("/*as to 0*/"); return; }
    out += _DEBUF_(" /*thisclass*/") + ownName(this);
    return;
  }

  std::string js;
  TokenFunction* fn = token ? token->getTokenFunction() : nullptr;
  // A variable of the class body's statements, used there or in a closure
  // made there (not in a method).
  const bool inBody = !fn || !fn->getClassTokenFunction();
  if (Token* local = inBody ? bodyLocals.get(head, nullptr) : nullptr) {
    const std::string type = local->toTypeDeclaration(file);
    headMsg.type = type;
    if (token) token->setResolvedTypeText(type);
    out += _DEBUF_(" /*body var*/") + jsLocalName(head) + name.substr(head.size());
    return;
  }
  // Instance members first, so a base class's instance member wins over a static of this class.
  if (jsFormatPropertyInVapMap(js, name, head, this, token, fn, 0, headMsg)) {
    out += withNote(" /*class 1*/", std::move(js));
    return;
  }
  if (builtinErrorMember(this, head) && !afterNew(token)) {
    if (inMethod(fn)) { out += _DEBUF_(" /*error member*/") + "this." + name; return; }
    if (reachesMethodThis(fn)) { out += _DEBUF_(" /*error member fn*/") + "_$this." + name; return; }
  }

  TokenPackage* package = packageOf(this);
  std::string packageName = package ? package->qualifyingName : std::string();
  if (head != shortName) {
    if (jsFormatPropertyInStaticMap(js, name, head, this, 0, headMsg)) { out += js; return; }
    if (members.has(head) && !afterNew(token)) {
      if (inMethod(fn)) { out += _DEBUF_(" /*self1*/") + "this." + name; return; }
      TokenFunction* method = fn->getClassTokenFunction();
      if (!reachesMethodThis(fn)) { out += _DEBUF_(" /*self3 fn err*/") + "this." + name; return; }
      out += (__SHOWDEBUG__ ? _DEBUF_(("/*self2 " + method->name + "*/").c_str()) : std::string()) + "_$this." + name;
      return;
    }
    if (parent) return parent->jsFormatPropertyInto(out, name, head, token, typeCommentOff, skip, headMsg);
    if (package) return package->jsFormatPropertyInto(out, name, head, token, typeCommentOff, skip, headMsg);
    out += name;
    return;
  }

  // Foo.x inside Foo: a static member spelled through the class's own name.
  std::string full = packToFullName(packageName, head);
  std::string member = _checkStaticGet_Set(_DEBUF_(" /*CLASS1*/"), full, name, head);
  const std::string path = head + "." + staticPathWithRenamedPrivates(this, name.substr(head.size() + 1));
  if (!member.empty()) {
    std::string key = packToFullName(packageName, name);
    OrderedMap<std::string>& constants = TokenPackage::GetConstMap();
    if (constants.has(key)) {
      if (__ISRELEASE__) { out += _DEBUF_("/*CONST*/") + constants.get(key); return; }
      out += " /*CLASS CONST:" + key + "*/" + constants.get(key);
      return;
    }
    headMsg.type = head;
    if (__ISTOTS) { out += _DEBUF_(" /*CLASS1*/") + ownName(this) + path.substr(head.size()); return; }
    out += _DEBUF_(" /*CLASS1*/") + packToFullName(packageName, path);
    return;
  }
  if ((flags & TokenModifierFlags::Public) == 0) { out += _DEBUF_(" /*INPRIVATECLASS*/") + path; return; }
  if (__ISTOTS) { out += _DEBUF_(" /*INCLASS-0*/") + ownName(this) + path.substr(head.size()); return; }
  out += _DEBUF_(" /*INCLASS*/") + packToFullName(packageName, path);
}

bool TokenClass::jsFormatPropertyInVapMap(std::string& out, std::string& name, std::string& head, TokenClass*,
                                          Token* token, TokenFunction* fn, int, TokenHeadMsg& headMsg) {
  TokenClass* owner = classDeclaring(this, head, &TokenClass::members);
  if (owner == nullptr) return false;
  Token* member = owner->members.get(head);
  if (owner != this && !visibleFromSubclass(member, owner, this)) return false;
  if (!inMethod(fn)) {
    if (!reachesMethodThis(fn))
      MSGTO(MessageType::Problem, file ? file->path.c_str() : "", token ? token->line : 0, "No in Function");
    // A private member renamed because a base class has one of the same name
    // is reached under that name from a closure as from the method.
    std::string self = owner == this && member && token ? token->getThisSelfValue(member, name.c_str()) : name;
    out = _DEBUF_(owner == this ? " /*self fn*/" : " /*super fn*/") + "_$this." + (self.empty() ? name : self);
    return true;
  }
  if (owner != this) {
    headMsg.state = 0;
    headMsg.type = owner->fullName;
    out = insideWith(token) ? _DEBUF_(" /*super with*/") + name : _DEBUF_(" /*super*/") + "this." + name;
    return true;
  }
  headMsg.type = fullName;
  if (insideWith(token)) {
    out = _DEBUF_(" /*self with*/") + name;
    return true;
  }
  // The member's declared type, read where it is kept.
  if (member && member->typeToken() && member->typeText().empty()) member->setTypeText(member->typeToken()->text);
  const SharedString type = member ? member->typeText() : SharedString();
  if (token) token->setResolvedTypeText(type);
  out = __SHOWDEBUG__ ? _DEBUF_((" /*self:" + type + "*/").c_str()) : std::string();
  out += "this.";
  if (member && token)
    out += token->getThisSelfValue(member, name.c_str());
  else
    out += name;
  return true;
}

bool TokenClass::jsFormatPropertyInStaticMap(std::string& out, std::string& name, std::string& head, TokenClass*, int,
                                             TokenHeadMsg&) {
  TokenClass* owner = classDeclaring(this, head, &TokenClass::staticMembers);
  if (owner == nullptr) return false;
  Token* member = owner->staticMembers.get(head);
  if (member && member->type == TokenTypeCode::Function && static_cast<TokenFunction*>(member)->accessorKind != AccessorKind::None) {
    out = _DEBUF_(" /*static setget*/") + (owner == this ? ownName(this) : owner->shortName) + "." + name;
    return true;
  }
  std::string path = owner->fullName + "." + name;
  OrderedMap<std::string>& constants = TokenPackage::GetConstMap();
  if (constants.has(path)) {
    if (__ISRELEASE__ && !__ISTOTS)
      out = _DEBUF_(" /*class?1*/") + constants.get(path);
    else if (__ISRELEASE__)
      out = _DEBUF_(" /*class?2*/") + (owner == this ? ownName(this) : owner->shortName) + "." + name;
    else
      out = (__SHOWDEBUG__ ? _DEBUF_((" /*class-" + path + "*/").c_str()) : std::string()) + constants.get(path);
    return true;
  }
  // Inside its own body a class is named by its short name; a base class by its mini name.
  if (owner != this)
    out = _DEBUF_(" /*static super*/") + TokenPackage::ConvertWithMinClassName(path);
  else
    out = _DEBUF_(" /*static1*/") + ownName(this) + "." + staticPathWithRenamedPrivates(this, name);
  return true;
}

std::string TokenClass::_checkStaticGet_Set(std::string marker, std::string full, std::string name, std::string head) {
  TokenClass* cls = GetTokenClass(full);
  if (cls == nullptr) return "";
  std::string member = name;
  std::string rest;
  size_t dot = name.find('.');
  if (name != head && dot != std::string::npos) {
    size_t next = name.find('.', dot + 1);
    member = name.substr(dot + 1, next == std::string::npos ? std::string::npos : next - dot - 1);
    if (next != std::string::npos) rest = name.substr(next);
  }
  if (!cls->staticMembers.has(member)) return "";
  return marker + full + "." + member + rest;
}

std::string TokenPackage::ConvertWithMinClassName(std::string name) {
  OrderedMap<std::string>& table = GetConversionTable();
  // A class of the table whose mini name a class closure being written
  // hides stays with its full name.
  auto mini = [](const std::string& full, const std::string& value) {
    TokenClass* cls = __ISTOTS ? nullptr : TokenClass::GetTokenClass(full);
    return cls && cls->miniName == value ? TokenClass::closureSafeName(cls) : value;
  };
  size_t firstDot = name.find('.');
  if (firstDot == std::string::npos) return table.has(name) ? mini(name, table.get(name)) : name;
  // The longest dotted prefix of two or more segments that the table knows.
  for (size_t end = name.size(); end != std::string::npos && end > firstDot; end = name.rfind('.', end - 1)) {
    auto it = table.find(name.substr(0, end));
    if (it != table.end()) return mini(it->first, it->second) + name.substr(end);
  }
  return name;
}

// Each class closure names its constructor by the class's short name, and
// the closure of a file's public class declares the file's private classes:
// within it those names are those classes. Another class whose mini name is
// one of them (geom.Point, mini name Point, seen from the closure of
// ui.Point, mini name Point$1, or from a file with a private class Point) is
// reached by its full name there: the path that its registration creates
// under window.
std::string TokenClass::closureSafeName(TokenClass* cls) {
  if (!cls) return std::string();
  if (__ISTOTS) return cls->miniName;
  for (const Token* t : WritingGuard::current()) {
    auto* writing = t && t->type == TokenTypeCode::Class ? dynamic_cast<const TokenClass*>(t) : nullptr;
    if (!writing || writing == cls) continue;
    TokenPackage* package = writing->file ? writing->file->package : nullptr;
    TokenClass* privateClass = package ? package->privateClasses.get(cls->miniName, nullptr) : nullptr;
    if (writing->shortName != cls->miniName && (!privateClass || privateClass == cls)) continue;
    return cls->fullName.find('.') != std::string::npos ? cls->fullName : "window." + cls->fullName;
  }
  return cls->miniName;
}
