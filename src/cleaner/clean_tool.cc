#include "cleaner/clean_tool.h"

#include <new>

#include "base/status.h"
#include "cleaner/html_cleaner.h"

namespace kpx {

namespace {

void SplitLines(std::u16string_view text, std::vector<std::u16string>* lines) {
  size_t begin = 0;
  while (begin < text.size()) {
    size_t end = text.find(u'\n', begin);
    if (end == std::u16string_view::npos) end = text.size();
    std::u16string_view line = text.substr(begin, end - begin);
    if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
    if (!line.empty()) lines->emplace_back(line);
    begin = end + 1;
  }
}

}  // namespace

std::optional<CleanerMode> ParseCleanerMode(std::string_view name) {
  if (name == "html") return CleanerMode::kHtml;
  if (name == "xml") return CleanerMode::kXml;
  if (name == "xhtml") return CleanerMode::kXhtml;
  return std::nullopt;
}

int RunCleanTool(const CleanToolOptions& options, std::u16string_view input, std::u16string* output,
                 std::vector<std::u16string>* messages) {
  output->clear();
  messages->clear();
  HRESULT status = S_OK;
  try {
    HtmlCleaner cleaner;
    cleaner.SetMode(options.mode);
    if (options.pipeline) {
      // The pipeline sets its three switches by their consecutive numbers.
      for (int option = kOmitImplicitFormSwitch; option <= kSkipAnchorFixingSwitch; ++option) {
        cleaner.SetOption(option, true);
      }
    }
    if (options.preserve_case) cleaner.SetOption("kps-preserve-case", "yes");
    status = cleaner.Run(input, output);
    SplitLines(cleaner.messages(), messages);
  } catch (const ConverterError& e) {
    status = e.code();
  } catch (const std::bad_alloc&) {
    status = E_OUTOFMEMORY;
  }
  if (FAILED(status)) {
    messages->push_back(status == E_OUTOFMEMORY ? u"clean: out of memory"
                                                : u"clean: the cleaner failed");
    return 1;
  }
  return 0;
}

}  // namespace kpx
