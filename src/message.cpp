#include "message.h"

#ifdef _WIN32
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "parse.h"
#include "platform.h"
#include "scriptfile.h"
#include "xfilemethod.h"

FILE* fpprintf = nullptr;
int (*_printfprc_)(const char* fmt, ...) = ruvo_print;
float _msg_p = 0.0f;
float _pre__progressWork__ = -1.0f;
int MSGCOUNT = 0;
void (*showProgressWork)(float percent, const char* text) = __showProgressWork__;
int (*MsgBox)(const char* text, const char* caption) = nullptr;
int (*ErrBox)(const char* text, const char* caption) = nullptr;
bool __SHOWDEBUG__ = false;

namespace {

// Formats into `out`, cut at `limit` - 1 bytes as the fixed buffers of the
// message functions do.
void formatBounded(std::string& out, size_t limit, const char* fmt, va_list ap) {
  va_list copy;
  va_copy(copy, ap);
  char small[1024];
  int n = vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  if (n < 0) {
    out.clear();
    return;
  }
  if (static_cast<size_t>(n) < sizeof small) {
    out.assign(small, n);
  } else {
    out.resize(static_cast<size_t>(n) + 1);
    vsnprintf(out.data(), out.size(), fmt, ap);
    out.resize(n);
  }
  if (out.size() > limit - 1) out.resize(limit - 1);
}

// Two runs started from one install folder share debug.txt. The run that
// locks it first empties it and writes its lines as they come; a run that
// finds it locked keeps its lines and adds them in one piece after the
// first run's lines, once that run has ended.
bool g_logWaiting = false;
bool g_logAdded = false;  // the kept lines went in (or a helper took them)
std::string g_logPending;

#ifdef _WIN32
// The locks are bytes far past the end of the file, so that they keep other
// runs from the log's locks without keeping anybody from reading the log.
// The run's byte is held for the whole run (no other run empties the log);
// the writing byte only while its compile writes: a run that waits to add
// its lines waits for that one, not for a box the user has not answered.
OVERLAPPED lockByte(DWORD which) {
  OVERLAPPED at{};
  at.Offset = which;
  at.OffsetHigh = 0x40000000;
  return at;
}
bool lockLog(HANDLE h) {
  OVERLAPPED at = lockByte(0);
  return LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}
bool lockWriting(HANDLE h) {
  OVERLAPPED at = lockByte(1);
  return LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}
bool g_logWriting = false;  // this run holds the writing byte

// The lock failed because another run holds it.
bool heldByOther() {
  const DWORD code = GetLastError();
  return code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING;
}

// At the end of a run that found the log locked: its lines go in once the
// lock is free. Windows has no fork to leave that to a helper, so the run
// waits for the other run to end (at most ten minutes, then the lines go in
// anyway, still in one piece).
void addPendingLog() {
  if (!g_logWaiting || !fpprintf || g_logPending.empty() || g_logAdded) return;
  g_logAdded = true;
  fflush(stdout);
  fflush(stderr);
  HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(fileno(fpprintf)));
  for (int waited = 0; h != INVALID_HANDLE_VALUE && waited < 600000; waited += 50) {
    if (lockWriting(h) || !heldByOther()) break;
    Sleep(50);
  }
  fwrite(g_logPending.data(), 1, g_logPending.size(), fpprintf);
  fflush(fpprintf);
}

