// Placeholder: imports are being built.
#include "TokenImport.h"

int TokenImport::pretreatment(Parse*) { return 0; }
int TokenImport::toJsScript(std::string&, Parse*, int, int) { return 0; }
