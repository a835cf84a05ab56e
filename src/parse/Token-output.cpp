// Statement and expression output: the JavaScript text of every token that
// has no class of its own (words, numbers, strings and other literals,
// operators, separators, { } blocks, ( ) groups, [ ] brackets and the
// statement words the lexer keeps as plain tokens), with the expression-level
// rewrites: the flash. prefix, the E4X operators (x..y, x.@a, x.*), casts
// written as calls T(x), namespace members and the '=' safe mark. Every other
// name goes to the property-access rewriting.
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "CompilerOptions.h"
#include "OutputMarkers.h"
#include "Token.h"
#include "TokenClass.h"
#include "TokenFunction.h"
#include "TokenOther.h"
#include "message.h"
#include "parse.h"

namespace {

bool isType(const Token* t, int type) { return t && t->type == type; }

// The texts a token's text is compared with on every print, by the numbers
// of their kept texts: every text is kept once for the whole run, so equal
// numbers are equal texts, and the comparison reads no bytes.
struct KeptTexts {
  uint32_t plusPlus = SharedString("++").id();
  uint32_t minusMinus = SharedString("--").id();
  uint32_t classWord = SharedString("Class").id();
  uint32_t functionWord = SharedString("Function").id();
  uint32_t typeofWord = SharedString("typeof").id();
  uint32_t deleteWord = SharedString("delete").id();
  uint32_t intWord = SharedString("int").id();
  uint32_t uintWord = SharedString("uint").id();
};

const KeptTexts& keptTexts() {
  static const KeptTexts kept;
  return kept;
}

// The children from `from` to the end of the expression they begin: up to a
// ',' or a ';' or, without one, the start of the next statement.
ChildRange valueUpToExpressionEnd(size_t from) {
  return ChildRange{.from = from,
                    .stopAt = [](const Token* t) {
                      return !t || t->type == TokenTypeCode::Comma || t->type == TokenTypeCode::Semicolon ||
                             beginsNextStatement(t);
                    },
                    .skipsDisabled = false,
                    .keepsTokensApart = false};
}

// A ( ) group that holds one value: something in it and no ',' between.
bool isSingleValueGroup(const Token* group) {
  if (!isType(group, TokenTypeCode::Paren)) return false;
  bool any = false;
  for (const Token* child : group->childs) {
    if (isType(child, TokenTypeCode::Comma)) return false;
    any = any || child != nullptr;
  }
  return any;
}

// A cast that prints only its group, T(x).value = 3, standing first on a
// line after a statement written without ';' (var t:T = list[0]): the group
// would continue that statement as a call in JavaScript, tiles[0](t), so
// the cast starts with a ';'. After an operator, a ',' or the head of if,
// while, for, with or catch the line goes on and nothing is added.
bool castOpensStatement(Token* word) {
  if (word->leadingText.str().find('\n') == std::string::npos) return false;
  Token* prev = siblingOf(word, -1);
  if (!prev) return false;
  switch (prev->type) {
    case TokenTypeCode::Word:
    case TokenTypeCode::Number:
    case TokenTypeCode::Literal:
    case TokenTypeCode::DeclaredName:
    case TokenTypeCode::Bracket:
    case TokenTypeCode::Block:
    case TokenTypeCode::Function:
      return true;
    case TokenTypeCode::Operator:
      return prev->text == "++" || prev->text == "--";
    case TokenTypeCode::Paren: {
      Token* head = siblingOf(prev, -1);
      return !(head && (head->type == TokenTypeCode::While || head->type == TokenTypeCode::For ||
                        head->type == TokenTypeCode::StatementWord || head->type == TokenTypeCode::With ||
                        head->type == TokenTypeCode::Catch || head->text == "switch"));
    }
    default:
      return false;
  }
}

// Where the text of a name begins after its blanks and comments (the marker
// comments a word may print in front of itself); npos for a comment that
// does not close.
size_t pastBlanksAndComments(std::string_view r) {
  size_t at = 0;
  while (at < r.size()) {
    if (r[at] == ' ') {
      ++at;
    } else if (r.compare(at, 2, "/*") == 0) {
      size_t end = r.find("*/", at + 2);
      if (end == std::string::npos) return std::string::npos;
      at = end + 2;
    } else {
      break;
    }
  }
  return at;
}

// A static constant's value put in place of its name: a quoted string or a
// regular expression (at `at`, after the blanks and comments in front of
// it). Its ".*" and ".@" are the literal's own text, no E4X operators.
bool isInlinedLiteral(std::string_view r, size_t at) {
  if (at >= r.size()) return false;
  return r[at] == '"' || r[at] == '\'' || (r[at] == '/' && r.compare(at, 2, "//") != 0);
}

// A [ ] group directly under a package or class token is metadata
// ([SWF(...)], [Bindable]). In a class body a [ ] group that starts a
// statement is metadata too ([Inline], [Event(...)], [ArrayElementType("int")]
// in front of a member); one inside a statement (list = [1, 2]) is an array.
bool isMetadata(Token* bracket) {
  Token* p = bracket->parent;
  if (!p) return false;
  if (p->type == TokenTypeCode::Class || p->type == TokenTypeCode::Package) return true;
  bool classBody = p->type == TokenTypeCode::Block && p->parent &&
                   (p->parent->type == TokenTypeCode::Class || p->parent->type == TokenTypeCode::Interface);
  if (!classBody) return false;
  // Walk back over taken-out members and the tags before this one.
  for (int k = bracket->index - 1; k >= 0; --k) {
    Token* prev = k < static_cast<int>(p->childs.size()) ? p->childs[static_cast<size_t>(k)] : nullptr;
    if (!prev || prev->type == TokenTypeCode::Bracket) continue;
    // A static declaration stays in the body and holds its own ';'.
    return prev->type == TokenTypeCode::Semicolon || prev->type == TokenTypeCode::Block ||
           prev->type == TokenTypeCode::Var || prev->type == TokenTypeCode::Const;
  }
  return true;
}

// Whether "|" + word + "|" occurs in the list _SystemKeywords_. For a
// non-empty word without '|' or NUL that is whether it is one of the list's
// entries, which a set made once per list answers; any other word is
// searched for.
bool isSystemKeyword(const std::string& word) {
  const char* list = _SystemKeywords_;
  if (!list) return false;
  if (word.empty() || word.find('|') != std::string::npos || word.find('\0') != std::string::npos)
    return std::strstr(list, ("|" + word + "|").c_str()) != nullptr;
  static const char* madeFrom = nullptr;
  static std::unordered_set<std::string_view> entries;
  if (madeFrom != list) {
    madeFrom = list;
    entries.clear();
    for (const char* p = list; (p = std::strchr(p, '|')) != nullptr && p[1];) {
      const char* q = std::strchr(p + 1, '|');
      if (!q) break;
      if (q > p + 1) entries.insert(std::string_view(p + 1, static_cast<size_t>(q - p - 1)));
      p = q;
    }
  }
  return entries.count(word) != 0;
}

// Whether the head of the word `text` (`first`, the text before its first
// '.') is a system keyword. The answer depends on the text alone, and a
// project writes the same few thousand names again and again, so it is kept
// by the number of the shared text.
bool headIsSystemKeyword(const SharedString& text, const std::string& first) {
  static std::vector<uint8_t> known;  // 0: not asked yet, 1: no, 2: yes
  static const char* knownFor = nullptr;
  if (knownFor != _SystemKeywords_) {
    knownFor = _SystemKeywords_;
    known.clear();
  }
  const uint32_t id = text.id();
  if (id >= known.size()) known.resize(static_cast<size_t>(id) + 1, 0);
  uint8_t& answer = known[id];
  if (answer == 0) answer = isSystemKeyword(first) ? 2 : 1;
  return answer == 2;
}

// The declared type of a name: its own annotation, else the type the
// property-access rewriting resolved it to.
std::string declaredTypeOf(Token* t, Parse* file) {
  std::string type = t->toTypeDeclaration(file);
  return type.empty() ? t->resolvedTypeText().str() : type;
}

}  // namespace

