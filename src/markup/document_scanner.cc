// DocumentScanner: the item loop over the tag parser, the declaration parsers and the tokens.
#include "markup/document_scanner.h"

#include <utility>

#include "markup/ascii_case.h"
#include "markup/markup_char_classes.h"

namespace kpx {

namespace {

constexpr std::u16string_view kCommentOpener = u"<!--";

// Tag names compare without regard to case.
bool NameIs(std::u16string_view name, std::u16string_view literal) {
  return EqualsIgnoringAsciiCase(name, literal);
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

const MarkupString& DocumentScanner::ItemText() const {
  if (!item_text_ready_) {
    item_text_.Assign(ItemTextView());
    item_text_ready_ = true;
  }
  return item_text_;
}

MarkupItem DocumentScanner::SetItem(MarkupItem kind, std::size_t text_begin, std::size_t text_end) {
  item_end_ = pos_;
  item_text_begin_ = text_begin;
  item_text_end_ = text_end < text_begin ? text_begin : text_end;
  item_text_ready_ = false;
  return kind;
}

MarkupItem DocumentScanner::NextItem() {
  if (tag_filled_) {
    tag_.Reset();
    tag_filled_ = false;
  }
  last_token_kind_ = LexToken::kEnd;
  SkipBlanks();
  item_start_ = pos_;
  if (CharAt(pos_) == u'<') {
    tag_filled_ = true;
    if (ParseTag(&tag_)) {
      tag_start_ = tag_.tag_start;
      TrackTag();
      return SetItem(MarkupItem::kTag, item_start_, item_start_);
    }
    tag_.Reset();  // what an abandoned tag left in it is no tag
    tag_filled_ = false;
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
  }
  if (pos_ >= size_) return SetItem(MarkupItem::kEnd, pos_, pos_);
  // Words and other plain text, the bulk of most pages, straight away.
  if (ReadPlainRun()) {
    last_token_kind_ = token_.kind;
    return SetItem(MarkupItem::kText, token_.begin, token_.end);
  }
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
  // Most tags are none of these: length and first letter rule them out at once.
  if (name.size() < 4 || name.size() > 7) return;
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
