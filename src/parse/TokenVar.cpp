// var and const declarations.
//
// Pretreatment gathers the whole declaration (names, initialisers, up to the
// closing ';') into the token, registers every declared name in its scope and
// takes instance members out of the class body. Output prints one of four
// forms: instance members as constructor lines ("this.x=0;"), statics as the
// class output's static items, locals as "var", and package-level variables
// as end-of-script assignments on the package object.
#include <string>
#include <vector>

#include "CompilerOptions.h"
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

namespace {

using namespace TokenTypeCode;

// One declarator of the declaration: its name, its "=" (if any) and the "," or
// ";" that ends it (the end of the list when there is none).
struct Declarator {
  Token* name = nullptr;
  int nameAt = -1;
  int assignAt = -1;
  int endAt = 0;
  Token* separator = nullptr;
};

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

std::vector<Declarator> declaratorsOf(Token* var) {
  std::vector<Declarator> list;
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
        list.push_back(current);
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
    list.push_back(current);
  }
  return list;
}

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
  for (int i = from; i >= 0 && i < to && i < static_cast<int>(var->childs.size()); ++i) {
    Token* child = var->childs[i];
    if (!child) continue;
    if (dropLeading > 0)
      --dropLeading;
    else
      out += child->leadingText;
    child->addTypeDeclarationClassUse();
    if (!child->outputEnabled) continue;
    int consumed = child->toJsScript(out, file, mode, typeCommentOff);
    if (consumed > 0) i += consumed;
  }
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

// The text of a declarator's type default: "=0" for int and uint, "=false"
// for Boolean, "=NaN" for Number, "" for every other type.
std::string valueDefault(const std::string& type) {
  if (type == "int" || type == "uint") return "=0";
  if (type == "Boolean") return "=false";
  if (type == "Number") return "=NaN";
  return std::string();
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

// The embed token of a declaration (only ever a TokenEmbed, see pretreatment).
TokenEmbed* embedOf(Token* token) { return static_cast<TokenEmbed*>(token); }

}  // namespace

