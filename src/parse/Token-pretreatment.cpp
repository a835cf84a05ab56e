// The pretreatment pass: the analysis and rewriting that runs over a file's
// tree once, right after the lexer, and the helpers around a declaration's
// type annotation and the braces that the async rewriting needs around
// brace-less bodies.
#include <optional>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "CompilerOptions.h"
#include "Token.h"
#include "TokenClass.h"
#include "TokenFunction.h"
#include "TokenPackage.h"
#include "parse.h"

namespace {

// A statement word as the lexer leaves it: a token with that text that is not
// a literal (the async rewriting's literals may read "\nif").
bool isWord(const Token* t, std::string_view word) {
  return t && t->type != TokenTypeCode::Literal && std::string_view(t->text.str()) == word;
}

bool hasLineBreak(const Token* t) { return t->leadingText.find('\n') != std::string::npos; }

// Index of the first non-null entry at or after `from`; the list size when none.
size_t nextEntry(const TokenList& list, size_t from) {
  while (from < list.size() && !list[from]) ++from;
  return from;
}

// Tokens that begin a statement of their own when they follow other tokens.
bool startsStatement(const Token* t) {
  switch (t->type) {
    case TokenTypeCode::While:
    case TokenTypeCode::Return:
    case TokenTypeCode::Var:
    case TokenTypeCode::Const:
    case TokenTypeCode::For:
    case TokenTypeCode::Case:
    case TokenTypeCode::Default:
    case TokenTypeCode::Continue:
    case TokenTypeCode::Break:
    case TokenTypeCode::With:
    case TokenTypeCode::Catch:
      return true;
    default:
      break;
  }
  static const char* const kWords[] = {"if", "else", "do", "switch", "try", "finally", "throw"};
  for (const char* w : kWords) {
    if (isWord(t, w)) return true;
  }
  return false;
}

bool isIncDec(const Token* t) { return t->type == TokenTypeCode::Operator && (t->text == "++" || t->text == "--"); }

// A token after which an expression may be complete.
bool endsValue(const Token* t) {
  switch (t->type) {
    case TokenTypeCode::Word:
    case TokenTypeCode::Paren:
    case TokenTypeCode::Bracket:
    case TokenTypeCode::DeclaredName:
    case TokenTypeCode::Number:
    case TokenTypeCode::Literal:
    case TokenTypeCode::VectorType:
      return true;
    case TokenTypeCode::SystemType:
      return t->text != "throw";
    default:
      return isIncDec(t);
  }
}

// A token that cannot continue the expression before it.
bool beginsValue(const Token* t) {
  switch (t->type) {
    case TokenTypeCode::Word:
    case TokenTypeCode::Number:
    case TokenTypeCode::Literal:
    case TokenTypeCode::SystemType:
    case TokenTypeCode::New:
    case TokenTypeCode::Super:
    case TokenTypeCode::Untyped:
    case TokenTypeCode::VectorType:
      return true;
    default:
      return isIncDec(t);
  }
}

long statementEnd(const TokenList& list, size_t from, int depth = 0);

// if (...), while (...), for (...) and with (...) at `i`, the group at `g`:
// the statement ends with its body, and an if with its else.
long headedStatementEnd(const TokenList& list, size_t i, size_t g, int depth) {
  const size_t n = list.size();
  long end = statementEnd(list, g + 1, depth + 1);
  if (end < static_cast<long>(g)) return static_cast<long>(g);
  if (isWord(list[i], "if")) {
    size_t e = nextEntry(list, static_cast<size_t>(end) + 1);
    if (e < n && isWord(list[e], "else")) {
      long elseEnd = statementEnd(list, e + 1, depth + 1);
      end = elseEnd < static_cast<long>(e) ? static_cast<long>(e) : elseEnd;
    }
  }
  return end;
}

// do at `i`: the body, then "while (...)" and its ';'.
long doStatementEnd(const TokenList& list, size_t i, int depth) {
  const size_t n = list.size();
  long end = statementEnd(list, i + 1, depth + 1);
  if (end < static_cast<long>(i)) return static_cast<long>(i);
  size_t w = nextEntry(list, static_cast<size_t>(end) + 1);
  if (w < n && list[w]->type == TokenTypeCode::While) {
    size_t c = nextEntry(list, w + 1);
    if (c < n && list[c]->type == TokenTypeCode::Paren) {
      end = static_cast<long>(c);
      size_t s = nextEntry(list, c + 1);
      if (s < n && list[s]->type == TokenTypeCode::Semicolon) end = static_cast<long>(s);
    } else {
      end = static_cast<long>(w);
    }
  }
  return end;
}

// try at `i`: its block, every catch (...) { } and a finally { }.
long tryStatementEnd(const TokenList& list, size_t i) {
  const size_t n = list.size();
  size_t end = i;
  size_t k = nextEntry(list, i + 1);
  if (k < n && list[k]->type == TokenTypeCode::Block) end = k;
  for (;;) {
    size_t c = nextEntry(list, end + 1);
    if (c >= n) break;
    if (list[c]->type == TokenTypeCode::Catch) {
      size_t cg = nextEntry(list, c + 1);
      size_t cb = cg < n ? nextEntry(list, cg + 1) : n;
      if (cg < n && list[cg]->type == TokenTypeCode::Paren && cb < n && list[cb]->type == TokenTypeCode::Block) {
        end = cb;
        continue;
      }
    } else if (isWord(list[c], "finally")) {
      size_t fb = nextEntry(list, c + 1);
      if (fb < n && list[fb]->type == TokenTypeCode::Block) end = fb;
    }
    break;
  }
  return static_cast<long>(end);
}

// A simple statement at `i`: up to its ';', or up to the token before the
// next statement word or before a line break where the source relied on the
// line end as the statement end.
long simpleStatementEnd(const TokenList& list, size_t i) {
  if (list[i]->type == TokenTypeCode::Semicolon) return static_cast<long>(i);
  size_t last = i;
  for (size_t j = i + 1; j < list.size(); ++j) {
    Token* c = list[j];
    if (!c) continue;
    if (c->type == TokenTypeCode::Semicolon) return static_cast<long>(j);
    if (startsStatement(c)) return static_cast<long>(last);
    if (hasLineBreak(c)) {
      Token* prev = list[last];
      bool restricted = prev->type == TokenTypeCode::Return || prev->type == TokenTypeCode::Break ||
                        prev->type == TokenTypeCode::Continue;
      if (restricted || (endsValue(prev) && beginsValue(c))) return static_cast<long>(last);
    }
    last = j;
  }
  return static_cast<long>(last);
}

// Index of the last entry of the statement that starts at the first non-null
// entry at or after `from`; `from - 1` when the list holds no statement there.
// A body is a whole statement: `if (a) throw e;`, `if (a) for (...) f();` and
// `if (a) if (b) x(); else y();` each end after their last token, not at the
// first statement word inside them. Past a nesting of 256 every statement is
// read as a simple one.
long statementEnd(const TokenList& list, size_t from, int depth) {
  size_t n = list.size();
  size_t i = nextEntry(list, from);
  if (i >= n) return static_cast<long>(from) - 1;
  Token* t = list[i];
  if (depth >= 256) return simpleStatementEnd(list, i);
  if (t->type == TokenTypeCode::Block) return static_cast<long>(i);
  bool loopHead = t->type == TokenTypeCode::While || t->type == TokenTypeCode::For ||
                  t->type == TokenTypeCode::With || isWord(t, "if");
  size_t g = nextEntry(list, i + 1);
  bool groupFollows = g < n && list[g]->type == TokenTypeCode::Paren;
  if (loopHead && groupFollows) return headedStatementEnd(list, i, g, depth);
  if (isWord(t, "switch") && groupFollows) {
    size_t b = nextEntry(list, g + 1);
    return b < n && list[b]->type == TokenTypeCode::Block ? static_cast<long>(b) : static_cast<long>(g);
  }
  if (isWord(t, "do")) return doStatementEnd(list, i, depth);
  if (isWord(t, "try")) return tryStatementEnd(list, i);
  if (isWord(t, "else")) return statementEnd(list, i + 1, depth + 1);
  // A var token holds its declaration up to its ';'.
  if (t->type == TokenTypeCode::Var || t->type == TokenTypeCode::Const) {
    Token* last = nullptr;
    for (Token* c : t->childs) {
      if (c) last = c;
    }
    if (last && last->type == TokenTypeCode::Semicolon) return static_cast<long>(i);
  }
  return simpleStatementEnd(list, i);
}

// Moves the entries from `from` through `end` (skipping empty slots) into
// `into`, leaving empty slots behind; returns the last line they reach.
int moveRange(Token* into, TokenList& list, size_t from, long end, int line) {
  for (long k = static_cast<long>(from); k <= end; ++k) {
    Token* c = list[static_cast<size_t>(k)];
    if (!c) continue;
    into->push(c);
    list[static_cast<size_t>(k)] = nullptr;
    if (c->endLine > line) line = c->endLine;
  }
  return line;
}

// The body that follows position `at - 1` of `list`: a { } block moves into
// `into` as it is; any other statement is wrapped in a new block of the given
// text. `at` ends on the last entry consumed; returns the body's last line.
int moveBody(Token* into, TokenList& list, size_t& at, const char* blockText, int line) {
  size_t b = nextEntry(list, at);
  if (b >= list.size()) {
    at = at > 0 ? at - 1 : 0;
    return line;
  }
  Token* body = list[b];
  if (body->type == TokenTypeCode::Block) {
    into->push(body);
    list[b] = nullptr;
    at = b;
    return body->endLine > line ? body->endLine : line;
  }
  Token* wrap = new Token(TokenTypeCode::Block, blockText, 0, body->line, into);
  into->push(wrap);
  long end = statementEnd(list, b);
  wrap->endLine = moveRange(wrap, list, b, end, body->line);
  at = static_cast<size_t>(end);
  return wrap->endLine > line ? wrap->endLine : line;
}

}  // namespace

