#include "flashtozafrit.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <utility>

#include "CompilerOptions.h"
#include "message.h"
#include "scriptfile.h"
#include "xfilemethod.h"
#include "xstringmethod.h"

namespace {

// A folder or project path given on the command line: Windows paths carry a
// drive ("C:/", "C:\"), paths on this platform begin with '/'. Anything else
// lies in the program's base folder.
bool isAbsoluteArgument(const std::string& path) {
  return (!path.empty() && path[0] == '/') || path.find(":/") != std::string::npos ||
         path.find(":\\") != std::string::npos;
}

bool isBlank(const std::string& text) { return text.find_first_not_of(" \t\r\n") == std::string::npos; }

std::string lowered(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// A leading UTF-8 byte-order mark and white space (blank lines before the
// package) are dropped; the source text itself is never cut.
std::string withoutLeadingNoise(const std::string& text) {
  size_t i = 0;
  for (;;) {
    if (startsWith(std::string_view(text).substr(i), kUtf8Mark)) {
      i += kUtf8Mark.size();
    } else if (i < text.size() && std::strchr(" \t\r\n", text[i]) && text[i] != '\0') {
      ++i;
    } else {
      break;
    }
  }
  return text.substr(i);
}

// Word bytes of the import scanner: letters, digits, '.', '_', '@', '`',
// bytes of 0x80 and above, and control bytes other than tab, LF and CR.
bool isImportWordByte(unsigned char c) {
  if (c >= 0x80) return true;
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  if (c == '.' || c == '_' || c == '@' || c == '`') return true;
  return (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\0') || c == 0x7F;
}

bool isBlankPiece(const std::string& piece) {
  return piece.size() == 1 && (piece[0] == ' ' || piece[0] == '\t' || piece[0] == '\r' || piece[0] == '\n');
}

// The lookup form of a name table, built on first use and kept for the process.
const OrderedMap<std::string>& tableMap(std::span<const FlashNameRow> rows, OrderedMap<std::string>& map) {
  if (map.empty())
    for (const FlashNameRow& row : rows) map[row.name] = row.newName;
  return map;
}

const OrderedMap<std::string>& toZafritNameMap() {
  static OrderedMap<std::string> map;
  return tableMap(FlashToZafrit::toZafritNames(), map);
}

const OrderedMap<std::string>& toZafritPrefixMap() {
  static OrderedMap<std::string> map;
  return tableMap(FlashToZafrit::toZafritPrefixes(), map);
}

const OrderedMap<std::string>& toFlashNameMap() {
  static OrderedMap<std::string> map;
  return tableMap(FlashToZafrit::toFlashNames(), map);
}

// The end (one past the last byte) of the comment or string literal that
// starts at `at`, or `at` when none starts there.
size_t commentOrStringEnd(const std::string& text, size_t at) {
  const char c = text[at];
  const bool comment = c == '/' && at + 1 < text.size() && (text[at + 1] == '/' || text[at + 1] == '*');
  if (!comment && c != '"' && c != '\'') return at;
  int lines = 0;
  const int pos = static_cast<int>(at);
  const int last = comment ? xstringmthod::getAnnotationText(text.c_str(), pos, lines)
                           : xstringmthod::getQuotationMarkText(text.c_str(), pos, lines);
  return std::min(std::max(static_cast<size_t>(last < pos ? pos : last) + 1, at + 1), text.size());
}

// Separators of the link scanner; every other byte belongs to a word.
bool isLinkSeparator(char c) { return c != '\0' && std::strchr("() +-*/><=:{},;\r\n\t", c) != nullptr; }

const char kGameStarter[] =
    "package\r\n"
    "{\r\n"
    "\tpublic class RuvoGame extends Zafrit\r\n"
    "\t{\r\n"
    "\t\tpublic function RuvoGame(sprite:*)\r\n"
    "\t\t{\r\n"
    "\t\t\tsuper(sprite);\r\n"
    "\t\t}\r\n"
    "\r\n"
    "\t\toverride public function onInit():void\r\n"
    "\t\t{\r\n"
    "\t\t\tsuper.onInit();\r\n"
    "\t\t\tstage.bgcolor = '#FFFFFF';//stage background colour\r\n"
    "\t\t\tstage.isEaqual = true;//stretch the stage proportionally\r\n"
    "\t\t\tstage.setSize(800,480);//stage size\r\n"
    "\t\t\tstage.setOrientationEx(1);//screen orientation: 0 vertical, 1 horizontal\r\n"
    "\t\t\tstage.showInfo = true;//FPS and memory display, shown by default\r\n"
    "\t\t}\r\n"
    "\r\n"
    "\t\toverride public function onStart():void\r\n"
    "\t\t{\r\n"
    "\t\t\t//initialise the game here\r\n"
    "\t\t\tsuper.onStart();\r\n"
    "\t\t\t//stage.addChild(new YourGameMainClass());\r\n"
    "\t\t}\r\n"
    "\t}\r\n"
    "}";

const char kMainStarter[] =
    "package\r\n"
    "{\r\n"
    "\timport flash.display.Sprite;\r\n"
    "\timport flash.events.Event;\r\n"
    "\r\n"
    "\t//[SWF(width='800',height='480',frameRate='60',backgroundColor='#83e8ff')]\r\n"
    "\tpublic class RuvoMain extends Sprite\r\n"
    "\t{\r\n"
    "\t\tpublic function RuvoMain()\r\n"
    "\t\t{\r\n"
    "\t\t\tsuper();\r\n"
    "\t\t\tif (stage) init();\r\n"
    "\t\t\telse addEventListener(Event.ADDED_TO_STAGE, init);\r\n"
    "\t\t}\r\n"
    "\r\n"
    "\t\tprivate function init(event:Event = null):void\r\n"
    "\t\t{\r\n"
    "\t\t\tremoveEventListener(Event.ADDED_TO_STAGE, init);\r\n"
    "\t\t\tnew RuvoGame(this);\r\n"
    "\t\t}\r\n"
    "\t}\r\n"
    "}";

void writeStarter(const std::string& path, const char* text) {
  if (xfilemethod::getFileSize(path) != 0) return;
  // An empty starter already there keeps its mode, owner and links.
  xfilemethod::SourceFile file;
  if (xfilemethod::readSource(path, file)) {
    FlashToZafrit::rewrite(path.c_str(), file, text);
    return;
  }
  if (!ScriptFile::write(path, text)) ruvo_error("ruvojs: cannot write the starter class %s\n", path.c_str());
}

}  // namespace

const NamedCode kConverterModeTable[] = {
    {ConverterMode::ToLibraryFirst, "ToLibraryFirst", "names to the library, with the starter classes"},
    {ConverterMode::ToLibrary, "ToLibrary", "names to the library"},
    {ConverterMode::ToFlash, "ToFlash", "names back to Flash"},
    {ConverterMode::LinkFromList, "LinkFromList", "link the classes of a link list"},
    {ConverterMode::Link, "Link", "link classes"},
};
const int kConverterModeTableSize = static_cast<int>(sizeof(kConverterModeTable) / sizeof(kConverterModeTable[0]));

// One converter run over every ".as" file under `folder`.
FlashToZafrit::FlashToZafrit(const char* folder, const char* linkList, int mode) : mode(mode) {
  std::string dir = folder ? folder : "";
  if (isBlank(dir)) {
    // An empty folder would resolve to the program's own folder and its library.
    ruvo_error("ruvojs: no folder given to convert\n");
    return;
  }
  if (!isAbsoluteArgument(dir)) {
    dir = xfilemethod::getBinPath() + dir;
    ruvo_error("ruvojs: the folder \"%s\" is taken relative to the program's folder: %s\n", folder,
               xfilemethod::getFile_Path(dir + "/").c_str());
  }
  // The list file follows the switch after one separator ("/l\C:\list.txt").
  // A path of this platform keeps its '/' when the file exists as written.
  std::string listPath;
  bool hasList = false;
  if (linkList && (linkList[0] == '\\' || linkList[0] == '/')) {
    hasList = true;
    listPath = linkList + 1;
    if (linkList[0] == '/' && linkList[1] != '/' && xfilemethod::getFileSize(linkList) > 0) listPath = linkList;
  }
  if (mode == ConverterMode::LinkFromList) {
    // A list that cannot be read links nothing; that is said, not left to
    // be found in the unchanged files.
    const std::string why = hasList ? xfilemethod::whyNoText(listPath) : std::string("is not given (/l<list file>)");
    if (why.empty())
      readini(listPath.c_str());
    else
      ruvo_error("ruvojs: the link list %s%s; no class is linked\n", hasList ? (listPath + " ").c_str() : "",
                 why.c_str());
  }

  if (!xfilemethod::pathExist(dir)) {
    // A mistyped folder: nothing to convert and no starter classes to write.
    struct stat st;
    ruvo_error("ruvojs: the folder %s %s; nothing is converted\n", xfilemethod::getFile_Path(dir).c_str(),
               stat(dir.c_str(), &st) == 0 ? "is not a folder" : "does not exist");
    return;
  }

  dir += "/";
  // What a stopped conversion of this folder left goes first.
  xfilemethod::removeStaleTemps(dir, true);
  std::vector<std::string> files;
  xfilemethod::dir(dir.c_str(), ".as", files, 10000);
  std::set<std::pair<uint64_t, uint64_t>> seen;
  for (const std::string& file : files) {
    // A second name of a file (a hard or symbolic link) is not converted again.
    uint64_t device = 0, index = 0;
    if (xfilemethod::fileIdentity(file, device, index) && !seen.insert({device, index}).second) continue;
    if (ConverterMode::rewritesNames(mode))
      changeOneFile(file.c_str());
    else
      addLinkClass(file.c_str());
  }

  if (mode == ConverterMode::ToLibraryFirst) {
    writeStarter(xfilemethod::adjustfilename(dir + "/RuvoGame.as"), kGameStarter);
    writeStarter(xfilemethod::adjustfilename(dir + "/RuvoMain.as"), kMainStarter);
  }
}

// The link list: one dotted class name a line ("foo.baz.Bar"), LF or CR LF.
// The byte-order mark and the blanks an editor saves with a list are no part
// of the names: with them no path would ever hold the key.
void FlashToZafrit::readini(const char* path) {
  std::string text;
  if (!path || !xfilemethod::readtxtfile(path, text)) return;
  size_t start = startsWith(text, kUtf8Mark) ? kUtf8Mark.size() : 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = std::string(trimmed(line, " \t"));
    if (line.empty()) continue;
    size_t dot = line.rfind('.');
    std::string shortName = (dot == std::string::npos || dot == 0) ? line : line.substr(dot + 1);
    std::string key = line;
    std::replace(key.begin(), key.end(), '.', '/');
    key = "/" + key + ".as";
    linkKeys.push_back(key);
    linkClasses[key] = shortName;
    MSGTO(MessageType::Info, "", 0, "link class [%s] [%s] [%s]", line.c_str(), shortName.c_str(), key.c_str());
  }
}

// Rewrites the package-level imports of one file; the file is written only
// when its text changes.
void FlashToZafrit::changeOneFile(const char* path) {
  if (!path) return;
  // The starter classes stay Flash classes whatever the run.
  std::string name = lowered(path);
  if (name.find("ruvomain.as") != std::string::npos || name.find("ruvogame.as") != std::string::npos) return;

  xfilemethod::SourceFile file;
  WideEncoding encoding;
  std::string source;
  if (!readForRewrite(path, file) || !textOf(path, file, encoding, source)) return;
  std::string text = withoutLeadingNoise(source);
  if (text.empty()) return;
  std::string changed = adjustScript(text, mode, path);
  if (changed == text) return;
  if (rewrite(path, file, utf8ToWide(changed, encoding))) MSGTO(MessageType::Info, path, 0, "change:[%s]", path);
}

bool FlashToZafrit::textOf(const char* path, const xfilemethod::SourceFile& file, WideEncoding& encoding,
                           std::string& text) {
  encoding = wideEncodingOf(file.text);
  text = wideToUtf8(file.text, encoding);
  if (!encoding.wide() || utf8ToWide(text, encoding) == file.text) return true;
  ruvo_error("ruvojs: %s is in %s but holds units that are no characters; it is not converted\n", path,
             encoding.name().c_str());
  return false;
}

bool FlashToZafrit::readForRewrite(const char* path, xfilemethod::SourceFile& file) {
  if (xfilemethod::readSource(path, file)) return !file.text.empty();
  // A link that leads nowhere, a FIFO, a file this user cannot read.
  const std::string why = xfilemethod::whyNoText(path);
  ruvo_error("ruvojs: %s %s; it is not converted\n", path, why.empty() ? "cannot be read" : why.c_str());
  return false;
}

bool FlashToZafrit::rewrite(const char* path, const xfilemethod::SourceFile& file, const std::string& text) {
  // Why a file keeps its old text, by the rewrite's result.
  static const char* const kKept[] = {
      nullptr,
      "ruvojs: %s is read-only; it is left unchanged\n",
      "ruvojs: %s was deleted while it was converted; it stays deleted\n",
      "ruvojs: %s was replaced while it was converted; the new file is left as it is\n",
      "ruvojs: cannot write %s; the file is left unchanged\n",
  };
  const auto result = static_cast<size_t>(xfilemethod::rewriteSource(file, text));
  if (!kKept[result]) return true;
  ruvo_error(kKept[result], path);
  return false;
}

// Links the file's class to the SWF tools when the link list names it.
void FlashToZafrit::addLinkClass(const char* path) {
  if (!path) return;
  std::string name = path;
  for (const std::string& key : linkKeys) {
    if (name.find(key) == std::string::npos) continue;
    xfilemethod::SourceFile file;
    WideEncoding encoding;
    std::string text;
    if (!readForRewrite(path, file) || !textOf(path, file, encoding, text)) return;
    if (_adjustLinkClass_(text, linkClasses.get(key))) rewrite(path, file, utf8ToWide(text, encoding));
    return;
  }
}

// Inserts the SWF tools import after the package's '{' and the call
// "SWFTools.initClass(K, this);" into the constructor of class K: right after
// its super(...) call, else at the end of its body. A class without a
// constructor gets one at the start of its body.
bool FlashToZafrit::_adjustLinkClass_(std::string& text, const std::string& className) {
  if (text.find("import zafrit.swf.utils.SWFTools;") != std::string::npos) return false;
  if (className.empty()) return false;
  const std::string& k = className;
  const std::string initCall = "SWFTools.initClass(" + k + ", this);\r\n";

  std::string out;
  out.reserve(text.size() + 256);
  std::string word, previous;
  bool packagePending = false, packageDone = false;
  bool classPending = false;
  size_t classBody = std::string::npos;
  bool ctorPending = false, inCtor = false, linked = false;
  int braceDepth = 0, parenDepth = 0;
  bool superPending = false, superOpened = false;
  int superParenDepth = 0;

  auto endWord = [&]() {
    if (word.empty()) return;
    if (word == "package" && !packageDone) packagePending = true;
    if (previous == "class" && word == k && classBody == std::string::npos) classPending = true;
    if (previous == "function" && word == k && !linked && !inCtor) ctorPending = true;
    if (inCtor && word == "super" && !superPending) {
      superPending = true;
      superOpened = false;
      superParenDepth = parenDepth;
    }
    previous = word;
    word.clear();
  };

  // A UTF-8 byte-order mark is copied as it is: it is no part of the word
  // "package" after it.
  const size_t mark = startsWith(text, kUtf8Mark) ? kUtf8Mark.size() : 0;
  out.append(text, 0, mark);
  for (size_t i = mark; i < text.size(); ++i) {
    char c = text[i];
    size_t skipped = commentOrStringEnd(text, i);
    if (skipped > i) {
      // A brace, a parenthesis or "super" in a comment or a string is text,
      // not code: it is copied as it is and counts for nothing.
      out += word;
      endWord();
      out.append(text, i, skipped - i);
      i = skipped - 1;
      continue;
    }
    if (!isLinkSeparator(c)) {
      word += c;
      continue;
    }
    out += word;
    endWord();

    if (inCtor) {
      if (c == '(') {
        if (superPending && parenDepth == superParenDepth) superOpened = true;
        ++parenDepth;
      } else if (c == ')') {
        if (parenDepth > 0) --parenDepth;
        if (superPending && superOpened && parenDepth == superParenDepth) {
          out += c;
          out += ";\r\n\t\t" + initCall;
          inCtor = false;
          linked = true;
          continue;
        }
      } else if (c == '{') {
        ++braceDepth;
      } else if (c == '}' && --braceDepth == 0) {
        out += "\r\n\t\t" + initCall;
        out += c;
        inCtor = false;
        linked = true;
        continue;
      }
      out += c;
      continue;
    }

    out += c;
    if (c != '{') continue;
    if (packagePending) {
      out += "\r\n\timport zafrit.swf.utils.SWFTools;\r\n";
      out += "\r\n\t/*[COMPILER OPTIONS:ForcedCompile]*/\r\n";
      packagePending = false;
      packageDone = true;
    }
    if (classPending) {
      classBody = out.size();
      classPending = false;
    }
    if (ctorPending) {
      ctorPending = false;
      inCtor = true;
      braceDepth = 1;
      parenDepth = 0;
      superPending = false;
    }
  }
  out += word;
  endWord();

  // A text without a package body is no class file: left as it is, so that
  // no call to an unimported class is added and a second run cannot repeat it.
  if (!packageDone) return false;
  if (!linked && classBody != std::string::npos)
    out.insert(classBody, "\r\n\t\tpublic function " + k + "(){\r\n\t\t\tsuper();\r\n\t\t\t" + initCall + "\t\t}\r\n");
  if (out == text) return false;
  text.swap(out);
  return true;
}

// Splits the text into words, strings, comments and single characters and
// maps the names of the imports that stand at package level. Everything
// else comes out byte for byte; a zero byte ends the scanned text and what
// follows it is kept as it is.
std::string FlashToZafrit::adjustScript(const std::string& text, int mode, const std::string& path) {
  size_t zero = text.find('\0');
  std::string body = zero == std::string::npos ? text : text.substr(0, zero);
  std::string tail = zero == std::string::npos ? std::string() : text.substr(zero);
  const char* s = body.c_str();
  const int n = static_cast<int>(body.size());

  std::vector<std::string> pieces;
  int packageStart = -1;
  for (int i = 0; i < n;) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int end;
    int lines = 0;
    if (isImportWordByte(c)) {
      end = i + 1;
      while (end < n && isImportWordByte(static_cast<unsigned char>(s[end]))) ++end;
    } else if (c == '"' || c == '\'') {
      end = std::min(xstringmthod::getQuotationMarkText(s, i, lines) + 1, n);
    } else if (c == '/' && (s[i + 1] == '/' || s[i + 1] == '*')) {
      end = std::min(xstringmthod::getAnnotationText(s, i, lines) + 1, n);
    } else {
      end = i + 1;
      if (c == '{' && packageStart < 0) packageStart = static_cast<int>(pieces.size());
    }
    if (end <= i) end = i + 1;
    pieces.emplace_back(s + i, static_cast<size_t>(end - i));
    i = end;
  }

