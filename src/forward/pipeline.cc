// The stages of the conversion pipeline in order, each timed.
#include "forward/pipeline.h"

#include "base/stage_timer.h"
#include "forward/cleaner_messages.h"
#include "forward/pipeline_tools.h"
#include "forward/post_patch.h"
#include "forward/pre_patch_host.h"

namespace kpx {

HRESULT PrepareForRecognition(ConverterContext& context, IDispatch* page, std::u16string_view text,
                              uint32_t flags, std::u16string* prepared, uint32_t* prepared_flags) {
  if (!page || !prepared || !prepared_flags) return E_INVALIDARG;
  ComPtr<IDispatch> holder(page);
  if (!holder.As<HostPageDocument>()) return E_FAIL;
  if (!context.tools) return E_NOTIMPL;
  PipelineTools& tools = *context.tools;

  // The template is read where it stands; only a page that balancing changes is copied.
  const BorrowedText source = BorrowedText::ZeroTerminated(text);
  std::u16string balanced;
  bool was_balanced = false;
  {
    StageTimer timer("!balance");
    was_balanced = tools.Balance(source, &balanced);
  }
  PrePatchResult patched;
  {
    StageTimer timer("!prePatch");
    const int option = (flags & FlagGeneration) ? kPrePatchGeneration : kPrePatchDesign;
    patched = RunPrePatch(context, page, was_balanced ? BorrowedText{balanced} : source, option);
    std::u16string().swap(balanced);
  }

  std::u16string cleaned;
  {
    StageTimer timer("!tidy");
    std::u16string messages;
    HRESULT hr = tools.Clean(patched.text, &cleaned, &messages);
    if (FAILED(hr)) return hr;
    if (context.verbosity_level >= 3 && CleanerMessagesWorthShowing(messages)) {
      context.ReportGated(MessageInfo, u"tidy output:\n" + messages + u"\n");
    }
  }
  // No output at all: the template as it was given goes on.
  if (cleaned.empty()) cleaned.assign(text);
  patched.text.clear();

  {
    StageTimer timer("!cleanup");
    CleanUpEmptySpansInPlace(cleaned);
  }
  {
    StageTimer timer("!postPatch");
    PostPatchInPlace(cleaned);
    *prepared = DropAddedDocumentParts(std::move(cleaned), patched.bits);
  }
  *prepared_flags = flags | patched.bits;
  return S_OK;
}

HRESULT RunConversionPipeline(ConversionEngine& engine, ConverterContext& context, IDispatch* page,
                              std::u16string_view text, uint32_t flags, StageReport& report,
                              std::u16string* xml) {
  if (!page || !xml) return E_INVALIDARG;
  std::u16string prepared;
  uint32_t prepared_flags = 0;
  HRESULT hr = PrepareForRecognition(context, page, text, flags, &prepared, &prepared_flags);
  if (FAILED(hr)) return hr;
  StageTimer timer("!direct convertion: convert");
  return engine.DirectConversion(context, page, prepared, prepared_flags, report, xml);
}

}  // namespace kpx