namespace {

// Marks `from` and every token above it: a default value below them cannot be
// written as a JavaScript default.
void markNoDefaultValues(Token* from) {
  for (Token* p = from; p; p = p->parent) p->noDefaultValues = 1;
}

// CONFIG::name { ... } with a -define of that name: spliced in when the
// define is "true", dropped otherwise. Empty when `word` stands before no
// such block (or before an empty block that is kept).
std::optional<int> settleDefinedBlock(Token* word, Token* next) {
  if (!next || next->type != TokenTypeCode::Block || word->text.empty() || !_ompilerOptions_.defines.has(word->text))
    return std::nullopt;
  Token* parent = word->parent;
  std::string value = _ompilerOptions_.defines.get(word->text);
  word->text.clear();
  if (value != "true") {
    parent->childs[static_cast<size_t>(word->index)] = nullptr;
    parent->childs[static_cast<size_t>(word->index) + 1] = nullptr;
    return 1;
  }
  if (next->childs.empty()) return std::nullopt;
  TokenList rebuilt;
  TokenList& list = parent->childs;
  rebuilt.reserve(list.size() + next->childs.size());
  rebuilt.insert(rebuilt.end(), list.begin(), list.begin() + word->index);
  for (Token* c : next->childs) {
    if (c) rebuilt.push_back(c);
  }
  rebuilt.insert(rebuilt.end(), list.begin() + word->index + 2, list.end());
  list.swap(rebuilt);
  for (size_t k = 0; k < list.size(); ++k) {
    if (!list[k]) continue;
    list[k]->parent = parent;
    list[k]->index = static_cast<int32_t>(k);
    list[k]->file = parent->file;
  }
  return -1;
}

// NS::name { ... } with a name that no -define gives: a source error, and
// the block is left out. (The lexer keeps the prefix only on such names.)
std::optional<int> dropUndefinedBlock(Token* word, Token* next, Parse* file, bool undefinedConditional) {
  if (!next || next->type != TokenTypeCode::Block || !undefinedConditional) return std::nullopt;
  const std::string message =
      word->text + " is not defined (-define=" + word->text + ",true or false): the block is left out";
  std::string unused;
  word->scriptErr(unused, file, message.c_str(), 0);
  word->text.clear();
  word->parent->childs[static_cast<size_t>(word->index)] = nullptr;
  word->parent->childs[static_cast<size_t>(word->index) + 1] = nullptr;
  return 1;
}

bool isDeclaration(const Token* t) {
  return t->type == TokenTypeCode::Function || t->type == TokenTypeCode::Var || t->type == TokenTypeCode::Const;
}

// The declaration a word stands in front of: the next token, or past the ';'
// that the lexer puts in front of a var.
Token* declarationAfter(Token* word, Token* next) {
  if (next && next->type == TokenTypeCode::Semicolon) {
    Token* after = siblingOf(word, 2);
    if (after && (after->type == TokenTypeCode::Var || after->type == TokenTypeCode::Const)) return after;
  }
  return next;
}

// The last index of a declaration that starts at `at` in `list`: a
// function up to its body or its ';', a var or const up to its ';' or the
// token before the next declaration.
size_t declarationEnd(const TokenList& list, size_t at) {
  const bool function = list[at]->type == TokenTypeCode::Function;
  size_t last = at;
  for (size_t k = at + 1; k < list.size(); ++k) {
    Token* t = list[k];
    if (!t) continue;
    if (function) {
      if (t->type == TokenTypeCode::Block || t->type == TokenTypeCode::Semicolon) return k;
    } else {
      if (isDeclaration(t)) break;
      last = k;
      if (t->type == TokenTypeCode::Semicolon) break;
    }
  }
  return last;
}

// CONFIG::name in front of a member or local declaration (function, var,
// const) at the start of a statement: the declaration is kept when the
// define is "true" and dropped whole otherwise. An undefined name is a
// source error, and its declaration is dropped.
std::optional<int> settleConditionalDeclaration(Token* word, Token* declaration, Parse* file,
                                                bool undefinedConditional) {
  if (!declaration || word->text.empty() || !isDeclaration(declaration) ||
      !(undefinedConditional || _ompilerOptions_.defines.has(word->text)))
    return std::nullopt;
  Token* before = siblingOf(word, -1);
  if (before && before->type != TokenTypeCode::Semicolon && before->type != TokenTypeCode::Block &&
      before->line >= word->line)
    return std::nullopt;
  std::string value = undefinedConditional ? std::string() : _ompilerOptions_.defines.get(word->text);
  if (undefinedConditional) {
    const std::string message =
        word->text + " is not defined (-define=" + word->text + ",true or false): the declaration is left out";
    std::string unused;
    word->scriptErr(unused, file, message.c_str(), 0);
  }
  word->text.clear();
  if (value == "true") return 0;
  TokenList& list = word->parent->childs;
  const size_t first = static_cast<size_t>(word->index);
  const size_t last = declarationEnd(list, static_cast<size_t>(declaration->index));
  for (size_t k = first; k <= last; ++k) list[k] = nullptr;
  return static_cast<int>(last - first);
}

// ns var x / ns function f: an imported namespace in front of a declaration
// makes the declaration public and leaves no word in the output. A namespace
// of the file's own package is known without an import.
void applyNamespaceQualifier(Token* word, Token* declaration, TokenPackage* package) {
  if (word->type != TokenTypeCode::Word || !package || !declaration || !isDeclaration(declaration) ||
      word->text.find('.') != std::string::npos)
    return;
  auto it = package->importMap.find(word->text);
  const std::string own =
      package->qualifyingName.empty() ? word->text.str() : package->qualifyingName + "." + word->text.str();
  if ((it != package->importMap.end() && TokenClass::NameSpaceMap.has(it->second)) ||
      (it == package->importMap.end() && TokenClass::NameSpaceMap.has(own))) {
    word->text.clear();
    word->type = TokenTypeCode::Literal;
    int merged = (declaration->flags | word->flags) & ~(TokenModifierFlags::Public | TokenModifierFlags::Private);
    declaration->flags = merged | TokenModifierFlags::Public;
  }
}

// The -define and namespace rules of the base pass, for a token in front of
// a { } block, a ';' or a declaration, or one that declares a namespace.
// A skip count when the token settled its place in the list.
[[gnu::noinline]] std::optional<int> settleDirectives(Token* token, Token* next, Parse* file, TokenPackage* package) {
  Token* declaration = nullptr;
  if (next && (next->type == TokenTypeCode::Block || next->type == TokenTypeCode::Semicolon || isDeclaration(next))) {
    if (std::optional<int> skip = settleDefinedBlock(token, next)) return skip;
    const size_t colons = token->type == TokenTypeCode::Word ? token->text.find("::") : std::string::npos;
    const bool undefinedConditional =
        colons != std::string::npos && colons > 0 && !_ompilerOptions_.defines.has(token->text);
    if (std::optional<int> skip = dropUndefinedBlock(token, next, file, undefinedConditional)) return skip;
    declaration = declarationAfter(token, next);
    if (std::optional<int> skip = settleConditionalDeclaration(token, declaration, file, undefinedConditional))
      return skip;
  }

  // namespace ns = "...": known by its qualified name from here on.
  if ((token->flags & TokenModifierFlags::Namespace) && !(token->flags & TokenModifierFlags::Use)) {
    std::string key =
        package && !package->text.empty() ? package->text.str() + "." + token->text.str() : token->text.str();
    TokenClass::NameSpaceMap[key] = key;
  }
  applyNamespaceQualifier(token, declaration, package);
  return std::nullopt;
}

// Whether a -define or namespace rule may act on `token`, `next` following
// it: a word, or any token while there are -defines, in front of a { }
// block or a declaration, the lexer's ';' maybe between (settleDirectives).
[[gnu::always_inline]] inline bool directiveMayFollow(Token* token, Token* next) {
  if (!next || (token->type != TokenTypeCode::Word && _ompilerOptions_.defines.empty())) return false;
  if (next->type == TokenTypeCode::Block || isDeclaration(next)) return true;
  if (next->type != TokenTypeCode::Semicolon) return false;
  Token* after = siblingOf(token, 2);
  return after && (after->type == TokenTypeCode::Var || after->type == TokenTypeCode::Const);
}

}  // namespace

