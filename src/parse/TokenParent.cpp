// The ( ) group: call arguments, parenthesised expressions, conditions and
// function parameter lists.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "CompilerOptions.h"
#include "TokenClass.h"
#include "TokenFunction.h"
#include "TokenInterface.h"
#include "TokenOther.h"
#include "TokenPackage.h"
#include "message.h"
#include "parse.h"
#include "xstringmethod.h"

namespace {

// Pretreats the children in order, adding skip counts; a child whose skip
// count would step before the list start gets the error "err " when `mark`.
void pretreatChilds(Token* group, Parse* file, bool mark) {
  for (long i = 0; i < static_cast<long>(group->childs.size()); ++i) {
    i = static_cast<long>(group->pretreatPlainLeaves(file, group->childs, static_cast<size_t>(i)));
    if (i >= static_cast<long>(group->childs.size())) break;
    Token* c = group->childs[static_cast<size_t>(i)];
    i += c->pretreatment(file);
    if (i < 0) {
      if (mark) c->setPendingError("err ");
      i = -1;
    }
  }
  group->closeVarGaps();
}

}  // namespace

// Conditions and arguments are pretreated in place. A parameter list
// (function f(a:int = 1, ...rest)) tells its function the default values, the
// rest parameter and the count of fixed parameters.
int TokenParent::pretreatment(Parse* file) {
  if (file && file->package) currentClass = file->package->workingClass;
  if (!parent || parent->type != TokenTypeCode::Function) {
    pretreatChilds(this, file, true);
    return 0;
  }
  pretreatChilds(this, file, false);
  auto* function = static_cast<TokenFunction*>(parent);

  Token* last = nullptr;
  bool any = false;
  int commas = 0;
  for (size_t i = 0; i < childs.size(); ++i) {
    Token* c = childs[i];
    if (!c) continue;
    any = true;
    last = c;
    if (c->type == TokenTypeCode::Comma) {
      ++commas;
    } else if (c->type == TokenTypeCode::Assign) {
      Token* before = i > 0 ? childs[i - 1] : nullptr;
      Token* value = i + 1 < childs.size() ? childs[i + 1] : nullptr;
      if (!before || !value || value->text == "null") continue;
      auto* entry = new TokenFunctionDefaultValue();
      entry->name = before->text;
      for (size_t k = i + 1; k < childs.size(); ++k) {
        Token* v = childs[k];
        if (v && v->type == TokenTypeCode::Comma) break;
        if (v) entry->valueTokens.push_back(v);
      }
      function->defaultValues.push_back(entry);
    }
  }

  if (last && last->text.size() > 2 && startsWith(last->text.str(), "...")) {
    // ...rest: JavaScript reads the extra arguments from `arguments`.
    function->restType = last->typeToken() ? last->typeToken()->text : "";
    std::string rest = last->text;
    if (!__ISTOTS) {
      if (rest == "...") rest.clear();
      if (rest == "...arguments") rest = "...__";
    }
    function->restParam = rest;
    std::string bare = rest.size() >= 3 ? rest.substr(3) : "";
    if (!bare.empty()) function->locals[bare] = last;
    if (!__ISTOTS) last->text = "__" + bare;
    function->fixedParamCount = commas;
  } else {
    function->fixedParamCount = any ? commas + 1 : 0;
  }
  return 0;
}

TokenClass* classOfTypeText(const std::string& type, TokenPackage* package) {
  if (type.empty()) return nullptr;
  if (TokenClass* cls = TokenClass::GetTokenClass(type)) return cls;
  if (!package || type.find('.') != std::string::npos) return nullptr;
  if (package->importMap.has(type))
    if (TokenClass* cls = TokenClass::GetTokenClass(package->importMap.get(type))) return cls;
  if (!package->text.empty())
    if (TokenClass* cls = TokenClass::GetTokenClass(package->text + "." + type)) return cls;
  return package->privateClasses.get(type, nullptr);
}

