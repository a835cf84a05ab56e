// extends and implements clauses in the head of a class or interface.
#pragma once

#include <string>
#include <vector>

#include "Token.h"

class TokenExtends : public Token {
 public:
  std::string baseName;
  using Token::Token;
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;
  void pretreatmentExtends(Parse* file);
  void pretreatmentImplements(Parse* file);

  // The clauses read while a base class's file was queued for parsing (the
  // front end parses such files after the file that asked for them, so that
  // a chain of thousands of classes never nests one parse in another).
  static std::vector<TokenExtends*>& _waitingClauses_();
  // Links the waiting clauses, the last read first (the order in which
  // nested parses would have finished), sets the levels of the classes
  // linked meanwhile and replays the private-name marks that waited.
  static void linkWaitingClasses();

 private:
  // Links the class being declared to the registered base `baseName`; a
  // base that is not registered stops the compile (records the stop and
  // throws CompileStopped).
  void linkBase(Parse* file);
};

// Clears the waiting clauses (tests compile several projects in one process).
void resetWaitingClauses();
