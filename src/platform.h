// Which program this run is: the Windows program (RuvoJS.exe, with its
// progress window) or the console program. The two write a few texts their
// own way and the Windows program pauses in a few places; every such choice
// reads this one value. The host sets it once at start, before the run; the
// default is the program the build makes (Windows for a Windows build).
#pragma once

struct RuvoPlatform {
  // Texts and pauses of the Windows program.
  bool windows;
  // File names compare without case (the Windows file system).
  bool foldCase;
  // The host's pause; the tests put in one that only records the pause.
  void (*sleepMs)(int ms);
};

const RuvoPlatform& ruvoPlatform();
void setRuvoPlatform(const RuvoPlatform& platform);

// The platform of the program this build makes, with the real pause.
RuvoPlatform ruvoBuildPlatform();
// The platform of the given program kind, with the real pause.
RuvoPlatform ruvoPlatformFor(bool windows);

// Pauses through the host's sleep function.
void ruvoSleep(int ms);
