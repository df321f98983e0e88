// One scan for both passes of the back transformation.
#include "reverse/back_transformation.h"

#include <algorithm>
#include <optional>

#include "markup/attribute_escaping.h"
#include "markup/document_scanner.h"
#include "markup/markup_char_classes.h"
#include "markup/warning_sink.h"
#include "reverse/edit_list_session.h"
#include "reverse/scanning.h"
#include "reverse/writer_pass.h"

namespace kpx {

namespace {

using namespace std::string_view_literals;

bool IsBom(char16_t c) {
  return c == 0xFEFF || c == 0xFFFE;
}

bool HoldsServerCode(std::u16string_view text) {
  return text.find(u"<%"sv) != std::u16string_view::npos ||
         text.find(u"%>"sv) != std::u16string_view::npos;
}

// Whether the tag has the shape that the tag parser reads without looking past it, straight from
// the text: closed, every attribute minimized or with a value between two quotes that ends at
// the first one and is followed by what may follow a value, no junk, no duplicate, no server code.
// With "/" put in front of its closing ">" such a tag reads the same, but for ending self-closed.
// (Read outside script mode and server code.)
bool TakesSlashPlainly(const TagRecord& tag, std::u16string_view text) {
  if (tag.needs_rewrite || !tag.junk_ranges.empty()) return false;
  for (const AttributeRecord& attribute : tag.attributes) {
    if (!attribute.from_source) return false;
    if (attribute.equals_position == 0) continue;
    const std::size_t open = attribute.value_position;
    const std::u16string_view value = attribute.value.View();
    const std::size_t close = open + 1 + value.size();
    if (attribute.quote_kind == QuoteKind::kNone || close >= text.size()) return false;
    const char16_t quote = text[open];
    if (text[close] != quote || text.substr(open + 1, value.size()) != value ||
        value.find(quote) != std::u16string_view::npos || HoldsServerCode(value)) {
      return false;
    }
    if (close + 1 < text.size() &&
        !HasCharClass(text[close + 1], kCharQuoteFollower | kCharWhitespace | kCharLineBreak)) {
      return false;
    }
  }
  return true;
}

// Notes whether the tokenizer met a string it could not close.
class UnclosedStrings final : public WarningSink {
 public:
  void Report(std::u16string_view key, size_t, int) override {
    if (key != kWarnMissedSpaceBetweenAttributes) met = true;
  }
  bool met = false;
};

// Feeds a writer the items of one scan as the pre-processing leaves them; stops it for good when
// that cannot be done.
class RidingWriter {
 public:
  // A writer that does not ride (ride false) is stopped from the start.
  RidingWriter(std::u16string_view text, IUnknown* page, const PageSettings& settings,
               PageXmlOutput& output, bool ride) {
    if (ride) Guard([&] { writer_.emplace(text, page, nullptr, settings, output); });
  }

  bool active() const { return writer_.has_value(); }
  void Stop() { writer_.reset(); }

  void Item(MarkupItem kind, DocumentScanner& scanner) {
    Guard([&] { writer_->Item(kind, scanner); });
  }
  void PassText() { writer_->PassText(); }

  // The tag the scanner has just read, with the edits the pre-processing made for it; script and
  // server: the scanner's modes before it.
  void Tag(DocumentScanner& scanner, std::span<const BackEdit> edits, const TagName& name,
           bool script, bool server) {
    TagRecord& tag = scanner.Tag();
    const std::size_t start = scanner.TagStart(), end = scanner.ItemEnd();
    TagChange change;
    if (!edits.empty() && edits.back().position == end) {
      // The only edit made behind a tag: "&nbsp;" between a span and its end tag.
      change.nbsp_after = true;
      edits = edits.first(edits.size() - 1);
    }
    if (edits.size() == 1 && edits[0].position == end - 1 && edits[0].count == 0 &&
        edits[0].text == u"/"sv && !script && !server && !scanner.script_mode() &&
        !scanner.server_code_in_string() && TakesSlashPlainly(tag, scanner.Text())) {
      change.slash = true;
      tag.self_closing = true;
      Guard([&] { writer_->Tag(tag, start, end, change, &name); });
      return;
    }
    if (edits.empty()) {
      Guard([&] { writer_->Tag(tag, start, end, change, tag.end_tag ? nullptr : &name); });
      return;
    }
    const TagRecord* rewritten = Reread(scanner, edits, start, end, script, server);
    if (!rewritten) {
      Stop();
      return;
    }
    change.rewritten = std::u16string_view(rewritten_);
    Guard([&] { writer_->Tag(*rewritten, start, end, change, &name); });
  }

  // After the last item; false when the writer stopped.
  bool Finish() {
    if (writer_) Guard([&] { writer_->Finish(); });
    return active();
  }
  std::u16string TakeRoot() { return writer_->TakeRoot(); }

 private:
  // Runs a step of the writer; whatever it throws stops it (the writer on its own, which runs
  // then, meets it again in its turn).
  template <class Step>
  void Guard(Step step) {
    try {
      step();
    } catch (...) {
      writer_.reset();
    }
  }

