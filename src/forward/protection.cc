// Protection comments: hyphen runs and the two entity markers escaped inside, inner comments
// left outside.
#include "forward/protection.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/char16_search.h"

namespace kpx {

namespace {

constexpr std::u16string_view kHyphenEntity = u"&xhyp;";
constexpr std::u16string_view kAmpersandEntity = u"&xamp;";

bool StartsWith(std::u16string_view text, size_t at, std::u16string_view prefix) {
  return text.size() - at >= prefix.size() && text.substr(at, prefix.size()) == prefix;
}

// FindText for the short texts most protections hold (a tag or two), where a plain walk costs
// less than setting up a block-wise search.
size_t FindIn(std::u16string_view text, size_t from, std::u16string_view needle) {
  constexpr size_t kShort = 32;
  if (from >= text.size() || text.size() - from < kShort) return text.find(needle, from);
  return FindText(text, from, needle);
}

// Calls visit(i) for every hyphen and ampersand of piece, in order. Eight characters are looked
// at together and each hit visited from there, so a page full of single hyphens costs no search
// call per hyphen.
template <typename Visit>
void ForEachHyphenOrAmpersand(std::u16string_view piece, Visit visit) {
  const char16_t* data = piece.data();
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i hyphen = _mm_set1_epi16(u'-');
  const __m128i ampersand = _mm_set1_epi16(u'&');
  for (; i + 8 <= piece.size(); i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    auto bits = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(v, hyphen), _mm_cmpeq_epi16(v, ampersand))));
    while (bits != 0) {
      visit(i + static_cast<unsigned>(__builtin_ctz(bits)) / 2);
      bits &= bits - 1;
      bits &= bits - 1;  // both bytes of that character
    }
  }
#endif
  for (; i < piece.size(); ++i) {
    if (data[i] == u'-' || data[i] == u'&') visit(i);
  }
}

void AppendEscaped(std::u16string& out, std::u16string_view piece) {
  out.append(kProtectionOpener);
  size_t copied = 0;  // piece is copied up to here
  ForEachHyphenOrAmpersand(piece, [&](size_t i) {
    std::u16string_view replacement;
    if (piece[i] == u'-') {
      const bool in_run =
          (i > 0 && piece[i - 1] == u'-') || (i + 1 < piece.size() && piece[i + 1] == u'-');
      if (in_run) replacement = kHyphenEntity;
    } else if (StartsWith(piece, i, kHyphenEntity) || StartsWith(piece, i, kAmpersandEntity)) {
      replacement = kAmpersandEntity;
    }
    if (replacement.empty()) return;
    out.append(piece.substr(copied, i - copied));
    out.append(replacement);
    copied = i + 1;
  });
  out.append(piece.substr(copied));
  out.append(kProtectionCloser);
}

void AppendPiece(std::u16string& out, std::u16string_view piece) {
  if (OnlyBlanks(piece)) {
    out.append(piece);
  } else {
    AppendEscaped(out, piece);
  }
}

}  // namespace

bool OnlyBlanks(std::u16string_view text) {
  for (char16_t c : text) {
    if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n') return false;
  }
  return true;
}

void AppendProtected(std::u16string& out, std::u16string_view stretch) {
  size_t from = 0;
  while (from < stretch.size()) {
    const size_t open = FindIn(stretch, from, u"<!--");
    const size_t close =
        open == std::u16string_view::npos ? open : FindIn(stretch, open + 4, u"-->");
    if (close == std::u16string_view::npos) break;  // no further complete comment
    AppendPiece(out, stretch.substr(from, open - from));
    out.append(stretch.substr(open, close + 3 - open));
    from = close + 3;
  }
  if (from < stretch.size()) AppendPiece(out, stretch.substr(from));
}

size_t WriteRestored(char16_t* out, std::u16string_view content) {
  char16_t* const start = out;
  size_t copied = 0;  // content is copied up to here
  const auto copy = [&](size_t end) {
    std::char_traits<char16_t>::move(out, content.data() + copied, end - copied);
    out += end - copied;
  };
  // Both entities start "&x", which other entities never do.
  for (size_t i = FindIn(content, 0, u"&x"); i != content.npos; i = FindIn(content, i + 1, u"&x")) {
    char16_t replacement;
    size_t length;
    if (StartsWith(content, i, kHyphenEntity)) {
      replacement = u'-';
      length = kHyphenEntity.size();
    } else if (StartsWith(content, i, kAmpersandEntity)) {
      replacement = u'&';
      length = kAmpersandEntity.size();
    } else {
      continue;
    }
    copy(i);
    *out++ = replacement;
    copied = i + length;
    i = copied - 1;
  }
  copy(content.size());
  return static_cast<size_t>(out - start);
}

void AppendRestored(std::u16string& out, std::u16string_view content) {
  const size_t size = out.size();
  out.resize(size + content.size());
  out.resize(size + WriteRestored(out.data() + size, content));
}

}  // namespace kpx
