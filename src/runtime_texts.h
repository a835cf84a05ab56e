// The runtime prelude texts, embedded at build time from src/runtime/*.js.
#pragma once

#include <cstddef>
#include <string>

// The whole text of src/runtime/<name>.js ("-" in the name becomes "_").
std::string runtimeText(const char* name);
