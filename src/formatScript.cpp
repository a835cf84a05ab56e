// Pretty-printer for the JavaScript of one source file.
//
// The statement and class output emit JavaScript with the source's own blanks
// and line ends. This pass gives every file the layout of the output scripts:
// one statement per line without leading blanks, compressed blanks, opening
// braces joined to the line before, tab indentation by brace depth (one more
// level inside switch bodies and under brace-less if lines) and blank lines
// after closing braces. It works on bytes; bytes of 0x80 and above are
// ordinary characters. Every line it produces ends in LF.
#include "formatScript.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <string_view>

#include "xstringmethod.h"


namespace {

bool isSign(char c) { return c == '+' || c == '-'; }
bool isHigh(char c) { return static_cast<unsigned char>(c) >= 0x80; }
bool isWordChar(char c) {
  return isHigh(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$';
}

// What _formatOneLine_ does with a byte: most it copies with no look around
// them (Plain); blanks, signs and '=', quotes, '/' and braces (copied too,
// and counted) each have their rule. NUL is copied as a plain byte is, but
// ends a run of them: the byte after a line is its LF or the NUL after the
// text, so a run stops there without a test of the line's end. Asked once
// per byte of output, so a table. Read from the text of a whole file, a line
// ends at its LF, which then ends a run as NUL does (kindInText).
enum class ByteKind : unsigned char { Plain, Nul, Blank, Sign, Quote, Slash, Brace };
struct ByteKinds {
  ByteKind of[256];
  constexpr explicit ByteKinds(bool lfEnds) : of() {
    for (char c : std::string_view("\t\n\r ")) of[static_cast<unsigned char>(c)] = ByteKind::Blank;
    of[0] = ByteKind::Nul;
    if (lfEnds) of[static_cast<unsigned char>('\n')] = ByteKind::Nul;
    for (char c : std::string_view("+-=")) of[static_cast<unsigned char>(c)] = ByteKind::Sign;
    for (char c : std::string_view("\"'")) of[static_cast<unsigned char>(c)] = ByteKind::Quote;
    of[static_cast<unsigned char>('/')] = ByteKind::Slash;
    for (char c : std::string_view("{}")) of[static_cast<unsigned char>(c)] = ByteKind::Brace;
  }
  ByteKind operator()(char c) const { return of[static_cast<unsigned char>(c)]; }
};
constexpr ByteKinds kindOf(false);
constexpr ByteKinds kindInText(true);
// The kind of a byte of a line, read as a line of its own or, ToLf, as the
// start of the rest of the text, which the line's LF ends.
template <bool ToLf>
ByteKind kindIn(char c) {
  return ToLf ? kindInText(c) : kindOf(c);
}

// What becomes of a blank after a byte. One directly after one of the
// characters " ,;+-*={}():" carries no meaning and vanishes (so does one
// after a NUL, which std::strchr would find in that list as its
// terminator), except that after '+', '-' or '*' the next non-blank decides
// (see compressLineAt); after any other byte it stays. Asked once per blank,
// so a table.
enum class BlankAfter : unsigned char { Kept, Eaten, NextDecides };
struct BlankRules {
  BlankAfter of[256];
  constexpr BlankRules() : of() {
    of[0] = BlankAfter::Eaten;
    for (char c : std::string_view(" ,;={}():")) of[static_cast<unsigned char>(c)] = BlankAfter::Eaten;
    for (char c : std::string_view("+-*")) of[static_cast<unsigned char>(c)] = BlankAfter::NextDecides;
  }
  BlankAfter operator()(char c) const { return of[static_cast<unsigned char>(c)]; }
};
constexpr BlankRules blankAfter;

// The formatter looks at one line at a time, as a view into the text of the
// whole file. Reading past the end of the line gives NUL, as it would at the
// end of a string of its own.
char at(std::string_view s, size_t i) { return i < s.size() ? s[i] : '\0'; }

// Index of the quote that closes the literal opening at `pos`, or of the
// end of the line (the scan of xstringmthod::getQuotationMarkText). ToLf,
// `s` is the rest of the text and an LF ends the line.
template <bool ToLf = false>
size_t quoteEnd(std::string_view s, size_t pos) {
  const char q = s[pos];
  size_t i = pos + 1;
  for (;;) {
    const char c = at(s, i);
    if (isHigh(c)) {
      ++i;
      continue;
    }
    if (c == '\0' || c == q || (ToLf && c == '\n')) return i;
    if (c == '\\') {
      const char n = at(s, i + 1);
      i += (n == '\\' || n == q) ? 2 : 1;
      continue;
    }
    ++i;
  }
}

// Index of the end of the comment whose '/' stands at `pos`, or of the end
// of the line (the scan of xstringmthod::getAnnotationText).
size_t commentEnd(std::string_view s, size_t pos) {
  const char kind = at(s, pos + 1);
  if (kind == '\0') return pos + 1;
  if (at(s, pos + 2) == '\0') return pos + 2;
  size_t i = pos + 2;
  if (kind == '*') {
    for (;; ++i) {
      const char c = at(s, i);
      if (c == '\0') return i;
      if (c == '*' && at(s, i + 1) == '/') return i + 1;
    }
  }
  for (;; ++i) {
    const char c = at(s, i);
    if (c == '\0' || c == '\n') return i;
    if (c == '\r') {
      if (at(s, i + 1) == '\n') continue;  // the LF of CR LF ends the comment
      return i;
    }
  }
}

// The first character after the blanks that follow position `i`, or NUL
// (ToLf, an LF ends the line).
template <bool ToLf>
char nextNonBlank(std::string_view line, size_t i) {
  while (i < line.size() && kindIn<ToLf>(line[i]) == ByteKind::Blank) ++i;
  return i < line.size() && !(ToLf && line[i] == '\n') ? line[i] : '\0';
}

// Words after which a '/' opens a regular-expression literal, not a division.
// The word considered ends at `end` in `result`.
bool endsWithRegexKeyword(std::string_view result, size_t end) {
  static const char* const kWords[] = {"return", "typeof", "case", "do", "else", "in", "new",
                                       "delete", "void", "throw", "instanceof"};
  size_t start = end;
  while (start > 0 && isWordChar(result[start - 1])) --start;
  if (start == end) return false;
  for (const char* w : kWords) {
    if (result.compare(start, end - start, w) == 0) return true;
  }
  return false;
}

// Whether the '/' at `i` of the input opens a regular-expression literal,
// judged from the text already produced: after an operator, an opening
// bracket, a separator, a keyword or at the start of the line it does; after
// a name, a number or a closing bracket it is a division. "//" and "/*" open
// comments, and the '/' that closes a block comment follows a '*'.
template <bool ToLf>
bool opensRegex(std::string_view line, size_t i, std::string_view result) {
  char next = i + 1 < line.size() ? line[i + 1] : '\0';
  if (next == '/' || next == '*' || next == '\0' || (ToLf && next == '\n')) return false;
  if (i > 0 && line[i - 1] == '*') return false;
  size_t k = result.size();
  while (k > 0 && result[k - 1] == ' ') --k;
  if (k == 0) return true;
  char prev = result[k - 1];
  if (std::strchr("(,=:[!&|?{};+-%<>~^", prev)) return true;
  if (isWordChar(prev)) return endsWithRegexKeyword(result, k);
  return false;
}

// Index just past the regular-expression body that opens at `i` (the closing
// '/', or the end of the line when it is not closed). A '/' inside a character
// class or after a backslash does not close it. ToLf, the line ends at an LF.
template <bool ToLf>
size_t regexEnd(std::string_view line, size_t i) {
  bool inClass = false;
  for (size_t k = i + 1; k < line.size(); ++k) {
    char c = line[k];
    if (ToLf && c == '\n') return k;
    if (c == '\\') {
      ++k;
      if (ToLf && k < line.size() && line[k] == '\n') return k;
      continue;
    }
    if (c == '[') inClass = true;
    if (c == ']') inClass = false;
    if (c == '/' && !inClass) return k + 1;
  }
  return line.size();
}

// The balance of '{' and '}' of a compressed line, as braceBalance reads
// it, counted while the line is written. Counting the braces the line copies
// outside quoted strings gives that balance unless the line holds a comment
// or a regular expression (whose bodies braceBalance reads otherwise): then
// it is not known, and braceBalance reads the line.
struct LineBraces {
  int balance = 0;
  bool known = true;
};

// The blanks a line starts with.
size_t leadingBlanks(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && kindOf(line[i]) == ByteKind::Blank) ++i;
  return i;
}

// _formatOneLine_ of a line that starts with a byte other than a blank (the
// caller steps over the leading blanks and drops a line of blanks), written
// from `begin` on; returns the end of what it wrote. Every byte of the line
// gives at most one byte and the LF is the only one added, so line.size() + 1
// bytes of room are always enough. The byte after the line is read: it is
// the LF that ends it or the NUL after its text.
//
// ToLf, `line` is the rest of the text from the line's first byte on, the
// line ends at the first LF or at the end of the text, and `lfAt` is set
// to its index: the LF is found while the line is compressed. The room
// needed is that of the rest of the text. What it writes holds only when
// the line does not go on past its LF (continuesPastLf): the caller asks
// that afterwards and compresses such a line again as a line of its own.
template <bool ToLf>
char* compressLineAt(std::string_view line, char* const begin, LineBraces& braces, size_t& lfAt) {
  const char* const s = line.data();
  const size_t n = line.size();
  char* w = begin;
  size_t i = 0;
  while (ToLf || i < n) {
    const char c = s[i];
    switch (kindIn<ToLf>(c)) {
      case ByteKind::Plain: {
        // A run of bytes that are copied as they stand, eight at a time
        // while the line holds eight more: all eight are copied, and the
        // run's end decides how many count. The eight stay in the line's
        // room: no byte read so far gave more than one, so w - begin <= i.
        // The run's first byte is known to be plain, the ends of the
        // following eights are not. A blank between two plain bytes, kept
        // after the first, does not end the run ("var total"), nor does a
        // sign between two ("a=b", "i+1"): each is written as its rule
        // writes it there, and the byte after it is plain.
        size_t k = 1;
        for (;;) {
          if (i + 8 > n) {
            while (kindIn<ToLf>(s[i]) == ByteKind::Plain) *w++ = s[i++];
            break;
          }
          std::memcpy(w, s + i, 8);
          while (k < 8 && kindIn<ToLf>(s[i + k]) == ByteKind::Plain) ++k;
          w += k;
          i += k;
          if (k < 8) {
            const char e = s[i];
            if (e == ' ' ? blankAfter(w[-1]) != BlankAfter::Kept : kindIn<ToLf>(e) != ByteKind::Sign) break;
            if (kindIn<ToLf>(s[i + 1]) != ByteKind::Plain) break;
            *w++ = e;
            ++i;
            k = 1;
            continue;
          }
          k = 0;
        }
        break;
      }
      case ByteKind::Nul:
        if (ToLf) goto lineDone;
        *w++ = c;
        ++i;
        break;
      case ByteKind::Brace:
        braces.balance += c == '{' ? 1 : -1;
        *w++ = c;
        ++i;
        break;
      case ByteKind::Blank: {
        // Something has been written: the leading blanks were stepped over
        // and every other byte's rule writes at least one byte.
        const char last = w[-1];
        const BlankAfter rule = blankAfter(last);
        if (rule == BlankAfter::Kept) {
          *w++ = ' ';
        } else if (rule == BlankAfter::NextDecides) {
          // A blank that keeps two signs apart stays. So does one between
          // '*' and a '/': "* // note" or "* /assets/" on a line of a block
          // comment would close the comment as "*//" or "*/assets/" (in
          // code neither "* /" nor "*/" can stand).
          const char next = nextNonBlank<ToLf>(line, i);
          if (next == (last == '*' ? '/' : last)) *w++ = ' ';
        }
        ++i;
        break;
      }
      case ByteKind::Sign:  // '+', '-' or '='
        if (w != begin && w[-1] == ' ') {
          bool joinsSigns = isSign(c) && w - begin >= 2 && w[-2] == c;
          if (!joinsSigns) --w;
        }
        *w++ = c;
        ++i;
        if (i < n && s[i] == ' ') {
          bool joinsSigns = isSign(c) && i + 1 < n && s[i + 1] == c;
          if (!joinsSigns) ++i;
        }
        break;
      case ByteKind::Quote: {
        size_t close = quoteEnd<ToLf>(line, i);
        size_t end = ToLf ? close + (s[close] == c) : close < n ? close + 1 : n;
        std::memcpy(w, s + i, end - i);
        w += end - i;
        i = end;
        break;
      }
      case ByteKind::Slash:
        if (opensRegex<ToLf>(line, i, std::string_view(begin, static_cast<size_t>(w - begin)))) {
          size_t end = regexEnd<ToLf>(line, i);
          std::memcpy(w, s + i, end - i);
          w += end - i;
          i = end;
          braces.known = false;
        } else {
          // A division or part of a comment.
          if (at(line, i + 1) == '/' || at(line, i + 1) == '*') braces.known = false;
          *w++ = c;
          ++i;
        }
        break;
    }
  }
lineDone:
  lfAt = i;
  // The line's first byte written is not a blank, so one trailing blank
  // dropped leaves the line non-empty.
  if (w[-1] == ' ') --w;
  *w++ = '\n';
  return w;
}

// A byte braceBalance has to look at: a quote, '/' or a brace. Asked once
// per byte of output, so a table.
constexpr ByteSet kBraceBytes = ByteSet::of("\"'/{}");
bool mattersToBraces(char c) { return kBraceBytes(c); }

int braceBalance(std::string_view s) {
  int balance = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (!mattersToBraces(s[i])) continue;
    char c = s[i];
    if (c == '"' || c == '\'') {
      i = quoteEnd(s, i);
    } else if (c == '/' && (at(s, i + 1) == '/' || at(s, i + 1) == '*')) {
      i = commentEnd(s, i);
    } else if (c == '{') {
      ++balance;
    } else if (c == '}') {
      --balance;
    }
  }
  return balance;
}

