// The road of one compile, from the options to the saved output, and the end
// of the run that follows it.
#pragma once

#include "globals.h"

class Quillet;
class ScriptFile;
class TokenClass;

// The road of one compile: the options of the project, the registries and
// the pre-scan, collect and parse, JavaScript out, order and assemble, save.
// Returns CompileStop::None once the output is saved, else the stop a pass
// recorded; it never ends the process.
CompileStop compileRun(const char* projectFile, const char* libraryFolder);

// The stretch of the road between the options and the save, with the options
// already set: the output scripts are assembled in memory, nothing is
// written but the TypeScript files. The fuzzer runs this stretch alone.
CompileStop compileSources(Quillet& front);

// The end of a run that compiled (or stopped): the summary of a saved
// compile, the end-of-run message, then exit code 0.
[[noreturn]] void endRun(CompileStop stop);

// The browser's built-in names take their mini names before any source
// class is registered.
void seedClassRegistries();

bool SortByM1(const TokenClass* a, const TokenClass* b);
bool SortByExtenedDeph(const ScriptFile* a, const ScriptFile* b);
void outAllErr();

// Sets the warnings counter of the run back to 0.
void resetCompileRun();
