#include "minihost/frame_memory.h"

#include <cstdlib>  // defines __GLIBC__ on glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace boxwander::minihost {

void KeepFrameMemory() noexcept {
#if defined(__GLIBC__)
  // Large blocks come from the heap instead of their own mappings, and the heap's free top
  // stays with the process: the peak of one frame is reused by the next.
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
}

}  // namespace boxwander::minihost
