// Placeholder: type tests and casts are being built.
#include "TokenOther.h"

int TokenIs::pretreatment(Parse*) { return 0; }
int TokenIs::toJsScript(std::string&, Parse*, int, int) { return 0; }
bool TokenIs::toJs(std::string&, std::string&, std::string&, Parse*) { return false; }
int TokenAs::pretreatment(Parse*) { return 0; }
int TokenAs::toJsScript(std::string&, Parse*, int, int) { return 0; }
