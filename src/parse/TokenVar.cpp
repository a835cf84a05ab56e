// var and const declarations.
//
// Pretreatment gathers the whole declaration (names, initialisers, up to the
// closing ';') into the token, registers every declared name in its scope and
// takes instance members out of the class body. Output prints one of four
// forms: instance members as constructor lines ("this.x=0;"), statics as the
// class output's static items, locals as "var", and package-level variables
// as end-of-script assignments on the package object.
#include <string>
#include <typeinfo>
#include <vector>

#include "CompilerOptions.h"
#include "OutputMarkers.h"
#include "Token.h"
#include "TokenClass.h"
#include "TokenFunction.h"
#include "TokenOther.h"
#include "TokenPackage.h"
#include "TsOutput.h"
#include "message.h"
#include "parse.h"
#include "scriptfile.h"
#include "xstringmethod.h"

// One declarator of the declaration: its name, its "=" (if any) and the "," or
// ";" that ends it (the end of the list when there is none).
struct TokenVar::Declarator {
  Token* name = nullptr;
  int nameAt = -1;
  int assignAt = -1;
  int endAt = 0;
  Token* separator = nullptr;
};

namespace {

using namespace TokenTypeCode;
using Declarator = TokenVar::Declarator;

bool isNameToken(Token* token) { return token->type == Word || token->type == DeclaredName; }

// Whether a local declaration goes on with further declarators after the
// anonymous function at `at` (var f:Function = function():void {...}, n:int;):
// the function's parameter group, return type and body are followed by ",".
bool declarationGoesOnAfter(Token* parent, int at) {
  auto& ch = parent->childs;
  const int count = static_cast<int>(ch.size());
  auto nextFilled = [&](int from) {
    while (from < count && !ch[from]) ++from;
    return from;
  };
  int i = nextFilled(at + 1);
  if (i < count && ch[i]->type == Paren) i = nextFilled(i + 1);
  if (i < count && ch[i]->type == Colon) i = nextFilled(nextFilled(i + 1) + 1);
  if (i >= count || ch[i]->type != Block) return false;
  i = nextFilled(i + 1);
  return i < count && ch[i]->type == Comma;
}

// Calls `visit` with each declarator of the declaration in turn, as soon as
// its end is known (no list is made: the pretreatment registers the names
// of every declaration once).
template <typename Visit>
void forEachDeclarator(Token* var, Visit&& visit) {
  Declarator current;
  bool open = false;
  bool expectName = true;
  const int count = static_cast<int>(var->childs.size());
  for (int i = 0; i < count; ++i) {
    Token* child = var->childs[i];
    if (!child) continue;
    if (child->type == Comma || child->type == Semicolon) {
      if (open) {
        current.endAt = i;
        current.separator = child;
        visit(static_cast<const Declarator&>(current));
      }
      current = Declarator();
      open = false;
      expectName = true;
      continue;
    }
    if (expectName) {
      expectName = false;
      if (isNameToken(child)) {
        current.name = child;
        current.nameAt = i;
        open = true;
      }
      continue;
    }
    if (open && child->type == Assign && current.assignAt < 0) current.assignAt = i;
  }
  if (open) {
    current.endAt = count;
    visit(static_cast<const Declarator&>(current));
  }
}

// The declarators of one declaration as a list: the usual few are kept in
// place and only a longer list takes the heap, so printing a declaration
// (once per output pass) makes no allocation.
class DeclaratorList {
 public:
  explicit DeclaratorList(Token* var) {
    forEachDeclarator(var, [&](const Declarator& d) {
      if (count_ < kInPlace) {
        inPlace_[count_++] = d;
        return;
      }
      if (more_.empty()) more_.assign(inPlace_, inPlace_ + kInPlace);
      more_.push_back(d);
    });
  }
  DeclaratorList(const DeclaratorList&) = delete;
  DeclaratorList& operator=(const DeclaratorList&) = delete;
  TokenVar::Declarators all() const {
    return more_.empty() ? TokenVar::Declarators(inPlace_, count_) : TokenVar::Declarators(more_);
  }

