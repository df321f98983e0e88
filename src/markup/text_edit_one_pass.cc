// Applying a list of inserts, deletes and lower-cases in one pass.
//
// The text is cut at every offset where an insert lands or a delete starts or ends, giving
// segments of original text with slots between them. The edits are then replayed in recording
// order on a linked list of slots, segments and inserted texts, without any position
// arithmetic: an insert puts its text into the slot where it stands, splitting the slot so that
// the inserts still waiting there with the after flag set move behind the new text and the
// others stay in front of it; a delete unlinks its segment and joins the slots on either side.
// The waiting inserts of a slot are kept as two union-find sets (after set, after clear), so
// both steps cost almost nothing. For lists whose edits do not overlap this gives exactly the
// order that shifting every later position would give. At the end the list is written out once
// into a buffer of the final size, lower-casing the original characters that lower-case edits
// cover. Every vector comes from the caller's ApplyScratch, so a list applied again reuses them.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "base/ascii_case.h"
#include "base/large_buffers.h"
#include "base/status.h"
#include "markup/text_edit_apply.h"

namespace kpx {

namespace {

constexpr std::uint32_t kNone = static_cast<std::uint32_t>(-1);

// Minimum recording index over ranges of a fixed list of footprints (an iterative segment tree
// kept in a scratch vector).
class RangeMin {
 public:
  RangeMin(const std::vector<EditFootprint>& items, std::vector<std::uint32_t>& tree)
      : size_(items.size()), tree_(tree) {
    tree_.assign(2 * size_, kNone);
    for (std::size_t i = 0; i < size_; ++i) tree_[size_ + i] = items[i].index;
    for (std::size_t i = size_; i-- > 1;) tree_[i] = std::min(tree_[2 * i], tree_[2 * i + 1]);
  }

  // Minimum over [low, high); kNone for an empty range.
  std::uint32_t Min(std::size_t low, std::size_t high) const {
    std::uint32_t result = kNone;
    for (low += size_, high += size_; low < high; low >>= 1, high >>= 1) {
      if (low & 1) result = std::min(result, tree_[low++]);
      if (high & 1) result = std::min(result, tree_[--high]);
    }
    return result;
  }

