#include "cleaner/tidy_allocator.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kpx {

namespace {

template <class Header>
Header* HeaderOf(void* block) {
  return static_cast<Header*>(block) - 1;
}

}  // namespace

TidyDocumentAllocator::TidyDocumentAllocator() {
  static const TidyAllocatorVtbl table = {&Alloc, &Realloc, &Free, &Panic};
  handle_.base.vtbl = &table;
  handle_.owner = this;
}

TidyDocumentAllocator::~TidyDocumentAllocator() {
  while (live_ != nullptr) {
    Header* next = live_->next;
    std::free(live_);
    live_ = next;
  }
}

TidyDocumentAllocator* TidyDocumentAllocator::Of(TidyAllocator* self) {
  return reinterpret_cast<Handle*>(self)->owner;
}

void TidyDocumentAllocator::Link(Header* header) {
  header->prev = nullptr;
  header->next = live_;
  if (live_ != nullptr) live_->prev = header;
  live_ = header;
}

void TidyDocumentAllocator::Unlink(Header* header) {
  if (header->prev != nullptr) {
    header->prev->next = header->next;
  } else {
    live_ = header->next;
  }
  if (header->next != nullptr) header->next->prev = header->prev;
}

// libtidy panics when a block cannot be had; like its own allocator, this ends the process,
// since nothing may unwind through the library.
void* TIDY_CALL TidyDocumentAllocator::Alloc(TidyAllocator* self, size_t size) noexcept {
  if (size <= SmallBlockPool::kLargest) {
    void* block = Of(self)->small_.Allocate(size);
    if (block == nullptr) Panic(self, "out of memory");
    return block;
  }
  if (size > SIZE_MAX - sizeof(Header)) Panic(self, "out of memory");
  auto* header = static_cast<Header*>(std::malloc(sizeof(Header) + size));
  if (header == nullptr) Panic(self, "out of memory");
  Of(self)->Link(header);
  return header + 1;
}

void* TIDY_CALL TidyDocumentAllocator::Realloc(TidyAllocator* self, void* block,
                                               size_t size) noexcept {
  if (block == nullptr) return Alloc(self, size);
  if (size == 0) {  // a zero size frees the block
    Free(self, block);
    return nullptr;
  }
  TidyDocumentAllocator* allocator = Of(self);
  if (const size_t slot = allocator->small_.SlotSize(block)) {
    // A small block moves to the class of its new size, unless that is its own.
    if (SmallBlockPool::SlotFor(size) == slot) return block;
    void* moved = Alloc(self, size);
    std::memcpy(moved, block, std::min(slot, size));
    allocator->small_.Free(block, slot);
    return moved;
  }
  if (size > SIZE_MAX - sizeof(Header)) Panic(self, "out of memory");
  Header* header = HeaderOf<Header>(block);
  // Unlinked while realloc may move it, so that no neighbour points into a freed block.
  allocator->Unlink(header);
  auto* moved = static_cast<Header*>(std::realloc(header, sizeof(Header) + size));
  if (moved == nullptr) {
    allocator->Link(header);  // still the caller's, and freed with the rest
    Panic(self, "out of memory");
  }
  allocator->Link(moved);
  return moved + 1;
}

void TIDY_CALL TidyDocumentAllocator::Free(TidyAllocator* self, void* block) noexcept {
  if (block == nullptr) return;
  TidyDocumentAllocator* allocator = Of(self);
  if (const size_t slot = allocator->small_.SlotSize(block)) {
    allocator->small_.Free(block, slot);
    return;
  }
  Header* header = HeaderOf<Header>(block);
  allocator->Unlink(header);
  std::free(header);
}

void TIDY_CALL TidyDocumentAllocator::Panic(TidyAllocator*, ctmbstr message) noexcept {
  std::fprintf(stderr, "libtidy: %s\n", message);
  std::abort();
}

}  // namespace kpx
