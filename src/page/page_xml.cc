// Writing a page node tree: page XML, the block structure text, and the block at a text position.
// Trees can be as deep as a template's nesting, so every walk keeps its own stack.
#include <algorithm>
#include <array>
#include <set>

#include "base/large_buffers.h"
#include "markup/element_table.h"
#include "page/page_node.h"
#include "page/xml_text.h"

namespace kpx {

using namespace std::string_view_literals;

namespace {

constexpr std::u16string_view kMarker = u" kpsForcelyBalanced=\"true\"";

// Elements whose generated form always has a closing tag.
constexpr std::array<std::u16string_view, 9> kAlwaysClosed = {
    u"a", u"form", u"textarea", u"select", u"option", u"span", u"script", u"style", u"comment"};

bool AlwaysClosed(std::u16string_view name) {
  return std::any_of(kAlwaysClosed.begin(), kAlwaysClosed.end(),
                     [&](std::u16string_view n) { return n == name; });
}

bool NeedsPrefixDeclaration(std::u16string_view prefix) {
  return !prefix.empty() && prefix != u"xml";
}

// Writes a name as page XML writes it (see WritableName), without a copy in the common case.
void AppendName(std::u16string& out, std::u16string_view name) {
  if (IsPlainName(name)) {
    out += name;
  } else {
    out += WritableName(name);
  }
}

void AddPrefix(std::set<std::u16string>& prefixes, std::u16string_view name) {
  // Only a name with a colon has a prefix once written (WritableName keeps at most the first).
  if (name.find(u':') == std::u16string_view::npos) return;
  const std::u16string written = WritableName(name);
  const std::u16string_view prefix = NamePrefix(written);
  if (NeedsPrefixDeclaration(prefix)) prefixes.emplace(prefix);
}

void AddPrefixes(std::set<std::u16string>& prefixes, const PageNode& node) {
  AddPrefix(prefixes, node.WrittenName());
  for (const auto& entry : node.attributes.Entries()) AddPrefix(prefixes, entry.first);
}

// The prefixes of a subtree that is not written node by node (raw content).
void AddSubtreePrefixes(std::set<std::u16string>& prefixes, const PageNode& top) {
  std::vector<const PageNode*> walk{&top};
  while (!walk.empty()) {
    const PageNode& node = *walk.back();
    walk.pop_back();
    AddPrefixes(prefixes, node);
    for (const PageNode* child : node.Children()) walk.push_back(child);
  }
}

void Declare(std::u16string& out, const std::set<std::u16string>& prefixes) {
  for (const std::u16string& prefix : prefixes) {
    out += u" xmlns:"sv;
    out += prefix;
    out += u"=\""sv;
    out += kPrefixNamespace;
    out += u'"';
  }
}

class TagWriter {
 public:
  // declare_own: every element declares the prefixes of its own names (used when no enclosing
  // element declares them all).
  explicit TagWriter(bool declare_own) : declare_own_(declare_own) {}

  // "<" name [marker] attributes [declarations] (">" or " />"). declare_at, when given, receives
  // the place after the attributes, where the declarations of the whole tree go once known.
  void Opening(std::u16string& out, const PageNode& node, bool marker, bool empty,
               size_t* declare_at = nullptr) {
    out += u'<';
    AppendName(out, node.WrittenName());
    if (marker) out += kMarker;
    bool plain = true;
    for (const auto& entry : node.attributes.Entries()) {
      if (!IsPlainName(entry.first)) {
        plain = false;
        break;
      }
    }
    if (plain) {
      // Plain names are distinct as stored and need no prefix.
      for (const auto& [attribute, value] : node.attributes.Entries())
        WriteAttribute(out, attribute, value);
    } else {
      WriteQualifiedAttributes(out, node);
    }
    if (declare_at) *declare_at = out.size();
    if (declare_own_) {
      std::set<std::u16string> own;
      AddPrefixes(own, node);
      Declare(out, own);
    }
    out += empty ? u" />"sv : u">"sv;
  }

