// The type library the library embeds: for each dual interface, its members with their DISPIDs
// and parameters, in the order of the function table. IDispatch (GetIDsOfNames, Invoke) and the
// registration read it.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "kpx/com.h"

namespace kpx {

// How a parameter crosses IDispatch::Invoke.
enum class ParamKind {
  kBstr,              // in: text
  kDispatch,          // in: an object (IDispatch; VT_UNKNOWN is queried for it)
  kXmlNode,           // in: a document node (queried for IXMLDOMNode)
  kBool,              // in: VARIANT_BOOL
  kLong,              // in: 32-bit integer
  kTableOperation,    // in: enumTableOperation (an integer)
  kTableOperationEx,  // in: enumTableOperationEx (an integer)
  kVariant,           // in: any variant, by value
  kOutBstr,           // out: text
  kOutDocument,       // out: an XML document
  kOutComponentIds,   // out: a ComponentIDs collection
  kOutVariant,        // out: a variant
  kOutLong,           // out: 32-bit integer
};

struct ParamInfo {
  std::u16string_view name;
  ParamKind kind;
};

struct MemberInfo {
  std::u16string_view name;
  DISPID dispid;
  WORD invoke_kind;  // DISPATCH_METHOD or DISPATCH_PROPERTYGET
  std::span<const ParamInfo> params;
  // When true the last parameter is the [out, retval] one: Invoke hands it back as the result.
  bool last_is_retval;
};

struct InterfaceInfo {
  std::u16string_view name;
  IID iid;
  std::span<const MemberInfo> members;
};

struct CoclassInfo {
  std::u16string_view name;
  CLSID clsid;
  const InterfaceInfo* default_interface;
  std::u16string_view description;  // "XH2XConverter Class"
  std::u16string_view prog_id;      // version-independent ProgID
};

struct EnumValueInfo {
  std::u16string_view name;
  LONG value;
};

struct EnumInfo {
  std::u16string_view name;
  std::span<const EnumValueInfo> values;
};

struct TypeLibraryInfo {
  std::u16string_view name;  // KPXHTML2XMLCONVERTERLib
  GUID libid;
  WORD major_version;
  WORD minor_version;
  std::u16string_view help_string;
  std::span<const CoclassInfo> coclasses;
  std::span<const EnumInfo> enums;
};

const TypeLibraryInfo& TypeLibrary();
const InterfaceInfo& ConverterInterfaceInfo();
const InterfaceInfo& ComponentIdsInterfaceInfo();

// The member with that name, compared without regard to case as automation does; null if none.
const MemberInfo* FindMember(const InterfaceInfo& info, std::u16string_view name);
const MemberInfo* FindMember(const InterfaceInfo& info, DISPID dispid);

}  // namespace kpx
