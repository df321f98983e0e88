// ConverterProfile: what loading a forward converter profile produces: its modes by name, the
// symbols that its "if" elements test, and where the loader's findings go.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "profile/name_list.h"
#include "profile/profile_diagnostics.h"
#include "profile/profile_mode.h"

namespace kpx {

class ConverterProfile {
 public:
  // diagnostics may be null: findings are then dropped. It must outlive the profile.
  explicit ConverterProfile(ProfileDiagnostics* diagnostics = nullptr);
  ConverterProfile(const ConverterProfile&) = delete;
  ConverterProfile& operator=(const ConverterProfile&) = delete;

  // The mode of that exact name, made (empty) when there is none yet.
  ProfileMode& ModeNamed(std::u16string_view name);
  // The mode of that exact name, or null.
  ProfileMode* FindMode(std::u16string_view name) const;
  // The modes in the order they were first named.
  const std::vector<std::unique_ptr<ProfileMode>>& modes() const noexcept { return modes_; }

  // Symbols are defined before loading; "if" compares them without regard to case.
  void Define(std::u16string_view symbol) { defined_symbols_.Add(symbol); }
  const NameList& defined_symbols() const noexcept { return defined_symbols_; }

  ProfileDiagnostics* diagnostics() const noexcept { return diagnostics_; }
  void Report(bool is_error, IXMLDOMNode* node, std::u16string_view message) const {
    if (diagnostics_) diagnostics_->Report(is_error, node, message);
  }

 private:
  std::vector<std::unique_ptr<ProfileMode>> modes_;
  std::unordered_map<std::u16string, ProfileMode*> modes_by_name_;
  NameList defined_symbols_{NameListState::kListed};
  ProfileDiagnostics* diagnostics_;
};

}  // namespace kpx
