// Entry of a run and the thread wrapper the Windows front end uses.
#pragma once

int _tmain1(int argc, const char** argv);
void runParseThread(int argc, const char** argv);

class parseThread {
 public:
  parseThread(int argc, const char** argv);
  virtual ~parseThread() {}
};
