// The huge-page advice for large transient buffers, read back from the kernel's own account of
// the process's mappings.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "base/large_buffers.h"

namespace {

bool HugePagesOffered() {
  std::ifstream in("/sys/kernel/mm/transparent_hugepage/enabled");
  std::string modes;
  std::getline(in, modes);
  return !modes.empty() && modes.find("[never]") == std::string::npos;
}

// The VmFlags line of the mapping that holds address, from /proc/self/smaps.
std::string FlagsOfMappingAt(const void* address) {
  const auto at = reinterpret_cast<std::uintptr_t>(address);
  std::ifstream smaps("/proc/self/smaps");
  std::string line;
  bool inside = false;
  while (std::getline(smaps, line)) {
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    char dash = 0;
    std::istringstream range(line);
    if (range >> std::hex >> start >> dash >> end && dash == '-') {
      inside = start <= at && at < end;
    } else if (inside && line.rfind("VmFlags:", 0) == 0) {
      return line;
    }
  }
  return {};
}

struct FreeBlock {
  void operator()(void* block) const { std::free(block); }
};

TEST(LargeBuffersTest, LargeBlocksAreAdvisedAndSmallOnesLeftAlone) {
  if (!HugePagesOffered()) GTEST_SKIP() << "transparent huge pages are off here";
  struct Row {
    const char* name;
    std::size_t bytes;
    std::size_t offset;  // the block handed over starts this far in (not page-aligned)
    bool advised;
  };
  const Row rows[] = {
      {"just large enough", kpx::kHugePageWorthyBytes, 0, true},
      {"large, starting inside a page", kpx::kHugePageWorthyBytes + 64, 7, true},
      {"one byte short", kpx::kHugePageWorthyBytes - 1, 0, false},
      {"a megabyte", std::size_t{1} << 20, 0, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::unique_ptr<char, FreeBlock> block(static_cast<char*>(std::malloc(row.bytes)));
    ASSERT_NE(block, nullptr);
    char* data = block.get() + row.offset;
    kpx::PreferHugePages(data, row.bytes - row.offset);
    // Some byte well inside the block, away from its partial first and last pages.
    const std::string flags = FlagsOfMappingAt(data + (row.bytes - row.offset) / 2);
    ASSERT_FALSE(flags.empty());
    EXPECT_EQ(flags.find(" hg") != std::string::npos, row.advised) << flags;
  }
}

// A process that keeps its freed memory lowers the size from which blocks are advised; every
// caller's blocks follow, those that name a larger minimum of their own too.
TEST(LargeBuffersTest, ALoweredMinimumAdvisesSmallerBlocks) {
  if (!HugePagesOffered()) GTEST_SKIP() << "transparent huge pages are off here";
  const std::size_t bytes = 2 * kpx::kHugePageBytes;
  struct Row {
    const char* name;
    std::size_t minimum;  // the process-wide minimum
    bool named;           // the call names kHugePageWorthyBytes as its own minimum
    bool advised;
  };
  const Row rows[] = {
      {"as it starts", kpx::kHugePageWorthyBytes, false, false},
      {"lowered", kpx::kHugePageBytes, false, true},
      {"lowered, a larger minimum named", kpx::kHugePageBytes, true, true},
      {"lowered below the block, a larger minimum named", bytes + 1, true, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    kpx::SetHugePageMinimum(row.minimum);
    // A mapping of its own, so that no earlier advice in the heap shows through.
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(block, MAP_FAILED);
    if (row.named) {
      kpx::PreferHugePages(block, bytes, kpx::kHugePageWorthyBytes);
    } else {
      kpx::PreferHugePages(block, bytes);
    }
    const std::string flags = FlagsOfMappingAt(static_cast<char*>(block) + bytes / 2);
    munmap(block, bytes);
    EXPECT_EQ(flags.find(" hg") != std::string::npos, row.advised) << flags;
  }
  kpx::SetHugePageMinimum(kpx::kHugePageWorthyBytes);
}

TEST(LargeBuffersTest, ALargeCopyIsExactAndAdvised) {
  std::u16string text(kpx::kHugePageWorthyBytes / sizeof(char16_t) + 3, u'a');
  text[1] = u'\u20ac';
  text.back() = u'z';
  const std::u16string copy = kpx::CopyOfLargeText(text);
  EXPECT_TRUE(copy == text);
  if (!HugePagesOffered()) GTEST_SKIP() << "transparent huge pages are off here";
  EXPECT_NE(FlagsOfMappingAt(copy.data() + copy.size() / 2).find(" hg"), std::string::npos);
}

}  // namespace
