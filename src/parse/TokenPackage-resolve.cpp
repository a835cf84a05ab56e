// Placeholder: name resolution in packages is being built.
#include "TokenPackage.h"

std::string TokenPackage::jsFormatProperty(std::string& name, std::string&, Token*, int, int&, TokenHeadMsg&) {
  return name;
}
void TokenPackage::hasUseThisClass(std::string) {}
