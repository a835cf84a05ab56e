// Process-wide compiler state.
//
// The state itself is declared next to its owner (messages in message.h,
// options in CompilerOptions.h, lexer state in Token.h, registries in
// TokenClass.h and TokenPackage.h, file records in scriptfile.h, output
// scripts in OneScriptFile.h, the error queue in parse.h, the front end's
// script numbers in Quillet.h); all of it lives from program start to exit.
// A process compiles one project; the fuzzer and the tests that run several
// compiles in one process call resetCompilerState() between them.
#pragma once

#include <cstdint>

// Why a compile stops before its output is saved. The pass that finds the
// fault reports it, records the stop with stopCompile() and returns; the
// road of the compile looks after each step and hands the stop on to the end
// of the run, which decides what the user sees last.
enum class CompileStop : uint8_t {
  None,             // the compile goes on (or was saved)
  NoProject,        // the project file cannot be read or is no project
  NoDocumentClass,  // the project names no usable main (document) class
  UndeclaredBase,   // a base class's file was compiled but does not declare it
};

// Records the stop; the first one recorded stands.
void stopCompile(CompileStop why);

// Thrown by a pass that finds a fault after which nothing more of the file
// it works on may run or print (a base class that its file does not
// declare); the front end catches it where the parse of a file begins and
// returns, and the road of the compile sees the recorded stop.
struct CompileStopped {
  CompileStop why;
};
// The stop recorded by a pass; CompileStop::None while the compile goes on.
CompileStop compileStop();

// Restores every process-wide variable to its start value.
void resetCompilerState();
