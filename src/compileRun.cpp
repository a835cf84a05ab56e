// The road of one compile: the options, the registries and the pre-scan,
// collect and parse, JavaScript out, order and assemble, save. It returns;
// the end of the run (endRun) then prints the summary and ends the process.
#include "compileRun.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "CompilerOptions.h"
#include "OneScriptFile.h"
#include "Quillet.h"
#include "TokenClass.h"
#include "TokenPackage.h"
#include "checkEnv.h"
#include "message.h"
#include "parse.h"
#include "platform.h"
#include "scriptfile.h"
#include "xfilemethod.h"
#include "xstringmethod.h"

namespace {

// The warnings counter of the run (numbers the files' warnings as they are
// joined); reset by resetCompileRun.
int CompileCOUNT_ = 0;

std::string pathOf(const TokenClass* cls) { return cls && cls->file ? cls->file->path : std::string(); }

ScriptFile* recordOf(const TokenClass* cls) { return cls && cls->file ? cls->file->scriptFile : nullptr; }

bool isFolderEntry(const std::string& entry) { return !entry.empty() && entry.back() == '/'; }

// The class names of every source folder, before any file is parsed.
void preScanSources() {
  for (const std::string& entry : _ompilerOptions_.sourcePaths)
    TokenPackage::ParseOnlyClassEx(entry.c_str(), isFolderEntry(entry));
}

// The files of every source entry: a folder's files, or the file itself.
// A class path of the project that names no folder is said on standard
// error (a mistyped or moved folder: its classes are missing from the
// script); the library folder has a report of its own.
void collectSources(Quillet& front) {
  const std::string library = xfilemethod::getFile_Path(_ompilerOptions_.libraryDir);
  for (const std::string& entry : _ompilerOptions_.sourcePaths) {
    if (!isFolderEntry(entry)) {
      front.addFile(entry.c_str());
      continue;
    }
    const std::string folder = entry.substr(0, entry.size() - 1);
    if (!xfilemethod::pathExist(folder) && xfilemethod::getFile_Path(folder) != library &&
        xfilemethod::getFile_Path(entry) != library)
      ruvo_error("ruvojs: the source folder %s does not exist: no class is taken from it\n", folder.c_str());
    front.addPath(folder.c_str());
  }
}

// A run that would write a script that cannot start says so: the library
// on without any library class (the script calls Ruvo.Main, which the
// library defines), or a main file that gave no tree.
void reportUnusableScript(const Quillet& front) {
  const CompilerOptions& o = _ompilerOptions_;
  if (o.zafritLib && !o.libraryDir.empty()) {
    const std::string folder = xfilemethod::getFile_Path(o.libraryDir);
    bool any = false;
    for (const std::string& path : front.files) any = any || startsWith(path, folder);
    if (!any)
      MSGTO(MessageType::Problem, o.libraryDir.c_str(), 0,
            "No library class in %s: the script needs the library to start (Ruvo.Main); compile with ;zafrit=false "
            "for a script without it",
            o.libraryDir.c_str());
  }
  if (o.mainFile.empty()) return;
  ScriptFile* main = ScriptFile::LoadedFileMap.get(ScriptFile::FormatFileName(o.mainFile), nullptr);
  // A main file outside the source folders (or named in another case where
  // names keep their case), or one whose public class no compiled file
  // declared: the script would start nothing.
  if (!main || (main->parsed && !TokenClass::__pMainClass__)) {
    MSGTO(MessageType::Problem, o.mainFile.c_str(), 0, "Main class file not compiled:%s", o.mainFile.c_str());
    return;
  }
  if (main->parsed) return;
  const char* why = main->text.empty() ? "it is empty or could not be read"
                    : !main->hasPackage         ? "it holds no package declaration (is it ActionScript text?)"
                                                : "it is left out of the compile";
  MSGTO(MessageType::Problem, o.mainFile.c_str(), 0, "The main file is not compiled: %s", why);
}

// The records of the files that have output, in the records' order.
std::vector<ScriptFile*> filesWithOutput() {
  std::vector<ScriptFile*> files;
  for (auto& [path, record] : ScriptFile::LoadedFileMap)
    if (record && (!record->script.empty() || !record->endText.empty())) files.push_back(record);
  return files;
}

void writeTypeScriptFiles(const std::vector<ScriptFile*>& files) {
  if (!__ISTOTS) return;
  for (ScriptFile* record : files) record->saveToTsFile();
}

// The 3D part of the library is compiled only when the main class asks for it.
void leaveOutFlash3DUnlessUsed() {
  CompilerOptions& o = _ompilerOptions_;
  if (o.flash3D) return;
  MSGTO(MessageType::Info, "", 0, "Disable Flash3D %s", o.mainFile.c_str());
  o.excludePaths.push_back(o.libraryDir + "zafrit/display3D");
  for (std::string& e : o.excludePaths) e = xfilemethod::getFile_Path(e);
}

// Library classes rank first: the method helpers, then the basic classes,
// then the rest of the library, then the project's own classes.
void applyLibraryTiers(TokenClass* cls, ScriptFile* record) {
  const std::string& n = cls->fullName;
  auto raise = [&](int32_t key, double weight) {
    if (cls->orderKey <= key - 1) cls->orderKey += key;
    if (record && record->orderWeight < weight) record->orderWeight += weight;
    cls->libraryClass = 1;
  };
  if (startsWith(n, "zafrit.method.") || n == "Browser") {
    raise(100000000, 1e8);
    return;
  }
  if (n == "Ruvo" || n == "int" || n == "Number" || startsWith(n, "zafrit.events.") ||
      startsWith(n, "zafrit.utils.") || startsWith(n, "zafrit.ruvo.utils."))
    raise(1000000, 1e6);
  if (startsWith(n, "zafrit.") || startsWith(n, "mx.core.")) raise(10000, 1e4);
}

// The class ranks: the depth of each class, the library tiers and a raise
// for the files of public classes without a base; sorted highest first.
std::vector<TokenClass*> rankClasses() {
  std::vector<TokenClass*> classes;
  TokenClass::beginExtendsDepthBatch();
  for (auto& [name, cls] : TokenClass::_classMap_()) {
    if (!cls || _ompilerOptions_.excludeThisFile(pathOf(cls).c_str())) continue;
    cls->makeExtendsDeph();
    ScriptFile* record = recordOf(cls);
    if (record && record->orderWeight < 1) record->orderWeight = 100 - cls->extendsDepth;
    applyLibraryTiers(cls, record);
    classes.push_back(cls);
  }
  TokenClass::endExtendsDepthBatch();
  for (auto& [name, cls] : TokenClass::_classMap_()) {
    if (!cls || !cls->superName.empty() || !(cls->flags & TokenModifierFlags::Public)) continue;
    if (ScriptFile* record = recordOf(cls)) record->orderWeight += 100;
  }
  std::stable_sort(classes.begin(), classes.end(), [](const TokenClass* a, const TokenClass* b) {
    if (SortByM1(a, b)) return true;
    if (SortByM1(b, a)) return false;
    return pathOf(a) < pathOf(b);
  });
  return classes;
}

std::string packageKeyOf(const std::string& fullName) {
  size_t dot = fullName.rfind('.');
  return (dot == std::string::npos || dot == 0) ? fullName : fullName.substr(0, dot);
}

// The init lists and the package lists of the output scripts.
void buildClassAndPackageLists(const std::vector<TokenClass*>& classes, const std::vector<ScriptFile*>& files) {
  OrderedMap<std::string> packages;
  for (TokenClass* cls : classes) {
    ScriptFile* record = recordOf(cls);
    if (cls->systemUseStatic && !cls->fullName.empty() && record && record->usedMark >= 0)
      OneScriptFile::getOneScriptFile(pathOf(cls))->classList += cls->miniName + ",";
    if (!cls->fullName.empty() && (!__ISRELEASE__ || (record && record->usedMark >= 0)))
      packages[packageKeyOf(cls->fullName)] = pathOf(cls);
  }
  OneScriptFile::EndInitScript();

  for (auto& [name, pkg] : TokenPackage::GetPakageMap()) {
    if (!pkg || !pkg->ownerFile) continue;
    ScriptFile* record = pkg->ownerFile->scriptFile;
    if (__ISRELEASE__ && record && record->usedMark < 0) continue;
    packages[name] = pkg->ownerFile->path;
  }
  for (ScriptFile* record : files) {
    if (__ISRELEASE__ && record->usedMark < 0) continue;
    if (_ompilerOptions_.excludeThisFile(record->path.c_str())) continue;
    if (!record->packageName.empty()) packages[record->packageName] = record->path;
  }

  // A package whose sub-package is listed is created by it already.
  std::vector<std::string> keys;
  for (auto& kv : packages) keys.push_back(kv.first);
  std::sort(keys.begin(), keys.end());
  for (size_t i = 0; i < keys.size(); ++i) {
    // With the keys sorted, every key that begins with K + "." follows K.
    std::string prefix = keys[i] + ".";
    for (size_t j = i + 1; j < keys.size() && keys[j].compare(0, keys[i].size(), keys[i]) == 0; ++j) {
      if (startsWith(keys[j], prefix.c_str())) {
        packages[keys[i]] = "";
        break;
      }
    }
  }
  for (auto& [key, path] : packages) {
    if (key == "zafrit.utils" || key == "zafrit" || path.empty()) continue;
    OneScriptFile::getOneScriptFile(path)->packageList += "'" + key + "',";
  }
}

std::string mainCall() {
  const CompilerOptions& o = _ompilerOptions_;
  if (!o.zafritLib) return o.mainStartCode;
  std::string call = "\r\n\tRuvo.Main(function(){";
  if (o.mainStartCode.size() >= 2) call += o.mainStartCode + ";";
  if (o.mainFile.empty()) call += "Ruvo.iruvo.onInit();";
  return call + "});\r\n";
}

// Every file goes to its output script and gets its final weight; the files
// are sorted heaviest first, the order in which they are joined.
void placeFiles(std::vector<ScriptFile*>& files) {
  for (ScriptFile* record : files) {
    record->outputScript = OneScriptFile::getOneScriptFile(record->path);
    if (record->usedMark >= 0)
      for (auto& [key, use] : record->usedClasses) record->outputScript->usedClasses[key] = use;
    if (!record->mainClass) record->orderWeight += 1e8;
    if (record->orderWeight <= 1) {
      size_t z = record->path.find("/zafrit/");
      if (z != std::string::npos && z > 0)
        record->orderWeight += 10000;
      else {
        size_t m = record->path.find("/mx/core/");
        if (m != std::string::npos && m > 0) record->orderWeight += 10000;
      }
    }
  }
  std::stable_sort(files.begin(), files.end(), [](const ScriptFile* a, const ScriptFile* b) {
    if (SortByExtenedDeph(a, b)) return true;
    if (SortByExtenedDeph(b, a)) return false;
    return a->path < b->path;
  });
}

// The warnings and the scripts of the files, in order, joined into their
// output scripts.
void joinFiles(const std::vector<ScriptFile*>& files) {
  // The scripts of a project are megabytes: each file's script is handed on
  // as it is, not copied into the output script's text.
  auto written = [](const ScriptFile* record) {
    return !(__ISRELEASE__ && record->usedMark == -1) && !_ompilerOptions_.excludeThisFile(record->path.c_str());
  };
  for (ScriptFile* record : files) {
    if (!written(record)) continue;
    CompileWarning += record->toWarning(CompileCOUNT_);
    OneScriptFile* out = record->outputScript;
    // The console program marks where each file's code begins; the Windows
    // program writes no such line.
    if (!ruvoPlatform().windows) {
      char weights[128];
      snprintf(weights, sizeof weights, "%f/%f", record->orderWeight,
               static_cast<double>(record->secondWeight) + record->orderWeight);
      out->addFileScript("\t//file:///" + record->path + "=======" + weights + "\r\n");
    }
    out->addFileScript(std::move(record->script));
    record->script.clear();  // the output script holds it now
    out->endScript += record->endText;
  }
}

// The end scripts, the init call and the main call close the output scripts.
void closeOutputScripts() {
  OneScriptFile::AddEndScript();
  MainOneScriptFile.endInitScript();
  MainOneScriptFile.text += MainOneScriptFile.classList + mainCall();
  MainOneScriptFile.classList.clear();
  MainOneScriptFile.outputPath = _ompilerOptions_.outName + ".max.js";
  // A main module without its engine module (module.def broken after its
  // main entry) holds the core, its classes and the main script: it is
  // written under the main script's name, the file the page loads.
  if (OneScriptFile::Main && !OneScriptFile::RuvoJs) OneScriptFile::Main->outputPath = MainOneScriptFile.outputPath;
}

// The line of the page that loads one script. A file name is an address
// there: the bytes that would end the attribute or read as a query, a
// fragment or an escape ("Tom's Quest", "Level #2") are written as %XX;
// other names stand as they are.
std::string scriptLine(const std::string& file) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string address;
  for (char c : file) {
    switch (c) {
      case '\'':
      case '"':
      case '<':
      case '>':
      case '#':
      case '?':
      case '%':
        address += '%';
        address += kHex[static_cast<unsigned char>(c) >> 4];
        address += kHex[c & 0xF];
        break;
      default:
        address += c;
    }
  }
  return "<script src='" + address + "' loader='ruvo'></script>\r\n";
}

