// A tiny ActionScript project compiled in-process for the class tests: the
// files are written to a temporary folder, loaded and pre-scanned, then
// parsed in the order given by the compiler's front end (a file is parsed
// once; a base class's file is parsed before the file that extends it). The
// classes can then be looked up in the registries and printed one by one.
#pragma once

#include <string>
#include <vector>

#include "Quillet.h"
#include "TokenClass.h"
#include "TokenPackage.h"
#include "globals.h"
#include "harness.h"
#include "parse.h"
#include "scriptfile.h"

namespace classtest {

class MiniProject : public Quillet {
 public:
  MiniProject() { resetCompilerState(); }

  // `rel` is relative to the source folder, e.g. "a/Item.as".
  MiniProject& add(const std::string& rel, const std::string& text) {
    ruvotest::writeFile(path(rel), text);
    files_.push_back(path(rel));
    return *this;
  }

  MiniProject& compile() {
    for (std::string& file : files_) {
      file = ScriptFile::FormatFileName(file);
      std::string text = ScriptFile::LoadFile(file);
      TokenPackage::ParseOnlyClass(file.c_str(), text);
    }
    for (const std::string& file : files_) withFile(file.c_str());
    return *this;
  }

  // Whether the passes these tests build on are in the program: the
  // pre-scan and the package pretreatment give every parsed file its package.
  bool ready() const {
    if (parses.empty()) return false;
    for (Parse* p : parses)
      if (!p->package) return false;
    return true;
  }

  std::string path(const std::string& rel) const { return dir_ / ("src/" + rel); }

  // The JavaScript of one class as its class output writes it (before the
  // file's formatting).
  std::string classJs(const std::string& fullName, int mode = 0) {
    TokenClass* cls = TokenClass::GetTokenClass(fullName);
    if (!cls) return "<no class " + fullName + ">";
    std::string out;
    cls->toJsScript(out, cls->file, mode, 0);
    return out;
  }

 private:
  ruvotest::TempDir dir_;
  std::vector<std::string> files_;
};

}  // namespace classtest

// Compiles the project and skips the test while the package pass is missing.
#define COMPILE_OR_SKIP(project)                                                      \
  do {                                                                                \
    (project).compile();                                                              \
    if (!(project).ready()) GTEST_SKIP() << "package pretreatment not available yet"; \
  } while (0)
