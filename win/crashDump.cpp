// The crash filter: an exception that reaches the top of any thread writes
// a minidump next to the program ("<program path>error.dmp") and ends the
// process with a message naming the dump and the source file being compiled.
#include <windows.h>
#include <dbghelp.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "hostText.h"
#include "message.h"
#include "parse.h"
#include "winHost.h"

namespace {

// The code of the exception record made up for a C++ exception that no
// catch took: it is not a structured exception, so the filter never sees it
// unless the terminate handler hands it over.
constexpr DWORD kUncaughtCppException = 0xE0435050;

[[noreturn]] void uncaughtCppException() {
  CONTEXT context = {};
  RtlCaptureContext(&context);
  EXCEPTION_RECORD record = {};
  record.ExceptionCode = kUncaughtCppException;
  record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
#ifdef _M_X64
  record.ExceptionAddress = reinterpret_cast<void*>(context.Rip);
#endif
  EXCEPTION_POINTERS pointers = {&record, &context};
  crashDumpFilter(&pointers);
  std::abort();
}

}  // namespace

LONG WINAPI crashDumpFilter(EXCEPTION_POINTERS* info) {
  char program[512] = {0};
  GetModuleFileNameA(nullptr, program, sizeof program - 1);
  char dumpPath[1024];
  snprintf(dumpPath, sizeof dumpPath, "%serror.dmp", program);

  HANDLE file = CreateFileA(dumpPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    MINIDUMP_EXCEPTION_INFORMATION exception = {};
    exception.ThreadId = GetCurrentThreadId();
    exception.ExceptionPointers = info;
    exception.ClientPointers = TRUE;
    MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal, &exception, nullptr, nullptr);
    CloseHandle(file);
  }
  fflush(stdout);
  std::string message = wintext::crashMessage(dumpPath, _CURFILENAME, 10240);
#ifdef RUVO_TEST_BUILD
  ruvo_error("fatal %s\n", message.c_str());
#endif
  FatalAppExitA(0, message.c_str());
  return EXCEPTION_EXECUTE_HANDLER;
}

void installCrashFilter() {
  SetUnhandledExceptionFilter(crashDumpFilter);
  std::set_terminate(uncaughtCppException);
}
