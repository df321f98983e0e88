// Applying edits one after the other, for the lists that one pass cannot take (moves, overlapping
// edits). After each edit the positions of the edits still to come are shifted as the change
// requires; the text itself is a piece table over the original text and the inserted texts, so
// no edit copies it and it is written out once at the end.
#include <cstdint>
#include <span>
#include <vector>

#include "base/ascii_case.h"
#include "base/status.h"
#include "markup/text_edit_apply.h"

namespace kpx {

namespace {

using Piece = TextPiece;

// The pieces live in the caller's scratch vector.
class PieceText {
 public:
  PieceText(std::u16string_view text, std::vector<Piece>& pieces)
      : pieces_(pieces), length_(text.size()) {
    pieces_.clear();
    if (!text.empty()) pieces_.push_back({text.data(), text.size(), false});
  }

  std::size_t Length() const noexcept { return length_; }

  // Removes count characters at offset and returns them as pieces.
  std::vector<Piece> Cut(std::size_t offset, std::size_t count) {
    const std::size_t first = SplitAt(offset);
    const std::size_t last = SplitAt(offset + count);
    std::vector<Piece> taken(pieces_.begin() + Diff(first), pieces_.begin() + Diff(last));
    pieces_.erase(pieces_.begin() + Diff(first), pieces_.begin() + Diff(last));
    length_ -= count;
    return taken;
  }

  void Insert(std::size_t offset, const std::vector<Piece>& pieces) {
    const std::size_t at = SplitAt(offset);
    pieces_.insert(pieces_.begin() + Diff(at), pieces.begin(), pieces.end());
    for (const Piece& piece : pieces) length_ += piece.length;
  }

  void LowerCase(std::size_t offset, std::size_t count) {
    const std::size_t first = SplitAt(offset);
    const std::size_t last = SplitAt(offset + count);
    for (std::size_t i = first; i < last; ++i) pieces_[i].lower = true;
  }

  std::u16string Write() const {
    std::u16string out;
    out.reserve(length_);
    for (const Piece& piece : pieces_) {
      const std::size_t start = out.size();
      out.append(piece.data, piece.length);
      if (piece.lower) {
        for (std::size_t i = start; i < out.size(); ++i) out[i] = AsciiToLower(out[i]);
      }
    }
    return out;
  }

 private:
  static std::ptrdiff_t Diff(std::size_t i) { return static_cast<std::ptrdiff_t>(i); }

  // Makes a piece start at offset (offset <= length) and returns its index.
  std::size_t SplitAt(std::size_t offset) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < pieces_.size(); ++i) {
      if (start == offset) return i;
      const Piece piece = pieces_[i];
      if (offset < start + piece.length) {
        const std::size_t head = offset - start;
        pieces_[i].length = head;
        pieces_.insert(pieces_.begin() + Diff(i) + 1,
                       Piece{piece.data + head, piece.length - head, piece.lower});
        return i + 1;
      }
      start += piece.length;
    }
    return pieces_.size();
  }

  std::vector<Piece>& pieces_;
  std::size_t length_;
};

using Pending = PendingEdit;

// After the edit at index applied change at at, moves the edits that come after it.
void ShiftLater(std::vector<Pending>& pending, std::size_t index, std::int64_t at,
                std::int64_t change, bool applied_delete) {
  for (std::size_t j = index + 1; j < pending.size(); ++j) {
    Pending& later = pending[j];
    const EditKind kind = later.edit->Kind();
    if (at < later.position) {
      later.position += change;
    } else if (at == later.position && !applied_delete) {
      // At the same spot: a later insert goes behind the change only with its after flag;
      // deletes and lower-cases go behind it; a move keeps its source.
      const bool moves = kind == EditKind::kInsert ? later.edit->After() : kind != EditKind::kMove;
      if (moves) later.position += change;
    }
    if (kind == EditKind::kMove &&
        (at < later.destination ||
         (at == later.destination && !applied_delete && later.edit->After()))) {
      later.destination += change;
    }
  }
}

[[noreturn]] void ThrowOutside() {
  throw ConverterError(E_INVALIDARG, "text edit outside the text");
}

// Whether [position, position + count) lies within a text of length characters.
bool Within(std::int64_t position, std::size_t count, std::size_t length) {
  return position >= 0 && static_cast<std::size_t>(position) <= length &&
         count <= length - static_cast<std::size_t>(position);
}

}  // namespace

std::u16string ReplayEdits(std::u16string_view text, RecordedEdits edits) {
  ApplyScratch scratch;
  return ReplayEdits(text, edits, scratch);
}

std::u16string ReplayEdits(std::u16string_view text, RecordedEdits edits, ApplyScratch& scratch) {
  constexpr auto kMaxOffset = static_cast<std::size_t>(INT64_MAX);
  std::vector<Pending>& pending = scratch.pending;
  pending.clear();
  for (const PackedEdit& edit : edits.Records()) {
    if (edit.count == 0) continue;  // changes nothing
    const std::size_t destination = edit.Kind() == EditKind::kMove ? edit.extra : 0;
    if (edit.position > kMaxOffset || destination > kMaxOffset || edit.count > kMaxOffset) {
      ThrowOutside();
    }
    pending.push_back(
        {&edit, static_cast<std::int64_t>(edit.position), static_cast<std::int64_t>(destination)});
  }
  if (pending.size() > TextEditList::kMaxReplayedEdits) {
    throw ConverterError(E_INVALIDARG, "too many overlapping or moving text edits");
  }

  PieceText current(text, scratch.pieces);
  for (std::size_t i = 0; i < pending.size(); ++i) {
    const PackedEdit& edit = *pending[i].edit;
    const std::int64_t at = pending[i].position;
    const std::size_t count = edit.count;  // an insert's: the length of its text
    const auto signed_count = static_cast<std::int64_t>(count);
    switch (edit.Kind()) {
      case EditKind::kInsert: {
        if (!Within(at, 0, current.Length())) ThrowOutside();
        const std::u16string_view inserted = edits.TextOf(edit);
        current.Insert(static_cast<std::size_t>(at), {Piece{inserted.data(), count, false}});
        ShiftLater(pending, i, at, signed_count, false);
        break;
      }
      case EditKind::kDelete:
        if (!Within(at, count, current.Length())) ThrowOutside();
        current.Cut(static_cast<std::size_t>(at), count);
        ShiftLater(pending, i, at, -signed_count, true);
        break;
      case EditKind::kLowerCase:
        if (!Within(at, count, current.Length())) ThrowOutside();
        current.LowerCase(static_cast<std::size_t>(at), count);
        break;
      case EditKind::kMove: {
        if (!Within(at, count, current.Length())) ThrowOutside();
        const std::vector<Piece> taken = current.Cut(static_cast<std::size_t>(at), count);
        ShiftLater(pending, i, at, -signed_count, false);
        std::int64_t to = pending[i].destination;
        if (to > at || (to == at && edit.After())) to -= signed_count;
        if (!Within(to, 0, current.Length())) ThrowOutside();
        current.Insert(static_cast<std::size_t>(to), taken);
        ShiftLater(pending, i, to, signed_count, false);
        break;
      }
    }
  }
  return current.Write();
}

}  // namespace kpx
