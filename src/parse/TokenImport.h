// import statements: they fill the file package's import map and print nothing.
#pragma once

#include <string>

#include "Token.h"

class TokenImport : public Token {
 public:
  using Token::Token;
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;
  static void addImportToMap(Parse* file, std::string path);
};
