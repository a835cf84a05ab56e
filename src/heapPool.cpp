// The program's operator new and operator delete.
//
// A compile makes millions of small strings and vectors and keeps most of
// them to the end of the run, while the output texts grow to megabytes and
// leave their old buffers behind. Where the build finds mimalloc (Debian:
// libmimalloc-dev) the program's heap is mimalloc's: it is linked in whole,
// so the C library's malloc, the token blocks and every operator new take
// their memory from it. It keeps small blocks of one size together without
// a header, reuses and returns freed large blocks, and reserves address
// space only as the heap grows, so a compile is served as long as the
// system grants the memory it needs (an address-space limit such as
// `ulimit -v` included).
//
// Without mimalloc, and in sanitizer builds (where the address checker must
// see every block), the C library's heap serves.
#if defined(RUVO_MIMALLOC) && RUVO_MIMALLOC
#include <mimalloc-new-delete.h>
#include <mimalloc.h>

namespace {

// The heap asks the system for 2 MB pages where it grants them (on Linux,
// transparent huge pages in "madvise" mode): the tree of a large project is
// hundreds of megabytes touched all over, and with 4 KB pages the processor
// spends as long on page faults and address-translation misses as on the
// compile itself. Where the system has no such pages, nothing changes. Set
// while the program starts, so every heap segment after the first takes it.
const bool kLargePages = [] {
  mi_option_set(mi_option_large_os_pages, 1);
  return true;
}();

}  // namespace
#endif
