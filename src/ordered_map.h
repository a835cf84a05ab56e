// Insertion-ordered hash map keyed by byte strings.
//
// Every registry of the compiler that is ever walked (class maps, import maps,
// member maps, file records, module scripts ...) uses this map, so that the
// order of the generated output depends only on the order in which the
// sources were read, never on hashing. Lookups are hash lookups (a walk of
// the list while a map holds a few keys); iteration follows insertion
// order; references to values stay valid until the entry is erased.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <algorithm>
#include <list>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>

#include "textHash.h"
#include <utility>
#include <vector>

template <class V>
class OrderedMap {
 public:
  using value_type = std::pair<const std::string, V>;
  using List = std::list<value_type>;
  using iterator = typename List::iterator;
  using const_iterator = typename List::const_iterator;

  OrderedMap() = default;
  OrderedMap(const OrderedMap& other) { *this = other; }
  OrderedMap& operator=(const OrderedMap& other) {
    if (this != &other) {
      clear();
      for (const auto& kv : other.items_) (*this)[kv.first] = kv.second;
    }
    return *this;
  }

  // Inserts a default value at the end when the key is new.
  V& operator[](const std::string& key) {
    auto it = locate(key);
    if (it != items_.end()) return it->second;
    items_.emplace_back(key, V());
    auto last = std::prev(items_.end());
    if (!hashes_.empty())
      addToIndex(last);
    else if (items_.size() > kScanned)
      buildIndex(items_.size());
    return last->second;
  }

  iterator find(const std::string& key) { return locate(key); }
  const_iterator find(const std::string& key) const { return const_cast<OrderedMap*>(this)->locate(key); }
  size_t count(const std::string& key) const { return has(key) ? 1 : 0; }
  bool has(const std::string& key) const { return find(key) != items_.cend(); }

  // The value for key, or `fallback` when the key is absent. Never inserts.
  V get(const std::string& key, V fallback = V()) const {
    auto it = find(key);
    return it == items_.cend() ? fallback : it->second;
  }

  size_t erase(const std::string& key) {
    auto it = locate(key);
    if (it == items_.end()) return 0;
    if (!hashes_.empty()) removeFromIndex(it);
    items_.erase(it);
    return 1;
  }

  void clear() {
    items_.clear();
    std::vector<uint32_t>().swap(hashes_);
    std::vector<iterator>().swap(slots_);
  }
  size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }

  iterator begin() { return items_.begin(); }
  iterator end() { return items_.end(); }
  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }

 private:
  // Most maps (the locals of a function, the members of a small class) hold
  // a few keys: up to this many are found by walking the list, and only a
  // map that grows past it gets a hash index. The index is keyed by views
  // of the keys in the list's nodes, which never move, so a key is kept once.
  static constexpr size_t kScanned = 8;

  // The index, once the map holds more than kScanned keys: an open-addressed
  // table, at most half full, of each entry's hash (0 marks a free slot) and
  // its place in the list, probed slot after slot from the hash. Twelve bytes
  // a slot, where a node-based hash map takes a block of its own per key.
  static uint32_t hashOf(std::string_view key) { return static_cast<uint32_t>(textHash(key)) | 1u; }
  size_t mask() const { return hashes_.size() - 1; }

  // Whether two keys are equal. The walk of a small map meets mostly keys of
  // another length or first byte (the locals i, x, dx, arguments): those are
  // told apart without comparing the bytes.
  static bool sameKey(const std::string& a, const std::string& b) {
    const size_t n = a.size();
    return n == b.size() && (n == 0 || (a[0] == b[0] && std::memcmp(a.data(), b.data(), n) == 0));
  }
  iterator locate(const std::string& key) {
    if (hashes_.empty()) {
      for (auto it = items_.begin(); it != items_.end(); ++it)
        if (sameKey(it->first, key)) return it;
      return items_.end();
    }
    const uint32_t h = hashOf(key);
    for (size_t i = h & mask(); hashes_[i] != 0; i = (i + 1) & mask())
      if (hashes_[i] == h && sameKey(slots_[i]->first, key)) return slots_[i];
    return items_.end();
  }
  void buildIndex(size_t count) {
    size_t room = 16;
    while (room < count * 2) room *= 2;
    hashes_.assign(room, 0);
    slots_.assign(room, items_.end());
    for (auto it = items_.begin(); it != items_.end(); ++it) place(it);
  }
  void addToIndex(iterator it) {
    if ((items_.size()) * 2 > hashes_.size())
      buildIndex(items_.size());  // the new entry is in the list already
    else
      place(it);
  }
  void place(iterator it) {
    const uint32_t h = hashOf(it->first);
    size_t i = h & mask();
    while (hashes_[i] != 0) i = (i + 1) & mask();
    hashes_[i] = h;
    slots_[i] = it;
  }
  // Frees the entry's slot and moves back the entries after it that their
  // probe would no longer reach, so no probe meets a gap before its key.
  void removeFromIndex(iterator it) {
    const uint32_t h = hashOf(it->first);
    size_t hole = h & mask();
    while (slots_[hole] != it) hole = (hole + 1) & mask();
    for (size_t next = (hole + 1) & mask(); hashes_[next] != 0; next = (next + 1) & mask()) {
      const size_t home = hashes_[next] & mask();
      // The entry may fill the hole unless its home lies after the hole, up
      // to the entry itself (cyclically).
      const bool homeBetween = hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
      if (homeBetween) continue;
      hashes_[hole] = hashes_[next];
      slots_[hole] = slots_[next];
      hole = next;
    }
    hashes_[hole] = 0;
    slots_[hole] = items_.end();
  }

  List items_;
  std::vector<uint32_t> hashes_;
  std::vector<iterator> slots_;
};

