// The record of one source file: its text, its JavaScript, its place in the
// output order, its warnings and the classes and files it uses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ordered_map.h"

class OneScriptFile;
class TokenClass;
class TokenPackage;
class UseCLass;

class ScriptFile {
 public:
  std::string path;
  std::string text;
  std::string script;
  std::string endText;
  std::string furtherText;
  OneScriptFile* outputScript = nullptr;
  uint8_t parsed = 0;
  double orderWeight = 0;
  TokenClass* mainClass = nullptr;
  TokenPackage* package = nullptr;
  int32_t secondWeight = 0;
  std::vector<std::string> warnings;
  uint8_t hasPackage = 0;
  uint8_t engineFile = 0;
  int32_t usedMark = 0;
  OrderedMap<ScriptFile*> usedFiles;
  OrderedMap<UseCLass*> usedClasses;
  std::string packageName;
  uint8_t textFlag = 1;
  int64_t fileTime = 0;
  // Running number given by the front end before the tree is built.
  int32_t scriptIndex = 0;
  // The line (counted from 0) of a NUL byte in the file, where its text was
  // cut; -1 when it holds none. The file's tree reports it as a source error.
  int32_t nulLine = -1;
  // Set once the file's tree is built and its text let go (releaseText).
  uint8_t textReleased = 0;

  ScriptFile(const char* path, const char* text);

  static std::string FormatFileName(const std::string& path);
  // The text of the file's record, read and recorded on first use; empty for
  // a file that cannot be read or is Flash-only (which gets no record). The
  // reference stays valid while the record lives.
  static const std::string& LoadFile(const std::string& path);
  // The text of a source file as LoadFile reads it (UTF-16 and UTF-32 made
  // UTF-8, cut at a NUL byte), without a record or a message; false when the
  // file is missing, empty or unreadable.
  static bool readSourceText(const std::string& path, std::string& text);
  // Lets go of the text once the file's tree is built: the tokens hold texts
  // of their own, and a project's sources are megabytes. A later LoadFile
  // (a wildcard import that lists the folder, an include of the file) reads
  // the same bytes again, without a message.
  void releaseText();
  static bool RegClass(const std::string& fullName, const std::string& path);
  // Stores a file's JavaScript in its record; the text is moved in, so the
  // output exists once until it is assembled (the caller's copy is left empty).
  static void setScriptDec(const std::string& path, std::string&& script);
  std::string toWarning(int& counter);
  // Writes the text whole (temporary file, then rename); false when it cannot.
  static bool write(const std::string& path, const std::string& text);
  static bool thisFileUse(const std::string& text);
  void checkUse();
  static void checkUseFile();
  void saveToTsFile();

  static OrderedMap<ScriptFile*> LoadedFileMap;
  static PrefixOrderedMap<ScriptFile*> GlobalClassWidthFileMap;
  static PrefixOrderedMap<TokenPackage*> GlobalFunctionWidthFileMap;
  static OrderedMap<ScriptFile*> firstFiles;
};

// Clears the file records and their maps.
void resetScriptFiles();