std::string pageText() {
  const CompilerOptions& o = _ompilerOptions_;
  std::string t =
      "<html>\r\n"
      "<head>\r\n"
      "\t<meta charset='utf-8'/>\r\n"
      "\t<title>www.ruvojs.com</title>\r\n"
      "    <meta name='renderer' content='webkit'>\r\n"
      "\t<meta name='viewport' content='width=device-width,initial-scale=1.0,minimum-scale=1.0,maximum-scale=1.0,"
      "user-scalable=no'/>\r\n"
      "\t<meta name='apple-mobile-web-app-capable' content='yes' />\r\n"
      "\t<meta name='full-screen' content='true' />\r\n"
      "\t<meta name='x5-fullscreen' content='true' />\r\n"
      "\t<meta name='360-fullscreen' content='true' />\r\n"
      "\t<meta http-equiv='expires' content='0' />\r\n"
      "\t<meta name='ruvo' screenorientation='landscape' />\r\n"
      "\t<meta http-equiv='X-UA-Compatible' content='IE=edge,chrome=1'>\r\n"
      "\t<meta http-equiv='expires' content='0' />\r\n"
      "\t<meta http-equiv='Cache-Control' content='no-siteapp' />\r\n"
      "</head>\r\n"
      "<body style='margin:0;overflow:none;overflow-x:hidden;overflow-y:hidden;background-color: #000;'>\r\n";
  // A main module's file holds the engine and the main script, which then
  // are not written; the other module scripts follow it, as they are built
  // on the runtime core it carries. An engine script of its own carries the
  // core instead: it comes first, then the modules, then the main script,
  // which starts the game at its end.
  OneScriptFile* mainModule = OneScriptFile::Main;
  std::string modules;
  std::vector<OneScriptFile*> listed;
  for (const auto& [folder, script] : OneScriptFile::jsModleMap) {
    if (!script || script == mainModule || script == OneScriptFile::RuvoJs || script->outputPath.empty()) continue;
    if (std::find(listed.begin(), listed.end(), script) != listed.end()) continue;
    listed.push_back(script);
    modules += scriptLine(script->outputPath);
  }
  if (mainModule) {
    t += scriptLine(mainModule->outputPath) + modules;
  } else if (o.outRuvo && OneScriptFile::RuvoJs) {
    t += scriptLine("ruvo.js") + modules;
    t += scriptLine(o.outName + ".max.js");
  } else {
    t += scriptLine(o.outName + ".max.js") + modules;
  }
  t += "</body>\r\n</html>";
  return t;
}

