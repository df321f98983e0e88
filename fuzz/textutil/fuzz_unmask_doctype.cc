// unmaskDoctype on any text: it ends, leaves the edit list empty, and changes nothing in a page
// that has no DOCTYPE, masked or not.
#include "text_utility_fuzz.h"
#include "textutil/doctype_operations.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kpx::fuzzing;
  const OnlyLinearApplies linear;
  const FuzzInput input = DecodeInput(data, size);
  kpx::TextEditList edits = DirtyEditList();
  const std::u16string result = kpx::UnmaskDoctype(edits, input.page);
  CheckLeftClean(edits, false);
  if (!Contains(input.page, u"doctype")) Check(result == input.page);
  return 0;
}
