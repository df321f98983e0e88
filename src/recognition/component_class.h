// Component classes: whether a type names a component, and whether it is a container, a simple
// component and a block component. The host's component-type registry decides when it keeps one;
// otherwise the built-in table.
#pragma once

#include <string>
#include <string_view>

#include "kpx/host.h"

namespace kpx {

struct ComponentClass {
  bool known = false;  // the type names a component
  bool container = false;
  bool simple = false;
  bool block = false;        // written as a BEGIN/END block
  std::u16string canonical;  // the type's own spelling (the registry's, or the table's)
};

// The built-in table (types compared without regard to ASCII case).
ComponentClass BuiltInComponentClass(std::u16string_view type);

// The host registry's answer when it keeps one and the type is not empty, else the built-in
// table. *host_failed is set when the host's registry call failed.
ComponentClass ClassifyComponent(HostApplication* application, std::u16string_view type,
                                 bool* host_failed = nullptr);

// Label, Link, ReportLabel, PageBreak, IncludePage and ImageLink may carry extended HTML.
bool CanCarryExtendedHtml(std::u16string_view type);

}  // namespace kpx
