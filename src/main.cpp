#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "parseThread.h"
#include "platform.h"

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
  _tmain1(argc, argv);
  fflush(stdout);
  return 0;
}
