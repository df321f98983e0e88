// Walking a loaded document through the node interfaces: names, types, values, attributes,
// children, siblings, text and the xml of single nodes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/utf.h"
#include "xmldom/xml_test_support.h"

namespace {

using kpx::Bstr;
using kpx::ToUtf8;
using namespace kpx::testing;

constexpr char16_t kProfile[] =
    u"<?xml version=\"1.0\"?>\n"
    u"<profile name=\"demo\" xmlns:k=\"urn:kpx\">\n"
    u"  <!-- rules -->\n"
    u"  <rule id=\"r1\" k:mode=\"strict\" note=\"x&amp;&#233;\">text<![CDATA[<raw>]]>tail</rule>\n"
    u"  <?target data?>\n"
    u"  <k:item/>\n"
    u"</profile>\n";

const char* TypeTag(DOMNodeType type) {
  switch (type) {
    case NODE_ELEMENT:
      return "element";
    case NODE_TEXT:
      return "text";
    case NODE_CDATA_SECTION:
      return "cdata";
    case NODE_COMMENT:
      return "comment";
    case NODE_PROCESSING_INSTRUCTION:
      return "pi";
    case NODE_ATTRIBUTE:
      return "attribute";
    case NODE_DOCUMENT:
      return "document";
    default:
      return "other";
  }
}

// A compact dump of a subtree walked with firstChild/nextSibling:
// kind(name)[attr=value,...]="value"{children}.
std::string Dump(IXMLDOMNode* node) {
  DOMNodeType type = NODE_INVALID;
  EXPECT_EQ(node->get_nodeType(&type), S_OK);
  std::string out = TypeTag(type);
  out += "(" + ToUtf8(Name(node)) + ")";
  ComPtr<IXMLDOMNamedNodeMap> attributes;
  if (node->get_attributes(attributes.Put()) == S_OK) {
    LONG count = 0;
    attributes->get_length(&count);
    out += "[";
    for (LONG i = 0; i < count; ++i) {
      ComPtr<IXMLDOMNode> attribute;
      EXPECT_EQ(attributes->get_item(i, attribute.Put()), S_OK);
      out += (i ? "," : "") + ToUtf8(Name(attribute.Get())) + "=" + ToUtf8(Text(attribute.Get()));
    }
    out += "]";
  }
  VARIANT value;
  if (node->get_nodeValue(&value) == S_OK) {
    out += "=\"" + ToUtf8(kpx::BstrView(value.bstrVal)) + "\"";
    VariantClear(&value);
  }
  ComPtr<IXMLDOMNode> child;
  if (node->get_firstChild(child.Put()) == S_OK) {
    out += "{";
    bool first = true;
    while (child) {
      out += (first ? "" : " ") + Dump(child.Get());
      first = false;
      ComPtr<IXMLDOMNode> next;
      child->get_nextSibling(next.Put());
      child = next;
    }
    out += "}";
  }
  return out;
}

TEST(DomNodeTest, WalksAProfileDocument) {
  ComPtr<IXMLDOMDocument> doc = Loaded(kProfile);
  EXPECT_EQ(Dump(doc.Get()),
            "document(#document){element(profile)[name=demo]{"
            "comment(#comment)=\" rules \" "
            "element(rule)[id=r1,k:mode=strict,note=x&\xC3\xA9]{"
            "text(#text)=\"text\" cdata(#cdata-section)=\"<raw>\" text(#text)=\"tail\"} "
            "pi(target)=\"data\" "
            "element(k:item)[]}}");
}

// The same children in every way a caller can list them.
TEST(DomNodeTest, ChildListsAndSiblingWalksAgree) {
  ComPtr<IXMLDOMDocument> doc = Loaded(kProfile);
  ComPtr<IXMLDOMElement> root = Root(doc.Get());
  ComPtr<IXMLDOMNodeList> children;
  ASSERT_EQ(root->get_childNodes(children.Put()), S_OK);
  LONG length = 0;
  EXPECT_EQ(children->get_length(&length), S_OK);
  ASSERT_EQ(length, 4);

  std::vector<std::u16string> by_index, by_next, backwards;
  for (LONG i = 0; i < length; ++i) {
    ComPtr<IXMLDOMNode> child;
    EXPECT_EQ(children->get_item(i, child.Put()), S_OK);
    by_index.push_back(Name(child.Get()));
  }
  ComPtr<IXMLDOMNode> child;
  while (children->nextNode(child.Put()) == S_OK) by_next.push_back(Name(child.Get()));
  EXPECT_FALSE(child);
  ASSERT_EQ(root->get_lastChild(child.Put()), S_OK);
  while (child) {
    backwards.insert(backwards.begin(), Name(child.Get()));
    ComPtr<IXMLDOMNode> previous;
    child->get_previousSibling(previous.Put());
    child = previous;
  }
  const std::vector<std::u16string> expected = {u"#comment", u"rule", u"target", u"k:item"};
  EXPECT_EQ(by_index, expected);
  EXPECT_EQ(by_next, expected);
  EXPECT_EQ(backwards, expected);

  EXPECT_EQ(children->reset(), S_OK);
  EXPECT_EQ(children->nextNode(child.Put()), S_OK);
  EXPECT_EQ(Name(child.Get()), u"#comment");
  for (LONG out_of_range : {-1, 4, 1000}) {
    EXPECT_EQ(children->get_item(out_of_range, child.Put()), S_FALSE);
    EXPECT_FALSE(child);
  }
}

ComPtr<IXMLDOMNode> ChildAt(IXMLDOMNode* parent, LONG index) {
  ComPtr<IXMLDOMNodeList> children;
  EXPECT_EQ(parent->get_childNodes(children.Put()), S_OK);
  ComPtr<IXMLDOMNode> child;
  EXPECT_EQ(children->get_item(index, child.Put()), S_OK);
  return child;
}

struct NodeRow {
  const char* name;
  std::vector<LONG> path;         // child indexes from the root element
  const char16_t* base_name;      // null: S_FALSE
  const char16_t* namespace_uri;  // null: S_FALSE
  const char16_t* xml;
  const char16_t* text;
};

TEST(DomNodeTest, NamesTextAndXmlOfEachKind) {
  ComPtr<IXMLDOMDocument> doc = Loaded(kProfile);
  ComPtr<IXMLDOMElement> root = Root(doc.Get());
  const NodeRow rows[] = {
      {"root", {}, u"profile", nullptr, nullptr, u"text<raw>tail"},
      {"comment", {0}, nullptr, nullptr, u"<!-- rules -->", u" rules "},
      {"element",
       {1},
       u"rule",
       nullptr,
       u"<rule id=\"r1\" k:mode=\"strict\" note=\"x&amp;\u00e9\">text<![CDATA[<raw>]]>tail</rule>",
       u"text<raw>tail"},
      {"cdata", {1, 1}, nullptr, nullptr, u"<![CDATA[<raw>]]>", u"<raw>"},
      {"pi", {2}, u"target", nullptr, u"<?target data?>", u"data"},
      {"prefixed element", {3}, u"item", u"urn:kpx", u"<k:item/>", u""},
  };
  for (const NodeRow& row : rows) {
    SCOPED_TRACE(row.name);
    ComPtr<IXMLDOMNode> node = root.As<IXMLDOMNode>();
    for (LONG index : row.path) node = ChildAt(node.Get(), index);
    ASSERT_TRUE(node);
    Bstr base, uri;
    EXPECT_EQ(node->get_baseName(base.Put()), row.base_name ? S_OK : S_FALSE);
    EXPECT_EQ(base.View(), row.base_name ? row.base_name : u"");
    EXPECT_EQ(node->get_namespaceURI(uri.Put()), row.namespace_uri ? S_OK : S_FALSE);
    EXPECT_EQ(uri.View(), row.namespace_uri ? row.namespace_uri : u"");
    if (row.xml) {
      EXPECT_EQ(Xml(node.Get()), row.xml);
    }
    EXPECT_EQ(Text(node.Get()), row.text);
  }
  EXPECT_EQ(Text(doc.Get()), u"text<raw>tail");
}

TEST(DomNodeTest, AttributesByNameAndIndex) {
  ComPtr<IXMLDOMDocument> doc = Loaded(kProfile);
  ComPtr<IXMLDOMNode> rule = ChildAt(Root(doc.Get()).As<IXMLDOMNode>().Get(), 1);
  ComPtr<IXMLDOMElement> element = rule.As<IXMLDOMElement>();
  ASSERT_TRUE(element);
  EXPECT_EQ(Read(element.Get(), &IXMLDOMElement::get_tagName), u"rule");

  struct Row {
    const char16_t* name;
    const char16_t* value;  // null: absent
  };
  const Row rows[] = {{u"id", u"r1"},     {u"k:mode", u"strict"}, {u"note", u"x&\u00e9"},
                      {u"mode", nullptr}, {u"ID", nullptr},       {u"", nullptr}};
  ComPtr<IXMLDOMNamedNodeMap> attributes;
  ASSERT_EQ(rule->get_attributes(attributes.Put()), S_OK);
  for (const Row& row : rows) {
    SCOPED_TRACE(ToUtf8(row.name));
    VARIANT value;
    ComPtr<IXMLDOMNode> attribute;
    const Bstr name(row.name);
    if (!row.value) {
      EXPECT_EQ(element->getAttribute(name.Get(), &value), S_FALSE);
      EXPECT_EQ(value.vt, VT_NULL);
      EXPECT_EQ(attributes->getNamedItem(name.Get(), attribute.Put()), S_FALSE);
      EXPECT_FALSE(attribute);
      continue;
    }
    ASSERT_EQ(element->getAttribute(name.Get(), &value), S_OK);
    ASSERT_EQ(value.vt, VT_BSTR);
    EXPECT_EQ(kpx::BstrView(value.bstrVal), row.value);
    VariantClear(&value);
    ASSERT_EQ(attributes->getNamedItem(name.Get(), attribute.Put()), S_OK);
    DOMNodeType type;
    attribute->get_nodeType(&type);
    EXPECT_EQ(type, NODE_ATTRIBUTE);
    EXPECT_EQ(Name(attribute.Get()), row.name);
    ASSERT_EQ(attribute->get_nodeValue(&value), S_OK);
    EXPECT_EQ(kpx::BstrView(value.bstrVal), row.value);
    VariantClear(&value);
    // Attributes stand alone: no parent, no siblings.
    ComPtr<IXMLDOMNode> none;
    EXPECT_EQ(attribute->get_parentNode(none.Put()), S_FALSE);
    EXPECT_EQ(attribute->get_nextSibling(none.Put()), S_FALSE);
    EXPECT_FALSE(none);
  }
  ComPtr<IXMLDOMNode> mode;
  ASSERT_EQ(attributes->getNamedItem(Bstr(u"k:mode").Get(), mode.Put()), S_OK);
  EXPECT_EQ(Xml(mode.Get()), u"k:mode=\"strict\"");
  EXPECT_EQ(Read(mode.Get(), &IXMLDOMNode::get_namespaceURI), u"urn:kpx");
  LONG length = 0;
  EXPECT_EQ(attributes->get_length(&length), S_OK);
  EXPECT_EQ(length, 3);  // the namespace declaration is not an attribute here
}

TEST(DomNodeTest, GettersWithNothingToReturn) {
  ComPtr<IXMLDOMDocument> doc = Loaded(u"<a>t</a>");
  ComPtr<IXMLDOMElement> root = Root(doc.Get());
  ComPtr<IXMLDOMNode> text;
  ASSERT_EQ(root->get_firstChild(text.Put()), S_OK);

  ComPtr<IXMLDOMNode> node;
  EXPECT_EQ(text->get_firstChild(node.Put()), S_FALSE);
  EXPECT_EQ(text->get_nextSibling(node.Put()), S_FALSE);
  EXPECT_EQ(root->get_nextSibling(node.Put()), S_FALSE);
  EXPECT_EQ(doc->get_parentNode(node.Put()), S_FALSE);
  EXPECT_FALSE(node);
  ComPtr<IXMLDOMNamedNodeMap> attributes;
  EXPECT_EQ(text->get_attributes(attributes.Put()), S_FALSE);
  EXPECT_FALSE(attributes);
  ComPtr<IXMLDOMDocument> owner;
  EXPECT_EQ(doc->get_ownerDocument(owner.Put()), S_FALSE);
  EXPECT_FALSE(owner);
  VARIANT value;
  EXPECT_EQ(root->get_nodeValue(&value), S_FALSE);
  EXPECT_EQ(value.vt, VT_NULL);
  EXPECT_EQ(doc->get_nodeValue(&value), S_FALSE);
  EXPECT_EQ(value.vt, VT_NULL);
  VARIANT_BOOL has = VARIANT_TRUE;
  EXPECT_EQ(text->hasChildNodes(&has), S_OK);
  EXPECT_EQ(has, VARIANT_FALSE);
  EXPECT_EQ(root->hasChildNodes(&has), S_OK);
  EXPECT_EQ(has, VARIANT_TRUE);
  EXPECT_EQ(text->get_parentNode(nullptr), E_POINTER);
  EXPECT_EQ(root->getAttribute(nullptr, nullptr), E_POINTER);
}

TEST(DomNodeTest, NodesLeadBackToTheirDocument) {
  ComPtr<IXMLDOMDocument> doc = Loaded(u"<a><b/></a>");
  ComPtr<IXMLDOMElement> root = Root(doc.Get());
  ComPtr<IXMLDOMNode> parent;
  ASSERT_EQ(root->get_parentNode(parent.Put()), S_OK);
  EXPECT_TRUE(SameObject(parent.Get(), doc.Get()));
  ComPtr<IXMLDOMNode> b;
  ASSERT_EQ(root->get_firstChild(b.Put()), S_OK);
  ComPtr<IXMLDOMDocument> owner;
  ASSERT_EQ(b->get_ownerDocument(owner.Put()), S_OK);
  EXPECT_TRUE(SameObject(owner.Get(), doc.Get()));
  EXPECT_TRUE(b.As<IXMLDOMElement>());  // elements answer the element interface
  // A node keeps its document alive.
  doc.Reset();
  owner.Reset();
  parent.Reset();
  root.Reset();
  ComPtr<IXMLDOMNode> up;
  ASSERT_EQ(b->get_parentNode(up.Put()), S_OK);
  EXPECT_EQ(Xml(up.Get()), u"<a><b/></a>");
}

}  // namespace
