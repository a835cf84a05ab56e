// Declarations the parts of the lexer share (the group scanner, the word
// maker, XML literals, regular expressions, directive comments, includes and
// logical assignments). Only the Token-lexer*.cpp files include this header.
#pragma once

#include <cstring>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "Token.h"
#include "TokenList.h"
#include "TokenPool.h"
#include "parse.h"

namespace lexer {

// Bracket groups (and includes and embedded XML expressions) nested deeper
// than this end the file with a source error. The recursive passes that run
// over the tree later rely on this bound as well.
constexpr int kMaxLexDepth = 256;
// A Vector type parameter longer than this is not read as one.
constexpr int kMaxVectorParam = 512;
// The included text one file may expand to, all its includes together
// (includes of includes too); further includes are a source error.
constexpr long long kMaxIncludedBytes = 16ll << 20;

// A word's row of the word table and list marks (Token-lexer-words.cpp).
struct WordClass;

// ---- the layout waiting for the next token ----

// The blanks, tabs and line ends read since the last token. The usual
// layouts (one blank; a line end and the tabs after it) are held as the
// number of their kept text, which the token takes as it is; any other is
// built in a string. Reading or changing the text turns a number into its
// string first.
class Layout {
 public:
  bool empty() const { return id_ == 0 && text_.empty(); }
  void operator+=(char c) {
    if (c == ' ' && empty()) {
      id_ = blankId();
      return;
    }
    text().push_back(c);
  }
  void append(const char* p, size_t n) { text().append(p, n); }
  void clear() {
    id_ = 0;
    text_.clear();
  }
  // The layout of a line end and `tabs` tabs, put in place of an empty one.
  void setLineAndTabs(size_t tabs) {
    const uint32_t known = tabs < kTabLines ? lineAndTabsIds_[tabs] : 0;
    id_ = known ? known : keepLineAndTabs(tabs);
  }
  // Gives the layout to a token's field and empties it.
  void moveTo(SharedString& field) {
    if (id_) {
      field = SharedString::ofId(id_);
      id_ = 0;
    } else {
      field = text_;
      text_.clear();
    }
  }
  // The layout as a string to read or change.
  std::string& text() {
    if (id_) {
      text_ = SharedString::ofId(id_).str();
      id_ = 0;
    }
    return text_;
  }
  std::string take() {
    std::string out;
    out.swap(text());
    return out;
  }

