// Output scripts: the main ".max.js" script and the module scripts.
#pragma once

#include <string>
#include <vector>

#include "ordered_map.h"

class UseCLass;

class OneScriptFile {
 public:
  std::string name;
  // The script's body is its file scripts, then `text`.
  std::string text;
  // The JavaScript of the source files sent to this script, in order, each
  // after its file line. They stay the texts the formatter made: a script
  // that writes its own file writes them from there, and only a script
  // written into another one's file is joined into one text.
  std::vector<std::string> fileScripts;
  std::string classList;
  std::string outputPath;
  std::string packageList;
  std::string endScript;
  bool noCore = true;
  bool saved = false;
  OrderedMap<UseCLass*> usedClasses;

  static OneScriptFile* getOneScriptFile(const std::string& sourcePath);
  static void AddJsModule(const std::string& folder, const char* name, bool carriesCore, bool isMain);
  static void AddRuvoJsModule(const std::string& folder);
  static void EndInitScript();
  void endInitScript();
  static void AddEndScript();
  static void saveAll();
  // Appends the JavaScript of one source file (or its file line) to the body.
  void addFileScript(std::string&& script);
  const std::string& save();
  std::string toFlashJSHead();
  std::string importClassToString();

  static OrderedMap<OneScriptFile*> jsModleMap;
  static OneScriptFile* Main;
  static OneScriptFile* RuvoJs;
};

extern OneScriptFile MainOneScriptFile;
extern std::string CompileWarning;
extern std::string mergeScript;

void resetOutputScripts();
