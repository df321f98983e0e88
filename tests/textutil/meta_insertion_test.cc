// insertMETA: where the META goes, and that nothing else changes.
#include "textutil/meta_insertion.h"

#include <gtest/gtest.h>

#include "text_utility_test_util.h"

namespace kpx::testing {
namespace {

TEST(MetaInsertionTest, GoesWhereTheHeadContentBelongs) {
  const std::u16string meta = u"<meta name=\"x\">";
  struct Row {
    const char* name;
    std::u16string input;
    std::u16string expected;
  } rows[] = {
      {"after <head> and its whitespace", u"<html><head>\n  <title>t</title></head></html>",
       u"<html><head>\n  " + meta + u"<title>t</title></head></html>"},
      {"before <body>", u"<html>\n<body>x</body></html>",
       u"<html>\n" + meta + u"<body>x</body></html>"},
      {"before </head>", u"<title>t</title></head><body>",
       u"<title>t</title>" + meta + u"</head><body>"},
      {"fragment: at the start", u"<p>x</p>", meta + u"<p>x</p>"},
      {"after <html> and line breaks; nothing repaired", u"<html lang=en>\r\n\r  <p>x</p></html>",
       u"<html lang=en>\r\n\r  " + meta + u"<p>x</p></html>"},
      {"the last <html>", u"<html><p><html a=b>x", u"<html><p><html a=b>" + meta + u"x"},
      {"names in any case", u"<HTML><HEAD></HEAD>", u"<HTML><HEAD>" + meta + u"</HEAD>"},
      {"first decisive tag wins", u"<body><head>", meta + u"<body><head>"},
      {"head at the end of the text", u"<head>", u"<head>" + meta},
      {"empty page", u"", meta},
      {"text only", u"plain text", meta + u"plain text"},
      {"tags in comments do not count", u"<!-- <head> --><p>", meta + u"<!-- <head> --><p>"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TextEditList edits = DirtyEditList();
    EXPECT_EQ(U8(InsertMeta(edits, row.input, meta)), U8(row.expected));
    EXPECT_EQ(edits.EditCount(), 0u);
    EXPECT_TRUE(edits.Text().empty());
  }
}

TEST(MetaInsertionTest, InsertsTheTextAsItIs) {
  TextEditList edits;
  EXPECT_EQ(U8(InsertMeta(edits, u"<head></head>", u"")), "<head></head>");
  EXPECT_EQ(U8(InsertMeta(edits, u"<head></head>", u"<x a=b>&\r\n")), "<head><x a=b>&\r\n</head>");
}

}  // namespace
}  // namespace kpx::testing
