// Applying edits one after the other, for the lists that one pass cannot take (moves, overlapping
// edits).
//
// The text is a rope: a treap of pieces of the original text and of the inserted texts, ordered
// by place and keyed by length, so that cutting, inserting and lower-casing a range costs
// O(log n). The places still to come (each edit's start, the end of a delete, lower-case or move,
// a move's destination) are marks, kept in two treaps ordered by offset: one for the marks that
// go behind text inserted at their offset, one for those that stay in front of it. A change to
// the text moves a whole range of marks at once, with a tag on the root of a subtree that is
// handed down on the way through it; a mark's offset is read by handing the tags down from the
// root to it. Every step keeps both treaps ordered, so the whole replay takes O(n log n) for n
// edits, plus the text written out once.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/ascii_case.h"
#include "base/large_buffers.h"
#include "base/status.h"
#include "markup/text_edit_apply.h"

namespace kpx {

namespace {

constexpr std::uint32_t kNil = static_cast<std::uint32_t>(-1);

// Heap priorities from a node's number: well spread, and not something a page can choose.
std::uint32_t PriorityOf(std::size_t id) {
  std::uint64_t x = id + 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return static_cast<std::uint32_t>((x ^ (x >> 31)) >> 32);
}

// The text as a treap of pieces.
class Rope {
 public:
  Rope(std::u16string_view text, std::vector<RopePiece>& nodes) : nodes_(nodes) {
    nodes_.clear();
    if (!text.empty()) root_ = NewPiece(text.data(), text.size());
  }

  std::size_t Length() const { return Total(root_); }

  std::uint32_t NewPiece(const char16_t* data, std::size_t length) {
    const auto id = static_cast<std::uint32_t>(nodes_.size());
    nodes_.push_back({data, length, length, kNil, kNil, PriorityOf(id), false, false});
    return id;
  }

  // Takes [start, end) out of the text and returns it as a treap of its own.
  std::uint32_t Cut(std::size_t start, std::size_t end) {
    auto [head, rest] = Split(root_, start);
    auto [middle, tail] = Split(rest, end - start);
    root_ = Merge(head, tail);
    return middle;
  }

  // Puts a treap of pieces (from Cut or NewPiece) in at offset.
  void Paste(std::size_t offset, std::uint32_t pieces) {
    auto [head, tail] = Split(root_, offset);
    root_ = Merge(Merge(head, pieces), tail);
  }

  void LowerCase(std::size_t start, std::size_t end) {
    auto [head, rest] = Split(root_, start);
    auto [middle, tail] = Split(rest, end - start);
    if (middle != kNil) nodes_[middle].lower_below = true;
    root_ = Merge(Merge(head, middle), tail);
  }

  // The text, pieces in order, with an explicit stack (the depth is small, but nothing rests on
  // it).
  std::u16string Write() const {
    std::u16string out;
    ReserveLargeText(out, Length());
    std::vector<std::pair<std::uint32_t, bool>> stack;  // node, lower-cased from above
    std::uint32_t node = root_;
    bool lower = false;
    for (;;) {
      while (node != kNil) {
        lower = lower || nodes_[node].lower_below;
        stack.emplace_back(node, lower);
        node = nodes_[node].left;
      }
      if (stack.empty()) break;
      const auto [id, lowered] = stack.back();
      stack.pop_back();
      const RopePiece& piece = nodes_[id];
      const std::size_t from = out.size();
      out.append(piece.data, piece.length);
      if (lowered || piece.lower) {
        for (std::size_t i = from; i < out.size(); ++i) out[i] = AsciiToLower(out[i]);
      }
      node = piece.right;
      lower = lowered;
    }
    return out;
  }

 private:
  std::size_t Total(std::uint32_t node) const { return node == kNil ? 0 : nodes_[node].total; }

  void Update(std::uint32_t node) {
    RopePiece& piece = nodes_[node];
    piece.total = piece.length + Total(piece.left) + Total(piece.right);
  }

  // Hands a pending lower-case down to the children (and to the node's own piece).
  void Push(std::uint32_t node) {
    RopePiece& piece = nodes_[node];
    if (!piece.lower_below) return;
    piece.lower = true;
    piece.lower_below = false;
    if (piece.left != kNil) nodes_[piece.left].lower_below = true;
    if (piece.right != kNil) nodes_[piece.right].lower_below = true;
  }

  // The first count characters and the rest; a piece that straddles the cut becomes two.
  std::pair<std::uint32_t, std::uint32_t> Split(std::uint32_t node, std::size_t count) {
    if (node == kNil) return {kNil, kNil};
    Push(node);
    const std::size_t left_total = Total(nodes_[node].left);
    if (count <= left_total) {
      auto [a, b] = Split(nodes_[node].left, count);
      nodes_[node].left = b;
      Update(node);
      return {a, node};
    }
    const std::size_t into = count - left_total;
    if (into >= nodes_[node].length) {
      auto [a, b] = Split(nodes_[node].right, into - nodes_[node].length);
      nodes_[node].right = a;
      Update(node);
      return {node, b};
    }
    // Inside this piece: the tail goes on as a piece of the same priority, with the right
    // subtree under it.
    const RopePiece whole = nodes_[node];
    const std::uint32_t tail = NewPiece(whole.data + into, whole.length - into);
    RopePiece& tail_piece = nodes_[tail];
    tail_piece.priority = whole.priority;
    tail_piece.lower = whole.lower;
    tail_piece.right = whole.right;
    Update(tail);
    nodes_[node].length = into;
    nodes_[node].right = kNil;
    Update(node);
    return {node, tail};
  }

