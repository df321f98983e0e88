// Escaping of attribute values, and the two process-wide switches that govern it.
#pragma once

#include <cstddef>

#include "markup/edit_sink.h"
#include "markup/markup_string.h"

namespace kpx {

// Escapes value in place: "&" becomes "&amp;" unless it already starts "&amp;", "&lt;" or
// "&gt;" (any letter case); "<" becomes "&lt;", ">" becomes "&gt;", and a double quote becomes
// "&quot;", or "&amp;quot;" while double-escaping of quotes is on. Apostrophes and all other
// characters stay. Returns whether anything was replaced.
//
// With a sink, each replacement is also recorded against the scanned text: a delete of the one
// character at its offset and an insert of the replacement there, with the after flag set (so
// it stays behind a quote that the caller inserted earlier at the same offset). value_offset is
// the offset of the value's first character (after the opening quote, if any); offsets advance
// by one per character of the value as it was before escaping.
bool EscapeAttributeValue(MarkupString& value, EditSink* sink = nullptr,
                          std::size_t value_offset = 0);

// Two process-wide switches govern escaping. Each has one value for the whole process, which
// any thread may read or set at any time (it is atomic), and each thread may override it for a
// scope with the classes below. A scope changes what its own thread sees and nothing else: two
// threads whose scopes overlap never see each other's setting, and once both scopes have ended,
// in whatever order, every thread sees the process-wide value again. (A scope that saved and
// restored the process-wide value could not promise that: balancing on one thread would turn
// escaping off for a conversion running on another, and the scope that ends last would put back
// the value the other one set.) Setting a switch while a scope is open on the thread changes the
// process-wide value; the thread sees it once its scopes have ended.

// Quotes in attribute values are escaped as "&amp;quot;" while this is on. Off at start; the
// page XML writer sets it from the page's settings and leaves it so.
bool DoubleEscapeQuotes() noexcept;
void SetDoubleEscapeQuotes(bool on) noexcept;

// While this is on, the tag parser does not escape values it reads. Off at start; the head and
// body balancing operations turn it on for their duration (with a scope).
bool AttributeEscapingOff() noexcept;
void SetAttributeEscapingOff(bool on) noexcept;

// A thread's override of a switch: none, or the value its innermost open scope set.
enum class SwitchOverride : signed char { kNone = -1, kOff = 0, kOn = 1 };

// Sets DoubleEscapeQuotes on this thread for a scope and restores the thread's previous
// setting on every way out.
class ScopedDoubleEscapeQuotes {
 public:
  explicit ScopedDoubleEscapeQuotes(bool on) noexcept;
  ~ScopedDoubleEscapeQuotes();
  ScopedDoubleEscapeQuotes(const ScopedDoubleEscapeQuotes&) = delete;
  ScopedDoubleEscapeQuotes& operator=(const ScopedDoubleEscapeQuotes&) = delete;

 private:
  SwitchOverride previous_;
};

// Sets AttributeEscapingOff on this thread for a scope and restores the thread's previous
// setting on every way out.
class ScopedAttributeEscapingOff {
 public:
  explicit ScopedAttributeEscapingOff(bool on = true) noexcept;
  ~ScopedAttributeEscapingOff();
  ScopedAttributeEscapingOff(const ScopedAttributeEscapingOff&) = delete;
  ScopedAttributeEscapingOff& operator=(const ScopedAttributeEscapingOff&) = delete;

 private:
  SwitchOverride previous_;
};

}  // namespace kpx
