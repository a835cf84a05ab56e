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
#endif
