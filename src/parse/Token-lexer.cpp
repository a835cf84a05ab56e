// The lexer: one pass over the text of an ActionScript file that builds the
// token tree. It cuts the text into words, literals, operators and bracket
// groups, recurses into every group, keeps the source layout as each token's
// leading text, gathers modifier words into flag bits, acts on directive
// comments and rewrites a few source forms on the way (strict equality,
// "||=" and "&&=", namespace prefixes, Vector.<T>, E4X literals, includes).
//
// The lexer never writes into the text it reads: a blank run that ends in a
// '.' is stepped over and the word builder drops the blanks it spans.
#include <bitset>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "CompilerOptions.h"
#include "Token.h"
#include "TokenClass.h"
#include "TokenExtends.h"
#include "TokenFunction.h"
#include "TokenImport.h"
#include "TokenInterface.h"
#include "TokenOther.h"
#include "TokenPackage.h"
#include "message.h"
#include "parse.h"
#include "platform.h"
#include "scriptfile.h"
#include "xfilemethod.h"
#include "xstringmethod.h"

// ---- process-wide lexer state (owner: this unit; carries from file to file) ----

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

// Bracket groups (and includes and embedded XML expressions) nested deeper
// than this end the file with a source error. The recursive passes that run
// over the tree later rely on this bound as well.
constexpr int kMaxLexDepth = 256;
// A Vector type parameter longer than this is not read as one.
constexpr int kMaxVectorParam = 512;
// The included text one file may expand to, all its includes together
// (includes of includes too); further includes are a source error.
constexpr long long kMaxIncludedBytes = 16ll << 20;

namespace {

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
};

LexRun* g_run = nullptr;

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

// ---- tables ----

// Two- and three-byte operators: every byte pair (triple) that stands
// together in one of these list texts.
const char kOperators2[] =
    "\x01++\x01--\x01+=\x01-=\x01*=\x01/=\x01==\x01<>\x01>>\x01!=\x01>>\x01<<\x01=!\x01&&\x01|="
    "\x01||\x01|>=|<=|";
const char kOperators3[] = "\x01>>>\x01<<<\x01===\x01&&&\x01!==\x01||=\x01&&=\x01";

const std::bitset<65536>& operatorPairs() {
  static const std::bitset<65536> pairs = [] {
    std::bitset<65536> b;
    for (size_t i = 0; i + 1 < sizeof(kOperators2) - 1; ++i) {
      unsigned char a = static_cast<unsigned char>(kOperators2[i]);
      unsigned char c = static_cast<unsigned char>(kOperators2[i + 1]);
      if (a > 1 && c > 1) b.set(a * 256u + c);
    }
    return b;
  }();
  return pairs;
}

// The triples of kOperators3 (windows of the list without a separator byte),
// each packed into one number.
uint32_t packTriple(const char* p) {
  return static_cast<uint32_t>(static_cast<unsigned char>(p[0])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(p[1])) << 8 | static_cast<unsigned char>(p[2]);
}

const std::vector<uint32_t>& operatorTriples() {
  static const std::vector<uint32_t> triples = [] {
    std::vector<uint32_t> t;
    for (size_t i = 0; i + 2 < sizeof(kOperators3) - 1; ++i) {
      const char* w = kOperators3 + i;
      if (w[0] > 1 && w[1] > 1 && w[2] > 1) t.push_back(packTriple(w));
    }
    return t;
  }();
  return triples;
}

bool isOperator3(const char* p) {
  if (p[0] <= 1 || p[1] <= 1 || p[2] <= 1) return false;
  const uint32_t code = packTriple(p);
  for (uint32_t t : operatorTriples())
    if (t == code) return true;
  return false;
}

// One of "?+-/=|^~%&<>!": read once per byte of source, so a table.
bool isOperatorChar(unsigned char c) {
  static const std::bitset<256> table = [] {
    std::bitset<256> t;
    for (const char* p = "?+-/=|^~%&<>!"; *p; ++p) t.set(static_cast<unsigned char>(*p));
    return t;
  }();
  return table[c];
}

// A byte that the group lexer adds to the current word and does nothing
// else with: one of 0x80 and above, or a printable byte that is neither a
// bracket, a quote, a separator, '.', '*', ':', '/' nor an operator byte.
bool isPlainWordByte(unsigned char c) {
  static const std::bitset<256> table = [] {
    std::bitset<256> t;
    for (int b = 0x21; b <= 0xFF; ++b) t.set(static_cast<size_t>(b));
    t.reset(0x7F);
    for (const char* p = "\"'(){}[]*,?:;./"; *p; ++p) t.reset(static_cast<unsigned char>(*p));
    for (const char* p = "?+-/=|^~%&<>!"; *p; ++p) t.reset(static_cast<unsigned char>(*p));
    return t;
  }();
  return table[c];
}

// "|" + word + "|" occurs in the list. The words of a list are kept in a
// set, made again when the list pointer changes.
bool inWordList(const char* list, std::string_view word) {
  struct Cache {
    const char* list = nullptr;
    std::unordered_set<std::string_view> words;
  };
  static Cache caches[2];
  Cache* cache = nullptr;
  for (Cache& c : caches)
    if (c.list == list) cache = &c;
  if (!cache) {
    cache = caches[0].list && caches[1].list ? &caches[0] : (caches[0].list ? &caches[1] : &caches[0]);
    cache->list = list;
    cache->words.clear();
    for (const char* p = std::strchr(list, '|'); p && p[1];) {
      const char* q = std::strchr(p + 1, '|');
      if (!q) break;
      if (q > p + 1) cache->words.insert(std::string_view(p + 1, static_cast<size_t>(q - p - 1)));
      p = q;
    }
  }
  return cache->words.count(word) != 0;
}

enum class WordKind {
  Other,
  Internal,
  Modifier,
  Async,
  Var,
  Const,
  Function,
  Vector,
  Continue,
  Break,
  Import,
  Class,
  Package,
  As,
  Interface,
  Extends,
  Implements,
  Super,
  Is,
  Case,
  Default,
  Catch,
  Untyped,
  For,
  While,
  In,
  Return,
  New,
  SuperWord,
  Include,
  With,
  Await,
  Each,
  SystemUseStatic,
  Embed
};

struct WordInfo {
  WordKind kind;
  int flag;
};

const std::unordered_map<std::string_view, WordInfo>& wordTable() {
  static const std::unordered_map<std::string_view, WordInfo> table = {
      {"internal", {WordKind::Internal, 0}},
      {"public", {WordKind::Modifier, TokenModifierFlags::Public}},
      {"native", {WordKind::Modifier, TokenModifierFlags::Public}},
      {"virtual", {WordKind::Modifier, TokenModifierFlags::Public}},
      {"static", {WordKind::Modifier, TokenModifierFlags::Static}},
      {"private", {WordKind::Modifier, TokenModifierFlags::Private}},
      {"dynamic", {WordKind::Modifier, TokenModifierFlags::Dynamic}},
      {"override", {WordKind::Modifier, TokenModifierFlags::Override}},
      {"protected", {WordKind::Modifier, TokenModifierFlags::Protected}},
      {"final", {WordKind::Modifier, TokenModifierFlags::Final}},
      {"namespace", {WordKind::Modifier, TokenModifierFlags::Namespace}},
      {"use", {WordKind::Modifier, TokenModifierFlags::Use}},
      {"NOENUMERATION", {WordKind::Modifier, TokenModifierFlags::NoEnumeration}},
      {"async", {WordKind::Async, TokenModifierFlags::Async}},
      {"var", {WordKind::Var, 0}},
      {"const", {WordKind::Const, 0}},
      {"function", {WordKind::Function, 0}},
      {"Vector", {WordKind::Vector, 0}},
      {"continue", {WordKind::Continue, 0}},
      {"break", {WordKind::Break, 0}},
      {"import", {WordKind::Import, 0}},
      {"class", {WordKind::Class, 0}},
      {"package", {WordKind::Package, 0}},
      {"as", {WordKind::As, 0}},
      {"interface", {WordKind::Interface, 0}},
      {"extends", {WordKind::Extends, 0}},
      {"implements", {WordKind::Implements, 0}},
      {"super", {WordKind::Super, 0}},
      {"is", {WordKind::Is, 0}},
      {"case", {WordKind::Case, 0}},
      {"default", {WordKind::Default, 0}},
      {"catch", {WordKind::Catch, 0}},
      {"__JS__", {WordKind::Untyped, 0}},
      {"__INCLUDESTR__", {WordKind::Untyped, 0}},
      {"for", {WordKind::For, 0}},
      {"while", {WordKind::While, 0}},
      {"in", {WordKind::In, 0}},
      {"return", {WordKind::Return, 0}},
      {"new", {WordKind::New, 0}},
      {"_super", {WordKind::SuperWord, 0}},
      {"include", {WordKind::Include, 0}},
      {"with", {WordKind::With, 0}},
      {"await", {WordKind::Await, 0}},
      {"each", {WordKind::Each, 0}},
      {"RUVOSYSTEM_USE_STATIC", {WordKind::SystemUseStatic, 0}},
      {"Embed", {WordKind::Embed, 0}},
  };
  return table;
}

