// The file root `Parse` (one ActionScript source file during the compile) and
// the queue of source errors.
#pragma once

#include <string>
#include <vector>

#include "Token.h"

class As3ToScript;
class ScriptFile;
class TokenFunction;
class TokenPackage;

class Parse : public Token {
 public:
  std::string sourceRoot;            // the source folder holding the file's package folders
  std::string directory;             // the path up to its last separator
  std::string path;                  // the path as given
  std::string jsText;                // the file's JavaScript (toJavaScript)
  std::string sourceText;            // the normalised text while it is tokenised (empty after)
  int32_t skip = 0;                  // 1: Flash-only file, no tokens and no JavaScript
  int32_t runtimeLibrary = 0;        // path starts with zafrit/, iruvo/ or kresp/
  int32_t sync = 1;                  // 0 after "[COMPILER OPTIONS:DISABLE2SYNC]"
  // 0 while the file's text is pretreated when none of its functions can
  // hold an awaited call (see Parse::Parse): they skip the walk that looks
  // for such calls.
  uint8_t mayAwait = 1;
  TokenPackage* package = nullptr;   // set by the package pretreatment
  ScriptFile* scriptFile = nullptr;  // the file's record
  uint8_t forcedCompile = 0;         // "[COMPILER OPTIONS:ForcedCompile]"
  As3ToScript* owner = nullptr;      // the front end that made it
  uint8_t noNullOptimization = 0;
  uint8_t usesXml = 0;               // the lexer met an XML literal
  TokenFunction* packageFunction = nullptr;
  std::vector<TokenFunction*> outsideFunctions;
  // The functions pretreated in the file (one may be listed twice): their
  // locals are read only while the file prints, and go once it has printed.
  std::vector<TokenFunction*> functions;
  uint32_t rootNumber = FileRef::add(this);  // what the file's tokens hold

  Parse(As3ToScript* owner, const char* text, const char* path, int number);

  void toJavaScript();
  void setPath(const char* path);
  void toPretreatment(char* text);
  static void _format_head(char* text);
  static bool _format_ifdef(char* text);
  // The text as the lexer reads it: head blanked, line ends unified to LF,
  // conditional-compilation markers applied, cut at its first NUL. False
  // when the whole file is Flash-only.
  static bool prepareText(std::string& text);
};

// One queued source error.
class ScriptErr {
 public:
  Token* token;
  Parse* file;
  std::string message;
  bool showSource;
  ScriptErr(Token* token, Parse* file, const char* message, bool showSource)
      : token(token), file(file), message(message ? message : ""), showSource(showSource) {}

  static std::vector<ScriptErr*> __ERRS;  // in the order found; kept to the end of the run
};

extern int ERRCOUNT;         // errors sent so far
extern std::string AS3ERR;   // the first nine errors, then "..."
extern std::string _CURFILENAME;  // the file being parsed or emitted

// Empties the queue and restores the counters (tests compile several
// projects in one process).
void resetErrorQueue();
// Hands the errors queued at `from` over to `to`, for a token that the lexer
// folds into another and frees (the async word into its function).
void moveQueuedErrors(Token* from, Token* to);
