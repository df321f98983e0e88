// The XML stand-in's document: loading text and files, parse errors, serialization, entity
// safety and reloading.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "base/utf.h"
#include "xmldom/xml_test_support.h"

namespace {

using kpx::Bstr;
using kpx::ToUtf16;
using kpx::ToUtf8;
using namespace kpx::testing;

struct ParseErrorFields {
  LONG code = 0;
  std::u16string reason, src_text, url;
  LONG line = 0, linepos = 0, filepos = 0;
};

ParseErrorFields ErrorOf(IXMLDOMDocument* doc) {
  ComPtr<IXMLDOMParseError> error;
  EXPECT_EQ(doc->get_parseError(error.Put()), S_OK);
  ParseErrorFields fields;
  if (!error) return fields;
  EXPECT_EQ(error->get_errorCode(&fields.code), S_OK);
  fields.reason = Read(error.Get(), &IXMLDOMParseError::get_reason);
  fields.src_text = Read(error.Get(), &IXMLDOMParseError::get_srcText);
  fields.url = Read(error.Get(), &IXMLDOMParseError::get_url);
  EXPECT_EQ(error->get_line(&fields.line), S_OK);
  EXPECT_EQ(error->get_linepos(&fields.linepos), S_OK);
  EXPECT_EQ(error->get_filepos(&fields.filepos), S_OK);
  return fields;
}

bool Contains(std::u16string_view text, std::u16string_view part) {
  return text.find(part) != std::u16string_view::npos;
}

TEST(DomDocumentTest, MadeThroughTheClassTable) {
  ComPtr<IXMLDOMNode> node;
  ASSERT_EQ(
      CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMNode::kIID, node.PutVoid()),
      S_OK);
  ComPtr<IXMLDOMDocument> doc = node.As<IXMLDOMDocument>();
  ASSERT_TRUE(doc);
  EXPECT_TRUE(SameObject(node.Get(), doc.Get()));
  DOMNodeType type = NODE_INVALID;
  EXPECT_EQ(doc->get_nodeType(&type), S_OK);
  EXPECT_EQ(type, NODE_DOCUMENT);
  EXPECT_EQ(Name(doc.Get()), u"#document");
  EXPECT_EQ(Xml(doc.Get()), u"");  // nothing loaded yet
  ComPtr<IXMLDOMElement> root;
  EXPECT_EQ(doc->get_documentElement(root.Put()), S_FALSE);
  EXPECT_FALSE(root);
  ComPtr<IXMLDOMNode> aggregated;
  ComPtr<IUnknown> outer = node.As<IUnknown>();
  EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument, outer.Get(), CLSCTX_ALL, IXMLDOMNode::kIID,
                             aggregated.PutVoid()),
            CLASS_E_NOAGGREGATION);
}

struct LoadRow {
  const char* name;
  std::u16string text;
  const char16_t* reason_part;  // null: the text parses
  LONG line, linepos, filepos;
  const char16_t* src_text;
};

TEST(DomDocumentTest, LoadXmlReportsWhereTextIsMalformed) {
  const LoadRow rows[] = {
      {"well-formed", u"<a><b/></a>", nullptr, 0, 0, 0, nullptr},
      {"unclosed tag", u"<a><b></a>", u"mismatch", 1, 11, 10, u"<a><b></a>"},
      {"attribute without quotes", u"<a>\n <b x=1/></a>", u"AttValue", 2, 7, 10, u" <b x=1/></a>"},
      {"text after the root", u"<a/>x", u"Extra content", 1, 5, 4, u"<a/>x"},
      {"empty", u"", u"empty", 1, 1, 0, u""},
      {"not XML", u"hello", u"Start tag expected", 1, 1, 0, u"hello"},
      {"undeclared prefix", u"<p:a/>", u"prefix", 1, 5, 4, u"<p:a/>"},
      {"columns count UTF-16 units", u"<a>\u00e9\U0001F600<b x=1/></a>", u"AttValue", 1, 12, 11,
       u"<a>\u00e9\U0001F600<b x=1/></a>"},
      {"second line of CRLF text", u"<a>\r\n<b></a>", u"mismatch", 2, 8, 12, u"<b></a>"},
  };
  for (const LoadRow& row : rows) {
    SCOPED_TRACE(row.name);
    ComPtr<IXMLDOMDocument> doc = NewDocument();
    bool ok = false;
    const HRESULT hr = LoadText(doc.Get(), row.text, &ok);
    const ParseErrorFields error = ErrorOf(doc.Get());
    if (!row.reason_part) {
      EXPECT_EQ(hr, S_OK);
      EXPECT_TRUE(ok);
      EXPECT_EQ(error.code, 0);
      EXPECT_EQ(error.reason, u"");
      continue;
    }
    EXPECT_EQ(hr, S_FALSE);
    EXPECT_FALSE(ok);
    EXPECT_NE(error.code, 0);
    EXPECT_TRUE(Contains(error.reason, row.reason_part)) << ToUtf8(error.reason);
    EXPECT_EQ(error.line, row.line);
    EXPECT_EQ(error.linepos, row.linepos);
    EXPECT_EQ(error.filepos, row.filepos);
    EXPECT_EQ(error.src_text, row.src_text);
    EXPECT_EQ(error.url, u"");
    ComPtr<IXMLDOMElement> root;
    EXPECT_EQ(doc->get_documentElement(root.Put()), S_FALSE);  // a failed load leaves it empty
    EXPECT_FALSE(root);
    EXPECT_EQ(Xml(doc.Get()), u"");
  }
}

