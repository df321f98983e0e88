// The attribute step of the pre-patch pass: one start tag rewritten (renamed attributes, captured
// host values, brace expressions gathered into an attribute) and what the tag turned out to be.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "forward/pre_patch.h"
#include "markup/tag_record.h"

namespace kpx {

// A rewritten tag's edit: length source characters at position replaced by text.
struct TagEdit {
  size_t position;
  size_t length;
  std::u16string text;
};

// Buffers kept from tag to tag, so that a tag that needs no change costs no allocation.
struct TagScratch {
  std::vector<TagEdit> edits;
  std::u16string appended;
  std::u16string text;
};

struct StartTagFacts {
  std::u16string_view text;        // the tag as written out: the source, or scratch.text
  bool template_tag = false;       // name, href, value or src holds a brace expression
  bool whole = false;              // to be protected whole (content-type meta, escaping)
  bool content_type_meta = false;  // a meta http-equiv="content-type"
  bool tag_content = false;        // received kpstagcontent or kpscheckedattr
};

// source: the whole text; the tag spans [tag.tag_start, tag_end).
StartTagFacts RewriteStartTag(std::u16string_view source, const TagRecord& tag, size_t tag_end,
                              const PrePatchSettings& settings, TagScratch& scratch);

}  // namespace kpx
