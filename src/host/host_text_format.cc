// Host message texts with "%s" arguments.
#include "host/host_text_format.h"

namespace kpx {

std::u16string_view BoundedText(std::u16string_view text, size_t max_length) {
  if (text.size() <= max_length) return text;
  size_t cut = max_length;
  if (cut > 0 && text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;
  return text.substr(0, cut);
}

std::u16string FormatHostText(std::u16string_view text,
                              std::initializer_list<std::u16string_view> args, size_t max_length) {
  std::u16string out;
  out.reserve(text.size());
  auto next_arg = args.begin();
  for (size_t i = 0; i < text.size() && out.size() <= max_length; ++i) {
    if (text[i] != u'%' || i + 1 == text.size()) {
      out.push_back(text[i]);
      continue;
    }
    char16_t kind = text[i + 1];
    if (kind == u's') {
      if (next_arg != args.end()) out.append(*next_arg++);
      ++i;
    } else if (kind == u'%') {
      out.push_back(u'%');
      ++i;
    } else {
      out.push_back(u'%');
    }
  }
  return std::u16string(BoundedText(out, max_length));
}

}  // namespace kpx
