// Placeholder: packages and the pre-scan are being built.
#include "TokenPackage.h"

int TokenPackage::pretreatment(Parse*) { return 0; }
int TokenPackage::toJsScript(std::string&, Parse*, int, int) { return 0; }
void resetPackageRegistries() {}
