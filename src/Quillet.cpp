// Placeholder: the compiler front end is being built.
#include "Quillet.h"

int32_t Quillet::__compilerScriptIndex__ = 1;
int Quillet::withFile(const char*) { return 0; }
