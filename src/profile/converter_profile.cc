#include "profile/converter_profile.h"

namespace kpx {

ConverterProfile::ConverterProfile(ProfileDiagnostics* diagnostics) : diagnostics_(diagnostics) {
  defined_symbols_.set_exact_case(false);
}

ProfileMode& ConverterProfile::ModeNamed(std::u16string_view name) {
  auto found = modes_by_name_.find(std::u16string(name));
  if (found != modes_by_name_.end()) return *found->second;
  ProfileMode& mode = *modes_.emplace_back(std::make_unique<ProfileMode>(name));
  modes_by_name_.emplace(mode.name(), &mode);
  return mode;
}

ProfileMode* ConverterProfile::FindMode(std::u16string_view name) const {
  auto found = modes_by_name_.find(std::u16string(name));
  return found == modes_by_name_.end() ? nullptr : found->second;
}

}  // namespace kpx
