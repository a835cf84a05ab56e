// Helpers of the TypeScript output used by the statement and class output.
#pragma once

#include <string>

class Token;

std::string typeToTsType(std::string typeName);
std::string toTsVarType(Token* token);
std::string getPriveOrProtect(Token* token, const char* label);
std::string getConstStr(Token* token);
std::string toTsClassName(std::string fullName);
std::string toTsClassNameS(std::string names);