 private:
  std::size_t size_;
  std::vector<std::uint32_t>& tree_;
};

bool ByPosition(const EditFootprint& a, const EditFootprint& b) {
  return a.position < b.position;
}

// Sorts footprints by position, keeping recording order among equal positions. Edits recorded
// while scanning forward come in a few ascending runs, so the runs are found and merged pairwise:
// time n log r for r runs, and a single pass when they are sorted already.
void SortByPosition(std::vector<EditFootprint>& items, std::vector<EditFootprint>& buffer,
                    std::vector<std::uint32_t>& runs) {
  const std::size_t n = items.size();
  runs.clear();
  runs.push_back(0);
  for (std::size_t i = 1; i < n; ++i) {
    if (items[i].position < items[i - 1].position) runs.push_back(static_cast<std::uint32_t>(i));
  }
  if (runs.size() == 1) return;
  runs.push_back(static_cast<std::uint32_t>(n));
  buffer.resize(n);
  EditFootprint* from = items.data();
  EditFootprint* to = buffer.data();
  while (runs.size() > 2) {
    std::size_t kept = 0;
    std::size_t r = 0;
    for (; r + 2 < runs.size(); r += 2) {
      // std::merge takes from the first range on ties: earlier recorded first.
      std::merge(from + runs[r], from + runs[r + 1], from + runs[r + 1], from + runs[r + 2],
                 to + runs[r], ByPosition);
      runs[kept++] = runs[r];
    }
    if (r + 1 < runs.size()) {  // an odd run out: carried over as it is
      std::copy(from + runs[r], from + runs[r + 1], to + runs[r]);
      runs[kept++] = runs[r];
    }
    runs[kept++] = static_cast<std::uint32_t>(n);
    runs.resize(kept);
    std::swap(from, to);
  }
  if (from != items.data()) items.swap(buffer);
}

// The first index at or after from whose item fails keep_going, searching outward from from
// (the answer is usually close by, since edits cluster).
template <class Pred>
std::size_t GallopTo(const std::vector<EditFootprint>& items, std::size_t from, Pred keep_going) {
  std::size_t low = from;
  std::size_t step = 1;
  while (low + step <= items.size() && keep_going(items[low + step - 1])) {
    low += step;
    step *= 2;
  }
  const std::size_t high = std::min(items.size(), low + step);
  return static_cast<std::size_t>(
      std::partition_point(items.begin() + static_cast<std::ptrdiff_t>(low),
                           items.begin() + static_cast<std::ptrdiff_t>(high), keep_going) -
      items.begin());
}

// Whether the edits overlap in a way that makes their result depend on shifted positions (see
// TextEditList). Every walk below goes forward through lists sorted by position.
bool Overlap(std::span<const PackedEdit> records, ApplyScratch& scratch) {
  const auto& deletes = scratch.deletes;
  const auto& inserts = scratch.inserts;
  auto end_of = [records](const EditFootprint& f) { return f.position + records[f.index].count; };
  for (std::size_t i = 1; i < deletes.size(); ++i) {
    if (end_of(deletes[i - 1]) > deletes[i].position) return true;
  }
  // No insert strictly inside a delete. Deletes are now disjoint, so their ends are sorted too.
  std::size_t d = 0;
  for (const EditFootprint& insert : inserts) {
    while (d < deletes.size() && end_of(deletes[d]) <= insert.position) ++d;
    if (d < deletes.size() && deletes[d].position < insert.position) return true;
  }
  if (scratch.lower_cases.empty()) return false;

  // A lower-case must not follow a delete that shares a character with it, nor an insert that
  // lies strictly inside it.
  const RangeMin earliest_delete(deletes, scratch.earliest_delete);
  const RangeMin earliest_insert(inserts, scratch.earliest_insert);
  std::size_t d_low = 0;  // first delete ending after the lower-case's start
  std::size_t i_low = 0;  // first insert after the lower-case's start
  for (const EditFootprint& lower : scratch.lower_cases) {
    const std::size_t lower_end = end_of(lower);
    while (d_low < deletes.size() && end_of(deletes[d_low]) <= lower.position) ++d_low;
    while (i_low < inserts.size() && inserts[i_low].position <= lower.position) ++i_low;
    const std::size_t d_high =
        GallopTo(deletes, d_low, [&](const EditFootprint& f) { return f.position < lower_end; });
    if (d_low < d_high && earliest_delete.Min(d_low, d_high) < lower.index) return true;
    const std::size_t i_high =
        GallopTo(inserts, i_low, [&](const EditFootprint& f) { return f.position < lower_end; });
    if (i_low < i_high && earliest_insert.Min(i_low, i_high) < lower.index) return true;
  }
  return false;
}

// Node ids and union-find entries are 32-bit to keep the list small and cache-friendly.
using Id = std::uint32_t;
constexpr Id kNoId = static_cast<Id>(-1);

// The replay on the linked list, in the scratch's vectors.
class SlotList {
 public:
  SlotList(std::size_t segment_count, std::size_t insert_count, ApplyScratch& scratch)
      : nodes_(scratch.nodes), parent_(scratch.parent), owner_(scratch.owner) {
    nodes_.resize(2 * segment_count + 1);
    nodes_.reserve(nodes_.size() + 2 * insert_count);
    for (std::size_t id = 0; id < nodes_.size(); ++id) {
      const bool slot = id % 2 == 0;
      nodes_[id] = {static_cast<Id>(id - 1), static_cast<Id>(id + 1),
                    slot ? kNoId : static_cast<Id>(id / 2), kNoId,
                    slot ? SlotNodeKind::kSlot : SlotNodeKind::kSegment};
    }
    nodes_.front().prev = kNoId;
    nodes_.back().next = kNoId;
    parent_.resize(insert_count);
    owner_.assign(insert_count, kNoId);
    for (std::size_t i = 0; i < insert_count; ++i) parent_[i] = static_cast<Id>(i);
  }

  // Registers insert number ordinal (0-based among the inserts) as waiting at boundary k.
  void AddWaiting(Id ordinal, Id k, bool after) {
    SlotNode& slot = nodes_[2 * k];
    Id& root = after ? slot.first : slot.second;
    if (root == kNoId) {
      root = ordinal;
      owner_[ordinal] = 2 * k;
    } else {
      parent_[ordinal] = root;
    }
  }

