#include "profile/effective_mode.h"

namespace kpx {

ProfileMode& BuildEffectiveMode(ConverterProfile& profile, std::u16string_view mode_name) {
  ProfileMode& requested = profile.ModeNamed(mode_name);
  ProfileMode& effective = profile.ModeNamed(u"default");
  if (&requested == &effective) return effective;
  for (const RestrictEntry& entry : requested.restrict_entries) {
    effective.restrict_entries.push_back(entry);
  }
  for (const ProfileRule* rule : requested.rules()) {
    effective.Register(effective.AppendRule(*rule));
  }
  effective.tag_domain_names.Unite(requested.tag_domain_names);
  effective.resource_prefixes.Unite(requested.resource_prefixes);
  return effective;
}

}  // namespace kpx
