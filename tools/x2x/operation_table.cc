// The operation table. Each call binds the prepared arguments to one function of the interface;
// results land in the call's holders and are reported by the runner.
#include "x2x/operation_table.h"
#include "com/variant_holder.h"

namespace x2x {

namespace {

constexpr OptionSet kPage = kHostOptions | kPageOptions;
constexpr OptionSet kParent = kHostOptions | kParentOptions;
constexpr OptionSet kPlain = kHostOptions;

VARIANT_BOOL Bool(bool b) {
  return b ? VARIANT_TRUE : VARIANT_FALSE;
}

kpx::VariantHolder LongOrEmpty(const std::optional<LONG>& value) {
  return value ? kpx::VariantHolder::Long(*value) : kpx::VariantHolder();
}

HRESULT CallPerformTableOperation(OperationCall& c) {
  return c.converter->performTableOperation(c.htmlDocument.Get(),
                                            static_cast<enumTableOperation>(c.tableOperation));
}

HRESULT CallPerformTableOperationEx(OperationCall& c) {
  kpx::VariantHolder out;
  return c.converter->performTableOperationEx(
      c.source.Get(), static_cast<enumTableOperationEx>(c.tableOperationEx),
      LongOrEmpty(c.columns).Ref(), LongOrEmpty(c.rows).Ref(), out.Get());
}

HRESULT CallConvertForGeneration2(OperationCall& c) {
  return c.converter->convertForGeneration2(c.page, c.input.Get(), c.cursor, c.text.Put(),
                                            c.wantStructure ? c.structure.Put() : nullptr);
}

constexpr std::string_view kPageXml = "the page XML text";
constexpr std::string_view kDocumentXml = "the xml of the returned document";

constexpr OperationSpec kOperations[] = {
    {"convert", "page XML of the host page's template, without the cleaner",
     "pPage: the page (--page)", kPageXml, InputKind::kNone, kPage, true,
     [](OperationCall& c) { return c.converter->convert(c.page, c.text.Put()); }},
    {"convertWithTidy", "page XML of the host page's template, through the whole pipeline",
     "pPage: the page (--page)", kPageXml, InputKind::kNone, kPage, true,
     [](OperationCall& c) { return c.converter->convertWithTidy(c.page, c.text.Put()); }},
    {"convertCustom", "page XML of INPUT by the direct conversion alone",
     "pPage: the page (--page); bstrXHTML: INPUT", kPageXml, InputKind::kText, kPage, true,
     [](OperationCall& c) {
       return c.converter->convertCustom(c.page, c.input.Get(), c.text.Put());
     }},
    {"getErrors", "the error text of the last conversion (none in a fresh converter)", "(none)",
     "the error text", InputKind::kNone, kPlain, false,
     [](OperationCall& c) { return c.converter->getErrors(c.text.Put()); }},
    {"convertWithDOM", "convertWithTidy loaded into an XML document", "pPage: the page (--page)",
     kDocumentXml, InputKind::kNone, kPage, true,
     [](OperationCall& c) { return c.converter->convertWithDOM(c.page, c.document.Put()); }},
    {"backTransformation", "page XML of an edited template (INPUT)",
     "pPage: the page (--page); bstrTemplate: INPUT", kPageXml, InputKind::kText, kPage, false,
     [](OperationCall& c) {
       return c.converter->backTransformation(c.page, c.input.Get(), c.text.Put());
     }},
    {"backTransformationWithDOM", "backTransformation loaded into an XML document",
     "pPage: the page (--page); bstrTemplate: INPUT", kDocumentXml, InputKind::kText, kPage, false,
     [](OperationCall& c) {
       return c.converter->backTransformationWithDOM(c.page, c.input.Get(), c.document.Put());
     }},
    {"convertSingletonWithDOM", "XML of the single component in a template fragment (INPUT)",
     "pParent: --component, else the page; bstrTemplate: INPUT", kDocumentXml, InputKind::kText,
     kParent, true,
     [](OperationCall& c) {
       return c.converter->convertSingletonWithDOM(c.parent, c.input.Get(), c.document.Put());
     }},
    {"partialBackTransformationWithDOM",
     "page XML of a fragment (INPUT) and the identifiers of its components",
     "pParent: --component, else the page; bstrTemplate: INPUT; ppComponentIDs: written to "
     "--ids FILE, one per line",
     kDocumentXml, InputKind::kText, kParent | kOptIds, false,
     [](OperationCall& c) {
       return c.converter->partialBackTransformationWithDOM(c.parent, c.input.Get(), c.ids.Put(),
                                                            c.document.Put());
     }},
    {"convertCustomWithDOM", "recognition of INPUT without pre-patch or cleaner, as a document",
     "pParent: --component, else the page; bstrTemplate: INPUT", kDocumentXml, InputKind::kText,
     kParent, true,
     [](OperationCall& c) {
       return c.converter->convertCustomWithDOM(c.parent, c.input.Get(), c.document.Put());
     }},
    {"performTableOperation", "a table edit (--op) on the editor's document (INPUT)",
     "pHTMLDocument2: the editor's document made from INPUT, with --select in table --table; "
     "op: --op",
     "the edited document as HTML", InputKind::kHtmlDocument,
     kPlain | kOptOp | kOptSelect | kOptTable, false, &CallPerformTableOperation},
    {"parse", "synchronizes the host page's model with INPUT",
     "bstrText: INPUT; pPage: the page (--page); produceWarnings: --warnings", "nothing",
     InputKind::kText, kPage | kOptWarnings, true,
     [](OperationCall& c) { return c.converter->parse(c.input.Get(), c.page, Bool(c.warnings)); }},
    {"convertForGeneration", "page XML of INPUT in generation mode",
     "pPage: the page (--page); bstrTemplate: INPUT", kPageXml, InputKind::kText, kPage, true,
     [](OperationCall& c) {
       return c.converter->convertForGeneration(c.page, c.input.Get(), c.text.Put());
     }},
    {"forwardTransformationWithDOM",
     "the pipeline on INPUT with out-of-sync handling, as a document",
     "pPage: the page (--page); bstrTemplate: INPUT", kDocumentXml, InputKind::kText, kPage, true,
     [](OperationCall& c) {
       return c.converter->forwardTransformationWithDOM(c.page, c.input.Get(), c.document.Put());
     }},
    {"makeExtensible", "XHTML conversion of a page (INPUT)", "html: INPUT", "the XHTML text",
     InputKind::kText, kPlain, false,
     [](OperationCall& c) { return c.converter->makeExtensible(c.input.Get(), c.text.Put()); }},
    {"convertForPreview", "the pre-patch pass alone on INPUT",
     "pPage: the page (--page); htmlIn: INPUT", "the patched text", InputKind::kText, kPage, false,
     [](OperationCall& c) {
       return c.converter->convertForPreview(c.page, c.input.Get(), c.text.Put());
     }},
    {"insertMETA", "inserts a META tag (--meta) into a page (INPUT)", "html: INPUT; meta: --meta",
     "the page with the tag", InputKind::kText, kPlain | kOptMeta, false,
     [](OperationCall& c) {
       return c.converter->insertMETA(c.input.Get(), c.meta.Get(), c.text.Put());
     }},
    {"convertRawWithDOM", "INPUT cleaned to XML and loaded into a document", "bstrHTML: INPUT",
     kDocumentXml, InputKind::kText, kPlain, false,
     [](OperationCall& c) {
       return c.converter->convertRawWithDOM(c.input.Get(), c.document.Put());
     }},
    {"performTableOperationEx", "an extended table edit (--opex) on the editor's document (INPUT)",
     "pSource: cell --source of table --table in the editor's document made from INPUT (the table "
     "itself without --source); opex: --opex; varIn1: --cols; varIn2: --rows (empty when not "
     "given)",
     "the edited document as HTML", InputKind::kHtmlDocument,
     kPlain | kOptOpex | kOptTable | kOptSource | kOptCols | kOptRows, false,
     &CallPerformTableOperationEx},
    {"resolvePaths", "resolves paths in a page (INPUT) against --path",
     "htmlIn: INPUT; path: --path", "the page with resolved paths", InputKind::kText,
     kPlain | kOptPath, false,
     [](OperationCall& c) {
       return c.converter->resolvePaths(c.input.Get(), c.path.Get(), c.text.Put());
     }},
    {"initialize", "binds the host application (x2x does this before every other operation)",
     "pApplication: the host's application", "nothing", InputKind::kNone, kPlain, false,
     [](OperationCall& c) { return c.converter->initialize(c.application); }},
    {"performServiceXSLT", "runs the stylesheet (--stylesheet) on an XML document (INPUT)",
     "pXMLNode: the document loaded from INPUT; pStyleSheet: the document loaded from --stylesheet "
     "(null without it)",
     "the transform's output", InputKind::kXmlDocument, kPlain | kOptStylesheet, false,
     [](OperationCall& c) {
       return c.converter->performServiceXSLT(c.inputDocument, c.stylesheet, c.text.Put());
     }},
    {"convertUsingProfile", "recognition of INPUT with a given profile (--profile) and mode",
     "pPage: the page (--page); bstrTemplate: INPUT; pProfile: the document loaded from --profile "
     "(null without it); bstrTarget: --target (default design)",
     kDocumentXml, InputKind::kText, kPage | kOptProfile | kOptTarget, false,
     [](OperationCall& c) {
       return c.converter->convertUsingProfile(c.page, c.input.Get(), c.profile, c.target.Get(),
                                               c.document.Put());
     }},
    {"convertForGeneration2", "page XML of INPUT in generation mode, with the block structure",
     "pPage: the page (--page); bstrTemplate: INPUT; iCursorPos: --cursor (default -1); "
     "pbstrStructure: written to --structure FILE (null without it)",
     kPageXml, InputKind::kText, kPage | kOptCursor | kOptStructure, true,
     &CallConvertForGeneration2},
    {"prepareDoctypeForSection508", "DOCTYPE preparation of a page (INPUT)", "html: INPUT",
     "the page with its DOCTYPE prepared", InputKind::kText, kPlain, false,
     [](OperationCall& c) {
       return c.converter->prepareDoctypeForSection508(c.input.Get(), c.text.Put());
     }},
    {"setPublishMode", "stores the publish mode (--publish: true, else false)",
     "bPublishMode: --publish", "nothing", InputKind::kNone, kPlain, false,
     [](OperationCall& c) { return c.converter->setPublishMode(Bool(c.publish)); }},
    {"balance", "head and body balancing of a page (INPUT)", "html: INPUT", "the balanced page",
     InputKind::kText, kPlain, false,
     [](OperationCall& c) { return c.converter->balance(c.input.Get(), c.text.Put()); }},
    {"maskDoctype", "DOCTYPE masking of a page (INPUT)", "html: INPUT", "the masked page",
     InputKind::kText, kPlain, false,
     [](OperationCall& c) { return c.converter->maskDoctype(c.input.Get(), c.text.Put()); }},
    {"unmaskDoctype", "DOCTYPE unmasking of a page (INPUT)", "html: INPUT", "the unmasked page",
     InputKind::kText, kPlain, false,
     [](OperationCall& c) { return c.converter->unmaskDoctype(c.input.Get(), c.text.Put()); }},
    {"moveBodyTags", "moves the start tags inside the body of a page (INPUT) into its head",
     "html: INPUT", "the page with its body tags moved", InputKind::kText, kPlain, false,
     [](OperationCall& c) { return c.converter->moveBodyTags(c.input.Get(), c.text.Put()); }},
};

static_assert(std::size(kOperations) == kConverterOperationCount + 1,
              "every operation of the function table, moveBodyTags included");

}  // namespace

std::span<const OperationSpec> Operations() {
  return kOperations;
}

const OperationSpec* FindOperation(std::string_view name) {
  for (const OperationSpec& op : kOperations) {
    if (op.name == name) return &op;
  }
  return nullptr;
}

bool GivesXml(const OperationSpec& operation) {
  return operation.output == kPageXml || operation.output == kDocumentXml;
}

}  // namespace x2x
