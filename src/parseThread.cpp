#include "parseThread.h"

#include <cstdio>
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

bool startsWith(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

bool isBlank(const std::string& s) { return s.find_first_not_of(" \t\r\n") == std::string::npos; }

// The converter form "/c": every folder of the list, the first in mode 1.
void convertFolderList(const char* list) {
  std::vector<std::string> pieces;
  xstringmthod::splitstr(list, ';', pieces);
  bool first = true;
  for (const std::string& piece : pieces) {
    if (isBlank(piece)) {
      // An empty piece would resolve to the program's own folder.
      fprintf(stderr, "ruvojs: an empty folder in the list \"%s\" is skipped\n", list);
      continue;
    }
    MSGTO(MessageType::Info, "", 0, "command %s", piece.c_str());
    FlashToZafrit(piece.c_str(), nullptr, first ? ConverterMode::ToLibraryFirst : ConverterMode::ToLibrary);
    first = false;
  }
}

}  // namespace

int _tmain1(int argc, const char** argv) {
  __progressWork__(0, "Ruvo MIROX Compiler[Ver 2017090801] start...");
  if (argc <= 1) {
    RegRuvoJS();
    return 0;
  }

  if (argc == 2) {
    const char* a = argv[1];
    if (std::strlen(a) > 4 && startsWith(a, "type=")) {
      MSGTO(MessageType::Info, "", 0, "command %s", a);
      size_t prefix = 0;
      if (startsWith(a, "type=init:")) {
        FlashToZafrit::PreChangeFlash(a + 10);
        return 0;
      } else if (startsWith(a, "type=compileOnlyPlayer:")) {
        _ompilerOptions_.onlyPlayer = true;
        prefix = 23;
      } else if (startsWith(a, "type=compile:")) {
        prefix = 13;
      } else if (startsWith(a, "type=compiledebug:")) {
        prefix = 18;
      } else {
        fprintf(stderr,
                "ruvojs: \"%s\" is not a command (type=init:, type=compile:, type=compiledebug:, "
                "type=compileOnlyPlayer:); nothing is done\n",
                a);
        return 0;
      }
      // The project file and, after a ';', the library source folder; no
      // option literals are read in these forms.
      std::vector<std::string> pieces;
      xstringmthod::splitstr(a + prefix, ';', pieces);
      std::string project = pieces.empty() ? std::string() : pieces[0];
      std::string library = pieces.size() >= 2 ? pieces[1] : std::string();
      for (size_t i = 2; i < pieces.size(); ++i)
        if (!pieces[i].empty())
          fprintf(stderr, "ruvojs: \"%s\" is ignored: this command takes a project file and a library folder only\n",
                  pieces[i].c_str());
      _ompilerOptions_.read(project.c_str(), pieces.size() >= 2 ? library.c_str() : nullptr);
    } else {
      _ompilerOptions_.read(a, nullptr);
    }
  } else {
    const char* a1 = argv[1];
    const char* a2 = argv[2];
    // Every absolute path here begins with '/': an existing folder is the
    // library folder, whatever its second character.
    bool switchForm = a2[0] == '/' && !xfilemethod::pathExist(a2);
    char letter = switchForm ? a2[1] : '\0';
    switch (letter) {
      case 'c':
        convertFolderList(a1);
        return 0;
      case 'l':
        FlashToZafrit(a1, a2 + 2, ConverterMode::LinkFromList);
        return 0;
      case 'C':
        FlashToZafrit(a1, nullptr, ConverterMode::ToLibrary);
        return 0;
      case 'L':
        FlashToZafrit(a1, a2 + 2, ConverterMode::Link);
        return 0;
      case 'F':
        FlashToZafrit(a1, a2 + 2, ConverterMode::ToFlash);
        return 0;
      case 'f':
        FlashToZafrit::PreChangeFlash(a1);
        return 0;
      default:
        if (switchForm)
          fprintf(stderr,
                  "ruvojs: \"%s\" is no converter switch (/c, /l, /C, /L, /F, /f) and no folder; it is taken as "
                  "the library folder\n",
                  a2);
        _ompilerOptions_.read(a1, a2);
        break;
    }
  }

  if (_ompilerOptions_.msgBox) MsgBox = MessageBox1;
  compileRun();
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
