// The small blocks of one libtidy document, carved from slabs by size class.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kpx {

// libtidy makes a block for every node, attribute and string of a page (millions on a page of
// megabytes, most of them under 128 bytes). With a header before each block to keep count of them,
// the largest corpus page took almost a quarter more memory, and clean-and-repair's tree walks paid
// for it in cache misses, a tenth of libtidy's own time; here a block carries nothing. Blocks of
// one size class (a multiple of 16 bytes) are cut from 16 KiB slabs aligned to their size, so the
// slab, and with it the class, of any block is found from its address in a small table. Freed
// blocks go to their class's free list and are reused by that class; the slabs go back to the
// system only with the pool.
//
// Not thread-safe: a document is used under the tidy lock.
class SmallBlockPool {
 public:
  static constexpr size_t kLargest = 512;  // the largest block size the pool serves

  SmallBlockPool() = default;
  ~SmallBlockPool();
  SmallBlockPool(const SmallBlockPool&) = delete;
  SmallBlockPool& operator=(const SmallBlockPool&) = delete;

  // A block of at least size bytes (size at most kLargest), aligned to 16; nullptr when no memory
  // can be had.
  void* Allocate(size_t size) noexcept;

  // The usable size of block when it is one of the pool's blocks, else 0.
  size_t SlotSize(const void* block) const noexcept;

  // Returns block, whose SlotSize is slot_size, to its class.
  void Free(void* block, size_t slot_size) noexcept;

  // The slot size Allocate(size) gives.
  static size_t SlotFor(size_t size) {
    return size == 0 ? kGranule : (size + kGranule - 1) & ~(kGranule - 1);
  }

 private:
  static constexpr size_t kGranule = 16;
  static constexpr size_t kClassCount = kLargest / kGranule;
  static constexpr unsigned kSlabShift = 14;
  static constexpr size_t kSlabBytes = size_t{1} << kSlabShift;
  // Slabs are taken from the system allocator 64 KiB at a time: with the alignment slack that
  // stays under the size from which it maps fresh pages for every request, so the memory of one
  // document is reused by the next instead of being faulted in anew.
  static constexpr size_t kBatchBytes = 4 * kSlabBytes;

  struct FreeBlock {
    FreeBlock* next;
  };
  struct SizeClass {
    FreeBlock* free = nullptr;  // blocks given back
    char* next = nullptr;       // the untouched rest of the class's newest slab
    char* end = nullptr;
  };

  bool NewSlab(size_t class_index) noexcept;
  bool TakeBatch() noexcept;
  bool Register(uintptr_t slab, size_t class_index) noexcept;
  size_t Probe(uintptr_t window) const noexcept;

  SizeClass classes_[kClassCount];
  char* spare_ = nullptr;  // slabs taken from the system and not yet given to a class
  char* spare_end_ = nullptr;
  void** batches_ = nullptr;  // what was taken from the system allocator
  size_t batch_count_ = 0;
  size_t batch_capacity_ = 0;
  // Open addressing from a slab's number (address >> kSlabShift) to its class: each entry holds
  // the number shifted left by 8 with the class index below; 0 is an empty entry. Never more than
  // half full.
  uint64_t* table_ = nullptr;
  size_t table_size_ = 0;  // a power of two
  size_t slab_count_ = 0;
};

}  // namespace kpx
