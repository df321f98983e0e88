// The operation runner.
#include "x2x/operation_runner.h"

#include <filesystem>
#include <fstream>
#include <ostream>

#include "base/utf.h"
#include "com/variant_holder.h"
#include "x2x/host_file_loader.h"
#include "x2x/input_decoding.h"
#include "x2x/run_report.h"
#include "x2x/status_names.h"
#include "x2x/table_arguments.h"
#include "x2x/text_output.h"
#include "x2x/xml_documents.h"

namespace x2x {

namespace {

SwitchAnswerSource AnswerSource(const CommandOptions& options, const Console& console) {
  if (options.Given(kOptAnswer)) {
    bool yes = options.answer == "yes";
    return [yes](const SwitchQuestion&) { return SwitchAnswer{yes, false}; };
  }
  if (console.inputIsTerminal && console.askOnTerminal) return console.askOnTerminal;
  return [](const SwitchQuestion&) { return SwitchAnswer{}; };
}

HostData LoadHost(const CommandOptions& options) {
  if (!options.Given(kOptHost)) {
    std::error_code ec;
    return EmptyHostData(std::filesystem::current_path(ec));
  }
  try {
    return LoadHostFile(options.host);
  } catch (const HostFileError& e) {
    throw UsageError{e.what()};
  }
}

// Command-line text for a BSTR argument: it must be UTF-8.
kpx::Bstr ArgumentText(const std::string& text, const char* option) {
  if (auto bad = kpx::FindInvalidUtf8(text)) {
    throw UsageError{std::string(option) + ": invalid UTF-8 at byte offset " +
                     std::to_string(*bad)};
  }
  return kpx::Bstr(kpx::ToUtf16(text));
}

kpx::Bstr ReadInput(const CommandOptions& options, Console& console) {
  return ReadInputText(options.input, console.in);
}

// The editor's document of a table operation, made from INPUT, with the selection (--select) or
// the source element (--source, else the table itself) in table --table.
void PrepareEditorDocument(std::u16string_view text, const OperationSpec& operation,
                           const CommandOptions& options, OperationCall& call) {
  std::string error;
  std::optional<TableSelection> selection;
  if (options.Given(kOptSelect)) {
    selection = ParseSelection(options.select, &error);
    if (!selection) throw UsageError{"--select: " + error};
  }
  std::optional<CellRef> source;
  if (options.Given(kOptSource)) {
    source = ParseCellRef(options.source);
    if (!source) throw UsageError{"--source: bad cell '" + options.source + "' (R.C expected)"};
  }
  call.htmlDocument = LoadEditorDocument(text, &error);
  if (!call.htmlDocument) throw UsageError{error};
  ComPtr<IHTMLElement> table = FindTable(call.htmlDocument.Get(), options.table);
  if (!table && (options.Given(kOptTable) || selection || source)) {
    throw UsageError{"the document has no table " + std::to_string(options.table) + " (it has " +
                     std::to_string(CountTables(call.htmlDocument.Get())) + ")"};
  }
  if (selection && !ApplySelection(call.htmlDocument.Get(), table.Get(), *selection, &error)) {
    throw UsageError{"--select: " + error};
  }
  if (!(operation.options & kOptSource)) return;
  ComPtr<IHTMLElement> element = table;
  if (source) {
    element = FindCell(table.Get(), *source);
    if (!element) throw UsageError{"--source: the table has no cell " + options.source};
  } else if (!element) {
    // No table at all: the body goes, and the operation says what it makes of it.
    call.htmlDocument->get_body(element.Put());
  }
  call.source = element;
}

// Binds INPUT and the options to the call's arguments; throws UsageError for what does not read.
void PrepareArguments(const OperationSpec& operation, const CommandOptions& options,
                      Console& console, OperationCall& call,
                      std::vector<LoadedDocument>& documents) {
  auto keep = [&](LoadedDocument loaded) -> IXMLDOMDocument* {
    if (!loaded.document) throw UsageError{loaded.error};
    documents.push_back(std::move(loaded));
    return documents.back().document.Get();
  };
  if (operation.input != InputKind::kNone) {
    call.input = ReadInput(options, console);
    if (operation.input == InputKind::kXmlDocument) {
      std::string name =
          options.input.empty() || options.input == "-" ? "standard input" : options.input;
      call.inputDocument = keep(LoadXmlText(call.input.View(), name));
    }
    if (operation.input == InputKind::kHtmlDocument) {
      PrepareEditorDocument(call.input.View(), operation, options, call);
    }
  }
  if (options.Given(kOptMeta)) call.meta = ArgumentText(options.meta, "--meta");
  if (options.Given(kOptPath)) call.path = ArgumentText(options.path, "--path");
  call.target = ArgumentText(options.target, "--target");
  call.cursor = options.cursor;
  call.wantStructure = options.Given(kOptStructure);
  call.warnings = options.Given(kOptWarnings);
  call.publish = options.Given(kOptPublish);
  if (options.Given(kOptProfile)) call.profile = keep(LoadXmlFile(options.profile));
  if (options.Given(kOptStylesheet)) call.stylesheet = keep(LoadXmlFile(options.stylesheet));
  if (operation.options & kOptOp) {
    auto code = ParseTableOperation(options.op);
    if (!code) throw UsageError{"--op: unknown table operation '" + options.op + "'"};
    call.tableOperation = *code;
  }
  if (operation.options & kOptOpex) {
    auto code = ParseTableOperationEx(options.opex);
    if (!code) throw UsageError{"--opex: unknown extended table operation '" + options.opex + "'"};
    call.tableOperationEx = *code;
  }
  if (options.Given(kOptSelect)) {
    std::string error;
    if (!ParseSelection(options.select, &error)) throw UsageError{"--select: " + error};
  }
  if (options.Given(kOptSource) && !ParseCellRef(options.source)) {
    throw UsageError{"--source: bad cell '" + options.source + "' (R.C expected)"};
  }
  if (options.Given(kOptCols)) call.columns = options.cols;
  if (options.Given(kOptRows)) call.rows = options.rows;
}

// The converter, made as a host makes it: class factory, then CreateInstance.
ComPtr<IXH2XConverter> CreateConverter(std::string* error) {
  ComPtr<IClassFactory> factory;
  HRESULT hr = DllGetClassObject(CLSID_XH2XConverter, IClassFactory::kIID, factory.PutVoid());
  if (FAILED(hr) || !factory) {
    *error = "DllGetClassObject returned " + DescribeStatus(FAILED(hr) ? hr : E_POINTER);
    return nullptr;
  }
  ComPtr<IXH2XConverter> converter;
  hr = factory->CreateInstance(nullptr, IXH2XConverter::kIID, converter.PutVoid());
  if (FAILED(hr) || !converter) {
    *error =
        "IClassFactory::CreateInstance returned " + DescribeStatus(FAILED(hr) ? hr : E_POINTER);
    return nullptr;
  }
  return converter;
}

// Writes a result file; a note and false when it cannot.
bool WriteFile(const std::string& path, const std::string& text, RunReport& report) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) out << text;
  if (!out) {
    report.AddNote("x2x: cannot write " + path);
    return false;
  }
  return true;
}

