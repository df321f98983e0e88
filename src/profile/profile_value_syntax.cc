#include "profile/profile_value_syntax.h"

#include <array>
#include <utility>

#include "base/ascii_case.h"
#include "profile/profile_messages.h"

namespace kpx {

namespace {

bool IsWhiteSpace(char16_t c) noexcept {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// Steps over names separated by ";" from pos, calling take(name) for each; returns the position
// after the last name and the white space that follows it.
template <class Take>
size_t ReadNames(std::u16string_view value, size_t pos, Take take) {
  for (;;) {
    while (pos < value.size() && IsWhiteSpace(value[pos])) ++pos;
    const size_t start = pos;
    while (pos < value.size() && IsProfileNameChar(value[pos])) ++pos;
    if (pos == start) return pos;
    take(value.substr(start, pos - start));
    while (pos < value.size() && IsWhiteSpace(value[pos])) ++pos;
    if (pos >= value.size() || value[pos] != u';') return pos;
    ++pos;
  }
}

struct OptionWord {
  std::u16string_view word;
  OutputOption bit;
};
constexpr std::array<OptionWord, 8> kOptionWords = {{
    {u"rawContent", kOptionRawContent},
    {u"lowerTag", kOptionLowerTag},
    {u"lowerAttributes", kOptionLowerAttributes},
    {u"upperTag", kOptionUpperTag},
    {u"upperAttributes", kOptionUpperAttributes},
    {u"simulate", kOptionSimulate},
    {u"encloseInTag", kOptionEncloseInTag},
    {u"enumerateLocal", kOptionEnumerateLocal},
}};

void Warn(ValueFindings& findings, std::u16string message) {
  findings.push_back({false, std::move(message)});
}

}  // namespace

bool IsProfileNameChar(char16_t c) noexcept {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'-' || c == u':' ||
         c == u'_';
}

void ReadNameListValue(std::u16string_view value, NameList& list, ValueFindings& findings) {
  list.set_exact_case(false);
  if (value == u"*") {
    if (!list.IsSet()) list.set_state(NameListState::kAny);
    return;
  }
  const bool negated = value.starts_with(u"!(");
  if (!list.IsSet())
    list.set_state(negated ? NameListState::kAllButListed : NameListState::kListed);
  const size_t end = ReadNames(value, negated ? 2 : 0, [&](std::u16string_view name) {
    if (list.state() == NameListState::kListed || list.state() == NameListState::kAllButListed) {
      list.Add(name);
    }
  });
  if (negated && value.substr(end) != u")") {
    Warn(findings, profile_messages::ExpectedClosingParenthesis(value));
  }
}

void ReadOutputValue(std::u16string_view value, OutputSpec& output, ValueFindings& findings) {
  constexpr std::array<std::pair<std::u16string_view, OutputKind>, 4> kPlainKinds = {{
      {u"none", OutputKind::kNone},
      {u"text", OutputKind::kText},
      {u"xml", OutputKind::kXml},
      {u"rip", OutputKind::kRip},
  }};
  output = OutputSpec{};
  for (const auto& [word, kind] : kPlainKinds) {
    if (value == word) {
      output.kind = kind;
      return;
    }
  }
  if (value.starts_with(u"xml:")) {
    output.kind = OutputKind::kXml;
    ReadNames(value, 4, [&](std::u16string_view word) {
      for (const OptionWord& option : kOptionWords) {
        if (EqualsIgnoringAsciiCase(word, option.word)) {
          output.options |= option.bit;
          return;
        }
      }
      Warn(findings, profile_messages::InvalidAttributeValue(word));
    });
    return;
  }
  if (value.starts_with(u"error:")) {
    output.kind = OutputKind::kError;
    size_t pos = 6;
    while (pos < value.size() && IsWhiteSpace(value[pos])) ++pos;
    const size_t start = pos;
    while (pos < value.size() && IsProfileNameChar(value[pos])) ++pos;
    output.error_name = value.substr(start, pos - start);
    return;
  }
  findings.push_back({true, profile_messages::InvalidAttributeValue(value)});
}

void ReadBalanceValue(std::u16string_view value, Balance& balance, ValueFindings& findings) {
  if (value == u"auto") {
    balance = Balance::kAuto;
  } else if (value == u"deny") {
    balance = Balance::kDeny;
  } else if (value == u"validate") {
    balance = Balance::kValidate;
  } else if (value == u"validate:exact") {
    balance = Balance::kValidateExact;
  } else {
    balance = Balance::kAuto;
    Warn(findings, profile_messages::InvalidAttributeValue(value));
  }
}

void ReadClosableValue(std::u16string_view value, bool& closable, ValueFindings& findings) {
  if (value == u"true") {
    closable = true;
  } else if (value == u"false") {
    closable = false;
  } else {
    Warn(findings, profile_messages::InvalidAttributeValue(value));
  }
}

}  // namespace kpx
