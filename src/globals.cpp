#include "globals.h"

#include "CompilerOptions.h"
#include "OneScriptFile.h"
#include "message.h"

// Each owner of process-wide state adds its reset call here.
void resetCompilerState() {
  resetMessageState();
  resetCompilerOptions();
  resetOutputScripts();
}
