// `new` with the runtime's forms of array and vector creation, and ':' (type
// annotations leave the tree, labels and object keys stay, own methods stored
// in object literals are bound to their instance).
#include <string>

#include "CompilerOptions.h"
#include "Token.h"
#include "TokenClass.h"
#include "TokenFunction.h"
#include "TokenOther.h"
#include "TokenPackage.h"
#include "WritingGuard.h"
#include "message.h"
#include "parse.h"
#include "xstringmethod.h"

namespace {

using namespace TokenTypeCode;

TokenClass* packageClass(Parse* file) {
  return file && file->package ? file->package->workingClass : nullptr;
}

int filledCount(Token* group) {
  int count = 0;
  for (Token* child : group->childs)
    if (child) ++count;
  return count;
}

// The element type of a Vector.<T> token: the text between its angle brackets.
std::string vectorElementType(Token* vector) {
  size_t open = vector->text.find('<');
  size_t close = vector->text.rfind('>');
  if (open == std::string::npos || close == std::string::npos || close <= open) return std::string();
  return vector->text.substr(open + 1, close - open - 1);
}

// Prints the children of a group up to its first "," (or all of them), the
// first one without its leading text.
std::string printUntilComma(Token* group, Parse* file, int typeCommentOff) {
  std::string out;
  const ChildRange beforeComma{.stopAt = [](const Token* t) { return t && t->type == TokenTypeCode::Comma; },
                               .dropLeadingTexts = 1,
                               .keepsTokensApart = false};
  Token::_childRangeToJs_(out, file, group->childs, beforeComma, JsMode::Plain, typeCommentOff);
  return out;
}

// Takes the blanks and '#' comments out of a pattern text, keeping escaped
// bytes and character classes whole.
constexpr const char* kWithoutLayout =
    R"(.replace(/\\[\s\S]|\[(?:\\[\s\S]|[^\]])*\]|#[^\n]*|\s+/g,function(m){return /^[\s#]/.test(m)?"":m;}))";

// The flags of new RegExp(p, "gx") when the last argument is a quoted text
// of flag letters that holds the flag x: the other letters, quoted; else "".
std::string flagsWithoutExtended(Token* group) {
  Token* flags = nullptr;
  Token* comma = nullptr;
  for (Token* child : group->childs)
    if (child) comma = flags, flags = child;
  if (!flags || flags->type != Literal || !comma || comma->type != Comma) return std::string();
  const std::string& text = flags->text;
  const size_t end = text.find_last_not_of(" \t\r\n");
  if (end == std::string::npos || end < 1 || (text[0] != '"' && text[0] != '\'') || text[end] != text[0])
    return std::string();
  const std::string letters = text.substr(1, end - 1);
  if (letters.find('x') == std::string::npos || letters.find_first_not_of("gimsx") != std::string::npos)
    return std::string();
  std::string kept;
  for (char c : letters)
    if (c != 'x') kept += c;
  return "\"" + kept + "\"";
}

}  // namespace

const char* TokenNew::vectorSlotValue(const std::string& elementType) {
  if (elementType == "int" || elementType == "uint" || elementType == "Number") return "0";
  return elementType == "Boolean" ? "false" : "null";
}

// RegExp(p, "gx") as a call builds a RegExp as new does, and JavaScript
// rejects its flag x the same way: both print the pattern without its
// layout and the flags without x,
//   RegExp(String(p).replace(...),"g")
// Returns false, printing nothing, for any other arguments.
bool TokenNew::regExpWithoutExtendedFlag(Token* group, Parse* file, int typeCommentOff, std::string& out) {
  const std::string flags = flagsWithoutExtended(group);
  if (flags.empty()) return false;
  const std::string pattern = printUntilComma(group, file, typeCommentOff);
  out += "RegExp(String(" + pattern + ")" + kWithoutLayout + "," + flags + ")";
  return true;
}

// new needs nothing rewritten before output: the class it stands in is
// noted, as for every token.
int TokenNew::pretreatment(Parse* parseFile) {
  currentClass = packageClass(parseFile ? parseFile : file.get());
  return 0;
}

