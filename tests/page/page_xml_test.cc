// Page nodes built directly: creation, flag inheritance, and how each writing bit, the structure
// text and the block lookup come out.
// GCC 12 at -O2 reports a false -Wrestrict in std::u16string assignment from a literal.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <string>

#include "base/utf.h"
#include "page/page_node.h"
#include "page/xml_text.h"

namespace kpx {
namespace {

std::string U8(std::u16string_view text) {
  return ToUtf8(text);
}

// A tree over "<b>bold</b>tail": root, one element node for <b> with a Text child, one Text node.
struct SmallTree {
  std::u16string text = u"<b>bold</b>tail";
  PageDocument document{text};
  std::unique_ptr<PageNode> root = PageNode::CreateRoot(u"Page", &document, 0x12);
  PageNode* b = nullptr;
  PageNode* tail = nullptr;
  SmallTree() {
    root->attributes.Set(u"id", u"1");
    root->attributes.Set(u"name", u"P");
    root->range = {0, 0, text.size(), text.size()};
    b = PageNode::Create(u"b", root.get(), u"");
    b->written_name = u"B";
    b->tag_scope = true;
    b->range = {0, 3, 7, 11};
    PageNode::Create(u"Text", b, u"bold")->range = {3, 3, 7, 7};
    tail = PageNode::Create(u"Text", root.get(), u"tail");
    tail->range = {11, 11, 15, 15};
  }
};

TEST(PageNodeTest, CreationLinksInheritsAndTracksTheLatestText) {
  SmallTree t;
  EXPECT_EQ(t.document.latest_text_node, t.tail);
  t.b->flags |= kWriteSimulatedTags | kWriteBalanceMarker | 0x1000;
  PageNode* first = PageNode::Create(u"Text", t.b, u"x", /*at_end=*/false);
  EXPECT_EQ(t.b->Children().front(), first);
  EXPECT_EQ(t.document.latest_text_node, first);
  // The writing bits stay with the parent; operation flags pass on.
  EXPECT_EQ(first->flags, 0x1012u);
}

// Children added at either end come out in order; the last one is unlinked whether the caller
// knows the child before it, knows a wrong one, or knows none.
TEST(PageNodeTest, ChildrenAtBothEndsAndTheLastUnlinked) {
  PageDocument document(u"");
  auto root = PageNode::CreateRoot(u"Page", &document, 0);
  auto names = [&] {
    std::u16string seen;
    for (const PageNode* child : root->Children()) seen += child->name.view();
    return seen;
  };
  PageNode* b = PageNode::Create(u"b", root.get(), u"");
  PageNode::Create(u"a", root.get(), u"", /*at_end=*/false);
  PageNode* c = PageNode::Create(u"c", root.get(), u"");
  EXPECT_EQ(names(), u"abc");
  EXPECT_EQ(root->Children().size(), 3u);
  EXPECT_EQ(b->NextSibling(), c);
  EXPECT_EQ(c->NextSibling(), nullptr);
  const struct {
    const PageNode* previous;
    std::u16string_view left;
  } removals[] = {{b, u"ab"}, {c, u"a"}, {nullptr, u""}};
  for (const auto& removal : removals) {
    root->RemoveLastChild(removal.previous);
    EXPECT_EQ(names(), removal.left);
  }
  EXPECT_TRUE(root->Children().empty());
  PageNode::Create(u"d", root.get(), u"");
  EXPECT_EQ(names(), u"d");
}

TEST(PageNodeTest, WritingBits) {
  struct Row {
    uint32_t flags;
    const char* xml;  // of the root
  };
  const std::string head = "<Page id=\"1\" name=\"P\">";
  const Row rows[] = {
      {0, "<B><Text><![CDATA[bold]]></Text></B><Text><![CDATA[tail]]></Text></Page>"},
      {kWriteRawContent,
       "<B><Text><![CDATA[bold]]></Text></B><Text><![CDATA[tail]]></Text></Page>"},
      {kWriteSimulatedTags,
       "<Text><![CDATA[<b>]]></Text><Text><![CDATA[bold]]></Text><Text><![CDATA[</b>]]></Text>"
       "<Text><![CDATA[tail]]></Text></Page>"},
      {kWriteSimulatedTags | kWriteBalanceMarker,
       "<Text><![CDATA[<b kpsForcelyBalanced=\"true\">]]></Text><Text><![CDATA[bold]]></Text>"
       "<Text><![CDATA[tail]]></Text></Page>"},
      // With the marker alone the element is written empty, its content after it.
      {kWriteBalanceMarker,
       "<B kpsForcelyBalanced=\"true\" /><Text><![CDATA[bold]]></Text>"
       "<Text><![CDATA[tail]]></Text></Page>"},
      {kWriteLiteralEndOnly,
       "<Text><![CDATA[</B kpsForcelyBalanced=\"true\">]]></Text><Text><![CDATA[tail]]></Text>"
       "</Page>"},
      {kWriteLiteralClosing,
       "<Text><![CDATA[bold]]></Text><Text><![CDATA[</B>]]></Text><Text><![CDATA[tail]]></Text>"
       "</Page>"},
      {kWriteNoTags, "<Text><![CDATA[bold]]></Text><Text><![CDATA[tail]]></Text></Page>"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.flags);
    SmallTree t;
    t.b->flags = row.flags;
    const std::string xml = U8(t.root->ToXml());
    EXPECT_EQ(xml.substr(0, head.size()), head);
    EXPECT_EQ(xml.substr(head.size()), row.xml);
  }
}

TEST(PageNodeTest, EmptyElementsAndTextEscaping) {
  std::u16string text = u"";
  PageDocument document(text);
  auto root = PageNode::CreateRoot(u"Page", &document, 0);
  root->attributes.Set(u"id", u"1");
  root->attributes.Set(u"name", u"x");
  EXPECT_EQ(U8(root->ToXml()), "<Page id=\"1\" name=\"x\" />");

  PageNode::Create(u"Text", root.get(), u"a]]>b<![CDATA[c");
  PageNode* br = PageNode::Create(u"br", root.get(), u"");
  br->tag_scope = true;
  PageNode* span = PageNode::Create(u"span", root.get(), u"");
  span->tag_scope = true;
  PageNode::Create(u"Variable", root.get(), u"1 < 2 & \x01");
  PageNode* var = PageNode::Create(u"Variable", root.get(), u"");
  var->attributes.Set(u"name", u"a&amp;b&AMP;\"<>\t\n\r\xFFFF");
  EXPECT_EQ(
      U8(root->ToXml()),
      "<Page id=\"1\" name=\"x\"><Text><![CDATA[a]]&gt;b&lt;![CDATA[c]]></Text><br />"
      "<span></span><Variable>1 &lt; 2 &amp; \xEF\xBF\xBD</Variable>"
      "<Variable name=\"a&amp;b&amp;AMP;&quot;&lt;&gt;&#9;&#10;&#13;\xEF\xBF\xBD\" /></Page>");
}

TEST(PageNodeTest, PrefixesAreDeclaredOnTheRootAndXmlnsIsRenamed) {
  std::u16string text;
  PageDocument document(text);
  auto root = PageNode::CreateRoot(u"Page", &document, 0);
  PageNode* node = PageNode::Create(u"o:p", root.get(), u"");
  node->attributes.Set(u"xmlns", u"");
  node->attributes.Set(u"xmlns:v", u"");
  node->attributes.Set(u"v:a", u"1");
  node->attributes.Set(u"w:a", u"2");  // same local name under the one namespace: left out
  node->attributes.Set(u"xml:lang", u"de");
  const std::string xml = U8(root->ToXml());
  EXPECT_EQ(xml,
            "<Page xmlns:kpsxmlns=\"urn:kpxhtml2xml:prefix\" xmlns:o=\"urn:kpxhtml2xml:prefix\" "
            "xmlns:v=\"urn:kpxhtml2xml:prefix\" xmlns:w=\"urn:kpxhtml2xml:prefix\"><o:p "
            "kpsxmlns=\"\" kpsxmlns:v=\"\" v:a=\"1\" xml:lang=\"de\" /></Page>");
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  EXPECT_NE(doc, nullptr);
  xmlFreeDoc(doc);
}

// Blocks and components: "<!--B-->x<!--E--><!--B2-->y" with a Block around x and a component
// around y, and a Variable in the root.
TEST(PageNodeTest, StructureAndBlockLookup) {
  std::u16string text = u"0123456789ABCDEFGHIJ";
  PageDocument document(text);
  auto root = PageNode::CreateRoot(u"Page", &document, 0);
  root->range = {0, 0, 20, 20};
  root->attributes.Set(u"id", u"1");
  PageNode* block = PageNode::Create(u"Block", root.get(), u"");
  block->attributes.Set(u"name", u"b");
  block->range = {2, 4, 8, 10};
  PageNode* inner = PageNode::Create(u"Text", block, u"xyzw");
  inner->range = {4, 4, 8, 8};
  PageNode* variable = PageNode::Create(u"Variable", root.get(), u"");
  variable->range = {11, 12, 12, 12};
  PageNode* raw = PageNode::Create(u"Grid", root.get(), u"");
  raw->flags = kWriteNoTags;
  raw->range = {14, 15, 18, 19};

  EXPECT_EQ(U8(root->StructureXml()), "<Block name=\"b\"></Block><Grid />");
  root->host = ComPtr<HostPageModel>();  // the root counts only with its host object

  struct Row {
    size_t offset;
    bool blocks_only;
    const PageNode* expected;
  };
  const Row rows[] = {
      {0, true, root.get()}, {3, true, block},       {5, true, block},
      {5, false, inner},     {11, true, root.get()}, {11, false, variable},
      {16, true, raw},       {20, true, root.get()}, {21, true, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.offset);
    EXPECT_EQ(root->FindAt(row.offset, row.blocks_only), row.expected);
  }
}

TEST(PageNodeTest, DeepTreesAreWrittenAndFreedWithoutRecursion) {
  std::u16string text;
  PageDocument document(text);
  auto root = PageNode::CreateRoot(u"Page", &document, 0);
  PageNode* node = root.get();
  for (int i = 0; i < 200000; ++i) node = PageNode::Create(u"Block", node, u"");
  const std::u16string xml = root->ToXml();
  // "<Page>", 199,999 times "<Block>" and "</Block>", the innermost "<Block />", "</Page>".
  EXPECT_EQ(xml.size(), 6u + 199999u * 15u + 9u + 7u);
  EXPECT_FALSE(root->StructureXml().empty());
  EXPECT_EQ(root->FindAt(0, true), node);
}

// What CDATA content changes, wherever it falls among the characters that are read at once (eight
// or sixteen).
TEST(XmlTextTest, CDataContentAtEveryOffset) {
  struct Row {
    std::u16string_view piece;
    std::u16string_view written;
  };
  const Row rows[] = {
      {u"]]>", u"]]&gt;"},
      {u"]]]>", u"]]]&gt;"},
      {u"<![CDATA[", u"&lt;![CDATA["},
      {u"<!x<b>]]", u"<!x<b>]]"},
      {u"\t\n\r", u"\t\n\r"},
      {u"\x01", u"\xFFFD"},
      {u"\xD800x", u"\xFFFDx"},
      {u"\xD83D\xDE00", u"\xD83D\xDE00"},
      {u"\xFFFE", u"\xFFFD"},
      {u"\xE000", u"\xE000"},
  };
  for (const Row& row : rows) {
    for (size_t shift = 0; shift < 40; ++shift) {
      for (size_t tail : {0, 1, 9, 17}) {
        const std::u16string before(shift, u'a');
        const std::u16string after(tail, u'z');
        std::u16string out;
        AppendCDataContent(out, before + std::u16string(row.piece) + after);
        EXPECT_TRUE(out == before + std::u16string(row.written) + after)
            << U8(row.piece) << " at " << shift << " before " << tail;
      }
    }
  }
}

// Qualified names: one colon at most, with a name on each side; ASCII and beyond.
TEST(XmlTextTest, QualifiedNames) {
  const std::pair<std::u16string_view, bool> rows[] = {
      {u"td", true},
      {u"o:p", true},
      {u"_x-1.y", true},
      {u"xmlns:a", true},
      {u"", false},
      {u":a", false},
      {u"a:", false},
      {u"a:b:c", false},
      {u"1a", false},
      {u"a:1b", false},
      {u"-a", false},
      {u"a$b", false},
      {u"\u00E9t\u00E9", true},
      {u"a\u00B7b", true},
      {u"\u00B7a", false},
      {u"p:\u00E9", true},
      {u"\u00E9:", false},
      {u"a b", false},
      {u"\u00E9:a:b", false},
  };
  for (const auto& [name, qualified] : rows) {
    EXPECT_EQ(IsQName(name), qualified) << U8(name);
  }
}

// Node texts are kept inline, owned or borrowed; each reads back as given.
TEST(NodeStringTest, KeepsItsText) {
  const std::u16string texts[] = {
      u"",      u"a",      u"ab",      u"abc",      u"Text",
      u"abcde", u"abcdef", u"Seven77", u"Variable", std::u16string(300, u'x')};
  for (const std::u16string& text : texts) {
    SCOPED_TRACE(U8(text));
    NodeString copied(text);
    NodeString borrowed;
    borrowed.borrow(text);
    EXPECT_TRUE(copied == text);
    EXPECT_TRUE(borrowed == text);
    // Long texts are borrowed in place; short ones are copied.
    EXPECT_EQ(borrowed.data() == text.data(), text.size() > 7);
    NodeString moved(std::move(copied));
    EXPECT_TRUE(moved == text);
    EXPECT_TRUE(copied.empty());
    copied = moved;
    moved = moved.view().substr(moved.size() / 2);  // from its own text
    EXPECT_TRUE(moved == std::u16string_view(text).substr(text.size() / 2));
    borrowed = std::move(copied);
    EXPECT_TRUE(borrowed == text);
  }
}

}  // namespace
}  // namespace kpx