// A plain leaf is a token of the base class without children that has no
// -define or namespace rule to apply (most leaves of a group); its base pass
// (see Token::pretreatment) notes the class and, for a word, a '.' before it.
// Done here without the virtual call, for the whole run of plain leaves from
// `from` on; the class is read once, as a leaf changes nothing it depends on.
// A leaf that stands where its index says in this token's own list reads its
// neighbours straight from the list.
size_t Token::pretreatLeafRun(Parse* file, TokenList& list, size_t from) {
  TokenPackage* package = file ? file->package : nullptr;
  SharedPointer<TokenClass> cls;
  if (package) cls = package->workingClass;
  const bool own = &list == &childs;
  const bool defines = !_ompilerOptions_.defines.empty();
  const size_t n = list.size();
  for (size_t k = from; k < n; ++k) {
    Token* t = list[k];
    if (!t) continue;
    if (!t->childs.empty() || t->noDefaultValues || t->varGaps || (t->flags & TokenModifierFlags::Namespace) ||
        &typeid(*t) != &typeid(Token))
      return k;
    const bool word = t->type == TokenTypeCode::Word;
    // directiveMayFollow answers false at once for other tokens without -defines.
    if (!word && !defines) {
      if (package) t->currentClass = cls;
      continue;
    }
    const bool inPlace = own && t->parent == this && t->index == static_cast<int32_t>(k);
    Token* next = inPlace ? (k + 1 < n ? list[k + 1] : nullptr) : siblingOf(t, 1);
    if (directiveMayFollow(t, next)) return k;
    if (package) t->currentClass = cls;
    if (word) {
      Token* prev = inPlace ? (k > 0 ? list[k - 1] : nullptr) : siblingOf(t, -1);
      if (prev && !prev->text.empty() && prev->text.back() == '.') t->setPendingError("Behind[.]There can be no Spaces");
    }
  }
  return n;
}

