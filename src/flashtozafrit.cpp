#include "flashtozafrit.h"

#include <cstdio>

FlashToZafrit::FlashToZafrit(const char* folder, const char* linkList, int mode) : mode(mode) {
  (void)linkList;
  fprintf(stderr, "ruvojs: converting \"%s\" (mode %d): the Flash source converter is not built yet\n",
          folder ? folder : "", mode);
}

void FlashToZafrit::PreChangeFlash(const char* projectFile) {
  fprintf(stderr, "ruvojs: converting the project \"%s\" back to Flash: the Flash source converter is not built yet\n",
          projectFile ? projectFile : "");
}
