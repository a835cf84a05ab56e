#include "SharedString.h"

#include <functional>
#include <unordered_map>

namespace {

struct TextHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};

// The texts kept so far, with their numbers. Nodes never move, so a kept
// text stays where it is; the table lives to the end of the process (tokens
// of every compile hold its numbers), and only the compile's own thread
// stores texts.
std::unordered_map<std::string, uint32_t, TextHash, std::equal_to<>>& keptTexts() {
  static auto* texts = new std::unordered_map<std::string, uint32_t, TextHash, std::equal_to<>>();
  return *texts;
}

const std::string kEmpty;
const std::string* kFirst[1] = {&kEmpty};

// The texts by number. A grown list replaces the old one, which is left in
// place: a reader may still hold it while a token stores a new text. The
// replaced lists are kept in `retired`, so that they stay reachable (a leak
// check counts an unreachable one as lost; together they take less than the
// current list).
struct KeptList {
  const std::string** items = const_cast<const std::string**>(kFirst);
  size_t size = 1;
  size_t capacity = 1;
  const std::string** retired[40] = {};
  size_t retiredCount = 0;

  uint32_t add(const std::string* text) {
    if (size == capacity) {
      const size_t grown = capacity * 2 < 1024 ? 1024 : capacity * 2;
      auto** bigger = new const std::string*[grown];
      for (size_t i = 0; i < size; ++i) bigger[i] = items[i];
      if (items != const_cast<const std::string**>(kFirst)) retired[retiredCount++] = items;
      items = bigger;
      capacity = grown;
    }
    items[size] = text;
    return static_cast<uint32_t>(size++);
  }
};
KeptList g_list;

}  // namespace

const std::string* const* SharedString::kept_ = kFirst;

uint32_t SharedString::intern(std::string_view s) {
  if (s.empty()) return 0;
  // The lexer stores a text for every token, nearly always one of a few
  // dozen runs of blanks: a small table of recent texts, indexed by the
  // length and the end bytes, answers most of them without hashing.
  static uint32_t recent[256] = {};
  const size_t slot = (s.size() * 31 + static_cast<unsigned char>(s[0]) * 7 +
                       static_cast<unsigned char>(s[s.size() - 1])) & 255;
  if (const uint32_t hit = recent[slot]; hit && *kept_[hit] == s) return hit;
  auto& texts = keptTexts();
  auto it = texts.find(s);
  if (it == texts.end()) {
    it = texts.emplace(std::string(s), 0).first;
    it->second = g_list.add(&it->first);
    kept_ = g_list.items;
  }
  recent[slot] = it->second;
  return it->second;
}
