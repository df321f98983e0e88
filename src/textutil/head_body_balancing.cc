#include "textutil/head_body_balancing.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "base/ascii_case.h"
#include "markup/attribute_escaping.h"
#include "markup/document_scanner.h"
#include "markup/element_table.h"
#include "markup/markup_char_classes.h"
#include "textutil/edit_session.h"
#include "textutil/fixed_texts.h"
#include "textutil/structure_tag_search.h"
#include "textutil/tag_extent.h"

namespace kpx {

namespace {

constexpr std::size_t kNowhere = static_cast<std::size_t>(-1);

constexpr std::array<std::u16string_view, 6> kHeadContentNames = {u"base",  u"link",  u"meta",
                                                                  u"title", u"style", u"script"};

// head, body and frameset, in any case.
bool IsStructureName(std::u16string_view name) {
  return EqualsIgnoringAsciiCase(name, u"head") || EqualsIgnoringAsciiCase(name, u"body") ||
         EqualsIgnoringAsciiCase(name, u"frameset");
}

bool IsHeadContentName(std::u16string_view table_name) {
  for (std::u16string_view name : kHeadContentNames) {
    if (name == table_name) return true;
  }
  return false;
}

// The scanner as both operations set it up: placeholders in attribute position are read, edits go
// to the list, and the tags read are not repaired.
void SetUpScanner(DocumentScanner& scanner, EditSink& edits) {
  scanner.set_placeholder_attribute_name(page_texts::kPlaceholderAttribute);
  scanner.set_edit_sink(&edits);
  scanner.set_record_repairs(false);
}

// A structure tag (body or frameset) that may be missing or written twice.
struct StructureTag {
  explicit StructureTag(std::u16string_view open_text) : open(open_text) {}
  bool start_seen = false;              // its start tag was met, or the place to open it was chosen
  bool end_seen = false;                // its end tag was met
  std::size_t open_at = kNowhere;       // where the missing start tag goes
  std::u16string open;                  // what goes there: the plain tag, or a moved duplicate
  std::size_t duplicate_at = kNowhere;  // where the last duplicate start tag stood
};

class Balancer {
 public:
  Balancer(EditSink& edits, BorrowedText text)
      : edits_(edits), scanner_(text), text_(scanner_.Text()) {
    SetUpScanner(scanner_, edits);
  }

  void Run() {
    std::size_t look_from = 0;  // nothing left to place: where to look at the rest again
    for (;;) {
      const MarkupItem kind = scanner_.NextItem();
      if (kind == MarkupItem::kEnd) break;
      if (!SomethingToPlace() && scanner_.ItemStart() >= look_from) {
        // This item and the later ones start here or further on.
        const std::size_t next = NextTagThatMatters(scanner_.ItemStart());
        if (next == kNowhere) break;
        look_from = next + 1;  // past the end of the text: read on to the end
      }
      if (kind != MarkupItem::kTag) continue;
      const std::u16string_view name = scanner_.Tag().name.View();
      // Other tags count only while the head is open and something is still to be placed.
      if (!IsStructureName(name) && !(head_start_seen_ && SomethingToPlace())) continue;
      const ElementEntry* entry = LookUpElement(name);
      if (entry == nullptr) continue;
      const TagExtent extent = MeasureTag(scanner_);
      if (scanner_.Tag().end_tag) {
        HandleEndTag(entry->name, extent);
      } else {
        HandleStartTag(entry->name, extent);
      }
    }
    RecordOpenings();
  }

 private:
  void HandleStartTag(std::u16string_view name, const TagExtent& extent) {
    if (name == u"head") {
      head_start_seen_ = true;
    } else if (name == u"body" || name == u"frameset") {
      // The head still open ends in front of it.
      if (head_start_seen_ && !head_end_seen_) {
        head_close_at_ = extent.start;
        head_end_seen_ = true;
      }
      StructureTag& structure = name == u"body" ? body_ : frameset_;
      if (structure.start_seen) {
        edits_.Delete(extent.start, extent.next_item - extent.start);
        structure.duplicate_at = extent.start;
        structure.open.assign(text_.substr(extent.start, extent.next_item - extent.start));
      }
      structure.start_seen = true;
    } else if (head_start_seen_ && !IsHeadContentName(name)) {
      ScheduleMissing(extent.start);
    }
  }

