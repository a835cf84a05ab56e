// Fuzz target over a whole compile of a one-file project, run on the
// compiler's own road from the set options to the assembled output scripts
// (compileSources): the pre-scan, the file root, the pretreatment of
// packages, classes, functions and statements, name resolution, the
// JavaScript (or TypeScript) output of the file with its formatting, the
// class ranking, the queued source errors and the joining of the output
// scripts; then the formatter alone on the input's text.
//
// Each input is one source file, "/fuzz/Main.as". Its first byte also picks
// the options; it stays in the text, where the file head blanks it (a
// realistic seed starts with "package" or a comment, so prefixing one
// printable byte picks the options of a seed):
//   0x01  without the Flash emulation library (zafrit=false)
//   0x02  release output          0x04  debug output (when not release)
//   0x08  TypeScript output       0x10  -define CONFIG::debug,true
//   0x20  conditional symbol JS   0x40  showdebug comments
//   0x80  variable types kept as comments
// The file may include itself under the name "a.as", so include cycles are
// reached. No file is read or written: both records are made here, and the
// road's save step is not run.
//
// After each input the trees are freed and every process-wide state is
// reset (resetCompilerState), so inputs do not affect each other. Leak detection is off for this
// target only: the pretreatment takes tokens out of their groups as it folds
// them into declarations and statements, and nothing owns them after that
// (the compiler frees nothing, a compile runs once and exits). Every input
// would be reported, so a leak report would say nothing about a fault.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "CompilerOptions.h"
#include "OneScriptFile.h"
#include "Quillet.h"
#include "Token.h"
#include "compileRun.h"
#include "formatScript.h"
#include "globals.h"
#include "message.h"
#include "parse.h"
#include "scriptfile.h"

namespace {

int quietBox(const char*, const char*) { return 0; }

constexpr const char* kMain = "/fuzz/Main.as";
constexpr const char* kIncluded = "/fuzz/a.as";

void quietOutput() {
  // The log is not wanted while fuzzing (stdout goes to /dev/null already).
  if (!fpprintf) fpprintf = std::fopen("/dev/null", "wb");
  MsgBox = quietBox;
  ErrBox = quietBox;
}

}  // namespace

extern "C" const char* __lsan_default_options() { return "detect_leaks=0"; }
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The IDE protocol and the messages are not wanted while fuzzing.
  if (!std::freopen("/dev/null", "w", stdout)) return 0;
  resetCompilerState();
  quietOutput();
  return 0;
}

namespace {

// One compile of the input; returns the assembled output scripts.
std::string compileOnce(const uint8_t* data, size_t size) {
  const uint8_t options = size > 0 ? data[0] : 0;
  CompilerOptions& o = _ompilerOptions_;
  o.zafritLib = (options & 0x01) == 0;
  __ISRELEASE__ = (options & 0x02) != 0;
  __ISDEBUG__ = !__ISRELEASE__ && (options & 0x04) != 0;
  __ISTOTS = (options & 0x08) != 0;
  if (options & 0x10) o.defines["CONFIG::debug"] = "true";
  o.conditionSymbol = (options & 0x20) ? "JS" : "";
  __SHOWDEBUG__ = (options & 0x40) != 0;
  o.keepVariableType = (options & 0x80) != 0;
  o.mainFile = kMain;
  o.sourcePaths = {kMain};

  // The records the loader would make on reading the files.
  const std::string source(reinterpret_cast<const char*>(data), size);
  ScriptFile::LoadedFileMap[kMain] = new ScriptFile(kMain, source.c_str());
  ScriptFile::LoadedFileMap[kIncluded] = new ScriptFile(kIncluded, source.c_str());

  // A base class that its file does not declare stops the compile: the end
  // of a compile, not a fault.
  Quillet front;
  std::string output;
  if (compileSources(front) != CompileStop::None) {
    output = "(the compile stopped)\n";
  } else {
    output = "== main script (" + std::to_string(ScriptErr::__ERRS.size()) + " queued errors)\n" +
             MainOneScriptFile.text + MainOneScriptFile.endScript + "\n";
    for (const auto& [folder, script] : OneScriptFile::jsModleMap)
      if (script) output += "== module " + folder + "\n" + script->text + script->endScript + "\n";
  }
  for (Parse* parse : front.parses) deleteTokenTree(parse);

  resetCompilerState();
  quietOutput();
  return output;
}

}  // namespace

// RUVO_FUZZ_SHOW=1 prints the output to stderr, to look at what an input
// gives; RUVO_FUZZ_TWICE=1 compiles every input twice and stops when the two
// outputs differ (state left over from the first compile).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool show = std::getenv("RUVO_FUZZ_SHOW") != nullptr;
  static const bool twice = std::getenv("RUVO_FUZZ_TWICE") != nullptr;
  const std::string output = compileOnce(data, size);
  // The formatter on the raw text too: the output carries strings, comments,
  // regular expressions and XML of the source nearly as written.
  const std::string formatted = formatScript(std::string(reinterpret_cast<const char*>(data), size));
  if (show) ruvo_error("%s", output.c_str());
  if (twice && compileOnce(data, size) != output) {
    ruvo_error("the second compile of the input gave another output\n");
    std::abort();
  }
  return 0;
}
