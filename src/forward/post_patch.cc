// The post-patch pass and the empty-span cleanup: each one walk over the text, copying what it
// keeps into a new text.
#include "forward/post_patch.h"

#include <algorithm>
#include <vector>

#include "base/ascii_case.h"
#include "base/char16_search.h"
#include "forward/pre_patch.h"
#include "forward/protection.h"
#include "markup/attribute_escaping.h"
#include "markup/document_scanner.h"

namespace kpx {

namespace {

constexpr std::u16string_view kEmptySpanMarker = u" kpsEmptySpan=\"true\"";
constexpr std::u16string_view kNbsp = u"&nbsp;";

bool StartsAt(std::u16string_view text, size_t at, std::u16string_view prefix) {
  return text.size() - at >= prefix.size() && text.substr(at, prefix.size()) == prefix;
}

bool Is(std::u16string_view name, std::u16string_view wanted) {
  return EqualsIgnoringAsciiCase(name, wanted);
}
// For a literal, whose length is then known without counting it on every call.
template <size_t N>
bool Is(std::u16string_view name, const char16_t (&wanted)[N]) {
  return EqualsIgnoringAsciiCase(name, std::u16string_view(wanted, N - 1));
}

// A cut out of the text: [begin, end) left out.
struct Cut {
  size_t begin;
  size_t end;
};

// The end of a quoted value that starts with its quote at quote (just past the closing quote),
// searched no further than limit; 0 when it does not close there.
size_t QuotedValueEnd(std::u16string_view text, size_t quote, size_t limit) {
  if (quote >= limit || (text[quote] != u'"' && text[quote] != u'\'')) return 0;
  for (size_t i = quote + 1; i < limit; ++i) {
    if (text[i] == text[quote]) return i + 1;
  }
  return 0;
}

// The cuts that undo the attribute protections of one start tag [start, end).
void AttributeCuts(std::u16string_view text, const TagRecord& tag, size_t end,
                   std::vector<Cut>& cuts) {
  const bool span = Is(tag.name.View(), u"span");
  for (const AttributeRecord& attribute : tag.attributes) {
    if (!attribute.from_source || attribute.name_position < tag.tag_start ||
        attribute.name_position >= end) {
      continue;
    }
    const std::u16string_view name = attribute.name.View();
    const size_t at = attribute.name_position;
    if (Is(name, u"kpsxmlns")) {
      cuts.push_back({at, at + 3});
    } else if (Is(name, u"kpstagcontent") && attribute.quote_kind == QuoteKind::kDouble &&
               attribute.equals_position == at + name.size()) {
      const size_t close = QuotedValueEnd(text, attribute.value_position, end);
      if (close == 0) continue;
      cuts.push_back({at, attribute.value_position + 1});
      cuts.push_back({close - 1, close});
    } else if (span && Is(name, u"kpsemptyspan")) {
      size_t from = at;
      if (from > tag.tag_start && (text[from - 1] == u' ' || text[from - 1] == u'\t')) --from;
      size_t to = at + name.size();
      if (attribute.equals_position != 0) {
        const size_t close = QuotedValueEnd(text, attribute.value_position, end);
        to = close != 0 ? close : to;
      }
      cuts.push_back({from, to});
      if (StartsAt(text, end, kNbsp)) cuts.push_back({end, end + kNbsp.size()});
    }
  }
}

// Keeps pieces of a text in order, each moved to where the kept text ends: never past where it
// stood, so a pass can read on ahead of what it has written.
class InPlaceWriter {
 public:
  explicit InPlaceWriter(std::u16string& text) : text_(text) {}
  // Keeps [begin, end), which lies at or after everything kept so far.
  void Keep(size_t begin, size_t end) {
    if (begin != kept_) {
      std::char_traits<char16_t>::move(text_.data() + kept_, text_.data() + begin, end - begin);
    }
    kept_ += end - begin;
  }
  char16_t* End() { return text_.data() + kept_; }
  void Advance(size_t count) { kept_ += count; }
  void Finish() { text_.resize(kept_); }

