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

// Binds the main text and the options to the call's arguments; throws UsageError for what does
// not read.
void PrepareArguments(const OperationSpec& operation, const CommandOptions& options,
                      kpx::Bstr input, const std::string& inputName, OperationCall& call,
                      std::vector<LoadedDocument>& documents) {
  auto keep = [&](LoadedDocument loaded) -> IXMLDOMDocument* {
    if (!loaded.document) throw UsageError{loaded.error};
    documents.push_back(std::move(loaded));
    return documents.back().document.Get();
  };
  if (operation.input != InputKind::kNone) {
    call.input = std::move(input);
    if (operation.input == InputKind::kXmlDocument) {
      call.inputDocument = keep(LoadXmlText(call.input.View(), inputName));
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

// The page object, and the parent of the fragment operations (--component, else the page).
void BindPage(const OperationSpec& operation, const CommandOptions& options,
              const FixtureHost& host, size_t page, PreparedCall& prepared) {
  prepared.page = host.Page(page);
  prepared.parent = prepared.page;
  if ((operation.options & kOptComponent) && options.Given(kOptComponent)) {
    prepared.parent = host.Component(page, options.component);
    if (!prepared.parent) {
      throw UsageError{"page '" + kpx::ToUtf8(host.Data().pages[page].name) +
                       "' has no component with the identifier " +
                       std::to_string(options.component)};
    }
  }
}

size_t ChosenPage(const FixtureHost& host, const CommandOptions& options) {
  if (!options.Given(kOptPage)) return 0;
  auto found = host.FindPage(kpx::ToUtf16(options.page));
  if (!found) {
    std::string names;
    for (const PageData& p : host.Data().pages)
      names += (names.empty() ? "" : ", ") + kpx::ToUtf8(p.name);
    throw UsageError{"the host has no page named '" + options.page + "' (its pages: " + names +
                     ")"};
  }
  return *found;
}

int Run(const OperationSpec& operation, const CommandOptions& options, Console& console) {
  FixtureHost host(LoadHost(options), AnswerSource(options, console));
  size_t page = ChosenPage(host, options);
  PreparedCall prepared;
  BindPage(operation, options, host, page, prepared);
  kpx::Bstr input;
  if (operation.input != InputKind::kNone) input = ReadInputText(options.input, console.in);
  std::string inputName =
      options.input.empty() || options.input == "-" ? "standard input" : options.input;
  PrepareCall(operation, options, host, page, std::move(input), inputName, prepared);

  ConverterSession session(operation, options, host.Application());
  if (!session.Converter()) {
    console.err << "x2x: cannot create the converter: " << session.Error() << "\n";
    return kExitFailure;
  }
  RunReport report;
  for (const std::string& note : session.Notes()) report.AddNote(note);
  prepared.call.converter = session.Converter();
  HRESULT status = operation.call(prepared.call);
  int exit = kExitFailure;
  if (SUCCEEDED(status)) {
    exit = DeliverResults(prepared.call, options, console.out, report);
    console.out.flush();
  }
  ReadErrors(operation, session.Converter(), report);
  // The library lets go of everything of the host before the host's messages are read out.
  prepared.Clear();
  session.Release();
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

ConverterSession::ConverterSession(const OperationSpec& operation, const CommandOptions& options,
                                   IDispatch* application) {
  converter_ = CreateConverter(&error_);
  if (!converter_) return;
  if (operation.name != "initialize" && !options.Given(kOptNoInitialize)) {
    HRESULT hr = converter_->initialize(application);
    if (FAILED(hr)) {
      notes_.push_back("x2x: initialize returned " + DescribeStatus(hr) +
                       "; the operation runs without a bound application");
    }
  }
  if (operation.name != "setPublishMode" && options.Given(kOptPublish)) {
    HRESULT hr = converter_->setPublishMode(VARIANT_TRUE);
    if (FAILED(hr)) {
      notes_.push_back("x2x: setPublishMode returned " + DescribeStatus(hr) +
                       "; the operation runs in the default publish mode");
    }
  }
}

void PrepareCall(const OperationSpec& operation, const CommandOptions& options,
                 const FixtureHost& host, size_t page, kpx::Bstr input,
                 const std::string& inputName, PreparedCall& prepared) {
  if (!prepared.page) BindPage(operation, options, host, page, prepared);
  PrepareArguments(operation, options, std::move(input), inputName, prepared.call,
                   prepared.documents);
  prepared.call.application = host.Application();
  prepared.call.page = prepared.page.Get();
  prepared.call.parent = prepared.parent.Get();
}

bool HasResult(const OperationCall& call) {
  return !call.text.IsNull() || call.htmlDocument || call.document;
}

int DeliverResults(OperationCall& call, const CommandOptions& options, std::ostream& out,
                   RunReport& report) {
  int exit = kExitSuccess;
  if (!call.text.IsNull()) {
    WriteUtf8(out, call.text.View());
  } else if (call.htmlDocument) {
    WriteUtf8(out, WrittenDocument(call.htmlDocument.Get()));
  } else if (call.document) {
    kpx::Bstr xml;
    HRESULT hr = call.document->get_xml(xml.Put());
    if (FAILED(hr)) {
      report.AddNote("x2x: the returned document's xml could not be read: " + DescribeStatus(hr));
      exit = kExitFailure;
    } else {
      WriteUtf8(out, xml.View());
    }
  }
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

void ReadErrors(const OperationSpec& operation, IXH2XConverter* converter, RunReport& report) {
  if (!operation.setsErrors) return;
  kpx::Bstr errors;
  if (converter->getErrors(errors.Put()) == S_OK && !errors.IsNull())
    report.SetErrors(errors.Str());
}

}  // namespace x2x
