// Reading a template with the document scanner: in place, and passing over the plain text between
// the items the back transformation's passes look at.
#pragma once

#include <string_view>

#include "markup/document_scanner.h"

namespace kpx {

// A text for a scanner that reads it in place: text must be followed by a 0 (a system string's
// text, or a whole string).
inline BorrowedText ScannableText(std::u16string_view text) {
  return BorrowedText::ZeroTerminated(text.data() ? text : std::u16string_view(u""));
}

// Moves the scanner from its position (between two items) to the next "<", or the next "<" or
// "{" with braces, when reading the text between item by item would come to the same: outside
// script mode no text token spans either character and no text item changes the scanner's state,
// so the passes miss nothing but words and punctuation. Returns whether anything but blanks was
// passed over (text items a reader would have seen).
bool SkipPlainText(DocumentScanner& scanner, bool braces);
// The same, quicker where an item starts right away with "<" (tags one after the other).
inline bool SkipPlainTextBefore(DocumentScanner& scanner, bool braces) {
  const std::size_t at = scanner.Position();
  if (at >= scanner.Length() || scanner.Text()[at] == u'<') return false;
  return SkipPlainText(scanner, braces);
}

}  // namespace kpx
