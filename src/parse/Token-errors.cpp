// Placeholder: the source error queue is being built.
#include "parse.h"

std::vector<ScriptErr*> ScriptErr::__ERRS;
int ERRCOUNT = 0;
std::string AS3ERR;
std::string _CURFILENAME;

void Token::scriptErr(std::string&, Parse* file, const char* message, int showSource) {
  ScriptErr::__ERRS.push_back(new ScriptErr(this, file, message, showSource != 0));
}
