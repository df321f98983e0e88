// The XHTML conversion: the prolog first (the DOCTYPE), then every tag of the page, with a stack
// of the open elements to find the p elements that hold block content.
//
// A p start tag or a meta tag may have to go as a whole later on, together with the repairs
// recorded inside it. Their edits are therefore held apart (in a TagEditBuffer) until it is known
// whether the tag stays; every other edit goes straight into the edit list.
#include "textutil/xhtml_conversion.h"

#include <vector>

#include "base/ascii_case.h"
#include "markup/document_scanner.h"
#include "markup/element_names.h"
#include "markup/element_table.h"
#include "textutil/attribute_value_span.h"
#include "textutil/content_type_meta.h"
#include "textutil/edit_session.h"
#include "textutil/fixed_texts.h"
#include "textutil/raw_content_guard.h"
#include "textutil/tag_edit_buffer.h"
#include "textutil/tag_extent.h"
#include "textutil/xhtml_content_model.h"

namespace kpx {

namespace {

// Literals as views with their length known when compiling: these compare on every tag.
using namespace std::string_view_literals;

struct OpenElement {
  const ElementEntry* element;  // its entry in the element table (lower-case name)
  std::size_t start;            // "<" of its start tag
  std::size_t next_item;        // end of its start tag and the whitespace after it
  std::vector<TextEdit> held;   // the edits of a p start tag, until it is known to stay
  bool unwrap = false;          // a p whose tags go: block content or a p opened inside it
  bool start_deleted = false;   // its start tag is already deleted
};

// The content-type META that stays so far; length 0 while none has been met.
struct KeptMeta {
  std::size_t start = 0;
  std::size_t end = 0;
  std::size_t length = 0;
  std::vector<TextEdit> held;  // its edits, until a longer one replaces it
};

bool HasUpperCaseLetter(std::u16string_view name) {
  for (char16_t c : name) {
    if (c >= u'A' && c <= u'Z') return true;
  }
  return false;
}

// p and meta start tags are held (see the top of the file).
bool IsHeldTag(const TagRecord& tag) {
  return !tag.end_tag && (EqualsIgnoringAsciiCase(tag.name.View(), u"p"sv) ||
                          EqualsIgnoringAsciiCase(tag.name.View(), u"meta"sv));
}

class XhtmlConversion {
 public:
  XhtmlConversion(TextEditList& edits, std::int16_t publish_mode)
      : edits_(edits),
        publish_mode_(publish_mode),
        scanner_(BorrowedText{edits.Text()}),  // unchanged until the edits are applied
        text_(scanner_.Text()),
        guards_(text_) {
    scanner_.set_placeholder_attribute_name(page_texts::kPlaceholderAttribute);
    scanner_.set_edit_sink(&edits_);
  }

  void Run() {
    const std::size_t from = publish_mode_ == kPublishModeOff ? ReadProlog() : 0;
    ReadElements(from);
    // What is still held stays.
    for (const OpenElement& element : stack_) {
      if (!element.start_deleted) RecordHeldEdits(edits_, element.held);
    }
    RecordHeldEdits(edits_, kept_meta_.held);
  }

 private:
  // Takes away old DOCTYPE declarations (and the whitespace after them) before the first item
  // that is neither a comment nor a declaration, and puts the XHTML one there when that item is
  // the html start tag. Returns where that item starts.
  std::size_t ReadProlog() {
    for (;;) {
      const std::size_t edits_before = edits_.EditCount();
      const MarkupItem kind = scanner_.NextItem();
      const std::size_t item_start = scanner_.ItemStart();
      if (kind == MarkupItem::kComment) continue;
      if (kind == MarkupItem::kDeclaration) {
        const std::size_t end = DeclarationEnd(scanner_);
        if (EqualsIgnoringAsciiCase(scanner_.ItemTextView(), u"DOCTYPE"sv)) {
          edits_.Delete(item_start, SkipBlanksFrom(text_, end) - item_start);
        }
        scanner_.SetPosition(end);
        continue;
      }
      // The item that ends the prolog is read again below: its repairs must not come twice.
      edits_.Withdraw(edits_.EditCount() - edits_before);
      if (kind == MarkupItem::kTag &&
          EqualsIgnoringAsciiCase(scanner_.Tag().name.View(), u"html"sv)) {
        edits_.Insert(item_start, page_texts::kXhtmlTransitionalDoctype, true);
      }
      return item_start;
    }
  }

