#include "markup/element_names.h"

#include <array>

#include "base/ascii_case.h"

namespace kpx {

namespace {

template <std::size_t N>
bool InList(const std::array<std::u16string_view, N>& list, std::u16string_view name) noexcept {
  for (std::u16string_view entry : list) {
    if (EqualsIgnoringAsciiCase(entry, name)) return true;
  }
  return false;
}

constexpr std::array<std::u16string_view, 13> kDocumentLevelNames = {
    u"BASE",  u"BASEFONT", u"BGSOUND", u"LINK", u"META", u"nextId",  u"SCRIPT",
    u"STYLE", u"TITLE",    u"BODY",    u"HEAD", u"HTML", u"NOSCRIPT"};
constexpr std::u16string_view kCDataMarkerName = u"kpsCDATA";

constexpr std::array<std::u16string_view, 3> kRawContentNames = {u"SCRIPT", u"STYLE", u"COMMENT"};
constexpr std::array<std::u16string_view, 3> kFormControlNames = {u"select", u"option",
                                                                  u"textarea"};
constexpr std::array<std::u16string_view, 7> kTableStructureNames = {
    u"table", u"thead", u"tfoot", u"tbody", u"tr", u"td", u"th"};
constexpr std::array<std::u16string_view, 2> kCellNames = {u"td", u"th"};

constexpr std::array<std::u16string_view, 40> kInlineContentNames = {
    u"p",      u"br",     u"span",     u"bdo",   u"object", u"applet",  u"img",    u"map",
    u"iframe", u"tt",     u"i",        u"b",     u"u",      u"s",       u"strike", u"big",
    u"small",  u"font",   u"basefont", u"em",    u"strong", u"dfn",     u"code",   u"q",
    u"samp",   u"kbd",    u"var",      u"cite",  u"abbr",   u"acronym", u"sub",    u"sup",
    u"input",  u"select", u"textarea", u"label", u"button", u"ins",     u"del",    u"script"};

}  // namespace

namespace {

bool IsBodyContentName(std::u16string_view name, bool case_sensitive) noexcept {
  if (InList(kDocumentLevelNames, name)) return false;
  return case_sensitive ? name != kCDataMarkerName
                        : !EqualsIgnoringAsciiCase(name, kCDataMarkerName);
}

}  // namespace

bool IsBodyContent(const MarkupString& name) noexcept {
  return IsBodyContentName(name.View(), name.CaseSensitive());
}

bool IsBodyContent(std::u16string_view name) noexcept {
  return IsBodyContentName(name, false);
}

bool IsRawContent(std::u16string_view name) noexcept {
  return InList(kRawContentNames, name);
}

bool IsFormControl(std::u16string_view name) noexcept {
  return InList(kFormControlNames, name);
}

std::optional<int> TableStructureValue(std::u16string_view name) noexcept {
  if (InList(kTableStructureNames, name)) return 1;
  return std::nullopt;
}

bool IsCellName(std::u16string_view name) noexcept {
  return InList(kCellNames, name);
}

bool Closes(std::u16string_view name, std::u16string_view other) noexcept {
  return EqualsIgnoringAsciiCase(name, other) || (IsCellName(name) && IsCellName(other));
}

bool IsInlineContentName(std::u16string_view name) noexcept {
  return InList(kInlineContentNames, name);
}

bool MayContain(std::u16string_view parent, std::u16string_view child) noexcept {
  if (!IsInlineContentName(parent)) return true;
  if (!IsInlineContentName(child)) return false;
  return !(EqualsIgnoringAsciiCase(parent, u"p") && EqualsIgnoringAsciiCase(child, u"p"));
}

}  // namespace kpx