  void HandleEndTag(std::u16string_view name, const TagExtent& extent) {
    if (name == u"head") {
      if (head_end_seen_) edits_.Delete(extent.start, extent.next_item - extent.start);
      head_end_seen_ = true;
      return;
    }
    if (name == u"body") body_.end_seen = true;
    if (name == u"frameset") frameset_.end_seen = true;
    if (head_start_seen_ && !IsHeadContentName(name)) ScheduleMissing(extent.start);
  }

  bool SomethingToPlace() const {
    return !head_end_seen_ || !body_.start_seen || !frameset_.start_seen;
  }

  // The first tag that cannot stand in the head gets whatever is still missing in front of it.
  void ScheduleMissing(std::size_t at) {
    if (!head_end_seen_) {
      head_close_at_ = at;
      head_end_seen_ = true;
    }
    for (StructureTag* structure : {&body_, &frameset_}) {
      if (!structure->start_seen) {
        structure->open_at = at;
        structure->start_seen = true;
      }
    }
  }

  // Where the body and the frameset start tags go (kNowhere: nowhere), by the end tags the page
  // has.
  std::pair<std::size_t, std::size_t> Openings(bool body_end, bool frameset_end) const {
    if (body_end && frameset_end) {
      // Both kinds of page at once: only the duplicates go back where they were.
      return {body_.duplicate_at, frameset_.duplicate_at};
    }
    if (body_end) return {body_.open_at, kNowhere};
    if (frameset_end) return {kNowhere, frameset_.open_at};
    return {kNowhere, kNowhere};
  }

  // With nothing left to place, only head, body and frameset tags can still change the result,
  // and most pages have none of them left but </body>. Looks at the rest of the text from from
  // on for a "<" or "</" followed by such a name (more than the scanner reads as tags: also inside
  // comments, scripts and values): the first one that would record an edit or make the head
  // known, where the scanner has to read on; kNowhere when the end tags the rest may hold change
  // nothing either way, so that reading can stop; the end of the text when they may.
  std::size_t NextTagThatMatters(std::size_t from) const {
    bool body_end = false;
    bool frameset_end = false;
    for (std::size_t at = FindStructureTagCandidate(text_, from); at != kNowhere;
         at = FindStructureTagCandidate(text_, at + 1)) {
      const bool end_tag = at + 1 < text_.size() && text_[at + 1] == u'/';
      const std::size_t name_start = at + (end_tag ? 2 : 1);
      std::size_t name_end = name_start;
      // Letters and digits go on with a name; anything else may end it.
      while (name_end < text_.size() && name_end - name_start <= 8 &&
             (HasCharClass(text_[name_end], kCharAsciiLetter) ||
              (text_[name_end] >= u'0' && text_[name_end] <= u'9'))) {
        ++name_end;
      }
      const std::u16string_view name = text_.substr(name_start, name_end - name_start);
      if (EqualsIgnoringAsciiCase(name, u"head")) {
        if (end_tag || !head_start_seen_) return at;
      } else if (EqualsIgnoringAsciiCase(name, u"body")) {
        if (!end_tag) return at;
        body_end = true;
      } else if (EqualsIgnoringAsciiCase(name, u"frameset")) {
        if (!end_tag) return at;
        frameset_end = true;
      }
    }
    if (!head_start_seen_) return kNowhere;  // nothing is opened without a head
    const auto now = Openings(body_.end_seen, frameset_.end_seen);
    const bool all_same =
        Openings(body_.end_seen || body_end, frameset_.end_seen) == now &&
        Openings(body_.end_seen, frameset_.end_seen || frameset_end) == now &&
        Openings(body_.end_seen || body_end, frameset_.end_seen || frameset_end) == now;
    return all_same ? kNowhere : text_.size();
  }

  // Which openings go in depends on the end tags the page has; all need a head.
  void RecordOpenings() {
    const auto [body_at, frameset_at] = Openings(body_.end_seen, frameset_.end_seen);
    if (!head_start_seen_) return;
    // Each insert goes in front of those before it at its place: </head>, then <frameset>,
    // then <body>.
    if (body_at != kNowhere) edits_.Insert(body_at, body_.open, false);
    if (frameset_at != kNowhere) edits_.Insert(frameset_at, frameset_.open, false);
    if (head_close_at_ != kNowhere) edits_.Insert(head_close_at_, u"</head>", false);
  }

