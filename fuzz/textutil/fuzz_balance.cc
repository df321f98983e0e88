// balance on any text: it ends, the edit list is left empty, the escaping switch comes back as it
// was, a page without a head only loses characters (duplicate tags), and the pipeline's
// balancing, which copies only a page it changes, gives the same text.
#include "text_utility_fuzz.h"
#include "textutil/head_body_balancing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kpx::fuzzing;
  const OnlyLinearApplies linear;
  const FuzzInput input = DecodeInput(data, size);
  const bool escaping_off = input.settings & 0x01;
  kpx::ScopedAttributeEscapingOff outside(escaping_off);
  kpx::TextEditList edits = DirtyEditList();
  const std::u16string result = kpx::BalanceHeadAndBody(edits, input.page);
  CheckLeftClean(edits, escaping_off);
  if (!Contains(input.page, u"head")) Check(IsSubsequence(result, input.page));
  if (input.page.find(u'<') == std::u16string::npos) Check(result == input.page);
  // The pipeline's way: the same text, and the page itself when nothing changed.
  std::u16string balanced;
  const bool changed = kpx::BalanceHeadAndBodyIfNeeded(edits, input.page, &balanced);
  CheckLeftClean(edits, escaping_off);
  Check((changed ? balanced : input.page) == result);
  return 0;
}
