// The lexer: one pass over the text of an ActionScript file that builds the
// token tree. It cuts the text into words, literals, operators and bracket
// groups, recurses into every group, keeps the source layout as each token's
// leading text, gathers modifier words into flag bits, acts on directive
// comments and rewrites a few source forms on the way (strict equality,
// "||=" and "&&=", namespace prefixes, Vector.<T>, E4X literals, includes).
//
// The lexer never writes into the text it reads: a blank run that ends in a
// '.' is stepped over and the word builder drops the blanks it spans.
//
// This file holds the group scanner, the operators and the entry points;
// its siblings Token-lexer-<part>.cpp make the words, read XML literals,
// regular expressions, directive comments and includes, and rewrite
// logical assignments.
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "CompilerOptions.h"
#include "Token-lexer-internal.h"
#include "Token.h"
#include "TokenOther.h"
#include "message.h"
#include "parse.h"
#include "xstringmethod.h"

// ---- process-wide lexer state (owner: the lexer; carries from file to file) ----

std::string _Comment;                // the doc comment waiting for the next declaration
uint8_t DISBALEOUTCONST = 0;         // const declarations print nothing while set
TokenClass* pCurAddClass = nullptr;  // the class token made last
const char* __unnowkey__ = "|if|else|for|do|while|case|delete|await|";
const char* __sytemtype__ =
    "|Boolean|Object|Number|Array|RegExp|FileSystem|Date|Worker|undefine|String|int|Function|uint|undefined|throw|"
    "Class|Error|Dictionary|";
const char* _SystemKeywords_ =
    "|Date|typeof|RegExp|FileSystem|implements|do|catch|default|while|String|Worker|Number|break|continue|is|as|"
    "class|as|new|delete|Math|Object|Array|true|false|undefine|null|return|in|if|else|for|switch|case|var|void|"
    "try|catch|finally|function|throw|Class|";

namespace lexer {

LexRun* g_run = nullptr;

long long countTokens(Token* t) {
  long long n = 0;
  TokenList stack{t};
  while (!stack.empty()) {
    Token* x = stack.back();
    stack.pop_back();
    if (!x) continue;
    ++n;
    stack.insert(stack.end(), x->childs.begin(), x->childs.end());
  }
  return n;
}

}  // namespace lexer

using namespace lexer;

