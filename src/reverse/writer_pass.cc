// The page XML writer's pass.
#include "reverse/writer_pass.h"

#include "base/ascii_case.h"
#include "base/status.h"
#include "com/variant_holder.h"
#include "markup/element_table.h"
#include "page/xml_text.h"
#include "reverse/cdata_text.h"
#include "reverse/component_binding.h"
#include "reverse/tag_names.h"

namespace kpx {

namespace {

using namespace std::string_view_literals;

std::u16string_view ValueOf(const TagRecord& tag, std::u16string_view name) {
  const AttributeRecord* attribute = tag.attributes.Find(name);
  return attribute ? attribute->value.View() : std::u16string_view();
}

bool Is(std::u16string_view name, std::u16string_view lower) {
  return EqualsIgnoringAsciiCase(name, lower);
}

std::u16string Lower(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = AsciiToLower(c);
  return out;
}

bool HasContent(const TagRecord& tag) {
  return !tag.self_closing && !HasElementProperty(tag.name.View(), kEmpty);
}

void Note(const AttributeRecord& attribute, std::u16string_view name, std::u16string_view wanted,
          const AttributeRecord*& slot) {
  if (!slot && EqualsIgnoringAsciiCase(name, wanted)) slot = &attribute;
}

// Start tags that the writer looks at more closely (and lower-cases when they stay).
bool IsCandidate(const TagName& name, bool serviceable_or_tag_content) {
  switch (name.kind) {
    case TagKind::kSpan:
    case TagKind::kMeta:
    case TagKind::kComment:
    case TagKind::kScript:
    case TagKind::kStyle:
    case TagKind::kKpsCData:
    case TagKind::kHead:
    case TagKind::kLink:
    case TagKind::kSelect:
    case TagKind::kOption:
      return true;
    default:
      return serviceable_or_tag_content;
  }
}

// The tag's component name: kpsName, else name.
std::u16string_view TagComponentName(const TagRecord& tag) {
  std::u16string_view name = ValueOf(tag, u"kpsName"sv);
  return name.empty() ? ValueOf(tag, u"name"sv) : name;
}

bool IsEndMarker(const TagRecord& tag) {
  const AttributeRecord* begin = tag.attributes.Find(u"isBegin"sv);
  return !tag.end_tag && begin && begin->value.View() != u"true"sv &&
         ValueOf(tag, u"kpsServiceable"sv) == u"true"sv;
}

// The first word of a comment's body is BEGIN or END.
bool IsBlockComment(std::u16string_view body) {
  std::size_t i = 0;
  while (i < body.size() &&
         (body[i] == u' ' || body[i] == u'\t' || body[i] == u'\r' || body[i] == u'\n')) {
    ++i;
  }
  std::size_t j = i;
  while (j < body.size() && body[j] > u' ') ++j;
  const std::u16string_view word = body.substr(i, j - i);
  return word == u"BEGIN"sv || word == u"END"sv;
}

// text with edits (in position order, inside it) made, as a literal run makes them: a lower-cased
// stretch that holds what a section must fix keeps its case.
void AppendEdited(std::u16string& out, std::u16string_view text,
                  const std::vector<BackEdit>& edits) {
  std::size_t from = 0;
  for (const BackEdit& edit : edits) {
    out.append(text.substr(from, edit.position - from));
    const std::u16string_view range = text.substr(edit.position, edit.count);
    switch (edit.kind) {
      case BackEdit::kErase:
        break;
      case BackEdit::kLowerCase: {
        bool plain = true;
        for (char16_t c : range) plain = plain && c != u'>' && !NeedsXmlCheck(c);
        for (char16_t c : range) out += plain ? AsciiToLower(c) : c;
        break;
      }
      case BackEdit::kReplace:
        out += edit.text;
        break;
    }
    from = edit.position + edit.count;
  }
  out.append(text.substr(from));
}

}  // namespace

WriterPass::WriterPass(std::u16string_view text, IUnknown* host, IComponentIDs* ids,
                       const PageSettings& settings, PageXmlOutput& output)
    : text_(text), out_(output), run_(output), ids_(ids), settings_(settings) {
  ComPtr<IUnknown> object(host);
  bottom_ = object.As<HostPageModel>();
  is_page_ = static_cast<bool>(object.As<HostPageDocument>());
  page_ = FindPage(host);
  scopes_.push_back(bottom_);
  scope_has_children_.push_back(HasChildComponents(bottom_.Get()));
  run_.Start(0);
}

void WriterPass::Item(MarkupItem kind, DocumentScanner& scanner) {
  if (erasing_) {
    if (kind == MarkupItem::kText) SkipWords(scanner);
    return;
  }
  switch (kind) {
    case MarkupItem::kText:
      after_block_comment_ = false;
      if (scanner.LastTokenKind() == LexToken::kLBrace) {
        Placeholder(scanner);
      } else {
        SkipWords(scanner);
      }
      break;
    case MarkupItem::kComment:
      after_block_comment_ = IsBlockComment(scanner.ItemTextView());
      break;
    case MarkupItem::kCData:
      after_block_comment_ = false;
      TemplateCData(scanner);
      break;
    default:
      after_block_comment_ = false;
      break;
  }
}

// After a word: the words up to the next other item, which the writer has no use for, go at
// once.
void WriterPass::SkipWords(DocumentScanner& scanner) {
  const LexToken token = scanner.LastTokenKind();
  if (token == LexToken::kName || token == LexToken::kOther) scanner.SkipPlainItems();
}

// Writes text at position between two literal runs.
void WriterPass::InsertOutside(std::size_t position, std::u16string_view text) {
  run_.Close(position);
  Out(position, text);
  run_.Start(position);
}

void WriterPass::AddPrefixBefore(std::u16string_view name, std::size_t colon) {
  std::u16string prefix = Lower(name.substr(0, colon));
  if (prefix == u"xml"sv || prefix == u"xmlns"sv || !IsXmlName(prefix)) return;
  prefixes_.insert(std::move(prefix));
}

void WriterPass::Placeholder(DocumentScanner& scanner) {
  if (!scope_has_children_.back()) return;
  const std::size_t open = scanner.ItemStart();
  const std::size_t size = text_.size();
  std::size_t i = open + 1;
  if (i >= size || !HasCharClass(text_[i], kCharNameStart)) return;
  std::size_t j = i + 1;
  while (j < size && IsNameChar(text_[j])) ++j;
  if (j >= size || text_[j] != u'}') return;
  std::u16string& element = scratch_;
  element.assign(u"<Variable name=\""sv);
  AppendXmlAttributeValue(element, text_.substr(i, j - i));
  element += u"\"/>"sv;
  run_.Close(open);
  Out(open, element);
  out_.Delete(open, j + 1 - open);
  run_.Start(j + 1);
  scanner.SetPosition(j + 1);
}

void WriterPass::TemplateCData(const DocumentScanner& scanner) {
  const std::size_t start = scanner.ItemStart(), end = scanner.ItemEnd();
  std::u16string& element = scratch_;
  element.assign(u"<kpsCDATA>"sv);
  AppendSplitCDataSection(element, scanner.ItemTextView());
  element += u"</kpsCDATA>"sv;
  run_.Close(start);
  Out(start, element);
  out_.Delete(start, end - start);
  run_.Start(end);
}

void WriterPass::Tag(const TagRecord& tag, std::size_t start, std::size_t end,
                     const TagChange& change, const TagName* name) {
  if (erasing_) {
    TagWhileErasing(tag, start, end);
  } else if (tag.end_tag) {
    const std::u16string_view tag_name = tag.name.View();
    AddPrefix(tag_name);
    after_block_comment_ = false;
    if (Is(tag_name, u"select"sv)) ResetOptionBlock(start);
    if (!removals_.empty() || !one_tags_.empty()) EndTag(tag_name, start, end);
  } else {
    const TagName kind = name ? *name : ClassifyTagName(tag.name.View());
    // The element table holds no name with a prefix.
    if (!kind.known) AddPrefix(tag.name.View());
    StartTag(tag, start, end, change, kind);
  }
  // Text the pre-processing put behind the tag belongs to the run that follows it, unless an
  // extent being erased takes it.
  if (change.nbsp_after && !erasing_) run_.Replace(end, 0, u"&nbsp;");
}

void WriterPass::StartTag(const TagRecord& tag, std::size_t start, std::size_t end,
                          const TagChange& change, const TagName& kind) {
  const std::u16string_view name = tag.name.View();
  const bool block_comment_before = after_block_comment_;
  after_block_comment_ = false;
  const bool has_content = !tag.self_closing && (kind.properties & kEmpty) == 0;
  if (has_content) CountNesting(name);
  Attributes& found = attributes_;
  found = Attributes();
  for (const AttributeRecord& attribute : tag.attributes) {
    const std::u16string_view attribute_name = attribute.name.View();
    // Every name asked about starts with "kps".
    if (attribute_name.size() < 9 || AsciiToLower(attribute_name[0]) != u'k') continue;
    switch (attribute_name.size()) {
      case 9:
        Note(attribute, attribute_name, u"kpsI18Ned"sv, found.paths.i18ned);
        break;
      case 13:
        Note(attribute, attribute_name, u"kpsRemoveOnBT"sv, found.remove_on_bt);
        Note(attribute, attribute_name, u"kpstagcontent"sv, found.tag_content);
        break;
      case 14:
        Note(attribute, attribute_name, u"kpsServiceable"sv, found.serviceable);
        Note(attribute, attribute_name, u"kpsOptionBlock"sv, found.option_block);
        break;
      case 15:
        Note(attribute, attribute_name, u"kpsDynamicStyle"sv, found.paths.dynamic_style);
        break;
      default:
        break;
    }
  }
  if (found.remove_on_bt) {
    run_.Erase(start, end - start);
    if (has_content) removals_.push_back({{}, false, Lower(name), 0, 0, {}, false});
    return;
  }
  if (kind.kind == TagKind::kMeta && ValueOf(tag, u"name"sv) == u"kpsProxyBraces"sv) {
    std::u16string braces = u"{";
    braces += ValueOf(tag, u"value"sv);
    braces += u'}';
    run_.Close(start);
    Out(start, TextElement(braces));
    out_.Delete(start, end - start);
    run_.Start(end);
    return;
  }
  if (kind.kind == TagKind::kSelect) {
    ResetOptionBlock(start);
  } else if (kind.kind == TagKind::kOption) {
    ChangeOptionBlock(start,
                      found.option_block ? found.option_block->value.View() : std::u16string_view(),
                      block_comment_before);
  }
  if (found.serviceable && found.serviceable->value.View() == u"true"sv) {
    Serviceable(tag, start, end, has_content, change);
    return;
  }
  const bool candidate = IsCandidate(kind, found.serviceable || found.tag_content);
  if (!candidate && !change.rewritten && !found.paths.dynamic_style && !found.paths.i18ned) {
    // The tag stays as it is written, but for what the pre-processing put in it.
    if (change.slash) run_.Replace(end - 1, 0, u"/");
    return;
  }
  LiteralTag(tag, start, end, candidate, change);
}

// A start tag that stays: its edits join the literal run. attributes_ holds its attributes.
void WriterPass::LiteralTag(const TagRecord& tag, std::size_t start, std::size_t end,
                            bool candidate, const TagChange& change) {
  if (candidate) {
    for (const AttributeRecord& attribute : tag.attributes) AddPrefix(attribute.name.View());
  }
  if (change.rewritten) {
    // The record was read from the rewritten text: the tag goes as that text with the edits
    // made, in place of the source's.
    const std::u16string_view text = *change.rewritten;
    LiteralTagEdits(text, tag, candidate, attributes_.paths, settings_.site_language, edits_);
    scratch_.clear();
    AppendEdited(scratch_, text, edits_);
    run_.Replace(start, end - start, scratch_);
    return;
  }
  const PathMarkers& paths = attributes_.paths;
  if (candidate || paths.dynamic_style || (paths.i18ned && !settings_.site_language.empty())) {
    LiteralTagEdits(text_, tag, candidate, paths, settings_.site_language, edits_);
  } else {
    edits_.clear();  // what LiteralTagEdits finds for such a tag
  }
  for (BackEdit& edit : edits_) {
    switch (edit.kind) {
      case BackEdit::kErase:
        run_.Erase(edit.position, edit.count);
        break;
      case BackEdit::kLowerCase:
        run_.LowerCase(edit.position, edit.count);
        break;
      case BackEdit::kReplace:
        run_.Replace(edit.position, edit.count, edit.text);
        break;
    }
  }
  if (change.slash) run_.Replace(end - 1, 0, u"/");
}

void WriterPass::CountNesting(std::u16string_view name) {
  if (!one_tags_.empty()) {
    OpenElement& top = open_[one_tags_.back()];
    if (Is(name, top.tag_name)) ++top.depth;
  }
  if (!removals_.empty() && Is(name, removals_.back().tag_name)) ++removals_.back().depth;
}

void WriterPass::EndTag(std::u16string_view name, std::size_t start, std::size_t end) {
  if (!removals_.empty() && Is(name, removals_.back().tag_name)) {
    if (removals_.back().depth == 0) {
      removals_.pop_back();
      run_.Erase(start, end - start);
    } else {
      --removals_.back().depth;
    }
  }
  if (!one_tags_.empty()) {
    OpenElement& top = open_[one_tags_.back()];
    if (Is(name, top.tag_name)) {
      if (top.depth == 0) {
        run_.Close(end);
        PopTo(one_tags_.back(), end);
        run_.Start(end);
      } else {
        --top.depth;
      }
    }
  }
}

// The stretch a marker tag takes with it: the tag, and unless it keeps its end space the
// separator the editor put beside it.
std::pair<std::size_t, std::size_t> WriterPass::MarkerSpan(const TagRecord& tag, std::size_t start,
                                                           std::size_t end,
                                                           bool look_before) const {
  if (ValueOf(tag, u"kpsPreserveEndSpace"sv) == u"true"sv) return {start, end};
  if (end < text_.size() && text_[end] == u' ') return {start, end + 1};
  if (!look_before) return {start, end};
  if (start >= run_.start() + 2 && text_[start - 2] == 0x0412 && text_[start - 1] == 0x00A0) {
    return {start - 2, end};
  }
  if (start >= run_.start() + 6 &&
      EqualsIgnoringAsciiCase(text_.substr(start - 6, 6), u"&nbsp;"sv)) {
    return {start - 6, end};
  }
  return {start, end};
}

void WriterPass::Serviceable(const TagRecord& tag, std::size_t start, std::size_t end,
                             bool has_content, const TagChange& change) {
  const LONG tag_id = NumericComponentId(ValueOf(tag, u"kpsId"sv));
  const std::u16string_view tag_name = TagComponentName(tag);
  const AttributeRecord* is_begin = tag.attributes.Find(u"isBegin"sv);
  const bool marker = is_begin != nullptr;
  if (marker && is_begin->value.View() != u"true"sv) {
    CloseMarker(tag, start, end, tag_id, tag_name, change);
    return;
  }
  const bool resource = ValueOf(tag, u"kpsType"sv) == u"Resource"sv;
  const bool atomic = ValueOf(tag, u"atomicselection"sv) == u"true"sv;
  const bool is_span = Is(tag.name.View(), u"span"sv);
  ElementParts parts;
  ComPtr<HostPageModel> scope;
  bool primitive = false;
  if (resource) {
    parts.element = u"Resource";
    parts.name = ValueOf(tag, u"kpsResourceName"sv);
    parts.attributes.emplace_back(u"kpsPrefix",
                                  std::u16string(ValueOf(tag, u"kpsResourcePrefix"sv)));
  } else {
    BoundComponent bound = BindComponent(scopes_, page_.Get(), tag_name, tag_id);
    if (bound.model) {
      parts.element = std::move(bound.element);
      parts.id = bound.id;
      parts.name = std::move(bound.name);
      if (bound.container) scope = bound.model;
      if (ids_ && bound.id != 0) ThrowIfFailed(ids_->Add(VariantHolder::Long(bound.id).Ref()));
    } else {
      parts.element = u"Block";
      parts.id = tag_id;
      parts.name = tag_name;
    }
    if (is_span && ValueOf(tag, u"kpsExtendedHtmlSpan"sv) == u"true"sv) {
      if (ValueOf(tag, u"kpsPrimitiveAsBlock"sv) == u"true"sv) {
        primitive = true;
        parts.attributes.emplace_back(u"kpsPrimitiveAsBlock", u"true");
      } else {
        parts.element = u"Block";
        parts.attributes.emplace_back(u"kpsExtendedHtmlSpan", u"true");
      }
    }
    if (parts.element == u"Block"sv && is_span && tag.attributes.Find(u"type"sv)) {
      parts.attributes.emplace_back(u"type", std::u16string(ValueOf(tag, u"type"sv)));
    }
  }
  const std::u16string start_element = StartElement(parts, resource);
  const std::u16string end_element = resource ? std::u16string() : EndElement(parts);
  std::u16string primitive_element;
  if (primitive) {
    primitive_element =
        StartElement({parts.element, 0, {}, {{u"kpsPrimitiveAsBlock", u"true"}}}, true);
  }
  const bool erase_extent = resource || atomic;
  if (marker) {
    const auto [from, to] = MarkerSpan(tag, start, end, true);
    run_.Close(from);
    Out(from, start_element);
    Out(from, primitive_element);
    if (erase_extent) {
      erasing_ = Erasing{true, tag_id, Lower(tag_name), 0, from, end_element};
      return;
    }
    out_.Delete(from, to - from);
    Push({end_element, false, {}, 0, tag_id, Lower(tag_name), false}, std::move(scope));
    run_.Start(to);
    return;
  }
  run_.Close(start);
  Out(start, start_element);
  if (erase_extent) {
    if (has_content) {
      erasing_ = Erasing{false, 0, Lower(tag.name.View()), 0, start, end_element};
    } else {
      out_.Delete(start, end - start);
      Out(end, end_element);
      run_.Start(end);
    }
    return;
  }
  run_.Start(start);
  LiteralTag(tag, start, end, true, change);
  if (primitive) InsertOutside(end, primitive_element);
  if (!has_content) {
    InsertOutside(end, end_element);
    return;
  }
  Push({end_element, true, Lower(tag.name.View()), 0, tag_id, Lower(tag_name), false},
       std::move(scope));
}

void WriterPass::CloseMarker(const TagRecord& tag, std::size_t start, std::size_t end, LONG id,
                             std::u16string_view name, const TagChange& change) {
  std::optional<std::size_t> index;
  if (id != 0) {
    if (auto it = by_id_.find(id); it != by_id_.end() && !it->second.empty()) {
      index = it->second.back();
    }
  }
  if (!index && !name.empty()) {
    if (auto it = by_name_.find(Lower(name)); it != by_name_.end() && !it->second.empty()) {
      index = it->second.back();
    }
  }
  if (!index) {
    // Nothing open answers it: the tag stays as it was written.
    LiteralTag(tag, start, end, true, change);
    return;
  }
  const auto [from, to] = MarkerSpan(tag, start, end, true);
  run_.Close(from);
  PopTo(*index, from);
  out_.Delete(from, to - from);
  run_.Start(to);
}

void WriterPass::TagWhileErasing(const TagRecord& tag, std::size_t start, std::size_t end) {
  Erasing& erasing = *erasing_;
  if (!erasing.by_marker) {
    if (!Is(tag.name.View(), erasing.key)) return;
    if (!tag.end_tag) {
      if (HasContent(tag)) ++erasing.depth;
      return;
    }
    if (erasing.depth != 0) {
      --erasing.depth;
      return;
    }
    StopErasing(end);
    return;
  }
  if (!IsEndMarker(tag)) return;
  const LONG id = NumericComponentId(ValueOf(tag, u"kpsId"sv));
  const bool match = (id != 0 && erasing.id != 0)
                         ? id == erasing.id
                         : Lower(TagComponentName(tag)) == erasing.key && !erasing.key.empty();
  if (match) StopErasing(MarkerSpan(tag, start, end, false).second);
}

void WriterPass::StopErasing(std::size_t to) {
  out_.Delete(erasing_->from, to - erasing_->from);
  Out(to, erasing_->end_tag);
  erasing_.reset();
  run_.Start(to);
}

void WriterPass::Push(OpenElement element, ComPtr<HostPageModel> scope) {
  const std::size_t index = open_.size();
  if (element.id != 0) by_id_[element.id].push_back(index);
  if (!element.name_key.empty()) by_name_[element.name_key].push_back(index);
  if (element.one_tag) one_tags_.push_back(index);
  if (scope && scope.Get() != scopes_.back().Get()) {
    scope_has_children_.push_back(HasChildComponents(scope.Get()));
    scopes_.push_back(std::move(scope));
    element.pushed_scope = true;
  }
  open_.push_back(std::move(element));
}

// Closes the open elements from the innermost down to index, writing their end tags at position.
void WriterPass::PopTo(std::size_t index, std::size_t position) {
  while (open_.size() > index) {
    OpenElement& top = open_.back();
    Out(position, top.end_tag);
    if (top.id != 0) by_id_[top.id].pop_back();
    if (!top.name_key.empty()) by_name_[top.name_key].pop_back();
    if (top.one_tag) one_tags_.pop_back();
    if (top.pushed_scope) {
      scopes_.pop_back();
      scope_has_children_.pop_back();
    }
    open_.pop_back();
  }
}

// The Text element of an option block's comment, "<!-- " word " " block " -->", behind out.
void WriterPass::AppendBlockComment(std::u16string& out, std::u16string_view word,
                                    std::u16string_view block) {
  comment_.assign(u"<!-- "sv);
  comment_ += word;
  comment_ += u' ';
  comment_ += block;
  comment_ += u" -->"sv;
  AppendTextElement(out, comment_);
}

void WriterPass::ResetOptionBlock(std::size_t at) {
  if (!option_block_.empty() && option_begin_written_) {
    scratch_.clear();
    AppendBlockComment(scratch_, u"END"sv, option_block_);
    InsertOutside(at, scratch_);
  }
  option_block_.clear();
  option_begin_written_ = false;
}

void WriterPass::ChangeOptionBlock(std::size_t at, std::u16string_view block, bool comment_before) {
  if (block == option_block_) return;
  std::u16string& texts = scratch_;
  texts.clear();
  // Every BEGIN the writer wrote gets its END, even where the template has a block comment.
  if (!option_block_.empty() && option_begin_written_) {
    AppendBlockComment(texts, u"END"sv, option_block_);
  }
  option_begin_written_ = false;
  if (!block.empty() && !comment_before) {
    AppendBlockComment(texts, u"BEGIN"sv, block);
    option_begin_written_ = true;
  }
  option_block_ = block;
  if (!texts.empty()) InsertOutside(at, texts);
}

void WriterPass::Finish() {
  const std::size_t size = text_.size();
  if (erasing_) StopErasing(size);
  run_.Close(size);
  PopTo(0, size);
  if (is_page_) WriteRoot(size);
  out_.Finish();
}

// The root's start tag goes in front of everything, outside the output: written last at the
// start, it would be the one change out of position order there.
void WriterPass::WriteRoot(std::size_t size) {
  root_ = u"<Page";
  for (const std::u16string& prefix : prefixes_) {
    root_ += u" xmlns:";
    root_ += prefix;
    root_ += u"=\"";
    root_ += kBackPrefixNamespace;
    root_ += u'"';
  }
  root_ += u'>';
  Out(size, u"</Page>");
}

}  // namespace kpx