void writePageIfMissing(const std::string& path, const std::string& text, bool report) {
  int64_t size = xfilemethod::getFileSize(path);
  if (size == 0 && !ScriptFile::write(path, text)) {
    MSGTO(MessageType::Problem, path.c_str(), 0, "Can not write file:%s (%s)", path.c_str(), xfilemethod::lastWriteError().c_str());
    return;
  }
  if (report) MSGTO(MessageType::PageWritten, path.c_str(), static_cast<int>(size), "%s", "");
}

// The page that loads the joined script, and the start page: each written
// only when it does not exist yet.
void writePages() {
  const CompilerOptions& o = _ompilerOptions_;
  std::string page = pageText();
  std::string pagePath = o.outName + ".max.html";
  if (pagePath.size() < 2 || pagePath[1] != ':') pagePath = o.inOutDir(pagePath);
  writePageIfMissing(pagePath, page, true);
  writePageIfMissing(o.inOutDir(o.startHtml), page, false);
}

// The summary of a saved compile: the collected warnings in the log, the
// error or warnings box, the start page opened and the post-build command
// started (the Windows program).
void reportSummary() {
  const CompilerOptions& o = _ompilerOptions_;
  std::string stars(78, '*');
  std::string mainScript = o.outName + ".max.js";
  if (CompileWarning.size() > 1) {
    __MYPRINTF__("%s\r\n", stars.c_str());
    __MYPRINTF__("Error or warning message:%s\r\n", mainScript.c_str());
    __MYPRINTF__("%s", CompileWarning.c_str());
  }
  __MYPRINTF__("%s\r\n", stars.c_str());

  const RuvoPlatform& platform = ruvoPlatform();
  if (ERRCOUNT > 0 && ErrBox) {
    std::string text = "Ruvo Compiler As3 to JavaScript err,count:" + std::to_string(ERRCOUNT) + "\r\n" + AS3ERR;
    ErrBox(text.c_str(), "Ruvo Compiler err!");
  } else {
    if (MsgBox && CompileWarning.size() > 1) {
      std::string text = "Error or warning message:" + mainScript + "\r\n";
      MsgBox(text.c_str(), "Ruvo Compiler");
    }
    // The Windows program opens the start page when no error box was shown.
    if (platform.windows && o.chromeRun && platform.openStartPage)
      platform.openStartPage(o.inOutDir(o.startHtml).c_str());
  }

  // The Windows program starts the post-build command (the console program's
  // option reader has only printed it).
  if (platform.windows && !o.PostBuildCommand.empty()) {
    if (platform.startCommand) platform.startCommand(o.PostBuildCommand.c_str());
    ruvo_print("%s", postBuildNotice(o.PostBuildCommand).c_str());
  }
}

}  // namespace

