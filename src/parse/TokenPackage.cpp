// The package token of a source file, the package registries and the
// class-name pre-scan.
//
// Every source file is one package: "package", an optional dotted name and a
// { } block. The pre-scan reads the words of a file without building a tree,
// so that class names of files not parsed yet are already known.
#include "TokenPackage.h"

#include <cstring>
#include <string_view>

#include "CompilerOptions.h"
#include "TokenClass.h"
#include "parse.h"
#include "scriptfile.h"
#include "xfilemethod.h"
#include "xstringmethod.h"

namespace {

// Normalised paths of the files the pre-scan has read (one scan per file and run).
OrderedMap<uint8_t>& scannedFiles() {
  static OrderedMap<uint8_t> files;
  return files;
}

// Package folders already listed by ParsePackageAllFileForClass.
OrderedMap<uint8_t>& listedPackageFolders() {
  static OrderedMap<uint8_t> folders;
  return folders;
}

// The (source root, package name) pairs ParsePackageAllFileForClass was
// asked for: every wildcard import of every file asks again, and a pair met
// before names a folder listed before, so it is answered without building
// and normalising the folder's path.
OrderedMap<uint8_t>& askedPackageFolders() {
  static OrderedMap<uint8_t> asked;
  return asked;
}

using namespace std::string_view_literals;

// A byte that goes on with the word being cut and does nothing else: any
// byte but NUL, a blank, a line end, ';', a quote, a bracket and '/'. The
// pre-scan asks once per byte of source, so a table.
constexpr ByteSet kWordBytes = ByteSet::allBut("\0\t\n\r ;\"'(){}/"sv);
bool continuesWord(unsigned char c) { return kWordBytes(static_cast<char>(c)); }

// A blank, a line end or ';': each ends the word before it.
bool isSeparator(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == ';'; }

// The words of a text one at a time, each asked for when the pre-scan
// reaches it: most of a file lies after its class, where the pre-scan looks
// for two words only (see scanAfterClass).
class WordCutter {
 public:
  explicit WordCutter(const char* text, size_t at = 0) : text_(text), i_(at) {}

  // The next word; false once the text has no more.
  bool next(std::string_view& word) {
    if (done_) return false;
    size_t start = std::string_view::npos;
    int lines = 0;
    auto cut = [&] {
      word = std::string_view(text_ + start, i_ - start);
      return true;
    };
    for (;;) {
      const unsigned char c = static_cast<unsigned char>(text_[i_]);
      if (c == 0) {
        done_ = true;
        return start != std::string_view::npos && cut();
      }
      if (c >= 0x80) {
        ++i_;
        continue;
      }
      switch (c) {
        case '\t':
        case '\n':
        case '\r':
        case ' ':
        case ';':
          if (start != std::string_view::npos) {
            cut();
            ++i_;
            while (isSeparator(static_cast<unsigned char>(text_[i_]))) ++i_;
            return true;
          }
          ++i_;
          while (isSeparator(static_cast<unsigned char>(text_[i_]))) ++i_;
          continue;
        case '"':
        case '\'': {
          if (start != std::string_view::npos) return cut();
          const int close = xstringmthod::getQuotationMarkText(text_, static_cast<int>(i_), lines);
          if (text_[close] == 0) return done();
          i_ = static_cast<size_t>(close) + 1;
          continue;
        }
        case '(':
        case ')':
        case '{':
        case '}':
          if (start != std::string_view::npos) return cut();
          word = std::string_view(text_ + i_, 1);
          ++i_;
          return true;
        case '/':
          if (text_[i_ + 1] == '/' || text_[i_ + 1] == '*') {
            if (start != std::string_view::npos) return cut();
            const int close = xstringmthod::getAnnotationText(text_, static_cast<int>(i_), lines);
            if (text_[close] == 0) return done();
            i_ = static_cast<size_t>(close) + 1;
            continue;
          }
          break;
        default:
          break;
      }
      if (start == std::string_view::npos) start = i_;
      ++i_;
      while (continuesWord(static_cast<unsigned char>(text_[i_]))) ++i_;
    }
  }

 private:
  bool done() {
    done_ = true;
    return false;
  }

