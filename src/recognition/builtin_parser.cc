// The built-in parse: one pass over the document scanner's items. Literal text is not copied as
// it is met: the parser remembers where the pending run began and writes it as a "Text" node
// before each node it makes, before each block marker and at the end.
#include "recognition/builtin_parser.h"

#include <algorithm>
#include <array>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "base/ascii_case.h"
#include "markup/element_table.h"
#include "markup/markup_char_classes.h"
#include "page/xml_text.h"
#include "recognition/block_messages.h"
#include "recognition/item_loop.h"
#include "recognition/resource_translation.h"
#include "recognition/tag_facts.h"
#include "recognition/template_syntax.h"

namespace kpx {

using namespace std::string_view_literals;

namespace {

// Tags whose attribute values may hold components, with the attributes to look at.
struct EmbracingTag {
  std::u16string_view tag;
  std::array<std::u16string_view, 2> attributes;
};
constexpr std::array<EmbracingTag, 5> kEmbracingTags = {{
    {u"a", {u"name", u"href"}},
    {u"input", {u"name", u"value"}},
    {u"img", {u"src", {}}},
    {u"textarea", {u"name", {}}},
    {u"select", {u"name", {}}},
}};

class BuiltInParser {
 public:
  explicit BuiltInParser(ParseContext& context)
      : ctx_(context), scanner_(context.Scanner()), text_(context.Text()) {}

  void Run() {
    ReadItems(ctx_, *this);
    if (ctx_.Aborted()) return;
    Flush(text_.size());
    CloseAtEnd();
  }

 private:
  friend void ReadItems<BuiltInParser>(ParseContext&, BuiltInParser&);
  friend bool ReadBlockMarker<BuiltInParser>(ParseContext&, BuiltInParser&, std::u16string_view,
                                             size_t, size_t);

  // --- literal text ---
  void Flush(size_t upto) {
    if (upto > pending_) {
      PageNode* node = PageNode::Create(u"Text", ctx_.current, u"");
      node->range = {pending_, pending_, upto, upto};
      node->own_text_in_source = true;
    }
    if (upto > pending_) pending_ = upto;
  }
  // Writes the pending text up to start and makes the range [start, end) no literal text.
  void Consume(size_t start, size_t end) {
    Flush(start);
    pending_ = end;
  }

  PageNode* MakeNode(std::u16string_view name, size_t start, size_t end) {
    PageNode* node = PageNode::Create(name, ctx_.current, u"");
    node->range = {start, end, end, end};
    return node;
  }

  bool InsideHead() const { return scanner_.inside_head(); }

  // --- text items: placeholders and strings ---
  void OnOtherText(LexToken kind, size_t start) {
    if (kind == LexToken::kScriptString || kind == LexToken::kHtmlString) {
      EmbracedComponents(start, scanner_.ItemEnd());
    }
  }

  void OnBrace(size_t start) {
    const size_t length = PlaceholderLength(text_, start);
    if (length == 0) return;
    const size_t end = start + length;
    const std::u16string_view name = text_.substr(start + 1, length - 2);
    scanner_.SetPosition(end);
    Consume(start, end);
    if (InsideHead() && !in_title_ && !scanner_.inside_raw_content()) {
      PageNode* meta = MakeNode(u"meta", start, end);
      meta->attributes.Set(u"name", u"kpsProxyBraces");
      meta->attributes.SetBorrowed(u"value", name);
      return;
    }
    const size_t colon = name.find(u':');
    if (colon != std::u16string_view::npos) {
      PageNode* resource = MakeNode(u"Resource", start, end);
      resource->attributes.SetBorrowed(u"name", name.substr(colon + 1));
      resource->attributes.SetBorrowed(u"kpsPrefix", name.substr(0, colon));
      if (name.substr(0, colon) == u"res") TranslateResource(ctx_, *resource);
      ctx_.CheckHostCalls(start);
      return;
    }
    if (!MakeEmbracedComponent(name, start, end, false)) {
      PageNode* variable = MakeNode(u"Variable", start, end);
      variable->attributes.SetBorrowed(u"name", name);
    }
    ctx_.CheckHostCalls(start);
  }

