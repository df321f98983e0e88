// Applying a list by walking its edits in position order and writing the result as it goes.
//
// A scanner records nearly every edit where it reads, so a list is mostly one ascending run;
// the edits it holds back for a while (the repairs of a tag whose fate is known only later) form
// a few more runs, each also ascending. The edits are dealt to that many ascending lanes, and the
// lanes are merged by position (ties by recording order). Walking that order, edits that do not
// touch commute, so only the edits at one point of the text need care: those must come in
// recording order, and every insert after the first at the point must have after set, so that
// each one lands behind everything already written there. A list that needs more lanes, or
// breaks one of these conditions, is left to the one-pass way.
#include <algorithm>
#include <array>
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

constexpr std::size_t kNoPosition = static_cast<std::size_t>(-1);
constexpr std::uint32_t kNoIndex = static_cast<std::uint32_t>(-1);

// Deals the edits that change something to lanes of ascending positions, first fit, and checks
// that each lies within the text. Returns false when the lanes do not suffice or a move comes
// (the one-pass way and the replay handle those); final_length gets the result's length.
bool DealToLanes(std::span<const PackedEdit> records, std::size_t length, ApplyScratch& scratch,
                 std::size_t& final_length) {
  std::array<std::size_t, kApplyLanes> last{};
  std::size_t used = 0;
  for (auto& lane : scratch.lanes) lane.clear();
  std::size_t inserted = 0;
  std::size_t deleted = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const PackedEdit& edit = records[i];
    if (edit.count == 0) continue;  // changes nothing
    const EditKind kind = edit.Kind();
    if (kind == EditKind::kMove) return false;
    if (edit.position > length || edit.Span() > length - edit.position) {
      throw ConverterError(E_INVALIDARG, "text edit outside the text");
    }
    if (kind == EditKind::kInsert) inserted += edit.count;
    if (kind == EditKind::kDelete) deleted += edit.count;
    std::size_t lane = 0;
    while (lane < used && last[lane] > edit.position) ++lane;
    if (lane == kApplyLanes) return false;
    if (lane == used) {
      ++used;
      // Room for every edit in the main lane up front: it takes nearly all of them.
      if (lane == 0) scratch.lanes[0].reserve(records.size() - i);
    }
    last[lane] = edit.position;
    scratch.lanes[lane].push_back(static_cast<std::uint32_t>(i));
  }
  // Deletes can only take more than the text when they overlap.
  if (deleted > length + inserted) return false;
  final_length = length + inserted - deleted;
  return true;
}

// Yields the dealt edits by position, ties in recording order. The lane being read is followed
// while its next edit comes before every other lane's; the others are looked at again only when
// it falls behind, which happens only where the runs interleave.
class LaneMerge {
 public:
  LaneMerge(const ApplyScratch& scratch, std::span<const PackedEdit> records) : records_(records) {
    for (std::size_t lane = 0; lane < kApplyLanes; ++lane) {
      lanes_[lane] = scratch.lanes[lane];
      LoadHead(lane);
    }
    Choose();
  }

  // The next edit's recording index, or kNoIndex at the end.
  std::uint32_t Next() {
    if (Behind(heads_[current_], heads_[rival_])) Choose();
    const std::uint32_t index = heads_[current_].index;
    if (index != kNoIndex) {
      ++next_[current_];
      LoadHead(current_);
    }
    return index;
  }

 private:
  struct Head {
    std::size_t position = kNoPosition;  // kNoPosition when the lane is used up
    std::uint32_t index = kNoIndex;
  };

  static bool Behind(const Head& a, const Head& b) {
    return a.position > b.position || (a.position == b.position && a.index > b.index);
  }

  void LoadHead(std::size_t lane) {
    if (next_[lane] < lanes_[lane].size()) {
      const std::uint32_t index = lanes_[lane][next_[lane]];
      heads_[lane] = {records_[index].position, index};
    } else {
      heads_[lane] = {};
    }
  }

  // Makes current_ the lane with the first head and rival_ the one with the second.
  void Choose() {
    current_ = 0;
    rival_ = 1;
    if (Behind(heads_[0], heads_[1])) std::swap(current_, rival_);
    for (std::size_t lane = 2; lane < kApplyLanes; ++lane) {
      if (Behind(heads_[current_], heads_[lane])) {
        rival_ = current_;
        current_ = lane;
      } else if (Behind(heads_[rival_], heads_[lane])) {
        rival_ = lane;
      }
    }
  }

