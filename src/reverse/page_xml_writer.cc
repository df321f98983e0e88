// The page XML writer's pass.
#include "reverse/page_xml_writer.h"

#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

#include "base/ascii_case.h"
#include "base/status.h"
#include "com/bstr.h"
#include "com/variant_holder.h"
#include "host/page_model.h"
#include "markup/attribute_escaping.h"
#include "markup/document_scanner.h"
#include "markup/element_table.h"
#include "page/xml_text.h"
#include "reverse/cdata_text.h"
#include "reverse/component_binding.h"
#include "reverse/edit_list_session.h"
#include "reverse/literal_run.h"
#include "reverse/tag_edits.h"
#include "reverse/tag_names.h"

namespace kpx {

namespace {

using namespace std::string_view_literals;

// A host whose parent chain runs longer than this has a loop in it.
constexpr int kDeepestParentChain = 4096;

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

// The attributes of a start tag that the writer asks about, each the first of its name (null:
// none), found in one walk over the tag.
struct WriterAttributes {
  const AttributeRecord* remove_on_bt = nullptr;  // kpsRemoveOnBT
  const AttributeRecord* serviceable = nullptr;   // kpsServiceable
  const AttributeRecord* tag_content = nullptr;   // kpstagcontent
  const AttributeRecord* option_block = nullptr;  // kpsOptionBlock
  PathMarkers paths;                              // kpsDynamicStyle, kpsI18Ned
};

void Note(const AttributeRecord& attribute, std::u16string_view name, std::u16string_view wanted,
          const AttributeRecord*& slot) {
  if (!slot && EqualsIgnoringAsciiCase(name, wanted)) slot = &attribute;
}

WriterAttributes ReadWriterAttributes(const TagRecord& tag) {
  WriterAttributes found;
  for (const AttributeRecord& attribute : tag.attributes) {
    const std::u16string_view name = attribute.name.View();
    // Every name asked about starts with "kps".
    if (name.size() < 9 || AsciiToLower(name[0]) != u'k') continue;
    switch (name.size()) {
      case 9:
        Note(attribute, name, u"kpsI18Ned"sv, found.paths.i18ned);
        break;
      case 13:
        Note(attribute, name, u"kpsRemoveOnBT"sv, found.remove_on_bt);
        Note(attribute, name, u"kpstagcontent"sv, found.tag_content);
        break;
      case 14:
        Note(attribute, name, u"kpsServiceable"sv, found.serviceable);
        Note(attribute, name, u"kpsOptionBlock"sv, found.option_block);
        break;
      case 15:
        Note(attribute, name, u"kpsDynamicStyle"sv, found.paths.dynamic_style);
        break;
      default:
        break;
    }
  }
  return found;
}

// Start tags that the writer looks at more closely (and lower-cases when they stay).
bool IsCandidate(const TagName& name, const WriterAttributes& attributes) {
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
      return attributes.serviceable || attributes.tag_content;
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

class WriterPass {
 public:
  WriterPass(TextEditList& list, IUnknown* host, IComponentIDs* ids, const PageSettings& settings)
      : text_(list.Text()),
        scanner_(BorrowedText{list.Text()}),
        recorder_(list),
        run_(recorder_),
        ids_(ids),
        settings_(settings) {
    scanner_.set_record_repairs(false);
    ComPtr<IUnknown> object(host);
    bottom_ = object.As<HostPageModel>();
    is_page_ = static_cast<bool>(object.As<HostPageDocument>());
    page_ = FindPage(host);
    scopes_.push_back(bottom_);
    scope_has_children_.push_back(HasChildComponents(bottom_.Get()));
  }

  void Run() {
    run_.Start(0);
    for (;;) {
      const MarkupItem kind = scanner_.NextItem();
      if (kind == MarkupItem::kEnd) break;
      if (erasing_) {
        if (kind == MarkupItem::kTag) {
          TagWhileErasing();
        } else if (kind == MarkupItem::kText) {
          SkipWords();
        }
        continue;
      }
      switch (kind) {
        case MarkupItem::kText:
          after_block_comment_ = false;
          if (scanner_.LastTokenKind() == LexToken::kLBrace) {
            Placeholder();
          } else {
            SkipWords();
          }
          break;
        case MarkupItem::kComment:
          after_block_comment_ = IsBlockComment(scanner_.ItemTextView());
          break;
        case MarkupItem::kTag:
          Tag();
          break;
        case MarkupItem::kCData:
          after_block_comment_ = false;
          TemplateCData();
          break;
        default:
          after_block_comment_ = false;
          break;
      }
    }
    Finish();
  }

  // The root's start tag (empty for a fragment): what stands in front of the list's text.
  std::u16string TakeRoot() { return std::move(root_); }

 private:
  struct OpenElement {
    std::u16string end_tag;
    bool one_tag = false;     // ends after the matching end tag of tag_name
    std::u16string tag_name;  // lower case
    std::size_t depth = 0;    // start tags of that name opened inside it and not yet closed
    LONG id = 0;              // what an end marker names it by
    std::u16string name_key;  // lower case
    bool pushed_scope = false;
  };
  // An extent whose text goes (atomic selection, resources): from where, and what ends it.
  struct Erasing {
    bool by_marker = false;
    LONG id = 0;
    std::u16string key;  // marker: the lower-cased name; tag: the tag name
    std::size_t depth = 0;
    std::size_t from = 0;
    std::u16string end_tag;
  };

  void Out(std::size_t position, std::u16string_view text) { recorder_.Insert(position, text); }

  // After a word: the words up to the next other item, which the writer has no use for, go at
  // once.
  void SkipWords() {
    const LexToken token = scanner_.LastTokenKind();
    if (token == LexToken::kName || token == LexToken::kOther) scanner_.SkipPlainItems();
  }

  // Writes text at position between two literal runs.
  void InsertOutside(std::size_t position, std::u16string_view text) {
    run_.Close(position);
    Out(position, text);
    run_.Start(position);
  }

  void AddPrefix(std::u16string_view name) {
    const std::size_t colon = name.find(u':');
    if (colon == std::u16string_view::npos || colon == 0) return;
    std::u16string prefix = Lower(name.substr(0, colon));
    if (prefix == u"xml"sv || prefix == u"xmlns"sv || !IsXmlName(prefix)) return;
    prefixes_.insert(std::move(prefix));
  }

  void Placeholder() {
    if (!scope_has_children_.back()) return;
    const std::size_t open = scanner_.ItemStart();
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
    recorder_.Delete(open, j + 1 - open);
    run_.Start(j + 1);
    scanner_.SetPosition(j + 1);
  }

  void TemplateCData() {
    const std::size_t start = scanner_.ItemStart(), end = scanner_.ItemEnd();
    std::u16string& element = scratch_;
    element.assign(u"<kpsCDATA>"sv);
    AppendSplitCDataSection(element, scanner_.ItemTextView());
    element += u"</kpsCDATA>"sv;
    run_.Close(start);
    Out(start, element);
    recorder_.Delete(start, end - start);
    run_.Start(end);
  }

  void Tag() {
    const TagRecord& tag = scanner_.Tag();
    const std::size_t start = scanner_.TagStart(), end = scanner_.ItemEnd();
    const std::u16string_view name = tag.name.View();
    AddPrefix(name);
    const bool block_comment_before = after_block_comment_;
    after_block_comment_ = false;
    if (tag.end_tag) {
      if (Is(name, u"select"sv)) ResetOptionBlock(start);
      EndTag(name, start, end);
      return;
    }
    const TagName kind = ClassifyTagName(name);
    const bool has_content = !tag.self_closing && (kind.properties & kEmpty) == 0;
    if (has_content) CountNesting(name);
    attributes_ = ReadWriterAttributes(tag);
    if (attributes_.remove_on_bt) {
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
      recorder_.Delete(start, end - start);
      run_.Start(end);
      return;
    }
    if (kind.kind == TagKind::kSelect) {
      ResetOptionBlock(start);
    } else if (kind.kind == TagKind::kOption) {
      ChangeOptionBlock(
          start,
          attributes_.option_block ? attributes_.option_block->value.View() : std::u16string_view(),
          block_comment_before);
    }
    if (attributes_.serviceable && attributes_.serviceable->value.View() == u"true"sv) {
      Serviceable(tag, start, end, has_content);
      return;
    }
    LiteralTag(tag, IsCandidate(kind, attributes_));
  }

  // A start tag that stays: its edits join the literal run. attributes_ holds its attributes.
  void LiteralTag(const TagRecord& tag, bool candidate) {
    if (candidate) {
      for (const AttributeRecord& attribute : tag.attributes) AddPrefix(attribute.name.View());
    }
    LiteralTagEdits(text_, tag, candidate, attributes_.paths, settings_.site_language, edits_);
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
  }

  void CountNesting(std::u16string_view name) {
    if (!one_tags_.empty()) {
      OpenElement& top = open_[one_tags_.back()];
      if (Is(name, top.tag_name)) ++top.depth;
    }
    if (!removals_.empty() && Is(name, removals_.back().tag_name)) ++removals_.back().depth;
  }

  void EndTag(std::u16string_view name, std::size_t start, std::size_t end) {
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
  std::pair<std::size_t, std::size_t> MarkerSpan(const TagRecord& tag, std::size_t start,
                                                 std::size_t end, bool look_before) const {
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

  void Serviceable(const TagRecord& tag, std::size_t start, std::size_t end, bool has_content) {
    const LONG tag_id = NumericComponentId(ValueOf(tag, u"kpsId"sv));
    const std::u16string_view tag_name = TagComponentName(tag);
    const AttributeRecord* is_begin = tag.attributes.Find(u"isBegin"sv);
    const bool marker = is_begin != nullptr;
    if (marker && is_begin->value.View() != u"true"sv) {
      CloseMarker(tag, start, end, tag_id, tag_name);
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
      recorder_.Delete(from, to - from);
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
        recorder_.Delete(start, end - start);
        Out(end, end_element);
        run_.Start(end);
      }
      return;
    }
    run_.Start(start);
    LiteralTag(tag, true);
    if (primitive) InsertOutside(end, primitive_element);
    if (!has_content) {
      InsertOutside(end, end_element);
      return;
    }
    Push({end_element, true, Lower(tag.name.View()), 0, tag_id, Lower(tag_name), false},
         std::move(scope));
  }

  void CloseMarker(const TagRecord& tag, std::size_t start, std::size_t end, LONG id,
                   std::u16string_view name) {
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
      LiteralTag(tag, true);
      return;
    }
    const auto [from, to] = MarkerSpan(tag, start, end, true);
    run_.Close(from);
    PopTo(*index, from);
    recorder_.Delete(from, to - from);
    run_.Start(to);
  }

  void TagWhileErasing() {
    const TagRecord& tag = scanner_.Tag();
    const std::size_t start = scanner_.TagStart(), end = scanner_.ItemEnd();
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

  void StopErasing(std::size_t to) {
    recorder_.Delete(erasing_->from, to - erasing_->from);
    Out(to, erasing_->end_tag);
    erasing_.reset();
    run_.Start(to);
  }

  void Push(OpenElement element, ComPtr<HostPageModel> scope) {
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

  // Closes the open elements from the innermost down to index, writing their end tags at
  // position.
  void PopTo(std::size_t index, std::size_t position) {
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

  void ResetOptionBlock(std::size_t at) {
    if (!option_block_.empty() && option_begin_written_) {
      InsertOutside(at, TextElement(u"<!-- END " + option_block_ + u" -->"));
    }
    option_block_.clear();
    option_begin_written_ = false;
  }

  void ChangeOptionBlock(std::size_t at, std::u16string_view block, bool comment_before) {
    if (block == option_block_) return;
    std::u16string texts;
    // Every BEGIN the writer wrote gets its END, even where the template has a block comment.
    if (!option_block_.empty() && option_begin_written_) {
      texts += TextElement(u"<!-- END " + option_block_ + u" -->");
    }
    option_begin_written_ = false;
    if (!block.empty() && !comment_before) {
      texts += TextElement(u"<!-- BEGIN " + std::u16string(block) + u" -->");
      option_begin_written_ = true;
    }
    option_block_ = block;
    if (!texts.empty()) InsertOutside(at, texts);
  }

  void Finish() {
    const std::size_t size = text_.size();
    if (erasing_) StopErasing(size);
    run_.Close(size);
    PopTo(0, size);
    if (is_page_) WriteRoot(size);
    recorder_.Flush();
  }

  // The root's start tag goes in front of everything, outside the list: recorded last at the
  // start, it would be the one edit out of position order there.
  void WriteRoot(std::size_t size) {
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

  std::u16string_view text_;
  DocumentScanner scanner_;
  EditRecorder recorder_;
  LiteralRun run_;
  IComponentIDs* ids_;
  const PageSettings& settings_;
  ComPtr<HostPageModel> bottom_;
  ComPtr<HostPageModel> page_;
  bool is_page_ = false;

  std::vector<ComPtr<HostPageModel>> scopes_;  // host objects of the contexts, innermost last
  std::vector<bool> scope_has_children_;
  std::vector<OpenElement> open_;      // component elements written and not closed yet
  std::vector<std::size_t> one_tags_;  // indexes into open_ of the one-tag components
  std::vector<OpenElement> removals_;  // kpsRemoveOnBT tags waiting for their end tag
  std::unordered_map<LONG, std::vector<std::size_t>> by_id_;
  std::unordered_map<std::u16string, std::vector<std::size_t>> by_name_;
  std::optional<Erasing> erasing_;
  std::set<std::u16string> prefixes_;
  std::u16string option_block_;
  bool option_begin_written_ = false;
  bool after_block_comment_ = false;
  WriterAttributes attributes_;  // of the start tag being read
  std::vector<BackEdit> edits_;  // its edits as a literal tag
  std::u16string scratch_;       // an element being made
  std::u16string root_;
};

}  // namespace

ComPtr<HostPageModel> FindPage(IUnknown* host) {
  ComPtr<IUnknown> object(host);
  ComPtr<HostPageModel> model = object.As<HostPageModel>();
  for (int depth = 0; model && depth < kDeepestParentChain; ++depth) {
    if (model.As<HostPageDocument>()) return model;
    ComPtr<HostPageModel> parent;
    if (FAILED(model->GetParent(parent.Put()))) return {};
    model = std::move(parent);
  }
  return {};
}

PageSettings ReadPageSettings(HostPageModel* page) {
  PageSettings settings;
  if (!page) return settings;
  ComPtr<HostProject> project;
  if (FAILED(page->GetProject(project.Put())) || !project) return settings;
  ComPtr<HostProjectSettings> project_settings;
  if (SUCCEEDED(project->GetSettings(project_settings.Put())) && project_settings) {
    Bstr name(u"publishTemplate"), value;
    if (SUCCEEDED(project_settings->GetValue(name.Get(), value.Put()))) {
      settings.publish_template = Lower(value.View()) == u"true";
    }
  }
  PageModelReader reader;
  settings.site_language = reader.ProjectValue(project.Get(), u"_siteLanguage").value_or(u"");
  return settings;
}

namespace {

void Write(EditListSession& session, TextEditList& list, IUnknown* host, IComponentIDs* ids,
           const PageXmlSink& sink) {
  const PageSettings settings = ReadPageSettings(FindPage(host).Get());
  SetDoubleEscapeQuotes(settings.publish_template);
  std::u16string root;
  {
    // Values are read as the text holds them: the writer copies nothing the tag parser escaped.
    ScopedAttributeEscapingOff raw_values;
    WriterPass pass(list, host, ids, settings);
    pass.Run();
    root = pass.TakeRoot();
  }
  sink(root, session.FinishInPlace());
}

}  // namespace

void WritePageXml(TextEditList& list, std::u16string&& text, IUnknown* host, IComponentIDs* ids,
                  const PageXmlSink& sink) {
  EditListSession session(list, std::move(text));
  Write(session, list, host, ids, sink);
}

void WritePageXml(TextEditList& list, std::u16string_view text, IUnknown* host, IComponentIDs* ids,
                  const PageXmlSink& sink) {
  EditListSession session(list, text);
  Write(session, list, host, ids, sink);
}

}  // namespace kpx
