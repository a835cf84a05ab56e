// The package token of a source file, the package registries and the
// class-name pre-scan.
//
// Every source file is one package: "package", an optional dotted name and a
// { } block. The pre-scan reads the words of a file without building a tree,
// so that class names of files not parsed yet are already known.
#include "TokenPackage.h"

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

// The words of scriptClipToWords, as views into the text (which outlives
// them): the pre-scan reads every word of every file and keeps none.
void clipWords(const char* text, std::vector<std::string_view>& words) {
  if (text == nullptr) return;
  int start = -1;
  auto endWord = [&](int at) {
    if (start >= 0) words.emplace_back(text + start, static_cast<size_t>(at - start));
    start = -1;
  };
  int lines = 0;
  int i = 0;
  for (;;) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == 0) break;
    if (c >= 0x80) {
      ++i;
      continue;
    }
    switch (c) {
      case '\t':
      case '\n':
      case '\r':
      case ' ':
      case ';':
        endWord(i);
        ++i;
        // The separators after it end nothing more.
        while (isSeparator(static_cast<unsigned char>(text[i]))) ++i;
        continue;
      case '"':
      case '\'': {
        endWord(i);
        int close = xstringmthod::getQuotationMarkText(text, i, lines);
        if (text[close] == 0) return;
        i = close + 1;
        continue;
      }
      case '(':
      case ')':
      case '{':
      case '}':
        endWord(i);
        words.emplace_back(text + i, 1);
        ++i;
        continue;
      case '/':
        if (text[i + 1] == '/' || text[i + 1] == '*') {
          endWord(i);
          int close = xstringmthod::getAnnotationText(text, i, lines);
          if (text[close] == 0) return;
          i = close + 1;
          continue;
        }
        break;
      default:
        break;
    }
    if (start < 0) start = i;
    ++i;
    // The rest of a word: bytes that neither end it nor open anything.
    while (continuesWord(static_cast<unsigned char>(text[i]))) ++i;
  }
  endWord(i);
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
  // One list of words serves every file of the run: it keeps the room the
  // largest file needed, so no file grows it again.
  static std::vector<std::string_view> words;
  words.clear();
  clipWords(text.c_str() + head, words);
  if (words.size() < 2) return;

  std::string package;
  bool hasPackage = false;
  bool seenClass = false;
  int functionsSeen = 0;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string_view word = words[i];
    const std::string_view next = i + 1 < words.size() ? words[i + 1] : std::string_view();
    if (word == "package") {
      hasPackage = true;
      if (record) record->hasPackage = 1;
      package = next == "{" ? std::string() : std::string(next);
      if (!package.empty()) {
        std::string root = package.substr(0, package.find('.'));
        // A package root holds at least 1, so a class named like it is numbered.
        int32_t& counter = TokenClass::_MiniClassMap_()[root];
        if (counter < 1) counter = 1;
      }
    } else if (word == "import") {
      if (!hasPackage) return;
      const std::string name(next);
      ToConversionTable(name, true);
      OrderedMap<TokenClass*>& classes = TokenClass::_classMap_();
      if (!classes.has(name)) classes[name] = nullptr;
    } else if (word == "class") {
      if (!hasPackage) return;
      if (!seenClass && !next.empty()) {
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
    } else if (seenClass) {
      continue;
    } else if (word == "namespace") {
      if (!hasPackage) return;
      if (i + 2 < words.size() && words[i + 2] == "=") {
        const std::string name(next);
        TokenClass::NameSpaceMap[packToFullName(package, name)] = name;
      }
    } else if (word == "function" && functionsSeen == 0) {
      if (!hasPackage) return;
      ScriptFile::GlobalFunctionWidthFileMap[packToFullName(package, std::string(next))] = nullptr;
      ++functionsSeen;
    }
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
