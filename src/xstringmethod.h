// Byte-string helpers shared by every part of the compiler.
//
// All functions work on NUL-terminated byte strings. Source texts may hold
// multi-byte characters (GBK or UTF-8): a byte of 0x80 or above is never taken
// for an ASCII delimiter, and the scanners step over such bytes as each
// function states. The split functions append to the caller's vector and
// return its size after the call; they never clear it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Whether `text` begins with `prefix`.
inline bool startsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// The UTF-8 byte-order mark an editor may save at the start of a text.
inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The text without the bytes of `blanks` at its two ends.
inline std::string_view trimmed(std::string_view text, std::string_view blanks = " \t\r\n") {
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) + 1 - first);
}

// A set of bytes as a table made when compiling, for scanners that ask about
// every byte of a text: ByteSet::of("{}") holds the two braces,
// ByteSet::allBut("\"'") every byte but the quotes.
struct ByteSet {
  bool has[256] = {};
  static constexpr ByteSet of(std::string_view bytes) {
    ByteSet set;
    for (char c : bytes) set.has[static_cast<unsigned char>(c)] = true;
    return set;
  }
  static constexpr ByteSet allBut(std::string_view bytes) {
    ByteSet set;
    for (bool& in : set.has) in = true;
    for (char c : bytes) set.has[static_cast<unsigned char>(c)] = false;
    return set;
  }
  constexpr bool operator()(char c) const { return has[static_cast<unsigned char>(c)]; }
};

class xstringmthod {
 public:
  // 0 not a number, 1 integer, 2 number with a decimal point.
  static int IsAllDigit(const char* text);
  // True for a text opened and closed by the same quote with no such quote inside.
  static bool IsString(const char* text);
  // Index of the quote that closes the literal opening at `pos` (or of the
  // terminator); counts the line ends it passes in `lines`.
  static int getQuotationMarkText(const char* text, int pos, int& lines);
  // Index of the end of the comment whose "/" stands at `pos`; counts lines.
  static int getAnnotationText(const char* text, int pos, int& lines);

  static int splitstr(const char* text, char sep, std::vector<std::string>& out);
  static int splitstr(const char* text, const char* seps, std::vector<std::string>& out);
  static int splitline(const char* text, std::vector<std::string>& out);
  // Unifies the line ends to LF in place: CR LF and a lone CR each become one
  // LF. A text without CR is left as it is.
  static void unifyLineEnds(std::string& text);

  static void replacechr(char* text, int length, char oldChr, char newChr);
  static char* removechr(char* text, int length, char chr);
  static char* removechrs(char* text, int length, const char* chrs);
  // Byte form: copies `length` bytes putting `replacement` for every ASCII `chr`.
  static std::string replaceString(const char* text, int length, char chr, const char* replacement);
  // Text form: at most `maxCount` replacements from left to right.
  static std::string replaceString(const char* text, const char* find, const char* replacement,
                                   uint32_t maxCount = 4294967295u);
  static const char* strstr(const char* text, const char* find);
  static const char* nstrstr(const char* text, const char* find, int length);
  static bool hasOtherChar(const char* text, const char* chrs);
  static int normalChrCount(const char* text);
  static int hex2dec(const char* text);
  static std::string unescape(const char* text);

  // std::string conveniences over the functions above.
  static int splitstr(const std::string& text, char sep, std::vector<std::string>& out) {
    return splitstr(text.c_str(), sep, out);
  }
  static int splitstr(const std::string& text, const char* seps, std::vector<std::string>& out) {
    return splitstr(text.c_str(), seps, out);
  }
  static void replacechr(std::string& text, char oldChr, char newChr);
  static std::string removechrs(const std::string& text, const char* chrs);
  static std::string replaceAll(const std::string& text, const std::string& find,
                                const std::string& replacement) {
    return replaceString(text.c_str(), find.c_str(), replacement.c_str());
  }
};

class CChineseCode {
 public:
  // Writes the code point as UTF-8 (RFC 2279 six-byte form); returns the
  // position after the last byte written, or null for a null buffer.
  static char* UnicodeToUTF8(uint32_t code, char* out);
};
