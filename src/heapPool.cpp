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

// The heap takes the system's ordinary 4 KB pages, not 2 MB ones: a 2 MB
// page is zeroed whole the first time any byte of it is touched, and the
// system may first have to gather free memory to make one, so on a shared
// machine the huge pages cost more system time than the page faults they
// save (on the 1,600-class benchmark project: 7 MB more peak memory, and
// system time from 0.08 to over 1 s where 4 KB pages keep it about 0.2 s).
// Set while the program starts, so that MIMALLOC_LARGE_OS_PAGES in the
// environment does not turn them on.
const bool kSmallPages = [] {
  mi_option_set(mi_option_large_os_pages, 0);
  return true;
}();

}  // namespace
#endif
