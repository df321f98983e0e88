// prepareDoctypeForSection508 on any text: it ends, leaves the edit list empty, and in a page
// without a DOCTYPE changes nothing but the line it puts before the html tag after the prolog.
#include "text_utility_fuzz.h"
#include "textutil/doctype_operations.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kpx::fuzzing;
  const OnlyLinearApplies linear;
  const FuzzInput input = DecodeInput(data, size);
  kpx::TextEditList edits = DirtyEditList();
  const std::u16string result = kpx::PrepareDoctypeForSection508(edits, input.page);
  CheckLeftClean(edits, false);
  if (Contains(input.page, u"doctype") || result == input.page) return 0;
  const std::u16string_view line =
      u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
      u"\"http://www.w3.org/TR/html4/loose.dtd\">\r\n";
  std::u16string rest = result;
  const std::size_t at = rest.find(line);
  Check(at != std::u16string::npos);
  Check(rest.erase(at, line.size()) == input.page);
  return 0;
}
