// A list of token pointers: the children of a token and the lists the tree
// code builds from them.
//
// Every token has a child list, and most have no children at all, so the
// list is one pointer wide (a std::vector takes three): it points to one
// block holding the size, the room and the elements, and to a shared empty
// block (never written, never freed) while the list is empty and has no
// room, so that reading the size needs no test for a missing block. It reads and changes like the
// TokenList it replaces; iterators are plain pointers and, as with
// a vector, a change that grows the list may move its elements.
#pragma once

#include <cstdint>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <new>
#include <stdexcept>
#include <vector>

class Token;

class TokenList {
 public:
  using value_type = Token*;
  using size_type = size_t;
  using difference_type = ptrdiff_t;
  using reference = Token*&;
  using const_reference = Token* const&;
  using iterator = Token**;
  using const_iterator = Token* const*;
  using reverse_iterator = std::reverse_iterator<iterator>;
  using const_reverse_iterator = std::reverse_iterator<const_iterator>;

  TokenList() = default;
  TokenList(std::initializer_list<Token*> items) { assign(items.begin(), items.end()); }
  template <class It>
  TokenList(It first, It last) {
    assign(first, last);
  }
  TokenList(size_t n, Token* value) { resize(n, value); }
  TokenList(const TokenList& other) { assign(other.begin(), other.end()); }
  TokenList(TokenList&& other) noexcept : block_(other.block_) { other.block_ = none(); }
  TokenList(const std::vector<Token*>& other) { assign(other.begin(), other.end()); }
  ~TokenList() { release(); }

  TokenList& operator=(const TokenList& other) {
    if (this != &other) assign(other.begin(), other.end());
    return *this;
  }
  TokenList& operator=(TokenList&& other) noexcept {
    if (this != &other) {
      release();
      block_ = other.block_;
      other.block_ = none();
    }
    return *this;
  }
  TokenList& operator=(std::initializer_list<Token*> items) {
    assign(items.begin(), items.end());
    return *this;
  }

  template <class It>
  void assign(It first, It last) {
    clear();
    const size_t n = static_cast<size_t>(std::distance(first, last));
    reserve(n);
    for (; first != last; ++first) data()[block_->size++] = *first;
  }

  size_t size() const { return block_->size; }
  size_t capacity() const { return block_->capacity; }
  bool empty() const { return size() == 0; }

