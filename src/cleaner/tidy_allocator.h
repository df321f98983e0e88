// The memory of one libtidy document, taken back whole when the document is released.
#pragma once

#include <tidy/tidy.h>

#include <unordered_set>

namespace kpx {

// libtidy 5.6 loses blocks on some pages: when clean-and-repair replaces a DOCTYPE that the
// HTML output cannot keep (an XHTML one, for example), the parsed DOCTYPE node and its
// attributes are never freed. A converter that cleans page after page would grow without end,
// so each document allocates through this allocator, which knows every live block and frees
// what the library left behind once the document is gone. Callers hold the tidy lock.
class TidyDocumentAllocator {
 public:
  TidyDocumentAllocator();
  ~TidyDocumentAllocator();  // frees every block still live: call after tidyRelease
  TidyDocumentAllocator(const TidyDocumentAllocator&) = delete;
  TidyDocumentAllocator& operator=(const TidyDocumentAllocator&) = delete;

  TidyAllocator* get() { return &handle_.base; }

 private:
  static void* TIDY_CALL Alloc(TidyAllocator* self, size_t size);
  static void* TIDY_CALL Realloc(TidyAllocator* self, void* block, size_t size);
  static void TIDY_CALL Free(TidyAllocator* self, void* block);
  static void TIDY_CALL Panic(TidyAllocator* self, ctmbstr message);
  static TidyDocumentAllocator* Of(TidyAllocator* self);

  // What libtidy is handed: its allocator first, so that Of() can find the owner from it.
  struct Handle {
    TidyAllocator base;
    TidyDocumentAllocator* owner;
  };
  Handle handle_;
  std::unordered_set<void*> live_;
};

}  // namespace kpx
