// Byte-string helpers: the scanners, splitters and decoders every pass uses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xstringmethod.h"

namespace {

std::vector<std::string> split1(const char* text, char sep, std::vector<std::string> before = {}) {
  std::vector<std::string> out = before;
  int n = xstringmthod::splitstr(text, sep, out);
  EXPECT_EQ(n, static_cast<int>(out.size()));
  return out;
}

std::vector<std::string> splitSet(const char* text, const char* set) {
  std::vector<std::string> out;
  xstringmthod::splitstr(text, set, out);
  return out;
}

using V = std::vector<std::string>;

}  // namespace

TEST(Strings, IsAllDigit) {
  struct Row {
    const char* text;
    int expected;
  } rows[] = {
      {"12", 1},  {"-3", 1},   {"(1+2)", 1}, {"1.5", 2},  {"1.5E", 2}, {"1E5", 0},
      {"a", 0},   {"$1", 0},   {"1,5", 0},   {"0xZZ", 1}, {"0X", 1},   {"", 1},
      {"1e5", 0}, {"1/2", 0},  {"\xe4\xb8\xad", 0},       {"1.5E1", 0}, {"3&", 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(xstringmthod::IsAllDigit(r.text), r.expected);
  }
  EXPECT_EQ(xstringmthod::IsAllDigit(nullptr), 0);
}

TEST(Strings, IsString) {
  EXPECT_TRUE(xstringmthod::IsString("'abc'"));
  EXPECT_TRUE(xstringmthod::IsString("\"a'b\""));
  EXPECT_FALSE(xstringmthod::IsString("'a'b'"));
  EXPECT_FALSE(xstringmthod::IsString("'a\\'b'"));  // no escapes are honoured
  EXPECT_FALSE(xstringmthod::IsString("'abc"));
  EXPECT_FALSE(xstringmthod::IsString("'"));
  EXPECT_FALSE(xstringmthod::IsString(""));
  EXPECT_FALSE(xstringmthod::IsString(nullptr));
}

TEST(Strings, Splitters) {
  EXPECT_EQ(splitSet("a,,b;", ",;"), (V{"a", "b", ""}));
  EXPECT_EQ(splitSet("", ",;"), (V{""}));
  EXPECT_EQ(splitSet(",a", ","), (V{"a"}));
  EXPECT_EQ(splitSet("a,b", nullptr), (V{"a,b"}));
  EXPECT_EQ(split1("a,,b", ','), (V{"a", "", "b"}));
  EXPECT_EQ(split1("", ','), (V{""}));
  EXPECT_EQ(split1("a;", ';'), (V{"a", ""}));
  // Appending: the earlier entries stay and count.
  EXPECT_EQ(split1("x;y", ';', {"kept"}), (V{"kept", "x", "y"}));
  // A byte of 0x80 or above is never a separator.
  EXPECT_EQ(split1("\xa1;\xa2", ';'), (V{"\xa1", "\xa2"}));

  V lines;
  EXPECT_EQ(xstringmthod::splitline("a\r\nb\rc\n", lines), 4);
  EXPECT_EQ(lines, (V{"a", "b", "c", ""}));
  lines.clear();
  xstringmthod::splitline("\n\n", lines);
  EXPECT_EQ(lines, (V{"", "", ""}));
}

TEST(Strings, ScannersStopAtTheirEnd) {
  int lines = 0;
  // A backslash-escaped quote does not close the literal.
  EXPECT_EQ(xstringmthod::getQuotationMarkText("'a\\'b' x", 0, lines), 5);
  // An unclosed literal ends at the terminator, even after a trailing backslash.
  EXPECT_EQ(xstringmthod::getQuotationMarkText("'ab\\", 0, lines), 4);
  EXPECT_EQ(xstringmthod::getQuotationMarkText("\"\xe4\"", 0, lines), 2);
  lines = 0;
  EXPECT_EQ(xstringmthod::getQuotationMarkText("'a\nb\r\nc\rd'", 0, lines), 9);
  EXPECT_EQ(lines, 3);

  lines = 0;
  EXPECT_EQ(xstringmthod::getAnnotationText("// c\r\nx", 0, lines), 5);  // the LF of CR LF
  EXPECT_EQ(lines, 1);
  lines = 0;
  EXPECT_EQ(xstringmthod::getAnnotationText("// c\rx", 0, lines), 4);
  EXPECT_EQ(lines, 1);
  lines = 0;
  EXPECT_EQ(xstringmthod::getAnnotationText("/**/x", 0, lines), 3);
  EXPECT_EQ(xstringmthod::getAnnotationText("/* a\n b */", 0, lines), 9);
  EXPECT_EQ(lines, 1);
  EXPECT_EQ(xstringmthod::getAnnotationText("/* open", 0, lines), 7);
  EXPECT_EQ(xstringmthod::getAnnotationText("//", 0, lines), 2);
  EXPECT_EQ(xstringmthod::getAnnotationText("x/", 1, lines), 2);  // a lone "/" at the end
  // Stars that close nothing, line ends of every kind inside a block, and
  // ends at the terminator: the index reached and the lines counted.
  struct Row {
    const char* text;
    int end;
    int lines;
  };
  const Row rows[] = {
      {"/** a * b\r\n * c\r * d\n **/x", 24, 3},
      {"/* a *", 6, 0},
      {"/* a\r", 5, 1},
      {"// c\n\nx", 4, 1},
      {"// c", 4, 0},
      {"// c\r\r\n", 4, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    lines = 0;
    EXPECT_EQ(xstringmthod::getAnnotationText(row.text, 0, lines), row.end);
    EXPECT_EQ(lines, row.lines);
  }
}

TEST(Strings, InPlaceEdits) {
  char a[] = "a\r\nb\xa1\rc";
  xstringmthod::replacechr(a, -1, '\r', ' ');
  EXPECT_STREQ(a, "a \nb\xa1\rc");  // the byte after a lead byte is stepped over

  char b[] = "a;b;;c";
  EXPECT_STREQ(xstringmthod::removechr(b, -1, ';'), "abc");
  char c[] = "a b\tc";
  EXPECT_STREQ(xstringmthod::removechrs(c, -1, " \t"), "abc");
  char d[] = "a b";
  EXPECT_STREQ(xstringmthod::removechrs(d, -1, nullptr), "a b");
  char e[] = "";
  EXPECT_EQ(xstringmthod::removechr(e, -1, 'x'), nullptr);
}

TEST(Strings, ReplaceAndSearch) {
  EXPECT_EQ(xstringmthod::replaceString("a.b.c", "." , "/", 1), "a/b.c");
  EXPECT_EQ(xstringmthod::replaceString("a.b.c", ".", "/", 0), "a.b.c");
  EXPECT_EQ(xstringmthod::replaceString("a.b.c", ".", "/"), "a/b/c");
  EXPECT_EQ(xstringmthod::replaceString("a.b", "", "/"), "a.b");
  EXPECT_EQ(xstringmthod::replaceString("a\"b", -1, '"', "\\\""), "a\\\"b");

  const char* t = "abcabc";
  EXPECT_EQ(xstringmthod::strstr(t, "ca"), t + 2);
  EXPECT_EQ(xstringmthod::strstr(t, ""), nullptr);
  EXPECT_EQ(xstringmthod::nstrstr(t, "abc", 3), t);
  EXPECT_EQ(xstringmthod::nstrstr(t, "bca", 3), nullptr);
  // A match never starts on the second byte of a double-byte character.
  const char* gbk = "\xb0\x41\x41";
  EXPECT_EQ(xstringmthod::strstr(gbk, "\x41\x41"), nullptr);
  EXPECT_EQ(xstringmthod::strstr(gbk, "\x41"), gbk + 2);

  EXPECT_TRUE(xstringmthod::hasOtherChar("a1", "0123456789"));
  EXPECT_FALSE(xstringmthod::hasOtherChar("12\xa1", "0123456789"));
}

TEST(Strings, CountsAndNumbers) {
  EXPECT_EQ(xstringmthod::normalChrCount("a b\tc"), 3);
  EXPECT_EQ(xstringmthod::normalChrCount("\xe4\xb8\xad\xe6\x96\x87"), 1);
  EXPECT_EQ(xstringmthod::normalChrCount("ab\xe4"), 2);
  EXPECT_EQ(xstringmthod::normalChrCount(""), 0);

  struct Row {
    const char* text;
    int expected;
  } rows[] = {{"1A", 26}, {" 1 A ", 26}, {"123456789", 0}, {"G", 0}, {"", 0},
              {"ff", 255}, {"FFFFFFFF", -1}, {"7fffffff", 0x7fffffff}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(xstringmthod::hex2dec(r.text), r.expected);
  }
}

TEST(Strings, Unescape) {
  struct Row {
    const char* text;
    std::string expected;
  } rows[] = {
      {"%41%u4E2D", "A\xe4\xb8\xad"},
      {"a%zzb", "a"},          // an invalid escape decodes to 0 and ends the text
      {"a%00b", "a"},
      {"plain", "plain"},
      {"50%", "50%"},          // short tails never read past the end
      {"x%4", "x%4"},
      {"x%u12", "x%u12"},
      {"%u0041", "A"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(xstringmthod::unescape(r.text), r.expected);
  }
}

TEST(Strings, UnicodeToUTF8) {
  char buf[8];
  struct Row {
    uint32_t code;
    std::string bytes;
  } rows[] = {{0x41, "A"}, {0xE9, "\xc3\xa9"}, {0x4E2D, "\xe4\xb8\xad"}, {0x1F600, "\xf0\x9f\x98\x80"}};
  for (const Row& r : rows) {
    char* end = CChineseCode::UnicodeToUTF8(r.code, buf);
    EXPECT_EQ(std::string(buf, end), r.bytes);
  }
  EXPECT_EQ(CChineseCode::UnicodeToUTF8(0x41, nullptr), nullptr);
}
