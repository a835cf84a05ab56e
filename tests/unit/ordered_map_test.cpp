// The insertion-ordered map against a plain model: lookups, erasures and the
// walk order agree through inserts and erasures on both sides of the size at
// which the map starts indexing its keys, and through the index's growth.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "ordered_map.h"

namespace {

// The model: a vector of pairs in insertion order, searched end to end.
using Model = std::vector<std::pair<std::string, int>>;

Model::iterator findIn(Model& model, const std::string& key) {
  for (auto it = model.begin(); it != model.end(); ++it)
    if (it->first == key) return it;
  return model.end();
}

void expectSame(const OrderedMap<int>& map, const Model& model, int round) {
  SCOPED_TRACE("round " + std::to_string(round));
  ASSERT_EQ(map.size(), model.size());
  size_t i = 0;
  for (const auto& [key, value] : map) {
    EXPECT_EQ(key, model[i].first);
    EXPECT_EQ(value, model[i].second);
    ++i;
  }
}

TEST(OrderedMap, AgreesWithAModelThroughInsertsAndErasures) {
  // Few distinct keys keep collisions and re-inserts of erased keys frequent.
  for (size_t keys : {6u, 40u, 3000u}) {
    SCOPED_TRACE("keys " + std::to_string(keys));
    std::mt19937 random(static_cast<unsigned>(keys));
    OrderedMap<int> map;
    Model model;
    for (int round = 0; round < 20000; ++round) {
      const std::string key = "k" + std::to_string(random() % keys);
      switch (random() % 4) {
        case 0:
        case 1: {  // insert or overwrite
          map[key] = round;
          auto it = findIn(model, key);
          if (it == model.end())
            model.emplace_back(key, round);
          else
            it->second = round;
          break;
        }
        case 2: {  // erase
          auto it = findIn(model, key);
          EXPECT_EQ(map.erase(key), it == model.end() ? 0u : 1u);
          if (it != model.end()) model.erase(it);
          break;
        }
        default: {  // look up
          auto it = findIn(model, key);
          ASSERT_EQ(map.has(key), it != model.end());
          if (it != model.end()) {
            EXPECT_EQ(map.get(key), it->second);
          }
        }
      }
      if (round % 997 == 0) expectSame(map, model, round);
    }
    expectSame(map, model, -1);
    // A copy holds the same entries in the same order and finds every key.
    OrderedMap<int> copy(map);
    expectSame(copy, model, -2);
    for (const auto& [key, value] : model) EXPECT_EQ(copy.get(key, -1), value);
    map.clear();
    EXPECT_TRUE(map.empty());
    EXPECT_FALSE(map.has(model.empty() ? "k0" : model.front().first));
  }
}

// A small map tells apart keys that share their length, their first byte or
// both, and the empty key; near misses of every key are absent.
TEST(OrderedMap, SmallMapFindsKeysThatDifferInOneByte) {
  const std::vector<std::string> keys = {"", "a", "b", "ab", "ba", "abc", "abd", "xbc"};
  OrderedMap<int> map;
  for (size_t i = 0; i < keys.size(); ++i) map[keys[i]] = static_cast<int>(i);
  for (size_t i = 0; i < keys.size(); ++i) {
    SCOPED_TRACE("key '" + keys[i] + "'");
    EXPECT_EQ(map.get(keys[i], -1), static_cast<int>(i));
  }
  const std::vector<std::string> misses = {"c", "aa", "bb", "abe", "xbd", "ybc", std::string("a\0", 2)};
  for (const std::string& miss : misses) {
    SCOPED_TRACE("miss '" + miss + "'");
    EXPECT_FALSE(map.has(miss));
  }
}

// withPrefix keeps its answers: a key added (also after a clear) or a value
// changed between two questions shows in the second answer, in insertion order.
TEST(PrefixOrderedMap, KeptAnswersFollowTheMapsChanges) {
  PrefixOrderedMap<int> map;
  auto keysOf = [&](const std::string& prefix) {
    std::vector<std::string> keys;
    for (const auto* entry : map.withPrefix(prefix))
      keys.push_back(entry->first + "=" + std::to_string(entry->second));
    return keys;
  };
  map["a.z"] = 1;
  map["b.y"] = 2;
  map["a.b"] = 3;
  EXPECT_EQ(keysOf("a."), (std::vector<std::string>{"a.z=1", "a.b=3"}));
  EXPECT_EQ(keysOf("a."), (std::vector<std::string>{"a.z=1", "a.b=3"}));
  map["a.z"] = 4;  // no new key: the kept answer reads the new value
  map["a.c"] = 5;
  EXPECT_EQ(keysOf("a."), (std::vector<std::string>{"a.z=4", "a.b=3", "a.c=5"}));
  EXPECT_EQ(keysOf("b."), (std::vector<std::string>{"b.y=2"}));
  map.clear();
  EXPECT_TRUE(keysOf("a.").empty());
  map["a.b"] = 6;
  EXPECT_EQ(keysOf("a."), (std::vector<std::string>{"a.b=6"}));
}

}  // namespace
