// maskDoctype on any text: it ends, leaves the edit list empty, changes nothing in a page that
// has no DOCTYPE, and what it masked unmasking brings back.
#include "text_utility_fuzz.h"
#include "textutil/doctype_operations.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kpx::fuzzing;
  const OnlyLinearApplies linear;
  const FuzzInput input = DecodeInput(data, size);
  kpx::TextEditList edits = DirtyEditList();
  const std::u16string masked = kpx::MaskDoctype(edits, input.page);
  CheckLeftClean(edits, false);
  if (!Contains(input.page, u"doctype")) {
    Check(masked == input.page);
    return 0;
  }
  // Unmasking the result brings the masked keywords back.
  const std::u16string unmasked = kpx::UnmaskDoctype(edits, masked);
  CheckLeftClean(edits, false);
  auto masks = [](std::u16string_view text) {
    std::size_t count = 0;
    for (std::size_t at = text.find(u"KPSDOCTYPE"); at != std::u16string_view::npos;
         at = text.find(u"KPSDOCTYPE", at + 1)) {
      ++count;
    }
    return count;
  };
  if (masked != input.page) Check(masks(unmasked) < masks(masked));
  return 0;
}
