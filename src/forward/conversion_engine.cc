// The converter context, and the stages that are not built yet.
#include "forward/conversion_engine.h"

namespace kpx {

void ConverterContext::ReportGated(LONG kind, std::u16string_view text) const {
  LONG needed = kind == MessageError ? 1 : kind == MessageWarning ? 2 : 3;
  if (verbosity_level >= needed) Host().DeliverMessage(kind, text);
}

HRESULT ConversionEngine::RunPipeline(ConverterContext&, IDispatch*, std::u16string_view, uint32_t,
                                      StageReport&, std::u16string*) {
  return E_NOTIMPL;
}

HRESULT ConversionEngine::DirectConversion(ConverterContext&, IDispatch*, std::u16string_view,
                                           uint32_t, StageReport&, std::u16string*) {
  return E_NOTIMPL;
}

HRESULT ConversionEngine::RecognizeToXml(ConverterContext&, IDispatch*, std::u16string_view,
                                         StageReport&, std::optional<std::u16string>*) {
  return E_NOTIMPL;
}

HRESULT ConversionEngine::RecognizeFragment(ConverterContext&, IDispatch*, std::u16string_view,
                                            StageReport&, FragmentComponents*) {
  return E_NOTIMPL;
}

HRESULT ConversionEngine::RecognizeWithProfile(ConverterContext&, IDispatch*, std::u16string_view,
                                               IDispatch*, std::u16string_view,
                                               std::optional<std::u16string>*) {
  return E_NOTIMPL;
}

HRESULT ConversionEngine::Synchronize(ConverterContext&, IDispatch*, std::u16string_view, bool,
                                      bool, StageReport&) {
  return E_NOTIMPL;
}

HRESULT ConversionEngine::PrePatch(ConverterContext&, IDispatch*, std::u16string_view, int,
                                   std::u16string*) {
  return E_NOTIMPL;
}

}  // namespace kpx
