// The DOCTYPE operations: masking, unmasking and the HTML 4.01 DOCTYPE, on the prolog only.
#include "textutil/doctype_operations.h"

#include <gtest/gtest.h>

#include <vector>

#include "text_utility_test_util.h"

namespace kpx::testing {
namespace {

TEST(DoctypeOperationsTest, Mask) {
  CheckPageRows(
      &MaskDoctype,
      {
          {"with the repairs of the first tag", u"<!DOCTYPE html PUBLIC \"x\">\n<html a=b>",
           u"<!KPSDOCTYPE html PUBLIC \"x\">\n<html a=\"b\">"},
          {"no doctype: nothing repaired", u"<html a=b>", u"<html a=b>"},
          {"lower case", u"<!doctype html><html>", u"<!KPSDOCTYPE html><html>"},
          {"every one in the prolog", u"<!DOCTYPE a>\r\n<!DOCTYPE b>",
           u"<!KPSDOCTYPE a>\r\n<!KPSDOCTYPE b>"},
          {"after comments and declarations", u"<?xml version=\"1.0\"?><!-- c --><!DOCTYPE html>",
           u"<?xml version=\"1.0\"?><!-- c --><!KPSDOCTYPE html>"},
          {"not after the prolog", u"<html><!DOCTYPE x>", u"<html><!DOCTYPE x>"},
          {"not after text", u"x <!DOCTYPE x>", u"x <!DOCTYPE x>"},
          {"space after <!", u"<! DOCTYPE html>", u"<! KPSDOCTYPE html>"},
          {"without its >", u"<!DOCTYPE html\n<html a=b>", u"<!KPSDOCTYPE html\n<html a=\"b\">"},
          {"empty page", u"", u""},
      });
}

TEST(DoctypeOperationsTest, Unmask) {
  CheckPageRows(
      &UnmaskDoctype,
      {
          {"masked", u"<!KPSDOCTYPE html><html>", u"<!DOCTYPE html><html>"},
          {"lower-case mask comes back in capitals", u"<!kpsdoctype html>", u"<!DOCTYPE html>"},
          {"a doctype added beside the masked one goes",
           u"<!DOCTYPE html><!KPSDOCTYPE html PUBLIC \"x\">", u"<!DOCTYPE html PUBLIC \"x\">"},
          {"also when it comes after it", u"<!KPSDOCTYPE a>\n<!DOCTYPE b>\n<html>",
           u"<!DOCTYPE a>\n<html>"},
          {"plain doctype alone stays", u"<!DOCTYPE html>\n<html a=b>",
           u"<!DOCTYPE html>\n<html a=b>"},
          {"the mask written anywhere counts", u"<!DOCTYPE html>\n<p>KPSDOCTYPE</p>",
           u"<p>KPSDOCTYPE</p>"},
          {"in these two cases only", u"<!DOCTYPE html>\n<p>KpsDocType</p>",
           u"<!DOCTYPE html>\n<p>KpsDocType</p>"},
          {"any case in the prolog", u"<!KpsDocType html>", u"<!DOCTYPE html>"},
      });
}

// Unmasking writes the keyword in capitals and keeps the repairs of the first tag.
TEST(DoctypeOperationsTest, MaskThenUnmaskGivesThePageBack) {
  const PageRow rows[] = {
      {"strict page",
       u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"x.dtd\">\r\n<html>"
       u"<body>{Name}</body></html>",
       u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"x.dtd\">\r\n<html>"
       u"<body>{Name}</body></html>"},
      {"template comment first, lower case, repairs",
       u"<!-- BEGIN Grid g -->\n<!doctype html>\n<p class=a>x</p>",
       u"<!-- BEGIN Grid g -->\n<!DOCTYPE html>\n<p class=\"a\">x</p>"},
  };
  for (const PageRow& row : rows) {
    SCOPED_TRACE(row.name);
    TextEditList edits;
    const std::u16string masked = MaskDoctype(edits, row.input);
    EXPECT_NE(masked.find(u"KPSDOCTYPE"), std::u16string::npos);
    EXPECT_EQ(U8(UnmaskDoctype(edits, masked)), U8(row.expected));
  }
}

TEST(DoctypeOperationsTest, Section508) {
  CheckPageRows(
      &PrepareDoctypeForSection508,
      {
          {"page starting with html", u"<html><body></body></html>",
           kHtml401Doctype + u"<html><body></body></html>"},
          {"old doctype replaced; repairs of html stay",
           u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"x\">\r\n"
           u"<HTML lang=en>",
           kHtml401Doctype + u"<HTML lang=\"en\">"},
          {"no old doctype: repairs withdrawn", u"<html lang=en>",
           kHtml401Doctype + u"<html lang=en>"},
          {"page starting with text loses its doctype", u"<!DOCTYPE html>\nText <b>", u"Text <b>"},
          {"old doctype without its >", u"<!DOCTYPE html\n<html>", kHtml401Doctype + u"<html>"},
          {"nothing to do", u"Text", u"Text"},
          {"other declarations stay", u"<?xml version=\"1.0\"?>\n<!DOCTYPE x>\n<html>",
           u"<?xml version=\"1.0\"?>\n" + kHtml401Doctype + u"<html>"},
      });
}

}  // namespace
}  // namespace kpx::testing
