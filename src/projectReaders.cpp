// The project file readers: Flash Builder `.actionScriptProperties` and
// FlashDevelop `.as3proj` projects, read by a small text scanner, give the
// source folders, the main class file, the output folder and the compiler
// arguments of a compile.
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "CompilerOptions.h"
#include "OneScriptFile.h"
#include "checkEnv.h"
#include "globals.h"
#include "message.h"
#include "xfilemethod.h"
#include "xstringmethod.h"

// The Flash Builder documents folder, resolved at most once per run (owner:
// this unit; reset by resetCompilerOptions).
std::string DOCUMENTSPATH;
std::string _DOCUMENTS_ = "${DOCUMENTS}";

namespace {

constexpr size_t npos = std::string::npos;

bool isAbsolute(const std::string& path) {
  return (!path.empty() && path[0] == '/') || (path.size() > 1 && path[1] == ':');
}

// A path read from a project: an absolute one stays, any other lies in the
// project folder (which ends with '/'). Normalised either way, and without
// the doubled separator that "${PARENT-1-PROJECT_LOC}/lib" leaves behind
// once its macro became "../".
std::string resolveInProject(const std::string& projectFolder, const std::string& path) {
  std::string resolved = xfilemethod::getFile_Path(isAbsolute(path) ? path : projectFolder + path);
  std::string out;
  for (char c : resolved)
    if (c != '/' || out.empty() || out.back() != '/') out += c;
  return out;
}

void ensureSlash(std::string& folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
}

// The folder of an absolute, normalised file path, with its trailing '/'.
std::string folderOf(const std::string& file) {
  size_t slash = file.rfind('/');
  return slash == npos ? std::string() : file.substr(0, slash + 1);
}

// The name after the last '/' without its last `suffix` characters.
std::string baseName(const std::string& file, size_t suffix) {
  size_t slash = file.rfind('/');
  std::string name = slash == npos ? file : file.substr(slash + 1);
  name.resize(name.size() > suffix ? name.size() - suffix : 0);
  return name;
}

std::string blankCommentsAndCdata(const std::string& text);

// A path attribute of the project file (a folder or a file), read as the
// IDE meant it.
std::string readPath(std::string& text, const char* section, const char* element, const char* attribute) {
  return xmlAttributeText(readFromeXML(text, section, element, attribute, nullptr));
}

// The path attributes of every such element.
std::vector<std::string> readPaths(std::string& text, const char* section, const char* element,
                                   const char* attribute) {
  std::vector<std::string> paths;
  readFromeXML(text, section, element, attribute, &paths);
  for (std::string& path : paths) path = xmlAttributeText(path);
  return paths;
}

// True when the text holds the start tag of `root` (the element a project
// file of that kind is built around) outside its comments.
bool hasRoot(const std::string& projectText, const char* root) {
  const std::string text = blankCommentsAndCdata(projectText);
  std::string tag = std::string("<") + root;
  return text.find(tag + ">") != npos || text.find(tag + " ") != npos || text.find(tag + "\r") != npos ||
         text.find(tag + "\n") != npos || text.find(tag + "\t") != npos;
}

// The library folders a player-only compile ("type=compileOnlyPlayer:")
// leaves out, relative to the library source folder.
constexpr const char* kPlayerOnlyExcludedFolders[] = {
    "zafrit/ruvo/display/unit/",
    "zafrit/display/plug/",
    "zafrit/display/unit/",
};

void excludePlayerOnlyFolders(std::vector<std::string>& excludePaths, const std::string& librarySourceDir) {
  for (const char* folder : kPlayerOnlyExcludedFolders) excludePaths.push_back(librarySourceDir + folder);
}

// The module name a module.txt gives: the text between its first and its
// last double quote, or without two quotes its whole text, less the
// byte-order mark and the blanks and line end an editor saves around it
// (the name becomes a file name and a script address of the page).
std::string moduleNameOf(const std::string& moduleText) {
  size_t first = moduleText.find('"');
  size_t last = moduleText.rfind('"');
  if (first != npos && last != first) return moduleText.substr(first + 1, last - first - 1);
  std::string_view name = moduleText;
  if (startsWith(name, kUtf8Mark)) name.remove_prefix(kUtf8Mark.size());
  return std::string(trimmed(name));
}

// The constants of FlashDevelop's Compiler Constants box, which it keeps
// apart from the other arguments: one "NS::name,value" a line, the lines
// joined by &#xA; in the project file. Each is a -define+= argument, and
// the arguments are joined by ';'.
std::string compilerConstantArguments(const std::string& constants) {
  std::string lines = xstringmthod::replaceAll(xstringmthod::replaceAll(constants, "&#xD;", ""), "&#xA;", "\n");
  std::vector<std::string> pieces;
  xstringmthod::splitstr(lines, '\n', pieces);
  std::string arguments;
  for (const std::string& piece : pieces) {
    const size_t begin = piece.find_first_not_of(" \t\r");
    if (begin == npos) continue;
    arguments += "-define+=" + piece.substr(begin) + ";";
  }
  return arguments;
}

// Registers the module script of a source folder outside the project (its
// module.txt names the script) or the engine script of a library-off compile.
void sourcePathEntry(CompilerOptions& options, const std::string& given, const std::string& librarySourceDir,
                     const std::string& projectFolder, bool report) {
  // A folder named in another case than on disk lists its files under the
  // disk's spelling, the one the main file was resolved to.
  const std::string entry = xfilemethod::diskCase(given);
  if (entry == librarySourceDir || given == librarySourceDir) return;  // the library folder is in the list already
  options.sourcePaths.push_back(entry);
  if (report) MSGTO(MessageType::Info, "", 0, "compilerSourcePath %s\r\n", entry.c_str());
  bool isMainScript = OneScriptFile::getOneScriptFile(entry) == &MainOneScriptFile;
  if (given.find(projectFolder) == npos) {
    std::string moduleText;
    if (xfilemethod::readtxtfile(entry + "/module.txt", moduleText)) {
      std::string name = moduleNameOf(moduleText);
      if (name.find(".js") == npos) name += ".js";
      OneScriptFile::AddJsModule(entry, name.c_str(), false, false);
    } else if (options.outRuvo) {
      if (!options.zafritLib && isMainScript)
        OneScriptFile::AddRuvoJsModule(entry);
      else
        MSGTO(MessageType::MainScriptFolder, entry.c_str(), 0, "outlsys err:%s", isMainScript ? "true" : "false");
    }
  } else if (options.outRuvo && !options.zafritLib && entry.find("/libs/ruvo/src/") != npos && isMainScript) {
    OneScriptFile::AddRuvoJsModule(entry);
  }
}

// Stops the compile for a project file that cannot be read or is not a project:
// without one there is nothing sound to compile or write.
// Standard error says why: missing, empty, a folder, in UTF-16, or not a
// project of this kind.
void projectUnreadable(CompilerOptions& options, const char* format, const std::string& file, const char* root,
                       const char* kind) {
  options.projectFailed = true;
  std::string why = xfilemethod::whyNoText(file);
  if (why.empty()) why = std::string("holds no <") + root + "> element: it is not a " + kind + " project file";
  ruvo_error("ruvojs: the project file %s %s\n", file.c_str(), why.c_str());
  MSGTO(MessageType::Problem, "", 0, format, file.c_str());
  stopCompile(CompileStop::NoProject);
}

// The text with every comment ("<!-- ... -->") and CDATA section blanked,
// byte for byte, so that what they hold is no element: FlashDevelop's
// template comments out example elements, and users comment out a class
// path they no longer want. An unclosed one runs to the end of the text.
std::string blankCommentsAndCdata(const std::string& text) {
  std::string out = text;
  size_t from = 0;
  while ((from = out.find("<!", from)) != npos) {
    const char* close;
    if (out.compare(from, 4, "<!--") == 0)
      close = "-->";
    else if (out.compare(from, 9, "<![CDATA[") == 0)
      close = "]]>";
    else {
      from += 2;
      continue;
    }
    size_t end = out.find(close, from + 4);
    end = end == npos ? out.size() : end + std::strlen(close);
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(from), out.begin() + static_cast<std::ptrdiff_t>(end), ' ');
    from = end;
  }
  return out;
}

}  // namespace

