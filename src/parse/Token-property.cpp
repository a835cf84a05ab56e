// Placeholder: the property-access rewriting is being built.
#include "Token.h"
#include "TokenOther.h"

std::string Token::jsFormatProperty(std::string& name, std::string&, Token*, int, int&, TokenHeadMsg&) {
  return name;
}
int TokenSuper::pretreatment(Parse*) { return 0; }
int TokenSuper::toJsScript(std::string&, Parse*, int, int) { return 0; }
#include "TokenClass.h"
bool TokenClass::superHasThisVar(const char*) { return false; }
