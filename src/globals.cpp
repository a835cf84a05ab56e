#include "globals.h"

#include "CompilerOptions.h"
#include "OneScriptFile.h"
#include "Quillet.h"
#include "Token.h"
#include "message.h"
#include "TokenClass.h"
#include "TokenExtends.h"
#include "TokenPackage.h"
#include "compileRun.h"
#include "parse.h"
#include "scriptfile.h"

namespace {

// Owned by the road of the compile: set by the pass that stops it.
CompileStop g_stop = CompileStop::None;

}  // namespace

void stopCompile(CompileStop why) {
  if (g_stop == CompileStop::None) g_stop = why;
}

CompileStop compileStop() { return g_stop; }

// Each owner of process-wide state adds its reset call here.
void resetCompilerState() {
  g_stop = CompileStop::None;
  resetMessageState();
  resetCompilerOptions();
  resetOutputScripts();
  resetClassRegistries();
  resetWaitingClauses();
  resetLexerState();
  resetErrorQueue();
  resetScriptFiles();
  resetPackageRegistries();
  resetFrontEnd();
  resetCompileRun();
}