  // A component node for a placeholder naming a component that may carry extended HTML and is
  // not matched yet; false when there is none.
  bool MakeEmbracedComponent(std::u16string_view name, size_t start, size_t end, bool inside_tag) {
    ComPtr<HostPageModel> component = ctx_.FindOnPage(name);
    if (!component || ctx_.IsMatched(component.Get())) return false;
    const std::u16string type = ctx_.ComponentType(component.Get());
    if (!CanCarryExtendedHtml(type)) return false;
    PageNode* node = MakeNode(ctx_.ComponentNodeName(component.Get()), start, end);
    node->host = component;
    node->attributes.Set(u"id", Decimal(ctx_.ComponentId(component.Get())));
    node->attributes.SetBorrowed(u"name", name);
    if (inside_tag) node->attributes.Set(u"kpsInsideTag", u"true");
    ctx_.MarkMatched(component.Get());
    return true;
  }

  // "{Name_Name}" and "{Name_Src}" inside [begin, end) of the text: components of the page.
  void EmbracedComponents(size_t begin, size_t end) {
    // Searches stay inside [begin, end), so that a page of many tags is read once.
    const std::u16string_view range = Slice(begin, end);
    for (size_t found = range.find(u'{'); found != std::u16string_view::npos;
         found = range.find(u'{', found + 1)) {
      size_t at = begin + found;
      const size_t length = PlaceholderLength(text_, at);
      if (length == 0 || at + length > end) continue;
      const std::u16string_view name = text_.substr(at + 1, length - 2);
      const std::u16string_view base = EmbracedComponentName(name);
      if (base.empty()) continue;
      if (at < pending_) continue;  // already written
      ComPtr<HostPageModel> component = ctx_.FindOnPage(base);
      ctx_.CheckHostCalls(at);
      if (!component || ctx_.IsMatched(component.Get()) ||
          !CanCarryExtendedHtml(ctx_.ComponentType(component.Get()))) {
        continue;
      }
      Consume(at, at + length);
      MakeEmbracedComponent(base, at, at + length, true);
      found += length - 1;
    }
  }

  // --- tags ---
  enum class TagRole : uint8_t { kOther, kTitle, kTable, kRow, kCell, kOption };
  struct TagFacts {
    std::u16string lowered;
    uint32_t properties = 0;  // of the element table
    bool parsed = false;      // start tags become element nodes (the site's tags to parse)
    TagRole role = TagRole::kOther;
    const EmbracingTag* embracing = nullptr;
    uint32_t open_tag_number = 0;   // the name's number on the open-tag stack
    uint32_t open_tag_written = 0;  // and the name as written
  };
  const TagFacts& FactsOf(std::u16string_view written) {
    return tag_facts_.Of(written, [this](std::u16string_view name) {
      TagFacts facts;
      facts.lowered = AsciiLowered(name);
      facts.properties = ElementProperties(name);
      facts.parsed = ctx_.ParsesTag(facts.lowered);
      facts.open_tag_number = ctx_.OpenTags().NameNumber(facts.lowered);
      facts.open_tag_written = ctx_.OpenTags().WrittenNumber(name);
      const std::u16string_view lowered = facts.lowered;
      if (lowered == u"title") facts.role = TagRole::kTitle;
      if (lowered == u"table") facts.role = TagRole::kTable;
      if (lowered == u"tr") facts.role = TagRole::kRow;
      if (lowered == u"td" || lowered == u"th") facts.role = TagRole::kCell;
      if (lowered == u"option") facts.role = TagRole::kOption;
      for (const EmbracingTag& embracing : kEmbracingTags) {
        if (embracing.tag == lowered) facts.embracing = &embracing;
      }
      return facts;
    });
  }

