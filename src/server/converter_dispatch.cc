// The converter's IDispatch: each DISPID calls its operation with the converted arguments.
#include "server/automation_invoke.h"
#include "server/xh2x_converter.h"

namespace kpx {

namespace {

// Calls operation `dispid` of the converter; argument indices follow the type library.
HRESULT CallConverter(IXH2XConverter* c, DISPID dispid, InvokeArguments& a) {
  switch (dispid) {
    case 1:
      return c->convert(a.Object(0), a.OutText(1));
    case 2:
      return c->convertWithTidy(a.Object(0), a.OutText(1));
    case 3:
      return c->convertCustom(a.Object(0), a.Text(1), a.OutText(2));
    case 4:
      return c->getErrors(a.OutText(0));
    case 5:
      return c->convertWithDOM(a.Object(0), a.OutDocument(1));
    case 6:
      return c->backTransformation(a.Object(0), a.Text(1), a.OutText(2));
    case 7:
      return c->backTransformationWithDOM(a.Object(0), a.Text(1), a.OutDocument(2));
    case 8:
      return c->convertSingletonWithDOM(a.Object(0), a.Text(1), a.OutDocument(2));
    case 9:
      return c->partialBackTransformationWithDOM(a.Object(0), a.Text(1), a.OutComponentIds(2),
                                                 a.OutDocument(3));
    case 10:
      return c->convertCustomWithDOM(a.Object(0), a.Text(1), a.OutDocument(2));
    case 11:
      return c->performTableOperation(a.Object(0), static_cast<enumTableOperation>(a.Number(1)));
    case 12:
      return c->parse(a.Text(0), a.Object(1), a.Boolean(2));
    case 13:
      return c->convertForGeneration(a.Object(0), a.Text(1), a.OutText(2));
    case 14:
      return c->forwardTransformationWithDOM(a.Object(0), a.Text(1), a.OutDocument(2));
    case 15:
      return c->makeExtensible(a.Text(0), a.OutText(1));
    case 16:
      return c->convertForPreview(a.Object(0), a.Text(1), a.OutText(2));
    case 17:
      return c->insertMETA(a.Text(0), a.Text(1), a.OutText(2));
    case 18:
      return c->convertRawWithDOM(a.Text(0), a.OutDocument(1));
    case 19:
      return c->performTableOperationEx(a.Object(0), static_cast<enumTableOperationEx>(a.Number(1)),
                                        a.Value(2), a.Value(3), a.OutValue(4));
    case 20:
      return c->resolvePaths(a.Text(0), a.Text(1), a.OutText(2));
    case 21:
      return c->initialize(a.Object(0));
    case 22:
      return c->performServiceXSLT(a.Node(0), a.Node(1), a.OutText(2));
    case 23:
      return c->convertUsingProfile(a.Object(0), a.Text(1), a.Object(2), a.Text(3),
                                    a.OutDocument(4));
    case 24:
      return c->convertForGeneration2(a.Object(0), a.Text(1), a.Number(2), a.OutText(3),
                                      a.OutText(4));
    case 25:
      return c->prepareDoctypeForSection508(a.Text(0), a.OutText(1));
    case 26:
      return c->setPublishMode(a.Boolean(0));
    case 27:
      return c->balance(a.Text(0), a.OutText(1));
    case 28:
      return c->maskDoctype(a.Text(0), a.OutText(1));
    case 29:
      return c->unmaskDoctype(a.Text(0), a.OutText(1));
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

}  // namespace

HRESULT XH2XConverter::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;  // the members are described to callers through GetIDsOfNames and Invoke
  return S_OK;
}

HRESULT XH2XConverter::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT XH2XConverter::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  return DispatchGetIDsOfNames(ConverterInterfaceInfo(), riid, names, count, ids);
}

HRESULT XH2XConverter::Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* exception, UINT* arg_error) {
  MemberCall call = [this](DISPID id, InvokeArguments& args) {
    return CallConverter(this, id, args);
  };
  return DispatchInvoke(ConverterInterfaceInfo(), call, dispid, riid, flags, params, result,
                        exception, arg_error);
}

}  // namespace kpx
