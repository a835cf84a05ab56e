// The child list of a token: a one-pointer list that must change exactly as
// the std::vector it replaced, including ranges taken from itself.
#include <gtest/gtest.h>

#include <vector>

#include "TokenList.h"

namespace {

Token* tk(uintptr_t n) { return reinterpret_cast<Token*>(n * 8); }

std::vector<Token*> asVector(const TokenList& list) { return std::vector<Token*>(list.begin(), list.end()); }

TEST(TokenList, ChangesAsAVectorDoes) {
  TokenList list;
  std::vector<Token*> model;
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.begin(), list.end());
  for (uintptr_t i = 1; i <= 40; ++i) {
    list.push_back(tk(i));
    model.push_back(tk(i));
  }
  list.insert(list.begin() + 3, tk(100));
  model.insert(model.begin() + 3, tk(100));
  list.erase(list.begin() + 10, list.begin() + 20);
  model.erase(model.begin() + 10, model.begin() + 20);
  list.erase(list.begin());
  model.erase(model.begin());
  // A range of the list's own elements, inserted into itself while it grows.
  list.insert(list.begin() + 1, list.begin() + 5, list.end());
  const std::vector<Token*> tail(model.begin() + 5, model.end());
  model.insert(model.begin() + 1, tail.begin(), tail.end());
  EXPECT_EQ(asVector(list), model);
  list.resize(7);
  model.resize(7);
  list.pop_back();
  model.pop_back();
  EXPECT_EQ(asVector(list), model);
  EXPECT_EQ(list.back(), model.back());
  EXPECT_THROW(list.at(6), std::out_of_range);

  TokenList copy = list;
  list.shrink_to_fit();
  EXPECT_EQ(list.capacity(), list.size());
  EXPECT_TRUE(copy == list);
  list.push_back(tk(7));  // grows again after fitting
  EXPECT_EQ(list.size(), 7u);
  list.clear();
  list.shrink_to_fit();
  EXPECT_EQ(list.capacity(), 0u);
  EXPECT_EQ(list.data(), TokenList().data());  // back on the shared empty block, none of its own
  TokenList moved = std::move(copy);
  EXPECT_TRUE(copy.empty());
  EXPECT_EQ(asVector(moved), model);
}

// A copy sized to its elements, whatever room the list had before.
TEST(TokenList, AssignExactLeavesNoRoom) {
  struct Row {
    size_t had;    // elements in the list before
    size_t given;  // elements of the list copied in
  };
  for (const Row& row : {Row{0, 0}, Row{0, 1}, Row{0, 5}, Row{3, 0}, Row{3, 1}, Row{3, 3}, Row{1, 9}}) {
    SCOPED_TRACE(testing::Message() << row.had << " -> " << row.given);
    TokenList list;
    TokenList source;
    for (uintptr_t i = 1; i <= row.had; ++i) list.push_back(tk(i));
    for (uintptr_t i = 1; i <= row.given; ++i) source.push_back(tk(50 + i));
    list.assignExact(source);
    EXPECT_EQ(list.capacity(), row.given);
    EXPECT_TRUE(list == source);
    EXPECT_EQ(list.data() == TokenList().data(), row.given == 0);  // an empty copy keeps no block
    list.push_back(tk(99));  // grows from the exact size
    EXPECT_EQ(list.back(), tk(99));
    EXPECT_EQ(list.size(), row.given + 1);
  }
  TokenList self{tk(1), tk(2), tk(3)};
  self.assignExact(self);
  EXPECT_EQ(self.capacity(), 3u);
  EXPECT_EQ(asVector(self), (std::vector<Token*>{tk(1), tk(2), tk(3)}));
}

}  // namespace
