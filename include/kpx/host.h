// The host IDE's objects as the converter sees them. The host implements these; the converter
// calls them. Positions marked "fixed" are the hosts' own function-table positions and must not
// move; the calls the library added for its later stages take positions of its own choosing, in
// gaps or after the last fixed one. Every gap is a reserved entry (KPX_RESERVED) that answers
// E_NOTIMPL, so that each declared function sits exactly at its stated position and a host
// implements only what it offers.
//
// Strings: BSTRs passed in are owned by the caller; BSTRs returned through out parameters are
// owned by the receiver, who frees them. Interfaces returned through out parameters carry a
// reference for the receiver.
#pragma once

#include "kpx/com.h"

KPX_INTERFACES_BEGIN

// Laid out by hand down to HostView: the rows of KPX_RESERVED entries fill the gaps of the
// function tables.
// clang-format off
#define KPX_RESERVED(n) \
  virtual HRESULT Reserved##n() { return E_NOTIMPL; }

struct HostProject;
struct HostProjectSettings;
struct HostProjectItem;
struct HostMessageWindow;
struct HostPageModel;
struct HostView;
struct HostWindow;

// Message kinds passed to HostMessageWindow::AddMessage.
constexpr LONG MessageInfo = 1;
constexpr LONG MessageWarning = 2;
constexpr LONG MessageError = 3;

// The application object handed to initialize (queried for this interface).
struct HostApplication : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {0xD16CE851, 0x5019, 0x40BB,
                               {0x9B, 0x76, 0x59, 0xFD, 0xF0, 0xDC, 0x91, 0x17}};
  virtual HRESULT GetProject(HostProject** project) = 0;  // 7, fixed; may yield null
  KPX_RESERVED(8) KPX_RESERVED(9)
  virtual HRESULT GetMessageWindow(HostMessageWindow** window) = 0;  // 10, fixed
  KPX_RESERVED(11)
  // 12, fixed: an object that is queried for HostOptions.
  virtual HRESULT GetOptions(IUnknown** options) = 0;
  KPX_RESERVED(13) KPX_RESERVED(14) KPX_RESERVED(15) KPX_RESERVED(16) KPX_RESERVED(17) KPX_RESERVED(18) KPX_RESERVED(19) KPX_RESERVED(20)
  KPX_RESERVED(21) KPX_RESERVED(22) KPX_RESERVED(23)
  // 24, fixed: an object that is queried for HostLocalizer.
  virtual HRESULT GetLocalizer(IUnknown** localizer) = 0;
  KPX_RESERVED(25) KPX_RESERVED(26) KPX_RESERVED(27) KPX_RESERVED(28) KPX_RESERVED(29) KPX_RESERVED(30) KPX_RESERVED(31) KPX_RESERVED(32)
  KPX_RESERVED(33) KPX_RESERVED(34) KPX_RESERVED(35) KPX_RESERVED(36) KPX_RESERVED(37) KPX_RESERVED(38) KPX_RESERVED(39) KPX_RESERVED(40)
  KPX_RESERVED(41) KPX_RESERVED(42) KPX_RESERVED(43) KPX_RESERVED(44) KPX_RESERVED(45) KPX_RESERVED(46) KPX_RESERVED(47) KPX_RESERVED(48)
  KPX_RESERVED(49) KPX_RESERVED(50) KPX_RESERVED(51) KPX_RESERVED(52) KPX_RESERVED(53) KPX_RESERVED(54) KPX_RESERVED(55) KPX_RESERVED(56)
  KPX_RESERVED(57) KPX_RESERVED(58) KPX_RESERVED(59) KPX_RESERVED(60) KPX_RESERVED(61) KPX_RESERVED(62) KPX_RESERVED(63) KPX_RESERVED(64)
  KPX_RESERVED(65) KPX_RESERVED(66) KPX_RESERVED(67) KPX_RESERVED(68) KPX_RESERVED(69) KPX_RESERVED(70) KPX_RESERVED(71) KPX_RESERVED(72)
  KPX_RESERVED(73) KPX_RESERVED(74) KPX_RESERVED(75) KPX_RESERVED(76) KPX_RESERVED(77) KPX_RESERVED(78) KPX_RESERVED(79) KPX_RESERVED(80)
  KPX_RESERVED(81) KPX_RESERVED(82) KPX_RESERVED(83) KPX_RESERVED(84) KPX_RESERVED(85) KPX_RESERVED(86) KPX_RESERVED(87) KPX_RESERVED(88)
  KPX_RESERVED(89) KPX_RESERVED(90) KPX_RESERVED(91) KPX_RESERVED(92) KPX_RESERVED(93) KPX_RESERVED(94) KPX_RESERVED(95) KPX_RESERVED(96)
  KPX_RESERVED(97) KPX_RESERVED(98) KPX_RESERVED(99) KPX_RESERVED(100) KPX_RESERVED(101) KPX_RESERVED(102) KPX_RESERVED(103) KPX_RESERVED(104)
  KPX_RESERVED(105) KPX_RESERVED(106) KPX_RESERVED(107) KPX_RESERVED(108) KPX_RESERVED(109) KPX_RESERVED(110) KPX_RESERVED(111) KPX_RESERVED(112)
  KPX_RESERVED(113) KPX_RESERVED(114) KPX_RESERVED(115) KPX_RESERVED(116) KPX_RESERVED(117) KPX_RESERVED(118) KPX_RESERVED(119) KPX_RESERVED(120)
  KPX_RESERVED(121) KPX_RESERVED(122) KPX_RESERVED(123) KPX_RESERVED(124) KPX_RESERVED(125)
  // 126, fixed: template block lookup of the pre-patch pass. In: the block name and the two
  // values of the pass's block state; out: two integers (-1 when the host knows nothing).
  virtual HRESULT LookupTemplateBlock(BSTR name, LONG state1, LONG state2, LONG* result1,
                                      LONG* result2) = 0;
  // 127: the component-type registry. For a type name the host knows: S_OK, *known true, the
  // three class booleans and the canonical type name. Unknown type: S_OK with *known false.
  // E_NOTIMPL when the host keeps no registry (the library then uses its built-in table).
  virtual HRESULT GetComponentClass(BSTR typeName, VARIANT_BOOL* known, VARIANT_BOOL* container,
                                    VARIANT_BOOL* simple, VARIANT_BOOL* block,
                                    BSTR* canonicalName) = 0;
};

