// Module and program paths: linked statically into this test, the module is the test program.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/module_paths.h"

namespace {

TEST(ModulePathsTest, StaticallyLinkedModuleIsTheProgram) {
  std::string module = kpx::ModuleFilePath();
  ASSERT_FALSE(module.empty());
  EXPECT_TRUE(std::filesystem::path(module).is_absolute());
  EXPECT_EQ(std::filesystem::path(module).filename(), "base_tests");
  EXPECT_EQ(kpx::ModuleDirectory(), kpx::ExecutableDirectory());
  EXPECT_NE(kpx::ModuleDirectory().back(), '/');
}

}  // namespace
