// The words of the lexer: the table of keywords and modifier words, and the
// maker that turns one word of the text into its token (or into modifier
// flags for the next one).
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

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

}  // namespace

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
