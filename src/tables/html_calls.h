// Calls into the editor's HTML document for the table editing: a failed call throws its status
// (passed up unchanged), and the failure texts of the table operations throw as E_FAIL.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "com/bstr.h"
#include "kpx/mshtml.h"

namespace kpx::tables {

// The failure texts of the table operations; each leaves the operation as E_FAIL.
inline constexpr const char* kZeroSelection = "zero selection";
inline constexpr const char* kInvalidTable = "invalid table";
inline constexpr const char* kTranslateFailed = "translatePosition() failed";
inline constexpr const char* kMultiple = "multiple";

[[noreturn]] inline void Fail(const char* message) {
  throw ConverterError(E_FAIL, message);
}

inline void Check(HRESULT hr) {
  if (FAILED(hr)) throw ConverterError(hr);
}

// A text property read through getter.
template <class I>
std::u16string ReadText(I* object, HRESULT (I::*getter)(BSTR*)) {
  Bstr text;
  Check((object->*getter)(text.Put()));
  return text.Str();
}

template <class I>
void WriteText(I* object, HRESULT (I::*setter)(BSTR), std::u16string_view value) {
  Bstr text(value);
  Check((object->*setter)(text.Get()));
}

// The attribute's value, or nullopt when the element does not carry it.
std::optional<std::u16string> ReadAttribute(IHTMLElement* element, std::u16string_view name);
void WriteAttribute(IHTMLElement* element, std::u16string_view name, std::u16string_view value);
void DeleteAttribute(IHTMLElement* element, std::u16string_view name);

// The tag name in upper case.
std::u16string TagName(IHTMLElement* element);
ComPtr<IHTMLElement> ParentElement(IHTMLElement* element);

// The items of a collection, in order.
std::vector<ComPtr<IDispatch>> Items(IHTMLElementCollection* collection);

// True when both are the same object (compared as IUnknown).
bool SameObject(IUnknown* a, IUnknown* b);

// A value compared "after normalisation": surrounding white space dropped, ASCII letters in
// lower case.
std::u16string Normalized(std::u16string_view value);

}  // namespace kpx::tables