bool hasLineComment(std::string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"' || c == '\'') {
      i = quoteEnd(s, i);
    } else if (c == '/' && at(s, i + 1) == '*') {
      i = commentEnd(s, i);
    } else if (c == '/' && at(s, i + 1) == '/') {
      return true;
    }
  }
  return false;
}

bool endsStatement(std::string_view s) {
  int parens = 0;
  int braces = 0;
  // The word read so far; only whether it is "return" matters, so six bytes
  // and the length are kept.
  char word[6];
  size_t wordLength = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"' || c == '\'') {
      i = quoteEnd(s, i);
    } else if (c == '/' && at(s, i + 1) == '*') {
      i = commentEnd(s, i);
    } else if (c == '/' && at(s, i + 1) == '/') {
      return false;
    } else if (c == '(' || c == ')' || c == '{' || c == '}') {
      if (c == '(') ++parens;
      if (c == ')') --parens;
      if (c == '{') ++braces;
      if (c == '}') --braces;
      wordLength = 0;
    } else if (isHigh(c)) {
      wordLength = 0;
    } else if (parens == 0 && braces == 0) {
      if (c == ' ') {
        if (wordLength == 6 && std::memcmp(word, "return", 6) == 0) return true;
        wordLength = 0;
      } else if (c == ';') {
        return true;
      } else {
        if (wordLength < sizeof word) word[wordLength] = c;
        ++wordLength;
      }
    }
  }
  return false;
}