  if (packageStart > 0) {
    int depth = 1;
    const int count = static_cast<int>(pieces.size());
    for (int k = packageStart + 1; k < count; ++k) {
      const std::string& piece = pieces[k];
      if (piece == "{") {
        ++depth;
        continue;
      }
      if (piece == "}") {
        --depth;
        continue;
      }
      if (depth > 1 || piece != "import") continue;
      int at = k + 1;
      while (at < count && pieces[at].size() <= 1) ++at;
      if (at >= count) break;
      std::string name = pieces[at];
      if (name.back() == '.') {
        // "import flash.display.*;": the blanks before the '*' go and the
        // name takes the '*'. Without a '*' nothing else is touched.
        int star = at + 1;
        if (findNormalText(pieces, star, 1) == "*") {
          for (int e = at + 1; e <= star; ++e) pieces[e].clear();
          name += "*";
        }
      }
      if (startsWith(name, "flash.") || startsWith(name, "zafrit.") || startsWith(name, "iruvo.") ||
          startsWith(name, "iruvomethod.")) {
        paceNameToZafrit(name, path, mode);
        pieces[at] = name;
      } else if (name != pieces[at]) {
        pieces[at] = name;
      }
    }
  }

  std::string out;
  out.reserve(body.size() + 64 + tail.size());
  for (const std::string& piece : pieces) out += piece;
  out += tail;
  return out;
}

