// Shared by the text utility tests: readable failure output, the fixed lines the utilities write,
// and a runner that checks the edit list is left empty.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/utf.h"
#include "markup/text_edit_list.h"

namespace kpx::testing {

inline std::string U8(std::u16string_view text) {
  return ToUtf8(text);
}

inline const std::u16string kXhtmlDoctype =
    u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
    u"\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\r\n";
inline const std::u16string kHtml401Doctype =
    u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
    u"\"http://www.w3.org/TR/html4/loose.dtd\">\r\n";
inline const std::u16string kXmlns = u" xmlns=\"http://www.w3.org/1999/xhtml\"";
inline const std::u16string kMetaLine =
    u"<meta http-equiv=\"content-type\" content=\"application/xhtml+xml\" />\n";
inline const std::u16string kScriptOpener = u"\r\n<!--//--><![CDATA[//><!--\r\n";
inline const std::u16string kScriptCloser = u"\r\n//--><!]]>\r\n";
inline const std::u16string kStyleOpener = u"\r\n<!--/*--><![CDATA[/*><!--*/\r\n";
inline const std::u16string kStyleCloser = u"\r\n/*]]>*/-->\r\n";

// A list that an earlier operation left dirty: a utility must not see any of it.
inline TextEditList DirtyEditList() {
  TextEditList edits(u"left over");
  edits.Insert(0, u"X", true);
  edits.Delete(1, 3);
  return edits;
}

// A whole-page operation, its cases, and the runner: each case's result, and the edit list left
// empty with no text.
using PageOperation = std::u16string (*)(TextEditList&, std::u16string_view);

struct PageRow {
  const char* name;
  std::u16string input;
  std::u16string expected;
};

inline void CheckPageRows(PageOperation operation, const std::vector<PageRow>& rows) {
  for (const PageRow& row : rows) {
    SCOPED_TRACE(row.name);
    TextEditList edits = DirtyEditList();
    EXPECT_EQ(U8(operation(edits, row.input)), U8(row.expected));
    EXPECT_EQ(edits.EditCount(), 0u);
    EXPECT_TRUE(edits.Text().empty());
  }
}

}  // namespace kpx::testing
