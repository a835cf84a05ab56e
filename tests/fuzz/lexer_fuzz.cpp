// Fuzz target over the file root's text preparation and the lexer.
//
// Each input is one source file. Its first byte picks options (the Flash
// emulation library switch, a -define constant, the conditional symbol);
// the file may include itself under the name "a.as", so include cycles are
// reached. After each input every tree, record and queued error is freed,
// so the leak checker sees only real leaks.
#include <cstdint>
#include <cstdio>
#include <string>

#include "CompilerOptions.h"
#include "Token.h"
#include "globals.h"
#include "message.h"
#include "parse.h"
#include "scriptfile.h"

namespace {

int quietBox(const char*, const char*) { return 0; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The IDE protocol and the log are not wanted while fuzzing.
  if (!std::freopen("/dev/null", "w", stdout)) return 0;
  fpprintf = std::fopen("/dev/null", "wb");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  resetCompilerOptions();
  resetLexerState();
  MsgBox = quietBox;
  const uint8_t options = size > 0 ? data[0] : 0;
  _ompilerOptions_.zafritLib = (options & 1) != 0;
  _ompilerOptions_.conditionSymbol = (options & 2) ? "JS" : "";
  if (options & 4) _ompilerOptions_.defines["CONFIG::debug"] = "true";

  const std::string source(reinterpret_cast<const char*>(data), size);
  auto* self = new ScriptFile("/fuzz/Main.as", source.c_str());
  auto* included = new ScriptFile("/fuzz/a.as", source.c_str());
  ScriptFile::LoadedFileMap[self->path] = self;
  ScriptFile::LoadedFileMap[included->path] = included;

  // The file root as the constructor builds it, without the later passes:
  // the marker keeps the constructor from tokenising its own text.
  Parse* file = new Parse(nullptr, "/*[IF-FLASH]*/package", "/fuzz/Main.as", 0);
  std::string text = source;
  file->skip = Parse::prepareText(text) ? 0 : 1;
  file->sourceText = text;
  if (!file->skip) {
    int pos = 0;
    int line = 0;
    file->parse(text.c_str(), static_cast<int>(text.size()), pos, line, nullptr);
  }

  deleteTokenTree(file);
  resetErrorQueue();
  resetScriptFiles();
  return 0;
}
