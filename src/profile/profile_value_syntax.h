// Reading the values of profile attributes: name lists, "output", "balance" and "closable".
// Bad values never stop the reader: each problem becomes a finding and reading goes on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "profile/name_list.h"
#include "profile/profile_rule.h"

namespace kpx {

struct ValueFinding {
  bool is_error = false;
  std::u16string message;

  friend bool operator==(const ValueFinding&, const ValueFinding&) = default;
};
using ValueFindings = std::vector<ValueFinding>;

// Name characters: ASCII letters, "-", ":" and "_" (digits end a name).
bool IsProfileNameChar(char16_t c) noexcept;

// Fills list from a value: "*" (any, when the list is still unset), "!(a;b)" (all but the
// names) or "a;b". A name is a run of name characters with white space around it; a ";" after it
// continues the list, anything else ends it. A negated list must end in exactly ")" (warning
// otherwise; the names read stay). The list becomes case-insensitive.
void ReadNameListValue(std::u16string_view value, NameList& list, ValueFindings& findings);

// "none", "text", "xml", "rip", "xml:" with option words separated by ";", or "error:" and a
// name. A value outside these leaves the output unset (an error); an unknown option word is a
// warning and is skipped.
void ReadOutputValue(std::u16string_view value, OutputSpec& output, ValueFindings& findings);

// "auto", "deny", "validate" or "validate:exact"; anything else is a warning and gives auto.
void ReadBalanceValue(std::u16string_view value, Balance& balance, ValueFindings& findings);

// "true" or "false"; anything else is a warning and leaves closable as it was.
void ReadClosableValue(std::u16string_view value, bool& closable, ValueFindings& findings);

}  // namespace kpx
