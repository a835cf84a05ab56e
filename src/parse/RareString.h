// A byte string for token fields that most tokens leave empty (the text
// before a closing bracket, a pending error, a doc comment).
//
// It takes a 4-byte slot number in the token instead of a whole std::string
// (the texts stored live in a process-wide list of slots, RareString.cpp),
// and reads as an empty std::string until something is stored, so a tree of
// millions of tokens stays small. Only the compile's own thread stores.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

class RareString {
 public:
  RareString() = default;
  RareString(const RareString& other) { *this = other; }
  RareString(RareString&& other) noexcept : id_(other.id_) { other.id_ = 0; }
  ~RareString() { release(); }
  RareString(const std::string& s) { assign(s); }
  RareString(const char* s) { assign(s ? std::string(s) : std::string()); }

  RareString& operator=(const RareString& other) {
    if (this != &other) assign(other.str());
    return *this;
  }
  RareString& operator=(RareString&& other) noexcept {
    if (this != &other) {
      release();
      id_ = other.id_;
      other.id_ = 0;
    }
    return *this;
  }
  RareString& operator=(const std::string& s) {
    assign(s);
    return *this;
  }
  RareString& operator=(std::string&& s) {
    if (s.empty())
      release();
    else
      mut() = std::move(s);
    return *this;
  }
  RareString& operator=(const char* s) { return *this = std::string(s ? s : ""); }

  RareString& operator+=(const std::string& s) {
    if (!s.empty()) mut() += s;
    return *this;
  }
  RareString& operator+=(const char* s) { return *this += std::string(s ? s : ""); }
  RareString& operator+=(char c) {
    mut() += c;
    return *this;
  }

  const std::string& str() const { return id_ ? *slots_[id_] : empty_(); }
  operator const std::string&() const { return str(); }
  const char* c_str() const { return str().c_str(); }
  bool empty() const { return !id_ || slots_[id_]->empty(); }
  size_t size() const { return id_ ? slots_[id_]->size() : 0; }
  size_t length() const { return size(); }
  void clear() { release(); }
  char back() const { return str().back(); }
  char operator[](size_t i) const { return str()[i]; }
  size_t find(const std::string& s, size_t pos = 0) const { return str().find(s, pos); }
  size_t find(char c, size_t pos = 0) const { return str().find(c, pos); }
  std::string substr(size_t pos, size_t n = std::string::npos) const { return str().substr(pos, n); }
  int compare(size_t pos, size_t n, const char* s) const { return str().compare(pos, n, s); }

 private:
  void assign(const std::string& s) {
    if (s.empty())
      release();
    else
      mut() = s;
  }
  std::string& mut() {
    if (!id_) id_ = takeSlot();
    return *slots_[id_];
  }
  void release() {
    if (id_) giveBack(id_);
    id_ = 0;
  }
  // A slot holding an empty text, and a slot given back (its text freed).
  static uint32_t takeSlot();
  static void giveBack(uint32_t id);
  static std::string* const* slots_;  // slot 0 is never handed out
  static const std::string& empty_() {
    static const std::string e;
    return e;
  }
  uint32_t id_ = 0;
};

inline bool operator==(const RareString& a, const std::string& b) { return a.str() == b; }
inline bool operator==(const RareString& a, const char* b) { return a.str() == b; }
inline bool operator!=(const RareString& a, const std::string& b) { return a.str() != b; }
inline bool operator!=(const RareString& a, const char* b) { return a.str() != b; }
inline std::string operator+(const std::string& a, const RareString& b) { return a + b.str(); }
inline std::string operator+(const RareString& a, const std::string& b) { return a.str() + b; }
inline std::string operator+(const char* a, const RareString& b) { return a + b.str(); }
inline std::string operator+(const RareString& a, const char* b) { return a.str() + b; }
inline std::ostream& operator<<(std::ostream& os, const RareString& s) { return os << s.str(); }
