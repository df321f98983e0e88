// CDATA content that always loads.
#include "reverse/cdata_text.h"

namespace kpx {

bool IsWholeXmlUnit(std::u16string_view text, std::size_t i) noexcept {
  const char16_t c = text[i];
  if (c >= 0xD800 && c <= 0xDBFF)
    return i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
  if (c >= 0xDC00 && c <= 0xDFFF) return i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF;
  return !NeedsXmlCheck(c);
}

void AppendSplitCData(std::u16string& out, std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'>' && i >= 2 && text[i - 1] == u']' && text[i - 2] == u']') out += kCDataSplit;
    out += (NeedsXmlCheck(c) && !IsWholeXmlUnit(text, i)) ? kReplacementChar : c;
  }
}

void AppendSplitCDataSection(std::u16string& out, std::u16string_view text) {
  out += u"<![CDATA[";
  AppendSplitCData(out, text);
  out += u"]]>";
}

std::u16string TextElement(std::u16string_view text) {
  std::u16string out;
  AppendTextElement(out, text);
  return out;
}

void AppendTextElement(std::u16string& out, std::u16string_view text) {
  out += u"<Text>";
  AppendSplitCDataSection(out, text);
  out += u"</Text>";
}

}  // namespace kpx