void seedClassRegistries() {
  auto& mini = TokenClass::_MiniClassMap_();
  for (const char* name : {"MC", "XML", "XMLList", "Window", "Document", "WebSocket", "Audio"}) mini[name] = 1;
  const char* pairs[][2] = {{"MC", "Image"},       {"XML", "Image"},           {"XMLList", "Image"},
                            {"Window", "Window"},  {"Document", "Document"},   {"WebSocket", "WebSocket"},
                            {"Audio", "Audio"}};
  for (auto& p : pairs) TokenClass::_addToOnlyClassNameMap_(p[0], p[1]);
  if (_ompilerOptions_.zafritLib) {
    mini["Image"] = 1;
    TokenClass::_addToOnlyClassNameMap_("Image", "Image");
  }
  // The main script carries the runtime core unless a module script takes it.
  MainOneScriptFile.noCore = false;
}

bool SortByM1(const TokenClass* a, const TokenClass* b) { return a->orderKey > b->orderKey; }

bool SortByExtenedDeph(const ScriptFile* a, const ScriptFile* b) {
  return static_cast<double>(a->secondWeight) + a->orderWeight >
         static_cast<double>(b->secondWeight) + b->orderWeight;
}

void outAllErr() {
  for (ScriptErr* err : ScriptErr::__ERRS) {
    ScriptFile* record = err->file ? err->file->scriptFile : nullptr;
    if (__ISRELEASE__ && record && record->usedMark < 0) continue;
    if (err->token) err->token->_scriptErr(err->file, err->message.c_str(), err->showSource);
  }
}

