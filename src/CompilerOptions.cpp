// The options of one compile: the project command with its option literals,
// the library source folders, the engine module, the `-define` constants and
// the path tests the rest of the compiler asks.
#include "CompilerOptions.h"

#include <cstdio>
#include <cstring>

#include "OneScriptFile.h"
#include "globals.h"
#include "message.h"
#include "platform.h"
#include "xfilemethod.h"
#include "xstringmethod.h"

// Process-wide state of this unit: filled once by `read` and the project
// readers, read by every later step, reset by resetCompilerOptions.
CompilerOptions _ompilerOptions_;
std::string projectFileNBame;
bool CompilerOptions::ReservedComment = false;
bool __ISDEBUG__ = false;
bool __ISRELEASE__ = false;
bool __ISTOTS = false;

namespace {

// What the option literals decide besides the fields of the options object.
struct OptionScan {
  CompilerOptions& options;
  std::string libraryRoot = "libs";  // folder of the emulation library, below the program's folder
  bool allLibrary = false;           // ";outalllib=true": a library-off compile keeps every file
};

// One option literal of the project command. `apply` runs for every literal,
// found or not: `at` is where the literal stands in the options text (npos
// when absent) and `value` the text after it up to the next ';'.
struct OptionLiteral {
  const char* literal;
  void (*apply)(OptionScan& scan, size_t at, const std::string& value);
};

constexpr size_t npos = std::string::npos;

// The literals in the order they are looked up; each must follow a ';'.
// ";closures=false;" and ";ts=true;" include their closing ';'.
const OptionLiteral kOptionLiterals[] = {
    {";onlyruvoplayer=true",
     [](OptionScan& s, size_t at, const std::string&) {
       if (at == npos) return;
       s.options.onlyPlayer = true;
       __MYPRINTF__("Only run in Ruvo.Player;\r\n");
     }},
    {";chromerun=false",
     [](OptionScan& s, size_t at, const std::string&) {
       if (at != npos) s.options.chromeRun = false;
     }},
    {";zafritlib=",
     [](OptionScan& s, size_t at, const std::string& value) {
       if (at != npos) s.libraryRoot = value;
     }},
    {";enableDic=false",
     [](OptionScan& s, size_t at, const std::string&) {
       if (at != npos) s.options.enableDic = false;
     }},
    // Counts only behind another option: the first option of the command
    // never switches it on.
    {";outalllib=true",
     [](OptionScan& s, size_t at, const std::string&) {
       if (at != npos && at > 0) s.allLibrary = true;
     }},
    {";closures=false;",
     [](OptionScan& s, size_t at, const std::string&) {
       if (at != npos) s.options.closures = false;
     }},
    {";ts=true;",
     [](OptionScan&, size_t at, const std::string&) {
       if (at != npos) __ISTOTS = true;
     }},
    {";starthtml=",
     [](OptionScan& s, size_t at, const std::string& value) {
       if (at != npos) s.options.startHtml = value;
     }},
    {";subpath=",
     [](OptionScan& s, size_t at, const std::string& value) {
       if (at != npos) s.options.subPath = value + "/";
     }},
    {";WXApp=",
     [](OptionScan& s, size_t at, const std::string& value) {
       if (at != npos) s.options.WXApp = value;
     }},
    {";PostBuildCommand=",
     [](OptionScan& s, size_t at, const std::string& value) {
       if (at == npos) return;
       s.options.PostBuildCommand = value;
       ruvo_print("%s", postBuildNotice(value).c_str());
     }},
    // Reported only; a TypeScript compile is never a quick one.
    {";quickcompile=true",
     [](OptionScan&, size_t at, const std::string&) {
       ruvo_print("\r\nQuick Compile:%s\r\n", at != npos && !__ISTOTS ? "true" : "false");
     }},
    {";msgbox=true", [](OptionScan& s, size_t at, const std::string&) { s.options.msgBox = at != npos; }},
    {";zafrit=false",
     [](OptionScan& s, size_t at, const std::string&) {
       if (at != npos) {
         s.options.zafritLib = false;
       } else {
         s.options.zafritLib = true;
         CompilerOptions::ReservedComment = true;
       }
     }},
};

// Looked up after the library folder was handled, with its own report.
constexpr const char* kOutRuvoLiteral = ";outruvo=true";
// Read by the Windows program's window (it stays hidden), not by the compile.
constexpr const char* kWindowShowLiteral = ";windowshow=false";

// Names on standard error every piece of the options text that is not one
// of the literals: a mistyped name or value, or ";ts=true" and
// ";closures=false" without their closing ';'.
void reportUnknownOptions(const std::string& options) {
  std::vector<std::string> pieces;
  xstringmthod::splitstr(options.substr(1), ';', pieces);
  for (size_t i = 0; i < pieces.size(); ++i) {
    const std::string& piece = pieces[i];
    if (piece.empty()) continue;
    const bool closed = i + 1 < pieces.size();
    const std::string written = ";" + piece + (closed ? ";" : "");
    bool known = false;
    const char* needsClosing = nullptr;
    const char* readAs = nullptr;
    auto test = [&](const char* literal) {
      const std::string name = literal + 1;
      if (name.back() == '=')
        known = known || startsWith(piece, name);
      else if (name.back() == ';' && piece == name.substr(0, name.size() - 1)) {
        if (closed)
          known = true;
        else
          needsClosing = literal;
      } else {
        known = known || piece == name;
      }
      if (!readAs && written.find(literal) != npos) readAs = literal;
    };
    for (const OptionLiteral& option : kOptionLiterals) test(option.literal);
    test(kOutRuvoLiteral);
    if (ruvoPlatform().windows) test(kWindowShowLiteral);
    // Written closed elsewhere in the command, the option counts.
    if (known || (needsClosing && options.find(needsClosing) != npos)) continue;
    if (needsClosing)
      ruvo_error("ruvojs: the option \";%s\" counts only with its closing ';' (\"%s\"); it is ignored\n",
                 piece.c_str(), needsClosing);
    else if (readAs)
      ruvo_error("ruvojs: \";%s\" is not one of the options; it is read as \"%s\"\n", piece.c_str(), readAs);
    else
      ruvo_error("ruvojs: \";%s\" is not one of the options; it is ignored\n", piece.c_str());
  }
}

bool isAbsolute(const std::string& path) {
  return (!path.empty() && path[0] == '/') || (path.size() > 1 && path[1] == ':');
}

// A library folder: an absolute one stays, a relative one lies below the
// program's folder (a leading backslash dropped); normalised either way.
std::string libraryFolder(std::string folder) {
  if (!isAbsolute(folder)) {
    if (!folder.empty() && folder[0] == '\\') folder.erase(0, 1);
    folder = xfilemethod::getBinPath() + folder;
  }
  return xfilemethod::getFile_Path(folder);
}

bool startsWithEntry(const char* path, const std::vector<std::string>& entries) {
  if (!path) return false;
  for (const std::string& entry : entries)
    if (startsWith(path, entry)) return true;
  return false;
}

// The definition of one "-define=" or "-define+=" argument starting at
// `from`: it runs to the blanks before the next argument ("-...") or to the
// end, loses its blanks and whatever follows a numbered character
// (FlashDevelop joins its arguments with "&#xA;"). An '&' of the value
// itself, written "&amp;" and decoded before, stays.
std::string defineArgument(const std::string& piece, size_t from) {
  size_t first = piece.find_first_not_of(" \t", from);
  bool cutAtAmp = first != npos && piece[first] != '&';
  size_t stop = from;
  while (stop < piece.size()) {
    char c = piece[stop];
    if (c == '&' && cutAtAmp && piece.compare(stop, 2, "&#") == 0) break;
    if (c != ' ' && c != '\t') {
      ++stop;
      continue;
    }
    size_t next = stop;
    while (next < piece.size() && (piece[next] == ' ' || piece[next] == '\t')) ++next;
    if (next < piece.size() && piece[next] == '-') break;
    stop = next;
  }
  return xstringmthod::removechrs(piece.substr(from, stop - from), " \t");
}

}  // namespace

