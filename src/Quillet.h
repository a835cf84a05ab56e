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
};