// Everything the lexer asks about one word, found by one hash lookup: its
// entry in wordTable() and whether the lists __unnowkey__ and __sytemtype__
// hold it. The table is made again when either list is replaced.
struct WordClass {
  const WordInfo* info = nullptr;
  bool statementWord = false;
  bool systemType = false;
};

const WordClass& classifyWord(std::string_view word) {
  struct Cache {
    const char* statementList = nullptr;
    const char* typeList = nullptr;
    bool made = false;
    std::unordered_map<std::string_view, WordClass> words;
  };
  static Cache cache;
  static const WordClass none;
  if (!cache.made || cache.statementList != __unnowkey__ || cache.typeList != __sytemtype__) {
    cache.made = true;
    cache.statementList = __unnowkey__;
    cache.typeList = __sytemtype__;
    cache.words.clear();
    for (const auto& [w, info] : wordTable()) cache.words[w].info = &info;
    // The words between the '|' of a list, as inWordList reads them.
    auto addList = [&](const char* list, bool WordClass::*mark) {
      if (!list) return;
      for (const char* p = std::strchr(list, '|'); p && p[1];) {
        const char* q = std::strchr(p + 1, '|');
        if (!q) break;
        if (q > p + 1) cache.words[std::string_view(p + 1, static_cast<size_t>(q - p - 1))].*mark = true;
        p = q;
      }
    };
    addList(__unnowkey__, &WordClass::statementWord);
    addList(__sytemtype__, &WordClass::systemType);
  }
  auto it = cache.words.find(word);
  return it == cache.words.end() ? none : it->second;
}

