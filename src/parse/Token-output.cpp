// Placeholder: the statement output is being built.
#include "Token.h"

int Token::toJsScript(std::string& out, Parse*, int, int) {
  out += text;
  return 0;
}
