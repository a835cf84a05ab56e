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

}  // namespace

namespace lexer {

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

}  // namespace lexer
