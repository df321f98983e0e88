// The direct conversion, recognition to page XML and synchronization.
#include "forward/forward_engine.h"

#include "base/stage_timer.h"
#include "forward/pipeline.h"
#include "forward/pre_patch_host.h"
#include "forward/profile_selection.h"

namespace kpx {

HRESULT ForwardEngine::DirectConversion(ConverterContext& context, IDispatch* page,
                                        std::u16string_view text, uint32_t flags,
                                        StageReport& report, std::u16string* xml) {
  if (!page || !xml) return E_INVALIDARG;
  Recognition recognized;
  {
    StageTimer timer("!html parse/tree construction");
    recognized = SelectProfileAndRecognize(
        context, page, text, (flags & FlagGeneration) ? u"generation" : u"design", flags, report);
  }
  if (!recognized.tree) return E_FAIL;
  ParseContext& tree = *recognized.tree;
  if (tree.Aborted()) return E_ABORT;
  {
    StageTimer timer("!xml generation");
    *xml = tree.Root().ToXml();
  }
  if (flags & FlagStructure) {
    if (context.cursor_position >= 0) {
      PageNode* block = tree.Root().FindAt(static_cast<size_t>(context.cursor_position), true);
      if (block) block->attributes.Set(u"kpsCurrentBlock", u"true");
    }
    report.structure = tree.Root().StructureXml();
  }
  StageTimer timer("!tree destruction");
  recognized.tree.reset();
  return S_OK;
}

HRESULT ForwardEngine::RunPipeline(ConverterContext& context, IDispatch* page,
                                   std::u16string_view text, uint32_t flags, StageReport& report,
                                   std::u16string* xml) {
  return RunConversionPipeline(*this, context, page, text, flags, report, xml);
}

HRESULT ForwardEngine::RecognizeFragment(ConverterContext& context, IDispatch* parent,
                                         std::u16string_view text, StageReport& report,
                                         FragmentComponents* components) {
  if (!parent || !components) return E_INVALIDARG;
  PrePatchResult patched;
  {
    StageTimer timer("!prePatch");
    patched = RunPrePatch(context, parent, BorrowedText::ZeroTerminated(text), kPrePatchSingleton);
  }
  Recognition recognized =
      SelectProfileAndRecognize(context, parent, patched.text, u"design", 0, report);
  if (!recognized.tree) return S_OK;  // no component found
  ParseContext& tree = *recognized.tree;
  if (tree.Aborted()) {
    components->aborted = true;
    return S_OK;
  }
  const PageNode* single = nullptr;
  for (const PageNode* node : tree.Root().Children()) {
    if (!node->IsComponent()) continue;
    ++components->component_count;
    single = node;
  }
  if (components->component_count == 1) components->single_xml = single->ToXml();
  return S_OK;
}

HRESULT ForwardEngine::PrePatch(ConverterContext& context, IDispatch* page,
                                std::u16string_view text, int option, std::u16string* out) {
  if (!out) return E_POINTER;
  StageTimer timer("!prePatch");
  *out = RunPrePatch(context, page, BorrowedText::ZeroTerminated(text), option).text;
  return S_OK;
}

HRESULT ForwardEngine::RecognizeToXml(ConverterContext& context, IDispatch* page,
                                      std::u16string_view text, StageReport& report,
                                      std::optional<std::u16string>* xml) {
  Recognition recognized = SelectProfileAndRecognize(context, page, text, u"design", 0, report);
  if (recognized.tree) *xml = recognized.tree->Root().ToXml();
  return S_OK;
}

HRESULT ForwardEngine::RecognizeWithProfile(ConverterContext& context, IDispatch* page,
                                            std::u16string_view text, IDispatch* profile,
                                            std::u16string_view target,
                                            std::optional<std::u16string>* xml) {
  std::unique_ptr<ParseContext> tree =
      kpx::RecognizeWithProfile(context, page, text, profile, target, 0);
  if (tree) *xml = tree->Root().ToXml();
  return S_OK;
}

HRESULT ForwardEngine::Synchronize(ConverterContext& context, IDispatch* page,
                                   std::u16string_view text, bool marked, bool warnings,
                                   StageReport& report) {
  if (marked) {
    const uint32_t flags = warnings ? 7 : 5;
    SelectProfileAndRecognize(context, page, text, u"sync", flags, report);
    return S_OK;
  }
  // Without the marker: the built-in parse with flags 1, and the error text stays as it was.
  return RecognizeBuiltIn(context, page, text, 1) ? S_OK : E_FAIL;
}

}  // namespace kpx
