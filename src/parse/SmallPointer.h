// Pointer fields of the token that take 4 bytes instead of 8. A project
// makes millions of tokens and keeps them all to the end of the run, so
// each field counts.
//
// SharedPointer<T>: one of a few objects that many tokens point to (the
// class a token belongs to). Every distinct pointer is kept once in a
// process-wide table and the field holds its number; it reads and stores as
// the T* it stands for. Number 0 is the null pointer. Only the compile's own
// thread stores.
#pragma once

#include <cstddef>
#include <cstdint>

// The table behind the field.
class SmallPointerTables {
 protected:
  // The number of `p` in the shared table (0 for null), added when new.
  static uint32_t sharedId(const void* p);
  static const void* const* shared_;  // entry 0 is null
  // The pointer stored last and its number: tokens made one after the other
  // mostly point to the same object (null at first, number 0).
  static const void* last_;
  static uint32_t lastId_;
};

template <class T>
class SharedPointer : private SmallPointerTables {
 public:
  SharedPointer() = default;
  // From null only, so that `a ? token->field : nullptr` reads as a pointer.
  SharedPointer(std::nullptr_t) {}
  SharedPointer& operator=(T* p) {
    id_ = p == last_ ? lastId_ : sharedId(p);
    return *this;
  }
  SharedPointer& operator=(std::nullptr_t) {
    id_ = 0;
    return *this;
  }
  T* get() const { return static_cast<T*>(const_cast<void*>(shared_[id_])); }
  operator T*() const { return get(); }
  T* operator->() const { return get(); }

 private:
  uint32_t id_ = 0;
};
