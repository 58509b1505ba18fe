#include "platform/memory_tuning.h"

#include <cstdlib>  // defines __GLIBC__ with the C library's own headers
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tallyfold {

namespace {

// The allocator's own starting limit; setting it fixes it there.
constexpr int kLargeBlockBytes = 128 * 1024;

}  // namespace

void keepLargeBlocksMapped() {
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, kLargeBlockBytes);
#endif
}

}  // namespace tallyfold
