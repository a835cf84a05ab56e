// The unit tests check the console program's texts whatever platform they
// were built for; a test that wants the Windows texts sets them itself
// (platform_guard.h).
#include "platform.h"

namespace {

const bool kConsoleTexts = [] {
  setRuvoPlatform(ruvoPlatformFor(false));
  return true;
}();

}  // namespace
