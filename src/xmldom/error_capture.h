// Keeps libxml2 and libxslt messages off standard error while the stand-in calls them.
//
// Parsing reports through a handler on its own parser context; but some messages (encoding
// conversion, XPath, everything libxslt says while compiling or transforming) go to the error
// channels instead. While an ErrorCapture lives, what its thread reports there is written into
// it. libxml2's channels are per thread: the capture installs its handlers and its destructor
// puts back the previous ones. libxslt's channel is one for the process: while any capture lives
// it points at a dispatcher that writes into the capture of the calling thread and passes
// messages of other threads on to the handler that was there before.
#pragma once

#include <libxml/xmlerror.h>

#include <string>

namespace kpx {

class ErrorCapture {
 public:
  ErrorCapture();
  ~ErrorCapture();
  ErrorCapture(const ErrorCapture&) = delete;
  ErrorCapture& operator=(const ErrorCapture&) = delete;

  // What was reported, message after message; bounded in size (the first messages are kept).
  const std::string& text() const { return text_; }
  // The first line of text(), without the trailing newline; empty when nothing was reported.
  std::string FirstLine() const;

 private:
  // Called by libxml2 and libxslt: nothing is thrown from them.
  static void OnGeneric(void* self, const char* format, ...) noexcept;
  static void OnStructured(void* self, xmlError* error) noexcept;
  static void OnXsltGeneric(void* unused, const char* format, ...) noexcept;
  void Append(const char* text, size_t size) noexcept;

  xmlGenericErrorFunc old_generic_;
  void* old_generic_context_;
  xmlStructuredErrorFunc old_structured_;
  void* old_structured_context_;
  ErrorCapture* enclosing_;  // the capture of this thread that was current before
  std::string text_;
};

}  // namespace kpx
