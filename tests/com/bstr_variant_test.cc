// System strings and variants as automation callers use them.
#include <gtest/gtest.h>

#include <string>

#include "com/bstr.h"
#include "com/com_object.h"
#include "kpx/com.h"

namespace {

using kpx::Bstr;
using kpx::BstrView;

TEST(BstrTest, LengthIsStoredNotSearched) {
  const char16_t text[] = {u'a', 0, u'b'};
  BSTR s = SysAllocStringLen(text, 3);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SysStringLen(s), 3u);
  EXPECT_EQ(s[3], 0);  // terminated after the stored length
  EXPECT_EQ(BstrView(s), std::u16string_view(text, 3));
  SysFreeString(s);
}

TEST(BstrTest, NullAndEmpty) {
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);
  BSTR empty = SysAllocString(u"");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(SysStringLen(empty), 0u);
  SysFreeString(empty);
  BSTR zeros = SysAllocStringLen(nullptr, 4);
  ASSERT_NE(zeros, nullptr);
  EXPECT_EQ(SysStringLen(zeros), 4u);
  SysFreeString(zeros);
}

TEST(BstrTest, HugeLengthFailsCleanly) {
  EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFFFu), nullptr);
}

TEST(BstrTest, HolderFreesAndDetaches) {
  Bstr a(u"hello");
  EXPECT_EQ(a.View(), u"hello");
  Bstr b = std::move(a);
  EXPECT_TRUE(a.IsNull());
  BSTR raw = b.Detach();
  EXPECT_TRUE(b.IsNull());
  Bstr c = Bstr::Adopt(raw);
  EXPECT_EQ(c.Str(), u"hello");
  ASSERT_TRUE(SysReAllocStringLen(c.Put(), u"xy", 2));
  EXPECT_EQ(c.View(), u"xy");
}

VARIANT MakeBstr(const char16_t* text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(text);
  return v;
}

struct ToI4Row {
  const char* name;
  VARIANT input;
  HRESULT status;
  LONG value;
};

TEST(VariantTest, ChangeTypeToI4) {
  VARIANT i2{}, boolean{}, real{}, half{}, big{}, empty{}, null{};
  i2.vt = VT_I2;
  i2.iVal = -7;
  boolean.vt = VT_BOOL;
  boolean.boolVal = VARIANT_TRUE;
  real.vt = VT_R8;
  real.dblVal = 2.5;  // ties go to even
  half.vt = VT_R8;
  half.dblVal = 3.5;
  big.vt = VT_R8;
  big.dblVal = 3e10;
  empty.vt = VT_EMPTY;
  null.vt = VT_NULL;
  const ToI4Row rows[] = {
      {"i2", i2, S_OK, -7},
      {"bool true", boolean, S_OK, -1},
      {"2.5 rounds to even", real, S_OK, 2},
      {"3.5 rounds to even", half, S_OK, 4},
      {"too large", big, DISP_E_OVERFLOW, 0},
      {"empty", empty, S_OK, 0},
      {"null", null, DISP_E_TYPEMISMATCH, 0},
      {"decimal text", MakeBstr(u"  -42 "), S_OK, -42},
      {"fraction text", MakeBstr(u"7.6"), S_OK, 8},
      {"word", MakeBstr(u"abc"), DISP_E_TYPEMISMATCH, 0},
      {"empty text", MakeBstr(u""), DISP_E_TYPEMISMATCH, 0},
      {"text out of range", MakeBstr(u"99999999999"), DISP_E_OVERFLOW, 0},
  };
  for (const ToI4Row& row : rows) {
    SCOPED_TRACE(row.name);
    VARIANT input = row.input;
    VARIANT out;
    VariantInit(&out);
    EXPECT_EQ(VariantChangeType(&out, &input, 0, VT_I4), row.status);
    if (row.status == S_OK) {
      EXPECT_EQ(out.vt, VT_I4);
      EXPECT_EQ(out.lVal, row.value);
    } else {
      EXPECT_EQ(out.vt, VT_EMPTY);  // untouched on failure
    }
    VariantClear(&input);
  }
}

