// Skipping plain text with a code-unit search.
#include "reverse/scanning.h"

#include "base/char16_search.h"
#include "markup/markup_char_classes.h"

namespace kpx {

bool SkipPlainText(DocumentScanner& scanner, bool braces) {
  if (scanner.script_mode()) return false;
  const std::u16string_view text = scanner.Text();
  const std::size_t from = scanner.Position();
  std::size_t next = FindFirstOf(text, from, u'<', braces ? u'{' : u'<', u'<');
  if (next == std::u16string_view::npos) next = text.size();
  if (next == from) return false;
  std::size_t first = from;
  while (first < next && IsBlank(text[first])) ++first;
  scanner.SetPosition(next);
  return first < next;
}

}  // namespace kpx