  void OnTag() {
    const TagRecord& tag = scanner_.Tag();
    const size_t start = scanner_.TagStart();
    const size_t end = scanner_.Position();
    const std::u16string_view written = tag.name.View();
    const TagFacts& facts = FactsOf(written);
    const bool tracked = (facts.properties & (kEmpty | kEndTagOptional)) == 0;

    if (facts.role == TagRole::kTitle) in_title_ = !tag.end_tag && !tag.self_closing;
    TrackTables(tag, facts.role);

    if (tag.end_tag) {
      if (tracked) ctx_.OpenTags().EndTag(written, start, facts.open_tag_number);
      if (!element_containers_.empty()) CloseElement(facts.lowered, start, end);
      return;
    }
    // A start tag of the element that is open, where its end tag may be left out, ends it (an
    // element node's name is in lower case).
    if (ctx_.current->tag_scope && (facts.properties & kEndTagOptional) &&
        ctx_.current->name == facts.lowered) {
      Flush(start);
      PageNode* open = ctx_.current;
      Close(*open, start, start);
      ctx_.current = open->Parent();
    }
    if (!tag.self_closing && tracked) {
      ctx_.OpenTags().PushTag(written, start, facts.open_tag_number, facts.open_tag_written);
    }

    const bool option_in_block = facts.role == TagRole::kOption && ctx_.current->name == u"Block" &&
                                 !ctx_.current->tag_scope && !(ctx_.Flags() & kGenerationMode);
    if ((option_in_block || facts.parsed) && WritableAsElement(tag)) {
      MakeElement(tag, facts, start, end, option_in_block);
      return;
    }
    if (!facts.embracing) return;
    for (const AttributeRecord& attribute : tag.attributes) {
      if (!attribute.from_source) continue;
      const auto& looked_at = facts.embracing->attributes;
      if (std::none_of(looked_at.begin(), looked_at.end(), [&](std::u16string_view a) {
            return !a.empty() && EqualsIgnoringAsciiCase(a, attribute.name.View());
          })) {
        continue;
      }
      const size_t value_start =
          attribute.value_position + (attribute.quote_kind == QuoteKind::kNone ? 0 : 1);
      EmbracedComponents(value_start, std::min(end, value_start + attribute.value.View().size()));
    }
  }

  void MakeElement(const TagRecord& tag, const TagFacts& facts, size_t start, size_t end,
                   bool option_in_block) {
    const std::u16string& lowered = facts.lowered;
    Consume(start, end);
    std::u16string block_name;
    if (option_in_block) block_name = ctx_.current->attributes.Get(u"name");
    PageNode* node = MakeNode(lowered, start, end);
    if (tag.name.View() != lowered) node->written_name.assign(tag.name.View());
    node->tag_scope = true;
    CopyTagAttributes(tag, text_, *node, (option_in_block ? 1 : 0) + (InsideHead() ? 1 : 0));
    if (option_in_block) node->attributes.Set(u"kpsOptionBlock", block_name);
    if (InsideHead()) node->attributes.Set(u"kpsInsideHead", u"true");
    if (tag.self_closing || (facts.properties & kEmpty)) return;
    const PageNode* container = Container(ctx_.current);
    open_elements_[lowered].push_back({node, container});
    element_containers_[node] = container;
    ctx_.current = node;
  }

  // The nearest node that is not an element node: elements close only inside it.
  const PageNode* Container(const PageNode* node) const {
    if (!node->tag_scope) return node;
    auto found = element_containers_.find(node);
    return found != element_containers_.end() ? found->second : node;
  }

  // An end tag closes the open element node of its name, when one is open inside the current
  // block; elements opened after it end with it.
  // The open element nodes of each name, innermost last, with their containers: an end tag finds
  // its node without walking the elements it passes unless it closes them.
  void CloseElement(const std::u16string& lowered, size_t start, size_t end) {
    auto found = open_elements_.find(lowered);
    if (found == open_elements_.end() || found->second.empty()) return;
    PageNode* node = found->second.back().node;
    if (found->second.back().container != Container(ctx_.current)) return;
    Consume(start, end);
    while (ctx_.current != node) {
      PageNode* open = ctx_.current;
      Close(*open, start, start);
      ctx_.current = open->Parent();
    }
    Close(*node, start, end);
    ctx_.current = node->Parent();
  }

  // Column spans of table rows, for the Panels that stand in tables.
  void TrackTables(const TagRecord& tag, TagRole role) {
    if (role == TagRole::kTable) {
      if (tag.end_tag) {
        if (table_depth_ > 0) --table_depth_;
      } else if (!tag.self_closing) {
        ++table_depth_;
      }
      return;
    }
    if (tag.end_tag) return;
    if (role == TagRole::kRow) {
      row_width_ = 0;
    } else if (role == TagRole::kCell) {
      long span = 1;
      for (const AttributeRecord& attribute : tag.attributes) {
        if (!EqualsIgnoringAsciiCase(attribute.name.View(), u"colspan")) continue;
        long value = 0;
        bool digits = false;
        for (char16_t c : attribute.value.View()) {
          if (c < u'0' || c > u'9' || value > 100000) break;
          value = value * 10 + (c - u'0');
          digits = true;
        }
        if (digits && value > 0) span = value;
      }
      row_width_ += span;
      if (!open_panels_.empty()) {
        long& widest = panel_widths_[open_panels_.back()];
        widest = std::max(widest, row_width_);
      }
    }
  }

