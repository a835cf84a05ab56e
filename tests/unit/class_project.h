// A tiny ActionScript project compiled in-process for the class tests: the
// files are written to a temporary folder, loaded, pre-scanned and parsed in
// the order given (as the front end does), and the classes can then be
// looked up in the registries and printed one by one.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "Quillet.h"
#include "TokenClass.h"
#include "TokenPackage.h"
#include "globals.h"
#include "harness.h"
#include "parse.h"

namespace classtest {

class MiniProject {
 public:
  MiniProject() { resetCompilerState(); }

  // `rel` is relative to the source folder, e.g. "a/Item.as".
  MiniProject& add(const std::string& rel, const std::string& text) {
    ruvotest::writeFile(dir_ / ("src/" + rel), text);
    files_.push_back(dir_ / ("src/" + rel));
    return *this;
  }

  MiniProject& compile() {
    front_.withFiles(files_);
    return *this;
  }

  std::string path(const std::string& rel) const { return dir_ / ("src/" + rel); }

  Parse* parseOf(const std::string& rel) {
    const std::string wanted = path(rel);
    for (Parse* p : front_.parses)
      if (p->path == wanted) return p;
    return nullptr;
  }

  // The JavaScript of one class as its class output writes it (before the
  // file's formatting).
  std::string classJs(const std::string& fullName, int mode = 0) {
    TokenClass* cls = TokenClass::GetTokenClass(fullName);
    if (!cls) return "<no class " + fullName + ">";
    std::string out;
    cls->toJsScript(out, cls->file, mode, 0);
    return out;
  }

  Quillet& front() { return front_; }

 private:
  ruvotest::TempDir dir_;
  std::vector<std::string> files_;
  Quillet front_;
};

}  // namespace classtest
