#include "cleaner/tidy_allocator.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace kpx {

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
  header->previous = nullptr;
  header->next = live_;
  if (live_ != nullptr) live_->previous = header;
  live_ = header;
}

void TidyDocumentAllocator::Unlink(Header* header) {
  if (header->previous != nullptr) {
    header->previous->next = header->next;
  } else {
    live_ = header->next;
  }
  if (header->next != nullptr) header->next->previous = header->previous;
}

void* TIDY_CALL TidyDocumentAllocator::Alloc(TidyAllocator* self, size_t size) noexcept {
  if (size > SIZE_MAX - sizeof(Header)) Panic(self, "out of memory");
  auto* header = static_cast<Header*>(std::malloc(sizeof(Header) + size));
  if (header == nullptr) Panic(self, "out of memory");
  Of(self)->Link(header);
  return header + 1;
}

void* TIDY_CALL TidyDocumentAllocator::Realloc(TidyAllocator* self, void* block,
                                               size_t size) noexcept {
  if (block == nullptr) return Alloc(self, size);
  TidyDocumentAllocator* allocator = Of(self);
  Header* header = static_cast<Header*>(block) - 1;
  if (size == 0) {  // as realloc: frees the block
    Free(self, block);
    return nullptr;
  }
  if (size > SIZE_MAX - sizeof(Header)) Panic(self, "out of memory");
  allocator->Unlink(header);
  auto* moved = static_cast<Header*>(std::realloc(header, sizeof(Header) + size));
  if (moved == nullptr) Panic(self, "out of memory");
  allocator->Link(moved);
  return moved + 1;
}

void TIDY_CALL TidyDocumentAllocator::Free(TidyAllocator* self, void* block) noexcept {
  if (block == nullptr) return;
  Header* header = static_cast<Header*>(block) - 1;
  Of(self)->Unlink(header);
  std::free(header);
}

// libtidy panics when a block cannot be had; like its own allocator, this ends the process,
// since libtidy cannot go on without the block.
void TIDY_CALL TidyDocumentAllocator::Panic(TidyAllocator*, ctmbstr message) noexcept {
  std::fprintf(stderr, "libtidy: %s\n", message);
  std::abort();
}

}  // namespace kpx
