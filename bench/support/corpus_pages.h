// The corpus pages as the benchmarks read them: each page's bytes and its text (UTF-8 where the
// bytes are UTF-8, Latin-1 otherwise), sorted by name.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/utf.h"

namespace kpx::bench {

struct BenchPage {
  std::string name;
  std::string utf8;
  std::u16string utf16;
};

inline BenchPage MakeBenchPage(std::string name, std::string bytes) {
  BenchPage page{std::move(name), std::move(bytes), {}};
  if (FindInvalidUtf8(page.utf8)) {
    page.utf16.assign(page.utf8.begin(), page.utf8.end());
  } else {
    page.utf16 = ToUtf16(page.utf8);
  }
  return page;
}

// The pages of one corpus folder ("pages" by default).
inline std::vector<BenchPage> CorpusPages(const char* folder = "pages") {
  std::vector<BenchPage> pages;
  std::error_code error;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::filesystem::path(KPX_CORPUS_DIR) / folder, error)) {
    if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    pages.push_back(MakeBenchPage(entry.path().filename().string(),
                                  std::string(std::istreambuf_iterator<char>(in), {})));
  }
  std::sort(pages.begin(), pages.end(),
            [](const BenchPage& a, const BenchPage& b) { return a.name < b.name; });
  return pages;
}

}  // namespace kpx::bench
