// The pre-patch pass step by step: each case shows a template before and after.
#include <gtest/gtest.h>

#include <vector>

#include "base/utf.h"
#include "forward/pre_patch.h"

namespace kpx::testing {
namespace {

// Knows the blocks whose name starts with "Known"; records every question.
class RecordingLookup final : public BlockLookup {
 public:
  void Lookup(std::u16string_view name, LONG state1, LONG state2, LONG* result1,
              LONG* result2) override {
    calls.push_back(ToUtf8(name) + "|" + std::to_string(state1) + "|" + std::to_string(state2));
    *result1 = name.starts_with(u"Known") ? 5 : -1;
    *result2 = -1;
  }
  std::vector<std::string> calls;
};

struct PrePatchCase {
  const char* name;
  int option;
  std::u16string_view input;
  std::u16string_view expected;
  uint32_t bits;
};

constexpr int kDesign = kPrePatchDesign;

const PrePatchCase kCases[] = {
    {"empty span marked", kDesign, u"<body><span></span></body>",
     u"<body><!-- __x2x__ <span kpsEmptySpan=\"true\">&nbsp;</span> __ --></body>", 0x7000},
    {"fragment keeps its tail", kDesign, u"<p>Hello {Name}</p>",
     u"<!-- __x2x__ <p>Hello {Name} __ --><!-- __x2x__ </p> __ -->", 0xF000},
    {"placeholder in a textarea", kDesign, u"<body><textarea name=\"{N}\">{V}</textarea></body>",
     u"<body><textarea name=\"{N}\"><!-- __x2x__ {V} __ --></textarea></body>", 0x7000},
    {"template anchor stays visible", kDesign, u"<body><a href=\"{Url}\">{Text}</a></body>",
     u"<body><a href=\"{Url}\">{Text}</a></body>", 0x7000},
    {"expressions between attributes", kDesign, u"<body><div class=\"c\" {A} {B}>x</div></body>",
     u"<body><!-- __x2x__ <div class=\"c\" kpstagcontent=\"{A} {B}\"> __ --><!-- __x2x__ "
     u"x</div> __ --></body>",
     0x7000},
    {"first expression stays without 0x04", kWriteProtections, u"<body><div {A} {B}></div></body>",
     u"<body><!-- __x2x__ <div {A} kpstagcontent=\"{B}\"> __ --><!-- __x2x__ </div> __ --></body>",
     0x7000},
    {"check box state", kDesign, u"<body><input type=\"checkbox\" {Checked}></body>",
     u"<body><!-- __x2x__ <input type=\"checkbox\" kpscheckedattr=\"{Checked}\"> __ --></body>",
     0x7000},
    {"xmlns renamed", kDesign, u"<html xmlns=\"http://x\"><body></body></html>",
     u"<html kpsxmlns=\"http://x\"><body></body></html>", 0},
    {"style with braces renamed", kWriteProtections, u"<body><p style=\"color:{C}\">x</p></body>",
     u"<body><!-- __x2x__ <p kpsXStyle=\"color:{C}\">x</p> __ --></body>", 0x7000},
    {"declaration protected without 0x02", kPrePatchPreview, u"<!DOCTYPE html><p>x</p>",
     u"<!-- __x2x__ <!DOCTYPE html> __ --><p>x</p>", 0xF000},
    {"table tags hidden", kDesign, u"<body><table><tr><td>a</td></tr></table></body>",
     u"<body><!-- __x2x__ <table> __ --><!-- __x2x__ <tr> __ --><!-- __x2x__ <td> __ --><!-- "
     u"__x2x__ a</td> __ --><!-- __x2x__ </tr> __ --><!-- __x2x__ </table> __ --></body>",
     0x7000},
    {"option protected to its end tag", kDesign,
     u"<body><select><option value=\"{V}\">{T}</option></select></body>",
     u"<body><!-- __x2x__ <select><option value=\"{V}\">{T}</option> __ --><!-- __x2x__ "
     u"</select> __ --></body>",
     0x7000},
    {"script protected whole", kDesign, u"<head><script>if (a--) x();</script></head>",
     u"<head><!-- __x2x__ <script>if (a&xhyp;&xhyp;) x();</script> __ --></head>", 0xD000},
    {"content-type meta moved into the head", kDesign,
     u"<html><head><title>T</title><meta http-equiv=\"Content-Type\" content=\"x\"></head></html>",
     u"<html><head><!-- __x2x__ <meta http-equiv=\"Content-Type\" content=\"x\"> __ "
     u"--><title><!-- __x2x__ T __ --></title></head></html>",
     0x8000},
    {"meta in a host-known block stays", kDesign,
     u"<html><head><title>T</title><!-- BEGIN Known P --><meta http-equiv=\"content-type\" "
     u"content=\"x\"><!-- END Known P --></head></html>",
     u"<html><head><title><!-- __x2x__ T __ --></title><!-- BEGIN Known P --><!-- __x2x__ <meta "
     u"http-equiv=\"content-type\" content=\"x\"> __ --><!-- END Known P --></head></html>",
     0x8000},
    {"text in the head protected, not deleted", kDesign,
     u"<html><head><link rel=\"x\">stray</head></html>",
     u"<html><head><!-- __x2x__ <link rel=\"x\">stray __ --></head></html>", 0x8000},
    {"BEGIN without a name", kDesign, u"<body>x<!-- BEGIN -->y</body>",
     u"<body>x<!-- BEGIN --><!-- __x2x__ y __ --></body>", 0x7000},
    {"comment with a word", kDesign, u"<body>x<!-- note -->y</body>",
     u"<body><!-- __x2x__ x __ --><!-- note --><!-- __x2x__ y __ --></body>", 0x7000},
    {"form protects around itself", kDesign, u"<body>a<form action=\"{A}\">b</form></body>",
     u"<body><!-- __x2x__ a __ --><form action=\"{A}\"><!-- __x2x__ b __ --></form></body>",
     0x7000},
    {"value escaping would change", kDesign, u"<body><p title=\"a<b\">x</p></body>",
     u"<body><!-- __x2x__ <p title=\"a<b\"> __ --><!-- __x2x__ x</p> __ --></body>", 0x7000},
    {"unreadable rest passed on", kDesign, u"<body>x<!-- open",
     u"<body><!-- __x2x__ x __ --><!-- open", 0x7000},
    {"U+FFC2", kPrePatchPreview, u"a\uFFC2b", u"a&#194;b", 0xF000},
    {"title alone", kDesign, u"<title>T</title>", u"<title><!-- __x2x__ T __ --></title>", 0xE000},
    {"head and title", kDesign, u"<head><title></title></head>", u"<head><title></title></head>",
     0xC000},
};

TEST(PrePatchTest, Steps) {
  for (const PrePatchCase& c : kCases) {
    RecordingLookup lookup;
    PrePatchSettings settings;
    settings.option = c.option;
    settings.blocks = &lookup;
    const PrePatchResult result = PrePatch(std::u16string(c.input), settings);
    EXPECT_EQ(ToUtf8(result.text), ToUtf8(c.expected)) << c.name;
    EXPECT_EQ(result.bits, c.bits) << c.name;
  }
}

struct CaptureCase {
  const char* name;
  std::u16string_view style;
  std::u16string_view input;
  std::u16string_view expected;
};

const CaptureCase kCaptureCases[] = {
    {"style and language", u"Blue",
     u"<img src=\"{res:KPS_LanguageID}/a.png\" class=\"{KPS_Style}\">",
     u"<img src=\"de/a.png\" class=\"Blue\" kpsI18Ned=\"{res:KPS_LanguageID}/a.png\" "
     u"kpsDynamicStyle=\"{KPS_Style}\">"},
    {"language not a whole segment", u"Blue", u"<img src=\"x{res:KPS_LanguageID}.png\">",
     u"<img src=\"x{res:KPS_LanguageID}.png\">"},
    {"language only in img and input", u"", u"<a href=\"{res:KPS_LanguageID}/\">",
     u"<a href=\"{res:KPS_LanguageID}/\">"},
    {"no style name: nothing added", u"", u"<p class=\"{KPS_Style}\">",
     u"<p class=\"{KPS_Style}\">"},
    {"former value with a quote", u"Blue", u"<p title='{KPS_Style} \"q\"'>",
     u"<p title='Blue \"q\"' kpsDynamicStyle=\"{KPS_Style} &quot;q&quot;\">"},
};

TEST(PrePatchTest, HostValuesCaptured) {
  for (const CaptureCase& c : kCaptureCases) {
    PrePatchSettings settings;
    settings.option = kPrePatchPreview;
    settings.style = std::u16string(c.style);
    settings.language = u"de";
    EXPECT_EQ(ToUtf8(PrePatch(std::u16string(c.input), settings).text), ToUtf8(c.expected))
        << c.name;
  }
}

TEST(PrePatchTest, BlockLookupGetsNamesAndState) {
  RecordingLookup lookup;
  PrePatchSettings settings;
  settings.blocks = &lookup;
  PrePatch(
      std::u16string(
          u"<!-- BEGIN Known Grid --><!-- BEGIN Row --><!-- END Row --><!-- END Known Grid -->"),
      settings);
  EXPECT_EQ(lookup.calls,
            (std::vector<std::string>{"Known Grid|0|0", "Row|1|1", "Row|2|1", "Known Grid|1|1"}));
}

}  // namespace
}  // namespace kpx::testing
