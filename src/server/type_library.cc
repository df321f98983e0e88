// The embedded type library: the converter's and the collection's members, the two coclasses
// and the table operation enumerations.
#include "server/type_library.h"

#include "base/ascii_case.h"
#include "kpx/converter.h"

namespace kpx {

namespace {

// Parameters of the converter's operations, in declaration order.
constexpr ParamInfo kConvertParams[] = {{u"pPage", ParamKind::kDispatch},
                                        {u"pbstrXML", ParamKind::kOutBstr}};
constexpr ParamInfo kConvertWithTidyParams[] = {{u"pPage", ParamKind::kDispatch},
                                                {u"pbstrXML", ParamKind::kOutBstr}};
constexpr ParamInfo kConvertCustomParams[] = {{u"pPage", ParamKind::kDispatch},
                                              {u"bstrXHTML", ParamKind::kBstr},
                                              {u"pbstrXML", ParamKind::kOutBstr}};
constexpr ParamInfo kGetErrorsParams[] = {{u"pbstrErrors", ParamKind::kOutBstr}};
constexpr ParamInfo kConvertWithDOMParams[] = {{u"pPage", ParamKind::kDispatch},
                                               {u"ppXMLDoc", ParamKind::kOutDocument}};
constexpr ParamInfo kBackTransformationParams[] = {{u"pPage", ParamKind::kDispatch},
                                                   {u"bstrTemplate", ParamKind::kBstr},
                                                   {u"pbstrXML", ParamKind::kOutBstr}};
constexpr ParamInfo kBackTransformationWithDOMParams[] = {{u"pPage", ParamKind::kDispatch},
                                                          {u"bstrTemplate", ParamKind::kBstr},
                                                          {u"ppXMLDoc", ParamKind::kOutDocument}};
constexpr ParamInfo kConvertSingletonWithDOMParams[] = {{u"pParent", ParamKind::kDispatch},
                                                        {u"bstrTemplate", ParamKind::kBstr},
                                                        {u"ppXMLDoc", ParamKind::kOutDocument}};
constexpr ParamInfo kPartialBackTransformationWithDOMParams[] = {
    {u"pParent", ParamKind::kDispatch},
    {u"bstrTemplate", ParamKind::kBstr},
    {u"ppComponentIDs", ParamKind::kOutComponentIds},
    {u"ppXMLDoc", ParamKind::kOutDocument}};
constexpr ParamInfo kConvertCustomWithDOMParams[] = {{u"pParent", ParamKind::kDispatch},
                                                     {u"bstrTemplate", ParamKind::kBstr},
                                                     {u"ppXMLDoc", ParamKind::kOutDocument}};
constexpr ParamInfo kPerformTableOperationParams[] = {{u"pHTMLDocument2", ParamKind::kDispatch},
                                                      {u"op", ParamKind::kTableOperation}};
constexpr ParamInfo kParseParams[] = {{u"bstrText", ParamKind::kBstr},
                                      {u"pPage", ParamKind::kDispatch},
                                      {u"produceWarnings", ParamKind::kBool}};
constexpr ParamInfo kConvertForGenerationParams[] = {{u"pPage", ParamKind::kDispatch},
                                                     {u"bstrTemplate", ParamKind::kBstr},
                                                     {u"pbstrXML", ParamKind::kOutBstr}};
constexpr ParamInfo kForwardTransformationWithDOMParams[] = {
    {u"pPage", ParamKind::kDispatch},
    {u"bstrTemplate", ParamKind::kBstr},
    {u"ppXMLDoc", ParamKind::kOutDocument}};
constexpr ParamInfo kMakeExtensibleParams[] = {{u"html", ParamKind::kBstr},
                                               {u"xhtml", ParamKind::kOutBstr}};
constexpr ParamInfo kConvertForPreviewParams[] = {{u"pPage", ParamKind::kDispatch},
                                                  {u"htmlIn", ParamKind::kBstr},
                                                  {u"htmlOut", ParamKind::kOutBstr}};
constexpr ParamInfo kInsertMETAParams[] = {
    {u"html", ParamKind::kBstr}, {u"meta", ParamKind::kBstr}, {u"result", ParamKind::kOutBstr}};
constexpr ParamInfo kConvertRawWithDOMParams[] = {{u"bstrHTML", ParamKind::kBstr},
                                                  {u"ppXML", ParamKind::kOutDocument}};
constexpr ParamInfo kPerformTableOperationExParams[] = {{u"pSource", ParamKind::kDispatch},
                                                        {u"opex", ParamKind::kTableOperationEx},
                                                        {u"varIn1", ParamKind::kVariant},
                                                        {u"varIn2", ParamKind::kVariant},
                                                        {u"varOut", ParamKind::kOutVariant}};
constexpr ParamInfo kResolvePathsParams[] = {
    {u"htmlIn", ParamKind::kBstr}, {u"path", ParamKind::kBstr}, {u"htmlOut", ParamKind::kOutBstr}};
constexpr ParamInfo kInitializeParams[] = {{u"pApplication", ParamKind::kDispatch}};
constexpr ParamInfo kPerformServiceXSLTParams[] = {{u"pXMLNode", ParamKind::kXmlNode},
                                                   {u"pStyleSheet", ParamKind::kXmlNode},
                                                   {u"bstrOut", ParamKind::kOutBstr}};
constexpr ParamInfo kConvertUsingProfileParams[] = {{u"pPage", ParamKind::kDispatch},
                                                    {u"bstrTemplate", ParamKind::kBstr},
                                                    {u"pProfile", ParamKind::kDispatch},
                                                    {u"bstrTarget", ParamKind::kBstr},
                                                    {u"ppXMLDoc", ParamKind::kOutDocument}};
constexpr ParamInfo kConvertForGeneration2Params[] = {{u"pPage", ParamKind::kDispatch},
                                                      {u"bstrTemplate", ParamKind::kBstr},
                                                      {u"iCursorPos", ParamKind::kLong},
                                                      {u"pbstrXML", ParamKind::kOutBstr},
                                                      {u"pbstrStructure", ParamKind::kOutBstr}};
constexpr ParamInfo kPrepareDoctypeForSection508Params[] = {{u"html", ParamKind::kBstr},
                                                            {u"result", ParamKind::kOutBstr}};
constexpr ParamInfo kSetPublishModeParams[] = {{u"bPublishMode", ParamKind::kBool}};
constexpr ParamInfo kBalanceParams[] = {{u"html", ParamKind::kBstr},
                                        {u"result", ParamKind::kOutBstr}};
constexpr ParamInfo kMaskDoctypeParams[] = {{u"html", ParamKind::kBstr},
                                            {u"result", ParamKind::kOutBstr}};
constexpr ParamInfo kUnmaskDoctypeParams[] = {{u"html", ParamKind::kBstr},
                                              {u"result", ParamKind::kOutBstr}};
constexpr MemberInfo kConverterMembers[] = {
    {u"convert", 1, DISPATCH_METHOD, kConvertParams, true},
    {u"convertWithTidy", 2, DISPATCH_METHOD, kConvertWithTidyParams, true},
    {u"convertCustom", 3, DISPATCH_METHOD, kConvertCustomParams, true},
    {u"getErrors", 4, DISPATCH_METHOD, kGetErrorsParams, true},
    {u"convertWithDOM", 5, DISPATCH_METHOD, kConvertWithDOMParams, true},
    {u"backTransformation", 6, DISPATCH_METHOD, kBackTransformationParams, true},
    {u"backTransformationWithDOM", 7, DISPATCH_METHOD, kBackTransformationWithDOMParams, true},
    {u"convertSingletonWithDOM", 8, DISPATCH_METHOD, kConvertSingletonWithDOMParams, true},
    {u"partialBackTransformationWithDOM", 9, DISPATCH_METHOD,
     kPartialBackTransformationWithDOMParams, false},
    {u"convertCustomWithDOM", 10, DISPATCH_METHOD, kConvertCustomWithDOMParams, true},
    {u"performTableOperation", 11, DISPATCH_METHOD, kPerformTableOperationParams, false},
    {u"parse", 12, DISPATCH_METHOD, kParseParams, false},
    {u"convertForGeneration", 13, DISPATCH_METHOD, kConvertForGenerationParams, true},
    {u"forwardTransformationWithDOM", 14, DISPATCH_METHOD, kForwardTransformationWithDOMParams,
     true},
    {u"makeExtensible", 15, DISPATCH_METHOD, kMakeExtensibleParams, true},
    {u"convertForPreview", 16, DISPATCH_METHOD, kConvertForPreviewParams, true},
    {u"insertMETA", 17, DISPATCH_METHOD, kInsertMETAParams, true},
    {u"convertRawWithDOM", 18, DISPATCH_METHOD, kConvertRawWithDOMParams, true},
    {u"performTableOperationEx", 19, DISPATCH_METHOD, kPerformTableOperationExParams, true},
    {u"resolvePaths", 20, DISPATCH_METHOD, kResolvePathsParams, true},
    {u"initialize", 21, DISPATCH_METHOD, kInitializeParams, false},
    {u"performServiceXSLT", 22, DISPATCH_METHOD, kPerformServiceXSLTParams, true},
    {u"convertUsingProfile", 23, DISPATCH_METHOD, kConvertUsingProfileParams, true},
    {u"convertForGeneration2", 24, DISPATCH_METHOD, kConvertForGeneration2Params, false},
    {u"prepareDoctypeForSection508", 25, DISPATCH_METHOD, kPrepareDoctypeForSection508Params, true},
    {u"setPublishMode", 26, DISPATCH_METHOD, kSetPublishModeParams, false},
    {u"balance", 27, DISPATCH_METHOD, kBalanceParams, true},
    {u"maskDoctype", 28, DISPATCH_METHOD, kMaskDoctypeParams, true},
    {u"unmaskDoctype", 29, DISPATCH_METHOD, kUnmaskDoctypeParams, true},
};

constexpr ParamInfo kCountParams[] = {{u"pCount", ParamKind::kOutLong}};
constexpr ParamInfo kItemParams[] = {{u"index", ParamKind::kLong},
                                     {u"pID", ParamKind::kOutVariant}};
constexpr ParamInfo kAddParams[] = {{u"ID", ParamKind::kVariant}};
constexpr MemberInfo kComponentIdsMembers[] = {
    {u"count", 1, DISPATCH_PROPERTYGET, kCountParams, true},
    {u"item", 2, DISPATCH_METHOD, kItemParams, true},
    {u"Add", 3, DISPATCH_METHOD, kAddParams, false},
};

constexpr InterfaceInfo kConverterInterface = {u"IXH2XConverter", IXH2XConverter::kIID,
                                               kConverterMembers};
constexpr InterfaceInfo kComponentIdsInterface = {u"IComponentIDs", IComponentIDs::kIID,
                                                  kComponentIdsMembers};

constexpr CoclassInfo kCoclasses[] = {
    {u"XH2XConverter", CLSID_XH2XConverter, &kConverterInterface, u"XH2XConverter Class",
     u"KPXHTML2XMLConverter4.XH2XConverter"},
    {u"ComponentIDs", CLSID_ComponentIDs, &kComponentIdsInterface, u"ComponentIDs Class",
     u"KPXHTML2XMLConverter4.ComponentIDs"},
};

constexpr EnumValueInfo kTableOperationValues[] = {
    {u"opDebug", 0},
    {u"opInsertColumn", 1},
    {u"opInsertColumnToTheLeft", 2},
    {u"opInsertColumnToTheRight", 3},
    {u"opInsertRow", 4},
    {u"opInsertRowToTheTop", 5},
    {u"opInsertRowToTheBottom", 6},
    {u"opDeleteColumn", 7},
    {u"opDeleteRow", 8},
    {u"opMergeCells", 9},
    {u"opSplitCellHorizontally", 10},
    {u"opSplitCellVertically", 11},
    {u"opMoveColumnLeft", 12},
    {u"opMoveColumnRight", 13},
    {u"opMoveRowUp", 14},
    {u"opMoveRowDown", 15},
    {u"opDeleteCell", 16},
    {u"opInsertCell", 17},
    {u"opSplitCell", 18},
};
constexpr EnumValueInfo kTableOperationExValues[] = {{u"opexDebug", 0}, {u"opexSmartSpan", 1}};
constexpr EnumInfo kEnums[] = {
    {u"enumTableOperation", kTableOperationValues},
    {u"enumTableOperationEx", kTableOperationExValues},
};

constexpr TypeLibraryInfo kTypeLibrary = {u"KPXHTML2XMLCONVERTERLib",
                                          LIBID_KPXHTML2XMLCONVERTERLib,
                                          1,
                                          0,
                                          u"KPXHTML2XMLConverter 1.0 Type Library",
                                          kCoclasses,
                                          kEnums};

}  // namespace

const TypeLibraryInfo& TypeLibrary() {
  return kTypeLibrary;
}
const InterfaceInfo& ConverterInterfaceInfo() {
  return kConverterInterface;
}
const InterfaceInfo& ComponentIdsInterfaceInfo() {
  return kComponentIdsInterface;
}

const MemberInfo* FindMember(const InterfaceInfo& info, std::u16string_view name) {
  for (const MemberInfo& member : info.members) {
    if (EqualsIgnoringAsciiCase(member.name, name)) return &member;
  }
  return nullptr;
}

const MemberInfo* FindMember(const InterfaceInfo& info, DISPID dispid) {
  for (const MemberInfo& member : info.members) {
    if (member.dispid == dispid) return &member;
  }
  return nullptr;
}

}  // namespace kpx
