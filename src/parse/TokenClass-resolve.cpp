// Placeholder: member name resolution is being built.
#include "TokenClass.h"

std::string TokenClass::jsFormatProperty(std::string& name, std::string&, Token*, int, int&, TokenHeadMsg&) {
  return name;
}
