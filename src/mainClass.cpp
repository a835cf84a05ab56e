// The main class file and the module definitions of a project: the document
// class check, the directives a main class carries in a comment
// ("*[COMPILER OPTIONS:...]", "*[COMPILER WXAPP:...]") and module.def, which
// splits the output into several module scripts.
#include <string>
#include <vector>

#include "CompilerOptions.h"
#include "OneScriptFile.h"
#include "globals.h"
#include "message.h"
#include "platform.h"
#include "scriptfile.h"
#include "xfilemethod.h"
#include "xstringmethod.h"

namespace {

constexpr size_t npos = std::string::npos;

// Shows the text through the message-box hook when the host set one.
void showBox(const std::string& text) {
  if (MsgBox) MsgBox(text.c_str(), "compile err");
}

// The project has no document class to compile: the message box (when the
// host set one) and the message, then the compile stops. Returns false for
// loadMainClass to hand on.
bool noDocumentClass(const std::string& box, const std::string& message) {
  showBox(box);
  MSGTO(MessageType::Problem, "", 0, "%s", message.c_str());
  stopCompile(CompileStop::NoDocumentClass);
  return false;
}

}  // namespace

// Reads the project's main class file into `text`; false when there is no
// document class to compile (reported, and the compile stopped).
// A project compiled without the emulation library may name a Flash wrapper
// as its main file: a Sprite whose code calls "Window.start(this,Game)".
// The document class is then Game.as beside it, and the wrapper itself gets
// no output.
bool loadMainClass(std::string& mainFile, std::string& text) {
  mainFile = xfilemethod::diskCase(xfilemethod::getFile_Path(mainFile));
  text.clear();
  ScriptFile::readSourceText(mainFile, text);

  if (!_ompilerOptions_.zafritLib && !text.empty()) {
    size_t sprite = text.find("flash.display.Sprite", 1);
    size_t start = sprite == npos ? npos : text.find("Window.start", 1);
    if (start != npos) {
      _ompilerOptions_.excludePaths.push_back(mainFile);
      // "(this,Game);" splits into this, Game and what follows.
      std::vector<std::string> words;
      xstringmthod::splitstr(text.c_str() + start + 12, "(,) \r\n\t;{}", words);
      if (words.size() > 2 && words[0] == "this") {
        size_t slash = mainFile.rfind('/');
        std::string folder = slash == npos ? std::string() : mainFile.substr(0, slash + 1);
        mainFile = xfilemethod::diskCase(xfilemethod::getFile_Path(folder + words[1] + ".as"));
        text.clear();
        if (!ScriptFile::readSourceText(mainFile, text)) {
          const std::string message = "Load Document class file err:" + mainFile;
          return noDocumentClass(message, message);
        }
      } else {
        const std::string message =
            "Zintrel Document Class set err,exsample:Window.start(this,zintrelDocumentClass);";
        return noDocumentClass(message, message);
      }
    }
  }

  if (text.empty()) {
    // The message names no file; standard error says which file was looked for.
    std::string why = xfilemethod::whyNoText(mainFile);
    if (why.empty()) why = "gives no text";
    if (!mainFile.empty() && mainFile.back() == '/') why += " (the project names no main class file)";
    ruvo_error("ruvojs: no document class: the main class file %s %s\n", mainFile.c_str(), why.c_str());
    return noDocumentClass("must set Document Class!", "No Document Class");
  }
  MSGTO(MessageType::Info, "", 0, "Main Class:%s", mainFile.c_str());
  return true;
}

void CompilerOptions::readCompilerOptions() {
  std::string text;
  if (mainFile.empty() || !ScriptFile::readSourceText(mainFile, text)) return;

  // The mini-game page name; a directive at the very first byte is not one.
  const std::string wxapp = "*[COMPILER WXAPP:";
  size_t at = text.find(wxapp);
  if (at != npos && at > 0) {
    size_t from = at + wxapp.size();
    size_t close = text.find(']', from);
    if (close != npos && close > from) WXApp = text.substr(from, close - from);
  }

  const std::string directive = "*[COMPILER OPTIONS:";
  at = text.find(directive);
  if (at == npos) return;
  size_t from = at + directive.size();
  size_t close = text.find(']', from);
  if (close == npos) return;
  std::string options = text.substr(from, close - from);
  if (options.find("showdebug") != npos) __SHOWDEBUG__ = true;
  if (startsWith(options, "debug")) {
    __ISDEBUG__ = true;
    __ISRELEASE__ = false;
    MSGTO(MessageType::Info, "", 0, "Compiler options:debug");
  }
  if (startsWith(options, "normal")) {
    __ISDEBUG__ = false;
    __ISRELEASE__ = false;
    MSGTO(MessageType::Info, "", 0, "Compiler options:normal");
  }
  if (startsWith(options, "release")) {
    __ISDEBUG__ = false;
    __ISRELEASE__ = true;
    MSGTO(MessageType::Info, "", 0, "Compiler options:release");
  }
}

// module.def: entries `module "name" path "folder"`, a main entry written
// `mainmodule`. Each entry sends the files of its folder into "js/name.js".
bool LoadModuleDef(const char* projectFolder) {
  std::string folder = projectFolder ? projectFolder : "";
  std::string text;
  if (!xfilemethod::readtxtfile(folder + "module.def", text)) return false;

  bool hasMain = false;
  size_t pos = 0;
  while (true) {
    size_t keyword = text.find("module", pos);
    if (keyword == npos) break;
    bool isMain = keyword >= 4 && text.compare(keyword - 4, 4, "main") == 0;
    size_t nameOpen = text.find('"', keyword + 6);
    size_t nameClose = nameOpen == npos ? npos : text.find('"', nameOpen + 1);
    if (nameClose == npos) {
      ruvo_print("%s\n", moduleDefError());
      return false;
    }
    size_t path = text.find("path", nameClose + 1);
    if (path == npos) break;
    size_t folderOpen = text.find('"', path + 4);
    size_t folderClose = folderOpen == npos ? npos : text.find('"', folderOpen + 1);
    if (folderClose == npos) {
      ruvo_print("%s\n", moduleDefError());
      return false;
    }
    std::string name = text.substr(nameOpen + 1, nameClose - nameOpen - 1);
    std::string moduleFolder = text.substr(folderOpen + 1, folderClose - folderOpen - 1);
    // Absolute folders (a drive or a leading '/') stay; others lie in the project.
    // The folder is a key that source paths are matched against, and those
    // are listed in the file system's spelling: a project or a module folder
    // named in another case (Windows) must still take its files.
    bool absolute = moduleFolder.find(':') != npos || (!moduleFolder.empty() && moduleFolder[0] == '/');
    moduleFolder =
        xfilemethod::diskCase(xfilemethod::getFile_Path(absolute ? moduleFolder : folder + "/" + moduleFolder));
    std::string script = "js/" + name + ".js";
    OneScriptFile::AddJsModule(moduleFolder, script.c_str(), false, isMain);
    hasMain = hasMain || isMain;
    pos = folderClose + 1;
  }
  return hasMain;
}
