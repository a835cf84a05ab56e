// What the parts of the Windows front end offer each other.
#pragma once

#include <windows.h>

#include <string>

// The progress splash dialog; owner of the message boxes (null once closed).
HWND splashOwnerWindow();

// The message-box hooks of the compiler.
int MessageBox1(const char* text, const char* caption);
int MessageBox2(const char* text, const char* caption);

// Installs the crash filter for structured exceptions and for C++
// exceptions that leave a thread uncaught.
void installCrashFilter();
LONG WINAPI crashDumpFilter(EXCEPTION_POINTERS* info);

// Starts the post-build command through the shell without waiting for it.
void startPostBuildCommand(const char* command);

// The program's own path in UTF-8 (any length).
std::string programPathUtf8();
