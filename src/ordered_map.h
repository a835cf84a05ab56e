// Insertion-ordered hash map keyed by byte strings.
//
// Every registry of the compiler that is ever walked (class maps, import maps,
// member maps, file records, module scripts ...) uses this map, so that the
// order of the generated output depends only on the order in which the
// sources were read, never on hashing. Lookups are hash lookups; iteration
// follows insertion order; references to values stay valid until the entry
// is erased.
#pragma once

#include <cstddef>
#include <list>
#include <string>
#include <unordered_map>
#include <utility>

template <class V>
class OrderedMap {
 public:
  using value_type = std::pair<const std::string, V>;
  using List = std::list<value_type>;
  using iterator = typename List::iterator;
  using const_iterator = typename List::const_iterator;

  OrderedMap() { index_.max_load_factor(1.0f); }
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
    auto it = index_.find(key);
    if (it != index_.end()) return it->second->second;
    items_.emplace_back(key, V());
    auto last = std::prev(items_.end());
    index_.emplace(key, last);
    return last->second;
  }

  iterator find(const std::string& key) {
    auto it = index_.find(key);
    return it == index_.end() ? items_.end() : it->second;
  }
  const_iterator find(const std::string& key) const {
    auto it = index_.find(key);
    return it == index_.end() ? items_.cend() : const_iterator(it->second);
  }
  size_t count(const std::string& key) const { return index_.count(key); }
  bool has(const std::string& key) const { return index_.count(key) != 0; }

  // The value for key, or `fallback` when the key is absent. Never inserts.
  V get(const std::string& key, V fallback = V()) const {
    auto it = index_.find(key);
    return it == index_.end() ? fallback : it->second->second;
  }

  size_t erase(const std::string& key) {
    auto it = index_.find(key);
    if (it == index_.end()) return 0;
    items_.erase(it->second);
    index_.erase(it);
    return 1;
  }

  void clear() {
    items_.clear();
    index_.clear();
  }
  size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }

  iterator begin() { return items_.begin(); }
  iterator end() { return items_.end(); }
  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }

 private:
  List items_;
  std::unordered_map<std::string, iterator> index_;
};
