#include <cstdio>
#include <exception>
#include <new>

#include "message.h"
#include "parse.h"
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "parseThread.h"
#include "platform.h"

namespace {

// Memory set aside at start, given back when a run fails for lack of memory,
// so that the message and the end of the run can still be sent.
char* g_reserve = nullptr;

// A run that throws (the compiler itself throws nothing; the allocator throws
// when the system grants no more memory) ends with one message naming the
// file in work and the reason, then the end-of-run message, as any run does.
void reportStop(const char* reason) {
  delete[] g_reserve;
  g_reserve = nullptr;
  MSGTO(MessageType::Problem, _CURFILENAME.c_str(), 0, "%s", reason);
  MSGTO(MessageType::RunEnd, "", 0, "%s", "");
}

}  // namespace

int main(int argc, const char** argv) {
  // The console program writes its own texts on every platform it is built
  // for (the Windows program is built from win/).
  setRuvoPlatform(ruvoPlatformFor(false));
#ifdef _WIN32
  // The same bytes as on the other platforms: no "\n" becomes "\r\n".
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
  // The IDE reads the messages as they come: one line at a time, in order.
  setvbuf(stdout, nullptr, _IOLBF, 1 << 16);
  g_reserve = new (std::nothrow) char[1 << 20];
  try {
    // A compile ends the process at the end of its run; the other forms
    // return here.
    _tmain1(argc, argv);
  } catch (const std::bad_alloc&) {
    reportStop("Out of memory: the compile needs more memory than the system grants; nothing more is written");
  } catch (const std::exception& e) {
    static char text[512];
    std::snprintf(text, sizeof text, "Internal error: %s; nothing more is written", e.what());
    reportStop(text);
  } catch (...) {
    reportStop("Internal error; nothing more is written");
  }
  fflush(stdout);
  return 0;
}
