// Output scripts: the main ".max.js" script and the module scripts.
#pragma once

#include <string>

#include "ordered_map.h"

class UseCLass;

class OneScriptFile {
 public:
  std::string name;
  std::string text;
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