// new Array()         ->  []              new Array(1,2)  ->  new Array(1,2)
// new Vector.<int>(n)  ->  __newvec(n,0)   new <int>[1,2]  ->  [1,2]
// Everything else prints "new " and leaves the rest to the next children.
int TokenNew::toJsScript(std::string& out, Parse* parseFile, int, int typeCommentOff) {
  Parse* owner = parseFile ? parseFile : file.get();
  const char* keyword = safeMark ? "new/*[SAFE]*/ " : "new ";
  Token* next = parent ? parent->getNextToken(this, 1) : nullptr;
  if (!next) {
    out += keyword;
    return 0;
  }
  Token* after = parent->getNextToken(this, 2);

  if (next->text == "<") {
    // new <T>[...]: "<", the type and ">" are dropped.
    const int count = static_cast<int>(parent->childs.size());
    for (int i = index + 1; i < count; ++i) {
      Token* sibling = parent->childs[i];
      if (sibling && sibling->text == ">") {
        if (!__ISRELEASE__) out += "/*new vector.<>*/";
        return i - index;
      }
    }
    next = nullptr;
    after = nullptr;
    for (int i = count - 1; i > index; --i)
      if (parent->childs[i]) {
        next = parent->childs[i];
        break;
      }
    if (!next) {
      out += keyword;
      return 0;
    }
  }

  if (next->text == "Array" && after && after->type == Paren) {
    if (filledCount(after) == 0) {
      out += "[]";
    } else {
      out += "new Array(";
      after->_childsToJs_(out, owner, JsMode::Plain, typeCommentOff, 0);
      out += ")";
    }
    return 2;
  }

  // new RegExp(p, "gx"): JavaScript has no flag x, under which blanks and
  // '#' comments of the pattern are layout; the pattern, known only when the
  // script runs, is made without them (escapes and character classes kept):
  //   new RegExp(p,"gx")  ->  new RegExp(String(p).replace(...),"g")
  if (next->text == "RegExp" && after && after->type == Paren) {
    std::string made;
    if (regExpWithoutExtendedFlag(after, owner, typeCommentOff, made)) {
      out += keyword + made;
      return 2;
    }
  }

  if (next->type == VectorType && after) {
    const int filled = after->type == Paren ? filledCount(after) : -1;
    if (filled > 0) {
      // The length (a number, a name or any expression), then the fill value
      // of the element type, so that new Vector.<int>(n) holds n zeros and
      // new Vector.<Boolean>(n) n times false; a second argument (the
      // fixed-length flag) is dropped.
      out += "__newvec(" + printUntilComma(after, owner, typeCommentOff) + "," +
             vectorSlotValue(vectorElementType(next)) + ")";
      return 2;
    }
    if (filled == 0 || after->type == Bracket) {
      out += "[]";
      return 2;
    }
  }

  out += keyword;
  return 0;
}

// ':' decides at pretreatment what it is: a type annotation (removed, the type
// given to the declared name or function), a label, an object key separator,
// or part of ?:, case and default.
//   var x:int = 1  ->  var x = 1 (x typed int)     outer: for  ->  a label
int TokenColon::pretreatment(Parse* parseFile) {
  Parse* owner = parseFile ? parseFile : file.get();
  currentClass = packageClass(owner);
  if (!parent || index < 0) return 0;
  TokenList& siblings = parent->childs;
  auto siblingAt = [&](int offset) -> Token* {
    const long at = static_cast<long>(index) + offset;
    return at >= 0 && at < static_cast<long>(siblings.size()) ? siblings[static_cast<size_t>(at)] : nullptr;
  };
  Token* before = siblingAt(-1);
  Token* beforeThat = siblingAt(-2);
  Token* next = siblingAt(1);

  // The ':' and the token after it leave the list in one move (the tokens
  // behind them learn their new index). The ':' leaves the tree for good
  // (its type word stays known to the declaration), and is freed once the
  // file is pretreated.
  auto removeSelfAndType = [&]() {
    const int at = index;
    const int size = static_cast<int>(siblings.size());
    if (at >= size) return;
    const bool self = siblings[static_cast<size_t>(at)] == this;
    const int count = at + 1 < size ? 2 : 1;
    for (int i = at; i + count < size; ++i) {
      Token* moved = siblings[static_cast<size_t>(i + count)];
      siblings[static_cast<size_t>(i)] = moved;
      if (moved) moved->index = i;
    }
    siblings.resize(static_cast<size_t>(size - count));
    if (self) drop(this);
  };

  // function (...):Type - the return type of an anonymous function.
  if (beforeThat && beforeThat->type == Function) {
    if (next && (next->type == Word || next->type == SystemType || next->type == VectorType || next->text == "*"))
      beforeThat->setTypeDeclaration(next);
    removeSelfAndType();
    return -2;
  }

  // label: for / while / do / switch, and label: { ... } where a statement
  // starts (after ";", after a block, or after the ":" of a case), which an
  // object literal's key never does.
  const bool statementStart =
      beforeThat && (beforeThat->type == Semicolon || beforeThat->type == Block || beforeThat->type == Colon);
  if (before && before->type == Word && next && !(beforeThat && beforeThat->type == Case) &&
      (next->type == For || next->type == While || next->text == "do" || next->text == "switch" ||
       (next->type == Block && statementStart))) {
    before->type = Literal;
    return 0;
  }

  int passed = 0;
  bool functionMet = false;
  for (int i = index - 1;; --i) {
    Token* scan = i >= 0 ? parent->childs[i] : nullptr;
    if (i >= 0 && !scan) continue;
    if (scan && (scan->type == Question || scan->type == Case || scan->type == Default)) return 0;
    // A function that has its body already is a value before the colon
    // (cond ? function():int {...} : null), never the owner of a type.
    const bool wholeFunction = scan && scan->type == Function && static_cast<TokenFunction*>(scan)->body;
    if (scan && scan->type == Function && !wholeFunction) {
      static_cast<Token*>(scan)->setTypeDeclaration(next);
      functionMet = true;
    }
    if (!scan || scan->type == Comma || functionMet) {
      if (before) {
        if (parent->type == Block &&
            (before->type == Word || before->type == Literal || before->type == VectorType))
          before->type = ObjectKey;
        else
          before->setTypeDeclaration(next);
      }
      if (parent->type == Paren || parent->type == Var || parent->type == Function || functionMet) {
        if (passed > 1) MSGTO(MessageType::Problem, owner ? owner->path.c_str() : "", line, "file err");
        removeSelfAndType();
        return -2;
      }
      return 0;
    }
    ++passed;
  }
}