namespace {

// flash.display.Sprite -> zafrit.display.Sprite; a dotted word with ".length"
// that is called gets a hint to the XML length function in front of it.
// "flash" names a variable where the word stands: a local or parameter of an
// enclosing function, or a member of the class or of a base class (a hit
// flash kept in a field), whose members are no package.
bool flashNamesVariable(Token* self) {
  for (TokenFunction* f = self->getTokenFunction(); f; f = f->parent ? f->parent->getTokenFunction() : nullptr)
    if (f->locals.find("flash") != f->locals.end()) return true;
  size_t steps = 0;
  for (TokenClass* c = self->getTokenClass(); c && steps <= TokenClass::_classCount_(); ++steps) {
    if (c->members.get("flash", nullptr) || c->staticMembers.get("flash", nullptr)) return true;
    if (!c->superClass && !c->superName.empty()) c->setSuperClass(TokenClass::GetTokenClass(c->superName));
    c = c->superClass;
  }
  return false;
}

void renameFlashPackage(Token* self, std::string& out) {
  SharedString& text = self->text;
  size_t dot = text.find('.');
  if (dot == std::string::npos || dot == 0) return;
  if (text.size() > 5 && text.compare(0, 6, "flash.") == 0 && !flashNamesVariable(self))
    text = "zafrit." + text.substr(6);
  size_t len = text.find(".length");
  Token* next = siblingOf(self, 1);
  if (self->parent && text.size() > 6 && len != std::string::npos && len > 0 && isType(next, TokenTypeCode::Paren)) {
    out += "/*if err,please use zafrit.method.xmlLength()*/";
  }
}

// The [ ] group after an E4X operator as the text of its contents; the group
// itself prints nothing more.
std::string bracketContents(Token* bracket, Parse* file, int mode, int typeCommentOff) {
  std::string inner;
  bracket->type = TokenTypeCode::Word;
  bracket->toJsScript(inner, file, mode, typeCommentOff);
  bracket->outputEnabled = 0;
  return inner;
}

// Descendants: x..item, x..@id and x..[expr] become calls on x that collect
// the children of that name or the attributes (the word's text is rewritten).
void rewriteDescendants(Token* self, Parse* file, int mode, int typeCommentOff) {
  SharedString& text = self->text;
  size_t dd = text.find("..");
  if (dd == std::string::npos || dd == 0) return;
  std::string head = text.substr(0, dd + 1);
  std::string name = text.substr(dd + 2);
  Token* next = siblingOf(self, 1);
  auto byName = [&](const std::string& n) {
    if (!n.empty() && n[0] == '@') return head + "getAllAttribute('" + n.substr(1) + "')";
    return head + "getAllChildByName('" + n + "')";
  };
  if (isType(next, TokenTypeCode::Bracket) && name.empty()) {
    text = head + "getAllChildByName(" + bracketContents(next, file, mode, typeCommentOff) + ")";
  } else if (isType(next, TokenTypeCode::Bracket)) {
    text = byName(name);
  } else {
    size_t p = name.find('.');
    if (p == std::string::npos || p < 1) {
      text = byName(name);
    } else if (name[0] == '@') {
      text = head + "getAllAttribute('" + name.substr(1, p - 1) + "')" + name.substr(p);
    } else {
      text = head + "getAllChildByName('" + name.substr(0, p) + "')" + name.substr(p);
    }
  }
}

// x.@a = v  ->  x.setAttribute('a',v), then the word's children; without a
// ';' the value ends where the next statement begins. `at` is
// where ".@" stands in the resolved word `r`. Returns the count of
// following siblings consumed: the "=" and the value.
int attributeAssignmentToJs(Token* self, const std::string& r, size_t at, std::string& out, Parse* file, int mode,
                            int typeCommentOff) {
  out += r.substr(0, at) + ".setAttribute('" + r.substr(at + 2) + "',";
  const size_t valueFrom = static_cast<size_t>(self->index) + 2;
  const ChildRange value = valueUpToExpressionEnd(valueFrom);
  const size_t valueEnd = Token::_childRangeToJs_(out, file, self->parent->childs, value, mode, typeCommentOff);
  out += ")";
  self->_childsToJs_(out, file, JsMode::Plain, typeCommentOff, 0);
  return 1 + static_cast<int>(valueEnd - valueFrom);
}

bool isUpdateOperator(const Token* t) {
  return isType(t, TokenTypeCode::Operator) && (t->text == "++" || t->text == "--");
}

// += -= *= /= %= <<= >>= >>>= &= |= ^= starting at `t`: the operator
// without its '=', or "" for any other token. The lexer reads some of them
// (*=, %=, <<=, ...) as the operator and a "=" right after it; `tokens` is
// set to the count of tokens the operator spans.
std::string compoundOperator(Token* t, int& tokens) {
  tokens = 1;
  if (!isType(t, TokenTypeCode::Operator)) return std::string();
  Token* assign = siblingOf(t, 1);
  const bool split = isType(assign, TokenTypeCode::Assign) && assign->text == "=" && assign->leadingText.empty();
  static const char* const kOperators[] = {"+", "-", "*", "/", "%", "<<", ">>", ">>>", "&", "|", "^"};
  for (const char* op : kOperators) {
    if (split && t->text == op) {
      tokens = 2;
      return op;
    }
    if (t->text == std::string(op) + "=") return op;
  }
  return std::string();
}

// The token after the attribute's name: after x.@[k] the one after the
// bracket, else the one after the word.
Token* afterAttributeName(Token* word) {
  Token* next = siblingOf(word, 1);
  if (isType(next, TokenTypeCode::Bracket) && word->text.str().ends_with(".@")) return siblingOf(next, 1);
  return next;
}

// ++x.@a and ++x.@[k]: the attribute's word writes the whole update, so the
// operator prints nothing of its own.
bool isPrefixUpdateOfAttribute(Token* op) {
  if (!isUpdateOperator(op)) return false;
  Token* before = siblingOf(op, -1);
  if (before && (isType(before, TokenTypeCode::Word) || isType(before, TokenTypeCode::Number) ||
                 isType(before, TokenTypeCode::Literal) || isType(before, TokenTypeCode::Paren) ||
                 isType(before, TokenTypeCode::Bracket) || isType(before, TokenTypeCode::DeclaredName)))
    return false;
  Token* word = siblingOf(op, 1);
  if (!isType(word, TokenTypeCode::Word)) return false;
  if (word->text.str().find(".@") == std::string::npos) {
    // ++list[i].@a: the attribute's word follows the indexed receiver.
    Token* indexed = siblingOf(word, 1);
    if (!isType(indexed, TokenTypeCode::Bracket)) return false;
    while (isType(indexed, TokenTypeCode::Bracket)) indexed = siblingOf(indexed, 1);
    if (!isType(indexed, TokenTypeCode::Word) || !indexed->text.str().starts_with(".@")) return false;
    word = indexed;
  }
  Token* after = afterAttributeName(word);
  int tokens = 0;
  return !isType(after, TokenTypeCode::Assign) && !isType(after, TokenTypeCode::Bracket) &&
         compoundOperator(after, tokens).empty() && !isUpdateOperator(after);
}

// list[i].@a: the word ".@a" follows the receiver, a name indexed by [ ]
// groups, whose text the update reads once more. False for any other
// receiver (a call's result would be called twice).
bool indexedReceiver(Token* word, std::string& receiver, Parse* file, int typeCommentOff) {
  Token* head = siblingOf(word, -1);
  while (isType(head, TokenTypeCode::Bracket)) head = siblingOf(head, -1);
  if (!isType(head, TokenTypeCode::Word) || head == siblingOf(word, -1)) return false;
  for (int i = head->index; i < word->index; ++i) {
    Token* part = head->parent->childs[static_cast<size_t>(i)];
    if (part) part->toJsScript(receiver, file, JsMode::Plain, typeCommentOff);
  }
  return !receiver.empty();
}

// Whether the value of an update that begins at `first` is read: after
// "=", "?", ":", an operator, a ',' or return, inside ( ) or [ ], or before
// an operator `after` (null where the update's value runs to the end of
// the expression). An update standing as its own statement is not read.
bool updateValueIsRead(Token* first, Token* after) {
  Token* before = siblingOf(first, -1);
  if (before && !beginsNextStatement(first)) {
    switch (before->type) {
      case TokenTypeCode::Assign:
      case TokenTypeCode::Question:
      case TokenTypeCode::Colon:
      case TokenTypeCode::Operator:
      case TokenTypeCode::Comma:
      case TokenTypeCode::Return:
      case TokenTypeCode::In:
        return true;
      default:
        break;
    }
  }
  if (isType(first->parent, TokenTypeCode::Paren) || isType(first->parent, TokenTypeCode::Bracket)) return true;
  return isType(after, TokenTypeCode::Operator) && !beginsNextStatement(after);
}

// An update of an attribute, read from the tokens alone: where it begins
// (the word x.@a, the name before the indexes of list[i].@a, or a ++ or --
// before either), its operator, and whether its value is read.
struct AttributeUpdate {
  Token* first = nullptr;
  Token* afterName = nullptr;  // the token after x.@a or after the [k] of x.@[k]
  bool indexed = false;        // list[i].@a: the receiver is printed before the word
  bool prefix = false;
  bool postfix = false;
  bool assigns = false;        // x.@[k] = v
  const char* delta = "";      // "+1" or "-1" for ++ and --
  std::string op;              // the operator of op= without its '='
  int operatorTokens = 0;
  bool valueRead = false;
};

// The update that the attribute word `word` (x.@a, x.@[k] or .@a after
// list[i]) begins, or false when no update follows it.
bool describeAttributeUpdate(Token* word, AttributeUpdate& u) {
  const std::string_view text = word->text.str();
  const size_t at = text.find(".@");
  if (at == std::string_view::npos || text.find('.', at + 2) != std::string_view::npos) return false;
  u.indexed = at == 0;
  u.first = word;
  if (u.indexed) {
    while (isType(siblingOf(u.first, -1), TokenTypeCode::Bracket)) u.first = siblingOf(u.first, -1);
    if (u.first == word || !isType(siblingOf(u.first, -1), TokenTypeCode::Word)) return false;
    u.first = siblingOf(u.first, -1);
  }
  Token* prev = siblingOf(u.first, -1);
  u.prefix = isPrefixUpdateOfAttribute(prev);
  if (u.prefix) u.first = prev;
  u.afterName = afterAttributeName(word);
  const bool computed = u.afterName != siblingOf(word, 1);
  u.assigns = computed && isType(u.afterName, TokenTypeCode::Assign);
  u.postfix = !u.prefix && isUpdateOperator(u.afterName);
  if (u.prefix || u.postfix) {
    u.delta = (u.prefix ? prev : u.afterName)->text == "++" ? "+1" : "-1";
  } else if (!u.assigns) {
    u.op = compoundOperator(u.afterName, u.operatorTokens);
    if (u.op.empty()) return false;
  }
  if (!u.assigns)
    u.valueRead =
        updateValueIsRead(u.first, u.postfix ? siblingOf(u.afterName, 1) : u.op.empty() ? u.afterName : nullptr);
  return true;
}

// The function called at once that does an update whose value is read,
// up to its first argument, the receiver.
std::string updateFunctionHead(const AttributeUpdate& u) {
  if (!u.op.empty()) return "(function(o,n,b){var v=o.getAttribute(n)" + u.op + "b;o.setAttribute(n,v);return v;})(";
  return std::string("(function(o,n){var v=Number(o.getAttribute(n))") + (u.postfix ? "" : u.delta) +
         ";o.setAttribute(n,v" + (u.postfix ? u.delta : "") + ");return v;})(";
}

// list[i].@a++ read as a value: the receiver's name `head` opens the
// function called at once, which the attribute's word closes.
void openIndexedAttributeUpdate(Token* head, std::string& out) {
  Token* word = siblingOf(head, 1);
  if (!isType(word, TokenTypeCode::Bracket)) return;
  while (isType(word, TokenTypeCode::Bracket)) word = siblingOf(word, 1);
  if (!isType(word, TokenTypeCode::Word) || !word->text.str().starts_with(".@")) return;
  AttributeUpdate u;
  if (describeAttributeUpdate(word, u) && u.valueRead) out += updateFunctionHead(u);
}

// x.@a op= v, x.@a++ and ++x.@a (and --) write the attribute with the value
// that its read gives: x.setAttribute('a',x.getAttribute('a')op(v)). ++ and
// -- count the attribute's text as a number, += joins it with v as the
// XML attribute does in ActionScript. A computed name x.@[k] is written the
// same way (x.@[k] = v too), with k in place of the quoted name. Where the
// update's value is read (y = x.@n++, trace(x.@hp += 5)) a function called
// at once does the update and gives the number read before a postfix step,
// else the value set (v of op= is read when the call runs, after v):
//   (function(o,n,b){var v=o.getAttribute(n)+b;o.setAttribute(n,v);return v;})(x,'hp',(5))
// Returns the count of following siblings consumed, or -1 when no update
// follows the attribute. `at` is where ".@" stands in the resolved word `r`.
int attributeUpdateToJs(Token* self, const std::string& r, size_t at, std::string& out, Parse* file, int mode,
                        int typeCommentOff) {
  if (r.find('.', at + 2) != std::string::npos) return -1;
  AttributeUpdate u;
  if (!describeAttributeUpdate(self, u)) return -1;
  std::string name = "'" + r.substr(at + 2) + "'";
  int nameTokens = 0;
  Token* bracket = siblingOf(self, 1);
  if (at + 2 == r.size() && isType(bracket, TokenTypeCode::Bracket)) {
    name = bracketContents(bracket, file, mode, typeCommentOff);
    nameTokens = 1;
  }
  std::string target = r.substr(0, at);
  if (target.empty() && !indexedReceiver(self, target, file, typeCommentOff)) return -1;
  const ChildRange value = valueUpToExpressionEnd(static_cast<size_t>(self->index) + 1 + nameTokens);
  if (u.assigns) {
    // x.@[k] = v
    out += r.substr(0, at) + ".setAttribute(" + name + ",";
    ChildRange assigned = value;
    assigned.from += 1;
    const size_t valueEnd = Token::_childRangeToJs_(out, file, self->parent->childs, assigned, mode, typeCommentOff);
    out += ")";
    self->_childsToJs_(out, file, JsMode::Plain, typeCommentOff, 0);
    return nameTokens + 1 + static_cast<int>(valueEnd - assigned.from);
  }
  // The function called at once takes the receiver; that of list[i].@a has
  // been printed after the function's head by the receiver's name.
  if (u.valueRead) out += (u.indexed ? "" : updateFunctionHead(u) + r.substr(0, at)) + "," + name;
  const std::string read = target + ".getAttribute(" + name + ")";
  const std::string write = r.substr(0, at) + ".setAttribute(" + name + ",";
  if (u.op.empty()) {
    out += u.valueRead ? ")" : write + "Number(" + read + ")" + u.delta + ")";
    self->_childsToJs_(out, file, JsMode::Plain, typeCommentOff, 0);
    return nameTokens + (u.postfix ? 1 : 0);
  }
  ChildRange operand = value;
  operand.from += static_cast<size_t>(u.operatorTokens);
  out += u.valueRead ? ",(" : write + read + u.op + "(";
  const size_t valueEnd = Token::_childRangeToJs_(out, file, self->parent->childs, operand, mode, typeCommentOff);
  out += "))";
  self->_childsToJs_(out, file, JsMode::Plain, typeCommentOff, 0);
  return nameTokens + u.operatorTokens + static_cast<int>(valueEnd - operand.from);
}

// v.length = n on a name declared as a Vector.<T>: the slots it adds hold
// T's default (0 for int, uint and Number, false for Boolean, null for any
// other type), where a JavaScript array leaves them undefined. The slots
// are filled before the length is set, which then only cuts:
//   v.length=(function(a,n,d){for(var i=a.length;i<n;i++)a[i]=d;return n;})(v,5,0)
// Returns the siblings consumed (the "=" and the value), -1 when the word is
// no such length; v.length = 0 keeps its plain form.
int vectorLengthAssignmentToJs(Token* self, const std::string& r, std::string& out, Parse* file, int mode,
                               int typeCommentOff) {
  static constexpr std::string_view kLength = ".length";
  const std::string_view text = self->text.str();
  Token* assign = siblingOf(self, 1);
  if (!text.ends_with(kLength) || text.size() == kLength.size() || !r.ends_with(kLength) ||
      !isType(assign, TokenTypeCode::Assign) || assign->text != "=")
    return -1;
  Token* value = siblingOf(assign, 1);
  if (!value || (isType(value, TokenTypeCode::Number) && value->text == "0")) return -1;
  const std::string type =
      declaredTypeOfDottedName(self, std::string(text.substr(0, text.size() - kLength.size())), file);
  if (!type.starts_with("Vector.<") || !type.ends_with(">")) return -1;
  const char* fill = TokenNew::vectorSlotValue(type.substr(8, type.size() - 9));
  out += r + "=(function(a,n,d){for(var i=a.length;i<n;i++)a[i]=d;return n;})(" +
         r.substr(0, r.size() - kLength.size()) + ",";
  const ChildRange length = valueUpToExpressionEnd(static_cast<size_t>(self->index) + 2);
  const size_t end = Token::_childRangeToJs_(out, file, self->parent->childs, length, mode, typeCommentOff);
  out += std::string(",") + fill + ")";
  self->_childsToJs_(out, file, JsMode::Plain, typeCommentOff, 0);
  return 1 + static_cast<int>(end - length.from);
}

// Reading an attribute: x.@[expr] -> x.getAttribute(expr), x.@a ->
// x.getAttribute('a') (converted to int when assigned to an int), and
// x.@a.rest likewise with the rest after the call. `at` is where ".@" stands
// in the resolved word `r`.
std::string attributeReadToJs(Token* self, const std::string& r, size_t at, Parse* file, int mode,
                              int typeCommentOff) {
  Token* next = siblingOf(self, 1);
  if (isType(next, TokenTypeCode::Bracket))
    return r.substr(0, at) + ".getAttribute(" + bracketContents(next, file, mode, typeCommentOff) + ")";
  size_t e = r.find('.', at + 3);
  if (e != std::string::npos)
    return r.substr(0, at) + ".getAttribute('" + r.substr(at + 2, e - at - 2) + "')" + r.substr(e);
  std::string attribute = r.substr(at + 2);
  Token* prev = siblingOf(self, -1);
  Token* target = prev ? siblingOf(prev, -1) : nullptr;
  bool toInt = isType(prev, TokenTypeCode::Assign) && target && declaredTypeOf(target, file) == "int";
  // x.@* reads as the word "x.@" and the operator "*": the "*" belongs
  // to the attribute. After a named attribute it is a multiplication.
  if (attribute.empty() && next && next->text == "*") next->text.clear();
  return (toInt ? "Ruvo.__int(" : "") + r.substr(0, at) + ".getAttribute('" + attribute + "')" + (toInt ? ")" : "");
}

// What the word path asks of a printed name, read in one pass over its few
// bytes: where its first ".@" is (npos: none) and whether it holds a '*'.
struct PrintedMarks {
  size_t attributeAt = std::string_view::npos;
  bool star = false;
};

PrintedMarks marksOf(std::string_view r) {
  PrintedMarks marks;
  for (size_t k = 0; k < r.size(); ++k) {
    if (r[k] == '*')
      marks.star = true;
    else if (r[k] == '@' && k > 0 && r[k - 1] == '.' && marks.attributeAt == std::string_view::npos)
      marks.attributeAt = k - 1;
  }
  return marks;
}

// Whether childrenOrCastToJs may have something to do with a printed name
// (`star`: the name holds a '*'): a '*', or the word stands between "=" and
// a group of one.
bool mayBeChildrenOrCast(Token* self, bool star) {
  if (star) return true;
  if (!isType(siblingOf(self, -1), TokenTypeCode::Assign)) return false;
  Token* next = siblingOf(self, 1);
  return isType(next, TokenTypeCode::Paren) && next->childs.size() == 1;
}

// x.* -> x.children(), and y = T(x) with a known class T, a cast: y = (x).
// Returns whether it printed the word.
[[gnu::always_inline]] inline bool childrenOrCastToJs(Token* self, const std::string& r, std::string& out) {
  // Most names hold no '*' at all: no comment and no ".*" to look for.
  const bool star = r.find('*') != std::string::npos;
  size_t close = star ? r.find("*/") : std::string::npos;
  // The word after a leading comment, read in place.
  const std::string_view s = close == std::string::npos ? std::string_view(r) : std::string_view(r).substr(close + 2);
  size_t c = star ? s.find(".*") : std::string::npos;
  if (c != std::string::npos && c > 0) {
    out += s.substr(0, c);
    out += ".children()";
    out += s.substr(c + 2);
    return true;
  }
  Token* next = siblingOf(self, 1);
  Token* prev = siblingOf(self, -1);
  if (isType(prev, TokenTypeCode::Assign) && isType(next, TokenTypeCode::Paren) && next->childs.size() == 1 &&
      TokenClass::HasClassAndMiniName(std::string(s).c_str())) {
    out += _DEBUF_(("/* as:" + std::string(s) + "*/").c_str());
    return true;
  }
  return false;
}

// int(x) and uint(x) convert to a 32-bit integer. The emulation library
// defines the two functions; with the library off nothing does, so the
// conversion is written out: int(x) -> ((x)|0), uint(x) -> ((x)>>>0), and
// int() -> 0. Returns the siblings consumed (the group), 0 when the word is
// not such a call.
int integerConversionToJs(Token* self, std::string& out, Parse* file, int typeCommentOff) {
  const KeptTexts& kept = keptTexts();
  if (_ompilerOptions_.libraryAdded || (self->text.id() != kept.intWord && self->text.id() != kept.uintWord)) return 0;
  Token* group = siblingOf(self, 1);
  if (!isType(group, TokenTypeCode::Paren) || isType(siblingOf(self, -1), TokenTypeCode::New)) return 0;
  std::string operand;
  group->toJsScript(operand, file, JsMode::Plain, typeCommentOff);
  group->outputEnabled = 0;
  if (operand == "()")
    out += "0";
  else
    out += "(" + operand + (self->text.id() == kept.intWord ? "|0)" : ">>>0)");
  return 1;
}

bool isEquality(const Token* t) {
  return isType(t, TokenTypeCode::Operator) &&
         (t->text == "==" || t->text == "!=" || t->text == "===" || t->text == "!==");
}

// An array literal, not an index: the "[" stands where a value begins.
bool isArrayLiteral(Token* bracket) {
  Token* before = siblingOf(bracket, -1);
  return !before || isType(before, TokenTypeCode::Assign) || isType(before, TokenTypeCode::Operator) ||
         isType(before, TokenTypeCode::Comma) || isType(before, TokenTypeCode::Return) ||
         isType(before, TokenTypeCode::Colon) || isType(before, TokenTypeCode::Question) ||
         isType(before, TokenTypeCode::Semicolon);
}

// The ":" of a ternary: a "?" stands before it in the same expression.
bool isTernaryColon(Token* colon) {
  if (!isType(colon, TokenTypeCode::Colon) || !colon->parent) return false;
  for (int i = colon->index - 1; i >= 0; --i) {
    Token* t = colon->parent->childs[static_cast<size_t>(i)];
    if (!t) continue;
    if (isType(t, TokenTypeCode::Question)) return true;
    if (isType(t, TokenTypeCode::Comma) || isType(t, TokenTypeCode::Semicolon) || isType(t, TokenTypeCode::Colon))
      return false;
  }
  return false;
}

bool isLogical(const Token* t) {
  return isType(t, TokenTypeCode::Operator) && (t->text == "&&" || t->text == "||");
}

// ( ... ) that groups an expression: not a call's arguments, a condition or a
// parameter list, so the token before it starts or separates a value.
bool isGroupingParen(Token* group) {
  if (!isType(group, TokenTypeCode::Paren)) return false;
  Token* before = siblingOf(group, -1);
  return !before || isType(before, TokenTypeCode::Assign) || isType(before, TokenTypeCode::Operator) ||
         isType(before, TokenTypeCode::Comma) || isType(before, TokenTypeCode::Return) ||
         isType(before, TokenTypeCode::Question) || isType(before, TokenTypeCode::Colon);
}

// Where a word is a whole value that may hold a method closure: the right-hand
// side of "=", what return gives, a branch of ?:, an element of an array
// literal, an operand of || or && (handler || onDefault gives the method),
// a value alone in grouping parentheses, and an operand of == or != (so that
// a method kept in a variable still compares equal to the method).
bool standsAsMethodValue(Token* self) {
  Token* prev = siblingOf(self, -1);
  Token* next = siblingOf(self, 1);
  auto endsValue = [](const Token* t) {
    return !t || isType(t, TokenTypeCode::Semicolon) || isType(t, TokenTypeCode::Comma);
  };
  auto endsOperand = [&](const Token* t) { return endsValue(t) || isType(t, TokenTypeCode::Question) || isLogical(t); };
  auto startsOperand = [&](const Token* t) {
    return !t || isType(t, TokenTypeCode::Assign) || isType(t, TokenTypeCode::Return) ||
           isType(t, TokenTypeCode::Comma) || isType(t, TokenTypeCode::Semicolon) || isLogical(t) ||
           (isType(t, TokenTypeCode::Operator) && t->text == "!");
  };
  if ((isType(prev, TokenTypeCode::Assign) && prev->text == "=") || isType(prev, TokenTypeCode::Return))
    return endsValue(next) || isLogical(next);
  if (isType(self->parent, TokenTypeCode::Bracket) && isArrayLiteral(self->parent) &&
      (!prev || isType(prev, TokenTypeCode::Comma)))
    return endsValue(next);
  if (!prev && !next && isGroupingParen(self->parent)) return true;
  if (isType(prev, TokenTypeCode::Question)) return isTernaryColon(next);
  if (isTernaryColon(prev)) return endsValue(next) || isLogical(next);
  if (isEquality(prev)) return endsOperand(next);
  if (isLogical(prev)) return endsOperand(next);
  if (isEquality(next) || isLogical(next)) return startsOperand(prev);
  return false;
}

// units[i].hit, (o as Unit).hit or Unit(o).hit as a whole value (after "=",
// after return, a value of an object literal or an element of an array
// literal): the index of the
// sibling that starts the value (units, the group, Unit), or -1 when the
// word does not end such a value.
int elementValueStart(Token* self) {
  if (self->text.empty() || self->text[0] != '.' || !self->parent) return -1;
  Token* first = siblingOf(self, -1);
  if (isType(first, TokenTypeCode::Paren)) {
    Token* cast = siblingOf(first, -1);
    if (isType(cast, TokenTypeCode::Word)) first = cast;
  } else {
    while (isType(siblingOf(first, -1), TokenTypeCode::Bracket)) first = siblingOf(first, -1);
    if (!isType(first, TokenTypeCode::Bracket) || !isType(siblingOf(first, -1), TokenTypeCode::Word)) return -1;
    first = siblingOf(first, -1);
  }
  if (!first) return -1;
  Token* prev = siblingOf(first, -1);
  Token* next = siblingOf(self, 1);
  const bool ends = !next || isType(next, TokenTypeCode::Semicolon) || isType(next, TokenTypeCode::Comma);
  const bool starts = (isType(prev, TokenTypeCode::Assign) && prev->text == "=") || isType(prev, TokenTypeCode::Return) ||
                      (isType(prev, TokenTypeCode::Colon) && isType(self->parent, TokenTypeCode::Block)) ||
                      (isType(self->parent, TokenTypeCode::Bracket) && isArrayLiteral(self->parent) &&
                       (!prev || isType(prev, TokenTypeCode::Comma)));
  if (!starts || !ends) return -1;
  const std::vector<Token*>& childs = self->parent->childs;
  for (size_t i = 0; i < childs.size(); ++i)
    if (childs[i] == first) return static_cast<int>(i);
  return -1;
}

// With the library on, the method of an element or a cast value kept as a
// whole value is bound to that value (f = units[i].hit), as it is when
// handed to a call: the value's text is printed again and must be what
// `out` ends with. False (out unchanged) otherwise.
bool bindElementValue(Token* self, std::string& out, const std::string& printed, Parse* file, int typeCommentOff) {
  const int from = elementValueStart(self);
  if (from < 0) return false;
  std::string object;
  const std::vector<Token*>& childs = self->parent->childs;
  for (size_t i = static_cast<size_t>(from); i < childs.size() && childs[i] != self; ++i) {
    Token* c = childs[i];
    if (!c) continue;
    if (i > static_cast<size_t>(from)) object += c->leadingText.str();
    if (c->toJsScript(object, file, JsMode::Plain, typeCommentOff) != 0) return false;
  }
  if (object.empty() || out.size() < object.size() || out.compare(out.size() - object.size(), object.size(), object) != 0)
    return false;
  std::string bound;
  if (!self->bindElementMethod(bound, object, printed, file, static_cast<size_t>(from))) return false;
  out.resize(out.size() - object.size());
  out += bound;
  return true;
}

}  // namespace

