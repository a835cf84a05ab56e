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
#include <algorithm>
#include <list>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

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
  }

  // The entries whose key begins with `prefix`, in insertion order.
  std::vector<const value_type*> withPrefix(const std::string& prefix) const {
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

 private:
  struct Entry {
    size_t order;
    iterator at;
  };
  std::map<std::string, Entry> sorted_;
  size_t next_ = 0;
};
