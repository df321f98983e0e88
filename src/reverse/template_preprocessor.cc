// The pre-processing pass.
#include "reverse/template_preprocessor.h"

#include <algorithm>

#include "base/ascii_case.h"
#include "base/char16_search.h"
#include "base/large_buffers.h"
#include "base/status.h"
#include "com/bstr.h"
#include "markup/element_table.h"
#include "reverse/scanning.h"

namespace kpx {

namespace {

using namespace std::string_view_literals;

bool Is(std::u16string_view name, std::u16string_view lower) {
  return EqualsIgnoringAsciiCase(name, lower);
}

std::u16string ReadText(HRESULT (HostPageModel::*getter)(BSTR*), HostPageModel* model) {
  Bstr text;
  if (!model || FAILED((model->*getter)(text.Put()))) return {};
  return std::u16string(text.View());
}

PathContext PagePaths(HostPageModel* page) {
  std::u16string project_directory;
  ComPtr<HostProject> project;
  if (page && SUCCEEDED(page->GetProject(project.Put())) && project) {
    Bstr directory;
    if (SUCCEEDED(project->GetDirectory(directory.Put()))) project_directory = directory.View();
  }
  return MakePathContext(ReadText(&HostPageModel::GetFileName, page),
                         ReadText(&HostPageModel::GetDirectory, page), project_directory);
}

// Tags that stay between <html> and <body>: the document's structure and what a head holds.
// Other known elements are body content; unknown (template) tags stay where they are.
bool IsBodyContent(const TagName& name) {
  if (!name.known) return false;
  if ((name.properties & (kDocumentStructure | kAllowedInHead)) != 0) return false;
  switch (name.kind) {
    case TagKind::kTitle:
    case TagKind::kMeta:
    case TagKind::kLink:
    case TagKind::kScript:
    case TagKind::kStyle:
      return false;
    default:
      return true;
  }
}

std::u16string_view ValueOf(const TagRecord& tag, std::u16string_view name) {
  const AttributeRecord* attribute = tag.attributes.Find(name);
  return attribute ? attribute->value.View() : std::u16string_view();
}

}  // namespace

std::vector<std::u16string> RemovedFontColours(std::optional<std::u16string_view> value) {
  std::vector<std::u16string> colours;
  if (value) {
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= value->size(); ++i) {
      if (i != value->size() && (*value)[i] != u';') continue;
      std::u16string_view item = value->substr(begin, i - begin);
      begin = i + 1;
      while (!item.empty() && (item.front() == u' ' || item.front() == u'\t'))
        item.remove_prefix(1);
      while (!item.empty() && (item.back() == u' ' || item.back() == u'\t')) item.remove_suffix(1);
      if (item.empty()) continue;
      std::u16string colour(item);
      for (char16_t& c : colour) c = AsciiToLower(c);
      colours.push_back(std::move(colour));
    }
  }
  if (colours.empty()) colours.emplace_back(kDefaultRemovedFontColour);
  return colours;
}

std::optional<std::u16string> RepairCharacters(std::u16string_view text,
                                               const SubstitutionTable* table) {
  if (table) return table->Apply(text);
  constexpr std::u16string_view kEntity = u"&#194;";
  const auto next = [text, kEntity](std::size_t from) { return FindText(text, from, kEntity); };
  std::size_t at = next(0);
  if (at == std::u16string_view::npos) return std::nullopt;
  std::u16string out;
  ReserveLargeText(out, text.size());
  std::size_t from = 0;
  for (; at != std::u16string_view::npos; at = next(from)) {
    out.append(text.substr(from, at - from));
    out += char16_t{0x00C2};
    from = at + kEntity.size();
  }
  out.append(text.substr(from));
  return out;
}

Formatter::Formatter(HostPageModel* page) {
  status_ = CoCreateInstance(CLSID_HostFormatter, nullptr, CLSCTX_ALL, HostFormatter::kIID,
                             formatter_.PutVoid());
  if (FAILED(status_)) return;
  if (!formatter_) {
    status_ = E_FAIL;
    return;
  }
  ComPtr<IUnknown> context;
  if (page) page->GetFormatterContext(context.Put());
  status_ = formatter_->Initialize(context.Get());
}

