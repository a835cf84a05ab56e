// The one loop that prints a run of children: where it starts and stops,
// which leading texts it drops, what it does with a child whose output is
// off, the blank between texts that would merge, and the separator.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "Token.h"
#include "lexer_util.h"

namespace {

// Prints its text whether its output is on or off, and consumes `skip`
// following siblings.
class PrintsAlways : public Token {
 public:
  PrintsAlways(const char* text, int skip) : Token(TokenTypeCode::Word, text, 0, 0, nullptr), skip(skip) {}
  int toJsScript(std::string& out, Parse*, int, int) override {
    out += text;
    return skip;
  }
  int skip;
};

bool atComma(const Token* t) { return t && t->type == TokenTypeCode::Comma; }
bool atNull(const Token* t) { return t == nullptr; }

TEST(ChildRange, PrintsTheRunItDescribes) {
  lexertest::freshState();
  // x = a - -b, C; with a null slot after x, and C a child whose output is
  // off that prints anyway when asked.
  Parse* file = lexertest::lexFile("x = a - -b, c;");
  ASSERT_EQ(lexertest::dump(file->childs),
            "Word:x Assign:= Word:a Operator:- Operator:- Word:b Comma:, Word:c Semicolon:;");
  PrintsAlways off("C", 0);
  off.leadingText = " ";
  off.outputEnabled = 0;
  Token* lexedC = file->childs[7];
  file->childs[7] = &off;
  file->childs.insert(file->childs.begin() + 1, nullptr);
  // 0:x 1:null 2:= 3:a 4:- 5:- 6:b 7:, 8:C 9:;

  struct Row {
    const char* name;
    ChildRange range;
    const char* expected;
    size_t end;
  } rows[] = {
      {"everything", {}, "x = a - -b, ;", 10},
      {"from and to", {.from = 3, .to = 7}, " a - -b", 7},
      {"to past the end", {.from = 7, .to = 50}, ", ;", 10},
      {"stops at a comma", {.stopAt = atComma}, "x = a - -b", 7},
      {"stops at a null slot", {.stopAt = atNull}, "x", 1},
      {"first leading text dropped", {.from = 3, .dropLeadingTexts = 1}, "a - -b, ;", 10},
      {"no leading texts, signs kept apart", {.dropLeadingTexts = SIZE_MAX}, "x=a- -b,;", 10},
      {"a disabled child prints when asked", {.from = 7, .skipsDisabled = false}, ", C;", 10},
      {"separator after every printed child", {.from = 7, .separator = "|"}, ",| ;|", 10},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::string out;
    const size_t end = Token::_childRangeToJs_(out, file, file->childs, row.range, JsMode::Plain, 0);
    EXPECT_EQ(out, row.expected);
    EXPECT_EQ(end, row.end);
  }
  file->childs[8] = lexedC;
  file->childs.erase(file->childs.begin() + 1);
  deleteTokenTree(file);
}

TEST(ChildRange, SkipCountsMovePastSiblingsAndTheEnd) {
  lexertest::freshState();
  Token group(TokenTypeCode::Block, nullptr, 0, 0, nullptr);
  PrintsAlways a("a", 1);
  PrintsAlways b("b", 0);
  PrintsAlways c("c", 5);
  PrintsAlways d("d", 0);
  group.childs = {&a, &b, &c, &d};
  std::string out;
  // a consumes b; c consumes more siblings than are left.
  EXPECT_EQ(Token::_childRangeToJs_(out, nullptr, group.childs, {}, JsMode::Plain, 0), 8u);
  EXPECT_EQ(out, "ac");
  // A stop test is not asked about the siblings a skip moved past.
  out.clear();
  const ChildRange toB{.stopAt = [](const Token* t) { return t && t->text == "b"; }};
  EXPECT_EQ(Token::_childRangeToJs_(out, nullptr, group.childs, toB, JsMode::Plain, 0), 8u);
  EXPECT_EQ(out, "ac");
  group.childs.clear();
}

TEST(ChildRange, KeepsTwoChildrensSignsApartOnlyWhenAsked) {
  lexertest::freshState();
  Token group(TokenTypeCode::Block, nullptr, 0, 0, nullptr);
  PrintsAlways minus("a-", 0);
  PrintsAlways negative("-1", 0);
  group.childs = {&minus, &negative};
  std::string out;
  Token::_childRangeToJs_(out, nullptr, group.childs, {}, JsMode::Plain, 0);
  EXPECT_EQ(out, "a- -1");
  out.clear();
  Token::_childRangeToJs_(out, nullptr, group.childs, {.keepsTokensApart = false}, JsMode::Plain, 0);
  EXPECT_EQ(out, "a--1");
  group.childs.clear();
}

}  // namespace
