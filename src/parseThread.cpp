#include "parseThread.h"

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "CompilerOptions.h"
#include "checkEnv.h"
#include "compileRun.h"
#include "flashtozafrit.h"
#include "message.h"
#include "xfilemethod.h"
#include "xstringmethod.h"

namespace {

bool isBlank(const std::string& s) { return s.find_first_not_of(" \t\r\n") == std::string::npos; }

// The converter form "/c": every folder of the list, the first in mode 1.
void convertFolderList(const char* list) {
  std::vector<std::string> pieces;
  xstringmthod::splitstr(list, ';', pieces);
  bool first = true;
  for (const std::string& piece : pieces) {
    if (isBlank(piece)) {
      // An empty piece would resolve to the program's own folder.
      ruvo_error("ruvojs: an empty folder in the list \"%s\" is skipped\n", list);
      continue;
    }
    MSGTO(MessageType::Info, "", 0, "command %s", piece.c_str());
    FlashToZafrit(piece.c_str(), nullptr, first ? ConverterMode::ToLibraryFirst : ConverterMode::ToLibrary);
    first = false;
  }
}

// What the command line asks to compile: the project command and the library
// source folder (none when `hasLibrary` is false). A command that compiles
// nothing has run by the time it is read (`compile` false).
struct CompileCommand {
  bool compile = false;
  std::string project;
  bool hasLibrary = false;
  std::string library;
};

CompileCommand compileOf(std::string project) { return {true, std::move(project), false, {}}; }

CompileCommand compileOf(std::string project, std::string library) {
  return {true, std::move(project), true, std::move(library)};
}

// One argument: a "type=" command, or a project command.
CompileCommand oneArgumentCommand(const char* a) {
  if (std::strlen(a) <= 4 || !startsWith(a, "type=")) return compileOf(a);
  MSGTO(MessageType::Info, "", 0, "command %s", a);
  size_t prefix = 0;
  if (startsWith(a, "type=init:")) {
    FlashToZafrit::PreChangeFlash(a + 10);
    return {};
  } else if (startsWith(a, "type=compileOnlyPlayer:")) {
    _ompilerOptions_.onlyPlayer = true;
    prefix = 23;
  } else if (startsWith(a, "type=compile:")) {
    prefix = 13;
  } else if (startsWith(a, "type=compiledebug:")) {
    prefix = 18;
  } else {
    ruvo_error(
        "ruvojs: \"%s\" is not a command (type=init:, type=compile:, type=compiledebug:, "
        "type=compileOnlyPlayer:); nothing is done\n",
        a);
    return {};
  }
  // The project file and, after a ';', the library source folder; no
  // option literals are read in these forms.
  std::vector<std::string> pieces;
  xstringmthod::splitstr(a + prefix, ';', pieces);
  std::string project = pieces.empty() ? std::string() : pieces[0];
  for (size_t i = 2; i < pieces.size(); ++i)
    if (!pieces[i].empty())
      ruvo_error("ruvojs: \"%s\" is ignored: this command takes a project file and a library folder only\n",
                 pieces[i].c_str());
  if (pieces.size() >= 2) return compileOf(project, pieces[1]);
  return compileOf(project);
}

// Two arguments: a converter switch, or a project and its library folder.
CompileCommand twoArgumentCommand(const char* a1, const char* a2) {
  // Every absolute path here begins with '/': an existing folder is the
  // library folder, whatever its second character.
  bool switchForm = a2[0] == '/' && !xfilemethod::pathExist(a2);
  char letter = switchForm ? a2[1] : '\0';
  switch (letter) {
    case 'c':
      convertFolderList(a1);
      return {};
    case 'l':
      FlashToZafrit(a1, a2 + 2, ConverterMode::LinkFromList);
      return {};
    case 'C':
      FlashToZafrit(a1, nullptr, ConverterMode::ToLibrary);
      return {};
    case 'L':
      FlashToZafrit(a1, a2 + 2, ConverterMode::Link);
      return {};
    case 'F':
      FlashToZafrit(a1, a2 + 2, ConverterMode::ToFlash);
      return {};
    case 'f':
      FlashToZafrit::PreChangeFlash(a1);
      return {};
    default:
      if (switchForm)
        ruvo_error(
            "ruvojs: \"%s\" is no converter switch (/c, /l, /C, /L, /F, /f) and no folder; it is taken as "
            "the library folder\n",
            a2);
      return compileOf(a1, a2);
  }
}

}  // namespace

int _tmain1(int argc, const char** argv) {
  __progressWork__(0, "Ruvo MIROX Compiler[Ver 2017090801] start...");
  if (argc <= 1) {
    RegRuvoJS();
    return 0;
  }
  const CompileCommand command = argc == 2 ? oneArgumentCommand(argv[1]) : twoArgumentCommand(argv[1], argv[2]);
  if (!command.compile) return 0;
  // The road of one compile returns what became of it; the end of the run
  // decides what the user sees last and ends the process.
  endRun(compileRun(command.project.c_str(), command.hasLibrary ? command.library.c_str() : nullptr));
}

parseThread::parseThread(int argc, const char** argv) : parseThread(argc, argv, nullptr) {}

parseThread::parseThread(int argc, const char** argv, void (*returned)(int result)) {
  // A compile ends the process from this thread; the thread is never joined.
  new std::thread([argc, argv, returned] {
    int result = _tmain1(argc, argv);
    if (returned) returned(result);
  });
}

void runParseThread(int argc, const char** argv) { new parseThread(argc, argv); }