TEST(DomDocumentTest, NullTextDoesNotParse) {
  ComPtr<IXMLDOMDocument> doc = NewDocument();
  VARIANT_BOOL ok = VARIANT_TRUE;
  EXPECT_EQ(doc->loadXML(nullptr, &ok), S_FALSE);
  EXPECT_EQ(ok, VARIANT_FALSE);
  EXPECT_NE(ErrorOf(doc.Get()).code, 0);
}

TEST(DomDocumentTest, FailedLoadEmptiesAndGoodLoadClearsTheError) {
  ComPtr<IXMLDOMDocument> doc = Loaded(u"<a/>");
  EXPECT_EQ(LoadText(doc.Get(), u"<a>"), S_FALSE);
  EXPECT_EQ(Xml(doc.Get()), u"");
  EXPECT_EQ(LoadText(doc.Get(), u"<b/>"), S_OK);
  EXPECT_EQ(ErrorOf(doc.Get()).code, 0);
  EXPECT_EQ(Xml(doc.Get()), u"<b/>\n");
}

struct XmlRow {
  const char* name;
  std::u16string text;
  std::u16string xml;
};

TEST(DomDocumentTest, XmlWritesTheDocumentAndReloadsToItself) {
  const XmlRow rows[] = {
      {"no declaration", u"<a/>", u"<a/>\n"},
      {"declaration loses its encoding",
       u"<?xml version=\"1.0\" encoding=\"UTF-8\"?><a x='1'>t&amp;<![CDATA[<c>]]></a>",
       u"<?xml version=\"1.0\"?>\n<a x=\"1\">t&amp;<![CDATA[<c>]]></a>\n"},
      {"standalone kept", u"<?xml version='1.0' standalone='yes'?><a/>",
       u"<?xml version=\"1.0\" standalone=\"yes\"?>\n<a/>\n"},
      {"top-level nodes on their own lines", u"<!--c--><?p d?><a/><!--e-->",
       u"<!--c-->\n<?p d?>\n<a/>\n<!--e-->\n"},
      {"characters stay characters", u"<a b=\"\u00e9\">\u20ac&#x1F600;&lt;</a>",
       u"<a b=\"\u00e9\">\u20ac\U0001F600&lt;</a>\n"},
      {"internal subset and reference kept", u"<!DOCTYPE a [<!ENTITY e \"v\">]><a>&e;</a>",
       u"<!DOCTYPE a [\n<!ENTITY e \"v\">\n]>\n<a>&e;</a>\n"},
      {"encoding declaration of the text ignored",
       u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><a>\u00e9</a>",
       u"<?xml version=\"1.0\"?>\n<a>\u00e9</a>\n"},
  };
  for (const XmlRow& row : rows) {
    SCOPED_TRACE(row.name);
    ComPtr<IXMLDOMDocument> doc = Loaded(row.text);
    const std::u16string xml = Xml(doc.Get());
    EXPECT_EQ(xml, row.xml) << ToUtf8(xml);
    ComPtr<IXMLDOMDocument> again = Loaded(xml);
    EXPECT_EQ(Xml(again.Get()), xml);
  }
}

