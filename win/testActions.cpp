// Test build only: the first argument "ruvo-test:<action>" replaces the
// compile by one action on the compile thread, so that the Wine tests reach
// the crash filter, the painter and the host calls directly. The crash
// message is also written to stderr ("fatal <message>").
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>

#include "checkEnv.h"
#include "message.h"
#include "parseThread.h"
#include "winHost.h"
#include "xstringmethod.h"

void splashProgress(float percent, const char* text);

namespace {


void act(int argc, const char** argv, void (*returned)(int closeWindow)) {
  const char* action = argv[1] + std::strlen("ruvo-test:");
  if (startsWith(action, "segv")) {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
  } else if (startsWith(action, "throw")) {
    throw std::runtime_error("uncaught on the compile thread");
  } else if (startsWith(action, "splash:")) {
    // "splash:<percent>:<message>": the window stays until it is closed.
    char* rest = nullptr;
    float percent = std::strtof(action + 7, &rest);
    splashProgress(percent, rest && *rest == ':' ? rest + 1 : "");
    returned(0);
    return;
  } else if (startsWith(action, "args")) {
    ruvo_print("argc %d\n", argc);
    for (int i = 1; i < argc; ++i) ruvo_print("%s\n", argv[i]);
  } else if (startsWith(action, "chrome:")) {
    OpenChrome(action + 7);
  } else if (startsWith(action, "postbuild:")) {
    startPostBuildCommand(action + 10);
  }
  fflush(stdout);
  returned(1);
}

}  // namespace

// "crashcompile:<project command>": compiles, and faults at the first
// progress call of the output pass, when a source file is current.
void crashingProgress(float percent, const char* text) {
  if (percent >= 50) {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
  }
  splashProgress(percent, text);
}

bool runTestAction(int argc, const char** argv, void (*returned)(int closeWindow)) {
  if (argc < 2 || !startsWith(argv[1], "ruvo-test:")) return false;
  if (startsWith(argv[1], "ruvo-test:crashcompile:")) {
    static const char* compileArgv[2];
    compileArgv[0] = argv[0];
    compileArgv[1] = argv[1] + std::strlen("ruvo-test:crashcompile:");
    showProgressWork = crashingProgress;
    new parseThread(2, compileArgv, nullptr);
    return true;
  }
  new std::thread(act, argc, argv, returned);
  return true;
}