// Whether a "{" standing alone on the line after `line` can be joined to it
// without changing what the script means. It can after the head of a
// function or of a control statement ("if(a)", "}else", "function f()"),
// after an operator, a comma or an open bracket (an object literal goes on),
// but not after a statement that ends without its ';': "var a=0" + "{"
// would no longer parse, and "f(a)" + "{" would not either, where the line
// break alone ends the statement before a block.
bool takesBraceOfNextLine(std::string_view line) {
  if (line.empty()) return true;
  const char last = line.back();
  auto wordBefore = [&](size_t end) {
    while (end > 0 && line[end - 1] == ' ') --end;
    size_t start = end;
    while (start > 0 && isWordChar(line[start - 1])) --start;
    return std::pair<std::string_view, size_t>(line.substr(start, end - start), start);
  };
  auto isHeadWord = [](std::string_view w) {
    return w == "function" || w == "get" || w == "set" || w == "static" || w == "public" || w == "private" ||
           w == "protected" || w == "async";
  };
  if (isWordChar(last)) {
    const std::string_view word = wordBefore(line.size()).first;
    if (word == "else" || word == "do" || word == "try" || word == "finally") return true;
    // A TypeScript head: "class A extends B", "f (a:number):number".
    if (line.find("):") != std::string_view::npos) return true;
    for (size_t i = 0; i < line.size();) {
      if (line[i] == '"' || line[i] == '\'') return false;
      if (!isWordChar(line[i])) {
        ++i;
        continue;
      }
      size_t j = i;
      while (j < line.size() && isWordChar(line[j])) ++j;
      const std::string_view w = line.substr(i, j - i);
      if (w == "class" || w == "interface" || w == "enum" || w == "namespace" || w == "module") return true;
      i = j;
    }
    return false;
  }
  if (last == ')') {
    // The '(' that this ')' closes, stepping over quoted strings.
    int depth = 0;
    size_t i = line.size();
    bool quoted = false;
    char quote = 0;
    while (i > 0) {
      --i;
      const char c = line[i];
      if (quoted) {
        if (c == quote && (i == 0 || line[i - 1] != '\\')) quoted = false;
        continue;
      }
      if (c == '"' || c == '\'') {
        quoted = true;
        quote = c;
      } else if (c == ')') {
        ++depth;
      } else if (c == '(' && --depth == 0) {
        break;
      }
    }
    if (depth != 0) return true;
    auto [word, start] = wordBefore(i);
    if (word == "if" || word == "for" || word == "while" || word == "with" || word == "switch" || word == "catch" ||
        word == "function" || word == "each" || word == "constructor")
      return true;
    // "function name(...)", "get name(...)", and a TypeScript method head,
    // written with a blank before its '(' as no call is.
    return isHeadWord(wordBefore(start).first) || (start + word.size() < i && !word.empty());
  }
  // A value that ends a statement: a number or name handled above, a string,
  // a closing bracket or an increment.
  if (last == '"' || last == '\'' || last == ']' || last == '}') return false;
  if ((last == '+' || last == '-') && line.size() >= 2 && line[line.size() - 2] == last) return false;
  return true;
}