 private:
  static constexpr size_t kInPlace = 4;
  Declarator inPlace_[kInPlace];
  size_t count_ = 0;
  std::vector<Declarator> more_;
};

// The first non-null child in [from, to).
Token* firstIn(Token* var, int from, int to) {
  for (int i = from; i >= 0 && i < to && i < static_cast<int>(var->childs.size()); ++i)
    if (var->childs[i]) return var->childs[i];
  return nullptr;
}

// Prints the children [from, to) as the child loop does (leading text, type
// use, output switch, skip counts); the first `dropLeading` children lose
// their leading text ("this.x" + "=" + "5", not "this.x = 5").
void printRange(Token* var, std::string& out, Parse* file, int from, int to, int mode, int typeCommentOff,
                int dropLeading) {
  if (from < 0 || to <= from) return;
  const ChildRange range{.from = static_cast<size_t>(from),
                         .to = static_cast<size_t>(to),
                         .dropLeadingTexts = dropLeading > 0 ? static_cast<size_t>(dropLeading) : 0,
                         .keepsTokensApart = false};
  Token::_childRangeToJs_(out, file, var->childs, range, mode, typeCommentOff);
}

bool isQuoted(Token* token) {
  return token && token->type == Literal && !token->text.empty() && (token->text[0] == '"' || token->text[0] == '\'');
}

bool inWordList(const char* list, const std::string& word) {
  if (!list || word.empty()) return false;
  return std::string(list).find("|" + word + "|") != std::string::npos;
}

std::string packageNameOf(Parse* file) {
  if (!file || !file->package) return std::string();
  TokenPackage* pkg = file->package;
  return pkg->qualifyingName.empty() ? pkg->text.str() : pkg->qualifyingName;
}

// Where a declarator without an initialiser stands, which decides the
// default its type gives it.
enum class DefaultFor {
  Member,    // an instance or static member in JavaScript
  TsMember,  // an instance member in TypeScript
  Local,     // a local or loop variable
};

// The "=value" a declarator without an initialiser takes from its type: "=0"
// for int and uint, "=false" for Boolean, "=NaN" for Number and "=null" for a
// class type. TypeScript members leave Number and class types unset, locals
// leave class types unset, and an untyped name ("?") is never set.
std::string typeDefault(const std::string& type, DefaultFor place) {
  if (type == "int" || type == "uint") return "=0";
  if (type == "Boolean") return "=false";
  if (place == DefaultFor::TsMember) return std::string();
  if (type == "Number") return "=NaN";
  if (place == DefaultFor::Local || type == "?") return std::string();
  return "=null";
}

// The bare class name of a printed type: a leading type comment and the
// surrounding white space dropped.
std::string bareTypeName(std::string printed) {
  size_t close = printed.find("*/");
  size_t open = printed.find("/*");
  if (open != std::string::npos && close != std::string::npos && open < close &&
      printed.find_first_not_of(' ') == open)
    printed = printed.substr(close + 2);
  size_t b = printed.find_first_not_of(" \t\r\n");
  size_t e = printed.find_last_not_of(" \t\r\n");
  return b == std::string::npos ? std::string() : printed.substr(b, e - b + 1);
}

// Whether a TypeScript static's value is computed on first use: anything but
// a function, a number, a literal, a constant word or an empty [ ] or { }
// (and never a value whose "=" is marked safe).
bool isComputedTsStatic(Token* assign, Token* value) {
  if (!value || assign->safeMark) return false;
  bool emptyGroup = false;
  if (value->type == Bracket || value->type == Block) {
    emptyGroup = true;
    for (Token* child : value->childs)
      if (child) emptyGroup = false;
  }
  return value->type != Function && value->type != Number && value->type != Literal && value->text != "false" &&
         value->text != "true" && value->text != "null" && value->text != "NaN" && value->text != "undefine" &&
         !emptyGroup;
}

// Erases `count` children of `parent` from `from` on, as that many
// eraseChild(from) calls would: the children after them move down and learn
// their new index.
void eraseRange(Token* parent, int from, int count) {
  TokenList& list = parent->childs;
  const int size = static_cast<int>(list.size());
  if (from < 0 || count <= 0 || from >= size) return;
  if (count > size - from) count = size - from;
  for (int i = from; i + count < size; ++i) {
    Token* moved = list[static_cast<size_t>(i + count)];
    list[static_cast<size_t>(i)] = moved;
    if (moved) moved->index = i;
  }
  list.resize(static_cast<size_t>(size - count));
}

// A local's name takes its JavaScript spelling (see jsLocalName): most
// names keep theirs, and their text is then left as it is rather than
// stored again.
void spellAsLocal(Token* name) {
  if (jsLocalNameChanges(name->text)) name->text = jsLocalName(name->text);
}

// The class token holding a class body (a TokenClass mostly, told by its
// type id before the cast), or null.
TokenClass* classOfBody(Token* holder) {
  return &typeid(*holder) == &typeid(TokenClass) ? static_cast<TokenClass*>(holder) : dynamic_cast<TokenClass*>(holder);
}

// The embed token of a declaration (only ever a TokenEmbed, see pretreatment).
TokenEmbed* embedOf(Token* token) { return static_cast<TokenEmbed*>(token); }

}  // namespace

