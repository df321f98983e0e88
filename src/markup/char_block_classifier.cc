// Classification of blocks of characters into bit masks: a portable reference and variants for
// SSE2, AVX2 and AVX-512, the fastest the processor runs chosen once.
#include "markup/markup_char_classes.h"

#include <algorithm>
#include <initializer_list>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define KPX_HAVE_AVX_CLASSIFIERS 1
#endif

namespace kpx {

namespace {

// One character at a time from the class table: the reference the others must agree with.
void ClassifyPortable(const char16_t* chars, CharBlockMasks& masks) {
  masks = CharBlockMasks{};
  for (std::size_t i = 0; i < kCharBlockSize; ++i) {
    const char16_t c = chars[i];
    const uint8_t cls = CharClassOf(c);
    const uint64_t bit = uint64_t{1} << i;
    if (!(cls & (kCharWhitespace | kCharLineBreak))) masks.bits[kMaskNotBlank] |= bit;
    if (cls & kCharName) masks.bits[kMaskName] |= bit;
    if (cls & kCharNameStart) masks.bits[kMaskNameStart] |= bit;
    if ((cls & kCharDelimiter) || c == 0) masks.bits[kMaskDelimiter] |= bit;
    if (c == u'=') masks.bits[kMaskEquals] |= bit;
    if (c == u'"' || c == u'\'' || c == u'<' || c == u'%') masks.bits[kMaskStringStop] |= bit;
  }
}

#if defined(__SSE2__)

__m128i Bytes(char c) {
  return _mm_set1_epi8(c);
}

// Bytes b with lo <= b <= hi (unsigned).
__m128i InRange(__m128i b, char lo, char hi) {
  const __m128i shifted = _mm_sub_epi8(b, Bytes(lo));
  return _mm_cmpeq_epi8(_mm_min_epu8(shifted, Bytes(static_cast<char>(hi - lo))), shifted);
}

__m128i Is(__m128i b, char c) {
  return _mm_cmpeq_epi8(b, Bytes(c));
}

// Eight characters made into stand-ins below 128 of the same classes: every character above
// ASCII belongs to no class (DEL stands for it), except the two Unicode line breaks, which are
// blanks (a vertical tab stands for them).
__m128i ClassStandIns(__m128i v) {
  const __m128i clamped = _mm_sub_epi16(v, _mm_subs_epu16(v, _mm_set1_epi16(0x7F)));
  const __m128i line_break = _mm_cmpeq_epi16(
      _mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xFFFE))), _mm_set1_epi16(0x2028));
  return _mm_xor_si128(clamped, _mm_and_si128(line_break, _mm_set1_epi16(0x7F ^ 0x0B)));
}

unsigned Bits(__m128i mask) {
  return static_cast<unsigned>(_mm_movemask_epi8(mask));
}

// Sixteen characters at a time, each class as a few range and equality tests.
void ClassifySse2(const char16_t* chars, CharBlockMasks& masks) {
  __m128i v[8];
  __m128i any = _mm_setzero_si128();
  for (int i = 0; i < 8; ++i) {
    v[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chars + 8 * i));
    any = _mm_or_si128(any, v[i]);
  }
  // Pages are mostly ASCII: then the characters serve as their own stand-ins.
  const bool ascii =
      Bits(_mm_cmpeq_epi16(_mm_and_si128(any, _mm_set1_epi16(static_cast<short>(0xFF80))),
                           _mm_setzero_si128())) == 0xFFFFu;
  CharBlockMasks result{};
  for (int j = 0; j < 4; ++j) {
    __m128i low = v[2 * j];
    __m128i high = v[2 * j + 1];
    if (!ascii) {
      low = ClassStandIns(low);
      high = ClassStandIns(high);
    }
    const __m128i b = _mm_packus_epi16(low, high);
    const __m128i blank = _mm_or_si128(Is(b, ' '), InRange(b, '\t', '\r'));
    const __m128i name_start = _mm_or_si128(
        _mm_or_si128(InRange(_mm_or_si128(b, Bytes(0x20)), 'a', 'z'), InRange(b, '0', '9')),
        Is(b, '_'));
    const __m128i name =
        _mm_or_si128(name_start, _mm_or_si128(_mm_or_si128(Is(b, ':'), Is(b, '-')), Is(b, '#')));
    const __m128i quotes =
        _mm_or_si128(_mm_or_si128(Is(b, '"'), Is(b, '\'')), _mm_or_si128(Is(b, '<'), Is(b, '%')));
    const __m128i delimiter = _mm_or_si128(
        _mm_or_si128(_mm_or_si128(Is(b, '!'), Is(b, '/')), InRange(b, '>', '@')),
        _mm_or_si128(_mm_or_si128(Is(b, '{'), Is(b, '}')), _mm_or_si128(Is(b, '\0'), quotes)));
    const int shift = 16 * j;
    result.bits[kMaskNotBlank] |= static_cast<uint64_t>(~Bits(blank) & 0xFFFFu) << shift;
    result.bits[kMaskName] |= static_cast<uint64_t>(Bits(name)) << shift;
    result.bits[kMaskNameStart] |= static_cast<uint64_t>(Bits(name_start)) << shift;
    result.bits[kMaskDelimiter] |= static_cast<uint64_t>(Bits(delimiter)) << shift;
    result.bits[kMaskEquals] |= static_cast<uint64_t>(Bits(Is(b, '='))) << shift;
    result.bits[kMaskStringStop] |= static_cast<uint64_t>(Bits(quotes)) << shift;
  }
  masks = result;
}

