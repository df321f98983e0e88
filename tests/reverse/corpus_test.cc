// Every corpus page through the back transformation: the writer's page XML always loads, and the
// whole operation either loads too or refuses a page with spans but no serviceable tag.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "reverse/reverse_test_support.h"

namespace kpx::testing {
namespace {

TEST(BackTransformationCorpus, EveryPageLoads) {
  const std::filesystem::path root = KPX_SOURCE_DIR "/../shared/corpus";
  if (!std::filesystem::exists(root)) GTEST_SKIP() << "no corpus at " << root;
  BackTransformer back;
  int pages = 0;
  for (const char* folder : {"tidy-cases", "pages"}) {
    for (const auto& entry : std::filesystem::directory_iterator(root / folder)) {
      if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
      SCOPED_TRACE(entry.path().string());
      std::ifstream in(entry.path(), std::ios::binary);
      std::stringstream bytes;
      bytes << in.rdbuf();
      std::string data = bytes.str();
      if (FindInvalidUtf8(data)) {
        std::string latin;
        for (unsigned char c : data) latin += ToUtf8(std::u16string(1, c));
        data = latin;
      }
      ++pages;
      HRESULT hr = S_OK;
      const std::string xml = back.Back(data, &hr);
      const bool has_span =
          data.find("<span") != std::string::npos || data.find("<SPAN") != std::string::npos;
      if (hr == E_INVALIDARG) {
        EXPECT_TRUE(has_span);
      } else {
        EXPECT_EQ(hr, S_OK);
        std::string name;
        EXPECT_TRUE(LoadsAsXml(xml, &name));
        EXPECT_EQ(name, "Page");
      }
      std::vector<LONG> ids;
      const std::string fragment = back.Partial(back.Page().Get(), data, &ids, &hr);
      EXPECT_EQ(hr, S_OK);
      EXPECT_TRUE(LoadsAsXml(fragment));
    }
  }
  EXPECT_GT(pages, 0);
}

}  // namespace
}  // namespace kpx::testing
