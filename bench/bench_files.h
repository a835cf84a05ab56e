// What the benchmarks share: writing the files of a generated project.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace benchfiles {

// Writes `text` to `p`, creating its folders.
inline void writeText(const std::filesystem::path& p, const std::string& text) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << text;
}

}  // namespace benchfiles
