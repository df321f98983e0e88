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
// cover.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "markup/ascii_case.h"
#include "markup/text_edit_apply.h"
#include "platform/status.h"

namespace kpx {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

bool IsNoOp(const TextEdit& edit) noexcept {
  return edit.kind == EditKind::kInsert ? edit.text.IsEmpty() : edit.count == 0;
}

// An edit's footprint on the original text: [position, end), and its recording index.
struct Footprint {
  std::size_t position;
  std::size_t end;
  std::size_t index;
};

// Minimum over index ranges of a fixed array (an iterative segment tree).
class RangeMin {
 public:
  explicit RangeMin(const std::vector<Footprint>& items) : size_(items.size()), tree_(2 * size_) {
    for (std::size_t i = 0; i < size_; ++i) tree_[size_ + i] = items[i].index;
    for (std::size_t i = size_; i-- > 1;) tree_[i] = std::min(tree_[2 * i], tree_[2 * i + 1]);
  }

  // Minimum over [low, high); kNone for an empty range.
  std::size_t Min(std::size_t low, std::size_t high) const {
    std::size_t result = kNone;
    for (low += size_, high += size_; low < high; low >>= 1, high >>= 1) {
      if (low & 1) result = std::min(result, tree_[low++]);
      if (high & 1) result = std::min(result, tree_[--high]);
    }
    return result;
  }