// Options by section and name.
struct HostOptions : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {0x4C9CC5A6, 0x1A39, 0x43E4,
                               {0xAB, 0x32, 0xF3, 0xD1, 0x8F, 0x5A, 0x10, 0x2C}};
  KPX_RESERVED(7) KPX_RESERVED(8) KPX_RESERVED(9) KPX_RESERVED(10)
  // 11, fixed: a non-zero status means "not set".
  virtual HRESULT ReadOption(BSTR section, BSTR name, BSTR* value) = 0;
  virtual HRESULT WriteOption(BSTR section, BSTR name, BSTR value) = 0;  // 12, fixed
};

// Localized message texts by key.
struct HostLocalizer : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {0xC59037C4, 0x474D, 0x46B8,
                               {0x96, 0x50, 0xEA, 0x2F, 0x8B, 0x2B, 0xFC, 0x7C}};
  virtual HRESULT GetMessage(BSTR key, BSTR* text) = 0;  // 7, fixed
};

// The host's message window. The converter does not read the result of AddMessage.
struct HostMessageWindow : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {0xCBAE34C7, 0x57C1, 0x4996,
                               {0x90, 0x9D, 0xB6, 0x73, 0x4D, 0x50, 0xC0, 0xD2}};
  virtual HRESULT AddMessage(LONG kind, BSTR text) = 0;  // 7, fixed
};

