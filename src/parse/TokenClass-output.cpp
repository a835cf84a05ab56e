// Placeholder: the class output is being built.
#include "TokenClass.h"

int TokenClass::toJsScript(std::string&, Parse*, int, int) { return 0; }
