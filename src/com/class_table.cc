// The in-process class table: class identifier to creation function. It holds the document
// stand-in classes (entered by the module that assembles the process, see class_table.h) and
// classes a host registers (such as its formatter).
#include "com/class_table.h"

#include <mutex>
#include <vector>

#include "base/status.h"

namespace kpx {

namespace {

struct ClassEntry {
  CLSID clsid;
  KpxCreateFunction create;
};

struct ClassTable {
  std::mutex mutex;
  std::vector<ClassEntry> entries;
};

ClassTable& Table() {
  static ClassTable table;
  return table;
}

void SetEntryLocked(ClassTable& table, REFCLSID clsid, KpxCreateFunction create) {
  for (auto it = table.entries.begin(); it != table.entries.end(); ++it) {
    if (it->clsid == clsid) {
      if (create) {
        it->create = create;
      } else {
        table.entries.erase(it);
      }
      return;
    }
  }
  if (create) table.entries.push_back({clsid, create});
}

}  // namespace

}  // namespace kpx

extern "C" {

KPX_API HRESULT KpxRegisterClass(REFCLSID clsid, KpxCreateFunction create) noexcept {
  return kpx::Guarded([&] {
    kpx::ClassTable& table = kpx::Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    kpx::SetEntryLocked(table, clsid, create);
    return S_OK;
  });
}

KPX_API HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                                 void** ppv) noexcept {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  // Every class here is in-process: a context that does not allow that cannot be served.
  if (!(context & (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER))) return REGDB_E_CLASSNOTREG;
  // The creation function may be a host's.
  return kpx::Guarded([&] {
    KpxCreateFunction create = nullptr;
    {
      kpx::ClassTable& table = kpx::Table();
      std::lock_guard<std::mutex> lock(table.mutex);
      for (const auto& entry : table.entries) {
        if (entry.clsid == clsid) create = entry.create;
      }
    }
    if (!create) return REGDB_E_CLASSNOTREG;
    if (outer) return CLASS_E_NOAGGREGATION;
    return create(outer, riid, ppv);
  });
}

}  // extern "C"
