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

// Reads an XML literal from its '<' at `pos` into the text of a JavaScript
// string. With a group, embedded { expressions } are cut out: the text so
// far becomes a string literal token, then "+", a ( ) group holding the
// expression's tokens and "+". `pos` ends on the last byte read (the closing
// '>'), or on the end of the text when the literal never closes.
class XmlLiteralReader {
 public:
  XmlLiteralReader(std::string& result, const char* text, int& line, int& pos, Token* group)
      : result_(result), t_(text), line_(line), pos_(pos), group_(group), i_(pos) {}

  // False on an unclosed literal.
  bool read();

 private:
  // What one step of the reading found: more to read, the literal's end,
  // or the end of the text before it.
  enum class Step { More, Closed, Unclosed };

  Step closedAt(int at) {
    pos_ = at;
    return Step::Closed;
  }
  Step unclosedAt(int at) {
    pos_ = at;
    return Step::Unclosed;
  }
  Step unclosedAtEnd() { return unclosedAt(i_ + static_cast<int>(std::strlen(t_ + i_))); }

  Step markup();
  Step section(const char* close);
  Step closingTag();
  Step quotedValue(char quote);
  Step selfClosingEnd();
  Step expression();
  void copyTagBytes(int last);
  void contentByte(char b);

  std::string& result_;
  const char* t_;
  int& line_;
  int& pos_;
  Token* group_;  // null: { expressions } stay text
  int i_;
  int depth_ = 0;
  bool inTag_ = false;
};

bool XmlLiteralReader::read() {
  for (;;) {
    const char b = t_[i_];
    if (!b) {
      pos_ = i_;
      return false;
    }
    Step step;
    if (!inTag_ && b == '<') {
      step = markup();
    } else if (inTag_ && (b == '"' || b == '\'')) {
      step = quotedValue(b);
    } else if (inTag_ && b == '/' && t_[i_ + 1] == '>') {
      step = selfClosingEnd();
    } else if (inTag_ && b == '>') {
      result_ += '>';
      inTag_ = false;
      ++i_;
      continue;
    } else if (b == '{' && group_) {
      step = expression();
    } else {
      contentByte(b);
      continue;
    }
    if (step != Step::More) return step == Step::Closed;
  }
}

// A '<' outside a tag: a comment or CDATA section, a closing tag, or the
// start of an opening tag.
XmlLiteralReader::Step XmlLiteralReader::markup() {
  if (std::strncmp(t_ + i_, "<!--", 4) == 0 || std::strncmp(t_ + i_, "<![CDATA[", 9) == 0)
    return section(t_[i_ + 1] == '!' && t_[i_ + 2] == '-' ? "-->" : "]]>");
  if (t_[i_ + 1] == '/') return closingTag();
  inTag_ = true;
  ++depth_;
  result_ += '<';
  ++i_;
  return Step::More;
}

// A comment or CDATA section goes in as text; standing alone it is the
// whole literal.
XmlLiteralReader::Step XmlLiteralReader::section(const char* close) {
  const char* e = findFrom(t_ + i_, close);
  if (!e) return unclosedAtEnd();
  const int end = static_cast<int>(e - t_) + static_cast<int>(std::strlen(close));
  std::string raw(t_ + i_, end - i_);
  line_ += countLines(t_, i_, end);
  result_ += stringToText(raw.c_str());
  i_ = end;
  if (depth_ == 0) return closedAt(i_ - 1);
  return Step::More;
}

// </name>: the literal ends with the tag that closes its first element.
XmlLiteralReader::Step XmlLiteralReader::closingTag() {
  const char* e = findByte(t_ + i_, '>');
  if (!e) return unclosedAtEnd();
  const int end = static_cast<int>(e - t_);
  copyTagBytes(end);
  if (--depth_ <= 0) return closedAt(end);
  return Step::More;
}

// An attribute value in quotes, copied as it stands.
XmlLiteralReader::Step XmlLiteralReader::quotedValue(char quote) {
  const char* q = findByte(t_ + i_ + 1, quote);
  if (!q) return unclosedAtEnd();
  copyTagBytes(static_cast<int>(q - t_));
  return Step::More;
}

// "/>" closes an element that has no content.
XmlLiteralReader::Step XmlLiteralReader::selfClosingEnd() {
  result_ += "/>";
  inTag_ = false;
  if (--depth_ <= 0) return closedAt(i_ + 1);
  i_ += 2;
  return Step::More;
}

// Copies the bytes from the current one to `last` with tabs and line ends
// left out.
void XmlLiteralReader::copyTagBytes(int last) {
  for (int k = i_; k <= last; ++k) {
    if (t_[k] == '\n') ++line_;
    if (t_[k] == '\t' || t_[k] == '\n' || t_[k] == '\r') continue;
    escapeXmlByte(result_, t_[k]);
  }
  i_ = last + 1;
}

// A byte of content or of a tag: tabs and line ends go, and blanks outside
// tags.
void XmlLiteralReader::contentByte(char b) {
  if (b == '\n') ++line_;
  if (!(b == '\t' || b == '\n' || b == '\r' || (b == ' ' && !inTag_))) escapeXmlByte(result_, b);
  ++i_;
}

