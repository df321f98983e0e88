#include "base/large_buffers.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace kpx {

namespace {

std::atomic<std::size_t> huge_page_minimum{kHugePageWorthyBytes};

}  // namespace

std::size_t HugePageMinimum() noexcept {
  return huge_page_minimum.load(std::memory_order_relaxed);
}

void SetHugePageMinimum(std::size_t bytes) noexcept {
  huge_page_minimum.store(bytes, std::memory_order_relaxed);
}

void PreferHugePages(void* data, std::size_t bytes) noexcept {
  PreferHugePages(data, bytes, kHugePageWorthyBytes);
}

void PreferHugePages(void* data, std::size_t bytes, std::size_t minimum) noexcept {
  if (data == nullptr || bytes < std::min(minimum, HugePageMinimum())) return;
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto begin = reinterpret_cast<std::uintptr_t>(data);
  // Only the whole pages inside the block: its first and last page may hold other data.
  const std::uintptr_t first = (begin + page - 1) / page * page;
  const std::uintptr_t last = (begin + bytes) / page * page;
  if (first >= last) return;
  // A refusal leaves the block as it was; there is nothing to report.
  (void)madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

void ReserveLargeText(std::u16string& out, std::size_t length) {
  out.reserve(length);
  PreferHugePages(out.data(), out.capacity() * sizeof(char16_t));
}

std::u16string CopyOfLargeText(std::u16string_view text) {
  std::u16string copy;
  ReserveLargeText(copy, text.size());
  copy.append(text);
  return copy;
}

}  // namespace kpx
