// Placeholder: inheritance clauses are being built.
#include "TokenExtends.h"

int TokenExtends::pretreatment(Parse*) { return 0; }
int TokenExtends::toJsScript(std::string&, Parse*, int, int) { return 0; }
