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
  size_t copied = 0;  // piece is copied up to here
  for (size_t i = 0; i < piece.size(); ++i) {
    const char16_t c = piece[i];
    if (c != u'-' && c != u'&') continue;
    std::u16string_view replacement;
    if (c == u'-') {
      const bool in_run =
          (i > 0 && piece[i - 1] == u'-') || (i + 1 < piece.size() && piece[i + 1] == u'-');
      if (in_run) replacement = kHyphenEntity;
    } else if (StartsWith(piece, i, kHyphenEntity) || StartsWith(piece, i, kAmpersandEntity)) {
      replacement = kAmpersandEntity;
    }
    if (replacement.empty()) continue;
    out.append(piece.substr(copied, i - copied));
    out.append(replacement);
    copied = i + 1;
  }
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
  size_t copied = 0;  // content is copied up to here
  for (size_t i = 0; i < content.size(); ++i) {
    if (content[i] != u'&') continue;
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
    out.append(content.substr(copied, i - copied));
    out.push_back(replacement);
    copied = i + length;
    i = copied - 1;
  }
  out.append(content.substr(copied));
}

}  // namespace kpx
