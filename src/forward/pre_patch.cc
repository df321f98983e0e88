// The pre-patch pass. One walk over the document scanner's items: the text since the last item
// the pass acted on (the pending stretch) is held back and written out either protected or as it
// is when the next step decides, so every character is copied a bounded number of times.
#include "forward/pre_patch.h"

#include <functional>
#include <optional>
#include <vector>

#include "base/ascii_case.h"
#include "base/char16_search.h"
#include "base/large_buffers.h"
#include "forward/pre_patch_tag.h"
#include "forward/protection.h"
#include "markup/attribute_escaping.h"
#include "markup/document_scanner.h"
#include "markup/element_table.h"
#include "recognition/template_syntax.h"

namespace kpx {

namespace {

constexpr std::u16string_view kEmptySpanMarker = u" kpsEmptySpan=\"true\"";

bool Is(std::u16string_view name, std::u16string_view wanted) {
  return EqualsIgnoringAsciiCase(name, wanted);
}
// For a literal, whose length is then known without counting it on every call.
template <size_t N>
bool Is(std::u16string_view name, const char16_t (&wanted)[N]) {
  return EqualsIgnoringAsciiCase(name, std::u16string_view(wanted, N - 1));
}

bool IsTableTag(std::u16string_view name) {
  if ((name.size() != 2 && name.size() != 5) || (name[0] | 0x20) != u't') return false;
  if (name.size() == 2) {
    const auto second = static_cast<char16_t>(name[1] | 0x20);  // only "A"-"Z" land on "a"-"z"
    return second == u'r' || second == u'd' || second == u'h';
  }
  return Is(name, u"table") || Is(name, u"thead") || Is(name, u"tfoot") || Is(name, u"tbody");
}

bool IsRawElement(std::u16string_view name) {
  return Is(name, u"script") || Is(name, u"style") || Is(name, u"comment");
}

bool IsWordStart(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'_';
}

// U+FFC2 written as "&#194;"; nothing when the text holds none.
std::optional<std::u16string> ReplaceFfc2(std::u16string_view text) {
  if (FindChar(text, 0, char16_t{0xFFC2}) == text.npos) return std::nullopt;
  std::u16string out;
  out.reserve(text.size() + 16);
  for (char16_t c : text) {
    if (c == 0xFFC2) {
      out.append(u"&#194;");
    } else {
      out.push_back(c);
    }
  }
  return out;
}

// The text held back since the last item the pass acted on. Most of it is source text that runs
// on without a break, so it stays a range of the source as long as it can: only a rewritten tag
// or an inserted marker makes it a string of its own.
class PendingStretch {
 public:
  explicit PendingStretch(std::u16string_view source) : source_(source) {}

  void Append(std::u16string_view piece) {
    // Most pieces carry on the source range just where it ends.
    if (piece.data() == source_.data() + end_ && begin_ != end_ &&
        piece.size() <= source_.size() - end_) {
      end_ += piece.size();
      return;
    }
    AppendElsewhere(piece);
  }
  // Inserts piece in front of the last character.
  void InsertBeforeLast(std::u16string_view piece) {
    Flush();
    own_.insert(own_.size() - 1, piece);
  }
  std::u16string_view View() {
    if (own_.empty()) return source_.substr(begin_, end_ - begin_);
    Flush();
    return own_;
  }
  size_t size() const { return own_.size() + (end_ - begin_); }
  bool empty() const { return size() == 0; }
  char16_t back() const { return end_ > begin_ ? source_[end_ - 1] : own_.back(); }
  void clear() {
    own_.clear();
    begin_ = end_ = 0;
  }

 private:
  // Kept out of line, so that Append's common case is inlined wherever it is called.
  [[gnu::noinline]] void AppendElsewhere(std::u16string_view piece) {
    const std::less<const char16_t*> before;
    if (!before(piece.data(), source_.data()) &&
        !before(source_.data() + source_.size(), piece.data() + piece.size())) {
      const size_t begin = static_cast<size_t>(piece.data() - source_.data());
      if (begin != end_ || begin_ == end_) {
        Flush();
        begin_ = end_ = begin;
      }
      end_ += piece.size();
      return;
    }
    Flush();
    own_.append(piece);
  }
  void Flush() {
    own_.append(source_.substr(begin_, end_ - begin_));
    begin_ = end_;
  }

