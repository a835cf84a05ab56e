// The program's operator new and operator delete.
//
// A compile makes millions of small strings and vectors and keeps most of
// them to the end of the run. The C library heap grows in 4 KB pages, and on
// virtual machines every first touch of such a page is costly; its per-call
// bookkeeping is also a tenth of the compile. Here small blocks come from
// one reserved address range that the system may back with 2 MB pages:
//
// - the range is cut into 64 KB pages; a page serves one size class, which
//   a side table records, so a block needs no header and any pointer into
//   the range finds its class;
// - each class keeps a list of freed blocks and takes new ones from its
//   current page;
// - blocks above 32 KB take whole runs of pages (the output texts grow to
//   megabytes; from the C library they would be fresh 4 KB pages at every
//   growth); a freed run waits for a block of the same number of pages;
// - blocks above 64 MB, and every block once the range is used up, come
//   from the C library heap; a pointer outside the range goes back there.
//
// Memory is never returned to the system: a compile runs once and exits.
// Sanitizer builds keep the library's operator new, so that the address
// checker sees every block.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
#define RUVO_HEAP_POOL 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define RUVO_HEAP_POOL 0
#endif
#endif
#if !defined(RUVO_HEAP_POOL) && !defined(__unix__) && !defined(__APPLE__)
#define RUVO_HEAP_POOL 0  // the range is reserved with mmap
#endif
#ifndef RUVO_HEAP_POOL
#define RUVO_HEAP_POOL 1
#endif

#if RUVO_HEAP_POOL
#include <sys/mman.h>

namespace {

// Address space only: pages are made on first touch. A smaller range is
// taken when the system refuses this one (as tools that watch the program do).
constexpr size_t kReserve = size_t(64) << 30;
constexpr size_t kReserveMin = size_t(1) << 30;
constexpr size_t kPageShift = 16;
constexpr size_t kPage = size_t(1) << kPageShift;  // 64 KB
constexpr size_t kPageCount = kReserve / kPage;
constexpr size_t kSmallMax = 32 * 1024;
constexpr size_t kLargeMaxPages = 1024;  // 64 MB

// Size classes: 16-byte steps up to 256 bytes, then four steps per doubling
// up to 32 KB (at most a quarter of a block is slack).
constexpr unsigned kClassCount = 45;  // class 0 is unused

constexpr unsigned classOf(size_t n) {
  if (n <= 256) return n == 0 ? 1 : static_cast<unsigned>((n + 15) >> 4);
  const unsigned log = 63u - static_cast<unsigned>(__builtin_clzll(n - 1));  // 8 and above
  const unsigned sub = static_cast<unsigned>((n - 1) >> (log - 2)) & 3u;
  return 17 + (log - 8) * 4 + sub;
}

constexpr size_t classSize(unsigned c) {
  if (c <= 16) return size_t(c) * 16;
  const unsigned log = 8 + (c - 17) / 4;
  const unsigned sub = (c - 17) % 4;
  return size_t(5 + sub) << (log - 2);
}

static_assert(classOf(kSmallMax) == kClassCount - 1 && classSize(kClassCount - 1) == kSmallMax);
constexpr uint8_t kLargeClass = 255;  // first page of a run of pages
static_assert(classSize(classOf(257)) == 320 && classSize(classOf(513)) == 640);

struct FreeBlock {
  FreeBlock* next;
};

// All of it is constant-initialised: operator new runs before any
// constructor of the program does.
struct HeapPool {
  std::atomic<bool> busy{false};
  bool tried = false;
  std::atomic<char*> base{nullptr};      // the reserved range, null until made (or when refused)
  std::atomic<char*> rangeEnd{nullptr};
  size_t pagesUsed = 0;
  size_t pageLimit = 0;                  // pages the range holds
  FreeBlock* freeList[kClassCount] = {};
  char* cursor[kClassCount] = {};        // next unused block of the class's current page
  char* limit[kClassCount] = {};
  uint8_t pageClass[kPageCount] = {};    // class of every page handed out (zero pages until touched)
  uint16_t runPages[kPageCount] = {};    // length of the run that starts at a page
  FreeBlock* freeRuns[kLargeMaxPages + 1] = {};
};

HeapPool g_pool;

// One thread at a time; the compile itself runs on one thread, so the lock
// is almost never contended.
class PoolLock {
 public:
  PoolLock() {
    while (g_pool.busy.exchange(true, std::memory_order_acquire)) std::this_thread::yield();
  }
  ~PoolLock() { g_pool.busy.store(false, std::memory_order_release); }
};

bool reserveRange() {
  g_pool.tried = true;
  size_t size = kReserve;
  void* p = MAP_FAILED;
  for (; size >= kReserveMin; size /= 4) {
    p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p != MAP_FAILED) break;
  }
  if (p == MAP_FAILED) return false;
  // The start may lie anywhere in a 2 MB frame; whole frames after it are
  // what large pages can back, and that is nearly all of the range.
#ifdef MADV_HUGEPAGE
  madvise(p, size, MADV_HUGEPAGE);
#endif
  // Pages start on a 64 KB boundary so that a pointer finds its page by a shift.
  const uintptr_t aligned = (reinterpret_cast<uintptr_t>(p) + kPage - 1) & ~(uintptr_t(kPage) - 1);
  g_pool.pagesUsed = 0;
  // The last page stays unused, so that the aligned start never runs past the range.
  g_pool.pageLimit = size / kPage - 1;
  g_pool.rangeEnd.store(reinterpret_cast<char*>(aligned) + g_pool.pageLimit * kPage, std::memory_order_relaxed);
  g_pool.base.store(reinterpret_cast<char*>(aligned), std::memory_order_release);
  return true;
}