void CompilerOptions::read(const char* command, const char* librarySourceDir) {
  if (!command) command = "";
  MSGTO(MessageType::Info, "", 0, "Project command:%s", command);

  // The project file runs to the first ';'; the options text from there on.
  const char* semicolon = std::strchr(command, ';');
  bool hasOptions = semicolon && semicolon != command;
  std::string options;
  if (hasOptions) {
    projectFileNBame.assign(command, semicolon - command);
    options = semicolon;
  } else {
    projectFileNBame = command;
  }

  // A relative project file lies in the program's folder, not in the
  // working folder: said before anything is read or written.
  if (!projectFileNBame.empty() && !isAbsolute(projectFileNBame))
    ruvo_error("ruvojs: the project file \"%s\" is taken relative to the program's folder: %s\n",
               projectFileNBame.c_str(), absoluteProjectFile(projectFileNBame.c_str()).c_str());
  if (librarySourceDir && !isAbsolute(librarySourceDir))
    ruvo_error("ruvojs: the library folder \"%s\" is taken relative to the program's folder: %s\n",
               librarySourceDir, libraryFolder(librarySourceDir).c_str());
  if (hasOptions) reportUnknownOptions(options);

  OptionScan scan{*this};
  if (hasOptions) {
    for (const OptionLiteral& option : kOptionLiterals) {
      size_t at = options.find(option.literal);
      std::string value;
      if (at != npos) {
        size_t from = at + std::strlen(option.literal);
        size_t end = options.find(';', from);
        value = options.substr(from, end == npos ? npos : end - from);
      }
      option.apply(scan, at, value);
    }
  }
  __MYPRINTF__("Project configuration:%s.\r\n", projectFileNBame.c_str());

  // The emulation library goes first among the source folders.
  std::string librarySource =
      libraryFolder(librarySourceDir ? std::string(librarySourceDir) : scan.libraryRoot + "/zafrit/src/");
  if (zafritLib) {
    sourcePaths.push_back(librarySource);
  } else {
    __ISRELEASE__ = !scan.allLibrary;
    enableDic = false;
  }
  libraryAdded = zafritLib;
  std::string htmlLibrary = libraryFolder("libs/kresp/src/");
  std::string miniLibrary = libraryFolder("libs/ruvomini/src/");

  // The engine script as a module of its own.
  bool engineModule = false;
  if (hasOptions) {
    size_t at = options.find(kOutRuvoLiteral);
    outRuvo = at != npos;
    if (outRuvo && at > 0) MSGTO(MessageType::Info, "", 0, "outruvo=true includeFlash=%s ", zafritLib ? "true" : "false");
    if (zafritLib && outRuvo) {
      MSGTO(MessageType::Info, "", 0, "AddJsModule %s:", librarySource.c_str());
      OneScriptFile::AddJsModule(librarySource, "ruvo.js", true, false);
      engineModule = true;
    }
  }
  conditionSymbol = "JS";

  // A main module in module.def brings the engine module with it.
  std::string projectFile = absoluteProjectFile(projectFileNBame.c_str());
  if (LoadModuleDef(xfilemethod::getFilePath(projectFile.c_str()).c_str()) && !engineModule) {
    MSGTO(MessageType::Info, "", 0, "AddJsModule2 %s:", librarySource.c_str());
    OneScriptFile::AddJsModule(librarySource, "ruvo.js", true, false);
  }

  if (projectFileNBame.find(".as3proj") != npos) {
    readFDFile(projectFileNBame.c_str(), librarySource, htmlLibrary, miniLibrary);
  } else if (projectFileNBame.find(".actionScriptProperties") != npos) {
    readFBFile(projectFileNBame.c_str(), librarySource, htmlLibrary, miniLibrary);
  } else {
    // Without a project there is no main class and no output folder: a
    // compile would write its output into whatever folder it runs in.
    projectFailed = true;
    const std::string why = xfilemethod::whyNoText(projectFile);
    if (projectFileNBame.empty())
      ruvo_error("ruvojs: no project file is given\n");
    else if (!why.empty() && why != "is empty" && why != "holds only blanks")
      ruvo_error("ruvojs: the project file %s %s\n", projectFile.c_str(), why.c_str());
    else
      ruvo_error("ruvojs: %s is not a project file: its name must hold .actionScriptProperties or .as3proj\n",
                 projectFile.c_str());
    MSGTO(MessageType::Problem, "", 0, "Read FB err:%s", projectFileNBame.c_str());
    stopCompile(CompileStop::NoProject);
  }
  quickCompile = false;
}

