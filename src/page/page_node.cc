// Page node creation, linking and teardown.
#include "page/page_node.h"

namespace kpx {

std::u16string_view PageDocument::Slice(size_t begin, size_t end) const {
  if (begin == kNoSourceOffset || end == kNoSourceOffset || begin >= end || end > text_.size()) {
    return {};
  }
  return text_.substr(begin, end - begin);
}

void PageAttributes::Set(std::u16string_view name, std::u16string_view value) {
  for (Entry& entry : entries_) {
    if (entry.first == name) {
      entry.second.assign(value);
      return;
    }
  }
  entries_.emplace_back(std::u16string(name), std::u16string(value));
}

const std::u16string* PageAttributes::Find(std::u16string_view name) const {
  for (const Entry& entry : entries_) {
    if (entry.first == name) return &entry.second;
  }
  return nullptr;
}

PageNode::PageNode(std::u16string node_name, PageDocument* document)
    : name(std::move(node_name)), document_(document) {}

PageNode::~PageNode() {
  // Trees can be as deep as the template's nesting: take them down without recursion.
  std::vector<std::unique_ptr<PageNode>> doomed = std::move(children_);
  while (!doomed.empty()) {
    std::unique_ptr<PageNode> node = std::move(doomed.back());
    doomed.pop_back();
    for (auto& child : node->children_) doomed.push_back(std::move(child));
    node->children_.clear();
  }
}

std::unique_ptr<PageNode> PageNode::CreateRoot(std::u16string name, PageDocument* document,
                                               uint32_t flags) {
  std::unique_ptr<PageNode> root(new PageNode(std::move(name), document));
  root->flags = flags;
  return root;
}

PageNode* PageNode::Create(std::u16string name, PageNode* parent, std::u16string own_text,
                           bool at_end) {
  std::unique_ptr<PageNode> node(new PageNode(std::move(name), parent->document_));
  node->own_text = std::move(own_text);
  node->parent_ = parent;
  node->flags = parent->flags & kInheritedFlagsMask;
  PageNode* made = node.get();
  if (at_end) {
    parent->children_.push_back(std::move(node));
  } else {
    parent->children_.insert(parent->children_.begin(), std::move(node));
  }
  PageDocument* document = made->document_;
  if (document) {
    if (made->name == u"Text") document->latest_text_node = made;
    if ((parent->flags & 0x10000) && !document->pending_table_text.empty() &&
        (made->name == u"Block" || document->IsContainerType(made->name))) {
      made->attributes.Set(u"kpsPreviousTag", document->pending_table_text);
    }
  }
  return made;
}

void PageNode::RemoveChild(size_t index) {
  if (index >= children_.size()) return;
  if (document_ && document_->latest_text_node == children_[index].get()) {
    document_->latest_text_node = nullptr;
  }
  children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(index));
}

std::u16string_view PageNode::OwnText() const {
  if (!own_text_in_source) return own_text;
  return document_ ? document_->Slice(range.open_start, range.close_end) : std::u16string_view();
}

bool PageNode::IsBlockLike() const {
  // An HTML element written without its tags (its rule took its markup) is no block.
  return IsComponent() || (!tag_scope && (flags & kWriteNoTags) != 0) || name == u"Block";
}

}  // namespace kpx