// Whether the line `s` ends inside a quoted string whose last backslash
// escapes the line end ("a\ at the end, the string going on in the next line).
bool continuesString(std::string_view s) {
  size_t backslashes = 0;
  for (size_t k = s.size(); k > 0 && s[k - 1] == '\\'; --k) ++backslashes;
  if (backslashes % 2 == 0) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '"' || c == '\'') {
      i = quoteEnd(s, i);
      if (i >= s.size()) return true;
    } else if (c == '/' && at(s, i + 1) == '/') {
      return false;
    } else if (c == '/' && at(s, i + 1) == '*') {
      i = commentEnd(s, i);
    }
  }
  return false;
}

// Whether the line that starts at `from` and whose first LF stands at `lf`
// goes on past that LF, in a string continued by a backslash.
[[gnu::noinline]] bool endsInContinuedString(std::string_view text, size_t from, size_t lf) {
  size_t last = lf;
  if (text[last - 1] == '\r') --last;
  return last != from && text[last - 1] == '\\' && continuesString(text.substr(from, last - from));
}
// The same, asked of every line: most end in neither a backslash nor a CR
// and are answered by the byte before their LF.
inline bool continuesPastLf(std::string_view text, size_t from, size_t lf) {
  const char before = text[lf - 1];
  return (before == '\\' || before == '\r') && endsInContinuedString(text, from, lf);
}