  Token** data() { return block_->items; }
  Token* const* data() const { return block_->items; }
  iterator begin() { return data(); }
  iterator end() { return data() + size(); }
  const_iterator begin() const { return data(); }
  const_iterator end() const { return data() + size(); }
  const_iterator cbegin() const { return begin(); }
  const_iterator cend() const { return end(); }
  reverse_iterator rbegin() { return reverse_iterator(end()); }
  reverse_iterator rend() { return reverse_iterator(begin()); }
  const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
  const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }

  Token*& operator[](size_t i) { return block_->items[i]; }
  Token* const& operator[](size_t i) const { return block_->items[i]; }
  Token*& at(size_t i) {
    if (i >= size()) throw std::out_of_range("TokenList::at");
    return block_->items[i];
  }
  Token* const& at(size_t i) const {
    if (i >= size()) throw std::out_of_range("TokenList::at");
    return block_->items[i];
  }
  Token*& front() { return block_->items[0]; }
  Token*& back() { return block_->items[block_->size - 1]; }
  Token* const& front() const { return block_->items[0]; }
  Token* const& back() const { return block_->items[block_->size - 1]; }

  void reserve(size_t n) {
    if (n > capacity()) grow(n);
  }
  void push_back(Token* t) {
    if (size() == capacity()) grow(size() + 1);
    block_->items[block_->size++] = t;
  }
  void emplace_back(Token* t) { push_back(t); }
  void pop_back() { --block_->size; }
  void clear() {
    if (block_ != none()) block_->size = 0;
  }
  void resize(size_t n, Token* value = nullptr) {
    reserve(n);
    if (block_ == none()) return;
    for (size_t i = block_->size; i < n; ++i) block_->items[i] = value;
    block_->size = static_cast<uint32_t>(n);
  }
  // Gives back the room beyond the size: the list moves to a block that
  // just holds it (none when it is empty).
  void shrink_to_fit() {
    if (block_->capacity == block_->size) return;
    Block* fit = none();
    if (block_->size) {
      fit = static_cast<Block*>(std::malloc(bytesFor(block_->size)));
      if (!fit) return;
      fit->size = fit->capacity = block_->size;
      std::memcpy(fit->items, block_->items, block_->size * sizeof(Token*));
    }
    release();
    block_ = fit;
  }
  // The elements of `other`, in a block with room for just them.
  void assignExact(const TokenList& other) {
    if (this == &other) return shrink_to_fit();
    if (other.empty()) {
      release();
      block_ = none();
      return;
    }
    if (capacity() != other.size()) {
      release();
      block_ = static_cast<Block*>(std::malloc(bytesFor(other.size())));
      if (!block_) throw std::bad_alloc();
      block_->capacity = static_cast<uint32_t>(other.size());
    }
    block_->size = static_cast<uint32_t>(other.size());
    std::memcpy(block_->items, other.data(), other.size() * sizeof(Token*));
  }
  void swap(TokenList& other) noexcept {
    Block* b = block_;
    block_ = other.block_;
    other.block_ = b;
  }

  iterator insert(const_iterator at, Token* t) {
    const size_t i = static_cast<size_t>(at - begin());
    if (size() == capacity()) grow(size() + 1);
    Token** items = block_->items;
    std::memmove(items + i + 1, items + i, (block_->size - i) * sizeof(Token*));
    items[i] = t;
    ++block_->size;
    return items + i;
  }
  template <class It>
  iterator insert(const_iterator at, It first, It last) {
    const size_t i = static_cast<size_t>(at - begin());
    const size_t n = static_cast<size_t>(std::distance(first, last));
    if (n == 0) return begin() + i;
    // The range may be this list's own elements: copy it out first.
    std::vector<Token*> added(first, last);
    if (size() + n > capacity()) grow(size() + n);
    Token** items = block_->items;
    std::memmove(items + i + n, items + i, (block_->size - i) * sizeof(Token*));
    std::memcpy(items + i, added.data(), n * sizeof(Token*));
    block_->size += static_cast<uint32_t>(n);
    return items + i;
  }
  iterator insert(const_iterator at, std::initializer_list<Token*> items) {
    return insert(at, items.begin(), items.end());
  }
  iterator erase(const_iterator at) { return erase(at, at + 1); }
  iterator erase(const_iterator first, const_iterator last) {
    const size_t i = static_cast<size_t>(first - begin());
    const size_t n = static_cast<size_t>(last - first);
    if (n == 0) return begin() + i;
    Token** items = block_->items;
    std::memmove(items + i, items + i + n, (block_->size - i - n) * sizeof(Token*));
    block_->size -= static_cast<uint32_t>(n);
    return items + i;
  }

  operator std::vector<Token*>() const { return std::vector<Token*>(begin(), end()); }
  bool operator==(const TokenList& other) const {
    return size() == other.size() && (empty() || std::memcmp(data(), other.data(), size() * sizeof(Token*)) == 0);
  }
  bool operator!=(const TokenList& other) const { return !(*this == other); }

 private:
  struct Block {
    uint32_t size;
    uint32_t capacity;
    Token* items[1];
  };
  static size_t bytesFor(size_t n) { return offsetof(Block, items) + (n ? n : 1) * sizeof(Token*); }
  // Room for at least `need` elements: half as much again plus one,
  // starting from 2. Most lists are made to size and grow by a few
  // insertions afterwards, so doubling would mostly keep empty room.
  void grow(size_t need) {
    size_t room = capacity() ? capacity() + capacity() / 2 + 1 : 2;
    if (room < need) room = need;
    const bool fresh = block_ == none();
    auto* b = static_cast<Block*>(std::realloc(fresh ? nullptr : static_cast<void*>(block_), bytesFor(room)));
    if (!b) throw std::bad_alloc();
    if (fresh) b->size = 0;
    b->capacity = static_cast<uint32_t>(room);
    block_ = b;
  }
  // The block of every list without room: size and room 0.
  static inline Block empty_ = {0, 0, {nullptr}};
  static Block* none() { return &empty_; }
  void release() {
    if (block_ != none()) std::free(block_);
  }
  Block* block_ = none();
};
