// The compile run: from the options read to the written output and the end
// of the process.
#pragma once

class ScriptFile;
class TokenClass;

// Runs the whole compile after CompilerOptions::read; ends the process.
[[noreturn]] void compileRun();

// The browser's built-in names take their mini names before any source
// class is registered.
void seedClassRegistries();

bool SortByM1(const TokenClass* a, const TokenClass* b);
bool SortByExtenedDeph(const ScriptFile* a, const ScriptFile* b);
void outAllErr();
