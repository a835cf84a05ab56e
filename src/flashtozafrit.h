// Flash source converter: rewrites Flash sources in place to the emulation
// library's names, or back again, and links classes to the SWF tools class.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ordered_map.h"

class FlashToZafrit {
 public:
  OrderedMap<std::string> linkClasses;
  std::vector<std::string> linkKeys;
  int32_t mode = 0;

  FlashToZafrit(const char* folder, const char* linkList, int mode);
  void readini(const char* path);
  void changeOneFile(const char* path);
  void addLinkClass(const char* path);
  bool _adjustLinkClass_(std::string& text, const std::string& className);
  static std::string adjustScript(const std::string& text, int mode);
  static void PreChangeFlash(const char* projectFile);
};