#endif  // __SSE2__

#if defined(KPX_HAVE_AVX_CLASSIFIERS)

// Each class is a union of rectangles in the table of ASCII characters by high nibble (row) and
// low nibble (column); one bit of a byte per rectangle. Looking up a character's column in one
// table and its row in the other and keeping the bits both give says which rectangles hold it.
struct NibbleRectangle {
  uint8_t bit;
  std::initializer_list<int> rows;
  uint16_t columns;  // one bit per column
};

constexpr uint16_t Span(int first, int last) {
  uint16_t columns = 0;
  for (int c = first; c <= last; ++c) columns = static_cast<uint16_t>(columns | 1 << c);
  return columns;
}

constexpr uint16_t Each(std::initializer_list<int> list) {
  uint16_t columns = 0;
  for (int c : list) columns = static_cast<uint16_t>(columns | 1 << c);
  return columns;
}

struct NibbleTables {
  uint8_t columns[16] = {};
  uint8_t rows[16] = {};
};

constexpr NibbleTables MakeNibbleTables(std::initializer_list<NibbleRectangle> rectangles) {
  NibbleTables tables;
  for (const NibbleRectangle& r : rectangles) {
    for (int row : r.rows) tables.rows[row] |= r.bit;
    for (int c = 0; c < 16; ++c) {
      if (r.columns & 1 << c) tables.columns[c] |= r.bit;
    }
  }
  return tables;
}

// First lookup: blanks and name characters.
constexpr uint8_t kNibbleBlank = 0x03, kNibbleNameStart = 0x3C, kNibbleName = 0xFC;
constexpr NibbleTables kFirstNibbles = MakeNibbleTables({
    {0x01, {0x0}, Span(0x9, 0xD)},            // tab, line feed, vertical tab, form feed, CR
    {0x02, {0x2}, Each({0x0})},               // space
    {0x04, {0x3, 0x5, 0x7}, Span(0x0, 0x9)},  // 0-9 P-Y p-y
    {0x08, {0x5, 0x7}, Each({0xA})},          // Z z
    {0x10, {0x4, 0x6}, Span(0x1, 0xF)},       // A-O a-o
    {0x20, {0x5}, Each({0xF})},               // _
    {0x40, {0x2}, Each({0x3, 0xD})},          // # -
    {0x80, {0x3}, Each({0xA})},               // :
});
// Second lookup: what an attribute string looks at, the delimiters and 0 (their rectangles may
// take in name characters too, which are taken out again), and "=".
constexpr uint8_t kNibbleQuote = 0x03, kNibbleDelimiter = 0x3C, kNibbleEquals = 0x40;
constexpr NibbleTables kSecondNibbles = MakeNibbleTables({
    {0x01, {0x2}, Each({0x2, 0x5, 0x7})},                 // " % '
    {0x02, {0x3}, Each({0xC})},                           // <
    {0x04, {0x0, 0x4}, Each({0x0})},                      // 0 @
    {0x08, {0x2, 0x3}, Each({0x1, 0x2, 0x5, 0x7, 0xF})},  // ! " % ' / ?
    {0x10, {0x3}, Each({0xC, 0xE})},                      // < >
    {0x20, {0x7}, Each({0xB, 0xD})},                      // { }
    {0x40, {0x3}, Each({0xD})},                           // =
});

// Bit i set where byte i of bits is 0.
__attribute__((target("avx2"))) inline uint64_t ZeroBytes(__m256i bits) {
  return static_cast<uint32_t>(
      _mm256_movemask_epi8(_mm256_cmpeq_epi8(bits, _mm256_setzero_si256())));
}