  const std::u16string_view source_;
  std::u16string own_;  // the stretch up to the source range
  size_t begin_ = 0;    // the source range that follows own_
  size_t end_ = 0;
};

class PrePatcher {
 public:
  PrePatcher(BorrowedText text, const PrePatchSettings& settings)
      : replaced_(ReplaceFfc2(std::u16string_view(text.data, text.size))),
        text_(replaced_ ? BorrowedText{*replaced_} : text),
        settings_(settings),
        pending_(std::u16string_view(text_.data, text_.size)) {}

  PrePatchResult Run();

 private:
  bool Protecting() const { return (settings_.option & kWriteProtections) != 0; }
  // Writes the pending stretch out, protected when protections are written (or forced).
  void ProtectPending(bool force = false) {
    if (Protecting() || force) {
      AppendProtected(out_, pending_.View());
    } else {
      out_.append(pending_.View());
    }
    pending_.clear();
  }
  // Writes the pending stretch out as it is.
  void ReleasePending() {
    out_.append(pending_.View());
    pending_.clear();
  }

  // Handles one item over [start, end); returns where the text it consumed ends.
  size_t HandleText(size_t start, size_t end);
  void HandleComment(std::u16string_view comment, std::u16string_view body);
  void HandleStartTag(const TagRecord& tag, size_t start, size_t end);
  void HandleEndTag(std::u16string_view name, std::u16string_view text, size_t start);
  void LookUpBlock(std::u16string_view word, std::u16string_view name);
  void Finish();

