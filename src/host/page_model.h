// Typed reads of the host's page model: a page or component (HostPageModel) and its project.
// A call that fails counts as "nothing there"; callers that must tell a failure from an empty
// answer look at failed().
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kpx/host.h"

namespace kpx {

class PageModelReader {
 public:
  // The model of a page or component object (null when it has none).
  static ComPtr<HostPageModel> ModelOf(IUnknown* object);

  LONG Id(HostPageModel* model);
  std::u16string Name(HostPageModel* model);
  std::u16string TypeName(HostPageModel* model);
  std::vector<ComPtr<HostPageModel>> Children(HostPageModel* model);
  // A direct child by name (ASCII case aside).
  ComPtr<HostPageModel> ChildByName(HostPageModel* model, std::u16string_view name);
  // The first component of that name at any depth below model, in document order.
  ComPtr<HostPageModel> FindAtAnyDepth(HostPageModel* model, std::u16string_view name);
  std::optional<std::u16string> Property(HostPageModel* model, std::u16string_view name);
  std::optional<std::u16string> TypeProperty(HostPageModel* model, std::u16string_view name);
  ComPtr<HostProject> Project(HostPageModel* model);

  // Project data.
  std::optional<std::u16string> ProjectValue(HostProject* project, std::u16string_view name);
  std::optional<std::u16string> ItemProperty(HostProject* project, std::u16string_view item,
                                             std::u16string_view property);
  // The translation of a resource; nullopt when there is none.
  std::optional<std::u16string> Translation(HostProject* project, std::u16string_view language,
                                            std::u16string_view name);

  // Whether a host call failed since construction (or the last reset).
  bool failed() const { return failed_; }
  void reset_failed() { failed_ = false; }

 private:
  bool Check(HRESULT hr) {
    if (FAILED(hr)) failed_ = true;
    return SUCCEEDED(hr);
  }
  bool failed_ = false;
};

}  // namespace kpx