bool isLayoutByte(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\x01'; }

// Whether the text after a NS::name word makes it a conditional-compilation
// name: a { } block follows, or a declaration (function, var, const), maybe
// behind its modifier words.
bool startsConditional(const char* after) {
  for (;;) {
    while (isLayoutByte(*after)) ++after;
    if (*after == '{') return true;
    const char* wordEnd = after;
    while ((*wordEnd >= 'a' && *wordEnd <= 'z')) ++wordEnd;
    const std::string_view word(after, static_cast<size_t>(wordEnd - after));
    if (word.empty() || (*wordEnd && !isLayoutByte(*wordEnd))) return false;
    if (word == "function" || word == "var" || word == "const") return true;
    if (word != "public" && word != "private" && word != "protected" && word != "internal" && word != "static" &&
        word != "override" && word != "final")
      return false;
    after = wordEnd;
  }
}

// A byte that can begin an ActionScript name.
bool startsName(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' || c >= 0x80;
}

// The first place of `needle` at or after `from`, or null at the end of the
// text. It reads no further than the match, so searches that start often
// and end soon stay cheap on long texts.
const char* findFrom(const char* from, const char* needle) {
  const size_t n = std::strlen(needle);
  for (const char* p = from; *p; ++p)
    if (*p == needle[0] && std::strncmp(p, needle, n) == 0) return p;
  return nullptr;
}

const char* findByte(const char* from, char c) {
  for (const char* p = from; *p; ++p)
    if (*p == c) return p;
  return nullptr;
}

Token* lastChild(Token* group) { return group->childs.empty() ? nullptr : group->childs.back(); }

const char* pathOf(Token* group) { return group && group->file ? group->file->path.c_str() : _CURFILENAME.c_str(); }

void countMade(long long n = 1) {
  if (g_run) g_run->tokensMade += n;
}

void queueError(Token* token, Token* group, const std::string& message) {
  std::string unused;
  token->scriptErr(unused, group ? group->file : nullptr, message.c_str(), 1);
}

std::string take(std::string& s) {
  std::string out;
  out.swap(s);
  return out;
}

int countLines(const char* t, int from, int to) {
  int n = 0;
  for (int i = from; i < to; ++i)
    if (t[i] == '\n') ++n;
  return n;
}

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

// ---- XML literals ----

const char kXmlBadStart[] = "~!@#%^&*()+~1234567890-={}[]|\\;'\"<>/?";
const char kXmlBadName[] = "~!@#%^*()=?.,;";

bool inSet(const char* set, char c) { return c && std::strchr(set, c) != nullptr; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Reads one XML node at text + state: the content up to the next tag, then
// the tag. On success `state` is the offset after the node and `depth` is
// raised by an opening tag and lowered by a closing one; on failure `state`
// is where the reading stopped.
bool readXmlNode(const char* text, int& depth, int& state) {
  const char* p = text + state;
  while (*p && *p != '<') {
    if (*p == '>') {
      state = static_cast<int>(p - text);
      return false;
    }
    ++p;
  }
  auto fail = [&](const char* at) {
    state = static_cast<int>(at - text);
    return false;
  };
  auto section = [&](const char* open, const char* close) {
    const char* e = findFrom(p + std::strlen(open), close);
    if (!e) return fail(p + std::strlen(p));
    state = static_cast<int>(e + std::strlen(close) - text);
    return true;
  };
  if (!*p) return fail(p);
  if (std::strncmp(p, "<!--", 4) == 0) return section("<!--", "-->");
  if (std::strncmp(p, "<![CDATA[", 9) == 0) return section("<![CDATA[", "]]>");
  if (std::strncmp(p, "<?", 2) == 0) return section("<?", "?>");
  const bool closing = p[1] == '/';
  const char* n = p + (closing ? 2 : 1);
  while (isBlank(*n)) ++n;
  if (!*n || inSet(kXmlBadStart, *n)) return fail(n);
  const char* e = n;
  while (*e && !isBlank(*e) && *e != '/' && *e != '>') {
    if (inSet(kXmlBadName, *e) || *e == '<') return fail(e);
    ++e;
  }
  while (*e && *e != '>') {
    if (*e == '"' || *e == '\'') {
      const char* q = findByte(e + 1, *e);
      if (!q) return fail(e + std::strlen(e));
      e = q + 1;
      continue;
    }
    if (*e == '<') return fail(e);
    ++e;
  }
  if (!*e) return fail(e);
  const bool selfClosing = !closing && e[-1] == '/';
  if (closing) {
    if (--depth < 0) return fail(e);
  } else if (!selfClosing) {
    ++depth;
  }
  state = static_cast<int>(e + 1 - text);
  return true;
}

// Whether the text at its '<' holds one complete XML element; `scanned`
// gets the number of bytes read.
bool scanXml(const char* text, long long& scanned) {
  scanned = 1;
  if (!text || *text != '<') return false;
  const char* p = text + 1;
  while (isBlank(*p)) ++p;
  if (!*p || inSet(kXmlBadStart, *p)) return false;
  int depth = 0;
  int state = 0;
  bool ok;
  do {
    ok = readXmlNode(text, depth, state);
  } while (ok && depth > 0);
  scanned = state + 1;
  return ok;
}

void escapeXmlByte(std::string& out, char c) {
  if (c == '"') {
    out += "\\\"";
  } else if (c == '\\') {
    out += "\\\\";
  } else {
    out += c;
  }
}

}  // namespace

// ---- public helpers ----

int matchingCha(const char* text, char open, char close, int* firstOpen, int& lines) {
  if (!text) return -1;
  return matchBracket(text, 0, open, close, firstOpen, lines, -1);
}

// A comment or CDATA section of an XML literal as the text of a JavaScript
// string: double quotes and backslashes escaped, line ends as backslash-n.
std::string stringToText(const char* text) {
  std::string out;
  if (!text) return out;
  for (const char* p = text; *p; ++p) {
    if (*p == '\n') {
      out += "\\n";
    } else if (*p == '\r') {
      continue;
    } else {
      escapeXmlByte(out, *p);
    }
  }
  return out;
}

bool _IsXMLNode(char* text, int& depth, int& state) { return text && readXmlNode(text, depth, state); }

bool isXml(char* text) {
  long long scanned = 0;
  return scanXml(text, scanned);
}

namespace {

// Reads an XML literal from its '<' at `pos`. With a group, embedded
// { expressions } are cut out: the text so far becomes a string literal
// token, then "+", a ( ) group holding the expression's tokens and "+".
// `pos` ends on the last byte read (the closing '>'), or on the end of the
// text when the literal never closes. Returns false on an unclosed literal.
bool readXmlLiteral(std::string& result, const char* t, int& line, int& pos, Token* group);

void pushLiteral(Token* group, const std::string& text, int line) {
  Token* lit = new Token(TokenTypeCode::Literal, text.c_str(), 0, line, group);
  group->push(lit);
  countMade();
}

void pushOperator(Token* group, const char* op, int line) {
  Token* t = new Token(TokenTypeCode::Operator, op, 0, line, group);
  group->push(t);
  countMade();
}

void lexInto(Token* group, const char* text, int length, int& pos, int& line);

bool readXmlLiteral(std::string& result, const char* t, int& line, int& pos, Token* group) {
  const bool expressions = group != nullptr;
  int i = pos;
  int depth = 0;
  bool inTag = false;
  auto section = [&](const char* close) -> bool {
    const char* e = findFrom(t + i, close);
    if (!e) return false;
    const int end = static_cast<int>(e - t) + static_cast<int>(std::strlen(close));
    std::string raw(t + i, end - i);
    line += countLines(t, i, end);
    result += stringToText(raw.c_str());
    i = end;
    return true;
  };
  for (;;) {
    const char b = t[i];
    if (!b) {
      pos = i;
      return false;
    }
    if (!inTag) {
      if (b == '<') {
        if (std::strncmp(t + i, "<!--", 4) == 0 || std::strncmp(t + i, "<![CDATA[", 9) == 0) {
          if (!section(t[i + 1] == '!' && t[i + 2] == '-' ? "-->" : "]]>")) {
            pos = i + static_cast<int>(std::strlen(t + i));
            return false;
          }
          if (depth == 0) {
            pos = i - 1;
            return true;
          }
          continue;
        }
        if (t[i + 1] == '/') {
          const char* e = findByte(t + i, '>');
          if (!e) {
            pos = i + static_cast<int>(std::strlen(t + i));
            return false;
          }
          const int end = static_cast<int>(e - t);
          for (int k = i; k <= end; ++k) {
            if (t[k] == '\n') ++line;
            if (t[k] == '\t' || t[k] == '\n' || t[k] == '\r') continue;
            escapeXmlByte(result, t[k]);
          }
          i = end + 1;
          if (--depth <= 0) {
            pos = end;
            return true;
          }
          continue;
        }
        inTag = true;
        ++depth;
        result += '<';
        ++i;
        continue;
      }
    } else {
      if (b == '"' || b == '\'') {
        const char* q = findByte(t + i + 1, b);
        if (!q) {
          pos = i + static_cast<int>(std::strlen(t + i));
          return false;
        }
        const int end = static_cast<int>(q - t);
        for (int k = i; k <= end; ++k) {
          if (t[k] == '\n') ++line;
          if (t[k] == '\t' || t[k] == '\n' || t[k] == '\r') continue;
          escapeXmlByte(result, t[k]);
        }
        i = end + 1;
        continue;
      }
      if (b == '/' && t[i + 1] == '>') {
        result += "/>";
        inTag = false;
        if (--depth <= 0) {
          pos = i + 1;
          return true;
        }
        i += 2;
        continue;
      }
      if (b == '>') {
        result += '>';
        inTag = false;
        ++i;
        continue;
      }
    }
    if (b == '{' && expressions) {
      // Find the closing brace, stepping over strings and comments.
      int k = i + 1;
      int braces = 1;
      int unused = 0;
      while (t[k]) {
        const char c = t[k];
        if (c == '"' || c == '\'') {
          k = xstringmthod::getQuotationMarkText(t, k, unused);
          if (!t[k]) break;
        } else if (c == '/' && (t[k + 1] == '/' || t[k + 1] == '*')) {
          k = xstringmthod::getAnnotationText(t, k, unused);
          if (!t[k]) break;
        } else if (c == '{') {
          ++braces;
        } else if (c == '}' && --braces == 0) {
          break;
        }
        ++k;
      }
      if (!t[k]) {
        result = "xml err:" + result;
        pos = k;
        return false;
      }
      // An attribute value {v} is quoted (id="1"); in element content the
      // value is the text itself (<b>1</b>).
      pushLiteral(group, result + (inTag ? "\\\"\"" : "\""), line);
      pushOperator(group, "+", line);
      Token* expr = new TokenParent(TokenTypeCode::Paren, nullptr, i, line, group);
      group->push(expr);
      countMade();
      std::string code(t + i + 1, k - i - 1);
      int p = 0;
      if (g_run && g_run->depth >= kMaxLexDepth) {
        queueError(expr, group, "Brackets nested too deeply (more than " + std::to_string(kMaxLexDepth) + " levels)");
        g_run->aborted = true;
      } else {
        if (g_run) ++g_run->depth;
        lexInto(expr, code.c_str(), static_cast<int>(code.size()), p, line);
        if (g_run) --g_run->depth;
      }
      expr->endLine = line;
      if (g_run && g_run->aborted) {
        pos = k;
        result.clear();
        return true;
      }
      pushOperator(group, "+", line);
      result = inTag ? "\"\\\"" : "\"";
      i = k + 1;
      continue;
    }
    if (b == '\n') ++line;
    if (b == '\t' || b == '\n' || b == '\r' || (b == ' ' && !inTag)) {
      ++i;
      continue;
    }
    escapeXmlByte(result, b);
    ++i;
  }
}

}  // namespace

void AddXML(std::string& result, char* text, int& line, int& pos, Token* group) {
  if (!text || !group) return;
  result = "new XML(\"";
  if (readXmlLiteral(result, text, line, pos, group)) {
    if (g_run && g_run->aborted) return;
    pushLiteral(group, result + "\")", line);
  } else {
    if (result.compare(0, 8, "xml err:") != 0) result = "xml err:" + result;
    pushLiteral(group, result, line);
  }
}

void toXmlEnd(std::string& result, char* text, int& line, int& pos) {
  if (!text) return;
  result.clear();
  if (!readXmlLiteral(result, text, line, pos, nullptr)) result += "xml err";
}

// ---- includes ----

namespace {

void includeFile(Token* group, const std::string& quoted) {
  std::string name;
  for (char c : quoted)
    if (c != '"' && c != '\'') name += c;
  Parse* file = group->file;
  std::string path = xfilemethod::getFile_Path((file ? file->directory : std::string()) + "/" + name);
  ScriptFile* record = ScriptFile::LoadedFileMap.get(ScriptFile::FormatFileName(path), nullptr);
  // A file outside the source folders (a shared "../config.as") was not
  // collected: it is read now.
  if (!record && xfilemethod::getFileSize(path) > 0) {
    ScriptFile::LoadFile(path);
    record = ScriptFile::LoadedFileMap.get(ScriptFile::FormatFileName(path), nullptr);
  }
  if (!record) {
    Token* at = lastChild(group);
    queueError(at ? at : group, group, "Include file not found: " + path);
    return;
  }

  LexRun& run = *g_run;
  if (run.includeStack.empty() && file) run.includeStack.push_back(xfilemethod::getFile_Path(file->path));
  for (const std::string& open : run.includeStack) {
    if (open == path) {
      Token* at = lastChild(group);
      queueError(at ? at : group, group, "Cyclic include of " + path);
      return;
    }
  }
  if (run.depth >= kMaxLexDepth) {
    Token* at = lastChild(group);
    queueError(at ? at : group, group, "Includes nested too deeply: " + path);
    run.aborted = true;
    return;
  }
  if (run.includeBoundReported ||
      run.includedBytes + static_cast<long long>(record->text.size()) > kMaxIncludedBytes) {
    if (!run.includeBoundReported) {
      Token* at = lastChild(group);
      queueError(at ? at : group, group,
                 "Includes expand to more than " + std::to_string(kMaxIncludedBytes >> 20) +
                     " MB of text: " + path + " and the includes after it are left out");
    }
    run.includeBoundReported = true;
    return;
  }
  // A file that includes the same file twice gets its text once: each copy
  // could hold includes of its own, and the copies multiply.
  const std::string& includer = run.includeStack.back();
  if (!run.includesDone.insert(includer + "\n" + path).second) {
    Token* at = lastChild(group);
    queueError(at ? at : group, group, "Repeated include of " + path + " in " + includer + ": it is included once");
    return;
  }
  run.includedBytes += static_cast<long long>(record->text.size());

  std::string text = record->text;
  std::string normal;
  normal.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') continue;
      normal += '\n';
    } else {
      normal += text[i];
    }
  }
  normal.resize(std::strlen(normal.c_str()));
  // A file saved with a UTF-8 byte order mark: the mark is no word of the code.
  if (normal.compare(0, 3, "\xEF\xBB\xBF") == 0) normal.replace(0, 3, "   ");
  if (!Parse::_format_ifdef(normal.data())) return;
  record->text = normal;

  run.includeStack.push_back(path);
  ++run.depth;
  int p = 0;
  int l = 0;
  lexInto(group, normal.c_str(), static_cast<int>(normal.size()), p, l);
  --run.depth;
  run.includeStack.pop_back();
}

}  // namespace