// The base pass of words, operators, plain groups and the file root: -define
// blocks and declarations kept or dropped, namespaces noted, then the children.
//   CONFIG::debug { trace(1); }  ->  trace(1);   (with -define=CONFIG::debug,true)
//   my_ns function f() {}        ->  function f() {}   (f public)
int Token::pretreatment(Parse* file) {
  TokenPackage* package = file ? file->package : nullptr;
  if (package) currentClass = package->workingClass;
  if (noDefaultValues) markNoDefaultValues(parent);

  // The -define and namespace rules only act on a token in front of a { }
  // block or a declaration (maybe past a ';'), or on a namespace; a token
  // other than a word only through a -define of its own text, so without
  // -defines only its namespace is left. For most tokens a few tests settle
  // them all; a group, the most common token here, without looking at the
  // token after it.
  const bool namespaced = flags & TokenModifierFlags::Namespace;
  if (type == TokenTypeCode::Word || !_ompilerOptions_.defines.empty() || namespaced) {
    Token* next = siblingOf(this, 1);
    if (directiveMayFollow(this, next) || namespaced) {
      if (std::optional<int> skip = settleDirectives(this, next, file, package)) return *skip;
    }
  }

  if (type == TokenTypeCode::Word) {
    Token* prev = siblingOf(this, -1);
    if (prev && !prev->text.empty() && prev->text.back() == '.') setPendingError("Behind[.]There can be no Spaces");
  }

  for (long i = 0; i < static_cast<long>(childs.size()); ++i) {
    i = static_cast<long>(pretreatPlainLeaves(file, childs, static_cast<size_t>(i)));
    if (i >= static_cast<long>(childs.size())) break;
    Token* c = childs[static_cast<size_t>(i)];
    if (c->noDefaultValues) markNoDefaultValues(c);
    i += c->pretreatment(file);
    if (i < -1) i = -1;
  }
  closeVarGaps();
  return 0;
}