  const char* text_;
  size_t i_;
  bool done_ = false;
};

// The words of scriptClipToWords, as views into the text (which outlives
// them).
void clipWords(const char* text, std::vector<std::string_view>& words) {
  if (text == nullptr) return;
  WordCutter cutter(text);
  std::string_view word;
  while (cutter.next(word)) words.push_back(word);
}

// Whether a word of clipWords ends at `at`: there stands the end of the
// text, a separator, a quote, a bracket or a comment (a lone '/' and a high
// byte go on with the word).
bool wordEndsAt(const char* text, size_t at) {
  const unsigned char c = static_cast<unsigned char>(text[at]);
  if (c == '/') return text[at + 1] == '/' || text[at + 1] == '*';
  return c < 0x80 && !continuesWord(c);
}

// Whether a word of clipWords may begin at `at` of a run of bytes that
// starts at `from` and holds no quote, no '/' and no end of text: the bytes
// before it end any word (a separator or a bracket), or there are none since
// the run began outside a word. High bytes are passed over, as the cutting
// passes over them outside a word.
bool wordMayBeginAt(const char* text, size_t from, size_t at, bool inWordAtFrom) {
  size_t j = at;
  while (j > from && static_cast<unsigned char>(text[j - 1]) >= 0x80) --j;
  if (j == from) return !inWordAtFrom;
  return !continuesWord(static_cast<unsigned char>(text[j - 1]));
}

// Whether the bytes at `p` begin with `word`; stops at the first that
// differs, so it never reads past the end of the text.
bool bytesBegin(const char* p, const char* word) {
  while (*word != 0 && *p == *word) ++p, ++word;
  return *word == 0;
}

// An "import" or "package" in the bytes of a text, whatever holds it
// (quotes and comments too).
struct KeywordHit {
  size_t at;  // where the word begins
  bool isImport;
  size_t length() const { return isImport ? 6 : 7; }
};

// The first "import" or "package" that begins at `from` or later, before
// `size` (the length of the text, whose byte there is its NUL). Both words
// hold a 'p' (the third byte of one, the first of the other), a rare byte in
// code, so one search for it finds both, in the order they stand: an
// "import" and a "package" never share their bytes.
bool nextKeyword(const char* text, size_t from, size_t size, KeywordHit& hit) {
  const char* const last = text + size;
  for (const char* p = static_cast<const char*>(std::memchr(text + from, 'p', size - from)); p != nullptr;
       p = static_cast<const char*>(std::memchr(p + 1, 'p', static_cast<size_t>(last - p - 1)))) {
    const size_t q = static_cast<size_t>(p - text);
    if (q >= from + 2 && p[-2] == 'i' && p[-1] == 'm' && bytesBegin(p + 1, "ort")) {
      hit = {q - 2, true};
      return true;
    }
    if (bytesBegin(p + 1, "ackage")) {
      hit = {q, false};
      return true;
    }
  }
  return false;
}

// After a file's first class (or interface) the pre-scan acts on the words
// "package" and "import" only: this finds them, with the word after each, in
// the order they stand, as clipWords would cut them from `at` on (`at` ends
// a word; `size` is the length of the text), and hands each to `found`. The
// bytes between quotes, comments and slashes are searched for the two words
// instead of being cut into words; past the last place either word stands in
// the bytes, in quotes and comments or not, nothing more is found, so the
// scan ends there (most files hold neither after their class).
template <class Found>
void scanAfterClass(const char* text, size_t at, size_t size, Found found) {
  KeywordHit hit;
  if (!nextKeyword(text, at, size, hit)) return;
  bool inWord = false;  // a lone '/' begins or goes on with a word
  int lines = 0;
  for (;;) {
    const size_t end = at + std::strcspn(text + at, "\"'/");
    while (hit.at < end) {
      if (wordMayBeginAt(text, at, hit.at, inWord) && wordEndsAt(text, hit.at + hit.length())) {
        std::string_view next;
        WordCutter(text, hit.at + hit.length()).next(next);
        found(hit.isImport, next);
      }
      if (!nextKeyword(text, hit.at + 1, size, hit)) return;
    }
    const char c = text[end];
    if (c == 0) return;
    if (c == '/' && text[end + 1] != '/' && text[end + 1] != '*') {
      inWord = true;
      at = end + 1;
      continue;
    }
    const int close = c == '/' ? xstringmthod::getAnnotationText(text, static_cast<int>(end), lines)
                               : xstringmthod::getQuotationMarkText(text, static_cast<int>(end), lines);
    if (text[close] == 0) return;
    inWord = false;
    at = static_cast<size_t>(close) + 1;
    if (hit.at < at && !nextKeyword(text, at, size, hit)) return;
  }
}

// Loads every listed file and hands it to the pre-scan.
void scanListedFiles(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    TokenPackage::ParseOnlyClass(path.c_str(), ScriptFile::LoadFile(path));
  }
}

}  // namespace

OrderedMap<TokenPackage*>& TokenPackage::GetPakageMap() {
  static OrderedMap<TokenPackage*> packages;
  return packages;
}

OrderedMap<std::string>& TokenPackage::GetConstMap() {
  static OrderedMap<std::string> constants;
  return constants;
}

OrderedMap<std::string>& TokenPackage::GetConversionTable() {
  static OrderedMap<std::string> table;
  return table;
}

