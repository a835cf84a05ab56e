#include "CompilerOptions.h"

#include <cstdio>

CompilerOptions _ompilerOptions_;
std::string projectFileNBame;
bool CompilerOptions::ReservedComment = false;
bool __ISDEBUG__ = false;
bool __ISRELEASE__ = false;
bool __ISTOTS = false;

void CompilerOptions::read(const char* command, const char*) {
  fprintf(stderr, "ruvojs: compiling \"%s\": the compile is not built yet\n", command ? command : "");
}
