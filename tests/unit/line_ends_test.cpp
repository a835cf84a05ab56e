// The shared text helpers every reader of source text uses: line ends
// unified to LF and the prefix test.
#include <gtest/gtest.h>

#include <string>

#include "xstringmethod.h"

TEST(SharedTextHelpers, UnifyLineEnds) {
  const std::string nul(1, '\0');
  const struct {
    const char* label;
    std::string in, out;
  } rows[] = {
      {"no CR", "a\nb\n", "a\nb\n"},
      {"CR LF", "a\r\nb\r\n", "a\nb\n"},
      {"lone CR", "a\rb\r", "a\nb\n"},
      {"CR CR LF is two line ends", "a\r\r\nb", "a\n\nb"},
      {"LF CR is two line ends", "a\n\rb", "a\n\nb"},
      {"empty", "", ""},
      {"bytes after a zero byte are kept", "a\r\n" + nul + "b\r", "a\n" + nul + "b\n"},
      {"high bytes stay", "\xE4\xB8\xAD\r\n\xE6\x96\x87", "\xE4\xB8\xAD\n\xE6\x96\x87"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    std::string text = row.in;
    xstringmthod::unifyLineEnds(text);
    EXPECT_EQ(text, row.out);
  }
}

TEST(SharedTextHelpers, StartsWith) {
  using namespace std::string_view_literals;
  EXPECT_TRUE(startsWith("flash.events", "flash."));
  EXPECT_TRUE(startsWith("abc", ""));
  EXPECT_TRUE(startsWith("\xFF\xFE\0\0x"sv, "\xFF\xFE\0\0"sv));  // a prefix with zero bytes
  EXPECT_FALSE(startsWith("\xFF\xFE\0x"sv, "\xFF\xFE\0\0"sv));
  EXPECT_FALSE(startsWith("fla", "flash."));  // shorter than the prefix
  EXPECT_FALSE(startsWith("", "a"));
}

TEST(SharedTextHelpers, TrimmedAndByteSets) {
  using namespace std::string_view_literals;
  EXPECT_EQ(trimmed(" \t name \r\n"), "name");
  EXPECT_EQ(trimmed("a b"), "a b");  // blanks inside stay
  EXPECT_EQ(trimmed(" \r\n "), "");
  EXPECT_EQ(trimmed("\rx ", " \t"), "\rx");  // only the blanks asked for

  constexpr ByteSet braces = ByteSet::of("{}");
  EXPECT_TRUE(braces('{') && braces('}'));
  EXPECT_FALSE(braces('(') || braces('\0') || braces('\xFF'));
  constexpr ByteSet words = ByteSet::allBut("\0 ;"sv);
  EXPECT_TRUE(words('a') && words('\xFF'));
  EXPECT_FALSE(words('\0') || words(' ') || words(';'));
}