TEST(DomDocumentTest, PreserveWhiteSpaceDecidesOnBlankText) {
  const std::u16string text = u"<a>\n  <b> </b>\n  <c>t <d/> <e/></c>\n</a>";
  ComPtr<IXMLDOMDocument> doc = NewDocument();
  VARIANT_BOOL preserve = VARIANT_TRUE;
  EXPECT_EQ(doc->get_preserveWhiteSpace(&preserve), S_OK);
  EXPECT_EQ(preserve, VARIANT_FALSE);
  ASSERT_EQ(LoadText(doc.Get(), text), S_OK);
  // Blank text between elements goes; blank text alone in an element or among text stays.
  EXPECT_EQ(Xml(doc.Get()), u"<a><b> </b><c>t <d/> <e/></c></a>\n");

  EXPECT_EQ(doc->put_preserveWhiteSpace(VARIANT_TRUE), S_OK);
  ASSERT_EQ(LoadText(doc.Get(), text), S_OK);
  EXPECT_EQ(Xml(doc.Get()), text + u"\n");

  VARIANT_BOOL async = VARIANT_FALSE;
  EXPECT_EQ(doc->get_async(&async), S_OK);
  EXPECT_EQ(async, VARIANT_TRUE);
  EXPECT_EQ(doc->put_async(VARIANT_FALSE), S_OK);
  EXPECT_EQ(doc->get_async(&async), S_OK);
  EXPECT_EQ(async, VARIANT_FALSE);
}

VARIANT PathVariant(const std::string& path) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(ToUtf16(path).c_str());
  return v;
}

TEST(DomDocumentTest, LoadReadsAFileInItsOwnEncoding) {
  TempFile latin1("kpx-latin1", "<?xml version='1.0' encoding='ISO-8859-1'?>\n<a>caf\xE9</a>");
  ComPtr<IXMLDOMDocument> doc = NewDocument();
  VARIANT path = PathVariant(latin1.path());
  VARIANT_BOOL ok = VARIANT_FALSE;
  EXPECT_EQ(doc->load(path, &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);
  EXPECT_EQ(Text(doc.Get()), u"caf\u00e9");

  // A path passed by reference works the same.
  TempFile utf8("kpx-utf8", "\xEF\xBB\xBF<b>\xE2\x82\xAC</b>");
  VARIANT other = PathVariant(utf8.path());
  VARIANT by_ref;
  VariantInit(&by_ref);
  by_ref.vt = VT_BSTR | VT_BYREF;
  by_ref.pbstrVal = &other.bstrVal;
  EXPECT_EQ(doc->load(by_ref, &ok), S_OK);
  EXPECT_EQ(Text(doc.Get()), u"\u20ac");
  VariantClear(&other);
  VariantClear(&path);
}

TEST(DomDocumentTest, LoadReportsFilesThatCannotBeReadOrParsed) {
  const std::string missing = "/nonexistent-kpx-folder/profile.xml";
  ComPtr<IXMLDOMDocument> doc = Loaded(u"<kept/>");
  VARIANT path = PathVariant(missing);
  VARIANT_BOOL ok = VARIANT_TRUE;
  EXPECT_EQ(doc->load(path, &ok), S_FALSE);
  EXPECT_EQ(ok, VARIANT_FALSE);
  ParseErrorFields error = ErrorOf(doc.Get());
  EXPECT_NE(error.code, 0);
  EXPECT_TRUE(Contains(error.reason, ToUtf16(missing))) << ToUtf8(error.reason);
  EXPECT_EQ(error.url, ToUtf16(missing));
  EXPECT_EQ(Xml(doc.Get()), u"");
  VariantClear(&path);

  TempFile broken("kpx-broken", "<a>\n<b>\n</a>");
  path = PathVariant(broken.path());
  EXPECT_EQ(doc->load(path, &ok), S_FALSE);
  error = ErrorOf(doc.Get());
  EXPECT_EQ(error.line, 3);
  EXPECT_EQ(error.url, ToUtf16(broken.path()));
  VariantClear(&path);

  // A device is not read (it could block or never end).
  path = PathVariant("/dev/zero");
  EXPECT_EQ(doc->load(path, &ok), S_FALSE);
  EXPECT_TRUE(Contains(ErrorOf(doc.Get()).reason, u"/dev/zero"));
  VariantClear(&path);

  VARIANT number;
  VariantInit(&number);
  number.vt = VT_I4;
  EXPECT_EQ(doc->load(number, &ok), E_INVALIDARG);
  VARIANT empty = PathVariant("");
  EXPECT_EQ(doc->load(empty, &ok), S_FALSE);
  VariantClear(&empty);
}

// Standard error as a file for as long as it lives: what the code under test writes there.
class StandardErrorCapture {
 public:
  StandardErrorCapture() : file_(std::tmpfile()), saved_(::dup(2)) {
    std::fflush(stderr);
    ::dup2(::fileno(file_), 2);
  }
  ~StandardErrorCapture() { Restore(); }
  std::string Written() {
    Restore();
    std::string text;
    std::rewind(file_);
    for (int c = std::fgetc(file_); c != EOF; c = std::fgetc(file_)) text += static_cast<char>(c);
    return text;
  }

 private:
  void Restore() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    ::dup2(saved_, 2);
    ::close(saved_);
    saved_ = -1;
  }
  std::FILE* file_;
  int saved_;
};

