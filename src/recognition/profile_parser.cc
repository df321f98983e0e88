// The profile-driven parse. Literal text is not copied as it is met: the parser remembers where
// the pending run began and writes it as a "Text" node before each node it makes. Every node made
// for a rule remembers the rule and the options it was made with; no rule changes during a parse.
#include "recognition/profile_parser.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/ascii_case.h"
#include "base/text_ids.h"
#include "markup/element_table.h"
#include "markup/markup_char_classes.h"
#include "page/xml_text.h"
#include "profile/rule_application.h"
#include "recognition/block_messages.h"
#include "recognition/item_loop.h"
#include "recognition/resource_translation.h"
#include "recognition/rule_search.h"
#include "recognition/tag_facts.h"
#include "recognition/template_syntax.h"

namespace kpx {

namespace {

// What became of a construct's node.
enum class Fate : uint8_t {
  kKeep,  // written as its rule says
  kRip,   // markup removed, content kept
  kDrop,  // dropped with its content once its own end closes it
};

struct Governed {
  const ProfileRule* rule = nullptr;
  uint32_t options = 0;
  Fate fate = Fate::kKeep;
};

// The rule for a block whose rule says text, or that no rule governs: a block as xml, simulated.
const ProfileRule& BlockAsXmlRule() {
  static const ProfileRule rule = [] {
    ProfileRule made;
    made.kind = RuleKind::kBlock;
    made.output.kind = OutputKind::kXml;
    made.output.options = kOptionSimulate;
    return made;
  }();
  return rule;
}

// A placeholder that a rule turns into a node.
struct Placeholder {
  enum Kind : uint8_t { kResource, kVariable, kComponent } kind = kVariable;
  const ProfileRule* rule = nullptr;
  std::u16string_view prefix;  // resources
  std::u16string_view name;    // the resource's, variable's or component's name
  ComPtr<HostPageModel> component;
};

class ProfileParser {
 public:
  ProfileParser(ParseContext& context, const PreparedMode& mode)
      : ctx_(context),
        mode_(mode),
        search_(context, mode),
        scanner_(context.Scanner()),
        text_(context.Text()) {}

  void Run() {
    ReadItems(ctx_, *this);
    if (ctx_.Aborted()) return;
    Flush(text_.size());
    CloseAtEnd();
  }

 private:
  friend void ReadItems<ProfileParser>(ParseContext&, ProfileParser&);
  friend bool ReadBlockMarker<ProfileParser>(ParseContext&, ProfileParser&, std::u16string_view,
                                             size_t, size_t);

  // --- literal text ---
  void TextNode(PageNode* parent, size_t begin, size_t end) {
    if (end <= begin) return;
    PageNode* node = PageNode::Create(u"Text", parent, u"");
    node->range = {begin, begin, end, end};
    node->own_text_in_source = true;
  }
  void Flush(size_t upto) {
    if (upto > pending_) {
      TextNode(ctx_.current, pending_, upto);
      pending_ = upto;
    }
  }
  // Writes the pending text up to start and makes [start, end) no literal text.
  void Consume(size_t start, size_t end) {
    Flush(start);
    if (end > pending_) pending_ = end;
  }

  PageNode* MakeNode(std::u16string name, PageNode* parent, size_t start, size_t end) {
    PageNode* node = PageNode::Create(std::move(name), parent, u"");
    node->range = {start, end, end, end};
    return node;
  }
  // A node that content goes into until its end is met.
  PageNode* OpenNode(std::u16string name, size_t start, size_t end) {
    opened_after_ = ctx_.current->Children().back();
    PageNode* node = PageNode::Create(std::move(name), ctx_.current, u"");
    node->range = {start, end, kNoSourceOffset, kNoSourceOffset};
    return node;
  }

