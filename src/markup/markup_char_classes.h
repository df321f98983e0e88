// Character classes of the markup tokenizer: one constexpr table for ASCII, fixed answers above
// it; and the classes of a block of characters as bit masks (char_block_classifier.cc).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kpx {

enum MarkupCharClass : uint8_t {
  kCharWhitespace = 1 << 0,     // tab, vertical tab, form feed, space
  kCharLineBreak = 1 << 1,      // line feed, carriage return, U+2028, U+2029
  kCharName = 1 << 2,           // ASCII letters, digits and "_-#:"
  kCharNameStart = 1 << 3,      // name characters that may start a Name ("-#:" may not)
  kCharDelimiter = 1 << 4,      // "\"'<>{}/!?@%"
  kCharQuoteFollower = 1 << 5,  // ">/!?@%{": may stand right after a closing attribute quote
  kCharAsciiLetter = 1 << 6,
};

namespace markup_detail {

constexpr std::array<uint8_t, 128> MakeCharClassTable() {
  std::array<uint8_t, 128> table{};
  for (char c : {'\t', '\v', '\f', ' '}) table[static_cast<unsigned char>(c)] |= kCharWhitespace;
  for (char c : {'\n', '\r'}) table[static_cast<unsigned char>(c)] |= kCharLineBreak;
  for (int c = 'a'; c <= 'z'; ++c) table[c] |= kCharName | kCharNameStart | kCharAsciiLetter;
  for (int c = 'A'; c <= 'Z'; ++c) table[c] |= kCharName | kCharNameStart | kCharAsciiLetter;
  for (int c = '0'; c <= '9'; ++c) table[c] |= kCharName | kCharNameStart;
  table['_'] |= kCharName | kCharNameStart;
  for (char c : {'-', '#', ':'}) table[static_cast<unsigned char>(c)] |= kCharName;
  for (char c : {'"', '\'', '<', '>', '{', '}', '/', '!', '?', '@', '%'}) {
    table[static_cast<unsigned char>(c)] |= kCharDelimiter;
  }
  for (char c : {'>', '/', '!', '?', '@', '%', '{'}) {
    table[static_cast<unsigned char>(c)] |= kCharQuoteFollower;
  }
  return table;
}

inline constexpr std::array<uint8_t, 128> kCharClassTable = MakeCharClassTable();

}  // namespace markup_detail

// Every character at or above 128 is outside all classes except the two Unicode line breaks.
constexpr uint8_t CharClassOf(char16_t c) {
  if (c < 128) return markup_detail::kCharClassTable[c];
  return (c == 0x2028 || c == 0x2029) ? kCharLineBreak : 0;
}

constexpr bool HasCharClass(char16_t c, uint8_t classes) {
  return (CharClassOf(c) & classes) != 0;
}

constexpr bool IsBlank(char16_t c) {
  return c < 128 ? (markup_detail::kCharClassTable[c] & (kCharWhitespace | kCharLineBreak)) != 0
                 : (c == 0x2028 || c == 0x2029);
}

constexpr bool IsNameChar(char16_t c) {
  return c < 128 && (markup_detail::kCharClassTable[c] & kCharName) != 0;
}

// Class bits of a block of characters, one bit per character (bit i for the block's character
// i), so that the end of a run is found with one bit search instead of a branch per character:
// where words and blanks end is what the processor cannot predict.
inline constexpr std::size_t kCharBlockSize = 64;

enum CharBlockMask : uint8_t {
  kMaskNotBlank = 0,    // neither whitespace nor a line break
  kMaskName = 1,        // a name character
  kMaskNameStart = 2,   // a name character that may start a Name
  kMaskDelimiter = 3,   // a delimiter or 0
  kMaskEquals = 4,      // "="
  kMaskStringStop = 5,  // "\"", "'", "<" or "%": what an attribute string has to look at
  kCharBlockMaskCount = 6,
};

struct CharBlockMasks {
  uint64_t bits[kCharBlockMaskCount];
};

// Classifies chars[0, count), count at most kCharBlockSize. From count on every position counts
// as a 0 that also stops an attribute string, so searches stop at the end of the text. Uses the
// fastest variant the processor supports.
void ClassifyCharBlock(const char16_t* chars, std::size_t count, CharBlockMasks& masks);

// The fastest variant for exactly kCharBlockSize characters, for callers that classify many
// blocks (one look-up of the processor's features instead of one per block).
using FullCharBlockClassifier = void (*)(const char16_t* chars, CharBlockMasks& masks);
FullCharBlockClassifier FastestFullCharBlockClassifier();

// The variants of the block classifier, for tests that hold each against the class table.
enum class CharBlockClassifier : uint8_t { kPortable, kSse2, kAvx2, kAvx512 };
// Whether this build has the variant and the processor runs it.
bool CharBlockClassifierUsable(CharBlockClassifier which);
// ClassifyCharBlock with the given variant, which must be usable.
void ClassifyCharBlockWith(CharBlockClassifier which, const char16_t* chars, std::size_t count,
                           CharBlockMasks& masks);

// Letters and digits of any script (for the look-ahead after a closing attribute quote).
bool IsUnicodeLetterOrDigit(char32_t c);

}  // namespace kpx