// A library in an IDE never writes to its host's standard error: libxml2's messages about bad
// encodings and failed conversions end up in the parse error or nowhere, on every entry.
TEST(DomDocumentTest, NothingReachesStandardError) {
  const char* const files[] = {
      "<?xml version='1.0' encoding='ISO-2022-JP'?>\n<a>\x80\xFF\x1B$B\xFF</a>",
      "<?xml version='1.0' encoding='UTF-16'?><a/>",
      "<?xml version='1.0' encoding='no-such-encoding'?><a/>",
      "<?xml version='1.0' encoding='UTF-8'?><a>\xC3\x28\xFF</a>",
  };
  StandardErrorCapture stderr_capture;
  for (const char* bytes : files) {
    TempFile file("kpx-encoding", bytes);
    ComPtr<IXMLDOMDocument> doc = NewDocument();
    VARIANT path = PathVariant(file.path());
    VARIANT_BOOL ok = VARIANT_TRUE;
    doc->load(path, &ok);
    Xml(doc.Get());
    VariantClear(&path);
  }
  bool ok = false;
  ComPtr<IXMLDOMDocument> doc = NewDocument();
  const char16_t lone_surrogate[] = {u'<', u'a', u'>', 0xD800, u'<', u'/', u'a', u'>', 0};
  LoadText(doc.Get(), u"<?xml version='1.0' encoding='EBCDIC'?><a/>", &ok);
  LoadText(doc.Get(), lone_surrogate, &ok);
  LoadText(doc.Get(), u"<a b='&#xFFFF;'>x</a>", &ok);
  Xml(doc.Get());
  EXPECT_EQ(stderr_capture.Written(), "");
}

// External entities, external parameter entities and external DTDs must never be read, neither
// from loadXML nor from load: the secret in the referenced file never shows up.
TEST(DomDocumentTest, ExternalEntitiesAreNeverLoaded) {
  const std::string secret = "kpx-secret-7f3a";
  TempFile secret_file("kpx-secret", secret);
  TempFile dtd_file("kpx-dtd", "<!ENTITY e \"" + secret + "\">");
  const std::string url = "file://" + secret_file.path();
  const std::string dtd_url = "file://" + dtd_file.path();
  const std::string cases[] = {
      "<!DOCTYPE x [<!ENTITY e SYSTEM \"" + url + "\">]><x>&e;</x>",
      "<!DOCTYPE x [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><x>&e;</x>",
      "<!DOCTYPE x [<!ENTITY % p SYSTEM \"" + dtd_url + "\"> %p;]><x>&e;</x>",
      "<!DOCTYPE x SYSTEM \"" + dtd_url + "\"><x>&e;</x>",
      "<!DOCTYPE x [<!ENTITY e SYSTEM \"http://127.0.0.1:9/x\">]><x>&e;</x>",
      "<!DOCTYPE x [<!ENTITY e SYSTEM \"" + url + "\">]><x a=\"&e;\"/>",
  };
  for (const std::string& text : cases) {
    SCOPED_TRACE(text);
    TempFile file("kpx-xxe", text);
    ComPtr<IXMLDOMDocument> from_text = NewDocument();
    LoadText(from_text.Get(), ToUtf16(text));
    ComPtr<IXMLDOMDocument> from_file = NewDocument();
    VARIANT path = PathVariant(file.path());
    VARIANT_BOOL ok;
    from_file->load(path, &ok);
    VariantClear(&path);
    for (IXMLDOMDocument* doc : {from_text.Get(), from_file.Get()}) {
      const std::string seen = ToUtf8(Text(doc) + Xml(doc));
      EXPECT_EQ(seen.find(secret), std::string::npos);
      EXPECT_EQ(seen.find("root:"), std::string::npos);
      ComPtr<IXMLDOMElement> root;
      if (doc->get_documentElement(root.Put()) == S_OK) {
        VARIANT value;
        root->getAttribute(Bstr(u"a").Get(), &value);
        if (value.vt == VT_BSTR) {
          EXPECT_EQ(ToUtf8(kpx::BstrView(value.bstrVal)).find(secret), std::string::npos);
        }
        VariantClear(&value);
      }
    }
  }
}