  // A node that becomes the current node, with the rule that its end applies.
  // name_construct: the node name's number in the rule search, when known.
  void Govern(PageNode* node, const ProfileRule& rule, uint32_t options, Fate fate = Fate::kKeep,
              uint32_t name_construct = RuleSearch::kNoConstruct) {
    open_.push_back({node, {&rule, options, fate}, opened_after_});
    search_.Push(node, name_construct);
  }

  DomainType TextDomain() const {
    return (ctx_.current->flags & kCommentState) ? DomainType::kComment : DomainType::kText;
  }

  // --- placeholders ---
  // The rule and node kind for a placeholder's token in a domain, or nothing when it stays text.
  std::optional<Placeholder> Decide(std::u16string_view token, DomainType domain) {
    Placeholder found;
    const size_t colon = token.find(u':');
    if (colon != std::u16string_view::npos) {
      found.kind = Placeholder::kResource;
      found.prefix = token.substr(0, colon);
      found.name = token.substr(colon + 1);
      if (!mode_.ResourcePrefixListed(found.prefix) && !ctx_.FindOnPage(found.prefix)) {
        return std::nullopt;
      }
      found.rule = PlaceholderRule(RuleKind::kResource, token, domain);
    } else {
      const std::u16string_view base = EmbracedComponentName(token);
      const bool attribute = domain == DomainType::kAttribute;
      if (!base.empty() && domain != DomainType::kComment &&
          (!attribute || mode_.LooksForComponentsInAttributes())) {
        ComPtr<HostPageModel> component = ctx_.FindOnPage(base);
        if (component && !ctx_.IsMatched(component.Get()) &&
            CanCarryExtendedHtml(ctx_.ComponentType(component.Get()))) {
          found.rule = attribute
                           ? mode_.DomainRule(domain, RuleKind::kComponent, OutputKind::kRip)
                           : search_.Find(ctx_.current, RuleKind::kComponent, base, u"embraced");
          if (found.rule) {
            found.kind = Placeholder::kComponent;
            found.name = base;
            found.component = component;
            return found;
          }
        }
      }
      found.kind = Placeholder::kVariable;
      found.name = token;
      found.rule = PlaceholderRule(RuleKind::kVariable, token, domain);
    }
    if (!found.rule) return std::nullopt;
    const OutputKind output = found.rule->output.kind;
    if (output == OutputKind::kXml || output == OutputKind::kNone ||
        (output == OutputKind::kRip && domain == DomainType::kAttribute)) {
      return found;
    }
    return std::nullopt;
  }

  // Inside comments only the domain's rule counts; in attribute values a rip rule first; else the
  // contextual search, then the domain's xml rule.
  const ProfileRule* PlaceholderRule(RuleKind kind, std::u16string_view token, DomainType domain) {
    if (domain == DomainType::kComment) {
      return mode_.DomainRule(domain, kind, OutputKind::kXml);
    }
    if (domain == DomainType::kAttribute) {
      if (const ProfileRule* rip = mode_.DomainRule(domain, kind, OutputKind::kRip)) return rip;
    }
    if (const ProfileRule* found = search_.Find(ctx_.current, kind, token)) return found;
    return mode_.DomainRule(domain, kind, OutputKind::kXml);
  }