__attribute__((target("avx2"))) void ClassifyAvx2(const char16_t* chars, CharBlockMasks& masks) {
  __m256i v[4];
  __m256i any = _mm256_setzero_si256();
  for (int i = 0; i < 4; ++i) {
    v[i] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(chars + 16 * i));
    any = _mm256_or_si256(any, v[i]);
  }
  if (!_mm256_testz_si256(any, _mm256_set1_epi16(static_cast<short>(0xFF80)))) {
    // Stand-ins below 128 as in ClassStandIns: DEL for every other character above ASCII, a
    // vertical tab for the two Unicode line breaks.
    for (__m256i& chunk : v) {
      const __m256i line_break =
          _mm256_cmpeq_epi16(_mm256_and_si256(chunk, _mm256_set1_epi16(static_cast<short>(0xFFFE))),
                             _mm256_set1_epi16(0x2028));
      chunk = _mm256_blendv_epi8(_mm256_min_epu16(chunk, _mm256_set1_epi16(0x7F)),
                                 _mm256_set1_epi16(0x0B), line_break);
    }
  }
  const __m256i columns1 = _mm256_broadcastsi128_si256(
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(kFirstNibbles.columns)));
  const __m256i rows1 = _mm256_broadcastsi128_si256(
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(kFirstNibbles.rows)));
  const __m256i columns2 = _mm256_broadcastsi128_si256(
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(kSecondNibbles.columns)));
  const __m256i rows2 = _mm256_broadcastsi128_si256(
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(kSecondNibbles.rows)));
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  uint64_t not_blank = 0, not_name = 0, not_name_start = 0, not_delimiter = 0, not_equals = 0,
           not_quote = 0;
  for (int j = 0; j < 2; ++j) {
    // Packing works per 128-bit lane; the permutation puts the 32 bytes back in order.
    const __m256i b = _mm256_permute4x64_epi64(_mm256_packus_epi16(v[2 * j], v[2 * j + 1]), 0xD8);
    const __m256i column = _mm256_and_si256(b, nibble);
    const __m256i row = _mm256_and_si256(_mm256_srli_epi16(b, 4), nibble);
    const __m256i first =
        _mm256_and_si256(_mm256_shuffle_epi8(columns1, column), _mm256_shuffle_epi8(rows1, row));
    const __m256i second =
        _mm256_and_si256(_mm256_shuffle_epi8(columns2, column), _mm256_shuffle_epi8(rows2, row));
    const int shift = 32 * j;
    not_blank |= ZeroBytes(_mm256_and_si256(first, _mm256_set1_epi8(kNibbleBlank))) << shift;
    not_name |= ZeroBytes(_mm256_and_si256(first, _mm256_set1_epi8(static_cast<char>(kNibbleName))))
                << shift;
    not_name_start |= ZeroBytes(_mm256_and_si256(first, _mm256_set1_epi8(kNibbleNameStart)))
                      << shift;
    not_delimiter |= ZeroBytes(_mm256_and_si256(second, _mm256_set1_epi8(kNibbleDelimiter)))
                     << shift;
    not_equals |= ZeroBytes(_mm256_and_si256(second, _mm256_set1_epi8(kNibbleEquals))) << shift;
    not_quote |= ZeroBytes(_mm256_and_si256(second, _mm256_set1_epi8(kNibbleQuote))) << shift;
  }
  masks.bits[kMaskNotBlank] = not_blank;
  masks.bits[kMaskName] = ~not_name;
  masks.bits[kMaskNameStart] = ~not_name_start;
  masks.bits[kMaskDelimiter] = ~not_delimiter & not_name;
  masks.bits[kMaskEquals] = ~not_equals;
  masks.bits[kMaskStringStop] = ~not_quote;
}

// The classes as bits of one byte per ASCII character, for a table lookup of 64 at a time.
constexpr uint8_t kByteBlank = 0x01, kByteName = 0x02, kByteNameStart = 0x04, kByteDelimiter = 0x08,
                  kByteEquals = 0x10, kByteQuote = 0x20;

struct ClassBytes {
  alignas(64) uint8_t bytes[128] = {};
};

constexpr ClassBytes MakeClassBytes() {
  ClassBytes table;
  for (int c = 0; c < 128; ++c) {
    const uint8_t cls = CharClassOf(static_cast<char16_t>(c));
    uint8_t byte = 0;
    if (cls & (kCharWhitespace | kCharLineBreak)) byte |= kByteBlank;
    if (cls & kCharName) byte |= kByteName;
    if (cls & kCharNameStart) byte |= kByteNameStart;
    if ((cls & kCharDelimiter) || c == 0) byte |= kByteDelimiter;
    if (c == '=') byte |= kByteEquals;
    if (c == '"' || c == '\'' || c == '<' || c == '%') byte |= kByteQuote;
    table.bytes[c] = byte;
  }
  return table;
}

constexpr ClassBytes kClassBytes = MakeClassBytes();

#define KPX_AVX512_TARGET __attribute__((target("avx512f,avx512bw,avx512vbmi")))

