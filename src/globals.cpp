#include "globals.h"

#include "message.h"
#include "parse/TokenPackage.h"

// Each owner of process-wide state adds its reset call here.
void resetCompilerState() {
  resetMessageState();
  resetPackageRegistries();
}
