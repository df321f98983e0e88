// The parse context: host reads at creation, messages, errors, out-of-sync handling, component
// classes and the registry of matched components.
#include "recognition/parse_context.h"

#include <algorithm>
#include <limits>

#include "base/ascii_case.h"

namespace kpx {

namespace {

std::u16string Lowered(std::u16string_view text) {
  return AsciiLowered(text);
}

}  // namespace

ParseContext::ParseContext(const RecognitionHost& host, IUnknown* page, BorrowedText text,
                           uint32_t flags)
    : text_(text.data, text.size),
      host_(host),
      page_model_(PageModelReader::ModelOf(page)),
      page_(page),
      scanner_(text),
      open_tags_([this](std::u16string_view key, size_t offset, std::u16string_view first,
                        std::u16string_view second) {
        ReportAt(false, offset, key, {first, second});
      }) {
  SetText(text_);
  root_ = PageNode::CreateRoot(u"Page", this, flags);
  current = root_.get();
  root_->range = {0, 0, text_.size(), text_.size()};
  root_->host = page_model_;

  HostPageModel* model = page_model_.Get();
  if (model) {
    std::u16string id = u"0";
    const std::string digits = std::to_string(model_.Id(model));
    id.assign(digits.begin(), digits.end());
    root_->attributes.Set(u"id", id);
    root_->attributes.Set(u"name", model_.Name(model));
  }
  if (auto show = Host().ReadOption(kSectionEditor, u"ShowTranslations")) {
    root_->attributes.Set(u"kpsShowTranslations", *show);
  }
  if (model) {
    ComPtr<HostProject> project = model_.Project(model);
    if (auto tags = model_.ItemProperty(project.Get(), u"site", u"htmlTagsToParse")) {
      size_t start = 0;
      while (start <= tags->size()) {
        size_t end = tags->find(u';', start);
        if (end == std::u16string::npos) end = tags->size();
        std::u16string name = Lowered(std::u16string_view(*tags).substr(start, end - start));
        // Names are taken as listed, less surrounding blanks.
        while (!name.empty() && (name.back() == u' ' || name.back() == u'\t')) name.pop_back();
        size_t lead = 0;
        while (lead < name.size() && (name[lead] == u' ' || name[lead] == u'\t')) ++lead;
        if (lead < name.size()) tags_to_parse_.insert(name.substr(lead));
        start = end + 1;
      }
    }
  }
  if ((flags & kCollectRegistry) && model) {
    std::vector<ComPtr<HostPageModel>> pending = model_.Children(model);
    while (!pending.empty()) {
      ComPtr<HostPageModel> next = pending.back();
      pending.pop_back();
      registry_.emplace(RegistryKey(next.Get()), false);
      for (auto& child : model_.Children(next.Get())) pending.push_back(child);
    }
  }
  model_.reset_failed();  // a host that lacks something at creation is not an error of the text

  scanner_.set_placeholder_attribute_name((flags & kGenerationMode) ? u"checked"
                                                                    : u"kpscheckedattr");
  scanner_.set_junk_attribute_name(u"kpstagcontent");
  scanner_.set_nested_comments(true);
  scanner_.set_record_repairs(false);
  // The scanner's warnings are positional messages (with kRecognizeWarnings); an unclosed string
  // is also a parse error.
  scanner_.set_warning_sink(this);
}

ParseContext::~ParseContext() = default;

void ParseContext::ReportAt(bool is_error, size_t offset, std::u16string_view key,
                            std::initializer_list<std::u16string_view> args) {
  if (!(Flags() & kRecognizeWarnings)) return;
  if (host_.verbosity_level < (is_error ? 1 : 2)) return;
  const LineIndex::Position at = PositionOf(offset);
  // A 32-bit host number: a text longer than that would have no BSTR.
  auto clamp = [](long value) {
    return static_cast<LONG>(std::min<long>(value, std::numeric_limits<LONG>::max()));
  };
  Host().DeliverPositionMessage(key, is_error, clamp(at.line), clamp(at.column), args);
}

LineIndex::Position ParseContext::PositionOf(size_t offset) {
  if (!lines_) lines_.emplace(text_);
  return lines_->At(offset);
}

void ParseContext::Report(std::u16string_view key, size_t offset, int) {
  if (key == kWarnUnclosedHtmlString || key == kWarnUnclosedScriptString) {
    RecordError(3, offset);
  }
  ReportAt(false, offset, key, {});
}

void ParseContext::RecordError(int code, size_t offset) {
  // One construct may be met twice (an unclosed string is a warning and an aborted token).
  const uint32_t position = static_cast<uint32_t>(offset);
  if (!errors_.empty() && errors_.back().code == code && errors_.back().position == position) {
    return;
  }
  errors_.push_back({code, position});
}

void ParseContext::CheckHostCalls(size_t offset) {
  if (!model_.failed()) return;
  model_.reset_failed();
  RecordError(10, offset);
}

bool ParseContext::OutOfSync() {
  const uint32_t flags = Flags();
  if (aborted_) return true;
  if (!(flags & kAbortOutOfSync)) return false;
  if (!(flags & kAskUser)) {
    aborted_ = true;
  } else if (!asked_) {
    asked_ = true;
    aborted_ = !Host().AskSwitchToDesign(page_);
  }
  return aborted_;
}

const ComponentClass& ParseContext::Classify(std::u16string_view type) {
  std::u16string key(type);
  auto it = classes_.find(key);
  if (it != classes_.end()) return it->second;
  bool failed = false;
  ComponentClass found = ClassifyComponent(host_.application, type, &failed);
  if (failed) RecordError(10, scanner_.Position());
  return classes_.emplace(std::move(key), std::move(found)).first->second;
}

bool ParseContext::IsContainerType(std::u16string_view type) const {
  auto it = classes_.find(std::u16string(type));
  return it != classes_.end() && it->second.known && it->second.container;
}

ComPtr<HostPageModel> ParseContext::FindOnPage(std::u16string_view name) {
  if (!page_model_) return {};
  if (!page_index_) {
    // One walk of the page's components, first of each name in document order.
    page_index_.emplace();
    std::vector<ComPtr<HostPageModel>> pending = model_.Children(page_model_.Get());
    std::reverse(pending.begin(), pending.end());
    while (!pending.empty()) {
      ComPtr<HostPageModel> next = pending.back();
      pending.pop_back();
      page_index_->emplace(Lowered(model_.Name(next.Get())), next);
      std::vector<ComPtr<HostPageModel>> children = model_.Children(next.Get());
      for (auto it = children.rbegin(); it != children.rend(); ++it) pending.push_back(*it);
    }
  }
  // One buffer for the lower-case names looked up: a placeholder is met every few lines.
  lookup_name_.assign(name);
  for (char16_t& c : lookup_name_) c = AsciiToLower(c);
  auto it = page_index_->find(lookup_name_);
  return it == page_index_->end() ? ComPtr<HostPageModel>() : it->second;
}

ComPtr<HostPageModel> ParseContext::FindForBlock(const PageNode* from, std::u16string_view name) {
  const PageNode* holder = from;
  while (holder && !holder->host) holder = holder->Parent();
  if (holder && holder->host.Get() != page_model_.Get()) {
    if (ComPtr<HostPageModel> child = model_.ChildByName(holder->host.Get(), name)) return child;
    if (ComPtr<HostPageModel> nested = model_.FindAtAnyDepth(holder->host.Get(), name)) {
      return nested;
    }
  }
  return FindOnPage(name);
}

const ParseContext::ComponentFacts& ParseContext::Facts(HostPageModel* component) {
  auto found = facts_.find(component);
  if (found != facts_.end()) return found->second;
  ComponentFacts facts;
  ComPtr<HostPageModel> parent;
  long parent_id = 0;
  if (SUCCEEDED(component->GetParent(parent.Put())) && parent) parent_id = model_.Id(parent.Get());
  facts.registry_key = {parent_id, Lowered(model_.Name(component))};
  facts.type = model_.TypeName(component);
  facts.id = model_.Id(component);
  facts_holders_.emplace_back(component);
  return facts_.emplace(component, std::move(facts)).first->second;
}

bool ParseContext::IsMatched(HostPageModel* component) {
  if (!component) return false;
  auto it = registry_.find(RegistryKey(component));
  return it != registry_.end() && it->second;
}

void ParseContext::MarkMatched(HostPageModel* component) {
  if (component) registry_[RegistryKey(component)] = true;
}

std::u16string ParseContext::ComponentNodeName(HostPageModel* component) {
  const std::u16string type = ComponentType(component);
  const ComponentClass& found = Classify(type);
  return found.known && !found.canonical.empty() ? found.canonical : type;
}

}  // namespace kpx