  static void Closing(std::u16string& out, const PageNode& node, bool marker) {
    out += u"</"sv;
    AppendName(out, node.WrittenName());
    if (marker) out += kMarker;
    out += u'>';
  }

 private:
  static void WriteAttribute(std::u16string& out, std::u16string_view name,
                             std::u16string_view value) {
    out += u' ';
    out += name;
    out += u"=\""sv;
    AppendXmlAttributeValue(out, value);
    out += u'"';
  }

  // Attribute names as written; a later attribute that would clash with an earlier one once
  // prefixes are bound (same name, or same local name under our one namespace) is left out.
  static void WriteQualifiedAttributes(std::u16string& out, const PageNode& node) {
    std::set<std::u16string> written, prefixed_locals, xml_locals;
    for (const auto& [attribute, value] : node.attributes.Entries()) {
      const std::u16string attr = WritableName(attribute);
      const std::u16string_view prefix = NamePrefix(attr);
      if (!written.insert(attr).second) continue;
      if (!prefix.empty()) {
        std::u16string local(std::u16string_view(attr).substr(prefix.size() + 1));
        auto& locals = prefix == u"xml" ? xml_locals : prefixed_locals;
        if (!locals.insert(local).second) continue;
      }
      WriteAttribute(out, attr, value);
    }
  }