struct HostProject : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {0x6F949371, 0x48EC, 0x4F0E,
                               {0xB4, 0x95, 0x5D, 0x61, 0x6E, 0x40, 0x8C, 0x2C}};
  KPX_RESERVED(7) KPX_RESERVED(8)
  virtual HRESULT GetValue(BSTR name, BSTR* value) = 0;  // 9, fixed
  virtual HRESULT SetValue(BSTR name, BSTR value) = 0;   // 10, fixed
  KPX_RESERVED(11) KPX_RESERVED(12) KPX_RESERVED(13) KPX_RESERVED(14) KPX_RESERVED(15) KPX_RESERVED(16) KPX_RESERVED(17) KPX_RESERVED(18)
  KPX_RESERVED(19) KPX_RESERVED(20) KPX_RESERVED(21) KPX_RESERVED(22) KPX_RESERVED(23) KPX_RESERVED(24) KPX_RESERVED(25) KPX_RESERVED(26)
  KPX_RESERVED(27) KPX_RESERVED(28) KPX_RESERVED(29) KPX_RESERVED(30) KPX_RESERVED(31) KPX_RESERVED(32) KPX_RESERVED(33) KPX_RESERVED(34)
  KPX_RESERVED(35) KPX_RESERVED(36) KPX_RESERVED(37) KPX_RESERVED(38) KPX_RESERVED(39) KPX_RESERVED(40) KPX_RESERVED(41) KPX_RESERVED(42)
  KPX_RESERVED(43) KPX_RESERVED(44) KPX_RESERVED(45) KPX_RESERVED(46) KPX_RESERVED(47) KPX_RESERVED(48) KPX_RESERVED(49) KPX_RESERVED(50)
  KPX_RESERVED(51) KPX_RESERVED(52) KPX_RESERVED(53) KPX_RESERVED(54) KPX_RESERVED(55) KPX_RESERVED(56) KPX_RESERVED(57) KPX_RESERVED(58)
  KPX_RESERVED(59) KPX_RESERVED(60) KPX_RESERVED(61)
  virtual HRESULT GetSettings(HostProjectSettings** settings) = 0;  // 62, fixed
  KPX_RESERVED(63) KPX_RESERVED(64) KPX_RESERVED(65) KPX_RESERVED(66) KPX_RESERVED(67) KPX_RESERVED(68) KPX_RESERVED(69) KPX_RESERVED(70)
  KPX_RESERVED(71) KPX_RESERVED(72) KPX_RESERVED(73) KPX_RESERVED(74) KPX_RESERVED(75) KPX_RESERVED(76) KPX_RESERVED(77) KPX_RESERVED(78)
  KPX_RESERVED(79) KPX_RESERVED(80) KPX_RESERVED(81) KPX_RESERVED(82) KPX_RESERVED(83) KPX_RESERVED(84) KPX_RESERVED(85) KPX_RESERVED(86)
  KPX_RESERVED(87) KPX_RESERVED(88)
  virtual HRESULT GetItem(BSTR name, HostProjectItem** item) = 0;  // 89, fixed
  // 90: the project's directory.
  virtual HRESULT GetDirectory(BSTR* directory) = 0;
  // 91: the translation of a resource name in a language; S_FALSE and null when there is none.
  virtual HRESULT GetTranslation(BSTR language, BSTR name, BSTR* text) = 0;
};

struct HostProjectSettings : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {0xCFDE91C3, 0x00AD, 0x4198,
                               {0xA5, 0xFD, 0x1E, 0x84, 0xDC, 0xAF, 0xAE, 0x76}};
  KPX_RESERVED(7) KPX_RESERVED(8)
  virtual HRESULT GetValue(BSTR name, BSTR* value) = 0;  // 9, fixed
};

struct HostProjectItem : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {0xE9FF109C, 0xDBD5, 0x4A35,
                               {0x9C, 0x35, 0x49, 0x11, 0xA7, 0x00, 0xCF, 0xF3}};
  KPX_RESERVED(7) KPX_RESERVED(8) KPX_RESERVED(9) KPX_RESERVED(10) KPX_RESERVED(11)
  // 12, fixed: zero status on success.
  virtual HRESULT GetProperty(BSTR name, BSTR* value) = 0;
};

