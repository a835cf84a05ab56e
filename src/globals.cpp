#include "globals.h"

#include "Token.h"
#include "message.h"
#include "parse.h"
#include "scriptfile.h"

// Each owner of process-wide state adds its reset call here.
void resetCompilerState() {
  resetMessageState();
  resetLexerState();
  resetErrorQueue();
  resetScriptFiles();
}