// The Eclipse path variables of the project's own place in a Flash Builder
// source path entry: "${PARENT-1-PROJECT_LOC}" is "../", "${PARENT-2-PROJECT_LOC}"
// "../../" and so on, and "${PROJECT_LOC}" the project folder itself.
std::string projectLocationMacros(std::string entry, const std::string& projectFolder) {
  entry = xstringmthod::replaceAll(entry, "${PROJECT_LOC}", projectFolder.substr(0, projectFolder.size() - 1));
  const std::string head = "${PARENT-", tail = "-PROJECT_LOC}";
  for (size_t at = entry.find(head); at != npos; at = entry.find(head, at)) {
    const size_t digits = at + head.size();
    const size_t end = entry.find_first_not_of("0123456789", digits);
    if (end == digits || end == npos || end - digits > 3 || entry.compare(end, tail.size(), tail) != 0) {
      at = digits;
      continue;
    }
    std::string up;
    for (int n = std::stoi(entry.substr(digits, end - digits)); n > 0; --n) up += "../";
    entry.replace(at, end + tail.size() - at, up);
    at += up.size();
  }
  return entry;
}

// An attribute value as the IDE meant it: the tools write '&', '<', '>' and
// the quotes of a value as entities ("Art &amp; Sound") and may write any
// character as a number (&#x4E2D;, in UTF-8 here). Anything else that
// starts with '&' stays as it is.
std::string xmlAttributeText(const std::string& value) {
  static const std::pair<const char*, char> kNamed[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string out;
  for (size_t i = 0; i < value.size();) {
    if (value[i] != '&') {
      out += value[i++];
      continue;
    }
    bool named = false;
    for (const auto& [entity, c] : kNamed) {
      if (value.compare(i, std::strlen(entity), entity) == 0) {
        out += c;
        i += std::strlen(entity);
        named = true;
        break;
      }
    }
    if (named) continue;
    const size_t semicolon = value.find(';', i);
    const bool hex = value.compare(i, 3, "&#x") == 0 || value.compare(i, 3, "&#X") == 0;
    const size_t digits = i + (hex ? 3 : 2);
    if (value.compare(i, 2, "&#") == 0 && semicolon != npos && semicolon > digits && semicolon - digits <= 6 &&
        value.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789", digits) == semicolon) {
      const unsigned long code = std::stoul(value.substr(digits, semicolon - digits), nullptr, hex ? 16 : 10);
      if (code > 0 && code <= 0x10FFFF) {
        char bytes[8];
        out.append(bytes, CChineseCode::UnicodeToUTF8(static_cast<uint32_t>(code), bytes));
        i = semicolon + 1;
        continue;
      }
    }
    out += value[i++];
  }
  return out;
}

std::string absoluteProjectFile(const char* projectFile) {
  std::string path = projectFile ? projectFile : "";
  if (!isAbsolute(path)) path = xfilemethod::getBinPath() + "/" + path;
  return xfilemethod::getFile_Path(path);
}

// The value of `attribute` in the first `element` of `section` (or, without
// an element name, in the section's own start tag); with a list, the values
// of every such element are appended and the result is empty. Every search
// stays inside the text, whatever its shape; comments and CDATA sections
// are passed over.
std::string readFromeXML(std::string& projectText, const char* section, const char* element, const char* attribute,
                         std::vector<std::string>* list) {
  if (!section || !attribute) return std::string();
  const std::string text = blankCommentsAndCdata(projectText);
  std::string open = std::string("<") + section;
  size_t sectionStart = text.find(open + ">");
  if (sectionStart == npos) sectionStart = text.find(open + " ");
  if (sectionStart == npos) return std::string();
  size_t sectionEnd = text.find(std::string("</") + section + ">", sectionStart);
  if (sectionEnd == npos) return std::string();

  std::string elementOpen = element ? std::string("<") + element + " " : std::string();
  std::string key = std::string(attribute) + "=";
  // The next "/>" and the next key are remembered, so that a text of many
  // elements without them is still scanned once.
  size_t closeFrom = npos, closeAt = npos, keyFrom = npos, keyAt = npos;
  auto nextClose = [&](size_t pos) {
    if (closeFrom == npos || pos < closeFrom || (closeAt != npos && closeAt < pos)) {
      closeFrom = pos;
      closeAt = text.find("/>", pos);
    }
    return closeAt;
  };
  auto nextKey = [&](size_t pos) {
    if (keyFrom == npos || pos < keyFrom || (keyAt != npos && keyAt < pos)) {
      keyFrom = pos;
      keyAt = text.find(key, pos);
    }
    return keyAt;
  };
  size_t from = sectionStart;
  while (true) {
    size_t start, end;
    if (element) {
      start = text.find(elementOpen, from);
      if (start == npos || start >= sectionEnd) return std::string();
      end = nextClose(start);
    } else {
      start = sectionStart;
      end = text.find('>', start);
    }
    if (end == npos) end = text.size();
    size_t at = nextKey(start);
    if (at == npos || at >= end) {
      if (!element) return std::string();
      from = start + 1;
      continue;
    }
    size_t quote = text.find_first_of("'\"", at + key.size());
    if (quote == npos) return std::string();
    size_t close = text.find(text[quote], quote + 1);
    if (close == npos) return std::string();
    std::string value = text.substr(quote + 1, close - quote - 1);
    if (!list) return value;
    list->push_back(value);
    if (!element) return std::string();
    from = close + 1;
  }
}

// The documents folder of Flash Builder: the first recent workspace of the
// version the project was written by.
void readDOCUMENTSPATH(std::string& projectText) {
  if (!DOCUMENTSPATH.empty()) return;
  std::string version = readFromeXML(projectText, "actionScriptProperties", nullptr, "version", nullptr);
  std::vector<std::string> workspaces;
  if (version == "10") {
    if (ReadFbSetup(10, workspaces) && !workspaces.empty()) DOCUMENTSPATH = workspaces[0];
    if (!xfilemethod::pathExist(DOCUMENTSPATH) && ReadFbSetup(11, workspaces) && !workspaces.empty())
      DOCUMENTSPATH = workspaces[0];
  } else if (ReadFbSetup(12, workspaces) && !workspaces.empty()) {
    DOCUMENTSPATH = workspaces[0];
  }
}

void CompilerOptions::readFBFile(const char* projectFile, std::string librarySourceDir, std::string, std::string) {
  libraryDir = librarySourceDir;
  std::string file = absoluteProjectFile(projectFile);
  std::string projectFolder = folderOf(file);
  projectDir = projectFolder.substr(0, projectFolder.empty() ? 0 : projectFolder.size() - 1);

  excludePaths.push_back(librarySourceDir + "zafrit/ruvo/driver/flash/");
  if (onlyPlayer) excludePlayerOnlyFolders(excludePaths, librarySourceDir);

  std::string text;
  if (!xfilemethod::readtxtfile(file, text) || !hasRoot(text, "actionScriptProperties")) {
    projectUnreadable(*this, "Read FB err:%s", file, "actionScriptProperties", "Flash Builder");
    return;
  }

  // The output folder: a location (possibly in the Flash Builder documents
  // folder) or, without one, the output folder path.
  // The documents folder for a path of the project that names it. One that
  // no workspace list of Flash Builder gives is said on standard error, once:
  // the folders in it are then not where Flash Builder has them.
  bool documentsUnknownSaid = false;
  auto documentsFolder = [&](std::string& projectText) {
    readDOCUMENTSPATH(projectText);
    if (!DOCUMENTSPATH.empty() || documentsUnknownSaid) return;
    documentsUnknownSaid = true;
    ruvo_error("ruvojs: the Flash Builder documents folder (${DOCUMENTS}) is not known: no recent workspace of Flash "
               "Builder 4.5, 4.6 or 4.7 is listed under the home folder's Documents\n");
  };

  std::string location = readPath(text, "actionScriptProperties", "compiler", "outputFolderLocation");
  if (location.size() < 2) {
    std::string path = readPath(text, "actionScriptProperties", "compiler", "outputFolderPath");
    outDir = xfilemethod::getFile_Path(isAbsolute(path) ? path : projectFolder + path + "/" + subPath);
  } else {
    if (startsWith(location, "DOCUMENTS/")) {
      // Without a known documents folder the rest stays relative to the
      // project instead of landing in the file-system root.
      documentsFolder(text);
      location = DOCUMENTSPATH.empty() ? location.substr(10) : DOCUMENTSPATH + "/" + location.substr(10);
    }
    outDir = resolveInProject(projectFolder, location);
    ensureSlash(outDir);
    outDir += subPath;
  }
  MSGTO(MessageType::Info, "", 0, "output path:%s", outDir.c_str());

  std::string sourceFolder = readPath(text, "actionScriptProperties", "compiler", "sourceFolderPath");
  sourceFolder = xfilemethod::diskCase(
      xfilemethod::getFile_Path(isAbsolute(sourceFolder) ? sourceFolder : projectFolder + "/" + sourceFolder));
  sourcePaths.push_back(sourceFolder);

  mainFile = sourceFolder + "/" + readPath(text, "actionScriptProperties", nullptr, "mainApplicationPath");
  std::string mainText;
  if (!loadMainClass(mainFile, mainText)) return;
  outName = mainFile.find('/') == npos ? std::string("vendrix") : baseName(mainFile, 3);
  MSGTO(MessageType::Info, "", 0, "output file:%s", outName.c_str());

  for (std::string entry : readPaths(text, "compilerSourcePath", "compilerSourcePathEntry", "path")) {
    if (startsWith(entry, _DOCUMENTS_)) {
      documentsFolder(text);
      entry = xstringmthod::replaceAll(entry, _DOCUMENTS_, DOCUMENTSPATH);
      MSGTO(MessageType::Info, "", 0, "DOCUMENTS:%s", DOCUMENTSPATH.c_str());
      MSGTO(MessageType::Info, "", 0, "DOCUMENTS PATH:%s", entry.c_str());
    }
    entry = projectLocationMacros(entry, projectFolder);
    entry = resolveInProject(projectFolder, entry);
    ensureSlash(entry);
    sourcePathEntry(*this, entry, librarySourceDir, projectFolder, true);
  }
  for (std::string& path : sourcePaths) {
    ensureSlash(path);
    MSGTO(MessageType::Info, "", 0, "Compile Path:%s\r\n", path.c_str());
  }

  _addDefines(readFromeXML(text, "actionScriptProperties", "compiler", "additionalCompilerArguments", nullptr));
  for (std::string& path : excludePaths) path = xfilemethod::getFile_Path(path);
}

void CompilerOptions::readFDFile(const char* projectFile, std::string librarySourceDir, std::string htmlLibraryDir,
                                 std::string) {
  libraryDir = librarySourceDir;
  std::string file = absoluteProjectFile(projectFile);
  std::string projectFolder = folderOf(file);

  outName = baseName(file, 8);
  MSGTO(MessageType::Info, "", 0, "output file:%s", outName.c_str());
  outDir = projectFolder + "bin/" + subPath;
  MSGTO(MessageType::Info, "", 0, "output path:%s", outDir.c_str());
  projectDir = projectFolder.substr(0, projectFolder.empty() ? 0 : projectFolder.size() - 1);

  excludePaths.push_back(librarySourceDir + "zafrit/ruvo/driver/flash/");
  excludePaths.push_back(htmlLibraryDir + "kresp/driver/flash/");
  if (onlyPlayer) excludePlayerOnlyFolders(excludePaths, librarySourceDir);

  std::string text;
  if (!xfilemethod::readtxtfile(file, text) || !hasRoot(text, "project")) {
    projectUnreadable(*this, "Read FB:%s", file, "project", "FlashDevelop");
    return;
  }

  mainFile = resolveInProject(projectFolder, readPath(text, "compileTargets", "compile", "path"));
  std::string mainText;
  if (!loadMainClass(mainFile, mainText)) return;

  for (const std::string& path : readPaths(text, "classpaths", "class", "path")) {
    if (path.size() <= 1) continue;
    std::string entry = resolveInProject(projectFolder, path);
    ensureSlash(entry);
    sourcePathEntry(*this, entry, librarySourceDir, projectFolder, false);
  }

  _addDefines(compilerConstantArguments(readFromeXML(text, "build", "option", "compilerConstants", nullptr)));
  _addDefines(readFromeXML(text, "build", "option", "additional", nullptr));
  std::string width = readFromeXML(text, "output", "movie", "width", nullptr);
  std::string height = readFromeXML(text, "output", "movie", "height", nullptr);
  if (!width.empty()) stageWidth = width;
  if (!height.empty()) stageHeight = height;
  for (std::string& path : excludePaths) path = xfilemethod::getFile_Path(path);
}