// The LF that ends the line starting at `from` (npos: none): an LF inside a
// string continued by a backslash belongs to the line, so the formatter
// neither trims nor indents the bytes of the string after it.
size_t lineEnd(std::string_view text, size_t from) {
  size_t lf = text.find('\n', from);
  while (lf != std::string_view::npos && lf > from && continuesPastLf(text, from, lf)) lf = text.find('\n', lf + 1);
  return lf;
}

// Writes a line at `w` and returns the end of what it wrote; with CR LF
// ends, an LF inside it (of a string continued over the line end) becomes
// CR LF as well. Writes at most twice the line's length.
char* putLine(char* w, std::string_view line, bool crlf) {
  if (!crlf) {
    std::memcpy(w, line.data(), line.size());
    return w + line.size();
  }
  for (size_t from = 0;;) {
    const size_t lf = line.find('\n', from);
    const size_t end = lf == std::string_view::npos ? line.size() : lf;
    std::memcpy(w, line.data() + from, end - from);
    w += end - from;
    if (lf == std::string_view::npos) return w;
    *w++ = '\r';
    *w++ = '\n';
    from = lf + 1;
  }
}

}  // namespace

std::string _nChar_(int count, char chr) { return count > 0 ? std::string(static_cast<size_t>(count), chr) : ""; }

// One line: leading blanks go, runs of blanks become one, blanks that carry
// no meaning vanish (after ",;+-*={}():" and around '+', '-' and '='), and the
// line gains an LF unless nothing is left. Quoted strings and regular
// expression bodies are copied as they stand, and a blank that keeps two
// signs apart ("a - -b", "i + ++j") stays, so the compressed line means what
// the input meant.
std::string _formatOneLine_(const std::string& line) {
  const std::string_view rest = std::string_view(line).substr(leadingBlanks(line));
  if (rest.empty()) return std::string();
  std::string result(rest.size() + 1, '\0');
  LineBraces braces;
  size_t lf;
  result.resize(static_cast<size_t>(compressLineAt<false>(rest, result.data(), braces, lf) - result.data()));
  return result;
}

// Signed balance of '{' and '}' outside string literals and comments.
int getLineBraceCount(const std::string& line) { return braceBalance(line); }