// var a:int = 1, b; is gathered into the var token and its names become
// declared names, registered as class members, function locals or package
// names; instance members leave the class body, whose output prints them in
// the constructor ("this.a=1;this.b=0;").
int TokenVar::pretreatment(Parse* parseFile) {
  // Gathered already: it moved over its tokens (see gatherDeclaration).
  if (gapMark) return 0;
  Parse* owner = parseFile ? parseFile : file.get();
  TokenPackage* pkg = owner ? owner->package : nullptr;
  currentClass = pkg ? pkg->workingClass : nullptr;
  classMember = isClassMember() ? 1 : 0;
  TokenClass* cls = classMember ? classOfBody(parent->parent) : getTokenClass();
  TokenFunction* fn = getTokenFunction();
  TokenVarMap* locals = scopeOfNames(fn);

  int stepOver = 0;
  if (parent) {
    takeEmbedTag();
    stepOver = gatherDeclaration(owner, cls, fn);
  }
  nameAssignedFunctions();
  if (classMember && cls) enterClassLists(cls);
  if (type == Const || (flags & TokenModifierFlags::Inline)) recordConstants(owner, cls);
  childsPretreatment(owner, childs);
  registerNames(owner, pkg, cls, fn, locals);
  return stepOver;
}

// The locals map the declared names go into. In a continuation function of
// the async rewriting the names belong to the function it was cut out of,
// which declares them at its top (the declaration is marked asyncDecl).
TokenVarMap* TokenVar::scopeOfNames(TokenFunction* fn) {
  // The map of the nearest enclosing function, `fn`: no second walk up.
  TokenVarMap* locals = fn ? fn->getVarMap() : nullptr;
  if (fn && fn->asyncStateMark) {
    asyncDecl = 1;
    TokenFunction* outer = fn->parent ? fn->parent->getTokenFunction() : nullptr;
    if (outer) locals = outer->getVarMap();
  }
  return locals;
}

// [Embed(...)] in front of the declaration (the lexer may have put a ';'
// between them) gives the declaration its embed token and leaves the list.
// A cast ("as", the same type code) has no children and is never taken for
// a tag.
void TokenVar::takeEmbedTag() {
  const TokenList& siblings = parent->childs;
  for (int back = 1; back <= 2 && !embedToken; ++back) {
    const long at = static_cast<long>(index) - back;
    Token* tag = at >= 0 && at < static_cast<long>(siblings.size()) ? siblings[static_cast<size_t>(at)] : nullptr;
    if (!tag || tag->type != As) continue;
    Token* first = nullptr;
    for (Token* child : tag->childs)
      if (child) {
        first = child;
        break;
      }
    if (!first || first->type != As || !dynamic_cast<TokenEmbed*>(first)) continue;
    embedToken = first;
    parent->clearNextToken(tag, 0);
  }
}

// Gathers the declaration up to and including its ';'. Each gathered token
// leaves the parent's list right after this token; they leave it together
// (`pending` of them at a time) rather than one erase each, since a class
// body may hold hundreds of tokens after a declaration, and they join this
// token's children together too, in a list made once at its size (see
// takeGathered). Before an "in" is pretreated both lists are brought up to
// date, as that pass looks at its neighbours. Returns the count of slots the
// child loop steps over.
int TokenVar::gatherDeclaration(Parse* owner, TokenClass* cls, TokenFunction* fn) {
  int pending = 0;
  auto leaveList = [&] {
    if (pending > 0) {
      takeGathered(pending);
      eraseRange(parent, index + 1, pending);
    }
    pending = 0;
  };
  while (index >= 0 && index + 1 + pending < static_cast<int>(parent->childs.size())) {
    int at = index + 1 + pending;
    Token* current = parent->childs[at];
    if (!current) {
      ++pending;
      continue;
    }
    bool stop = current->type == Semicolon;
    Token* after = at + 1 < static_cast<int>(parent->childs.size()) ? parent->childs[at + 1] : nullptr;
    bool eraseNow = false;
    if (!stop && after) {
      if (after->type == In) {
        leaveList();
        at = index + 1;
        eraseNow = true;
        after->pretreatment(owner);
      }
      // Outside a class body only a function, a var, a statement word, a
      // for or an "in" can end the declaration: the rest is told at once.
      const int afterCode = after->type;
      if (classMember || afterCode == Function || afterCode == Var || afterCode == StatementWord ||
          afterCode == For || afterCode == In)
        stop = endsBefore(current, after, at + 1, cls, fn);
    }
    if (eraseNow) {
      parent->eraseChild(at);
      push(current);
    } else {
      ++pending;
    }
    if (stop) break;
  }
  if (pending > 0) takeGathered(pending);
  return pending > 0 ? leaveGapBefore(pending) : 0;
}

