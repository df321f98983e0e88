// The passes after the cleaner, the report filter, and pre-patch followed by them with the
// cleaner replaced by the identity.
#include <gtest/gtest.h>

#include "base/ascii_case.h"
#include "base/utf.h"
#include "forward/cleaner_messages.h"
#include "forward/forward_test_support.h"

namespace kpx::testing {
namespace {

struct TextCase {
  const char* name;
  std::u16string_view input;
  std::u16string_view expected;
};

const TextCase kPostPatchCases[] = {
    {"tag content back in the tag", u"<td class=\"c\" kpstagcontent=\"{A} {B}\">",
     u"<td class=\"c\" {A} {B}>"},
    {"tag content word in text stays", u"<p>kpstagcontent=\"x\"</p>",
     u"<p>kpstagcontent=\"x\"</p>"},
    {"empty span marker in lower case", u"<span kpsemptyspan=\"true\">&nbsp;</span>",
     u"<span></span>"},
    {"kpsxmlns named back", u"<html kpsxmlns=\"http://x\">", u"<html xmlns=\"http://x\">"},
    {"protection inside a protection's tag", u"<!-- __x2x__ <svg kpsxmlns=\"u\"> __ -->",
     u"<svg xmlns=\"u\">"},
    {"comment that only starts like one", u"<!--__x2x__ a __ -->", u"<!--__x2x__ a __ -->"},
    {"comment without the exact closer", u"<!-- __x2x__ a -->", u"<!-- __x2x__ a -->"},
    {"names in text after the last tag that holds one",
     u"<html kpsxmlns=\"u\"><p>a kpstagcontent=\"x\" b</p><p>kpsxmlns</p>",
     u"<html xmlns=\"u\"><p>a kpstagcontent=\"x\" b</p><p>kpsxmlns</p>"},
};

TEST(PostPatchTest, Restores) {
  for (const TextCase& c : kPostPatchCases) {
    EXPECT_EQ(ToUtf8(PostPatch(c.input)), ToUtf8(c.expected)) << c.name;
  }
}

const TextCase kCleanupCases[] = {
    {"marker and nbsp", u"<span kpsEmptySpan=\"true\">&nbsp;</span>", u"<span></span>"},
    {"any letter case", u"<span KPSEMPTYSPAN=\"true\">&nbsp;</span>", u"<span></span>"},
    {"nbsp not directly after", u"<span kpsEmptySpan=\"true\"> &nbsp;</span>",
     u"<span> &nbsp;</span>"},
    {"marker at the very end", u"<span kpsEmptySpan=\"true\"", u"<span"},
    {"two markers and a look-alike in a longer text",
     u"<p>..........</p><span kpsEmptySpan=\"true\">&nbsp;</span> text =\"true\" "
     u"<span kpsemptyspan=\"true\" class=a>&nbsp;x</span>",
     u"<p>..........</p><span></span> text =\"true\" <span class=a>x</span>"},
};

TEST(PostPatchTest, EmptySpanCleanup) {
  for (const TextCase& c : kCleanupCases) {
    EXPECT_EQ(ToUtf8(CleanUpEmptySpans(c.input)), ToUtf8(c.expected)) << c.name;
  }
}

struct DropCase {
  const char* name;
  uint32_t bits;
  std::u16string_view input;
  std::u16string_view expected;
};

const DropCase kDropCases[] = {
    {"fragment", 0xF000,
     u"<html>\n<head>\n<title></title>\n</head>\n<body>\n<p>x</p>\n</body>\n</html>\n",
     u"<p>x</p>\n"},
    {"CR LF after the tags", 0xF000, u"<html>\r\n<body>\r\nx</body>\r\n</html>", u"x"},
    {"only the body was missing", 0x8000, u"<html><head></head>\n<body>\nx\n</body>\n</html>",
     u"<html><head></head>\nx\n</html>"},
    {"nothing missing", 0, u"<html><body>x</body></html>", u"<html><body>x</body></html>"},
    {"title kept when present", 0x6000, u"<html>\n<head>\n<title>T</title>\n</head>\n</html>",
     u"<title>T</title>\n"},
    {"tags inside a script stay", 0x8000, u"<script>w('<body>')</script><body>\n",
     u"<script>w('<body>')</script>"},
};

TEST(PostPatchTest, DropsAddedDocumentParts) {
  for (const DropCase& c : kDropCases) {
    EXPECT_EQ(ToUtf8(DropAddedDocumentParts(std::u16string(c.input), c.bits)), ToUtf8(c.expected))
        << c.name;
  }
}

struct FilterCase {
  std::u16string_view messages;
  bool shown;
};

const FilterCase kFilterCases[] = {
    {u"line 1 column 1 - Warning: missing <!DOCTYPE> declaration\n"
     u"line 1 column 1 - Warning: inserting missing 'title' element\n",
     false},
    {u"line 1 column 1 - Warning: inserting implicit <body>\n", false},
    {u"line 3 column 4 - Warning: discarding unexpected </p>\n", true},
    {u"line 1 column 1 - Warning: missing <!DOCTYPE> declaration\n"
     u"line 2 column 1 - Warning: missing </div>\n",
     true},
    {u"line 2 column 1 - Warning: <b> isn't allowed in <table> elements\n", true},
    {u"", false},
};

TEST(PostPatchTest, CleanerReportFilter) {
  for (const FilterCase& c : kFilterCases) {
    EXPECT_EQ(CleanerMessagesWorthShowing(c.messages), c.shown) << ToUtf8(c.messages);
  }
}

// With the cleaner replaced by the identity, the passes give each template back exactly.
TEST(PostPatchTest, IdentityCleanerGivesTemplatesBack) {
  for (const char* text : kPeopleTemplates) {
    EXPECT_EQ(ToUtf8(ThroughPasses(ToUtf16(text))), text);
  }
}

// Without the end tags of html, head and body (any letter case), each with the line break after it.
std::u16string WithoutDocumentEndTags(std::u16string_view text) {
  std::u16string out;
  for (size_t i = 0; i < text.size(); ++i) {
    bool cut = false;
    for (std::u16string_view tag : {u"</html>", u"</head>", u"</body>"}) {
      if (text.size() - i >= tag.size() &&
          EqualsIgnoringAsciiCase(text.substr(i, tag.size()), tag)) {
        i += tag.size() - 1;
        if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        cut = true;
        break;
      }
    }
    if (!cut) out.push_back(text[i]);
  }
  return out;
}

// Pages come back exactly, unless they hold a construct the passes rewrite on purpose: a
// content-type meta is moved into the head, and an end tag of html, head or body whose start tag
// the pass did not see (none in the template, or one inside an unclosed script) counts as added
// by the cleaner and is left out.
TEST(PostPatchTest, IdentityCleanerGivesCorpusPagesBack) {
  size_t exact = 0;
  for (const auto& [name, text] : CorpusPages()) {
    const std::u16string back = ThroughPasses(text);
    if (back == text) {
      ++exact;
      continue;
    }
    const std::u16string lower = AsciiLowered(text);
    if (lower.find(u"http-equiv=\"content-type\"") != lower.npos) continue;
    EXPECT_EQ(ToUtf8(WithoutDocumentEndTags(back)), ToUtf8(WithoutDocumentEndTags(text))) << name;
  }
  EXPECT_GT(exact, 300u);
}

}  // namespace
}  // namespace kpx::testing
