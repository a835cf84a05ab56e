// Pretty-printer for the JavaScript of one source file.
#pragma once

#include <string>

// How the formatted lines end: LF, or CR LF as in the files the compile
// writes (then every LF of the result becomes CR LF, one inside a string
// continued over a line end too).
enum class FormatLineEnd { Lf, CrLf };
std::string formatScript(const std::string& text, FormatLineEnd ends = FormatLineEnd::Lf);
std::string _formatOneLine_(const std::string& line);
int getLineBraceCount(const std::string& line);
bool endIsAnnotationText(const std::string& line);
bool checkIfEnd(const std::string& line);
std::string _nChar_(int count, char chr);