// The `pending` slots after this token in the parent's list become this
// token's last children, in order (null slots left out), in one growth of
// the child list to its exact size.
void TokenVar::takeGathered(int pending) {
  const TokenList& list = parent->childs;
  const size_t from = static_cast<size_t>(index) + 1;
  const size_t to = from + static_cast<size_t>(pending);
  size_t count = 0;
  for (size_t at = from; at < to; ++at)
    if (list[at]) ++count;
  childs.reserve(childs.size() + count);
  for (size_t at = from; at < to; ++at) push(list[at]);
}

// Whether the declaration ends with `current`, `after` (at `afterAt`) being
// a function, a statement or an "in" that does not belong to it, or, among
// class members, the start of the next line's member or statement.
bool TokenVar::endsBefore(Token* current, Token* after, int afterAt, TokenClass* cls, TokenFunction* fn) {
  // A class member written without ';' ends at its line: the next member, a
  // metadata tag or a statement of the class body follows.
  if (classMember && beginsNextStatement(after, true)) return true;
  if (after->type == Function) {
    // A class member and a declaration outside any class and function
    // (printed on the package object, away from this place) take an
    // anonymous function value with them: after the "=", or inside the
    // value after an operator, '?' or ':' (DEBUG ? function(...) {...} : null).
    const bool keepsValue = classMember || (!cls && !fn) || declarationGoesOnAfter(parent, afterAt);
    const bool valueGoesOn = current->type == Assign || current->type == Operator ||
                             current->type == Question || current->type == Colon;
    return !(valueGoesOn && keepsValue);
  }
  if (after->type == Var || after->type == StatementWord || after->type == For || after->type == In) {
    // `delete` as a value (var gone:Boolean = delete o.k, n:int = 1;)
    // belongs to the declaration; as a statement of its own it does not.
    const bool valueExpected = current->type == Assign || current->type == Operator ||
                               current->type == Question || current->type == Colon;
    return !(after->text == "delete" && valueExpected);
  }
  return false;
}

// The declaration does not move the rest of its list down (a function or
// class of 100,000 declarations would move it 100,000 times): it takes the
// slot of its last gathered token and leaves `pending` nulls in front of
// itself, which the child loop steps over (the returned skip count) and
// takes out in one pass when the list is done (closeVarGaps).
int TokenVar::leaveGapBefore(int pending) {
  TokenList& list = parent->childs;
  const int from = index;
  for (int k = from; k < from + pending; ++k) list[static_cast<size_t>(k)] = nullptr;
  list[static_cast<size_t>(from + pending)] = this;
  index = from + pending;
  gapBefore = static_cast<uint32_t>(pending);
  gapMark = 1;
  parent->varGaps = 1;
  // A list with one declaration's gap mostly gets more (a class body's or a
  // function's declarations): room for several is made at once.
  std::vector<TokenVar*>& owners = _varGapOwners_()[parent];
  if (owners.empty()) owners.reserve(8);
  owners.push_back(this);
  return pending;
}

// An anonymous function assigned in the declaration learns the name it is
// assigned to: a local `var f = function () {...}` whose function stays a
// sibling after the declaration, and a function gathered into it.
void TokenVar::nameAssignedFunctions() {
  if (parent && !childs.empty() && childs.back() && childs.back()->type == Assign) {
    Token* next = parent->getNextToken(this, 1);
    DeclaratorList declarators(this);
    const Declarators list = declarators.all();
    auto* fn = dynamic_cast<TokenFunction*>(next);
    if (fn && !list.empty() && list.back().name) fn->assignedVarName = list.back().name->text;
  }
  for (size_t i = 1; i < childs.size(); ++i) {
    // Only a function right after an '=' is assigned: the '=' is looked for
    // first, the cheaper test.
    if (!childs[i - 1] || childs[i - 1]->type != Assign) continue;
    // TokenFunction has no subclasses: its type id tells it, cheaper than a cast.
    Token* child = childs[i];
    auto* fnToken = child && &typeid(*child) == &typeid(TokenFunction) ? static_cast<TokenFunction*>(child) : nullptr;
    if (fnToken) {
      DeclaratorList declarators(this);
      for (const Declarator& d : declarators.all())
        if (d.assignAt == static_cast<int>(i) - 1 && d.name) fnToken->assignedVarName = d.name->text;
    }
  }
}

// Class members: statics stay in the body (the class output prints them as
// static items), instance variables leave it.
void TokenVar::enterClassLists(TokenClass* cls) {
  if (isStatic()) {
    cls->staticVars.push_back(this);
  } else {
    cls->vars.push_back(this);
    if (parent) parent->clearNextToken(this, 0);
  }
}

