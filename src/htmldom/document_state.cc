// Points of the HTML document stand-in: order, text between, common container.
#include "htmldom/document_state.h"

#include <algorithm>

#include "htmldom/serializer.h"

namespace kpx::html {

namespace {

// Child indexes from the top of the tree down to node.
std::vector<size_t> PathTo(const Node& node) {
  std::vector<size_t> path;
  for (const Node* p = &node; p->parent; p = p->parent) path.push_back(ChildIndex(*p));
  std::reverse(path.begin(), path.end());
  return path;
}

std::vector<size_t> PathOf(const TreePoint& point) {
  std::vector<size_t> path = PathTo(*point.container);
  path.push_back(std::min(point.offset, point.container->children.size()));
  return path;
}

// Lexicographic; a path that is a prefix of the other comes first (a point before a child comes
// before every point inside it).
int ComparePaths(const std::vector<size_t>& a, const std::vector<size_t>& b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

// Appends the text of the text nodes below node (whose path is path) that lie between a and b.
void CollectBetween(const Node& node, std::vector<size_t>& path, const std::vector<size_t>& a,
                    const std::vector<size_t>& b, std::u16string& out) {
  for (size_t i = 0; i < node.children.size(); ++i) {
    const Node& child = *node.children[i];
    path.push_back(i);
    if (ComparePaths(path, b) >= 0) {  // the point before this child is at or after b
      path.pop_back();
      return;
    }
    if (child.kind == NodeKind::kText) {
      // No point lies inside a text node: it is in the range when it starts at or after a.
      if (ComparePaths(path, a) >= 0) out += TextOf(child);
    } else if (!child.children.empty()) {
      path.push_back(child.children.size());  // the end of the child's content
      const bool reaches_start = ComparePaths(path, a) > 0;
      path.pop_back();
      if (reaches_start) CollectBetween(child, path, a, b, out);
    }
    path.pop_back();
  }
}

}  // namespace

NodePtr BodyOf(const DocumentState& state) {
  // The first BODY in document order; the first top-level element serves when there is none.
  std::vector<Node*> stack{state.root.get()};
  while (!stack.empty()) {
    Node* node = stack.back();
    stack.pop_back();
    if (node->Is(u"body")) return node->shared_from_this();
    for (auto it = node->children.rbegin(); it != node->children.rend(); ++it) {
      if ((*it)->IsElement()) stack.push_back(it->get());
    }
  }
  for (const NodePtr& child : state.root->children) {
    if (child->IsElement()) return child;
  }
  return state.root;
}

bool InDocument(const DocumentState& state, const TreePoint& point) {
  return point.container && IsInside(*point.container, *state.root);
}

int ComparePoints(const TreePoint& a, const TreePoint& b) {
  if (a.container == b.container) {
    const size_t size = a.container->children.size();
    const size_t oa = std::min(a.offset, size);
    const size_t ob = std::min(b.offset, size);
    return oa == ob ? 0 : (oa < ob ? -1 : 1);
  }
  return ComparePaths(PathOf(a), PathOf(b));
}

std::u16string TextBetween(const TreePoint& a, const TreePoint& b) {
  std::u16string out;
  if (ComparePoints(a, b) >= 0) return out;
  Node* container = CommonContainer(a, b);
  std::vector<size_t> path = PathTo(*container);
  CollectBetween(*container, path, PathOf(a), PathOf(b), out);
  return out;
}

Node* CommonContainer(const TreePoint& a, const TreePoint& b) {
  const size_t da = Depth(*a.container);
  const size_t db = Depth(*b.container);
  Node* x = a.container.get();
  Node* y = b.container.get();
  for (size_t d = da; d > db; --d) x = x->parent;
  for (size_t d = db; d > da; --d) y = y->parent;
  while (x != y && x && y) {
    x = x->parent;
    y = y->parent;
  }
  return x;
}

TreePoint ContentStart(const NodePtr& element) {
  return TreePoint{element, 0};
}

TreePoint ContentEnd(const NodePtr& element) {
  return TreePoint{element, element->children.size()};
}

TreePoint Before(const Node& node) {
  return TreePoint{node.parent->shared_from_this(), ChildIndex(node)};
}

TreePoint After(const Node& node) {
  return TreePoint{node.parent->shared_from_this(), ChildIndex(node) + 1};
}

}  // namespace kpx::html
