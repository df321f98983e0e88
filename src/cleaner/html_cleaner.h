// One instance of the HTML cleaner: a libtidy document with its input, output and message
// buffers, the system's configuration, the output modes and the extension switches.
#pragma once

#include <tidy/tidy.h>
#include <tidy/tidybuffio.h>

#include <bitset>
#include <string>
#include <string_view>

#include "cleaner/cleaner_options.h"
#include "cleaner/tidy_allocator.h"
#include "kpx/com.h"

namespace kpx {

class HtmlCleaner {
 public:
  // Creates the document, directs its reports to the message buffer (before anything else, so
  // that they are written as narrow UTF-8 text) and applies the standard configuration and the
  // HTML mode. All switches start off.
  HtmlCleaner();
  ~HtmlCleaner();
  HtmlCleaner(const HtmlCleaner&) = delete;
  HtmlCleaner& operator=(const HtmlCleaner&) = delete;

  void SetMode(CleanerMode mode);

  // Sets a libtidy option or a named extension switch from text ("yes"/"no" for booleans).
  // False, with nothing changed, for an unknown name or a value the option does not take.
  bool SetOption(std::string_view name, std::string_view value);

  // Sets a yes/no libtidy option, or an extension switch, by its number. False for a number that
  // names neither, or an option that is not yes/no.
  bool SetOption(int option, bool on);

  bool SwitchOn(CleanerSwitch option) const { return switches_[option - kFirstCleanerSwitch]; }

  // The cleaner run: parses the UTF-16 text, cleans and repairs it and prints it into *output as
  // UTF-16 (without byte-order mark). The library's own status codes are not acted on: the run
  // succeeds whenever it printed, even if the output is empty. E_POINTER without output.
  HRESULT Run(std::u16string_view input, std::u16string* output);

  // The reports of the last run as libtidy wrote them, one per line.
  const std::u16string& messages() const { return messages_; }

  // False when the last run could not line its printed output up with the document tree, so the
  // switches that edit printed tags (preserve-case, omit-implicit-form) had no effect; a note in
  // the messages says so.
  bool switches_applied() const { return switches_applied_; }

 private:
  struct RunState;
  static Bool TIDY_CALL OnReport(TidyMessage message) noexcept;
  bool KeepReport(TidyMessage message);

  TidyDocumentAllocator allocator_;  // declared first: outlives the document
  TidyDoc doc_;
  TidyBuffer input_;
  TidyBuffer output_;
  TidyBuffer message_buffer_;
  std::bitset<kCleanerSwitchCount> switches_;
  RunState* run_ = nullptr;  // the run in progress, for the report callback
  std::u16string messages_;
  bool switches_applied_ = true;
};

}  // namespace kpx
