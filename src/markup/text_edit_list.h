// TextEditList: a text and the edits pending on it, applied all at once so that everything the
// edits do not touch comes out exactly as it went in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "markup/edit_sink.h"
#include "markup/text_edit.h"

namespace kpx {

// Working memory of Apply (text_edit_apply.h).
struct ApplyScratch;

// Holds a list's ApplyScratch between calls, so that applying again of a similar size touches
// no fresh pages. It is no part of the list's value: a copy starts without one and an assigned
// copy keeps its own; a moved-to list takes the other's (handing its own back).
class ApplyScratchSlot {
 public:
  ApplyScratchSlot() noexcept;
  ~ApplyScratchSlot();
  ApplyScratchSlot(const ApplyScratchSlot&) noexcept;
  ApplyScratchSlot& operator=(const ApplyScratchSlot&) noexcept { return *this; }
  ApplyScratchSlot(ApplyScratchSlot&& other) noexcept;
  ApplyScratchSlot& operator=(ApplyScratchSlot&& other) noexcept;

  ApplyScratch& Get();
  // Heap bytes of the scratch's vectors (their capacity): 0 before the first Get.
  std::size_t HeldBytes() const noexcept;
  // Frees the scratch; the next Get makes a new one.
  void Release() noexcept;

 private:
  std::unique_ptr<ApplyScratch> scratch_;
};

// Which inserts on the edges of a range EraseEditsInside takes as inside it.
enum class EdgeInserts : std::uint8_t { kKeep = 0, kAtStart = 1, kAtEnd = 2, kBoth = 3 };

// Owns the text being edited and the pending edits in recording order.
//
// Apply performs the edits in recording order, each at its place as the edits before it left it.
// An edit's places are its start, the end of its range (a delete, lower-case or move) and a
// move's destination, each moving with the changes made before the edit's turn: past text
// inserted before it, back by the length of text taken out before it; a place inside text taken
// out goes to where that text was. At a place where text is inserted, an insert that has after
// set and the start of a delete or lower-case go behind the new text, while an insert with after
// clear, the end of a range, a move's source and a move's destination with after clear stay in
// front of it. So two inserts at one offset come out in recording order when the second has after
// set, and in reverse order when it has it clear; an insert recorded at the position of an
// earlier delete lands where the deleted text was; a delete takes what lies between its two
// places when its turn comes (its own characters, unless earlier edits overlapped it).
// Lower-casing folds ASCII letters only.
//
// Cost: a list recorded while scanning forward (a few ascending runs of positions, no overlap,
// inserts meeting at one point in recording order and each one behind the last) is written out
// in a single walk in position order, in time linear in the text and the edits. Other
// lists without moves whose edits do not overlap are applied in one pass, in time linear
// in the text plus n log r for n edits recorded in r ascending runs of positions. Edits overlap
// when an insert lies strictly inside a delete, two deletes share a character, or a delete or
// lower-case recorded after a delete shares a character with it or strictly contains the point of
// an insert recorded before it (a lower-case recorded before the others may overlap anything, and
// lower-cases may overlap each other). Lists holding moves or overlapping edits are replayed edit
// by edit: the same rule, in time n log n in the number of edits plus the text written out once.
// The page utilities never record such lists.
class TextEditList final : public EditSink {
 public:
  TextEditList() = default;
  explicit TextEditList(std::u16string text) : text_(std::move(text)) {}

  // Replaces the text and drops every pending edit (the sequence counter keeps growing).
  void Assign(std::u16string text);
  const std::u16string& Text() const noexcept { return text_; }
  // Hands over the text, leaving the list's text empty; the edits stay.
  std::u16string TakeText() noexcept { return std::move(text_); }
  // Drops every pending edit; the text stays.
  void ClearEdits() noexcept;

  // EditSink. Edits that do nothing (empty text, zero count) are recorded like any other.
  void Insert(std::size_t position, std::u16string_view text, bool after) override;
  void Delete(std::size_t position, std::size_t count) override;
  void Withdraw(std::size_t count) override;

  // Moves count characters from position to destination. When the destination equals the
  // position, after decides whether the characters land behind (set) or in front of (clear)
  // text inserted there earlier.
  void Move(std::size_t position, std::size_t count, std::size_t destination, bool after);
  // Lower-cases the ASCII letters among count characters from position.
  void LowerCase(std::size_t position, std::size_t count);

  // Removes count edits starting at index first (recording order); clamped to the list.
  void EraseEdits(std::size_t first, std::size_t count);
  // Removes every edit lying inside [start, end): deletes, lower-cases and moves whose source
  // range lies within it, and inserts strictly inside it; inserts exactly at start or at end
  // go too when edges says so. Returns how many were removed. Meant for a caller that deletes
  // or replaces a whole tag or value and drops the repairs recorded inside it. Cheap when the
  // range lies behind most of the recorded edits (the usual case while scanning forward).
  std::size_t EraseEditsInside(std::size_t start, std::size_t end,
                               EdgeInserts edges = EdgeInserts::kKeep);

  std::size_t EditCount() const noexcept { return edits_.size(); }
  // Makes room for count edits, so that recording them copies nothing. Room that is never
  // written costs address space only.
  void ReserveEdits(std::size_t count);
  // How many edits fit without growing.
  std::size_t EditCapacity() const noexcept { return edits_.capacity(); }
  RecordedEdits Edits() const noexcept { return {edits_, pool_}; }
  // Heap bytes the list holds by capacity, used or not: its text, the edit records, the insert
  // texts and Apply's working memory. ClearEdits keeps them for the next edits.
  std::size_t HeldBytes() const noexcept;
  // Drops the text and every edit and frees all of those buffers (the sequence counter keeps
  // growing). Assigning a fresh list would not do: a string moved from a short one keeps its
  // own block.
  void ReleaseBuffers() noexcept;
  // Sum of the inserted texts' lengths minus the sum of the delete counts.
  std::ptrdiff_t NetChange() const noexcept;

  // Performs every edit on the text. The edits stay in the list (the owner withdraws them or
  // clears the list). Throws ConverterError (E_INVALIDARG) and leaves the text unchanged when
  // an edit reaches outside the text.
  void Apply();
  // Apply for a list that is applied again and again to texts of a similar size: the result is
  // written into the room of the text the last such call replaced, when it is large enough, and
  // the text this call replaces is kept (its room counts in HeldBytes until ReleaseBuffers), so
  // that the list maps no fresh memory for its results.
  void ApplyReusingText();

  // How many lists, in the whole process, have needed the edit-by-edit replay so far (moves or
  // overlapping edits). The fuzz targets of the page utilities check that theirs never do.
  static std::uint64_t ReplayedListCount() noexcept;

 private:
  void ApplyKeeping(bool keep_replaced_text);
  void Record(EditKind kind, bool after, std::size_t position, std::size_t count,
              std::size_t extra);
  // Recomputes reach_ from index first on.
  void RebuildReach(std::size_t first);
  // Removes the edits from index first on that drop says to, keeping the others in order and
  // their texts back to back in the pool. Returns how many went.
  template <class Drop>
  std::size_t RemoveFrom(std::size_t first, Drop drop);

  std::u16string text_;
  std::vector<PackedEdit> edits_;
  // The texts of the recorded inserts, back to back in recording order.
  std::u16string pool_;
  // reach_[i]: the largest end offset among edits 0..i (position + count); never decreases, so
  // EraseEditsInside can skip by bisection the edits that end before its range.
  std::vector<std::size_t> reach_;
  std::uint64_t next_sequence_ = 0;
  ApplyScratchSlot scratch_;
};

}  // namespace kpx