// "-define=NS::name,value" and "-define+=NS::name,value" constants and the
// "-default-size width height" stage size, from arguments joined by ';'
// (FlashDevelop) or by blanks (Flash Builder).
void CompilerOptions::_addDefines(std::string arguments) {
  // The project files keep quotes in a string constant as XML entities
  // (-define+=CONFIG::version,&quot;'1.2'&quot;); their ';' must not split
  // the arguments, so they are decoded first. Line breaks (&#xA;) stay.
  for (const auto& [entity, text] : {std::pair<const char*, const char*>{"&quot;", "\""},
                                     {"&apos;", "'"},
                                     {"&lt;", "<"},
                                     {"&gt;", ">"},
                                     {"&amp;", "&"}})
    arguments = xstringmthod::replaceAll(arguments, entity, text);
  std::vector<std::string> pieces;
  xstringmthod::splitstr(arguments, ';', pieces);
  for (const std::string& piece : pieces) {
    for (size_t at = piece.find("-define"); at != npos; at = piece.find("-define", at + 7)) {
      size_t from;
      if (piece.compare(at, 8, "-define=") == 0)
        from = at + 8;
      else if (piece.compare(at, 9, "-define+=") == 0)
        from = at + 9;
      else
        continue;
      std::vector<std::string> parts;
      xstringmthod::splitstr(defineArgument(piece, from), ',', parts);
      if (parts.size() != 2) continue;
      // "'text'" is quoted for the command line as the compiler reads it:
      // the constant is the single-quoted string.
      std::string& value = parts[1];
      if (value.size() >= 4 && value.front() == '"' && value.back() == '"' && value[1] == '\'' &&
          value[value.size() - 2] == '\'')
        value = value.substr(1, value.size() - 2);
      defines[parts[0]] = value;
    }
    size_t size = piece.find("-default-size");
    if (size == npos) continue;
    // A size set by the project file before is kept.
    std::string rest = piece.substr(size + 13);
    size_t amp = rest.find('&');
    if (amp != npos) rest.resize(amp);
    // "-default-size 800 600", or the compiler's other spelling
    // "-default-size=800,600". The sizes are the numbers that follow; empty
    // words do not count, and another argument ends them (the start call of
    // the script takes them as they are written).
    std::vector<std::string> pieces, words;
    xstringmthod::splitstr(rest, " \t,=", pieces);
    for (const std::string& word : pieces) {
      if (word.empty()) continue;
      if (word.find_first_not_of("0123456789.") != npos || word.find_first_of("0123456789") == npos) break;
      words.push_back(word);
    }
    if (words.size() > 0 && stageWidth == "-1") stageWidth = words[0];
    if (words.size() > 1 && stageHeight == "-1") stageHeight = words[1];
    MSGTO(MessageType::Info, "", 0, "satge size:%s %s\r\n", stageWidth.c_str(), stageHeight.c_str());
  }
}

std::string CompilerOptions::inOutDir(const std::string& name) const {
  if (outDir.empty()) return name;
  return outDir.back() == '/' ? outDir + name : outDir + "/" + name;
}

bool CompilerOptions::excludeThisFile(const char* path) { return startsWithEntry(path, excludePaths); }

bool CompilerOptions::closeConstructorNullOptimization(const char* path) {
  return startsWithEntry(path, noNullOptimizationPaths);
}

std::string CompilerOptions::KeepVariableType(const char* typeName, bool suppress) {
  if (!keepVariableType || suppress || !typeName) return std::string();
  return std::string("/*") + typeName + "*/";
}

void resetCompilerOptions() {
  _ompilerOptions_ = CompilerOptions();
  projectFileNBame.clear();
  CompilerOptions::ReservedComment = false;
  __ISDEBUG__ = false;
  __ISRELEASE__ = false;
  __ISTOTS = false;
  DOCUMENTSPATH.clear();
  _DOCUMENTS_ = "${DOCUMENTS}";
}
