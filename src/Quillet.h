// The compiler front end: collects the source files, parses them and turns
// them into JavaScript.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Parse;

class As3ToScript {
 public:
  virtual int withFile(const char* path) = 0;
};

class Quillet : public As3ToScript {
 public:
  std::vector<Parse*> parses;
  std::vector<std::string> files;

  void addPath(const char* folder);
  void addFile(const char* path);
  void withFiles(std::vector<std::string>& files);
  int withFile(const char* path) override;
  void allToJs();

  static int32_t __compilerScriptIndex__;

 private:
  // Parses one file and then every file its pretreatment asked for (the
  // files of base classes), one after another: a request made while a tree
  // is pretreated is queued, and the requests of a file are served before
  // the earlier ones still queued, in the order the file made them. The
  // trees go into `parses` in the order nested parses would finish them.
  int parseWithRequests(const std::string& key);

  bool pretreating_ = false;
  std::vector<std::string> requests_;  // made by the file being pretreated
};

// Numbers the parsed files from 1 again (tests compile several projects in
// one process).
void resetFrontEnd();