// The name after `instanceof` (`prev`) is an interface: the full name that
// its resolution found (`type`), or the name as written (pkg.IFoo).
static bool namesInterfaceAfter(Token* self, const Token* prev, const std::string& type) {
  if (prev->text != "instanceof") return false;
  for (const std::string& name : {type, self->text.str()}) {
    TokenClass* cls = name.empty() ? nullptr : TokenClass::GetTokenClass(name);
    if (TokenClass::_interfacesMap_().has(name) || (cls && cls->type == TokenTypeCode::Interface)) return true;
  }
  return false;
}

// The same for the token before `self` in its parent's list (none when
// `self` is not where its index says). Most words follow no text of
// instanceof's length, and are answered here without a call. The list is
// read in place: every word asks, and siblingOf's general bounds cost about
// 20 instructions more per word here.
static inline bool namesInterfaceAfterInstanceof(Token* self, const std::string& type) {
  const Token* p = self->parent;
  const int at = self->index;
  if (!p || at <= 0 || at >= static_cast<int>(p->childs.size()) || p->childs[static_cast<size_t>(at)] != self)
    return false;
  const Token* prev = p->childs[static_cast<size_t>(at) - 1];
  return prev && prev->text.size() == 10 && namesInterfaceAfter(self, prev, type);
}

