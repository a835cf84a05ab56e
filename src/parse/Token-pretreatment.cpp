// Placeholder: the pretreatment pass is being built.
#include "Token.h"

int Token::pretreatment(Parse*) { return 0; }