void addInclude(Token* group, Token*, const char* quoted) {
  if (!group || !quoted) return;
  RunScope scope(static_cast<long long>(std::strlen(quoted)));
  includeFile(group, quoted);
}

// ---- the group lexer ----

namespace {

class GroupLexer {
 public:
  GroupLexer(Token* group, const char* text, int length, int& pos, int& line)
      : group_(group), t_(text), len_(length), pos_(pos), line_(line) {}

  LexEnd run(bool opened);

 private:
  void startWord() {
    if (wordStart_ < 0) {
      wordStart_ = pos_;
      wordLine_ = line_;
    }
  }
  void flushWord() {
    if (wordStart_ < 0) return;
    Token::_addWord_(t_, t_ + wordStart_, pos_ - 1, wordLine_, group_, flags_, leading_);
    wordStart_ = -1;
  }
  Token* pushToken(Token* t, bool withLeading = true) {
    if (withLeading) {
      // The shared text is a copy: the buffer stays for the next token's layout.
      t->leadingText = leading_;
      leading_.clear();
    }
    group_->push(t);
    countMade();
    return t;
  }

  LexEnd atEnd(bool opened);
  void blankRun();
  void quoted();
  LexEnd openGroup(char c);
  void closeGroup(char c);
  void dot();
  void slash();
  void comment();
  bool regex();
  void operatorByte(char c);
  bool xmlLiteral();
  bool xmlAhead();
  void logicalAssign(const std::string& op);

