// The queue of source errors: errors found while the trees are built and
// translated wait here with their token and file, and are sent together at
// the end of the run.
#include <string>

#include "TokenPackage.h"
#include "message.h"
#include "parse.h"

// Process-wide (owner: this unit; reset by resetErrorQueue).
std::vector<ScriptErr*> ScriptErr::__ERRS;
int ERRCOUNT = 0;
std::string AS3ERR;
std::string _CURFILENAME;

void Token::scriptErr(std::string&, Parse* file, const char* message, int showSource) {
  if (file && file->package) file->package->hasError = 1;
  ScriptErr::__ERRS.push_back(new ScriptErr(this, file, message, showSource != 0));
}

// Sends one queued error; the first nine are also collected for the summary.
void Token::_scriptErr(Parse* file, const char* message, bool) {
  if (!message) message = "";
  const char* path = file ? file->path.c_str() : "";
  ++ERRCOUNT;
  MSGTO(MessageType::Problem, path, line, "%s", message);
  if (ERRCOUNT <= 9) {
    AS3ERR.append(message).append(" file:").append(path).append(" line:").append(std::to_string(line)).append("\r\n");
  } else if (ERRCOUNT == 10) {
    AS3ERR += "...";
  }
}

void moveQueuedErrors(Token* from, Token* to) {
  for (ScriptErr* e : ScriptErr::__ERRS)
    if (e->token == from) e->token = to;
}

void resetErrorQueue() {
  for (ScriptErr* e : ScriptErr::__ERRS) delete e;
  ScriptErr::__ERRS.clear();
  ERRCOUNT = 0;
  AS3ERR.clear();
  _CURFILENAME.clear();
}
