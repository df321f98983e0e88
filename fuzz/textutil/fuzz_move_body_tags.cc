// moveBodyTags on any text: it ends, the edit list is left empty, the escaping switch comes back
// as it was, and the result holds exactly the characters of the page (tags only move).
#include <algorithm>

#include "text_utility_fuzz.h"
#include "textutil/head_body_balancing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kpx::fuzzing;
  const OnlyLinearApplies linear;
  const FuzzInput input = DecodeInput(data, size);
  kpx::TextEditList edits = DirtyEditList();
  std::u16string result = kpx::MoveBodyTags(edits, input.page);
  CheckLeftClean(edits, false);
  std::u16string page = input.page;
  std::sort(result.begin(), result.end());
  std::sort(page.begin(), page.end());
  Check(result == page);
  return 0;
}
