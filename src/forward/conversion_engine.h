// The stages behind the converter's operations: the conversion pipeline, the direct conversion,
// recognition, synchronization and the pre-patch pass. The converter's operations check their
// arguments, call these, and turn the results into documents and statuses. The subsystems fill
// them in; a stage that is not built yet answers E_NOTIMPL.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_services.h"
#include "kpx/converter.h"
#include "profile/profile_diagnostics.h"
#include "recognition/parse_error_list.h"

namespace kpx {

class PipelineTools;

// Bits of the conversion flags that the converter sets.
enum ConversionFlag : uint32_t {
  FlagWarnings = 0x02,
  FlagAbortOutOfSync = 0x10,
  FlagAskUser = 0x20,
  FlagGeneration = 0x40,
  FlagStructure = 0x200000,
};

// What a stage needs of the converter's state.
struct ConverterContext {
  HostApplication* application = nullptr;  // null before initialize
  LONG verbosity_level = 0;
  LONG cursor_position = -1;
  VARIANT_BOOL publish_mode = VARIANT_FALSE;
  // Where the forward profile loader reports (the converter's sink; null: findings dropped).
  ProfileDiagnostics* forward_diagnostics = nullptr;
  // Balancing and the cleaner for the pipeline (null: the pipeline cannot run).
  PipelineTools* tools = nullptr;

  HostServices Host() const { return HostServices(application); }
  // Delivers a message when the verbosity level lets its kind through: errors from level 1,
  // warnings from 2, information (the cleaner's messages) from 3.
  void ReportGated(LONG kind, std::u16string_view text) const;
};

// What a stage reports back besides its text.
struct StageReport {
  // A recognition through the profile selection ran: the converter's error text is replaced by
  // `errors` (cleared when there are none).
  bool recognition_ran = false;
  std::vector<ParseError> errors;
  // Set by a pipeline run with FlagStructure: the block structure text.
  std::optional<std::u16string> structure;
};

// The top-level components found by recognizing a fragment.
struct FragmentComponents {
  bool aborted = false;        // recognition stopped: the template is out of sync
  size_t component_count = 0;  // top-level nodes that are components
  std::u16string single_xml;   // the page XML of the component when there is exactly one
};

// Every text handed to an engine is followed by a 0, as a system string's or a string's text is:
// recognition reads it in place.
class ConversionEngine {
 public:
  virtual ~ConversionEngine() = default;

  // The full conversion pipeline on a text: page XML text. E_ABORT when recognition stopped
  // because the template is out of sync.
  virtual HRESULT RunPipeline(ConverterContext& context, IDispatch* page, std::u16string_view text,
                              uint32_t flags, StageReport& report, std::u16string* xml);

  // The direct conversion stage alone (design mode): page XML text.
  virtual HRESULT DirectConversion(ConverterContext& context, IDispatch* page,
                                   std::u16string_view text, uint32_t flags, StageReport& report,
                                   std::u16string* xml);

  // Recognition in design mode with the profile of the host's settings, no pre-patch, no cleaner:
  // the page XML of the tree, or nothing when no tree results.
  virtual HRESULT RecognizeToXml(ConverterContext& context, IDispatch* page,
                                 std::u16string_view text, StageReport& report,
                                 std::optional<std::u16string>* xml);

  // Pre-patch (option value 101) and recognition of a fragment; its top-level components.
  virtual HRESULT RecognizeFragment(ConverterContext& context, IDispatch* parent,
                                    std::u16string_view text, StageReport& report,
                                    FragmentComponents* components);

  // Recognition with a caller's profile document and mode: page XML, or nothing when the profile
  // cannot be used.
  virtual HRESULT RecognizeWithProfile(ConverterContext& context, IDispatch* page,
                                       std::u16string_view text, IDispatch* profile,
                                       std::u16string_view target,
                                       std::optional<std::u16string>* xml);

  // Synchronization of the host's page model with a text (the "[kps_sync]" marker already
  // handled by the caller when `marked`).
  virtual HRESULT Synchronize(ConverterContext& context, IDispatch* page, std::u16string_view text,
                              bool marked, bool warnings, StageReport& report);

  // The pre-patch pass alone with an option value.
  virtual HRESULT PrePatch(ConverterContext& context, IDispatch* page, std::u16string_view text,
                           int option, std::u16string* out);
};

}  // namespace kpx
