#include "SharedString.h"

#include <cstring>

#include "textHash.h"

namespace {

// The texts kept so far: an open-addressing table of (hash, number) slots,
// the texts themselves each in a string of its own that never moves. The
// table lives to the end of the process (tokens of every compile hold its
// numbers), and only the compile's own thread stores texts; it is asked for
// every token the lexer makes.

const std::string kEmpty;
const std::string* kFirst[1] = {&kEmpty};

// The texts by number. A grown list replaces the old one; SharedString
// reads the list through kept_ on every use, so nothing holds the old one
// (the texts themselves stay where they are).
struct KeptList {
  const std::string** items = const_cast<const std::string**>(kFirst);
  size_t size = 1;
  size_t capacity = 1;

  uint32_t add(const std::string* text) {
    if (size == capacity) {
      const size_t grown = capacity * 2 < 1024 ? 1024 : capacity * 2;
      auto** bigger = new const std::string*[grown];
      for (size_t i = 0; i < size; ++i) bigger[i] = items[i];
      if (items != const_cast<const std::string**>(kFirst)) delete[] items;
      items = bigger;
      capacity = grown;
    }
    items[size] = text;
    return static_cast<uint32_t>(size++);
  }
};
KeptList g_list;

// Slots hold the number of a kept text (0: free) and the low half of its
// hash, so a probe compares texts only where the hashes agree. Kept at most
// half full.
struct TextTable {
  struct Slot {
    uint32_t hash = 0;
    uint32_t id = 0;
  };
  Slot* slots = nullptr;
  size_t mask = 0;
  size_t used = 0;

  void grow() {
    const size_t count = slots ? (mask + 1) * 2 : 4096;
    Slot* bigger = new Slot[count];
    for (size_t i = 0; slots && i <= mask; ++i) {
      if (!slots[i].id) continue;
      size_t at = slots[i].hash & (count - 1);
      while (bigger[at].id) at = (at + 1) & (count - 1);
      bigger[at] = slots[i];
    }
    delete[] slots;
    slots = bigger;
    mask = count - 1;
  }

  uint32_t find(std::string_view s) {
    if ((used + 1) * 2 > mask + 1 || !slots) grow();
    const auto h = static_cast<uint32_t>(textHash(s));
    size_t at = h & mask;
    for (;; at = (at + 1) & mask) {
      const Slot& slot = slots[at];
      if (!slot.id) break;
      if (slot.hash == h) {
        const std::string& kept = *g_list.items[slot.id];
        if (kept.size() == s.size() && std::memcmp(kept.data(), s.data(), s.size()) == 0) return slot.id;
      }
    }
    const uint32_t id = g_list.add(new std::string(s));
    slots[at].hash = h;
    slots[at].id = id;
    ++used;
    return id;
  }
};
TextTable g_table;

}  // namespace

const std::string* const* SharedString::kept_ = kFirst;
uint32_t SharedString::single_[256] = {};

namespace {

// Whether two texts of the same length `n` hold the same bytes: short texts
// (nearly all of them) compare as two overlapping loads from each end, which
// stay inside both texts, instead of a call to memcmp.
template <class Word>
inline bool sameEnds(const char* a, const char* b, size_t n) {
  Word a0, a1, b0, b1;
  std::memcpy(&a0, a, sizeof(Word));
  std::memcpy(&b0, b, sizeof(Word));
  std::memcpy(&a1, a + n - sizeof(Word), sizeof(Word));
  std::memcpy(&b1, b + n - sizeof(Word), sizeof(Word));
  return ((a0 ^ b0) | (a1 ^ b1)) == 0;
}
// For 1 to 16 bytes.
inline bool sameBytes(const char* a, const char* b, size_t n) {
  if (n >= 8) return sameEnds<uint64_t>(a, b, n);
  if (n >= 4) return sameEnds<uint32_t>(a, b, n);
  if (n >= 2) return sameEnds<uint16_t>(a, b, n);
  return n == 0 || a[0] == b[0];
}

// The table of recent texts (see intern; the one-byte table is SharedString::single_).
constexpr int kRecentBits = 12;
constexpr size_t kRecentSlots = size_t(1) << kRecentBits;
uint32_t g_recent[kRecentSlots] = {};

}  // namespace

// The texts neither small table answers: looked up (or stored) in the table
// of all texts. Kept out of line, so that intern's common path stays short;
// a text longer than sameBytes takes is first compared with its recent
// slot's here, so that intern makes no call that returns to it (its common
// paths then need no stack frame).
[[gnu::noinline]] uint32_t SharedString::internSlow(std::string_view s, uint32_t& remembered) {
  if (s.size() > 16 && remembered) {
    const std::string& kept = *kept_[remembered];
    if (kept.size() == s.size() && std::memcmp(kept.data(), s.data(), s.size()) == 0) return remembered;
  }
  const uint32_t id = g_table.find(s);
  kept_ = g_list.items;
  remembered = id;
  return id;
}

uint32_t SharedString::intern(std::string_view s) {
  const size_t n = s.size();
  if (n == 0) return 0;
  // Punctuation and one-byte operators: a table by the byte.
  if (n == 1) {
    uint32_t& one = single_[static_cast<unsigned char>(s[0])];
    return one ? one : internSlow(s, one);
  }
  return internLong(s);
}

uint32_t SharedString::internLong(std::string_view s) {
  const size_t n = s.size();
  // The lexer stores a text for every token, nearly always one of a few
  // dozen runs of blanks: a small table of recent texts, indexed by one
  // multiplication of the length, the first two bytes and the last, answers
  // most of them without hashing the whole text.
  uint16_t front;
  std::memcpy(&front, s.data(), sizeof front);
  const uint32_t key =
      front | static_cast<uint32_t>(static_cast<unsigned char>(s[n - 1])) << 16 | static_cast<uint32_t>(n) << 24;
  const size_t slot = (key * 0x9E3779B1u) >> (32 - kRecentBits);
  uint32_t& recent = g_recent[slot];
  if (const uint32_t hit = recent; hit && n <= 16) {
    const std::string& kept = *kept_[hit];
    if (kept.size() == n && sameBytes(kept.data(), s.data(), n)) return hit;
  }
  return internSlow(s, recent);
}
