#include "cleaner/small_block_pool.h"

#include <cstdlib>
#include <cstring>

#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#endif
#ifndef ASAN_POISON_MEMORY_REGION
#define ASAN_POISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#endif

namespace kpx {

namespace {

constexpr unsigned kClassBits = 8;

size_t Hash(uintptr_t window, size_t mask) {
  return static_cast<size_t>(window * 0x9E3779B97F4A7C15u >> 20) & mask;
}

}  // namespace

SmallBlockPool::~SmallBlockPool() {
  for (size_t i = 0; i < batch_count_; ++i) {
    // Blocks still live when the pool goes (what the library left behind) go with it; the
    // sanitizer must not see the memory as poisoned when the system allocator takes it back.
    ASAN_UNPOISON_MEMORY_REGION(batches_[i], kBatchBytes);
    std::free(batches_[i]);
  }
  std::free(batches_);
  std::free(table_);
}

void* SmallBlockPool::Allocate(size_t size) noexcept {
  const size_t slot = SlotFor(size);
  SizeClass& size_class = classes_[slot / kGranule - 1];
  if (FreeBlock* block = size_class.free) {
    ASAN_UNPOISON_MEMORY_REGION(block, slot);
    size_class.free = block->next;
    return block;
  }
  if (size_class.next == size_class.end && !NewSlab(slot / kGranule - 1)) return nullptr;
  char* block = size_class.next;
  size_class.next += slot;
  ASAN_UNPOISON_MEMORY_REGION(block, slot);
  return block;
}

size_t SmallBlockPool::SlotSize(const void* block) const noexcept {
  if (slab_count_ == 0) return 0;
  const uintptr_t window = reinterpret_cast<uintptr_t>(block) >> kSlabShift;
  const uint64_t entry = table_[Probe(window)];
  if (entry == 0) return 0;
  return ((entry & ((1u << kClassBits) - 1)) + 1) * kGranule;
}

void SmallBlockPool::Free(void* block, size_t slot_size) noexcept {
  SizeClass& size_class = classes_[slot_size / kGranule - 1];
  auto* freed = static_cast<FreeBlock*>(block);
  freed->next = size_class.free;
  size_class.free = freed;
  ASAN_POISON_MEMORY_REGION(block, slot_size);
}

size_t SmallBlockPool::Probe(uintptr_t window) const noexcept {
  const size_t mask = table_size_ - 1;
  size_t i = Hash(window, mask);
  while (table_[i] != 0 && (table_[i] >> kClassBits) != window) i = (i + 1) & mask;
  return i;
}

bool SmallBlockPool::NewSlab(size_t class_index) noexcept {
  if (spare_ == spare_end_ && !TakeBatch()) return false;
  char* slab = spare_;
  if (!Register(reinterpret_cast<uintptr_t>(slab), class_index)) return false;
  spare_ += kSlabBytes;
  const size_t slot = (class_index + 1) * kGranule;
  SizeClass& size_class = classes_[class_index];
  size_class.next = slab;
  size_class.end = slab + kSlabBytes / slot * slot;
  return true;
}

bool SmallBlockPool::TakeBatch() noexcept {
  if (batch_count_ == batch_capacity_) {
    const size_t capacity = batch_capacity_ == 0 ? 16 : 2 * batch_capacity_;
    void* grown = std::realloc(batches_, capacity * sizeof(void*));
    if (grown == nullptr) return false;
    batches_ = static_cast<void**>(grown);
    batch_capacity_ = capacity;
  }
  void* batch = std::aligned_alloc(kSlabBytes, kBatchBytes);
  if (batch == nullptr) return false;
  batches_[batch_count_++] = batch;
  ASAN_POISON_MEMORY_REGION(batch, kBatchBytes);
  spare_ = static_cast<char*>(batch);
  spare_end_ = spare_ + kBatchBytes;
  return true;
}

bool SmallBlockPool::Register(uintptr_t slab, size_t class_index) noexcept {
  if (2 * (slab_count_ + 1) > table_size_) {
    const size_t size = table_size_ == 0 ? 256 : 2 * table_size_;
    auto* grown = static_cast<uint64_t*>(std::calloc(size, sizeof(uint64_t)));
    if (grown == nullptr) return false;
    uint64_t* old = table_;
    const size_t old_size = table_size_;
    table_ = grown;
    table_size_ = size;
    for (size_t i = 0; i < old_size; ++i) {
      if (old[i] != 0) table_[Probe(old[i] >> kClassBits)] = old[i];
    }
    std::free(old);
  }
  const uintptr_t window = slab >> kSlabShift;
  table_[Probe(window)] = uint64_t{window} << kClassBits | class_index;
  ++slab_count_;
  return true;
}

}  // namespace kpx
