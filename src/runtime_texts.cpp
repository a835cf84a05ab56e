#include "runtime_texts.h"

#include <cstring>

struct RuntimeTextEntry {
  const char* name;
  const char* data;
  std::size_t size;
};
extern const RuntimeTextEntry kRuntimeTexts[];

std::string runtimeText(const char* name) {
  for (const RuntimeTextEntry* e = kRuntimeTexts; e->name; ++e) {
    if (std::strcmp(e->name, name) == 0) return std::string(e->data, e->size);
  }
  return std::string();
}
