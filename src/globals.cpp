#include "globals.h"

#include "message.h"
#include "parse/TokenClass.h"

// Each owner of process-wide state adds its reset call here.
void resetCompilerState() {
  resetMessageState();
  resetClassRegistries();
}
