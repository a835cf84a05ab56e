// Placeholder: variable declarations are being built.
#include "TokenOther.h"

int TokenVar::pretreatment(Parse*) { return 0; }
int TokenVar::toJsScript(std::string&, Parse*, int, int) { return 0; }
