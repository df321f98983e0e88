// Class factory of the exported classes.
#include "server/class_factory.h"

#include "base/status.h"
#include "com/com_object.h"
#include "server/module_lifetime.h"

namespace kpx {

namespace {

class ClassFactory final : public ComObject<IClassFactory>, private ModuleCounted {
 public:
  explicit ClassFactory(KpxCreateFunction create) : create_(create) {}

  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    return create_(outer, riid, ppv);
  }
  HRESULT LockServer(int32_t lock) override {
    ModuleLock(lock != 0);
    return S_OK;
  }

 private:
  KpxCreateFunction create_;
};

}  // namespace

HRESULT CreateClassFactory(KpxCreateFunction create, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  return Guarded([&] {
    ComPtr<ClassFactory> factory = MakeCom<ClassFactory>(create);
    return factory->QueryInterface(riid, ppv);
  });
}

}  // namespace kpx