namespace {

// list.(@id == 3) and list.(@id != 3): the filters written as
// getChildByAttribute.
bool isAttributeFilter(Token* group) {
  const auto& c = group->childs;
  return c.size() >= 3 && c[0] && c[1] && c[2] && c[0]->text.size() > 1 && c[0]->text[0] == '@' &&
         c[1]->type == TokenTypeCode::Operator && (c[1]->text == "==" || c[1]->text == "!=");
}

// A ( ) group right after a word that ends in '.' (list.(...)), or after a
// lone '.' that follows a call or another filter (f().(...), which the lexer
// reads as the start of a number), is an E4X filter; those not written as
// getChildByAttribute are not translated.
bool isUntranslatedFilter(Token* group, Token* before) {
  return group->type == TokenTypeCode::Paren && before &&
         (before->type == TokenTypeCode::Word || before->text == ".") && !before->text.empty() &&
         before->text.back() == '.' && !isAttributeFilter(group);
}

}  // namespace

// A parameter list: the parameters as written; a default value is left out
// here and assigned at the top of the body instead (TypeScript keeps it).
void TokenParent::printParameters(std::string& g, Parse* file, int typeCommentOff) {
  for (size_t i = 0; i < childs.size(); ++i) {
    Token* c = childs[i];
    if (!c) continue;
    c->addTypeDeclarationClassUse();
    if (c->type == TokenTypeCode::Assign && !__ISTOTS) {
      // The default value is assigned at the top of the body instead.
      while (i + 1 < childs.size() && !(childs[i + 1] && childs[i + 1]->type == TokenTypeCode::Comma)) ++i;
      continue;
    }
    g += c->leadingText;
    if (!c->outputEnabled) continue;
    int n = c->toJsScript(g, file, JsMode::Plain, typeCommentOff);
    if (n > 0) i += static_cast<size_t>(n);
  }
}

// list.(@id == 3) and list.(@id != 3): the word in front prints "list." and
// the group the call getChildByAttribute('id',3) (with ",false" for !=).
void TokenParent::printAttributeFilter(std::string& out, Parse* file, int typeCommentOff) {
  Token* value = childs[2];
  std::string closer = childs[1]->text == "==" ? ")" : ",false)";
  out += "getChildByAttribute('" + childs[0]->text.substr(1) + "',";
  std::string v;
  value->toJsScript(v, file, JsMode::Plain, typeCommentOff);
  if (value->type != TokenTypeCode::Number && value->type != TokenTypeCode::Literal && startsWith(v, "/*no*/this.")) {
    v = !value->text.empty() && (value->text[0] == '\'' || value->text[0] == '"') ? value->text.str()
                                                                                   : "'" + value->text + "'";
  }
  out += v;
  const ChildRange rest{.from = 3, .skipsDisabled = false, .keepsTokensApart = false};
  _childRangeToJs_(out, file, childs, rest, JsMode::Plain, typeCommentOff);
  if (typeCommentOff != kBareGroup) out += closer;
}

// With the library on, a method read as a value is bound to its object, as
// a method closure is in ActionScript: this.onX, or onX alone when it names a
// method of the instance (a local or parameter of that name prints without
// "this." and stays unbound), becomes __bind(this,this.onX), or
// __bind(_$this,_$this.onX) inside a closure; enemy.die, where enemy is typed
// as a class that has the method die, becomes __bind(enemy,enemy.die), and
// so does list.push where list is typed Array.
// `printed` is the word's own output; false (nothing appended) when the word
// names no such method.
bool Token::bindMethodValue(std::string& out, const std::string& printed, TokenClass* cls, Parse* file) {
  const std::string name = text.str();
  return bindOwnMethod(out, printed, cls, name) || bindObjectMethod(out, printed, file, name) ||
         bindBuiltInMethod(out, printed, name);
}

bool Token::bindCalledMethod(std::string& out, const std::string& printed, TokenClass* cls, Parse* file) {
  const std::string name = text.str();
  for (const char* ending : {".call", ".apply"}) {
    const size_t n = std::strlen(ending);
    if (name.size() <= n || printed.size() <= n || name.compare(name.size() - n, n, ending) != 0 ||
        printed.compare(printed.size() - n, n, ending) != 0)
      continue;
    const std::string head = name.substr(0, name.size() - n);
    const std::string printedHead = printed.substr(0, printed.size() - n);
    std::string bound;
    if (!bindOwnMethod(bound, printedHead, cls, head) && !bindObjectMethod(bound, printedHead, file, head) &&
        !bindBuiltInMethod(bound, printedHead, head))
      return false;
    out += bound + ending;
    return true;
  }
  return false;
}

