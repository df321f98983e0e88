#include "profile/name_list.h"

#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "base/ascii_case.h"

namespace kpx {

namespace {

bool SameName(std::u16string_view a, std::u16string_view b, bool exact) noexcept {
  return exact ? a == b : EqualsIgnoringAsciiCase(a, b);
}

std::u16string Key(std::u16string_view name, bool exact) {
  std::u16string key(name);
  if (!exact) {
    for (char16_t& c : key) c = AsciiToLower(c);
  }
  return key;
}

}  // namespace

bool NameList::Matches(std::u16string_view candidate) const noexcept {
  switch (state_) {
    case NameListState::kAny:
      return true;
    case NameListState::kUnset:
      return false;
    case NameListState::kListed:
      return ListedNameMatches(candidate);
    case NameListState::kAllButListed:
      return !ListedNameMatches(candidate);
  }
  return false;
}

bool NameList::ListedNameMatches(std::u16string_view candidate) const noexcept {
  const bool alternatives = candidate.find(u'|') != std::u16string_view::npos;
  for (const std::u16string& name : names_) {
    if (!alternatives) {
      if (SameName(name, candidate, exact_case_)) return true;
      continue;
    }
    // Each alternative starts at the beginning or just after a "|"; a listed name matches an
    // alternative that begins with it.
    for (size_t start = 0;;) {
      const std::u16string_view rest = candidate.substr(start);
      if (rest.size() >= name.size() && SameName(rest.substr(0, name.size()), name, exact_case_)) {
        return true;
      }
      const size_t bar = candidate.find(u'|', start);
      if (bar == std::u16string_view::npos) break;
      start = bar + 1;
    }
  }
  return false;
}

NameList NameList::UnionOf(std::span<const NameList* const> lists) {
  NameList result;
  bool exact = true;
  size_t negated = 0;
  for (const NameList* list : lists) {
    if (list->state_ == NameListState::kUnset) continue;
    if (list->state_ == NameListState::kAny) {
      result.state_ = NameListState::kAny;
      return result;
    }
    exact = exact && list->exact_case_;
    if (list->state_ == NameListState::kAllButListed) ++negated;
    if (result.state_ == NameListState::kUnset) result.state_ = NameListState::kListed;
  }
  result.exact_case_ = exact;
  if (result.state_ == NameListState::kUnset) return result;

  // Listed names, each once.
  std::unordered_set<std::u16string> listed;
  std::vector<std::u16string> listed_names;
  for (const NameList* list : lists) {
    if (list->state_ != NameListState::kListed) continue;
    for (const std::u16string& name : list->names_) {
      if (listed.insert(Key(name, exact)).second) listed_names.push_back(name);
    }
  }
  if (negated == 0) {
    result.names_ = std::move(listed_names);
    return result;
  }
  // Names that every all-but-listed list leaves out: counted once per list.
  struct Seen {
    size_t lists = 0;
    size_t last = 0;  // 1 + index of the last list that counted it
  };
  std::unordered_map<std::u16string, Seen> excluded;
  size_t index = 0;
  const NameList* first = nullptr;
  for (const NameList* list : lists) {
    ++index;
    if (list->state_ != NameListState::kAllButListed) continue;
    if (!first) first = list;
    for (const std::u16string& name : list->names_) {
      Seen& seen = excluded[Key(name, exact)];
      if (seen.last != index) {
        seen.last = index;
        ++seen.lists;
      }
    }
  }
  result.state_ = NameListState::kAllButListed;
  for (const std::u16string& name : first->names_) {
    std::u16string key = Key(name, exact);
    auto found = excluded.find(key);
    if (found == excluded.end() || found->second.lists != negated || listed.contains(key)) {
      continue;
    }
    excluded.erase(found);  // each once
    result.names_.push_back(name);
  }
  return result;
}

void NameList::Unite(const NameList& other) {
  const NameList* lists[] = {this, &other};
  *this = UnionOf(lists);
}

}  // namespace kpx