  Token* group_;
  const char* t_;
  int len_;
  int& pos_;
  int& line_;
  int wordStart_ = -1;
  int wordLine_ = 0;
  int flags_ = 0;
  std::string leading_;
};

LexEnd GroupLexer::run(bool opened) {
  for (;;) {
    if (pos_ >= len_) {
      pos_ = len_;
      flushWord();
      return atEnd(opened);
    }
    const unsigned char c = static_cast<unsigned char>(t_[pos_]);
    if (c >= 0x80) {
      startWord();
      ++pos_;
      continue;
    }
    switch (c) {
      case 0:
        flushWord();
        return atEnd(opened);
      case 0x01:
      case '\r':
        ++pos_;
        continue;
      case ' ':
      case '\t':
        blankRun();
        continue;
      case '\n':
        flushWord();
        leading_ += '\n';
        ++line_;
        ++pos_;
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
        if (pos_ > 0 && t_[pos_ - 1] == '.') {
          startWord();
        } else {
          flushWord();
          pushToken(new Token(TokenTypeCode::Operator, "*", pos_, line_, group_));
        }
        ++pos_;
        continue;
      case ',':
        flushWord();
        pushToken(new Token(TokenTypeCode::Comma, ",", pos_, line_, group_));
        ++pos_;
        continue;
      case '?':
        flushWord();
        pushToken(new Token(TokenTypeCode::Question, "?", pos_, line_, group_));
        ++pos_;
        continue;
      case ':':
        if ((pos_ > 0 && t_[pos_ - 1] == ':') || t_[pos_ + 1] == ':') {
          startWord();
        } else {
          flushWord();
          pushToken(new TokenColon(TokenTypeCode::Colon, ":", pos_, line_, group_));
        }
        ++pos_;
        continue;
      case ';':
        flushWord();
        // The layout before a ';' waits for the next token.
        pushToken(new Token(TokenTypeCode::Semicolon, ";", pos_, line_, group_), false);
        ++pos_;
        continue;
      case '.':
        dot();
        continue;
      case '/':
        slash();
        if (g_run->aborted) return LexEnd::Aborted;
        continue;
      default:
        break;
    }
    if (isOperatorChar(c)) {
      operatorByte(static_cast<char>(c));
      if (g_run->aborted) return LexEnd::Aborted;
      continue;
    }
    if (c >= 0x21 && c <= 0x7E) {
      startWord();
      ++pos_;
      // The bytes that only go on with the word are stepped over at once.
      while (pos_ < len_ && isPlainWordByte(static_cast<unsigned char>(t_[pos_]))) ++pos_;
      continue;
    }
    // Any other control byte reads as a blank.
    flushWord();
    leading_ += ' ';
    ++pos_;
  }
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
  int r = pos_;
  while (r < len_ && isLayoutByte(t_[r])) ++r;
  if (r < len_ && t_[r] == '.') {
    line_ += countLines(t_, pos_, r);
    pos_ = r;
    return;
  }
  flushWord();
  for (int k = pos_; k < r; ++k) {
    const char c = t_[k];
    if (c == ' ' || c == '\t') {
      leading_ += c;
    } else if (c == '\n') {
      leading_ += '\n';
      ++line_;
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
    Token::_addWord_(t_, t_ + pos_, last, startLine, group_, flags_, leading_);
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
  Token* g;
  if (c == '(') {
    g = new TokenParent(TokenTypeCode::Paren, nullptr, pos_, line_, group_);
  } else {
    g = new Token(c == '{' ? TokenTypeCode::Block : TokenTypeCode::Bracket, nullptr, pos_, line_, group_);
  }
  pushToken(g);
  LexRun& run = *g_run;
  if (run.depth >= kMaxLexDepth) {
    queueError(g, group_, "Brackets nested too deeply (more than " + std::to_string(kMaxLexDepth) + " levels)");
    run.aborted = true;
    return LexEnd::Aborted;
  }
  ++pos_;
  ++run.depth;
  LexEnd e = GroupLexer(g, t_, len_, pos_, line_).run(true);
  --run.depth;
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
  group_->trailingText = take(leading_);
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
  line_ += gapLines;
  pos_ = r;
}

void GroupLexer::slash() {
  const char next = t_[pos_ + 1];
  if (next == '/' || next == '*') {
    comment();
    return;
  }
  if (wordStart_ < 0) {
    Token* last = lastChild(group_);
    // Where a value is expected the '/' opens a regular expression: at the
    // start of a group, after "=", ",", ";", ":", after "return", and after
    // an operator (!/a/.test(s), c ? /a/ : /b/, x && /a/.test(s)) other than
    // "++" and "--", which end a value (i++ / 2).
    bool valueExpected =
        group_->childs.empty() ||
        (last && (last->type == TokenTypeCode::Assign || last->type == TokenTypeCode::Comma ||
                  last->type == TokenTypeCode::Semicolon || last->type == TokenTypeCode::Colon ||
                  last->type == TokenTypeCode::Return || last->type == TokenTypeCode::Question ||
                  (last->type == TokenTypeCode::Operator && last->text != "++" && last->text != "--")));
    if (valueExpected && regex()) return;
  }
  operatorByte('/');
}

// A comment: directive comments act here, any other comment waits as the
// doc comment of the next declaration.
void GroupLexer::comment() {
  flushWord();
  const bool block = t_[pos_ + 1] == '*';
  int end = xstringmthod::getAnnotationText(t_, pos_, line_);
  if (end > len_) end = len_;
  const std::string_view body(t_ + pos_, static_cast<size_t>(end - pos_));
  if (body == "/*async*") {
    flags_ |= TokenModifierFlags::Async;
    _Comment.clear();
  } else if (body == "/*[PACKAGE-SAVEDISBALE]*" && ruvoPlatform().windows) {
    // The Windows program writes no JavaScript for such a file; the console
    // program takes it for an ordinary comment.
    if (group_->file) group_->file->outputEnabled = 0;
  } else if (body == "/*await*") {
    static const char kAwait[] = "await";
    Token::_addWord_(kAwait, kAwait, 4, line_, group_, flags_, leading_);
    _Comment.clear();
  } else if (!body.empty()) {
    _Comment.assign("\n").append(body).append(block ? "/\n" : "\n");
  }

  if (body.find('[') != std::string_view::npos) {
    Parse* file = group_->file;
    if (body == "/*[STATIC SAFE]*") {
      _Comment.clear();
      if (group_->childs.size() >= 2 && group_->childs.back()) group_->childs.back()->safeMark = 1;
    }
    size_t at = body.find("[FILEINDEX:");
    if (at != std::string_view::npos) {
      _Comment.clear();
      size_t k = at + 11;
      bool negative = k < body.size() && body[k] == '-';
      if (negative) ++k;
      long long value = 0;
      bool digits = false;
      while (k < body.size() && body[k] >= '0' && body[k] <= '9') {
        if (value < 1000000000000LL) value = value * 10 + (body[k] - '0');
        digits = true;
        ++k;
      }
      if (negative) value = -value;
      if (value > INT32_MAX) value = INT32_MAX;
      if (value < INT32_MIN) value = INT32_MIN;
      if (digits && file && file->scriptFile) file->scriptFile->secondWeight = static_cast<int32_t>(value);
    }
    if (body.find("[COMPILER OPTIONS:ForcedCompile]") != std::string_view::npos) {
      _Comment.clear();
      if (file) {
        file->forcedCompile = 1;
        if (file->scriptFile) ScriptFile::firstFiles[file->scriptFile->path] = file->scriptFile;
      }
    }
    if (body.find("[DISABLE-ADD-VARIABLE-DEFAULT-VALUE]") != std::string_view::npos) {
      _Comment.clear();
      group_->noDefaultValues = 1;
    }
    if (body.find("[COMPILER OPTIONS:DISABLE2SYNC]") != std::string_view::npos) {
      _Comment.clear();
      if (file) file->sync = 0;
    }
    if (body.find("[DISBALEOUTCONST-BEGIN]") != std::string_view::npos) {
      _Comment.clear();
      DISBALEOUTCONST = 1;
    }
    if (body.find("[DISBALEOUTCONST-END]") != std::string_view::npos) {
      _Comment.clear();
      DISBALEOUTCONST = 0;
    }
    at = body.find("[COMPILER OPTIONS:EXCLUDE ");
    if (at != std::string_view::npos) {
      _Comment.clear();
      const size_t from = at + 26;
      const size_t close = body.find(']', from);
      if (file && close != std::string_view::npos) {
        std::string folder = file->directory + "/" + std::string(body.substr(from, close - from));
        _ompilerOptions_.excludePaths.push_back(xfilemethod::getFile_Path(folder));
      }
    }
  }

  pos_ = (end < len_ && t_[end] != 0) ? end + 1 : end;
  if (!block) leading_ += '\n';
}

constexpr const char* kNamedGroupsExec =
    "(function(r){var x=r.exec;r.exec=function(s){var m=x.call(this,s);"
    "if(m&&m.groups)for(var k in m.groups)m[k]=m.groups[k];return m;};return r;})(";

// The body of a regular expression literal as JavaScript reads it: the
// named groups of ActionScript (?P<name>...) and their back references
// (?P=name) become (?<name>...) and \k<name>. With the flag x the blanks
// outside character classes are left out, as ActionScript ignores them.
std::string jsRegexBody(std::string_view body, bool extended, bool& named) {
  std::string out;
  out.reserve(body.size());
  bool inClass = false;
  for (size_t i = 0; i < body.size(); ++i) {
    const char b = body[i];
    if (b == '\\' && i + 1 < body.size()) {
      out += b;
      out += body[++i];
      continue;
    }
    if (inClass) {
      if (b == ']') inClass = false;
      out += b;
      continue;
    }
    if (b == '[') {
      inClass = true;
    } else if (body.compare(i, 4, "(?P<") == 0) {
      named = true;
      out += "(?<";
      i += 3;
      continue;
    } else if (body.compare(i, 4, "(?P=") == 0) {
      const size_t close = body.find(')', i + 4);
      if (close != std::string_view::npos) {
        out.append("\\k<").append(body.substr(i + 4, close - i - 4)).append(">");
        i = close;
        continue;
      }
    } else if (extended && (b == ' ' || b == '\t' || b == '\n')) {
      continue;
    }
    out += b;
  }
  return out;
}

// A regular expression literal where a value is expected (see slash()). Its
// flags are the letters g, i, m, s and x right after the closing '/'; a blank
// ends them, so /c/ is RegExp reads as the literal /c/ and the operator is.
// A '/' inside a character class ([^/]) does not close the body, nor does a
// line end, which no literal holds. A malformed literal is shown through the
// message-box hook and its '/' reads as an operator.
bool GroupLexer::regex() {
  int i = pos_ + 1;
  bool closed = false;
  bool inClass = false;
  for (;;) {
    const char b = t_[i];
    if (!b || b == '\n' || b == '\r') break;
    if (b == '\\') {
      if (!t_[i + 1] || t_[i + 1] == '\n') break;
      i += 2;
      continue;
    }
    if (inClass) {
      if (b == ']') inClass = false;
    } else if (b == '[') {
      inClass = true;
    } else if (b == '/') {
      closed = true;
      break;
    }
    ++i;
  }
  const int close = i;
  int j = i + 1;
  bool extended = false;
  std::string flags;
  if (closed) {
    for (;; ++j) {
      const char c = t_[j];
      if (c != 'g' && c != 'i' && c != 'm' && c != 's' && c != 'x') break;
      if (c == 'x')
        extended = true;
      else if (flags.find(c) == std::string::npos)
        flags += c;
    }
    // A name byte right after the flags (/abc/q) is no literal.
    const unsigned char direct = static_cast<unsigned char>(t_[j]);
    closed = !(direct < 0x80 && (startsName(direct) || (direct >= '0' && direct <= '9')));
  }
  if (closed) {
    // Trailing blanks belong to the literal when the expression ends
    // after them; before anything else they stay layout.
    int k = j;
    for (;; ++k) {
      const unsigned char c = static_cast<unsigned char>(t_[k]);
      if (c == ' ' || c == '\t' || c == 0x01 || c >= 0x80) continue;
      break;
    }
    const char e = t_[k];
    if (e == ']' || e == '}' || e == 0 || e == '\n' || e == '\r' || e == ')' || e == ',' || e == '.' || e == ';' ||
        e == ':')
      j = k;
  }
  if (!closed) {
    if (MsgBox) {
      const char* eol = findByte(t_ + pos_, '\n');
      std::string shown = eol ? std::string(t_ + pos_, eol) : std::string(t_ + pos_);
      MsgBox(shown.c_str(), "RegExp err");
    }
    return false;
  }
  const std::string_view body(t_ + pos_ + 1, static_cast<size_t>(close - pos_ - 1));
  const int flagsEnd = close + 1 + static_cast<int>(std::strspn(t_ + close + 1, "gimsx"));
  bool named = false;
  std::string text = "/" + jsRegexBody(body, extended, named) + "/" + flags;
  // ActionScript gives the named groups of a match as properties of the
  // match itself (m.key); JavaScript keeps them in m.groups. The literal's
  // own exec, which test, match and replace call too, copies them over.
  if (named) text = std::string(kNamedGroupsExec) + text + ")";
  text.append(t_ + flagsEnd, t_ + j);
  auto* lit = new Token(TokenTypeCode::Literal, text.c_str(), pos_, line_, group_);
  leading_.clear();
  pushToken(lit, false);
  pos_ = j;
  return true;
}

// Whether an XML element starts at the '<' here (bounded per file, so that
// many '<' that never close cannot make the look-ahead quadratic).
bool GroupLexer::xmlAhead() {
  LexRun& run = *g_run;
  if (run.xmlBudget <= 0) return false;
  long long scanned = 0;
  bool ok = scanXml(t_ + pos_, scanned);
  run.xmlBudget -= scanned;
  return ok;
}

// Whether the next token of the group begins a value: at the start of a
// group, after "=", ",", ";", ":", "?", "return" and after an operator other
// than "++" and "--", which end a value.
bool valueExpectedAfter(Token* group) {
  Token* last = lastChild(group);
  if (group->childs.empty()) return true;
  return last && (last->type == TokenTypeCode::Assign || last->type == TokenTypeCode::Comma ||
                  last->type == TokenTypeCode::Semicolon || last->type == TokenTypeCode::Colon ||
                  last->type == TokenTypeCode::Return || last->type == TokenTypeCode::Question ||
                  (last->type == TokenTypeCode::Operator && last->text != "++" && last->text != "--"));
}

// E4X literals: after "x:XML =" (or any "=" when XML follows) the literal
// becomes "new XML(...)" with its { expressions } as tokens; after "," or
// at the start of a group it becomes one literal "(new XML(...))" (or, with
// { expressions }, a ( ) group holding the tokens of the first form). Anywhere
// else a value begins (return <a/>, c ? <a/> : <b/>, "" + <a/>) it is read
// as after "=". A CDATA section standing alone as a value is its text, a
// string: var s:String = <![CDATA[two lines]]>.
bool GroupLexer::xmlLiteral() {
  auto& ch = group_->childs;
  const size_t n = ch.size();
  Token* last = lastChild(group_);
  Parse* file = group_->file;
  bool read = false;
  bool scanned = false;  // the look-ahead found no element here already
  auto readWithExpressions = [&] {
    const size_t first = ch.size();
    std::string result;
    AddXML(result, const_cast<char*>(t_), line_, pos_, group_);
    if (first < ch.size() && ch[first]) {
      ch[first]->leadingText = leading_;
      leading_.clear();
    }
  };
  if (n >= 4 && last && last->type == TokenTypeCode::Assign) {
    Token* before = ch[n - 2];
    Token* colon = ch[n - 3];
    const bool typed =
        before && (before->text == "XML" || before->text == "*") && colon && colon->type == TokenTypeCode::Colon;
    scanned = !typed;
    if (typed || xmlAhead()) {
      readWithExpressions();
      read = true;
    }
  } else if (n == 0 || (last && last->type == TokenTypeCode::Comma)) {
    scanned = true;
    if (xmlAhead()) {
      std::string xml;
      int endLine = line_;
      int endPos = pos_;
      toXmlEnd(xml, const_cast<char*>(t_), endLine, endPos);
      if (xml.find('{') == std::string::npos) {
        std::string text = "(new XML(\"" + xml + "\"))";
        line_ = endLine;
        pos_ = endPos;
        pushToken(new Token(TokenTypeCode::Literal, text.c_str(), pos_, line_, group_));
      } else {
        // With { expressions } (f(<a id={n}/>)) the literal is read as after
        // "=", inside brackets of its own.
        Token* holder = pushToken(new TokenParent(TokenTypeCode::Paren, nullptr, pos_, line_, group_));
        std::string result;
        AddXML(result, const_cast<char*>(t_), line_, pos_, holder);
        holder->endLine = line_;
      }
      read = true;
    }
  }
  if (!read && valueExpectedAfter(group_)) {
    if (std::strncmp(t_ + pos_, "<![CDATA[", 9) == 0) {
      const char* close = findFrom(t_ + pos_ + 9, "]]>");
      if (!close) return false;
      const std::string content(t_ + pos_ + 9, close);
      const int startLine = line_;
      line_ += countLines(t_, pos_, static_cast<int>(close - t_));
      pushToken(new Token(TokenTypeCode::Literal, ("\"" + stringToText(content.c_str()) + "\"").c_str(), pos_,
                          startLine, group_));
      pos_ = static_cast<int>(close - t_) + 3;
      return true;
    }
    if (scanned || (last && last->type == TokenTypeCode::Semicolon) || !xmlAhead()) return false;
    readWithExpressions();
    read = true;
  }
  if (!read) return false;
  if (file) file->usesXml = 1;
  if (pos_ < len_ && t_[pos_]) ++pos_;
  return true;
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
  int n = 1;
  if (t_[pos_ + 1] && t_[pos_ + 2] && isOperator3(t_ + pos_)) {
    n = 3;
  } else if (t_[pos_ + 1] && operatorPairs().test(static_cast<unsigned char>(t_[pos_]) * 256u +
                                                  static_cast<unsigned char>(t_[pos_ + 1]))) {
    n = 2;
  }
  std::string op(t_ + pos_, n);
  if (op == "||=" || op == "&&=") {
    logicalAssign(op);
    pos_ += 3;
    return;
  }
  pushToken(new Token(op == "=" ? TokenTypeCode::Assign : TokenTypeCode::Operator, op.c_str(), pos_, line_, group_));
  pos_ += n;
}

// "a ||= b" reads as "a = a || b" (and "&&=" likewise). The target is the
// name with its property, element and call suffixes that stands before the
// operator; it is copied, never shared. Without an assignable target the
// operator stays as written and a source error is queued.
void GroupLexer::logicalAssign(const std::string& op) {
  auto& ch = group_->childs;
  const int end = static_cast<int>(ch.size());
  int start = -1;
  for (int j = end - 1; j >= 0; --j) {
    Token* t = ch[j];
    if (!t) break;
    if (t->type == TokenTypeCode::Bracket || t->type == TokenTypeCode::Paren) continue;
    if (t->type == TokenTypeCode::Word && !t->text.empty() && t->text[0] == '.') continue;
    if ((t->type == TokenTypeCode::Word && !t->text.empty()) || t->type == TokenTypeCode::Super) start = j;
    break;
  }
  const bool assignable = start >= 0 && ch[end - 1] && ch[end - 1]->type != TokenTypeCode::Paren;
  long long size = 0;
  if (assignable)
    for (int k = start; k < end; ++k) size += countTokens(ch[k]);
  LexRun& run = *g_run;
  if (!assignable || run.tokensCopied + size > run.tokensMade + 10000) {
    Token* t = pushToken(new Token(TokenTypeCode::Operator, op.c_str(), pos_, line_, group_));
    queueError(t, group_,
               assignable ? "The target before " + op + " is too large to copy"
                          : "No variable, property or element before " + op);
    return;
  }
  run.tokensCopied += size;
  pushToken(new Token(TokenTypeCode::Assign, "=", pos_, line_, group_));
  for (int k = start; k < end; ++k) {
    Token* copy = cloneTokenTree(group_->childs[k]);
    if (k == start) copy->leadingText = " ";
    group_->push(copy);
  }
  countMade(size);
  Token* logical = new Token(TokenTypeCode::Operator, op.substr(0, 2).c_str(), pos_, line_, group_);
  group_->push(logical);
  countMade();
  run.logicalAssigns.push_back(logical);
}

// Whether a token ends a value, so that a line end after it may end the
// statement.
bool endsValue(const Token* t) {
  switch (t->type) {
    case TokenTypeCode::Word:
    case TokenTypeCode::Number:
    case TokenTypeCode::Literal:
    case TokenTypeCode::SystemType:
    case TokenTypeCode::Paren:
    case TokenTypeCode::Bracket:
    case TokenTypeCode::Block:
      return true;
    default:
      return false;
  }
}

// Whether a token may go on an expression from a new line.
bool continuesValue(const Token* t) {
  return t->type == TokenTypeCode::Operator || t->type == TokenTypeCode::Assign ||
         t->type == TokenTypeCode::Question || t->type == TokenTypeCode::Colon || t->type == TokenTypeCode::Paren ||
         t->type == TokenTypeCode::Bracket || (t->type == TokenTypeCode::Word && !t->text.empty() && t->text[0] == '.');
}

// "a ||= b" reads as "a = a || b". A value that holds an operator binding
// more loosely than the "||" (a ternary, an assignment, or "||" after an
// "&&") goes into brackets, so that "a ||= c ? x : y" keeps a when a is set:
// "a = a || (c ? x : y)". The value runs up to the next "," or ";" of its
// group, or to a line end where a new statement starts.
//
// The operators are taken from the last to the first: in a chain
// "a ||= b ||= c ..." the later values are then already single bracket
// tokens, so each scan stays short and the chain takes linear time.
void bracketLogicalAssignValues(const TokenList& operators) {
  for (auto it = operators.rbegin(); it != operators.rend(); ++it) {
    Token* logical = *it;
    Token* group = logical->parent;
    if (!group) continue;
    auto& ch = group->childs;
    int at = -1;
    const int size = static_cast<int>(ch.size());
    if (logical->index >= 0 && logical->index < size && ch[logical->index] == logical) {
      at = logical->index;
    } else {
      for (int i = 0; i < size; ++i)
        if (ch[i] == logical) {
          at = i;
          break;
        }
    }
    if (at < 0) continue;
    int end = at + 1;
    bool loose = false;
    Token* previous = nullptr;
    for (; end < static_cast<int>(ch.size()); ++end) {
      Token* t = ch[end];
      if (!t) continue;
      if (t->type == TokenTypeCode::Comma || t->type == TokenTypeCode::Semicolon) break;
      if (previous && endsValue(previous) && !continuesValue(t) && t->leadingText.find('\n') != std::string::npos)
        break;
      const std::string& op = t->text;
      if (t->type == TokenTypeCode::Question || t->type == TokenTypeCode::Assign ||
          (t->type == TokenTypeCode::Operator &&
           (op == "?" || (logical->text == "&&" && op == "||") ||
            (op.size() >= 2 && op.back() == '=' && op != "==" && op != "!=" && op != "===" && op != "!==" &&
             op != "<=" && op != ">="))))
        loose = true;
      previous = t;
    }
    if (!loose) continue;
    auto* value = new TokenParent(TokenTypeCode::Paren, nullptr, 0, logical->line, group);
    value->leadingText = " ";
    for (int i = at + 1; i < end; ++i)
      if (ch[i]) value->push(ch[i]);
    ch.erase(ch.begin() + at + 1, ch.begin() + end);
    ch.insert(ch.begin() + at + 1, value);
    for (int i = at + 1; i < static_cast<int>(ch.size()); ++i)
      if (ch[i]) {
        ch[i]->index = i;
        ch[i]->parent = group;
      }
    value->file = group->file;
  }
}

void lexInto(Token* group, const char* text, int length, int& pos, int& line) {
  if (!group || !text || length <= 0 || pos < 0 || pos >= length) return;
  RunScope scope(length);
  if (g_run->aborted) return;
  const bool outermost = scope.owner();
  GroupLexer(group, text, length, pos, line).run(false);
  if (outermost) bracketLogicalAssignValues(g_run->logicalAssigns);
}

}  // namespace

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

// Makes the token for one word of the text (from `word` to the byte at
// index `last` of `text`) and pushes it on the group. Modifier words only
// add to the pending flags; keywords make their token class.
void Token::_addWord_(const char* text, const char* word, int last, int line, Token* group, int& flags,
                      std::string& leading) {
  if (!text || !word || !group) return;
  const char* end = text + last + 1;
  if (end <= word) return;
  std::string w;
  const bool quotedWord = *word == '"' || *word == '\'';
  const char* firstGap = word;
  if (!quotedWord)
    while (firstGap < end && !isLayoutByte(*firstGap)) ++firstGap;
  if (quotedWord || firstGap == end) {
    w.assign(word, end);
  } else {
    // Blanks stepped over around a '.' ("a . b") leave the word.
    w.reserve(static_cast<size_t>(end - word));
    for (const char* p = word; p < end; ++p)
      if (!isLayoutByte(*p)) w += *p;
  }
  if (w.empty()) return;

  Token* token = nullptr;
  bool declaration = false;
  static const WordClass kQuoted;
  const WordClass& wordClass = quotedWord ? kQuoted : classifyWord(w);
  const WordInfo* found = wordClass.info;
  WordKind kind = found ? found->kind : WordKind::Other;
  if (kind == WordKind::Modifier || kind == WordKind::Internal || kind == WordKind::Include) {
    // A modifier word (or "include") followed by a single ':' is a name: an
    // object key ({use: f, final: true}) or a typed name (var native:Boolean).
    const char* after = end;
    while (*after == ' ' || *after == '\t') ++after;
    if (after[0] == ':' && after[1] != ':') kind = WordKind::Other;
    // A modifier always comes before another word (a declaration keyword, a
    // modifier, a name), a comment or a metadata tag; before anything else
    // (trace(final, native), dynamic + 1, x = final;) it is a name.
    if (kind != WordKind::Include) {
      const char* next = after;
      while (*next == ' ' || *next == '\t' || *next == '\x01' || *next == '\r' || *next == '\n') ++next;
      const unsigned char c = static_cast<unsigned char>(*next);
      if (c && !startsName(c) && c != '/' && c != '[' && c != ':') kind = WordKind::Other;
      // static { ... } in a class body: the block is one of the body's
      // statements, which run once anyway; the word adds nothing.
      if (c == '{' && found->flag == TokenModifierFlags::Static) kind = WordKind::Internal;
    }
    // "namespace" declares a namespace only when a name follows it on its
    // line (namespace ns = ..., use namespace ns); anywhere else it is a
    // name: return namespace + "::" + local.
    if (kind == WordKind::Modifier && found->flag == TokenModifierFlags::Namespace) {
      while (*after == ' ' || *after == '\t' || *after == '\x01') ++after;
      if (!startsName(static_cast<unsigned char>(*after))) kind = WordKind::Other;
    }
  }
  bool awaitName = false;
  if (kind == WordKind::Await) {
    // "await" awaits the operand that follows it on its line (await load(),
    // await p); before anything else (var await:int, await + 1, f(await))
    // it is a name. The "/*await*" directive hands over the word alone: the
    // keyword.
    const char* after = end;
    while (*after == ' ' || *after == '\t' || *after == '\x01') ++after;
    const unsigned char c = static_cast<unsigned char>(*after);
    if (c && !(startsName(c) || (c >= '0' && c <= '9') || c == '(' || c == '[' || c == '{' || c == '"' || c == '\'' ||
          c == '!' || c == '~'))
      kind = WordKind::Other;
    awaitName = kind == WordKind::Other;
  }
  Token* prev = lastChild(group);

  switch (kind) {
    case WordKind::Internal:
      return;
    case WordKind::Modifier:
      flags |= found->flag;
      return;
    case WordKind::Async:
      flags |= found->flag;
      token = new Token(TokenTypeCode::Word, "async", 0, line, group);
      break;
    case WordKind::Var:
    case WordKind::Const: {
      if (!group->childs.empty() &&
          (!prev || (prev->type != TokenTypeCode::Paren && prev->type != TokenTypeCode::Semicolon))) {
        group->push(new Token(TokenTypeCode::Semicolon, ";", 0, 0, group));
        countMade();
      }
      auto* v =
          new TokenVar(kind == WordKind::Var ? TokenTypeCode::Var : TokenTypeCode::Const, nullptr, 0, line, group);
      if (kind == WordKind::Const) v->outputDisabled = DISBALEOUTCONST;
      token = v;
      declaration = true;
      break;
    }
    case WordKind::Function:
      // "async function" is one token: the async word hands over its flags.
      if (prev && (prev->flags & TokenModifierFlags::Async)) {
        flags |= prev->flags;
        leading = prev->leadingText + leading;
        group->childs.pop_back();
        deleteTokenTree(prev);
      }
      token = new TokenFunction(TokenTypeCode::Function, nullptr, 0, line, group);
      declaration = true;
      break;
    case WordKind::Vector:
      token = new TokenVector(TokenTypeCode::Word, nullptr, 0, line, group);
      break;
    case WordKind::Continue:
      token = new TokenContinue(TokenTypeCode::Continue, nullptr, 0, line, group);
      break;
    case WordKind::Break:
      token = new TokenBreak(TokenTypeCode::Break, nullptr, 0, line, group);
      break;
    case WordKind::Import:
      token = new TokenImport(TokenTypeCode::Import, nullptr, 0, line, group);
      break;
    case WordKind::Class: {
      auto* cls = new TokenClass(TokenTypeCode::Class, nullptr, 0, line, group);
      pCurAddClass = cls;
      token = cls;
      declaration = true;
      break;
    }
    case WordKind::Package:
      token = new TokenPackage(TokenTypeCode::Package, nullptr, 0, line, group);
      break;
    case WordKind::As:
      token = new TokenAs(TokenTypeCode::As, nullptr, 0, line, group);
      break;
    case WordKind::Interface:
      token = new TokenInterface(TokenTypeCode::Interface, nullptr, 0, line, group);
      break;
    case WordKind::Extends:
      token = new TokenExtends(TokenTypeCode::Extends, w.c_str(), 0, line, group);
      break;
    case WordKind::Implements:
      token = new TokenExtends(TokenTypeCode::Implements, w.c_str(), 0, line, group);
      break;
    case WordKind::Super:
      token = new TokenSuper(TokenTypeCode::Super, nullptr, 0, line, group);
      break;
    case WordKind::Is:
      token = new TokenIs(TokenTypeCode::Is, nullptr, 0, line, group);
      break;
    case WordKind::Case:
      token = new TokenCase(TokenTypeCode::Case, nullptr, 0, line, group);
      break;
    case WordKind::Default:
      token = new TokenCase(TokenTypeCode::Default, nullptr, 0, line, group);
      break;
    case WordKind::Catch:
      token = new TokenCatch(TokenTypeCode::Catch, nullptr, 0, line, group);
      break;
    case WordKind::Untyped:
      token = new TokenUntyped(TokenTypeCode::Untyped, w.c_str(), 0, line, group);
      break;
    case WordKind::For:
      token = new TokenFor(TokenTypeCode::For, "for", 0, line, group);
      break;
    case WordKind::While:
      token = new Token(TokenTypeCode::While, w.c_str(), 0, line, group);
      break;
    case WordKind::In:
      token = new TokenIn(TokenTypeCode::In, w.c_str(), 0, line, group);
      break;
    case WordKind::Return:
      token = new Token(TokenTypeCode::Return, w.c_str(), 0, line, group);
      break;
    case WordKind::New:
      token = new TokenNew(TokenTypeCode::New, w.c_str(), 0, line, group);
      break;
    case WordKind::SuperWord:
      token =
          new Token(TokenTypeCode::SystemType, "\n/*warning: _super is Ruvo System keywords*/_super", 0, line, group);
      break;
    case WordKind::Include:
      token = new Token(TokenTypeCode::Include, nullptr, 0, line, group);
      break;
    case WordKind::With:
      token = new TokenWith(TokenTypeCode::With, nullptr, 0, line, group);
      break;
    case WordKind::Await:
      token = new Token(TokenTypeCode::Literal, "await", 0, line, group);
      break;
    case WordKind::Each:
      // "for each": the loop remembers it; elsewhere "each" is a plain name.
      if (prev && prev->type == TokenTypeCode::For) {
        if (auto* loop = dynamic_cast<TokenFor*>(prev)) {
          loop->forEach = 1;
          return;
        }
      }
      kind = WordKind::Other;
      break;
    case WordKind::SystemUseStatic:
      if (pCurAddClass) pCurAddClass->systemUseStatic = 1;
      return;
    case WordKind::Embed:
      if (group->type == TokenTypeCode::Bracket && group->childs.empty()) {
        token = new TokenEmbed(TokenTypeCode::As, nullptr, 0, line, group);
        group->type = TokenTypeCode::As;
      } else {
        kind = WordKind::Other;
      }
      break;
    case WordKind::Other:
      break;
  }

  if (!token) {
    if (quotedWord) {
      token = new Token(TokenTypeCode::Literal, w.c_str(), 0, line, group);
    } else if (xstringmthod::IsAllDigit(w.c_str())) {
      token = new Token(TokenTypeCode::Number, w.c_str(), 0, line, group);
    } else {
      bool awaited = false;
      bool rewritten = false;
      const size_t colons = w.find("::");
      // NS::name { ... } and NS::name in front of a declaration are
      // conditional compilation: the name keeps its prefix, so that an
      // undefined one can be reported as such.
      if (colons != std::string::npos && colons > 0 && !_ompilerOptions_.defines.has(w) &&
          !startsConditional(end)) {
        // Namespace prefixes go: each dotted segment keeps what follows its last "::".
        awaited = colons == 5 && w.compare(0, 5, "await") == 0;
        std::string out;
        size_t from = 0;
        for (;;) {
          size_t dot = w.find('.', from);
          std::string_view seg(w.data() + from, (dot == std::string::npos ? w.size() : dot) - from);
          size_t k = seg.rfind("::");
          out.append(k == std::string_view::npos ? seg : seg.substr(k + 2));
          if (dot == std::string::npos) break;
          out += '.';
          from = dot + 1;
        }
        w.swap(out);
        rewritten = true;
      }
      int code = TokenTypeCode::Word;
      // The lookup above still holds for a word the prefixes left alone.
      const bool statementWord =
          !awaitName && (rewritten ? inWordList(__unnowkey__, w) : wordClass.statementWord);
      if (statementWord) {
        code = TokenTypeCode::StatementWord;
      } else if (rewritten ? inWordList(__sytemtype__, w) : wordClass.systemType) {
        code = TokenTypeCode::SystemType;
      }
      token = new Token(code, nullptr, 0, line, group);
      token->text = std::move(w);
      if (awaited) token->awaitedCall = 1;
    }
  }

  if (declaration) token->docComment = _Comment;
  _Comment.clear();
  if (token->type == TokenTypeCode::Case || token->type == TokenTypeCode::Default) {
    // A case label keeps its own line end in front unless the source gave one.
    if (leading.find('\n') != std::string::npos) {
      token->leadingText = leading;
    } else {
      token->leadingText += leading;
    }
  } else {
    token->leadingText = leading;
  }
  leading.clear();
  token->flags = flags;
  flags = 0;
  group->push(token);
  countMade();
}

void resetLexerState() {
  _Comment.clear();
  DISBALEOUTCONST = 0;
  pCurAddClass = nullptr;
  Token::_varGapOwners_().clear();  // left over only by a file whose pretreatment was cut short
}
