#include "textutil/attribute_value_span.h"

#include <algorithm>

#include "markup/markup_char_classes.h"

namespace kpx {

AttributeValueSpan FindAttributeValueSpan(std::u16string_view text, const TagRecord& tag,
                                          const AttributeRecord& attribute, const TagExtent& extent,
                                          std::span<const TextEdit> tag_edits) {
  AttributeValueSpan span;
  span.begin = std::min(attribute.value_position, text.size());
  std::size_t next = extent.closed() ? extent.insert_point : text.size();
  for (const AttributeRecord& other : tag.attributes) {
    if (other.name_position > span.begin) next = std::min(next, other.name_position);
  }
  for (const JunkRange& junk : tag.junk_ranges) {
    if (junk.start > span.begin) next = std::min(next, junk.start);
  }
  // A deleted duplicate attribute starts with a name character (escaping deletes "&<>" only).
  for (const TextEdit& edit : tag_edits) {
    if (edit.kind == EditKind::kDelete && edit.position > span.begin && edit.position < next &&
        HasCharClass(text[edit.position], kCharNameStart)) {
      next = edit.position;
    }
  }
  next = std::max(std::min(next, text.size()), span.begin);
  span.end = next;
  while (span.end > span.begin && IsBlank(text[span.end - 1])) --span.end;
  if (attribute.equals_position == 0) span.end = span.begin;
  const char16_t quote = attribute.quote_kind == QuoteKind::kDouble       ? u'"'
                         : attribute.quote_kind == QuoteKind::kApostrophe ? u'\''
                                                                          : u'\0';
  span.quotes_closed = quote != u'\0' && span.end - span.begin >= 2 && text[span.end - 1] == quote;
  return span;
}

}  // namespace kpx