void openLog() {
  const std::string path = xfilemethod::getBinPath() + "debug.txt";
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  if (!lockLog(h) && heldByOther()) {
    g_logWaiting = true;
    static const bool registered = atexit(addPendingLog) == 0;
    (void)registered;
    ruvo_error("ruvojs: another run is writing %s; the lines of this run follow its lines\n", path.c_str());
  } else {
    g_logWriting = lockWriting(h);
    SetEndOfFile(h);  // the handle is at the start: the file is emptied
  }
  // Binary, every write at the end.
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_APPEND);
  if (fd < 0) {
    CloseHandle(h);
    g_logWaiting = false;
    return;
  }
  fpprintf = _fdopen(fd, "ab");
  if (!fpprintf) {
    _close(fd);
    g_logWaiting = false;
  }
}
#else
void writeWhole(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

extern "C" void wakeUp(int) {}

// At the end of a run that found the log locked: its lines go in at once
// when the lock is free, else a small helper process waits for it (at most
// ten minutes), so that this run still ends now.
void addPendingLog() {
  if (!g_logWaiting || !fpprintf || g_logPending.empty() || g_logAdded) return;
  g_logAdded = true;
  const int fd = fileno(fpprintf);
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
    writeWhole(fd, g_logPending);
    return;
  }
  fflush(stdout);
  fflush(stderr);
  const pid_t helper = fork();
  if (helper > 0) return;
  if (helper == 0) {
    setsid();
    const int none = open("/dev/null", O_RDWR);
    for (int std = 0; std < 3; ++std) dup2(none, std);
    struct sigaction wake {};
    wake.sa_handler = wakeUp;
    sigaction(SIGALRM, &wake, nullptr);
    alarm(600);
    flock(fd, LOCK_EX);
  }
  writeWhole(fd, g_logPending);
  if (helper == 0) _exit(0);
}

void openLog() {
  // The base folder ends with a separator already; the doubled separator
  // is accepted by the file system.
  const std::string path = xfilemethod::getBinPath() + "/debug.txt";
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) return;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    g_logWaiting = true;
    static const bool registered = atexit(addPendingLog) == 0;
    (void)registered;
    ruvo_error("ruvojs: another run is writing %s; the lines of this run follow its lines\n", path.c_str());
  } else if (ftruncate(fd, 0) != 0) {
    // The lines are added after what is there.
  }
  fpprintf = fdopen(fd, "a");
  if (!fpprintf) {
    close(fd);
    g_logWaiting = false;
  }
}
#endif

// The IDE reads the messages as they come. The console program's stdout is
// line buffered (main); the Windows C runtime buffers a line-buffered stream
// fully, so there every write is flushed at once.
void flushLine() {
#ifdef _WIN32
  fflush(stdout);
#endif
}

}  // namespace

int ruvo_print(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  int n = vfprintf(stdout, fmt, ap);
  va_end(ap);
  flushLine();
  return n;
}

void ruvo_error(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  vfprintf(stderr, fmt, ap);
  va_end(ap);
}

void ruvo_write(const char* data, size_t size) {
  if (size) fwrite(data, 1, size, stdout);
  flushLine();
}

const NamedCode kMessageTypeTable[] = {
    {MessageType::MainScriptFolder, "MainScriptFolder", "a source folder's output is the main script"},
    {MessageType::Info, "Info", "information"},
    {MessageType::UnmatchedClose, "UnmatchedClose", "a closing bracket of another kind"},
    {MessageType::PreCompiling, "PreCompiling", "a file about to be pre-compiled"},
    {MessageType::CompileStart, "CompileStart", "the compile starts"},
    {MessageType::Converted, "Converted", "a file converted to JavaScript"},
    {MessageType::Problem, "Problem", "a warning or error"},
    {MessageType::PageWritten, "PageWritten", "an HTML page written or present"},
    {MessageType::ScriptSaved, "ScriptSaved", "an output script saved"},
    {MessageType::RunEnd, "RunEnd", "end of the run"},
};
const int kMessageTypeTableSize = static_cast<int>(sizeof(kMessageTypeTable) / sizeof(kMessageTypeTable[0]));

