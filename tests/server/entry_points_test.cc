// The class factory path and the not-yet-built operations.
#include <gtest/gtest.h>

#include "kpx/kpxhtml2xml.h"

namespace {

ComPtr<IXH2XConverter> MakeConverter() {
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(DllGetClassObject(CLSID_XH2XConverter, IClassFactory::kIID, factory.PutVoid()), S_OK);
  ComPtr<IXH2XConverter> converter;
  if (factory) {
    EXPECT_EQ(factory->CreateInstance(nullptr, IXH2XConverter::kIID, converter.PutVoid()), S_OK);
  }
  return converter;
}

TEST(EntryPointsTest, UnknownClassIsNotAvailable) {
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(DllGetClassObject(CLSID_DOMDocument, IClassFactory::kIID, &p),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(p, nullptr);
}

TEST(EntryPointsTest, FactoryRefusesAggregation) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(DllGetClassObject(CLSID_XH2XConverter, IClassFactory::kIID, factory.PutVoid()), S_OK);
  ComPtr<IUnknown> outer = factory.As<IUnknown>();
  void* p = nullptr;
  EXPECT_EQ(factory->CreateInstance(outer.Get(), IXH2XConverter::kIID, &p), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(p, nullptr);
}

TEST(EntryPointsTest, UnloadWaitsForObjectsAndLocks) {
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
  {
    ComPtr<IXH2XConverter> converter = MakeConverter();
    ASSERT_TRUE(converter);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  }
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(DllGetClassObject(CLSID_XH2XConverter, IClassFactory::kIID, factory.PutVoid()), S_OK);
  factory->LockServer(1);
  IClassFactory* raw = factory.Detach();
  raw->Release();
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  // A factory is not needed to unlock: a new one shares the module's count.
  ASSERT_EQ(DllGetClassObject(CLSID_XH2XConverter, IClassFactory::kIID, factory.PutVoid()), S_OK);
  factory->LockServer(0);
  factory.Reset();
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST(EntryPointsTest, ConverterAnswersItsInterfacesOnly) {
  ComPtr<IXH2XConverter> converter = MakeConverter();
  ASSERT_TRUE(converter);
  EXPECT_TRUE(converter.As<IDispatch>());
  EXPECT_TRUE(converter.As<IUnknown>());
  EXPECT_FALSE(converter.As<IXMLDOMDocument>());
}

}  // namespace
