// The node tree of the HTML document stand-in: elements with attributes and children, text,
// comments and verbatim markup. Nodes read from the loaded text remember where they stand in it,
// so that a write-back can copy every part that no edit touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kpx::html {

enum class NodeKind : uint8_t {
  kDocument,  // the top of the tree
  kElement,
  kText,      // text as written, character references not decoded
  kComment,   // "<!--...-->" as written
  kVerbatim,  // declarations, processing instructions and stray end tags, as written
};

struct Attribute {
  std::u16string name;       // as written
  std::u16string raw_value;  // as written between the quotes; references not decoded
  bool has_value = true;     // false for a name written alone ("nowrap")
};

// Where a node read from the loaded text stands in it. For an element: its start tag is
// [begin, start_tag_end), its end tag [end_tag_begin, end) when written (has_end_tag), else
// end_tag_begin == end where the element was closed by what followed.
struct SourceExtent {
  size_t begin = 0;
  size_t start_tag_end = 0;
  size_t end_tag_begin = 0;
  size_t end = 0;
  bool has_end_tag = false;
};

struct Node : std::enable_shared_from_this<Node> {
  NodeKind kind = NodeKind::kElement;
  std::u16string name;  // elements: lower case
  std::vector<Attribute> attributes;
  std::u16string text;  // text, comment, verbatim: the markup exactly as written
  Node* parent = nullptr;
  std::vector<std::shared_ptr<Node>> children;

  bool from_source = false;  // read from the loaded text; source holds where
  SourceExtent source;
  bool tag_changed = false;      // attributes differ from the start tag as loaded
  bool content_changed = false;  // the child list differs from the one loaded
  bool subtree_changed = false;  // something below changed

  // The element object that currently stands for this node (not owned; it clears the field
  // when it goes).
  void* wrapper = nullptr;

  Node() = default;
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;
  // Children that outlive the node (held by an element object or a pointer) lose their parent.
  ~Node() {
    for (const std::shared_ptr<Node>& child : children) {
      if (child->parent == this) child->parent = nullptr;
    }
  }

  bool IsElement() const { return kind == NodeKind::kElement; }
  bool Is(std::u16string_view lower_name) const {
    return kind == NodeKind::kElement && name == lower_name;
  }
};

using NodePtr = std::shared_ptr<Node>;

NodePtr MakeNode(NodeKind kind, std::u16string name = {});

// ASCII letters folded to lower or upper case; other characters stay.
std::u16string AsciiLower(std::u16string_view text);
std::u16string AsciiUpper(std::u16string_view text);
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b);

// Elements without content ("br", "img", "input", ...) and those whose content is read as text
// up to their end tag ("script", "style", "textarea", "title", "xmp", ...).
bool IsVoidElement(std::u16string_view lower_name);
bool IsRawTextElement(std::u16string_view lower_name);

// --- Changes. Every edit goes through these so that the write-back knows what to rewrite. ---
// Counts the changes of child lists in every tree, so that lists derived from a tree (the rows
// of a table) can tell whether they are still current.
uint64_t StructureStamp();
void MarkTagChanged(Node& node);
void MarkContentChanged(Node& node);
void InsertChild(Node& parent, size_t index, NodePtr child);
void AppendChild(Node& parent, NodePtr child);
// Detaches the child at index and returns it.
NodePtr RemoveChild(Node& parent, size_t index);
// Replaces the children of parent.
void ReplaceChildren(Node& parent, std::vector<NodePtr> children);

// --- Attributes (names compare without regard to ASCII case). ---
const Attribute* FindAttribute(const Node& node, std::u16string_view name);
// The value with character references decoded; nullopt when absent, "" for a bare name.
std::optional<std::u16string> AttributeValue(const Node& node, std::u16string_view name);
// Sets the decoded value (escaped as needed). Returns false when the value was already there.
bool SetAttribute(Node& node, std::u16string_view name, std::u16string_view value);
// Adds a bare name ("nowrap") unless the attribute is there; returns whether it changed.
bool SetBareAttribute(Node& node, std::u16string_view name);
bool RemoveAttribute(Node& node, std::u16string_view name);

// --- Text. ---
// Decodes character references (named ones of HTML's common set, decimal and hexadecimal);
// anything else stays as written.
std::u16string DecodeReferences(std::u16string_view raw);
// Escapes "&", "<" and ">" for text; attribute values escape "&" and the double quote.
std::u16string EscapeText(std::u16string_view text);
std::u16string EscapeAttributeValue(std::u16string_view value);

// --- Tree walking. ---
// Index of child in its parent's children (the parent must be set).
size_t ChildIndex(const Node& child);
// True when node is root or lies below it.
bool IsInside(const Node& node, const Node& root);
// Nearest ancestor element (not node itself) with that lower-case name, or null.
Node* AncestorNamed(const Node& node, std::u16string_view lower_name);
// Number of ancestors.
size_t Depth(const Node& node);

// The rows of a table (TR children of the table and of its THEAD, TBODY and TFOOT children) and
// the cells of a row (its TD and TH children), in document order.
std::vector<Node*> TableRows(const Node& table);
std::vector<Node*> RowCells(const Node& row);
// Owning pointers to the nodes.
std::vector<NodePtr> SharedNodes(const std::vector<Node*>& nodes);

}  // namespace kpx::html
