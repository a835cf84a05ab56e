// Placeholder: the bracket groups are being built.
#include "TokenOther.h"

int TokenParent::pretreatment(Parse*) { return 0; }
int TokenParent::toJsScript(std::string&, Parse*, int, int) { return 0; }
