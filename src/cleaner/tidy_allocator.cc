#include "cleaner/tidy_allocator.h"

#include <cstdio>
#include <cstdlib>

namespace kpx {

TidyDocumentAllocator::TidyDocumentAllocator() {
  static const TidyAllocatorVtbl table = {&Alloc, &Realloc, &Free, &Panic};
  handle_.base.vtbl = &table;
  handle_.owner = this;
}

TidyDocumentAllocator::~TidyDocumentAllocator() {
  for (void* block : live_) std::free(block);
}

TidyDocumentAllocator* TidyDocumentAllocator::Of(TidyAllocator* self) {
  return reinterpret_cast<Handle*>(self)->owner;
}

// libtidy panics when a block cannot be had; like its own allocator, this ends the process,
// since nothing may unwind through the library.
void* TIDY_CALL TidyDocumentAllocator::Alloc(TidyAllocator* self, size_t size) {
  void* block = std::malloc(size);
  if (block == nullptr) Panic(self, "out of memory");
  try {
    Of(self)->live_.insert(block);
  } catch (...) {
    Panic(self, "out of memory");
  }
  return block;
}

void* TIDY_CALL TidyDocumentAllocator::Realloc(TidyAllocator* self, void* block, size_t size) {
  TidyDocumentAllocator* allocator = Of(self);
  void* moved = std::realloc(block, size);
  if (moved == nullptr) {
    if (size != 0) Panic(self, "out of memory");
    allocator->live_.erase(block);  // a zero size frees the block
    return nullptr;
  }
  if (moved != block) {
    if (block != nullptr) allocator->live_.erase(block);
    try {
      allocator->live_.insert(moved);
    } catch (...) {
      Panic(self, "out of memory");
    }
  }
  return moved;
}

void TIDY_CALL TidyDocumentAllocator::Free(TidyAllocator* self, void* block) {
  if (block == nullptr) return;
  Of(self)->live_.erase(block);
  std::free(block);
}

void TIDY_CALL TidyDocumentAllocator::Panic(TidyAllocator*, ctmbstr message) {
  std::fprintf(stderr, "libtidy: %s\n", message);
  std::abort();
}

}  // namespace kpx
