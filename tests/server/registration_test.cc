// Registration in the registry store: what is written, twice, and what unregistration leaves.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "kpx/converter.h"
#include "registry/registry_store.h"
#include "server/registration.h"

namespace {

using kpx::RegistryHive;
using kpx::RegistryStore;

constexpr RegistryHive kRoot = RegistryHive::kClassesRoot;
constexpr std::u16string_view kConverterKey = u"CLSID\\{b0810e30-de6d-48ca-a90b-14e5481822d9}";
constexpr std::u16string_view kIdsKey = u"CLSID\\{5bd2d804-3b9c-4302-a961-2f12be85a3cd}";

// Every (key path, value name, value) of the classes root, sorted: the store's content without
// its order.
std::vector<std::u16string> Entries(const RegistryStore& store, const std::u16string& key = u"") {
  std::vector<std::u16string> out;
  for (const std::u16string& name : store.ValueNames(kRoot, key)) {
    out.push_back(key + u"|" + name + u"=" + *store.GetValue(kRoot, key, name));
  }
  out.push_back(key);
  for (const std::u16string& sub : store.SubKeys(kRoot, key)) {
    auto more = Entries(store, key.empty() ? sub : key + u"\\" + sub);
    out.insert(out.end(), more.begin(), more.end());
  }
  std::sort(out.begin(), out.end());
  return out;
}

class RegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        std::filesystem::temp_directory_path() / ("kpx-registration-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir_);
    path_ = (dir_ / "registry.xml").string();
    setenv("KPX_REGISTRY", path_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("KPX_REGISTRY");
    std::filesystem::remove_all(dir_);
  }
  std::filesystem::path dir_;
  std::string path_;
};

TEST_F(RegistrationTest, WritesTheClassAndProgIdKeys) {
  RegistryStore store = RegistryStore::Load(path_);
  kpx::RegisterServer(store, u"/opt/kpx/lib/libkpxhtml2xml.so");
  struct Row {
    std::u16string key;
    std::u16string name;
    std::u16string value;
  };
  const std::u16string converter(kConverterKey);
  const Row rows[] = {
      {u"KPXHTML2XMLConverter4.XH2XConverter.1", u"", u"XH2XConverter Class"},
      {u"KPXHTML2XMLConverter4.XH2XConverter.1\\CLSID", u"",
       u"{b0810e30-de6d-48ca-a90b-14e5481822d9}"},
      {u"KPXHTML2XMLConverter4.XH2XConverter\\CurVer", u"",
       u"KPXHTML2XMLConverter4.XH2XConverter.1"},
      {converter, u"", u"XH2XConverter Class"},
      {converter + u"\\ProgID", u"", u"KPXHTML2XMLConverter4.XH2XConverter.1"},
      {converter + u"\\VersionIndependentProgID", u"", u"KPXHTML2XMLConverter4.XH2XConverter"},
      {converter + u"\\InprocServer32", u"", u"/opt/kpx/lib/libkpxhtml2xml.so"},
      {converter + u"\\InprocServer32", u"ThreadingModel", u"Apartment"},
      {converter + u"\\TypeLib", u"", u"{35c17635-84c7-4418-b1fd-4b4dc798c9fa}"},
      {std::u16string(kIdsKey) + u"\\ProgID", u"", u"KPXHTML2XMLConverter4.ComponentIDs.1"},
      {u"KPXHTML2XMLConverter4.ComponentIDs\\CurVer", u"", u"KPXHTML2XMLConverter4.ComponentIDs.1"},
      {u"TypeLib\\{35c17635-84c7-4418-b1fd-4b4dc798c9fa}\\1.0\\0\\linux", u"",
       u"/opt/kpx/lib/libkpxhtml2xml.so"},
      {u"Interface\\{de0ba08c-b278-4e14-8093-9464e29f276f}\\TypeLib", u"",
       u"{35c17635-84c7-4418-b1fd-4b4dc798c9fa}"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.key.begin(), row.key.end()));
    EXPECT_EQ(store.GetValue(kRoot, row.key, row.name), row.value);
  }
  EXPECT_TRUE(store.KeyExists(kRoot, converter + u"\\Programmable"));
}

TEST_F(RegistrationTest, RegisteringTwiceLeavesOneSet) {
  RegistryStore store = RegistryStore::Load(path_);
  store.SetValue(kRoot, std::u16string(kConverterKey) + u"\\Stale", u"", u"from an old version");
  kpx::RegisterServer(store, u"/a/libkpxhtml2xml.so");
  const auto once = Entries(store);
  kpx::RegisterServer(store, u"/a/libkpxhtml2xml.so");
  EXPECT_EQ(Entries(store), once);
  EXPECT_GT(once.size(), 40u);
  // The class key was replaced whole.
  EXPECT_FALSE(store.KeyExists(kRoot, std::u16string(kConverterKey) + u"\\Stale"));
}

TEST_F(RegistrationTest, UnregisteringKeepsTheRoots) {
  RegistryStore store = RegistryStore::Load(path_);
  store.SetValue(kRoot, u"CLSID\\{00000000-1111-2222-3333-444444444444}", u"", u"someone else");
  kpx::RegisterServer(store, u"/a/libkpxhtml2xml.so");
  kpx::UnregisterServer(store);
  EXPECT_TRUE(store.KeyExists(kRoot, u"CLSID"));
  EXPECT_TRUE(store.KeyExists(kRoot, u"CLSID\\{00000000-1111-2222-3333-444444444444}"));
  for (std::u16string_view key :
       {kConverterKey, kIdsKey, std::u16string_view(u"KPXHTML2XMLConverter4.XH2XConverter"),
        std::u16string_view(u"KPXHTML2XMLConverter4.XH2XConverter.1"),
        std::u16string_view(u"KPXHTML2XMLConverter4.ComponentIDs.1"),
        std::u16string_view(u"TypeLib\\{35c17635-84c7-4418-b1fd-4b4dc798c9fa}"),
        std::u16string_view(u"Interface\\{7cb54abf-1d03-48e3-b215-4b019828c433}")}) {
    EXPECT_FALSE(store.KeyExists(kRoot, key));
  }
}

TEST_F(RegistrationTest, EntryPointsUseTheStoreAndTheModulePath) {
  ASSERT_EQ(DllRegisterServer(), S_OK);
  RegistryStore store = RegistryStore::Load(path_);
  auto module = store.GetValue(kRoot, std::u16string(kConverterKey) + u"\\InprocServer32", u"");
  ASSERT_TRUE(module);
  EXPECT_EQ(module->substr(module->size() - 12), u"server_tests");  // linked into this test
  ASSERT_EQ(DllUnregisterServer(), S_OK);
  EXPECT_FALSE(RegistryStore::Load(path_).KeyExists(kRoot, kConverterKey));

  // A damaged store is reported and not replaced.
  std::filesystem::create_directories(dir_);
  FILE* f = std::fopen(path_.c_str(), "w");
  std::fputs("<registry>", f);
  std::fclose(f);
  EXPECT_EQ(DllRegisterServer(), REGDB_E_READREGDB);
  EXPECT_EQ(std::filesystem::file_size(path_), 10u);
}

}  // namespace