  const std::optional<std::u16string> replaced_;  // the text with U+FFC2 replaced, if it had any
  const BorrowedText text_;                       // what the pass reads: the text or replaced_
  const PrePatchSettings& settings_;
  std::u16string out_;
  PendingStretch pending_;
  uint32_t bits_ = kPrePatchResultStart;
  bool in_head_ = false;
  bool in_body_ = false;
  bool saw_html_ = false;
  bool saw_body_ = false;
  // Text after the head start tag, an unknown tag or an empty element in the head would be moved
  // out of the head by the cleaner: it is protected.
  bool head_text_trigger_ = false;
  bool protect_head_text_ = false;
  std::optional<size_t> head_insert_;          // where moved tags go in out_: just after <head>
  std::u16string moved_;                       // content-type metas moved there
  std::u16string raw_name_;                    // inside script, style or comment: its name
  bool in_option_ = false;                     // an option's content, up to the next end tag
  std::vector<std::u16string> open_template_;  // elements of template tags, innermost last
  std::vector<bool> blocks_;                   // open blocks: whether the host knows each
  size_t known_blocks_ = 0;
  // The last span start tag, when it ends pending_: its end in the source and in pending_.
  size_t span_source_end_ = std::u16string::npos;
  size_t span_pending_end_ = 0;
  TagScratch tag_scratch_;
};

size_t PrePatcher::HandleText(size_t start, size_t end) {
  const std::u16string_view text(text_.data, text_.size);
  if (raw_name_.empty() && !in_option_ && Protecting() && text[start] == u'{') {
    const size_t length = PlaceholderLength(text, start);
    if (length > 0) {
      const std::u16string_view expression = text.substr(start, length);
      if (open_template_.empty()) {
        pending_.Append(expression);
        ProtectPending();
      } else if (Is(open_template_.back(), u"textarea")) {
        ReleasePending();
        AppendProtected(out_, expression);
      } else {
        ReleasePending();
        out_.append(expression);
      }
      return start + length;
    }
  }
  const std::u16string_view item = text.substr(start, end - start);
  pending_.Append(item);
  if (in_head_ && head_text_trigger_ && raw_name_.empty() && !OnlyBlanks(item)) {
    protect_head_text_ = true;
  }
  return end;
}

void PrePatcher::LookUpBlock(std::u16string_view word, std::u16string_view name) {
  LONG result1 = -1, result2 = -1;
  if (settings_.blocks) {
    settings_.blocks->Lookup(name, static_cast<LONG>(blocks_.size()),
                             static_cast<LONG>(known_blocks_), &result1, &result2);
  }
  if (result2 != -1) return;
  if (word == u"BEGIN") {
    blocks_.push_back(result1 != -1);
    if (result1 != -1) ++known_blocks_;
  } else if (!blocks_.empty()) {
    if (blocks_.back()) --known_blocks_;
    blocks_.pop_back();
  }
}

void PrePatcher::HandleComment(std::u16string_view comment, std::u16string_view body) {
  size_t first = 0;
  while (first < body.size() && OnlyBlanks(body.substr(first, 1))) ++first;
  if (!Protecting() || first == body.size() || !IsWordStart(body[first])) {
    pending_.Append(comment);
    return;
  }
  const std::vector<std::u16string_view> words = MarkerWords(body, 2);
  if (words[0] == u"BEGIN" && words.size() < 2) {
    ReleasePending();
  } else {
    ProtectPending();
  }
  out_.append(comment);
  if ((words[0] == u"BEGIN" || words[0] == u"END") && words.size() == 2) {
    // The block's name: everything after the marker word, as written.
    const size_t name_start = static_cast<size_t>(words[1].data() - body.data());
    size_t name_end = body.size();
    while (name_end > name_start && OnlyBlanks(body.substr(name_end - 1, 1))) --name_end;
    LookUpBlock(words[0], body.substr(name_start, name_end - name_start));
  }
}

void PrePatcher::HandleStartTag(const TagRecord& tag, size_t start, size_t end) {
  const StartTagFacts facts = RewriteStartTag(std::u16string_view(text_.data, text_.size), tag, end,
                                              settings_, tag_scratch_);
  const std::u16string_view name = tag.name.View();
  span_source_end_ = std::u16string::npos;
  if (in_head_) {
    const uint32_t properties = ElementProperties(name);
    head_text_trigger_ = LookUpElement(name) == nullptr || (properties & kEmpty) != 0;
  }
  if (Is(name, u"html")) {
    bits_ &= kLacksBody;
    in_body_ = false;
    saw_html_ = true;
    ReleasePending();
    out_.append(facts.text);
  } else if (Is(name, u"head")) {
    bits_ &= ~uint32_t{kLacksHead};
    ReleasePending();
    out_.append(facts.text);
    in_head_ = true;
    head_text_trigger_ = true;
    head_insert_ = out_.size();
  } else if (Is(name, u"title")) {
    bits_ &= ~uint32_t{kLacksTitle};
    ReleasePending();
    out_.append(facts.text);
  } else if (Is(name, u"body")) {
    bits_ &= ~uint32_t{kLacksBody};
    in_body_ = true;
    saw_body_ = true;
    ReleasePending();
    out_.append(facts.text);
  } else if (Is(name, u"form")) {
    ProtectPending();
    out_.append(facts.text);
  } else if (Is(name, u"option")) {
    pending_.Append(facts.text);
    in_option_ = !tag.self_closing;
  } else if (IsRawElement(name) && !tag.self_closing) {
    pending_.Append(facts.text);
    raw_name_.assign(name);
  } else if ((IsTableTag(name) || facts.whole) && Protecting()) {
    ProtectPending();
    const bool move =
        facts.content_type_meta && head_insert_ && known_blocks_ == 0 &&
        !(out_.size() - *head_insert_ < 64 &&
          OnlyBlanks(std::u16string_view(out_).substr(*head_insert_)) && moved_.empty());
    AppendProtected(move ? moved_ : out_, facts.text);
  } else if (facts.template_tag) {
    ProtectPending();
    out_.append(facts.text);
    if (!tag.self_closing && !HasElementProperty(name, kEmpty)) {
      open_template_.emplace_back(name);
    }
  } else if (facts.tag_content) {
    pending_.Append(facts.text);
    ProtectPending();
  } else {
    pending_.Append(facts.text);
    if (Is(name, u"span") && !tag.self_closing) {
      span_source_end_ = end;
      span_pending_end_ = pending_.size();
    }
  }
  (void)start;
}

void PrePatcher::HandleEndTag(std::u16string_view name, std::u16string_view text, size_t start) {
  const bool empty_span = Is(name, u"span") && span_source_end_ == start &&
                          span_pending_end_ == pending_.size() && !pending_.empty() &&
                          pending_.back() == u'>';
  span_source_end_ = std::u16string::npos;
  if (in_option_) {
    in_option_ = false;
    if (Is(name, u"option")) {
      pending_.Append(text);
      ProtectPending();
      return;
    }
    ProtectPending();
  }
  if (Is(name, u"body") || Is(name, u"head") || Is(name, u"title")) {
    ProtectPending();
    out_.append(text);
    in_body_ = false;
    if (Is(name, u"head")) in_head_ = false;
  } else if (!open_template_.empty() && Is(name, open_template_.back())) {
    open_template_.pop_back();
    ProtectPending();
    out_.append(text);
  } else if (Is(name, u"form")) {
    ProtectPending();
    out_.append(text);
  } else if (empty_span) {
    pending_.InsertBeforeLast(kEmptySpanMarker);
    pending_.Append(u"&nbsp;");
    pending_.Append(text);
  } else if (IsTableTag(name)) {
    pending_.Append(text);
    ProtectPending();
  } else {
    pending_.Append(text);
  }
}

void PrePatcher::Finish() {
  if (protect_head_text_) {
    ProtectPending();
    protect_head_text_ = false;
  }
  // A text that ends in the body, and a fragment (neither html nor body), keep their tail.
  if (in_body_ || (!saw_html_ && !saw_body_)) {
    ProtectPending();
  } else {
    ReleasePending();
  }
}

PrePatchResult PrePatcher::Run() {
  // Values read as written, not as the tag parser would escape them.
  ScopedAttributeEscapingOff raw_values;
  // Room for the protections of most pages (a template dense with tags doubles in size). Room
  // that is never written costs address space only.
  ReserveLargeText(out_, 2 * text_.size);
  DocumentScanner scanner(text_);
  scanner.set_record_repairs(false);
  const std::u16string_view text(text_.data, text_.size);
  size_t cursor = 0;  // the source is consumed up to here
  size_t unread = text.size();
  for (;;) {
    const MarkupItem item = scanner.NextItem();
    if (item == MarkupItem::kEnd) break;
    size_t start = scanner.ItemStart();
    const size_t end = scanner.ItemEnd();
    if (item == MarkupItem::kText && scanner.LastTokenKind() == LexToken::kAbort) {
      unread = std::max(start, cursor);
      break;
    }
    if (end <= cursor) continue;
    if (start < cursor) start = cursor;
    pending_.Append(text.substr(cursor, start - cursor));
    cursor = start;
    const bool is_text = item == MarkupItem::kText || item == MarkupItem::kCData;
    if (!is_text && protect_head_text_) {
      ProtectPending();
      protect_head_text_ = false;
    }
    const std::u16string_view source = text.substr(start, end - start);
    if (is_text) {
      cursor = HandleText(start, end);
      // The plain items right after this one (words, runs of other characters) go the same way:
      // none of them starts a placeholder or changes what the pass is in.
      const LexToken kind = scanner.LastTokenKind();
      if (cursor == end && (kind == LexToken::kName || kind == LexToken::kOther) &&
          scanner.SkipPlainItems()) {
        pending_.Append(text.substr(cursor, scanner.ItemEnd() - cursor));
        cursor = scanner.ItemEnd();
      }
      continue;
    }
    cursor = end;
    if (item == MarkupItem::kTag && start == scanner.TagStart()) {
      const TagRecord& tag = scanner.Tag();
      if (!raw_name_.empty()) {
        pending_.Append(source);
        if (tag.end_tag && Is(tag.name.View(), raw_name_)) {
          raw_name_.clear();
          ProtectPending();
        }
      } else if (tag.end_tag) {
        HandleEndTag(tag.name.View(), source, start);
      } else if (in_option_) {
        pending_.Append(source);
      } else {
        HandleStartTag(tag, start, end);
      }
      continue;
    }
    if (!raw_name_.empty() || in_option_) {
      pending_.Append(source);
    } else if (item == MarkupItem::kComment) {
      HandleComment(source, scanner.ItemTextView());
    } else if (item == MarkupItem::kDeclaration) {
      pending_.Append(source);
      ProtectPending(true);
    } else {
      pending_.Append(source);
    }
  }
  if (unread == text.size()) {
    pending_.Append(text.substr(cursor));
    cursor = text.size();
  } else if (unread > cursor) {
    pending_.Append(text.substr(cursor, unread - cursor));
  }
  Finish();
  out_.append(text.substr(unread));
  if (head_insert_ && !moved_.empty()) out_.insert(*head_insert_, moved_);
  return PrePatchResult{std::move(out_), bits_};
}

}  // namespace

PrePatchResult PrePatch(BorrowedText text, const PrePatchSettings& settings) {
  return PrePatcher(text, settings).Run();
}

}  // namespace kpx
