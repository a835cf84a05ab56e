// Helpers of the expression and declaration tests: output switches restored
// after a test, snippets tokenised into a bare group, whole source files
// compiled through the front-end steps, layout-insensitive comparison.
#pragma once

#include <string>
#include <vector>

#include "CompilerOptions.h"
#include "Quillet.h"
#include "Token.h"
#include "TokenPackage.h"
#include "globals.h"
#include "harness.h"
#include "message.h"
#include "parse.h"
#include "scriptfile.h"

namespace exprtest {

// Saves the output switches and options a test may change, restores them.
struct Switches {
  bool debug = __ISDEBUG__, release = __ISRELEASE__, ts = __ISTOTS, show = __SHOWDEBUG__;
  bool library = _ompilerOptions_.libraryAdded, keep = _ompilerOptions_.keepVariableType;
  bool zafrit = _ompilerOptions_.zafritLib;
  ~Switches() {
    __ISDEBUG__ = debug;
    __ISRELEASE__ = release;
    __ISTOTS = ts;
    __SHOWDEBUG__ = show;
    _ompilerOptions_.libraryAdded = library;
    _ompilerOptions_.keepVariableType = keep;
    _ompilerOptions_.zafritLib = zafrit;
  }
};

// Runs of blanks, tabs and line ends become one blank; both ends trimmed.
inline std::string squeeze(const std::string& text) {
  std::string out;
  bool blank = false;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      blank = true;
      continue;
    }
    if (blank && !out.empty()) out += ' ';
    blank = false;
    out += c;
  }
  return out;
}

// Tokenises `source` into a fresh group (no file, no package), pretreats it
// and prints its children, as the statement output prints a block's content.
inline std::string printSnippet(const std::string& source, Token** rootOut = nullptr) {
  Token* root = new Token(0, "", 0, 0, nullptr);
  int pos = 0;
  int line = 0;
  root->parse(source.c_str(), static_cast<int>(source.size()), pos, line, nullptr);
  root->pretreatment(nullptr);
  std::string out;
  root->_childsToJs_(out, nullptr, 0, 0, 0);
  if (rootOut) *rootOut = root;
  return out;
}

struct SourceFile {
  std::string path;  // relative to the source folder
  std::string text;
};

// Loads and pre-scans the files as one project and parses them all through
// the compiler's front end (a base class's file first); no JavaScript is
// written yet.
inline Quillet* parseFiles(const ruvotest::TempDir& dir, const std::vector<SourceFile>& files,
                             std::vector<std::string>* pathsOut = nullptr) {
  std::vector<std::string> paths;
  for (const SourceFile& f : files) {
    std::string path = dir.path() + "/src/" + f.path;
    ruvotest::writeFile(path, f.text);
    paths.push_back(ScriptFile::FormatFileName(path));
  }
  for (const std::string& path : paths) {
    std::string text = ScriptFile::LoadFile(path);
    TokenPackage::ParseOnlyClass(path.c_str(), text);
  }
  Quillet* front = new Quillet();
  for (const std::string& path : paths) front->withFile(path.c_str());
  if (pathsOut) *pathsOut = paths;
  return front;
}

// Compiles the files as one project (load and pre-scan all, parse all, then
// JavaScript for all) and returns the JavaScript of each, in order, with
// "\r\n" turned back into "\n".
inline std::vector<std::string> compileFiles(const ruvotest::TempDir& dir, const std::vector<SourceFile>& files) {
  std::vector<std::string> paths;
  Quillet* front = parseFiles(dir, files, &paths);
  std::vector<std::string> result;
  for (const std::string& path : paths) {
    std::string js;
    for (Parse* p : front->parses)
      if (p->path == path) {
        p->toJavaScript();
        js = ruvotest::replaceAll(p->jsText, "\r\n", "\n");
      }
    result.push_back(js);
  }
  return result;
}

inline std::string compileOne(const ruvotest::TempDir& dir, const std::string& path, const std::string& text) {
  return compileFiles(dir, {{path, text}}).at(0);
}

}  // namespace exprtest
