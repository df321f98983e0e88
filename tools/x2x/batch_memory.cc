// The allocator settings of a batch run.
#include "x2x/batch_memory.h"

#include <cstddef>  // first: it says whether the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "base/large_buffers.h"

namespace x2x {

void KeepFreedMemoryForReuse() {
#if defined(__GLIBC__)
  // Larger blocks keep a mapping of their own, unmapped when freed, so that the huge-page advice
  // they get (base/large_buffers.h) ends with them. Setting the threshold also stops glibc from
  // moving it after every free.
  constexpr int kOwnMapping = static_cast<int>(kpx::kHugePageWorthyBytes);
  // Free space on top of a heap is kept up to 64 MB, as much as one of a thread's heaps holds,
  // so that glibc neither trims a heap nor unmaps the heaps a worker added for a large page.
  constexpr int kKept = 64 << 20;
  (void)mallopt(M_MMAP_THRESHOLD, kOwnMapping);
  (void)mallopt(M_TRIM_THRESHOLD, kKept);
  (void)mallopt(M_TOP_PAD, kKept);
#endif
  kpx::SetHugePageMinimum(kpx::kHugePageBytes);
}

}  // namespace x2x
