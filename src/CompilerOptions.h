// The one options object of a compile, the option reader and the project
// readers that fill it.
#pragma once

#include <string>
#include <vector>

#include "ordered_map.h"

class CompilerOptions {
 public:
  bool keepVariableType = false;
  OrderedMap<std::string> defines;
  bool flash3D = false;
  bool onlyPlayer = false;
  bool chromeRun = true;
  bool libraryAdded = true;
  bool zafritLib = true;
  bool outRuvo = false;
  bool enableDic = true;
  bool msgBox = false;
  bool closures = true;
  bool quickCompile = false;
  std::string conditionSymbol;
  std::string projectDir;
  std::string outName;
  std::string outDir;
  std::string mainStartCode;
  std::string PostBuildCommand;
  std::string mainFile;
  std::string stageWidth = "-1";
  std::string stageHeight = "-1";
  std::string libraryDir;
  std::string startHtml = "index.html";
  std::string subPath = "h5/";
  std::string WXApp;
  std::vector<std::string> sourcePaths;
  std::vector<std::string> excludePaths;
  std::vector<std::string> noNullOptimizationPaths;

  // Keep leading comments of classes and members in the output.
  static bool ReservedComment;

  CompilerOptions() = default;

  void read(const char* command, const char* librarySourceDir);
  void _addDefines(std::string arguments);
  bool excludeThisFile(const char* path);
  bool closeConstructorNullOptimization(const char* path);
  std::string KeepVariableType(const char* typeName, bool suppress);
  // A file of the output folder: `outDir` and the name, with one '/'
  // between them (an absolute output folder path of a Flash Builder
  // project has none at its end); the name alone without an output folder.
  std::string inOutDir(const std::string& name) const;
  void readCompilerOptions();
  void readFDFile(const char* projectFile, std::string librarySourceDir, std::string htmlLibraryDir,
                  std::string miniLibraryDir);
  void readFBFile(const char* projectFile, std::string librarySourceDir, std::string htmlLibraryDir,
                  std::string miniLibraryDir);

  // Set when the project file could not be read or is not a project: the
  // run then writes nothing.
  bool projectFailed = false;
};

extern CompilerOptions _ompilerOptions_;
extern std::string projectFileNBame;

// Output switches read everywhere.
extern bool __ISDEBUG__;
extern bool __ISRELEASE__;
extern bool __ISTOTS;
// (__SHOWDEBUG__ lives with the messages, see message.h.)

// Project-file scanner and the Flash Builder documents folder.
extern std::string DOCUMENTSPATH;
extern std::string _DOCUMENTS_;
std::string readFromeXML(std::string& text, const char* section, const char* element, const char* attribute,
                         std::vector<std::string>* list);
void readDOCUMENTSPATH(std::string& projectText);
// A Flash Builder source path entry with the path variables of the project's
// place resolved: "${PROJECT_LOC}" is the project folder (given with its
// trailing '/'), "${PARENT-n-PROJECT_LOC}" n folders up from it ("../" n times).
std::string projectLocationMacros(std::string entry, const std::string& projectFolder);
// An attribute value read by readFromeXML with its XML entities decoded
// (&amp;, &lt;, &gt;, &quot;, &apos; and numbered characters).
std::string xmlAttributeText(const std::string& value);
// The project file as an absolute, normalised path (a relative one lies in
// the program's folder).
std::string absoluteProjectFile(const char* projectFile);

// Main-class directives and module definitions. loadMainClass is false when
// the project has no document class (the compile is then stopped).
bool loadMainClass(std::string& mainFile, std::string& text);
bool LoadModuleDef(const char* projectFolder);

// Restores the start values of the options and switches.
void resetCompilerOptions();