  std::span<const PackedEdit> records_;
  std::array<std::span<const std::uint32_t>, kApplyLanes> lanes_{};
  std::array<std::size_t, kApplyLanes> next_{};
  std::array<Head, kApplyLanes> heads_{};
  std::size_t current_ = 0;
  std::size_t rival_ = 1;
};

// Writes the result while walking the edits in position order; refuses an edit whose place in
// the output would depend on edits that were already written.
class PositionOrderWriter {
 public:
  // room: a string whose memory the result may take (emptied first).
  PositionOrderWriter(std::u16string_view text, RecordedEdits edits, std::size_t final_length,
                      std::u16string& room)
      : text_(text), edits_(edits) {
    if (room.capacity() >= final_length) {
      out_ = std::move(room);
      out_.clear();
    } else {
      ReserveLargeText(out_, final_length);
    }
    room = std::u16string();
  }

  bool Take(std::uint32_t index) {
    const PackedEdit& edit = edits_.Records()[index];
    const std::size_t position = edit.position;
    const EditKind kind = edit.Kind();
    if (position > cursor_) {
      // A new point: whatever was written before cannot affect this edit.
      out_.append(text_.substr(cursor_, position - cursor_));
      cursor_ = position;
      point_start_ = position;
      last_delete_start_ = kNoPosition;
      point_has_insert_ = false;
      point_last_ = kNoIndex;
    } else if (position != cursor_ &&
               !(kind == EditKind::kInsert &&
                 (position == point_start_ || position == last_delete_start_))) {
      return false;
    }
    // At the current point: the edits there must come in recording order.
    if (point_last_ != kNoIndex && index < point_last_) return false;
    point_last_ = index;
    switch (kind) {
      case EditKind::kInsert:
        // A later insert without after set would go in front of what the point already holds.
        if (point_has_insert_ && !edit.After()) return false;
        point_has_insert_ = true;
        out_.append(edits_.TextOf(edit));
        break;
      case EditKind::kDelete:
        // Inserts recorded later land where the deleted text was: at the point's start, at the
        // delete's start or at its end, all now one place. The point goes on.
        last_delete_start_ = position;
        cursor_ += edit.count;
        break;
      case EditKind::kLowerCase: {
        const std::size_t start = out_.size();
        out_.append(text_.substr(position, edit.count));
        for (std::size_t i = start; i < out_.size(); ++i) out_[i] = AsciiToLower(out_[i]);
        cursor_ += edit.count;
        // An insert recorded later at its start would go in front of the lowered characters.
        point_start_ = kNoPosition;
        last_delete_start_ = kNoPosition;
        break;
      }
      case EditKind::kMove:
        return false;
    }
    return true;
  }

  std::u16string Finish() {
    out_.append(text_.substr(cursor_));
    return std::move(out_);
  }

 private:
  std::u16string_view text_;
  RecordedEdits edits_;
  std::u16string out_;
  std::size_t cursor_ = 0;                       // original text before this is written out
  std::size_t point_start_ = 0;                  // where inserts at the current point may stand,
  std::size_t last_delete_start_ = kNoPosition;  // besides the cursor and here
  bool point_has_insert_ = false;                // an insert at the current point is written
  std::uint32_t point_last_ = kNoIndex;          // recording index of the point's latest edit
};

}  // namespace

std::optional<std::u16string> ApplyEditsInPositionOrder(std::u16string_view text,
                                                        RecordedEdits edits,
                                                        ApplyScratch& scratch) {
  const std::span<const PackedEdit> records = edits.Records();
  if (records.size() >= kNoIndex) return std::nullopt;
  std::size_t final_length = 0;
  if (!DealToLanes(records, text.size(), scratch, final_length)) return std::nullopt;
  PositionOrderWriter writer(text, edits, final_length, scratch.text);
  LaneMerge merge(scratch, records);
  for (std::uint32_t index = merge.Next(); index != kNoIndex; index = merge.Next()) {
    if (!writer.Take(index)) return std::nullopt;
  }
  return writer.Finish();
}

std::optional<std::u16string> ApplyEditsInPositionOrder(std::u16string_view text,
                                                        RecordedEdits edits) {
  ApplyScratch scratch;
  return ApplyEditsInPositionOrder(text, edits, scratch);
}

}  // namespace kpx
