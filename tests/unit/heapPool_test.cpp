// The program's heap: blocks of every size freed and reused without blocks
// overlapping, freed large blocks reused, and a heap that takes address
// space only as it grows, so that it serves whatever the system grants.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define RUVO_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RUVO_TEST_ASAN 1
#endif
#endif
#ifdef RUVO_TEST_ASAN
#include <sanitizer/lsan_interface.h>
#endif

#include "RareString.h"
#include "SharedString.h"
#include "TokenExtends.h"
#include "TokenFunction.h"
#include "TokenImport.h"

namespace {

struct Block {
  std::unique_ptr<uint8_t[]> data;
  size_t size;
  uint8_t fill;
};

Block make(size_t size, uint8_t fill) {
  Block b{std::unique_ptr<uint8_t[]>(new uint8_t[size]), size, fill};
  for (size_t i = 0; i < size; ++i) b.data[i] = static_cast<uint8_t>(fill + i);
  return b;
}

bool intact(const Block& b) {
  for (size_t i = 0; i < b.size; ++i)
    if (b.data[i] != static_cast<uint8_t>(b.fill + i)) return false;
  return true;
}

TEST(HeapPool, BlocksOfEverySizeKeepTheirBytesThroughFreeAndReuse) {
  const size_t sizes[] = {1, 16, 17, 255, 256, 257, 4000, 32 * 1024, 32 * 1024 + 1, 65536, 65537,
                          300000, 1 << 20, (64u << 20), (64u << 20) + 1};
  std::vector<Block> blocks;
  uint8_t fill = 1;
  for (int round = 0; round < 3; ++round)
    for (size_t size : sizes) blocks.push_back(make(size, fill++));
  // Free every other block, then take blocks of the same sizes again: the
  // freed places are reused and must not overlap the blocks still held.
  for (size_t i = 0; i < blocks.size(); i += 2) blocks[i].data.reset();
  for (size_t i = 0; i < blocks.size(); i += 2) blocks[i] = make(blocks[i].size, fill++);
  for (const Block& b : blocks) EXPECT_TRUE(intact(b)) << "block of " << b.size << " bytes";
}

TEST(HeapPool, GrowingTextsKeepTheirContent) {
  std::string a, b;
  for (int i = 0; i < 200000; ++i) {
    a += static_cast<char>('a' + i % 26);
    b += static_cast<char>('A' + i % 26);
  }
  for (int i = 0; i < 200000; ++i) {
    ASSERT_EQ(a[i], static_cast<char>('a' + i % 26));
    ASSERT_EQ(b[i], static_cast<char>('A' + i % 26));
  }
}

#ifdef _WIN32
// Both read the process's address space and resident memory from /proc and
// limit it with setrlimit, which Windows has neither of.
TEST(HeapPool, ServesWhatAnAddressSpaceLimitGrants) { GTEST_SKIP() << "needs setrlimit and /proc (POSIX)"; }
TEST(HeapPool, FreedLargeBlocksAreReused) { GTEST_SKIP() << "needs /proc/self/statm (POSIX)"; }
#else
// Address space and resident memory of this process, in bytes.
size_t statmField(int field) {
  std::ifstream in("/proc/self/statm");
  size_t values[2] = {0, 0};
  in >> values[0] >> values[1];
  return values[field] * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

// Under an address-space limit (ulimit -v) of 4.6 GB, 1.5 GB taken through
// operator new and 1.5 GB through malloc (as the token blocks and the C++
// library do) must all be had: a heap that reserved a large range at its
// first block left too little for the other half. The blocks are never
// touched, so no memory is used; then a million tokens are made under a
// limit 200 MB above what the process holds. The heap makes its first
// reservation at the start of a process, so the test runs itself again, as
// a new process under the limit.
TEST(HeapPool, ServesWhatAnAddressSpaceLimitGrants) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address checker reserves its own shadow range";
#endif
  if (std::getenv("RUVO_HEAP_LIMIT_CHILD")) {
    std::vector<void*> held;
    for (int i = 0; i < 1000; ++i) held.push_back(::operator new(100));
    for (int i = 0; i < 24; ++i) held.push_back(::operator new(size_t(64) << 20));
    for (int i = 0; i < 24; ++i) {
      void* p = std::malloc(size_t(64) << 20);
      ASSERT_NE(p, nullptr) << "malloc failed after " << i << " blocks of 64 MB";
      held.push_back(p);
    }
    for (size_t i = 0; i < held.size(); ++i) {
      if (i < 1024)
        ::operator delete(held[i]);
      else
        std::free(held[i]);
    }
    // Tokens take no more address space than their blocks: 150 MB of them
    // fit in 200 MB more than the process holds.
    rlimit tight{};
    tight.rlim_cur = tight.rlim_max = statmField(0) + (size_t(200) << 20);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
    TokenList tokens;
    tokens.reserve(1000000);
    for (int i = 0; i < 1000000; ++i) tokens.push_back(new Token(0, nullptr, 0, i, nullptr));
    EXPECT_EQ(tokens.back()->line, 999999);
    return;
  }
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = (size_t(46) << 30) / 10;
    setrlimit(RLIMIT_AS, &limit);
    setenv("RUVO_HEAP_LIMIT_CHILD", "1", 1);
    const char* args[] = {"unit_tests", "--gtest_filter=HeapPool.ServesWhatAnAddressSpaceLimitGrants", nullptr};
    execv("/proc/self/exe", const_cast<char* const*>(args));
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

// An output text grows by doubling to 64 MB: the buffers it leaves behind
// are reused or given back, so the resident memory grows by about the final
// text and its last predecessor, not by the sum of all of them (128 MB).
void growText() {
  const size_t before = statmField(1);
  std::string text;
  for (size_t i = 0; i < (size_t(64) << 20); i += 4096) text.append(4096, static_cast<char>('a' + i % 26));
  const size_t grown = statmField(1) - before;
  std::fprintf(stderr, "grown by %zu MB\n", grown >> 20);
  std::_Exit(grown < (size_t(104) << 20) ? 0 : 1);
}

TEST(HeapPool, FreedLargeBlocksAreReused) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(growText(), testing::ExitedWithCode(0), "");
}

#endif

// Tokens come from the token pool without a header: a token of any class,
// freed with its tree, is reused by later tokens, and no two live tokens
// share a byte.
TEST(TokenPool, TokensOfEveryClassAreFreedAndReusedWithoutOverlap) {
  struct Live {
    Token* token;
    size_t size;
    std::string text;
  };
  auto make = [](int i, const std::string& text) -> std::pair<Token*, size_t> {
    switch (i % 4) {
      case 0: return {new Token(0, text.c_str(), 0, i, nullptr), sizeof(Token)};
      case 1: return {new TokenImport(0, text.c_str(), 0, i, nullptr), sizeof(TokenImport)};
      case 2: return {new TokenFunction(0, text.c_str(), 0, i, nullptr), sizeof(TokenFunction)};
      default: return {new TokenExtends(0, text.c_str(), 0, i, nullptr), sizeof(TokenExtends)};
    }
  };
  std::vector<Live> live;
  Token* root = new Token(0, "root", 0, 0, nullptr);
  for (int i = 0; i < 30000; ++i) {
    auto [kept, keptSize] = make(i, "kept" + std::to_string(i));
    live.push_back({kept, keptSize, kept->text});
    root->push(make(i + 1, "freed").first);
  }
  TokenList freed(root->childs.begin(), root->childs.end());
  std::sort(freed.begin(), freed.end());
  deleteTokenTree(root);
  size_t reused = 0;
  for (int i = 0; i < 30000; ++i) {
    auto [again, size] = make(i + 1, "again" + std::to_string(i));
    live.push_back({again, size, again->text});
    reused += std::binary_search(freed.begin(), freed.end(), again);
  }
  EXPECT_GE(reused, 29000u);
  std::vector<std::pair<uintptr_t, size_t>> ranges;
  for (const Live& l : live) {
    EXPECT_EQ(l.token->text, l.text);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(l.token) % alignof(Token), 0u);
    ranges.emplace_back(reinterpret_cast<uintptr_t>(l.token), l.size);
  }
  std::sort(ranges.begin(), ranges.end());
  for (size_t i = 1; i < ranges.size(); ++i)
    ASSERT_LE(ranges[i - 1].first + ranges[i - 1].second, ranges[i].first) << "tokens overlap";
}