  EditSink& edits_;
  DocumentScanner scanner_;
  std::u16string_view text_;
  bool head_start_seen_ = false;
  bool head_end_seen_ = false;  // </head> met, or the place to close the head chosen
  std::size_t head_close_at_ = kNowhere;
  StructureTag body_{u"<body>"};
  StructureTag frameset_{u"<frameset>"};
};

// Holds the edits of a balancing run until it is known whether there are any.
class EditRecorder final : public EditSink {
 public:
  void Insert(std::size_t position, std::u16string_view text, bool after) override {
    edits_.push_back({position, 0, std::u16string(text), after, true});
  }
  void Delete(std::size_t position, std::size_t count) override {
    edits_.push_back({position, count, {}, false, false});
  }
  void Withdraw(std::size_t count) override {
    edits_.resize(edits_.size() - std::min(count, edits_.size()));
  }
  bool empty() const { return edits_.empty(); }
  // Records the edits held into sink, in the order they came.
  void ReplayInto(EditSink& sink) const {
    for (const Edit& edit : edits_) {
      if (edit.insert) {
        sink.Insert(edit.position, edit.text, edit.after);
      } else {
        sink.Delete(edit.position, edit.count);
      }
    }
  }

 private:
  struct Edit {
    std::size_t position;
    std::size_t count;
    std::u16string text;
    bool after;
    bool insert;
  };
  std::vector<Edit> edits_;
};

// A start tag inside the body, with the whitespace after it.
struct TagRange {
  std::size_t start;
  std::size_t end;
};

std::vector<TagRange> FindBodyStartTags(DocumentScanner& scanner, bool* head_started,
                                        std::size_t* head_end) {
  std::vector<TagRange> ranges;
  bool body_started = false;
  bool body_ended = false;
  for (;;) {
    const MarkupItem kind = scanner.NextItem();
    if (kind == MarkupItem::kEnd) return ranges;
    if (kind != MarkupItem::kTag) continue;
    // Outside the body only head and body tags count.
    const bool in_body = body_started && !body_ended;
    if (!in_body && !IsStructureName(scanner.Tag().name.View())) continue;
    const ElementEntry* entry = LookUpElement(scanner.Tag().name.View());
    if (entry == nullptr) continue;
    const std::u16string_view name = entry->name;
    const TagExtent extent = MeasureTag(scanner);
    if (scanner.Tag().end_tag) {
      if (name == u"head") *head_end = extent.start;
      if (name == u"body") body_ended = true;
      continue;
    }
    if (name == u"head") *head_started = true;
    if (name == u"body") body_started = true;
    if (body_started && !body_ended && name != u"meta" && name != u"link") {
      ranges.push_back({extent.start, extent.next_item});
    }
  }
}

}  // namespace

std::u16string BalanceHeadAndBody(TextEditList& edits, std::u16string_view html) {
  ScopedAttributeEscapingOff escaping_off;
  EditSession session(edits, html);
  Balancer(edits, BorrowedText{edits.Text()}).Run();
  return session.Finish();
}

bool BalanceHeadAndBodyIfNeeded(TextEditList& edits, BorrowedText html, std::u16string* balanced) {
  ScopedAttributeEscapingOff escaping_off;
  EditRecorder recorder;
  Balancer(recorder, html).Run();
  if (recorder.empty()) {
    EditSession empty_list(edits, std::u16string());  // left empty, as after any operation
    return false;
  }
  EditSession session(edits, std::u16string_view(html.data, html.size));
  recorder.ReplayInto(edits);
  *balanced = session.Finish();
  return true;
}

std::u16string MoveBodyTags(TextEditList& edits, std::u16string_view html) {
  ScopedAttributeEscapingOff escaping_off;
  EditSession session(edits, html);
  DocumentScanner scanner(edits.Text());
  SetUpScanner(scanner, edits);
  bool head_started = false;
  std::size_t head_end = kNowhere;
  const std::vector<TagRange> ranges = FindBodyStartTags(scanner, &head_started, &head_end);
  if (head_started && head_end != kNowhere && head_end > 1) {
    const std::u16string_view text = scanner.Text();
    for (const TagRange& range : ranges) {
      edits.Delete(range.start, range.end - range.start);
      edits.Insert(head_end, text.substr(range.start, range.end - range.start), false);
    }
  }
  return session.Finish();
}

}  // namespace kpx
