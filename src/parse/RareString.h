// A byte string for token fields that most tokens leave empty (the text
// before a closing bracket, a pending error, a doc comment).
//
// It takes one pointer in the token instead of a whole std::string, and
// reads as an empty std::string until something is stored, so a tree of
// millions of tokens stays small.
#pragma once

#include <memory>
#include <ostream>
#include <string>

class RareString {
 public:
  RareString() = default;
  RareString(const RareString& other) { *this = other; }
  RareString(RareString&&) noexcept = default;
  RareString(const std::string& s) { assign(s); }
  RareString(const char* s) { assign(s ? std::string(s) : std::string()); }

  RareString& operator=(const RareString& other) {
    if (this != &other) assign(other.str());
    return *this;
  }
  RareString& operator=(RareString&&) noexcept = default;
  RareString& operator=(const std::string& s) {
    assign(s);
    return *this;
  }
  RareString& operator=(std::string&& s) {
    if (s.empty())
      p_.reset();
    else if (p_)
      *p_ = std::move(s);
    else
      p_ = std::make_unique<std::string>(std::move(s));
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

  const std::string& str() const { return p_ ? *p_ : empty_(); }
  operator const std::string&() const { return str(); }
  const char* c_str() const { return str().c_str(); }
  bool empty() const { return !p_ || p_->empty(); }
  size_t size() const { return p_ ? p_->size() : 0; }
  size_t length() const { return size(); }
  void clear() { p_.reset(); }
  char back() const { return str().back(); }
  char operator[](size_t i) const { return str()[i]; }
  size_t find(const std::string& s, size_t pos = 0) const { return str().find(s, pos); }
  size_t find(char c, size_t pos = 0) const { return str().find(c, pos); }
  std::string substr(size_t pos, size_t n = std::string::npos) const { return str().substr(pos, n); }
  int compare(size_t pos, size_t n, const char* s) const { return str().compare(pos, n, s); }

 private:
  void assign(const std::string& s) {
    if (s.empty())
      p_.reset();
    else if (p_)
      *p_ = s;
    else
      p_ = std::make_unique<std::string>(s);
  }
  std::string& mut() {
    if (!p_) p_ = std::make_unique<std::string>();
    return *p_;
  }
  static const std::string& empty_() {
    static const std::string e;
    return e;
  }
  std::unique_ptr<std::string> p_;
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
