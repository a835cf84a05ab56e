// Placeholder: functions are being built.
#include "TokenFunction.h"

TokenFunction* TokenFunction::getClassTokenFunction() {
  return classMember ? this : (parent ? parent->getClassTokenFunction() : nullptr);
}
std::string TokenFunction::jsFormatProperty(std::string& name, std::string&, Token*, int, int&, TokenHeadMsg&) {
  return name;
}
int TokenFunction::pretreatment(Parse*) { return 0; }
int TokenFunction::toJsScript(std::string&, Parse*, int, int) { return 0; }
