// How a batch run keeps the memory its items free. A large page needs tens of megabytes for a
// moment, and glibc's allocator gives blocks that large back to the system as soon as they are
// freed: the next item has the kernel clear and map every page again, which costs as much as
// converting the page (on a virtual machine that hands freed memory back to its host, more).
#pragma once

namespace x2x {

// Makes the process's allocator keep freed memory for the next blocks instead of returning it:
// blocks below kpx::kHugePageWorthyBytes come from the heaps, which are neither trimmed nor
// unmapped while the process lives, so memory stays at the most the workers needed at once. And
// blocks from kpx::kHugePageBytes on get huge-page advice (kpx::SetHugePageMinimum): a large
// page's first item then costs a fault per 2 MB rather than per 4 KB, and the advice that stays
// on a heap range serves the blocks that come there next. Process-wide, for the rest of the
// process; a batch run calls it before its workers start. The allocator settings only where the
// C library is glibc.
void KeepFreedMemoryForReuse();

}  // namespace x2x