  void ReadElements(std::size_t from) {
    scanner_.SetPosition(from);
    for (;;) {
      const std::size_t edits_before = edits_.EditCount();
      const MarkupItem kind = scanner_.NextItem();
      if (kind == MarkupItem::kEnd) break;
      if (CrossesRawContentEnd()) {
        // Not markup after all: the repairs of an item that runs into the end tag of the script
        // or style around it would overlap that end tag and the guard before it.
        edits_.Withdraw(edits_.EditCount() - edits_before);
        scanner_.SetPosition(raw_content_end_);
        raw_content_end_ = kNoRawContent;
        continue;
      }
      if (kind != MarkupItem::kTag) continue;
      holding_ = IsHeldTag(scanner_.Tag());
      if (holding_ && edits_.EditCount() != edits_before) ReadHeldTagAgain(edits_before);
      HandleTag(edits_before);
      // Whatever the handlers did not take or throw away stays.
      if (holding_) RecordHeldEdits(edits_, buffer_.Take());
    }
    holding_ = false;
  }

  // A p or meta start tag whose reading recorded repairs: read again with the buffer taking
  // them, so that they can go with the tag. Rare (most such tags need no repair), and no tag is
  // read more than twice.
  void ReadHeldTagAgain(std::size_t edits_before) {
    edits_.Withdraw(edits_.EditCount() - edits_before);
    scanner_.SetPosition(scanner_.ItemStart());
    scanner_.set_edit_sink(&buffer_);
    scanner_.NextItem();
    scanner_.set_edit_sink(&edits_);
  }

  void HandleTag(std::size_t tag_edits_begin) {
    const TagRecord& tag = scanner_.Tag();
    const TagExtent extent = MeasureTag(scanner_);
    if (HasUpperCaseLetter(tag.name.View())) LowerCase(tag.name_position, tag.name.Length());
    const ElementEntry* entry = LookUpElement(tag.name.View());
    if (entry == nullptr) return;
    // script, style and comment are among the few elements allowed in head.
    if (!tag.end_tag && (entry->properties & kAllowedInHead) != 0) {
      if (const auto raw = RawContentKindOf(entry->name)) {
        HandleRawContentStart(*raw, extent);
        return;
      }
    }
    if (tag.end_tag) {
      HandleEndTag(*entry, extent, tag_edits_begin);
      if (entry->name == u"head"sv && kept_meta_.length == 0) {
        Insert(extent.start, page_texts::kXhtmlContentTypeMeta);
      }
    } else {
      HandleStartTag(*entry, extent);
    }
  }

  // script, style, comment: the type attribute and the guard around the body. The body is then
  // read as markup; without an end tag the element is passed over up to the next tag of its name.
  void HandleRawContentStart(RawContentKind kind, const TagExtent& extent) {
    const TagRecord& tag = scanner_.Tag();
    if (tag.attributes.Find(u"type"sv) == nullptr) {
      if (kind == RawContentKind::kScript) InsertBeforeClose(extent, page_texts::kScriptType);
      if (kind == RawContentKind::kStyle) InsertBeforeClose(extent, page_texts::kStyleType);
    }
    const bool has_src = tag.attributes.Find(u"src"sv) != nullptr;
    const RawContentGuards::Plan plan = guards_.PlanFor(kind, extent.end, has_src);
    if (plan.insert_opener) Insert(extent.end, RawContentGuards::OpenerText(kind));
    if (plan.insert_closer) Insert(plan.content_end, RawContentGuards::CloserText(kind));
    const std::u16string name = tag.name.Str();
    scanner_.SetPosition(extent.end);
    if (plan.end_tag_found) {
      raw_content_end_ = plan.content_end;
      return;
    }
    for (;;) {
      const MarkupItem item = scanner_.NextItem();
      if (item == MarkupItem::kEnd) return;
      if (item == MarkupItem::kTag && EqualsIgnoringAsciiCase(scanner_.Tag().name.View(), name)) {
        return;
      }
    }
  }

