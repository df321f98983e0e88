// The HTML document interfaces that the table operations take: an in-memory HTML document loaded
// from text, its elements (tables, rows and cells among them), the selection with its text and
// control ranges, and the markup and display services that keep the caret.
//
// The document class (CLSID_HTMLDocument) is created with CoCreateInstance, filled with
// IHTMLDocumentText::loadHTML and written back with get_documentHTML; parts of the text that no
// edit touched come back exactly as they were loaded.
//
// Conventions of every member: null out pointers give E_POINTER; a getter with nothing to return
// (no parent, an index out of range) sets the out pointer to null and returns S_FALSE; text
// properties read the attribute's value with character references decoded and an absent
// attribute reads as the empty string; setting a text property to the empty string removes the
// attribute; setting a value that is already there changes nothing (the element keeps its text).
// Collections are snapshots taken when they are asked for.
#pragma once

#include "kpx/com.h"

KPX_INTERFACES_BEGIN

struct IHTMLElement;
struct IHTMLElementCollection;
struct IHTMLTxtRange;
struct IHTMLControlRange;
struct IMarkupPointer;
struct IDisplayPointer;
struct IHTMLCaret;

// Where MoveAdjacentToElement puts a markup pointer.
enum ELEMENT_ADJACENCY : int32_t {
  ELEM_ADJ_BeforeBegin = 0,
  ELEM_ADJ_AfterBegin = 1,
  ELEM_ADJ_BeforeEnd = 2,
  ELEM_ADJ_AfterEnd = 3,
};

enum CARET_DIRECTION : int32_t {
  CARET_DIRECTION_INDETERMINATE = 0,
  CARET_DIRECTION_SAME = 1,
  CARET_DIRECTION_BACKWARD = 2,
  CARET_DIRECTION_FORWARD = 3,
};

// The text of an element's style attribute, as written.
struct IHTMLStyle : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x3050F25E, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
  virtual HRESULT get_cssText(BSTR* text) = 0;  // 7
  virtual HRESULT put_cssText(BSTR text) = 0;   // 8
};

// One attribute of an element: its name as written and its value (VT_BSTR, references decoded;
// an attribute written without a value reads as the empty string).
struct IHTMLDOMAttribute : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x3050F4B0, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
  virtual HRESULT get_nodeName(BSTR* name) = 0;            // 7
  virtual HRESULT get_nodeValue(VARIANT* value) = 0;       // 8
  virtual HRESULT get_specified(VARIANT_BOOL* given) = 0;  // 9: always true (only written ones)
};

// The attributes an element carries, in the order they were written.
struct IHTMLAttributeCollection : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x3050F4C3, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
  virtual HRESULT get_length(LONG* length) = 0;                         // 7
  virtual HRESULT item(LONG index, IHTMLDOMAttribute** attribute) = 0;  // 8
};

// Elements in document order.
struct IHTMLElementCollection : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x3050F21F, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
  virtual HRESULT get_length(LONG* length) = 0;               // 7
  virtual HRESULT item(LONG index, IDispatch** element) = 0;  // 8
  // The elements of the collection with that tag name (any letter case).
  virtual HRESULT tags(BSTR name, IHTMLElementCollection** result) = 0;  // 9
};

// Any element. Tag names read in upper case; innerHTML and outerHTML are written the way the
// editor writes markup (upper-case tag names, quoted attribute values, every end tag).
struct IHTMLElement : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x3050F1FF, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
  // The value is converted to text (VT_BSTR, numbers, booleans); flags are ignored.
  virtual HRESULT setAttribute(BSTR name, VARIANT value, LONG flags) = 0;  // 7
  // VT_BSTR with the value, or VT_NULL when the element does not carry the attribute (S_OK).
  virtual HRESULT getAttribute(BSTR name, LONG flags, VARIANT* value) = 0;            // 8
  virtual HRESULT removeAttribute(BSTR name, LONG flags, VARIANT_BOOL* removed) = 0;  // 9
  virtual HRESULT put_className(BSTR name) = 0;                                       // 10
  virtual HRESULT get_className(BSTR* name) = 0;                                      // 11
  virtual HRESULT get_tagName(BSTR* name) = 0;                                        // 12
  virtual HRESULT get_parentElement(IHTMLElement** parent) = 0;                       // 13
  virtual HRESULT get_style(IHTMLStyle** style) = 0;                                  // 14
  virtual HRESULT get_document(IDispatch** document) = 0;                             // 15
  virtual HRESULT contains(IHTMLElement* child, VARIANT_BOOL* result) = 0;            // 16
  virtual HRESULT put_innerHTML(BSTR html) = 0;                                       // 17
  virtual HRESULT get_innerHTML(BSTR* html) = 0;                                      // 18
  virtual HRESULT put_innerText(BSTR text) = 0;                                       // 19
  // The text of the element's text content, character references decoded, without script and
  // style bodies.
  virtual HRESULT get_innerText(BSTR* text) = 0;  // 20
  // Replaces the element with the markup; the element object then stands outside the document.
  virtual HRESULT put_outerHTML(BSTR html) = 0;                               // 21
  virtual HRESULT get_outerHTML(BSTR* html) = 0;                              // 22
  virtual HRESULT get_children(IHTMLElementCollection** children) = 0;        // 23
  virtual HRESULT get_all(IHTMLElementCollection** descendants) = 0;          // 24
  virtual HRESULT get_attributes(IHTMLAttributeCollection** attributes) = 0;  // 25
};