// The list of kept texts grows by replacing itself and gives back the list
// it replaced, so a leak check (the fuzzers run one after every input)
// finds nothing. Only a sanitizer build can check this.
TEST(TokenTexts, GrowingTextListsLeakNothing) {
#ifdef RUVO_TEST_ASAN
  for (int i = 0; i < 100000; ++i) SharedString grown(std::string("grown text ") + std::to_string(i));
  EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#else
  GTEST_SKIP() << "needs a build with -fsanitize=address";
#endif
}

// The 4-byte token texts: a shared text is kept once, a rare text owns its
// slot, copies are independent, a moved-from text is empty, and a slot given
// back is taken again holding nothing of its old text.
TEST(TokenTexts, SharedAndRareTextsKeepTheirValues) {
  SharedString a = std::string("\n\t\t"), b = "\n\t\t", c;
  EXPECT_EQ(&a.str(), &b.str());
  EXPECT_TRUE(c.empty());
  EXPECT_EQ(c.str(), "");
  c = "x";
  c += "y";
  EXPECT_EQ(c, "xy");
  c = "";
  EXPECT_TRUE(c.empty());

  RareString r = "doc", copy = r;
  copy += " more";
  EXPECT_EQ(r, "doc");
  EXPECT_EQ(copy, "doc more");
  RareString moved = std::move(copy);
  EXPECT_EQ(moved, "doc more");
  EXPECT_TRUE(copy.empty());  // NOLINT(bugprone-use-after-move): moved-from is empty by design
  r.clear();
  RareString next = "new";  // may take the slot r gave back
  EXPECT_EQ(next, "new");
  EXPECT_TRUE(r.empty());
  std::vector<RareString> many(5000);
  for (size_t i = 0; i < many.size(); ++i) many[i] = "t" + std::to_string(i);
  for (size_t i = 0; i < many.size(); i += 2) many[i] = std::string();
  for (size_t i = 0; i < many.size(); ++i) EXPECT_EQ(many[i].str(), i % 2 ? "t" + std::to_string(i) : "");
}

// The table of kept texts, through its growth: equal texts share one
// number and distinct ones never do, also where they differ only in length,
// in a byte past the first eight, by a NUL byte inside, or (over 16 bytes,
// with the same length and end bytes, so the same recent slot) only inside.
TEST(TokenTexts, KeptTextsStayDistinctThroughGrowth) {
  std::vector<std::string> texts;
  for (int i = 0; i < 20000; ++i) texts.push_back("kept text " + std::to_string(i));
  for (size_t n = 1; n <= 40; ++n) texts.push_back(std::string(n, '\t'));
  for (char c = 'a'; c <= 'z'; ++c) texts.push_back("[" + std::string(20, c) + "]");
  texts.push_back(std::string("ab\0c", 4));
  texts.push_back(std::string("ab\0d", 4));
  texts.push_back(std::string("ab", 2));
  std::vector<SharedString> kept;
  for (const std::string& t : texts) kept.emplace_back(t);
  std::vector<uint32_t> ids;
  for (size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(kept[i].str(), texts[i]);
    EXPECT_EQ(SharedString(texts[i]).id(), kept[i].id());
    ids.push_back(kept[i].id());
  }
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
}

}  // namespace