// The methods of Array, Vector and String that an object of that type has
// as a method closure; a typed Array may also hold a function under any
// other name, which keeps the object its call names.
static bool isBuiltInMethod(const std::string& type, const std::string& method) {
  static const char* const listMethods[] = {
      "concat", "every", "filter", "forEach", "indexOf", "insertAt", "join", "lastIndexOf",
      "map", "pop", "push", "removeAt", "reverse", "shift", "slice", "some",
      "sort", "sortOn", "splice", "toLocaleString", "toString", "unshift"};
  static const char* const stringMethods[] = {
      "charAt", "charCodeAt", "concat", "indexOf", "lastIndexOf", "localeCompare", "match",
      "replace", "search", "slice", "split", "substr", "substring", "toLocaleLowerCase",
      "toLocaleUpperCase", "toLowerCase", "toString", "toUpperCase", "valueOf"};
  const bool vector = startsWith(type, "Vector.<") || startsWith(type, "__AS3__.vec.Vector.<");
  if (type == "Array" || vector) {
    if (vector && method == "sortOn") return false;
    return std::find(std::begin(listMethods), std::end(listMethods), method) != std::end(listMethods);
  }
  if (type == "String")
    return std::find(std::begin(stringMethods), std::end(stringMethods), method) != std::end(stringMethods);
  return false;
}

bool Token::bindBuiltInMethod(std::string& out, const std::string& printed, const std::string& name) {
  const std::string path = startsWith(name, "this.") ? name.substr(5) : name;
  const size_t last = path.rfind('.');
  if (type != TokenTypeCode::Word || last == std::string::npos || printed.rfind('.') == std::string::npos)
    return false;
  // The name first: most words passed on name no such method.
  const std::string method = path.substr(last + 1);
  if (!isBuiltInMethod("Array", method) && !isBuiltInMethod("String", method)) return false;
  // The fields after the head are walked from the head's type; a method or
  // accessor on the way ends the walk (binding would call it a second time).
  const std::string fields = path.substr(0, last);
  DeclaredType from{resolvedTypeText().str(), file ? file->package : nullptr};
  const size_t head = fields.find('.');
  std::string_view steps = head == std::string::npos ? std::string_view() : std::string_view(fields).substr(head + 1);
  TokenClass* cls = currentClass ? currentClass : getTokenClass();
  if (from.text.empty() && cls && printed.find("this.") != std::string::npos) {
    // A field that the class inherits has no type recorded: its fields are
    // walked from the class itself.
    from.text = cls->fullName;
    steps = fields;
  }
  if (!isBuiltInMethod(typeAlongPath(std::move(from), nullptr, steps, PathWalk::Fields).text, method)) return false;
  const std::string object = printed.substr(0, printed.rfind('.'));
  out += _DEBUF_("/*bind built-in method*/") + "__bind(" + object + "," + printed + ")";
  return true;
}

bool Token::bindOwnMethod(std::string& out, const std::string& printed, TokenClass* cls, const std::string& name) {
  const bool bareName = type == TokenTypeCode::Word && name.find('.') == std::string::npos;
  if (!cls || !(startsWith(name, "this.") || bareName) || printed.find("this.") == std::string::npos)
    return false;
  std::string method = bareName ? name : name.substr(5);
  if (!isInSelFunction(method, cls)) return false;
  // A private method that the class renames because a base class has one of
  // the same name is bound under its renamed name, in closures too.
  Token* member = cls->members.get(method, nullptr);
  if (member) method = member->getSelfValue();
  if (isInlineFunction()) {
    // Inside a closure the method's object is the enclosing method's
    // `this`, kept in _$this; the use is counted so the method declares it.
    TokenFunction* inline_ = getTokenFunction();
    TokenFunction* owner = inline_ ? inline_->getClassTokenFunction() : nullptr;
    if (owner) {
      if (owner->closureThisCount < 255) ++owner->closureThisCount;
      out += _DEBUF_("/*bind in class2*/") + "__bind(_$this,_$this." + method + ")";
    } else {
      out += _DEBUF_("/*bind in class2*/") + "__bind(this,this." + method + ")";
    }
  } else if (member) {
    out += _DEBUF_("/*bind in class21*/") + "__bind(this,this." + method + ")";
  } else {
    out += _DEBUF_("/*bind in class2*/") + "__bind(this,this." + method + ")";
  }
  return true;
}

