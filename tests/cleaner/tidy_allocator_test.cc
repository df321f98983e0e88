// The allocator each libtidy document of the cleaner allocates through: small blocks from its
// pool, large ones with a header, and everything taken back with the allocator.
#include "cleaner/tidy_allocator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

struct Calls {
  TidyAllocator* self;
  void* Alloc(size_t size) { return self->vtbl->alloc(self, size); }
  void* Realloc(void* block, size_t size) { return self->vtbl->realloc(self, block, size); }
  void Free(void* block) { self->vtbl->free(self, block); }
};

void Fill(void* block, size_t size, unsigned seed) {
  auto* bytes = static_cast<unsigned char*>(block);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(seed + i * 7);
}
bool Holds(const void* block, size_t size, unsigned seed) {
  const auto* bytes = static_cast<const unsigned char*>(block);
  for (size_t i = 0; i < size; ++i) {
    if (bytes[i] != static_cast<unsigned char>(seed + i * 7)) return false;
  }
  return true;
}

TEST(TidyAllocatorTest, ReallocKeepsTheContentWithinAndAcrossSizeClasses) {
  const struct {
    size_t from, to;
  } cases[] = {{1, 16},    {16, 17},  {40, 8},    {100, 512},  {512, 513},
               {100, 600}, {600, 90}, {90, 4096}, {4096, 9000}};
  kpx::TidyDocumentAllocator allocator;
  Calls calls{allocator.get()};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
    void* block = calls.Alloc(c.from);
    Fill(block, c.from, 3);
    block = calls.Realloc(block, c.to);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 16, 0u);
    EXPECT_TRUE(Holds(block, std::min(c.from, c.to), 3));
    Fill(block, c.to, 5);  // the whole new size is usable
    calls.Free(block);
  }
  EXPECT_EQ(calls.Realloc(calls.Alloc(24), 0), nullptr);  // a zero size frees
}

// Enough blocks of mixed sizes for hundreds of slabs; the blocks that are never freed are taken
// back with the allocator (the leak checker of the sanitizer build sees it otherwise).
TEST(TidyAllocatorTest, BlocksStayApartThroughFreeingAndReuse) {
  kpx::TidyDocumentAllocator allocator;
  Calls calls{allocator.get()};
  std::vector<std::pair<void*, size_t>> blocks;
  for (unsigned i = 0; i < 60000; ++i) {
    const size_t size = 1 + (i * 37) % 700;
    blocks.emplace_back(calls.Alloc(size), size);
    Fill(blocks.back().first, size, i);
  }
  for (size_t i = 0; i < blocks.size(); i += 2) calls.Free(blocks[i].first);
  for (size_t i = 0; i < blocks.size(); i += 2) {
    blocks[i].first = calls.Alloc(blocks[i].second);
    Fill(blocks[i].first, blocks[i].second, static_cast<unsigned>(i));
  }
  for (size_t i = 0; i < blocks.size(); ++i) {
    ASSERT_TRUE(Holds(blocks[i].first, blocks[i].second, static_cast<unsigned>(i))) << i;
  }
}

}  // namespace
