// The library's exported entry points.
#include "base/module_paths.h"
#include "base/status.h"
#include "base/utf.h"
#include "kpx/converter.h"
#include "registry/registry_store.h"
#include "server/class_factory.h"
#include "server/component_ids.h"
#include "server/module_lifetime.h"
#include "server/registration.h"
#include "server/xh2x_converter.h"

extern "C" {

KPX_API HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) noexcept {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  return kpx::Guarded([&] {
    kpx::EnsureServerClassesRegistered();
    if (clsid == CLSID_XH2XConverter) {
      return kpx::CreateClassFactory(&kpx::CreateXH2XConverter, riid, ppv);
    }
    if (clsid == CLSID_ComponentIDs) {
      return kpx::CreateClassFactory(&kpx::CreateComponentIds, riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
  });
}

KPX_API HRESULT DllCanUnloadNow() noexcept {
  return kpx::ModuleCanUnload() ? S_OK : S_FALSE;
}

// Both write the registry store (see RegistryStore::DefaultPath); a store that cannot be read or
// written gives REGDB_E_READREGDB or REGDB_E_WRITEREGDB and is left as it was.
KPX_API HRESULT DllRegisterServer() noexcept {
  return kpx::Guarded([] {
    const std::u16string module = kpx::ToUtf16(kpx::ModuleFilePath());
    if (module.empty()) return E_UNEXPECTED;
    kpx::RegistryStore::Update(kpx::RegistryStore::DefaultPath(), [&](kpx::RegistryStore& store) {
      kpx::RegisterServer(store, module);
    });
    return S_OK;
  });
}

KPX_API HRESULT DllUnregisterServer() noexcept {
  return kpx::Guarded([] {
    kpx::RegistryStore::Update(kpx::RegistryStore::DefaultPath(),
                               [](kpx::RegistryStore& store) { kpx::UnregisterServer(store); });
    return S_OK;
  });
}

}  // extern "C"
