// IDispatch over the embedded type library: names to DISPIDs, and Invoke's argument conversion as
// automation does it (strings, numbers, booleans and objects, by value or by reference), with the
// DISP_E_ statuses for bad names, counts and types.
#pragma once

#include <functional>
#include <vector>

#include "com/bstr.h"
#include "com/variant_holder.h"
#include "kpx/converter.h"
#include "server/type_library.h"

namespace kpx {

// The arguments of one Invoke call, converted to what the member takes. Slots are in parameter
// order; out slots receive what the member writes and are handed back by WriteOutputs.
class InvokeArguments {
 public:
  InvokeArguments() = default;
  InvokeArguments(const InvokeArguments&) = delete;
  InvokeArguments& operator=(const InvokeArguments&) = delete;
  ~InvokeArguments();

  // Converts the caller's arguments; on a failure *arg_error is the index of the argument at
  // fault (in the caller's reversed order) when there is one.
  HRESULT Read(const MemberInfo& member, const DISPPARAMS* params, UINT* arg_error);

  BSTR Text(size_t i) const { return slots_[i].text.Get(); }
  IDispatch* Object(size_t i) const { return slots_[i].object.Get(); }
  IXMLDOMNode* Node(size_t i) const { return slots_[i].node.Get(); }
  VARIANT_BOOL Boolean(size_t i) const { return slots_[i].boolean; }
  LONG Number(size_t i) const { return slots_[i].number; }
  const VARIANT& Value(size_t i) const { return slots_[i].value.Ref(); }
  BSTR* OutText(size_t i) { return slots_[i].text.Put(); }
  IXMLDOMDocument** OutDocument(size_t i) { return &slots_[i].out_document; }
  IComponentIDs** OutComponentIds(size_t i) { return &slots_[i].out_ids; }
  VARIANT* OutValue(size_t i) { return slots_[i].value.Get(); }
  LONG* OutNumber(size_t i) { return &slots_[i].number; }

  // After a successful call: out values go to the caller's references and the [out, retval]
  // value to result (released when result is null).
  void WriteOutputs(VARIANT* result);

 private:
  struct Slot {
    ParamKind kind = ParamKind::kBstr;
    Bstr text;
    ComPtr<IDispatch> object;
    ComPtr<IXMLDOMNode> node;
    VARIANT_BOOL boolean = VARIANT_FALSE;
    LONG number = 0;
    VariantHolder value;
    IXMLDOMDocument* out_document = nullptr;
    IComponentIDs* out_ids = nullptr;
    VARIANT* target = nullptr;  // the caller's by-reference argument of an out parameter
    bool retval = false;
  };
  HRESULT ReadOne(Slot& slot, const VARIANT& arg);
  static void MoveOut(Slot& slot, VARIANT* destination);

  std::vector<Slot> slots_;
};

// Calls a member with converted arguments.
using MemberCall = std::function<HRESULT(DISPID dispid, InvokeArguments& args)>;

// The IDispatch members of an object described by `info`. Invoke returns the member's own status
// when it succeeds; a failure status is returned as it is, or, when the caller passes an
// EXCEPINFO, as DISP_E_EXCEPTION with the status in its scode.
HRESULT DispatchGetIDsOfNames(const InterfaceInfo& info, REFIID riid, LPOLESTR* names, UINT count,
                              DISPID* ids);
HRESULT DispatchInvoke(const InterfaceInfo& info, const MemberCall& call, DISPID dispid,
                       REFIID riid, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO* exception, UINT* arg_error);

}  // namespace kpx
