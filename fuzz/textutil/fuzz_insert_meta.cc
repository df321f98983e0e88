// insertMETA on any text with any META text: the result is the page with the META inserted at
// one place, and nothing else changed.
#include "text_utility_fuzz.h"
#include "textutil/meta_insertion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kpx::fuzzing;
  const OnlyLinearApplies linear;
  const FuzzInput input = DecodeInput(data, size);
  const std::u16string meta = input.has_second ? input.second : u"<meta name=\"x\" content=\"y\">";
  kpx::TextEditList edits = DirtyEditList();
  const std::u16string result = kpx::InsertMeta(edits, input.page, meta);
  CheckLeftClean(edits, false);
  const std::u16string& page = input.page;
  Check(result.size() == page.size() + meta.size());
  // The result must be page[0, at) + meta + page[at, end) for an offset at that lies within
  // both the common start and the common end of the two texts.
  std::size_t head = 0;
  while (head < page.size() && result[head] == page[head]) ++head;
  std::size_t tail = 0;
  while (tail < page.size() && result[result.size() - 1 - tail] == page[page.size() - 1 - tail]) {
    ++tail;
  }
  bool found = false;
  for (std::size_t at = page.size() - tail; at <= head && !found; ++at) {
    found = result.compare(at, meta.size(), meta) == 0;
  }
  Check(found);
  return 0;
}
