// Placeholder: object creation and labels are being built.
#include "TokenOther.h"

int TokenNew::pretreatment(Parse*) { return 0; }
int TokenNew::toJsScript(std::string& out, Parse*, int, int) {
  out += "new ";
  return 0;
}
int TokenColon::pretreatment(Parse*) { return 0; }
int TokenColon::toJsScript(std::string& out, Parse*, int, int) {
  out += ":";
  return 0;
}