// The body (answered by the BODY element, or by the document's top element when the text has
// no BODY): where text and control ranges are made.
struct IHTMLBodyElement : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x3050F1D8, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
  // A range over the body's whole content.
  virtual HRESULT createTextRange(IHTMLTxtRange** range) = 0;  // 7
  // An empty control range.
  virtual HRESULT createControlRange(IHTMLControlRange** range) = 0;  // 8
};

// A TABLE element. rows lists the rows of the table in document order (rows directly in the
// table and in its THEAD, TBODY and TFOOT sections; not those of nested tables).
struct IHTMLTable : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x3050F21E, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
  virtual HRESULT get_rows(IHTMLElementCollection** rows) = 0;  // 7
  // A new empty TR before the row at index, or after the last row for -1 or the row count;
  // E_INVALIDARG for other indexes.
  virtual HRESULT insertRow(LONG index, IDispatch** row) = 0;  // 8
  // -1 deletes the last row; E_INVALIDARG for an index out of range.
  virtual HRESULT deleteRow(LONG index) = 0;  // 9
};

// A TR element: its place in the table, its cells (the TD and TH elements it holds) and its
// formatting attributes.
struct IHTMLTableRow : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x3050F23C, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
  virtual HRESULT get_rowIndex(LONG* index) = 0;                  // 7: -1 outside a table
  virtual HRESULT get_cells(IHTMLElementCollection** cells) = 0;  // 8
  // A new empty TD, placed as insertRow places rows.
  virtual HRESULT insertCell(LONG index, IDispatch** cell) = 0;  // 9
  virtual HRESULT deleteCell(LONG index) = 0;                    // 10
  virtual HRESULT put_align(BSTR value) = 0;                     // 11
  virtual HRESULT get_align(BSTR* value) = 0;                    // 12
  virtual HRESULT put_vAlign(BSTR value) = 0;                    // 13
  virtual HRESULT get_vAlign(BSTR* value) = 0;                   // 14
  virtual HRESULT put_bgColor(BSTR value) = 0;                   // 15
  virtual HRESULT get_bgColor(BSTR* value) = 0;                  // 16
  virtual HRESULT put_borderColor(BSTR value) = 0;               // 17
  virtual HRESULT get_borderColor(BSTR* value) = 0;              // 18
  virtual HRESULT put_borderColorLight(BSTR value) = 0;          // 19
  virtual HRESULT get_borderColorLight(BSTR* value) = 0;         // 20
  virtual HRESULT put_borderColorDark(BSTR value) = 0;           // 21
  virtual HRESULT get_borderColorDark(BSTR* value) = 0;          // 22
  virtual HRESULT put_height(BSTR value) = 0;                    // 23
  virtual HRESULT get_height(BSTR* value) = 0;                   // 24
  virtual HRESULT put_ch(BSTR value) = 0;                        // 25
  virtual HRESULT get_ch(BSTR* value) = 0;                       // 26
  virtual HRESULT put_chOff(BSTR value) = 0;                     // 27
  virtual HRESULT get_chOff(BSTR* value) = 0;                    // 28
};