void resetPackageRegistries() {
  TokenPackage::GetPakageMap().clear();
  TokenPackage::GetConstMap().clear();
  TokenPackage::GetConversionTable().clear();
  scannedFiles().clear();
  listedPackageFolders().clear();
  askedPackageFolders().clear();
  forgetWildcardInterfaces();
}

std::string TokenPackage::ToConversionTable(std::string name, bool add) {
  OrderedMap<std::string>& table = GetConversionTable();
  auto it = table.find(name);
  if (it != table.end()) return it->second;
  if (add) table[name] = name;
  return name;
}

// package a.b { ... } takes its name from the following word, registers
// itself, learns the class names of its own package folder and then adopts
// the contents of its block, so the block's braces never reach the output.
int TokenPackage::pretreatment(Parse* file) {
  ownerFile = file;
  if (file == nullptr) return 0;
  if (file->usesXml) hasUseThisClass("zafrit.xml.XMLElement");
  if (file->scriptFile) file->scriptFile->package = this;
  file->package = this;

  // The name is the word after "package"; a package without one has an empty name.
  Token* next = parent ? parent->getTokenFrome(index + 1) : nullptr;
  if (next && next->typeIsText()) {
    text = next->text;
    parent->clearNextToken(this, 1);
  } else {
    text.clear();
  }

  // The folder that holds the package folders: src/a/b with package a.b gives src.
  size_t cut = text.empty() ? 0 : text.size() + 1;
  file->sourceRoot = cut <= file->directory.size() ? file->directory.substr(0, file->directory.size() - cut) : "";

  OrderedMap<TokenPackage*>& packages = GetPakageMap();
  if (!packages.has(text)) packages[text] = this;

  ScriptFile* record = ScriptFile::LoadedFileMap.get(file->path, nullptr);
  if (record == nullptr) record = ScriptFile::LoadedFileMap.get(ScriptFile::FormatFileName(file->path), nullptr);
  if (record && record->packageName.empty()) record->packageName = text;

  qualifyingName = text;
  ToConversionTable(text, true);
  ParsePackageAllFileForClass(file->sourceRoot, text);

  if (parent == nullptr) return 0;
  int at = parent->findThisType(TokenTypeCode::Block, index + 1);
  if (at < 0) return 0;
  Token* block = parent->childs[at];
  parent->childs[at] = nullptr;
  for (Token* child : block->childs)
    if (child) push(child);
  childsPretreatment(file, childs);
  return 0;
}

// package a.b { import x.Y; class C ... } prints the imports (which only
// report a forbidden Flash import) and then the adopted children of its
// block: the class code, without "package", its name or the braces.
int TokenPackage::toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) {
  Parse* owner = file ? file : ownerFile;
  if (owner && owner->scriptFile) owner->scriptFile->package = this;
  _childsToJs_(out, file, imports, mode, nullptr, typeCommentOff, 0);
  _childsToJs_(out, file, mode, typeCommentOff, 0);
  return 0;
}

std::string TokenPackage::importToAs3Script() {
  std::string out;
  for (const auto& [shortName, fullName] : importMap) {
    if (fullName == "int") continue;
    out += "import " + fullName + ";\r\n";
  }
  return out;
}

void TokenPackage::ParseOnlyClassEx(const char* folder, bool run) {
  if (!run || folder == nullptr) return;
  std::vector<std::string> paths;
  xfilemethod::dir(folder, ".jas", paths, 10000);
  xfilemethod::dir(folder, ".as", paths, 10000);
  scanListedFiles(paths);
}

void TokenPackage::ParsePackageAllFileForClass(std::string root, std::string packageName) {
  std::string asked;
  asked.reserve(root.size() + 1 + packageName.size());
  asked.append(root).push_back('\0');  // no path holds a NUL
  asked.append(packageName);
  OrderedMap<uint8_t>& askedBefore = askedPackageFolders();
  if (askedBefore.has(asked)) return;
  askedBefore[asked] = 1;
  // Only the dots of the package name are folder separators: a source root
  // such as ../my.game/src keeps its own dots.
  xstringmthod::replacechr(packageName, '.', '/');
  std::string folder = ScriptFile::FormatFileName(root + "/" + packageName);
  // "import *" in a file whose package names more folders than its path has
  // leaves no folder at all: the path helpers would read that as the working
  // folder, wherever the compile was started, so nothing is listed.
  if (folder.size() < 2) return;
  OrderedMap<uint8_t>& listed = listedPackageFolders();
  if (listed.has(folder)) return;
  std::vector<std::string> paths;
  xfilemethod::dir(folder.c_str(), ".jas", paths, 1);
  xfilemethod::dir(folder.c_str(), ".as", paths, 1);
  listed[folder] = 1;
  scanListedFiles(paths);
}

