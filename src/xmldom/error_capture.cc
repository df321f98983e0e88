// Redirection of libxml2's and libxslt's error channels.
#include "xmldom/error_capture.h"

#include <libxml/globals.h>
#include <libxslt/xsltutils.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace kpx {

namespace {

// Enough for any diagnosis; a stylesheet that reports in a loop cannot grow it further.
constexpr size_t kMaxCapturedText = 64 * 1024;

thread_local ErrorCapture* t_current_capture = nullptr;

// libxslt's process-wide channel while captures are alive, and what it was before.
struct XsltChannel {
  std::mutex mutex;
  int captures = 0;
  xmlGenericErrorFunc saved = nullptr;
  void* saved_context = nullptr;
};

XsltChannel& Channel() {
  static XsltChannel channel;
  return channel;
}

// Formats a printf-style message into a bounded buffer; returns its length.
size_t Format(char (&buffer)[1024], const char* format, va_list args) {
  const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  if (length <= 0) return 0;
  return std::min(static_cast<size_t>(length), sizeof buffer - 1);
}

}  // namespace

ErrorCapture::ErrorCapture()
    : old_generic_(xmlGenericError),
      old_generic_context_(xmlGenericErrorContext),
      old_structured_(xmlStructuredError),
      old_structured_context_(xmlStructuredErrorContext),
      enclosing_(t_current_capture) {
  xmlSetGenericErrorFunc(this, &ErrorCapture::OnGeneric);
  xmlSetStructuredErrorFunc(this, &ErrorCapture::OnStructured);
  t_current_capture = this;
  XsltChannel& channel = Channel();
  std::lock_guard<std::mutex> lock(channel.mutex);
  if (channel.captures++ == 0) {
    channel.saved = xsltGenericError;
    channel.saved_context = xsltGenericErrorContext;
    xsltSetGenericErrorFunc(nullptr, &ErrorCapture::OnXsltGeneric);
  }
}

ErrorCapture::~ErrorCapture() {
  {
    XsltChannel& channel = Channel();
    std::lock_guard<std::mutex> lock(channel.mutex);
    if (--channel.captures == 0) xsltSetGenericErrorFunc(channel.saved_context, channel.saved);
  }
  t_current_capture = enclosing_;
  xmlSetStructuredErrorFunc(old_structured_context_, old_structured_);
  xmlSetGenericErrorFunc(old_generic_context_, old_generic_);
}

std::string ErrorCapture::FirstLine() const {
  const size_t end = text_.find('\n');
  return text_.substr(0, end);
}

void ErrorCapture::Append(const char* text, size_t size) noexcept {
  if (text_.size() >= kMaxCapturedText) return;
  try {
    text_.append(text, std::min(size, kMaxCapturedText - text_.size()));
  } catch (...) {
    // Without memory the message is lost; the failure itself is still reported by status.
  }
}

void ErrorCapture::OnGeneric(void* self, const char* format, ...) noexcept {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  const size_t size = Format(buffer, format, args);
  va_end(args);
  static_cast<ErrorCapture*>(self)->Append(buffer, size);
}

void ErrorCapture::OnStructured(void* self, xmlError* error) noexcept {
  if (!error || !error->message) return;
  static_cast<ErrorCapture*>(self)->Append(error->message, std::strlen(error->message));
}

void ErrorCapture::OnXsltGeneric(void*, const char* format, ...) noexcept {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  const size_t size = Format(buffer, format, args);
  va_end(args);
  if (ErrorCapture* capture = t_current_capture) {
    capture->Append(buffer, size);
    return;
  }
  // Another thread's message: to the handler it would have reached without us.
  xmlGenericErrorFunc saved = nullptr;
  void* saved_context = nullptr;
  try {
    XsltChannel& channel = Channel();
    std::lock_guard<std::mutex> lock(channel.mutex);
    saved = channel.saved;
    saved_context = channel.saved_context;
  } catch (...) {
    return;  // the mutex failed: the message is dropped
  }
  if (saved) saved(saved_context, "%s", buffer);
}

}  // namespace kpx