std::optional<std::u16string> Formatter::Format(std::u16string_view extent) {
  if (FAILED(status_)) return std::nullopt;
  // In and out through one slot: the formatter may free the string it gets and put another.
  Bstr html(extent);
  BSTR slot = html.Detach();
  const HRESULT hr = formatter_->Format(&slot);
  html = Bstr::Adopt(slot);
  if (FAILED(hr)) return std::nullopt;
  std::u16string_view answer = html.View();
  const std::size_t nul = answer.find(u'\0');
  if (nul != std::u16string_view::npos) answer = answer.substr(0, nul);
  return std::u16string(answer);
}

PrePass::PrePass(std::u16string_view text, DocumentScanner& scanner, HostPageModel* page,
                 const PreprocessOptions& options, Formatter& formatter)
    : text_(text),
      scanner_(scanner),
      page_(page),
      options_(options),
      paths_(PagePaths(page)),
      formatter_(formatter) {}

void PrePass::Item(MarkupItem kind, bool script_before, bool server_before) {
  tag_edits_.clear();
  script_before_ = script_before;
  server_before_ = server_before;
  if (kind != MarkupItem::kTag) {
    // Only tags matter here: the words up to the next other item go at once.
    if (kind == MarkupItem::kText && (scanner_.LastTokenKind() == LexToken::kName ||
                                      scanner_.LastTokenKind() == LexToken::kOther)) {
      scanner_.SkipPlainItems();
    }
    return;
  }
  // Inside a component extent the rules still run: should the extent never close, their edits
  // stand; when it closes, the formatter's answer replaces them with the extent.
  const bool in_extent = extent_.has_value();
  const TagRecord& tag = scanner_.Tag();
  if (tag.end_tag) {
    // End tags are told apart by the few names that matter for them (p, form and font), unless
    // a span or the tags before <body> are being cut.
    const std::u16string_view name = tag.name.View();
    const bool font = Is(name, u"font"sv);
    if (cut_span_ || in_prologue_ || name.size() == 1 || name.size() == 4) {
      EndTag(name, font, in_extent);
    }
    if (in_extent) TagInsideExtent(font);
    return;
  }
  last_tag_name_ = ClassifyTagName(tag.name.View());
  Tag(last_tag_name_, in_extent);
  if (in_extent) TagInsideExtent(last_tag_name_.kind == TagKind::kFont);
}

bool PrePass::Finish() {
  // A cut waits for <body>: with none, nothing is cut and the tags keep their own edits.
  for (Cut& cut : cuts_) {
    if (!cut.erased) edits_.insert(edits_.end(), cut.edits.begin(), cut.edits.end());
  }
  cuts_.clear();
  return saw_serviceable_ || !saw_span_;
}

std::vector<BackEdit>& PrePass::Edits() {
  if (!recording_) {
    recording_ = true;
    FindEditsAgain();
  }
  const auto by_position = [](const BackEdit& a, const BackEdit& b) {
    return a.position < b.position;
  };
  // Mostly made in position order already.
  if (!std::is_sorted(edits_.begin(), edits_.end(), by_position)) {
    std::stable_sort(edits_.begin(), edits_.end(), by_position);
  }
  std::size_t kept = 0;
  std::size_t reach_start = 0, reach = 0;
  bool reaching = false;
  for (std::size_t i = 0; i < edits_.size(); ++i) {
    BackEdit& edit = edits_[i];
    if (reaching && edit.position < reach && (edit.position > reach_start || edit.count != 0)) {
      continue;
    }
    if (edit.count != 0 && (!reaching || edit.position + edit.count > reach)) {
      reaching = true;
      reach_start = edit.position;
      reach = edit.position + edit.count;
    }
    if (kept != i) edits_[kept] = std::move(edit);
    ++kept;
  }
  edits_.resize(kept);
  return edits_;
}