// Reads the word sequence "package", "import", "class", "namespace" and
// "function" of one file and registers what it names: the package root, the
// imported names, the file's first class, and the namespaces and the first
// package-level function declared before that class (or an interface).
void TokenPackage::ParseOnlyClass(const char* path, const std::string& text) {
  if (path == nullptr || std::string(path).find("__js__.as") != std::string::npos) return;
  if (text.empty()) return;
  std::string key = ScriptFile::FormatFileName(path);
  OrderedMap<uint8_t>& scanned = scannedFiles();
  if (scanned.has(key)) return;
  scanned[key] = 1;
  ScriptFile* record = ScriptFile::LoadedFileMap.get(key, nullptr);

  // The words start where the file root's head ends (what stands before the
  // first comment or "package" is blanked there); the text is read as it is.
  size_t head = 0;
  while (head < text.size() && !(text[head] == '/' && (text[head + 1] == '*' || text[head + 1] == '/')) &&
         !(text[head] == 'p' && text[head + 1] == 'a'))
    ++head;
  if (head >= text.size()) head = 0;
  // The words are cut as the loop reaches them; it looks two words ahead.
  const char* const base = text.c_str() + head;
  WordCutter cutter(base);
  std::string_view ahead[3];
  size_t buffered = 0;
  while (buffered < 3 && cutter.next(ahead[buffered])) ++buffered;
  if (buffered < 2) return;

  std::string package;
  bool hasPackage = false;
  bool seenClass = false;
  int functionsSeen = 0;
  auto enterPackage = [&](std::string_view next) {
    hasPackage = true;
    if (record) record->hasPackage = 1;
    package = next == "{" ? std::string() : std::string(next);
    if (!package.empty()) {
      std::string root = package.substr(0, package.find('.'));
      // A package root holds at least 1, so a class named like it is numbered.
      int32_t& counter = TokenClass::_MiniClassMap_()[root];
      if (counter < 1) counter = 1;
    }
  };
  auto enterImport = [&](std::string_view next) {
    const std::string name(next);
    ToConversionTable(name, true);
    OrderedMap<TokenClass*>& classes = TokenClass::_classMap_();
    if (!classes.has(name)) classes[name] = nullptr;
  };
  while (buffered > 0) {
    const std::string_view word = ahead[0];
    const std::string_view next = buffered > 1 ? ahead[1] : std::string_view();
    if (word == "package") {
      enterPackage(next);
    } else if (word == "import") {
      if (!hasPackage) return;
      enterImport(next);
    } else if (word == "class") {
      if (!hasPackage) return;
      if (!next.empty()) {
        const std::string name(next);
        std::string full = packToFullName(package, name);
        ToConversionTable(full, true);
        if (record) ScriptFile::GlobalClassWidthFileMap[full] = record;
        // A placeholder only: a class registered already keeps its token.
        OrderedMap<TokenClass*>& classes = TokenClass::_classMap_();
        if (!classes.has(full)) classes[full] = nullptr;
        TokenClass::_addToOnlyClassNameMap_(name, full);
      }
      seenClass = true;
    } else if (word == "interface") {
      // The functions of an interface body are its method signatures, not
      // package functions: nothing after it is registered, as after a class.
      if (!hasPackage) return;
      seenClass = true;
    } else if (word == "namespace") {
      if (!hasPackage) return;
      if (buffered > 2 && ahead[2] == "=") {
        const std::string name(next);
        TokenClass::NameSpaceMap[packToFullName(package, name)] = name;
      }
    } else if (word == "function" && functionsSeen == 0) {
      if (!hasPackage) return;
      ScriptFile::GlobalFunctionWidthFileMap[packToFullName(package, std::string(next))] = nullptr;
      ++functionsSeen;
    }
    if (seenClass) {
      // From here on a class, an interface, a namespace or a function
      // registers nothing more (the package is found, so none ends the scan).
      const size_t after = static_cast<size_t>(word.data() + word.size() - base);
      scanAfterClass(base, after, text.size() - head, [&](bool isImport, std::string_view next) {
        if (isImport)
          enterImport(next);
        else
          enterPackage(next);
      });
      return;
    }
    ahead[0] = ahead[1];
    ahead[1] = ahead[2];
    if (--buffered == 2 && cutter.next(ahead[2])) ++buffered;
  }
}

// Cuts a source text into words: blanks, line ends and ';' separate, quoted
// literals and comments yield nothing, brackets are words of their own, and
// ':' '.' ',' '=' '[' belong to the words around them.
void scriptClipToWords(const char* text, std::vector<std::string>& words) {
  std::vector<std::string_view> views;
  clipWords(text, views);
  for (std::string_view w : views) words.emplace_back(w);
}