// Whether the line holds a line comment outside strings and block comments.
bool endIsAnnotationText(const std::string& line) { return hasLineComment(line); }

// Whether the line ends a statement at its top level: a ';' or a "return "
// outside every bracket. Used to tell "if(a)b();" from a brace-less "if(a)"
// whose body follows on the next line.
bool checkIfEnd(const std::string& line) { return endsStatement(line); }

namespace {

// Lays the compressed lines out in the output: joins a lone "{" to the line
// before (unless that line ends in a line comment) and a lone "}" to a line
// that ends in "{", indents by brace depth, one level more for the
// statements of a switch body and for the body of a brace-less if (the line
// after it gains a tab in front), and writes a blank line after a closing
// brace at one tab, two after one at column 0.
//
// A line is compressed straight into the output, behind the tabs it likely
// takes (place), and written as soon as it is handed over: it moves only
// when its tabs differ. A lone brace that joins the line before takes that
// line back: the layout's state from before it is kept, and the line is
// written again with the brace. A joined line is emptied, and the next
// line may still join to it: "{" after an emptied line stands alone.
class LineLayout {
 public:
  // The lines are written into `out` from its start, which grows when it
  // has to and is never shrunk: it is kept from file to file.
  LineLayout(std::string& out, FormatLineEnd ends) : out_(out), crlf_(ends == FormatLineEnd::CrLf) {}

  // What has been written.
  std::string_view written() const { return std::string_view(out_.data(), length_); }

  // Where a line of at most `size` bytes and its LF are to be compressed:
  // after what has been written, behind the tabs the line likely takes,
  // which are written already. The room left is enough to write the line,
  // or the line with a brace joined to it, without growing the output: a
  // line takes at most one tab more than the guess (for a switch body), and
  // up to three line ends of two bytes.
  char* place(size_t size) {
    const size_t guess = static_cast<size_t>(indent_) + ifOpen_;
    char* w = room(std::max<size_t>(guess, 8) + size + 8);
    if (guess <= 8) {
      std::memcpy(w, "\t\t\t\t\t\t\t\t", 8);
    } else {
      std::memset(w, '\t', guess);
    }
    return w + guess;
  }
  // The line of `size` bytes compressed at `text`, from place(), with the
  // brace balance the compression counted.
  void addPlaced(const char* text, size_t size, const LineBraces& braces) {
    add(static_cast<size_t>(text - out_.data()), size, braces.balance, braces.known, false);
  }
  // A line cut from text compressed elsewhere; it may hold an LF of its own
  // (of a string continued over the line end).
  [[gnu::noinline]] void addCopy(std::string_view line) {
    char* const w = place(line.size());
    std::memcpy(w, line.data(), line.size());
    add(static_cast<size_t>(w - out_.data()), line.size(), 0, false, true);
  }

 private:
  // What the layout has behind it when a line comes: nothing yet, a line a
  // lone brace may join, or an emptied line.
  enum class Before : unsigned char { Nothing, Line, Emptied };
  // The state a line is written from, kept to take the line back.
  struct State {
    size_t length;
    int indent;
    int switchLevel;
    bool ifOpen;
  };

  // The line of `size` bytes at `at` of the output, past what has been
  // written, with tabs only between the two. It and write are inlined into
  // the loop that compresses the lines, which hands over a line each turn;
  // lone braces, joins and copied lines are rare and called.
  [[gnu::always_inline]] void add(size_t at, size_t size, int balance, bool bracesKnown, bool holdsLf) {
    if (size <= 1) {
      if (size == 0) {
        before_ = Before::Emptied;
        return;
      }
      const char brace = out_[at];
      if (brace == '{' || brace == '}') {
        addLoneBrace(at, brace, balance, bracesKnown, holdsLf);
        return;
      }
    }
    write(at, size, balance, bracesKnown, holdsLf);
    before_ = Before::Line;
  }
  // A line of one brace, at `at`: joined to the line before where it can.
  [[gnu::noinline]] void addLoneBrace(size_t at, char brace, int balance, bool bracesKnown, bool holdsLf) {
    if (before_ == Before::Line) {
      const std::string_view last = lastLine();
      if (brace == '{' ? !hasLineComment(last) && takesBraceOfNextLine(last) : last.back() == '{') {
        join(brace);
        return;
      }
    }
    write(at, 1, balance, bracesKnown, holdsLf);
    // "{" after an emptied line is that line joined to "{": emptied again.
    if (!(brace == '{' && before_ == Before::Emptied)) before_ = Before::Line;
  }

