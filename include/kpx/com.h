// The COM subset the library and its hosts share: status codes, GUIDs, system strings (BSTR),
// variants, IUnknown/IDispatch, the in-process class table and a smart pointer.
//
// Interfaces are abstract structs of pure virtual functions in function-table order without a
// virtual destructor, so the N-th declared function (counting IUnknown and IDispatch) sits at
// position N of the table, as hosts expect.
//
// Threads. Every object (a converter, a document, a node, a range, a class factory) is used from
// one thread at a time, reference counting included: its counts and state are not locked, so a
// host that hands an object to another thread makes sure the first is done with it (as the
// apartment model does). Different objects may be used on different threads at the same time:
// two converters, each with its own documents, run side by side with results identical to
// running them one after the other. What the library shares between them is made safe for that:
// the class table is locked, libtidy calls are serialized (the cleaner parts of an operation
// take turns), libxml2 and libxslt are set up once before their first use, and the process-wide
// switches are atomic. Of those switches, the attribute-escaping ones that an operation sets for
// its own duration change only what its thread sees; the re-entrancy flag of parse and
// forwardTransformationWithDOM is one for the process: while either runs on any converter, a
// call to either answers S_FALSE and does nothing. The free functions here (BSTR, VARIANT, GUID,
// CoCreateInstance, KpxRegisterClass) may be called from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#define KPX_API __attribute__((visibility("default")))

// Interfaces have no virtual destructor (see above; objects go with Release), so the warning about
// polymorphic classes without one is off between these two.
#define KPX_INTERFACES_BEGIN \
  _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Wnon-virtual-dtor\"")
#define KPX_INTERFACES_END _Pragma("GCC diagnostic pop")

// ---------------------------------------------------------------------------------------------
// Basic types
// ---------------------------------------------------------------------------------------------

using HRESULT = int32_t;
using ULONG = uint32_t;
using LONG = int32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using UINT = uint32_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using BYTE = uint8_t;
using LCID = uint32_t;
using DISPID = int32_t;
using VARTYPE = uint16_t;
using VARIANT_BOOL = int16_t;
using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using BSTR = OLECHAR*;

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

constexpr bool SUCCEEDED(HRESULT hr) {
  return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
  return hr < 0;
}

// Windows numeric values, so that statuses read the same on every platform.
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT E_ACCESSDENIED = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT REGDB_E_READREGDB = static_cast<HRESULT>(0x80040150u);
constexpr HRESULT REGDB_E_WRITEREGDB = static_cast<HRESULT>(0x80040151u);
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = static_cast<HRESULT>(0x80020001u);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
constexpr HRESULT DISP_E_PARAMNOTFOUND = static_cast<HRESULT>(0x80020004u);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);
constexpr HRESULT DISP_E_NONAMEDARGS = static_cast<HRESULT>(0x80020007u);
constexpr HRESULT DISP_E_BADVARTYPE = static_cast<HRESULT>(0x80020008u);
constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009u);
constexpr HRESULT DISP_E_OVERFLOW = static_cast<HRESULT>(0x8002000Au);
constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000Bu);
constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000Eu);
constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = static_cast<HRESULT>(0x8002000Fu);
constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = static_cast<HRESULT>(0x8002802Bu);
constexpr HRESULT TYPE_E_LIBNOTREGISTERED = static_cast<HRESULT>(0x8002801Du);

// ---------------------------------------------------------------------------------------------
// GUIDs
// ---------------------------------------------------------------------------------------------

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];

  friend constexpr bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i) {
      if (a.Data4[i] != b.Data4[i]) return false;
    }
    return true;
  }
};
using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// ---------------------------------------------------------------------------------------------
// IUnknown and IDispatch
// ---------------------------------------------------------------------------------------------

struct ITypeInfo;  // type information objects are opaque to callers of this subset

KPX_INTERFACES_BEGIN

struct IUnknown {
  using Base = void;
  static constexpr IID kIID = {
      0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
  virtual HRESULT QueryInterface(REFIID riid, void** ppv) = 0;  // 0
  virtual ULONG AddRef() = 0;                                   // 1
  virtual ULONG Release() = 0;                                  // 2
};

struct VARIANT;

struct DISPPARAMS {
  VARIANT* rgvarg;            // arguments, last first
  DISPID* rgdispidNamedArgs;  // identifiers of the named arguments
  UINT cArgs;
  UINT cNamedArgs;
};

struct EXCEPINFO {
  WORD wCode;
  WORD wReserved;
  BSTR bstrSource;
  BSTR bstrDescription;
  BSTR bstrHelpFile;
  DWORD dwHelpContext;
  void* pvReserved;
  void* pfnDeferredFillIn;
  HRESULT scode;
};

constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;
constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_PROPERTYPUT = -3;

struct IDispatch : IUnknown {
  using Base = IUnknown;
  static constexpr IID kIID = {
      0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
  virtual HRESULT GetTypeInfoCount(UINT* pctinfo) = 0;                           // 3
  virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;  // 4
  virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                DISPID* rgDispId) = 0;  // 5
  virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                         DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                         UINT* puArgErr) = 0;  // 6
};

struct IClassFactory : IUnknown {
  using Base = IUnknown;
  static constexpr IID kIID = {
      0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) = 0;  // 3
  virtual HRESULT LockServer(int32_t lock) = 0;                                  // 4
};

KPX_INTERFACES_END

// ---------------------------------------------------------------------------------------------
// VARIANT
// ---------------------------------------------------------------------------------------------

enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R8 = 5,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_UI4 = 19,
  VT_INT = 22,
  VT_BYREF = 0x4000,
};

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONG lVal;               // VT_I4
    SHORT iVal;              // VT_I2
    VARIANT_BOOL boolVal;    // VT_BOOL
    double dblVal;           // VT_R8
    ULONG ulVal;             // VT_UI4
    int32_t intVal;          // VT_INT
    HRESULT scode;           // VT_ERROR
    BSTR bstrVal;            // VT_BSTR
    IUnknown* punkVal;       // VT_UNKNOWN
    IDispatch* pdispVal;     // VT_DISPATCH
    LONG* plVal;             // VT_BYREF | VT_I4
    SHORT* piVal;            // VT_BYREF | VT_I2
    VARIANT_BOOL* pboolVal;  // VT_BYREF | VT_BOOL
    double* pdblVal;         // VT_BYREF | VT_R8
    BSTR* pbstrVal;          // VT_BYREF | VT_BSTR
    IUnknown** ppunkVal;     // VT_BYREF | VT_UNKNOWN
    IDispatch** ppdispVal;   // VT_BYREF | VT_DISPATCH
    VARIANT* pvarVal;        // VT_BYREF | VT_VARIANT
    void* byref;
  };
};
using VARIANTARG = VARIANT;

// ---------------------------------------------------------------------------------------------
// Functions (C linkage, exported by the library)
// ---------------------------------------------------------------------------------------------

// Context mask: any server (in-process, local or remote).
constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_ALL = 0x17;  // 23

// Creates an object through a class factory: returns an instance of the class.
using KpxCreateFunction = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);

extern "C" {

// None of the functions below throws: failures, running out of memory among them
// (E_OUTOFMEMORY), come back as a status or a null result.

// System strings: a length-prefixed, zero-terminated UTF-16 buffer. A null BSTR is the empty
// string. SysAllocString(nullptr) returns nullptr; allocation failure returns nullptr.
KPX_API BSTR SysAllocString(const OLECHAR* text) noexcept;
KPX_API BSTR SysAllocStringLen(const OLECHAR* text, UINT length) noexcept;
KPX_API void SysFreeString(BSTR text) noexcept;
KPX_API UINT SysStringLen(BSTR text) noexcept;
KPX_API int32_t SysReAllocStringLen(BSTR* text, const OLECHAR* from, UINT length) noexcept;

// Variants. VariantClear releases a held string or interface and leaves VT_EMPTY.
// VariantChangeType converts to VT_I4, VT_I2, VT_BOOL, VT_R8 or VT_BSTR as automation does;
// DISP_E_TYPEMISMATCH when the value cannot be read as the target, DISP_E_OVERFLOW when out of
// range, DISP_E_BADVARTYPE for a type outside this subset.
KPX_API void VariantInit(VARIANT* v) noexcept;
KPX_API HRESULT VariantClear(VARIANT* v) noexcept;
KPX_API HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) noexcept;
KPX_API HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT flags,
                                  VARTYPE vt) noexcept;

// The in-process class table: the library's own classes, the XML stand-in classes, and what a
// host registers. CoCreateInstance accepts any context mask that includes the in-process server
// (CLSCTX_ALL among them); REGDB_E_CLASSNOTREG for an unknown class; CLASS_E_NOAGGREGATION when
// an outer object is given.
KPX_API HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                                 void** ppv) noexcept;
// Registers (or replaces) a class; a null function removes it.
KPX_API HRESULT KpxRegisterClass(REFCLSID clsid, KpxCreateFunction create) noexcept;

// Text form of a GUID, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (upper case), into 39 code units.
KPX_API int32_t StringFromGUID2(REFGUID guid, OLECHAR* out, int32_t capacity) noexcept;
// Reads "{...}" (either case); E_INVALIDARG when the text is not a GUID.
KPX_API HRESULT CLSIDFromString(LPCOLESTR text, CLSID* out) noexcept;

}  // extern "C"

// ---------------------------------------------------------------------------------------------
// ComPtr: holds one reference and releases it on every way out.
// ---------------------------------------------------------------------------------------------

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference to p.
  explicit ComPtr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
  ComPtr(ComPtr&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  // From a pointer to a class that implements T.
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  ComPtr(const ComPtr<U>& other) : ComPtr(static_cast<T*>(other.Get())) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  ComPtr(ComPtr<U>&& other) noexcept : p_(other.Detach()) {}
  ~ComPtr() { Reset(); }

  ComPtr& operator=(const ComPtr& other) {
    if (this != &other) {
      T* old = p_;
      p_ = other.p_;
      if (p_) p_->AddRef();
      if (old) old->Release();
    }
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = other.p_;
      other.p_ = nullptr;
    }
    return *this;
  }

  // Takes over a reference that the caller already owns (an out parameter's result).
  static ComPtr Adopt(T* p) {
    ComPtr r;
    r.p_ = p;
    return r;
  }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // For out parameters: releases what is held and returns the slot.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  // Gives up ownership without releasing.
  T* Detach() {
    T* p = p_;
    p_ = nullptr;
    return p;
  }
  void Reset() {
    if (p_) {
      T* p = p_;
      p_ = nullptr;
      p->Release();
    }
  }

  // Queries the held object for interface U (identified by U::kIID).
  template <class U>
  ComPtr<U> As() const {
    ComPtr<U> out;
    if (p_) p_->QueryInterface(U::kIID, out.PutVoid());
    return out;
  }

 private:
  T* p_ = nullptr;
};
