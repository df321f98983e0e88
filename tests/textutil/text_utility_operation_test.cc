// The text utilities as the converter's operations: statuses and argument handling, the out
// argument, the publish mode, the shared edit list between calls, and the automation path.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/utf.h"
#include "com/bstr.h"
#include "com/com_object.h"
#include "kpx/converter.h"
#include "markup/attribute_escaping.h"
#include "server/xh2x_converter.h"

namespace {

using kpx::Bstr;

std::string U8(std::u16string_view text) {
  return kpx::ToUtf8(text);
}

class TextUtilityOperationTest : public ::testing::Test {
 protected:
  ComPtr<kpx::XH2XConverter> converter_ = kpx::MakeCom<kpx::XH2XConverter>();
};

// One call: which arguments are there, and what comes back.
struct StatusRow {
  const char* name;
  std::function<HRESULT(IXH2XConverter*, BSTR html, BSTR* out)> call;
  BSTR html;  // null: absent
  bool out;   // whether the out argument is given
  HRESULT status;
  const char16_t* result;  // what the out argument holds afterwards; null: nothing
};

TEST_F(TextUtilityOperationTest, StatusesAndArguments) {
  const Bstr page(u"<html><head><title>t</title><p>x</body>");
  const Bstr empty(u"");
  const Bstr meta(u"<meta name=\"m\">");
  const Bstr path(u"site");
  using C = IXH2XConverter;
  auto make_extensible = [](C* c, BSTR h, BSTR* o) { return c->makeExtensible(h, o); };
  auto insert_meta = [&](C* c, BSTR h, BSTR* o) { return c->insertMETA(h, meta.Get(), o); };
  auto insert_no_meta = [](C* c, BSTR h, BSTR* o) { return c->insertMETA(h, nullptr, o); };
  auto resolve = [&](C* c, BSTR h, BSTR* o) { return c->resolvePaths(h, path.Get(), o); };
  auto resolve_no_path = [](C* c, BSTR h, BSTR* o) { return c->resolvePaths(h, nullptr, o); };
  auto section508 = [](C* c, BSTR h, BSTR* o) { return c->prepareDoctypeForSection508(h, o); };
  auto balance = [](C* c, BSTR h, BSTR* o) { return c->balance(h, o); };
  auto mask = [](C* c, BSTR h, BSTR* o) { return c->maskDoctype(h, o); };
  auto unmask = [](C* c, BSTR h, BSTR* o) { return c->unmaskDoctype(h, o); };
  auto move = [](C* c, BSTR h, BSTR* o) { return c->moveBodyTags(h, o); };
  const StatusRow rows[] = {
      {"makeExtensible", make_extensible, page.Get(), true, S_FALSE,
       u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
       u"\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\r\n<html "
       u"xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>t</title><p>x</body>"},
      {"makeExtensible, no html", make_extensible, nullptr, true, E_INVALIDARG, nullptr},
      {"makeExtensible, empty html", make_extensible, empty.Get(), true, E_INVALIDARG, nullptr},
      {"makeExtensible, no out", make_extensible, page.Get(), false, S_OK, nullptr},
      {"insertMETA", insert_meta, page.Get(), true, S_OK,
       u"<html><head><meta name=\"m\"><title>t</title><p>x</body>"},
      {"insertMETA, empty html", insert_meta, empty.Get(), true, S_OK, u"<meta name=\"m\">"},
      {"insertMETA, no html", insert_meta, nullptr, true, E_INVALIDARG, nullptr},
      {"insertMETA, no meta", insert_no_meta, page.Get(), true, E_INVALIDARG, nullptr},
      {"insertMETA, no out", insert_meta, page.Get(), false, E_POINTER, nullptr},
      {"resolvePaths", resolve, page.Get(), true, S_OK, u"<html><head><title>t</title><p>x</body>"},
      {"resolvePaths, no html", resolve, nullptr, true, S_FALSE, nullptr},
      {"resolvePaths, no path", resolve_no_path, page.Get(), true, S_FALSE, nullptr},
      {"resolvePaths, no out", resolve, nullptr, false, E_INVALIDARG, nullptr},
      {"prepareDoctypeForSection508", section508, page.Get(), true, S_FALSE,
       u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
       u"\"http://www.w3.org/TR/html4/loose.dtd\">\r\n<html><head><title>t</title><p>x</body>"},
      {"prepareDoctypeForSection508, no html", section508, nullptr, true, S_OK, nullptr},
      {"prepareDoctypeForSection508, no out", section508, page.Get(), false, S_OK, nullptr},
      {"balance", balance, page.Get(), true, S_FALSE,
       u"<html><head><title>t</title></head><body><p>x</body>"},
      {"balance, no html", balance, nullptr, true, S_OK, nullptr},
      {"balance, no out", balance, page.Get(), false, S_OK, nullptr},
      {"maskDoctype", mask, page.Get(), true, S_OK, u"<html><head><title>t</title><p>x</body>"},
      {"maskDoctype, no html", mask, nullptr, true, E_INVALIDARG, nullptr},
      {"maskDoctype, no out", mask, page.Get(), false, E_INVALIDARG, nullptr},
      {"unmaskDoctype", unmask, page.Get(), true, S_OK, u"<html><head><title>t</title><p>x</body>"},
      {"unmaskDoctype, no html", unmask, nullptr, true, E_INVALIDARG, nullptr},
      {"unmaskDoctype, no out", unmask, page.Get(), false, E_INVALIDARG, nullptr},
      {"moveBodyTags", move, page.Get(), true, S_FALSE, u"<html><head><title>t</title><p>x</body>"},
      {"moveBodyTags, no html", move, nullptr, true, S_OK, nullptr},
      {"moveBodyTags, no out", move, page.Get(), false, S_OK, nullptr},
  };
  for (const StatusRow& row : rows) {
    SCOPED_TRACE(row.name);
    Bstr out;
    EXPECT_EQ(row.call(converter_.Get(), row.html, row.out ? out.Put() : nullptr), row.status);
    if (row.result != nullptr) {
      EXPECT_FALSE(out.IsNull());
      EXPECT_EQ(U8(out.View()), U8(row.result));
    } else {
      EXPECT_TRUE(out.IsNull());
    }
  }
}

// Whatever the out argument held is released and replaced (the leak check of the sanitizer
// build would see it otherwise); where the call stops at its arguments, it is left alone.
TEST_F(TextUtilityOperationTest, ReleasesWhatTheOutArgumentHeld) {
  const Bstr page(u"<p>x</p>");
  BSTR out = SysAllocString(u"old text");
  EXPECT_EQ(converter_->balance(page.Get(), &out), S_FALSE);
  EXPECT_EQ(U8(kpx::BstrView(out)), "<p>x</p>");
  EXPECT_EQ(converter_->resolvePaths(nullptr, page.Get(), &out), S_FALSE);
  EXPECT_EQ(U8(kpx::BstrView(out)), "<p>x</p>");
  EXPECT_EQ(converter_->maskDoctype(page.Get(), &out), S_OK);
  EXPECT_EQ(U8(kpx::BstrView(out)), "<p>x</p>");
  SysFreeString(out);
}

TEST_F(TextUtilityOperationTest, MakeExtensibleReadsThePublishMode) {
  const Bstr page(u"<!DOCTYPE html><html><body><meta name=a>x</body></html>");
  const std::string xhtml_doctype =
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
      "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\r\n";
  const std::string html = "<html xmlns=\"http://www.w3.org/1999/xhtml\">";
  Bstr out;
  ASSERT_EQ(converter_->makeExtensible(page.Get(), out.Put()), S_FALSE);
  EXPECT_EQ(U8(out.View()), xhtml_doctype + html + "<body><meta name=\"a\" />x</body></html>");
  ASSERT_EQ(converter_->setPublishMode(VARIANT_TRUE), S_OK);
  ASSERT_EQ(converter_->makeExtensible(page.Get(), out.Put()), S_FALSE);
  EXPECT_EQ(U8(out.View()), "<!DOCTYPE html>" + html + "<body>x</body></html>");
  ASSERT_EQ(converter_->setPublishMode(VARIANT_FALSE), S_OK);
  ASSERT_EQ(converter_->makeExtensible(page.Get(), out.Put()), S_FALSE);
  EXPECT_EQ(U8(out.View()), xhtml_doctype + html + "<body><meta name=\"a\" />x</body></html>");
}

// The converter's one edit list serves every call: nothing of one call reaches the next.
TEST_F(TextUtilityOperationTest, CallsInARowAreIndependent) {
  const Bstr pages[] = {Bstr(u"<!DOCTYPE x><HTML><P>a<DIV>b</DIV></P>"),
                        Bstr(u"<head><title>t</title><p class=a>x</body>"),
                        Bstr(u"<!KPSDOCTYPE html><img src=a>")};
  std::vector<std::string> alone;
  auto run_all = [](IXH2XConverter* c, BSTR page) {
    std::string results;
    Bstr out;
    const Bstr meta(u"<m>");
    const Bstr path(u"p");
    c->makeExtensible(page, out.Put());
    results += U8(out.View()) + "|";
    c->balance(page, out.Put());
    results += U8(out.View()) + "|";
    c->insertMETA(page, meta.Get(), out.Put());
    results += U8(out.View()) + "|";
    c->maskDoctype(page, out.Put());
    results += U8(out.View()) + "|";
    c->unmaskDoctype(page, out.Put());
    results += U8(out.View()) + "|";
    c->resolvePaths(page, path.Get(), out.Put());
    results += U8(out.View()) + "|";
    c->prepareDoctypeForSection508(page, out.Put());
    results += U8(out.View()) + "|";
    c->moveBodyTags(page, out.Put());
    return results + U8(out.View());
  };
  for (const Bstr& page : pages) {
    ComPtr<kpx::XH2XConverter> fresh = kpx::MakeCom<kpx::XH2XConverter>();
    alone.push_back(run_all(fresh.Get(), page.Get()));
  }
  for (int round = 0; round < 2; ++round) {
    for (size_t i = 0; i < std::size(pages); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(run_all(converter_.Get(), pages[i].Get()), alone[i]);
    }
  }
  EXPECT_FALSE(kpx::AttributeEscapingOff());
}

// balance is in the type library (DISPID 27); its result comes back as the call's result.
TEST_F(TextUtilityOperationTest, BalanceThroughAutomation) {
  ComPtr<IDispatch> dispatch = converter_.As<IDispatch>();
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_BSTR;
  argument.bstrVal = SysAllocString(u"<head><p>x</body>");
  DISPPARAMS params{&argument, nullptr, 1, 0};
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(dispatch->Invoke(27, GUID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr),
            S_FALSE);
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(U8(kpx::BstrView(result.bstrVal)), "<head></head><body><p>x</body>");
  VariantClear(&result);
  VariantClear(&argument);
}

}  // namespace