  // The node(s) for a placeholder at [start, end) under parent; nothing for a dropped one.
  void MakePlaceholder(const Placeholder& found, PageNode* parent, size_t start, size_t end,
                       bool inside_tag) {
    if (found.rule->output.kind == OutputKind::kNone) return;
    const uint32_t options = found.rule->output.options;
    switch (found.kind) {
      case Placeholder::kResource: {
        PageNode* node = MakeNode(u"Resource", parent, start, end);
        node->attributes.Set(u"name", found.name);
        node->attributes.Set(u"kpsPrefix", found.prefix);
        if (inside_tag) node->attributes.Set(u"kpsInsideTag", u"true");
        if (found.prefix == u"res") TranslateResource(ctx_, *node);
        ApplyRule(*node, *found.rule, options, true, true);
        if (parent->flags & kExtraResources) {
          PageNode* extra = MakeNode(u"Resource", parent, start, end);
          extra->attributes.Set(u"name", found.name);
          extra->attributes.Set(u"kpsPrefix", found.prefix);
          extra->flags |= kWriteNoTags;
        }
        break;
      }
      case Placeholder::kVariable: {
        PageNode* node = MakeNode(u"Variable", parent, start, end);
        node->attributes.Set(u"name", found.name);
        if (inside_tag) node->attributes.Set(u"kpsInsideTag", u"true");
        ApplyRule(*node, *found.rule, options, true, false);
        break;
      }
      case Placeholder::kComponent: {
        HostPageModel* component = found.component.Get();
        PageNode* node = MakeNode(ctx_.ComponentNodeName(component), parent, start, end);
        node->host = found.component;
        node->attributes.Set(u"id", Decimal(ctx_.ComponentId(component)));
        node->attributes.Set(u"name", found.name);
        if (inside_tag) node->attributes.Set(u"kpsInsideTag", u"true");
        ctx_.MarkMatched(component);
        ApplyRule(*node, *found.rule, options, true, true);
        break;
      }
    }
  }

  // Placeholders in the running text (the scanner met a "{").
  void OnBrace(size_t start) {
    const size_t length = PlaceholderLength(text_, start);
    if (length == 0) return;
    const size_t end = start + length;
    const std::optional<Placeholder> found =
        Decide(text_.substr(start + 1, length - 2), TextDomain());
    ctx_.CheckHostCalls(start);
    if (!found) return;
    scanner_.SetPosition(end);
    Consume(start, end);
    MakePlaceholder(*found, ctx_.current, start, end, false);
  }

  // Placeholders in the qualifying attribute values of the tag just read. With into null the tag
  // stays literal text, split around the nodes; otherwise the nodes go into `into`, and the values
  // copied onto it lose the placeholders that rip rules take.
  void AttributePlaceholders(const TagRecord& tag, std::u16string_view lowered, size_t end,
                             PageNode* into) {
    for (const AttributeRecord& attribute : tag.attributes) {
      if (!attribute.from_source) continue;
      const std::u16string_view value = attribute.value.View();
      if (!HoldsBrace(value)) continue;
      if (!mode_.AttributeQualifies(lowered, attribute.name.View())) continue;
      const size_t value_start =
          attribute.value_position + (attribute.quote_kind == QuoteKind::kNone ? 0 : 1);
      const size_t value_end = std::min(end, value_start + value.size());
      std::u16string kept;
      size_t kept_from = value_start;
      bool ripped = false;
      for (size_t at = text_.find(u'{', value_start); at < value_end;
           at = text_.find(u'{', at + 1)) {
        const size_t length = PlaceholderLength(text_, at);
        if (length == 0 || at + length > value_end) continue;
        const std::optional<Placeholder> found =
            Decide(text_.substr(at + 1, length - 2), DomainType::kAttribute);
        ctx_.CheckHostCalls(at);
        if (!found) continue;
        if (into) {
          MakePlaceholder(*found, into, at, at + length, true);
          if (found->rule->output.kind == OutputKind::kRip) {
            kept.append(text_.substr(kept_from, at - kept_from));
            kept_from = at + length;
            ripped = true;
          }
        } else {
          Consume(at, at + length);
          MakePlaceholder(*found, ctx_.current, at, at + length, true);
        }
        at += length - 1;
      }
      if (ripped) {
        kept.append(text_.substr(kept_from, value_end - kept_from));
        into->attributes.Set(attribute.name.View(), kept);
      }
    }
  }

  void OnOtherText(LexToken, size_t) {}