 private:
  std::u16string& text_;
  size_t kept_ = 0;
};

// Applies cuts in position order, none before the end of the one before it.
void ApplyCuts(std::u16string& text, const std::vector<Cut>& cuts) {
  if (cuts.empty()) return;
  InPlaceWriter writer(text);
  size_t copied = 0;
  for (const Cut& cut : cuts) {
    writer.Keep(copied, cut.begin);
    copied = cut.end;
  }
  writer.Keep(copied, text.size());
  writer.Finish();
}

}  // namespace

void CleanUpEmptySpansInPlace(std::u16string& source) {
  // The marker's value, "="true"", is rare in pages: it is what the walk looks for, and the name
  // before it is then compared in any letter case. Only what lies behind copied is written.
  constexpr std::u16string_view kValue = u"=\"true\"";
  const size_t name_length = kEmptySpanMarker.size() - kValue.size();
  const std::u16string_view text(source);
  InPlaceWriter writer(source);
  size_t copied = 0;  // text is kept up to here
  for (size_t at = FindText(text, 0, kValue); at != text.npos;
       at = FindText(text, at + 1, kValue)) {
    if (at < copied + name_length ||
        !EqualsIgnoringAsciiCase(text.substr(at - name_length, name_length),
                                 kEmptySpanMarker.substr(0, name_length))) {
      continue;
    }
    writer.Keep(copied, at - name_length);
    // On to just past the next ">", then an "&nbsp;" there goes too.
    size_t next = at + kValue.size();
    const size_t close = FindChar(text, next, u'>');
    next = close == text.npos ? text.size() : close + 1;
    writer.Keep(at + kValue.size(), next);
    if (StartsAt(text, next, kNbsp)) next += kNbsp.size();
    copied = next;
    at = next - 1;
  }
  if (copied == 0) return;  // nothing cut
  writer.Keep(copied, text.size());
  writer.Finish();
}

std::u16string CleanUpEmptySpans(std::u16string_view text) {
  std::u16string out(text);
  CleanUpEmptySpansInPlace(out);
  return out;
}

namespace {

// Protection comments unwrapped wherever the cleaner left them (in text, in a script, even in an
// attribute value). Their content holds no "--", so the first "-->" after an opener closes it;
// the last "-->" found is remembered, so no stretch is searched twice. Only what lies behind
// copied is written.
void UnwrapProtections(std::u16string& source) {
  const std::u16string_view text(source);
  InPlaceWriter writer(source);
  size_t copied = 0;  // text is kept up to here
  size_t closer = 0;  // the first "-->" at or after the last opener searched from
  bool closer_known = false;
  bool unwrapped = false;
  for (size_t open = FindText(text, 0, kProtectionOpener); open != text.npos;
       open = FindText(text, std::max(open + 1, copied), kProtectionOpener)) {
    const size_t content = open + kProtectionOpener.size();
    if (!closer_known || (closer != text.npos && closer < content)) {
      closer = FindText(text, content, u"-->");
      closer_known = true;
    }
    if (closer == text.npos) break;
    const size_t end = closer + 3;
    if (end - content < kProtectionCloser.size() ||
        text.substr(end - kProtectionCloser.size(), kProtectionCloser.size()) !=
            kProtectionCloser) {
      continue;
    }
    writer.Keep(copied, open);
    writer.Advance(WriteRestored(writer.End(),
                                 text.substr(content, end - kProtectionCloser.size() - content)));
    copied = end;
    unwrapped = true;
  }
  if (!unwrapped) return;
  writer.Keep(copied, text.size());
  writer.Finish();
}

// The start of the last attribute name the pre-patch pass writes (in any letter case), npos when
// there is none.
size_t LastProtectedAttribute(std::u16string_view text) {
  size_t last = text.npos;
  for (size_t at = FindTextIgnoringAsciiCase(text, 0, u"kps"); at != text.npos;
       at = FindTextIgnoringAsciiCase(text, at + 1, u"kps")) {
    const std::u16string_view rest = text.substr(at);
    if (StartsWithIgnoringAsciiCase(rest, u"kpsxmlns") ||
        StartsWithIgnoringAsciiCase(rest, u"kpstagcontent") ||
        StartsWithIgnoringAsciiCase(rest, u"kpsemptyspan")) {
      last = at;
    }
  }
  return last;
}

// The attribute protections undone: one walk over the start tags, which now include those that
// were inside protection comments, up to the last tag that can hold one.
void RestoreAttributes(std::u16string& source) {
  const size_t last = LastProtectedAttribute(source);
  if (last == source.npos) return;
  const std::u16string_view text(source);
  std::vector<Cut> cuts;
  {
    ScopedAttributeEscapingOff raw_values;
    DocumentScanner scanner(BorrowedText{source});
    scanner.set_record_repairs(false);
    size_t copied = 0;  // the end of the last cut
    std::vector<Cut> tag_cuts;
    for (MarkupItem item = scanner.NextItem(); item != MarkupItem::kEnd;
         item = scanner.NextItem()) {
      if (item == MarkupItem::kText && scanner.LastTokenKind() == LexToken::kAbort) break;
      const size_t start = scanner.ItemStart();
      if (start > last) break;  // no tag from here on holds such a name
      if (item != MarkupItem::kTag || scanner.Tag().end_tag || scanner.TagStart() != start ||
          start < copied) {
        continue;
      }
      tag_cuts.clear();
      AttributeCuts(text, scanner.Tag(), scanner.ItemEnd(), tag_cuts);
      for (const Cut& cut : tag_cuts) {  // in position order: attributes are in source order
        if (cut.begin < copied) continue;
        cuts.push_back(cut);
        copied = cut.end;
      }
    }
  }
  ApplyCuts(source, cuts);
}

}  // namespace

void PostPatchInPlace(std::u16string& text) {
  UnwrapProtections(text);
  RestoreAttributes(text);
}

std::u16string PostPatch(std::u16string_view text) {
  std::u16string out(text);
  PostPatchInPlace(out);
  return out;
}

std::u16string DropAddedDocumentParts(std::u16string source, uint32_t result_bits) {
  if ((result_bits & kPrePatchResultStart) == 0) return source;
  const std::u16string_view text(source);
  std::vector<Cut> cuts;
  {
    DocumentScanner scanner(BorrowedText{source});
    scanner.set_record_repairs(false);
    size_t copied = 0;
    size_t title_start = std::u16string::npos;  // inside a title being left out
    std::u16string raw_name;
    for (MarkupItem item = scanner.NextItem(); item != MarkupItem::kEnd;
         item = scanner.NextItem()) {
      if (item != MarkupItem::kTag || scanner.TagStart() != scanner.ItemStart()) continue;
      const TagRecord& tag = scanner.Tag();
      const std::u16string_view name = tag.name.View();
      if (!raw_name.empty()) {
        if (tag.end_tag && Is(name, raw_name)) raw_name.clear();
        continue;
      }
      if (!tag.end_tag && (Is(name, u"script") || Is(name, u"style")) && !tag.self_closing) {
        raw_name.assign(name);
        continue;
      }
      const size_t start = scanner.ItemStart();
      if (start < copied) continue;
      size_t cut_start = start;
      bool drop = false;
      if (Is(name, u"title") && (result_bits & kLacksTitle)) {
        if (!tag.end_tag) {
          if (title_start == std::u16string::npos) title_start = start;
          continue;
        }
        if (title_start == std::u16string::npos) continue;
        cut_start = title_start;
        title_start = std::u16string::npos;
        drop = true;
      } else if (title_start != std::u16string::npos) {
        continue;
      } else {
        drop = (Is(name, u"html") && (result_bits & kLacksHtml)) ||
               (Is(name, u"head") && (result_bits & kLacksHead)) ||
               (Is(name, u"body") && (result_bits & kLacksBody));
      }
      if (!drop) continue;
      size_t cut_end = scanner.ItemEnd();
      if (StartsAt(text, cut_end, u"\r\n")) {
        cut_end += 2;
      } else if (StartsAt(text, cut_end, u"\n")) {
        cut_end += 1;
      }
      cuts.push_back({cut_start, cut_end});
      copied = cut_end;
    }
  }
  ApplyCuts(source, cuts);
  return source;
}

}  // namespace kpx
