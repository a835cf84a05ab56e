// Flash source converter: rewrites Flash sources in place to the emulation
// library's names, or back again, and links classes to the SWF tools class.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "namedCode.h"
#include "ordered_map.h"
#include "wideText.h"
#include "xfilemethod.h"

// One row of a converter name table: a dotted name (or prefix) and its
// replacement.
struct FlashNameRow {
  const char* name;
  const char* newName;
};

// The run modes of the converter, as the command line starts them. The
// values are fixed; kConverterModeTable lists them.
namespace ConverterMode {
constexpr int ToLibraryFirst = 1;   // "/c", first folder: names to the library, and the starter classes
constexpr int ToLibrary = -1;       // "/c" other folders, "/C": names to the library
constexpr int ToFlash = -3;         // "/F" and before a compile: names back to Flash
constexpr int LinkFromList = 2;     // "/l": link classes named in a link list
constexpr int Link = -2;            // "/L": link classes (every other value links too)
// Whether a run of `mode` rewrites names (the others link classes).
constexpr bool rewritesNames(int mode) { return mode == ToLibraryFirst || mode == ToLibrary || mode == ToFlash; }
}  // namespace ConverterMode

extern const NamedCode kConverterModeTable[];
extern const int kConverterModeTableSize;

class FlashToZafrit {
 public:
  OrderedMap<std::string> linkClasses;
  std::vector<std::string> linkKeys;
  int32_t mode = 0;

  FlashToZafrit(const char* folder, const char* linkList, int mode);
  void readini(const char* path);
  void changeOneFile(const char* path);
  void addLinkClass(const char* path);
  // Reads the file behind `path` for a rewrite; false when it is empty or
  // cannot be read (said on standard error).
  bool readForRewrite(const char* path, xfilemethod::SourceFile& file);
  // The UTF-8 text of a file read by readForRewrite and the encoding to
  // write it back in: a UTF-16 or UTF-32 file is rewritten in its own
  // encoding. False (said on standard error) for one whose units are not all
  // characters, which would not come back byte for byte.
  static bool textOf(const char* path, const xfilemethod::SourceFile& file, WideEncoding& encoding, std::string& text);
  // Writes the new text over the file read by readForRewrite; false (with a line
  // on standard error saying why) when the file keeps its old text.
  static bool rewrite(const char* path, const xfilemethod::SourceFile& file, const std::string& text);
  bool _adjustLinkClass_(std::string& text, const std::string& className);
  // The import lines of one source text mapped for `mode`; `path` only names
  // the file in the messages.
  static std::string adjustScript(const std::string& text, int mode, const std::string& path = std::string());
  static std::string findNormalText(const std::vector<std::string>& pieces, int& index, int step);
  static void paceNameToZafrit(std::string& name, const std::string& path, int mode);
  static void paceNameTo_zafrit(std::string& name, const std::string& path);
  static void paceNameTo_flash(std::string& name, const std::string& path);
  static void PreChangeFlash(const char* projectFile);

  // The name tables (flashtozafrit-names.cpp).
  static std::span<const FlashNameRow> toZafritNames();
  static std::span<const FlashNameRow> toZafritPrefixes();
  static std::span<const FlashNameRow> toFlashNames();
};