  // --- tags ---
  // What the parse needs to know of a tag name, found once per name as written.
  struct TagFacts {
    std::u16string lowered;
    uint32_t properties;         // of the element table
    uint32_t element;            // the lower-case name's list in open_elements_
    uint32_t construct;          // the name's number in the rule search
    uint32_t lowered_construct;  // the lower-case name's
    uint32_t open_tag_number;    // the name's number on the open-tag stack
    uint32_t open_tag_written;   // and the name as written
    bool denied;
    bool validated;
  };
  const TagFacts& FactsOf(std::u16string_view written) {
    return tag_facts_.Of(written, [this](std::u16string_view name) {
      TagFacts facts;
      facts.lowered = AsciiLowered(name);
      facts.properties = ElementProperties(name);
      facts.element = ElementList(facts.lowered);
      facts.denied = mode_.Denied(facts.lowered);
      facts.validated = mode_.Validated(facts.lowered);
      facts.construct = search_.ConstructId(name, {});
      facts.lowered_construct = search_.ConstructId(facts.lowered, {});
      facts.open_tag_number = ctx_.OpenTags().NameNumber(facts.lowered);
      facts.open_tag_written = ctx_.OpenTags().WrittenNumber(name);
      return facts;
    });
  }
  // The open elements of a lower-case name, by the name's number.
  uint32_t ElementList(std::u16string_view lowered) {
    const uint32_t id = element_names_.Add(lowered);
    if (id == open_elements_.size()) open_elements_.emplace_back();
    return id;
  }

  void OnTag() {
    if (scanner_.Tag().end_tag) {
      OnEndTag();
    } else {
      OnStartTag();
    }
  }

  void OnStartTag() {
    const TagRecord& tag = scanner_.Tag();
    const size_t start = scanner_.TagStart();
    const size_t end = scanner_.Position();
    const std::u16string_view written = tag.name.View();
    const TagFacts& facts = FactsOf(written);
    const std::u16string& lowered = facts.lowered;
    const uint32_t properties = facts.properties;

    // A start tag of the element that is open, where its end tag may be left out, ends it.
    if ((properties & kEndTagOptional) && ctx_.current->tag_scope &&
        ctx_.current->name == lowered) {
      Flush(start);
      PageNode* open = ctx_.current;
      Close(*open, start, start, false);
      ctx_.current = open->Parent();
    }
    if (!tag.self_closing && !(properties & (kEmpty | kEndTagOptional))) {
      ctx_.OpenTags().PushTag(written, start, facts.open_tag_number, facts.open_tag_written);
    }

    const ProfileRule* rule =
        search_.Find(ctx_.current, RuleKind::kHtmlTag, written, {}, facts.construct);
    const bool denied = facts.denied;
    uint32_t options = rule ? rule->output.options : 0;
    if (denied && (!rule || rule->output.kind == OutputKind::kXml)) {
      // A per-node copy: the rule itself stays as it is for every later tag and conversion.
      if (!rule) rule = &PreparedMode::BuiltInTagRule();
      options = rule->output.options | kOptionBalanceMarker;
    }
    const OutputKind output = rule ? rule->output.kind : OutputKind::kUnset;
    const bool opens = !tag.self_closing && ((rule && rule->closable) || !(properties & kEmpty));
    // A denied tag's node is no scope: its content and end tag stay its parent's.
    const bool scope = opens && !denied;
    switch (output) {
      case OutputKind::kError:
        ctx_.ReportAt(true, start, rule->output.error_name, {});
        [[fallthrough]];
      case OutputKind::kUnset:
      case OutputKind::kText:
        AttributePlaceholders(tag, lowered, end, nullptr);
        return;
      case OutputKind::kNone:
      case OutputKind::kRip: {
        Consume(start, end);
        if (!opens) return;
        PageNode* node = OpenNode(lowered, start, end);
        node->written_name = written;
        node->tag_scope = true;
        node->flags |= kWriteNoTags;
        Govern(node, *rule, options, output == OutputKind::kNone ? Fate::kDrop : Fate::kRip,
               facts.lowered_construct);
        if (output == OutputKind::kRip) AttributePlaceholders(tag, lowered, end, node);
        Enter(node, properties, facts.element);
        return;
      }
      case OutputKind::kXml:
        break;
    }
    if (!WritableAsElement(tag)) {
      AttributePlaceholders(tag, lowered, end, nullptr);
      return;
    }
    Consume(start, end);
    PageNode* node =
        scope ? OpenNode(lowered, start, end) : MakeNode(lowered, ctx_.current, start, end);
    if (written != lowered) node->written_name = written;
    node->tag_scope = true;
    CopyTagAttributes(tag, text_, *node, scanner_.inside_head() ? 1 : 0);
    if (scanner_.inside_head()) node->attributes.Set(u"kpsInsideHead", u"true");
    if (denied) node->flags |= kWriteSimulatedTags | kWriteBalanceMarker;
    if (scope) Govern(node, *rule, options, Fate::kKeep, facts.lowered_construct);
    AttributePlaceholders(tag, lowered, end, node);
    ApplyRule(*node, *rule, options, true, !scope);
    if (scope) Enter(node, properties, facts.element);
  }

