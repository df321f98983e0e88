// The members that tables, rows and cells answer in the HTML document stand-in.
#include <string>

#include "base/status.h"
#include "htmldom/collections.h"
#include "htmldom/com_util.h"
#include "htmldom/element.h"

namespace kpx::html {

namespace {

// The node that receives the first row of a table that has none: its last section, else the
// table itself.
Node& RowFallback(Node& table) {
  for (auto it = table.children.rbegin(); it != table.children.rend(); ++it) {
    Node& child = **it;
    if (child.Is(u"tbody") || child.Is(u"thead") || child.Is(u"tfoot")) return child;
  }
  return table;
}

// A span attribute as a browser reads it: leading digits, else 1; at least 1, at most max.
LONG ReadSpan(const std::optional<std::u16string>& text, LONG max) {
  if (!text) return 1;
  size_t i = 0;
  while (i < text->size() && ((*text)[i] == u' ' || (*text)[i] == u'\t' || (*text)[i] == u'\n' ||
                              (*text)[i] == u'\r')) {
    ++i;
  }
  if (i < text->size() && (*text)[i] == u'+') ++i;
  LONG value = 0;
  bool digits = false;
  for (; i < text->size() && (*text)[i] >= u'0' && (*text)[i] <= u'9'; ++i) {
    digits = true;
    value = value * 10 + ((*text)[i] - u'0');
    if (value > max) value = max;
  }
  if (!digits || value < 1) return 1;
  return value;
}

}  // namespace

HRESULT HtmlElement::get_rows(IHTMLElementCollection** rows) {
  if (!rows) return E_POINTER;
  *rows = nullptr;
  return Guarded([&] {
    return OutObject(ComPtr<IHTMLElementCollection>(
                         MakeCom<HtmlElementCollection>(state_, SharedNodes(TableRows(*node_)))),
                     rows);
  });
}

HRESULT HtmlElement::insertRow(LONG index, IDispatch** row) {
  return Guarded([&] {
    std::vector<Node*>& rows = Items();
    // Only a table without rows needs to look for the section that takes the first.
    return InsertItem(rows, index, rows.empty() ? RowFallback(*node_) : *node_, u"tr", row);
  });
}

HRESULT HtmlElement::deleteRow(LONG index) {
  return Guarded([&] { return DeleteItem(Items(), index); });
}

HRESULT HtmlElement::get_rowIndex(LONG* index) {
  if (!index) return E_POINTER;
  *index = -1;
  return Guarded([&] {
    Node* table = AncestorNamed(*node_, u"table");
    if (!table) return S_OK;
    std::vector<Node*> rows = TableRows(*table);
    for (size_t i = 0; i < rows.size(); ++i) {
      if (rows[i] == node_.get()) *index = static_cast<LONG>(i);
    }
    return S_OK;
  });
}

HRESULT HtmlElement::get_cells(IHTMLElementCollection** cells) {
  if (!cells) return E_POINTER;
  *cells = nullptr;
  return Guarded([&] {
    return OutObject(ComPtr<IHTMLElementCollection>(
                         MakeCom<HtmlElementCollection>(state_, SharedNodes(RowCells(*node_)))),
                     cells);
  });
}

HRESULT HtmlElement::insertCell(LONG index, IDispatch** cell) {
  return Guarded([&] { return InsertItem(Items(), index, *node_, u"td", cell); });
}

HRESULT HtmlElement::deleteCell(LONG index) {
  return Guarded([&] { return DeleteItem(Items(), index); });
}

HRESULT HtmlElement::get_cellIndex(LONG* index) {
  if (!index) return E_POINTER;
  *index = -1;
  Node* row = node_->parent;
  if (!row || !row->Is(u"tr")) return S_OK;
  return Guarded([&] {
    std::vector<Node*> cells = RowCells(*row);
    for (size_t i = 0; i < cells.size(); ++i) {
      if (cells[i] == node_.get()) *index = static_cast<LONG>(i);
    }
    return S_OK;
  });
}

HRESULT HtmlElement::put_noWrap(VARIANT_BOOL no_wrap) {
  return Guarded([&] {
    if (no_wrap != VARIANT_FALSE) {
      SetBareAttribute(*node_, u"nowrap");
    } else {
      RemoveAttribute(*node_, u"nowrap");
    }
    return S_OK;
  });
}

HRESULT HtmlElement::get_noWrap(VARIANT_BOOL* no_wrap) {
  if (!no_wrap) return E_POINTER;
  *no_wrap = FindAttribute(*node_, u"nowrap") ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT HtmlElement::PutSpan(std::u16string_view attribute, LONG span) {
  if (span < 1) return E_INVALIDARG;
  return Guarded([&] {
    const LONG max = attribute == u"colspan" ? kMaxColSpan : kMaxRowSpan;
    if (ReadSpan(AttributeValue(*node_, attribute), max) == span) return S_OK;
    if (span == 1) {
      RemoveAttribute(*node_, attribute);
    } else {
      std::string digits = std::to_string(span);
      SetAttribute(*node_, attribute, std::u16string(digits.begin(), digits.end()));
    }
    return S_OK;
  });
}

HRESULT HtmlElement::GetSpan(std::u16string_view attribute, LONG max, LONG* span) {
  if (!span) return E_POINTER;
  return Guarded([&] {
    *span = ReadSpan(AttributeValue(*node_, attribute), max);
    return S_OK;
  });
}

std::vector<Node*>& HtmlElement::Items() {
  if (items_stamp_ != StructureStamp()) {
    items_ = node_->Is(u"table") ? TableRows(*node_) : RowCells(*node_);
    items_stamp_ = StructureStamp();
  }
  return items_;
}

HRESULT HtmlElement::InsertItem(std::vector<Node*>& items, LONG index, Node& fallback,
                                std::u16string_view name, IDispatch** made) {
  if (made) *made = nullptr;
  const LONG count = static_cast<LONG>(items.size());
  if (index < -1 || index > count) return E_INVALIDARG;
  NodePtr element = MakeNode(NodeKind::kElement, std::u16string(name));
  size_t position = items.size();
  if (count == 0) {
    AppendChild(fallback, element);
  } else if (index == -1 || index == count) {
    Node* last = items.back();
    InsertChild(*last->parent, ChildIndex(*last) + 1, element);
  } else {
    position = static_cast<size_t>(index);
    Node* at = items[position];
    InsertChild(*at->parent, ChildIndex(*at), element);
  }
  items.insert(items.begin() + static_cast<std::ptrdiff_t>(position), element.get());
  items_stamp_ = StructureStamp();
  if (made) *made = Wrap(state_, element)->AsElement().Detach();
  return S_OK;
}

HRESULT HtmlElement::DeleteItem(std::vector<Node*>& items, LONG index) {
  const LONG count = static_cast<LONG>(items.size());
  if (index == -1) index = count - 1;
  if (index < 0 || index >= count) return E_INVALIDARG;
  Node* item = items[static_cast<size_t>(index)];
  // The node may go with its parent's reference: taken out of the list first.
  items.erase(items.begin() + index);
  NodePtr removed = RemoveChild(*item->parent, ChildIndex(*item));
  items_stamp_ = StructureStamp();
  return S_OK;
}

}  // namespace kpx::html
