#include "compileRun.h"

#include <cstdio>
#include <cstdlib>

#include "CompilerOptions.h"

void compileRun() {
  // The directives of the main class file.
  _ompilerOptions_.readCompilerOptions();
  fflush(stdout);
  std::exit(0);
}