// From `index`, steps over single blank, tab, CR and LF pieces and returns
// the first other piece (empty when the walk leaves the list); `index` is
// left on that piece.
std::string FlashToZafrit::findNormalText(const std::vector<std::string>& pieces, int& index, int step) {
  const int count = static_cast<int>(pieces.size());
  while (index >= 0 && index < count) {
    if (!isBlankPiece(pieces[index])) return pieces[index];
    index += step;
  }
  return std::string();
}

void FlashToZafrit::paceNameToZafrit(std::string& name, const std::string& path, int mode) {
  if (mode == ConverterMode::ToFlash)
    paceNameTo_flash(name, path);
  else
    paceNameTo_zafrit(name, path);
}

// To the library: a listed full name, else a listed package prefix, else any
// "flash." name moves under "zafrit.".
void FlashToZafrit::paceNameTo_zafrit(std::string& name, const std::string& path) {
  const OrderedMap<std::string>& names = toZafritNameMap();
  auto full = names.find(name);
  if (full != names.end()) {
    name = full->second;
    MSGTO(MessageType::Info, path.c_str(), 0, "change");
    return;
  }
  size_t first = name.find('.');
  size_t second = first == std::string::npos ? std::string::npos : name.find('.', first + 1);
  if (second != std::string::npos) {
    const OrderedMap<std::string>& prefixes = toZafritPrefixMap();
    auto prefix = prefixes.find(name.substr(0, second + 1));
    if (prefix != prefixes.end()) {
      MSGTO(MessageType::Info, name.c_str(), 0, "change %s", path.c_str());
      name = prefix->second + name.substr(second + 1);
      return;
    }
  }
  if (startsWith(name, "flash.")) name = "zafrit." + name.substr(6);
}

