// The pre-processing's attribute rules: what one start tag's attributes become.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "kpx/com.h"
#include "markup/tag_record.h"
#include "reverse/file_urls.h"
#include "reverse/tag_edits.h"
#include "reverse/tag_names.h"

namespace kpx {

struct AttributeFindings {
  bool listed_font = false;  // a font tag whose colour is in the list
  LONG component_id = 0;     // a decimal kpsId (0: none)
  bool serviceable = false;  // a kpsServiceable attribute, whatever its value
  bool marker = false;       // an isBegin attribute, whatever its value
};

// Appends the edits of tag's attributes (read from text with attribute escaping off) to edits:
// href and src values made relative, braces decoded, kpsXStyle renamed; what the attributes tell
// goes to found (reset first: written in place, which a returned record's bytes would not be as
// cheaply). element is the tag's name as ClassifyTagName gives it; colours as RemovedFontColours
// gives them.
void RepairAttributes(std::u16string_view text, const TagRecord& tag, TagKind element,
                      const PathContext& paths, const std::vector<std::u16string>& colours,
                      std::vector<BackEdit>& edits, AttributeFindings& found);

}  // namespace kpx
