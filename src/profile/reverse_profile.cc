#include "profile/reverse_profile.h"

#include <optional>
#include <string>

#include "profile/dom_reading.h"
#include "profile/profile_messages.h"
#include "profile/substitution_escapes.h"

namespace kpx {

bool ReverseProfile::Load(IXMLDOMNode* document) {
  loaded_ = false;
  table_.Clear();
  ComPtr<IXMLDOMNode> root = document ? FindRootElement(document) : nullptr;
  if (!root || NodeName(root.Get()) != u"xconverterReverseProfile") {
    Report(true, root ? root.Get() : document,
           profile_messages::Expected(u"xconverterReverseProfile"));
    return false;
  }
  loaded_ = true;
  ChildWalk tables(root.Get());
  while (ComPtr<IXMLDOMNode> table = tables.Next()) {
    if (NodeType(table.Get()) != NODE_ELEMENT) continue;
    if (const std::u16string name = NodeName(table.Get()); name != u"substTable") {
      Report(false, table.Get(), profile_messages::InvalidNode(name));
      continue;
    }
    ChildWalk entries(table.Get());
    while (ComPtr<IXMLDOMNode> entry = entries.Next()) {
      if (NodeType(entry.Get()) != NODE_ELEMENT) continue;
      if (const std::u16string name = NodeName(entry.Get()); name != u"subst") {
        Report(false, entry.Get(), profile_messages::InvalidNode(name));
        continue;
      }
      ReadSubst(entry.Get());
    }
  }
  return true;
}

void ReverseProfile::ReadSubst(IXMLDOMNode* element) {
  std::optional<std::u16string> key;
  std::optional<std::u16string> value;
  for (DomAttribute& attribute : AttributesOf(element)) {
    if (attribute.name == u"key") {
      key = std::move(attribute.value);
    } else if (attribute.name == u"value") {
      value = std::move(attribute.value);
    } else {
      Report(false, element, profile_messages::InvalidAttribute(attribute.name));
    }
  }
  if (!key || !value || key->empty() || value->empty()) {
    Report(false, element, profile_messages::kInvalidSubstPair);
    return;
  }
  ValueFindings findings;
  const std::u16string decoded_key = DecodeSubstitutionEscapes(*key, findings);
  const std::u16string decoded_value = DecodeSubstitutionEscapes(*value, findings);
  for (const ValueFinding& finding : findings) Report(finding.is_error, element, finding.message);
  if (decoded_key.empty() || decoded_value.empty()) return;
  table_.Add(decoded_key, decoded_value);
}

}  // namespace kpx
