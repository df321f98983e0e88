#include "cleaner/html_cleaner.h"

#include <tidy/tidyenum.h>

#include <bit>
#include <cstring>
#include <limits>
#include <mutex>
#include <span>
#include <vector>

#include "base/status.h"
#include "base/utf.h"
#include "cleaner/anchor_fixing.h"
#include "cleaner/dont_flush_textarea.h"
#include "cleaner/implicit_form.h"
#include "cleaner/output_tag_edits.h"
#include "cleaner/preserve_case.h"
#include "cleaner/source_position_map.h"
#include "cleaner/tidy_mutex.h"

namespace kpx {

namespace {

// The input buffer grows in steps of this many bytes.
constexpr uint kInputChunk = 4096;

constexpr char16_t kByteOrderMark = 0xFEFF;

constexpr char kNotAppliedNote[] =
    "Info: the cleaner's output could not be matched with its document tree; tag names keep "
    "the library's case and inferred forms stay\n";

std::optional<bool> ParseYesNo(std::string_view value) {
  if (value == "yes" || value == "y" || value == "true" || value == "t" || value == "1") {
    return true;
  }
  if (value == "no" || value == "n" || value == "false" || value == "f" || value == "0") {
    return false;
  }
  return std::nullopt;
}

// Code units to and from libtidy's UTF-16 bytes, little-endian.
void PutLittleEndian(std::u16string_view units, byte* out) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(out, units.data(), units.size() * 2);
  } else {
    for (size_t i = 0; i < units.size(); ++i) {
      out[2 * i] = static_cast<byte>(units[i] & 0xFF);
      out[2 * i + 1] = static_cast<byte>(units[i] >> 8);
    }
  }
}
void GetLittleEndian(const byte* bytes, std::u16string* units) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(units->data(), bytes, units->size() * 2);
  } else {
    for (size_t i = 0; i < units->size(); ++i) {
      (*units)[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    }
  }
}

// The cleaner's settings with libtidy's option numbers, looked up once: setting an option by name
// searches libtidy's whole option table comparing names without case, which made up a fifth of
// the cleaner's time on a small page.
struct Configuration {
  struct Setting {
    TidyOptionId id;
    const char* value;
  };
  std::vector<Setting> standard;
  std::vector<Setting> modes[3];

  static const Configuration& Get() {
    static const Configuration configuration;
    return configuration;
  }

 private:
  Configuration() {
    Resolve(StandardCleanerSettings(), &standard);
    for (CleanerMode mode : {CleanerMode::kHtml, CleanerMode::kXml, CleanerMode::kXhtml}) {
      Resolve(CleanerModeSettings(mode), &modes[static_cast<int>(mode)]);
    }
  }
  static void Resolve(std::span<const TidySetting> settings, std::vector<Setting>* resolved) {
    for (const TidySetting& setting : settings) {
      resolved->push_back({tidyOptGetIdForName(setting.name), setting.value});
    }
  }
};

void Apply(TidyDoc doc, const std::vector<Configuration::Setting>& settings) {
  for (const Configuration::Setting& setting : settings) {
    tidyOptSetValue(doc, setting.id, setting.value);
  }
}

}  // namespace

// What the switches' mechanisms keep during one run.
struct HtmlCleaner::RunState {
  ImplicitFormRemoval implicit_form;
  AnchorFixingUndo anchors;
};

HtmlCleaner::HtmlCleaner() {
  std::lock_guard<std::mutex> lock(TidyMutex());
  doc_ = tidyCreateWithAllocator(allocator_.get());
  tidyBufInit(&input_);
  tidyBufInit(&output_);
  tidyBufInit(&message_buffer_);
  tidySetAppData(doc_, this);
  // The message sink takes the output encoding in force when it is attached: attached first, it
  // writes UTF-8 even though the document is then switched to UTF-16.
  tidySetErrorBuffer(doc_, &message_buffer_);
  tidySetMessageCallback(doc_, &HtmlCleaner::OnReport);
  Apply(doc_, Configuration::Get().standard);
  Apply(doc_, Configuration::Get().modes[static_cast<int>(CleanerMode::kHtml)]);
}

HtmlCleaner::~HtmlCleaner() {
  std::lock_guard<std::mutex> lock(TidyMutex());
  tidyBufFree(&input_);
  tidyBufFree(&output_);
  tidyBufFree(&message_buffer_);
  tidyRelease(doc_);
}

void HtmlCleaner::SetMode(CleanerMode mode) {
  std::lock_guard<std::mutex> lock(TidyMutex());
  Apply(doc_, Configuration::Get().modes[static_cast<int>(mode)]);
}

bool HtmlCleaner::SetOption(std::string_view name, std::string_view value) {
  if (const auto id = CleanerSwitchByName(name)) {
    const auto on = ParseYesNo(value);
    if (!on) return false;
    switches_[*id - kFirstCleanerSwitch] = *on;
    return true;
  }
  const std::string option_name(name);
  const std::string option_value(value);
  std::lock_guard<std::mutex> lock(TidyMutex());
  if (tidyGetOptionByName(doc_, option_name.c_str()) == nullptr) return false;
  return tidyOptParseValue(doc_, option_name.c_str(), option_value.c_str()) == yes;
}

bool HtmlCleaner::SetOption(int option, bool on) {
  if (IsCleanerSwitch(option)) {
    switches_[option - kFirstCleanerSwitch] = on;
    return true;
  }
  if (option <= TidyUnknownOption || option >= N_TIDY_OPTIONS) return false;
  std::lock_guard<std::mutex> lock(TidyMutex());
  // Setting a non-boolean option as a boolean trips an assertion inside libtidy; tri-state
  // options ("indent", "output-bom") take yes and no as text.
  TidyOption handle = tidyGetOption(doc_, static_cast<TidyOptionId>(option));
  if (handle == nullptr || tidyOptGetType(handle) == TidyString) return false;
  return tidyOptParseValue(doc_, tidyOptGetName(handle), on ? "yes" : "no") == yes;
}