  // Whether the item just read starts in the body of a script, style or comment element and
  // ends past the start of its end tag. The body is read as markup up to that end tag only.
  bool CrossesRawContentEnd() {
    if (raw_content_end_ == kNoRawContent) return false;
    if (scanner_.ItemStart() >= raw_content_end_) {
      raw_content_end_ = kNoRawContent;
      return false;
    }
    return scanner_.ItemEnd() > raw_content_end_;
  }

  void HandleStartTag(const ElementEntry& entry, const TagExtent& extent) {
    const TagRecord& tag = scanner_.Tag();
    bool close_empty = false;
    if ((entry.properties & kEmpty) == 0) {
      Push(entry, extent);
    } else {
      close_empty = !tag.self_closing;
    }
    if (entry.name == u"html"sv && tag.attributes.Find(u"xmlns"sv) == nullptr) {
      InsertBeforeClose(extent, page_texts::kXhtmlNamespace);
    }
    const MetaFate fate = entry.name == u"meta"sv ? DecideMeta(extent) : MetaFate::kStays;
    if (fate == MetaFate::kDeleted) return;
    // Last, so that an attribute added above stands before it.
    if (close_empty) InsertBeforeClose(extent, page_texts::kEmptyElementClose);
    if (fate == MetaFate::kKept) kept_meta_.held = buffer_.Take();
  }

  void HandleEndTag(const ElementEntry& entry, const TagExtent& extent,
                    std::size_t tag_edits_begin) {
    if (!stack_.empty() && Closes(stack_.back().element->name, entry.name)) {
      OpenElement& top = stack_.back();
      if (top.unwrap) {
        DeleteThisEndTag(extent, tag_edits_begin);
        DeleteStartTag(top);
      } else if (!top.start_deleted) {
        RecordHeldEdits(edits_, top.held);
      }
      Pop();
      return;
    }
    // A </p> that closes nothing open goes, and so does the start tag of an open p.
    if (entry.name == u"p"sv) {
      DeleteThisEndTag(extent, tag_edits_begin);
      if (!open_paragraphs_.empty()) DeleteStartTag(stack_[open_paragraphs_.back()]);
    }
  }

  enum class MetaFate { kStays, kKept, kDeleted };

  // A meta tag: outside head in publish mode it goes. A content-type META is made to say
  // application/xhtml+xml, and of several only the longest is kept.
  MetaFate DecideMeta(const TagExtent& extent) {
    const TagRecord& tag = scanner_.Tag();
    if (publish_mode_ == kPublishModeOn && open_heads_ == 0) {
      DeleteHeldTag(extent);
      return MetaFate::kDeleted;
    }
    if (!IsContentTypeMeta(tag)) return MetaFate::kStays;
    if (const AttributeRecord* content = tag.attributes.Find(u"content"sv)) {
      if (!SaysXhtmlMediaType(content->value)) ReplaceContentValue(*content, extent);
    } else {
      InsertBeforeClose(extent, page_texts::kXhtmlContent);
    }
    const std::size_t length = extent.next_item - extent.start;
    if (length <= kept_meta_.length) {
      DeleteHeldTag(extent);
      return MetaFate::kDeleted;
    }
    // The one kept so far goes, with the edits held for it.
    if (kept_meta_.length != 0) {
      edits_.Delete(kept_meta_.start, kept_meta_.end - kept_meta_.start);
    }
    kept_meta_ = {extent.start, extent.next_item, length, {}};
    return MetaFate::kKept;
  }

