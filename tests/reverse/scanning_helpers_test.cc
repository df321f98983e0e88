// The back transformation's scanning helpers: tag names by kind, and the code-unit searches
// against a unit-by-unit reference at every offset and length that the vector widths split.
#include <gtest/gtest.h>

#include <string>

#include "markup/element_table.h"
#include "reverse/cdata_text.h"
#include "reverse/char_search.h"
#include "reverse/tag_names.h"

namespace kpx {
namespace {

struct NameRow {
  std::u16string_view name;
  TagKind kind;
  bool known;
};

TEST(TagNames, EveryKindIsFoundInAnyLetterCase) {
  const NameRow rows[] = {
      {u"A", TagKind::kA, true},
      {u"Body", TagKind::kBody, true},
      {u"COMMENT", TagKind::kComment, true},
      {u"font", TagKind::kFont, true},
      {u"fORM", TagKind::kForm, true},
      {u"head", TagKind::kHead, true},
      {u"HTML", TagKind::kHtml, true},
      {u"Img", TagKind::kImg, true},
      {u"INPUT", TagKind::kInput, true},
      {u"KpsCData", TagKind::kKpsCData, false},
      {u"LINK", TagKind::kLink, true},
      {u"Meta", TagKind::kMeta, true},
      {u"OPTION", TagKind::kOption, true},
      {u"P", TagKind::kP, true},
      {u"Script", TagKind::kScript, true},
      {u"SELECT", TagKind::kSelect, true},
      {u"SPAN", TagKind::kSpan, true},
      {u"style", TagKind::kStyle, true},
      {u"TITLE", TagKind::kTitle, true},
      {u"td", TagKind::kOther, true},
      {u"spans", TagKind::kOther, false},
      {u"x:span", TagKind::kOther, false},
  };
  for (const NameRow& row : rows) {
    const TagName name = ClassifyTagName(row.name);
    EXPECT_EQ(name.kind, row.kind) << std::string(row.name.begin(), row.name.end());
    EXPECT_EQ(name.known, row.known) << std::string(row.name.begin(), row.name.end());
    EXPECT_EQ(name.properties, ElementProperties(row.name));
  }
}

std::size_t ReferenceNotable(std::u16string_view text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); ++i) {
    if (text[i] == u']' || NeedsXmlCheck(text[i])) return i;
  }
  return text.size();
}

TEST(CodeUnitSearch, EveryVectorWidthFindsTheFirstNotableUnitAtEveryOffset) {
  // Units the CDATA search stops at, and look-alikes it passes over (blanks, U+FFFD, ">").
  const char16_t notable[] = {u']', 0x01, 0x1F, 0xD800, 0xDFFF, 0xFFFE, 0xFFFF};
  const char16_t passed[] = {u'\t', u'\n', u'\r', 0xFFFD, u'>', 0xE000, u'['};
  for (SimdLevel level : {SimdLevel::kScalar, SimdLevel::kSse2, SimdLevel::kAvx2}) {
    if (!SimdLevelUsable(level)) continue;
    for (std::size_t length = 0; length <= 40; ++length) {
      for (std::size_t at = 0; at <= length; ++at) {
        for (std::size_t from : {std::size_t{0}, at / 2}) {
          SCOPED_TRACE(::testing::Message() << "level " << static_cast<int>(level) << " length "
                                            << length << " at " << at << " from " << from);
          std::u16string text(length, u'a');
          for (std::size_t i = 0; i < length; ++i) text[i] = passed[i % std::size(passed)];
          for (char16_t c : notable) {
            if (at < length) text[at] = c;
            EXPECT_EQ(FindCDataNotableWith(level, text.data(), from, length),
                      ReferenceNotable(text, from));
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace kpx