// Constants: a static declarator whose initialiser is one number or quoted
// literal is recorded, so that its uses print the literal. A constant with
// any other initialiser is printed as a variable.
void TokenVar::recordConstants(Parse* owner, TokenClass* cls) {
  const bool isConst = type == Const;
  DeclaratorList declarators(this);
  for (const Declarator& d : declarators.all()) {
    if (d.assignAt < 0) continue;
    Token* value = firstIn(this, d.assignAt + 1, d.endAt);
    int valueAt = value ? value->index : d.endAt;
    Token* after = firstIn(this, valueAt + 1, static_cast<int>(childs.size()));
    bool single = value && (value->type == Number || value->type == Literal) &&
                  (!after || after->type == Comma || after->type == Semicolon || after->type == Var ||
                   after->type == Function || after->type == As);
    if (!single) {
      type = Var;
      flags |= TokenModifierFlags::Inline;
      break;
    }
    if (!isStatic()) continue;
    std::string key = cls ? cls->fullName : packageNameOf(owner);
    TokenPackage::GetConstMap()[key + "." + d.name->text] = value->text;
  }
  if (isConst) {
    type = Var;
    flags |= TokenModifierFlags::Inline;
  }
}

// Every declared name becomes a declared-name token and is entered where it
// is known: the class members, the function's locals, the class body's
// locals or the package members.
void TokenVar::registerNames(Parse* owner, TokenPackage* pkg, TokenClass* cls, TokenFunction* fn,
                             TokenVarMap* locals) {
  // The visit changes the names' tokens only, never this declaration's list.
  forEachDeclarator(this, [&](const Declarator& d) {
    Token* name = d.name;
    name->type = DeclaredName;
    name->declaredVar = 1;
    if (asyncDecl) name->hoistMark = 1;
    if (classMember && cls) {
      name->flags = flags;
      if (isStatic())
        cls->staticMembers[name->text] = name;
      else
        cls->members[name->text] = name;
      if (flags & TokenModifierFlags::Bindable) cls->bindableVars[name->text] = isStatic() ? "1" : "0";
      if (name->toTypeDeclaration(owner) == "Function") name->functionTyped = 1;
      if (!isStatic() && !(flags & TokenModifierFlags::Private)) cls->setPrivateWillAdjustName(name->text.c_str());
    } else if (fn) {
      // Known by its ActionScript name, written with its JavaScript one.
      if (locals) (*locals)[name->text] = name;
      spellAsLocal(name);
    } else if (cls) {
      // In a block among the class body's statements.
      cls->bodyLocals[name->text] = name;
      spellAsLocal(name);
    } else if (!cls && pkg) {
      TokenPackage* known = TokenPackage::GetPakageMap().get(pkg->qualifyingName, nullptr);
      if (known) {
        name->flags = flags;
        known->packageMembers[name->text] = name;
      }
    }
  });
}

// var a:int = 1, b:Sprite; in one of four forms chosen by its place and the
// mode: instance members as constructor lines ("this.a=1;this.b=null;"),
// statics as the class output's static items, package-level variables as
// end-of-script assignments ("pkg.a=1"), locals as "var a=1,b;".
int TokenVar::toJsScript(std::string& out, Parse* parseFile, int mode, int typeCommentOff) {
  if (outputDisabled) return 0;
  Parse* owner = parseFile ? parseFile : file.get();
  DeclaratorList declarators(this);
  const Declarators list = declarators.all();
  for (const Declarator& d : list) {
    d.name->addTypeDeclarationClassUse();
    if (asyncDecl) d.name->hoistMark = 1;
  }
  // The class body the declaration stood in (a malformed source may have
  // moved it elsewhere since), else the enclosing class.
  TokenClass* cls = isClassMember() ? classOfBody(parent->parent) : getTokenClass();
  TokenFunction* fn = getTokenFunction();
  if (!cls && !fn) {
    printPackageLevel(owner, typeCommentOff);
    return 0;
  }
  if (classMember && cls) {
    switch (mode) {
      case JsMode::ConstructorVars:
      case JsMode::TsConstructorVars:
      case JsMode::Member:
      case JsMode::TsMember:
        printInstanceMembers(out, owner, cls, list, mode, typeCommentOff);
        return 0;
      case JsMode::ClassBody:
      case JsMode::TsClassBody:
        printStatics(out, owner, cls, list, mode, typeCommentOff);
        return 0;
      default:
        break;
    }
  }
  printLocals(out, owner, fn, list, mode, typeCommentOff);
  return 0;
}