KPX_AVX512_TARGET void ClassifyAvx512(const char16_t* chars, CharBlockMasks& masks) {
  __m512i low = _mm512_loadu_si512(chars);
  __m512i high = _mm512_loadu_si512(chars + 32);
  // Stand-ins below 128 as in ClassStandIns, always: cheaper than a branch on whether a block
  // holds any character above ASCII, which pages with the odd no-break space cannot predict.
  for (__m512i* half : {&low, &high}) {
    const __mmask32 line_break = _mm512_cmpeq_epi16_mask(
        _mm512_and_si512(*half, _mm512_set1_epi16(static_cast<short>(0xFFFE))),
        _mm512_set1_epi16(0x2028));
    *half = _mm512_mask_mov_epi16(_mm512_min_epu16(*half, _mm512_set1_epi16(0x7F)), line_break,
                                  _mm512_set1_epi16(0x0B));
  }
  // The masked forms, as GCC 12 warns about the undefined vectors the plain ones start from.
  const __m512i b = _mm512_mask_inserti64x4(
      _mm512_setzero_si512(), 0xFF, _mm512_castsi256_si512(_mm512_maskz_cvtepi16_epi8(~0u, low)),
      _mm512_maskz_cvtepi16_epi8(~0u, high), 1);
  // Index bit 6 chooses the half of the table.
  const __m512i cls = _mm512_permutex2var_epi8(_mm512_load_si512(kClassBytes.bytes), b,
                                               _mm512_load_si512(kClassBytes.bytes + 64));
  const auto has = [cls](uint8_t bit) KPX_AVX512_TARGET {
    return static_cast<uint64_t>(
        _mm512_test_epi8_mask(cls, _mm512_set1_epi8(static_cast<char>(bit))));
  };
  masks.bits[kMaskNotBlank] = ~has(kByteBlank);
  masks.bits[kMaskName] = has(kByteName);
  masks.bits[kMaskNameStart] = has(kByteNameStart);
  masks.bits[kMaskDelimiter] = has(kByteDelimiter);
  masks.bits[kMaskEquals] = has(kByteEquals);
  masks.bits[kMaskStringStop] = has(kByteQuote);
}

#endif  // KPX_HAVE_AVX_CLASSIFIERS

FullCharBlockClassifier VariantFunction(CharBlockClassifier which) {
#if defined(KPX_HAVE_AVX_CLASSIFIERS)
  __builtin_cpu_init();  // in case this runs before the library's own constructors
#endif
  switch (which) {
    case CharBlockClassifier::kPortable:
      return ClassifyPortable;
    case CharBlockClassifier::kSse2:
#if defined(__SSE2__)
      return ClassifySse2;
#else
      return nullptr;
#endif
    case CharBlockClassifier::kAvx2:
#if defined(KPX_HAVE_AVX_CLASSIFIERS)
      return __builtin_cpu_supports("avx2") ? ClassifyAvx2 : nullptr;
#else
      return nullptr;
#endif
    case CharBlockClassifier::kAvx512:
#if defined(KPX_HAVE_AVX_CLASSIFIERS)
      return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi")
                 ? ClassifyAvx512
                 : nullptr;
#else
      return nullptr;
#endif
  }
  return nullptr;
}

FullCharBlockClassifier BestClassifier() {
  static const FullCharBlockClassifier best = [] {
    for (CharBlockClassifier which :
         {CharBlockClassifier::kAvx512, CharBlockClassifier::kAvx2, CharBlockClassifier::kSse2}) {
      if (FullCharBlockClassifier f = VariantFunction(which)) return f;
    }
    return &ClassifyPortable;
  }();
  return best;
}

void Classify(FullCharBlockClassifier classify, const char16_t* chars, std::size_t count,
              CharBlockMasks& masks) {
  if (count >= kCharBlockSize) {
    classify(chars, masks);
    return;
  }
  // The end of the text: a zero-padded copy, whose zeros also stop attribute strings.
  char16_t padded[kCharBlockSize] = {};
  std::copy(chars, chars + count, padded);
  classify(padded, masks);
  masks.bits[kMaskStringStop] |= ~uint64_t{0} << count;
}

}  // namespace

void ClassifyCharBlock(const char16_t* chars, std::size_t count, CharBlockMasks& masks) {
  Classify(BestClassifier(), chars, count, masks);
}

FullCharBlockClassifier FastestFullCharBlockClassifier() {
  return BestClassifier();
}

bool CharBlockClassifierUsable(CharBlockClassifier which) {
  return VariantFunction(which) != nullptr;
}

void ClassifyCharBlockWith(CharBlockClassifier which, const char16_t* chars, std::size_t count,
                           CharBlockMasks& masks) {
  const FullCharBlockClassifier classify = VariantFunction(which);
  Classify(classify != nullptr ? classify : ClassifyPortable, chars, count, masks);
}

}  // namespace kpx