  std::uint32_t Merge(std::uint32_t a, std::uint32_t b) {
    if (a == kNil) return b;
    if (b == kNil) return a;
    if (nodes_[a].priority >= nodes_[b].priority) {
      Push(a);
      nodes_[a].right = Merge(nodes_[a].right, b);
      Update(a);
      return a;
    }
    Push(b);
    nodes_[b].left = Merge(a, nodes_[b].left);
    Update(b);
    return b;
  }

  std::vector<RopePiece>& nodes_;
  std::uint32_t root_ = kNil;
};

// Offsets still to be read, in one treap per tie rule, all in one node vector.
class Marks {
 public:
  explicit Marks(std::vector<EditMark>& nodes) : nodes_(nodes) { nodes_.clear(); }

  // A new mark (not yet in a treap).
  std::uint32_t Add(std::int64_t offset, bool behind_inserts) {
    const auto id = static_cast<std::uint32_t>(nodes_.size());
    nodes_.push_back({offset, 0, 0, kNil, kNil, kNil, PriorityOf(id), false, behind_inserts});
    return id;
  }

  // Builds both treaps from the marks sorted by offset.
  void Build(const std::vector<std::uint32_t>& sorted) {
    for (const std::uint32_t id : sorted) {
      std::uint32_t& root = roots_[nodes_[id].behind_inserts];
      root = Merge(root, id);
    }
  }

  // The mark's offset now.
  std::int64_t Read(std::uint32_t id) {
    path_.clear();
    for (std::uint32_t node = id; node != kNil; node = nodes_[node].parent) path_.push_back(node);
    for (std::size_t i = path_.size(); i-- > 0;) Push(path_[i]);
    return nodes_[id].offset;
  }

  // length characters were inserted at offset.
  void Inserted(std::int64_t offset, std::int64_t length) {
    for (int behind = 0; behind < 2; ++behind) {
      // Marks behind inserts move from the offset on, the others only past it.
      auto [stay, move] = Split(roots_[behind], behind ? offset : offset + 1);
      Tag(move, false, 0, length);
      roots_[behind] = Merge(stay, move);
    }
  }

  // [start, end) was taken out: marks inside it go to start, those after it move back.
  void Removed(std::int64_t start, std::int64_t end) {
    for (std::uint32_t& root : roots_) {
      auto [stay, rest] = Split(root, start + 1);
      auto [inside, after] = Split(rest, end);
      Tag(inside, true, start, 0);
      Tag(after, false, 0, start - end);
      root = Merge(Merge(stay, inside), after);
    }
  }

 private:
  // Sets the offsets of a subtree to value (when set) and then adds add.
  void Tag(std::uint32_t node, bool set, std::int64_t value, std::int64_t add) {
    if (node == kNil) return;
    EditMark& mark = nodes_[node];
    mark.offset = (set ? value : mark.offset) + add;
    if (set) {
      mark.has_set = true;
      mark.set = value;
      mark.add = add;
    } else {
      mark.add += add;
    }
  }

  void Push(std::uint32_t node) {
    EditMark& mark = nodes_[node];
    if (!mark.has_set && mark.add == 0) return;
    Tag(mark.left, mark.has_set, mark.set, mark.add);
    Tag(mark.right, mark.has_set, mark.set, mark.add);
    mark.has_set = false;
    mark.add = 0;
  }

  void SetLeft(std::uint32_t node, std::uint32_t child) {
    nodes_[node].left = child;
    if (child != kNil) nodes_[child].parent = node;
  }
  void SetRight(std::uint32_t node, std::uint32_t child) {
    nodes_[node].right = child;
    if (child != kNil) nodes_[child].parent = node;
  }
  std::uint32_t Detach(std::uint32_t node) {
    if (node != kNil) nodes_[node].parent = kNil;
    return node;
  }

  // The marks below offset, and the others.
  std::pair<std::uint32_t, std::uint32_t> Split(std::uint32_t node, std::int64_t offset) {
    if (node == kNil) return {kNil, kNil};
    Push(node);
    if (nodes_[node].offset < offset) {
      auto [a, b] = Split(nodes_[node].right, offset);
      SetRight(node, a);
      return {Detach(node), Detach(b)};
    }
    auto [a, b] = Split(nodes_[node].left, offset);
    SetLeft(node, b);
    return {Detach(a), Detach(node)};
  }