void MSGTO(int type, const char* file, int line, const char* fmt, ...) {
  static std::string buf;
  va_list ap;
  va_start(ap, fmt);
  formatBounded(buf, kMsgBufSize, fmt, ap);
  va_end(ap);
  if (!file) file = "";
  if (MessageType::isLogged(type)) {
    __MYPRINTF__("%d,%.2f,%s,%d,%s\r\n", type, static_cast<double>(_msg_p), file, line, buf.c_str());
  }
  ruvo_print("MSG,%d,%.2f,%s,%d,%s\n", type, static_cast<double>(_msg_p), file, line, buf.c_str());
  // The Windows program lets the IDE catch up: a short pause on the 1st,
  // 21st, 41st ... message of a run.
  if (ruvoPlatform().windows && MSGCOUNT++ % 20 == 0) ruvoSleep(10);
}

void MSGTO_P(float percent) { _msg_p = percent; }

void addKeptLogLines() { addPendingLog(); }

void logLetOthersAdd() {
#ifdef _WIN32
  if (!g_logWriting || !fpprintf) return;
  fflush(fpprintf);
  OVERLAPPED at = lockByte(1);
  UnlockFileEx(reinterpret_cast<HANDLE>(_get_osfhandle(fileno(fpprintf))), 0, 1, 0, &at);
  g_logWriting = false;
#endif
}

void __MYPRINTF__(const char* fmt, ...) {
  static std::string buf;
  if (!fpprintf) openLog();
  va_list ap;
  va_start(ap, fmt);
  formatBounded(buf, kMsgBufSize, fmt, ap);
  va_end(ap);
  _printfprc_("%s", buf.c_str());
  if (fpprintf && g_logWaiting) {
    g_logPending.append(buf.c_str());
  } else if (fpprintf) {
    fwrite(buf.data(), 1, std::strlen(buf.c_str()), fpprintf);
    fflush(fpprintf);
  }
}

void __progressWork__(float percent, const char* fmt, ...) {
  static std::string buf;
  if (percent > 1.0f && percent - _pre__progressWork__ < 4.0f) return;
  _pre__progressWork__ = percent;
  va_list ap;
  va_start(ap, fmt);
  formatBounded(buf, kProgressBufSize, fmt, ap);
  va_end(ap);
  if (showProgressWork) showProgressWork(percent, buf.c_str());
}

void __showProgressWork__(float percent, const char* text) {
  ruvo_print("%.2f%% Ruvo:%s\r\n", static_cast<double>(percent), text);
}

void alert(const char* fmt, ...) {
  static std::string buf;
  va_list ap;
  va_start(ap, fmt);
  formatBounded(buf, kMsgBufSize, fmt, ap);
  va_end(ap);
  if (MsgBox) MsgBox(buf.c_str(), "msg");
}

void Warning(Token* token, std::string text) {
  Parse* file = token ? token->file : nullptr;
  const char* path = file ? file->path.c_str() : "";
  int line = token ? token->line : 0;
  MSGTO(MessageType::Problem, path, line, "%s", text.c_str());
  char msg[kWarningBufSize];
  snprintf(msg, sizeof msg, "file:///%s (%d):warning:%s", path, line, text.c_str());
  if (file && file->scriptFile) file->scriptFile->warnings.push_back(msg);
}

std::string _DEBUF_(const char* text) { return __SHOWDEBUG__ && text ? std::string(text) : std::string(); }

const char* __itoa__(int value) {
  static char str[256];
  snprintf(str, sizeof str, "%d", value);
  return str;
}

const char* __ftoa__(double value) {
  static char str[256];
  snprintf(str, sizeof str, "%f", value);
  return str;
}

void resetMessageState() {
  fflush(stdout);
  if (fpprintf) fclose(fpprintf);
  fpprintf = nullptr;
  g_logWaiting = false;
  g_logAdded = false;
#ifdef _WIN32
  g_logWriting = false;
#endif
  g_logPending.clear();
  _printfprc_ = ruvo_print;
  _msg_p = 0.0f;
  _pre__progressWork__ = -1.0f;
  MSGCOUNT = 0;
  showProgressWork = __showProgressWork__;
  MsgBox = nullptr;
  ErrBox = nullptr;
  __SHOWDEBUG__ = false;
}
