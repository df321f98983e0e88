// What registration writes: for each class its two ProgIDs and its class key, and for the type
// library its TypeLib key and the keys of its dual interfaces.
#include "server/registration.h"

#include "htmldom/classes.h"
#include "xmldom/classes.h"

#include <mutex>

#include "base/status.h"
#include "kpx/converter.h"
#include "server/component_ids.h"
#include "server/type_library.h"
#include "server/xh2x_converter.h"

namespace kpx {

namespace {

constexpr RegistryHive kRoot = RegistryHive::kClassesRoot;
// The automation marshaler that dual interfaces name as their proxy.
constexpr CLSID kAutomationMarshaler = {
    0x00020424, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// "{b0810e30-de6d-48ca-a90b-14e5481822d9}": registration data writes identifiers in lower case.
std::u16string GuidText(const GUID& guid) {
  OLECHAR text[39];
  StringFromGUID2(guid, text, 39);
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c >= u'A' && c <= u'F') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return out;
}

std::u16string VersionText(const TypeLibraryInfo& lib) {
  std::string v = std::to_string(lib.major_version) + "." + std::to_string(lib.minor_version);
  return std::u16string(v.begin(), v.end());
}

std::u16string ClassKey(const CoclassInfo& coclass) {
  return u"CLSID\\" + GuidText(coclass.clsid);
}

std::u16string VersionedProgId(const CoclassInfo& coclass) {
  return std::u16string(coclass.prog_id) + u".1";
}

std::u16string TypeLibKey(const TypeLibraryInfo& lib) {
  return u"TypeLib\\" + GuidText(lib.libid);
}

std::u16string InterfaceKey(const InterfaceInfo& info) {
  return u"Interface\\" + GuidText(info.iid);
}

void RemoveClass(RegistryStore& store, const CoclassInfo& coclass) {
  store.DeleteKey(kRoot, ClassKey(coclass));
  store.DeleteKey(kRoot, VersionedProgId(coclass));
  store.DeleteKey(kRoot, coclass.prog_id);
}

void WriteClass(RegistryStore& store, const CoclassInfo& coclass, const std::u16string& module,
                const TypeLibraryInfo& lib) {
  const std::u16string clsid = GuidText(coclass.clsid);
  const std::u16string versioned = VersionedProgId(coclass);
  const std::u16string independent(coclass.prog_id);

  store.SetValue(kRoot, versioned, u"", coclass.description);
  store.SetValue(kRoot, versioned + u"\\CLSID", u"", clsid);
  store.SetValue(kRoot, independent, u"", coclass.description);
  store.SetValue(kRoot, independent + u"\\CLSID", u"", clsid);
  store.SetValue(kRoot, independent + u"\\CurVer", u"", versioned);

  const std::u16string key = ClassKey(coclass);
  store.SetValue(kRoot, key, u"", coclass.description);
  store.SetValue(kRoot, key + u"\\ProgID", u"", versioned);
  store.SetValue(kRoot, key + u"\\VersionIndependentProgID", u"", independent);
  store.CreateKey(kRoot, key + u"\\Programmable");
  store.SetValue(kRoot, key + u"\\InprocServer32", u"", module);
  store.SetValue(kRoot, key + u"\\InprocServer32", u"ThreadingModel", u"Apartment");
  store.SetValue(kRoot, key + u"\\TypeLib", u"", GuidText(lib.libid));
}

void WriteTypeLibrary(RegistryStore& store, const TypeLibraryInfo& lib,
                      const std::u16string& module) {
  const std::u16string version_key = TypeLibKey(lib) + u"\\" + VersionText(lib);
  std::u16string directory = module.substr(
      0, module.find_last_of(u'/') == std::u16string::npos ? 0 : module.find_last_of(u'/'));
  store.SetValue(kRoot, version_key, u"", lib.help_string);
  store.SetValue(kRoot, version_key + u"\\0\\linux", u"", module);
  store.SetValue(kRoot, version_key + u"\\FLAGS", u"", u"0");
  store.SetValue(kRoot, version_key + u"\\HELPDIR", u"", directory);
  for (const CoclassInfo& coclass : lib.coclasses) {
    const InterfaceInfo& info = *coclass.default_interface;
    const std::u16string key = InterfaceKey(info);
    store.DeleteKey(kRoot, key);
    store.SetValue(kRoot, key, u"", info.name);
    store.SetValue(kRoot, key + u"\\ProxyStubClsid32", u"", GuidText(kAutomationMarshaler));
    store.SetValue(kRoot, key + u"\\TypeLib", u"", GuidText(lib.libid));
    store.SetValue(kRoot, key + u"\\TypeLib", u"Version", VersionText(lib));
  }
}

}  // namespace

void RegisterServer(RegistryStore& store, const std::u16string& module_path) {
  const TypeLibraryInfo& lib = TypeLibrary();
  for (const CoclassInfo& coclass : lib.coclasses) {
    RemoveClass(store, coclass);
    WriteClass(store, coclass, module_path, lib);
  }
  store.DeleteKey(kRoot, TypeLibKey(lib));
  WriteTypeLibrary(store, lib, module_path);
}

void UnregisterServer(RegistryStore& store) {
  const TypeLibraryInfo& lib = TypeLibrary();
  for (const CoclassInfo& coclass : lib.coclasses) {
    RemoveClass(store, coclass);
    store.DeleteKey(kRoot, InterfaceKey(*coclass.default_interface));
  }
  store.DeleteKey(kRoot, TypeLibKey(lib));
}

void RegisterStandInClasses() {
  RegisterXmlDomClasses();
  RegisterHtmlDomClasses();
}

void EnsureServerClassesRegistered() {
  RegisterStandInClasses();
  static std::once_flag once;
  // A failure (out of memory) throws, so that the next call tries again.
  std::call_once(once, [] {
    ThrowIfFailed(KpxRegisterClass(CLSID_XH2XConverter, &CreateXH2XConverter));
    ThrowIfFailed(KpxRegisterClass(CLSID_ComponentIDs, &CreateComponentIds));
  });
}

}  // namespace kpx