CompileStop compileSources(Quillet& front) {
  // Registries and pre-scan: the browser's names, then the class names of
  // every source folder.
  seedClassRegistries();
  preScanSources();
  // Collect and parse: every source file, each base class's file first.
  collectSources(front);
  front.withFiles(front.files);
  if (compileStop() != CompileStop::None) return compileStop();
  // JavaScript out: the script of every parsed file, into its record.
  front.allToJs();
  reportUnusableScript(front);
  std::vector<ScriptFile*> files = filesWithOutput();
  writeTypeScriptFiles(files);
  // Order and assemble: rank the classes, list them and their packages,
  // order the files, send the source errors, join the files into the output
  // scripts and close them.
  leaveOutFlash3DUnlessUsed();
  std::vector<TokenClass*> classes = rankClasses();
  ScriptFile::checkUseFile();
  buildClassAndPackageLists(classes, files);
  placeFiles(files);
  outAllErr();
  joinFiles(files);
  closeOutputScripts();
  return CompileStop::None;
}

CompileStop compileRun(const char* projectFile, const char* libraryFolder) {
  CompilerOptions& o = _ompilerOptions_;
  // Options: the project file and the options after it, then the
  // directives of the main class file.
  o.read(projectFile, libraryFolder);
  if (compileStop() != CompileStop::None) return compileStop();
  if (o.msgBox) MsgBox = MessageBox1;
  MSGTO(MessageType::CompileStart, "", 0, "%s", "");
  o.readCompilerOptions();
  // Registries and pre-scan, collect and parse, JavaScript out, order and
  // assemble.
  Quillet front;
  if (compileSources(front) != CompileStop::None) return compileStop();
  // Save: the output scripts, then the pages that load them.
  OneScriptFile::saveAll();
  writePages();
  return CompileStop::None;
}

void endRun(CompileStop stop) {
  switch (stop) {
    case CompileStop::None:
      reportSummary();
      MSGTO(MessageType::RunEnd, "", 0, "%s", "");
      if (ruvoPlatform().windows) ruvoSleep(20);
      break;
    case CompileStop::NoProject:
    case CompileStop::NoDocumentClass:
      // The reason was sent; the end-of-run message follows it.
      MSGTO(MessageType::RunEnd, "", 0, "%s", "");
      break;
    case CompileStop::UndeclaredBase:
      // The message box said it; the run ends at once.
      break;
  }
  ruvoEndProcess();
}

void resetCompileRun() { CompileCOUNT_ = 0; }