namespace {

// ---- tables ----

// Two- and three-byte operators: every byte pair (triple) that stands
// together in one of these list texts.
constexpr char kOperators2[] =
    "\x01++\x01--\x01+=\x01-=\x01*=\x01/=\x01==\x01<>\x01>>\x01!=\x01>>\x01<<\x01&&\x01|="
    "\x01||\x01|>=|<=|";
constexpr char kOperators3[] = "\x01>>>\x01<<<\x01===\x01&&&\x01!==\x01||=\x01&&=\x01";

// The pairs of kOperators2, one bit per pair of bytes, made when compiling.
struct OperatorPairs {
  uint64_t bits[65536 / 64] = {};
  constexpr OperatorPairs() {
    for (size_t i = 0; i + 1 < sizeof(kOperators2) - 1; ++i) {
      const auto a = static_cast<unsigned char>(kOperators2[i]);
      const auto c = static_cast<unsigned char>(kOperators2[i + 1]);
      if (a > 1 && c > 1) bits[(a * 256u + c) >> 6] |= uint64_t(1) << ((a * 256u + c) & 63);
    }
  }
  constexpr bool test(unsigned pair) const { return (bits[pair >> 6] >> (pair & 63)) & 1; }
};
constexpr OperatorPairs kOperatorPairs;

// The triples of kOperators3 (windows of the list without a separator byte),
// each packed into one number, made when compiling.
constexpr uint32_t packTriple(const char* p) {
  return static_cast<uint32_t>(static_cast<unsigned char>(p[0])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(p[1])) << 8 | static_cast<unsigned char>(p[2]);
}

struct OperatorTriples {
  uint32_t codes[sizeof(kOperators3)] = {};
  size_t count = 0;
  constexpr OperatorTriples() {
    for (size_t i = 0; i + 2 < sizeof(kOperators3) - 1; ++i) {
      const char* w = kOperators3 + i;
      if (w[0] > 1 && w[1] > 1 && w[2] > 1) codes[count++] = packTriple(w);
    }
  }
};
constexpr OperatorTriples kOperatorTriples;

// Every triple begins with a pair, so a byte pair that is none needs no
// look at the triples.
constexpr bool triplesBeginWithPairs() {
  for (size_t i = 0; i < kOperatorTriples.count; ++i) {
    const uint32_t code = kOperatorTriples.codes[i];
    if (!kOperatorPairs.test(code >> 8)) return false;
  }
  return true;
}
static_assert(triplesBeginWithPairs(), "an operator triple does not begin with an operator pair");

bool isOperator3(const char* p) {
  if (p[0] <= 1 || p[1] <= 1 || p[2] <= 1) return false;
  const uint32_t code = packTriple(p);
  for (size_t i = 0; i < kOperatorTriples.count; ++i)
    if (kOperatorTriples.codes[i] == code) return true;
  return false;
}

// The byte classes the group lexer asks about once per byte of source, as
// one table made when compiling.
enum : uint8_t { kOperatorByte = 1, kPlainWordByte = 2, kLayoutOrDotByte = 4 };

constexpr bool inText(const char* text, unsigned char c) {
  for (; *text; ++text)
    if (static_cast<unsigned char>(*text) == c) return true;
  return false;
}

struct ByteClasses {
  uint8_t of[256] = {};
  constexpr ByteClasses() {
    for (int b = 0; b < 256; ++b) {
      const auto c = static_cast<unsigned char>(b);
      if (inText("?+-/=|^~%&<>!", c)) of[b] |= kOperatorByte;
      // A byte that the group lexer adds to the current word and does
      // nothing else with: one of 0x80 and above, or a printable byte that
      // is neither a bracket, a quote, a separator, '.', '*', ':', '/' nor
      // an operator byte.
      if (b >= 0x21 && b != 0x7F && !inText("\"'(){}[]*,?:;./", c) && !inText("?+-/=|^~%&<>!", c))
        of[b] |= kPlainWordByte;
      if (inText(" \t\n\r\x01.", c)) of[b] |= kLayoutOrDotByte;
    }
  }
};
constexpr ByteClasses kByteClasses;

// One of "?+-/=|^~%&<>!".
bool isOperatorChar(unsigned char c) { return kByteClasses.of[c] & kOperatorByte; }

bool isPlainWordByte(unsigned char c) { return kByteClasses.of[c] & kPlainWordByte; }

// A layout byte (see isLayoutByte) or a '.'.
constexpr bool isLayoutOrDot(unsigned char c) { return kByteClasses.of[c] & kLayoutOrDotByte; }
static_assert(isLayoutOrDot(' ') && isLayoutOrDot('\t') && isLayoutOrDot('\n') && isLayoutOrDot('\r') &&
              isLayoutOrDot('\x01') && isLayoutOrDot('.') && !isLayoutOrDot('a') && !isLayoutOrDot('\0'));

// Index of the byte that closes the first `open` at or after `from`; -1 when
// the text (or the `limit` bytes after the first open) ends first.
int matchBracket(const char* text, int from, char open, char close, int* firstOpen, int& lines, int limit) {
  int i = from;
  while (text[i] && text[i] != open) {
    if (text[i] == '\n') ++lines;
    ++i;
  }
  if (!text[i]) return -1;
  if (firstOpen) *firstOpen = i;
  const int start = i;
  int depth = 0;
  for (;; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (!c) return -1;
    if (limit >= 0 && i - start > limit) return -1;
    if (c >= 0x80) continue;
    if (c == '\n') ++lines;
    if (c == static_cast<unsigned char>(open)) {
      ++depth;
    } else if (c == static_cast<unsigned char>(close)) {
      if (--depth == 0) return i;
    }
  }
}

}  // namespace

// ---- public helpers ----

