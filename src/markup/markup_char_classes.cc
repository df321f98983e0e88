// Unicode letter and digit test used by the attribute-string look-ahead.
#include "markup/markup_char_classes.h"

#include <locale.h>
#include <wctype.h>

namespace kpx {

namespace {

// The C.UTF-8 locale classifies every Unicode character; it is built into the C library, so
// it is always there. Made once, never freed (process lifetime).
locale_t UnicodeLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return locale;
}

}  // namespace

bool IsUnicodeLetterOrDigit(char32_t c) {
  if (c < 128)
    return HasCharClass(static_cast<char16_t>(c), kCharAsciiLetter) || (c >= '0' && c <= '9');
  if (c >= 0xD800 && c <= 0xDFFF) return false;  // a lone surrogate is no character
  locale_t locale = UnicodeLocale();
  if (locale == static_cast<locale_t>(0)) return false;
  return iswalnum_l(static_cast<wint_t>(c), locale) != 0;
}

}  // namespace kpx