// The page's text as the host holds it (queried on a page object).
struct HostPageDocument : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {0xB6C69FA1, 0xE632, 0x4485,
                               {0xAE, 0xE3, 0xAF, 0xA2, 0x2C, 0x27, 0xE5, 0xFB}};
  KPX_RESERVED(7) KPX_RESERVED(8) KPX_RESERVED(9) KPX_RESERVED(10) KPX_RESERVED(11) KPX_RESERVED(12) KPX_RESERVED(13) KPX_RESERVED(14)
  KPX_RESERVED(15) KPX_RESERVED(16) KPX_RESERVED(17) KPX_RESERVED(18) KPX_RESERVED(19) KPX_RESERVED(20) KPX_RESERVED(21) KPX_RESERVED(22)
  KPX_RESERVED(23) KPX_RESERVED(24) KPX_RESERVED(25) KPX_RESERVED(26) KPX_RESERVED(27) KPX_RESERVED(28) KPX_RESERVED(29) KPX_RESERVED(30)
  KPX_RESERVED(31) KPX_RESERVED(32) KPX_RESERVED(33) KPX_RESERVED(34) KPX_RESERVED(35) KPX_RESERVED(36) KPX_RESERVED(37) KPX_RESERVED(38)
  KPX_RESERVED(39) KPX_RESERVED(40) KPX_RESERVED(41) KPX_RESERVED(42) KPX_RESERVED(43) KPX_RESERVED(44) KPX_RESERVED(45) KPX_RESERVED(46)
  KPX_RESERVED(47) KPX_RESERVED(48) KPX_RESERVED(49) KPX_RESERVED(50) KPX_RESERVED(51) KPX_RESERVED(52) KPX_RESERVED(53) KPX_RESERVED(54)
  KPX_RESERVED(55) KPX_RESERVED(56) KPX_RESERVED(57) KPX_RESERVED(58) KPX_RESERVED(59) KPX_RESERVED(60) KPX_RESERVED(61) KPX_RESERVED(62)
  KPX_RESERVED(63) KPX_RESERVED(64) KPX_RESERVED(65) KPX_RESERVED(66) KPX_RESERVED(67) KPX_RESERVED(68) KPX_RESERVED(69) KPX_RESERVED(70)
  KPX_RESERVED(71) KPX_RESERVED(72)
  // 73, fixed: in 0; the page's current template text. A negative status is a failure.
  virtual HRESULT GetText(LONG which, BSTR* text) = 0;
};

// The page's model of components: answered by the page and by each of its components. Getters
// with nothing to return (no parent, no such component) give S_FALSE and null.
struct HostPageModel : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {0xA6F1FCED, 0x2321, 0x409C,
                               {0xBC, 0x13, 0x4B, 0xE0, 0x06, 0xC9, 0x91, 0x31}};
  virtual HRESULT GetProject(HostProject** project) = 0;  // 7, fixed
  virtual HRESULT GetId(LONG* id) = 0;                    // 8: page or component identifier
  virtual HRESULT GetName(BSTR* name) = 0;                // 9
  virtual HRESULT GetParent(HostPageModel** parent) = 0;  // 10: null for the page
  virtual HRESULT GetTypeName(BSTR* type) = 0;            // 11: component type; "Page" for a page
  virtual HRESULT GetElementName(BSTR* element) = 0;      // 12: the component's XML element name
  virtual HRESULT GetIsContainer(VARIANT_BOOL* container) = 0;  // 13
  virtual HRESULT GetComponentCount(LONG* count) = 0;     // 14: direct child components
  virtual HRESULT GetComponent(LONG index, HostPageModel** component) = 0;  // 15: 0-based
  // 16: a direct child component by name, compared without regard to case.
  virtual HRESULT FindComponentByName(BSTR name, HostPageModel** component) = 0;
  // 17: any component of the page by identifier.
  virtual HRESULT FindComponentById(LONG id, HostPageModel** component) = 0;
  // 18: a property of the page or component ("isIncluded" on a page); S_FALSE and null if unset.
  virtual HRESULT GetProperty(BSTR name, BSTR* value) = 0;
  // 19: a property of the component's type descriptor ("hasExtendedHtml").
  virtual HRESULT GetTypeProperty(BSTR name, BSTR* value) = 0;
  virtual HRESULT GetHtml(BSTR* html) = 0;                // 20: the component's current HTML
  virtual HRESULT GetFileName(BSTR* fileName) = 0;        // 21: the page's file name
  virtual HRESULT GetDirectory(BSTR* directory) = 0;      // 22: the page's directory
  // 23: the object the host formatter is initialised with.
  virtual HRESULT GetFormatterContext(IUnknown** context) = 0;
  virtual HRESULT GetPage(HostPageModel** page) = 0;      // 24: the page a component belongs to
  // 25: where the editor shows the component; S_FALSE when it shows it nowhere of its own (the
  // back transformation then has the formatter rewrite its extent). A host that does not
  // implement it reports no position.
  virtual HRESULT GetPosition(LONG* position) {
    if (position) *position = 0;
    return E_NOTIMPL;
  }
  KPX_RESERVED(26) KPX_RESERVED(27) KPX_RESERVED(28) KPX_RESERVED(29) KPX_RESERVED(30) KPX_RESERVED(31)
  virtual HRESULT GetView(HostView** view) = 0;  // 32, fixed
};