  // The line written last, as it was handed over.
  std::string_view lastLine() const {
    return lastExpanded_ ? std::string_view(expanded_) : std::string_view(out_.data() + lastAt_, lastSize_);
  }

  // Takes the line written last back and writes it again with `brace` after it.
  [[gnu::noinline]] void join(char brace) {
    length_ = lastState_.length;
    indent_ = lastState_.indent;
    switchLevel_ = lastState_.switchLevel;
    ifOpen_ = lastState_.ifOpen;
    size_t at = lastAt_;
    const size_t size = lastSize_;
    if (lastExpanded_) {
      char* const w = place(size + 1);
      std::memcpy(w, expanded_.data(), size);
      at = static_cast<size_t>(w - out_.data());
    }
    // The byte after the line is its line end, or in the room place() left.
    out_[at + size] = brace;
    write(at, size + 1, 0, false, true);
    before_ = Before::Emptied;
  }

  [[gnu::always_inline]] void write(size_t at, size_t size, int knownBalance, bool bracesKnown, bool holdsLf) {
    lastState_ = State{length_, indent_, switchLevel_, ifOpen_};
    const std::string_view line(out_.data() + at, size);
    const bool lineTabbed = ifOpen_ && line[0] != '{';
    ifOpen_ = false;
    // Without its gained tab: a tabbed line starts with neither "switch" nor "if".
    const std::string_view bare = lineTabbed ? std::string_view() : line;

    const int depth = indent_;
    bool switchTab = false;
    if (line.size() + lineTabbed >= 7 && startsWith(bare, "switch")) {
      switchLevel_ = depth;
    } else if (switchLevel_ >= 0 && switchLevel_ >= depth) {
      // Back at the switch's own level (a switch at level 0 ends there too).
      switchLevel_ = -1;
    } else if (switchLevel_ >= 0) {
      if (line.find("case") == std::string_view::npos && line.find("default") == std::string_view::npos)
        switchTab = true;
    }
    const int balance = bracesKnown ? knownBalance : braceBalance(line);
    const char first = lineTabbed ? '\t' : line[0];
    int lead;  // tabs of depth in front of the line
    if (balance < 0 && first == '}') {
      indent_ = depth + balance > 0 ? depth + balance : 0;
      lead = indent_;
    } else if (balance != 0) {
      lead = indent_;
      indent_ = depth + balance > 0 ? depth + balance : 0;
    } else {
      // Whether the next line gains a tab is known when it comes: it does
      // unless it starts with "{".
      if (line.size() + lineTabbed > 2 && startsWith(bare, "if") && !endsStatement(line)) ifOpen_ = true;
      lead = indent_;
    }
    const size_t tabs = static_cast<size_t>(lead) + switchTab + lineTabbed;
    // Line ends: one, and one or two more after a line that starts with
    // '}' at column 0 or 1 (a line that starts with neither '}' nor a tab
    // has one).
    size_t eols = 1;
    if (line[0] == '}' || line[0] == '\t') {
      // The first two bytes of the line as written.
      const char c0 = tabs > 0 ? '\t' : line[0];
      const char c1 = tabs > 1 ? '\t' : (tabs == 1 ? line[0] : (line.size() > 1 ? line[1] : '\0'));
      eols = c0 == '}' ? 3 : (tabs + size >= 2 && c0 == '\t' && c1 == '}' ? 2 : 1);
    }
    // With CR LF ends, an LF inside the line becomes CR LF as well.
    const bool expand = crlf_ && holdsLf && std::memchr(line.data(), '\n', size) != nullptr;

    // The tabs, the line (an LF in it doubles) and up to three line ends;
    // place() left room for a line without an LF.
    if (expand) room(tabs + 2 * size + 6);
    char* const o = out_.data();
    const size_t dest = length_ + tabs;
    if (expand) {
      expanded_.assign(o + at, size);
    } else if (dest != at) {
      std::memmove(o + dest, o + at, size);
    }
    // Before `at` stand tabs already.
    if (dest > at) std::memset(o + at, '\t', dest - at);
    char* w = expand ? putLine(o + dest, expanded_, true) : o + dest + size;
    // All three written, `eols` of them kept.
    if (crlf_) {
      std::memcpy(w, "\r\n\r\n\r\n", 6);
      w += 2 * eols;
    } else {
      std::memcpy(w, "\n\n\n", 3);
      w += eols;
    }
    lastAt_ = dest;
    lastSize_ = size;
    lastExpanded_ = expand;
    length_ = static_cast<size_t>(w - o);
  }

