// The file root: one ActionScript source file with its path, its normalised
// text and its JavaScript. The constructor prepares the text (conditional
// compilation markers applied, line ends unified), tokenises it and runs the
// pretreatment pass over the tree.
#include "parse.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "CompilerOptions.h"
#include "TokenFunction.h"
#include "TokenOther.h"
#include "formatScript.h"
#include "scriptfile.h"
#include "xstringmethod.h"

namespace {

// Whether the marker stands at `text`. It reads no further than the marker,
// however long the rest of the text is.
bool markerAt(const char* text, std::string_view marker) {
  return std::strncmp(text, marker.data(), marker.size()) == 0;
}

// Replaces the bytes [from, to) by blanks, keeping every line end so that
// the line numbers of the rest stay those of the source.
void blank(char* text, size_t from, size_t to) {
  for (size_t i = from; i < to && text[i]; ++i)
    if (text[i] != '\n' && text[i] != '\r') text[i] = ' ';
}

bool isBlankOrLineEnd(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The next place of an end marker at or after a position that only grows.
// The places are found in one pass over the text when first asked for; one
// that blanking has removed since is passed over. So many begin markers
// without their end do not make the scan quadratic.
class EndMarkers {
 public:
  explicit EndMarkers(const char* marker) : marker_(marker), length_(std::strlen(marker)) {}

  char* next(char* text, size_t from) {
    if (!found_) {
      found_ = true;
      const std::string_view all(text);
      for (size_t at = all.find(marker_); at != std::string_view::npos; at = all.find(marker_, at + 1))
        places_.push_back(at);
    }
    for (; cursor_ < places_.size(); ++cursor_) {
      const size_t at = places_[cursor_];
      if (at >= from && std::strncmp(text + at, marker_, length_) == 0) return text + at;
    }
    return nullptr;
  }

 private:
  const char* marker_;
  size_t length_;
  bool found_ = false;
  std::vector<size_t> places_;
  size_t cursor_ = 0;
};

// The conditional-compilation markers.
constexpr std::string_view kFlashStatement = "/*[IF-FLASH]*/";
constexpr std::string_view kScriptBegin = "/*[IF-SCRIPT-BEGIN]";
constexpr std::string_view kScriptEnd = "[IF-SCRIPT-END]*/";
constexpr std::string_view kFlashBegin = "/*[IF-FLASH-BEGIN]*/";
constexpr std::string_view kFlashEnd = "/*[IF-FLASH-END]*/";
constexpr std::string_view kNoEnumeration = "/*[NOENUMERATION]*/";
constexpr std::string_view kScriptLine = "//[IF-SCRIPT]";

// Each step below handles the marker at offset i and returns the offset
// after what it handled.

// Flash-only code: the statement after the marker goes, up to its line end.
// npos when the marker stands before the package: the whole file is
// Flash-only.
size_t dropFlashStatement(char* text, size_t i) {
  text[i + 1] = '/';
  size_t j = i + kFlashStatement.size();
  while (text[j] && isBlankOrLineEnd(text[j])) ++j;
  if (std::strncmp(text + j, "package", 7) == 0) return std::string_view::npos;
  size_t end = j;
  while (text[end] && text[end] != '\n') ++end;
  blank(text, i, end);
  return end;
}

// Script-only code kept in a comment becomes live: the begin marker and
// the next end marker go.
size_t openScriptRegion(char* text, size_t i, EndMarkers& scriptEnds) {
  const size_t after = i + kScriptBegin.size();
  blank(text, i, after);
  if (char* e = scriptEnds.next(text, after)) {
    const size_t at = static_cast<size_t>(e - text);
    blank(text, at, at + kScriptEnd.size());
  }
  return after;
}

// A Flash-only region goes up to its end marker; without one only the
// marker goes.
size_t dropFlashRegion(char* text, size_t i, EndMarkers& flashEnds) {
  if (char* e = flashEnds.next(text, i + kFlashBegin.size())) {
    const size_t end = static_cast<size_t>(e - text) + kFlashEnd.size();
    blank(text, i, end);
    return end;
  }
  blank(text, i, i + kFlashBegin.size());
  return i + kFlashBegin.size();
}

// /*[NOENUMERATION]*/ leaves the word NOENUMERATION, a modifier of the
// declaration after it.
size_t keepNoEnumerationWord(char* text, size_t i) {
  blank(text, i, i + 3);
  blank(text, i + kNoEnumeration.size() - 3, i + kNoEnumeration.size());
  return i + kNoEnumeration.size();
}

// A line marker (//[IF-SCRIPT], //[IF-<symbol>]) goes and the rest of its
// line is live code.
size_t dropLineMarker(char* text, size_t i, size_t length) {
  blank(text, i, i + length);
  return i + length;
}

}  // namespace

namespace {
// Every file root made, by number (0 stands for no file). A grown list
// replaces the old one; FileRef reads the list through roots_ on every use,
// so nothing holds the old one.
Parse* kNoRoot[1] = {nullptr};
Parse** g_roots = kNoRoot;
size_t g_rootCount = 1;
size_t g_rootRoom = 1;
}  // namespace

Parse* const* FileRef::roots_ = kNoRoot;

uint32_t FileRef::add(Parse* root) {
  if (g_rootCount == g_rootRoom) {
    const size_t room = g_rootRoom < 64 ? 64 : g_rootRoom * 2;
    auto** bigger = new Parse*[room]();
    std::memcpy(bigger, g_roots, g_rootCount * sizeof(Parse*));
    if (g_roots != kNoRoot) delete[] g_roots;
    g_roots = bigger;
    g_rootRoom = room;
  }
  g_roots[g_rootCount] = root;
  roots_ = g_roots;
  return static_cast<uint32_t>(g_rootCount++);
}

FileRef& FileRef::operator=(Parse* root) {
  id_ = root ? root->rootNumber : 0;
  return *this;
}

// Whether a function of the file may hold an awaited call (await::f()):
// only a word that starts with "await" is one, and only the lexer makes
// such words, from the file's text or from a file it includes. With
// -define names the walk over the function bodies also settles the
// conditional blocks in them, so it always runs then.
static bool mayHoldAwaitedCalls(const std::string& text) {
  // The prepared text holds no NUL before its end.
  auto holds = [&](const char* word) { return std::strstr(text.c_str(), word) != nullptr; };
  return !_ompilerOptions_.defines.empty() || holds("await") || holds("include") || holds("INCLUDE");
}

// A file's tree is kept to the end of the run and changes little after its
// pretreatment: every child list gives back the room its growing left over.
static void fitChildLists(Token* root) {
  std::vector<Token*> pending{root};
  while (!pending.empty()) {
    Token* t = pending.back();
    pending.pop_back();
    t->childs.shrink_to_fit();
    for (Token* c : t->childs)
      if (c && c->parent == t) pending.push_back(c);
  }
}

Parse::Parse(As3ToScript* owner, const char* text, const char* path, int) : Token(0, nullptr, 0, 0, nullptr) {
  this->owner = owner;
  sync = 1;
  const char* p = path ? path : "";
  _CURFILENAME = p;

  std::string normal = text ? text : "";
  skip = prepareText(normal) ? 0 : 1;

  file = this;
  setPath(p);
  if (scriptFile && scriptFile->nulLine >= 0) {
    // The text was cut at a NUL byte: whatever followed it is missing.
    auto* at = new Token(0, "", 0, scriptFile->nulLine, this);
    at->file = this;
    std::string unused;
    at->scriptErr(unused, this, "NUL byte in the source: the text after it is left out", 1);
  }
  noNullOptimization = _ompilerOptions_.closeConstructorNullOptimization(p) ? 1 : 0;
  // The lexer reads the prepared text in place; the tokens keep texts of
  // their own, so the text is let go once the tree is built (the file's
  // record still holds the text as read).
  sourceText = std::move(normal);
  if (!skip) {
    // Only while the file's own text is pretreated.
    mayAwait = mayHoldAwaitedCalls(sourceText) ? 1 : 0;
    toPretreatment(sourceText.data());
    mayAwait = 1;
  }
  std::string().swap(sourceText);
  fitChildLists(this);
}

bool Parse::prepareText(std::string& text) {
  _format_head(text.data());
  // A lone CR is a line end; CR LF counts once.
  xstringmthod::unifyLineEnds(text);
  const bool kept = _format_ifdef(text.data());
  text.resize(std::strlen(text.c_str()));
  return kept;
}

void Parse::toPretreatment(char* text) {
  if (!text) return;
  int pos = 0;
  int line = 0;
  // The length counts the terminator, so the lexer reads the text in place.
  parse(text, static_cast<int>(std::strlen(text)) + 1, pos, line, nullptr);
  pretreatment(this);
  // Declarations pretreated outside a child loop leave their gaps until here.
  closeAllVarGaps();
  // The tokens pretreatment took out of the tree make room for the next file's.
  TokenColon::freeDropped();
}

std::vector<Token*>* Token::resolvedTypeLog_ = nullptr;

namespace {

// The types the property rewriting resolves while a file prints are read
// only during that print (by the word itself and the words right after it),
// and most words that name a typed local or member get one: once the file's
// output is done they go, and every record that held nothing else is given
// back for the next file's words. No token is freed while a file prints.
class ResolvedTypesOfOnePrint {
 public:
  ResolvedTypesOfOnePrint() : outer_(Token::resolvedTypeLog_) { Token::resolvedTypeLog_ = &log_; }
  ~ResolvedTypesOfOnePrint() {
    Token::resolvedTypeLog_ = outer_;
    for (Token* t : log_) t->forgetResolvedTypeText();
  }

