// Sets the program kind for one test and puts the previous one back; the
// pauses are recorded instead of slept.
#pragma once

#include <vector>

#include "platform.h"

namespace ruvotest {

class PlatformGuard {
 public:
  explicit PlatformGuard(bool windows) : saved_(ruvoPlatform()) {
    RuvoPlatform p = ruvoPlatformFor(windows);
    p.sleepMs = record;
    p.openStartPage = nullptr;
    p.startCommand = nullptr;
    setRuvoPlatform(p);
    sleeps().clear();
  }
  ~PlatformGuard() { setRuvoPlatform(saved_); }
  PlatformGuard(const PlatformGuard&) = delete;
  PlatformGuard& operator=(const PlatformGuard&) = delete;

  // The pauses asked for since the guard was made, in milliseconds.
  static std::vector<int>& sleeps() {
    static std::vector<int> list;
    return list;
  }

 private:
  static void record(int ms) { sleeps().push_back(ms); }
  RuvoPlatform saved_;
};

}  // namespace ruvotest