// Outside any class and function: an assignment on the package object
// ("pkg.a=1", "window.a=1" in the top-level package), added to the end text
// of the file's script.
void TokenVar::printPackageLevel(Parse* owner, int typeCommentOff) {
  if (!owner || !owner->package) return;
  std::string pkgName = packageNameOf(owner);
  std::string prefix = pkgName.empty() ? std::string("window.") : pkgName + ".";
  std::string text;
  bool first = true;
  for (int i = 0; i < static_cast<int>(childs.size()); ++i) {
    Token* child = childs[i];
    if (!child) continue;
    if (!first) text += child->leadingText;
    first = false;
    child->addTypeDeclarationClassUse();
    if (!child->outputEnabled) continue;
    if (child->type == DeclaredName) text += prefix;
    int consumed = child->toJsScript(text, owner, JsMode::ClassBody, typeCommentOff);
    if (consumed > 0) i += consumed;
  }
  if (owner->scriptFile) {
    // The package object must exist before its first member is assigned: a
    // package may declare nothing but variables and constants.
    std::string& endText = owner->scriptFile->endText;
    if (!pkgName.empty()) {
      const std::string create = "\tRuvo.__package('" + pkgName + "');\r\n";
      if (endText.find(create) == std::string::npos) endText += create;
    }
    endText += "\t" + text + "\r\n";
  }
}

// The value an [Embed(...)] tag gives the declarator `name` ("" without a
// tag).
std::string TokenVar::embedValue(Token* name, Parse* owner) {
  if (!embedToken) return std::string();
  std::string unused;
  return embedOf(embedToken)->getJsScript(name->text, unused, owner, 0, 0);
}

// Instance members, two constructor passes: literal values and defaults
// before the implicit base constructor call (ConstructorVars), everything
// else after it (Member), in declaration order.
void TokenVar::printInstanceMembers(std::string& out, Parse* owner, TokenClass* cls, const Declarators& list,
                                    int mode, int typeCommentOff) {
  const bool firstPass = mode == JsMode::ConstructorVars || mode == JsMode::TsConstructorVars;
  const bool ts = mode == JsMode::TsConstructorVars || mode == JsMode::TsMember;
  for (const Declarator& d : list) {
    Token* name = d.name;
    if (firstPass && (flags & TokenModifierFlags::NoEnumeration)) cls->noEnumMembers[name->text] = name;
    std::string type = name->toTypeDeclaration(owner);
    if (d.assignAt < 0) {
      if (firstPass && type != "?") printInstanceDefault(out, owner, cls, name, type, ts);
      continue;
    }
    if (hasConstantInitialiser(d) != firstPass) continue;
    printInstanceInitialiser(out, owner, d, ts, typeCommentOff);
  }
}

// An instance member without initialiser: "this.n=0;" (TypeScript
// "n:number=0;"), its embed value or its type default; commented out in a
// class that sets no default values.
void TokenVar::printInstanceDefault(std::string& out, Parse* owner, TokenClass* cls, Token* name,
                                    const std::string& type, bool ts) {
  std::string value = embedValue(name, owner);
  std::string line = "\n" + name->leadingText;
  if (cls->noDefaultValues) line += "//";
  if (ts)
    line += _DEBUF_(" /*var231*/") + name->getSelfValue() + toTsVarType(name);
  else
    line += _DEBUF_(value.empty() ? " /*var1-10*/" : " /*var230*/") + "this." + name->getSelfValue();
  line += value.empty() ? typeDefault(type, ts ? DefaultFor::TsMember : DefaultFor::Member) : "=" + value;
  out += line + ";";
}

// Only a literal standing alone is settled before the base constructor
// runs; `"L" + count` or `2 * size` read other members and wait for the
// second pass, in declaration order with the rest.
bool TokenVar::hasConstantInitialiser(const Declarator& d) {
  Token* value = firstIn(this, d.assignAt + 1, d.endAt);
  int tokens = 0;
  for (int i = d.assignAt + 1; i >= 0 && i < d.endAt && i < static_cast<int>(childs.size()); ++i)
    if (childs[i]) ++tokens;
  const bool alone = tokens == 1;
  return alone && (isQuoted(value) || value->text == "true" || value->text == "false" || value->text == "null" ||
                   xstringmthod::IsAllDigit(value->text.c_str()) != 0);
}

// An instance member with its initialiser: "this.a=1;" (TypeScript
// "public a:number=1;", the access modifier in front of "readonly").
void TokenVar::printInstanceInitialiser(std::string& out, Parse* owner, const Declarator& d, bool ts,
                                        int typeCommentOff) {
  Token* name = d.name;
  out += "\n" + name->leadingText + _DEBUF_(" /*var4*/");
  if (ts)
    out += getPriveOrProtect(name, "") + getConstStr(name) + name->getSelfValue() + toTsVarType(name);
  else
    out += "this." + name->getSelfValue();
  printRange(this, out, owner, d.assignAt, d.endAt, JsMode::ClassBody, typeCommentOff, 2);
  out += ";";
}