std::vector<TokenColon*>& TokenColon::dropped() {
  static std::vector<TokenColon*> tokens;
  return tokens;
}

void TokenColon::freeDropped() {
  std::vector<TokenColon*>& tokens = dropped();
  for (TokenColon* colon : tokens) delete colon;
  tokens.clear();
}

// ":" prints as it is. In an object literal with the library on, a value
// that is one of the instance's own methods is bound to the instance, one of
// an object typed as its class to that object:
//   {click: this.onClick}  ->  {click:__bind(this,this.onClick)}
//   {fire: unit.hit}       ->  {fire:__bind(unit,unit.hit)}
int TokenColon::toJsScript(std::string& out, Parse* parseFile, int, int typeCommentOff) {
  Parse* owner = parseFile ? parseFile : file.get();
  out += ":";
  if (!parent || parent->type != Block || !_ompilerOptions_.libraryAdded) return 0;
  // A value printed by a colon can hold the colon itself (a cast took the
  // colon as its operand: `{k : as T}`); the colon is then printed plainly.
  WritingGuard guard(this, WritingGuard::Scope::ObjectValues);
  if (guard.again()) return 0;
  Token* value = parent->getNextToken(this, 1);
  if (!value) return 0;

  // The value is printed once, here, whether it is bound or not.
  value->addTypeDeclarationClassUse();
  if (!value->outputEnabled) return 0;
  std::string printed;
  int consumed = value->toJsScript(printed, owner, JsMode::Plain, typeCommentOff);
  if (consumed < 0) consumed = 0;
  std::string method = startsWith(value->text.str(), "this.") ? value->text.substr(5) : value->text.str();

  Token* keyBefore = parent->getNextToken(this, -2);
  Token* afterValue = parent->getNextToken(this, 2 + consumed);
  const bool wholeValue = (!keyBefore || keyBefore->type == Comma) && (!afterValue || afterValue->type == Comma);
  if (printed.find("this.") != std::string::npos && wholeValue && isInSelFunction(method, currentClass)) {
    out += _DEBUF_("/*bind in obj*/");
    // A private method renamed because a base class has one of that name.
    if (Token* member = currentClass->members.get(method, nullptr)) method = member->getSelfValue();
    TokenFunction* inline_ = isInlineFunction() ? getTokenFunction() : nullptr;
    TokenFunction* method_ = inline_ && inline_->parent ? inline_->parent->getClassTokenFunction() : nullptr;
    if (method_) {
      // Inside a closure the instance is the method's "_$this".
      if (method_->closureThisCount < 255) ++method_->closureThisCount;
      out += "__bind(_$this,_$this." + method + ")";
    } else {
      out += "__bind(this,this." + method + ")";
    }
    return 1 + consumed;
  }
  // {fire: unit.hit}: a method of an object typed as its class keeps that
  // object.
  std::string bound;
  if (wholeValue && value->type == Word && value->bindMethodValue(bound, printed, currentClass, owner)) {
    out += value->leadingText + bound;
    return 1 + consumed;
  }
  out += value->leadingText + printed;
  return 1 + consumed;
}
