// The XSLProcessor object.
#include "xmldom/xsl_processor.h"

#include <charconv>
#include <cmath>
#include <string>
#include <type_traits>

#include "base/status.h"
#include "base/utf.h"
#include "com/bstr.h"
#include "com/com_object.h"

namespace kpx {

namespace {

constexpr LONG kReadyStateUninitialized = 0;
constexpr LONG kReadyStateComplete = 4;

// A variant passed by reference reads as the value it points at.
const VARIANT& Dereferenced(const VARIANT& value) {
  if (value.vt == (VT_VARIANT | VT_BYREF) && value.pvarVal) return *value.pvarVal;
  return value;
}

// The XPath expression for a number, written without the process locale: the shortest decimal
// that reads back as the same value ("1.5", "1e+20": libxml2 reads an exponent too). Infinities
// and NaN have no literal.
template <class Number>
std::string NumberExpression(Number number) {
  if constexpr (std::is_floating_point_v<Number>) {
    if (std::isnan(number)) return "number('NaN')";
    if (std::isinf(number)) return number > 0 ? "1 div 0" : "-1 div 0";
  }
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, number);
  return std::string(text, result.ptr);
}

// The value of a parameter, or false for a type that cannot be one.
bool ReadParameter(const VARIANT& value, XsltParameter& parameter) {
  const bool by_ref = (value.vt & VT_BYREF) != 0;
  if (by_ref && !value.byref) return false;
  switch (value.vt & ~VT_BYREF) {
    case VT_BSTR:
      parameter.value = ToUtf8(BstrView(by_ref ? *value.pbstrVal : value.bstrVal));
      parameter.is_string = true;
      return true;
    case VT_I2:
      parameter.value = NumberExpression(by_ref ? *value.piVal : value.iVal);
      break;
    case VT_I4:
      parameter.value = NumberExpression(by_ref ? *value.plVal : value.lVal);
      break;
    case VT_INT:
      parameter.value =
          NumberExpression(by_ref ? *static_cast<int32_t*>(value.byref) : value.intVal);
      break;
    case VT_UI4:
      parameter.value = NumberExpression(by_ref ? *static_cast<ULONG*>(value.byref) : value.ulVal);
      break;
    case VT_R8:
      parameter.value = NumberExpression(by_ref ? *value.pdblVal : value.dblVal);
      break;
    case VT_BOOL:
      parameter.value = (by_ref ? *value.pboolVal : value.boolVal) ? "true()" : "false()";
      break;
    default:
      return false;
  }
  parameter.is_string = false;
  return true;
}

// The object a VT_DISPATCH or VT_UNKNOWN variant holds, or null.
IUnknown* HeldObject(const VARIANT& value) {
  switch (value.vt) {
    case VT_DISPATCH:
      return value.pdispVal;
    case VT_UNKNOWN:
      return value.punkVal;
    case VT_DISPATCH | VT_BYREF:
      return value.ppdispVal ? *value.ppdispVal : nullptr;
    case VT_UNKNOWN | VT_BYREF:
      return value.ppunkVal ? *value.ppunkVal : nullptr;
    default:
      return nullptr;
  }
}

class XslProcessor final : public DispatchObject<IXSLProcessor, IXslExtensionHost> {
 public:
  XslProcessor(ComPtr<IXSLTemplate> owner, StylesheetHandle stylesheet)
      : owner_(std::move(owner)), stylesheet_(std::move(stylesheet)) {}

  HRESULT put_input(VARIANT input) override {
    const VARIANT& value = Dereferenced(input);
    IUnknown* object = HeldObject(value);
    const NodeRef ref = NodeRefOf(object);
    if (!ref.node) return E_INVALIDARG;
    if (ref.node->type != XML_DOCUMENT_NODE && ref.node->type != XML_ELEMENT_NODE) {
      return E_INVALIDARG;
    }
    ComPtr<IXMLDOMNode> node;
    if (FAILED(object->QueryInterface(IXMLDOMNode::kIID, node.PutVoid())) || !node) {
      return E_INVALIDARG;
    }
    input_node_ = std::move(node);
    return S_OK;
  }

  HRESULT get_input(VARIANT* input) override {
    if (!input) return E_POINTER;
    VariantInit(input);
    if (!input_node_) return S_FALSE;
    input->vt = VT_DISPATCH;
    input->pdispVal = input_node_.Get();
    input_node_->AddRef();
    return S_OK;
  }

  HRESULT get_ownerTemplate(IXSLTemplate** owner) override { return CopyOut(owner_.Get(), owner); }

  HRESULT transform(VARIANT_BOOL* done) override {
    if (!done) return E_POINTER;
    *done = VARIANT_FALSE;
    // A document is read as it is now, so a reload after put_input is what gets transformed.
    const NodeRef input = NodeRefOf(input_node_.Get());
    if (!input.node) return E_FAIL;
    return Guarded([&] {
      output_ = ToUtf16(RunTransform(stylesheet_, input, parameters_, extensions_));
      ready_state_ = kReadyStateComplete;
      *done = VARIANT_TRUE;
      return S_OK;
    });
  }

  HRESULT reset() override {
    output_.clear();
    ready_state_ = kReadyStateUninitialized;
    return S_OK;
  }

  HRESULT get_readyState(LONG* state) override {
    if (!state) return E_POINTER;
    *state = ready_state_;
    return S_OK;
  }

  HRESULT put_output(VARIANT output) override {
    if (output.vt != VT_EMPTY) return E_NOTIMPL;
    output_.clear();
    return S_OK;
  }

  HRESULT get_output(VARIANT* output) override {
    if (!output) return E_POINTER;
    VariantInit(output);
    return Guarded([&] {
      output->bstrVal = AllocBstr(output_);
      output->vt = VT_BSTR;
      return S_OK;
    });
  }

  HRESULT addParameter(BSTR name, VARIANT value, BSTR namespace_uri) override {
    if (SysStringLen(name) == 0 || SysStringLen(namespace_uri) != 0) return E_INVALIDARG;
    return Guarded([&] {
      XsltParameter parameter;
      parameter.name = ToUtf8(BstrView(name));
      if (!ReadParameter(Dereferenced(value), parameter)) return E_INVALIDARG;
      for (XsltParameter& existing : parameters_) {
        if (existing.name == parameter.name) {
          existing = std::move(parameter);
          return S_OK;
        }
      }
      parameters_.push_back(std::move(parameter));
      return S_OK;
    });
  }

  HRESULT SetExtensionFunctions(std::vector<XsltExtensionFunction> functions) override {
    extensions_ = std::move(functions);
    return S_OK;
  }

 private:
  std::vector<XsltExtensionFunction> extensions_;
  ComPtr<IXSLTemplate> owner_;
  StylesheetHandle stylesheet_;
  ComPtr<IXMLDOMNode> input_node_;
  std::vector<XsltParameter> parameters_;
  std::u16string output_;
  LONG ready_state_ = kReadyStateUninitialized;
};

}  // namespace

ComPtr<IXSLProcessor> MakeXslProcessor(ComPtr<IXSLTemplate> owner, StylesheetHandle stylesheet) {
  return ComPtr<IXSLProcessor>::Adopt(new XslProcessor(std::move(owner), std::move(stylesheet)));
}

}  // namespace kpx
