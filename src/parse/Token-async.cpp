// Placeholder: the async rewriting is being built.
#include "Token.h"
#include "TokenFunction.h"

bool Token::pretreatmentAnsy(Parse*, TokenFunction*, Token*) { return awaitedCall != 0; }
bool TokenFunction::pretreatmentAnsy(Parse*, TokenFunction*, Token*) { return false; }
