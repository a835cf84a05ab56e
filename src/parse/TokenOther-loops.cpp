// Placeholder: loops and jumps are being built.
#include "TokenOther.h"

int TokenFor::pretreatment(Parse*) { return 0; }
int TokenFor::toJsScript(std::string& out, Parse*, int, int) {
  out += "for";
  return 0;
}
int TokenBreak::pretreatment(Parse*) { return 0; }
int TokenBreak::toJsScript(std::string& out, Parse*, int, int) {
  out += "break ";
  return 0;
}
int TokenContinue::pretreatment(Parse*) { return 0; }
int TokenContinue::toJsScript(std::string& out, Parse*, int, int) {
  out += "continue ";
  return 0;
}
