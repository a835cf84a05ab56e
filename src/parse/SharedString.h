// A byte string for token fields that hold one of a few texts over and over
// (the blanks and line ends in front of a token, type names, the words as
// printed).
//
// Every distinct text is kept once, process-wide, and never changes; the
// token holds its 4-byte number instead of a whole std::string. It reads as
// a const std::string (empty until something is stored); storing a text
// looks it up in the table of texts kept so far.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

class SharedString {
 public:
  SharedString() = default;
  SharedString(const std::string& s) : id_(internShort(s)) {}
  SharedString(const char* s) : id_(s && *s ? intern(s) : 0) {}
  // Keeps a text given as a view (the lexer's words, read in place).
  explicit SharedString(std::string_view s) : id_(internShort(s)) {}

  SharedString& operator=(const std::string& s) {
    id_ = internShort(s);
    return *this;
  }
  SharedString& operator=(const char* s) {
    id_ = s && *s ? intern(s) : 0;
    return *this;
  }

  SharedString& operator+=(const std::string& s) {
    if (!s.empty()) id_ = intern(str() + s);
    return *this;
  }
  SharedString& operator+=(const char* s) { return *this += std::string(s ? s : ""); }
  SharedString& operator+=(char c) { return *this += std::string(1, c); }

  const std::string& str() const { return *kept_[id_]; }
  operator const std::string&() const { return str(); }
  const char* c_str() const { return str().c_str(); }
  bool empty() const { return id_ == 0; }
  size_t size() const { return str().size(); }
  size_t length() const { return size(); }
  void clear() { id_ = 0; }
  // The number of the kept text: equal numbers, equal texts (and the other
  // way round). Tables indexed by it answer per distinct text.
  uint32_t id() const { return id_; }
  // The kept text of number `id` (one that id() gave).
  static SharedString ofId(uint32_t id) {
    SharedString s;
    s.id_ = id;
    return s;
  }
  char back() const { return str().back(); }
  char operator[](size_t i) const { return str()[i]; }
  size_t find(const std::string& s, size_t pos = 0) const { return str().find(s, pos); }
  size_t find(char c, size_t pos = 0) const { return str().find(c, pos); }
  size_t rfind(const char* s, size_t pos = std::string::npos) const { return str().rfind(s, pos); }
  size_t rfind(char c, size_t pos = std::string::npos) const { return str().rfind(c, pos); }
  void pop_back() { id_ = intern(std::string_view(str()).substr(0, size() - 1)); }
  std::string substr(size_t pos, size_t n = std::string::npos) const { return str().substr(pos, n); }
  int compare(size_t pos, size_t n, const char* s) const { return str().compare(pos, n, s); }

 private:
  // The number of the kept copy of `s`; 0 for the empty text.
  static uint32_t intern(std::string_view s);
  // intern, with the empty text and the one-byte texts kept already
  // answered in line: the lexer stores the layout before every token, most
  // often "" or " ".
  static uint32_t internShort(std::string_view s) {
    if (s.size() > 1) return internLong(s);
    if (s.empty()) return 0;
    const uint32_t one = single_[static_cast<unsigned char>(s[0])];
    return one ? one : intern(s);
  }
  // intern for a text of two bytes or more.
  static uint32_t internLong(std::string_view s);
  // The numbers of the one-byte texts kept so far, by the byte (0: not yet).
  static uint32_t single_[256];
  // intern's lookup in the table of all texts; `remembered` keeps the number.
  static uint32_t internSlow(std::string_view s, uint32_t& remembered);
  // The kept texts by number, entry 0 the empty text. Only ever grows; the
  // texts themselves never move.
  static const std::string* const* kept_;
  uint32_t id_ = 0;
};

inline bool operator==(const SharedString& a, const std::string& b) { return a.str() == b; }
// Against a literal the length is known when compiling, so most texts that
// differ are told apart by their size alone.
inline bool operator==(const SharedString& a, const char* b) { return std::string_view(a.str()) == std::string_view(b); }
inline bool operator!=(const SharedString& a, const std::string& b) { return a.str() != b; }
inline bool operator!=(const SharedString& a, const char* b) { return std::string_view(a.str()) != std::string_view(b); }
inline std::string operator+(const std::string& a, const SharedString& b) { return a + b.str(); }
inline std::string operator+(const SharedString& a, const std::string& b) { return a.str() + b; }
inline std::string operator+(const char* a, const SharedString& b) { return a + b.str(); }
inline std::string operator+(const SharedString& a, const char* b) { return a.str() + b; }
inline std::ostream& operator<<(std::ostream& os, const SharedString& s) { return os << s.str(); }
