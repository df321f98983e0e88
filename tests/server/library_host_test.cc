// In a host's place: the built library is loaded with dlopen, the converter is created through
// its class factory, called through its interface and through IDispatch by name, released, and
// the library then says it can be unloaded. Only exported functions are used.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "kpx/kpxhtml2xml.h"

namespace {

template <class F>
F Symbol(void* library, const char* name) {
  void* symbol = dlsym(library, name);
  EXPECT_NE(symbol, nullptr) << name;
  return reinterpret_cast<F>(symbol);
}

class LibraryHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    library_ = dlopen(KPX_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library_, nullptr) << dlerror();
  }
  void TearDown() override {
    if (library_) dlclose(library_);
  }
  void* library_ = nullptr;
};

TEST_F(LibraryHostTest, CreateCallReleaseUnload) {
  auto get_class_object =
      Symbol<HRESULT (*)(REFCLSID, REFIID, void**)>(library_, "DllGetClassObject");
  auto can_unload = Symbol<HRESULT (*)()>(library_, "DllCanUnloadNow");
  auto alloc = Symbol<BSTR (*)(const OLECHAR*)>(library_, "SysAllocString");
  auto free_string = Symbol<void (*)(BSTR)>(library_, "SysFreeString");
  auto variant_clear = Symbol<HRESULT (*)(VARIANT*)>(library_, "VariantClear");
  ASSERT_TRUE(get_class_object && can_unload && alloc && free_string && variant_clear);

  IClassFactory* factory = nullptr;
  ASSERT_EQ(get_class_object(CLSID_XH2XConverter, IClassFactory::kIID,
                             reinterpret_cast<void**>(&factory)),
            S_OK);
  IXH2XConverter* converter = nullptr;
  ASSERT_EQ(
      factory->CreateInstance(nullptr, IXH2XConverter::kIID, reinterpret_cast<void**>(&converter)),
      S_OK);
  factory->Release();
  EXPECT_EQ(can_unload(), S_FALSE);

  // Through the function table.
  BSTR errors = reinterpret_cast<BSTR>(1);
  EXPECT_EQ(converter->getErrors(&errors), S_FALSE);
  EXPECT_EQ(errors, nullptr);
  EXPECT_EQ(converter->setPublishMode(VARIANT_TRUE), S_OK);

  // Through IDispatch, by name.
  IDispatch* dispatch = nullptr;
  ASSERT_EQ(converter->QueryInterface(IDispatch::kIID, reinterpret_cast<void**>(&dispatch)), S_OK);
  OLECHAR name[] = u"getErrors";
  LPOLESTR names[] = {name};
  DISPID id = 0;
  ASSERT_EQ(dispatch->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), S_OK);
  EXPECT_EQ(id, 4);
  VARIANT result;
  result.vt = VT_EMPTY;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(dispatch->Invoke(id, GUID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr),
            S_FALSE);
  variant_clear(&result);

  OLECHAR publish_name[] = u"SETPUBLISHMODE";
  names[0] = publish_name;
  ASSERT_EQ(dispatch->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), S_OK);
  VARIANT flag;
  flag.vt = VT_BSTR;
  flag.bstrVal = alloc(u"true");
  DISPPARAMS one{&flag, nullptr, 1, 0};
  EXPECT_EQ(dispatch->Invoke(id, GUID_NULL, 0, DISPATCH_METHOD, &one, nullptr, nullptr, nullptr),
            S_OK);
  free_string(flag.bstrVal);

  dispatch->Release();
  converter->Release();
  EXPECT_EQ(can_unload(), S_OK);
}

TEST_F(LibraryHostTest, RegistersItsOwnFile) {
  auto register_server = Symbol<HRESULT (*)()>(library_, "DllRegisterServer");
  auto unregister_server = Symbol<HRESULT (*)()>(library_, "DllUnregisterServer");
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("kpx-host-registry-" + std::to_string(getpid()));
  const std::filesystem::path store = dir / "registry.xml";
  setenv("KPX_REGISTRY", store.c_str(), 1);
  ASSERT_EQ(register_server(), S_OK);
  std::FILE* f = std::fopen(store.c_str(), "r");
  ASSERT_NE(f, nullptr);
  std::string text(1 << 16, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), f));
  std::fclose(f);
  std::string library = std::filesystem::canonical(KPX_LIBRARY_PATH).string();
  EXPECT_NE(text.find(">" + library + "<"), std::string::npos) << text;
  EXPECT_EQ(unregister_server(), S_OK);
  unsetenv("KPX_REGISTRY");
  std::filesystem::remove_all(dir);  // the store and its lock file
}

}  // namespace
