#include "markup/text_edit_list.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "base/large_buffers.h"
#include "base/status.h"
#include "markup/text_edit_apply.h"

namespace kpx {

namespace {

// Sequences share their word with the kind and the after flag.
constexpr std::uint64_t kMaxSequence = (std::uint64_t{1} << 61) - 1;
constexpr std::size_t kNoOffset = static_cast<std::size_t>(-1);

std::atomic<std::uint64_t> g_replayed_lists{0};

std::size_t EndOf(const PackedEdit& edit) noexcept {
  return edit.position + edit.Span();
}

template <class T>
std::size_t CapacityBytes(const std::vector<T>& v) noexcept {
  return v.capacity() * sizeof(T);
}

// A string's heap block, if it has one (short strings live inside the object).
template <class C>
std::size_t CapacityBytes(const std::basic_string<C>& s) noexcept {
  const std::size_t inside = std::basic_string<C>().capacity();
  return s.capacity() > inside ? (s.capacity() + 1) * sizeof(C) : 0;
}

bool HasEdge(EdgeInserts edges, EdgeInserts edge) noexcept {
  return (static_cast<unsigned>(edges) & static_cast<unsigned>(edge)) != 0;
}

bool LiesInside(const PackedEdit& edit, std::size_t start, std::size_t end,
                EdgeInserts edges) noexcept {
  if (edit.Kind() == EditKind::kInsert) {
    if (edit.position == start && HasEdge(edges, EdgeInserts::kAtStart)) return true;
    if (edit.position == end && HasEdge(edges, EdgeInserts::kAtEnd)) return true;
    return start < edit.position && edit.position < end;
  }
  return start <= edit.position && edit.position <= end && edit.count <= end - edit.position;
}

}  // namespace

ApplyScratchSlot::ApplyScratchSlot() noexcept = default;
ApplyScratchSlot::~ApplyScratchSlot() = default;
ApplyScratchSlot::ApplyScratchSlot(const ApplyScratchSlot&) noexcept {}
ApplyScratchSlot::ApplyScratchSlot(ApplyScratchSlot&& other) noexcept = default;
ApplyScratchSlot& ApplyScratchSlot::operator=(ApplyScratchSlot&& other) noexcept = default;

// A vector added to ApplyScratch must be counted in HeldBytes below.
static_assert(sizeof(ApplyScratch) ==
              (kApplyLanes + 18) * sizeof(std::vector<std::uint32_t>) + sizeof(std::u16string));

std::size_t ApplyScratch::HeldBytes() const noexcept {
  std::size_t bytes = 0;
  for (const auto& lane : lanes) bytes += CapacityBytes(lane);
  return bytes + CapacityBytes(inserts) + CapacityBytes(deletes) + CapacityBytes(lower_cases) +
         CapacityBytes(merge_buffer) + CapacityBytes(runs) + CapacityBytes(earliest_delete) +
         CapacityBytes(earliest_insert) + CapacityBytes(bounds) + CapacityBytes(action) +
         CapacityBytes(insert_bound) + CapacityBytes(nodes) + CapacityBytes(parent) +
         CapacityBytes(owner) + CapacityBytes(lowered) + CapacityBytes(pieces) +
         CapacityBytes(marks) + CapacityBytes(first_mark) + CapacityBytes(sorted_marks) +
         CapacityBytes(text);
}

std::size_t ApplyScratchSlot::HeldBytes() const noexcept {
  return scratch_ ? sizeof(ApplyScratch) + scratch_->HeldBytes() : 0;
}

void ApplyScratchSlot::Release() noexcept {
  scratch_.reset();
}

ApplyScratch& ApplyScratchSlot::Get() {
  if (!scratch_) scratch_ = std::make_unique<ApplyScratch>();
  return *scratch_;
}

void TextEditList::Assign(std::u16string text) {
  text_ = std::move(text);
  ClearEdits();
}

void TextEditList::ClearEdits() noexcept {
  edits_.clear();
  reach_.clear();
  pool_.clear();
}

void TextEditList::Record(EditKind kind, bool after, std::size_t position, std::size_t count,
                          std::size_t extra) {
  if (next_sequence_ > kMaxSequence) throw ConverterError(E_FAIL, "text edit counter exhausted");
  PackedEdit edit;
  edit.position = position;
  edit.count = count;
  edit.extra = extra;
  edit.tag = next_sequence_ << 3 | std::uint64_t{after} << 2 | static_cast<std::uint64_t>(kind);
  const std::size_t end = EndOf(edit);
  edits_.push_back(edit);
  try {
    reach_.push_back(reach_.empty() ? end : std::max(reach_.back(), end));
  } catch (...) {
    edits_.pop_back();
    throw;
  }
  ++next_sequence_;
}

void TextEditList::ReserveEdits(std::size_t count) {
  if (count <= edits_.capacity()) return;
  edits_.reserve(count);
  reach_.reserve(count);
  PreferHugePages(edits_.data(), edits_.capacity() * sizeof(PackedEdit));
  PreferHugePages(reach_.data(), reach_.capacity() * sizeof(std::size_t));
}

void TextEditList::Insert(std::size_t position, std::u16string_view text, bool after) {
  const std::size_t offset = pool_.size();
  pool_.append(text);
  try {
    Record(EditKind::kInsert, after, position, text.size(), offset);
  } catch (...) {
    pool_.resize(offset);
    throw;
  }
}

void TextEditList::Delete(std::size_t position, std::size_t count) {
  Record(EditKind::kDelete, false, position, count, 0);
}

void TextEditList::Move(std::size_t position, std::size_t count, std::size_t destination,
                        bool after) {
  Record(EditKind::kMove, after, position, count, destination);
}

void TextEditList::LowerCase(std::size_t position, std::size_t count) {
  Record(EditKind::kLowerCase, false, position, count, 0);
}

void TextEditList::Withdraw(std::size_t count) {
  const std::size_t keep = edits_.size() - std::min(count, edits_.size());
  // The texts of the withdrawn inserts are the pool's tail, from the first one's on.
  for (std::size_t i = keep; i < edits_.size(); ++i) {
    if (edits_[i].Kind() == EditKind::kInsert) {
      pool_.resize(edits_[i].extra);
      break;
    }
  }
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

template <class Drop>
std::size_t TextEditList::RemoveFrom(std::size_t first, Drop drop) {
  std::size_t kept = first;
  // Texts before the first insert from index first on stay where they are; the kept texts after
  // it close up behind them.
  std::size_t pool_end = kNoOffset;
  for (std::size_t i = first; i < edits_.size(); ++i) {
    PackedEdit edit = edits_[i];
    const bool insert = edit.Kind() == EditKind::kInsert;
    if (insert && pool_end == kNoOffset) pool_end = edit.extra;
    if (drop(i, edit)) continue;
    if (insert) {
      if (edit.extra != pool_end) {
        std::char_traits<char16_t>::move(pool_.data() + pool_end, pool_.data() + edit.extra,
                                         edit.count);
        edit.extra = pool_end;
      }
      pool_end += edit.count;
    }
    edits_[kept++] = edit;
  }
  const std::size_t removed = edits_.size() - kept;
  if (removed) {
    edits_.resize(kept);
    if (pool_end != kNoOffset) pool_.resize(pool_end);
    RebuildReach(first);
  }
  return removed;
}

void TextEditList::EraseEdits(std::size_t first, std::size_t count) {
  if (first >= edits_.size()) return;
  const std::size_t last = first + std::min(count, edits_.size() - first);
  RemoveFrom(first, [last](std::size_t i, const PackedEdit&) { return i < last; });
}

std::size_t TextEditList::EraseEditsInside(std::size_t start, std::size_t end, EdgeInserts edges) {
  if (end < start) return 0;
  // Every edit before the first whose reach gets to start ends before the range.
  const std::size_t first = static_cast<std::size_t>(
      std::lower_bound(reach_.begin(), reach_.end(), start) - reach_.begin());
  return RemoveFrom(first, [&](std::size_t, const PackedEdit& edit) {
    return LiesInside(edit, start, end, edges);
  });
}

std::size_t TextEditList::HeldBytes() const noexcept {
  return CapacityBytes(text_) + CapacityBytes(edits_) + CapacityBytes(pool_) +
         CapacityBytes(reach_) + scratch_.HeldBytes();
}

void TextEditList::ReleaseBuffers() noexcept {
  std::u16string().swap(text_);
  std::vector<PackedEdit>().swap(edits_);
  std::u16string().swap(pool_);
  std::vector<std::size_t>().swap(reach_);
  scratch_.Release();
}

std::ptrdiff_t TextEditList::NetChange() const noexcept {
  std::ptrdiff_t change = 0;
  for (const PackedEdit& edit : edits_) {
    if (edit.Kind() == EditKind::kInsert) change += static_cast<std::ptrdiff_t>(edit.count);
    if (edit.Kind() == EditKind::kDelete) change -= static_cast<std::ptrdiff_t>(edit.count);
  }
  return change;
}

void TextEditList::Apply() {
  ApplyKeeping(false);
}

void TextEditList::ApplyReusingText() {
  ApplyKeeping(true);
}

void TextEditList::ApplyKeeping(bool keep_replaced_text) {
  ApplyScratch& scratch = scratch_.Get();
  std::optional<std::u16string> result = ApplyEditsInPositionOrder(text_, Edits(), scratch);
  if (!result) result = ApplyEditsInOnePass(text_, Edits(), scratch);
  if (!result) {
    g_replayed_lists.fetch_add(1, std::memory_order_relaxed);
    result = ReplayEdits(text_, Edits(), scratch);
  }
  if (keep_replaced_text) {
    // The replaced text's room waits for the next result.
    text_.swap(*result);
    result->clear();
    scratch.text = std::move(*result);
  } else {
    text_ = std::move(*result);
  }
}

std::uint64_t TextEditList::ReplayedListCount() noexcept {
  return g_replayed_lists.load(std::memory_order_relaxed);
}

}  // namespace kpx