std::string IdLines(IComponentIDs* ids) {
  std::string lines;
  LONG count = 0;
  if (FAILED(ids->get_count(&count))) return lines;
  for (LONG i = 1; i <= count; ++i) {
    kpx::VariantHolder item;
    kpx::VariantHolder text;
    if (SUCCEEDED(ids->item(i, item.Get())) &&
        SUCCEEDED(VariantChangeType(text.Get(), item.Get(), 0, VT_BSTR))) {
      lines += kpx::ToUtf8(kpx::BstrView(text->bstrVal)) + "\n";
    }
  }
  return lines;
}

// Sends the results of a successful call where they go; returns the exit status.
int DeliverResults(OperationCall& call, const CommandOptions& options, Console& console,
                   RunReport& report) {
  int exit = kExitSuccess;
  if (!call.text.IsNull()) {
    WriteUtf8(console.out, call.text.View());
  } else if (call.htmlDocument) {
    WriteUtf8(console.out, WrittenDocument(call.htmlDocument.Get()));
  } else if (call.document) {
    kpx::Bstr xml;
    HRESULT hr = call.document->get_xml(xml.Put());
    if (FAILED(hr)) {
      report.AddNote("x2x: the returned document's xml could not be read: " + DescribeStatus(hr));
      exit = kExitFailure;
    } else {
      WriteUtf8(console.out, xml.View());
    }
  }
  console.out.flush();
  if (options.Given(kOptStructure) && !call.structure.IsNull() &&
      !WriteFile(options.structure, kpx::ToUtf8(call.structure.View()), report)) {
    exit = kExitUsage;
  }
  if (options.Given(kOptIds) && call.ids &&
      !WriteFile(options.ids, IdLines(call.ids.Get()), report)) {
    exit = kExitUsage;
  }
  return exit;
}

