// The attributes the grid manages and their accessors.
#include "tables/grid_properties.h"

#include "base/ascii_case.h"

#include <algorithm>
#include <array>

namespace kpx::tables {

namespace {

constexpr std::array<std::u16string_view, 13> kFormattingNames = {
    u"align",  u"valign", u"bgcolor", u"bordercolor", u"bordercolordark", u"bordercolorlight",
    u"height", u"ch",     u"choff",   u"class",       u"style",           u"colspan",
    u"rowspan"};

// "header" as the list has always named it, and "headers" as the attribute is written.
constexpr std::array<std::u16string_view, 8> kCellOnlyNames = {
    u"background", u"width", u"nowrap", u"abbr", u"axis", u"header", u"headers", u"scope"};

template <size_t N>
bool Listed(std::u16string_view name, const std::array<std::u16string_view, N>& names) {
  return std::any_of(names.begin(), names.end(),
                     [&](std::u16string_view n) { return EqualsIgnoringAsciiCase(name, n); });
}

}  // namespace

const CellPropertyAccess kCellPropertyAccess[kCellPropertyCount] = {
    {&IHTMLTableCell::get_align, &IHTMLTableCell::put_align},
    {&IHTMLTableCell::get_vAlign, &IHTMLTableCell::put_vAlign},
    {&IHTMLTableCell::get_bgColor, &IHTMLTableCell::put_bgColor},
    {&IHTMLTableCell::get_background, &IHTMLTableCell::put_background},
    {&IHTMLTableCell::get_borderColor, &IHTMLTableCell::put_borderColor},
    {&IHTMLTableCell::get_borderColorLight, &IHTMLTableCell::put_borderColorLight},
    {&IHTMLTableCell::get_borderColorDark, &IHTMLTableCell::put_borderColorDark},
    {&IHTMLTableCell::get_width, &IHTMLTableCell::put_width},
    {&IHTMLTableCell::get_height, &IHTMLTableCell::put_height},
    {&IHTMLTableCell::get_abbr, &IHTMLTableCell::put_abbr},
    {&IHTMLTableCell::get_axis, &IHTMLTableCell::put_axis},
    {&IHTMLTableCell::get_ch, &IHTMLTableCell::put_ch},
    {&IHTMLTableCell::get_chOff, &IHTMLTableCell::put_chOff},
    {&IHTMLTableCell::get_headers, &IHTMLTableCell::put_headers},
    {&IHTMLTableCell::get_scope, &IHTMLTableCell::put_scope},
};

const RowPropertyAccess kRowPropertyAccess[kRowPropertyCount] = {
    {&IHTMLTableRow::get_align, &IHTMLTableRow::put_align},
    {&IHTMLTableRow::get_vAlign, &IHTMLTableRow::put_vAlign},
    {&IHTMLTableRow::get_bgColor, &IHTMLTableRow::put_bgColor},
    {&IHTMLTableRow::get_borderColor, &IHTMLTableRow::put_borderColor},
    {&IHTMLTableRow::get_borderColorLight, &IHTMLTableRow::put_borderColorLight},
    {&IHTMLTableRow::get_borderColorDark, &IHTMLTableRow::put_borderColorDark},
    {&IHTMLTableRow::get_height, &IHTMLTableRow::put_height},
    {&IHTMLTableRow::get_ch, &IHTMLTableRow::put_ch},
    {&IHTMLTableRow::get_chOff, &IHTMLTableRow::put_chOff},
};

bool IsRowManagedAttribute(std::u16string_view name) {
  return Listed(name, kFormattingNames);
}

bool IsCellManagedAttribute(std::u16string_view name) {
  return Listed(name, kFormattingNames) || Listed(name, kCellOnlyNames);
}

}  // namespace kpx::tables
