// Where the source text of an attribute value lies in the tag the scanner read, so that an
// operation can replace the value, quotes and all.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "markup/tag_record.h"
#include "markup/text_edit_list.h"
#include "textutil/tag_extent.h"

namespace kpx {

struct AttributeValueSpan {
  std::size_t begin = 0;       // the opening quote of a quoted value, else its first character
  std::size_t end = 0;         // just after the closing quote, or the last character
  bool quotes_closed = false;  // written between two matching quotes
};

// The value of attribute, one of tag's attributes. The value ends where the next thing in the
// tag starts (another attribute, junk, a placeholder, the "/" of "/>", the closing token, or a
// duplicate attribute that the tag parser deleted: tag_edits, the edits recorded while the tag
// was read, show where), less the whitespace before it. A value written without "=" has an
// empty span just after the attribute's name.
AttributeValueSpan FindAttributeValueSpan(std::u16string_view text, const TagRecord& tag,
                                          const AttributeRecord& attribute, const TagExtent& extent,
                                          std::span<const TextEdit> tag_edits);

}  // namespace kpx
