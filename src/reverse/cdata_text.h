// Text inside the CDATA sections that the back transformation writes: a section may hold any
// text, since "]]>" is split across two sections and characters XML forbids become U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace kpx {

inline constexpr char16_t kReplacementChar = 0xFFFD;
// What "]]>" becomes inside a section: its "]]" ends the section, a new one starts with ">".
inline constexpr std::u16string_view kCDataSplit = u"]]><![CDATA[";

// Whether c needs a look before it goes into XML text: a control character other than tab, line
// feed and carriage return, a surrogate half, U+FFFE or U+FFFF.
constexpr bool NeedsXmlCheck(char16_t c) noexcept {
  return c < 0x20 ? (c != 0x9 && c != 0xA && c != 0xD)
                  : (c >= 0xD800 && (c <= 0xDFFF || c >= 0xFFFE));
}

// Whether the code unit at i of text may stand in XML as it is (a surrogate half only as part of a
// whole pair). Only called for units that NeedsXmlCheck.
bool IsWholeXmlUnit(std::u16string_view text, std::size_t i) noexcept;

// Appends text as CDATA content (no delimiters), split at every "]]>" and with forbidden
// characters replaced.
void AppendSplitCData(std::u16string& out, std::u16string_view text);

// "<![CDATA[" content "]]>" as above.
void AppendSplitCDataSection(std::u16string& out, std::u16string_view text);

// "<Text><![CDATA[" content "]]></Text>": a literal the writer adds (proxy braces, option-block
// comments).
std::u16string TextElement(std::u16string_view text);
void AppendTextElement(std::u16string& out, std::u16string_view text);

}  // namespace kpx