// A TD or TH element. colSpan reads 1 for a missing, unreadable or non-positive value and at
// most 1000; rowSpan likewise, at most 65534. Setting a span below 1 gives E_INVALIDARG; setting
// 1 removes the attribute. noWrap is the presence of the nowrap attribute.
struct IHTMLTableCell : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x3050F23D, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
  virtual HRESULT get_cellIndex(LONG* index) = 0;         // 7: -1 outside a row
  virtual HRESULT put_rowSpan(LONG span) = 0;             // 8
  virtual HRESULT get_rowSpan(LONG* span) = 0;            // 9
  virtual HRESULT put_colSpan(LONG span) = 0;             // 10
  virtual HRESULT get_colSpan(LONG* span) = 0;            // 11
  virtual HRESULT put_noWrap(VARIANT_BOOL no_wrap) = 0;   // 12
  virtual HRESULT get_noWrap(VARIANT_BOOL* no_wrap) = 0;  // 13
  virtual HRESULT put_align(BSTR value) = 0;              // 14
  virtual HRESULT get_align(BSTR* value) = 0;             // 15
  virtual HRESULT put_vAlign(BSTR value) = 0;             // 16
  virtual HRESULT get_vAlign(BSTR* value) = 0;            // 17
  virtual HRESULT put_bgColor(BSTR value) = 0;            // 18
  virtual HRESULT get_bgColor(BSTR* value) = 0;           // 19
  virtual HRESULT put_background(BSTR value) = 0;         // 20
  virtual HRESULT get_background(BSTR* value) = 0;        // 21
  virtual HRESULT put_borderColor(BSTR value) = 0;        // 22
  virtual HRESULT get_borderColor(BSTR* value) = 0;       // 23
  virtual HRESULT put_borderColorLight(BSTR value) = 0;   // 24
  virtual HRESULT get_borderColorLight(BSTR* value) = 0;  // 25
  virtual HRESULT put_borderColorDark(BSTR value) = 0;    // 26
  virtual HRESULT get_borderColorDark(BSTR* value) = 0;   // 27
  virtual HRESULT put_width(BSTR value) = 0;              // 28
  virtual HRESULT get_width(BSTR* value) = 0;             // 29
  virtual HRESULT put_height(BSTR value) = 0;             // 30
  virtual HRESULT get_height(BSTR* value) = 0;            // 31
  virtual HRESULT put_abbr(BSTR value) = 0;               // 32
  virtual HRESULT get_abbr(BSTR* value) = 0;              // 33
  virtual HRESULT put_axis(BSTR value) = 0;               // 34
  virtual HRESULT get_axis(BSTR* value) = 0;              // 35
  virtual HRESULT put_ch(BSTR value) = 0;                 // 36
  virtual HRESULT get_ch(BSTR* value) = 0;                // 37
  virtual HRESULT put_chOff(BSTR value) = 0;              // 38
  virtual HRESULT get_chOff(BSTR* value) = 0;             // 39
  virtual HRESULT put_headers(BSTR value) = 0;            // 40
  virtual HRESULT get_headers(BSTR* value) = 0;           // 41
  virtual HRESULT put_scope(BSTR value) = 0;              // 42
  virtual HRESULT get_scope(BSTR* value) = 0;             // 43
};

// A stretch of the document between two points. Points lie between the nodes of the document;
// the points at the start and the end of an element's content are distinct from those of the
// elements beside it.
struct IHTMLTxtRange : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x3050F220, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
  // The text between the two points (as innerText reads it).
  virtual HRESULT get_text(BSTR* text) = 0;  // 7
  // The innermost element that holds the whole range.
  virtual HRESULT parentElement(IHTMLElement** parent) = 0;  // 8
  virtual HRESULT duplicate(IHTMLTxtRange** copy) = 0;       // 9
  // Moves the end to the start (start true) or the start to the end.
  virtual HRESULT collapse(VARIANT_BOOL start) = 0;  // 10
  // The range becomes the element's content; E_INVALIDARG for an element of another document.
  virtual HRESULT moveToElementText(IHTMLElement* element) = 0;  // 11
  // how: "StartToStart", "StartToEnd", "EndToStart" or "EndToEnd" (any letter case): compares
  // the first-named point of this range with the second-named point of other; -1, 0 or 1.
  // E_INVALIDARG for another how or a range of another document; E_UNEXPECTED when a point no
  // longer lies in the document.
  virtual HRESULT compareEndPoints(BSTR how, IHTMLTxtRange* other, LONG* result) = 0;  // 12
  // Moves the first-named point of this range to the second-named point of other.
  virtual HRESULT setEndPoint(BSTR how, IHTMLTxtRange* other) = 0;  // 13
  // Makes the range the document's selection.
  virtual HRESULT select() = 0;  // 14
};

// A selection of whole elements.
struct IHTMLControlRange : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x3050F29C, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
  virtual HRESULT select() = 0;                                    // 7
  virtual HRESULT add(IHTMLElement* element) = 0;                  // 8
  virtual HRESULT remove(LONG index) = 0;                          // 9
  virtual HRESULT item(LONG index, IHTMLElement** element) = 0;    // 10
  virtual HRESULT get_length(LONG* length) = 0;                    // 11
  virtual HRESULT commonParentElement(IHTMLElement** parent) = 0;  // 12
};

// The document's selection.
struct IHTMLSelectionObject : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x3050F25A, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
  // A control range for a control selection; otherwise a text range (collapsed at the start of
  // the body when nothing is selected).
  virtual HRESULT createRange(IDispatch** range) = 0;  // 7
  virtual HRESULT empty() = 0;                         // 8
  virtual HRESULT get_type(BSTR* type) = 0;            // 9: "None", "Text" or "Control"
};

