#include "wideText.h"

#include <cstdint>

namespace {

// Appends code point `c` as UTF-8 (an invalid one as U+FFFD).
void appendUtf8(std::string& out, uint32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The code point of the UTF-8 sequence at `i` (stepped past it); a byte that
// starts no whole sequence stands for itself, as U+FFFD would lose it.
uint32_t nextCodePoint(const std::string& text, size_t& i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  const int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  if (length == 1 || i + length > text.size()) return byte(i++);
  uint32_t c = lead & (0x7F >> length);
  for (int k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return byte(i++);
    c = (c << 6) | (byte(i + k) & 0x3F);
  }
  i += length;
  return c;
}

void appendUnit(std::string& out, uint32_t v, const WideEncoding& encoding) {
  for (int k = 0; k < encoding.unit; ++k) {
    const int shift = 8 * (encoding.bigEndian ? encoding.unit - 1 - k : k);
    out += static_cast<char>((v >> shift) & 0xFF);
  }
}

}  // namespace

std::string WideEncoding::name() const {
  if (!unit) return std::string();
  return std::string(unit == 2 ? "UTF-16" : "UTF-32") + (bigEndian ? " big endian" : " little endian");
}

WideEncoding wideEncodingOf(const std::string& bytes) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  auto at = [&](size_t i) { return i < n ? b[i] : 0x100u; };
  WideEncoding e;
  if (at(0) == 0 && at(1) == 0 && at(2) == 0xFE && at(3) == 0xFF) {
    e.unit = 4, e.bigEndian = true, e.markSize = 4;
  } else if (at(0) == 0xFF && at(1) == 0xFE && at(2) == 0 && at(3) == 0) {
    e.unit = 4, e.markSize = 4;
  } else if (at(0) == 0xFE && at(1) == 0xFF) {
    e.unit = 2, e.bigEndian = true, e.markSize = 2;
  } else if (at(0) == 0xFF && at(1) == 0xFE) {
    e.unit = 2, e.markSize = 2;
  } else if (n >= 4 && at(0) && !at(1) && !at(2) && !at(3)) {
    e.unit = 4;
  } else if (n >= 4 && !at(0) && !at(1) && !at(2) && at(3)) {
    e.unit = 4, e.bigEndian = true;
  } else if (n >= 2 && at(0) && !at(1)) {
    e.unit = 2;
  } else if (n >= 2 && !at(0) && at(1)) {
    e.unit = 2, e.bigEndian = true;
  }
  return e;
}

std::string wideToUtf8(const std::string& bytes, const WideEncoding& encoding) {
  if (!encoding.wide()) return bytes;
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  const int unit = encoding.unit;
  auto read = [&](size_t i) {
    uint32_t v = 0;
    for (int k = 0; k < unit; ++k) v |= static_cast<uint32_t>(b[i + k]) << (8 * (encoding.bigEndian ? unit - 1 - k : k));
    return v;
  };
  std::string out;
  out.reserve(n);
  for (size_t i = encoding.markSize; i + unit <= n; i += unit) {
    uint32_t c = read(i);
    if (unit == 2 && c >= 0xD800 && c <= 0xDBFF && i + 2 * unit <= n) {
      const uint32_t low = read(i + unit);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        i += unit;
      }
    }
    appendUtf8(out, c);
  }
  return out;
}

std::string utf8ToWide(const std::string& text, const WideEncoding& encoding) {
  if (!encoding.wide()) return text;
  std::string out;
  out.reserve(encoding.markSize + text.size() * encoding.unit);
  if (encoding.markSize) appendUnit(out, 0xFEFF, encoding);
  for (size_t i = 0; i < text.size();) {
    const uint32_t c = nextCodePoint(text, i);
    if (encoding.unit == 2 && c >= 0x10000) {
      appendUnit(out, 0xD800 + ((c - 0x10000) >> 10), encoding);
      appendUnit(out, 0xDC00 + ((c - 0x10000) & 0x3FF), encoding);
    } else {
      appendUnit(out, c, encoding);
    }
  }
  return out;
}
