// Placeholder: interfaces are being built.
#include "TokenInterface.h"

TokenInterface::TokenInterface(int type, const char* text, int pos, int line, Token* parent)
    : TokenClass(type, text, pos, line, parent) {
  isInterface = 1;
}
int TokenInterface::pretreatment(Parse*) { return 0; }
int TokenInterface::toJsScript(std::string&, Parse*, int, int) { return 0; }
