// The element table: every HTML element name the system knows, with its property bits. Names
// compare without regard to ASCII case, so TD, Td and td are one element.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace kpx {

// Property bits of an element. Callers mostly test kInline, kEmpty, kAllowedInHead,
// kEndTagOptional and kGenericContainer; the others are kept with their values.
enum ElementProperty : std::uint32_t {
  kInline = 0x1,
  kBlock = 0x2,
  kEmbeddedObject = 0x4,
  kReplacedElement = 0x8,
  kTakesParameters = 0x10,
  kEmpty = 0x20,  // no end tag, no content
  kAllowedInHead = 0x40,
  kDocumentStructure = 0x80,
  kEndTagOptional = 0x100,
  kStartTagOptional = 0x200,
  kTableStructure = 0x400,
  kListItemOrCell = 0x800,
  kInlineOrBlock = 0x1000,
  kObsolete = 0x2000,
  kDefinitionListItem = 0x4000,
  kFormControl = 0x8000,
  kFrames = 0x10000,
  kHeading = 0x20000,
  kListItem = 0x40000,
  kTableCell = 0x80000,
  kRowGroup = 0x100000,
  kGenericContainer = 0x200000,
};

struct ElementEntry {
  std::u16string_view name;  // lower case
  std::uint32_t properties;  // ElementProperty bits
};

// All 102 entries, sorted by lower-case name in code-point order.
std::span<const ElementEntry> ElementTable() noexcept;

// The entry of name in any ASCII letter case (one hash probe), or null for a name the table does
// not hold (template and custom tags), which callers treat as having no properties.
const ElementEntry* LookUpElement(std::u16string_view name) noexcept;

// The property bits of name; 0 for an unknown name.
std::uint32_t ElementProperties(std::u16string_view name) noexcept;

// Whether name is known and carries every bit of property.
inline bool HasElementProperty(std::u16string_view name, std::uint32_t property) noexcept {
  return property != 0 && (ElementProperties(name) & property) == property;
}

}  // namespace kpx
