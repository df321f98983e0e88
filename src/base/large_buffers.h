// Large transient buffers: a page's copy, its result and its edit records run to tens of
// megabytes for the largest pages, are written once from start to end and freed within the same
// call. Mapped 4 KB at a time, every page of them costs the kernel a fault; with transparent
// huge pages it maps them 2 MB at a time, which makes the largest pages cost per megabyte about
// what small ones do.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kpx {

// Blocks this large get a mapping of their own from glibc's allocator, which is unmapped when
// the block is freed, so the advice below ends with the block. Smaller blocks live in the heap,
// where the advice would outlast them.
inline constexpr std::size_t kHugePageWorthyBytes = std::size_t{32} << 20;

// Asks the kernel to back a freshly allocated, not yet written block of at least
// HugePageMinimum() bytes with huge pages. Does nothing for smaller blocks, and nothing where the
// system declines (huge pages off or unsupported): the block works the same either way.
void PreferHugePages(void* data, std::size_t bytes) noexcept;

// The same advice for blocks from minimum bytes on (or from HugePageMinimum(), when lower). A
// short-lived process (a command-line run), where advice that outlasts a block in the heap costs
// nothing, takes kHugePageBytes.
void PreferHugePages(void* data, std::size_t bytes, std::size_t minimum) noexcept;
inline constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

// The size from which every block is advised, kHugePageWorthyBytes unless lowered. A process
// whose heaps keep what it frees for its next blocks (x2x) lowers it to kHugePageBytes: the
// advice then outlasts the block, and is what the next block there wants too. Process-wide.
std::size_t HugePageMinimum() noexcept;
void SetHugePageMinimum(std::size_t bytes) noexcept;

// Makes room for length characters in out, which is empty, asking for huge pages when the
// room is large.
void ReserveLargeText(std::u16string& out, std::size_t length);

// A copy of text, in a block that asks for huge pages when it is large.
std::u16string CopyOfLargeText(std::u16string_view text);

}  // namespace kpx
