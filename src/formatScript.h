// Pretty-printer for the JavaScript of one source file.
#pragma once

#include <string>

std::string formatScript(const std::string& text);
std::string _formatOneLine_(const std::string& line);
int getLineBraceCount(const std::string& line);
bool endIsAnnotationText(const std::string& line);
bool checkIfEnd(const std::string& line);
std::string _nChar_(int count, char chr);