// A block of class c from the pool, or null when the range is used up.
void* takeBlock(unsigned c) {
  if (FreeBlock* b = g_pool.freeList[c]) {
    g_pool.freeList[c] = b->next;
    return b;
  }
  const size_t size = classSize(c);
  if (!g_pool.cursor[c] || static_cast<size_t>(g_pool.limit[c] - g_pool.cursor[c]) < size) {
    if (!g_pool.base.load(std::memory_order_relaxed) && (g_pool.tried || !reserveRange())) return nullptr;
    if (g_pool.pagesUsed >= g_pool.pageLimit) return nullptr;
    const size_t page = g_pool.pagesUsed++;
    g_pool.pageClass[page] = static_cast<uint8_t>(c);
    g_pool.cursor[c] = g_pool.base.load(std::memory_order_relaxed) + (page << kPageShift);
    g_pool.limit[c] = g_pool.cursor[c] + kPage;
  }
  void* block = g_pool.cursor[c];
  g_pool.cursor[c] += size;
  return block;
}

// A run of whole pages, or null when the range is used up.
void* takeRun(size_t pages) {
  if (FreeBlock* b = g_pool.freeRuns[pages]) {
    g_pool.freeRuns[pages] = b->next;
    return b;
  }
  if (!g_pool.base.load(std::memory_order_relaxed) && (g_pool.tried || !reserveRange())) return nullptr;
  if (g_pool.pageLimit - g_pool.pagesUsed < pages) return nullptr;
  const size_t first = g_pool.pagesUsed;
  g_pool.pagesUsed += pages;
  g_pool.pageClass[first] = kLargeClass;
  g_pool.runPages[first] = static_cast<uint16_t>(pages);
  return g_pool.base.load(std::memory_order_relaxed) + (first << kPageShift);
}

void* allocate(size_t n) {
  const size_t pages = (n + kPage - 1) >> kPageShift;
  if (n <= kSmallMax || pages <= kLargeMaxPages) {
    void* p;
    {
      PoolLock lock;
      p = n <= kSmallMax ? takeBlock(classOf(n)) : takeRun(pages);
    }
    if (p) return p;
  }
  return std::malloc(n ? n : 1);
}

void release(void* p) {
  if (!p) return;
  const char* at = static_cast<const char*>(p);
  // The range is set once, before any block of it is handed out.
  const char* base = g_pool.base.load(std::memory_order_acquire);
  if (base && at >= base && at < g_pool.rangeEnd.load(std::memory_order_relaxed)) {
    PoolLock lock;
    const size_t page = static_cast<size_t>(at - base) >> kPageShift;
    const unsigned c = g_pool.pageClass[page];
    auto* b = static_cast<FreeBlock*>(p);
    if (c == kLargeClass) {
      const size_t pages = g_pool.runPages[page];
      b->next = g_pool.freeRuns[pages];
      g_pool.freeRuns[pages] = b;
      return;
    }
    b->next = g_pool.freeList[c];
    g_pool.freeList[c] = b;
    return;
  }
  std::free(p);
}

void* allocateOrThrow(size_t n) {
  for (;;) {
    if (void* p = allocate(n)) return p;
    std::new_handler handler = std::get_new_handler();
    if (!handler) throw std::bad_alloc();
    handler();
  }
}

}  // namespace

void* operator new(size_t n) { return allocateOrThrow(n); }
void* operator new[](size_t n) { return allocateOrThrow(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return allocate(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return allocate(n); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, size_t) noexcept { release(p); }
void operator delete[](void* p, size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }
#endif
