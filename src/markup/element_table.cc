#include "markup/element_table.h"

#include <array>

#include "base/ascii_case.h"

namespace kpx {

namespace {

constexpr std::uint32_t kInl = kInline;
constexpr std::uint32_t kBlk = kBlock;

// Sorted by name (code-point order of the lower-case names), the order ElementTable() hands out.
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
static_assert(IsSorted(), "the element table stays sorted by name");

// Looking a name up folds and packs it into one number, six bits per character (element names
// hold nothing but ASCII letters and digits, so a name with any other character is no element),
// and hashes that number into a table of slots filled when the program is compiled: one probe,
// where a bisection over the names costs seven dependent comparisons per tag.
constexpr std::size_t kLongestName = 10;
constexpr unsigned kBitsPerCode = 6;
constexpr unsigned kSlotBits = 9;
constexpr std::size_t kSlotCount = std::size_t{1} << kSlotBits;

constexpr std::array<std::uint8_t, 128> MakeNameCodes() {
  std::array<std::uint8_t, 128> codes{};
  for (int c = '0'; c <= '9'; ++c) codes[c] = static_cast<std::uint8_t>(1 + c - '0');
  for (int c = 'a'; c <= 'z'; ++c) codes[c] = static_cast<std::uint8_t>(11 + c - 'a');
  for (int c = 'A'; c <= 'Z'; ++c) codes[c] = static_cast<std::uint8_t>(11 + c - 'A');
  return codes;
}
constexpr std::array<std::uint8_t, 128> kNameCodes = MakeNameCodes();

// The packed name, or 0 when it cannot be an element name.
constexpr std::uint64_t KeyOf(std::u16string_view name) {
  if (name.empty() || name.size() > kLongestName) return 0;
  std::uint64_t key = 0;
  for (const char16_t c : name) {
    const std::uint8_t code = c < 128 ? kNameCodes[c] : 0;
    if (code == 0) return 0;
    key = key << kBitsPerCode | code;
  }
  return key;
}

constexpr std::size_t SlotOf(std::uint64_t key) {
  return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - kSlotBits));
}

constexpr std::array<std::uint64_t, kElements.size()> MakeKeys() {
  std::array<std::uint64_t, kElements.size()> keys{};
  for (std::size_t i = 0; i < kElements.size(); ++i) keys[i] = KeyOf(kElements[i].name);
  return keys;
}
constexpr std::array<std::uint64_t, kElements.size()> kKeys = MakeKeys();

// Per slot the entry's index + 1 (0: empty); a taken slot passes the entry on to the next one.
constexpr std::array<std::uint8_t, kSlotCount> MakeSlots() {
  std::array<std::uint8_t, kSlotCount> slots{};
  for (std::size_t i = 0; i < kElements.size(); ++i) {
    std::size_t slot = SlotOf(kKeys[i]);
    while (slots[slot] != 0) slot = (slot + 1) % kSlotCount;
    slots[slot] = static_cast<std::uint8_t>(i + 1);
  }
  return slots;
}
constexpr std::array<std::uint8_t, kSlotCount> kSlots = MakeSlots();

constexpr bool EveryNameHasAKey() {
  for (std::size_t i = 0; i < kKeys.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (kKeys[i] == kKeys[j]) return false;
    }
    if (kKeys[i] == 0) return false;
  }
  return true;
}
static_assert(EveryNameHasAKey(), "element names are letters and digits, at most 10 of them");

}  // namespace

std::span<const ElementEntry> ElementTable() noexcept {
  return kElements;
}

const ElementEntry* LookUpElement(std::u16string_view name) noexcept {
  const std::uint64_t key = KeyOf(name);
  if (key == 0) return nullptr;
  for (std::size_t slot = SlotOf(key);; slot = (slot + 1) % kSlotCount) {
    const std::uint8_t taken = kSlots[slot];
    if (taken == 0) return nullptr;
    if (kKeys[taken - 1] == key) return &kElements[taken - 1];
  }
}

std::uint32_t ElementProperties(std::u16string_view name) noexcept {
  const ElementEntry* entry = LookUpElement(name);
  return entry ? entry->properties : 0;
}

}  // namespace kpx
