#include "profile/profile_description.h"

#include <algorithm>
#include <array>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "base/ascii_case.h"

namespace kpx {

namespace {

std::u16string Number(size_t n) {
  std::u16string text;
  do {
    text.insert(text.begin(), static_cast<char16_t>(u'0' + n % 10));
    n /= 10;
  } while (n > 0);
  return text;
}

std::u16string Hex4(char16_t unit) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string text = u"U+";
  for (int shift = 12; shift >= 0; shift -= 4) text.push_back(kDigits[(unit >> shift) & 0xF]);
  return text;
}

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// Visible on its own: not a control, not a format or spacing character that a reader cannot
// see, not a lone surrogate half (pairs are handled by the caller), not the double quote.
bool Prints(char16_t c) {
  if (c < 0x20 || c == u'"' || (c >= 0x7F && c <= 0xA0) || c == 0xAD) return false;
  if ((c >= 0x2000 && c <= 0x200F) || (c >= 0x2028 && c <= 0x202F) ||
      (c >= 0x205F && c <= 0x206F) || c == 0xFEFF || c >= 0xFFF0) {
    return false;
  }
  return !IsHighSurrogate(c) && !IsLowSurrogate(c);
}

// The names of a list once each, in their order (lists may hold repeats after unions).
std::u16string JoinNames(const NameList& list) {
  std::unordered_set<std::u16string> seen;
  std::u16string text;
  for (const std::u16string& name : list.names()) {
    std::u16string key = name;
    if (!list.exact_case()) key = AsciiLowered(key);
    if (!seen.insert(std::move(key)).second) continue;
    if (!text.empty()) text += u"; ";
    text += name;
  }
  return text;
}

constexpr std::array<std::pair<std::uint32_t, std::u16string_view>, 8> kOptionWords = {{
    {kOptionRawContent, u"rawContent"},
    {kOptionLowerTag, u"lowerTag"},
    {kOptionLowerAttributes, u"lowerAttributes"},
    {kOptionSimulate, u"simulate"},
    {kOptionUpperTag, u"upperTag"},
    {kOptionUpperAttributes, u"upperAttributes"},
    {kOptionEncloseInTag, u"encloseInTag"},
    {kOptionEnumerateLocal, u"enumerateLocal"},
}};

// "label: a 1, b 2" over the non-empty slots, or "label: none".
template <class Name, size_t N>
void AppendCounts(std::u16string& out, std::u16string_view label,
                  const std::array<size_t, N>& counts, Name name) {
  out += label;
  bool any = false;
  for (size_t slot = 0; slot < N; ++slot) {
    if (counts[slot] == 0) continue;
    out += any ? u", " : u"";
    out += name(slot);
    out += u' ';
    out += Number(counts[slot]);
    any = true;
  }
  if (!any) out += u"none";
  out += u'\n';
}

}  // namespace

std::u16string_view RuleKindName(RuleKind kind) {
  static constexpr std::u16string_view kNames[kRuleKindSlots] = {
      u"none",          u"html:tag",  u"sgml:declaration", u"kps:resource",
      u"kps:component", u"kps:block", u"kps:variable",     u"sgml:comment"};
  return kNames[static_cast<size_t>(kind)];
}

std::u16string_view DomainTypeName(DomainType type) {
  static constexpr std::u16string_view kNames[kDomainTypeSlots] = {
      u"none",          u"tag",       u"text",   u"attribute", u"comment",  u"block",
      u"any component", u"container", u"simple", u"complex",   u"embraced", u"extended"};
  return kNames[static_cast<size_t>(type)];
}

std::u16string_view BalanceName(Balance balance) {
  static constexpr std::u16string_view kNames[] = {u"", u"auto", u"deny", u"validate",
                                                   u"validate:exact"};
  return kNames[static_cast<size_t>(balance)];
}

std::u16string DescribeNameList(const NameList& list) {
  switch (list.state()) {
    case NameListState::kUnset:
      return u"unset";
    case NameListState::kAny:
      return u"any";
    case NameListState::kListed:
      return list.names().empty() ? u"(no names)" : JoinNames(list);
    case NameListState::kAllButListed:
      return list.names().empty() ? u"any" : u"all but " + JoinNames(list);
  }
  return u"";
}

std::u16string DescribeOutput(const OutputSpec& output) {
  switch (output.kind) {
    case OutputKind::kUnset:
      return u"unset";
    case OutputKind::kNone:
      return u"none";
    case OutputKind::kText:
      return u"text";
    case OutputKind::kRip:
      return u"rip";
    case OutputKind::kError:
      return u"error:" + output.error_name;
    case OutputKind::kXml:
      break;
  }
  std::u16string text = u"xml";
  char16_t separator = u':';
  for (const auto& [bit, word] : kOptionWords) {
    if ((output.options & bit) == 0) continue;
    text += separator;
    text += word;
    separator = u';';
  }
  return text;
}

