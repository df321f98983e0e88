// Runs one operation the way a host would: loads the host file, prepares the arguments, creates
// the converter through its class factory, initializes it, calls the operation and reports. The
// parts are shared with x2x batch, which keeps one converter and one host per worker.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "x2x/command_options.h"
#include "x2x/console.h"
#include "x2x/operation_table.h"
#include "x2x/run_report.h"
#include "x2x/xml_documents.h"

namespace x2x {

// Returns the exit status. A failing initialize (or setPublishMode for --publish) does not stop
// the operation: it runs without a bound application (or in the default publish mode), and a
// note before the status line says so.
int RunOperation(const OperationSpec& operation, const CommandOptions& options, Console& console);

// A converter made as a host makes it (class factory, then CreateInstance), initialized with the
// host's application unless --no-initialize, and set to publish mode for --publish.
class ConverterSession {
 public:
  ConverterSession(const OperationSpec& operation, const CommandOptions& options,
                   IDispatch* application);

  // Null when it could not be made; Error() then says why.
  IXH2XConverter* Converter() const { return converter_.Get(); }
  const std::string& Error() const { return error_; }
  // What did not go as asked (initialize or setPublishMode failing), for every run's report.
  const std::vector<std::string>& Notes() const { return notes_; }
  void Release() { converter_.Reset(); }

 private:
  ComPtr<IXH2XConverter> converter_;
  std::string error_;
  std::vector<std::string> notes_;
};

// The arguments of one call and the documents it holds.
struct PreparedCall {
  OperationCall call;
  std::vector<LoadedDocument> documents;
  ComPtr<IDispatch> page;
  ComPtr<IDispatch> parent;

  // Lets go of everything of the host and the converter.
  void Clear() {
    call = OperationCall();
    documents.clear();
    page.Reset();
    parent.Reset();
  }
};

// Binds page `page` of the host (--component: a component of it as the parent), the main text
// `input` (named inputName in messages) and the options to the call; throws UsageError.
void PrepareCall(const OperationSpec& operation, const CommandOptions& options,
                 const FixtureHost& host, size_t page, kpx::Bstr input,
                 const std::string& inputName, PreparedCall& prepared);

// True when a successful call gave something to write: a text, a document, an edited document.
bool HasResult(const OperationCall& call);

// Writes the result to out, and the --structure and --ids files; returns the exit status.
int DeliverResults(OperationCall& call, const CommandOptions& options, std::ostream& out,
                   RunReport& report);

// The converter's error text after an operation that sets it; none when it has none.
void ReadErrors(const OperationSpec& operation, IXH2XConverter* converter, RunReport& report);

}  // namespace x2x
