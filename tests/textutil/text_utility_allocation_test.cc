// Memory running out at every allocation in turn, inside each text utility: the operation answers
// E_OUTOFMEMORY, the escaping switch is back as it was, the edit list is left empty, and the next
// call works as if nothing had happened.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>

#include "base/utf.h"
#include "com/bstr.h"
#include "com/com_object.h"
#include "markup/attribute_escaping.h"
#include "server/xh2x_converter.h"
#include "support/failing_allocation.h"
#include "textutil/doctype_operations.h"
#include "textutil/head_body_balancing.h"
#include "textutil/meta_insertion.h"
#include "textutil/xhtml_conversion.h"

namespace {

using kpx::Bstr;

// A page that gives every utility work: a prolog, repairs, a head to close, a body to open,
// paths, scripts and a content-type META.
const char16_t kPage[] =
    u"<!DOCTYPE html>\r\n<HTML><HEAD><TITLE>t</TITLE><META http-equiv=content-type "
    u"content=text/html><script>x()</script><P class=a>x<DIV><img src=a.gif></DIV></P>"
    u"</BODY></HTML>";

struct Operation {
  const char* name;
  std::function<HRESULT(IXH2XConverter*, BSTR, BSTR*)> call;
  HRESULT success;
};

TEST(TextUtilityAllocationTest, EveryOperationSurvivesEveryFailedAllocation) {
  const Bstr meta(u"<meta name=\"x\">");
  const Bstr path(u"site");
  const Operation operations[] = {
      {"makeExtensible", [](IXH2XConverter* c, BSTR h, BSTR* o) { return c->makeExtensible(h, o); },
       S_FALSE},
      {"insertMETA",
       [&](IXH2XConverter* c, BSTR h, BSTR* o) { return c->insertMETA(h, meta.Get(), o); }, S_OK},
      {"resolvePaths",
       [&](IXH2XConverter* c, BSTR h, BSTR* o) { return c->resolvePaths(h, path.Get(), o); }, S_OK},
      {"prepareDoctypeForSection508",
       [](IXH2XConverter* c, BSTR h, BSTR* o) { return c->prepareDoctypeForSection508(h, o); },
       S_FALSE},
      {"balance", [](IXH2XConverter* c, BSTR h, BSTR* o) { return c->balance(h, o); }, S_FALSE},
      {"maskDoctype", [](IXH2XConverter* c, BSTR h, BSTR* o) { return c->maskDoctype(h, o); },
       S_OK},
      {"unmaskDoctype", [](IXH2XConverter* c, BSTR h, BSTR* o) { return c->unmaskDoctype(h, o); },
       S_OK},
      {"moveBodyTags", [](IXH2XConverter* c, BSTR h, BSTR* o) { return c->moveBodyTags(h, o); },
       S_FALSE},
  };
  const Bstr page(kPage);
  for (const Operation& operation : operations) {
    SCOPED_TRACE(operation.name);
    ComPtr<kpx::XH2XConverter> converter = kpx::MakeCom<kpx::XH2XConverter>();
    Bstr expected;
    ASSERT_EQ(operation.call(converter.Get(), page.Get(), expected.Put()), operation.success);
    long failures = 0;
    for (long allowed = 0;; ++allowed) {
      Bstr out;
      kpx::testing::LimitAllocations(allowed);
      const HRESULT status = operation.call(converter.Get(), page.Get(), out.Put());
      kpx::testing::UnlimitAllocations();
      EXPECT_FALSE(kpx::AttributeEscapingOff());
      if (status == E_OUTOFMEMORY) {
        ++failures;
        EXPECT_TRUE(out.IsNull());
        continue;
      }
      EXPECT_EQ(status, operation.success);
      EXPECT_EQ(kpx::ToUtf8(out.View()), kpx::ToUtf8(expected.View()));
      break;
    }
    EXPECT_GT(failures, 0);
  }
}

// The functions themselves leave the edit list empty on the way out, and restore the escaping
// switch to what it was.
TEST(TextUtilityAllocationTest, TheEditListIsLeftEmpty) {
  using Function = std::function<std::u16string(kpx::TextEditList&)>;
  const Function functions[] = {
      [](kpx::TextEditList& e) { return kpx::ConvertToXhtml(e, kPage, kpx::kPublishModeOff); },
      [](kpx::TextEditList& e) { return kpx::BalanceHeadAndBody(e, kPage); },
      [](kpx::TextEditList& e) { return kpx::MoveBodyTags(e, kPage); },
      [](kpx::TextEditList& e) { return kpx::MaskDoctype(e, kPage); },
      [](kpx::TextEditList& e) { return kpx::InsertMeta(e, kPage, u"<m>"); },
  };
  for (bool escaping_off : {false, true}) {
    kpx::ScopedAttributeEscapingOff outside(escaping_off);
    for (const Function& function : functions) {
      for (long allowed = 0;; ++allowed) {
        kpx::TextEditList edits(u"left over");
        bool failed = false;
        kpx::testing::LimitAllocations(allowed);
        try {
          function(edits);
        } catch (const std::bad_alloc&) {
          failed = true;
        }
        kpx::testing::UnlimitAllocations();
        EXPECT_EQ(edits.EditCount(), 0u);
        EXPECT_TRUE(edits.Text().empty());
        EXPECT_EQ(kpx::AttributeEscapingOff(), escaping_off);
        if (!failed) break;
      }
    }
  }
}

}  // namespace
