// The lexer's word table, walked row by row: each word, lexed where it is a
// keyword, makes the token its row names or adds its row's flag to the next
// token. The rows come from the same table the lexer is built from.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "TokenOther.h"
#include "lexer_util.h"

namespace {

using lexertest::lexFile;

struct WordRowCase {
  const char* word;
  int code;
  int flag;
  const char* text;
  std::string_view maker;
};

const WordRowCase kWordRows[] = {
#define LEXER_WORD(word, code, flag, text, maker) {word, code, flag, text, #maker},
#include "Token-lexer-words.def"
};

class LexerWords : public testing::Test {
 protected:
  void SetUp() override { lexertest::freshState(); }
  void TearDown() override { resetCompilerState(); }
};

TEST_F(LexerWords, EveryRowOfTheWordTableMakesItsToken) {
  for (const WordRowCase& row : kWordRows) {
    SCOPED_TRACE(row.word);
    // "each" is a keyword after "for", "Embed" first in a metadata group.
    const bool each = row.maker == "eachWord";
    const bool embed = row.maker == "embedWord";
    const std::string source = std::string(each ? "for " : embed ? "[" : "") + row.word + " x" + (embed ? "]" : "");
    Parse* p = lexFile(source);
    const TokenList& tokens = embed ? p->childs[0]->childs : p->childs;
    const size_t at = each ? 1 : 0;
    // Modifier words, "each" and RUVOSYSTEM_USE_STATIC leave no token.
    const bool consumed = row.maker == "modifierWord" || each || row.maker == "useStaticWord";
    ASSERT_GT(tokens.size(), at);
    if (!consumed) {
      // The word's own token, carrying its own flag; then the name.
      ASSERT_EQ(tokens.size(), at + 2);
      EXPECT_EQ(tokenTypeName(tokens[at]->type), tokenTypeName(row.code));
      EXPECT_EQ(tokens[at]->text, row.text ? row.text : "");
      EXPECT_EQ(tokens[at]->flags, row.flag);
      EXPECT_EQ(tokens[at + 1]->flags, 0);
    } else {
      // No token of its own: the name after it carries the row's flag.
      ASSERT_EQ(tokens.size(), at + 1);
      EXPECT_EQ(tokens[at]->text, "x");
      EXPECT_EQ(tokens[at]->flags, row.flag);
    }
    if (each) {
      EXPECT_EQ(dynamic_cast<TokenFor*>(tokens[0])->forEach, 1);
    }
    if (embed) {
      EXPECT_EQ(p->childs[0]->type, TokenTypeCode::As);
    }
    deleteTokenTree(p);
  }
}

// Out of their place the words of the table are names, or, for "static"
// before a block, nothing at all.
TEST_F(LexerWords, TableWordsOutOfTheirPlace) {
  const struct {
    const char* source;
    const char* expected;
  } rows[] = {
      {"static { f(); }", "Block(Word:f Paren() Semicolon:;)"},
      {"{final: 1, use: 2}", "Block(Word:final Colon:: Number:1 Comma:, Word:use Colon:: Number:2)"},
      {"x = native;", "Word:x Assign:= Word:native Semicolon:;"},
      {"dynamic + 1", "Word:dynamic Operator:+ Number:1"},
      {"namespace + \"::\" + local", "Word:namespace Operator:+ Literal:\"::\" Operator:+ Word:local"},
      {"var await:int", "Var: Word:await Colon:: SystemType:int"},
      {"f(each)", "Word:f Paren(Word:each)"},
      {"(Embed)", "Paren(Word:Embed)"},
      {"include: 1", "Word:include Colon:: Number:1"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.source);
    EXPECT_EQ(lexertest::lexDump(row.source), row.expected);
  }
  // The block after "static" carries no flag either.
  Parse* p = lexFile("static { }");
  ASSERT_EQ(p->childs.size(), 1u);
  EXPECT_EQ(p->childs[0]->flags, 0);
  deleteTokenTree(p);
}

}  // namespace
