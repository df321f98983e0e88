// PageNode: one element of the page XML that recognition builds from a template: a component, a
// block, a placeholder, an HTML element or a stretch of literal text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kpx/host.h"
#include "page/node_string.h"

namespace kpx {

class PageNode;

// Flag bits of a node that change how it is written.
enum PageNodeFlag : uint32_t {
  kWriteRawContent = 0x100,        // content: the template text between the tags
  kWriteSimulatedTags = 0x200,     // opening and closing tags: the template's own, as literal text
  kWriteLiteralEndOnly = 0x400,    // only the generated closing tag, as literal text
  kWriteBalanceMarker = 0x800,     // the opening tag gets the marker; with 0x200 no closing tag
  kWriteLiteralClosing = 0x80000,  // no opening tag; the closing tag generated as literal text
  kWriteNoTags = 0x100000,         // neither tag
};

// Bits a node takes from its parent at creation: everything but the writing bits.
inline constexpr uint32_t kInheritedFlagsMask = 0xFFE7F0FF;

inline constexpr size_t kNoSourceOffset = static_cast<size_t>(-1);

// An offset into the template text, in 32 bits (a page has a node every few characters, and a
// template comes as a BSTR, whose length is a 32-bit count of bytes). Unset, or an offset too
// large to keep, reads as kNoSourceOffset.
class SourceOffset {
 public:
  constexpr SourceOffset() noexcept = default;
  constexpr SourceOffset(size_t offset) noexcept  // NOLINT: used as a number
      : value_(offset >= kUnset ? kUnset : static_cast<uint32_t>(offset)) {}
  constexpr operator size_t() const noexcept {  // NOLINT
    return value_ == kUnset ? kNoSourceOffset : value_;
  }

 private:
  static constexpr uint32_t kUnset = 0xFFFFFFFF;
  uint32_t value_ = kUnset;
};

// Where a node stands in the template text: its opening tag [open_start, open_end), its content
// [open_end, close_start) and its closing tag [close_start, close_end).
struct SourceRange {
  SourceOffset open_start;
  SourceOffset open_end;
  SourceOffset close_start;
  SourceOffset close_end;
};

// The parse document that every node of one tree shares: the template text and what node
// creation reads and records.
class PageDocument {
 public:
  PageDocument() = default;
  explicit PageDocument(std::u16string_view text) : text_(text) {}
  virtual ~PageDocument() = default;
  PageDocument(const PageDocument&) = delete;
  PageDocument& operator=(const PageDocument&) = delete;

  std::u16string_view Text() const { return text_; }
  // The template text of [begin, end), empty for a range that is not in the text.
  std::u16string_view Slice(size_t begin, size_t end) const {
    if (begin == kNoSourceOffset || end == kNoSourceOffset || begin >= end || end > text_.size()) {
      return {};
    }
    return text_.substr(begin, end - begin);
  }

  // The most recently created "Text" node.
  PageNode* latest_text_node = nullptr;
  // Table markup interrupted by a block, for "kpsPreviousTag".
  std::u16string pending_table_text;

  // Whether a node name is the type of a container component (recognition knows).
  virtual bool IsContainerType(std::u16string_view) const { return false; }

 protected:
  void SetText(std::u16string_view text) { text_ = text; }

 private:
  std::u16string_view text_;
};

// Ordered name/value pairs; names compare exactly.
class PageAttributes {
 public:
  using Entry = std::pair<NodeString, NodeString>;
  // Replaces the value of an existing name, or appends.
  void Set(std::u16string_view name, std::u16string_view value);
  // Set with the value borrowed, not copied: it must outlive the tree (a slice of its template).
  void SetBorrowed(std::u16string_view name, std::u16string_view value);
  const NodeString* Find(std::u16string_view name) const;
  // Room for count attributes in all, for a caller that knows how many it sets.
  void Reserve(size_t count) { entries_.reserve(count); }
  bool Has(std::u16string_view name) const { return Find(name) != nullptr; }
  std::u16string_view Get(std::u16string_view name) const {
    const NodeString* value = Find(name);
    return value ? value->view() : std::u16string_view();
  }
  const std::vector<Entry>& Entries() const { return entries_; }
  bool Empty() const { return entries_.empty(); }

 private:
  NodeString* Slot(std::u16string_view name);

  std::vector<Entry> entries_;
};

class PageNode {
 public:
  // The root of a tree over document, with the operation flags. The root owns every node of its
  // tree: they are made in blocks and go with it.
  static std::unique_ptr<PageNode> CreateRoot(std::u16string_view name, PageDocument* document,
                                              uint32_t flags);
  // A node linked as the last child of parent (at_end) or as its first. It takes the parent's
  // flags less the writing bits and its document; a "Text" node becomes the document's latest
  // text node; with 0x10000 on the parent and table text pending, a "Block" node or a container
  // component receives "kpsPreviousTag".
  static PageNode* Create(std::u16string_view name, PageNode* parent, std::u16string_view own_text,
                          bool at_end = true);