// Statics: one item per declarator, each led by the static item mark and
// the quoted name ("'a',this.a=1;"), that the class output turns into its
// static definitions. TypeScript prints "static a:number=1;".
void TokenVar::printStatics(std::string& out, Parse* owner, TokenClass* cls, const Declarators& list, int mode,
                            int typeCommentOff) {
  const bool ts = mode == JsMode::TsClassBody;
  std::string text;
  for (const Declarator& d : list) {
    Token* name = d.name;
    std::string type = name->toTypeDeclaration(owner);
    printStaticHead(text, owner, d, ts, typeCommentOff);
    if (d.assignAt < 0) {
      std::string value = embedValue(name, owner);
      text += value.empty() ? typeDefault(type, DefaultFor::Member) : "=" + value;
    } else {
      defineTypeClassFirst(owner, cls, name, type, typeCommentOff);
      printStaticInitialiser(text, owner, cls, d, ts, typeCommentOff);
    }
    text += ";";
  }
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, ";;") == 0) text.pop_back();
  out += text;
}

// The head of one static item: the mark, the quoted name and "this.a" (the
// name in double quotes for an embed), or TypeScript's "static a:number".
void TokenVar::printStaticHead(std::string& text, Parse* owner, const Declarator& d, bool ts, int typeCommentOff) {
  Token* name = d.name;
  text += "\n" + name->leadingText;
  if (ts) {
    text += _DEBUF_(" /*vars1*/") + getConstStr(name) + getPriveOrProtect(name, "") + "static ";
  } else {
    const char quote = embedToken ? '"' : '\'';
    text += std::string(1, kStaticItemMark) + quote + name->text + quote + ",";
    text += _DEBUF_(embedToken ? " /*var-21*/" : (d.assignAt < 0 ? " /*var20*/" : " /*var201*/"));
    text += "this.";
  }
  name->toJsScript(text, owner, JsMode::ClassBody, typeCommentOff);
  if (ts) text += toTsVarType(name);
}

// A static typed with a class of the project: that class must be defined
// before this one, so it moves behind it in the class order.
void TokenVar::defineTypeClassFirst(Parse* owner, TokenClass* cls, Token* name, const std::string& type,
                                    int typeCommentOff) {
  if (type.empty() || type == "*" || inWordList(__sytemtype__, type) || !name->typeToken() ||
      name->typeToken()->type != Word)
    return;
  std::string printed;
  name->typeToken()->toJsScript(printed, owner, JsMode::ClassBody, typeCommentOff);
  printed = bareTypeName(printed);
  TokenClass* used = TokenClass::GetTokenClass(printed);
  std::string pkgName = packageNameOf(owner);
  if (!used && !pkgName.empty()) used = TokenClass::GetTokenClass(pkgName + "." + printed);
  if (used && used != cls && used->orderKey <= cls->orderKey) used->orderKey = cls->orderKey + 1;
}

// A static's initialiser: "=value" in the item, or in TypeScript a value
// computed on first use, registered with the class as
// "Ts._static(C,'a',function(){return value});".
void TokenVar::printStaticInitialiser(std::string& text, Parse* owner, TokenClass* cls, const Declarator& d,
                                      bool ts, int typeCommentOff) {
  Token* assign = childs[d.assignAt];
  Token* value = firstIn(this, d.assignAt + 1, d.endAt);
  if (ts && isComputedTsStatic(assign, value)) {
    std::string init;
    printRange(this, init, owner, value->index, d.endAt, JsMode::ClassBody, typeCommentOff, 1);
    cls->tsStaticStart += "Ts._static(" + cls->miniName + ",'" + d.name->text + "',function(){return " + init +
                          "});\n";
  } else {
    printRange(this, text, owner, d.assignAt, d.endAt, JsMode::ClassBody, typeCommentOff, 2);
  }
}

// Locals: "var a=1,n=0;" ("let" in TypeScript), or in a function rewritten
// for awaited calls only the assignments, its names being declared at the
// top of that function.
void TokenVar::printLocals(std::string& out, Parse* owner, TokenFunction* fn, const Declarators& list, int mode,
                           int typeCommentOff) {
  Token* following = parent ? parent->getNextToken(this, 1) : nullptr;
  const bool forInHead = following && following->type == In;
  if (asyncDecl && forInHead) {
    printAsyncLoopVariable(out, owner, mode, typeCommentOff);
    return;
  }
  if (asyncDecl) {
    printAsyncAssignments(out, owner, mode, typeCommentOff);
    return;
  }
  printVarStatement(out, owner, fn, list, forInHead, mode, typeCommentOff);
  if (__ISDEBUG__ && parent && parent->type == Block && !isBracelessBody(this)) printDebugTypeChecks(out, owner, list);
}

