// Protection comments: what protecting writes, and that restoring gives back every stretch.
#include <gtest/gtest.h>

#include <random>

#include "base/utf.h"
#include "forward/post_patch.h"
#include "forward/protection.h"

namespace kpx::testing {
namespace {

struct ProtectCase {
  const char* name;
  std::u16string_view stretch;
  std::u16string_view protected_text;
};

const ProtectCase kProtectCases[] = {
    {"hyphen run", u"a -- b", u"<!-- __x2x__ a &xhyp;&xhyp; b __ -->"},
    {"single hyphen stays", u"x-y", u"<!-- __x2x__ x-y __ -->"},
    {"white space alone", u" \r\n\t", u" \r\n\t"},
    {"inner comment not nested", u"<p><!-- c -->x</p>",
     u"<!-- __x2x__ <p> __ --><!-- c --><!-- __x2x__ x</p> __ -->"},
    {"blank beside inner comment", u"<!-- c -->\n", u"<!-- c -->\n"},
    {"unclosed comment escaped", u"<!-- open", u"<!-- __x2x__ <!&xhyp;&xhyp; open __ -->"},
    {"literal markers", u"&xhyp;&xamp;&amp;", u"<!-- __x2x__ &xamp;xhyp;&xamp;xamp;&amp; __ -->"},
};

TEST(ProtectionTest, ProtectWrites) {
  for (const ProtectCase& c : kProtectCases) {
    std::u16string out;
    AppendProtected(out, c.stretch);
    EXPECT_EQ(ToUtf8(out), ToUtf8(c.protected_text)) << c.name;
    EXPECT_EQ(ToUtf8(PostPatch(out)), ToUtf8(c.stretch)) << c.name;
  }
}

// Stretches built from the pieces that the escaping and the comment splitting act on.
TEST(ProtectionTest, ProtectThenRestoreIsIdentityOnRandomStretches) {
  const std::u16string_view pieces[] = {u"-",      u"--",   u"&",          u"xhyp;", u"&xhyp;",
                                        u"&xamp;", u"<!--", u"-->",        u" ",     u"a",
                                        u"<b>",    u"\n",   u"<!-- c -->", u"__",    u"&xamp"};
  std::mt19937 random(18);
  for (int round = 0; round < 2000; ++round) {
    std::u16string stretch;
    // Every fourth one long, so that the searches also go block by block.
    const int count = static_cast<int>(random() % (round % 4 == 0 ? 100 : 12));
    for (int i = 0; i < count; ++i) stretch += pieces[random() % std::size(pieces)];
    std::u16string out;
    AppendProtected(out, stretch);
    ASSERT_EQ(ToUtf8(PostPatch(out)), ToUtf8(stretch)) << ToUtf8(out);
  }
}

}  // namespace
}  // namespace kpx::testing
