// One start tag through the attribute step of the pre-patch pass. The tag's text is rebuilt from
// its source with a handful of edits in position order, so the cost is the tag's length.
#include "forward/pre_patch_tag.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/ascii_case.h"
#include "base/char16_search.h"
#include "recognition/template_syntax.h"

namespace kpx {

namespace {

constexpr std::u16string_view kStylePlaceholder = u"{KPS_Style}";
constexpr std::u16string_view kLanguagePlaceholder = u"{res:KPS_LanguageID}";

// What a value holds of the characters the attribute step looks at, gathered in one walk.
enum ValueChars : uint8_t {
  kOpenBrace = 1,
  kCloseBrace = 2,
  kEscapedChar = 4,  // "<", ">" or a double quote: escaping changes the value
  kAmpersand = 8,
};

constexpr std::array<uint8_t, 128> kValueCharTable = [] {
  std::array<uint8_t, 128> table{};
  table['{'] = kOpenBrace;
  table['}'] = kCloseBrace;
  table['<'] = table['>'] = table['"'] = kEscapedChar;
  table['&'] = kAmpersand;
  return table;
}();

uint8_t ValueCharsOf(std::u16string_view value) {
  uint8_t found = 0;
  size_t i = 0;
#if defined(__SSE2__)
  // Eight characters at a time, looked at one by one only when the block holds one of them: most
  // values hold none.
  const __m128i open = _mm_set1_epi16(u'{');
  const __m128i close = _mm_set1_epi16(u'}');
  const __m128i less = _mm_set1_epi16(u'<');
  const __m128i greater = _mm_set1_epi16(u'>');
  const __m128i quote = _mm_set1_epi16(u'"');
  const __m128i ampersand = _mm_set1_epi16(u'&');
  for (; i + 8 <= value.size(); i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(value.data() + i));
    const __m128i hits = _mm_or_si128(
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, open), _mm_cmpeq_epi16(v, close)),
                     _mm_or_si128(_mm_cmpeq_epi16(v, less), _mm_cmpeq_epi16(v, greater))),
        _mm_or_si128(_mm_cmpeq_epi16(v, quote), _mm_cmpeq_epi16(v, ampersand)));
    if (_mm_movemask_epi8(hits) == 0) continue;
    for (size_t j = i; j < i + 8; ++j) {
      if (value[j] < 128) found |= kValueCharTable[value[j]];
    }
  }
#endif
  for (; i < value.size(); ++i) {
    if (value[i] < 128) found |= kValueCharTable[value[i]];
  }
  return found;
}

bool HasBraces(uint8_t chars) {
  return (chars & (kOpenBrace | kCloseBrace)) == (kOpenBrace | kCloseBrace);
}

// name is the literal wanted, ignoring ASCII case (its length known without counting it).
template <size_t N>
bool Is(std::u16string_view name, const char16_t (&wanted)[N]) {
  return EqualsIgnoringAsciiCase(name, std::u16string_view(wanted, N - 1));
}

// The source range of an attribute's value (between the quotes when quoted); empty when the
// attribute has none.
std::pair<size_t, size_t> ValueRange(std::u16string_view source, const AttributeRecord& a,
                                     size_t tag_end) {
  if (a.equals_position == 0 || a.value_position >= tag_end) return {0, 0};
  if (a.quote_kind != QuoteKind::kNone) {
    const char16_t quote = a.quote_kind == QuoteKind::kDouble ? u'"' : u'\'';
    const size_t begin = a.value_position + 1;
    const size_t end = FindChar(source.substr(0, tag_end), begin, quote);
    return {begin, end == source.npos ? std::max(begin, tag_end) : end};
  }
  size_t end = a.value_position;
  while (end < tag_end && source[end] != u' ' && source[end] != u'\t' && source[end] != u'\r' &&
         source[end] != u'\n' && source[end] != u'>') {
    ++end;
  }
  return {a.value_position, end};
}

