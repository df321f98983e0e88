// Runs the x2x program for the end-to-end tests: a scratch folder per test, files written into
// it, and the program's standard output, standard error and exit status.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace kpx::testing {

struct ProgramRun {
  std::string out;
  std::string err;
  int status = -1;

  std::vector<std::string> ErrLines() const {
    std::vector<std::string> lines;
    std::istringstream in(err);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  std::string LastErrLine() const {
    auto lines = ErrLines();
    return lines.empty() ? "" : lines.back();
  }
};

class X2xProgramRunner : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "x2x-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string File(const std::string& name, const std::string& bytes) {
    std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  // Runs x2x with the arguments, standard input from the given bytes.
  ProgramRun X2x(std::vector<std::string> args, const std::string& input = "") {
    std::string in = File("stdin", input);
    std::string out = (dir_ / "stdout").string();
    std::string err = (dir_ / "stderr").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv{const_cast<char*>(X2X_PATH)};
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    // The registration tools write to the registry store: keep it inside the test's folder.
    std::string registry = "KPX_REGISTRY=" + (dir_ / "registry.xml").string();
    std::vector<char*> env{registry.data()};
    for (char** e = environ; *e; ++e) {
      if (std::string_view(*e).rfind("KPX_REGISTRY=", 0) != 0) env.push_back(*e);
    }
    env.push_back(nullptr);
    pid_t pid = 0;
    ProgramRun run;
    int spawned = posix_spawn(&pid, X2X_PATH, &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
      ADD_FAILURE() << "cannot start " << X2X_PATH;
      return run;
    }
    int wait = 0;
    waitpid(pid, &wait, 0);
    run.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : 128 + WTERMSIG(wait);
    run.out = Read(out);
    run.err = Read(err);
    return run;
  }

  std::filesystem::path dir_;
};

}  // namespace kpx::testing
