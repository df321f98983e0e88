// Protection comments: hyphen runs and the two entity markers escaped inside, inner comments
// left outside.
#include "forward/protection.h"

namespace kpx {

namespace {

constexpr std::u16string_view kHyphenEntity = u"&xhyp;";
constexpr std::u16string_view kAmpersandEntity = u"&xamp;";

bool StartsWith(std::u16string_view text, size_t at, std::u16string_view prefix) {
  return text.size() - at >= prefix.size() && text.substr(at, prefix.size()) == prefix;
}

void AppendEscaped(std::u16string& out, std::u16string_view piece) {
  out.append(kProtectionOpener);
  for (size_t i = 0; i < piece.size(); ++i) {
    const char16_t c = piece[i];
    if (c == u'-') {
      const bool in_run =
          (i > 0 && piece[i - 1] == u'-') || (i + 1 < piece.size() && piece[i + 1] == u'-');
      if (in_run) {
        out.append(kHyphenEntity);
        continue;
      }
    } else if (c == u'&' &&
               (StartsWith(piece, i, kHyphenEntity) || StartsWith(piece, i, kAmpersandEntity))) {
      out.append(kAmpersandEntity);
      continue;
    }
    out.push_back(c);
  }
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
    const size_t open = stretch.find(u"<!--", from);
    const size_t close = open == std::u16string_view::npos ? open : stretch.find(u"-->", open + 4);
    if (close == std::u16string_view::npos) break;  // no further complete comment
    AppendPiece(out, stretch.substr(from, open - from));
    out.append(stretch.substr(open, close + 3 - open));
    from = close + 3;
  }
  if (from < stretch.size()) AppendPiece(out, stretch.substr(from));
}

void AppendRestored(std::u16string& out, std::u16string_view content) {
  for (size_t i = 0; i < content.size(); ++i) {
    if (content[i] == u'&') {
      if (StartsWith(content, i, kHyphenEntity)) {
        out.push_back(u'-');
        i += kHyphenEntity.size() - 1;
        continue;
      }
      if (StartsWith(content, i, kAmpersandEntity)) {
        out.push_back(u'&');
        i += kAmpersandEntity.size() - 1;
        continue;
      }
    }
    out.push_back(content[i]);
  }
}

}  // namespace kpx
