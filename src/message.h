// Messages, log, progress and warnings.
//
// Every diagnostic of the compiler leaves through these functions. Standard
// output carries the IDE protocol only: "MSG," lines, the log echo and the
// progress lines, all written through one C stdio stream in call order
// (`ruvo_print` is the single sink), so nothing reorders when stdout is a
// pipe. Anything meant for a human outside the protocol goes to stderr.
#pragma once

#include <cstdio>
#include <string>

#include "namedCode.h"

class Token;

// Process-wide message state (owner: this unit; lives for the whole run).
extern FILE* fpprintf;                                 // the open log file debug.txt
extern int (*_printfprc_)(const char* fmt, ...);       // console echo of __MYPRINTF__
extern float _msg_p;                                   // current progress percentage
extern float _pre__progressWork__;                     // last progress value passed on
extern int MSGCOUNT;                                   // messages sent (Windows program only)
extern void (*showProgressWork)(float percent, const char* text);
extern int (*MsgBox)(const char* text, const char* caption);
extern int (*ErrBox)(const char* text, const char* caption);
extern bool __SHOWDEBUG__;

// The one writer of standard output: printf-style, to stdout.
int ruvo_print(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// The one writer of standard error: a line for a human (the IDE reads only
// standard output), printf-style; the caller ends it with "\n".
void ruvo_error(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// Raw bytes to standard output.
void ruvo_write(const char* data, size_t size);

// The message types of MSGTO: the first field of every "MSG," line, which
// the IDE reads. The values are fixed; kMessageTypeTable lists them and one
// test sends a message of every row through a compile or a direct call.
namespace MessageType {
constexpr int MainScriptFolder = 0;  // a source folder's output is the main script ("outlsys err:")
constexpr int Info = 1;              // information: "command", "Collect", "Main Class:", "save" ...
constexpr int UnmatchedClose = 2;    // a ")" or "}" closes a token of another kind (lexer)
constexpr int PreCompiling = 3;      // a file about to be pre-compiled (not logged)
constexpr int CompileStart = 4;      // the compile starts, after the options (not logged)
constexpr int Converted = 5;         // a file converted to JavaScript (not logged)
constexpr int Problem = 7;           // a warning or error text
constexpr int PageWritten = 11;      // an HTML page written or already present; line = its size
constexpr int ScriptSaved = 12;      // an output script saved; line = its length
constexpr int RunEnd = 14;           // end of the run, right before the process ends
// Types 3, 4 and 5 go to standard output only, not to the log.
constexpr bool isLogged(int type) { return type != PreCompiling && type != CompileStart && type != Converted; }
}  // namespace MessageType

extern const NamedCode kMessageTypeTable[];
extern const int kMessageTypeTableSize;

void MSGTO(int type, const char* file, int line, const char* fmt, ...) __attribute__((format(printf, 4, 5)));
void MSGTO_P(float percent);
void __MYPRINTF__(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void __progressWork__(float percent, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void __showProgressWork__(float percent, const char* text);
void alert(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void Warning(Token* token, std::string text);
std::string _DEBUF_(const char* text);
const char* __itoa__(int value);
const char* __ftoa__(double value);

// Cut-off lengths of the message buffers (the visible texts are cut there).
constexpr size_t kMsgBufSize = 10485760;
constexpr size_t kProgressBufSize = 10240;
constexpr size_t kWarningBufSize = 1024;

// At the end of a run that found debug.txt in use by another run: adds the
// lines it kept back, in one piece, once that run lets go of the log (on
// Windows this run waits for that; elsewhere a small helper process does).
// Does nothing in any other run, and nothing the second time.
void addKeptLogLines();
// Called before a message box waits for the user (Windows): a run that
// waits to add its lines to debug.txt adds them now instead of when the box
// is answered; the lines of this run that follow come after them.
void logLetOthersAdd();

// Closes the log and restores the start values (tests run several compiles
// in one process).
void resetMessageState();
