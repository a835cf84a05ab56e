// extends and implements clauses in the head of a class or interface.
#pragma once

#include <string>

#include "Token.h"

class TokenExtends : public Token {
 public:
  std::string baseName;
  using Token::Token;
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;
  void pretreatmentExtends(Parse* file);
  void pretreatmentImplements(Parse* file);
};
