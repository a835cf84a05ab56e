// The token pool's common path, in line for the files that make tokens by
// the hundred thousand (Token.cpp and the lexer). Only they include this
// header; everything else makes tokens with new, through Token::operator new.
//
// Blocks of 4 MB, aligned to their size, are cut into pages of 64 KB; each
// page serves one size class (see Token.cpp). The common path takes a slot
// from the class's free list or steps the cursor of its current page; a new
// page or block is made out of line.
#pragma once

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define RUVO_TOKEN_POOL 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RUVO_TOKEN_POOL 0
#endif
#endif
#ifndef RUVO_TOKEN_POOL
#define RUVO_TOKEN_POOL 1
#endif

namespace tokenpool {

// Slots are 8-byte aligned: no token class asks for more.
constexpr size_t kSlotGrain = 8;
constexpr size_t kPooledMax = 4096;  // a larger object takes a block of its own

struct PoolSlot {
  PoolSlot* next;
};

// Constant-initialised and never destroyed (it has no destructor to run):
// tokens of every compile live in it to the end of the process, and a token
// is made for every few bytes of source, so the common path of allocate is
// a few loads and a store, with no guard for a function-local static.
struct TokenPool {
  PoolSlot* free[kPooledMax / kSlotGrain + 1];
  char* cursor[kPooledMax / kSlotGrain + 1];  // next unused slot of the class's current page
  char* limit[kPooledMax / kSlotGrain + 1];
  void* block;      // the block whose pages are handed out
  size_t nextPage;  // the next page of `block` to hand out

  void* allocate(size_t size) {
    const size_t cls = (size + kSlotGrain - 1) / kSlotGrain;
    if (size <= kPooledMax) {
      if (PoolSlot* slot = free[cls]) {
        free[cls] = slot->next;
        return slot;
      }
      char* at = cursor[cls];
      const size_t total = cls * kSlotGrain;
      if (static_cast<size_t>(limit[cls] - at) >= total) {
        cursor[cls] = at + total;
        return at;
      }
    }
    return allocateSlow(size);
  }
  // A large object, or a class whose page is used up.
  [[gnu::noinline]] void* allocateSlow(size_t size);
  void release(void* p);
};

#if RUVO_TOKEN_POOL
extern TokenPool g_pool;

// Room for a token of `size` bytes, as Token::operator new gives it.
inline void* allocate(size_t size) { return g_pool.allocate(size); }
#endif

}  // namespace tokenpool
