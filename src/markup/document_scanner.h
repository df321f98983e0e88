// DocumentScanner: reads a page item by item (tags, comments, declarations and server blocks,
// CDATA sections, other text) and tracks whether it is inside html, head, body, a script or
// another element whose content is not markup.
#pragma once

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

  // Reads the next item. Never fails: what is not markup comes back as text.
  MarkupItem NextItem();

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
  MarkupItem SetItem(MarkupItem kind, std::size_t text_begin, std::size_t text_end);
  void TrackTag();
  // After "<script>": a "<!--" that hides the body from old browsers is passed over, unless it
  // is a template comment ("<!-- BEGIN ...", "<!-- END ...").
  void SkipScriptCommentOpener();
  MarkupItem ReadTokenItem();

  TagRecord tag_;
  bool tag_filled_ = false;  // the tag parser wrote into tag_ since its last reset
  std::size_t tag_start_ = kNoTagStart;
  LexToken last_token_kind_ = LexToken::kEnd;
  std::size_t item_start_ = 0;
  std::size_t item_end_ = 0;
  std::size_t item_text_begin_ = 0;
  std::size_t item_text_end_ = 0;
  mutable MarkupString item_text_;
  mutable bool item_text_ready_ = false;
  bool inside_html_ = false;
  bool inside_head_ = false;
  bool inside_body_ = false;
  bool inside_raw_content_ = false;
};

}  // namespace kpx
