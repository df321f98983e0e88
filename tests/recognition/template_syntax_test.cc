#include "recognition/template_syntax.h"

#include <gtest/gtest.h>

#include <string>

namespace kpx {
namespace {

// A brace is found wherever it stands among the characters read at once, and near-misses
// (characters one off, a brace in the high byte) are not taken for one.
TEST(TemplateSyntaxTest, HoldsBraceAtEveryPlace) {
  for (size_t size = 0; size < 14; ++size) {
    const std::u16string plain(size, u'a');
    EXPECT_FALSE(HoldsBrace(plain)) << size;
    for (const char16_t near : {u'z', u'|', char16_t{0x7B00}, char16_t{0x017B}}) {
      EXPECT_FALSE(HoldsBrace(std::u16string(size, near))) << size;
    }
    for (size_t at = 0; at < size; ++at) {
      std::u16string text = plain;
      text[at] = u'{';
      EXPECT_TRUE(HoldsBrace(text)) << size << " " << at;
    }
  }
}

}  // namespace
}  // namespace kpx
