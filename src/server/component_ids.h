// ComponentIDs: the ordered collection of component identifiers that the partial back
// transformation fills and hands to the host.
#pragma once

#include <vector>

#include "com/com_object.h"
#include "kpx/converter.h"
#include "server/module_lifetime.h"

namespace kpx {

class ComponentIds final : public DispatchObject<IComponentIDs>, private ModuleCounted {
 public:
  ComponentIds() = default;

  HRESULT GetTypeInfoCount(UINT* count) override;
  HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  HRESULT Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                 VARIANT* result, EXCEPINFO* exception, UINT* arg_error) override;

  HRESULT get_count(LONG* count) override;
  // 1-based; an index outside 1..count leaves pID as it is and still succeeds.
  HRESULT item(LONG index, VARIANT* pID) override;
  HRESULT Add(VARIANT ID) override;

 private:
  ~ComponentIds() override;
  std::vector<VARIANT> items_;
};

// Creates a collection for a class factory or CoCreateInstance.
HRESULT CreateComponentIds(IUnknown* outer, REFIID riid, void** ppv);

}  // namespace kpx
