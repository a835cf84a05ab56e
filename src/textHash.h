// The hash of the program's own text tables (shared texts, ordered maps).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// The keys are names, paths, words and blanks, mostly short: eight bytes
// are mixed in at a time and the last few together, with no call out of
// line. The low bits are spread well enough to pick a slot of a table.
inline uint64_t textHash(std::string_view s) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(s.data());
  size_t n = s.size();
  uint64_t h = 0x9E3779B97F4A7C15ull ^ (n * 0xC2B2AE3D27D4EB4Full);
  while (n >= 8) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    h = (h ^ v) * 0xFF51AFD7ED558CCDull;
    h ^= h >> 32;
    p += 8;
    n -= 8;
  }
  uint64_t v = 0;
  for (size_t i = 0; i < n; ++i) v |= static_cast<uint64_t>(p[i]) << (8 * i);
  h = (h ^ v) * 0xC4CEB9FE1A85EC53ull;
  h ^= h >> 29;
  return h;
}
