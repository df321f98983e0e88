// Makers of the fixture host's COM objects, shared by the files that implement them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "com/bstr.h"
#include "kpx/host.h"
#include "x2x/fixture_host.h"

namespace x2x {

ComPtr<HostApplication> MakeFixtureApplication(const std::shared_ptr<HostState>& state);
// Null when the host file has no project.
ComPtr<HostProject> MakeFixtureProject(const std::shared_ptr<HostState>& state);
// The one live object of a page (component -1) or of one of its components.
ComPtr<HostPageModel> FixtureModelObject(const std::shared_ptr<HostState>& state, size_t page,
                                         int component);
// The object a page hands to the formatter's Initialize: it carries the formatter's answers.
ComPtr<IUnknown> MakeFormatterContext(const std::shared_ptr<HostState>& state);

// Out-parameter helpers: a null slot is E_POINTER; nothing to give is S_FALSE with null.
inline HRESULT OutText(const std::u16string* text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!text) return S_FALSE;
  *out = SysAllocStringLen(text->data(), static_cast<UINT>(text->size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

inline HRESULT OutText(const std::optional<std::u16string>& text, BSTR* out) {
  return OutText(text ? &*text : nullptr, out);
}

// The value of a name in a map, or null.
inline const std::u16string* Lookup(const ValueMap& map, BSTR name) {
  auto it = map.find(std::u16string(kpx::BstrView(name)));
  return it == map.end() ? nullptr : &it->second;
}

// Creates a COM object of class T and holds its first reference as interface I.
template <class I, class T, class... Args>
ComPtr<I> MakeAs(Args&&... args) {
  return ComPtr<I>::Adopt(static_cast<I*>(new T(std::forward<Args>(args)...)));
}

template <class T>
HRESULT OutObject(ComPtr<T> object, T** out) {
  if (!out) return E_POINTER;
  *out = object.Detach();
  return *out ? S_OK : S_FALSE;
}

}  // namespace x2x