// Back to Flash: a listed full name, else the library's packages move under
// "flash." and the old method package under "zafrit.method.".
void FlashToZafrit::paceNameTo_flash(std::string& name, const std::string& path) {
  const OrderedMap<std::string>& names = toFlashNameMap();
  auto full = names.find(name);
  if (full != names.end()) {
    MSGTO(MessageType::Info, name.c_str(), 0, "change:[%s] %s", name.c_str(), path.c_str());
    name = full->second;
    return;
  }
  size_t dot = name.find('.');
  if (dot == std::string::npos) return;
  std::string head = name.substr(0, dot);
  std::string rest = name.substr(dot + 1);
  if (head == "iruvomethod")
    name = "zafrit.method." + rest;
  else if (head == "zafrit" || head == "iruvo")
    name = "flash." + rest;
  else
    return;
  MSGTO(MessageType::Info, name.c_str(), 0, "change:[%s] %s", name.c_str(), path.c_str());
}

namespace {

// Resolves the path variables of a Flash Builder source path entry:
// "${DOCUMENTS}" (the documents folder of Flash Builder's recent workspaces),
// "${PROJECT_LOC}" and "${PARENT-n-PROJECT_LOC}". False, said on standard
// error, when the documents folder is not known: the entry then names no
// folder of this machine.
bool flashBuilderFolder(std::string& source, const std::string& projectFolder, std::string& projectText) {
  if (startsWith(source, _DOCUMENTS_)) {
    readDOCUMENTSPATH(projectText);
    if (DOCUMENTSPATH.empty()) {
      ruvo_error("ruvojs: the Flash Builder documents folder (${DOCUMENTS}) is not known: no recent workspace of Flash "
                 "Builder 4.5, 4.6 or 4.7 is listed under the home folder's Documents; %s is not converted\n",
                 source.c_str());
      return false;
    }
    source = xstringmthod::replaceAll(source, _DOCUMENTS_, DOCUMENTSPATH);
  }
  source = projectLocationMacros(source, projectFolder);
  return true;
}

}  // namespace

