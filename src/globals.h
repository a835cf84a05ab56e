// Process-wide compiler state.
//
// The state itself is declared next to its owner (messages in message.h,
// options in CompilerOptions.h, lexer state in Token.h, registries in
// TokenClass.h and TokenPackage.h, file records in scriptfile.h, output
// scripts in OneScriptFile.h, the error queue in parse.h); all of it lives
// from program start to exit. A process compiles one project; tests that run
// several compiles in one process call resetCompilerState() between them.
#pragma once

void resetCompilerState();