int Run(const OperationSpec& operation, const CommandOptions& options, Console& console) {
  FixtureHost host(LoadHost(options), AnswerSource(options, console));
  size_t page = 0;
  if (options.Given(kOptPage)) {
    auto found = host.FindPage(kpx::ToUtf16(options.page));
    if (!found) {
      std::string names;
      for (const PageData& p : host.Data().pages)
        names += (names.empty() ? "" : ", ") + kpx::ToUtf8(p.name);
      throw UsageError{"the host has no page named '" + options.page + "' (its pages: " + names +
                       ")"};
    }
    page = *found;
  }
  ComPtr<IDispatch> pageObject = host.Page(page);
  ComPtr<IDispatch> parent = pageObject;
  if (options.Given(kOptComponent)) {
    parent = host.Component(page, options.component);
    if (!parent) {
      throw UsageError{"page '" + kpx::ToUtf8(host.Data().pages[page].name) +
                       "' has no component with the identifier " +
                       std::to_string(options.component)};
    }
  }

  std::vector<LoadedDocument> documents;
  OperationCall call;
  PrepareArguments(operation, options, console, call, documents);
  call.application = host.Application();
  call.page = pageObject.Get();
  call.parent = parent.Get();

  std::string error;
  ComPtr<IXH2XConverter> converter = CreateConverter(&error);
  if (!converter) {
    console.err << "x2x: cannot create the converter: " << error << "\n";
    return kExitFailure;
  }
  call.converter = converter.Get();

  RunReport report;
  if (operation.name != "initialize" && !options.Given(kOptNoInitialize)) {
    HRESULT hr = converter->initialize(host.Application());
    if (FAILED(hr)) {
      report.AddNote("x2x: initialize returned " + DescribeStatus(hr) +
                     "; the operation runs without a bound application");
    }
  }
  if (operation.name != "setPublishMode" && options.Given(kOptPublish)) {
    HRESULT hr = converter->setPublishMode(VARIANT_TRUE);
    if (FAILED(hr)) {
      report.AddNote("x2x: setPublishMode returned " + DescribeStatus(hr) +
                     "; the operation runs in the default publish mode");
    }
  }

  HRESULT status = operation.call(call);
  int exit = SUCCEEDED(status) ? DeliverResults(call, options, console, report) : kExitFailure;
  if (operation.setsErrors) {
    kpx::Bstr errors;
    if (converter->getErrors(errors.Put()) == S_OK && !errors.IsNull())
      report.SetErrors(errors.Str());
  }
  // The library lets go of everything of the host before the host's messages are read out.
  call = OperationCall();
  documents.clear();
  converter.Reset();
  if (options.Given(kOptDumpProject) && host.Data().project) {
    for (const auto& [name, value] : host.Data().project->values) {
      report.AddNote("project: " + kpx::ToUtf8(name) + "=" + kpx::ToUtf8(value));
    }
  }
  report.Write(console.err, host.Messages(), operation.name, status);
  return exit;
}

}  // namespace

int RunOperation(const OperationSpec& operation, const CommandOptions& options, Console& console) {
  try {
    return Run(operation, options, console);
  } catch (const UsageError& e) {
    console.err << "x2x: " << e.message << "\n";
    return kExitUsage;
  }
}

}  // namespace x2x