int matchingCha(const char* text, char open, char close, int* firstOpen, int& lines) {
  if (!text) return -1;
  return matchBracket(text, 0, open, close, firstOpen, lines, -1);
}

// ---- the group lexer ----

namespace lexer {

// Reads up to the bracket that closes the group (`opened`: a bracket of
// this text opened it) or to the end of the text: one switch on the byte,
// each case a token or a step of its own.
LexEnd GroupLexer::scan(bool opened) {
  // The text ends in a NUL at len_ (and every step stops at one), so the
  // end needs no check of its own per byte: only the XML and regular
  // expression readers, which may step further, are held to it.
  for (;;) {
    const unsigned char c = static_cast<unsigned char>(t_[pos_]);
    if (c >= 0x80) {
      startWord();
      ++pos_;
      continue;
    }
    switch (c) {
      case 0:
        if (pos_ > len_) pos_ = len_;
        flushWord();
        return atEnd(opened);
      case 0x01:
      case '\r':
        wordSpansLayout();
        ++pos_;
        continue;
      case ' ':
        // Most blanks stand alone between two tokens: one that neither a
        // layout byte nor a '.' follows ends the word and goes into the
        // layout at once.
        if (!isLayoutOrDot(static_cast<unsigned char>(t_[pos_ + 1]))) {
          flushWord();
          leading_ += ' ';
          ++pos_;
          continue;
        }
        blankRun();
        continue;
      case '\t':
        blankRun();
        continue;
      case '\n':
        lineEnd();
        continue;
      case '"':
      case '\'':
        quoted();
        if (g_run->aborted) return LexEnd::Aborted;
        continue;
      case '(':
      case '{':
      case '[': {
        LexEnd e = openGroup(static_cast<char>(c));
        if (e != LexEnd::Closed) return e;
        continue;
      }
      case ')':
      case '}':
      case ']':
        closeGroup(static_cast<char>(c));
        return LexEnd::Closed;
      case '*':
        star();
        continue;
      case ',': {
        static const SharedString kComma(",");
        punctuation(TokenTypeCode::Comma, kComma);
        continue;
      }
      case '?': {
        static const SharedString kQuestion("?");
        punctuation(TokenTypeCode::Question, kQuestion);
        continue;
      }
      case ':':
        colon();
        continue;
      case ';': {
        flushWord();
        // The layout before a ';' waits for the next token.
        static const SharedString kSemicolon(";");
        pushNew(TokenTypeCode::Semicolon, kSemicolon, false);
        ++pos_;
        continue;
      }
      case '.':
        dot();
        continue;
      case '/':
        slash();
        if (g_run->aborted) return LexEnd::Aborted;
        if (pos_ > len_) pos_ = len_;
        continue;
      default:
        break;
    }
    if (isOperatorChar(c)) {
      operatorByte(static_cast<char>(c));
      if (g_run->aborted) return LexEnd::Aborted;
      if (pos_ > len_) pos_ = len_;
      continue;
    }
    if (c >= 0x21 && c <= 0x7E) {
      wordBytes();
      continue;
    }
    // Any other control byte reads as a blank.
    flushWord();
    leading_ += ' ';
    ++pos_;
  }
}

// The number of tabs from `p` on. Read eight bytes at a time where eight
// lie before the text's end: an indentation is often that deep or deeper.
int GroupLexer::tabsAt(int p) const {
  static_assert(std::endian::native == std::endian::little, "the first byte read is the lowest");
  const int from = p;
  for (; p + 8 <= len_; p += 8) {
    uint64_t bytes;
    std::memcpy(&bytes, t_ + p, sizeof bytes);
    // A byte that is no tab leaves a nonzero byte here; the lowest is the first.
    if (const uint64_t other = bytes ^ 0x0909090909090909ull) return p - from + (std::countr_zero(other) >> 3);
  }
  while (t_[p] == '\t') ++p;
  return p - from;
}

// A line end ends the word and goes into the layout of the next token; the
// indentation after it is read at once.
void GroupLexer::lineEnd() {
  flushWord();
  ++line_;
  ++pos_;
  if (leading_.empty()) {
    // Most line ends stand alone before tabs and a token: the layout is
    // held as the number of its text.
    const int p = pos_ + tabsAt(pos_);
    const char next = t_[p];
    if (next != '.' && next != 0 && next != ' ' && !isLayoutByte(next)) {
      leading_.setLineAndTabs(static_cast<size_t>(p - pos_));
      pos_ = p;
      return;
    }
  }
  leading_ += '\n';
  if (t_[pos_] == '\t' || t_[pos_] == ' ') blankRun();
}

// A one-byte token that ends the word before it.
void GroupLexer::punctuation(int code, const SharedString& text) {
  flushWord();
  pushNew(code, text);
  ++pos_;
}

// A '*' right after a '.' belongs to the word (a.*, import p.*); anywhere
// else it is the operator.
void GroupLexer::star() {
  if (pos_ > 0 && t_[pos_ - 1] == '.') {
    startWord();
  } else {
    flushWord();
    static const SharedString kStar("*");
    pushNew(TokenTypeCode::Operator, kStar);
  }
  ++pos_;
}

// A ':' of a "::" belongs to the word (ns::name); a single one is a colon.
void GroupLexer::colon() {
  if ((pos_ > 0 && t_[pos_ - 1] == ':') || t_[pos_ + 1] == ':') {
    startWord();
    wordColons_ = true;
  } else {
    flushWord();
    static const SharedString kColon(":");
    pushNew<TokenColon>(TokenTypeCode::Colon, kColon);
  }
  ++pos_;
}

// A printable byte starts or goes on with the word; the bytes that only go
// on with it are stepped over at once.
void GroupLexer::wordBytes() {
  startWord();
  // A local index: pos_ is a reference, which a byte read could alias. The
  // text ends in a NUL at len_, which is no word byte.
  int p = pos_ + 1;
  while (isPlainWordByte(static_cast<unsigned char>(t_[p]))) ++p;
  pos_ = p;
}

// The end of the text inside a group that a bracket of this text opened:
// the group is left open. Reported once per file, at the opening line.
LexEnd GroupLexer::atEnd(bool opened) {
  if (opened && !g_run->unclosedReported) {
    g_run->unclosedReported = true;
    MSGTO(MessageType::UnmatchedClose, pathOf(group_), group_->line, "%s", "");
  }
  return LexEnd::EndOfText;
}

// A run of blanks, tabs and line ends. When a '.' follows, the run is
// stepped over and the word goes on ("a . b" reads as "a.b"); otherwise it
// ends the word and becomes leading text.
void GroupLexer::blankRun() {
  // One pass finds the end of the run, its line ends and whether it holds
  // a byte the layout leaves out.
  int r = pos_;
  int lines = 0;
  bool leftOut = false;
  for (; r < len_; ++r) {
    const char c = t_[r];
    if (c == ' ' || c == '\t') continue;
    if (c == '\n') {
      ++lines;
    } else if (c == '\r' || c == '\x01') {
      leftOut = true;
    } else {
      break;
    }
  }
  line_ += lines;
  if (r < len_ && t_[r] == '.') {
    wordSpansLayout();
    pos_ = r;
    return;
  }
  flushWord();
  // Blanks, tabs and line ends go into the layout as they stand, a stretch
  // at a time; '\r' and 0x01 are left out.
  if (r - pos_ == 1 && !leftOut) {
    leading_ += t_[pos_];  // most runs are one blank
  } else if (!leftOut) {
    leading_.append(t_ + pos_, static_cast<size_t>(r - pos_));
  } else {
    for (int k = pos_; k < r;) {
      const int from = k;
      while (k < r && t_[k] != '\r' && t_[k] != '\x01') ++k;
      leading_.append(t_ + from, static_cast<size_t>(k - from));
      while (k < r && (t_[k] == '\r' || t_[k] == '\x01')) ++k;
    }
  }
  pos_ = r;
}

void GroupLexer::quoted() {
  flushWord();
  const int startLine = line_;
  int end = xstringmthod::getQuotationMarkText(t_, pos_, line_);
  if (end > len_) end = len_;
  const bool closed = end < len_ && t_[end] != 0;
  const int last = closed ? end : end - 1;
  Token* prev = lastChild(group_);
  if (prev && prev->type == TokenTypeCode::Include) {
    includeFile(group_, std::string(t_ + pos_, last - pos_ + 1));
  } else {
    addWord(t_, t_ + pos_, last, startLine, group_, flags_, leading_, true, true);
  }
  pos_ = closed ? end + 1 : end;
}

LexEnd GroupLexer::openGroup(char c) {
  flushWord();
  if (c == '[') {
    if (std::strncmp(t_ + pos_, "[inline]", 8) == 0) {
      flags_ |= TokenModifierFlags::Inline;
      pos_ += 8;
      return LexEnd::Closed;
    }
    if (std::strncmp(t_ + pos_, "[Bindable]", 10) == 0) {
      flags_ |= TokenModifierFlags::Bindable;
      pos_ += 10;
      return LexEnd::Closed;
    }
  }
  Token* g = c == '(' ? pushNew<TokenParent>(TokenTypeCode::Paren, SharedString())
                      : pushNew(c == '{' ? TokenTypeCode::Block : TokenTypeCode::Bracket, SharedString());
  LexRun& run = *g_run;
  if (run.depth >= kMaxLexDepth) {
    queueError(g, group_, "Brackets nested too deeply (more than " + std::to_string(kMaxLexDepth) + " levels)");
    run.aborted = true;
    return LexEnd::Aborted;
  }
  ++pos_;
  // The children gather in the list of this depth, which keeps its room
  // from group to group; the group takes them in a list of their size.
  const size_t depth = static_cast<size_t>(run.depth);
  if (run.gathering.size() <= depth) run.gathering.resize(depth + 1);
  g->childs.swap(run.gathering[depth]);
  ++run.depth;
  LexEnd e = GroupLexer(g, t_, len_, pos_, line_).run(true);
  --run.depth;
  TokenList& gathered = run.gathering[depth];  // the vector may have grown meanwhile
  gathered.swap(g->childs);
  g->childs.assignExact(gathered);
  gathered.clear();
  g->endLine = line_;
  if (e != LexEnd::Closed) return e;
  ++pos_;  // past the closing bracket
  return LexEnd::Closed;
}

// A closing bracket ends the group; one of the wrong kind is reported.
void GroupLexer::closeGroup(char c) {
  flushWord();
  bool matches;
  if (c == ')') {
    matches = group_->type == TokenTypeCode::Paren;
  } else if (c == '}') {
    matches = group_->type == TokenTypeCode::Block;
  } else {
    matches = group_->type == TokenTypeCode::Bracket || group_->type == TokenTypeCode::As;
  }
  if (!matches) MSGTO(MessageType::UnmatchedClose, pathOf(group_), line_, "%s", "");
  SharedString trailing;
  leading_.moveTo(trailing);
  group_->setTrailingShared(trailing);
}

// A '.': the blanks after it are stepped over; after the word "Vector" a
// following <...> makes one Vector.<T> token.
void GroupLexer::dot() {
  int r = pos_ + 1;
  while (r < len_ && isLayoutByte(t_[r])) ++r;
  const int gapLines = countLines(t_, pos_ + 1, r);
  if (wordStart_ >= 0 && t_[r] == '<' && pos_ - wordStart_ >= 6 && std::strncmp(t_ + wordStart_, "Vector", 6) == 0) {
    bool onlyVector = true;
    for (int k = wordStart_ + 6; k < pos_; ++k)
      if (!isLayoutByte(t_[k])) onlyVector = false;
    int lines = 0;
    const int close = onlyVector ? matchBracket(t_, r, '<', '>', nullptr, lines, kMaxVectorParam) : -1;
    if (close >= 0) {
      std::string element;
      for (int k = r + 1; k < close; ++k)
        if (!isLayoutByte(t_[k])) element += t_[k];
      std::string text = "Vector.<" + element + ">";
      auto* v = new TokenVector(TokenTypeCode::VectorType, text.c_str(), pos_, wordLine_, group_);
      v->elementType = element;
      flags_ = 0;
      pushToken(v);
      wordStart_ = -1;
      line_ += gapLines + lines;
      pos_ = close + 1;
      return;
    }
  }
  startWord();
  if (r > pos_ + 1) wordSpansLayout();
  line_ += gapLines;
  pos_ = r;
}

void GroupLexer::slash() {
  const char next = t_[pos_ + 1];
  if (next == '/' || next == '*') {
    comment();
    return;
  }
  // Where a value is expected the '/' opens a regular expression: at the
  // start of a group, after "=", ",", ";", ":", after "return", and after
  // an operator (!/a/.test(s), c ? /a/ : /b/, x && /a/.test(s)) other than
  // "++" and "--", which end a value (i++ / 2).
  if (wordStart_ < 0 && valueExpectedAfter(group_) && regex()) return;
  operatorByte('/');
}

void GroupLexer::operatorByte(char c) {
  // "x === y": strict equality is loose for the Flash emulation library.
  if ((c == '!' || c == '=') && wordStart_ < 0 && t_[pos_ + 1] == '=' && t_[pos_ + 2] == '=') {
    const char* op = _ompilerOptions_.zafritLib ? (c == '=' ? "==" : "!=") : (c == '=' ? "===" : "!==");
    pushToken(new Token(TokenTypeCode::Operator, op, pos_, line_, group_));
    pos_ += 3;
    return;
  }
  if (c == '<' && wordStart_ < 0 && xmlLiteral()) return;
  Token* last = lastChild(group_);
  if ((c == '<' || c == '>') && last && last->type == TokenTypeCode::Colon) {
    flushWord();
    ++pos_;
    return;
  }
  flushWord();
  // Most operators are one byte: the triples are looked at only after a pair.
  int n = 1;
  if (t_[pos_ + 1] &&
      kOperatorPairs.test(static_cast<unsigned char>(t_[pos_]) * 256u + static_cast<unsigned char>(t_[pos_ + 1])))
    n = t_[pos_ + 2] && isOperator3(t_ + pos_) ? 3 : 2;
  // The operator is read in place: "||=" and "&&=" are rewritten, any
  // other is one token.
  const char* at = t_ + pos_;
  if (n == 3 && (at[0] == '|' || at[0] == '&') && at[1] == at[0] && at[2] == '=') {
    logicalAssign(std::string(at, 3));
    pos_ += 3;
    return;
  }
  const int code = n == 1 && at[0] == '=' ? TokenTypeCode::Assign : TokenTypeCode::Operator;
  pushNew(code, SharedString(std::string_view(at, static_cast<size_t>(n))));
  pos_ += n;
}

void lexInto(Token* group, const char* text, int length, int& pos, int& line) {
  if (!group || !text || length <= 0 || pos < 0 || pos >= length) return;
  RunScope scope(length);
  if (g_run->aborted) return;
  refreshWordClasses();
  const bool outermost = scope.owner();
  GroupLexer(group, text, length, pos, line).run(false);
  if (outermost) bracketLogicalAssignValues(g_run->logicalAssigns);
}

}  // namespace lexer

// ---- the entry points ----

void Token::parse(const char* text, int length, int& pos, int& line, Token* parent) {
  this->parent = parent;
  this->line = line;
  if (!text || length <= 0 || pos < 0 || pos >= length) return;
  // The scanners stop at a NUL: read a terminated copy when the text has
  // none within `length`.
  std::string copy;
  if (const void* nul = std::memchr(text, 0, static_cast<size_t>(length))) {
    length = static_cast<int>(static_cast<const char*>(nul) - text);
    if (pos >= length) {
      pos = length;
      return;
    }
  } else {
    copy.assign(text, static_cast<size_t>(length));
    text = copy.c_str();
  }
  lexInto(this, text, length, pos, line);
}


void resetLexerState() {
  _Comment.clear();
  DISBALEOUTCONST = 0;
  pCurAddClass = nullptr;
  Token::_varGapOwners_().clear();  // left over only by a file whose pretreatment was cut short
}
