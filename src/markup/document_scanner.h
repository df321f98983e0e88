// DocumentScanner: reads a page item by item (tags, comments, declarations and server blocks,
// CDATA sections, other text) and tracks whether it is inside html, head, body, a script or
// another element whose content is not markup.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "markup/markup_lexer.h"
#include "markup/markup_string.h"
#include "markup/tag_record.h"

namespace kpx {

// Item kinds; the numbers are what callers compare against.
enum class MarkupItem : std::uint8_t {
  kEnd = 0,          // nothing left
  kText = 1,         // any other token, an unterminated construct, or a tag that was abandoned
  kComment = 2,      // item text: the body without its delimiters
  kTag = 3,          // the tag is in Tag()
  kDeclaration = 4,  // item text: the name after "<!", "<%", "<?" or "<@" ("DOCTYPE", "php")
  kCData = 6,        // item text: the section's content
};

std::string_view MarkupItemName(MarkupItem kind);

class DocumentScanner : public MarkupLexer {
 public:
  explicit DocumentScanner(std::u16string text);
  explicit DocumentScanner(const MarkupString& text);
  explicit DocumentScanner(BorrowedText text);

  // Reads the next item. Never fails: what is not markup comes back as text.
  MarkupItem NextItem() {
    // Words and other plain text, the bulk of most pages, come from a queue filled a block at a
    // time, as long as reading goes on where the queue expects it.
    if (pos_ == plain_from_) return PopPlainItem();
    return ReadItem();
  }
  // After a plain item (LastTokenKind kName or kOther), reads the plain items that follow it up
  // to the next item of another kind at once, a block at a time, and leaves everything as reading
  // them one by one would have: for a caller that has no use for words. Returns whether there was
  // any.
  bool SkipPlainItems();

  // The text of the last item, as a view into the scanned text (nothing copied).
  std::u16string_view ItemTextView() const {
    return Text().substr(item_text_begin_, item_text_end_ - item_text_begin_);
  }
  // The same, as a string (made on first request after each item).
  const MarkupString& ItemText() const;

  // The last tag read; refilled by every item (copy it to keep it).
  const TagRecord& Tag() const { return tag_; }
  TagRecord& Tag() { return tag_; }
  // Offset of "<" of the last tag read.
  std::size_t TagStart() const { return tag_start_; }
  // Kind of the token that made the last Text or Comment item (kEnd for other items).
  LexToken LastTokenKind() const { return last_token_kind_; }
  // Source range of the last item.
  std::size_t ItemStart() const { return item_start_; }
  std::size_t ItemEnd() const { return item_end_; }

  bool inside_html() const { return inside_html_; }
  bool inside_head() const { return inside_head_; }
  bool inside_body() const { return inside_body_; }
  // Inside script, style or comment: the content is not markup.
  bool inside_raw_content() const { return inside_raw_content_; }

 private:
  MarkupItem SetItem(MarkupItem kind, std::size_t text_begin, std::size_t text_end) {
    item_end_ = pos_;
    item_text_begin_ = text_begin;
    item_text_end_ = text_end < text_begin ? text_begin : text_end;
    return kind;
  }
  // NextItem when the queue of plain items does not go on at the position.
  MarkupItem ReadItem();
  // The item at the position, a non-blank that starts no plain item (or the end).
  MarkupItem ReadOtherItem();
  // Queues the plain items (words and runs of other characters) from the position on, in the
  // block of the first of them, up to the first item that is something else. Returns false
  // when the next item is no plain item.
  bool QueuePlainItems() {
    const std::size_t first = FindInMask(pos_, kScanNotBlank);
    if (InMask(first, kScanOwnToken)) return false;
    QueuePlainItemsFrom(first);
    return true;
  }
  // QueuePlainItems with the first non-blank, which starts a plain item.
  void QueuePlainItemsFrom(std::size_t first);
  // QueuePlainItems when the queue ran out with its block (not called inline: rare).
  void QueueNextPlainItems();
  MarkupItem PopPlainItem() {
    if (tag_filled_) ResetTag();  // the queue was filled right after a tag
    const uint64_t starts = plain_starts_;
    const uint64_t ends = plain_ends_;
    // starts holds at least the item popped; ends may hold nothing more when the item ends in a
    // later block.
    const std::size_t start = plain_base_ + static_cast<unsigned>(__builtin_ctzll(starts));
    const std::size_t end =
        ends != 0 ? plain_base_ + static_cast<unsigned>(__builtin_ctzll(ends)) : plain_tail_end_;
    const uint64_t first = starts & (0 - starts);
    const LexToken kind = (plain_names_ & first) != 0 ? LexToken::kName : LexToken::kOther;
    const uint64_t rest = starts ^ first;
    plain_starts_ = rest;
    plain_ends_ = ends & (ends - 1);
    plain_from_ = rest != 0 ? end : kNoPlainItems;
    pos_ = end;
    if (rest == 0 && plain_go_on_) QueueNextPlainItems();
    token_ = TokenSpan{kind, start, end, start, end};
    last_token_kind_ = kind;
    item_start_ = start;
    item_end_ = end;
    item_text_begin_ = start;
    item_text_end_ = end;
    return MarkupItem::kText;
  }
  void ResetTag() {
    tag_.Reset();
    tag_filled_ = false;
  }
  void TrackTag();
  // After "<script>": a "<!--" that hides the body from old browsers is passed over, unless it
  // is a template comment ("<!-- BEGIN ...", "<!-- END ...").
  void SkipScriptCommentOpener();
  MarkupItem ReadTokenItem();

  static constexpr std::size_t kNoPlainItems = static_cast<std::size_t>(-1);

  // Queued plain items: where reading must stand for them to hold (kNoPlainItems: none), the
  // offset of their block, per block character whether an item starts or ends there and whether
  // that start is a Name, the end of a last item that runs into a later block, and whether the
  // queue ended only with the block.
  std::size_t plain_from_ = kNoPlainItems;
  std::size_t plain_base_ = 0;
  uint64_t plain_starts_ = 0;
  uint64_t plain_ends_ = 0;
  uint64_t plain_names_ = 0;
  std::size_t plain_tail_end_ = 0;
  bool plain_go_on_ = false;  // plain items may follow the queue's last one in a later block

  TagRecord tag_;
  bool tag_filled_ = false;  // the tag parser wrote into tag_ since its last reset
  std::size_t tag_start_ = kNoTagStart;
  LexToken last_token_kind_ = LexToken::kEnd;
  std::size_t item_start_ = 0;
  std::size_t item_end_ = 0;
  std::size_t item_text_begin_ = 0;
  std::size_t item_text_end_ = 0;
  // ItemText() made for this range of the text (which never changes).
  mutable MarkupString item_text_;
  mutable std::size_t item_text_made_begin_ = static_cast<std::size_t>(-1);
  mutable std::size_t item_text_made_end_ = 0;
  bool inside_html_ = false;
  bool inside_head_ = false;
  bool inside_body_ = false;
  bool inside_raw_content_ = false;
};

}  // namespace kpx