  std::uint32_t Merge(std::uint32_t a, std::uint32_t b) {
    if (a == kNil) return Detach(b);
    if (b == kNil) return Detach(a);
    if (nodes_[a].priority >= nodes_[b].priority) {
      Push(a);
      SetRight(a, Merge(nodes_[a].right, b));
      return Detach(a);
    }
    Push(b);
    SetLeft(b, Merge(a, nodes_[b].left));
    return Detach(b);
  }

  std::vector<EditMark>& nodes_;
  std::uint32_t roots_[2] = {kNil, kNil};  // stays in front of inserts, goes behind them
  std::vector<std::uint32_t> path_;
};

[[noreturn]] void ThrowOutside() {
  throw ConverterError(E_INVALIDARG, "text edit outside the text");
}

// Whether the edit changes nothing.
bool NoOp(const PackedEdit& edit) {
  return edit.count == 0;
}

}  // namespace

std::u16string ReplayEdits(std::u16string_view text, RecordedEdits edits) {
  ApplyScratch scratch;
  return ReplayEdits(text, edits, scratch);
}

std::u16string ReplayEdits(std::u16string_view text, RecordedEdits edits, ApplyScratch& scratch) {
  const std::span<const PackedEdit> records = edits.Records();
  const std::size_t length = text.size();
  if (records.size() >= (std::size_t{1} << 29)) {
    throw ConverterError(E_INVALIDARG, "too many text edits");
  }
  // Offsets keep within the text as it stands at every step (see TextEditList), so an edit
  // reaches outside it at its turn exactly when it reaches outside the original text.
  for (const PackedEdit& edit : records) {
    if (NoOp(edit)) continue;
    if (edit.position > length || edit.Span() > length - edit.position ||
        (edit.Kind() == EditKind::kMove && edit.extra > length)) {
      ThrowOutside();
    }
  }

  // Marks: the start of every edit, the end of every delete, lower-case and move, and the
  // destination of every move; first_mark[i] is edit i's first.
  Marks marks(scratch.marks);
  std::vector<std::uint32_t>& first_mark = scratch.first_mark;
  first_mark.assign(records.size(), kNil);
  auto offset = [](std::size_t at) { return static_cast<std::int64_t>(at); };
  for (std::size_t i = 0; i < records.size(); ++i) {
    const PackedEdit& edit = records[i];
    if (NoOp(edit)) continue;
    switch (edit.Kind()) {
      case EditKind::kInsert:
        first_mark[i] = marks.Add(offset(edit.position), edit.After());
        break;
      case EditKind::kDelete:
      case EditKind::kLowerCase:
        // The start goes behind text inserted there, the end stays in front of it: the range
        // is still its own characters.
        first_mark[i] = marks.Add(offset(edit.position), true);
        marks.Add(offset(edit.position + edit.count), false);
        break;
      case EditKind::kMove:
        first_mark[i] = marks.Add(offset(edit.position), false);
        marks.Add(offset(edit.position + edit.count), false);
        marks.Add(offset(edit.extra), edit.After());
        break;
    }
  }
  std::vector<std::uint32_t>& sorted = scratch.sorted_marks;
  sorted.resize(scratch.marks.size());
  for (std::size_t i = 0; i < sorted.size(); ++i) sorted[i] = static_cast<std::uint32_t>(i);
  std::stable_sort(sorted.begin(), sorted.end(), [&](std::uint32_t a, std::uint32_t b) {
    return scratch.marks[a].offset < scratch.marks[b].offset;
  });
  marks.Build(sorted);

  Rope rope(text, scratch.pieces);
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::uint32_t mark = first_mark[i];
    if (mark == kNil) continue;
    const PackedEdit& edit = records[i];
    const std::int64_t start = marks.Read(mark);
    switch (edit.Kind()) {
      case EditKind::kInsert: {
        const std::u16string_view inserted = edits.TextOf(edit);
        rope.Paste(static_cast<std::size_t>(start),
                   rope.NewPiece(inserted.data(), inserted.size()));
        marks.Inserted(start, offset(inserted.size()));
        break;
      }
      case EditKind::kDelete: {
        const std::int64_t end = marks.Read(mark + 1);
        if (end <= start) break;
        rope.Cut(static_cast<std::size_t>(start), static_cast<std::size_t>(end));
        marks.Removed(start, end);
        break;
      }
      case EditKind::kLowerCase: {
        const std::int64_t end = marks.Read(mark + 1);
        if (end > start) {
          rope.LowerCase(static_cast<std::size_t>(start), static_cast<std::size_t>(end));
        }
        break;
      }
      case EditKind::kMove: {
        const std::int64_t end = marks.Read(mark + 1);
        std::int64_t to = marks.Read(mark + 2);
        if (end <= start) break;
        const std::uint32_t moved =
            rope.Cut(static_cast<std::size_t>(start), static_cast<std::size_t>(end));
        marks.Removed(start, end);
        // The destination as the removal left it (one inside the moved text: where it was).
        if (to >= end) {
          to -= end - start;
        } else if (to > start) {
          to = start;
        }
        rope.Paste(static_cast<std::size_t>(to), moved);
        marks.Inserted(to, end - start);
        break;
      }
    }
  }
  return rope.Write();
}

}  // namespace kpx