// The word path: a name, a dotted path or an E4X expression. Returns the
// number of following siblings consumed; `done` is set when the word's
// children are printed too.
static int wordToJs(Token* self, std::string& out, Parse* file, int mode, int typeCommentOff, bool& done) {
  SharedString& text = self->text;
  // Most words are a plain name: without a '.' neither the package renaming
  // nor the E4X descendants have anything to do.
  const bool dotted = text.find('.') != std::string::npos;
  if (dotted) renameFlashPackage(self, out);

  // Namespace members: `use namespace ns` prints nothing, `ns::x` reads a member.
  if (self->flags & TokenModifierFlags::Namespace) {
    if (!(self->flags & TokenModifierFlags::Use)) out += "this.__namespace_" + text;
    return 0;
  }
  if (text.empty()) return 0;
  if (text[0] >= '0' && text[0] <= '9') {
    out += text;
    return 0;
  }
  if (dotted) rewriteDescendants(self, file, mode, typeCommentOff);

  // The name and its head (the text before its first '.'); a plain name is
  // its own head, and one string serves as both.
  std::string name = text;
  std::string dottedHead = dotted ? text.substr(0, text.find('.')) : std::string();
  std::string& first = dotted ? dottedHead : name;
  if (headIsSystemKeyword(text, first)) {
    out += text;
    return 0;
  }

  int skip = 0;
  TokenHeadMsg head;
  // The name's spelling is written where it prints, from `at` on; the few
  // rewrites below that need it as a text of its own take it back out.
  const size_t at = out.size();
  self->jsFormatPropertyInto(out, name, first, self, typeCommentOff, skip, head);
  std::string r;
  auto takeBack = [&] {
    r.assign(out, at);
    out.resize(at);
  };
  // Where the name's text begins; a text of nothing but comments is a cast
  // T(x) whose word printed only its marker.
  const size_t textAt = pastBlanksAndComments(std::string_view(out).substr(at));
  const bool onlyComments = textAt == out.size() - at;
  if (onlyComments && isType(siblingOf(self, 1), TokenTypeCode::Paren) && castOpensStatement(self))
    out.insert(at, 1, ';');
  if (namesInterfaceAfterInstanceof(self, head.type)) {
    // o instanceof IFoo is false in Flash, whose instanceof reads only the
    // chain of base classes; the interface's record is no constructor that
    // JavaScript's instanceof could take, so a new function's stands in.
    takeBack();
    out += _DEBUF_(("/*interface " + r + "*/").c_str()) + "(function(){})";
    return skip;
  }
  const std::string_view printed = std::string_view(out).substr(at);
  const PrintedMarks marks = marksOf(printed);
  const size_t attributeAt = marks.attributeAt;
  if (!onlyComments && isInlinedLiteral(printed, textAt)) {
    // A constant's literal prints as it stands.
    return skip;
  }
  if (attributeAt != std::string::npos) {
    takeBack();
    if (isType(siblingOf(self, 1), TokenTypeCode::Assign)) {
      done = true;
      return skip + attributeAssignmentToJs(self, r, attributeAt, out, file, mode, typeCommentOff);
    }
    const int updated = attributeUpdateToJs(self, r, attributeAt, out, file, mode, typeCommentOff);
    if (updated >= 0) {
      done = true;
      return skip + updated;
    }
    out += attributeReadToJs(self, r, attributeAt, file, mode, typeCommentOff);
    return skip;
  }
  if (mayBeChildrenOrCast(self, marks.star)) {
    takeBack();
    if (childrenOrCastToJs(self, r, out)) return skip;
    out += r;
  }
  if (dotted && text.str().ends_with(".length") && isType(siblingOf(self, 1), TokenTypeCode::Assign)) {
    takeBack();
    if (const int consumed = vectorLengthAssignmentToJs(self, r, out, file, mode, typeCommentOff); consumed >= 0) {
      done = true;
      return skip + consumed;
    }
    out += r;
  }
  if (!_ompilerOptions_.libraryAdded) return skip;
  if (elementValueStart(self) >= 0) {
    takeBack();
    if (bindElementValue(self, out, r, file, typeCommentOff)) return skip;
    out += r;
  }
  if (standsAsMethodValue(self)) {
    // f = onTick, return onTick, [onA, onB], state == onIdle: the method
    // keeps its object, as when it is passed to a call; in a static function
    // only another object's method can be named (f = unit.hit, add = list.push).
    takeBack();
    std::string bound;
    TokenClass* cls = self->currentClass ? self->currentClass : self->getTokenClass();
    if (self->bindMethodValue(bound, r, cls, file)) r = bound;
    out += r;
  } else if (isType(siblingOf(self, 1), TokenTypeCode::Paren)) {
    // onHit.call(o, 1), onHit.apply(o, args): the method runs on its own
    // object, whatever object the call names (in a static method another
    // object's or a built-in method, u.hit.call(null, 2), list.push.apply(null, more)).
    takeBack();
    std::string bound;
    TokenClass* cls = self->currentClass ? self->currentClass : self->getTokenClass();
    if (self->bindCalledMethod(bound, r, cls, file)) r = bound;
    out += r;
  }
  return skip;
}

