#include "SharedString.h"

#include <functional>
#include <unordered_set>

namespace {

struct TextHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};

// The texts kept so far. Nodes never move, so a kept text stays where it is;
// the table lives to the end of the process (tokens of every compile point
// into it), and only the compile's own thread stores texts.
std::unordered_set<std::string, TextHash, std::equal_to<>>& keptTexts() {
  static auto* texts = new std::unordered_set<std::string, TextHash, std::equal_to<>>();
  return *texts;
}

}  // namespace

const std::string* SharedString::intern(std::string_view s) {
  if (s.empty()) return nullptr;
  // The lexer stores a text for every token, nearly always one of a few
  // dozen runs of blanks: a small table of recent texts, indexed by the
  // length and the end bytes, answers most of them without hashing.
  static const std::string* recent[256] = {};
  const size_t slot = (s.size() * 31 + static_cast<unsigned char>(s[0]) * 7 +
                       static_cast<unsigned char>(s[s.size() - 1])) & 255;
  if (const std::string* hit = recent[slot]; hit && *hit == s) return hit;
  auto& texts = keptTexts();
  auto it = texts.find(s);
  if (it == texts.end()) it = texts.emplace(s).first;
  recent[slot] = &*it;
  return &*it;
}