// var a:int = 1, b; is gathered into the var token, the names typed 56 and
// registered (class members, function locals or package names); instance
// members leave the class body, whose output prints them in the constructor.
int TokenVar::pretreatment(Parse* parseFile) {
  // Gathered already: it moved over its tokens (see below).
  if (gapMark) return 0;
  int stepOver = 0;
  Parse* owner = parseFile ? parseFile : file.get();
  TokenPackage* pkg = owner ? owner->package : nullptr;
  currentClass = pkg ? pkg->workingClass : nullptr;
  classMember = isClassMember() ? 1 : 0;
  TokenClass* cls = classMember ? dynamic_cast<TokenClass*>(parent->parent) : getTokenClass();

  TokenFunction* fn = getTokenFunction();
  TokenVarMap* locals = getVarMap();
  if (fn && fn->asyncStateMark) {
    // A continuation function of the async rewriting: the names belong to the
    // function it was cut out of, which declares them at its top.
    asyncDecl = 1;
    TokenFunction* outer = fn->parent ? fn->parent->getTokenFunction() : nullptr;
    if (outer) locals = outer->getVarMap();
  }

  if (parent) {
    // [Embed(...)] in front of the declaration (the lexer may have put a ';'
    // between them). A cast ("as", code 55 as well) has no children and is
    // never taken for a tag.
    for (int back = 1; back <= 2 && !embedToken; ++back) {
      Token* tag = parent->getNextToken(this, -back);
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

    // Gather the declaration up to and including its ';'. Each gathered
    // token leaves the parent's list right after this token; they leave it
    // together (`pending` of them at a time) rather than one erase each,
    // since a class body may hold hundreds of tokens after a declaration.
    // Before an "in" is pretreated the list is brought up to date, as that
    // pass looks at its neighbours.
    int pending = 0;
    auto leaveList = [&] {
      if (pending > 0) eraseRange(parent, index + 1, pending);
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
        if (after->type == Function) {
          // A class member and a declaration outside any class and function
          // (printed on the package object, away from this place) take an
          // anonymous function value with them.
          const bool keepsValue = classMember || (!cls && !fn) || declarationGoesOnAfter(parent, at + 1);
          if (!(current->type == Assign && keepsValue)) stop = true;
        } else if (after->type == Var || after->type == StatementWord || after->type == For || after->type == In) {
          // `delete` as a value (var gone:Boolean = delete o.k, n:int = 1;)
          // belongs to the declaration; as a statement of its own it does not.
          const bool valueExpected = current->type == Assign || current->type == Operator ||
                                     current->type == Question || current->type == Colon;
          if (!(after->text == "delete" && valueExpected)) stop = true;
        }
      }
      if (eraseNow)
        parent->eraseChild(at);
      else
        ++pending;
      push(current);
      if (stop) break;
    }
    if (pending > 0) {
      // The declaration does not move the rest of its list down (a function
      // or class of 100,000 declarations would move it 100,000 times): it
      // takes the slot of its last gathered token and leaves nulls in front
      // of itself, which the child loop steps over (the skip count) and
      // takes out in one pass when the list is done (closeVarGaps).
      TokenList& list = parent->childs;
      const int from = index;
      for (int k = from; k < from + pending; ++k) list[static_cast<size_t>(k)] = nullptr;
      list[static_cast<size_t>(from + pending)] = this;
      index = from + pending;
      gapBefore = static_cast<uint32_t>(pending);
      gapMark = 1;
      parent->varGaps = 1;
      _varGapOwners_()[parent].push_back(this);
      stepOver = pending;
      pending = 0;
    }
  }

  // A local `var f = function () {...}`: the function stays a sibling; it
  // learns the name it is assigned to.
  if (parent && !childs.empty() && childs.back() && childs.back()->type == Assign) {
    Token* next = parent->getNextToken(this, 1);
    std::vector<Declarator> list = declaratorsOf(this);
    auto* fn = dynamic_cast<TokenFunction*>(next);
    if (fn && !list.empty() && list.back().name) fn->assignedVarName = list.back().name->text;
  }
  for (size_t i = 1; i < childs.size(); ++i) {
    auto* fnToken = dynamic_cast<TokenFunction*>(childs[i]);
    if (fnToken && childs[i - 1] && childs[i - 1]->type == Assign) {
      std::vector<Declarator> list = declaratorsOf(this);
      for (const Declarator& d : list)
        if (d.assignAt == static_cast<int>(i) - 1 && d.name) fnToken->assignedVarName = d.name->text;
    }
  }

  // Class members: statics stay in the body (the class output prints them as
  // static items), instance variables leave it.
  if (classMember && cls) {
    if (isStatic()) {
      cls->staticVars.push_back(this);
    } else {
      cls->vars.push_back(this);
      if (parent) parent->clearNextToken(this, 0);
    }
  }

  // Constants: a static declarator whose initialiser is one number or quoted
  // literal is recorded, so that its uses print the literal.
  if (type == Const || (flags & TokenModifierFlags::Inline)) {
    const bool isConst = type == Const;
    for (const Declarator& d : declaratorsOf(this)) {
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

  childsPretreatment(owner, childs);

  // Register the declared names.
  for (const Declarator& d : declaratorsOf(this)) {
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
      name->text = jsLocalName(name->text);
    } else if (cls) {
      // In a block among the class body's statements.
      cls->bodyLocals[name->text] = name;
      name->text = jsLocalName(name->text);
    } else if (!cls && pkg) {
      TokenPackage* known = TokenPackage::GetPakageMap().get(pkg->qualifyingName, nullptr);
      if (known) {
        name->flags = flags;
        known->packageMembers[name->text] = name;
      }
    }
  }
  return stepOver;
}

int TokenVar::toJsScript(std::string& out, Parse* parseFile, int mode, int typeCommentOff) {
  if (outputDisabled) return 0;
  Parse* owner = parseFile ? parseFile : file.get();
  std::vector<Declarator> list = declaratorsOf(this);
  for (const Declarator& d : list) {
    d.name->addTypeDeclarationClassUse();
    if (asyncDecl) d.name->hoistMark = 1;
  }
  // The class body the declaration stood in (a malformed source may have
  // moved it elsewhere since), else the enclosing class.
  TokenClass* cls = isClassMember() ? dynamic_cast<TokenClass*>(parent->parent) : getTokenClass();
  TokenFunction* fn = getTokenFunction();

  // Outside any class and function: an assignment on the package object,
  // added to the end text of the file's script.
  if (!cls && !fn) {
    if (!owner || !owner->package) return 0;
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
    return 0;
  }

  // Instance members, two constructor passes: literal values and defaults
  // before the implicit base constructor call, everything else after it.
  if (classMember && cls && (mode == JsMode::ConstructorVars || mode == JsMode::TsConstructorVars || mode == JsMode::Member || mode == JsMode::TsMember)) {
    const bool firstPass = mode == JsMode::ConstructorVars || mode == JsMode::TsConstructorVars;
    const bool ts = mode == JsMode::TsConstructorVars || mode == JsMode::TsMember;
    for (const Declarator& d : list) {
      Token* name = d.name;
      if (firstPass && (flags & TokenModifierFlags::NoEnumeration)) cls->noEnumMembers[name->text] = name;
      std::string type = name->toTypeDeclaration(owner);
      if (d.assignAt < 0) {
        if (!firstPass || type == "?") continue;
        std::string value;
        if (embedToken) {
          std::string unused;
          value = embedOf(embedToken)->getJsScript(name->text, unused, owner, 0, 0);
        }
        std::string line = "\n" + name->leadingText;
        if (cls->noDefaultValues) line += "//";
        if (ts) {
          line += _DEBUF_(" /*var231*/") + name->getSelfValue() + toTsVarType(name);
          if (!value.empty())
            line += "=" + value + ";";
          else if (type == "int" || type == "uint")
            line += "=0;";
          else if (type == "Boolean")
            line += "=false;";
          else
            line += ";";
        } else {
          line += _DEBUF_(value.empty() ? " /*var1-10*/" : " /*var230*/") + "this." + name->getSelfValue();
          if (!value.empty())
            line += "=" + value + ";";
          else if (type == "int" || type == "uint")
            line += "=0;";
          else if (type == "Boolean")
            line += "=false;";
          else if (type == "Number")
            line += "=NaN;";
          else
            line += "=null;";
        }
        out += line;
        continue;
      }
      Token* value = firstIn(this, d.assignAt + 1, d.endAt);
      // Only a literal standing alone is settled before the base constructor
      // runs; `"L" + count` or `2 * size` read other members and wait for
      // the second pass, in declaration order with the rest.
      int tokens = 0;
      for (int i = d.assignAt + 1; i >= 0 && i < d.endAt && i < static_cast<int>(childs.size()); ++i)
        if (childs[i]) ++tokens;
      const bool alone = tokens == 1;
      bool constant = alone && (isQuoted(value) || value->text == "true" || value->text == "false" ||
                                value->text == "null" || xstringmthod::IsAllDigit(value->text.c_str()) != 0);
      if (constant != firstPass) continue;
      out += "\n" + name->leadingText + _DEBUF_(" /*var4*/");
      if (ts)  // TypeScript wants the access modifier in front of "readonly"
        out += getPriveOrProtect(name, "") + getConstStr(name) + name->getSelfValue() + toTsVarType(name);
      else
        out += "this." + name->getSelfValue();
      printRange(this, out, owner, d.assignAt, d.endAt, 2, typeCommentOff, 2);
      out += ";";
    }
    return 0;
  }

  // Statics: one item per declarator, each led by the byte 0x03, that the
  // class output turns into its static definitions.
  if (classMember && cls && (mode == JsMode::ClassBody || mode == JsMode::TsClassBody)) {
    const bool ts = mode == JsMode::TsClassBody;
    std::string text;
    for (const Declarator& d : list) {
      Token* name = d.name;
      std::string type = name->toTypeDeclaration(owner);
      text += "\n" + name->leadingText;
      if (ts) {
        text += _DEBUF_(" /*vars1*/") + getConstStr(name) + getPriveOrProtect(name, "") + "static ";
      } else {
        text += embedToken ? "\x03\"" + name->text + "\"," : "\x03'" + name->text + "',";
        text += _DEBUF_(embedToken ? " /*var-21*/" : (d.assignAt < 0 ? " /*var20*/" : " /*var201*/"));
        text += "this.";
      }
      int consumed = name->toJsScript(text, owner, JsMode::ClassBody, typeCommentOff);
      (void)consumed;
      if (ts) text += toTsVarType(name);

      if (d.assignAt < 0) {
        std::string value;
        if (embedToken) {
          std::string unused;
          value = embedOf(embedToken)->getJsScript(name->text, unused, owner, 0, 0);
        }
        if (!value.empty())
          text += "=" + value;
        else if (type == "Number")
          text += "=NaN";
        else if (type == "int" || type == "uint")
          text += "=0";
        else if (type == "Boolean")
          text += "=false";
        else if (type != "?")
          text += "=null";
        text += ";";
        continue;
      }

      // A static typed with a class of the project: that class must be
      // defined before this one.
      if (!type.empty() && type != "*" && !inWordList(__sytemtype__, type) && name->typeToken &&
          name->typeToken->type == Word) {
        std::string printed;
        name->typeToken->toJsScript(printed, owner, JsMode::ClassBody, typeCommentOff);
        size_t close = printed.find("*/");
        size_t open = printed.find("/*");
        if (open != std::string::npos && close != std::string::npos && open < close &&
            printed.find_first_not_of(' ') == open)
          printed = printed.substr(close + 2);
        size_t b = printed.find_first_not_of(" \t\r\n");
        size_t e = printed.find_last_not_of(" \t\r\n");
        printed = b == std::string::npos ? std::string() : printed.substr(b, e - b + 1);
        TokenClass* used = TokenClass::GetTokenClass(printed);
        std::string pkgName = packageNameOf(owner);
        if (!used && !pkgName.empty()) used = TokenClass::GetTokenClass(pkgName + "." + printed);
        if (used && used != cls && used->orderKey <= cls->orderKey) used->orderKey = cls->orderKey + 1;
      }

      Token* assign = childs[d.assignAt];
      Token* value = firstIn(this, d.assignAt + 1, d.endAt);
      bool lazy = false;
      if (ts && value && !assign->safeMark) {
        bool emptyGroup = false;
        if (value->type == Bracket || value->type == Block) {
          emptyGroup = true;
          for (Token* child : value->childs)
            if (child) emptyGroup = false;
        }
        lazy = value->type != Function && value->type != Number && value->type != Literal &&
               value->text != "false" && value->text != "true" && value->text != "null" && value->text != "NaN" &&
               value->text != "undefine" && !emptyGroup;
      }
      if (lazy) {
        // TypeScript: the value is computed on first use.
        std::string init;
        printRange(this, init, owner, value->index, d.endAt, 2, typeCommentOff, 1);
        cls->tsStaticStart += "Ts._static(" + cls->miniName + ",'" + name->text + "',function(){return " + init +
                              "});\n";
      } else {
        printRange(this, text, owner, d.assignAt, d.endAt, 2, typeCommentOff, 2);
      }
      text += ";";
    }
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, ";;") == 0) text.pop_back();
    out += text;
    return 0;
  }

  // Locals.
  const bool ts = __ISTOTS;
  const bool inGroup = parent && parent->type == Paren;
  const bool noDefaults = fn ? fn->noDefaultValues != 0 : noDefaultValues != 0;
  Token* following = parent ? parent->getNextToken(this, 1) : nullptr;
  const bool forInHead = following && following->type == In;

  if (asyncDecl && forInHead) {
    // for (var k in o) keeps its loop variable: k is declared at the top of
    // the rewritten function, the key variable of a for each is the loop's own.
    Token* first = nullptr;
    for (Token* c : childs)
      if (c && !first) first = c;
    std::string text = first && first->text.rfind("$each_", 0) == 0 ? (ts ? "let " : "var ") : "";
    printRange(this, text, owner, 0, static_cast<int>(childs.size()), mode, typeCommentOff, 1);
    out += text;
    return 0;
  }
  if (asyncDecl) {
    // The names are declared at the top of the rewritten function: a name
    // standing alone between separators is left out, everything else (the
    // assignments) is printed as written.
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
    return 0;
  }

  out += ts ? "let " : "var ";
  for (int i = 0; i < static_cast<int>(childs.size()); ++i) {
    Token* child = childs[i];
    if (!child) continue;
    out += child->leadingText;
    child->addTypeDeclarationClassUse();
    if (!child->outputEnabled) continue;
    int consumed = child->toJsScript(out, owner, mode, typeCommentOff);
    for (const Declarator& d : list) {
      if (d.name != child) continue;
      if (ts && !inGroup) out += toTsVarType(child);
      bool lastDeclarator = &d == &list.back() && !d.separator;
      if (d.assignAt < 0 && !noDefaults && child->text.compare(0, 6, "$each_") != 0 &&
          !(lastDeclarator && forInHead))
        out += valueDefault(child->toTypeDeclaration(owner));
    }
    if (consumed > 0) i += consumed;
  }

  if (__ISDEBUG__ && parent && parent->type == Block) {
    for (const Declarator& d : list) {
      if (d.assignAt < 0) continue;
      std::string type = d.name->toTypeDeclaration(owner);
      if (type == "int" || type == "uint" || type == "Number" || type == "String" || type == "Boolean")
        out += "\nif(!__DEBUGTYPE__(" + d.name->text + ",'" + type + "')) debugger;";
    }
  }
  return 0;
}
