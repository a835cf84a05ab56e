// interface declarations.
#pragma once

#include <string>

#include "TokenClass.h"

class TokenInterface : public TokenClass {
 public:
  std::string baseList;
  TokenInterface(int type, const char* text, int pos, int line, Token* parent);
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;
  // `baseList` with the short names of interfaces registered after this one qualified.
  std::string qualifiedBaseList(TokenPackage* package) const;

 private:
  // The TypeScript text of the interface, module and references included.
  std::string toTsDeclaration(Parse* file, int typeCommentOff);
};