// The page's view: gives the window that owns the library's dialogs.
struct HostView : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {0x2A62A0D3, 0x755B, 0x40BE,
                               {0xBA, 0x8E, 0x28, 0x77, 0xDC, 0xE3, 0xCB, 0x5D}};
  KPX_RESERVED(7) KPX_RESERVED(8) KPX_RESERVED(9) KPX_RESERVED(10) KPX_RESERVED(11) KPX_RESERVED(12) KPX_RESERVED(13) KPX_RESERVED(14)
  KPX_RESERVED(15) KPX_RESERVED(16) KPX_RESERVED(17) KPX_RESERVED(18) KPX_RESERVED(19) KPX_RESERVED(20) KPX_RESERVED(21) KPX_RESERVED(22)
  KPX_RESERVED(23) KPX_RESERVED(24) KPX_RESERVED(25) KPX_RESERVED(26) KPX_RESERVED(27) KPX_RESERVED(28) KPX_RESERVED(29) KPX_RESERVED(30)
  KPX_RESERVED(31) KPX_RESERVED(32) KPX_RESERVED(33) KPX_RESERVED(34) KPX_RESERVED(35) KPX_RESERVED(36) KPX_RESERVED(37) KPX_RESERVED(38)
  KPX_RESERVED(39) KPX_RESERVED(40) KPX_RESERVED(41) KPX_RESERVED(42) KPX_RESERVED(43) KPX_RESERVED(44) KPX_RESERVED(45) KPX_RESERVED(46)
  virtual HRESULT GetWindow(HostWindow** window) = 0;  // 47, fixed
};
// clang-format on

// The host window. On this platform the library's modal dialogs are asked through it: the
// switch-to-design question shows the caption, the text, the two button labels and the check box
// label, and answers Yes (VARIANT_TRUE) or No, with the state of the check box.
struct HostWindow : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x29265A31, 0xF9A8, 0x4FD4, {0xA3, 0xA7, 0x6D, 0x48, 0x05, 0x3D, 0x1C, 0x4B}};
  virtual HRESULT AskSwitchToDesign(BSTR caption, BSTR text, BSTR yesLabel, BSTR noLabel,
                                    BSTR dontShowAgainLabel, VARIANT_BOOL* yes,
                                    VARIANT_BOOL* dontShowAgain) = 0;  // 7
};

// The host's formatter: turns the design-view HTML of one component back into template text.
// Created by the library as class CLSID_HostFormatter, which the host registers (KpxRegisterClass).
struct HostFormatter : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x8A281144, 0x42B6, 0x46E1, {0xAA, 0x41, 0xCD, 0x36, 0x34, 0xC3, 0xF4, 0x02}};
  virtual HRESULT Initialize(IUnknown* context) = 0;  // 7: the page's formatter context
  virtual HRESULT Format(BSTR* html) = 0;             // 8: in/out: one component extent
};

constexpr CLSID CLSID_HostFormatter = {
    0x7DB30325, 0x785F, 0x4EC1, {0x81, 0x08, 0xFB, 0xFA, 0xA0, 0x46, 0x47, 0xF7}};

KPX_INTERFACES_END
