// IDispatch argument conversion and the Invoke frame.
#include "server/automation_invoke.h"

#include <cstring>

#include "base/ascii_case.h"
#include "base/status.h"
#include "com/variant_holder.h"

namespace kpx {

namespace {

// A variant that refers to another variant reads as that one.
const VARIANT& Referenced(const VARIANT& arg) {
  const VARIANT* v = &arg;
  for (int depth = 0; depth < 8 && v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal; ++depth) {
    v = v->pvarVal;
  }
  return *v;
}

// The object a variant holds (by value or by reference); null for VT_EMPTY and VT_NULL.
HRESULT HeldUnknown(const VARIANT& v, IUnknown** object) {
  *object = nullptr;
  switch (v.vt) {
    case VT_EMPTY:
    case VT_NULL:
      return S_OK;
    case VT_DISPATCH:
      *object = v.pdispVal;
      return S_OK;
    case VT_UNKNOWN:
      *object = v.punkVal;
      return S_OK;
    case VT_DISPATCH | VT_BYREF:
      *object = v.ppdispVal ? *v.ppdispVal : nullptr;
      return S_OK;
    case VT_UNKNOWN | VT_BYREF:
      *object = v.ppunkVal ? *v.ppunkVal : nullptr;
      return S_OK;
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

// Whether a by-reference argument can receive an out parameter of this kind.
bool AcceptsOut(ParamKind kind, VARTYPE vt) {
  if (vt == (VT_BYREF | VT_VARIANT)) return true;
  switch (kind) {
    case ParamKind::kOutBstr:
      return vt == (VT_BYREF | VT_BSTR);
    case ParamKind::kOutDocument:
    case ParamKind::kOutComponentIds:
      return vt == (VT_BYREF | VT_DISPATCH);
    case ParamKind::kOutLong:
      return vt == (VT_BYREF | VT_I4);
    default:
      return false;
  }
}

}  // namespace

InvokeArguments::~InvokeArguments() {
  for (Slot& slot : slots_) {
    if (slot.out_document) slot.out_document->Release();
    if (slot.out_ids) slot.out_ids->Release();
  }
}

HRESULT InvokeArguments::ReadOne(Slot& slot, const VARIANT& raw) {
  const VARIANT& arg = Referenced(raw);
  VariantHolder converted;
  HRESULT hr = S_OK;
  switch (slot.kind) {
    case ParamKind::kBstr:
      if (arg.vt == VT_NULL) return DISP_E_TYPEMISMATCH;
      hr = VariantChangeType(converted.Get(), &arg, 0, VT_BSTR);
      if (FAILED(hr)) return hr;
      slot.text = Bstr::Adopt(converted.Release().bstrVal);
      return S_OK;
    case ParamKind::kBool:
      hr = VariantChangeType(converted.Get(), &arg, 0, VT_BOOL);
      if (FAILED(hr)) return hr;
      slot.boolean = converted->boolVal;
      return S_OK;
    case ParamKind::kLong:
    case ParamKind::kTableOperation:
    case ParamKind::kTableOperationEx:
      hr = VariantChangeType(converted.Get(), &arg, 0, VT_I4);
      if (FAILED(hr)) return hr;
      slot.number = converted->lVal;
      return S_OK;
    case ParamKind::kVariant:
      return VariantCopy(slot.value.Put(), &arg);
    case ParamKind::kDispatch:
    case ParamKind::kXmlNode: {
      IUnknown* object = nullptr;
      hr = HeldUnknown(arg, &object);
      if (FAILED(hr) || !object) return hr;
      if (slot.kind == ParamKind::kDispatch) {
        hr = object->QueryInterface(IDispatch::kIID, slot.object.PutVoid());
      } else {
        hr = object->QueryInterface(IXMLDOMNode::kIID, slot.node.PutVoid());
      }
      return FAILED(hr) ? DISP_E_TYPEMISMATCH : S_OK;
    }
    default:
      if (!AcceptsOut(slot.kind, raw.vt) || !raw.byref) return DISP_E_TYPEMISMATCH;
      slot.target = const_cast<VARIANT*>(&raw);
      return S_OK;
  }
}

HRESULT InvokeArguments::Read(const MemberInfo& member, const DISPPARAMS* params, UINT* arg_error) {
  const size_t expected = member.params.size() - (member.last_is_retval ? 1 : 0);
  const UINT given = params ? params->cArgs : 0;
  if (params && params->cNamedArgs > 0) return DISP_E_NONAMEDARGS;
  if (given != expected) return DISP_E_BADPARAMCOUNT;
  if (given > 0 && !params->rgvarg) return E_INVALIDARG;
  slots_.resize(member.params.size());
  for (size_t i = 0; i < member.params.size(); ++i) {
    Slot& slot = slots_[i];
    slot.kind = member.params[i].kind;
    if (i == expected) {  // the [out, retval] parameter
      slot.retval = true;
      continue;
    }
    const UINT position = given - 1 - static_cast<UINT>(i);  // arguments arrive last first
    HRESULT hr = ReadOne(slot, params->rgvarg[position]);
    if (FAILED(hr)) {
      if (arg_error) *arg_error = position;
      return hr;
    }
  }
  return S_OK;
}

void InvokeArguments::MoveOut(Slot& slot, VARIANT* destination) {
  VARIANT value;
  VariantInit(&value);
  switch (slot.kind) {
    case ParamKind::kOutBstr:
      value.vt = VT_BSTR;
      value.bstrVal = slot.text.Detach();
      break;
    case ParamKind::kOutDocument:
      value.vt = VT_DISPATCH;
      value.pdispVal = slot.out_document;
      slot.out_document = nullptr;
      break;
    case ParamKind::kOutComponentIds:
      value.vt = VT_DISPATCH;
      value.pdispVal = slot.out_ids;
      slot.out_ids = nullptr;
      break;
    case ParamKind::kOutLong:
      value.vt = VT_I4;
      value.lVal = slot.number;
      break;
    case ParamKind::kOutVariant:
      value = slot.value.Release();
      break;
    default:
      return;
  }
  if (!destination) {
    VariantClear(&value);
    return;
  }
  if (destination->vt == (VT_BYREF | VT_VARIANT)) {
    VariantClear(destination->pvarVal);
    *destination->pvarVal = value;
  } else if (destination->vt == (VT_BYREF | VT_BSTR)) {
    SysFreeString(*destination->pbstrVal);
    *destination->pbstrVal = value.bstrVal;
  } else if (destination->vt == (VT_BYREF | VT_DISPATCH)) {
    if (*destination->ppdispVal) (*destination->ppdispVal)->Release();
    *destination->ppdispVal = value.pdispVal;
  } else if (destination->vt == (VT_BYREF | VT_I4)) {
    *destination->plVal = value.lVal;
  } else {
    // The [out, retval] result.
    VariantClear(destination);
    *destination = value;
  }
}

void InvokeArguments::WriteOutputs(VARIANT* result) {
  for (Slot& slot : slots_) {
    if (slot.retval) {
      if (result) VariantInit(result);
      MoveOut(slot, result);
    } else if (slot.target) {
      MoveOut(slot, slot.target);
    }
  }
}

HRESULT DispatchGetIDsOfNames(const InterfaceInfo& info, REFIID riid, LPOLESTR* names, UINT count,
                              DISPID* ids) {
  if (!(riid == GUID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (count == 0) return S_OK;
  if (!names || !ids) return E_POINTER;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  if (!names[0]) return DISP_E_UNKNOWNNAME;
  const MemberInfo* member = FindMember(info, std::u16string_view(names[0]));
  if (!member) return DISP_E_UNKNOWNNAME;
  ids[0] = member->dispid;
  // Further names are the member's parameter names: their positions.
  HRESULT hr = S_OK;
  for (UINT i = 1; i < count; ++i) {
    std::u16string_view name = names[i] ? std::u16string_view(names[i]) : std::u16string_view();
    for (size_t p = 0; p < member->params.size(); ++p) {
      if (EqualsIgnoringAsciiCase(member->params[p].name, name)) ids[i] = static_cast<DISPID>(p);
    }
    if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT DispatchInvoke(const InterfaceInfo& info, const MemberCall& call, DISPID dispid,
                       REFIID riid, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO* exception, UINT* arg_error) {
  return Guarded([&]() -> HRESULT {
    if (!(riid == GUID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    const MemberInfo* member = FindMember(info, dispid);
    if (!member) return DISP_E_MEMBERNOTFOUND;
    // Methods and property reads may be called either way, as automation clients do.
    if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
    InvokeArguments args;
    HRESULT hr = args.Read(*member, params, arg_error);
    if (FAILED(hr)) return hr;
    hr = call(dispid, args);
    if (FAILED(hr)) {
      if (!exception) return hr;
      std::memset(exception, 0, sizeof *exception);
      exception->scode = hr;
      exception->bstrSource = SysAllocString(info.name.data());
      return DISP_E_EXCEPTION;
    }
    args.WriteOutputs(result);
    return hr;
  });
}

}  // namespace kpx