  // The tag's text with the edits made (rewritten_), read again as the scanner would read it in
  // the pre-processed text; null when it does not read as one whole closed tag that leaves the
  // scanner as the original left it.
  const TagRecord* Reread(const DocumentScanner& scanner, std::span<const BackEdit> edits,
                          std::size_t start, std::size_t end, bool script, bool server) {
    const std::u16string_view text = scanner.Text();
    rewritten_.clear();
    std::size_t from = start;
    for (const BackEdit& edit : edits) {
      if (edit.kind != BackEdit::kReplace || edit.position < from ||
          edit.position + edit.count > end || (edit.count == 0 && edit.position == end)) {
        return nullptr;
      }
      rewritten_.append(text.substr(from, edit.position - from));
      rewritten_ += edit.text;
      from = edit.position + edit.count;
    }
    rewritten_.append(text.substr(from, end - from));
    // A string that does not close inside the tag, or server code, would read on into what
    // follows the tag.
    if (HoldsServerCode(rewritten_)) return nullptr;
    reader_.emplace(BorrowedText(rewritten_));
    reader_->set_record_repairs(false);
    reader_->set_script_mode(script);
    reader_->set_server_code_in_string(server);
    UnclosedStrings unclosed;
    reader_->set_warning_sink(&unclosed);
    const bool read = reader_->NextItem() == MarkupItem::kTag;
    reader_->set_warning_sink(nullptr);
    if (!read || unclosed.met || reader_->TagStart() != 0 ||
        reader_->ItemEnd() != rewritten_.size() || reader_->Tag().needs_rewrite ||
        reader_->script_mode() != scanner.script_mode() ||
        reader_->server_code_in_string() != scanner.server_code_in_string()) {
      return nullptr;
    }
    return &reader_->Tag();
  }

  std::optional<WriterPass> writer_;
  std::u16string rewritten_;
  std::optional<DocumentScanner> reader_;
};

}  // namespace

HRESULT BackTransformTemplate(TextEditList& list, IUnknown* page, std::u16string_view text,
                              const PreprocessOptions& options, const PageXmlSink& sink,
                              BackScan scan) {
  ComPtr<IUnknown> holder(page);
  ComPtr<HostPageModel> model = holder.As<HostPageModel>();
  Formatter formatter(model.Get());
  const std::optional<std::u16string> repaired = RepairCharacters(text, options.substitutions);
  const std::u16string_view source = repaired ? std::u16string_view(*repaired) : text;
  const PageSettings settings = ReadPageSettings(FindPage(page).Get());
  // Tags are read as the text holds them: neither pass copies anything the tag parser escaped.
  ScopedAttributeEscapingOff raw_values;
  DocumentScanner scanner(ScannableText(source));
  scanner.set_record_repairs(false);
  PrePass pre(source, scanner, model.Get(), options, formatter);
  std::optional<OutputRoom> room(std::in_place, list, source.size());
  PageXmlOutput output(source, room->Text());
  std::optional<std::u16string> root;
  bool accepted = false;
  {
    ScopedDoubleEscapeQuotes quotes(settings.publish_template);
    RidingWriter writer(source, page, settings, output, scan == BackScan::kOne);
    for (;;) {
      if (SkipPlainTextBefore(scanner, writer.active()) && writer.active()) writer.PassText();
      const bool script = scanner.script_mode(), server = scanner.server_code_in_string();
      const MarkupItem kind = scanner.NextItem();
      if (kind == MarkupItem::kEnd) break;
      pre.Item(kind, script, server);
      if (!writer.active()) continue;
      if (!pre.local()) {
        writer.Stop();
      } else if (kind == MarkupItem::kTag) {
        writer.Tag(scanner, pre.LastTagEdits(), pre.LastTagName(), script, server);
      } else {
        writer.Item(kind, scanner);
      }
    }
    accepted = pre.Finish();
    // A byte-order mark that the repairs put first goes, which the writer does not know of.
    const bool new_mark =
        !source.empty() && IsBom(source[0]) && (text.empty() || text[0] != source[0]);
    if (accepted && SUCCEEDED(formatter.status()) && !new_mark && writer.Finish()) {
      root = writer.TakeRoot();
    }
  }
  if (!accepted) return E_INVALIDARG;
  if (FAILED(formatter.status())) return formatter.status();
  if (root) {
    SetDoubleEscapeQuotes(settings.publish_template);
    sink(*root, room->Text());
    return S_OK;
  }
  // The writer could not ride along: the pre-processing's edits are applied, and the writer
  // reads the result.
  room.reset();
  std::u16string prepared;
  {
    EditListSession session(list, source);
    for (BackEdit& edit : pre.Edits()) {
      if (edit.count != 0) list.Delete(edit.position, edit.count);
      if (!edit.text.empty()) list.Insert(edit.position, edit.text, true);
    }
    prepared = session.Finish();
  }
  if (!prepared.empty() && IsBom(prepared[0]) && (text.empty() || text[0] != prepared[0])) {
    prepared.erase(0, 1);
  }
  WritePageXml(list, prepared, page, nullptr, sink);
  return S_OK;
}

}  // namespace kpx
