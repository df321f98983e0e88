// The pre-patch pass: rewrites a template so that the HTML cleaner leaves its template markup
// alone (protection comments, tag-content attributes, empty-span markers), captures the host's
// style name and site language into attribute values, and reports which of html, head, title
// and body the template lacks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "kpx/com.h"
#include "markup/text_scanner.h"

namespace kpx {

// Bits of the pre-patch option value.
enum PrePatchOption : int {
  kCaptureHostValues = 0x01,    // style name and site language put into attribute values
  kWriteProtections = 0x02,     // protection comments (without it only declarations)
  kTagContentAttribute = 0x04,  // brace expressions in start tags joined into kpstagcontent
  kProtectEscapedTags = 0x08,   // a tag whose quoted value escaping would change: protected whole
  kCommentElements = 0x10,      // comments marked as content become comment elements (none is)
  kSavedHostValues = 0x40,      // the style and language read from the project's saved copies
};
// The option values the operations use.
inline constexpr int kPrePatchDesign = 63;
inline constexpr int kPrePatchGeneration = 30;
inline constexpr int kPrePatchPreview = 1;
inline constexpr int kPrePatchSingleton = 101;
// All four of these set: a style attribute with a brace expression keeps its name.
inline constexpr int kKeepStyleNameBits = 0x1E;

// Result bits: what the template lacks (and the cleaner will add).
enum PrePatchResultBit : uint32_t {
  kLacksTitle = 0x1000,
  kLacksHead = 0x2000,
  kLacksHtml = 0x4000,
  kLacksBody = 0x8000,
};
inline constexpr uint32_t kPrePatchResultStart = 0xF000;

// The host's template block lookup (HostApplication position 126).
class BlockLookup {
 public:
  virtual ~BlockLookup() = default;
  // Both results -1 when the host knows nothing about the block.
  virtual void Lookup(std::u16string_view name, LONG state1, LONG state2, LONG* result1,
                      LONG* result2) = 0;
};

struct PrePatchSettings {
  int option = kPrePatchDesign;
  std::u16string style;           // the style name; empty: none
  std::u16string language;        // the site language, already cut at its first "-"; empty: none
  BlockLookup* blocks = nullptr;  // null: every block answers -1, -1
};

struct PrePatchResult {
  std::u16string text;
  uint32_t bits = kPrePatchResultStart;
};

// One pass over text, read where it stands. Never fails: a text the tokenizer cannot read further
// is passed on with its unread rest unchanged.
PrePatchResult PrePatch(BorrowedText text, const PrePatchSettings& settings);

}  // namespace kpx