 private:
  std::vector<Token*>* outer_;
  std::vector<Token*> log_;
};

}  // namespace

void Parse::toJavaScript() {
  if (skip) {
    jsText.clear();
    return;
  }
  _CURFILENAME = path;
  // Every file's statements are written into one buffer that keeps its room
  // from file to file, so no file grows a text of its own; the formatter
  // lays them out with CR LF line ends, as the output files are written, and
  // hands back the text at its final size.
  thread_local std::string statements;
  statements.clear();
  {
    ResolvedTypesOfOnePrint resolvedTypes;
    toJsScript(statements, this, JsMode::Plain, 0);
  }
  // A function's names are looked up only while the words inside it print.
  for (TokenFunction* function : functions) function->locals.clear();
  std::vector<TokenFunction*>().swap(functions);
  jsText = formatScript(statements, FormatLineEnd::CrLf);
}

void Parse::setPath(const char* p) {
  usesXml = 0;
  path = p ? p : "";
  const size_t sep = path.find_last_of("/\\");
  directory = (sep == std::string::npos || sep == 0) ? path : path.substr(0, sep);
  runtimeLibrary =
      (path.compare(0, 7, "zafrit/") == 0 || path.compare(0, 6, "iruvo/") == 0 || path.compare(0, 6, "kresp/") == 0)
          ? 1
          : 0;
  // A path without a record stays without one (no empty entry is made).
  scriptFile = ScriptFile::LoadedFileMap.get(path, nullptr);
}

// Blanks whatever stands before the first comment or the word "package"
// (a byte-order mark, stray bytes); line ends stay.
void Parse::_format_head(char* text) {
  if (!text) return;
  size_t i = 0;
  for (; text[i]; ++i) {
    if (text[i] == '/' && (text[i + 1] == '*' || text[i + 1] == '/')) break;
    if (text[i] == 'p' && text[i + 1] == 'a') break;
  }
  if (!text[i]) return;
  blank(text, 0, i);
}

// Applies the conditional-compilation markers in place. Only blanks replace
// bytes, so line numbers are kept. False when the whole file is Flash-only.
bool Parse::_format_ifdef(char* text) {
  if (!text) return true;
  const std::string ifSymbol = "//[IF-" + _ompilerOptions_.conditionSymbol + "]";
  EndMarkers scriptEnds(kScriptEnd.data());
  EndMarkers flashEnds(kFlashEnd.data());
  int unused = 0;
  size_t i = 0;
  while (text[i]) {
    // Only quotes and comments matter; the bytes between them are passed over at once.
    i += std::strcspn(text + i, "\"'/");
    if (!text[i]) break;
    const char c = text[i];
    if (c == '"' || c == '\'') {
      const int end = xstringmthod::getQuotationMarkText(text, static_cast<int>(i), unused);
      if (!text[end]) break;
      i = static_cast<size_t>(end) + 1;
      continue;
    }
    if (c != '/' || (text[i + 1] != '/' && text[i + 1] != '*')) {
      ++i;
      continue;
    }
    const char* s = text + i;
    if (markerAt(s, kFlashStatement)) {
      i = dropFlashStatement(text, i);
      if (i == std::string_view::npos) return false;
    } else if (markerAt(s, kScriptBegin)) {
      i = openScriptRegion(text, i, scriptEnds);
    } else if (markerAt(s, kFlashBegin)) {
      i = dropFlashRegion(text, i, flashEnds);
    } else if (markerAt(s, kNoEnumeration)) {
      i = keepNoEnumerationWord(text, i);
    } else if (markerAt(s, ifSymbol)) {
      i = dropLineMarker(text, i, ifSymbol.size());
    } else if (markerAt(s, kScriptLine)) {
      i = dropLineMarker(text, i, kScriptLine.size());
    } else {
      // Any other comment is passed over whole.
      const int end = xstringmthod::getAnnotationText(text, static_cast<int>(i), unused);
      if (!text[end]) break;
      i = static_cast<size_t>(end) + 1;
    }
  }
  return true;
}
