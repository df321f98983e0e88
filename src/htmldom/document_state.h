// What the objects of one HTML document share: the loaded text, the node tree, the selection,
// and the points that ranges and pointers hold.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "htmldom/node.h"
#include "kpx/mshtml.h"

namespace kpx::html {

// A point between the children of an element (or of the top of the tree): before the child at
// offset, or at the end when offset is the number of children.
struct TreePoint {
  NodePtr container;
  size_t offset = 0;

  bool IsSet() const { return container != nullptr; }
};

struct Selection {
  enum class Kind { kNone, kText, kControl };
  Kind kind = Kind::kNone;
  TreePoint start, end;           // kText
  std::vector<NodePtr> controls;  // kControl
};

struct DocumentState {
  std::u16string source;  // the loaded text
  NodePtr root = MakeNode(NodeKind::kDocument);
  Selection selection;
  // The document object, while it lives (it clears the field when it goes).
  IHTMLDocument2* document = nullptr;
};

using StatePtr = std::shared_ptr<DocumentState>;

// The body element: BODY when the text has one, else the first element at the top, else the
// top of the tree itself.
NodePtr BodyOf(const DocumentState& state);

// True when the point's element still lies in the document (offsets past the end count as the
// end).
bool InDocument(const DocumentState& state, const TreePoint& point);

// -1, 0 or 1 in document order. Both points must lie in the document.
int ComparePoints(const TreePoint& a, const TreePoint& b);

// The decoded text of the text nodes between two points of the document (a before b).
std::u16string TextBetween(const TreePoint& a, const TreePoint& b);

// The innermost element (or the top of the tree) that holds both points.
Node* CommonContainer(const TreePoint& a, const TreePoint& b);

// The points at the start and the end of an element's content, and before and after it.
TreePoint ContentStart(const NodePtr& element);
TreePoint ContentEnd(const NodePtr& element);
TreePoint Before(const Node& node);
TreePoint After(const Node& node);

}  // namespace kpx::html