// Whether an interface, or an interface it extends, declares a plain method
// of that name ("function dispatchEvent(e:Event):Boolean;"). Outside
// TypeScript output the members of an interface are not pretreated: its
// body block holds the raw tokens, each "function" followed by its name
// word, or by "get" or "set" and the name of an accessor.
static bool interfaceDeclaresMethod(TokenClass* owner, const std::string& method, int depth = 0) {
  auto* iface = dynamic_cast<TokenInterface*>(owner);
  if (!iface || !owner->isInterface || depth > 32) return false;
  for (Token* block : owner->childs) {
    if (!block || block->type != TokenTypeCode::Block) continue;
    const std::vector<Token*>& body = block->childs;
    for (size_t i = 0; i < body.size(); ++i) {
      auto* fn = dynamic_cast<TokenFunction*>(body[i]);
      if (!fn) continue;
      if (!fn->name.empty()) {
        if (fn->name == method && fn->accessorKind == AccessorKind::None) return true;
        continue;
      }
      Token* word = siblingOf(fn, 1);
      Token* next = word ? siblingOf(word, 1) : nullptr;
      if (!word || word->text != method.c_str()) continue;
      // "function get(...)" is a method named get; "function get x(...)"
      // the accessor x, whose name word is not `word`.
      if (next && next->type == TokenTypeCode::Paren) return true;
    }
    break;
  }
  Parse* file = iface->file.get();
  TokenPackage* package = file ? file->package : nullptr;
  std::vector<std::string> bases;
  xstringmthod::splitstr(iface->qualifiedBaseList(package), ',', bases);
  for (const std::string& base : bases)
    if (interfaceDeclaresMethod(classOfTypeText(base, package), method, depth + 1)) return true;
  return false;
}

bool Token::bindObjectMethod(std::string& out, const std::string& printed, Parse* file, const std::string& name) {
  const std::string path = startsWith(name, "this.") ? name.substr(5) : name;
  const size_t dots = std::count(path.begin(), path.end(), '.');
  if (type != TokenTypeCode::Word || dots == 0 || printed.rfind('.') == std::string::npos) return false;
  std::string method = path.substr(path.rfind('.') + 1);
  // enemy.die by the type of enemy; a longer name (game.hero.die,
  // World.current.hero.die), or a member read in a closure, by the declared
  // type of each step before the method.
  TokenClass* owner = nullptr;
  if (dots == 1 && !resolvedTypeText().empty())
    owner = classOfTypeText(resolvedTypeText(), file ? file->package : nullptr);
  if (!owner) owner = classOfDeclaredName(this, name.substr(0, name.rfind('.')), file);
  if (!owner || method.empty()) return false;
  // An object typed as an interface whose method it is binds the same way.
  if (!isInSelFunction(method, owner) && !interfaceDeclaresMethod(owner, method)) return false;
  const std::string object = printed.substr(0, printed.rfind('.'));
  out += _DEBUF_("/*bind obj method*/") + "__bind(" + object + "," + printed + ")";
  return true;
}