void PrePass::TagEdits(const TagRecord& tag, const TagName& kind, std::size_t start,
                       std::size_t end, std::vector<BackEdit>& edits,
                       AttributeFindings& found) const {
  RepairAttributes(text_, tag, kind.kind, paths_, options_.colours, edits, found);
  const bool span = kind.kind == TagKind::kSpan;
  const bool serviceable_without_id =
      found.serviceable && found.component_id == 0 && !span && kind.kind != TagKind::kComment &&
      kind.kind != TagKind::kScript && kind.kind != TagKind::kStyle &&
      kind.kind != TagKind::kKpsCData && kind.kind != TagKind::kHead;
  const bool empty_element = kind.kind == TagKind::kMeta || kind.kind == TagKind::kLink ||
                             (kind.properties & kEmpty) != 0 || serviceable_without_id;
  const bool slash = empty_element && !tag.self_closing && end > start && text_[end - 1] == u'>';
  if (slash) edits.emplace_back(BackEdit::kReplace, end - 1, 0, u"/");
  if (span && end + 6 <= text_.size() &&
      EqualsIgnoringAsciiCase(text_.substr(end, 6), u"</span"sv)) {
    edits.emplace_back(BackEdit::kReplace, end, 0, u"&nbsp;");
  }
}

void PrePass::Record() {
  local_ = false;
  if (recording_) return;
  recording_ = true;
  FindEditsAgain();
}

// The tags read before made their edits for themselves alone (or the pass would be recording):
// each is read again where it stands, in the scanner's modes there, for its edits.
void PrePass::FindEditsAgain() {
  if (edited_tags_.empty()) return;
  DocumentScanner again(ScannableText(text_));
  again.set_record_repairs(false);
  std::vector<BackEdit> edits;
  AttributeFindings found;
  for (const EditedTag& edited : edited_tags_) {
    again.SetPosition(edited.start);
    again.set_script_mode(edited.script);
    again.set_server_code_in_string(edited.server);
    if (again.NextItem() != MarkupItem::kTag || again.TagStart() != edited.start) {
      throw ConverterError(E_FAIL, "a tag read again is not the same");
    }
    const TagRecord& tag = again.Tag();
    edits.clear();
    TagEdits(tag, ClassifyTagName(tag.name.View()), edited.start, again.ItemEnd(), edits, found);
    edits_.insert(edits_.end(), std::make_move_iterator(edits.begin()),
                  std::make_move_iterator(edits.end()));
  }
  edited_tags_.clear();
}

