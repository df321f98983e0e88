#include "markup/element_table.h"

#include <array>

#include "markup/ascii_case.h"

namespace kpx {

namespace {

constexpr std::uint32_t kInl = kInline;
constexpr std::uint32_t kBlk = kBlock;

// Sorted by name (code-point order of the lower-case names) for bisection.
constexpr std::array<ElementEntry, 102> kElements = {{
    {u"a", kInl},
    {u"abbr", kInl},
    {u"acronym", kInl},
    {u"address", kBlk},
    {u"applet", kInl | kEmbeddedObject | kReplacedElement | kTakesParameters},
    {u"area", kBlk | kEmpty},
    {u"b", kInl},
    {u"base", kEmpty | kAllowedInHead},
    {u"basefont", kInl | kEmpty},
    {u"bdo", kInl},
    {u"big", kInl},
    {u"blockquote", kBlk | kGenericContainer},
    {u"body", kDocumentStructure | kEndTagOptional | kStartTagOptional},
    {u"br", kInl | kEmpty},
    {u"button", kInl},
    {u"caption", kTableStructure},
    {u"center", kBlk | kGenericContainer},
    {u"cite", kInl},
    {u"col", kEmpty | kTableStructure},
    {u"colgroup", kEndTagOptional | kTableStructure},
    {u"comment", kAllowedInHead},
    {u"dd", kEndTagOptional | kListItemOrCell | kDefinitionListItem},
    {u"del", kInl | kBlk | kInlineOrBlock},
    {u"dfn", kInl},
    {u"dir", kBlk | kObsolete},
    {u"div", kBlk | kGenericContainer},
    {u"dl", kBlk},
    {u"dt", kEndTagOptional | kListItemOrCell | kDefinitionListItem},
    {u"em", kInl},
    {u"embed", kBlk},
    {u"fieldset", kBlk | kGenericContainer},
    {u"font", kInl | kGenericContainer},
    {u"form", kBlk},
    {u"frame", kEmpty | kFrames},
    {u"frameset", kDocumentStructure | kFrames},
    {u"h1", kBlk | kHeading},
    {u"h2", kBlk | kHeading},
    {u"h3", kBlk | kHeading},
    {u"h4", kBlk | kHeading},
    {u"h5", kBlk | kHeading},
    {u"h6", kBlk | kHeading},
    {u"head", kDocumentStructure | kEndTagOptional | kStartTagOptional},
    {u"hr", kBlk | kEmpty},
    {u"html", kDocumentStructure | kEndTagOptional | kStartTagOptional},
    {u"i", kInl},
    {u"iframe", kInl},
    {u"img", kInl | kReplacedElement | kEmpty},
    {u"input", kInl | kReplacedElement | kEmpty},
    {u"ins", kInl | kBlk | kInlineOrBlock},
    {u"isindex", kBlk | kEmpty},
    {u"kbd", kInl},
    {u"label", kInl},
    {u"legend", kInl},
    {u"li", kEndTagOptional | kListItemOrCell | kListItem},
    {u"link", kEmpty | kAllowedInHead},
    {u"listing", kBlk | kObsolete},
    {u"map", kInl},
    {u"menu", kBlk | kObsolete},
    {u"meta", kEmpty | kAllowedInHead},
    {u"nextid", kEmpty | kAllowedInHead},
    {u"noframes", kBlk | kFrames},
    {u"noscript", kInl | kBlk | kAllowedInHead | kInlineOrBlock},
    {u"object", kInl | kEmbeddedObject | kReplacedElement | kTakesParameters | kAllowedInHead |
                    kGenericContainer},
    {u"ol", kBlk},
    {u"optgroup", kEndTagOptional | kFormControl},
    {u"option", kEndTagOptional | kFormControl},
    {u"p", kBlk | kEndTagOptional},
    {u"param", kInl | kEmpty},
    {u"plaintext", kBlk | kObsolete},
    {u"pre", kBlk | kGenericContainer},
    {u"q", kInl},
    {u"rb", kInl},
    {u"rbc", kInl},
    {u"rp", kInl},
    {u"rt", kInl},
    {u"rtc", kInl},
    {u"ruby", kInl},
    {u"s", kInl},
    {u"samp", kInl},
    {u"script", kInl | kBlk | kAllowedInHead | kInlineOrBlock},
    {u"select", kInl | kFormControl},
    {u"small", kInl},
    {u"span", kInl | kGenericContainer},
    {u"strike", kInl},
    {u"strong", kInl},
    {u"style", kAllowedInHead},
    {u"sub", kInl},
    {u"sup", kInl},
    {u"table", kBlk},
    {u"tbody", kEndTagOptional | kTableStructure | kRowGroup},
    {u"td", kEndTagOptional | kListItemOrCell | kTableCell},
    {u"textarea", kInl | kFormControl},
    {u"tfoot", kEndTagOptional | kTableStructure | kRowGroup},
    {u"th", kEndTagOptional | kListItemOrCell | kTableCell},
    {u"thead", kEndTagOptional | kTableStructure | kRowGroup},
    {u"title", kAllowedInHead},
    {u"tr", kEndTagOptional | kTableStructure},
    {u"tt", kInl},
    {u"u", kInl},
    {u"ul", kBlk},
    {u"var", kInl},
    {u"xmp", kBlk | kObsolete},
}};

constexpr bool IsSorted() {
  for (std::size_t i = 1; i < kElements.size(); ++i) {
    if (CompareIgnoringAsciiCase(kElements[i - 1].name, kElements[i].name) >= 0) return false;
  }
  return true;
}
static_assert(IsSorted(), "the element table must stay sorted for bisection");

}  // namespace

std::span<const ElementEntry> ElementTable() noexcept {
  return kElements;
}

const ElementEntry* LookUpElement(std::u16string_view name) noexcept {
  std::size_t low = 0;
  std::size_t high = kElements.size();  // one past the last candidate
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    const int order = CompareIgnoringAsciiCase(name, kElements[middle].name);
    if (order == 0) return &kElements[middle];
    if (order < 0) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  return nullptr;
}

std::uint32_t ElementProperties(std::u16string_view name) noexcept {
  const ElementEntry* entry = LookUpElement(name);
  return entry ? entry->properties : 0;
}

}  // namespace kpx
