// Page node creation, linking and teardown.
#include "page/page_node.h"

#include <algorithm>
#include <new>

namespace kpx {

using namespace std::string_view_literals;

NodeString* PageAttributes::Slot(std::u16string_view name) {
  for (Entry& entry : entries_) {
    if (entry.first == name) return &entry.second;
  }
  entries_.emplace_back(NodeString(name), NodeString());
  return &entries_.back().second;
}

void PageAttributes::Set(std::u16string_view name, std::u16string_view value) {
  Slot(name)->assign(value);
}

void PageAttributes::SetBorrowed(std::u16string_view name, std::u16string_view value) {
  Slot(name)->borrow(value);
}

const NodeString* PageAttributes::Find(std::u16string_view name) const {
  for (const Entry& entry : entries_) {
    if (entry.first == name) return &entry.second;
  }
  return nullptr;
}

// What the nodes of one tree share: the document, and the blocks the nodes are made in (one
// allocation for many nodes, in document order, and no walk of the tree to take it down).
class PageNode::Tree : public PageNode::TreeHead {
 public:
  explicit Tree(PageDocument* of) : TreeHead{of} {}
  Tree(const Tree&) = delete;
  Tree& operator=(const Tree&) = delete;
  ~Tree() {
    for (size_t b = 0; b < blocks_.size(); ++b) {
      PageNode* nodes = blocks_[b].nodes;
      const size_t made = b + 1 == blocks_.size() ? used_ : blocks_[b].capacity;
      for (size_t i = 0; i < made; ++i) nodes[i].~PageNode();
      ::operator delete(static_cast<void*>(nodes));
    }
  }

  template <typename... Args>
  PageNode* Make(Args&&... args) {
    if (blocks_.empty() || used_ == blocks_.back().capacity) {
      // Blocks grow with the tree, up to a size that leaves little unused.
      const size_t capacity =
          blocks_.empty() ? 8 : std::min<size_t>(blocks_.back().capacity * 2, 512);
      // Room for the block's entry first, so that a failure leaks nothing.
      if (blocks_.size() == blocks_.capacity()) blocks_.reserve(2 * blocks_.size() + 1);
      void* memory = ::operator new(capacity * sizeof(PageNode));
      blocks_.push_back({static_cast<PageNode*>(memory), capacity});
      used_ = 0;
    }
    PageNode* node = new (blocks_.back().nodes + used_) PageNode(std::forward<Args>(args)...);
    ++used_;
    return node;
  }

  size_t BlockCount() const { return blocks_.size(); }
  std::span<const PageNode> BlockAt(size_t index) const {
    return {blocks_[index].nodes, index + 1 == blocks_.size() ? used_ : blocks_[index].capacity};
  }

 private:
  struct Block {
    PageNode* nodes;
    size_t capacity;
  };
  std::vector<Block> blocks_;
  size_t used_ = 0;  // nodes made in the last block
};

size_t PageNode::NodeBlockCount() const {
  return static_cast<const Tree*>(tree_)->BlockCount();
}

std::span<const PageNode> PageNode::NodeBlock(size_t index) const {
  return static_cast<const Tree*>(tree_)->BlockAt(index);
}

PageNode::PageNode(std::u16string_view node_name, Tree* tree, PageNode* parent)
    : name(node_name), parent_(parent), tree_(tree) {}

PageNode::~PageNode() {
  // The root takes its tree down; other nodes go with it.
  if (!parent_) delete static_cast<Tree*>(tree_);
}

std::unique_ptr<PageNode> PageNode::CreateRoot(std::u16string_view name, PageDocument* document,
                                               uint32_t flags) {
  auto tree = std::make_unique<Tree>(document);
  std::unique_ptr<PageNode> root(new PageNode(name, tree.get(), nullptr));
  tree.release();  // the root owns it now
  root->flags = flags;
  return root;
}

PageNode* PageNode::Create(std::u16string_view name, PageNode* parent, std::u16string_view own_text,
                           bool at_end) {
  // Made with its parent: a node without one would be taken for the root.
  Tree* tree = static_cast<Tree*>(parent->tree_);
  PageNode* made = tree->Make(name, tree, parent);
  made->own_text = own_text;
  made->flags = parent->flags & kInheritedFlagsMask;
  if (PageNode* last = parent->last_child_) {
    made->next_sibling_ = last->next_sibling_;
    last->next_sibling_ = made;
    if (at_end) parent->last_child_ = made;
  } else {
    made->next_sibling_ = made;
    parent->last_child_ = made;
  }
  PageDocument* document = made->Document();
  if (document) {
    if (made->name == u"Text"sv) document->latest_text_node = made;
    if ((parent->flags & 0x10000) && !document->pending_table_text.empty() &&
        (made->name == u"Block"sv || document->IsContainerType(made->name))) {
      made->attributes.Set(u"kpsPreviousTag", document->pending_table_text);
    }
  }
  return made;
}

size_t PageNode::ChildRange::size() const {
  size_t count = 0;
  for (auto it = begin(); it != end(); ++it) ++count;
  return count;
}

void PageNode::RemoveLastChild(const PageNode* previous) {
  PageNode* last = last_child_;
  if (!last) return;
  PageNode* first = last->next_sibling_;
  PageNode* before = nullptr;  // stays null when last is the only child
  if (first != last) {
    if (previous && previous->parent_ == this && previous->next_sibling_ == last) {
      before = const_cast<PageNode*>(previous);
    } else {
      before = first;
      while (before->next_sibling_ != last) before = before->next_sibling_;
    }
  }
  PageDocument* document = Document();
  if (document && document->latest_text_node == last) document->latest_text_node = nullptr;
  if (before) {
    before->next_sibling_ = first;
    last_child_ = before;
  } else {
    last_child_ = nullptr;
  }
}

bool PageNode::IsBlockLike() const {
  // An HTML element written without its tags (its rule took its markup) is no block.
  return IsComponent() || (!tag_scope && (flags & kWriteNoTags) != 0) || name == u"Block"sv;
}

}  // namespace kpx
