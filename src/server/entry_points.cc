// The library's exported entry points.
#include "kpx/converter.h"
#include "server/class_factory.h"
#include "server/module_lifetime.h"
#include "server/xh2x_converter.h"

extern "C" {

KPX_API HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (clsid == CLSID_XH2XConverter) {
    return kpx::CreateClassFactory(&kpx::CreateXH2XConverter, riid, ppv);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

KPX_API HRESULT DllCanUnloadNow() { return kpx::ModuleCanUnload() ? S_OK : S_FALSE; }

// Registration of the classes in the registry store comes with the registration work; until then
// the entry points say so.
KPX_API HRESULT DllRegisterServer() { return E_NOTIMPL; }
KPX_API HRESULT DllUnregisterServer() { return E_NOTIMPL; }

}  // extern "C"
