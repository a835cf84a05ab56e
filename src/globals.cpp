#include "globals.h"

#include "CompilerOptions.h"
#include "OneScriptFile.h"
#include "Token.h"
#include "message.h"
#include "TokenClass.h"
#include "TokenExtends.h"
#include "TokenPackage.h"
#include "parse.h"
#include "scriptfile.h"

// Each owner of process-wide state adds its reset call here.
void resetCompilerState() {
  resetMessageState();
  resetCompilerOptions();
  resetOutputScripts();
  resetClassRegistries();
  resetWaitingClauses();
  resetLexerState();
  resetErrorQueue();
  resetScriptFiles();
  resetPackageRegistries();
}
