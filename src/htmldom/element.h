// The element object of the HTML document stand-in. One object stands for one node at a time
// (asking twice gives the same object), and answers the table, row, cell and body interfaces
// only for the elements they belong to.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "com/com_object.h"
#include "htmldom/document_state.h"
#include "kpx/mshtml.h"

namespace kpx::html {

class HtmlElement final : public DispatchObject<IHTMLElement, IHTMLBodyElement, IHTMLTable,
                                                IHTMLTableRow, IHTMLTableCell> {
 public:
  // The object that stands for node (made when there is none).
  static ComPtr<HtmlElement> Wrap(const StatePtr& state, const NodePtr& node);
  // The object behind an element interface of this implementation, or null for a foreign one.
  static ComPtr<HtmlElement> From(IUnknown* element);

  const NodePtr& node() const { return node_; }
  const StatePtr& state() const { return state_; }
  ComPtr<IHTMLElement> AsElement() { return ComPtr<IHTMLElement>(this); }

  HRESULT QueryInterface(REFIID riid, void** ppv) override;

  // IHTMLElement
  HRESULT setAttribute(BSTR name, VARIANT value, LONG flags) override;
  HRESULT getAttribute(BSTR name, LONG flags, VARIANT* value) override;
  HRESULT removeAttribute(BSTR name, LONG flags, VARIANT_BOOL* removed) override;
  HRESULT put_className(BSTR name) override { return PutText(u"class", name); }
  HRESULT get_className(BSTR* name) override { return GetText(u"class", name); }
  HRESULT get_tagName(BSTR* name) override;
  HRESULT get_parentElement(IHTMLElement** parent) override;
  HRESULT get_style(IHTMLStyle** style) override;
  HRESULT get_document(IDispatch** document) override;
  HRESULT contains(IHTMLElement* child, VARIANT_BOOL* result) override;
  HRESULT put_innerHTML(BSTR html) override;
  HRESULT get_innerHTML(BSTR* html) override;
  HRESULT put_innerText(BSTR text) override;
  HRESULT get_innerText(BSTR* text) override;
  HRESULT put_outerHTML(BSTR html) override;
  HRESULT get_outerHTML(BSTR* html) override;
  HRESULT get_children(IHTMLElementCollection** children) override;
  HRESULT get_all(IHTMLElementCollection** descendants) override;
  HRESULT get_attributes(IHTMLAttributeCollection** attributes) override;

  // IHTMLBodyElement
  HRESULT createTextRange(IHTMLTxtRange** range) override;
  HRESULT createControlRange(IHTMLControlRange** range) override;

  // IHTMLTable
  HRESULT get_rows(IHTMLElementCollection** rows) override;
  HRESULT insertRow(LONG index, IDispatch** row) override;
  HRESULT deleteRow(LONG index) override;

  // IHTMLTableRow
  HRESULT get_rowIndex(LONG* index) override;
  HRESULT get_cells(IHTMLElementCollection** cells) override;
  HRESULT insertCell(LONG index, IDispatch** cell) override;
  HRESULT deleteCell(LONG index) override;

  // IHTMLTableCell
  HRESULT get_cellIndex(LONG* index) override;
  HRESULT put_rowSpan(LONG span) override { return PutSpan(u"rowspan", span); }
  HRESULT get_rowSpan(LONG* span) override { return GetSpan(u"rowspan", kMaxRowSpan, span); }
  HRESULT put_colSpan(LONG span) override { return PutSpan(u"colspan", span); }
  HRESULT get_colSpan(LONG* span) override { return GetSpan(u"colspan", kMaxColSpan, span); }
  HRESULT put_noWrap(VARIANT_BOOL no_wrap) override;
  HRESULT get_noWrap(VARIANT_BOOL* no_wrap) override;

  // Formatting properties of rows and cells: the attribute of the same name.
  HRESULT put_align(BSTR v) override { return PutText(u"align", v); }
  HRESULT get_align(BSTR* v) override { return GetText(u"align", v); }
  HRESULT put_vAlign(BSTR v) override { return PutText(u"valign", v); }
  HRESULT get_vAlign(BSTR* v) override { return GetText(u"valign", v); }
  HRESULT put_bgColor(BSTR v) override { return PutText(u"bgcolor", v); }
  HRESULT get_bgColor(BSTR* v) override { return GetText(u"bgcolor", v); }
  HRESULT put_background(BSTR v) override { return PutText(u"background", v); }
  HRESULT get_background(BSTR* v) override { return GetText(u"background", v); }
  HRESULT put_borderColor(BSTR v) override { return PutText(u"bordercolor", v); }
  HRESULT get_borderColor(BSTR* v) override { return GetText(u"bordercolor", v); }
  HRESULT put_borderColorLight(BSTR v) override { return PutText(u"bordercolorlight", v); }
  HRESULT get_borderColorLight(BSTR* v) override { return GetText(u"bordercolorlight", v); }
  HRESULT put_borderColorDark(BSTR v) override { return PutText(u"bordercolordark", v); }
  HRESULT get_borderColorDark(BSTR* v) override { return GetText(u"bordercolordark", v); }
  HRESULT put_width(BSTR v) override { return PutText(u"width", v); }
  HRESULT get_width(BSTR* v) override { return GetText(u"width", v); }
  HRESULT put_height(BSTR v) override { return PutText(u"height", v); }
  HRESULT get_height(BSTR* v) override { return GetText(u"height", v); }
  HRESULT put_abbr(BSTR v) override { return PutText(u"abbr", v); }
  HRESULT get_abbr(BSTR* v) override { return GetText(u"abbr", v); }
  HRESULT put_axis(BSTR v) override { return PutText(u"axis", v); }
  HRESULT get_axis(BSTR* v) override { return GetText(u"axis", v); }
  HRESULT put_ch(BSTR v) override { return PutText(u"ch", v); }
  HRESULT get_ch(BSTR* v) override { return GetText(u"ch", v); }
  HRESULT put_chOff(BSTR v) override { return PutText(u"choff", v); }
  HRESULT get_chOff(BSTR* v) override { return GetText(u"choff", v); }
  HRESULT put_headers(BSTR v) override { return PutText(u"headers", v); }
  HRESULT get_headers(BSTR* v) override { return GetText(u"headers", v); }
  HRESULT put_scope(BSTR v) override { return PutText(u"scope", v); }
  HRESULT get_scope(BSTR* v) override { return GetText(u"scope", v); }

  static constexpr LONG kMaxColSpan = 1000;
  static constexpr LONG kMaxRowSpan = 65534;

 private:
  HtmlElement(StatePtr state, NodePtr node);
  ~HtmlElement() override;

  HRESULT PutText(std::u16string_view attribute, BSTR value);
  HRESULT GetText(std::u16string_view attribute, BSTR* value);
  HRESULT PutSpan(std::u16string_view attribute, LONG span);
  HRESULT GetSpan(std::u16string_view attribute, LONG max, LONG* span);
  // Inserts a new element (row or cell) before the item at index of items, or after the last
  // item for -1 or items.size(); into fallback when there are no items. Keeps items current.
  HRESULT InsertItem(std::vector<Node*>& items, LONG index, Node& fallback,
                     std::u16string_view name, IDispatch** made);
  HRESULT DeleteItem(std::vector<Node*>& items, LONG index);
  // The rows of this table or the cells of this row, kept between calls while no child list of
  // any tree changes elsewhere (writing a grid back inserts and deletes many in a row).
  std::vector<Node*>& Items();

  StatePtr state_;
  NodePtr node_;
  std::vector<Node*> items_;
  uint64_t items_stamp_ = UINT64_MAX;
};

}  // namespace kpx::html
