// The writer's edits inside a tag that stays literal text: lower-cased names, unwrapped
// kpstagcontent attributes and dynamic style paths.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "markup/tag_record.h"

namespace kpx {

struct BackEdit {
  enum Kind : unsigned char { kErase, kLowerCase, kReplace };
  BackEdit() = default;
  // Made in place (emplace_back): a temporary copied into a vector costs a stalled load.
  BackEdit(Kind edit_kind, std::size_t edit_position, std::size_t edit_count,
           std::u16string edit_text = {})
      : kind(edit_kind), position(edit_position), count(edit_count), text(std::move(edit_text)) {}

  Kind kind = kErase;
  std::size_t position = 0;
  std::size_t count = 0;
  std::u16string text;  // replace only
};

// Where an attribute's value lies in the text: [begin, begin + size) between its quotes (or the
// bare value). Null when the record does not match the text (a value the tag parser made).
struct ValueSpan {
  std::size_t begin = 0;
  std::size_t size = 0;
};
bool FindValueSpan(std::u16string_view text, const AttributeRecord& attribute, ValueSpan* span);

// The attributes that name a path to rewrite: the first kpsDynamicStyle and the first kpsI18Ned
// of a tag (null: none).
struct PathMarkers {
  const AttributeRecord* dynamic_style = nullptr;
  const AttributeRecord* i18ned = nullptr;
};

// What the writer does to a start tag that stays in the output, in position order, into edits
// (cleared first). candidate: the element name and every attribute name are lower-cased, and
// kpstagcontent is unwrapped (a tag that carries one is always a candidate).
// site_language: the language segment kpsI18Ned marks (empty: none). The tag must have been read
// from text with attribute escaping off, so that its values are the text's own.
void LiteralTagEdits(std::u16string_view text, const TagRecord& tag, bool candidate,
                     const PathMarkers& markers, std::u16string_view site_language,
                     std::vector<BackEdit>& edits);

}  // namespace kpx
