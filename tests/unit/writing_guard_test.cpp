// The re-entry guard of the output: a token met again while it is being
// written gives nothing; each writer keeps its own list, and only classes
// and functions count their writes.
#include <gtest/gtest.h>

#include "Token.h"
#include "WritingGuard.h"
#include "lexer_util.h"

namespace {

TEST(WritingGuard, EachWriterKeepsItsOwnListAndOnlyClassesAndFunctionsCountWrites) {
  lexertest::freshState();
  Token* token = new Token(0, "f", 0, 0, nullptr);
  Token* other = new Token(0, "g", 0, 0, nullptr);
  {
    WritingGuard outer(token);
    EXPECT_FALSE(outer.again());
    WritingGuard inner(token);
    EXPECT_TRUE(inner.again());
    WritingGuard second(other);
    EXPECT_FALSE(second.again());
    ASSERT_EQ(WritingGuard::current().size(), 2u);
    EXPECT_EQ(WritingGuard::current().front(), token);

    // The same token under another writer is not met again, and that
    // writer's depth does not count the classes and functions.
    WritingGuard test(token, WritingGuard::Scope::TypeTests);
    EXPECT_FALSE(test.again());
    EXPECT_EQ(test.depth(), 1u);
    WritingGuard testAgain(token, WritingGuard::Scope::TypeTests);
    EXPECT_TRUE(testAgain.again());
    WritingGuard value(token, WritingGuard::Scope::ObjectValues);
    EXPECT_FALSE(value.again());
    EXPECT_EQ(value.depth(), 1u);
  }
  EXPECT_TRUE(WritingGuard::current().empty());
  EXPECT_EQ(token->writeCount, 1);

  // A type test written more often than any class may be is written every time.
  for (int i = 0; i < 2 * WritingGuard::kMaxWrites; ++i) {
    WritingGuard test(token, WritingGuard::Scope::TypeTests);
    EXPECT_FALSE(test.again());
  }
  EXPECT_EQ(token->writeCount, 1);
}

}  // namespace