 private:
  static constexpr size_t kTabLines = 32;
  // The one-byte texts are kept in a table by the byte: no guarded static.
  static uint32_t blankId() { return SharedString(std::string_view(" ", 1)).id(); }
  // Keeps the text of a line end and `tabs` tabs, remembering its number
  // for the first kTabLines counts.
  [[gnu::noinline]] static uint32_t keepLineAndTabs(size_t tabs) {
    const uint32_t id = SharedString("\n" + std::string(tabs, '\t')).id();
    if (tabs < kTabLines) lineAndTabsIds_[tabs] = id;
    return id;
  }
  static inline uint32_t lineAndTabsIds_[kTabLines] = {};  // 0: not kept yet
  std::string text_;
  uint32_t id_ = 0;  // nonzero: the layout is this kept text and text_ is empty
};

// ---- per-file state of one outermost Token::parse call ----

struct LexRun {
  int depth = 0;
  bool aborted = false;
  bool unclosedReported = false;
  std::vector<std::string> includeStack;  // normalised paths being tokenised, outermost first
  std::unordered_set<std::string> includesDone;  // "including path\n included path" pairs expanded
  long long includedBytes = 0;            // text the includes of this file have expanded to
  bool includeBoundReported = false;
  long long xmlBudget = 0;                // bytes the XML look-ahead may still scan
  long long tokensMade = 0;
  long long tokensCopied = 0;
  TokenList logicalAssigns;     // the "||" / "&&" of each "a ||= b" rewritten
  // One list per nesting depth that an open bracket group gathers its
  // children in; the group gets a list of just their number when it
  // closes, so the room a growing list keeps is never left in the tree.
  std::vector<TokenList> gathering;
};

// The run of the file being tokenised; null between files.
extern LexRun* g_run;

// Makes a run for the outermost call and removes it again at its end.
class RunScope {
 public:
  explicit RunScope(long long textLength) {
    if (!g_run) {
      g_run = &own_;
      own_.xmlBudget = 16 * textLength + (1 << 20);
      owner_ = true;
    }
  }
  ~RunScope() {
    if (owner_) g_run = nullptr;
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;
  bool owner() const { return owner_; }

 private:
  LexRun own_;
  bool owner_ = false;
};

enum class LexEnd { Closed, EndOfText, Aborted };

inline bool isLayoutByte(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\x01'; }

// A byte that can begin an ActionScript name.
inline bool startsName(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' || c >= 0x80;
}

// The first place of `needle` at or after `from`, or null at the end of the
// text. It reads no further than the match, so searches that start often
// and end soon stay cheap on long texts.
inline const char* findFrom(const char* from, const char* needle) {
  const size_t n = std::strlen(needle);
  for (const char* p = from; *p; ++p)
    if (*p == needle[0] && std::strncmp(p, needle, n) == 0) return p;
  return nullptr;
}

inline const char* findByte(const char* from, char c) {
  for (const char* p = from; *p; ++p)
    if (*p == c) return p;
  return nullptr;
}

inline Token* lastChild(Token* group) { return group->childs.empty() ? nullptr : group->childs.back(); }

inline const char* pathOf(Token* group) { return group && group->file ? group->file->path.c_str() : _CURFILENAME.c_str(); }

// A token of class T with a text kept already: it takes the text's number
// as it is, where a C string would be measured and looked up again.
// A token of class T made as `new T(args...)` would make it, with the
// pool's common path in line.
template <class T, class... Args>
inline T* makeToken(Args... args) {
#if RUVO_TOKEN_POOL
  return ::new (tokenpool::allocate(sizeof(T))) T(args...);
#else
  return new T(args...);
#endif
}

template <class T = Token>
inline T* newToken(int code, const SharedString& text, int line, Token* group) {
  T* t = makeToken<T>(code, static_cast<const char*>(nullptr), 0, line, group);
  t->text = text;
  return t;
}

inline void countMade(long long n = 1) {
  if (g_run) g_run->tokensMade += n;
}

inline void queueError(Token* token, Token* group, const std::string& message) {
  std::string unused;
  token->scriptErr(unused, group ? group->file : nullptr, message.c_str(), 1);
}

inline int countLines(const char* t, int from, int to) {
  int n = 0;
  for (int i = from; i < to; ++i)
    if (t[i] == '\n') ++n;
  return n;
}

// The tokens of the tree under `t`, itself included.
long long countTokens(Token* t);

// Tokenises text[pos, length) into `group`; the outermost call owns the run.
// text[length] is a NUL: the scanners may read up to it unchecked.
void lexInto(Token* group, const char* text, int length, int& pos, int& line);

// Expands an include of the file named by the quoted text into `group`.
void includeFile(Token* group, const std::string& quoted);

// Whether the text at its '<' holds one complete XML element; `scanned`
// gets the number of bytes read.
bool scanXml(const char* text, long long& scanned);

// Token::_addWord_ for the group lexer, which knows whether the word holds
// a layout byte (`spaced`): a word without one is read in place unscanned;
// and whether it holds a "::" (`colons`): one without is not searched.
void addWord(const char* text, const char* word, int last, int line, Token* group, int& flags, Layout& leading,
             bool spaced, bool colons);

// Makes the table of word classes again when the list __unnowkey__ or
// __sytemtype__ was replaced since it was made; asked before a text is
// tokenised, so that the look-up made for every word need not.
void refreshWordClasses();

// Whether the next token of the group begins a value.
bool valueExpectedAfter(Token* group);

// Puts the value of each rewritten "a ||= b" into brackets where it needs them.
void bracketLogicalAssignValues(const TokenList& operators);

// ---- the group lexer ----

// Reads the tokens of one bracket group (or of the whole text) into `group`:
// words, literals, operators and punctuation, with a nested GroupLexer for
// every bracket group it opens. `pos` and `line` move on as it reads.
class GroupLexer {
 public:
  GroupLexer(Token* group, const char* text, int length, int& pos, int& line)
      : group_(group), t_(text), len_(length), pos_(pos), line_(line), posOut_(pos), lineOut_(line) {}

  // The position and line are the lexer's own while it reads (a read
  // through a reference could alias every store), and given back at the end.
  LexEnd run(bool opened) {
    const LexEnd e = scan(opened);
    posOut_ = pos_;
    lineOut_ = line_;
    return e;
  }

 private:
  void startWord() {
    if (wordStart_ < 0) {
      wordStart_ = pos_;
      wordLine_ = line_;
      wordSpaced_ = false;
      wordColons_ = false;
    }
  }
  // The word being read goes on past a layout byte, which its text drops.
  void wordSpansLayout() {
    if (wordStart_ >= 0) wordSpaced_ = true;
  }
  void flushWord() {
    if (wordStart_ < 0) return;
    word();
    wordStart_ = -1;
  }
  // A new token of class T with a kept text, pushed with the waiting
  // layout (none when `withLeading` is false) as pushToken would push it.
  // The layout is taken before the token is made, so that each field the
  // token gets is stored once (the constructor's stores of them are dead).
  template <class T = Token>
  T* pushNew(int code, SharedString text, bool withLeading = true) {
    SharedString leading;
    if (withLeading) leading_.moveTo(leading);
    Token* const group = group_;
    T* t = makeToken<T>(code, static_cast<const char*>(nullptr), 0, line_, group);
    t->text = text;
    t->leadingText = leading;
    group->push(t);
    ++g_run->tokensMade;  // a group lexer reads only inside a run
    return t;
  }
  Token* pushToken(Token* t, bool withLeading = true) {
    if (withLeading) {
      leading_.moveTo(t->leadingText);
    }
    group_->push(t);
    ++g_run->tokensMade;  // a group lexer reads only inside a run
    return t;
  }

  // The word read from wordStart_ up to pos_ becomes its token (Token-lexer-words.cpp).
  void word();
  [[gnu::noinline]] void tableOrNamespacedWord(std::string_view w, SharedString key, const WordClass& wordClass);
  // The group scanner (Token-lexer.cpp).
  LexEnd scan(bool opened);
  LexEnd atEnd(bool opened);
  void blankRun();
  void lineEnd();
  int tabsAt(int p) const;
  void punctuation(int code, const SharedString& text);
  void star();
  void colon();
  void wordBytes();
  void quoted();
  LexEnd openGroup(char c);
  void closeGroup(char c);
  void dot();
  void slash();
  void operatorByte(char c);
  // Directive comments (Token-lexer-comments.cpp).
  void comment();
  void bracketDirectives(std::string_view body);
  // Regular expression literals (Token-lexer-regex.cpp).
  bool regex();
  // E4X literals (Token-lexer-xml.cpp).
  bool xmlLiteral();
  void xmlWithExpressions();
  void xmlInList();
  bool cdataValue();
  bool xmlAhead();
  // Logical assignments (Token-lexer-assign.cpp).
  void logicalAssign(const std::string& op);

  Token* group_;
  const char* t_;
  int len_;
  int pos_;
  int line_;
  int& posOut_;
  int& lineOut_;
  int wordStart_ = -1;
  int wordLine_ = 0;
  bool wordSpaced_ = false;  // the word holds a layout byte
  bool wordColons_ = false;  // the word holds a ':' (of a "::")
  int flags_ = 0;
  Layout leading_;
};

}  // namespace lexer