  // Puts the text of insert ordinal into the slot where it waits.
  void ApplyInsert(Id ordinal) {
    const Id slot_id = owner_[Find(ordinal)];
    const auto text_id = static_cast<Id>(nodes_.size());
    const Id behind_id = text_id + 1;
    const Id after_root = nodes_[slot_id].first;
    const Id old_next = nodes_[slot_id].next;
    nodes_.push_back({slot_id, behind_id, ordinal, kNoId, SlotNodeKind::kText});
    nodes_.push_back({text_id, old_next, after_root, kNoId, SlotNodeKind::kSlot});
    nodes_[slot_id].next = text_id;
    nodes_[slot_id].first = kNoId;
    if (old_next != kNoId) nodes_[old_next].prev = behind_id;
    if (after_root != kNoId) owner_[after_root] = behind_id;
  }

  // Unlinks segment k and joins the slots on both sides of it.
  void ApplyDelete(Id k) {
    const Id segment_id = 2 * k + 1;
    const Id left = nodes_[segment_id].prev;
    const Id right = nodes_[segment_id].next;
    const Id beyond = nodes_[right].next;
    nodes_[left].next = beyond;
    if (beyond != kNoId) nodes_[beyond].prev = left;
    nodes_[left].first = Join(nodes_[left].first, nodes_[right].first, left);
    nodes_[left].second = Join(nodes_[left].second, nodes_[right].second, left);
  }

  const std::vector<SlotNode>& nodes() const { return nodes_; }

 private:
  Id Find(Id x) {
    Id root = x;
    while (parent_[root] != root) root = parent_[root];
    while (parent_[x] != root) x = std::exchange(parent_[x], root);
    return root;
  }

  Id Join(Id a, Id b, Id slot_id) {
    if (b == kNoId) return a;
    if (a != kNoId) parent_[b] = a;
    const Id root = a != kNoId ? a : b;
    owner_[root] = slot_id;
    return root;
  }

  std::vector<SlotNode>& nodes_;
  std::vector<Id>& parent_;  // union-find over the inserts
  std::vector<Id>& owner_;   // for each root: the slot node holding its set
};

// Merged, sorted ranges covered by lower-case edits, as start, end pairs.
// Expects them sorted by position.
void MergeRanges(std::span<const PackedEdit> records, const std::vector<EditFootprint>& ranges,
                 std::vector<std::size_t>& merged) {
  merged.clear();
  for (const EditFootprint& range : ranges) {
    const std::size_t end = range.position + records[range.index].count;
    if (!merged.empty() && range.position <= merged.back()) {
      merged.back() = std::max(merged.back(), end);
    } else {
      merged.push_back(range.position);
      merged.push_back(end);
    }
  }
}

// What the replay does with each edit, by recording index.
constexpr std::uint32_t kSkip = static_cast<std::uint32_t>(-1);
constexpr std::uint32_t kDeleteBit = 0x80000000u;

}  // namespace

std::optional<std::u16string> ApplyEditsInOnePass(std::u16string_view text, RecordedEdits edits) {
  ApplyScratch scratch;
  return ApplyEditsInOnePass(text, edits, scratch);
}

std::optional<std::u16string> ApplyEditsInOnePass(std::u16string_view text, RecordedEdits edits,
                                                  ApplyScratch& scratch) {
  const std::span<const PackedEdit> records = edits.Records();
  const std::size_t length = text.size();
  // Node ids, ordinals and boundary indices must fit in 31 bits.
  if (records.size() >= (std::size_t{1} << 28)) {
    throw ConverterError(E_INVALIDARG, "too many text edits");
  }
  auto& inserts = scratch.inserts;
  auto& deletes = scratch.deletes;
  auto& lower_cases = scratch.lower_cases;
  inserts.clear();
  deletes.clear();
  lower_cases.clear();
  // Room for every edit in each: only the pages actually written get touched, and none of the
  // three is copied while growing.
  inserts.reserve(records.size());
  deletes.reserve(records.size());
  lower_cases.reserve(records.size());
  std::size_t final_length = length;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const PackedEdit& edit = records[i];
    if (edit.count == 0) continue;  // changes nothing
    const EditKind kind = edit.Kind();
    if (kind == EditKind::kMove) return std::nullopt;
    if (edit.position > length || edit.Span() > length - edit.position) {
      throw ConverterError(E_INVALIDARG, "text edit outside the text");
    }
    const EditFootprint footprint{edit.position, static_cast<std::uint32_t>(i)};
    switch (kind) {
      case EditKind::kInsert:
        inserts.push_back(footprint);
        final_length += edit.count;
        break;
      case EditKind::kDelete:
        deletes.push_back(footprint);
        final_length -= edit.count;
        break;
      case EditKind::kLowerCase:
        lower_cases.push_back(footprint);
        break;
      case EditKind::kMove:
        break;
    }
  }
  SortByPosition(inserts, scratch.merge_buffer, scratch.runs);
  SortByPosition(deletes, scratch.merge_buffer, scratch.runs);
  SortByPosition(lower_cases, scratch.merge_buffer, scratch.runs);
  if (Overlap(records, scratch)) return std::nullopt;

