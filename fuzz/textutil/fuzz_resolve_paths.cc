// resolvePaths on any text with any path: nothing but the prefix is ever added, and only right
// at the start of an attribute value. Two runs with prefixes of the same length that differ in
// their first character show where each one went.
#include "markup/markup_char_classes.h"
#include "text_utility_fuzz.h"
#include "textutil/path_resolution.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kpx::fuzzing;
  const OnlyLinearApplies linear;
  const FuzzInput input = DecodeInput(data, size);
  if (input.has_second) {
    const std::u16string any = kpx::ResolvePaths(input.page, input.second);
    if (input.second.empty()) Check(any == input.page);
  }
  const std::u16string a = kpx::ResolvePaths(input.page, u"a");
  const std::u16string b = kpx::ResolvePaths(input.page, u"b/");
  Check(a.size() == b.size());
  std::u16string back;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] == b[i]) {
      back.push_back(a[i]);
      continue;
    }
    // "a/" against "b/", right after the start of a value.
    Check(a[i] == u'a' && b[i] == u'b' && i + 1 < a.size() && a[i + 1] == u'/');
    Check(i > 0 &&
          (a[i - 1] == u'=' || a[i - 1] == u'"' || a[i - 1] == u'\'' || kpx::IsBlank(a[i - 1])));
    ++i;
  }
  Check(back == input.page);
  return 0;
}