// for (var k in o) in a function rewritten for awaited calls keeps its loop
// variable: k is declared at the top of the rewritten function ("for (k in
// o)"), the key variable of a for each is the loop's own ("for (var $each_1
// in o)").
void TokenVar::printAsyncLoopVariable(std::string& out, Parse* owner, int mode, int typeCommentOff) {
  Token* first = nullptr;
  for (Token* c : childs)
    if (c && !first) first = c;
  std::string text = first && startsWith(first->text.str(), "$each_") ? (__ISTOTS ? "let " : "var ") : "";
  printRange(this, text, owner, 0, static_cast<int>(childs.size()), mode, typeCommentOff, 1);
  out += text;
}

// var a:int = 1, b; in a function rewritten for awaited calls prints "a=1;":
// a name standing alone between separators is left out, everything else
// (the assignments) is printed as written.
void TokenVar::printAsyncAssignments(std::string& out, Parse* owner, int mode, int typeCommentOff) {
  std::string text;
  const int count = static_cast<int>(childs.size());
  int from = 0;
  bool printedAny = false;
  while (from < count) {
    int to = from;
    while (to < count && !(childs[to] && (childs[to]->type == Comma || childs[to]->type == Semicolon))) ++to;
    int filled = 0;
    Token* only = nullptr;
    for (int i = from; i < to; ++i)
      if (childs[i]) {
        ++filled;
        only = childs[i];
      }
    bool loneName = filled == 1 && isNameToken(only);
    if (filled > 0 && !loneName) {
      if (printedAny) text += ",";
      printRange(this, text, owner, from, to, mode, typeCommentOff, printedAny ? 0 : 1);
      printedAny = true;
    }
    if (to < count && childs[to]->type == Semicolon) text += ";";
    from = to + 1;
  }
  out += text;
}

// "var a=1,n=0,s;": every declarator without initialiser takes its type
// default, except the key variable of a for each, the loop variable of a
// for-in head and any in a function that sets no default values; TypeScript
// writes "let" and the types ("let a:number=1"), not inside a ( ) group.
void TokenVar::printVarStatement(std::string& out, Parse* owner, TokenFunction* fn, const Declarators& list,
                                 bool forInHead, int mode, int typeCommentOff) {
  const bool ts = __ISTOTS;
  const bool inGroup = parent && parent->type == Paren;
  const bool noDefaults = fn ? fn->noDefaultValues != 0 : noDefaultValues != 0;
  out += ts ? "let " : "var ";
  for (int i = 0; i < static_cast<int>(childs.size()); ++i) {
    Token* child = childs[i];
    if (!child) continue;
    appendText(out, child->leadingText.str());
    child->addTypeDeclarationClassUse();
    if (!child->outputEnabled) continue;
    int consumed = child->toJsScript(out, owner, mode, typeCommentOff);
    for (const Declarator& d : list) {
      if (d.name != child) continue;
      if (ts && !inGroup) out += toTsVarType(child);
      bool lastDeclarator = &d == &list.back() && !d.separator;
      if (d.assignAt < 0 && !noDefaults && child->text.compare(0, 6, "$each_") != 0 &&
          !(lastDeclarator && forInHead))
        out += typeDefault(child->toTypeDeclaration(owner), DefaultFor::Local);
    }
    if (consumed > 0) i += consumed;
  }
}

// Whether the declaration is the brace-less body of if, else, while, for or
// do (if (c) var n:int = 1; else n = 2;): a check written after it would be
// a statement of its own between the body and the else, and take the else.
bool TokenVar::isBracelessBody(Token* declaration) {
  auto before = [](Token* token) -> Token* {
    for (int at = token->index - 1; at >= 0; --at)
      if (Token* t = token->parent->childs[static_cast<size_t>(at)]) return t;
    return nullptr;
  };
  Token* prev = siblingOf(declaration, 0) == declaration ? before(declaration) : nullptr;
  if (!prev) return false;
  if (prev->text == "else" || prev->text == "do") return true;
  if (prev->type != Paren) return false;
  Token* head = before(prev);
  if (head && head->text == "each") head = before(head);
  return head && (head->text == "if" || head->type == While || head->type == For);
}

// Debug builds check the value of every typed local with an initialiser:
// "if(!__DEBUGTYPE__(a,'int')) debugger;".
void TokenVar::printDebugTypeChecks(std::string& out, Parse* owner, const Declarators& list) {
  for (const Declarator& d : list) {
    if (d.assignAt < 0) continue;
    std::string type = d.name->toTypeDeclaration(owner);
    if (type == "int" || type == "uint" || type == "Number" || type == "String" || type == "Boolean")
      out += "\nif(!__DEBUGTYPE__(" + d.name->text + ",'" + type + "')) debugger;";
  }
}
