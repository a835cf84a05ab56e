// The program's operator new: small blocks, runs of pages for large blocks
// and the C library heap beyond, freed and reused without blocks overlapping.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

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

}  // namespace