void PrePass::Tag(const TagName& kind, bool in_extent) {
  const TagRecord& tag = scanner_.Tag();
  const std::size_t start = scanner_.TagStart(), end = scanner_.ItemEnd();
  const std::u16string_view name = tag.name.View();
  const bool span = kind.kind == TagKind::kSpan;
  std::vector<BackEdit>& edits = tag_edits_;
  AttributeFindings& found = found_;
  TagEdits(tag, kind, start, end, edits, found);
  if (found.serviceable) saw_serviceable_ = true;
  if (span) saw_span_ = true;
  if (cut_span_) {
    if (span && !tag.self_closing) ++span_depth_;
    return;
  }
  if (kind.kind == TagKind::kHtml) in_prologue_ = true;
  if (kind.kind == TagKind::kHead) head_end_ = end;
  if (kind.kind == TagKind::kBody) CommitCuts(end);

  // A component the host shows in no position of its own goes back through the formatter
  // (an extent marker, which carries isBegin, has no extent of its own).
  if (!in_extent && found.serviceable && !found.marker && found.component_id != 0 && page_ &&
      HasNoPosition(found.component_id)) {
    const bool empty = tag.self_closing || (kind.properties & kEmpty) != 0;
    if (!empty) {
      Record();
      extent_.emplace(start, name);
    }
  }

  if (!extent_ && kind.kind == TagKind::kMeta && head_end_ != kNoHead &&
      EqualsIgnoringAsciiCase(ValueOf(tag, u"http-equiv"sv), u"content-type"sv) &&
      !OnlyBlanks(head_end_, start)) {
    // Moved to just after <head>, as an empty-element tag.
    Record();
    edits_.emplace_back(BackEdit::kReplace, head_end_, 0, EditedText(start, end, edits));
    edits_.emplace_back(BackEdit::kReplace, start, end - start, u"");
    return;
  }

  std::size_t cut = kNoCut;
  if (in_prologue_ && !extent_ && IsBodyContent(kind)) {
    if (span) {
      // The whole element, nested spans included, goes as it is.
      Record();
      cut_span_ = Cut{start, end, {}};
      span_depth_ = 0;
      if (tag.self_closing) FinishSpanCut(end);
      return;
    }
    Record();
    cut = cuts_.size();
    cuts_.push_back(Cut{start, end, edits});
  } else if (recording_) {
    edits_.insert(edits_.end(), edits.begin(), edits.end());
  } else if (!edits.empty()) {
    edited_tags_.push_back({start, script_before_, server_before_});
  }
  if (kind.kind == TagKind::kForm) Push(Open::kForm, start, end, false, cut);
  if (kind.kind == TagKind::kP) Push(Open::kP, start, end, false, cut);
  if (kind.kind == TagKind::kFont) Push(Open::kFont, start, end, found.listed_font, cut);
}

void PrePass::EndTag(std::u16string_view name, bool font, bool in_extent) {
  const std::size_t start = scanner_.TagStart(), end = scanner_.ItemEnd();
  if (cut_span_) {
    if (Is(name, u"span"sv)) {
      if (span_depth_ == 0) {
        FinishSpanCut(end);
      } else {
        --span_depth_;
      }
    }
    return;
  }
  std::size_t cut = kNoCut;
  if (in_prologue_ && !in_extent && IsBodyContent(ClassifyTagName(name))) {
    Record();
    cut = cuts_.size();
    cuts_.push_back(Cut{start, end, {}});
  }
  const bool form = Is(name, u"form"sv), p = Is(name, u"p"sv);
  if (!form && !p && !font) return;
  while (!open_.empty() && open_.back().dead) open_.pop_back();
  const Open open = form ? Open::kForm : p ? Open::kP : Open::kFont;
  if (!open_.empty() && open_.back().kind == open) {
    if (open_.back().remove) {
      EraseTag(open_.back().start, open_.back().end, open_.back().cut);
      EraseTag(start, end, cut);
    }
    Pop();
    return;
  }
  if (p) {
    EraseTag(start, end, cut);
    if (!p_open_.empty()) {
      OpenTag& nearest = open_[p_open_.back()];
      EraseTag(nearest.start, nearest.end, nearest.cut);
      nearest.dead = true;
      p_open_.pop_back();
    }
    return;
  }
  if (form && !form_open_.empty()) {
    // The form closes, and whatever opened inside it with it.
    const std::size_t index = form_open_.back();
    while (open_.size() > index) Pop();
  }
}

// Inside a component extent: only its end and the listed font tags in it matter.
void PrePass::TagInsideExtent(bool font) {
  const TagRecord& tag = scanner_.Tag();
  const std::size_t start = scanner_.TagStart(), end = scanner_.ItemEnd();
  const std::u16string_view name = tag.name.View();
  Extent& extent = *extent_;
  if (font) {
    if (!tag.end_tag) {
      std::vector<BackEdit> ignored;
      AttributeFindings found;
      RepairAttributes(text_, tag, TagKind::kFont, paths_, options_.colours, ignored, found);
      const bool listed = found.listed_font;
      extent.fonts.emplace_back(start, end);
      extent.font_listed.push_back(listed);
    } else if (!extent.fonts.empty()) {
      if (extent.font_listed.back()) {
        extent.removed.push_back(extent.fonts.back());
        extent.removed.emplace_back(start, end);
      }
      extent.fonts.pop_back();
      extent.font_listed.pop_back();
    }
  }
  if (!Is(name, extent.name)) return;
  if (!tag.end_tag) {
    if (!tag.self_closing) ++extent.depth;
    return;
  }
  if (extent.depth != 0) {
    --extent.depth;
    return;
  }
  std::sort(extent.removed.begin(), extent.removed.end());
  std::u16string html;
  std::size_t from = extent.start;
  for (const auto& [a, b] : extent.removed) {
    html.append(text_.substr(from, a - from));
    from = b;
  }
  html.append(text_.substr(from, end - from));
  if (auto answer = formatter_.Format(html)) {
    edits_.emplace_back(BackEdit::kReplace, extent.start, end - extent.start, std::move(*answer));
  }
  extent_.reset();
}