struct IHTMLDocument2 : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x332C4425, 0x26CB, 0x11D0, {0xB4, 0x83, 0x00, 0xC0, 0x4F, 0xD9, 0x01, 0x19}};
  virtual HRESULT get_all(IHTMLElementCollection** elements) = 0;       // 7
  virtual HRESULT get_body(IHTMLElement** body) = 0;                    // 8
  virtual HRESULT get_selection(IHTMLSelectionObject** selection) = 0;  // 9
};

// Loading the document from HTML text and writing it back. The text is parsed as a browser
// would read it (optional end tags implied, unknown elements kept, nothing dropped); text that
// is not markup stays text. get_documentHTML gives the loaded text with only the edited
// elements written anew: an element whose attributes or content changed is written the way
// outerHTML writes it, everything else exactly as loaded.
struct IHTMLDocumentText : IUnknown {
  using Base = IUnknown;
  static constexpr IID kIID = {
      0x6A1C3D52, 0x4F0E, 0x4B8A, {0x9C, 0x2D, 0x7E, 0x5B, 0x1F, 0x0A, 0x3C, 0x41}};
  // Replaces the document; the selection becomes empty. A null BSTR is the empty document.
  virtual HRESULT loadHTML(BSTR html) = 0;           // 3
  virtual HRESULT get_documentHTML(BSTR* html) = 0;  // 4
};

// A position in the document that an edit elsewhere leaves in place. A pointer whose element
// left the document is no longer positioned.
struct IMarkupPointer : IUnknown {
  using Base = IUnknown;
  static constexpr IID kIID = {
      0x3050F49F, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
  virtual HRESULT MoveAdjacentToElement(IHTMLElement* element, ELEMENT_ADJACENCY where) = 0;  // 3
  virtual HRESULT MoveToPointer(IMarkupPointer* other) = 0;                                   // 4
  virtual HRESULT IsPositioned(VARIANT_BOOL* positioned) = 0;                                 // 5
  virtual HRESULT Unposition() = 0;                                                           // 6
  // The element whose content holds the pointer.
  virtual HRESULT CurrentScope(IHTMLElement** scope) = 0;                     // 7
  virtual HRESULT IsEqualTo(IMarkupPointer* other, VARIANT_BOOL* equal) = 0;  // 8
  virtual HRESULT IsLeftOf(IMarkupPointer* other, VARIANT_BOOL* left) = 0;    // 9
};

struct IMarkupServices : IUnknown {
  using Base = IUnknown;
  static constexpr IID kIID = {
      0x3050F4A0, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
  virtual HRESULT CreateMarkupPointer(IMarkupPointer** pointer) = 0;  // 3
};

// A position as the display sees it; it is placed from a markup pointer.
struct IDisplayPointer : IUnknown {
  using Base = IUnknown;
  static constexpr IID kIID = {
      0x3050F69E, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
  // line_context may be null. E_INVALIDARG for a pointer that is not positioned.
  virtual HRESULT MoveToMarkupPointer(IMarkupPointer* pointer,
                                      IDisplayPointer* line_context) = 0;  // 3
  virtual HRESULT PositionMarkupPointer(IMarkupPointer* pointer) = 0;      // 4
};

// The caret: where a collapsed selection stands. Moving the caret makes the selection a
// collapsed text range there.
struct IHTMLCaret : IUnknown {
  using Base = IUnknown;
  static constexpr IID kIID = {
      0x3050F604, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
  // E_INVALIDARG when the display pointer is not placed or no longer lies in the document.
  virtual HRESULT MoveCaretToPointer(IDisplayPointer* pointer, VARIANT_BOOL scroll,
                                     CARET_DIRECTION direction) = 0;  // 3
  // The start of a text selection, the start of the first element of a control selection, or
  // the start of the body.
  virtual HRESULT MoveMarkupPointerToCaret(IMarkupPointer* pointer) = 0;    // 4
  virtual HRESULT MoveDisplayPointerToCaret(IDisplayPointer* pointer) = 0;  // 5
};

struct IDisplayServices : IUnknown {
  using Base = IUnknown;
  static constexpr IID kIID = {
      0x3050F69D, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
  virtual HRESULT CreateDisplayPointer(IDisplayPointer** pointer) = 0;  // 3
  virtual HRESULT GetCaret(IHTMLCaret** caret) = 0;                     // 4
};

// The document class: answers IHTMLDocument2, IHTMLDocumentText, IMarkupServices and
// IDisplayServices. Starts empty.
constexpr CLSID CLSID_HTMLDocument = {
    0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};

KPX_INTERFACES_END
