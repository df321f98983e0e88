// The memory of one libtidy document, taken back whole when the document is released.
#pragma once

#include <tidy/tidy.h>

#include <cstddef>

#include "cleaner/small_block_pool.h"

namespace kpx {

// libtidy 5.6 loses blocks on some pages: when clean-and-repair replaces a DOCTYPE that the
// HTML output cannot keep (an XHTML one, for example), the parsed DOCTYPE node and its
// attributes are never freed. A converter that cleans page after page would grow without end,
// so each document allocates through this allocator, which owns every block and frees what the
// library left behind once the document is gone. Callers hold the tidy lock.
//
// Small blocks (nodes, attributes, strings: nearly all of a page's millions) come from a pool of
// slabs that goes as a whole; the few larger ones (the lexer's and the printer's buffers) carry a
// header that links them into a list of the live large blocks.
class TidyDocumentAllocator {
 public:
  TidyDocumentAllocator();
  ~TidyDocumentAllocator();  // frees every block still live: call after tidyRelease
  TidyDocumentAllocator(const TidyDocumentAllocator&) = delete;
  TidyDocumentAllocator& operator=(const TidyDocumentAllocator&) = delete;

  TidyAllocator* get() { return &handle_.base; }

 private:
  // Placed before each large block handed out; as aligned as malloc's blocks, so the block is too.
  struct alignas(std::max_align_t) Header {
    Header* prev;
    Header* next;
  };

  static void* TIDY_CALL Alloc(TidyAllocator* self, size_t size) noexcept;
  static void* TIDY_CALL Realloc(TidyAllocator* self, void* block, size_t size) noexcept;
  static void TIDY_CALL Free(TidyAllocator* self, void* block) noexcept;
  [[noreturn]] static void TIDY_CALL Panic(TidyAllocator* self, ctmbstr message) noexcept;
  static TidyDocumentAllocator* Of(TidyAllocator* self);

  void Link(Header* header);
  void Unlink(Header* header);

  // What libtidy is handed: its allocator first, so that Of() can find the owner from it.
  struct Handle {
    TidyAllocator base;
    TidyDocumentAllocator* owner;
  };
  Handle handle_;
  SmallBlockPool small_;
  Header* live_ = nullptr;  // the most recently linked live large block
};

}  // namespace kpx
