#include <cstdio>

#include "parseThread.h"

int main(int argc, const char** argv) {
  // The IDE reads the messages as they come: one line at a time, in order.
  setvbuf(stdout, nullptr, _IOLBF, 1 << 16);
  _tmain1(argc, argv);
  fflush(stdout);
  return 0;
}