  // Segment boundaries: the text's ends, every insert offset and both ends of every delete,
  // merged from the two sorted lists; each edit learns its boundary index on the way.
  std::vector<std::size_t>& bounds = scratch.bounds;
  std::vector<std::uint32_t>& action = scratch.action;
  std::vector<std::uint32_t>& insert_bound = scratch.insert_bound;
  bounds.clear();
  bounds.reserve(2 + inserts.size() + 2 * deletes.size());
  action.assign(records.size(), kSkip);
  insert_bound.resize(inserts.size());
  auto add_bound = [&bounds](std::size_t offset) {
    if (bounds.empty() || bounds.back() != offset) bounds.push_back(offset);
    return static_cast<std::uint32_t>(bounds.size() - 1);
  };
  add_bound(0);
  std::size_t next_insert = 0;
  auto add_inserts_up_to = [&](std::size_t offset) {
    for (; next_insert < inserts.size() && inserts[next_insert].position <= offset; ++next_insert) {
      insert_bound[next_insert] = add_bound(inserts[next_insert].position);
    }
  };
  for (const EditFootprint& d : deletes) {
    add_inserts_up_to(d.position);
    // With no overlaps no boundary lies strictly inside a delete: it is exactly one segment.
    action[d.index] = add_bound(d.position) | kDeleteBit;
    add_bound(d.position + records[d.index].count);
  }
  add_inserts_up_to(length);
  add_bound(length);

  SlotList list(bounds.size() - 1, inserts.size(), scratch);
  for (std::size_t ordinal = 0; ordinal < inserts.size(); ++ordinal) {
    const EditFootprint& f = inserts[ordinal];
    list.AddWaiting(static_cast<Id>(ordinal), insert_bound[ordinal], records[f.index].After());
    action[f.index] = static_cast<std::uint32_t>(ordinal);
  }

  for (const std::uint32_t step : action) {
    if (step == kSkip) continue;
    if (step & kDeleteBit) {
      list.ApplyDelete(step & ~kDeleteBit);
    } else {
      list.ApplyInsert(step);
    }
  }

  std::vector<std::size_t>& lowered = scratch.lowered;
  MergeRanges(records, lower_cases, lowered);
  std::u16string out;
  ReserveLargeText(out, final_length);
  std::size_t next_lowered = 0;
  const std::vector<SlotNode>& nodes = list.nodes();
  for (Id id = 0; id != kNoId; id = nodes[id].next) {
    const SlotNode& node = nodes[id];
    if (node.kind == SlotNodeKind::kText) {
      out.append(edits.TextOf(records[inserts[node.first].index]));
    } else if (node.kind == SlotNodeKind::kSegment) {
      const std::size_t start = bounds[node.first];
      const std::size_t end = bounds[node.first + 1];
      const std::size_t out_start = out.size();
      out.append(text.substr(start, end - start));
      while (next_lowered < lowered.size() && lowered[next_lowered + 1] <= start) {
        next_lowered += 2;
      }
      for (std::size_t r = next_lowered; r < lowered.size() && lowered[r] < end; r += 2) {
        const std::size_t from = std::max(start, lowered[r]);
        const std::size_t to = std::min(end, lowered[r + 1]);
        for (std::size_t x = from; x < to; ++x) {
          char16_t& c = out[out_start + (x - start)];
          c = AsciiToLower(c);
        }
      }
    }
  }
  return out;
}

}  // namespace kpx
