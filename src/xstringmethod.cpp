#include "xstringmethod.h"

#include "checkEnv.h"

#include <cstring>

namespace {

inline unsigned char at(const char* s, int i) { return static_cast<unsigned char>(s[i]); }
inline bool high(unsigned char c) { return c >= 0x80; }

// True when the ASCII byte c occurs in the set (a NUL never does).
inline bool inSet(const char* set, unsigned char c) { return c && !high(c) && std::strchr(set, c) != nullptr; }

int hexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int xstringmthod::IsAllDigit(const char* text) {
  if (!text) return 0;
  if (!*text) return 1;
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return 1;
  int result = 1;
  bool dot = false;
  for (int i = 0; text[i]; ++i) {
    unsigned char c = at(text, i);
    if (high(c)) return 0;
    if (dot && c == 'E' && text[i + 1] == '\0') return 2;
    if (c < 0x1D || c > 0x39 || c == '$' || c == '&' || c == ',' || c == '/') return 0;
    if (c == '.') {
      result = 2;
      dot = true;
    }
  }
  return result;
}

bool xstringmthod::IsString(const char* text) {
  if (!text || !*text) return false;
  char q = text[0];
  if (q != '\'' && q != '"') return false;
  const char* close = std::strchr(text + 1, q);
  return close && close[1] == '\0';
}

int xstringmthod::getQuotationMarkText(const char* text, int pos, int& lines) {
  char q = text[pos];
  int i = pos + 1;
  for (;;) {
    unsigned char c = at(text, i);
    if (high(c)) {
      ++i;
      continue;
    }
    if (c == 0 || c == static_cast<unsigned char>(q)) return i;
    if (c == '\\') {
      char n = text[i + 1];
      i += (n == '\\' || n == q) ? 2 : 1;
      continue;
    }
    if (c == '\n') ++lines;
    if (c == '\r' && text[i + 1] != '\n') ++lines;
    ++i;
  }
}

int xstringmthod::getAnnotationText(const char* text, int pos, int& lines) {
  char kind = text[pos + 1];
  if (kind == '\0') return pos + 1;  // a lone "/" at the very end: nothing to scan
  if (text[pos + 2] == '\0') return pos + 2;
  // The comment's bytes are passed over by strcspn up to the next byte that
  // matters: a '*' or a line end in a block comment, a line end in a line
  // comment (strcspn stops at the end of the text too).
  int i = pos + 2;
  if (kind == '*') {
    for (;; ++i) {
      i += static_cast<int>(std::strcspn(text + i, "*\n\r"));
      const char c = text[i];
      if (c == '\0') return i;
      if (c == '*') {
        if (text[i + 1] == '/') return i + 1;
      } else if (c == '\n' || text[i + 1] != '\n') {
        ++lines;
      }
    }
  }
  i += static_cast<int>(std::strcspn(text + i, "\n\r"));
  if (text[i] == '\0') return i;
  if (text[i] == '\r' && text[i + 1] == '\n') ++i;  // the LF of CR LF ends the comment
  ++lines;
  return i;
}

int xstringmthod::splitstr(const char* text, char sep, std::vector<std::string>& out) {
  if (!text) return static_cast<int>(out.size());
  const char* start = text;
  for (const char* p = text;; ++p) {
    if (*p == '\0') {
      out.emplace_back(start, p - start);
      break;
    }
    if (*p == sep && !high(static_cast<unsigned char>(*p))) {
      out.emplace_back(start, p - start);
      start = p + 1;
    }
  }
  return static_cast<int>(out.size());
}

int xstringmthod::splitstr(const char* text, const char* seps, std::vector<std::string>& out) {
  if (!text) return static_cast<int>(out.size());
  if (!seps) {
    out.emplace_back(text);
    return static_cast<int>(out.size());
  }
  const char* start = text;
  for (const char* p = text;; ++p) {
    if (*p == '\0') {
      out.emplace_back(start, p - start);
      break;
    }
    if (inSet(seps, static_cast<unsigned char>(*p))) {
      if (p > start) out.emplace_back(start, p - start);
      start = p + 1;
    }
  }
  return static_cast<int>(out.size());
}

int xstringmthod::splitline(const char* text, std::vector<std::string>& out) {
  if (!text) return static_cast<int>(out.size());
  const char* start = text;
  for (const char* p = text;; ++p) {
    if (*p == '\0') {
      out.emplace_back(start, p - start);
      break;
    }
    if (*p == '\r' || *p == '\n') {
      out.emplace_back(start, p - start);
      if (*p == '\r' && p[1] == '\n') ++p;
      start = p + 1;
    }
  }
  return static_cast<int>(out.size());
}

void xstringmthod::unifyLineEnds(std::string& text) {
  // Nothing moves before the first CR (memchr finds it fast).
  const size_t n = text.size();
  const void* firstCr = std::memchr(text.data(), '\r', n);
  if (!firstCr) return;
  size_t w = static_cast<size_t>(static_cast<const char*>(firstCr) - text.data());
  for (size_t i = w; i < n; ++i) {
    const char c = text[i];
    if (c == '\r') {
      if (i + 1 < n && text[i + 1] == '\n') continue;
      text[w++] = '\n';
    } else {
      text[w++] = c;
    }
  }
  text.resize(w);
}

void xstringmthod::replacechr(char* text, int length, char oldChr, char newChr) {
  if (!text || !*text) return;
  if (length == -1) length = static_cast<int>(std::strlen(text));
  if (length <= 0) return;
  for (int i = 0; i < length && text[i]; ++i) {
    unsigned char c = at(text, i);
    if (high(c)) {
      if (i + 1 < length && text[i + 1]) ++i;  // the byte after a multi-byte lead
      continue;
    }
    if (text[i] == oldChr) text[i] = newChr;
  }
}

void xstringmthod::replacechr(std::string& text, char oldChr, char newChr) {
  if (text.empty()) return;
  replacechr(text.data(), static_cast<int>(text.size()), oldChr, newChr);
}

char* xstringmthod::removechr(char* text, int length, char chr) {
  if (!text || !*text) return nullptr;
  if (length < 0) length = static_cast<int>(std::strlen(text));
  int w = 0;
  int i = 0;
  for (; i < length && text[i]; ++i) {
    if (text[i] == chr && !high(at(text, i))) continue;
    text[w++] = text[i];
  }
  // Keep whatever follows the scanned part.
  if (i < length || text[i] == '\0') {
    text[w] = '\0';
  } else {
    std::memmove(text + w, text + i, std::strlen(text + i) + 1);
  }
  return text;
}

char* xstringmthod::removechrs(char* text, int length, const char* chrs) {
  if (!text || !*text) return nullptr;
  if (!chrs) return text;
  if (length < 0) length = static_cast<int>(std::strlen(text));
  int w = 0;
  int i = 0;
  for (; i < length && text[i]; ++i) {
    if (inSet(chrs, at(text, i))) continue;
    text[w++] = text[i];
  }
  if (i < length || text[i] == '\0') {
    text[w] = '\0';
  } else {
    std::memmove(text + w, text + i, std::strlen(text + i) + 1);
  }
  return text;
}

std::string xstringmthod::removechrs(const std::string& text, const char* chrs) {
  std::string s = text;
  if (s.empty() || !chrs) return s;
  std::string out;
  out.reserve(s.size());
  for (char c : s)
    if (!inSet(chrs, static_cast<unsigned char>(c))) out += c;
  return out;
}

std::string xstringmthod::replaceString(const char* text, int length, char chr, const char* replacement) {
  std::string out;
  if (!text) return out;
  if (length < 0) length = static_cast<int>(std::strlen(text));
  for (int i = 0; i < length && text[i]; ++i) {
    if (text[i] == chr && !high(at(text, i)))
      out += replacement ? replacement : "";
    else
      out += text[i];
  }
  return out;
}

std::string xstringmthod::replaceString(const char* text, const char* find, const char* replacement,
                                        uint32_t maxCount) {
  if (!text) return std::string();
  if (!find || !*find || maxCount == 0) return std::string(text);
  if (!replacement) replacement = "";
  std::string out;
  size_t flen = std::strlen(find);
  const char* p = text;
  uint32_t done = 0;
  while (done < maxCount) {
    const char* hit = xstringmthod::strstr(p, find);
    if (!hit) break;
    out.append(p, hit - p);
    out += replacement;
    p = hit + flen;
    ++done;
  }
  out += p;
  return out;
}

const char* xstringmthod::strstr(const char* text, const char* find) {
  if (!text || !find) return nullptr;
  return nstrstr(text, find, static_cast<int>(std::strlen(text)));
}

const char* xstringmthod::nstrstr(const char* text, const char* find, int length) {
  if (!text || !find) return nullptr;
  int flen = static_cast<int>(std::strlen(find));
  if (flen == 0 || flen > length) return nullptr;
  if (flen == length) return std::strncmp(text, find, flen) == 0 ? text : nullptr;
  if (!*text) return nullptr;
  for (int i = 0; i <= length - flen && text[i];) {
    if (text[i] == find[0] && std::strncmp(text + i, find, flen) == 0) return text + i;
    if (high(at(text, i))) {
      ++i;
      if (!text[i]) break;
    }
    ++i;
  }
  return nullptr;
}

bool xstringmthod::hasOtherChar(const char* text, const char* chrs) {
  if (!text) return false;
  for (int i = 0; text[i]; ++i) {
    unsigned char c = at(text, i);
    if (high(c)) continue;
    if (!chrs || !std::strchr(chrs, c)) return true;
  }
  return false;
}

int xstringmthod::normalChrCount(const char* text) {
  if (!text || !*text) return 0;
  int count = 0;
  for (int i = 0; text[i];) {
    unsigned char c = at(text, i);
    if (high(c)) {
      if (text[i + 1] == '\0') break;  // a lone lead byte at the end is not counted
      ++count;
      while (text[i] && high(at(text, i))) ++i;
      continue;
    }
    if (c != '\t' && c != '\n' && c != '\r' && c != ' ') ++count;
    ++i;
  }
  return count;
}

int xstringmthod::hex2dec(const char* text) {
  if (!text) return 0;
  size_t len = std::strlen(text);
  if (len > 8 || len == 0) return 0;
  uint32_t value = 0;
  int place = 0;
  for (size_t k = len; k-- > 0;) {
    unsigned char c = at(text, static_cast<int>(k));
    if (c == ' ') continue;
    int v = hexValue(c);
    if (v < 0) return 0;
    value += static_cast<uint32_t>(v) << (4 * place);
    ++place;
  }
  return static_cast<int>(value);
}

std::string xstringmthod::unescape(const char* text) {
  if (!text) return std::string();
  size_t len = std::strlen(text);
  std::string buf(len + 1, '\0');
  size_t w = 0;
  size_t i = 0;
  while (i < len) {
    if (text[i] != '%') {
      buf[w++] = text[i++];
      continue;
    }
    if (text[i + 1] == 'u') {
      if (i + 6 > len) break;  // a short "%u" tail: the rest is copied as it stands
      char hex[5] = {text[i + 2], text[i + 3], text[i + 4], text[i + 5], 0};
      uint32_t code = static_cast<uint32_t>(hex2dec(hex)) & 0xFFFF;
      char tmp[8];
      char* end = CChineseCode::UnicodeToUTF8(code, tmp);
      for (char* p = tmp; p < end; ++p) buf[w++] = *p;
      i += 6;
      continue;
    }
    if (i + 3 > len) break;  // a short "%" tail
    char hex[3] = {text[i + 1], text[i + 2], 0};
    buf[w++] = static_cast<char>(hex2dec(hex));
    i += 3;
  }
  while (i < len) buf[w++] = text[i++];
  buf.resize(w);
  size_t zero = buf.find('\0');
  if (zero != std::string::npos) buf.resize(zero);
  return buf;
}

char* CChineseCode::UnicodeToUTF8(uint32_t code, char* out) {
  if (!out) return nullptr;
  unsigned char* p = reinterpret_cast<unsigned char*>(out);
  if (code < 0x80) {
    *p++ = static_cast<unsigned char>(code);
  } else if (code < 0x800) {
    *p++ = 0xC0 | (code >> 6);
    *p++ = 0x80 | (code & 0x3F);
  } else if (code <= 0xFFFF) {
    *p++ = 0xE0 | (code >> 12);
    *p++ = 0x80 | ((code >> 6) & 0x3F);
    *p++ = 0x80 | (code & 0x3F);
  } else if (code <= 0x1FFFFF) {
    *p++ = 0xF0 | (code >> 18);
    *p++ = 0x80 | ((code >> 12) & 0x3F);
    *p++ = 0x80 | ((code >> 6) & 0x3F);
    *p++ = 0x80 | (code & 0x3F);
  } else if (code <= 0x3FFFFFF) {
    *p++ = 0xF8 | (code >> 24);
    *p++ = 0x80 | ((code >> 18) & 0x3F);
    *p++ = 0x80 | ((code >> 12) & 0x3F);
    *p++ = 0x80 | ((code >> 6) & 0x3F);
    *p++ = 0x80 | (code & 0x3F);
  } else {
    *p++ = 0xFC | ((code >> 30) & 0x01);
    *p++ = 0x80 | ((code >> 24) & 0x3F);
    *p++ = 0x80 | ((code >> 18) & 0x3F);
    *p++ = 0x80 | ((code >> 12) & 0x3F);
    *p++ = 0x80 | ((code >> 6) & 0x3F);
    *p++ = 0x80 | (code & 0x3F);
  }
  return reinterpret_cast<char*>(p);
}

// The escape pre-pass of a Java-properties value, ahead of unescape; the
// same in both programs.
std::string checkToString(const char* text) {
  std::string out;
  if (!text) return out;
  for (size_t i = 0; text[i]; ++i) {
    if (text[i] == '\\' && text[i + 1]) {
      char n = text[++i];
      if (n == 'n')
        out += '\n';
      else if (n == 'u')
        out += "%u";
      else
        out += n;
      continue;
    }
    out += text[i];
  }
  return out;
}
