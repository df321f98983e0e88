// x2x batch inside this process with four workers, so that the tsan build (label "threads") sees
// the workers' fixture hosts and converters and the hand-over of their outcomes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "server/registration.h"
#include "x2x/x2x_command.h"

namespace {

namespace fs = std::filesystem;

std::map<std::string, std::string> Tree(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().lexically_relative(folder).string()] =
        std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

int Batch(const std::string& operation, const std::string& jobs, const fs::path& out,
          const fs::path& site, std::string* err) {
  std::istringstream in;
  std::ostringstream output;
  std::ostringstream error;
  x2x::Console console{in, output, error, false, {}};
  std::vector<std::string> args{"x2x", "batch", operation,    "--jobs",
                                jobs,  "--out", out.string(), site.string()};
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  int status = x2x::RunX2x(static_cast<int>(argv.size()), argv.data(), console);
  *err = error.str();
  return status;
}

TEST(BatchThreadsTest, FourWorkersGiveWhatOneGives) {
  const fs::path corpus = KPX_SOURCE_DIR "/../shared/corpus/tidy-cases";
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  kpx::RegisterStandInClasses();
  std::string pattern = (fs::temp_directory_path() / "x2x-batch-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const fs::path dir = pattern;
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(corpus)) {
    if (entry.path().extension() == ".html" && entry.file_size() < 8 * 1024)
      files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  fs::create_directories(dir / "site");
  for (size_t i = 0; i < files.size(); i += 6)
    fs::copy_file(files[i], dir / "site" / files[i].filename());

  for (const char* operation : {"convertWithTidy", "backTransformation"}) {
    SCOPED_TRACE(operation);
    std::string errFour;
    std::string errOne;
    int four = Batch(operation, "4", dir / operation / "four", dir / "site", &errFour);
    int one = Batch(operation, "1", dir / operation / "one", dir / "site", &errOne);
    EXPECT_EQ(four, one);
    EXPECT_EQ(Tree(dir / operation / "four"), Tree(dir / operation / "one"));
    // The same lines in the same order, but for the summary's time.
    EXPECT_EQ(errFour.substr(0, errFour.rfind(" failed, ")),
              errOne.substr(0, errOne.rfind(" failed, ")));
  }
  fs::remove_all(dir);
}

}  // namespace
