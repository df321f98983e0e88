// The HTML document stand-in: loading and writing back, the element members the table editing
// calls, ranges, the selection and the caret.
#include <gtest/gtest.h>

#include "htmldom/html_test_support.h"

namespace kpx::testing {
namespace {

std::string Outer(IHTMLElement* element) {
  Bstr html;
  element->get_outerHTML(html.Put());
  return ToUtf8(html.View());
}

std::string Attribute(IHTMLElement* element, std::u16string_view name) {
  Bstr n(name);
  VARIANT value;
  VariantInit(&value);
  element->getAttribute(n.Get(), 0, &value);
  std::string out = value.vt == VT_BSTR ? ToUtf8(BstrView(value.bstrVal)) : "<null>";
  VariantClear(&value);
  return out;
}

TEST(HtmlDocumentTest, WritesBackAnUntouchedDocumentExactly) {
  const char* const pages[] = {
      "",
      "plain text & < more",
      "<!DOCTYPE html><html><head><title>t</td></title></head><body><p>a<p>b</body></html>",
      "<table border=1><tr><td>a<td>b<tr><td colspan=2>c</table> tail",
      "<TABLE><TBODY><TR><TH>x</TH></TR></TBODY></TABLE><!-- <table> -->",
      "<script>if (a<b) document.write('</td>');</script><style>td>p{}</style>",
      "<div></span></div></p><a href='x\"y'>l</a> <br/> <img src=x>",
      "<p unterminated=\"value <b>bold</b>",
      "<td>stray cell</td></tr></table> &amp;&#65;&#x42;&nosuch;",
      "<table><tr><td><table><tr><td>inner</td></tr></table></td></tr></table>",
      "<<>><</ ><a\tb = c\n>x</a\n>",
  };
  for (const char* page : pages) {
    SCOPED_TRACE(page);
    auto document = LoadHtml(page);
    EXPECT_EQ(DocumentHtml(document.Get()), page);
  }
}

TEST(HtmlDocumentTest, ReadsTablesAsABrowserDoes) {
  struct Row {
    const char* html;
    const char* dump;  // TableDump of the first table
  };
  const Row rows[] = {
      {"<table><tr><td>a<td>b<tr><td>c<td>d</table>", "a b | c d"},
      {"<table><thead><tr><th>h</thead><tbody><tr><td>x</tbody><tfoot><tr><td>f</table>",
       "TH:h | x | f"},
      {"<table><tr><td colspan=2 rowspan=\"3\">a</td></tr></table>", "a(c2)(r3)"},
      {"<table><tr><td colspan=0>a<td colspan=x>b<td colspan=5000>c</table>", "a b c(c1000)"},
      {"<table><tr><td><table><tr><td>in</table>out</td></tr></table>", "inout"},
      {"<table><tr></tr><tr><td>&lt;&amp;&gt;</td></tr></table>", "- | <&>"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.html);
    auto document = LoadHtml(row.html);
    auto table = TableAt(document.Get());
    ASSERT_TRUE(table);
    EXPECT_EQ(TableDump(table.Get()), row.dump);
  }
}

TEST(HtmlDocumentTest, WritesMarkupWithUpperCaseTagNames) {
  auto document = LoadHtml("<table><tr><th class=h>Name<td a='say \"1\"'>x<br>y</table>");
  auto table = TableAt(document.Get());
  auto th = CellAt(table.Get(), 0, 0);
  auto td = CellAt(table.Get(), 0, 1);
  EXPECT_EQ(Outer(th.Get()), "<TH class=\"h\">Name</TH>");
  EXPECT_EQ(Outer(td.Get()), "<TD a='say \"1\"'>x<BR>y</TD>");
  EXPECT_EQ(InnerHtml(td.Get()), "x<BR>y");
  EXPECT_EQ(InnerText(td.Get()), "xy");
  Bstr tag;
  td->get_tagName(tag.Put());
  EXPECT_EQ(tag.View(), u"TD");
}

TEST(HtmlDocumentTest, RewritesOnlyTheElementsAnEditTouched) {
  const std::string before = "<p id=x>keep <b>this</b></p>\n";
  const std::string after = "\n<div>and this</div>";
  auto document =
      LoadHtml(before + "<table><tr><td align=left>a</td><td>b</td></tr></table>" + after);
  auto table = TableAt(document.Get());
  auto a = CellAt(table.Get(), 0, 0);
  // Writing what is already there changes nothing.
  Bstr left(u"left"), same(u"a");
  Query<IHTMLTableCell>(a.Get())->put_align(left.Get());
  a->put_innerHTML(same.Get());
  EXPECT_EQ(DocumentHtml(document.Get()),
            before + "<table><tr><td align=left>a</td><td>b</td></tr></table>" + after);

  Query<IHTMLTableCell>(a.Get())->put_colSpan(2);
  Bstr text(u"<i>new</i>");
  CellAt(table.Get(), 0, 1)->put_innerHTML(text.Get());
  EXPECT_EQ(DocumentHtml(document.Get()),
            before +
                "<table><tr><TD align=\"left\" colspan=\"2\">a</td><td><I>new</I></td></tr>"
                "</table>" +
                after);

  ComPtr<IDispatch> made;
  Query<IHTMLTableRow>(RowsOf(table.Get())[0].Get())->insertCell(-1, made.Put());
  Query<IHTMLTable>(table.Get())->insertRow(0, made.Put());
  EXPECT_EQ(DocumentHtml(document.Get()),
            before +
                "<table><TR></TR><tr><TD align=\"left\" colspan=\"2\">a</td><td><I>new</I>"
                "</td><TD></TD></tr></table>" +
                after);
  ASSERT_EQ(Query<IHTMLTable>(table.Get())->deleteRow(0), S_OK);
  EXPECT_EQ(Query<IHTMLTable>(table.Get())->deleteRow(5), E_INVALIDARG);
}

TEST(HtmlDocumentTest, WritesAnImpliedEndTagOnlyForAnEditedElement) {
  auto document = LoadHtml("<body><table><tr><td>a<td>b</table><p>p");
  auto table = TableAt(document.Get());
  Bstr text(u"c");
  CellAt(table.Get(), 0, 0)->put_innerText(text.Get());
  EXPECT_EQ(DocumentHtml(document.Get()), "<body><table><tr><td>c</TD><td>b</table><p>p");
}

TEST(HtmlDocumentTest, AttributesAndProperties) {
  auto document = LoadHtml(
      "<table><tr><td nowrap CLASS=c style='color: red' x=\"&quot;q\">a"
      "</table>");
  auto cell = CellAt(TableAt(document.Get()).Get(), 0, 0);
  auto table_cell = Query<IHTMLTableCell>(cell.Get());
  VARIANT_BOOL no_wrap = VARIANT_FALSE;
  table_cell->get_noWrap(&no_wrap);
  EXPECT_EQ(no_wrap, VARIANT_TRUE);
  Bstr class_name, css;
  cell->get_className(class_name.Put());
  EXPECT_EQ(class_name.View(), u"c");
  ComPtr<IHTMLStyle> style;
  cell->get_style(style.Put());
  style->get_cssText(css.Put());
  EXPECT_EQ(css.View(), u"color: red");
  EXPECT_EQ(Attribute(cell.Get(), u"X"), "\"q");
  EXPECT_EQ(Attribute(cell.Get(), u"missing"), "<null>");

  ComPtr<IHTMLAttributeCollection> attributes;
  cell->get_attributes(attributes.Put());
  LONG length = 0;
  attributes->get_length(&length);
  EXPECT_EQ(length, 4);

  Bstr bad(u"a b");
  VARIANT value;
  VariantInit(&value);
  EXPECT_EQ(cell->setAttribute(bad.Get(), value, 0), E_INVALIDARG);
  EXPECT_EQ(table_cell->put_colSpan(0), E_INVALIDARG);
  table_cell->put_noWrap(VARIANT_FALSE);
  Bstr empty(u"");
  style->put_cssText(empty.Get());
  EXPECT_EQ(Outer(cell.Get()), "<TD CLASS=\"c\" x=\"&quot;q\">a</TD>");
}

TEST(HtmlDocumentTest, AnswersTableInterfacesOnlyForTheirElements) {
  auto document = LoadHtml("<body><table><tr><td>a</table></body>");
  auto table = TableAt(document.Get());
  auto row = RowsOf(table.Get())[0];
  auto cell = CellAt(table.Get(), 0, 0);
  EXPECT_TRUE(Query<IHTMLTable>(table.Get()));
  EXPECT_FALSE(Query<IHTMLTable>(row.Get()));
  EXPECT_TRUE(Query<IHTMLTableRow>(row.Get()));
  EXPECT_FALSE(Query<IHTMLTableCell>(row.Get()));
  EXPECT_TRUE(Query<IHTMLTableCell>(cell.Get()));
  EXPECT_FALSE(Query<IHTMLBodyElement>(cell.Get()));
  LONG index = -2;
  Query<IHTMLTableCell>(cell.Get())->get_cellIndex(&index);
  EXPECT_EQ(index, 0);
  Query<IHTMLTableRow>(row.Get())->get_rowIndex(&index);
  EXPECT_EQ(index, 0);
  // One object per element: asking twice gives the same one.
  EXPECT_EQ(Query<IUnknown>(CellAt(table.Get(), 0, 0).Get()).Get(),
            Query<IUnknown>(cell.Get()).Get());
  ComPtr<IHTMLElement> parent;
  cell->get_parentElement(parent.Put());
  EXPECT_EQ(Query<IUnknown>(parent.Get()).Get(), Query<IUnknown>(row.Get()).Get());
}

TEST(HtmlDocumentTest, ComparesRangeEndPointsInDocumentOrder) {
  auto document = LoadHtml("<body><table><tr><td>a<td></td><td>c</table></body>");
  auto table = TableAt(document.Get());
  ComPtr<IHTMLElement> body;
  document->get_body(body.Put());
  auto body_element = Query<IHTMLBodyElement>(body.Get());
  std::vector<ComPtr<IHTMLTxtRange>> ranges(3);
  for (int i = 0; i < 3; ++i) {
    body_element->createTextRange(ranges[static_cast<size_t>(i)].Put());
    ranges[static_cast<size_t>(i)]->moveToElementText(CellAt(table.Get(), 0, i).Get());
  }
  struct Row {
    const char16_t* how;
    int a, b;
    LONG expected;
  };
  const Row rows[] = {
      {u"StartToEnd", 0, 0, -1}, {u"EndToStart", 0, 1, -1}, {u"StartToStart", 1, 1, 0},
      {u"StartToEnd", 1, 1, 0},  {u"EndToStart", 2, 1, 1},  {u"endtoend", 2, 0, 1},
  };
  for (const Row& row : rows) {
    Bstr how(row.how);
    LONG order = 5;
    ASSERT_EQ(ranges[static_cast<size_t>(row.a)]->compareEndPoints(
                  how.Get(), ranges[static_cast<size_t>(row.b)].Get(), &order),
              S_OK);
    EXPECT_EQ(order, row.expected) << ToUtf8(row.how) << " " << row.a << " " << row.b;
  }
  Bstr bad(u"Middle");
  LONG order = 0;
  EXPECT_EQ(ranges[0]->compareEndPoints(bad.Get(), ranges[1].Get(), &order), E_INVALIDARG);

  // A range from the first cell to the last: its text, and the row as its parent.
  Bstr how(u"EndToEnd");
  ranges[0]->setEndPoint(how.Get(), ranges[2].Get());
  Bstr text;
  ranges[0]->get_text(text.Put());
  EXPECT_EQ(text.View(), u"ac");
  ComPtr<IHTMLElement> parent;
  ranges[0]->parentElement(parent.Put());
  Bstr tag;
  parent->get_tagName(tag.Put());
  EXPECT_EQ(tag.View(), u"TR");
}

TEST(HtmlDocumentTest, TheSelectionHandsOutTextAndControlRanges) {
  auto document = LoadHtml("<body><table><tr><td>a<td>b</table></body>");
  auto table = TableAt(document.Get());
  ComPtr<IHTMLSelectionObject> selection;
  document->get_selection(selection.Put());
  Bstr type;
  selection->get_type(type.Put());
  EXPECT_EQ(type.View(), u"None");

  SelectElements(document.Get(), {CellAt(table.Get(), 0, 1).Get()});
  selection->get_type(type.Put());
  EXPECT_EQ(type.View(), u"Control");
  ComPtr<IDispatch> range;
  selection->createRange(range.Put());
  auto control = Query<IHTMLControlRange>(range.Get());
  ASSERT_TRUE(control);
  LONG length = 0;
  control->get_length(&length);
  EXPECT_EQ(length, 1);

  SelectCaret(document.Get(), CellAt(table.Get(), 0, 0).Get());
  selection->createRange(range.Put());
  auto text = Query<IHTMLTxtRange>(range.Get());
  ASSERT_TRUE(text);
  ComPtr<IHTMLElement> parent;
  text->parentElement(parent.Put());
  EXPECT_EQ(InnerText(parent.Get()), "a");
}

TEST(HtmlDocumentTest, TheCaretComesBackToAMarkupPointer) {
  auto document = LoadHtml("<body><table><tr><td>a<td>b</table></body>");
  auto table = TableAt(document.Get());
  auto markup = Query<IMarkupServices>(document.Get());
  auto display = Query<IDisplayServices>(document.Get());
  ASSERT_TRUE(markup && display);
  SelectCaret(document.Get(), CellAt(table.Get(), 0, 1).Get());

  ComPtr<IMarkupPointer> pointer;
  ComPtr<IHTMLCaret> caret;
  markup->CreateMarkupPointer(pointer.Put());
  display->GetCaret(caret.Put());
  ASSERT_EQ(caret->MoveMarkupPointerToCaret(pointer.Get()), S_OK);
  ComPtr<IHTMLElement> scope;
  pointer->CurrentScope(scope.Put());
  EXPECT_EQ(InnerText(scope.Get()), "b");

  // Another cell changes: the pointer stays; the caret goes back to it.
  SelectCaret(document.Get(), CellAt(table.Get(), 0, 0).Get());
  Bstr text(u"x");
  CellAt(table.Get(), 0, 0)->put_innerText(text.Get());
  ComPtr<IDisplayPointer> shown;
  display->CreateDisplayPointer(shown.Put());
  ASSERT_EQ(shown->MoveToMarkupPointer(pointer.Get(), nullptr), S_OK);
  ASSERT_EQ(caret->MoveCaretToPointer(shown.Get(), VARIANT_FALSE, CARET_DIRECTION_INDETERMINATE),
            S_OK);
  ComPtr<IHTMLSelectionObject> selection;
  document->get_selection(selection.Put());
  ComPtr<IDispatch> range;
  selection->createRange(range.Put());
  ComPtr<IHTMLElement> parent;
  Query<IHTMLTxtRange>(range.Get())->parentElement(parent.Put());
  EXPECT_EQ(InnerText(parent.Get()), "b");

  // Its cell leaves the document: the pointer is no longer positioned.
  Query<IHTMLTableRow>(RowsOf(table.Get())[0].Get())->deleteCell(1);
  VARIANT_BOOL positioned = VARIANT_TRUE;
  pointer->IsPositioned(&positioned);
  EXPECT_EQ(positioned, VARIANT_FALSE);
  EXPECT_EQ(shown->MoveToMarkupPointer(pointer.Get(), nullptr), E_INVALIDARG);
}

TEST(HtmlDocumentTest, OuterHtmlReplacesTheElement) {
  auto document = LoadHtml("<table><tr><td>a</td><td>b</td></tr></table>");
  auto table = TableAt(document.Get());
  auto cell = CellAt(table.Get(), 0, 1);
  Bstr th(u"<TH>h</TH>");
  ASSERT_EQ(cell->put_outerHTML(th.Get()), S_OK);
  EXPECT_EQ(TableDump(table.Get()), "a TH:h");
  ComPtr<IHTMLElement> parent;
  EXPECT_EQ(cell->get_parentElement(parent.Put()), S_FALSE);
  EXPECT_EQ(DocumentHtml(document.Get()), "<table><tr><td>a</td><TH>h</TH></tr></table>");
}

TEST(HtmlDocumentTest, DeepNestingIsFlattenedNotRecursedInto) {
  std::string html;
  for (int i = 0; i < 5000; ++i) html += "<div>";
  html += "x";
  auto document = LoadHtml(html);
  EXPECT_EQ(DocumentHtml(document.Get()), html);
  ComPtr<IHTMLElement> body;
  ASSERT_EQ(document->get_body(body.Put()), S_OK);
  EXPECT_EQ(InnerText(body.Get()), "x");
}

TEST(HtmlDocumentTest, IsMadeThroughTheClassTable) {
  ComPtr<IHTMLDocumentText> text;
  ASSERT_EQ(CoCreateInstance(CLSID_HTMLDocument, nullptr, CLSCTX_ALL, IHTMLDocumentText::kIID,
                             text.PutVoid()),
            S_OK);
  EXPECT_EQ(text->loadHTML(nullptr), S_OK);
  ComPtr<IHTMLDocument2> document = Query<IHTMLDocument2>(text.Get());
  ComPtr<IHTMLElement> body;
  EXPECT_EQ(document->get_body(body.Put()), S_FALSE);
  EXPECT_FALSE(body);
}

}  // namespace
}  // namespace kpx::testing