// Converts every source folder of a Flash Builder or FlashDevelop project
// back to the Flash names.
void FlashToZafrit::PreChangeFlash(const char* projectFile) {
  std::string file = projectFile ? projectFile : "";
  const bool relative = !isAbsoluteArgument(file);
  if (relative) file = xfilemethod::getBinPath() + "/" + file;
  std::string full = xfilemethod::getFile_Path(file);
  if (relative)
    ruvo_error("ruvojs: the project file \"%s\" is taken relative to the program's folder: %s\n",
               projectFile ? projectFile : "", full.c_str());
  std::string folder = xfilemethod::getFilePath(full.c_str());
  MSGTO(MessageType::Info, "", 0, "filename:%s", full.c_str());
  MSGTO(MessageType::Info, "", 0, "filepath:%s", folder.c_str());

  std::string text;
  std::vector<std::string> paths;
  if (!xfilemethod::readtxtfile(full, text)) {
    std::string why = xfilemethod::whyNoText(full);
    ruvo_error("ruvojs: the project file %s %s; nothing is converted\n", full.c_str(),
               why.empty() ? "cannot be read" : why.c_str());
    return;
  }
  if (full.find(".as3proj") != std::string::npos) {
    readFromeXML(text, "classpaths", "class", "path", &paths);
  } else {
    readFromeXML(text, "compilerSourcePath", "compilerSourcePathEntry", "path", &paths);
    paths.push_back(readFromeXML(text, "actionScriptProperties", "compiler", "sourceFolderPath", nullptr));
  }

  const bool flashBuilder = full.find(".as3proj") == std::string::npos;
  for (const std::string& entry : paths) {
    if (entry.empty()) continue;
    std::string source = xmlAttributeText(entry);
    // Flash Builder names a linked source folder by its path variables, as
    // the compile reads them: the folder it compiles is the one converted.
    if (flashBuilder && !flashBuilderFolder(source, folder, text)) continue;
    if (!(source.size() > 1 && source[1] == ':') && source[0] != '/') source = folder + source;
    // "${PARENT-1-PROJECT_LOC}/lib" leaves "..//lib": one separator a step.
    std::string normal;
    for (char c : xfilemethod::getFile_Path(source))
      if (c != '/' || normal.size() < 2 || normal.back() != '/') normal += c;
    source = normal;
    while (source.size() > 1 && source.back() == '/') source.pop_back();
    source += "/";
    MSGTO(MessageType::Info, "", 0, "to flash:%s", source.c_str());
    FlashToZafrit(source.c_str(), nullptr, ConverterMode::ToFlash);
  }
}
