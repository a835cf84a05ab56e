// Placeholder: class registration is being built.
#include "TokenClass.h"

int TokenClass::pretreatment(Parse*) { return 0; }
