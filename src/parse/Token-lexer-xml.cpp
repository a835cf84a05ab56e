// XML literals: the look-ahead that tells an E4X element from a '<'
// operator, and the reader that turns the element into the text of a
// "new XML(...)" call, its { expressions } cut out as tokens.
#include <cstring>
#include <string>

#include "Token-lexer-internal.h"
#include "Token.h"
#include "TokenOther.h"
#include "parse.h"
#include "xstringmethod.h"

using namespace lexer;

namespace {

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

// Whether the text at its '<' holds one complete XML element; `scanned`
// gets the number of bytes read.
bool lexer::scanXml(const char* text, long long& scanned) {
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

// ---- public helpers ----

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

// ---- XML literals in the group lexer ----

namespace lexer {


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

}  // namespace lexer