// Replaces every occurrence of what in value by with; false when there was none.
bool ReplaceAll(std::u16string& value, std::u16string_view what, std::u16string_view with) {
  bool replaced = false;
  std::u16string out;
  size_t from = 0;
  for (size_t at = value.find(what); at != value.npos; at = value.find(what, from)) {
    out.append(value, from, at - from);
    out.append(with);
    from = at + what.size();
    replaced = true;
  }
  if (!replaced) return false;
  out.append(value, from);
  value = std::move(out);
  return true;
}

bool IsPathSeparator(char16_t c) {
  return c == u'/' || c == u'\\';
}

// Replaces the language placeholder where it forms a whole path segment.
bool ReplaceLanguageSegments(std::u16string& value, std::u16string_view language) {
  bool replaced = false;
  std::u16string out;
  size_t from = 0;
  for (size_t at = value.find(kLanguagePlaceholder); at != value.npos;
       at = value.find(kLanguagePlaceholder, at + 1)) {
    const size_t after = at + kLanguagePlaceholder.size();
    const bool starts = at == 0 || IsPathSeparator(value[at - 1]);
    const bool ends = after == value.size() || IsPathSeparator(value[after]);
    if (!starts || !ends) continue;
    out.append(value, from, at - from);
    out.append(language);
    from = after;
    replaced = true;
  }
  if (!replaced) return false;
  out.append(value, from);
  value = std::move(out);
  return true;
}

// " name=" and the value in double quotes (a double quote inside written as "&quot;").
std::u16string AddedAttribute(std::u16string_view name, std::u16string_view value) {
  std::u16string out = u" ";
  out.append(name);
  out.append(u"=\"");
  for (char16_t c : value) {
    if (c == u'"') {
      out.append(u"&quot;");
    } else {
      out.push_back(c);
    }
  }
  out.push_back(u'"');
  return out;
}

// Whether escaping (EscapeAttributeValue) would change the value, without copying it: most
// values hold none of the characters it looks at.
bool EscapingChanges(std::u16string_view value, uint8_t chars) {
  if (chars & kEscapedChar) return true;
  if (!(chars & kAmpersand)) return false;
  for (size_t i = value.find(u'&'); i != value.npos; i = value.find(u'&', i + 1)) {
    const std::u16string_view rest = value.substr(i);
    if (!StartsWithIgnoringAsciiCase(rest, u"&amp;") &&
        !StartsWithIgnoringAsciiCase(rest, u"&lt;") &&
        !StartsWithIgnoringAsciiCase(rest, u"&gt;")) {
      return true;
    }
  }
  return false;
}

}  // namespace

