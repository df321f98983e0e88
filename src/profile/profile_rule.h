// One rule of a converter profile mode: which construct it governs, in which context, and what it
// becomes in the page XML; with the kinds, domain types and output settings it is made of.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "profile/name_list.h"

namespace kpx {

class ProfileMode;

// The element that produced a rule. Lists indexed by kind have kRuleKindSlots slots; slot 0 stays
// empty.
enum class RuleKind : std::uint8_t {
  kNone = 0,
  kHtmlTag = 1,          // html:tag
  kSgmlDeclaration = 2,  // sgml:declaration
  kResource = 3,         // kps:resource
  kComponent = 4,        // kps:component
  kBlock = 5,            // kps:block
  kVariable = 6,         // kps:variable
  kSgmlComment = 7,      // sgml:comment
};
inline constexpr std::size_t kRuleKindSlots = 8;

// The context a domain element sets for the rules inside it.
enum class DomainType : std::uint8_t {
  kNone = 0,  // the rule stands directly in a mode or an "if"
  // html:domain
  kTag = 1,
  kText = 2,
  kAttribute = 3,
  kComment = 4,
  // kps:domain
  kBlock = 5,
  kAnyComponent = 6,
  kContainerComponent = 7,
  kSimpleComponent = 8,
  kComplexComponent = 9,
  kEmbracedComponent = 10,
  kExtendedComponent = 11,
};
inline constexpr std::size_t kDomainTypeSlots = 12;

enum class OutputKind : std::uint8_t {
  kUnset = 0,
  kNone = 1,
  kText = 2,
  kXml = 3,
  kRip = 4,
  kError = 5,
};

// Option bits of an xml output, from the words after "xml:". No other bit comes from a profile;
// the rule engine keeps the others for rules it makes itself.
enum OutputOption : std::uint32_t {
  kOptionRawContent = 0x001,
  kOptionLowerTag = 0x002,
  kOptionLowerAttributes = 0x004,
  kOptionSimulate = 0x008,
  kOptionUpperTag = 0x010,
  kOptionUpperAttributes = 0x020,
  kOptionEncloseInTag = 0x040,
  kOptionEnumerateLocal = 0x400,
  // Kept for rules the engine makes itself: what the node's markup becomes.
  kOptionLiteralEndOnly = 0x080,  // node flag 0x400
  kOptionBalanceMarker = 0x100,   // node flag 0x800
  kOptionLiteralClosing = 0x200,  // node flag 0x80000
};

// What a rule must have to be found by a search (a rule qualifies only with every bit asked).
enum RuleRequirement : std::uint32_t {
  kRequireOutput = 0x01,
  kRequireBalance = 0x02,
  kRequireComponentTypes = 0x04,
  kRequireReplacement = 0x08,
  kRequireNames = 0x10,
};

struct OutputSpec {
  OutputKind kind = OutputKind::kUnset;
  std::u16string error_name;  // the name after "error:"
  std::uint32_t options = 0;  // OutputOption bits

  friend bool operator==(const OutputSpec&, const OutputSpec&) = default;
};

enum class Balance : std::uint8_t {
  kUnset = 0,
  kAuto = 1,
  kDeny = 2,
  kValidate = 3,
  kValidateExact = 4,
};

enum class ReplacePosition : std::uint8_t { kPlain = 0, kPrefix = 1, kSuffix = 2 };

struct ReplaceEntry {
  ReplacePosition position = ReplacePosition::kPlain;
  std::u16string match;        // the text a prefix or suffix must match
  std::u16string replacement;  // the text of one CDATA section

  friend bool operator==(const ReplaceEntry&, const ReplaceEntry&) = default;
};

struct ProfileRule {
  ProfileRule() { flags.set_state(NameListState::kListed); }

  NameList names;  // the construct's names
  OutputSpec output;
  Balance balance = Balance::kUnset;
  NameList flags;                              // attribute names set to "true" on the node
  NameList domain_names;                       // the enclosing domain's names (unset outside)
  DomainType domain_type = DomainType::kNone;  // the enclosing domain's type
  std::vector<ReplaceEntry> replacements;      // in document order
  bool closable = false;
  NameList component_types;  // kps:component only
  RuleKind kind = RuleKind::kNone;
  ProfileMode* mode = nullptr;  // the mode that holds the rule
};

// Whether the rule has every part that requirements (RuleRequirement bits) asks for.
bool MeetsRequirements(const ProfileRule& rule, std::uint32_t requirements) noexcept;

// One "tag" of html:restrict: in which tags' attributes template constructs are looked for.
struct RestrictEntry {
  NameList tag_names;
  NameList attribute_names;
};

}  // namespace kpx
