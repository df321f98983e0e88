// ReverseProfile: the reverse converter profile (root "xconverterReverseProfile"): the
// substitutions that back transformation applies to the text it writes.
#pragma once

#include "kpx/msxml.h"
#include "profile/profile_diagnostics.h"
#include "profile/substitution_table.h"

namespace kpx {

class ReverseProfile {
 public:
  // diagnostics may be null: findings are then dropped. It must outlive the profile.
  explicit ReverseProfile(ProfileDiagnostics* diagnostics = nullptr) : diagnostics_(diagnostics) {}

  // Replaces the table with the pairs of `document`. Returns false, with an error and nothing
  // loaded, when the first element is not "xconverterReverseProfile"; after a root of that name
  // the profile counts as loaded, even without pairs. Misplaced elements, unknown attributes,
  // incomplete pairs and bad escapes are warnings; such a pair adds nothing. A failing document
  // interface call throws ConverterError.
  bool Load(IXMLDOMNode* document);

  bool loaded() const noexcept { return loaded_; }
  const SubstitutionTable& table() const noexcept { return table_; }

 private:
  void ReadSubst(IXMLDOMNode* element);
  void Report(bool is_error, IXMLDOMNode* node, std::u16string_view message) const {
    if (diagnostics_) diagnostics_->Report(is_error, node, message);
  }

  ProfileDiagnostics* diagnostics_;
  bool loaded_ = false;
  SubstitutionTable table_;
};

}  // namespace kpx
