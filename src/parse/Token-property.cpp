// Property access rewriting: the JavaScript spelling of the names that begin
// with `this`, `super` or a '.', the keyword `super` itself, and the base-class
// lookups behind `super.m`. Every other name is handed up the tree to the
// enclosing function (its locals), the class (its members) and at last the
// file's package (imports, constants, globals).
#include <string>
#include <string_view>
#include <vector>

#include "CompilerOptions.h"
#include "Token.h"
#include "TokenClass.h"
#include "TokenFunction.h"
#include "TokenOther.h"
#include "TokenPackage.h"
#include "message.h"
#include "parse.h"

namespace {

// The text from `pos` on; empty when the text is shorter.
std::string textFrom(const std::string& text, size_t pos) { return pos < text.size() ? text.substr(pos) : std::string(); }

// Counts one use of the instance's `this` on `fn`: a method that its inline
// functions reach through "_$this" then declares it. The counter saturates
// so that a method with very many uses never wraps back to "no use".
void countThisUse(TokenFunction* fn) {
  if (fn && fn->closureThisCount < 255) ++fn->closureThisCount;
}

TokenClass* baseClassOf(TokenClass* cls) {
  if (!cls) return nullptr;
  if (cls->superClass) return cls->superClass;
  if (cls->superName.empty()) return nullptr;
  return TokenClass::GetTokenClass(cls->superName);
}

// The operator of a compound assignment ("+=" gives "+") or an increment
// ("++" and "--" as they are) that `next` is; empty for anything else. The
// lexer makes "*=", "%=", "&=", "^=", "<<=", ">>=" and ">>>=" two tokens,
// the operator and "="; `extra` is then 1.
std::string compoundOperator(Token* next, size_t& extra) {
  extra = 0;
  if (next->type != TokenTypeCode::Operator) return std::string();
  const std::string& op = next->text;
  if (op == "++" || op == "--") return op;
  Token* after = siblingOf(next, 1);
  static const char* const kSplit[] = {"*", "%", "&", "^", "<<", ">>", ">>>"};
  if (after && after->type == TokenTypeCode::Assign && after->leadingText.empty()) {
    for (const char* split : kSplit) {
      if (op == split) {
        extra = 1;
        return op;
      }
    }
  }
  static const char* const kCompound[] = {"+=", "-=", "*=", "/=", "%=", "<<=", ">>=", ">>>=", "&=", "|=", "^="};
  for (const char* c : kCompound)
    if (op == c) return op.substr(0, op.size() - 1);
  return std::string();
}

bool isAccessor(Token* member) {
  auto* fn = member && member->type == TokenTypeCode::Function ? dynamic_cast<TokenFunction*>(member) : nullptr;
  return fn && fn->accessorKind != AccessorKind::None;
}

// Whether `cls` overrides the accessor `member` of its base.
bool overridesAccessor(TokenClass* cls, const std::string& member) {
  Token* own = cls ? cls->members.get(member, nullptr) : nullptr;
  return own && !cls->superName.empty() && isAccessor(own);
}

// A token that ends an operand: an update operator after it is postfix.
bool endsOperand(const Token* t) {
  if (!t) return false;
  switch (t->type) {
    case TokenTypeCode::Word:
    case TokenTypeCode::Number:
    case TokenTypeCode::Literal:
    case TokenTypeCode::DeclaredName:
    case TokenTypeCode::SystemType:
    case TokenTypeCode::Paren:
    case TokenTypeCode::Bracket:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string Token::thisSpelling(bool count) {
  TokenFunction* fn = getTokenFunction();
  if (!fn) return "this";
  Token* holder = fn->parent;
  // A class method: "this" is the instance itself.
  if (holder && holder->type == TokenTypeCode::Block && holder->parent &&
      holder->parent->type == TokenTypeCode::Class)
    return "this";
  // An anonymous function that no declaration names keeps its own "this".
  if (fn->name.empty() && fn->assignedVarName.empty()) {
    if (count) countThisUse(fn);
    return "this";
  }
  TokenFunction* method = holder ? holder->getClassTokenFunction() : nullptr;
  if (!method) return "this";
  if (count) countThisUse(method);
  return "_$this";
}

// `super` belongs to the method it is written in: an inline function inside
// the method, named or not, reaches the base members of the method's
// instance, kept in the method's "_$this".
std::string Token::superThisSpelling() {
  TokenFunction* fn = getTokenFunction();
  if (!fn || fn->classMember) return "this";
  TokenFunction* method = fn->getClassTokenFunction();
  if (!method) return "this";
  countThisUse(method);
  return "_$this";
}

namespace {

// super.member.rest in its parts: the member's name, what follows it (from
// its '.' on) and everything after "super" (from the '.' on).
struct SuperPath {
  std::string member;
  std::string rest;
  std::string tail;
};

SuperPath splitSuperPath(const std::string& name) {
  SuperPath path;
  if (name.size() > 6) {
    size_t dot = name.find('.', 6);
    path.member = name.substr(6, dot == std::string::npos ? std::string::npos : dot - 6);
    if (dot != std::string::npos) path.rest = name.substr(dot);
  }
  path.tail = textFrom(name, 5);
  return path;
}

// super.m(...), or super.m handed on: the base's method, called on this
// (also when the base is a built-in class or Object). With more member
// access (super.m.apply(...)) the group belongs to what follows the method,
// so it is not turned into a call on this.
std::string superCallToJs(const std::string& name, const SuperPath& path, Token* token, TokenClass* cls) {
  std::string found;
  if (cls)
    found = __getSuperClassFunc__(cls->superName, name, path.member, 0, cls->members.has(path.member),
                                  cls->file ? cls->file->package : nullptr);
  if (!found.empty()) {
    if (__ISTOTS) return _DEBUF_(" /*SUPER1-1*/") + name;
    if (found.compare(0, 5, "this.") == 0)
      return _DEBUF_(" /*SUPER THIS*/") + token->superThisSpelling() + found.substr(4);
    if (path.rest.empty()) token->superCallMark = 1;
    return _DEBUF_(" /*SUPER1*/") + found;
  }
  if (token->file) {
    // The base is no class of the project: a built-in class such as Error or
    // Array, or Object when the class names no base (it then has no _super).
    // Its method is called on this instance, as a project base's method is.
    const bool noBase = !cls || cls->superName.empty();
    Token* next = siblingOf(token, 1);
    if (!__ISTOTS && path.rest.empty() && next && next->type == TokenTypeCode::Paren) token->superCallMark = 1;
    return _DEBUF_(" /*no super*/") + (noBase ? "Object.prototype" : "_super.prototype") + path.tail;
  }
  return _DEBUF_(" /*SUPER1-2*/") + name;
}

// The value of super.x = value, up to the end of its expression (a ',', a
// ';' or, without one, the start of the next statement), printed without the
// blanks in front of its tokens as the setter call's last argument.
// Everything it went through counts as consumed.
void printSetterValue(std::string& result, Token* token, size_t valueFrom, int typeCommentOff, int& skip) {
  Token* holder = token->parent;
  if (!holder) return;
  const ChildRange value{.from = valueFrom,
                         .stopAt = [](const Token* t) {
                           return t && (t->type == TokenTypeCode::Comma || t->type == TokenTypeCode::Semicolon ||
                                        t->type == TokenTypeCode::Reserved || t->type == TokenTypeCode::Var ||
                                        beginsNextStatement(t));
                         },
                         .dropLeadingTexts = SIZE_MAX,
                         .skipsDisabled = false,
                         .keepsTokensApart = false};
  const size_t valueEnd =
      Token::_childRangeToJs_(result, token->file, holder->childs, value, JsMode::Plain, typeCommentOff);
  if (valueEnd > valueFrom) skip += static_cast<int>(valueEnd - valueFrom);
}

// An accessor that the class overrides, reached on the base: a read calls
// the base getter, super.x = v the base setter, and super.x += v and
// super.x++ hand what the getter reads to the setter:
// superSet(B,this,'x',superGet(B,this,'x')+(v)) and, with the step apart,
// superSet(B,this,'x',superGet(B,this,'x'),1). The call gives back the
// value of the expression.
std::string overriddenSuperAccessorToJs(const SuperPath& path, Token* token, TokenClass* cls, Token* next,
                                        int typeCommentOff, int& skip) {
  TokenClass* base = baseClassOf(cls);
  if (!base) {
    std::string unused;
    token->scriptErr(unused, token->file, "class extends err!", 0);
    return std::string();
  }
  const std::string baseName = TokenClass::closureSafeName(base);
  const std::string getter = (__ISTOTS ? "Ts.superGet(" : "Ruvo.superGet(") + baseName + "," +
                             token->superThisSpelling() + ",'" + path.member + "')";
  // ++super.x: the operator in front printed nothing.
  Token* prev = siblingOf(token, -1);
  if (prev && prev->isPrefixUpdateOfSuperAccessor())
    return _DEBUF_(" /*super set*/") + (__ISTOTS ? "Ts.superSet(" : "Ruvo.superSet(") + baseName + "," +
           token->superThisSpelling() + ",'" + path.member + "'," + getter + prev->text[0] + "1)";
  size_t extra = 0;
  const std::string compound = path.rest.empty() && next ? compoundOperator(next, extra) : std::string();
  if (!path.rest.empty() || !next || (next->type != TokenTypeCode::Assign && compound.empty()))
    return _DEBUF_(" /*super get*/") + getter + path.rest;

  // super.x = value: the "=" and the value become the setter call's last argument.
  std::string result = _DEBUF_(" /*super set*/") + (__ISTOTS ? "Ts.superSet(" : "Ruvo.superSet(") + baseName + "," +
                       token->superThisSpelling() + ",'" + path.member + "',";
  skip += 1 + static_cast<int>(extra);
  if (compound == "++" || compound == "--") {
    // super.x++ gives the number read before the step, so the step goes to
    // the setter call as an argument of its own (TypeScript's runtime takes
    // no step and is handed the sum).
    if (__ISTOTS) return result + getter + compound[0] + "1)";
    return result + getter + (compound[0] == '-' ? ",-1)" : ",1)");
  }
  if (!compound.empty()) result += getter + compound + "(";
  printSetterValue(result, token, static_cast<size_t>(token->index) + 2 + extra, typeCommentOff, skip);
  return result + (compound.empty() ? ")" : "))");
}

// super.member.rest as JavaScript.
std::string superMemberToJs(const std::string& name, Token* token, TokenClass* cls, int typeCommentOff, int& skip) {
  const SuperPath path = splitSuperPath(name);
  Token* next = siblingOf(token, 1);
  // An accessor that the class overrides is reached on the base whatever
  // follows it: super.title.toUpperCase() and f(super.title, x) read the
  // base getter; only super.title = v (nothing after the name) sets it.
  if (overridesAccessor(cls, path.member))
    return overriddenSuperAccessorToJs(path, token, cls, next, typeCommentOff, skip);
  if (next && (next->type == TokenTypeCode::Paren || next->type == TokenTypeCode::Comma ||
               next->type == TokenTypeCode::As))
    return superCallToJs(name, path, token, cls);
  // A read or a write of anything else is the instance's own property.
  return _DEBUF_(" /*SUPER*/") + token->superThisSpelling() + path.tail;
}

// this.member.rest as JavaScript: the member's JavaScript name on the
// instance (or on "_$this" in a closure); the member's type is recorded.
std::string thisMemberToJs(const std::string& name, Token* token, TokenClass* cls, TokenHeadMsg& headMsg) {
  if (!cls) return _DEBUF_(" /*this10*/") + name;
  std::string spelling = token->thisSpelling(true);
  std::string path = textFrom(name, 5);
  std::string key = path.substr(0, path.find('.'));
  Token* member = cls->members.get(key, nullptr);
  if (member) {
    headMsg.type = cls->fullName;
    std::string type = member->toTypeDeclaration(token->file);
    token->setResolvedTypeText(type);
    return (__SHOWDEBUG__ ? _DEBUF_((" /*this1:" + type + "*/").c_str()) : std::string()) + spelling + "." +
           token->getThisSelfValue(member, path.c_str());
  }
  return _DEBUF_(" /*this1-no*/") + spelling + textFrom(name, 4);
}

bool namesClass(const Token* word, const TokenClass* cls) {
  return word && word->type == TokenTypeCode::Word && (word->text == cls->shortName || word->text == cls->fullName);
}

// The group (o as Node), or ((o as Node)), whose value is cast to `cls` by
// its last operator: the as token that ends it, else nullptr.
const Token* asCastTo(const Token* group, const TokenClass* cls) {
  for (int depth = 0; group && group->type == TokenTypeCode::Paren && depth < 8; ++depth) {
    const Token* last = nullptr;
    size_t count = 0;
    for (const Token* child : group->childs)
      if (child) last = child, ++count;
    if (!last) return nullptr;
    if (last->type == TokenTypeCode::As) {
      const Token* right = static_cast<const TokenAs*>(last)->right;
      return namesClass(right, cls) ? last : nullptr;
    }
    group = count == 1 ? last : nullptr;
  }
  return nullptr;
}

// list[i]._id, where list is a Vector of this class (or a Vector of such
// Vectors, grid[y][x]._id), Node(o)._id, a cast to this class, and
// (o as Node)._id: the private members that the class renames are written
// under their JavaScript names, as other._id is.
std::string elementMemberPath(const std::string& path, Token* token) {
  TokenClass* cls = token->getTokenClass();
  Token* before = siblingOf(token, -1);
  if (!cls || !before) return path;
  Parse* file = token->file.get();
  if (before->type == TokenTypeCode::Paren) {
    Token* cast = siblingOf(before, -1);
    if (namesClass(cast, cls)) return cls->withRenamedPrivates(cast->text, path, file);
    // A group after a name, a call or an index is a call's arguments.
    const bool called = cast && (cast->type == TokenTypeCode::Word || cast->type == TokenTypeCode::Paren ||
                                 cast->type == TokenTypeCode::Bracket);
    return !called && asCastTo(before, cls) ? cls->withRenamedPrivates(cls->shortName, path, file) : path;
  }
  size_t depth = 0;
  for (; before && before->type == TokenTypeCode::Bracket; before = siblingOf(before, -1)) ++depth;
  if (depth == 0 || !before || before->type != TokenTypeCode::Word) return path;
  std::string type = before->toTypeDeclaration(file);
  if (type.empty()) type = before->resolvedTypeText().str();
  for (size_t i = 0; i < depth; ++i) {
    if (type.compare(0, 8, "Vector.<") != 0 || type.back() != '>') return path;
    type = type.substr(8, type.size() - 9);
  }
  return cls->withRenamedPrivates(type, path, file);
}

}  // namespace

// The word `name` (whose first segment is `head`) as JavaScript. Names that
// start with "this" or "super" or a '.' are settled here; every other name
// goes up the tree, and from the root to the file's package.
void Token::jsFormatPropertyInto(std::string& out, std::string& name, std::string& head, Token* token,
                                 int typeCommentOff, int& skip, TokenHeadMsg& headMsg) {
  if (!token) token = this;

  // Every level of the walk up the tree asks this: compared as views, the
  // size alone tells most names apart.
  const std::string_view nameView = name;
  const std::string_view headView = head;
  if (nameView != "this" && headView != "this" && headView != "super") {
    if (!name.empty() && name[0] == '.') {
      headMsg.state = -1;
      out += _DEBUF_(" /*this1-2*/");
      out += elementMemberPath(name, token);
      return;
    }
    if (parent) {
      // Of the levels above a word only functions, classes and packages
      // answer names, and a function is the first of them: the walk goes
      // straight to it.
      if (TokenFunction* fn = parent->getTokenFunction())
        return fn->jsFormatPropertyInto(out, name, head, token, typeCommentOff, skip, headMsg);
      return parent->jsFormatPropertyInto(out, name, head, token, typeCommentOff, skip, headMsg);
    }
    if (file && file->package && static_cast<Token*>(file->package) != this)
      return file->package->jsFormatPropertyInto(out, name, head, token, typeCommentOff, skip, headMsg);
    out += name;
    return;
  }

  // Only names of this and super need the class; the walk up to it is made
  // here rather than at every level that hands a name on.
  TokenClass* cls = token->getTokenClass();
  if (nameView == "this") {
    headMsg.type = cls ? cls->fullName : "Object";
    out += _DEBUF_(" /*this-1*/");
    out += token->thisSpelling(true);
    return;
  }
  if (headView == "super") {
    out += superMemberToJs(name, token, cls, typeCommentOff, skip);
    return;
  }
  out += thisMemberToJs(name, token, cls, headMsg);
}

bool Token::isPrefixUpdateOfSuperAccessor() {
  if (type != TokenTypeCode::Operator || (text != "++" && text != "--") || endsOperand(siblingOf(this, -1)))
    return false;
  Token* word = siblingOf(this, 1);
  if (!word || word->type != TokenTypeCode::Word || word->text.compare(0, 6, "super.") != 0) return false;
  const SuperPath path = splitSuperPath(word->text);
  return path.rest.empty() && overridesAccessor(word->getTokenClass(), path.member);
}

// The JavaScript name of `member` followed by the rest of `path` (the part of
// a this.member.rest path after "this.").
std::string Token::getThisSelfValue(Token* member, const char* path) {
  if (!member) return std::string();
  const std::string_view rest = path ? path : "";
  const std::string value = member->getValue();
  if (value.empty() || rest.compare(0, value.size(), value) == 0) {
    // Only a private member may be renamed: any other keeps the name in hand.
    std::string self = (member->flags & TokenModifierFlags::Private) ? member->getSelfValue() : value;
    if (rest.size() == value.size()) return self;
    std::string tail(rest.substr(value.size()));
    TokenClass* cls = member->getTokenClass();
    if (cls) tail = cls->withRenamedPrivates(member->toTypeDeclaration(member->file.get()), tail, member->file.get());
    return self + tail;
  }
  if (MsgBox) {
    std::string text = "!ERR,Class no this value:" + std::string(rest) + " file:" + (member->file ? member->file->path : "");
    MsgBox(text.c_str(), "Error");
  }
  return std::string();
}

// The spelling of super.member (`name`) as seen from a class whose base class
// is `className`: "this.m" when the base member is not overridden, the base
// prototype's method when it is, the base class for a static member.
std::string __getSuperClassFunc__(std::string className, std::string name, std::string member, int depth,
                                  bool overridden, TokenPackage* privateScope) {
  std::string tail = textFrom(name, 5);
  // A chain longer than the number of classes is a loop of broken clauses.
  for (const int maxDepth = depth + static_cast<int>(TokenClass::_classCount_()); depth <= maxDepth; ++depth) {
    TokenClass* cls = TokenClass::GetTokenClass(className);
    // The classes after a file's package block are known by their short
    // names within that file only.
    if (!cls && privateScope && className.find('.') == std::string::npos)
      cls = privateScope->privateClasses.get(className, nullptr);
    if (!cls) return std::string();
    if (cls->members.has(member)) {
      if (!overridden) return "this" + tail;
      if (depth > 0) return cls->fullName + ".prototype" + tail;
      if (__ISTOTS) return name;
      return "_super.prototype" + tail;
    }
    if (cls->staticMembers.has(member)) return depth == 0 ? "_super" + tail : cls->fullName + tail;
    if (cls->superName.empty()) return std::string();
    className = cls->superName;
  }
  return std::string();
}

// Whether a base class of this class declares the instance member `name`.
bool TokenClass::superHasThisVar(const char* name) {
  std::string key = name ? name : "";
  TokenClass* base = baseClassOf(this);
  for (size_t depth = 0, maxDepth = TokenClass::_classCount_(); base && depth <= maxDepth; ++depth) {
    if (base == this) return false;
    if (base->members.has(key)) return true;
    base = baseClassOf(base);
  }
  return false;
}

// other._next._id inside the class that declares the private _id (renamed
// because a base class has an _id of its own): each segment reached through a
// value typed as this class is the member's JavaScript name; the walk stops at
// the first segment that is not a member of this class.
std::string TokenClass::withRenamedPrivates(const std::string& type, const std::string& rest, Parse* file) {
  std::string out;
  std::string current = type;
  size_t at = 0;
  while (at < rest.size() && rest[at] == '.' && (current == shortName || current == fullName)) {
    const size_t end = rest.find('.', at + 1);
    const std::string key = rest.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
    Token* member = members.get(key, nullptr);
    if (!member) break;
    const std::string self = member->getSelfValue();
    out += "." + (self.empty() ? key : self);
    current = member->toTypeDeclaration(file);
    at = end == std::string::npos ? rest.size() : end;
  }
  return out + rest.substr(at);
}

// super(...) in a constructor: pretreatment records the call on the class so
// that the class output writes no implicit base constructor call.
int TokenSuper::pretreatment(Parse* parseFile) {
  Parse* owner = parseFile ? parseFile : file.get();
  currentClass = owner && owner->package ? owner->package->workingClass : nullptr;
  if (currentClass) currentClass->superCall = this;
  return 0;
}

// super(a) prints Cls.__super, and the following group ".call(this,a)";
// a bare super prints _super.
int TokenSuper::toJsScript(std::string& out, Parse*, int, int) {
  Token* next = siblingOf(this, 1);
  bool call = next && next->type == TokenTypeCode::Paren;
  if (__ISTOTS) {
    out += _DEBUF_(" /*super*/") + "super";
    if (call) {
      bool empty = true;
      for (Token* child : next->childs)
        if (child) empty = false;
      if (empty) out += "()";
    }
  } else if (currentClass && !currentClass->superName.empty()) {
    out += call ? currentClass->shortName + ".__super" : std::string("_super");
  }
  superCallMark = 1;
  return 0;
}
