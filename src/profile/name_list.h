// NameList: the set of names behind every name, type, attribute and prefix condition of a
// converter profile, and the matching that the rule engine and the loader's "if" use.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kpx {

enum class NameListState : std::uint8_t {
  kUnset = 0,         // matches nothing
  kListed = 1,        // matches the listed names
  kAny = 2,           // matches every name
  kAllButListed = 3,  // matches every name except the listed ones
};

class NameList {
 public:
  NameList() = default;
  explicit NameList(NameListState state) : state_(state) {}

  NameListState state() const noexcept { return state_; }
  void set_state(NameListState state) noexcept { state_ = state; }
  const std::vector<std::u16string>& names() const noexcept { return names_; }
  // Fresh lists compare case-sensitively; lists filled from a profile do not.
  bool exact_case() const noexcept { return exact_case_; }
  void set_exact_case(bool exact) noexcept { exact_case_ = exact; }

  bool IsSet() const noexcept { return state_ != NameListState::kUnset; }
  // Appends a name whatever the state (callers check the state when it matters).
  void Add(std::u16string_view name) { names_.emplace_back(name); }

  // Whether the candidate belongs to the set. A candidate holding "|" is a set of alternatives:
  // a listed name matches when an alternative begins with it. Without "|" a listed name must
  // equal the whole candidate.
  bool Matches(std::u16string_view candidate) const noexcept;

  // The union of the lists as sets of matched names, in one pass over all their names: any when
  // one is any; otherwise the listed names (each once), or, when some list is all-but-listed,
  // everything but the names that every such list leaves out and no listed list names. Unset
  // lists add nothing; the union compares with case only when every list that takes part does.
  static NameList UnionOf(std::span<const NameList* const> lists);
  // Makes this list the union of itself and other.
  void Unite(const NameList& other);

  friend bool operator==(const NameList&, const NameList&) = default;

 private:
  bool ListedNameMatches(std::u16string_view candidate) const noexcept;

  NameListState state_ = NameListState::kUnset;
  std::vector<std::u16string> names_;
  bool exact_case_ = true;
};

}  // namespace kpx
