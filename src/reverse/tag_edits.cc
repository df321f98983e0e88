// Edits inside literal start tags.
#include "reverse/tag_edits.h"

#include <algorithm>

#include "base/ascii_case.h"

namespace kpx {

namespace {

using namespace std::string_view_literals;

bool HasUpperCase(std::u16string_view text) {
  return std::any_of(text.begin(), text.end(), [](char16_t c) { return c >= u'A' && c <= u'Z'; });
}

bool IsSeparator(char16_t c) {
  return c == u'/' || c == u'\\';
}

// Lower-cases a name of the tag when the text holds it there with an upper-case letter.
void LowerName(std::u16string_view text, std::size_t position, std::u16string_view name,
               std::vector<BackEdit>& edits) {
  if (name.empty() || position + name.size() > text.size()) return;
  const std::u16string_view written = text.substr(position, name.size());
  if (!EqualsIgnoringAsciiCase(written, name) || !HasUpperCase(written)) return;
  edits.emplace_back(BackEdit::kLowerCase, position, name.size());
}

// "kpstagcontent", "=", an optional double quote: erased, and the closing quote with it.
void UnwrapTagContent(std::u16string_view text, const AttributeRecord& attribute,
                      std::vector<BackEdit>& edits) {
  if (attribute.equals_position == 0) return;
  ValueSpan span;
  if (!FindValueSpan(text, attribute, &span)) return;
  const bool double_quoted = attribute.quote_kind == QuoteKind::kDouble;
  const std::size_t prefix_end = double_quoted ? span.begin : attribute.value_position;
  edits.push_back(
      {BackEdit::kErase, attribute.name_position, prefix_end - attribute.name_position, {}});
  const std::size_t close = span.begin + span.size;
  if (double_quoted && close < text.size() && text[close] == u'"') {
    edits.emplace_back(BackEdit::kErase, close, 1);
  }
}

// The segments of a path value: [begin, end) offsets into the text, separators excluded.
std::vector<ValueSpan> Segments(std::u16string_view text, const ValueSpan& value) {
  std::vector<ValueSpan> segments;
  std::size_t begin = value.begin;
  const std::size_t end = value.begin + value.size;
  for (std::size_t i = value.begin; i <= end; ++i) {
    if (i == end || IsSeparator(text[i])) {
      segments.push_back({begin, i - begin});
      begin = i + 1;
    }
  }
  return segments;
}

// kpsDynamicStyle and kpsI18Ned: the attribute they name holds a path whose theme segment (after a
// "styles" directory) or language segment is written back as its placeholder.
void RewritePaths(std::u16string_view text, const TagRecord& tag, const PathMarkers& markers,
                  std::u16string_view site_language, std::vector<BackEdit>& edits) {
  std::size_t style_at = std::u16string_view::npos;
  if (const AttributeRecord* names = markers.dynamic_style) {
    const AttributeRecord* target = tag.attributes.Find(names->value.View());
    ValueSpan value;
    if (target && !names->value.View().empty() && FindValueSpan(text, *target, &value)) {
      const std::vector<ValueSpan> segments = Segments(text, value);
      for (std::size_t i = 0; i + 1 < segments.size(); ++i) {
        const std::u16string_view segment = text.substr(segments[i].begin, segments[i].size);
        if (EqualsIgnoringAsciiCase(segment, u"styles"sv) && segments[i + 1].size != 0) {
          style_at = segments[i + 1].begin;
          edits.emplace_back(BackEdit::kReplace, style_at, segments[i + 1].size, u"{KPS_Style}");
          break;
        }
      }
    }
  }
  if (site_language.empty()) return;
  if (const AttributeRecord* names = markers.i18ned) {
    const AttributeRecord* target = tag.attributes.Find(names->value.View());
    ValueSpan value;
    if (target && !names->value.View().empty() && FindValueSpan(text, *target, &value)) {
      for (const ValueSpan& segment : Segments(text, value)) {
        if (segment.begin == style_at) continue;
        if (EqualsIgnoringAsciiCase(text.substr(segment.begin, segment.size), site_language)) {
          edits.push_back(
              {BackEdit::kReplace, segment.begin, segment.size, u"{res:KPS_LanguageID}"});
          break;
        }
      }
    }
  }
}

}  // namespace

bool FindValueSpan(std::u16string_view text, const AttributeRecord& attribute, ValueSpan* span) {
  if (!attribute.from_source) return false;
  const std::size_t begin =
      attribute.value_position + (attribute.quote_kind == QuoteKind::kNone ? 0 : 1);
  const std::u16string_view value = attribute.value.View();
  if (begin > text.size() || text.substr(begin, value.size()) != value) return false;
  span->begin = begin;
  span->size = value.size();
  return true;
}

void LiteralTagEdits(std::u16string_view text, const TagRecord& tag, bool candidate,
                     const PathMarkers& markers, std::u16string_view site_language,
                     std::vector<BackEdit>& edits) {
  edits.clear();
  if (candidate) {
    LowerName(text, tag.name_position, tag.name.View(), edits);
    for (const AttributeRecord& attribute : tag.attributes) {
      if (!attribute.from_source) continue;
      if (EqualsIgnoringAsciiCase(attribute.name.View(), u"kpstagcontent"sv)) {
        UnwrapTagContent(text, attribute, edits);
      } else {
        LowerName(text, attribute.name_position, attribute.name.View(), edits);
      }
    }
  }
  if (markers.dynamic_style || (markers.i18ned && !site_language.empty())) {
    RewritePaths(text, tag, markers, site_language, edits);
  }
  if (edits.size() < 2) return;
  std::stable_sort(edits.begin(), edits.end(),
                   [](const BackEdit& a, const BackEdit& b) { return a.position < b.position; });
  // Two edits over one stretch (a value both unwrapped and rewritten): the first one stands.
  std::size_t kept = 0;
  std::size_t reach = 0;
  for (std::size_t i = 0; i < edits.size(); ++i) {
    if (kept != 0 && edits[i].position < reach) continue;
    reach = edits[i].position + edits[i].count;
    if (kept != i) edits[kept] = std::move(edits[i]);
    ++kept;
  }
  edits.resize(kept);
}

}  // namespace kpx