// A { expression }: the text so far becomes a literal token, the expression
// the tokens of a ( ) group between two "+".
XmlLiteralReader::Step XmlLiteralReader::expression() {
  // Find the closing brace, stepping over strings and comments.
  int k = i_ + 1;
  int braces = 1;
  int unused = 0;
  while (t_[k]) {
    const char c = t_[k];
    if (c == '"' || c == '\'') {
      k = xstringmthod::getQuotationMarkText(t_, k, unused);
      if (!t_[k]) break;
    } else if (c == '/' && (t_[k + 1] == '/' || t_[k + 1] == '*')) {
      k = xstringmthod::getAnnotationText(t_, k, unused);
      if (!t_[k]) break;
    } else if (c == '{') {
      ++braces;
    } else if (c == '}' && --braces == 0) {
      break;
    }
    ++k;
  }
  if (!t_[k]) {
    result_ = "xml err:" + result_;
    return unclosedAt(k);
  }
  // An attribute value {v} is quoted (id="1"); in element content the
  // value is the text itself (<b>1</b>).
  pushLiteral(group_, result_ + (inTag_ ? "\\\"\"" : "\""), line_);
  pushOperator(group_, "+", line_);
  Token* expr = new TokenParent(TokenTypeCode::Paren, nullptr, i_, line_, group_);
  group_->push(expr);
  countMade();
  std::string code(t_ + i_ + 1, k - i_ - 1);
  int p = 0;
  if (g_run && g_run->depth >= kMaxLexDepth) {
    queueError(expr, group_, "Brackets nested too deeply (more than " + std::to_string(kMaxLexDepth) + " levels)");
    g_run->aborted = true;
  } else {
    if (g_run) ++g_run->depth;
    lexInto(expr, code.c_str(), static_cast<int>(code.size()), p, line_);
    if (g_run) --g_run->depth;
  }
  expr->endLine = line_;
  if (g_run && g_run->aborted) {
    result_.clear();
    return closedAt(k);
  }
  pushOperator(group_, "+", line_);
  result_ = inTag_ ? "\"\\\"" : "\"";
  i_ = k + 1;
  return Step::More;
}

bool readXmlLiteral(std::string& result, const char* t, int& line, int& pos, Token* group) {
  return XmlLiteralReader(result, t, line, pos, group).read();
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
  bool read = false;
  bool scanned = false;  // the look-ahead found no element here already
  if (n >= 4 && last && last->type == TokenTypeCode::Assign) {
    Token* before = ch[n - 2];
    Token* colon = ch[n - 3];
    const bool typed =
        before && (before->text == "XML" || before->text == "*") && colon && colon->type == TokenTypeCode::Colon;
    scanned = !typed;
    if (typed || xmlAhead()) {
      xmlWithExpressions();
      read = true;
    }
  } else if (n == 0 || (last && last->type == TokenTypeCode::Comma)) {
    scanned = true;
    if (xmlAhead()) {
      xmlInList();
      read = true;
    }
  }
  if (!read && valueExpectedAfter(group_)) {
    if (std::strncmp(t_ + pos_, "<![CDATA[", 9) == 0) return cdataValue();
    if (scanned || (last && last->type == TokenTypeCode::Semicolon) || !xmlAhead()) return false;
    xmlWithExpressions();
    read = true;
  }
  if (!read) return false;
  if (Parse* file = group_->file) file->usesXml = 1;
  if (pos_ < len_ && t_[pos_]) ++pos_;
  return true;
}

// The literal as "new XML(...)" with its { expressions } as tokens; the
// first token takes the layout before the literal.
void GroupLexer::xmlWithExpressions() {
  auto& ch = group_->childs;
  const size_t first = ch.size();
  std::string result;
  AddXML(result, const_cast<char*>(t_), line_, pos_, group_);
  if (first < ch.size() && ch[first]) {
    leading_.moveTo(ch[first]->leadingText);
  }
}

// After "," or at the start of a group: one literal "(new XML(...))". With
// { expressions } (f(<a id={n}/>)) the literal is read as after "=", inside
// brackets of its own.
void GroupLexer::xmlInList() {
  std::string xml;
  int endLine = line_;
  int endPos = pos_;
  toXmlEnd(xml, const_cast<char*>(t_), endLine, endPos);
  if (xml.find('{') == std::string::npos) {
    std::string text = "(new XML(\"" + xml + "\"))";
    line_ = endLine;
    pos_ = endPos;
    pushToken(new Token(TokenTypeCode::Literal, text.c_str(), pos_, line_, group_));
    return;
  }
  Token* holder = pushToken(new TokenParent(TokenTypeCode::Paren, nullptr, pos_, line_, group_));
  std::string result;
  AddXML(result, const_cast<char*>(t_), line_, pos_, holder);
  holder->endLine = line_;
}

// A CDATA section standing alone as a value: a string of its text. False
// when it never closes.
bool GroupLexer::cdataValue() {
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

}  // namespace lexer
