// The block-wise searches agree with a character-by-character search wherever the match lies:
// inside a block, across a block's end, in the tail after the last block, or nowhere.
#include "base/char16_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "base/ascii_case.h"

namespace {

constexpr std::size_t kNone = std::u16string_view::npos;

// Reference: the first offset at or after from where needle matches.
std::size_t SlowFind(std::u16string_view text, std::size_t from, std::u16string_view needle,
                     bool ignore_case) {
  for (std::size_t at = from; at + needle.size() <= text.size(); ++at) {
    const std::u16string_view piece = text.substr(at, needle.size());
    if (ignore_case ? kpx::EqualsIgnoringAsciiCase(piece, needle) : piece == needle) return at;
  }
  return kNone;
}

TEST(Char16SearchTest, Rows) {
  struct Row {
    const char* name;
    std::u16string text;
    std::size_t from;
    std::u16string needle;
    std::size_t found;
    std::size_t found_ignoring_case;
  };
  const std::u16string pad(21, u'.');
  const Row rows[] = {
      {"not there", pad, 0, u"<!--", kNone, kNone},
      {"in the tail", pad + u"-->", 0, u"-->", 21, 21},
      {"across a block's end", std::u16string(6, u'x') + u"kPs" + pad, 0, u"kps", kNone, 6},
      {"first two match, last does not", pad + u"=\"tru\"" + pad + u"=\"true\"", 0, u"=\"true\"",
       48, 48},
      {"from past a match", u"ab" + pad + u"ab", 1, u"ab", 23, 23},
      {"from at the end", u"ab", 2, u"b", kNone, kNone},
      {"needle longer than the rest", pad, 19, u"...", kNone, kNone},
      {"folding is for letters only", pad + u"@x" + pad + u"`x", 0, u"`x", 44, 44},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(kpx::FindText(row.text, row.from, row.needle), row.found);
    EXPECT_EQ(kpx::FindTextIgnoringAsciiCase(row.text, row.from, row.needle),
              row.found_ignoring_case);
  }
}

// Random texts over a small alphabet, so that partial matches abound.
TEST(Char16SearchTest, AgreesWithACharacterByCharacterSearch) {
  const std::u16string alphabet = u"<!-kKpPsS=\"\u00e9";
  const std::u16string needles[] = {u"<!--", u"kps", u"-->", u"=\"", u"K", u"s\"<"};
  std::mt19937 random(16);
  for (int round = 0; round < 3000; ++round) {
    std::u16string text(random() % 60, u' ');
    for (char16_t& c : text) c = alphabet[random() % alphabet.size()];
    const std::size_t from = random() % (text.size() + 2);
    const std::u16string& needle = needles[random() % std::size(needles)];
    SCOPED_TRACE(testing::Message() << "round " << round);
    ASSERT_EQ(kpx::FindText(text, from, needle), SlowFind(text, from, needle, false));
    ASSERT_EQ(kpx::FindTextIgnoringAsciiCase(text, from, needle),
              SlowFind(text, from, needle, true));
    const std::size_t any = from < text.size() ? text.find_first_of(u"!\u00e9=", from) : kNone;
    ASSERT_EQ(kpx::FindFirstOf(text, from, u'!', u'\u00e9', u'='), any);
    for (kpx::SimdLevel level :
         {kpx::SimdLevel::kScalar, kpx::SimdLevel::kSse2, kpx::SimdLevel::kAvx2}) {
      if (!kpx::SimdLevelUsable(level)) continue;
      ASSERT_EQ(kpx::FindFirstOfWith(level, text, from, u'!', u'\u00e9', u'='), any)
          << "level " << static_cast<int>(level);
    }
  }
}

}  // namespace