// An OrderedMap that also finds every key beginning with a given text, in
// insertion order, in time proportional to the keys found: the registries of
// classes and package functions answer `import a.b.*` this way instead of
// walking every known name for each such import. Keys are only ever added or
// cleared, so insertion order is the order of the sequence numbers.
template <class V>
class PrefixOrderedMap : private OrderedMap<V> {
  using Base = OrderedMap<V>;

 public:
  using typename Base::const_iterator;
  using typename Base::iterator;
  using typename Base::value_type;
  using Base::begin;
  using Base::count;
  using Base::empty;
  using Base::end;
  using Base::find;
  using Base::get;
  using Base::has;
  using Base::size;

  V& operator[](const std::string& key) {
    auto it = Base::find(key);
    if (it != Base::end()) return it->second;
    V& value = Base::operator[](key);
    sorted_.emplace(key, Entry{next_++, std::prev(Base::end())});
    return value;
  }

  void clear() {
    Base::clear();
    sorted_.clear();
    answers_.clear();
  }

  // Grows with every key added and never goes back, not even on clear(): an
  // answer worked out from the keys holds while it stays the same.
  size_t generation() const { return next_; }

  // The entries whose key begins with `prefix`, in insertion order. Every
  // file's wildcard imports ask again for the same few prefixes, so each
  // answer is kept until a key is added (the entries themselves stay where
  // they are; their values are read through them).
  std::vector<const value_type*> withPrefix(const std::string& prefix) const {
    if (answeredAt_ != next_) {
      answers_.clear();
      answeredAt_ = next_;
    }
    auto [kept, added] = answers_.try_emplace(prefix);
    if (added) kept->second = collect(prefix);
    return kept->second;
  }

 private:
  std::vector<const value_type*> collect(const std::string& prefix) const {
    std::vector<std::pair<size_t, const value_type*>> found;
    for (auto it = sorted_.lower_bound(prefix);
         it != sorted_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it)
      found.emplace_back(it->second.order, &*it->second.at);
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<const value_type*> out;
    out.reserve(found.size());
    for (const auto& f : found) out.push_back(f.second);
    return out;
  }

  struct Entry {
    size_t order;
    iterator at;
  };
  std::map<std::string, Entry> sorted_;
  size_t next_ = 0;
  // withPrefix's answers by prefix, made while next_ was answeredAt_.
  mutable std::unordered_map<std::string, std::vector<const value_type*>> answers_;
  mutable size_t answeredAt_ = 0;
};
