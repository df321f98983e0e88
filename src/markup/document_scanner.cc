// DocumentScanner: the item loop over the tag parser, the declaration parsers and the tokens.
#include "markup/document_scanner.h"

#include <utility>

#include "base/ascii_case.h"
#include "markup/markup_char_classes.h"

namespace kpx {

namespace {

constexpr std::u16string_view kCommentOpener = u"<!--";

// Tag names compare without regard to case.
bool NameIs(std::u16string_view name, std::u16string_view literal) {
  return EqualsIgnoringAsciiCase(name, literal);
}

// Length, first and last letter of a name in one number, letters folded to lower case.
constexpr uint64_t NameKey(std::size_t length, char16_t first, char16_t last) {
  return length | (uint64_t{first} | 0x20) << 8 | (uint64_t{last} | 0x20) << 24;
}

// Whether the tag name may be one of those TrackTag acts on. Most tags are none of them: one
// test on length, first and last letter rules them out, with no branch per name.
bool MayBeTracked(std::u16string_view name) {
  if (name.empty()) return false;
  const uint64_t key = NameKey(name.size(), name.front(), name.back());
  constexpr uint64_t kTracked[] = {NameKey(6, u's', u't'), NameKey(5, u's', u'e'),
                                   NameKey(4, u'h', u'l'), NameKey(4, u'h', u'd'),
                                   NameKey(4, u'b', u'y'), NameKey(7, u'c', u't')};
  unsigned candidate = 0;
  for (const uint64_t tracked : kTracked) candidate |= static_cast<unsigned>(key == tracked);
  return candidate != 0;
}

}  // namespace

std::string_view MarkupItemName(MarkupItem kind) {
  switch (kind) {
    case MarkupItem::kEnd:
      return "End";
    case MarkupItem::kText:
      return "Text";
    case MarkupItem::kComment:
      return "Comment";
    case MarkupItem::kTag:
      return "Tag";
    case MarkupItem::kDeclaration:
      return "Declaration";
    case MarkupItem::kCData:
      return "CData";
  }
  return "?";
}

DocumentScanner::DocumentScanner(std::u16string text) : MarkupLexer(std::move(text)) {}

DocumentScanner::DocumentScanner(const MarkupString& text) : MarkupLexer(text) {}

DocumentScanner::DocumentScanner(BorrowedText text) : MarkupLexer(text) {}

const MarkupString& DocumentScanner::ItemText() const {
  if (item_text_made_begin_ != item_text_begin_ || item_text_made_end_ != item_text_end_) {
    item_text_.Assign(ItemTextView());
    item_text_made_begin_ = item_text_begin_;
    item_text_made_end_ = item_text_end_;
  }
  return item_text_;
}

// From the position every plain item starts at the first non-blank at or after the end of the
// item before it, and ends at the first run end after its start (markup_lexer.h). Each step is
// found for the whole block at once: an addition carries a mark across a run of blanks or of
// characters that end nothing, to the first character behind it. Most of the time reading
// stands on the block's chain of runs (text_scanner.h), which holds the answer already.
void DocumentScanner::QueuePlainItemsFrom(std::size_t first) {
  const std::size_t block = first / kCharBlockSize;
  const unsigned offset = static_cast<unsigned>(first % kCharBlockSize);
  const uint64_t* masks = BlockMasks(block);
  const uint64_t first_bit = uint64_t{1} << offset;
  const uint64_t from_first = ~(first_bit - 1);
  const uint64_t run_end = masks[kScanRunEnd];
  uint64_t starts;
  uint64_t ends;
  if (masks[kScanChainStart] & first_bit) {
    starts = masks[kScanChainStart] & from_first;
    ends = masks[kScanChainEnd] & (from_first << 1);
  } else {
    const uint64_t blank = ~masks[kScanNotBlank];
    const uint64_t from = (run_end & from_first) | first_bit;
    starts = (from & ~blank) | (((from & blank) + blank) & ~blank);
    const uint64_t after = starts << 1;
    ends = (after & run_end) | (((after & ~run_end) + ~run_end) & run_end);
  }
  // Up to the first start of a token of its own (a delimiter, "=", the end of the text), whose
  // end and those behind it go too. A start in the last place has its end in a later block.
  const uint64_t own = starts & masks[kScanOwnToken];
  const uint64_t cut = own & (0 - own);
  starts &= cut - 1;  // all of them when there is none
  ends &= (cut << 1) - 1;
  plain_from_ = pos_;
  plain_base_ = block * kCharBlockSize;
  plain_starts_ = starts;
  plain_ends_ = ends;
  plain_names_ = starts & masks[kScanNameStart];
  plain_go_on_ = own == 0;
  // The last item may end in a later block (this loads other masks: last).
  if (std::countl_zero(ends) >= std::countl_zero(starts)) {
    const std::size_t last = plain_base_ + 63 - static_cast<std::size_t>(std::countl_zero(starts));
    plain_tail_end_ = FindInMask(last + 1, kScanRunEnd);
  }
}

bool DocumentScanner::SkipPlainItems() {
  if (pos_ != plain_from_) return false;
  if (tag_filled_) ResetTag();
  for (;;) {
    // The last item of the queue, as PopPlainItem would take it after all the others.
    const uint64_t starts = plain_starts_;
    const uint64_t ends = plain_ends_;
    const unsigned last = 63 - static_cast<unsigned>(std::countl_zero(starts));
    const std::size_t start = plain_base_ + last;
    const std::size_t end =
        std::countl_zero(ends) < std::countl_zero(starts)
            ? plain_base_ + 63 - static_cast<std::size_t>(std::countl_zero(ends))
            : plain_tail_end_;
    const LexToken kind = (plain_names_ >> last) & 1 ? LexToken::kName : LexToken::kOther;
    plain_starts_ = 0;
    plain_ends_ = 0;
    plain_from_ = kNoPlainItems;
    pos_ = end;
    token_ = TokenSpan{kind, start, end, start, end};
    last_token_kind_ = kind;
    item_start_ = start;
    item_end_ = end;
    item_text_begin_ = start;
    item_text_end_ = end;
    if (!plain_go_on_) return true;
    QueueNextPlainItems();
    if (pos_ != plain_from_) return true;
  }
}

void DocumentScanner::QueueNextPlainItems() {
  QueuePlainItems();
}

MarkupItem DocumentScanner::ReadItem() {
  const std::size_t first = FindInMask(pos_, kScanNotBlank);
  if (!InMask(first, kScanOwnToken)) {
    QueuePlainItemsFrom(first);
    return PopPlainItem();
  }
  plain_from_ = kNoPlainItems;
  pos_ = first;
  const MarkupItem kind = ReadOtherItem();
  // Plain text right after the item then comes straight from the queue.
  if (kind != MarkupItem::kEnd) QueuePlainItems();
  return kind;
}

MarkupItem DocumentScanner::ReadOtherItem() {
  last_token_kind_ = LexToken::kEnd;
  item_start_ = pos_;
  if (data_[pos_] == u'<') {  // the text's terminating 0 at the end
    tag_filled_ = true;       // the tag parser resets the record first
    // Most tags have the plain shape; straight to its reader when it can be one.
    const char16_t second = data_[pos_ + 1];
    const bool may_be_plain = !script_mode() && !server_code_in_string() && second != u'!' &&
                              second != u'%' && second != u'?' && second != u'@';
    if (may_be_plain) tag_.Reset();
    if ((may_be_plain && ParsePlainTag(tag_, pos_)) || ParseTag(&tag_)) {
      tag_start_ = tag_.tag_start;
      if (MayBeTracked(tag_.name.View())) TrackTag();
      return SetItem(MarkupItem::kTag, item_start_, item_start_);
    }
    ResetTag();  // what an abandoned tag left in it is no tag
    if (pos_ > item_start_) {
      // An abandoned tag: its text up to where it was given up.
      last_token_kind_ = LexToken::kTagOpen;
      return SetItem(MarkupItem::kText, item_start_, pos_);
    }
    if (ParseServerBlock(nullptr)) {
      return SetItem(MarkupItem::kDeclaration, declaration_name_begin_, declaration_name_end_);
    }
    if (ParseCData(nullptr)) {
      return SetItem(MarkupItem::kCData, LastToken().text_begin, LastToken().text_end);
    }
  } else if (tag_filled_) {
    ResetTag();
  }
  if (pos_ >= size_) return SetItem(MarkupItem::kEnd, pos_, pos_);
  return ReadTokenItem();
}

MarkupItem DocumentScanner::ReadTokenItem() {
  const LexToken kind = NextToken();
  last_token_kind_ = kind;
  const TokenSpan span = LastToken();
  switch (kind) {
    case LexToken::kComment: {
      const bool closed = span.end - span.begin >= 7 && data_[span.end - 1] == u'>';
      return SetItem(MarkupItem::kComment, span.begin + 4, closed ? span.end - 3 : span.end);
    }
    case LexToken::kBlockComment: {
      const bool closed = data_[span.end - 1] == u'/' && span.end - span.begin >= 3;
      return SetItem(MarkupItem::kComment, span.begin + 2, closed ? span.end - 2 : span.end);
    }
    case LexToken::kLineComment:
      return SetItem(MarkupItem::kComment, span.begin + 2, span.end);
    case LexToken::kAbort:
      if (nested_comments() && Text().substr(span.begin, 4) == kCommentOpener) {
        // Nested levels that never close: if the comment closes when read flat, only "<!--" is
        // taken as text, and reading goes on inside it.
        pos_ = span.begin;
        set_nested_comments(false);
        const LexToken flat = NextToken();
        set_nested_comments(true);
        if (flat == LexToken::kComment) {
          pos_ = span.begin + kCommentOpener.size();
          return SetItem(MarkupItem::kText, span.begin, pos_);
        }
      }
      return SetItem(MarkupItem::kText, span.begin, span.end);
    default:
      return SetItem(MarkupItem::kText, span.begin, span.end);
  }
}

void DocumentScanner::TrackTag() {
  const std::u16string_view name = tag_.name.View();
  const bool opens = !tag_.end_tag && !tag_.self_closing;
  switch (AsciiToLower(name[0])) {
    case u's':
      if (NameIs(name, u"script")) {
        set_script_mode(opens);
        inside_raw_content_ = opens;
        if (opens) SkipScriptCommentOpener();
      } else if (NameIs(name, u"style")) {
        inside_raw_content_ = opens;
      }
      break;
    case u'h':
      if (NameIs(name, u"html")) {
        inside_html_ = opens;
      } else if (NameIs(name, u"head")) {
        inside_head_ = opens;
      }
      break;
    case u'b':
      if (NameIs(name, u"body")) inside_body_ = opens;
      break;
    case u'c':
      if (NameIs(name, u"comment")) inside_raw_content_ = opens;
      break;
    default:
      break;
  }
}

void DocumentScanner::SkipScriptCommentOpener() {
  if (Text().substr(pos_, kCommentOpener.size()) != kCommentOpener) return;
  std::size_t p = pos_ + kCommentOpener.size();
  while (p < size_ && IsBlank(data_[p])) ++p;
  std::size_t name_end = p;
  if (p < size_ && HasCharClass(data_[p], kCharNameStart)) {
    while (name_end < size_ && HasCharClass(data_[name_end], kCharName)) ++name_end;
  }
  const std::u16string_view word = Text().substr(p, name_end - p);
  if (word == u"BEGIN" || word == u"END") return;
  pos_ += kCommentOpener.size();
}

}  // namespace kpx