namespace {

// Whether reading the tokens twice changes nothing: no call, no ++ or --, no
// assignment, inside groups as well. A cast by a class's name, Unit(o), is no call.
bool readsWithoutEffects(Token* t, TokenPackage* package, int depth = 0) {
  if (!t) return true;
  if (depth > 16) return false;
  if (t->type == TokenTypeCode::Assign || t->type == TokenTypeCode::Function || t->type == TokenTypeCode::New)
    return false;
  if (t->type == TokenTypeCode::Operator) {
    const std::string op = t->text.str();
    if (op == "++" || op == "--") return false;
    if (op.size() >= 2 && op.back() == '=' && op != "==" && op != "!=" && op != "<=" && op != ">=" && op != "===" &&
        op != "!==")
      return false;
  }
  if (t->type == TokenTypeCode::Paren) {
    Token* head = siblingOf(t, -1);
    const bool call = head && (head->type == TokenTypeCode::Paren || head->type == TokenTypeCode::Bracket ||
                               (head->type == TokenTypeCode::Word && !classOfTypeText(head->text.str(), package)));
    if (call) return false;
  }
  for (Token* c : t->childs)
    if (!readsWithoutEffects(c, package, depth + 1)) return false;
  return true;
}

// The class of the value that a name beginning with '.' (".hit") is read on:
// an element of a Vector (units[i].hit, by the Vector's element type), a value
// cast in brackets ((o as Unit).hit) or by the class's name (Unit(o).hit);
// nullptr for anything else.
TokenClass* classBeforeDottedWord(Token* word, Parse* file) {
  TokenPackage* package = file ? file->package : nullptr;
  Token* before = siblingOf(word, -1);
  if (before && before->type == TokenTypeCode::Paren) {
    Token* cast = siblingOf(before, -1);
    if (cast && cast->type == TokenTypeCode::Word) return classOfTypeText(cast->text.str(), package);
    // After a call or an index the group is a call's arguments.
    if (cast && (cast->type == TokenTypeCode::Paren || cast->type == TokenTypeCode::Bracket)) return nullptr;
    const Token* last = nullptr;
    for (const Token* c : before->childs)
      if (c) last = c;
    if (!last || last->type != TokenTypeCode::As) return nullptr;
    const Token* right = static_cast<const TokenAs*>(last)->right;
    return right && right->type == TokenTypeCode::Word ? classOfTypeText(right->text.str(), package) : nullptr;
  }
  size_t depth = 0;
  for (; before && before->type == TokenTypeCode::Bracket; before = siblingOf(before, -1)) ++depth;
  return depth > 0 ? classOfDeclaredElement(before, depth, file) : nullptr;
}

}  // namespace

// units[i].onFrame, (o as Unit).hit or Unit(o).hit alone as an argument,
// with the library on: the method is bound to the element or the cast value
// (__bind(units[i],units[i].onFrame)) when reading that value twice does
// nothing else. `object` is the argument's text in front of the word; false
// (nothing appended) otherwise.
bool Token::bindElementMethod(std::string& out, const std::string& object, const std::string& printed,
                              Parse* file, size_t firstOfArgument) {
  std::string method = text.size() > 1 ? text.substr(1) : std::string();
  if (type != TokenTypeCode::Word || text[0] != '.' || method.empty() || method.find('.') != std::string::npos ||
      object.empty() || !parent)
    return false;
  TokenClass* owner = classBeforeDottedWord(this, file);
  if (!owner || (!isInSelFunction(method, owner) && !interfaceDeclaresMethod(owner, method)))
    return false;
  TokenPackage* package = file ? file->package : nullptr;
  for (size_t i = firstOfArgument; i < parent->childs.size() && parent->childs[i] != this; ++i)
    if (!readsWithoutEffects(parent->childs[i], package)) return false;
  out += _DEBUF_("/*bind element method*/") + "__bind(" + object + "," + object + printed + ")";
  return true;
}

// Whether the group after `before` holds the arguments of a call that may
// keep a method it is given: a call by name (not bind itself), or super(...),
// the base constructor (an ash system hands its node methods on this way).
static bool callKeepsArguments(const Token* before) {
  if (!before) return false;
  if (before->type == TokenTypeCode::Word) return before->text != "bind";
  return before->type == TokenTypeCode::Super && before->superCallMark;
}

