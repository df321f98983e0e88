// A large generated profile loads with work in proportion to its size: the calls the loader makes
// through the document interfaces are counted for profiles of n, 4n and 16n rules.
#include <gtest/gtest.h>

#include <string>

#include "counting_dom.h"
#include "profile/converter_profile.h"
#include "profile/profile_loader.h"
#include "profile_test_support.h"

namespace kpx {
namespace {

// units blocks of kRulesPerUnit rules each, spread over two modes, domains of several kinds, nested
// "if" elements, flags and replacements, with restrictions at the head of each mode.
constexpr size_t kRulesPerUnit = 9;

std::string GeneratedProfile(int units) {
  std::string modes[2];
  for (std::string& mode : modes) {
    mode =
        "<html:restrict><tag name='a;img' attr='href;src'/></html:restrict>"
        "<kps:restrict><resource prefix='res'/></kps:restrict>";
  }
  for (int i = 0; i < units; ++i) {
    std::string& mode = modes[i % 2];
    const std::string tag = "t" + std::string(1, static_cast<char>('a' + i % 26));
    mode += "<html:tag name='" + tag +
            ";x;y' balance='validate' output='xml:simulate'>"
            "<flag name='kpsF'/><replace prefix='&lt;b&gt;'><![CDATA[<strong>]]></replace>"
            "</html:tag>"
            "<html:domain name='td;" +
            tag +
            "'><html:tag name='form' output='text'/>"
            "<kps:variable output='xml'/></html:domain>"
            "<html:domain type='attribute'><kps:resource output='xml'/></html:domain>"
            "<if defined='sym'><kps:block name='Row' output='xml:enumerateLocal'/>"
            "<if undefined='other'><kps:component type='Grid' output='xml'/>"
            "<kps:domain type='container' name='Grid'><html:tag name='tr' output='xml'/>"
            "</kps:domain></if></if>"
            "<!-- a comment --><sgml:comment output='text'/>"
            "<kps:variable output='rip'/>";
  }
  return testing::ForwardProfile("<mode target='default'>" + modes[0] +
                                 "</mode><mode target='design'>" + modes[1] + "</mode>");
}

struct Measure {
  size_t calls = 0;
  size_t rules = 0;
};

Measure LoadCounting(int units) {
  ComPtr<IXMLDOMDocument> doc = testing::LoadDocument(GeneratedProfile(units));
  Measure measure;
  ComPtr<IXMLDOMNode> counted =
      ComPtr<IXMLDOMNode>::Adopt(new testing::CountingNode(doc.Get(), &measure.calls));
  testing::RecordingDiagnostics diagnostics;
  ConverterProfile profile(&diagnostics);
  profile.Define(u"sym");
  EXPECT_TRUE(ProfileLoader::Load(counted.Get(), profile));
  EXPECT_TRUE(diagnostics.findings.empty());
  for (const auto& mode : profile.modes()) {
    measure.rules += mode->rules().size();
  }
  return measure;
}

TEST(ProfileLoaderGrowthTest, WorkGrowsInProportionToTheProfile) {
  const int n = 125;  // 1,125 rules; the largest run below has 18,000
  const Measure small = LoadCounting(n);
  ASSERT_EQ(small.rules, kRulesPerUnit * n);
  for (int factor : {4, 16}) {
    SCOPED_TRACE(factor);
    const Measure large = LoadCounting(factor * n);
    EXPECT_EQ(large.rules, small.rules * factor);
    // The same calls per rule, up to the fixed cost of the root and the mode heads.
    EXPECT_LE(large.calls, small.calls * factor);
    EXPECT_GE(large.calls, small.calls * factor * 99 / 100);
  }
}

}  // namespace
}  // namespace kpx
