#include "platform.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "checkEnv.h"

namespace {

void realSleep(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

RuvoPlatform& current() {
  static RuvoPlatform platform = ruvoBuildPlatform();
  return platform;
}

}  // namespace

RuvoPlatform ruvoPlatformFor(bool windows) {
  RuvoPlatform p{};
  p.windows = windows;
#ifdef _WIN32
  p.foldCase = true;  // the file system's rule, whichever program's texts
#else
  p.foldCase = false;
#endif
  p.sleepMs = realSleep;
  p.openStartPage = OpenChrome;
  // The post-build command is started by the host that sets one (the
  // Windows front end); without one nothing is started.
  return p;
}

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

void ruvoEndProcess() {
  fflush(stdout);
  fflush(stderr);
  if (current().beforeExit) current().beforeExit();
#ifdef _WIN32
  std::_Exit(0);
#else
  std::exit(0);
#endif
}

namespace {

void replaceOnce(std::string& text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
}

}  // namespace

std::string mainStartCall(const std::string& fullName) {
  if (ruvoPlatform().windows) return "\r\n\t/**RuvoGameStart**/\r\n\tnew " + fullName + "();\r\n";
  return "\r\n\tnew " + fullName + "();\r\n";
}

const char* moduleDefError() { return ruvoPlatform().windows ? "ModuleDef  err\r\n" : "ModuleDef  err\r"; }

std::string runtimeCoreText(std::string core) {
  if (!ruvoPlatform().windows) return core;
  replaceOnce(core, "  2017/3/23*/", "  2017/12/12*/");
  replaceOnce(core, "{get:get,set:set,enumerable:false}", "{get:get,set:set,enumerable:false,configurable:true}");
  replaceOnce(core, "{get:get,enumerable:false}", "{get:get,enumerable:false,configurable:true}");
  replaceOnce(core, "{set:set,enumerable:false}", "{set:set,enumerable:false,configurable:true}");
  return core;
}

std::string postBuildNotice(const std::string& command) { return "\r\nPost build command:" + command + "\r\n"; }
