// Choosing between the configured converter profile and the built-in parse.
#include "forward/profile_selection.h"

#include "base/stage_timer.h"
#include "base/status.h"
#include "com/bstr.h"
#include "com/variant_holder.h"
#include "host/page_model.h"
#include "profile/effective_mode.h"
#include "profile/prepared_mode.h"
#include "profile/profile_loader.h"
#include "recognition/builtin_parser.h"
#include "recognition/profile_parser.h"

namespace kpx {

namespace {

// The configured profile's path: the "Grid" item's "templatePath" followed directly by the
// option's value (the template path carries its own separator).
std::u16string ProfilePath(HostApplication* application, std::u16string_view file_name) {
  std::u16string path;
  ComPtr<HostProject> project;
  if (SUCCEEDED(application->GetProject(project.Put())) && project) {
    PageModelReader reader;
    path = reader.ItemProperty(project.Get(), u"Grid", u"templatePath").value_or(u"");
  }
  path += file_name;
  return path;
}

// Loads the profile document; null when it does not load.
ComPtr<IXMLDOMDocument> LoadProfile(std::u16string_view path) {
  ComPtr<IXMLDOMDocument> document;
  if (FAILED(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument::kIID,
                              document.PutVoid())) ||
      !document) {
    return {};
  }
  VARIANT_BOOL loaded = VARIANT_FALSE;
  if (document->load(VariantHolder::Text(path).Ref(), &loaded) != S_OK || loaded == VARIANT_FALSE) {
    return {};
  }
  return document;
}

}  // namespace

std::unique_ptr<ParseContext> RecognizeBuiltIn(ConverterContext& context, IDispatch* page,
                                               std::u16string_view text, uint32_t flags) {
  if (!PageModelReader::ModelOf(page)) return nullptr;
  RecognitionHost host{context.application, context.verbosity_level};
  auto tree = std::make_unique<ParseContext>(host, page, BorrowedText::ZeroTerminated(text), flags);
  ParseBuiltIn(*tree);
  return tree;
}

std::unique_ptr<ParseContext> RecognizeWithProfile(ConverterContext& context, IDispatch* page,
                                                   std::u16string_view text, IUnknown* profile,
                                                   std::u16string_view mode, uint32_t flags) {
  if (!page || !profile) return nullptr;
  ComPtr<HostPageModel> model = PageModelReader::ModelOf(page);
  if (!model) return nullptr;
  // Loaded afresh for every conversion: the profile lives as long as this call.
  ConverterProfile loaded(context.forward_diagnostics);
  {
    StageTimer timer("profile loading");
    PageModelReader reader;
    if (reader.Property(model.Get(), u"isIncluded").value_or(u"") == u"true") {
      loaded.Define(u"includeablePage");
    }
    ComPtr<IXMLDOMNode> node;
    profile->QueryInterface(IXMLDOMNode::kIID, node.PutVoid());
    if (node) {
      bool accepted = false;
      try {
        accepted = ProfileLoader::Load(node.Get(), loaded);
      } catch (const ConverterError&) {
        accepted = false;  // the document failed under the loader: nothing to recognize with
      }
      if (!accepted) return nullptr;
    }
  }
  StageTimer timer("!parse-using-profile");
  RecognitionHost host{context.application, context.verbosity_level};
  auto tree = std::make_unique<ParseContext>(host, page, BorrowedText::ZeroTerminated(text), flags);
  const ProfileMode& effective = BuildEffectiveMode(loaded, mode);
  if (effective.rules().empty()) {
    context.ReportGated(MessageWarning, u"Active converter profile mode has no rules");
  }
  const PreparedMode prepared(effective);
  ParseWithProfile(*tree, prepared);
  return tree;
}

Recognition SelectProfileAndRecognize(ConverterContext& context, IDispatch* page,
                                      std::u16string_view text, std::u16string_view mode,
                                      uint32_t flags, StageReport& report) {
  Recognition result;
  if (context.application) {
    const std::u16string file =
        context.Host().ReadOption(kSectionFormatting, u"ConverterProfile").value_or(u"");
    if (!file.empty()) {
      const std::u16string path = ProfilePath(context.application, file);
      if (ComPtr<IXMLDOMDocument> document = LoadProfile(path)) {
        if (mode.empty()) {
          context.ReportGated(MessageWarning, u"no converter profile mode specified");
        }
        result.tree = RecognizeWithProfile(context, page, text, document.Get(), mode, flags);
        report.recognition_ran = true;
        report.errors = result.tree ? result.tree->Errors() : std::vector<ParseError>();
        return result;
      }
      context.ReportGated(MessageError, u"failed to load converter profile " + path);
    } else {
      context.ReportGated(MessageWarning, u"no converter profile specified");
    }
  }
  result.tree = RecognizeBuiltIn(context, page, text, flags);
  report.recognition_ran = true;
  report.errors = result.tree ? result.tree->Errors() : std::vector<ParseError>();
  return result;
}

}  // namespace kpx