StartTagFacts RewriteStartTag(std::u16string_view source, const TagRecord& tag, size_t tag_end,
                              const PrePatchSettings& settings, TagScratch& scratch) {
  StartTagFacts facts;
  const size_t tag_start = tag.tag_start;
  // Most tags have neither attributes nor anything between them: nothing to look at.
  if (tag.attributes.IsEmpty() && tag.junk_ranges.empty()) {
    facts.text = source.substr(tag_start, tag_end - tag_start);
    return facts;
  }
  const std::u16string_view name = tag.name.View();
  const int option = settings.option;
  std::vector<TagEdit>& edits = scratch.edits;
  std::u16string& appended = scratch.appended;
  edits.clear();
  appended.clear();

  const bool form_or_param = Is(name, u"form") || Is(name, u"param");
  const bool is_input = Is(name, u"input");
  const bool captures_language =
      (option & kCaptureHostValues) && !settings.language.empty() && (is_input || Is(name, u"img"));
  bool checked = false;
  bool check_box = false;

  for (const AttributeRecord& attribute : tag.attributes) {
    if (!attribute.from_source || attribute.name_position < tag_start ||
        attribute.name_position >= tag_end) {
      continue;
    }
    const std::u16string_view attribute_name = attribute.name.View();
    const auto [value_begin, value_end] = ValueRange(source, attribute, tag_end);
    const std::u16string_view value = source.substr(value_begin, value_end - value_begin);
    const uint8_t chars = ValueCharsOf(value);
    if (Is(attribute_name, u"checked")) {
      checked = true;
    } else if ((Is(attribute_name, u"name") || Is(attribute_name, u"href") ||
                Is(attribute_name, u"value") || Is(attribute_name, u"src")) &&
               HasBraces(chars) && !form_or_param) {
      facts.template_tag = true;
    } else if (Is(name, u"meta") && Is(attribute_name, u"http-equiv") &&
               Is(value, u"content-type")) {
      facts.whole = true;
      facts.content_type_meta = true;
    } else if (is_input && Is(attribute_name, u"type") &&
               (Is(value, u"checkbox") || Is(value, u"radio"))) {
      check_box = true;
    } else if (Is(attribute_name, u"xmlns")) {
      edits.push_back({attribute.name_position, 0, u"kps"});
    }
    if (Is(attribute_name, u"style") && HasBraces(chars) &&
        (option & kKeepStyleNameBits) != kKeepStyleNameBits) {
      edits.push_back({attribute.name_position, attribute_name.size(), u"kpsXStyle"});
    }
    // Both placeholders start with "{": most values hold none and are not copied.
    if ((option & kCaptureHostValues) && (chars & kOpenBrace)) {
      std::u16string captured(value);
      bool changed = false;
      if (!settings.style.empty() && ReplaceAll(captured, kStylePlaceholder, settings.style)) {
        appended += AddedAttribute(u"kpsDynamicStyle", value);
        changed = true;
      }
      if (captures_language && ReplaceLanguageSegments(captured, settings.language)) {
        appended += AddedAttribute(u"kpsI18Ned", value);
        changed = true;
      }
      if (changed) edits.push_back({value_begin, value_end - value_begin, std::move(captured)});
    }
    if ((option & kProtectEscapedTags) && attribute.quote_kind != QuoteKind::kNone &&
        EscapingChanges(value, chars)) {
      facts.whole = true;
    }
  }

  // Brace expressions written between the attributes.
  std::vector<std::u16string_view> expressions;
  if (!tag.junk_ranges.empty()) expressions.reserve(4);
  bool first = true;
  for (const JunkRange& junk : tag.junk_ranges) {
    const size_t end = std::min(junk.start + junk.length, tag_end);
    for (size_t at = junk.start; at < end; ++at) {
      if (source[at] != u'{') continue;
      const size_t length = PlaceholderLength(source.substr(0, end), at);
      if (length == 0) continue;
      const std::u16string_view expression = source.substr(at, length);
      const bool gathered = !first || (option & kTagContentAttribute);
      if (first && (option & kTagContentAttribute) && check_box && !checked) {
        appended += AddedAttribute(u"kpscheckedattr", expression);
        facts.tag_content = true;
      } else if (gathered) {
        expressions.push_back(expression);
      }
      first = false;
      if (gathered) {
        // Taken out with the blank before it, so that the tag keeps its spacing.
        size_t from = at;
        if (from > tag_start && (source[from - 1] == u' ' || source[from - 1] == u'\t')) --from;
        edits.push_back({from, at + length - from, u""});
      }
      at += length - 1;
    }
  }
  if (!expressions.empty()) {
    std::u16string joined;
    for (std::u16string_view expression : expressions) {
      if (!joined.empty()) joined.push_back(u' ');
      joined.append(expression);
    }
    appended += AddedAttribute(u"kpstagcontent", joined);
    facts.tag_content = true;
  }

  // Added attributes go before ">" (or "/>"); an unclosed tag gets them at its end.
  if (!appended.empty()) {
    size_t at = tag_end;
    if (at > tag_start && source[at - 1] == u'>') {
      --at;
      if (at > tag_start && source[at - 1] == u'/') --at;
    }
    edits.push_back({at, 0, appended});
  }
  if (edits.empty()) {
    facts.text = source.substr(tag_start, tag_end - tag_start);
    return facts;
  }

  std::stable_sort(edits.begin(), edits.end(),
                   [](const TagEdit& a, const TagEdit& b) { return a.position < b.position; });
  std::u16string& text = scratch.text;
  text.clear();
  size_t from = tag_start;
  for (const TagEdit& edit : edits) {
    if (edit.position < from) continue;  // overlaps an earlier edit: dropped
    text.append(source.substr(from, edit.position - from));
    text.append(edit.text);
    from = edit.position + edit.length;
  }
  text.append(source.substr(from, tag_end - from));
  facts.text = text;
  return facts;
}

}  // namespace kpx
