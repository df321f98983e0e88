// Reference counting, QueryInterface and an empty IDispatch for the library's own COM objects.
#pragma once

#include <type_traits>
#include <utility>

#include "kpx/com.h"

namespace kpx {

// True when riid names I or one of the interfaces it derives from (I::Base, I::Base::Base ...).
template <class I>
constexpr bool InterfaceChainHas(REFIID riid) {
  if constexpr (std::is_void_v<I>) {
    return false;
  } else {
    return riid == I::kIID || InterfaceChainHas<typename I::Base>(riid);
  }
}

// Implements IUnknown for an object that implements the interfaces Is (each with its bases).
// QueryInterface answers the first interface whose chain holds the identifier, so IUnknown always
// yields the same pointer. Objects start with one reference, owned by whoever made them
// (see MakeCom). Single-threaded, as the apartment model promises. Its destructor is virtual; the
// interfaces it derives from have none by design (kpx/com.h).
KPX_INTERFACES_BEGIN
template <class... Is>
class ComObject : public Is... {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    bool found =
        ((InterfaceChainHas<Is>(riid) ? (*ppv = static_cast<Is*>(this), true) : false) || ...);
    if (!found) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  ComObject() = default;
  virtual ~ComObject() = default;

 private:
  ULONG refs_ = 1;
};
KPX_INTERFACES_END

// As ComObject, with an IDispatch that offers no type information and no members. Objects that
// are only called through their function table use it.
template <class... Is>
class DispatchObject : public ComObject<Is...> {
 public:
  HRESULT GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
};

// Creates a COM object of class T and hands its first reference to a ComPtr.
template <class T, class... Args>
ComPtr<T> MakeCom(Args&&... args) {
  return ComPtr<T>::Adopt(new T(std::forward<Args>(args)...));
}

// Hands a new reference of p to an out parameter (E_POINTER for a null slot).
template <class I>
HRESULT CopyOut(I* p, I** out) {
  if (!out) return E_POINTER;
  *out = p;
  if (p) p->AddRef();
  return S_OK;
}

}  // namespace kpx
