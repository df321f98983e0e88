#include "markup/text_edit_list.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "markup/text_edit_apply.h"
#include "platform/status.h"

namespace kpx {

namespace {

std::size_t EndOf(const TextEdit& edit) noexcept {
  return edit.position + edit.count;
}

bool HasEdge(EdgeInserts edges, EdgeInserts edge) noexcept {
  return (static_cast<unsigned>(edges) & static_cast<unsigned>(edge)) != 0;
}

bool LiesInside(const TextEdit& edit, std::size_t start, std::size_t end,
                EdgeInserts edges) noexcept {
  if (edit.kind == EditKind::kInsert) {
    if (edit.position == start && HasEdge(edges, EdgeInserts::kAtStart)) return true;
    if (edit.position == end && HasEdge(edges, EdgeInserts::kAtEnd)) return true;
    return start < edit.position && edit.position < end;
  }
  return start <= edit.position && edit.position <= end && edit.count <= end - edit.position;
}

}  // namespace

void TextEditList::Assign(std::u16string text) {
  text_ = std::move(text);
  ClearEdits();
}

void TextEditList::ClearEdits() noexcept {
  edits_.clear();
  reach_.clear();
}

void TextEditList::Record(TextEdit edit) {
  edit.sequence = next_sequence_++;
  const std::size_t end = EndOf(edit);
  reach_.push_back(reach_.empty() ? end : std::max(reach_.back(), end));
  edits_.push_back(std::move(edit));
}

void TextEditList::Insert(std::size_t position, std::u16string_view text, bool after) {
  TextEdit edit;
  edit.kind = EditKind::kInsert;
  edit.position = position;
  edit.after = after;
  edit.text.Assign(text);
  Record(std::move(edit));
}

void TextEditList::Delete(std::size_t position, std::size_t count) {
  TextEdit edit;
  edit.kind = EditKind::kDelete;
  edit.position = position;
  edit.count = count;
  Record(std::move(edit));
}

void TextEditList::Move(std::size_t position, std::size_t count, std::size_t destination,
                        bool after) {
  TextEdit edit;
  edit.kind = EditKind::kMove;
  edit.position = position;
  edit.count = count;
  edit.destination = destination;
  edit.after = after;
  Record(std::move(edit));
}

void TextEditList::LowerCase(std::size_t position, std::size_t count) {
  TextEdit edit;
  edit.kind = EditKind::kLowerCase;
  edit.position = position;
  edit.count = count;
  Record(std::move(edit));
}

void TextEditList::Withdraw(std::size_t count) {
  const std::size_t keep = edits_.size() - std::min(count, edits_.size());
  edits_.resize(keep);
  reach_.resize(keep);
}

void TextEditList::RebuildReach(std::size_t first) {
  reach_.resize(edits_.size());
  for (std::size_t i = first; i < edits_.size(); ++i) {
    const std::size_t end = EndOf(edits_[i]);
    reach_[i] = i == 0 ? end : std::max(reach_[i - 1], end);
  }
}

void TextEditList::EraseEdits(std::size_t first, std::size_t count) {
  if (first >= edits_.size()) return;
  const std::size_t last = first + std::min(count, edits_.size() - first);
  edits_.erase(edits_.begin() + static_cast<std::ptrdiff_t>(first),
               edits_.begin() + static_cast<std::ptrdiff_t>(last));
  RebuildReach(first);
}

std::size_t TextEditList::EraseEditsInside(std::size_t start, std::size_t end, EdgeInserts edges) {
  if (end < start) return 0;
  // Every edit before the first whose reach gets to start ends before the range.
  const std::size_t first = static_cast<std::size_t>(
      std::lower_bound(reach_.begin(), reach_.end(), start) - reach_.begin());
  std::size_t kept = first;
  for (std::size_t i = first; i < edits_.size(); ++i) {
    if (LiesInside(edits_[i], start, end, edges)) continue;
    if (kept != i) edits_[kept] = std::move(edits_[i]);
    ++kept;
  }
  const std::size_t removed = edits_.size() - kept;
  if (removed) {
    edits_.resize(kept);
    RebuildReach(first);
  }
  return removed;
}

std::ptrdiff_t TextEditList::NetChange() const noexcept {
  std::ptrdiff_t change = 0;
  for (const TextEdit& edit : edits_) {
    if (edit.kind == EditKind::kInsert) change += static_cast<std::ptrdiff_t>(edit.text.Length());
    if (edit.kind == EditKind::kDelete) change -= static_cast<std::ptrdiff_t>(edit.count);
  }
  return change;
}

void TextEditList::Apply() {
  std::optional<std::u16string> result = ApplyEditsInOnePass(text_, edits_);
  if (!result) result = ReplayEdits(text_, edits_);
  text_ = std::move(*result);
}

}  // namespace kpx
