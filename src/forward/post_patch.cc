// The post-patch pass and the empty-span cleanup: each one walk over the text, copying what it
// keeps into a new text.
#include "forward/post_patch.h"

#include <vector>

#include "base/ascii_case.h"
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

}  // namespace

std::u16string CleanUpEmptySpans(std::u16string_view text) {
  // The marker's value, "="true"", is rare in pages: it is what the walk looks for, and the name
  // before it is then compared in any letter case.
  constexpr std::u16string_view kValue = u"=\"true\"";
  const size_t name_length = kEmptySpanMarker.size() - kValue.size();
  std::u16string out;
  out.reserve(text.size());
  size_t copied = 0;  // text is copied up to here
  for (size_t at = text.find(kValue); at != text.npos; at = text.find(kValue, at + 1)) {
    if (at < copied + name_length ||
        !EqualsIgnoringAsciiCase(text.substr(at - name_length, name_length),
                                 kEmptySpanMarker.substr(0, name_length))) {
      continue;
    }
    out.append(text.substr(copied, at - name_length - copied));
    // On to just past the next ">", then an "&nbsp;" there goes too.
    size_t next = at + kValue.size();
    const size_t close = text.find(u'>', next);
    next = close == text.npos ? text.size() : close + 1;
    out.append(text.substr(at + kValue.size(), next - at - kValue.size()));
    if (StartsAt(text, next, kNbsp)) next += kNbsp.size();
    copied = next;
    at = next - 1;
  }
  out.append(text.substr(copied));
  return out;
}

namespace {

// Protection comments unwrapped wherever the cleaner left them (in text, in a script, even in an
// attribute value). Their content holds no "--", so the first "-->" after an opener closes it;
// the last "-->" found is remembered, so no stretch is searched twice.
std::u16string UnwrapProtections(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t copied = 0;  // text is copied up to here
  size_t closer = 0;  // the first "-->" at or after the last opener searched from
  bool closer_known = false;
  for (size_t open = text.find(kProtectionOpener); open != text.npos;
       open = text.find(kProtectionOpener, open + 1)) {
    if (open < copied) continue;
    const size_t content = open + kProtectionOpener.size();
    if (!closer_known || (closer != text.npos && closer < content)) {
      closer = text.find(u"-->", content);
      closer_known = true;
    }
    if (closer == text.npos) break;
    const size_t end = closer + 3;
    if (end - content < kProtectionCloser.size() ||
        text.substr(end - kProtectionCloser.size(), kProtectionCloser.size()) !=
            kProtectionCloser) {
      continue;
    }
    out.append(text.substr(copied, open - copied));
    AppendRestored(out, text.substr(content, end - kProtectionCloser.size() - content));
    copied = end;
  }
  out.append(text.substr(copied));
  return out;
}

// The attribute protections undone: one walk over the start tags, which now include those that
// were inside protection comments.
std::u16string RestoreAttributes(const std::u16string& source) {
  const std::u16string_view text(source);
  ScopedAttributeEscapingOff raw_values;
  DocumentScanner scanner(BorrowedText{source});
  scanner.set_record_repairs(false);
  std::u16string out;
  out.reserve(text.size());
  size_t copied = 0;
  std::vector<Cut> cuts;
  for (MarkupItem item = scanner.NextItem(); item != MarkupItem::kEnd; item = scanner.NextItem()) {
    if (item == MarkupItem::kText && scanner.LastTokenKind() == LexToken::kAbort) break;
    const size_t start = scanner.ItemStart();
    if (item != MarkupItem::kTag || scanner.Tag().end_tag || scanner.TagStart() != start ||
        start < copied) {
      continue;
    }
    cuts.clear();
    AttributeCuts(text, scanner.Tag(), scanner.ItemEnd(), cuts);
    for (const Cut& cut : cuts) {  // in position order: attributes are in source order
      if (cut.begin < copied) continue;
      out.append(text.substr(copied, cut.begin - copied));
      copied = cut.end;
    }
  }
  out.append(text.substr(copied));
  return out;
}

// Whether any attribute name the pre-patch pass writes occurs in text (in any letter case).
bool HasProtectedAttributes(std::u16string_view text) {
  for (size_t at = text.find_first_of(u"kK"); at != text.npos;
       at = text.find_first_of(u"kK", at + 1)) {
    const std::u16string_view rest = text.substr(at);
    if (StartsWithIgnoringAsciiCase(rest, u"kpsxmlns") ||
        StartsWithIgnoringAsciiCase(rest, u"kpstagcontent") ||
        StartsWithIgnoringAsciiCase(rest, u"kpsemptyspan")) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::u16string PostPatch(std::u16string_view text) {
  std::u16string unwrapped = UnwrapProtections(text);
  if (!HasProtectedAttributes(unwrapped)) return unwrapped;
  return RestoreAttributes(unwrapped);
}

std::u16string DropAddedDocumentParts(std::u16string source, uint32_t result_bits) {
  if ((result_bits & kPrePatchResultStart) == 0) return source;
  const std::u16string_view text(source);
  DocumentScanner scanner(BorrowedText{source});
  scanner.set_record_repairs(false);
  std::u16string out;
  out.reserve(text.size());
  size_t copied = 0;
  size_t title_start = std::u16string::npos;  // inside a title being left out
  std::u16string raw_name;
  for (MarkupItem item = scanner.NextItem(); item != MarkupItem::kEnd; item = scanner.NextItem()) {
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
    out.append(text.substr(copied, cut_start - copied));
    copied = cut_end;
  }
  out.append(text.substr(copied));
  return out;
}

}  // namespace kpx