TEST(DomDocumentTest, InternalEntitiesReadAsTheirText) {
  ComPtr<IXMLDOMDocument> doc =
      Loaded(u"<!DOCTYPE x [<!ENTITY i \"in&#233;<b>side</b>\">]><x>a&i;z</x>");
  EXPECT_EQ(Text(doc.Get()), u"ain\u00e9sidez");
  ComPtr<IXMLDOMElement> root = Root(doc.Get());
  ComPtr<IXMLDOMNode> first, reference;
  ASSERT_EQ(root->get_firstChild(first.Put()), S_OK);
  ASSERT_EQ(first->get_nextSibling(reference.Put()), S_OK);
  DOMNodeType type;
  reference->get_nodeType(&type);
  EXPECT_EQ(type, NODE_ENTITY_REFERENCE);
  EXPECT_EQ(Name(reference.Get()), u"i");
  EXPECT_EQ(Text(reference.Get()), u"in\u00e9side");
  EXPECT_EQ(Xml(reference.Get()), u"&i;");
}

TEST(DomDocumentTest, ReloadLeavesEarlierNodesUsable) {
  ComPtr<IXMLDOMDocument> doc = Loaded(u"<first a=\"1\"><child>old</child></first>");
  ComPtr<IXMLDOMElement> old_root = Root(doc.Get());
  ComPtr<IXMLDOMNode> old_child;
  ASSERT_EQ(old_root->get_firstChild(old_child.Put()), S_OK);

  ASSERT_EQ(LoadText(doc.Get(), u"<second/>"), S_OK);
  EXPECT_EQ(Name(Root(doc.Get()).Get()), u"second");
  EXPECT_EQ(Name(old_root.Get()), u"first");
  EXPECT_EQ(Text(old_child.Get()), u"old");
  EXPECT_EQ(Xml(old_root.Get()), u"<first a=\"1\"><child>old</child></first>");
  // The old tree's document node is no longer the document object.
  ComPtr<IXMLDOMNode> old_top;
  ASSERT_EQ(old_root->get_parentNode(old_top.Put()), S_OK);
  EXPECT_FALSE(SameObject(old_top.Get(), doc.Get()));
  EXPECT_EQ(Name(old_top.Get()), u"#document");

  // A failed load, then dropping the document: the nodes still hold their tree.
  EXPECT_EQ(LoadText(doc.Get(), u"<broken"), S_FALSE);
  doc.Reset();
  EXPECT_EQ(Text(old_root.Get()), u"old");
  ComPtr<IXMLDOMDocument> owner;
  EXPECT_EQ(old_child->get_ownerDocument(owner.Put()), S_OK);
  EXPECT_TRUE(owner);
}

TEST(DomDocumentTest, NullOutPointersAreRefused) {
  ComPtr<IXMLDOMDocument> doc = Loaded(u"<a/>");
  EXPECT_EQ(doc->loadXML(nullptr, nullptr), E_POINTER);
  VARIANT source;
  VariantInit(&source);
  EXPECT_EQ(doc->load(source, nullptr), E_POINTER);
  EXPECT_EQ(doc->get_documentElement(nullptr), E_POINTER);
  EXPECT_EQ(doc->get_parseError(nullptr), E_POINTER);
  EXPECT_EQ(doc->get_async(nullptr), E_POINTER);
  EXPECT_EQ(doc->get_preserveWhiteSpace(nullptr), E_POINTER);
  EXPECT_EQ(doc->get_xml(nullptr), E_POINTER);
  EXPECT_EQ(doc->get_childNodes(nullptr), E_POINTER);
  EXPECT_EQ(doc->get_nodeValue(nullptr), E_POINTER);
  ComPtr<IXMLDOMParseError> error;
  ASSERT_EQ(doc->get_parseError(error.Put()), S_OK);
  EXPECT_EQ(error->get_reason(nullptr), E_POINTER);
  EXPECT_EQ(error->get_line(nullptr), E_POINTER);
}

}  // namespace