void Token::setTypeDeclaration(Token* type) {
  setTypeToken(type);
  if (type && !functionTyped && type->text == "Function") functionTyped = 1;
}

std::string Token::toTypeDeclaration(Parse*) {
  if (typeToken() && typeText().empty()) setTypeText(typeToken()->text);
  return typeText();
}

// In release mode every declared type that is printed counts as a class the
// file uses, so the output script carries that class.
void Token::addTypeDeclarationClassUse() {
  if (!__ISRELEASE__ || typeUseRegistered || !typeToken()) return;
  typeUseRegistered = 1;
  TokenPackage* package = file ? file->package : nullptr;
  if (package) package->useClassNamed(typeToken()->text);
}

// Gives the brace-less bodies of if, else, while, for and do their own { } blocks
// when the block also holds an awaited call, so that the async rewriting can
// guard each body as one unit. A body is the whole statement that follows.
int Token::checkAddBRACE() {
  bool awaited = false;
  bool braceless = false;
  size_t n = childs.size();
  // Most blocks hold no awaited call and stay as they are: that is asked
  // first, before the statement words are read.
  for (size_t i = 0; i < n && !awaited; ++i) {
    const Token* t = childs[i];
    awaited = t && t->type == TokenTypeCode::Word && t->awaitedCall;
  }
  if (!awaited) return 0;
  for (size_t i = 0; i < n; ++i) {
    Token* t = childs[i];
    if (!t || t->type == TokenTypeCode::Literal) continue;
    if (isWord(t, "do") || isWord(t, "else")) {
      Token* body = i + 1 < n ? childs[i + 1] : nullptr;
      if (body && body->type != TokenTypeCode::Block) braceless = true;
    } else if (isWord(t, "if") || t->type == TokenTypeCode::While || t->type == TokenTypeCode::For) {
      Token* body = i + 2 < n ? childs[i + 2] : nullptr;
      if (body && body->type != TokenTypeCode::Block) braceless = true;
    }
  }
  if (!awaited || !braceless) return 0;

  TokenList old;
  old.swap(childs);
  for (size_t i = 0; i < old.size(); ++i) {
    Token* t = old[i];
    if (!t) continue;
    if (isWord(t, "if")) {
      addIf(this, old, i, t->line);
      continue;
    }
    old[i] = nullptr;
    push(t);
    if (t->type == TokenTypeCode::While || t->type == TokenTypeCode::For) {
      size_t g = nextEntry(old, i + 1);
      if (g >= old.size() || old[g]->type != TokenTypeCode::Paren) continue;
      push(old[g]);
      old[g] = nullptr;
      i = g + 1;
      moveBody(this, old, i, "", t->line);
    } else if (isWord(t, "do")) {
      ++i;
      moveBody(this, old, i, "", t->line);
      // The loop's own "while (...)" stays with it.
      size_t w = nextEntry(old, i + 1);
      if (w < old.size() && old[w]->type == TokenTypeCode::While) {
        size_t g = nextEntry(old, w + 1);
        if (g < old.size() && old[g]->type == TokenTypeCode::Paren) {
          push(old[w]);
          old[w] = nullptr;
          push(old[g]);
          old[g] = nullptr;
          i = g;
        }
      }
    }
  }
  return 0;
}