  void Enter(PageNode* node, uint32_t properties, uint32_t element) {
    const PageNode* container = Container(ctx_.current);
    const auto depth = static_cast<long>(elements_.size());
    open_elements_[element].push_back({node, container, depth});
    const bool required = !(properties & kEndTagOptional);
    elements_.push_back({node, container,
                         required ? depth : (depth > 0 ? elements_.back().required : -1), element});
    ctx_.current = node;
  }

  // The nearest node that is not an element node: elements close only inside it.
  // Element nodes open and close innermost first, so an open element's container is on top of
  // the stack while it is the current node.
  const PageNode* Container(const PageNode* node) const {
    if (!node->tag_scope || elements_.empty()) return node;
    return elements_.back().container;
  }

  void OnEndTag() {
    const TagRecord& tag = scanner_.Tag();
    const size_t start = scanner_.TagStart();
    const size_t end = scanner_.Position();
    const std::u16string_view written = tag.name.View();
    const TagFacts& facts = FactsOf(written);
    const std::u16string& lowered = facts.lowered;
    if (!(facts.properties & (kEmpty | kEndTagOptional))) {
      ctx_.OpenTags().EndTag(written, start, facts.open_tag_number);
    }

    // It closes the innermost open element of its name inside the current container when every
    // element opened after that one may end without its end tag (td before </tr>, li before </ul>);
    // past an element that needs its own end tag it closes nothing.
    const std::vector<OpenElement>& open = open_elements_[facts.element];
    if (!open.empty() && open.back().container == Container(ctx_.current) &&
        elements_.back().required <= open.back().depth) {
      PageNode* node = open.back().node;
      Consume(start, end);
      CloseUpTo(node, start);
      const Fate fate = Close(*node, start, end, true);
      ctx_.current = node->Parent();
      FinishDropped(node, fate);
      return;
    }
    if (facts.validated && IsQName(written)) {
      // Closes nothing here: the end tag alone, written as literal text.
      Consume(start, end);
      PageNode* node = MakeNode(lowered, ctx_.current, start, end);
      node->written_name = written;
      node->literal_end = true;
      node->flags |= kWriteLiteralClosing;
    }
  }

  // Closes the nodes opened inside `outer` (implicitly, at offset), innermost first, reporting
  // blocks whose END is missing.
  void CloseUpTo(PageNode* outer, size_t offset) {
    while (ctx_.current != outer && ctx_.current->Parent()) {
      PageNode* open = ctx_.current;
      if (IsBlockNode(*open)) {
        ReportMissingEnd(ctx_, *open,
                         open_blocks_.size() >= 2 ? open_blocks_[open_blocks_.size() - 2] : nullptr,
                         offset);
        if (ctx_.Aborted()) return;
      }
      Close(*open, offset, offset, false);
      ctx_.current = open->Parent();
    }
  }