  // --- comments: block markers ---
  void OnComment() {
    if (scanner_.LastTokenKind() != LexToken::kComment) return;
    const std::u16string_view body = scanner_.ItemTextView();
    ReadBlockMarker(ctx_, *this, body, scanner_.ItemStart(), scanner_.ItemEnd());
  }

  void Begin(std::u16string_view type, std::u16string_view name, size_t start, size_t end) {
    Consume(start, end);
    PageNode* node = nullptr;
    const ComponentClass& found = type.empty() ? kNoClass : ctx_.Classify(type);
    if (found.known && !found.simple) {
      ComPtr<HostPageModel> component = ctx_.FindForBlock(ctx_.current, name);
      if (component && ctx_.IsMatched(component.Get())) {
        ctx_.ReportAt(false, start, u"XX_Duplicate_Component", {name});
        if (ctx_.OutOfSync()) return;
      } else if (component) {
        node = MakeNode(ctx_.ComponentNodeName(component.Get()), start, end);
        node->host = component;
        node->attributes.SetBorrowed(u"type", type);
        node->attributes.SetBorrowed(u"name", name);
        node->attributes.Set(u"id", Decimal(ctx_.ComponentId(component.Get())));
        ctx_.MarkMatched(component.Get());
        ctx_.OpenTags().PushBoundary(node, name);
        if (EqualsIgnoringAsciiCase(node->name, u"Panel")) {
          panel_widths_[node] = 0;
          open_panels_.push_back(node);
          if (table_depth_ > 0) panels_in_tables_.insert(node);
        }
      }
    }
    if (!node) {
      node = MakeNode(u"Block", start, end);
      node->attributes.SetBorrowed(u"type", type);
      node->attributes.SetBorrowed(u"name", name);
    }
    if (InsideHead()) node->attributes.Set(u"kpsInsideHead", u"true");
    open_blocks_.push_back(node);
    blocks_by_type_[BlockKey(*node)].push_back(node);
    ctx_.current = node;
  }

  // The open block around the innermost one, or null.
  const PageNode* OuterBlock() const {
    return open_blocks_.size() >= 2 ? open_blocks_[open_blocks_.size() - 2] : nullptr;
  }
  static bool IsBlockNode(const PageNode& node) {
    return !node.tag_scope && (node.name == u"Block" || node.IsComponent()) && node.Parent();
  }

  void End(std::u16string_view type, std::u16string_view name, size_t start, size_t end) {
    // The innermost open block of that type: blocks and elements inside it end with it.
    auto found = blocks_by_type_.find(AsciiLowered(type));
    PageNode* match =
        found == blocks_by_type_.end() || found->second.empty() ? nullptr : found->second.back();
    if (!match) {
      // Closes nothing: stays literal text, joined with the text around it.
      ReportUnmatchedEnd(ctx_, type, name, start,
                         open_blocks_.empty() ? nullptr : open_blocks_.back());
      return;
    }
    Consume(start, end);
    while (ctx_.current != match) {
      PageNode* open = ctx_.current;
      if (IsBlockNode(*open)) {
        ReportMissingEnd(ctx_, *open, OuterBlock(), start);
        if (ctx_.Aborted()) return;
      }
      Close(*open, start, start);
      ctx_.current = open->Parent();
    }
    Close(*match, start, end);
    ctx_.current = match->Parent();
  }

