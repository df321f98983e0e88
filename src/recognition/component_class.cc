// The built-in component table and the host registry query.
#include "recognition/component_class.h"

#include <array>

#include "base/ascii_case.h"
#include "com/bstr.h"

namespace kpx {

namespace {

struct TableRow {
  std::u16string_view type;
  bool container, simple, block;
};

// In the order the rows are searched.
constexpr std::array<TableRow, 30> kBuiltInTable = {{
    {u"TextBox", false, true, false},
    {u"Hidden", false, true, false},
    {u"TextArea", false, true, false},
    {u"CheckBox", false, true, false},
    {u"ListBox", false, true, false},
    {u"Label", false, true, false},
    {u"Link", false, true, false},
    {u"IncludePage", false, true, false},
    {u"Image", false, true, false},
    {u"ImageLink", false, true, false},
    {u"PageBreak", false, true, false},
    {u"ReportLabel", false, true, false},
    {u"Button", false, true, false},
    {u"Grid", true, false, true},
    {u"Record", true, false, true},
    {u"EditableGrid", true, false, true},
    {u"Report", true, false, true},
    {u"Section", true, false, true},
    {u"Panel", true, false, true},
    {u"Calendar", true, false, true},
    {u"Directory", true, false, true},
    {u"Path", true, false, true},
    {u"Navigator", false, false, true},
    {u"Sorter", false, false, true},
    {u"DatePicker", false, false, true},
    {u"FileUpload", false, false, true},
    {u"CalendarNavigator", false, false, true},
    {u"CheckBoxList", false, false, true},
    {u"RadioButton", false, false, true},
    {u"FlashChart", false, true, true},
}};

constexpr std::array<std::u16string_view, 6> kExtendedHtmlTypes = {
    u"Label", u"Link", u"ReportLabel", u"PageBreak", u"IncludePage", u"ImageLink"};

}  // namespace

ComponentClass BuiltInComponentClass(std::u16string_view type) {
  for (const TableRow& row : kBuiltInTable) {
    if (EqualsIgnoringAsciiCase(row.type, type)) {
      return {true, row.container, row.simple, row.block, std::u16string(row.type)};
    }
  }
  return {};
}

ComponentClass ClassifyComponent(HostApplication* application, std::u16string_view type,
                                 bool* host_failed) {
  if (application && !type.empty()) {
    Bstr name(type), canonical;
    VARIANT_BOOL known = VARIANT_FALSE, container = VARIANT_FALSE, simple = VARIANT_FALSE,
                 block = VARIANT_FALSE;
    const HRESULT hr = application->GetComponentClass(name.Get(), &known, &container, &simple,
                                                      &block, canonical.Put());
    if (SUCCEEDED(hr)) {
      if (known == VARIANT_FALSE) return {};
      ComponentClass out{true, container != VARIANT_FALSE, simple != VARIANT_FALSE,
                         block != VARIANT_FALSE, canonical.Str()};
      if (out.canonical.empty()) out.canonical.assign(type);
      return out;
    }
    // A host without a registry answers E_NOTIMPL; anything else is a failing host call.
    if (hr != E_NOTIMPL && host_failed) *host_failed = true;
  }
  return BuiltInComponentClass(type);
}

bool CanCarryExtendedHtml(std::u16string_view type) {
  for (std::u16string_view name : kExtendedHtmlTypes) {
    if (EqualsIgnoringAsciiCase(name, type)) return true;
  }
  return false;
}

}  // namespace kpx
