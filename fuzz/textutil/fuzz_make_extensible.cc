// makeExtensible's conversion on any text, in each publish mode: it ends, the edits apply, the
// edit list is left empty, the result does not depend on what the list held before, and a page
// without markup comes back as it was.
#include "text_utility_fuzz.h"
#include "textutil/xhtml_conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kpx::fuzzing;
  const OnlyLinearApplies linear;
  const FuzzInput input = DecodeInput(data, size);
  const std::int16_t modes[] = {kpx::kPublishModeOff, kpx::kPublishModeOn, 1};
  const std::int16_t mode = modes[(input.settings & 0x03) % 3];
  kpx::TextEditList edits = DirtyEditList();
  const std::u16string result = kpx::ConvertToXhtml(edits, input.page, mode);
  CheckLeftClean(edits, false);
  kpx::TextEditList clean;
  Check(kpx::ConvertToXhtml(clean, input.page, mode) == result);
  if (input.page.find(u'<') == std::u16string::npos) Check(result == input.page);
  return 0;
}