  // Ends a node at [close_start, close_end) and finishes what its end decides.
  void Close(PageNode& node, size_t close_start, size_t close_end) {
    node.range.close_start = close_start;
    node.range.close_end = close_end;
    if (node.tag_scope) {
      auto& open = open_elements_[node.name];
      if (!open.empty() && open.back().node == &node) open.pop_back();
      element_containers_.erase(&node);  // asked only while the element is open
      return;
    }
    if (!open_blocks_.empty() && open_blocks_.back() == &node) {
      open_blocks_.pop_back();
      auto& same_type = blocks_by_type_[BlockKey(node)];
      if (!same_type.empty() && same_type.back() == &node) same_type.pop_back();
    }
    if (node.IsComponent()) {
      ctx_.OpenTags().EndContainer(&node);
      auto width = panel_widths_.find(&node);
      if (width != panel_widths_.end() && !open_panels_.empty() && open_panels_.back() == &node) {
        open_panels_.pop_back();
        if (panels_in_tables_.count(&node)) {
          node.attributes.Set(u"kpsMaxColspan", Decimal(width->second));
        }
        // The widest row counts for the Panel around this one too.
        if (!open_panels_.empty()) {
          long& outer = panel_widths_[open_panels_.back()];
          outer = std::max(outer, width->second);
        }
      }
      return;
    }
    if (node.name != u"Block") return;
    const std::u16string_view content = Slice(node.range.open_end, close_start);
    if (!content.empty() && OnlyWhiteSpace(content)) {
      node.attributes.Set(u"kpsBlockIsWhiteSpace", u"true");
    }
    const std::u16string_view type = node.attributes.Get(u"type");
    if (type.empty()) return;
    const ComponentClass& found = ctx_.Classify(type);
    if (!found.known || !found.simple) return;
    // A simple component written as a block: its node inside the block.
    PageNode* inner = nullptr;
    for (PageNode* child : node.Children()) {
      if (EqualsIgnoringAsciiCase(child->name, found.canonical)) {
        inner = child;
        break;
      }
    }
    const std::u16string name(node.attributes.Get(u"name"));
    if (!inner) {
      inner = PageNode::Create(found.canonical, &node, u"");
      inner->range = {close_start, close_start, close_start, close_start};
    }
    inner->attributes.Set(u"kpsPrimitiveAsBlock", u"true");
    inner->attributes.Set(u"name", name);
    node.attributes.Set(u"kpsPrimitiveAsBlock", u"true");
    ComPtr<HostPageModel> component = ctx_.FindForBlock(&node, name);
    if (component && !ctx_.IsMatched(component.Get())) {
      inner->attributes.Set(u"id", Decimal(ctx_.ComponentId(component.Get())));
      inner->host = component;
      ctx_.MarkMatched(component.Get());
    }
  }

  std::u16string_view Slice(size_t begin, size_t end) const {
    return begin < end && end <= text_.size() ? text_.substr(begin, end - begin)
                                              : std::u16string_view();
  }

  void CloseAtEnd() {
    const size_t end = text_.size();
    while (ctx_.current->Parent()) {
      PageNode* open = ctx_.current;
      if (IsBlockNode(*open)) {
        if (ReportOpenAtEnd(ctx_, *open)) return;
      }
      Close(*open, end, end);
      ctx_.current = open->Parent();
    }
  }

  // --- declarations and CDATA sections ---
  void OnDeclaration() {
    if (!EqualsIgnoringAsciiCase(scanner_.ItemTextView(), u"DOCTYPE")) return;
    Consume(scanner_.ItemStart(), scanner_.ItemEnd());
  }

  void OnCData() {
    const size_t start = scanner_.ItemStart();
    const size_t end = scanner_.ItemEnd();
    // An unterminated section stays literal text: there is no section to stand for.
    if (end < start + 3 || Slice(end - 3, end) != u"]]>") return;
    Consume(start, end);
    PageNode* node = MakeNode(u"kpsCDATA", start, end);
    node->own_text.borrow(scanner_.ItemTextView());
  }

  static inline const ComponentClass kNoClass{};

  ParseContext& ctx_;
  DocumentScanner& scanner_;
  std::u16string_view text_;
  TagFactsTable<TagFacts> tag_facts_;  // by the name as written
  size_t pending_ = 0;
  bool in_title_ = false;
  int table_depth_ = 0;
  long row_width_ = 0;
  std::unordered_map<const PageNode*, long> panel_widths_;
  struct OpenElement {
    PageNode* node;
    const PageNode* container;
  };
  std::unordered_map<std::u16string, std::vector<OpenElement>> open_elements_;
  std::unordered_map<const PageNode*, const PageNode*> element_containers_;
  std::vector<PageNode*> open_blocks_;  // innermost last
  std::unordered_map<std::u16string, std::vector<PageNode*>> blocks_by_type_;
  std::vector<const PageNode*> open_panels_;  // innermost last
  std::unordered_set<const PageNode*> panels_in_tables_;
};

}  // namespace

void ParseBuiltIn(ParseContext& context) {
  BuiltInParser(context).Run();
}

}  // namespace kpx
