// Placeholder: the small statement tokens are being built.
#include "TokenOther.h"

int TokenEmbed::pretreatment(Parse*) { return 0; }
int TokenEmbed::toJsScript(std::string&, Parse*, int, int) { return 0; }
std::string TokenEmbed::getJsScript(std::string, std::string&, Parse*, int, int) { return std::string(); }
int TokenUntyped::pretreatment(Parse*) { return 0; }
int TokenUntyped::toJsScript(std::string&, Parse*, int, int) { return 0; }
int TokenVector::pretreatment(Parse*) { return 0; }
int TokenVector::toJsScript(std::string&, Parse*, int, int) { return 0; }
int TokenWith::pretreatment(Parse*) { return 0; }
int TokenWith::toJsScript(std::string& out, Parse*, int, int) {
  out += "with";
  return 0;
}
TokenCase::TokenCase(int type, const char* text, int pos, int line, Token* parent)
    : Token(type, text, pos, line, parent) {
  leadingText = "\n";
}
int TokenCase::toJsScript(std::string& out, Parse*, int, int) {
  out += type == 80 ? "default " : "case ";
  return 0;
}
int TokenCatch::pretreatment(Parse*) { return 0; }
int TokenCatch::toJsScript(std::string& out, Parse*, int, int) {
  out += "catch";
  return 0;
}
int TokenIn::pretreatment(Parse*) { return 0; }
int TokenIn::toJsScript(std::string& out, Parse*, int, int) {
  out += " in ";
  return 0;
}
