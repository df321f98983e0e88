// A file-backed stand-in for the system registry: two hives of keys, each key with sub-keys and
// string values (the unnamed one is the key's default value). Key and value names compare without
// regard to ASCII case and keep the case they were written with.
//
// The file is XML (<registry><hive name="..."><key name="..."><value name="...">text</value>...).
// Saving writes a temporary file beside it and renames it over the old one, so an interrupted
// write never leaves a damaged store. A damaged or unreadable store is reported (RegistryError)
// and never replaced.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "base/status.h"

namespace kpx {

enum class RegistryHive { kClassesRoot, kCurrentUser };

// Reading or writing the store failed; the message names the file (and the line and column of a
// damaged one). The code is REGDB_E_READREGDB or REGDB_E_WRITEREGDB.
class RegistryError : public ConverterError {
 public:
  using ConverterError::ConverterError;
};

class RegistryStore {
 public:
  // The store's path: $KPX_REGISTRY, else $XDG_CONFIG_HOME/kpx2x/registry.xml, else
  // ~/.config/kpx2x/registry.xml.
  static std::string DefaultPath();

  // Reads the store at path; a missing file is an empty store. Throws RegistryError when the
  // file cannot be read or is not a store.
  static RegistryStore Load(const std::string& path);

  // Writes the store to the path it was loaded from, atomically; creates the folder if needed.
  // Throws RegistryError on failure (the old file is then untouched).
  void Save() const;

  // Loads, lets update change the store, and saves, holding an advisory lock on "<path>.lock"
  // so that two processes do not lose each other's changes.
  template <class F>
  static void Update(const std::string& path, F&& update);

  const std::string& path() const { return path_; }

  // Key paths are separated by "\" ("CLSID\{...}\InprocServer32"); empty parts are ignored.
  bool KeyExists(RegistryHive hive, std::u16string_view key) const;
  void CreateKey(RegistryHive hive, std::u16string_view key);
  // Removes the key with all its sub-keys and values; false when there was none.
  bool DeleteKey(RegistryHive hive, std::u16string_view key);
  // Sets a string value, creating the key; an empty name is the default value.
  void SetValue(RegistryHive hive, std::u16string_view key, std::u16string_view name,
                std::u16string_view value);
  std::optional<std::u16string> GetValue(RegistryHive hive, std::u16string_view key,
                                         std::u16string_view name) const;
  bool DeleteValue(RegistryHive hive, std::u16string_view key, std::u16string_view name);
  // Names of the direct sub-keys and of the values (default value as ""), in stored order.
  std::vector<std::u16string> SubKeys(RegistryHive hive, std::u16string_view key) const;
  std::vector<std::u16string> ValueNames(RegistryHive hive, std::u16string_view key) const;

  // The whole store as an indented tree, for people.
  std::string Dump() const;

  struct Key;

  RegistryStore(RegistryStore&&) noexcept;
  RegistryStore& operator=(RegistryStore&&) noexcept;
  ~RegistryStore();

 private:
  explicit RegistryStore(std::string path);
  static void UpdateLocked(const std::string& path, void (*fn)(RegistryStore&, void*), void* ctx);

  Key* Find(RegistryHive hive, std::u16string_view key) const;
  Key& Make(RegistryHive hive, std::u16string_view key);

  std::string path_;
  std::unique_ptr<Key> roots_[2];
};

template <class F>
void RegistryStore::Update(const std::string& path, F&& update) {
  using Fn = std::remove_reference_t<F>;
  UpdateLocked(
      path, [](RegistryStore& store, void* ctx) { (*static_cast<Fn*>(ctx))(store); },
      const_cast<void*>(static_cast<const void*>(&update)));
}

}  // namespace kpx
