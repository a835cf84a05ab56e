// Regular expression literals: where a '/' opens one, how far its body
// and flags run, and the JavaScript form of its named groups.
#include <cstring>
#include <string>
#include <string_view>

#include "Token-lexer-internal.h"
#include "Token.h"
#include "message.h"

namespace {

constexpr const char* kNamedGroupsExec =
    "(function(r){var x=r.exec;r.exec=function(s){var m=x.call(this,s);"
    "if(m&&m.groups)for(var k in m.groups)m[k]=m.groups[k];return m;};return r;})(";

// The body of a regular expression literal as JavaScript reads it: the
// named groups of ActionScript (?P<name>...) and their back references
// (?P=name) become (?<name>...) and \k<name>. With the flag x the blanks
// and '#' comments outside character classes are left out, as ActionScript
// ignores them.
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
    } else if (extended && b == '#') {
      // A comment, to the line's end (or to the end of the body).
      while (i + 1 < body.size() && body[i + 1] != '\n') ++i;
      continue;
    }
    out += b;
  }
  return out;
}

// The index of the '/' that closes the body starting at `from`, or -1 when
// a line end or the end of the text comes first. A '/' inside a character
// class ([^/]) or after a backslash does not close it.
int regexBodyEnd(const char* t, int from) {
  bool inClass = false;
  for (int i = from;;) {
    const char b = t[i];
    if (!b || b == '\n' || b == '\r') return -1;
    if (b == '\\') {
      if (!t[i + 1] || t[i + 1] == '\n') return -1;
      i += 2;
      continue;
    }
    if (inClass) {
      if (b == ']') inClass = false;
    } else if (b == '[') {
      inClass = true;
    } else if (b == '/') {
      return i;
    }
    ++i;
  }
}

// Reads the flag letters from `from`: each of g, i, m and s once into
// `flags`; x (blanks in the body are layout) sets `extended`. Returns the
// index after the letters.
int readRegexFlags(const char* t, int from, std::string& flags, bool& extended) {
  int j = from;
  for (;; ++j) {
    const char c = t[j];
    if (c != 'g' && c != 'i' && c != 'm' && c != 's' && c != 'x') break;
    if (c == 'x')
      extended = true;
    else if (flags.find(c) == std::string::npos)
      flags += c;
  }
  return j;
}

// Trailing blanks belong to the literal when the expression ends after
// them; before anything else they stay layout. Returns where the literal
// ends.
int withTrailingBlanks(const char* t, int j) {
  int k = j;
  for (;; ++k) {
    const unsigned char c = static_cast<unsigned char>(t[k]);
    if (c == ' ' || c == '\t' || c == 0x01 || c >= 0x80) continue;
    break;
  }
  const char e = t[k];
  if (e == ']' || e == '}' || e == 0 || e == '\n' || e == '\r' || e == ')' || e == ',' || e == '.' || e == ';' ||
      e == ':')
    return k;
  return j;
}

// Shows the line of a malformed literal through the message-box hook.
void reportMalformedRegex(const char* at) {
  if (!MsgBox) return;
  const char* eol = lexer::findByte(at, '\n');
  std::string shown = eol ? std::string(at, eol) : std::string(at);
  MsgBox(shown.c_str(), "RegExp err");
}

}  // namespace

namespace lexer {

// A regular expression literal where a value is expected (see slash()). Its
// flags are the letters g, i, m, s and x right after the closing '/'; a blank
// ends them, so /c/ is RegExp reads as the literal /c/ and the operator is.
// A '/' inside a character class ([^/]) does not close the body, nor does a
// line end, which no literal holds. A malformed literal is shown through the
// message-box hook and its '/' reads as an operator.
bool GroupLexer::regex() {
  const int close = regexBodyEnd(t_, pos_ + 1);
  bool extended = false;
  std::string flags;
  const int flagsEnd = close >= 0 ? readRegexFlags(t_, close + 1, flags, extended) : 0;
  // A name byte right after the flags (/abc/q) is no literal.
  const unsigned char direct = close >= 0 ? static_cast<unsigned char>(t_[flagsEnd]) : 0;
  if (close < 0 || (direct < 0x80 && (startsName(direct) || (direct >= '0' && direct <= '9')))) {
    reportMalformedRegex(t_ + pos_);
    return false;
  }
  const int j = withTrailingBlanks(t_, flagsEnd);
  const std::string_view body(t_ + pos_ + 1, static_cast<size_t>(close - pos_ - 1));
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

}  // namespace lexer
