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

#include <cstring>
#include <vector>

#include "xstringmethod.h"

namespace {

bool isBlank(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }
bool isSign(char c) { return c == '+' || c == '-'; }
bool isHigh(char c) { return static_cast<unsigned char>(c) >= 0x80; }
bool isWordChar(char c) {
  return isHigh(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$';
}
bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// A blank directly after one of these characters carries no meaning and vanishes.
constexpr const char* kBlankEaters = " ,;+-*={}():";

// The first character after the blanks that follow position `i`, or NUL.
char nextNonBlank(const std::string& line, size_t i) {
  while (i < line.size() && isBlank(line[i])) ++i;
  return i < line.size() ? line[i] : '\0';
}

// Words after which a '/' opens a regular-expression literal, not a division.
// The word considered ends at `end` in `result`.
bool endsWithRegexKeyword(const std::string& result, size_t end) {
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
bool opensRegex(const std::string& line, size_t i, const std::string& result) {
  char next = i + 1 < line.size() ? line[i + 1] : '\0';
  if (next == '/' || next == '*' || next == '\0') return false;
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
// class or after a backslash does not close it.
size_t regexEnd(const std::string& line, size_t i) {
  bool inClass = false;
  for (size_t k = i + 1; k < line.size(); ++k) {
    char c = line[k];
    if (c == '\\') {
      ++k;
      continue;
    }
    if (c == '[') inClass = true;
    if (c == ']') inClass = false;
    if (c == '/' && !inClass) return k + 1;
  }
  return line.size();
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
  size_t i = 0;
  while (i < line.size() && isBlank(line[i])) ++i;
  std::string result;
  if (i == line.size()) return result;
  result.reserve(line.size() - i + 1);
  const char* raw = line.c_str();
  while (i < line.size()) {
    char c = line[i];
    if (isHigh(c) || static_cast<unsigned char>(c) > '=') {
      result += c;
      ++i;
    } else if (isBlank(c)) {
      if (!result.empty()) {
        char last = result.back();
        bool keepsSignsApart = isSign(last) && nextNonBlank(line, i) == last;
        if (!std::strchr(kBlankEaters, last) || keepsSignsApart) result += ' ';
      }
      ++i;
    } else if (c == '+' || c == '-' || c == '=') {
      if (!result.empty() && result.back() == ' ') {
        bool joinsSigns = isSign(c) && result.size() >= 2 && result[result.size() - 2] == c;
        if (!joinsSigns) result.pop_back();
      }
      result += c;
      ++i;
      if (i < line.size() && line[i] == ' ') {
        bool joinsSigns = isSign(c) && i + 1 < line.size() && line[i + 1] == c;
        if (!joinsSigns) ++i;
      }
    } else if (c == '"' || c == '\'') {
      int lines = 0;
      size_t close = static_cast<size_t>(xstringmthod::getQuotationMarkText(raw, static_cast<int>(i), lines));
      size_t end = close < line.size() ? close + 1 : line.size();
      result.append(line, i, end - i);
      i = end;
    } else if (c == '/' && opensRegex(line, i, result)) {
      size_t end = regexEnd(line, i);
      result.append(line, i, end - i);
      i = end;
    } else {
      result += c;
      ++i;
    }
  }
  if (!result.empty() && result.back() == ' ') result.pop_back();
  if (!result.empty()) result += '\n';
  return result;
}

// Signed balance of '{' and '}' outside string literals and comments.
int getLineBraceCount(const std::string& line) {
  const char* s = line.c_str();
  int n = static_cast<int>(line.size());
  int balance = 0;
  int lines = 0;
  for (int i = 0; i < n; ++i) {
    char c = s[i];
    if (c == '"' || c == '\'') {
      i = xstringmthod::getQuotationMarkText(s, i, lines);
    } else if (c == '/' && (s[i + 1] == '/' || s[i + 1] == '*')) {
      i = xstringmthod::getAnnotationText(s, i, lines);
    } else if (c == '{') {
      ++balance;
    } else if (c == '}') {
      --balance;
    }
  }
  return balance;
}

// Whether the line holds a line comment outside strings and block comments.
bool endIsAnnotationText(const std::string& line) {
  const char* s = line.c_str();
  int n = static_cast<int>(line.size());
  int lines = 0;
  for (int i = 0; i < n; ++i) {
    char c = s[i];
    if (c == '"' || c == '\'') {
      i = xstringmthod::getQuotationMarkText(s, i, lines);
    } else if (c == '/' && s[i + 1] == '*') {
      i = xstringmthod::getAnnotationText(s, i, lines);
    } else if (c == '/' && s[i + 1] == '/') {
      return true;
    }
  }
  return false;
}

// Whether the line ends a statement at its top level: a ';' or a "return "
// outside every bracket. Used to tell "if(a)b();" from a brace-less "if(a)"
// whose body follows on the next line.
bool checkIfEnd(const std::string& line) {
  const char* s = line.c_str();
  int n = static_cast<int>(line.size());
  int parens = 0;
  int braces = 0;
  int lines = 0;
  std::string word;
  for (int i = 0; i < n; ++i) {
    char c = s[i];
    if (c == '"' || c == '\'') {
      i = xstringmthod::getQuotationMarkText(s, i, lines);
    } else if (c == '/' && s[i + 1] == '*') {
      i = xstringmthod::getAnnotationText(s, i, lines);
    } else if (c == '/' && s[i + 1] == '/') {
      return false;
    } else if (c == '(' || c == ')' || c == '{' || c == '}') {
      if (c == '(') ++parens;
      if (c == ')') --parens;
      if (c == '{') ++braces;
      if (c == '}') --braces;
      word.clear();
    } else if (isHigh(c)) {
      word.clear();
    } else if (parens == 0 && braces == 0) {
      if (c == ' ') {
        if (word == "return") return true;
        word.clear();
      } else if (c == ';') {
        return true;
      } else {
        word += c;
      }
    }
  }
  return false;
}

std::string formatScript(const std::string& text) {
  // 1. Compress every line; lines left empty vanish.
  std::vector<std::string> lines;
  xstringmthod::splitstr(text, '\n', lines);
  std::string joined;
  joined.reserve(text.size());
  for (const std::string& line : lines) joined += _formatOneLine_(line);

  // 2. Join a lone "{" to the line before (unless that line ends in a line
  //    comment) and a lone "}" to a line that ends in "{".
  lines.clear();
  xstringmthod::splitstr(joined, '\n', lines);
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i + 1] == "{" && !endIsAnnotationText(lines[i])) {
      lines[i] += "{";
      lines[i + 1].clear();
    } else if (lines[i + 1] == "}" && !lines[i].empty() && lines[i].back() == '{') {
      lines[i] += "}";
      lines[i + 1].clear();
    }
  }
  joined.clear();
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    joined += line;
    joined += '\n';
  }