// Every token without a class of its own: a word, number, literal or
// operator prints as its JavaScript text (words through the rewriting
// above), a { } ( ) [ ] group as its brackets around its children, and then
// the type comment and children. Returns the following siblings consumed.
int Token::toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) {
  // Only a declaration with a type word has a use to note, once.
  if (__ISRELEASE__ && !typeUseRegistered && typeToken()) addTypeDeclarationClassUse();
  if (!outputEnabled) return 0;
  if (!pendingError().empty()) scriptErr(out, file, pendingError().c_str(), 1);

  int consumed = 0;
  switch (type) {
    case TokenTypeCode::Word: {
      bool done = false;
      // list[i].@n++ read as a value opens here; only a name indexed by [ ]
      // can be such a receiver.
      if (isType(siblingOf(this, 1), TokenTypeCode::Bracket)) openIndexedAttributeUpdate(this, out);
      const size_t joint = out.size();
      consumed = wordToJs(this, out, file, mode, typeCommentOff, done);
      keepTokensApart(out, joint);
      if (done) return consumed;
      break;
    }
    case TokenTypeCode::While:
    case TokenTypeCode::Return:
    case TokenTypeCode::Comma:
    case TokenTypeCode::Semicolon:
    case TokenTypeCode::Colon:
    case TokenTypeCode::Reserved:
    case TokenTypeCode::DeclaredName:
    case TokenTypeCode::Number:
    case TokenTypeCode::Literal:
    case TokenTypeCode::ObjectKey:
    case TokenTypeCode::Operator: {
      // ++super.x: the word after the operator writes the whole update.
      // Only "++" and "--" can be such an operator.
      const bool update = type == TokenTypeCode::Operator &&
                          (text.id() == keptTexts().plusPlus || text.id() == keptTexts().minusMinus);
      if (update && (isPrefixUpdateOfSuperAccessor() || isPrefixUpdateOfAttribute(this))) break;
      const size_t joint = out.size();
      appendText(out, text.str());
      keepTokensApart(out, joint);
      break;
    }
    case TokenTypeCode::Block: {
      bool braces = text != kBracelessBlock;
      if (braces) out.push_back('{');
      _childsToJs_(out, file, JsMode::Plain, typeCommentOff, 0);
      appendText(out, trailingText().str());
      if (braces) out.push_back('}');
      return 0;
    }
    case TokenTypeCode::Paren:
      out.push_back('(');
      _childsToJs_(out, file, JsMode::Plain, typeCommentOff, 0);
      appendText(out, trailingText().str());
      out.push_back(')');
      if (typeCommentOff == 0 && typeToken()) out += _ompilerOptions_.KeepVariableType(typeToken()->text.c_str(), false);
      return 0;
    case TokenTypeCode::Bracket:
      if (!isMetadata(this)) {
        out.push_back('[');
        _childsToJs_(out, file, JsMode::Plain, typeCommentOff, 0);
        appendText(out, trailingText().str());
        out.push_back(']');
      }
      return 0;
    case TokenTypeCode::Assign:
    case TokenTypeCode::Question:
      if (safeMark && text == "=")
        out += "=/*[SAFE]*/";
      else
        appendText(out, text.str());
      break;
    case TokenTypeCode::StatementWord:
    case TokenTypeCode::SystemType: {
      if ((consumed = integerConversionToJs(this, out, file, typeCommentOff)) > 0) break;
      Token* next = siblingOf(this, 1);
      Token* prev = siblingOf(this, -1);
      const KeptTexts& kept = keptTexts();
      // RegExp(p, "gx") called without new.
      if (text == "RegExp" && isType(next, TokenTypeCode::Paren) && !isType(prev, TokenTypeCode::New) &&
          TokenNew::regExpWithoutExtendedFlag(next, file, typeCommentOff, out)) {
        consumed = 1;
        break;
      }
      if (text.id() == kept.classWord && parent && isType(next, TokenTypeCode::Paren) && !isType(prev, TokenTypeCode::New)) {
        // Class(x) is a cast and prints as (x); new Class(...) keeps its word.
        if (castOpensStatement(this)) out += ";";
        out += _DEBUF_("/*class*/");
      } else if (text.id() == kept.functionWord && parent && isSingleValueGroup(next) && !isType(prev, TokenTypeCode::New)) {
        // So is Function(handler): JavaScript's Function(x) would compile the
        // text of x as a new function.
        if (castOpensStatement(this)) out += ";";
        out += _DEBUF_("/*function cast*/");
      } else {
        out += text;
        if (text.id() == kept.typeofWord || text.id() == kept.deleteWord) out += " ";
      }
      break;
    }
    default:
      break;
  }
  if (typeCommentOff == 0 && typeToken()) out += _ompilerOptions_.KeepVariableType(typeToken()->text.c_str(), false);
  // Most tokens here (words, operators, separators) have no children.
  if (!childs.empty()) _childsToJs_(out, file, JsMode::Plain, typeCommentOff, 0);
  return consumed;
}