 private:
  std::size_t size_;
  std::vector<std::size_t> tree_;
};

bool ByPosition(const Footprint& a, const Footprint& b) {
  return a.position < b.position;
}

// The edits of the list by kind, each sorted by position.
struct SortedEdits {
  std::vector<Footprint> inserts;
  std::vector<Footprint> deletes;
  std::vector<Footprint> lower_cases;
};

// The first index at or after from whose item fails keep_going, searching outward from from
// (the answer is usually close by, since edits cluster).
template <class Pred>
std::size_t GallopTo(const std::vector<Footprint>& items, std::size_t from, Pred keep_going) {
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
bool Overlap(const SortedEdits& sorted) {
  const auto& deletes = sorted.deletes;
  const auto& inserts = sorted.inserts;
  for (std::size_t i = 1; i < deletes.size(); ++i) {
    if (deletes[i - 1].end > deletes[i].position) return true;
  }
  // No insert strictly inside a delete. Deletes are now disjoint, so their ends are sorted too.
  std::size_t d = 0;
  for (const Footprint& insert : inserts) {
    while (d < deletes.size() && deletes[d].end <= insert.position) ++d;
    if (d < deletes.size() && deletes[d].position < insert.position) return true;
  }
  if (sorted.lower_cases.empty()) return false;

  // A lower-case must not follow a delete that shares a character with it, nor an insert that
  // lies strictly inside it.
  const RangeMin earliest_delete(deletes);
  const RangeMin earliest_insert(inserts);
  std::size_t d_low = 0;  // first delete ending after the lower-case's start
  std::size_t i_low = 0;  // first insert after the lower-case's start
  for (const Footprint& lower : sorted.lower_cases) {
    while (d_low < deletes.size() && deletes[d_low].end <= lower.position) ++d_low;
    while (i_low < inserts.size() && inserts[i_low].position <= lower.position) ++i_low;
    const std::size_t d_high =
        GallopTo(deletes, d_low, [&](const Footprint& f) { return f.position < lower.end; });
    if (d_low < d_high && earliest_delete.Min(d_low, d_high) < lower.index) return true;
    const std::size_t i_high =
        GallopTo(inserts, i_low, [&](const Footprint& f) { return f.position < lower.end; });
    if (i_low < i_high && earliest_insert.Min(i_low, i_high) < lower.index) return true;
  }
  return false;
}

// Node ids and union-find entries are 32-bit to keep the list small and cache-friendly.
using Id = std::uint32_t;
constexpr Id kNoId = static_cast<Id>(-1);

enum class NodeKind : std::uint8_t { kSlot, kSegment, kText };

// A slot, a segment of original text or an inserted text, linked in output order.
struct Node {
  Id prev;
  Id next;
  // Slot: the union-find roots of its waiting inserts with the after flag set and clear.
  // Segment: its boundary index. Text: the insert's ordinal.
  Id first;
  Id second;
  NodeKind kind;
};

// The replay on the linked list.
class SlotList {
 public:
  SlotList(std::size_t segment_count, std::size_t insert_count)
      : parent_(insert_count), owner_(insert_count, kNoId) {
    nodes_.resize(2 * segment_count + 1);
    nodes_.reserve(nodes_.size() + 2 * insert_count);
    for (std::size_t id = 0; id < nodes_.size(); ++id) {
      const bool slot = id % 2 == 0;
      nodes_[id] = {static_cast<Id>(id - 1), static_cast<Id>(id + 1),
                    slot ? kNoId : static_cast<Id>(id / 2), kNoId,
                    slot ? NodeKind::kSlot : NodeKind::kSegment};
    }
    nodes_.front().prev = kNoId;
    nodes_.back().next = kNoId;
    for (std::size_t i = 0; i < insert_count; ++i) parent_[i] = static_cast<Id>(i);
  }

  // Registers insert number ordinal (0-based among the inserts) as waiting at boundary k.
  void AddWaiting(Id ordinal, Id k, bool after) {
    Node& slot = nodes_[2 * k];
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
    nodes_.push_back({slot_id, behind_id, ordinal, kNoId, NodeKind::kText});
    nodes_.push_back({text_id, old_next, after_root, kNoId, NodeKind::kSlot});
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

  const std::vector<Node>& nodes() const { return nodes_; }

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

  std::vector<Node> nodes_;
  std::vector<Id> parent_;  // union-find over the inserts
  std::vector<Id> owner_;   // for each root: the slot node holding its set
};

// Merged, sorted ranges covered by lower-case edits.
// Expects them sorted by position.
std::vector<Footprint> MergedRanges(const std::vector<Footprint>& ranges) {
  std::vector<Footprint> merged;
  for (const Footprint& range : ranges) {
    if (!merged.empty() && range.position <= merged.back().end) {
      merged.back().end = std::max(merged.back().end, range.end);
    } else {
      merged.push_back(range);
    }
  }
  return merged;
}

// Edits recorded while scanning forward come nearly sorted; skip the sort when they are.
template <class Sort>
void SortByPosition(std::vector<Footprint>& items, Sort sort) {
  if (!std::is_sorted(items.begin(), items.end(), ByPosition)) {
    sort(items.begin(), items.end(), ByPosition);
  }
}

// What the replay does with each edit, by recording index.
constexpr std::uint32_t kSkip = static_cast<std::uint32_t>(-1);
constexpr std::uint32_t kDeleteBit = 0x80000000u;

}  // namespace

std::optional<std::u16string> ApplyEditsInOnePass(std::u16string_view text,
                                                  std::span<const TextEdit> edits) {
  const std::size_t length = text.size();
  // Node ids, ordinals and boundary indices must fit in 31 bits.
  if (edits.size() >= (std::size_t{1} << 28)) {
    throw ConverterError(E_INVALIDARG, "too many text edits");
  }
  SortedEdits sorted;
  std::size_t final_length = length;
  for (std::size_t i = 0; i < edits.size(); ++i) {
    const TextEdit& edit = edits[i];
    if (IsNoOp(edit)) continue;
    if (edit.kind == EditKind::kMove) return std::nullopt;
    if (edit.position > length || edit.count > length - edit.position) {
      throw ConverterError(E_INVALIDARG, "text edit outside the text");
    }
    const Footprint footprint{edit.position, edit.position + edit.count, i};
    switch (edit.kind) {
      case EditKind::kInsert:
        sorted.inserts.push_back(footprint);
        final_length += edit.text.Length();
        break;
      case EditKind::kDelete:
        sorted.deletes.push_back(footprint);
        final_length -= edit.count;
        break;
      case EditKind::kLowerCase:
        sorted.lower_cases.push_back(footprint);
        break;
      case EditKind::kMove:
        break;
    }
  }
  SortByPosition(sorted.inserts,
                 [](auto first, auto last, auto less) { std::stable_sort(first, last, less); });
  SortByPosition(sorted.deletes,
                 [](auto first, auto last, auto less) { std::sort(first, last, less); });
  SortByPosition(sorted.lower_cases,
                 [](auto first, auto last, auto less) { std::sort(first, last, less); });
  if (Overlap(sorted)) return std::nullopt;

  // Segment boundaries: the text's ends, every insert offset and both ends of every delete,
  // merged from the two sorted lists; each edit learns its boundary index on the way.
  std::vector<std::size_t> bounds;
  bounds.reserve(2 + sorted.inserts.size() + 2 * sorted.deletes.size());
  std::vector<std::uint32_t> action(edits.size(), kSkip);
  std::vector<std::uint32_t> insert_bound(sorted.inserts.size());
  auto add_bound = [&bounds](std::size_t offset) {
    if (bounds.empty() || bounds.back() != offset) bounds.push_back(offset);
    return static_cast<std::uint32_t>(bounds.size() - 1);
  };
  add_bound(0);
  std::size_t next_insert = 0;
  auto add_inserts_up_to = [&](std::size_t offset) {
    for (; next_insert < sorted.inserts.size() && sorted.inserts[next_insert].position <= offset;
         ++next_insert) {
      insert_bound[next_insert] = add_bound(sorted.inserts[next_insert].position);
    }
  };
  for (const Footprint& d : sorted.deletes) {
    add_inserts_up_to(d.position);
    // With no overlaps no boundary lies strictly inside a delete: it is exactly one segment.
    action[d.index] = add_bound(d.position) | kDeleteBit;
    add_bound(d.end);
  }
  add_inserts_up_to(length);
  add_bound(length);

  SlotList list(bounds.size() - 1, sorted.inserts.size());
  for (std::size_t ordinal = 0; ordinal < sorted.inserts.size(); ++ordinal) {
    const Footprint& f = sorted.inserts[ordinal];
    list.AddWaiting(static_cast<Id>(ordinal), insert_bound[ordinal], edits[f.index].after);
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

  const std::vector<Footprint> lowered = MergedRanges(sorted.lower_cases);
  std::u16string out;
  out.reserve(final_length);
  std::size_t next_lowered = 0;
  const std::vector<Node>& nodes = list.nodes();
  for (Id id = 0; id != kNoId; id = nodes[id].next) {
    const Node& node = nodes[id];
    if (node.kind == NodeKind::kText) {
      out.append(edits[sorted.inserts[node.first].index].text.View());
    } else if (node.kind == NodeKind::kSegment) {
      const std::size_t start = bounds[node.first];
      const std::size_t end = bounds[node.first + 1];
      const std::size_t out_start = out.size();
      out.append(text.substr(start, end - start));
      while (next_lowered < lowered.size() && lowered[next_lowered].end <= start) ++next_lowered;
      for (std::size_t r = next_lowered; r < lowered.size() && lowered[r].position < end; ++r) {
        const std::size_t from = std::max(start, lowered[r].position);
        const std::size_t to = std::min(end, lowered[r].end);
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
