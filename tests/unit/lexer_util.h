// Helpers of the token, lexer and file-root tests: tokenising a snippet
// without the later passes, and a compact dump of the tree.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "Token.h"
#include "globals.h"
#include "message.h"
#include "parse.h"

namespace lexertest {

// A fresh compiler state whose log goes to a temporary file, not to the
// shared debug.txt of the build folder.
inline void freshState() {
  resetCompilerState();
  fpprintf = std::tmpfile();
}

// A file root that holds no tokens yet: the marker makes the constructor
// skip its own tokenising and pretreatment.
inline Parse* emptyFile(const char* path = "/src/test/Main.as") {
  Parse* p = new Parse(nullptr, "/*[IF-FLASH]*/package", path, 0);
  p->skip = 0;
  p->sourceText.clear();
  return p;
}

// Tokenises `source` into a new file root, without pretreatment.
inline Parse* lexFile(const std::string& source, const char* path = "/src/test/Main.as") {
  Parse* p = emptyFile(path);
  int pos = 0;
  int line = 0;
  p->parse(source.c_str(), static_cast<int>(source.size()), pos, line, nullptr);
  return p;
}

// "Name:text" per child, the name from kTokenTypeTable ("Word:a",
// "Assign:="); groups as Name(...) with their children ("Paren(Word:x)").
inline std::string dump(const TokenList& list) {
  std::string out;
  for (Token* t : list) {
    if (!out.empty()) out += ' ';
    if (!t) {
      out += "null";
      continue;
    }
    out += tokenTypeName(t->type);
    const bool group = t->type == TokenTypeCode::Block || t->type == TokenTypeCode::Paren ||
                       t->type == TokenTypeCode::Bracket || (t->type == TokenTypeCode::As && !t->childs.empty());
    if (group) {
      out += "(" + dump(t->childs) + ")";
    } else {
      out += ":" + t->text;
    }
  }
  return out;
}

inline std::string lexDump(const std::string& source) {
  Parse* p = lexFile(source);
  std::string out = dump(p->childs);
  deleteTokenTree(p);
  return out;
}

// Runs fn with standard output captured; returns what it printed.
template <class Fn>
std::string captureStdout(Fn&& fn) {
  fflush(stdout);
  testing::internal::CaptureStdout();
  fn();
  fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

}  // namespace lexertest
