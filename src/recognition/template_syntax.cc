#include "recognition/template_syntax.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "markup/markup_char_classes.h"
#include "page/xml_text.h"

namespace kpx {

namespace {

bool IsMarkerBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

}  // namespace

size_t PlaceholderLength(std::u16string_view text, size_t at) {
  if (at >= text.size() || text[at] != u'{') return 0;
  size_t i = at + 1;
  if (i >= text.size() || !(CharClassOf(text[i]) & kCharNameStart)) return 0;
  while (i < text.size() && (CharClassOf(text[i]) & kCharName)) ++i;
  if (i >= text.size() || text[i] != u'}') return 0;
  return i + 1 - at;
}

bool HoldsBrace(std::u16string_view text) {
  const size_t size = text.size();
  if (size < 4) return text.find(u'{') != std::u16string_view::npos;
  // Four characters a word: a character equal to "{" leaves a zero that the borrow finds.
  constexpr uint64_t kOnes = 0x0001000100010001ull;
  constexpr uint64_t kHighs = 0x8000800080008000ull;
  const auto holds = [&](size_t at) {
    uint64_t word;
    std::memcpy(&word, text.data() + at, sizeof word);
    word ^= kOnes * u'{';
    return ((word - kOnes) & ~word & kHighs) != 0;
  };
  for (size_t at = 0; at + 4 <= size; at += 4) {
    if (holds(at)) return true;
  }
  return holds(size - 4);
}

std::vector<std::u16string_view> MarkerWords(std::u16string_view text, size_t max_words) {
  std::vector<std::u16string_view> words;
  size_t i = 0;
  while (i < text.size() && words.size() < max_words) {
    while (i < text.size() && IsMarkerBlank(text[i])) ++i;
    const size_t start = i;
    while (i < text.size() && !IsMarkerBlank(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

bool WritableAsElement(const TagRecord& tag) {
  if (!IsQName(tag.name.View())) return false;
  std::vector<std::u16string_view> locals;
  for (const AttributeRecord& attribute : tag.attributes) {
    const std::u16string_view name = attribute.name.View();
    const bool xmlns = name == u"xmlns" || name.substr(0, 6) == u"xmlns:";
    if (!(xmlns ? IsQName(std::u16string(u"kps") + std::u16string(name)) : IsQName(name))) {
      return false;
    }
    const std::u16string_view prefix = NamePrefix(name);
    if (!prefix.empty() && prefix != u"xml") {
      const std::u16string_view local = name.substr(prefix.size() + 1);
      if (std::find(locals.begin(), locals.end(), local) != locals.end()) return false;
      locals.push_back(local);
    }
  }
  return true;
}

std::u16string_view EmbracedComponentName(std::u16string_view name) {
  if (name.size() > 5 && name.substr(name.size() - 5) == u"_Name") {
    return name.substr(0, name.size() - 5);
  }
  if (name.size() > 4 && name.substr(name.size() - 4) == u"_Src") {
    return name.substr(0, name.size() - 4);
  }
  return {};
}

bool OnlyWhiteSpace(std::u16string_view text) {
  return std::all_of(text.begin(), text.end(), [](char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
  });
}

std::u16string Decimal(long value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

void CopyTagAttributes(const TagRecord& tag, std::u16string_view text, PageNode& node,
                       size_t extra) {
  node.attributes.Reserve(tag.attributes.Size() + extra);
  for (const AttributeRecord& attribute : tag.attributes) {
    const std::u16string_view value = attribute.value.View();
    const size_t at = attribute.value_position + (attribute.quote_kind == QuoteKind::kNone ? 0 : 1);
    if (attribute.from_source && at <= text.size() && value.size() <= text.size() - at &&
        text.substr(at, value.size()) == value) {
      node.attributes.SetBorrowed(attribute.name.View(), text.substr(at, value.size()));
    } else {
      node.attributes.Set(attribute.name.View(), value);
    }
  }
}

}  // namespace kpx
