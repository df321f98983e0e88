// The component-identifier collection.
#include "server/component_ids.h"

#include "base/status.h"
#include "com/variant_holder.h"
#include "server/automation_invoke.h"

namespace kpx {

ComponentIds::~ComponentIds() {
  for (VARIANT& v : items_) VariantClear(&v);
}

HRESULT ComponentIds::get_count(LONG* count) {
  if (!count) return E_POINTER;
  *count = static_cast<LONG>(items_.size());
  return S_OK;
}

HRESULT ComponentIds::item(LONG index, VARIANT* pID) {
  if (!pID) return E_POINTER;
  if (index < 1 || static_cast<size_t>(index) > items_.size()) return S_OK;
  return VariantCopy(pID, &items_[static_cast<size_t>(index - 1)]);
}

HRESULT ComponentIds::Add(VARIANT ID) {
  return Guarded([&]() -> HRESULT {
    VariantHolder copy;
    HRESULT hr = VariantCopy(copy.Get(), &ID);
    if (FAILED(hr)) return hr;
    items_.emplace_back();  // room first, so that nothing is lost if it cannot be made
    items_.back() = copy.Release();
    return S_OK;
  });
}

HRESULT ComponentIds::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT ComponentIds::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT ComponentIds::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  return DispatchGetIDsOfNames(ComponentIdsInterfaceInfo(), riid, names, count, ids);
}

HRESULT ComponentIds::Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                             VARIANT* result, EXCEPINFO* exception, UINT* arg_error) {
  MemberCall call = [this](DISPID id, InvokeArguments& a) -> HRESULT {
    switch (id) {
      case 1:
        return get_count(a.OutNumber(0));
      case 2:
        return item(a.Number(0), a.OutValue(1));
      case 3:
        return Add(a.Value(0));
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  };
  return DispatchInvoke(ComponentIdsInterfaceInfo(), call, dispid, riid, flags, params, result,
                        exception, arg_error);
}

HRESULT CreateComponentIds(IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  return Guarded([&] {
    ComPtr<ComponentIds> object = MakeCom<ComponentIds>();
    return object->QueryInterface(riid, ppv);
  });
}

}  // namespace kpx
