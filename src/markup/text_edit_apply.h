// The ways TextEditList applies its edits (internal to the markup library and its tests), and
// the working memory they share.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "markup/text_edit_list.h"

namespace kpx {

// An edit's place in the original text and its recording index (the end comes from the record).
struct EditFootprint {
  std::size_t position;
  std::uint32_t index;
};

// One pass: a slot, a segment of original text or an inserted text, linked in output order.
enum class SlotNodeKind : std::uint8_t { kSlot, kSegment, kText };
struct SlotNode {
  std::uint32_t prev;
  std::uint32_t next;
  // Slot: the union-find roots of its waiting inserts with the after flag set and clear.
  // Segment: its boundary index. Text: the insert's ordinal.
  std::uint32_t first;
  std::uint32_t second;
  SlotNodeKind kind;
};

// Replay: a node of the rope that holds the text being edited (a piece of the original text or
// of an inserted text), and a mark, an offset that an edit still has to read.
struct RopePiece {
  const char16_t* data;
  std::size_t length;
  std::size_t total;  // of the subtree
  std::uint32_t left;
  std::uint32_t right;
  std::uint32_t priority;
  bool lower;        // lower-case the piece's ASCII letters when written out
  bool lower_below;  // pending for the whole subtree
};
struct EditMark {
  std::int64_t offset;
  std::int64_t set;  // pending for the subtree below: set every offset to set (when has_set),
  std::int64_t add;  // then add add
  std::uint32_t left;
  std::uint32_t right;
  std::uint32_t parent;
  std::uint32_t priority;
  bool has_set;
  bool behind_inserts;  // goes behind text inserted at its offset
};

// How many ascending runs the position-order way merges.
inline constexpr std::size_t kApplyLanes = 8;

// Vectors that every way clears and fills on every call; kept by the list between calls so that
// their capacity is reused instead of being mapped afresh.
struct ApplyScratch {
  std::array<std::vector<std::uint32_t>, kApplyLanes> lanes;  // recording indices
  std::vector<EditFootprint> inserts;
  std::vector<EditFootprint> deletes;
  std::vector<EditFootprint> lower_cases;
  std::vector<EditFootprint> merge_buffer;
  std::vector<std::uint32_t> runs;
  std::vector<std::uint32_t> earliest_delete;
  std::vector<std::uint32_t> earliest_insert;
  std::vector<std::size_t> bounds;
  std::vector<std::uint32_t> action;
  std::vector<std::uint32_t> insert_bound;
  std::vector<SlotNode> nodes;
  std::vector<std::uint32_t> parent;
  std::vector<std::uint32_t> owner;
  std::vector<std::size_t> lowered;  // start, end, start, end, ...
  std::vector<RopePiece> pieces;
  std::vector<EditMark> marks;
  std::vector<std::uint32_t> first_mark;
  std::vector<std::uint32_t> sorted_marks;
  // Room for the next result of the position-order way, when it is large enough: the text that
  // TextEditList::ApplyReusingText replaced last (empty otherwise).
  std::u16string text;

  // Heap bytes of every vector above (their capacity).
  std::size_t HeldBytes() const noexcept;
};

// Applies the edits by walking them in position order and writing the result as it goes: time
// linear in the text and the number of edits, and no working memory beyond 4 bytes per edit. The
// result takes the room of scratch.text when that holds enough (scratch.text is left empty).
// Takes lists whose edits fall into at most kApplyLanes ascending runs of positions (dealt first
// fit in recording order), that hold no move and no overlap, and whose edits at any one point of
// the text come in recording order with after set on every insert but the first there (and no
// insert recorded at a lower-case's start after it). Returns nothing for any other list. Throws
// ConverterError (E_INVALIDARG) when an edit reaches outside the text.
std::optional<std::u16string> ApplyEditsInPositionOrder(std::u16string_view text,
                                                        RecordedEdits edits, ApplyScratch& scratch);
std::optional<std::u16string> ApplyEditsInPositionOrder(std::u16string_view text,
                                                        RecordedEdits edits);

// Applies the edits in one pass over the text, in time linear in the text plus n log r in the
// number of edits, r being the number of ascending runs in which their positions were recorded.
// Returns nothing when the list holds a move or overlapping edits (see TextEditList), which only
// ReplayEdits handles. Throws ConverterError (E_INVALIDARG) when an edit reaches outside the text.
std::optional<std::u16string> ApplyEditsInOnePass(std::u16string_view text, RecordedEdits edits,
                                                  ApplyScratch& scratch);
std::optional<std::u16string> ApplyEditsInOnePass(std::u16string_view text, RecordedEdits edits);

// Applies the edits one after the other in recording order, each at its place as the edits
// before it left it (see TextEditList), over a rope so that the text is copied once. Handles
// every list, in time O(n log n) for n edits plus the length of the result. Throws
// ConverterError (E_INVALIDARG) when an edit reaches outside the text.
std::u16string ReplayEdits(std::u16string_view text, RecordedEdits edits, ApplyScratch& scratch);
std::u16string ReplayEdits(std::u16string_view text, RecordedEdits edits);

}  // namespace kpx
