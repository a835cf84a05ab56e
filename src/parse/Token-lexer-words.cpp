// The words of the lexer: the table of keywords and modifier words, and the
// maker that turns one word of the text into its token (or into modifier
// flags for the next one).
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "CompilerOptions.h"
#include "Token-lexer-internal.h"
#include "Token.h"
#include "TokenClass.h"
#include "TokenExtends.h"
#include "TokenFunction.h"
#include "TokenImport.h"
#include "TokenInterface.h"
#include "TokenOther.h"
#include "TokenPackage.h"
#include "xstringmethod.h"

using namespace lexer;

namespace {

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

// ---- the word makers ----

struct WordRow;

// One word where it stands, as its maker sees it: the text after it, the
// group it goes into and the state waiting for the next token.
struct WordSite {
  const WordRow& row;
  const char* end;        // the byte after the word
  int line;
  Token* group;
  int& flags;             // the modifier flags waiting for the next token
  Layout& leading;        // the layout waiting for the next token
  Token* token = nullptr;           // the token made
  bool declaration = false;         // the token takes the waiting doc comment
  bool neverStatementWord = false;  // a name that reads as a plain word even if listed
};

// What a maker did with its word: made its token, consumed it (a modifier
// flag, a directive), or left it to be read as a name.
enum class WordMade { Token, Consumed, Name };

using WordMaker = WordMade (*)(WordSite&);

struct WordRow {
  const char* word;
  int code;          // the token type made (0 where it makes none)
  int flag;          // the modifier flag added (0: none)
  const char* text;  // the text of the token made (nullptr: none)
  WordMaker make;
};

const char* skipBlanks(const char* p) {
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

// A word followed by a single ':' is a name: an object key ({use: f,
// final: true}) or a typed name (var native:Boolean).
bool beforeTypeColon(const char* after) { return after[0] == ':' && after[1] != ':'; }

// The token of the row's class, code and text.
template <class T>
WordMade keyword(WordSite& s) {
  s.token = new T(s.row.code, s.row.text, 0, s.line, s.group);
  return WordMade::Token;
}

// A modifier always comes before another word (a declaration keyword, a
// modifier, a name), a comment or a metadata tag; before anything else
// (trace(final, native), dynamic + 1, x = final;) it is a name. "internal"
// adds no flag. static { ... } in a class body: the block is one of the
// body's statements, which run once anyway; the word adds nothing.
// "namespace" declares a namespace only when a name follows it on its line
// (namespace ns = ..., use namespace ns); anywhere else it is a name:
// return namespace + "::" + local.
WordMade modifierWord(WordSite& s) {
  const char* after = skipBlanks(s.end);
  if (beforeTypeColon(after)) return WordMade::Name;
  const char* next = after;
  while (*next == ' ' || *next == '\t' || *next == '\x01' || *next == '\r' || *next == '\n') ++next;
  const unsigned char c = static_cast<unsigned char>(*next);
  if (c == '{' && s.row.flag == TokenModifierFlags::Static) return WordMade::Consumed;
  if (c && !startsName(c) && c != '/' && c != '[' && c != ':') return WordMade::Name;
  if (s.row.flag == TokenModifierFlags::Namespace) {
    while (*after == ' ' || *after == '\t' || *after == '\x01') ++after;
    if (!startsName(static_cast<unsigned char>(*after))) return WordMade::Name;
  }
  s.flags |= s.row.flag;
  return WordMade::Consumed;
}

// "async" is a word of its own that also marks the next token async.
WordMade asyncWord(WordSite& s) {
  s.flags |= s.row.flag;
  return keyword<Token>(s);
}

// "var" and "const" start a statement: a ';' goes before them unless the
// group is empty or a ( ) group or a ';' stands before.
WordMade varWord(WordSite& s) {
  Token* prev = lastChild(s.group);
  if (!s.group->childs.empty() &&
      (!prev || (prev->type != TokenTypeCode::Paren && prev->type != TokenTypeCode::Semicolon))) {
    static const SharedString kSemicolon(";");
    s.group->push(newToken(TokenTypeCode::Semicolon, kSemicolon, 0, s.group));
    countMade();
  }
  auto* v = makeToken<TokenVar>(s.row.code, static_cast<const char*>(nullptr), 0, s.line, s.group);
  if (s.row.code == TokenTypeCode::Const) v->outputDisabled = DISBALEOUTCONST;
  s.token = v;
  s.declaration = true;
  return WordMade::Token;
}

// "async function" is one token: the async word hands over its flags, its
// layout and the errors queued at it (an include right after it), and is
// freed.
WordMade functionWord(WordSite& s) {
  s.token = makeToken<TokenFunction>(s.row.code, static_cast<const char*>(nullptr), 0, s.line, s.group);
  s.declaration = true;
  Token* prev = lastChild(s.group);
  if (prev && (prev->flags & TokenModifierFlags::Async)) {
    s.flags |= prev->flags;
    s.leading.text() = prev->leadingText + s.leading.text();
    s.group->childs.pop_back();
    moveQueuedErrors(prev, s.token);
    deleteTokenTree(prev);
  }
  return WordMade::Token;
}

// The class token made last is remembered for RUVOSYSTEM_USE_STATIC.
WordMade classWord(WordSite& s) {
  auto* cls = new TokenClass(s.row.code, nullptr, 0, s.line, s.group);
  pCurAddClass = cls;
  s.token = cls;
  s.declaration = true;
  return WordMade::Token;
}

// "include" before a single ':' is a name; anywhere else the quoted file
// name that follows is included.
WordMade includeWord(WordSite& s) {
  if (beforeTypeColon(skipBlanks(s.end))) return WordMade::Name;
  return keyword<Token>(s);
}

// "for each": the loop remembers it; elsewhere "each" is a plain name.
WordMade eachWord(WordSite& s) {
  Token* prev = lastChild(s.group);
  if (prev && prev->type == TokenTypeCode::For) {
    if (auto* loop = dynamic_cast<TokenFor*>(prev)) {
      loop->forEach = 1;
      return WordMade::Consumed;
    }
  }
  return WordMade::Name;
}

// "await" awaits the operand that follows it on its line (await load(),
// await p); before anything else (var await:int, await + 1, f(await)) it is
// a name. The "/*await*" directive hands over the word alone: the keyword.
WordMade awaitWord(WordSite& s) {
  const char* after = s.end;
  while (*after == ' ' || *after == '\t' || *after == '\x01') ++after;
  const unsigned char c = static_cast<unsigned char>(*after);
  if (c && !(startsName(c) || (c >= '0' && c <= '9') || c == '(' || c == '[' || c == '{' || c == '"' || c == '\'' ||
             c == '!' || c == '~')) {
    s.neverStatementWord = true;
    return WordMade::Name;
  }
  return keyword<Token>(s);
}

// [Embed(...)]: the metadata group becomes the embed token's group.
WordMade embedWord(WordSite& s) {
  if (s.group->type != TokenTypeCode::Bracket || !s.group->childs.empty()) return WordMade::Name;
  s.token = new TokenEmbed(s.row.code, s.row.text, 0, s.line, s.group);
  s.group->type = TokenTypeCode::As;
  return WordMade::Token;
}

// RUVOSYSTEM_USE_STATIC marks the class made last.
WordMade useStaticWord(WordSite&) {
  if (pCurAddClass) pCurAddClass->systemUseStatic = 1;
  return WordMade::Consumed;
}

// ---- the word table ----

const WordRow kWordRows[] = {
#define LEXER_WORD(word, code, flag, text, maker) {word, code, flag, text, maker},
#include "Token-lexer-words.def"
};

}  // namespace

// Everything the lexer asks about one word, found by one hash lookup: its
// row of the word table and whether the lists __unnowkey__ and __sytemtype__
// hold it. The table is made again when either list is replaced.
struct lexer::WordClass {
  const WordRow* row = nullptr;
  bool statementWord = false;
  bool systemType = false;
};

namespace {

struct WordClassCache {
  const char* statementList = nullptr;
  const char* typeList = nullptr;
  bool made = false;
  std::unordered_map<std::string_view, WordClass> words;
  // The answer for each kept text seen so far, by its number (null: not
  // asked yet): most words of a file are ones it has used before. Its
  // elements and size are read through byIdItems and byIdSize.
  std::vector<const WordClass*> byId;
  const WordClass** byIdItems = nullptr;
  size_t byIdSize = 0;
};
// At namespace scope, so that the look-up made for every word needs no
// guard of a function-local static.
WordClassCache g_wordClasses;

// The answer for a text not asked about since the lists were last read,
// out of line: most words of a file are ones it has used before.
[[gnu::noinline]] const WordClass& classifyNewWord(std::string_view word, uint32_t id) {
  WordClassCache& cache = g_wordClasses;
  static const WordClass none;
  auto it = cache.words.find(word);
  const WordClass* found = it == cache.words.end() ? &none : &it->second;
  if (id >= cache.byId.size()) {
    cache.byId.resize(id + 1 > 2 * cache.byId.size() ? id + 1 : 2 * cache.byId.size());
    cache.byIdItems = cache.byId.data();
    cache.byIdSize = cache.byId.size();
  }
  cache.byId[id] = found;
  return *found;
}

// The word's row and list marks: the answer kept for its text (the lists
// are looked at once per text tokenised, by refreshWordClasses).
[[gnu::always_inline]] inline const WordClass& classifyWord(std::string_view word, uint32_t id) {
  const WordClassCache& cache = g_wordClasses;
  if (id < cache.byIdSize && cache.byIdItems[id]) [[likely]]
    return *cache.byIdItems[id];
  return classifyNewWord(word, id);
}

}  // namespace

void lexer::refreshWordClasses() {
  WordClassCache& cache = g_wordClasses;
  if (cache.statementList == __unnowkey__ && cache.typeList == __sytemtype__ && cache.made) return;
  cache.made = true;
  cache.statementList = __unnowkey__;
  cache.typeList = __sytemtype__;
  cache.words.clear();
  cache.byId.clear();
  cache.byIdItems = nullptr;
  cache.byIdSize = 0;
  for (const WordRow& row : kWordRows) cache.words[row.word].row = &row;
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

namespace {

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

// The text of a word that may span blanks: the blanks stepped over around
// a '.' ("a . b") leave it. It is kept as a shared text at once (out of
// line: few words hold a layout byte), and the kept text, which never
// moves, is what the word reads as from then on.
[[gnu::noinline]] SharedString keptWithoutLayout(std::string_view w) {
  const char* firstGap = w.data();
  const char* end = w.data() + w.size();
  while (firstGap < end && !isLayoutByte(*firstGap)) ++firstGap;
  if (firstGap == end) return SharedString(w);
  std::string gathered;
  gathered.reserve(w.size());
  for (const char* p = w.data(); p < end; ++p)
    if (!isLayoutByte(*p)) gathered += *p;
  return SharedString(std::string_view(gathered));
}

// NS::name loses its namespace prefixes: each dotted segment keeps what
// follows its last "::".
std::string withoutNamespaces(const std::string& w) {
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
  return out;
}

// A number written with leading zeros is decimal in ActionScript (010 is
// ten), where JavaScript would read 010 as octal (eight) and TypeScript
// rejects it: the zeros in front of another digit go ("010" -> "10",
// "007.5" -> "7.5", "00" -> "0"). Hexadecimal numbers keep theirs.
std::string_view withoutLeadingZeros(std::string_view w) {
  size_t zeros = 0;
  while (zeros + 1 < w.size() && w[zeros] == '0' && w[zeros + 1] >= '0' && w[zeros + 1] <= '9') ++zeros;
  return w.substr(zeros);
}

// Whether xstringmthod::IsAllDigit holds for the word (answers nonzero),
// read in place: "0x..." is a number; otherwise every byte up to the end
// (or a NUL, where the C string would end) lies in 0x1D to 0x39 and is
// none of "$&,/", except a last 'E' after a '.' ("1.5E").
bool isNumberWord(std::string_view w) {
  const unsigned char first = static_cast<unsigned char>(w[0]);
  if (first < 0x1D || first > 0x39) return false;
  const size_t n = w.size();
  if (n >= 2 && w[0] == '0' && (w[1] == 'x' || w[1] == 'X')) return true;
  bool dot = false;
  for (size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(w[i]);
    if (c == 0) return true;
    if (dot && c == 'E' && (i + 1 == n || w[i + 1] == '\0')) return true;
    if (c < 0x1D || c > 0x39 || c == '$' || c == '&' || c == ',' || c == '/') return false;
    if (c == '.') dot = true;
  }
  return true;
}

// The token of a word no row made: a string literal, a number, or a name
// (a statement word or a system type when its list holds it). `key` is the
// word kept as a shared text; `mayHaveColons` false tells that it holds no
// "::" (the group lexer saw no ':' in it).
// The token of a word with a "::" whose namespace prefixes go (see
// plainWordToken), or null where the word keeps them. Out of line: its
// strings would weigh on the path every word takes.
[[gnu::noinline]] Token* namespacedWordToken(std::string_view w, bool neverStatementWord, const char* end, int line,
                                             Token* group) {
  const size_t colons = w.find("::");
  // NS::name { ... } and NS::name in front of a declaration are
  // conditional compilation: the name keeps its prefix, so that an
  // undefined one can be reported as such.
  if (colons == std::string_view::npos || colons == 0 || _ompilerOptions_.defines.has(std::string(w)) ||
      startsConditional(end))
    return nullptr;
  const bool awaited = colons == 5 && w.compare(0, 5, "await") == 0;
  const std::string plain = withoutNamespaces(std::string(w));  // the word without its namespace prefixes
  int code = TokenTypeCode::Word;
  if (!neverStatementWord && inWordList(__unnowkey__, plain)) {
    code = TokenTypeCode::StatementWord;
  } else if (inWordList(__sytemtype__, plain)) {
    code = TokenTypeCode::SystemType;
  }
  Token* token = makeToken<Token>(code, static_cast<const char*>(nullptr), 0, line, group);
  token->text = plain;
  if (awaited) token->awaitedCall = 1;
  return token;
}

[[gnu::always_inline]] inline Token* plainWordToken(std::string_view w, const SharedString& key, bool quoted,
                                                    const WordClass& wordClass, bool neverStatementWord,
                                                    bool mayHaveColons, const char* end, int line, Token* group) {
  if (quoted) {
    Token* literal = makeToken<Token>(int(TokenTypeCode::Literal), static_cast<const char*>(nullptr), 0, line, group);
    literal->text = key;
    return literal;
  }
  if (isNumberWord(w)) {
    // Zeros cut off, or the word's own kept text.
    const std::string_view number = withoutLeadingZeros(w);
    return newToken(TokenTypeCode::Number, number.size() == w.size() ? key : SharedString(number), line, group);
  }
  if (mayHaveColons)
    if (Token* namespaced = namespacedWordToken(w, neverStatementWord, end, line, group)) return namespaced;
  // The lookup of the word holds for a word the prefixes left alone.
  int code = TokenTypeCode::Word;
  if (!neverStatementWord && wordClass.statementWord) {
    code = TokenTypeCode::StatementWord;
  } else if (wordClass.systemType) {
    code = TokenTypeCode::SystemType;
  }
  Token* token = makeToken<Token>(code, static_cast<const char*>(nullptr), 0, line, group);
  token->text = key;
  return token;
}

// Pushes a word's token with what waited for it: the doc comment (for a
// declaration), the layout and the modifier flags. Only a row's maker
// (`keyword` true) makes a case label.
[[gnu::always_inline]] inline void placeWordToken(Token* token, bool keyword, bool declaration, Token* group,
                                                  int& flags, Layout& leading) {
  if (declaration) token->setDocComment(_Comment);
  _Comment.clear();
  if (keyword && (token->type == TokenTypeCode::Case || token->type == TokenTypeCode::Default)) {
    // A case label keeps its own line end in front unless the source gave one.
    if (leading.text().find('\n') != std::string::npos) {
      token->leadingText = leading.text();
    } else {
      token->leadingText += leading.text();
    }
    leading.clear();
  } else {
    leading.moveTo(token->leadingText);
  }
  token->flags = flags;
  flags = 0;
  group->push(token);
  countMade();
}

// The token of a word whose text is kept and looked up already: a row's
// maker runs first (and may consume the word); pushed with what waited for it.
[[gnu::always_inline]] inline void makeWord(std::string_view w, const SharedString& key, bool quotedWord,
                                            const WordClass& wordClass, const char* end, int line, Token* group,
                                            int& flags, Layout& leading, bool colons) {
  Token* token = nullptr;
  bool declaration = false;
  bool neverStatementWord = false;
  if (const WordRow* row = wordClass.row) {
    WordSite site{*row, end, line, group, flags, leading};
    if (row->make(site) == WordMade::Consumed) return;
    token = site.token;
    declaration = site.declaration;
    neverStatementWord = site.neverStatementWord;
  }
  if (!token) token = plainWordToken(w, key, quotedWord, wordClass, neverStatementWord, colons, end, line, group);
  placeWordToken(token, wordClass.row != nullptr, declaration, group, flags, leading);
}

}  // namespace

// Makes the token for one word of the text (from `word` to the byte at
// index `last` of `text`) and pushes it on the group. A word of the table
// goes to its row's maker: modifier words only add to the pending flags,
// keywords make their token class; any other word is a literal, a number
// or a name.
void Token::_addWord_(const char* text, const char* word, int last, int line, Token* group, int& flags,
                      std::string& leading) {
  if (!text || !word || !group) return;
  lexer::refreshWordClasses();
  lexer::Layout layout;
  layout.text().swap(leading);
  lexer::addWord(text, word, last, line, group, flags, layout, true, true);
  leading.swap(layout.text());
}

void lexer::addWord(const char* text, const char* word, int last, int line, Token* group, int& flags,
                    Layout& leading, bool spaced, bool colons) {
  const char* end = text + last + 1;
  if (end <= word) return;
  const bool quotedWord = *word == '"' || *word == '\'';
  // A quoted word stays as written, and a word the group lexer saw no
  // layout byte in (`spaced` false) is read in place.
  std::string_view w(word, static_cast<size_t>(end - word));
  SharedString key;
  if (quotedWord) {
    // A literal's token text ends at a NUL byte inside the quotes, as a C
    // string would.
    key = SharedString(w.substr(0, w.find('\0')));
  } else if (spaced) {
    key = keptWithoutLayout(w);
    w = key.str();
    if (w.empty()) return;
  } else {
    key = SharedString(w);
  }

  static const WordClass kQuoted;
  const WordClass& wordClass = quotedWord ? kQuoted : classifyWord(w, key.id());
  makeWord(w, key, quotedWord, wordClass, end, line, group, flags, leading, colons);
}

// Most words the group lexer reads are names or numbers: no layout byte
// inside, no "::", not quoted, not a word of the table. Such a word gets
// its token here; any other goes the way of addWord.
void GroupLexer::word() {
  const char* word = t_ + wordStart_;
  const char* end = t_ + pos_;
  if (wordSpaced_ || end <= word) [[unlikely]] {
    addWord(t_, word, pos_ - 1, wordLine_, group_, flags_, leading_, wordSpaced_, wordColons_);
    return;
  }
  const std::string_view w(word, static_cast<size_t>(end - word));
  const unsigned char first = static_cast<unsigned char>(*word);
  SharedString key(w);
  int code;
  if (first <= '9') {
    // A number, or a word that begins with '$' (or any other byte that
    // begins none of the table's words) and goes the way of addWord.
    if (!isNumberWord(w)) [[unlikely]] {
      addWord(t_, word, pos_ - 1, wordLine_, group_, flags_, leading_, false, wordColons_);
      return;
    }
    // Zeros cut off, or the word's own kept text.
    const std::string_view number = withoutLeadingZeros(w);
    if (number.size() != w.size()) key = SharedString(number);
    code = TokenTypeCode::Number;
  } else {
    const WordClass& wordClass = classifyWord(w, key.id());
    if (wordClass.row || wordColons_) [[unlikely]] {
      tableOrNamespacedWord(w, key, wordClass);
      return;
    }
    code = wordClass.statementWord ? TokenTypeCode::StatementWord
           : wordClass.systemType  ? TokenTypeCode::SystemType
                                   : TokenTypeCode::Word;
  }
  // What waits for the token is taken first, so that the stores made into
  // the new token follow one another (the ones its fields are overwritten
  // by end up the only ones).
  _Comment.clear();
  SharedString leading;
  leading_.moveTo(leading);
  const int flags = flags_;
  flags_ = 0;
  Token* const group = group_;
  Token* token = makeToken<Token>(code, static_cast<const char*>(nullptr), 0, wordLine_, group);
  token->text = key;
  token->leadingText = leading;
  token->flags = flags;
  group->push(token);
  ++g_run->tokensMade;  // a group lexer reads only inside a run
}

// The way of addWord for the words of the table and the words with a "::"
// that word() reads, out of its path.
void GroupLexer::tableOrNamespacedWord(std::string_view w, SharedString key, const WordClass& wordClass) {
  makeWord(w, key, false, wordClass, w.data() + w.size(), wordLine_, group_, flags_, leading_, wordColons_);
}