  bool declare_own_;
};

// Whether the node is written as a full element (opening, content, closing).
bool WrittenFull(const PageNode& node) {
  if (!node.OwnText().empty() || !node.Children().empty() || node.literal_end) return true;
  // The template's own tags and content, whatever the element.
  if (node.flags & (kWriteRawContent | kWriteSimulatedTags)) return true;
  if (!node.tag_scope) return false;
  if (AlwaysClosed(node.name)) return true;
  return LookUpElement(node.name) != nullptr && !HasElementProperty(node.name, kEmpty);
}

// Whether the node's opening tag is generated markup (where prefixes can be declared).
bool OpensWithGeneratedTag(const PageNode& node) {
  const uint32_t f = node.flags;
  if (f & kWriteLiteralEndOnly) return false;
  if (!WrittenFull(node)) return (f & (kWriteNoTags | kWriteLiteralClosing)) == 0;
  if (f & (kWriteNoTags | kWriteSimulatedTags | kWriteLiteralClosing | kWriteBalanceMarker)) {
    return false;  // (with the marker alone it is written empty: it encloses nothing)
  }
  return !node.literal_end;
}

void WriteOwnText(std::u16string& out, const PageNode& node) {
  const std::u16string_view text = node.OwnText();
  if (text.empty()) return;
  if (node.name == u"Text"sv || node.name == u"kpsCDATA"sv) {
    out += u"<![CDATA["sv;
    AppendCDataContent(out, text);
    out += u"]]>"sv;
  } else {
    AppendXmlText(out, text);
  }
}

std::u16string_view Source(const PageNode& node, size_t begin, size_t end) {
  return node.Document() ? node.Document()->Slice(begin, end) : std::u16string_view();
}

// The node's copied opening tag, with the marker before its last character when asked.
void CopiedOpening(std::u16string& out, const PageNode& node) {
  const std::u16string_view source = Source(node, node.range.open_start, node.range.open_end);
  if (!(node.flags & kWriteBalanceMarker) || source.empty()) {
    AppendLiteralText(out, source);
    return;
  }
  std::u16string tag(source);
  tag.insert(tag.size() - 1, kMarker);
  AppendLiteralText(out, tag);
}

// The room a node's own page XML needs when nothing in it needs escaping.
size_t RoomOf(const PageNode& node) {
  // "<Text><![CDATA[" and "]]></Text>" around literal text.
  constexpr size_t kLiteral = 25;
  const size_t name = node.WrittenName().size();
  const size_t text = node.OwnText().size();
  // "<" name ">" and "</" name ">", or "<" name " />".
  const bool full = text != 0 || !node.Children().empty() || node.literal_end || node.tag_scope;
  size_t room = full ? 2 * name + 5 : name + 4;
  for (const auto& [attribute, value] : node.attributes.Entries()) {
    room += attribute.size() + value.size() + 4;  // " " name "=\"" value "\""
  }
  if (text != 0) room += text + 12;  // in "<![CDATA[" and "]]>", or escaped
  const uint32_t f = node.flags;
  if ((f & (kWriteSimulatedTags | kWriteLiteralEndOnly | kWriteLiteralClosing)) ||
      node.literal_end) {
    room += 2 * kLiteral + kMarker.size();
  }
  if (f & (kWriteRawContent | kWriteSimulatedTags)) {
    // Template text copied as literal text: at most the node's whole extent.
    room += Source(node, node.range.open_start, node.range.close_end).size() + kLiteral;
  }
  return room;
}

// The room the page XML of a subtree needs, so that the text is made without copies as it grows
// and without much room left over: what its nodes write when nothing in them needs escaping, plus
// a little. A guess only: where escapes make the text longer, the string grows. For a whole tree
// the nodes are read block by block as they were made, which is quicker than a walk; the nodes
// that a walk passes over (inside raw content, or removed) only add to the room.
size_t SurveyTree(const PageNode& top) {
  size_t room = RoomOf(top);
  if (!top.Parent()) {
    for (size_t b = 0; b < top.NodeBlockCount(); ++b) {
      for (const PageNode& node : top.NodeBlock(b)) room += RoomOf(node);
    }
  } else {
    std::vector<const PageNode*> walk;
    if (!(top.flags & kWriteRawContent)) {
      for (const PageNode* child : top.Children()) walk.push_back(child);
    }
    while (!walk.empty()) {
      const PageNode& node = *walk.back();
      walk.pop_back();
      room += RoomOf(node);
      if (node.flags & kWriteRawContent) continue;
      for (const PageNode* child : node.Children()) walk.push_back(child);
    }
  }
  return room + room / 64 + 64;
}

}  // namespace

std::u16string PageNode::ToXml() const {
  std::u16string out;
  // Either the top element declares every prefix of the tree, or each generated element its own.
  const bool declare_on_top = OpensWithGeneratedTag(*this);
  TagWriter tags(!declare_on_top);
  std::set<std::u16string> prefixes;
  size_t declare_at = std::u16string::npos;
  // The page XML of a large page runs to tens of megabytes, written once from start to end.
  ReserveLargeText(out, SurveyTree(*this));

  struct Frame {
    const PageNode* node;
    bool closing;
  };
  std::vector<Frame> stack{{this, false}};
  bool first_tag = true;
  while (!stack.empty()) {
    const Frame frame = stack.back();
    stack.pop_back();
    const PageNode& node = *frame.node;
    const uint32_t f = node.flags;
    if (!frame.closing) {
      // The next sibling comes after this node's subtree and closing.
      if (&node != this) {
        if (const PageNode* next = node.NextSibling()) stack.push_back({next, false});
      }
      if (declare_on_top) AddPrefixes(prefixes, node);
    }
    if (frame.closing) {
      if (f & (kWriteNoTags | kWriteBalanceMarker)) continue;
      if (node.literal_end) {
        std::u16string tag;
        TagWriter::Closing(tag, node, false);
        AppendLiteralText(out, tag);
      } else if (f & kWriteSimulatedTags) {
        AppendLiteralText(out, Source(node, node.range.close_start, node.range.close_end));
      } else if (f & kWriteLiteralClosing) {
        std::u16string tag;
        TagWriter::Closing(tag, node, false);
        AppendLiteralText(out, tag);
      } else {
        TagWriter::Closing(out, node, false);
      }
      continue;
    }

    if (f & kWriteLiteralEndOnly) {
      std::u16string tag;
      TagWriter::Closing(tag, node, true);
      AppendLiteralText(out, tag);
      continue;
    }
    if (!WrittenFull(node)) {
      if (f & (kWriteNoTags | kWriteLiteralClosing)) continue;
      tags.Opening(out, node, (f & kWriteBalanceMarker) != 0, true,
                   first_tag && declare_on_top ? &declare_at : nullptr);
      first_tag = false;
      continue;
    }
    if (!(f & kWriteNoTags) && !node.literal_end) {
      if (f & kWriteSimulatedTags) {
        CopiedOpening(out, node);
      } else if (!(f & kWriteLiteralClosing)) {
        // The marker means no closing tag: the element is written empty, its content after it.
        const bool marker = (f & kWriteBalanceMarker) != 0;
        tags.Opening(out, node, marker, marker,
                     first_tag && declare_on_top ? &declare_at : nullptr);
        first_tag = false;
      }
    }
    if (f & kWriteRawContent) {
      AppendLiteralText(out, Source(node, node.range.open_end, node.range.close_start));
      stack.push_back({&node, true});
      if (declare_on_top) {
        for (const PageNode* child : node.Children()) AddSubtreePrefixes(prefixes, *child);
      }
      continue;
    }
    WriteOwnText(out, node);
    stack.push_back({&node, true});
    if (const PageNode* first = node.Children().front()) stack.push_back({first, false});
  }
  // Prefixed names are rare: the declarations go in afterwards rather than a walk before.
  if (!prefixes.empty() && declare_at != std::u16string::npos) {
    std::u16string declarations;
    Declare(declarations, prefixes);
    out.insert(declare_at, declarations);
  }
  return out;
}

std::u16string PageNode::StructureXml() const {
  std::u16string out;
  TagWriter tags(true);
  struct Frame {
    const PageNode* node;
    bool closing;
  };
  std::vector<Frame> stack{{this, false}};
  while (!stack.empty()) {
    const Frame frame = stack.back();
    stack.pop_back();
    const PageNode& node = *frame.node;
    if (frame.closing) {
      TagWriter::Closing(out, node, false);
      continue;
    }
    if (&node != this) {
      if (const PageNode* next = node.NextSibling()) stack.push_back({next, false});
    }
    const bool counts = node.IsBlockLike();
    const bool has_children = !node.Children().empty();
    if (counts) {
      tags.Opening(out, node, false, !has_children);
      if (has_children) stack.push_back({&node, true});
    }
    if (const PageNode* first = node.Children().front()) stack.push_back({first, false});
  }
  return out;
}

const PageNode* PageNode::FindAt(size_t offset, bool blocks_only) const {
  auto outside = [offset](const PageNode& node) {
    return (node.range.open_start != kNoSourceOffset && offset < node.range.open_start) ||
           (node.range.close_end != kNoSourceOffset && offset > node.range.close_end);
  };
  // A node outside answers nothing; a node without children answers itself; otherwise the first
  // child answer that qualifies (any answer, unless blocks only) wins, else the node itself.
  struct Frame {
    const PageNode* node;
    const PageNode* next_child;  // null: none left
  };
  std::vector<Frame> stack;
  const PageNode* answer = nullptr;
  bool answered = false;
  auto enter = [&](const PageNode* node) {
    if (outside(*node)) {
      answer = nullptr;
      answered = true;
    } else if (node->Children().empty()) {
      answer = node;
      answered = true;
    } else {
      stack.push_back({node, node->Children().front()});
    }
  };
  enter(this);
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (answered) {
      answered = false;
      if (answer && (!blocks_only || answer->IsBlockLike())) {
        stack.pop_back();
        answered = true;  // passes up unchanged
        continue;
      }
    }
    if (const PageNode* child = frame.next_child) {
      frame.next_child = child->NextSibling();
      enter(child);
      continue;
    }
    answer = frame.node;
    answered = true;
    stack.pop_back();
  }
  return answer;
}

}  // namespace kpx