  // The whole value goes, quotes and the repairs recorded inside it included.
  void ReplaceContentValue(const AttributeRecord& content, const TagExtent& extent) {
    const AttributeValueSpan span =
        FindAttributeValueSpan(text_, scanner_.Tag(), content, extent, buffer_.Edits());
    // A value written without "=" gets one.
    std::u16string replacement(content.equals_position == 0 ? u"=" : u"");
    replacement += XhtmlContentValue(content.value);
    buffer_.DropInside(span.begin, span.end,
                       span.quotes_closed ? EdgeInserts::kKeep : EdgeInserts::kBoth);
    if (span.end > span.begin) buffer_.Delete(span.begin, span.end - span.begin);
    buffer_.Insert(span.begin, replacement, true);
  }

  // The tag being read (a held one) goes with the whitespace after it.
  void DeleteHeldTag(const TagExtent& extent) {
    buffer_.Clear();
    edits_.Delete(extent.start, extent.next_item - extent.start);
  }

  // The end tag being read goes with the whitespace after it, and its repairs with it.
  void DeleteThisEndTag(const TagExtent& extent, std::size_t tag_edits_begin) {
    edits_.Withdraw(edits_.EditCount() - tag_edits_begin);
    edits_.Delete(extent.start, extent.next_item - extent.start);
  }

  void DeleteStartTag(OpenElement& element) {
    if (element.start_deleted) return;
    element.held.clear();
    edits_.Delete(element.start, element.next_item - element.start);
    element.start_deleted = true;
  }

  // Before the tag's final ">" (before the "/" of "/>"); nowhere when the tag never closed.
  void InsertBeforeClose(const TagExtent& extent, std::u16string_view text) {
    if (extent.insert_point != TagExtent::npos) Insert(extent.insert_point, text);
  }

  // Edits of the tag being read go where its repairs go.
  void Insert(std::size_t position, std::u16string_view text) {
    if (holding_) {
      buffer_.Insert(position, text, true);
    } else {
      edits_.Insert(position, text, true);
    }
  }
  void LowerCase(std::size_t position, std::size_t count) {
    if (holding_) {
      buffer_.LowerCase(position, count);
    } else {
      edits_.LowerCase(position, count);
    }
  }

  void Push(const ElementEntry& entry, const TagExtent& extent) {
    stack_.push_back({&entry, extent.start, extent.next_item, {}});
    if (entry.name == u"p"sv) {
      open_paragraphs_.push_back(stack_.size() - 1);
      stack_.back().held = buffer_.Take();
    }
    if (entry.name == u"head"sv) ++open_heads_;
    if (stack_.size() < 2) return;
    OpenElement& parent = stack_[stack_.size() - 2];
    if (parent.element->name == u"p"sv && !MayContainInXhtml(parent.element->name, entry.name)) {
      parent.unwrap = true;
    }
  }

  void Pop() {
    const std::u16string_view name = stack_.back().element->name;
    if (name == u"p"sv) open_paragraphs_.pop_back();
    if (name == u"head"sv) --open_heads_;
    stack_.pop_back();
  }

  TextEditList& edits_;
  const std::int16_t publish_mode_;
  DocumentScanner scanner_;
  std::u16string_view text_;  // the scanner's copy of the page
  RawContentGuards guards_;
  TagEditBuffer buffer_;  // the edits of the p or meta start tag being read
  bool holding_ = false;  // the tag being read is one of those
  std::vector<OpenElement> stack_;
  std::vector<std::size_t> open_paragraphs_;  // indices of the p entries on the stack
  std::size_t open_heads_ = 0;                // head entries on the stack
  KeptMeta kept_meta_;
  // Where the end tag of the script, style or comment element whose body is being read starts.
  static constexpr std::size_t kNoRawContent = static_cast<std::size_t>(-1);
  std::size_t raw_content_end_ = kNoRawContent;
};

}  // namespace

std::u16string ConvertToXhtml(TextEditList& edits, std::u16string_view html,
                              std::int16_t publish_mode) {
  EditSession session(edits, html);
  // A template page written in upper case needs an edit every few characters: room for one per
  // four keeps the list from being copied while it grows (room never written costs nothing).
  edits.ReserveEdits(html.size() / 4);
  XhtmlConversion(edits, publish_mode).Run();
  return session.Finish();
}

}  // namespace kpx