TEST(VariantTest, ChangeTypeInPlaceAndByReference) {
  VARIANT v = MakeBstr(u"12");
  ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_I4), S_OK);  // the string is freed, not leaked
  EXPECT_EQ(v.vt, VT_I4);
  EXPECT_EQ(v.lVal, 12);

  LONG target = 99;
  VARIANT ref;
  VariantInit(&ref);
  ref.vt = VT_BYREF | VT_I4;
  ref.plVal = &target;
  VARIANT out;
  VariantInit(&out);
  ASSERT_EQ(VariantChangeType(&out, &ref, 0, VT_BSTR), S_OK);
  EXPECT_EQ(BstrView(out.bstrVal), u"99");
  VariantClear(&out);
}

TEST(VariantTest, BooleanToText) {
  VARIANT b;
  VariantInit(&b);
  b.vt = VT_BOOL;
  b.boolVal = VARIANT_TRUE;
  VARIANT out;
  VariantInit(&out);
  ASSERT_EQ(VariantChangeType(&out, &b, 0, VT_BSTR), S_OK);
  EXPECT_EQ(BstrView(out.bstrVal), u"-1");
  ASSERT_EQ(VariantChangeType(&out, &b, 0x2, VT_BSTR), S_OK);
  EXPECT_EQ(BstrView(out.bstrVal), u"True");
  VariantClear(&out);
}

class Counted : public kpx::DispatchObject<IDispatch> {
 public:
  explicit Counted(int* alive) : alive_(alive) { ++*alive_; }
  ~Counted() override { --*alive_; }

 private:
  int* alive_;
};

TEST(VariantTest, CopyAndClearCountReferences) {
  int alive = 0;
  IDispatch* object = new Counted(&alive);
  VARIANT a;
  VariantInit(&a);
  a.vt = VT_DISPATCH;
  a.pdispVal = object;  // owns the first reference
  VARIANT b;
  VariantInit(&b);
  ASSERT_EQ(VariantCopy(&b, &a), S_OK);
  EXPECT_EQ(b.pdispVal, object);
  VariantClear(&a);
  EXPECT_EQ(alive, 1);
  VariantClear(&b);
  EXPECT_EQ(alive, 0);

  VARIANT s = MakeBstr(u"text");
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantCopy(&copy, &s), S_OK);
  EXPECT_NE(copy.bstrVal, s.bstrVal);  // a deep copy
  EXPECT_EQ(BstrView(copy.bstrVal), u"text");
  VariantClear(&s);
  VariantClear(&copy);
}

TEST(VariantTest, UnknownTypeIsRefused) {
  VARIANT v;
  VariantInit(&v);
  v.vt = 72;  // outside the subset
  EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);
  VARIANT out;
  VariantInit(&out);
  EXPECT_EQ(VariantChangeType(&out, &v, 0, VT_I4), DISP_E_BADVARTYPE);
}

TEST(GuidTest, TextRoundTrip) {
  OLECHAR text[39];
  ASSERT_EQ(StringFromGUID2(IDispatch::kIID, text, 39), 39);
  EXPECT_EQ(std::u16string_view(text), u"{00020400-0000-0000-C000-000000000046}");
  CLSID back{};
  ASSERT_EQ(CLSIDFromString(u"{00020400-0000-0000-c000-000000000046}", &back), S_OK);
  EXPECT_EQ(back, IDispatch::kIID);
  EXPECT_EQ(CLSIDFromString(u"{00020400-0000-0000-C000-00000000004}", &back), E_INVALIDARG);
  EXPECT_EQ(CLSIDFromString(u"{00020400-0000-0000-C000-000000000046}x", &back), E_INVALIDARG);
  EXPECT_EQ(StringFromGUID2(IDispatch::kIID, text, 10), 0);
}

}  // namespace
