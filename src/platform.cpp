#include "platform.h"

#include <chrono>
#include <thread>

namespace {

void realSleep(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

RuvoPlatform& current() {
  static RuvoPlatform platform = ruvoBuildPlatform();
  return platform;
}

}  // namespace

RuvoPlatform ruvoPlatformFor(bool windows) { return RuvoPlatform{windows, windows, realSleep}; }

RuvoPlatform ruvoBuildPlatform() {
#ifdef _WIN32
  return ruvoPlatformFor(true);
#else
  return ruvoPlatformFor(false);
#endif
}

const RuvoPlatform& ruvoPlatform() { return current(); }

void setRuvoPlatform(const RuvoPlatform& platform) {
  current() = platform;
  if (!current().sleepMs) current().sleepMs = realSleep;
}

void ruvoSleep(int ms) { current().sleepMs(ms); }