  ~PageNode();
  PageNode(const PageNode&) = delete;
  PageNode& operator=(const PageNode&) = delete;

  // The children in order. A node keeps its last child, and each child the next one (the last
  // the first): adding at either end costs no allocation and no copy.
  class ChildRange {
   public:
    class Iterator {
     public:
      Iterator(PageNode* at, PageNode* last) : at_(at), last_(last) {}
      PageNode* operator*() const { return at_; }
      Iterator& operator++() {
        at_ = at_ == last_ ? nullptr : at_->next_sibling_;
        return *this;
      }
      bool operator==(const Iterator& other) const { return at_ == other.at_; }
      bool operator!=(const Iterator& other) const { return at_ != other.at_; }

     private:
      PageNode* at_;
      PageNode* last_;
    };
    explicit ChildRange(PageNode* last) : last_(last) {}
    Iterator begin() const { return Iterator(front(), last_); }
    Iterator end() const { return Iterator(nullptr, last_); }
    bool empty() const { return last_ == nullptr; }
    PageNode* front() const { return last_ ? last_->next_sibling_ : nullptr; }
    PageNode* back() const { return last_; }
    size_t size() const;  // counted

   private:
    PageNode* last_;
  };
  ChildRange Children() const { return ChildRange(last_child_); }
  // The child after this one, or null for the last.
  PageNode* NextSibling() const {
    return parent_ && parent_->last_child_ != this ? next_sibling_ : nullptr;
  }
  PageNode* Parent() const { return parent_; }
  PageDocument* Document() const { return tree_->document; }
  // The nodes of this node's tree other than the root, as made (removed ones included), block by
  // block in the order they were made: what a pass over every node reads without a walk.
  size_t NodeBlockCount() const;
  std::span<const PageNode> NodeBlock(size_t index) const;
  // Unlinks the last child; its subtree stays unreachable until the tree goes. previous: the child
  // before it as the caller knew it when the last one was added (null: there was none), which
  // saves a walk over the children when it still is.
  void RemoveLastChild(const PageNode* previous);

  // Whether the node stands for a host component.
  bool IsComponent() const { return static_cast<bool>(host); }
  // A component node, a "Block" node or a node written without tags: what the structure text
  // shows and what the block lookup answers.
  bool IsBlockLike() const;

  // The page XML of the node and its subtree. Every prefix of a generated name is declared on
  // the first generated element.
  std::u16string ToXml() const;
  // The nesting of components and blocks, with their attributes.
  std::u16string StructureXml() const;
  // The deepest node whose source range holds offset (blocks only: components, blocks and nodes
  // without tags), or null when the offset lies outside this node.
  const PageNode* FindAt(size_t offset, bool blocks_only) const;
  PageNode* FindAt(size_t offset, bool blocks_only) {
    return const_cast<PageNode*>(std::as_const(*this).FindAt(offset, blocks_only));
  }

  // The node's own text: own_text, or (own_text_in_source) its source range's text, which
  // literal text nodes use so that the template is not copied.
  std::u16string_view OwnText() const {
    if (!own_text_in_source) return own_text;
    const PageDocument* document = Document();
    return document ? document->Slice(range.open_start, range.close_end) : std::u16string_view();
  }
  std::u16string_view WrittenName() const {
    return written_name.empty() ? name.view() : written_name.view();
  }

  // Members in an order that leaves no gaps: a page has a node every few characters.
  NodeString own_text;
  NodeString name;             // identifies the node ("Text", "Block", a type, a tag name)
  NodeString written_name;     // written in generated tags (a tag's own letter case); empty: name
  ComPtr<HostPageModel> host;  // the host component the node stands for
  PageAttributes attributes;
  SourceRange range;
  uint32_t flags = 0;
  int local_order = 0;
  bool own_text_in_source = false;
  bool tag_scope = false;    // an HTML element whose markup is parsed
  bool literal_end = false;  // stands for a lone end tag

 private:
  // What every node reads of its tree, which holds more (see the source).
  struct TreeHead {
    PageDocument* document;
  };
  class Tree;
  PageNode(std::u16string_view node_name, Tree* tree, PageNode* parent);

  PageNode* last_child_ = nullptr;
  PageNode* next_sibling_ = nullptr;  // the last child's is the first
  PageNode* parent_ = nullptr;
  TreeHead* tree_;  // the Tree shared by the nodes of one tree, owned by its root
};

}  // namespace kpx
