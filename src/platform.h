// Which program this run is: the Windows program (RuvoJS.exe, with its
// progress window) or the console program. The two write a few texts their
// own way and the Windows program pauses in a few places; every such choice
// reads this one value. The host sets it once at start, before the run; the
// default is the program the build makes (Windows for a Windows build).
#pragma once

struct RuvoPlatform {
  // Texts and pauses of the Windows program.
  bool windows;
  // File names compare without case: the Windows file system (set by the
  // build, not by the program kind).
  bool foldCase;
  // The host's pause; the tests put in one that only records the pause.
  void (*sleepMs)(int ms);
  // Opens the start page at the end of a good compile (the Windows
  // program's browser start, OpenChrome).
  void (*openStartPage)(const char* page);
  // Starts the post-build command without waiting for it.
  void (*startCommand)(const char* command);
  // Called right before the process ends at the end of a compile, from the
  // compile thread: the Windows window stops painting here.
  void (*beforeExit)();
};

const RuvoPlatform& ruvoPlatform();
void setRuvoPlatform(const RuvoPlatform& platform);

// The platform of the program this build makes, with the real pause.
RuvoPlatform ruvoBuildPlatform();
// The platform of the given program kind, with the real pause.
RuvoPlatform ruvoPlatformFor(bool windows);

// Pauses through the host's sleep function.
void ruvoSleep(int ms);

// Ends the process with exit code 0 at the end of a compile. Standard output
// is flushed first; the Windows program ends without running static
// destructors, which another thread (the window) may still be reading.
[[noreturn]] void ruvoEndProcess();

#include <string>

// The texts the two programs write their own way.

// The start call of the main class ("new Main();" on its own line); the
// Windows program puts the "/**RuvoGameStart**/" marker before it.
std::string mainStartCall(const std::string& fullName);
// The line printed for a malformed module.def (the line end follows it).
const char* moduleDefError();
// The runtime core as this program writes it: the Windows program's banner
// carries its own build date and its accessor properties stay configurable.
std::string runtimeCoreText(std::string core);
// The notice printed after the post-build command was started.
std::string postBuildNotice(const std::string& command);
