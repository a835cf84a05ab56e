// Pointer fields of the token that take 4 bytes instead of 8. A project
// makes millions of tokens and keeps them all to the end of the run, so
// each field counts; these two read and store as the T* they stand for.
//
// - SharedPointer<T>: one of a few objects that many tokens point to (the
//   class a token belongs to). Every distinct pointer is kept once in a
//   process-wide table and the field holds its number.
// - RarePointer<T>: a pointer that few tokens set (the type word of a
//   declaration). The field holds the number of a slot of a process-wide
//   list, taken when a pointer is first stored and given back with the field.
//
// Number 0 is the null pointer for both. Only the compile's own thread stores.
#pragma once

#include <cstddef>
#include <cstdint>

// The tables behind the two kinds of field.
class SmallPointerTables {
 protected:
  // The number of `p` in the shared table (0 for null), added when new.
  static uint32_t sharedId(const void* p);
  static const void* const* shared_;  // entry 0 is null
  // A free slot of the rare list, and a slot given back.
  static uint32_t takeSlot();
  static void giveBack(uint32_t id);
  static const void** slots_;  // slot 0 is never handed out
};

template <class T>
class SharedPointer : private SmallPointerTables {
 public:
  SharedPointer() = default;
  // From null only, so that `a ? token->field : nullptr` reads as a pointer.
  SharedPointer(std::nullptr_t) {}
  SharedPointer& operator=(T* p) {
    id_ = sharedId(p);
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

template <class T>
class RarePointer : private SmallPointerTables {
 public:
  RarePointer() = default;
  RarePointer(std::nullptr_t) {}
  RarePointer(const RarePointer& other) { *this = other.get(); }
  RarePointer& operator=(const RarePointer& other) { return *this = other.get(); }
  ~RarePointer() { *this = nullptr; }
  RarePointer& operator=(T* p) {
    if (p) {
      if (!id_) id_ = takeSlot();
      slots_[id_] = p;
    } else if (id_) {
      giveBack(id_);
      id_ = 0;
    }
    return *this;
  }
  RarePointer& operator=(std::nullptr_t) { return *this = static_cast<T*>(nullptr); }
  T* get() const { return id_ ? static_cast<T*>(const_cast<void*>(slots_[id_])) : nullptr; }
  operator T*() const { return get(); }
  T* operator->() const { return get(); }

 private:
  uint32_t id_ = 0;
};