// Wraps the if statement at `list[at]` (with its else chain) in a new block
// pushed on `into`; a brace-less then or else body gets a block of its own,
// and an "else if" nests. `at` ends on the last entry consumed.
size_t Token::addIf(Token* into, TokenList& list, size_t& at, int line) {
  if (at >= list.size() || !isWord(list[at], "if")) return at;
  Token* wrap = new Token(TokenTypeCode::Block, "", 0, line, into);
  into->push(wrap);
  Token* ifToken = list[at];
  wrap->push(ifToken);
  list[at] = nullptr;
  int last = ifToken->endLine;
  size_t g = nextEntry(list, at + 1);
  if (g < list.size() && list[g]->type == TokenTypeCode::Paren) {
    wrap->push(list[g]);
    if (list[g]->endLine > last) last = list[g]->endLine;
    list[g] = nullptr;
    at = g;
  }
  size_t b = at + 1;
  last = moveBody(wrap, list, b, "", last);
  at = b;
  size_t e = nextEntry(list, at + 1);
  if (e < list.size() && isWord(list[e], "else")) {
    Token* elseToken = list[e];
    wrap->push(elseToken);
    list[e] = nullptr;
    at = e;
    size_t k = nextEntry(list, e + 1);
    if (k < list.size() && isWord(list[k], "if")) {
      at = k;
      addIf(wrap, list, at, list[k]->line);
      Token* inner = wrap->childs.back();
      if (inner->endLine > last) last = inner->endLine;
    } else {
      size_t body = e + 1;
      last = moveBody(wrap, list, body, "", last);
      at = body;
    }
  }
  wrap->endLine = last;
  return at;
}

// Whether `token` lies in the body of a do, while or for loop: walking up the
// blocks, a block whose previous sibling is "do", or a ( ) group that follows
// "while" or "for", is a loop body.
bool Token::CheckIsWhileDoFor(Token* token) {
  Token* t = token;
  while (t && t->parent) {
    Token* p = t->parent;
    if (p->type == TokenTypeCode::Function) {
      // A function body has no siblings of its own inside the function.
      t = p;
      continue;
    }
    if (p->type != TokenTypeCode::Block) return false;
    Token* prev = siblingOf(t, -1);
    if (prev) {
      if (prev->type == TokenTypeCode::Literal) return false;
      if (isWord(prev, "do")) return true;
      if (prev->type == TokenTypeCode::Paren) {
        Token* head = siblingOf(prev, -1);
        if (head && (head->text == "while" || head->text == "for")) return true;
      }
    }
    t = p;
  }
  return false;
}
