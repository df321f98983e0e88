// Writing page XML text: character data, attribute values and CDATA sections that always load as
// XML, and the name checks that decide what may be written as markup.
#pragma once

#include <string>
#include <string_view>

namespace kpx {

// The one namespace that every prefix of a written name is bound to.
inline constexpr std::u16string_view kPrefixNamespace = u"urn:kpxhtml2xml:prefix";

// Whether c may stand in an XML 1.0 document (a surrogate counts only as half of a pair, which the
// writers below check themselves).
bool IsXmlChar(char16_t c) noexcept;

// Character data: "&", "<" and ">" escaped; characters XML forbids become U+FFFD.
void AppendXmlText(std::u16string& out, std::u16string_view text);

// An attribute value between double quotes: "&" becomes "&amp;" unless it already starts "&amp;",
// "&lt;" or "&gt;" (lower case only: "&AMP;" would be an undefined entity); "<", ">" and the double
// quote are escaped (the quote as "&amp;quot;" while double-escaping of quotes is on); TAB, LF and
// CR become character references so that they survive attribute-value normalization; characters
// XML forbids become U+FFFD.
void AppendXmlAttributeValue(std::u16string& out, std::u16string_view value);

// The content of a CDATA section: "<![CDATA[" is written "&lt;![CDATA[" and "]]>" "]]&gt;" (hosts
// undo both), characters XML forbids become U+FFFD.
void AppendCDataContent(std::u16string& out, std::u16string_view text);

// "<Text><![CDATA[" text "]]></Text>"; nothing for an empty text.
void AppendLiteralText(std::u16string& out, std::u16string_view text);

// XML names and qualified names (one optional ":" between two non-empty NCNames).
bool IsXmlName(std::u16string_view name) noexcept;
bool IsQName(std::u16string_view name) noexcept;

// The prefix of a qualified name ("" without one).
std::u16string_view NamePrefix(std::u16string_view name) noexcept;

// Whether a name is written as it stands: ASCII letters, digits, "_", "-" and ".", starting with a
// letter or "_", and not "xmlns" (the common case, checked without copying).
bool IsPlainName(std::u16string_view name) noexcept;

// The name as page XML writes it: "xmlns" and an "xmlns:" prefix, which would declare namespaces,
// become "kpsxmlns"; a name that is no qualified name has its offending characters replaced by "_".
std::u16string WritableName(std::u16string_view name);

}  // namespace kpx
