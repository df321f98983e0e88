// The cleaner on arbitrary text, as the pipeline runs it and with written case kept.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/utf.h"
#include "cleaner/html_cleaner.h"

namespace {

// The library itself needs time that grows faster than the text for deep nesting; larger inputs
// tell the fuzzer nothing new.
constexpr size_t kMaxInput = 64 * 1024;

std::string Lower(std::u16string_view text) {
  std::string lower = kpx::ToUtf8(text);
  for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return lower;
}

size_t CountFormTags(std::string_view lower) {
  size_t count = 0;
  for (size_t at = lower.find("<form"); at != std::string_view::npos;
       at = lower.find("<form", at + 1)) {
    ++count;
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInput) return 0;
  const std::u16string text =
      kpx::ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));

  std::u16string plain;
  kpx::HtmlCleaner library;
  library.Run(text, &plain);

  kpx::HtmlCleaner pipeline;
  for (int option = kpx::kOmitImplicitFormSwitch; option <= kpx::kSkipAnchorFixingSwitch;
       ++option) {
    pipeline.SetOption(option, true);
  }
  pipeline.SetOption("kps-preserve-case", "yes");
  std::u16string cleaned;
  if (pipeline.Run(text, &cleaned) != S_OK) std::abort();
  if (!cleaned.empty() && cleaned[0] == u'\uFEFF') std::abort();
  // No form that the text did not write (a form may still be dropped, never added).
  if (pipeline.switches_applied() && CountFormTags(Lower(cleaned)) > CountFormTags(Lower(text))) {
    std::abort();
  }
  // Kept case changes letter case only; apart from removed forms the output is the library's.
  kpx::HtmlCleaner case_only;
  case_only.SetOption("kps-preserve-case", "yes");
  std::u16string cased;
  case_only.Run(text, &cased);
  if (Lower(cased) != Lower(plain)) std::abort();
  return 0;
}
