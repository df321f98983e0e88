// The in-process class table and the smart pointer that holds what it creates.
#include <gtest/gtest.h>

#include "com/com_object.h"
#include "kpx/host.h"
#include "kpx/msxml.h"

namespace {

int g_alive = 0;

class FakeFormatter : public kpx::DispatchObject<HostFormatter> {
 public:
  FakeFormatter() { ++g_alive; }
  ~FakeFormatter() override { --g_alive; }
  HRESULT Initialize(IUnknown*) override { return S_OK; }
  HRESULT Format(BSTR*) override { return S_OK; }
};

HRESULT CreateFakeFormatter(IUnknown*, REFIID riid, void** ppv) {
  ComPtr<FakeFormatter> object = kpx::MakeCom<FakeFormatter>();
  return object->QueryInterface(riid, ppv);
}

TEST(ClassTableTest, HostRegisteredClassIsCreatedWithAnyServerContext) {
  ASSERT_EQ(KpxRegisterClass(CLSID_HostFormatter, &CreateFakeFormatter), S_OK);
  const DWORD contexts[] = {CLSCTX_ALL, CLSCTX_INPROC_SERVER, 23};
  for (DWORD context : contexts) {
    SCOPED_TRACE(context);
    ComPtr<HostFormatter> formatter;
    EXPECT_EQ(CoCreateInstance(CLSID_HostFormatter, nullptr, context, HostFormatter::kIID,
                               formatter.PutVoid()),
              S_OK);
    EXPECT_TRUE(formatter);
    EXPECT_EQ(g_alive, 1);
  }
  EXPECT_EQ(g_alive, 0);  // every reference released on the way out of the loop

  // A context without an in-process server cannot be served here.
  void* p = nullptr;
  EXPECT_EQ(
      CoCreateInstance(CLSID_HostFormatter, nullptr, CLSCTX_LOCAL_SERVER, HostFormatter::kIID, &p),
      REGDB_E_CLASSNOTREG);
  // Unregistered again, it is gone.
  ASSERT_EQ(KpxRegisterClass(CLSID_HostFormatter, nullptr), S_OK);
  EXPECT_EQ(CoCreateInstance(CLSID_HostFormatter, nullptr, CLSCTX_ALL, HostFormatter::kIID, &p),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(p, nullptr);
}

TEST(ClassTableTest, WrongInterfaceAndAggregationAreRefused) {
  ASSERT_EQ(KpxRegisterClass(CLSID_HostFormatter, &CreateFakeFormatter), S_OK);
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(CoCreateInstance(CLSID_HostFormatter, nullptr, CLSCTX_ALL, IXMLDOMNode::kIID, &p),
            E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
  ComPtr<FakeFormatter> outer = kpx::MakeCom<FakeFormatter>();
  EXPECT_EQ(CoCreateInstance(CLSID_HostFormatter, outer.Get(), CLSCTX_ALL, HostFormatter::kIID, &p),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(
      CoCreateInstance(CLSID_HostFormatter, nullptr, CLSCTX_ALL, HostFormatter::kIID, nullptr),
      E_POINTER);
  outer.Reset();
  EXPECT_EQ(g_alive, 0);
  KpxRegisterClass(CLSID_HostFormatter, nullptr);
}

TEST(ComObjectTest, QueryInterfaceWalksTheInterfaceChain) {
  ComPtr<FakeFormatter> formatter = kpx::MakeCom<FakeFormatter>();
  ComPtr<IUnknown> unknown1 = formatter.As<IUnknown>();
  ComPtr<IDispatch> dispatch = formatter.As<IDispatch>();
  ComPtr<IUnknown> unknown2 = dispatch.As<IUnknown>();
  EXPECT_TRUE(dispatch);
  EXPECT_EQ(unknown1.Get(), unknown2.Get());  // one identity
  EXPECT_FALSE(formatter.As<HostWindow>());
  // Copies and moves keep the count right.
  ComPtr<IDispatch> copy = dispatch;
  ComPtr<IDispatch> moved = std::move(copy);
  EXPECT_FALSE(copy);
  formatter.Reset();
  unknown1.Reset();
  unknown2.Reset();
  dispatch.Reset();
  EXPECT_EQ(g_alive, 1);
  moved.Reset();
  EXPECT_EQ(g_alive, 0);
}

}  // namespace