Bool TIDY_CALL HtmlCleaner::OnReport(TidyMessage message) noexcept {
  auto* self = static_cast<HtmlCleaner*>(tidyGetAppData(tidyGetMessageDoc(message)));
  try {
    return (self == nullptr || self->KeepReport(message)) ? yes : no;
  } catch (...) {
    return yes;  // nothing may unwind through the library
  }
}

bool HtmlCleaner::KeepReport(TidyMessage message) {
  if (run_ == nullptr) return true;
  if (SwitchOn(kSkipAnchorFixingSwitch) && !AnchorFixingUndo::KeepReport(message)) return false;
  if (SwitchOn(kOmitImplicitFormSwitch) && !run_->implicit_form.KeepReport(message)) return false;
  return true;
}

HRESULT HtmlCleaner::Run(std::u16string_view input, std::u16string* output) {
  if (output == nullptr) return E_POINTER;
  if (input.size() > std::numeric_limits<uint>::max() / 2) throw ConverterError(E_OUTOFMEMORY);
  const bool edit_names = SwitchOn(kPreserveCaseSwitch);
  const bool drop_forms = SwitchOn(kOmitImplicitFormSwitch);
  const bool skip_anchors = SwitchOn(kSkipAnchorFixingSwitch);

  std::lock_guard<std::mutex> lock(TidyMutex());
  RunState state;
  run_ = &state;
  struct ClearRun {
    RunState*& run;
    ~ClearRun() { run = nullptr; }
  } clear_run{run_};

  tidyBufClear(&output_);
  tidyBufClear(&message_buffer_);
  const uint byte_count = static_cast<uint>(input.size() * 2);
  // libtidy 5.6 mishandles a CR that is not followed by LF (old Mac line ends): it drops the
  // second of two such CRs, losing a blank line, and loses count of columns after one. Such a CR
  // goes in as LF, which libtidy treats as the same line break and prints as LF anyway.
  size_t lone_cr = input.find(u'\r');
  while (lone_cr != input.npos && lone_cr + 1 < input.size() && input[lone_cr + 1] == u'\n') {
    lone_cr = input.find(u'\r', lone_cr + 2);
  }
  if (std::endian::native == std::endian::little && lone_cr == input.npos) {
    // The text's code units are already libtidy's little-endian bytes: lent for the parse, which
    // only reads them, rather than copied (a page of megabytes would cost as much again).
    TidyBuffer lent;
    tidyBufInit(&lent);
    tidyBufAttach(&lent, reinterpret_cast<byte*>(const_cast<char16_t*>(input.data())), byte_count);
    tidyParseBuffer(doc_, &lent);
    tidyBufDetach(&lent);
  } else {
    tidyBufClear(&input_);
    if (byte_count > 0) {
      tidyBufCheckAlloc(&input_, byte_count, kInputChunk);
      PutLittleEndian(input, input_.bp);
      for (size_t i = lone_cr; i != input.npos; i = input.find(u'\r', i + 1)) {
        if (i + 1 == input.size() || input[i + 1] != u'\n') {
          PutLittleEndian(u"\n", input_.bp + 2 * i);
        }
      }
      input_.size = byte_count;
    }
    tidyParseBuffer(doc_, &input_);
  }
  if (skip_anchors) state.anchors.Record(tidyGetRoot(doc_));
  tidyCleanAndRepair(doc_);
  if (skip_anchors) state.anchors.Undo(doc_, tidyGetRoot(doc_));

  TagEditPlan plan;
  // Upper-case output (the XML mode) prints every name in capitals, written case or not.
  const bool written_names = edit_names && tidyOptGetBool(doc_, TidyUpperCaseTags) == no;
  const bool inferred_forms = drop_forms && state.implicit_form.InferredAny();
  // The source positions are mapped only for a switch that has something to look up.
  if (written_names || inferred_forms) {
    const SourcePositionMap positions(input,
                                      static_cast<uint32_t>(tidyOptGetInt(doc_, TidyTabSize)),
                                      tidyOptGetBool(doc_, TidyKeepTabs) == yes);
    if (written_names) PlanWrittenNames(tidyGetRoot(doc_), input, positions, &plan);
    if (inferred_forms) state.implicit_form.PlanUnwrap(tidyGetRoot(doc_), input, positions, &plan);
  }

  tidySaveBuffer(doc_, &output_);

  const byte* printed = output_.bp;
  size_t units = output_.size / 2;
  // In the XML and XHTML modes libtidy marks UTF-16 output with a byte-order mark whatever
  // "output-bom" says; the cleaner's output never has one.
  if (units > 0 && (printed[0] | printed[1] << 8) == kByteOrderMark) {
    printed += 2;
    --units;
  }
  // Printed straight into the caller's string: nothing reads the input after this point, so it
  // may even be the same text.
  output->resize(units);
  if (units > 0) GetLittleEndian(printed, output);

  std::string narrow;
  if (message_buffer_.bp != nullptr) {
    narrow.assign(reinterpret_cast<const char*>(message_buffer_.bp), message_buffer_.size);
  }
  switches_applied_ = ApplyTagEdits(tidyGetRoot(doc_), plan, output);
  if (!switches_applied_) narrow += kNotAppliedNote;
  messages_ = ToUtf16(narrow);
  return S_OK;
}

}  // namespace kpx