  // Ends a node at [close_start, close_end) and applies its rule's end. own_end: its own end tag
  // or END marker closed it. Returns what becomes of the node.
  Fate Close(PageNode& node, size_t close_start, size_t close_end, bool own_end) {
    node.range.close_start = close_start;
    node.range.close_end = close_end;
    if (node.tag_scope) {
      const uint32_t element = !elements_.empty() && elements_.back().node == &node
                                   ? elements_.back().element
                                   : ElementList(node.name.view());
      auto& open = open_elements_[element];
      if (!open.empty() && open.back().node == &node) open.pop_back();
      if (!elements_.empty()) elements_.pop_back();
    } else {
      if (!open_blocks_.empty() && open_blocks_.back() == &node) {
        open_blocks_.pop_back();
        auto& same_type = blocks_by_type_[BlockKey(node)];
        if (!same_type.empty() && same_type.back() == &node) same_type.pop_back();
      }
      if (node.IsComponent()) ctx_.OpenTags().EndContainer(&node);
      if (node.name == u"Block") {
        const std::u16string_view content = Slice(node.range.open_end, close_start);
        if (!content.empty() && OnlyWhiteSpace(content)) {
          node.attributes.Set(u"kpsBlockIsWhiteSpace", u"true");
        }
      }
    }
    if (open_.empty() || open_.back().node != &node) return Fate::kKeep;
    const Governed how = open_.back().how;
    closed_after_ = open_.back().previous;
    open_.pop_back();
    search_.Pop();
    if (how.fate == Fate::kKeep) ApplyRule(node, *how.rule, how.options, false, true);
    // Without its own end, a dropped node keeps its content.
    return how.fate == Fate::kDrop && !own_end ? Fate::kRip : how.fate;
  }

  // Takes a closed node whose rule drops it out of the tree (it is its parent's last child).
  void FinishDropped(PageNode* node, Fate fate) {
    if (fate != Fate::kDrop) return;
    PageNode* parent = node->Parent();
    std::vector<const PageNode*> doomed{node};
    while (!doomed.empty()) {
      const PageNode* gone = doomed.back();
      doomed.pop_back();
      if (ctx_.latest_text_node == gone) ctx_.latest_text_node = nullptr;
      for (const PageNode* child : gone->Children()) doomed.push_back(child);
    }
    parent->RemoveLastChild(closed_after_);
  }

  // --- declarations and CDATA sections ---
  void OnDeclaration() {
    const std::u16string_view name = scanner_.ItemTextView();
    const size_t start = scanner_.ItemStart();
    const size_t end = scanner_.ItemEnd();
    const ProfileRule* rule = search_.Find(ctx_.current, RuleKind::kSgmlDeclaration, name);
    const OutputKind output = rule ? rule->output.kind : OutputKind::kUnset;
    if (output == OutputKind::kError) ctx_.ReportAt(true, start, rule->output.error_name, {});
    if (output == OutputKind::kNone || output == OutputKind::kRip) {
      Consume(start, end);
      return;
    }
    if (output != OutputKind::kXml || !IsQName(name)) return;
    Consume(start, end);
    PageNode* node = MakeNode(std::u16string(name), ctx_.current, start, end);
    node->tag_scope = true;
    // The declaration's own words, so that nothing of it is lost.
    const size_t words = static_cast<size_t>(name.data() - text_.data()) + name.size();
    const size_t close = end > words && text_[end - 1] == u'>' ? end - 1 : end;
    std::u16string_view rest = Slice(words, close);
    while (!rest.empty() && (rest.front() == u' ' || rest.front() == u'\t' ||
                             rest.front() == u'\n' || rest.front() == u'\r')) {
      rest.remove_prefix(1);
    }
    node->own_text.assign(rest);
    ApplyRule(*node, *rule, rule->output.options, true, true);
  }

