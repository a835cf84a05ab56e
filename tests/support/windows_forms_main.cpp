// The console program set to the Windows program's texts and pauses, so the
// shared code's Windows forms are tested on any platform. Instead of being
// done, each pause, browser start, post-build start and message box is
// written to standard error as one line:
//   "sleep <ms>", "open <page>", "start <command>", "box <caption>|<text>".
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "message.h"
#include "parseThread.h"
#include "platform.h"

namespace {

void recordSleep(int ms) { ruvo_error("sleep %d\n", ms); }
void recordOpen(const char* page) { ruvo_error("open %s\n", page); }
void recordStart(const char* command) { ruvo_error("start %s\n", command); }
int recordBox(const char* text, const char* caption) {
  ruvo_error("box %s|%s\n", caption, text);
  return 0;
}

}  // namespace

int main(int argc, const char** argv) {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);  // compared byte for byte with the console program
  _setmode(_fileno(stderr), _O_BINARY);
#endif
  setvbuf(stdout, nullptr, _IOLBF, 1 << 16);
  RuvoPlatform p = ruvoPlatformFor(true);
  p.sleepMs = recordSleep;
  p.openStartPage = recordOpen;
  p.startCommand = recordStart;
  setRuvoPlatform(p);
  // The Windows entry sets both box hooks before the compile starts.
  MsgBox = recordBox;
  ErrBox = recordBox;
  _tmain1(argc, argv);
  fflush(stdout);
  return 0;
}