  // 3. Indent by brace depth, one level more for the statements of a switch
  //    body and for the body of a brace-less if.
  lines.clear();
  xstringmthod::splitstr(joined, '\n', lines);
  std::string indent;
  int switchLevel = -1;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string& line = lines[i];
    if (line.empty()) continue;
    std::string work = line;
    int depth = static_cast<int>(indent.size());
    if (line.size() >= 7 && startsWith(line, "switch")) {
      switchLevel = depth;
    } else if (switchLevel >= 0 && switchLevel >= depth) {
      // Back at the switch's own level (a switch at level 0 ends there too).
      switchLevel = -1;
    } else if (switchLevel >= 0) {
      if (line.find("case") == std::string::npos && line.find("default") == std::string::npos) work = "\t" + work;
    }
    int balance = getLineBraceCount(work);
    if (balance < 0 && line[0] == '}') {
      indent = _nChar_(depth + balance, '\t');
      line = indent + work;
    } else if (balance != 0) {
      line = indent + work;
      indent = _nChar_(depth + balance, '\t');
    } else {
      bool hasNext = i + 1 < lines.size() && !lines[i + 1].empty();
      if (hasNext && line.size() > 2 && startsWith(line, "if") && !startsWith(lines[i + 1], "{") &&
          !checkIfEnd(line)) {
        lines[i + 1] = "\t" + lines[i + 1];
      }
      line = indent + work;
    }
  }

  // 4. Join; a blank line after a closing brace at one tab, two after one at
  //    column 0.
  std::string out;
  out.reserve(joined.size() + joined.size() / 4);
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    out += line;
    out += '\n';
    if (line[0] == '}') {
      out += "\n\n";
    } else if (line.size() >= 2 && line[0] == '\t' && line[1] == '}') {
      out += '\n';
    }
  }
  return out;
}
