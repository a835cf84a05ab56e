// Placeholder: the file root is being built.
#include "parse.h"

Parse::Parse(As3ToScript* owner, const char*, const char* path, int) : Token(0, nullptr, 0, 0, nullptr) {
  this->owner = owner;
  file = this;
  this->path = path ? path : "";
}
void Parse::toJavaScript() {}
