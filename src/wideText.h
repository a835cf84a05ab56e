// Source texts saved in UTF-16 or UTF-32: how they are told apart from
// byte texts, and their way to UTF-8 and back. The compile reads them as
// UTF-8; the converter rewrites them in their own encoding.
#pragma once

#include <cstddef>
#include <string>

struct WideEncoding {
  int unit = 0;            // bytes in a code unit: 2 or 4; 0 for a byte text
  bool bigEndian = false;  // the order of the bytes in a unit
  size_t markSize = 0;     // the byte-order mark's bytes at the start; 0 without one

  bool wide() const { return unit != 0; }
  // "UTF-16 little endian" and the like.
  std::string name() const;
};

// The encoding of a text by its byte-order mark, or else by the zero bytes
// of its first character ("p\0a\0..." is UTF-16 little endian).
WideEncoding wideEncodingOf(const std::string& bytes);
// The text after its mark as UTF-8; a unit outside Unicode or an unpaired
// surrogate becomes U+FFFD, and bytes after the last whole unit are dropped.
std::string wideToUtf8(const std::string& bytes, const WideEncoding& encoding);
// A UTF-8 text in `encoding`, its mark (when it had one) in front.
std::string utf8ToWide(const std::string& text, const WideEncoding& encoding);