std::u16string DescribeRule(const ProfileRule& rule) {
  std::u16string line(RuleKindName(rule.kind));
  if (rule.kind != RuleKind::kComponent || rule.names.IsSet()) {
    line += u' ';
    line += DescribeNameList(rule.names);
  }
  if (rule.kind == RuleKind::kComponent && rule.component_types.IsSet()) {
    line += u" (types " + DescribeNameList(rule.component_types) + u")";
  }
  if (rule.domain_type != DomainType::kNone) {
    line += u" in ";
    line += DomainTypeName(rule.domain_type);
    line += u" domain";
    if (rule.domain_names.state() != NameListState::kAny) {
      line += u" " + DescribeNameList(rule.domain_names);
    }
  }
  line += u": output " + DescribeOutput(rule.output);
  if (rule.balance != Balance::kUnset) {
    line += u", balance ";
    line += BalanceName(rule.balance);
  }
  if (rule.closable) line += u", closable";
  if (!rule.flags.names().empty()) line += u", flags " + JoinNames(rule.flags);
  for (const ReplaceEntry& entry : rule.replacements) {
    static constexpr std::u16string_view kPositions[] = {u"", u"prefix ", u"suffix "};
    line += u", replace ";
    line += kPositions[static_cast<size_t>(entry.position)];
    if (entry.position != ReplacePosition::kPlain) line += DescribeCodeUnits(entry.match) + u" ";
    line += u"with " + DescribeCodeUnits(entry.replacement);
  }
  return line;
}

std::u16string DescribeMode(const ProfileMode& mode, bool with_rules) {
  std::u16string out = u"Mode \"" + mode.name() + u"\": " + Number(mode.rules().size()) +
                       (mode.rules().size() == 1 ? u" rule\n" : u" rules\n");
  std::array<size_t, kRuleKindSlots> by_kind{};
  std::array<size_t, kDomainTypeSlots> by_domain{};
  for (size_t slot = 1; slot < kRuleKindSlots; ++slot) {
    by_kind[slot] = mode.RulesOfKind(static_cast<RuleKind>(slot)).size();
  }
  for (size_t slot = 0; slot < kDomainTypeSlots; ++slot) {
    by_domain[slot] = mode.RulesOfDomain(static_cast<DomainType>(slot)).size();
  }
  AppendCounts(out, u"  rules by kind:        ", by_kind,
               [](size_t slot) { return RuleKindName(static_cast<RuleKind>(slot)); });
  AppendCounts(out, u"  rules by domain type: ", by_domain,
               [](size_t slot) { return DomainTypeName(static_cast<DomainType>(slot)); });
  out += u"  restrict entries:     ";
  if (mode.restrict_entries.empty()) out += u"none (constructs are looked for in every attribute)";
  for (size_t i = 0; i < mode.restrict_entries.size(); ++i) {
    const RestrictEntry& entry = mode.restrict_entries[i];
    if (i > 0) out += u"\n                        ";
    out += u"tags " + DescribeNameList(entry.tag_names) + u", attributes " +
           DescribeNameList(entry.attribute_names);
  }
  auto list = [](const NameList& names) {
    return names.IsSet() ? DescribeNameList(names) : std::u16string(u"none");
  };
  out += u"\n  resource prefixes:    " + list(mode.resource_prefixes);
  out += u"\n  tag-domain names:     " + list(mode.tag_domain_names) + u"\n";
  if (with_rules && !mode.rules().empty()) {
    out += u"  rules in order:\n";
    for (size_t i = 0; i < mode.rules().size(); ++i) {
      out += u"    " + Number(i + 1) + u". " + DescribeRule(*mode.rules()[i]) + u"\n";
    }
  }
  return out;
}

std::u16string DescribeCodeUnits(std::u16string_view text) {
  if (text.empty()) return u"\"\"";
  std::u16string out;
  bool in_quotes = false;
  auto open = [&] {
    if (in_quotes) return;
    if (!out.empty()) out += u' ';
    out += u'"';
    in_quotes = true;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      open();
      out += c;
      out += text[++i];
    } else if (Prints(c)) {
      open();
      out += c;
    } else {
      if (in_quotes) out += u'"';
      in_quotes = false;
      if (!out.empty()) out += u' ';
      out += Hex4(c);
    }
  }
  if (in_quotes) out += u'"';
  return out;
}

std::u16string DescribeSubstitutions(const SubstitutionTable& table) {
  const auto& pairs = table.pairs();
  if (pairs.empty()) return u"Substitutions: none (texts pass unchanged)\n";
  size_t shortest = table.LongestKey();
  for (const SubstitutionTable::Pair& pair : pairs) shortest = std::min(shortest, pair.key.size());
  std::u16string out = u"Substitutions: " + Number(pairs.size()) +
                       (pairs.size() == 1 ? u" pair" : u" pairs") + u", keys of " +
                       Number(shortest) + u" to " + Number(table.LongestKey()) + u" code units\n";
  std::vector<std::u16string> keys;
  keys.reserve(pairs.size());
  size_t width = 0;
  for (const SubstitutionTable::Pair& pair : pairs) {
    keys.push_back(DescribeCodeUnits(pair.key));
    width = std::max(width, std::min<size_t>(keys.back().size(), 32));
  }
  for (size_t i = 0; i < pairs.size(); ++i) {
    out += u"  " + keys[i];
    if (keys[i].size() < width) out.append(width - keys[i].size(), u' ');
    out += u"  ->  " + DescribeCodeUnits(pairs[i].value);
    if (table.Find(pairs[i].key) != &pairs[i].value) {
      out += u"  (never used: an earlier pair has the same key)";
    }
    out += u'\n';
  }
  return out;
}

}  // namespace kpx
