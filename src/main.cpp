#include <cstdio>

#include "parseThread.h"

int main(int argc, const char** argv) {
  _tmain1(argc, argv);
  fflush(stdout);
  return 0;
}
