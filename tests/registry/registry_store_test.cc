// The registry store: what is written comes back, replacement is atomic, damage is reported.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "registry/registry_store.h"

namespace {

namespace fs = std::filesystem;
using kpx::RegistryError;
using kpx::RegistryHive;
using kpx::RegistryStore;

class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("kpx-registry-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "sub" / "registry.xml").string();
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void WriteFile(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }

  fs::path dir_;
  std::string path_;
};

TEST_F(RegistryStoreTest, MissingFileIsAnEmptyStore) {
  RegistryStore store = RegistryStore::Load(path_);
  EXPECT_FALSE(store.KeyExists(RegistryHive::kClassesRoot, u"CLSID"));
  EXPECT_FALSE(fs::exists(path_));  // loading never creates the file
}

TEST_F(RegistryStoreTest, RoundTripKeepsKeysValuesAndText) {
  {
    RegistryStore store = RegistryStore::Load(path_);
    store.SetValue(RegistryHive::kClassesRoot, u"CLSID\\{B0810E30}", u"", u"XH2XConverter Class");
    store.SetValue(RegistryHive::kClassesRoot, u"CLSID\\{B0810E30}\\InprocServer32", u"",
                   u"/usr/lib/libkpxhtml2xml.so");
    store.SetValue(RegistryHive::kClassesRoot, u"CLSID\\{B0810E30}\\InprocServer32",
                   u"ThreadingModel", u"Apartment");
    store.CreateKey(RegistryHive::kClassesRoot, u"CLSID\\{B0810E30}\\Programmable");
    store.SetValue(RegistryHive::kCurrentUser, u"SOFTWARE\\Options", u"Colors",
                   u"#0066cc;<&>\"\u00e9\U0001F600");
    store.Save();
  }
  RegistryStore again = RegistryStore::Load(path_);
  EXPECT_EQ(again.GetValue(RegistryHive::kClassesRoot, u"clsid\\{b0810e30}", u""),
            u"XH2XConverter Class");  // names fold case
  EXPECT_EQ(again.GetValue(RegistryHive::kClassesRoot, u"CLSID\\{B0810E30}\\InprocServer32",
                           u"threadingmodel"),
            u"Apartment");
  EXPECT_TRUE(again.KeyExists(RegistryHive::kClassesRoot, u"CLSID\\{B0810E30}\\Programmable"));
  EXPECT_EQ(again.GetValue(RegistryHive::kCurrentUser, u"SOFTWARE\\Options", u"Colors"),
            u"#0066cc;<&>\"\u00e9\U0001F600");
  EXPECT_FALSE(again.GetValue(RegistryHive::kCurrentUser, u"CLSID\\{B0810E30}", u""));
  EXPECT_EQ(again.SubKeys(RegistryHive::kClassesRoot, u"CLSID\\{B0810E30}"),
            (std::vector<std::u16string>{u"InprocServer32", u"Programmable"}));
}

TEST_F(RegistryStoreTest, DeleteKeyRemovesTheSubtreeOnly) {
  RegistryStore store = RegistryStore::Load(path_);
  store.SetValue(RegistryHive::kClassesRoot, u"CLSID\\{A}\\InprocServer32", u"", u"a");
  store.SetValue(RegistryHive::kClassesRoot, u"CLSID\\{B}", u"", u"b");
  EXPECT_TRUE(store.DeleteKey(RegistryHive::kClassesRoot, u"CLSID\\{a}"));
  EXPECT_FALSE(store.DeleteKey(RegistryHive::kClassesRoot, u"CLSID\\{a}"));
  EXPECT_FALSE(store.DeleteKey(RegistryHive::kClassesRoot, u""));
  EXPECT_FALSE(store.KeyExists(RegistryHive::kClassesRoot, u"CLSID\\{A}\\InprocServer32"));
  EXPECT_TRUE(store.KeyExists(RegistryHive::kClassesRoot, u"CLSID\\{B}"));
  EXPECT_TRUE(store.DeleteValue(RegistryHive::kClassesRoot, u"CLSID\\{B}", u""));
  EXPECT_TRUE(store.KeyExists(RegistryHive::kClassesRoot, u"CLSID\\{B}"));
}

TEST_F(RegistryStoreTest, AVeryDeepKeyPathIsSavedLoadedDumpedAndDeleted) {
  // Far deeper than the stack would take one frame per level.
  constexpr std::size_t kDepth = 100000;
  std::u16string path = u"k";
  for (std::size_t i = 1; i < kDepth; ++i) path += u"\\k";
  {
    RegistryStore store = RegistryStore::Load(path_);
    store.SetValue(RegistryHive::kCurrentUser, path, u"", u"deep");
    store.SetValue(RegistryHive::kCurrentUser, u"k\\k\\side", u"", u"near");
    store.Save();
  }
  RegistryStore again = RegistryStore::Load(path_);
  EXPECT_EQ(again.GetValue(RegistryHive::kCurrentUser, path, u""), u"deep");
  EXPECT_EQ(again.SubKeys(RegistryHive::kCurrentUser, u"k\\k"),
            (std::vector<std::u16string>{u"k", u"side"}));
  const std::string dump = again.Dump();
  EXPECT_EQ(dump.rfind("HKEY_CLASSES_ROOT\nHKEY_CURRENT_USER\n  k\n    k\n      k\n", 0), 0u);
  EXPECT_NE(dump.find("side\n"), std::string::npos);
  EXPECT_NE(dump.find("(default) = \"deep\""), std::string::npos);
  EXPECT_LT(dump.size(), kDepth * 200);  // the indentation stops growing
  EXPECT_TRUE(again.DeleteKey(RegistryHive::kCurrentUser, u"k"));
}

TEST_F(RegistryStoreTest, SaveReplacesAtomicallyAndLeavesNoTemporaryFile) {
  RegistryStore store = RegistryStore::Load(path_);
  store.SetValue(RegistryHive::kCurrentUser, u"K", u"v", u"1");
  store.Save();
  struct stat before {};
  ASSERT_EQ(stat(path_.c_str(), &before), 0);
  store.SetValue(RegistryHive::kCurrentUser, u"K", u"v", u"2");
  store.Save();
  struct stat after {};
  ASSERT_EQ(stat(path_.c_str(), &after), 0);
  EXPECT_NE(before.st_ino,
            after.st_ino);  // a new file renamed over the old, not rewritten in place
  for (const auto& entry : fs::directory_iterator(fs::path(path_).parent_path())) {
    EXPECT_EQ(entry.path().filename(), "registry.xml");
  }
  EXPECT_EQ(RegistryStore::Load(path_).GetValue(RegistryHive::kCurrentUser, u"K", u"v"), u"2");
}

TEST_F(RegistryStoreTest, FailedSaveLeavesTheOldFile) {
  RegistryStore store = RegistryStore::Load(path_);
  store.SetValue(RegistryHive::kCurrentUser, u"K", u"v", u"old");
  store.Save();
  std::string old = ReadFile(path_);
  // A folder where the temporary file would go makes the write fail, even for root.
  fs::create_directory(path_ + ".tmp." + std::to_string(getpid()));
  store.SetValue(RegistryHive::kCurrentUser, u"K", u"v", u"new");
  EXPECT_THROW(store.Save(), RegistryError);
  EXPECT_EQ(ReadFile(path_), old);
}

TEST_F(RegistryStoreTest, DamagedFileIsReportedAndLeftAlone) {
  struct Row {
    const char* name;
    const char* text;
    const char* expected_in_message;
  };
  const Row rows[] = {
      {"not xml", "this is not a store", ":1:"},
      {"truncated", "<registry><hive name=\"HKEY_CURRENT_USER\"><key name=\"a\">", "damaged store"},
      {"wrong root", "<settings/>", "root element"},
      {"unknown hive", "<registry><hive name=\"HKEY_LOCAL_MACHINE\"/></registry>", "unknown hive"},
      {"key without name",
       "<registry>\n<hive name=\"HKEY_CURRENT_USER\">\n<key/></hive></registry>", ":3:"},
      {"stray element", "<registry><hive name=\"HKEY_CURRENT_USER\"><x/></hive></registry>",
       "unexpected element"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteFile(path_, row.text);
    try {
      RegistryStore::Load(path_);
      ADD_FAILURE() << "loaded a damaged store";
    } catch (const RegistryError& e) {
      EXPECT_EQ(e.code(), REGDB_E_READREGDB);
      std::string message = e.what();
      EXPECT_NE(message.find(path_), std::string::npos) << message;
      EXPECT_NE(message.find(row.expected_in_message), std::string::npos) << message;
    }
    EXPECT_EQ(ReadFile(path_), row.text);
    // An update on a damaged store fails before writing anything.
    EXPECT_THROW(RegistryStore::Update(path_, [](RegistryStore&) {}), RegistryError);
    EXPECT_EQ(ReadFile(path_), row.text);
  }
}

// A store path that names a folder is an unreadable store, reported as such (the stream's own
// exception escaped before).
TEST_F(RegistryStoreTest, FolderInPlaceOfTheStoreIsReported) {
  fs::create_directories(path_);
  try {
    RegistryStore::Load(path_);
    ADD_FAILURE() << "loaded a folder";
  } catch (const RegistryError& e) {
    EXPECT_EQ(e.code(), REGDB_E_READREGDB);
    EXPECT_NE(std::string(e.what()).find("cannot be read"), std::string::npos) << e.what();
  }
}

TEST_F(RegistryStoreTest, ExternalEntitiesAreNotRead) {
  WriteFile((dir_ / "secret.txt").string(), "SECRET");
  WriteFile(path_, "<!DOCTYPE registry [<!ENTITY e SYSTEM \"" + (dir_ / "secret.txt").string() +
                       "\">]><registry><hive name=\"HKEY_CURRENT_USER\"><key name=\"k\">"
                       "<value name=\"v\">&e;</value></key></hive></registry>");
  RegistryStore store = RegistryStore::Load(path_);
  auto value = store.GetValue(RegistryHive::kCurrentUser, u"k", u"v");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->find(u"SECRET"), std::u16string::npos);
}

TEST_F(RegistryStoreTest, UpdateLoadsChangesAndSaves) {
  RegistryStore::Update(
      path_, [](RegistryStore& s) { s.SetValue(RegistryHive::kCurrentUser, u"A", u"", u"1"); });
  RegistryStore::Update(
      path_, [](RegistryStore& s) { s.SetValue(RegistryHive::kCurrentUser, u"B", u"", u"2"); });
  RegistryStore store = RegistryStore::Load(path_);
  EXPECT_EQ(store.GetValue(RegistryHive::kCurrentUser, u"A", u""), u"1");
  EXPECT_EQ(store.GetValue(RegistryHive::kCurrentUser, u"B", u""), u"2");
  EXPECT_NE(store.Dump().find("HKEY_CURRENT_USER\n  A\n    (default) = \"1\""), std::string::npos)
      << store.Dump();
}

TEST(RegistryPathTest, EnvironmentChoosesThePath) {
  const char* saved_registry = std::getenv("KPX_REGISTRY");
  const char* saved_xdg = std::getenv("XDG_CONFIG_HOME");
  std::string keep_registry = saved_registry ? saved_registry : "";
  std::string keep_xdg = saved_xdg ? saved_xdg : "";
  setenv("KPX_REGISTRY", "/tmp/x/r.xml", 1);
  EXPECT_EQ(RegistryStore::DefaultPath(), "/tmp/x/r.xml");
  unsetenv("KPX_REGISTRY");
  setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
  EXPECT_EQ(RegistryStore::DefaultPath(), "/tmp/cfg/kpx2x/registry.xml");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_NE(RegistryStore::DefaultPath().find("/.config/kpx2x/registry.xml"), std::string::npos);
  if (saved_registry) setenv("KPX_REGISTRY", keep_registry.c_str(), 1);
  if (saved_xdg) setenv("XDG_CONFIG_HOME", keep_xdg.c_str(), 1);
}

}  // namespace
