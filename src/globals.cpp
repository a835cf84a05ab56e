#include "globals.h"

#include "message.h"

// Each owner of process-wide state adds its reset call here.
void resetCompilerState() {
  resetMessageState();
}
