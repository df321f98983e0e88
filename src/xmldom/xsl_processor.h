// The XSLProcessor object: one run of a compiled stylesheet over an input.
//
// input: VT_DISPATCH or VT_UNKNOWN (or either by reference) holding a document or element made by
// this stand-in. Each transform runs on a copy taken then (an element becomes the copy's root), so
// the input and nodes taken from it never change.
// Parameters: a VT_BSTR value is a string; VT_I2, VT_I4, VT_INT, VT_UI4 and VT_R8 are numbers;
// VT_BOOL is a boolean (E_INVALIDARG for other types, a non-empty namespace or an empty name).
// Adding a name again replaces its value.
// transform: S_OK and VARIANT_TRUE, or E_FAIL and VARIANT_FALSE (no input, or the stylesheet
// failed or terminated).
// output: VT_BSTR, empty before a transform; only VT_EMPTY can be put (it clears the output):
// writing into another target is not supported (E_NOTIMPL).
// readyState: 0 until a transform completes, 4 after.
#pragma once

#include <vector>

#include "kpx/msxml.h"
#include "xmldom/xslt_engine.h"

namespace kpx {

KPX_INTERFACES_BEGIN

// What the library itself can ask of a processor made here (QueryInterface): functions that the
// stylesheet may call during the following transforms.
struct IXslExtensionHost : IUnknown {
  using Base = IUnknown;
  static constexpr IID kIID = {
      0xA96FD8E2, 0x7163, 0x4133, {0x99, 0x71, 0x64, 0x21, 0xAD, 0xE9, 0x40, 0x06}};
  virtual HRESULT SetExtensionFunctions(std::vector<XsltExtensionFunction> functions) = 0;
};

KPX_INTERFACES_END

ComPtr<IXSLProcessor> MakeXslProcessor(ComPtr<IXSLTemplate> owner, StylesheetHandle stylesheet);

}  // namespace kpx
