// Entry of a run and the thread wrapper the Windows front end uses.
#pragma once

// The whole run of one command: the dispatch of the command line, then, for
// a compile, the road of the compile and the end of the run, which ends the
// process. The forms that compile nothing return 0.
int _tmain1(int argc, const char** argv);
void runParseThread(int argc, const char** argv);

class parseThread {
 public:
  parseThread(int argc, const char** argv);
  // The Windows front end learns through `returned` (called on the thread
  // with the result of `_tmain1`) that a run ended without compiling, so
  // that it can close its window; a compile ends the process instead.
  parseThread(int argc, const char** argv, void (*returned)(int result));
  virtual ~parseThread() {}
};
