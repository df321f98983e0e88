// The converter's 30 operations as x2x offers them: what each takes and gives, which options it
// reads, and the call that binds them to the interface.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "com/bstr.h"
#include "kpx/converter.h"
#include "kpx/mshtml.h"
#include "x2x/command_options.h"

namespace x2x {

// What INPUT is for an operation.
enum class InputKind {
  kNone,          // the operation takes no INPUT
  kText,          // the operation's main text
  kXmlDocument,   // an XML document (loaded with loadXML)
  kHtmlDocument,  // the editor's HTML document of a table operation
};

// The arguments of one call, bound from INPUT, the host and the options, and what it returned.
struct OperationCall {
  IXH2XConverter* converter = nullptr;
  IDispatch* application = nullptr;
  IDispatch* page = nullptr;
  IDispatch* parent = nullptr;  // --component, else the page
  kpx::Bstr input;              // the main text
  IXMLDOMDocument* inputDocument = nullptr;
  IXMLDOMDocument* profile = nullptr;     // null without --profile
  IXMLDOMDocument* stylesheet = nullptr;  // null without --stylesheet
  kpx::Bstr meta;                         // null when not given
  kpx::Bstr path;                         // null when not given
  kpx::Bstr target;
  LONG cursor = -1;
  bool wantStructure = false;
  bool warnings = false;
  bool publish = false;
  LONG tableOperation = 0;
  LONG tableOperationEx = 0;
  std::optional<LONG> columns;
  std::optional<LONG> rows;
  ComPtr<IHTMLDocument2> htmlDocument;  // the editor's document made from INPUT
  ComPtr<IDispatch> source;             // pSource of performTableOperationEx

  kpx::Bstr text;                    // a text result
  ComPtr<IXMLDOMDocument> document;  // a document result
  ComPtr<IComponentIDs> ids;
  kpx::Bstr structure;
};

struct OperationSpec {
  std::string_view name;
  std::string_view summary;    // one line, for --list
  std::string_view arguments;  // how the interface's arguments are bound, for --help
  std::string_view output;     // what goes to standard output, for --help
  InputKind input;
  OptionSet options;  // the options it reads
  bool setsErrors;    // getErrors is read after it
  HRESULT (*call)(OperationCall& call);
};

// In function-table order.
std::span<const OperationSpec> Operations();
const OperationSpec* FindOperation(std::string_view name);
// True when the operation's result is XML: page XML or the xml of a document.
bool GivesXml(const OperationSpec& operation);

}  // namespace x2x
