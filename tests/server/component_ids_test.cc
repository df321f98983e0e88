// The component-identifier collection, called directly and through IDispatch.
#include <gtest/gtest.h>

#include "com/bstr.h"
#include "server/component_ids.h"

namespace {

VARIANT Number(LONG n) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = n;
  return v;
}

TEST(ComponentIdsTest, OneBasedItemsAndUnsetOutsideTheRange) {
  ComPtr<IComponentIDs> ids;
  ASSERT_EQ(kpx::CreateComponentIds(nullptr, IComponentIDs::kIID, ids.PutVoid()), S_OK);
  ASSERT_EQ(ids->Add(Number(10)), S_OK);
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(u"20");
  ASSERT_EQ(ids->Add(text), S_OK);
  VariantClear(&text);  // the collection keeps its own copy

  LONG count = 0;
  ASSERT_EQ(ids->get_count(&count), S_OK);
  EXPECT_EQ(count, 2);
  struct Row {
    LONG index;
    VARTYPE vt;
  };
  const Row rows[] = {{0, VT_EMPTY}, {1, VT_I4}, {2, VT_BSTR}, {3, VT_EMPTY}, {-1, VT_EMPTY}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.index);
    VARIANT out;
    VariantInit(&out);
    EXPECT_EQ(ids->item(row.index, &out), S_OK);
    EXPECT_EQ(out.vt, row.vt);
    if (row.index == 2) {
      EXPECT_EQ(kpx::BstrView(out.bstrVal), u"20");
    }
    VariantClear(&out);
  }
}

TEST(ComponentIdsTest, ThroughIDispatch) {
  ComPtr<IComponentIDs> ids;
  ASSERT_EQ(kpx::CreateComponentIds(nullptr, IComponentIDs::kIID, ids.PutVoid()), S_OK);
  ComPtr<IDispatch> dispatch = ids.As<IDispatch>();
  OLECHAR add_name[] = u"add";  // names fold case
  LPOLESTR names[] = {add_name};
  DISPID add = 0;
  ASSERT_EQ(dispatch->GetIDsOfNames(GUID_NULL, names, 1, 0, &add), S_OK);
  EXPECT_EQ(add, 3);
  for (LONG n : {7, 8}) {
    VARIANT arg = Number(n);
    DISPPARAMS params{&arg, nullptr, 1, 0};
    ASSERT_EQ(
        dispatch->Invoke(add, GUID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
        S_OK);
  }
  VARIANT result;
  VariantInit(&result);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  ASSERT_EQ(
      dispatch->Invoke(1, GUID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
      S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 2);
  VARIANT index = Number(2);
  DISPPARAMS one{&index, nullptr, 1, 0};
  ASSERT_EQ(dispatch->Invoke(2, GUID_NULL, 0, DISPATCH_METHOD, &one, &result, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 8);
}

}  // namespace