  void OnCData() {
    const size_t start = scanner_.ItemStart();
    const size_t end = scanner_.ItemEnd();
    if (end < start + 3 || Slice(end - 3, end) != u"]]>") return;
    Consume(start, end);
    PageNode* node = MakeNode(u"kpsCDATA", ctx_.current, start, end);
    node->own_text.assign(scanner_.ItemTextView());
  }

  // --- comments: block markers and comment rules ---
  void OnComment() {
    if (scanner_.LastTokenKind() != LexToken::kComment) return;
    const std::u16string_view body = scanner_.ItemTextView();
    const size_t start = scanner_.ItemStart();
    const size_t end = scanner_.ItemEnd();
    if (ReadBlockMarker(ctx_, *this, body, start, end)) return;
    const ProfileRule* rule = search_.Find(ctx_.current, RuleKind::kSgmlComment, u"");
    const OutputKind output = rule ? rule->output.kind : OutputKind::kUnset;
    const size_t body_start = static_cast<size_t>(body.data() - text_.data());
    const size_t body_end = body_start + body.size();
    switch (output) {
      case OutputKind::kError:
        ctx_.ReportAt(true, start, rule->output.error_name, {});
        return;
      case OutputKind::kNone:
        Consume(start, end);
        return;
      case OutputKind::kRip:
        Consume(start, end);
        TextNode(ctx_.current, body_start, body_end);
        return;
      case OutputKind::kXml:
        break;
      default:
        return;
    }
    Consume(start, end);
    PageNode* node = MakeNode(u"kpsComment", ctx_.current, start, end);
    node->range = {start, body_start, body_end, end};
    node->flags |= kCommentState;
    ApplyRule(*node, *rule, rule->output.options, true, true);
    // The body: placeholders in the comment domain, the rest literal text inside the node.
    PageNode* outer = ctx_.current;
    ctx_.current = node;
    size_t run = body_start;
    for (size_t at = text_.find(u'{', body_start); at < body_end; at = text_.find(u'{', at + 1)) {
      const size_t length = PlaceholderLength(text_, at);
      if (length == 0 || at + length > body_end) continue;
      const std::optional<Placeholder> found =
          Decide(text_.substr(at + 1, length - 2), DomainType::kComment);
      if (!found) continue;
      TextNode(node, run, at);
      MakePlaceholder(*found, node, at, at + length, false);
      run = at + length;
      at += length - 1;
    }
    TextNode(node, run, body_end);
    ctx_.current = outer;
  }

  void Begin(std::u16string_view type, std::u16string_view name, size_t start, size_t end) {
    Consume(start, end);
    const ComponentClass* found = type.empty() ? nullptr : &ctx_.Classify(type);
    const bool component_type = found && found->known && found->block;
    const ProfileRule* rule = component_type ? search_.Find(ctx_.current, RuleKind::kComponent,
                                                            type, u"container|complex|extended")
                                             : search_.Find(ctx_.current, RuleKind::kBlock, name);
    ComPtr<HostPageModel> component;
    if (component_type) component = ctx_.FindForBlock(ctx_.current, name);
    bool duplicate = false;
    if (component && ctx_.IsMatched(component.Get())) {
      ctx_.ReportAt(false, start, u"XX_Duplicate_Component", {name});
      if (ctx_.OutOfSync()) return;
      duplicate = true;
    }
    uint32_t options = rule ? rule->output.options : kOptionSimulate;
    Fate fate = Fate::kKeep;
    const OutputKind output = rule ? rule->output.kind : OutputKind::kUnset;
    if (output == OutputKind::kError) ctx_.ReportAt(true, start, rule->output.error_name, {});
    if (!rule || output == OutputKind::kError) rule = &BlockAsXmlRule();
    if (output == OutputKind::kText || duplicate) options = kOptionSimulate;
    if (output == OutputKind::kNone) fate = Fate::kDrop;
    if (output == OutputKind::kRip) fate = Fate::kRip;

    PageNode* node = nullptr;
    if (component && !duplicate) {
      node = OpenNode(ctx_.ComponentNodeName(component.Get()), start, end);
      node->host = component;
      node->attributes.Set(u"id", Decimal(ctx_.ComponentId(component.Get())));
      node->attributes.Set(u"name", name);
      ctx_.MarkMatched(component.Get());
      ctx_.OpenTags().PushBoundary(node, name);
    } else if (duplicate) {
      // Reported above; its markers and content come out as literal text.
      node =
          OpenNode(found->canonical.empty() ? std::u16string(type) : found->canonical, start, end);
      node->attributes.Set(u"name", name);  // for the messages; its tags are the template's
    } else {
      node = OpenNode(u"Block", start, end);
      node->attributes.Set(u"type", type);
      node->attributes.Set(u"name", name);
    }
    if (scanner_.inside_head()) node->attributes.Set(u"kpsInsideHead", u"true");
    if (fate != Fate::kKeep) node->flags |= kWriteNoTags;
    Govern(node, *rule, options, fate);
    if (fate == Fate::kKeep) ApplyRule(*node, *rule, options, true, false);
    open_blocks_.push_back(node);
    blocks_by_type_[BlockKey(*node)].push_back(node);
    ctx_.current = node;
  }

