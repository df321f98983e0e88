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

// Process-wide switch: quotes in attribute values are escaped as "&amp;quot;" while it is on.
// Off at start; the page XML writer sets it from the page's settings and leaves it so.
bool DoubleEscapeQuotes() noexcept;
void SetDoubleEscapeQuotes(bool on) noexcept;

// Process-wide switch: while it is on, the tag parser does not escape values it reads. Off at
// start; the head and body balancing operations turn it on for their duration.
bool AttributeEscapingOff() noexcept;
void SetAttributeEscapingOff(bool on) noexcept;

// Sets DoubleEscapeQuotes for a scope and restores the previous value on every way out.
class ScopedDoubleEscapeQuotes {
 public:
  explicit ScopedDoubleEscapeQuotes(bool on) noexcept : previous_(DoubleEscapeQuotes()) {
    SetDoubleEscapeQuotes(on);
  }
  ~ScopedDoubleEscapeQuotes() { SetDoubleEscapeQuotes(previous_); }
  ScopedDoubleEscapeQuotes(const ScopedDoubleEscapeQuotes&) = delete;
  ScopedDoubleEscapeQuotes& operator=(const ScopedDoubleEscapeQuotes&) = delete;

 private:
  bool previous_;
};

// Sets AttributeEscapingOff for a scope and restores the previous value on every way out.
class ScopedAttributeEscapingOff {
 public:
  explicit ScopedAttributeEscapingOff(bool on = true) noexcept : previous_(AttributeEscapingOff()) {
    SetAttributeEscapingOff(on);
  }
  ~ScopedAttributeEscapingOff() { SetAttributeEscapingOff(previous_); }
  ScopedAttributeEscapingOff(const ScopedAttributeEscapingOff&) = delete;
  ScopedAttributeEscapingOff& operator=(const ScopedAttributeEscapingOff&) = delete;

 private:
  bool previous_;
};

}  // namespace kpx
