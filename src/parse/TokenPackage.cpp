// Placeholder: packages and the pre-scan are being built.
#include "TokenPackage.h"

int TokenPackage::pretreatment(Parse*) { return 0; }
int TokenPackage::toJsScript(std::string&, Parse*, int, int) { return 0; }
void resetPackageRegistries() {}
// Link placeholders for the variable declarations, until the registries land.
OrderedMap<TokenPackage*>& TokenPackage::GetPakageMap() {
  static OrderedMap<TokenPackage*> m;
  return m;
}
OrderedMap<std::string>& TokenPackage::GetConstMap() {
  static OrderedMap<std::string> m;
  return m;
}
void TokenPackage::ParseOnlyClass(const char*, std::string&) {}
// Link placeholder for class registration, until the package registries land.
OrderedMap<std::string>& TokenPackage::GetConversionTable() {
  static OrderedMap<std::string> m;
  return m;
}
