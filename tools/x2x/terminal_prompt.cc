// The terminal form of the switch-to-design dialog.
#include "x2x/terminal_prompt.h"

#include <cstdio>
#include <memory>
#include <string>

#include "base/ascii_case.h"
#include "base/utf.h"

namespace x2x {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

std::string LabelOr(const std::u16string& label, const char* fallback) {
  return label.empty() ? fallback : kpx::ToUtf8(label);
}

}  // namespace

SwitchAnswer ReadSwitchAnswer(std::string_view line) {
  std::string word;
  for (char c : line) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
    word += kpx::AsciiToLower(c);
  }
  if (word == "y" || word == "yes") return {true, false};
  if (word == "always") return {true, true};
  if (word == "never") return {false, true};
  return {false, false};
}

SwitchAnswer AskOnTerminal(const SwitchQuestion& question) {
  std::unique_ptr<std::FILE, FileCloser> tty(std::fopen("/dev/tty", "r+"));
  if (!tty) return {};
  std::fprintf(tty.get(), "%s\n%s\n%s: y, %s: n (%s: always / never) [n] ",
               LabelOr(question.caption, "Switch to design").c_str(),
               kpx::ToUtf8(question.text).c_str(), LabelOr(question.yesLabel, "Yes").c_str(),
               LabelOr(question.noLabel, "No").c_str(),
               LabelOr(question.dontShowAgainLabel, "Don't show again").c_str());
  std::fflush(tty.get());
  char line[256];
  if (!std::fgets(line, sizeof line, tty.get())) return {};
  return ReadSwitchAnswer(line);
}

}  // namespace x2x