  void End(std::u16string_view type, std::u16string_view name, size_t start, size_t end) {
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
    CloseUpTo(match, start);
    if (ctx_.Aborted()) return;
    const Fate fate = Close(*match, start, end, true);
    ctx_.current = match->Parent();
    FinishDropped(match, fate);
  }

  void CloseAtEnd() {
    const size_t end = text_.size();
    while (ctx_.current->Parent()) {
      PageNode* open = ctx_.current;
      if (IsBlockNode(*open)) {
        if (ReportOpenAtEnd(ctx_, *open)) return;
      }
      Close(*open, end, end, false);
      ctx_.current = open->Parent();
    }
  }

  // The current node is a block when it is an open node that is no element.
  bool IsBlockNode(const PageNode& node) const {
    return !node.tag_scope && node.Parent() && !open_.empty() && open_.back().node == &node;
  }

  std::u16string_view Slice(size_t begin, size_t end) const {
    return begin < end && end <= text_.size() ? text_.substr(begin, end - begin)
                                              : std::u16string_view();
  }

  ParseContext& ctx_;
  const PreparedMode& mode_;
  RuleSearch search_;
  DocumentScanner& scanner_;
  std::u16string_view text_;
  size_t pending_ = 0;
  TagFactsTable<TagFacts> tag_facts_;  // by the name as written
  struct OpenEntry {
    PageNode* node;
    Governed how;
    const PageNode* previous;  // the child of the node's parent made before it, if any
  };
  // The parent's last child before the latest OpenNode, and the previous child of the node that
  // Close took from open_ last: a dropped node is unlinked without a walk over its siblings.
  const PageNode* opened_after_ = nullptr;
  const PageNode* closed_after_ = nullptr;
  std::vector<OpenEntry> open_;  // the open elements and blocks, innermost last
  struct OpenElement {
    PageNode* node;
    const PageNode* container;
    long depth;  // its place among the open element nodes
  };
  TextIds element_names_;                                // lower case
  std::vector<std::vector<OpenElement>> open_elements_;  // by element_names_
  // The open element nodes, innermost last: each one's container, and the place of the innermost
  // of it and those below it that needs its own end tag (-1: none).
  struct ElementFrame {
    const PageNode* node;
    const PageNode* container;
    long required;
    uint32_t element;  // its name's list in open_elements_
  };
  std::vector<ElementFrame> elements_;
  std::vector<PageNode*> open_blocks_;  // innermost last
  std::unordered_map<std::u16string, std::vector<PageNode*>> blocks_by_type_;
};

}  // namespace

void ParseWithProfile(ParseContext& context, const PreparedMode& mode) {
  context.Root().flags &= ~static_cast<uint32_t>(kProfileCleared);
  ProfileParser(context, mode).Run();
}

}  // namespace kpx