  // Where `count` more bytes can be written; the bytes past what has been
  // written are kept.
  char* room(size_t count) {
    if (out_.size() - length_ < count) out_.resize(std::max(2 * out_.size(), length_ + count));
    return out_.data() + length_;
  }

  std::string& out_;
  size_t length_ = 0;  // bytes of out_ written
  const bool crlf_;
  int indent_ = 0;  // tabs of the current depth
  int switchLevel_ = -1;
  bool ifOpen_ = false;  // the line written last is a brace-less if line
  Before before_ = Before::Nothing;
  // The line written last: the state before it, where it stands and its
  // size; an LF in it that became CR LF keeps it as handed over in expanded_.
  State lastState_{};
  size_t lastAt_ = 0;
  size_t lastSize_ = 0;
  bool lastExpanded_ = false;
  std::string expanded_;
};

// Compresses every line of the source (split at LF, the piece after the
// last LF included, as xstringmthod::splitstr would cut it) and hands the
// lines of the compressed text to the layout as they are made, cut the same
// way. Lines left empty vanish; every line of the compressed text is
// non-empty and ends in LF, and the piece after its last LF is not handed
// over. A line is compressed where the layout places it, finding its LF as
// it goes, and handed over where it ends, unless it goes on past its LF (in
// a string continued by a backslash) or its compressed text ends in a
// backslash: then it and the lines after it are compressed into `side`
// (which keeps its room from file to file, and whose whole is never longer
// than the source and one byte) and lineEnd reads on until every compressed
// byte is cut.
void compressLines(std::string_view source, std::string& side, LineLayout& layout) {
  const char* const s = source.data();  // NUL after the last byte
  const size_t size = source.size();
  char* w = nullptr;  // the end of the text in side, while it is being cut
  size_t from = 0;    // where the line being cut starts in side
  size_t pos = 0;     // where the next line starts in the source
  for (;;) {
    // Leading blanks and lines of blanks are stepped over as one.
    while (kindOf(s[pos]) == ByteKind::Blank) ++pos;
    if (pos == size) return;
    LineBraces braces;
    if (w == nullptr) {
      char* const start = layout.place(size - pos);
      size_t lf;
      char* const end = compressLineAt<true>(source.substr(pos), start, braces, lf);
      lf += pos;
      if (lf == size || !continuesPastLf(source, pos, lf)) {
        const std::string_view text(start, static_cast<size_t>(end - start));
        const size_t textLf = text.size() - 1;  // the LF compressLineAt added
        pos = lf == size ? size : lf + 1;
        if (!continuesPastLf(text, 0, textLf)) {
          layout.addPlaced(start, textLf, braces);
          continue;
        }
        if (side.size() < size + 1) side.resize(size + 1);
        std::memcpy(side.data(), start, text.size());
        w = side.data() + text.size();
      } else {
        // The line holds an LF of its own: compressed as a line of its own.
        if (side.size() < size + 1) side.resize(size + 1);
        const size_t lineLf = lineEnd(source, pos);
        const size_t lineSize = lineLf == std::string_view::npos ? size - pos : lineLf - pos;
        w = compressLineAt<false>(source.substr(pos, lineSize), side.data(), braces, lf);
        pos = lineLf == std::string_view::npos ? size : lineLf + 1;
      }
    } else {
      const size_t lineLf = lineEnd(source, pos);
      const size_t lineSize = lineLf == std::string_view::npos ? size - pos : lineLf - pos;
      size_t lf;
      w = compressLineAt<false>(source.substr(pos, lineSize), w, braces, lf);
      pos = lineLf == std::string_view::npos ? size : lineLf + 1;
    }
    char* const begin = side.data();
    const std::string_view text(begin, static_cast<size_t>(w - begin));
    for (size_t end = lineEnd(text, from); end != std::string_view::npos; end = lineEnd(text, from)) {
      layout.addCopy(text.substr(from, end - from));
      from = end + 1;
    }
    if (from == text.size()) {
      w = nullptr;
      from = 0;
    }
  }
}

}  // namespace

// The compressed lines are written into a buffer kept from file to file,
// laid out where they stand, and the result is copied out at its final
// size. A line costs no string of its own. The text ends at its first NUL.
std::string formatScript(const std::string& text, FormatLineEnd ends) {
  thread_local std::string side;
  thread_local std::string laidOut;
  LineLayout layout(laidOut, ends);
  compressLines(std::string_view(text.c_str()), side, layout);
  return std::string(layout.written());
}
