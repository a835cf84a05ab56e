// Test build only: the first argument "ruvo-test:<action>" replaces the
// compile by one action on the compile thread, so that the Wine tests reach
// the crash filter, the painter and the host calls directly.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>

#include "checkEnv.h"
#include "winHost.h"

void splashProgress(float percent, const char* text);

namespace {

bool startsWith(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

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
    printf("argc %d\n", argc);
    for (int i = 1; i < argc; ++i) printf("%s\n", argv[i]);
  } else if (startsWith(action, "chrome:")) {
    OpenChrome(action + 7);
  } else if (startsWith(action, "postbuild:")) {
    startPostBuildCommand(action + 10);
  }
  fflush(stdout);
  returned(1);
}

}  // namespace

bool runTestAction(int argc, const char** argv, void (*returned)(int closeWindow)) {
  if (argc < 2 || !startsWith(argv[1], "ruvo-test:")) return false;
  new std::thread(act, argc, argv, returned);
  return true;
}