// Call arguments and bracketed expressions. With the library on, a method
// passed on alone as an argument is bound to its object; a local of type
// Function is passed on as it stands.
void TokenParent::printArguments(std::string& g, Parse* file, int typeCommentOff, TokenClass* cls, Token* before) {
  bool binds = _ompilerOptions_.libraryAdded;
  std::string printed;  // each argument's text; its room serves the next one
  size_t argumentFrom = 0;  // the argument's first child
  size_t argumentAt = g.size();  // and where its text begins in g
  for (size_t i = 0; i < childs.size(); ++i) {
    Token* c = childs[i];
    if (!c) continue;
    if (c->type == TokenTypeCode::Comma) {
      argumentFrom = i + 1;
    } else if (i == argumentFrom) {
      argumentAt = g.size();
    }
    c->addTypeDeclarationClassUse();
    if (!c->outputEnabled) {
      g += c->leadingText;
      continue;
    }
    printed.clear();
    int n = c->toJsScript(printed, file, JsMode::Plain, typeCommentOff);
    if (n < 0) n = 0;
    size_t afterIndex = i + 1 + static_cast<size_t>(n);
    Token* after = afterIndex < childs.size() ? childs[afterIndex] : nullptr;
    bool alone = !after || after->type == TokenTypeCode::Comma;
    i += static_cast<size_t>(n);

    if (binds && alone) {
      // A method passed on to a call (not to bind itself) is bound.
      if (callKeepsArguments(before)) {
        std::string bound;
        if (c->bindMethodValue(bound, printed, cls, file)) {
          g += c->leadingText + bound;
          continue;
        }
        if (i > argumentFrom && argumentAt <= g.size()) {
          const size_t from = g.find_first_not_of(" \t\r\n", argumentAt);
          const std::string object = from == std::string::npos ? std::string() : g.substr(from);
          if (c->bindElementMethod(bound, object, printed, file, argumentFrom)) {
            g.resize(from);
            g += bound;
            continue;
          }
        }
      }
      Token* local = c->getTokenInVarMap(c->text.c_str());
      if (local && local->declaredVar && local->functionTyped) {
        // A local of type Function is passed on as it stands.
        g += _DEBUF_(isInlineFunction() ? "/*inline function*/" : "/*no bind var*/") + c->text;
        continue;
      }
    }
    appendText(g, c->leadingText.str());
    const size_t joint = g.size();
    g += printed;
    keepTokensApart(g, joint);
  }
}

// ( ... ) as a parameter list, an E4X filter or call arguments:
//   super(a)  ->  .call(this,a)        (a:int = 1, b)  ->  (a, b)   (the default is set in the body)
//   f(this.onX)  ->  f(__bind(this,this.onX))   (with the library)
int TokenParent::toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) {
  (void)mode;
  addTypeDeclarationClassUse();
  if (!outputEnabled) return 0;
  if (!pendingError().empty()) scriptErr(out, file, pendingError().c_str(), 1);

  TokenClass* cls = currentClass ? currentClass : getTokenClass();
  Token* before = siblingOf(this, -1);
  bool bare = typeCommentOff == kBareGroup && type == TokenTypeCode::Paren;
  bool superCall = before && before->superCallMark;
  // Call arguments (the common group) are written straight into `out`:
  // each argument prints into a text of its own first, so what stands
  // before the '(' is never read.
  if (!superCall && !bare && !(parent && parent->type == TokenTypeCode::Function) &&
      !isUntranslatedFilter(this, before) && !isAttributeFilter(this)) {
    const size_t start = out.size();
    out.push_back('(');
    printArguments(out, file, typeCommentOff, cls, before);
    if (out.size() == start + 1 && before && before->type == TokenTypeCode::Super) {
      out.resize(start);
    } else {
      out += trailingText();
      out.push_back(')');
    }
    return 0;
  }
  std::string g;
  if (superCall) {
    // super(...) in a class without a base calls nothing; super.m(...) there
    // is Object's method, called on this.
    if ((!cls || cls->superName.empty()) && before->type == TokenTypeCode::Super) return 0;
    if (__ISTOTS) {
      g = "(";
    } else {
      out += ".call";
      g = "(" + before->superThisSpelling() + ",";
    }
  } else if (!bare) {
    g = "(";
  }

  if (parent && parent->type == TokenTypeCode::Function) {
    printParameters(g, file, typeCommentOff);
  } else if (isUntranslatedFilter(this, before)) {
    // Any other E4X filter (list.(name() == "a")) has no JavaScript form: a
    // source error, and the list itself so that the script still parses.
    std::string unused;
    scriptErr(unused, file,
              "E4X filter not translated: only .(@attribute == value) and .(@attribute != value) are supported", 0);
    out += "valueOf()";
    return 0;
  } else if (isAttributeFilter(this)) {
    printAttributeFilter(out, file, typeCommentOff);
    return 0;
  } else {
    printArguments(g, file, typeCommentOff, cls, before);
  }

  if (superCall && !g.empty() && g.back() == ',') g.pop_back();
  if (g == "(" && before && before->type == TokenTypeCode::Super) {
    g.clear();
  } else if (!bare) {
    g += trailingText();
    g += ")";
  }
  out += g;
  return 0;
}
