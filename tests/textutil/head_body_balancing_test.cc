// balance and moveBodyTags: the structure repairs, what they leave alone, and the escaping switch.
#include "textutil/head_body_balancing.h"

#include <gtest/gtest.h>

#include <vector>

#include "markup/attribute_escaping.h"
#include "text_utility_test_util.h"

namespace kpx::testing {
namespace {

// BalanceHeadAndBodyIfNeeded as a page operation: the page itself when nothing changed, which
// then leaves *balanced alone.
std::u16string BalanceIfNeeded(TextEditList& edits, std::u16string_view html) {
  const std::u16string page(html);
  std::u16string balanced = u"left alone";
  if (BalanceHeadAndBodyIfNeeded(edits, page, &balanced)) return balanced;
  EXPECT_EQ(U8(balanced), "left alone");
  return page;
}

constexpr PageOperation kBalancings[] = {&BalanceHeadAndBody, &BalanceIfNeeded};

TEST(HeadBodyBalancingTest, Balance) {
  for (PageOperation balance : kBalancings) {
    CheckPageRows(
        balance,
        {
            {"head left open, body missing", u"<html><head><title>t</title><p>x</p></body></html>",
             u"<html><head><title>t</title></head><body><p>x</p></body></html>"},
            {"balanced page unchanged", u"<html><head><title>t</title></head><body>x</body></html>",
             u"<html><head><title>t</title></head><body>x</body></html>"},
            {"second <body> goes", u"<html><head></head><body>a<body class=b>\nb</body></html>",
             u"<html><head></head><body>ab</body></html>"},
            {"frameset page", u"<html><head><title>t</title><frame src=\"a\"></frameset></html>",
             u"<html><head><title>t</title></head><frameset><frame src=\"a\"></frameset></html>"},
            {"neither end tag: only </head>", u"<html><head><title>t</title><p>x</p></html>",
             u"<html><head><title>t</title></head><p>x</p></html>"},
            {"values neither escaped nor quoted",
             u"<head><title>t</title></head><body><a href=x&y>z</a></body>",
             u"<head><title>t</title></head><body><a href=x&y>z</a></body>"},
            {"head closed before <body>", u"<head><title>t</title><body><p>x",
             u"<head><title>t</title></head><body><p>x"},
            {"head closed before <frameset>", u"<head><frameset></frameset>",
             u"<head></head><frameset></frameset>"},
            {"second </head> goes", u"<head></head><body></head>\nx</body>",
             u"<head></head><body>x</body>"},
            {"</head> after the close was placed goes", u"<head><p>x</head></body>",
             u"<head></head><body><p>x</body>"},
            {"no head: only duplicates go", u"<body>a<body>b</body><frameset><frameset>",
             u"<body>ab</body><frameset>"},
            {"a late <body> moves to where the body opens",
             u"<head><title>t</title><p>x<body class=\"c\">y</body>",
             u"<head><title>t</title></head><body class=\"c\"><p>xy</body>"},
            {"both end tags: duplicates go back",
             u"<head><title>t</title></head><body>a<body>b</body><frameset></frameset>",
             u"<head><title>t</title></head><body>a<body>b</body><frameset></frameset>"},
            {"head content stays in the head",
             u"<head><base href=x><link rel=a><meta name=b><script>x</script><style>y</style>"
             u"<div>z</div></body>",
             u"<head><base href=x><link rel=a><meta name=b><script>x</script><style>y</style>"
             u"</head><body><div>z</div></body>"},
            {"end tag of body content closes the head", u"<head><title>t</title></b></body>",
             u"<head><title>t</title></head><body></b></body>"},
            {"upper and mixed case", u"<HTML><Head><TITLE>t</TITLE><P>x</BODY></HTML>",
             u"<HTML><Head><TITLE>t</TITLE></head><body><P>x</BODY></HTML>"},
            {"unknown tags do not count", u"<head><kps:x><custom><p>x</body>",
             u"<head><kps:x><custom></head><body><p>x</body>"},
            {"CR LF and lone CR", u"<head>\r\n<title>t</title>\r\n<p>x</p>\r</body>",
             u"<head>\r\n<title>t</title>\r\n</head><body><p>x</p>\r</body>"},
            {"text before the first tag", u"x\n<head><p>y</body>",
             u"x\n<head></head><body><p>y</body>"},
            {"two heads", u"<head></head><head><p>x</p></head>", u"<head></head><head><p>x</p>"},
            {"placeholders and server code",
             u"<head><title>t</title><input value=\"<%= x(\"a\") %>\" {Checked}></body>",
             u"<head><title>t</title></head><body><input value=\"<%= x(\"a\") %>\" "
             u"{Checked}></body>"},
            {"no tags", u"text only", u"text only"},
        });
  }
}

TEST(HeadBodyBalancingTest, BalancedPageIsNotCopied) {
  TextEditList edits;
  std::u16string balanced;
  EXPECT_FALSE(BalanceHeadAndBodyIfNeeded(
      edits, std::u16string(u"<html><head></head><body><p>x</body></html>"), &balanced));
  EXPECT_TRUE(BalanceHeadAndBodyIfNeeded(edits, std::u16string(u"<head><p>x</body>"), &balanced));
  EXPECT_EQ(U8(balanced), "<head></head><body><p>x</body>");
}

// Once nothing is left to place, the rest of the page is only looked through for head, body and
// frameset tags: those that still matter, and look-alikes that must not.
TEST(HeadBodyBalancingTest, BalanceLateStructureTags) {
  for (PageOperation balance : kBalancings) {
    CheckPageRows(
        balance,
        {
            {"late </frameset> opens the frameset",
             u"<head><title>t</title><p>a</p><div>b</div></frameset>",
             u"<head><title>t</title></head><frameset><p>a</p><div>b</div></frameset>"},
            {"late </body> in capitals opens the body",
             u"<head><title>t</title><p>a</p><p>b</p></BODY>",
             u"<head><title>t</title></head><body><p>a</p><p>b</p></BODY>"},
            {"both end tags late: nothing opens",
             u"<head><title>t</title><p>a</p></body></frameset>",
             u"<head><title>t</title></head><p>a</p></body></frameset>"},
            {"</body> inside a comment opens nothing",
             u"<head><title>t</title><p>a<!-- </body> --></p>",
             u"<head><title>t</title></head><p>a<!-- </body> --></p>"},
            {"<body> inside a script stays",
             u"<head></head><body><p>a</p><script>w(\"<body>\")</script></body>",
             u"<head></head><body><p>a</p><script>w(\"<body>\")</script></body>"},
            {"duplicate <body> far into the page goes",
             u"<head></head><body><p>x</p><p>x</p><p>x</p><p>x</p><p>x</p><p>x</p><p>x</p><p>x</p>"
             u"<body class=d>\ny</body>",
             u"<head></head><body><p>x</p><p>x</p><p>x</p><p>x</p><p>x</p><p>x</p><p>x</p><p>x</p>"
             u"y</body>"},
            {"late </head> goes", u"<head></head><body><p>a</p><p>b</p></head>\nc</body>",
             u"<head></head><body><p>a</p><p>b</p>c</body>"},
            {"head met after the body", u"<body><p>a</p><head><title>t</title><p>b</p></body>",
             u"<body><p>a</p><head><title>t</title></head><p>b</p></body>"},
            {"names that only start the same",
             u"<head></head><body><header>h</header><bodyguard>x</bodyguard><frame></body>",
             u"<head></head><body><header>h</header><bodyguard>x</bodyguard><frame></body>"},
        });
  }
}

TEST(HeadBodyBalancingTest, MoveBodyTags) {
  CheckPageRows(
      &MoveBodyTags,
      {
          // Each tag is inserted in front of those moved before it.
          {"body tags move before </head>",
           u"<html><head><title>t</title></head><body><div>x</div></body></html>",
           u"<html><head><title>t</title><div><body></head>x</div></body></html>"},
          {"meta and link stay, whitespace goes along",
           u"<head></head><body>\n<meta name=a><link rel=b><p class=c>\r\nx</body>",
           u"<head><p class=c>\r\n<body>\n</head><meta name=a><link rel=b>x</body>"},
          {"only up to </body>", u"<head></head><body></body><p>",
           u"<head><body></head></body><p>"},
          {"no head", u"<body><p>x</body>", u"<body><p>x</body>"},
          {"no </head>", u"<head><body><p>x</body>", u"<head><body><p>x</body>"},
          {"</head> after the body tags", u"<head><body><p></head>", u"<head><p><body></head>"},
          {"no body", u"<head></head><p>", u"<head></head><p>"},
      });
}

TEST(HeadBodyBalancingTest, EscapingIsOffDuringTheCallOnly) {
  for (bool before : {false, true}) {
    SCOPED_TRACE(before);
    ScopedAttributeEscapingOff outside(before);
    TextEditList edits;
    BalanceHeadAndBody(edits, u"<head><a href=x&y></body>");
    EXPECT_EQ(AttributeEscapingOff(), before);
    MoveBodyTags(edits, u"<head></head><body><a href=x&y>");
    EXPECT_EQ(AttributeEscapingOff(), before);
  }
}

}  // namespace
}  // namespace kpx::testing