void PrePass::FinishSpanCut(std::size_t end) {
  cut_span_->end = end;
  cuts_.push_back(std::move(*cut_span_));
  cut_span_.reset();
}

// At <body>: the cut tags go, and their text follows the body's start tag.
void PrePass::CommitCuts(std::size_t body_end) {
  if (!in_prologue_) return;
  in_prologue_ = false;
  std::u16string moved;
  for (Cut& cut : cuts_) {
    if (cut.erased) continue;
    moved += EditedText(cut.start, cut.end, cut.edits);
    edits_.emplace_back(BackEdit::kReplace, cut.start, cut.end - cut.start, u"");
  }
  cuts_.clear();
  if (!moved.empty()) edits_.emplace_back(BackEdit::kReplace, body_end, 0, std::move(moved));
}

void PrePass::EraseTag(std::size_t start, std::size_t end, std::size_t cut) {
  Record();
  if (cut != kNoCut) {
    cuts_[cut].erased = true;
  }
  edits_.emplace_back(BackEdit::kReplace, start, end - start, u"");
}

void PrePass::Push(Open kind, std::size_t start, std::size_t end, bool remove, std::size_t cut) {
  if (kind == Open::kP) p_open_.push_back(open_.size());
  if (kind == Open::kForm) form_open_.push_back(open_.size());
  open_.push_back({kind, start, end, remove, false, cut});
}

void PrePass::Pop() {
  const OpenTag& top = open_.back();
  if (top.kind == Open::kP && !top.dead && !p_open_.empty() && p_open_.back() == open_.size() - 1) {
    p_open_.pop_back();
  }
  if (top.kind == Open::kForm && !form_open_.empty() && form_open_.back() == open_.size() - 1) {
    form_open_.pop_back();
  }
  open_.pop_back();
}

bool PrePass::HasNoPosition(LONG id) {
  ComPtr<HostPageModel> component;
  if (FAILED(page_->FindComponentById(id, component.Put())) || !component) return false;
  LONG position = 0;
  return component->GetPosition(&position) != S_OK;
}

bool PrePass::OnlyBlanks(std::size_t from, std::size_t to) const {
  if (from > to) return false;
  for (std::size_t i = from; i < to; ++i) {
    const char16_t c = text_[i];
    if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n') return false;
  }
  return true;
}

// The text of [start, end) with edits (inside it, in position order) applied.
std::u16string PrePass::EditedText(std::size_t start, std::size_t end,
                                   std::vector<BackEdit> edits) const {
  std::stable_sort(edits.begin(), edits.end(),
                   [](const BackEdit& a, const BackEdit& b) { return a.position < b.position; });
  std::u16string out;
  std::size_t from = start;
  for (const BackEdit& edit : edits) {
    if (edit.position < from || edit.position + edit.count > end) continue;
    out.append(text_.substr(from, edit.position - from));
    if (edit.kind == BackEdit::kReplace) out += edit.text;
    if (edit.kind == BackEdit::kLowerCase) {
      for (char16_t c : text_.substr(edit.position, edit.count)) out += AsciiToLower(c);
    }
    from = edit.position + edit.count;
  }
  out.append(text_.substr(from, end - from));
  return out;
}

}  // namespace kpx
