#include "textutil/tag_edit_buffer.h"

#include <algorithm>

#include "textutil/edit_filtering.h"

namespace kpx {

void TagEditBuffer::Insert(std::size_t position, std::u16string_view text, bool after) {
  TextEdit& edit = edits_.emplace_back();
  edit.kind = EditKind::kInsert;
  edit.position = position;
  edit.after = after;
  edit.text.Assign(text);
}

void TagEditBuffer::Delete(std::size_t position, std::size_t count) {
  TextEdit& edit = edits_.emplace_back();
  edit.kind = EditKind::kDelete;
  edit.position = position;
  edit.count = count;
}

void TagEditBuffer::LowerCase(std::size_t position, std::size_t count) {
  TextEdit& edit = edits_.emplace_back();
  edit.kind = EditKind::kLowerCase;
  edit.position = position;
  edit.count = count;
}

void TagEditBuffer::Withdraw(std::size_t count) {
  edits_.resize(edits_.size() - std::min(count, edits_.size()));
}

void TagEditBuffer::DropInside(std::size_t start, std::size_t end, EdgeInserts edges) {
  std::erase_if(edits_,
                [&](const TextEdit& edit) { return EditLiesInside(edit, start, end, edges); });
}

void RecordHeldEdits(TextEditList& edits, std::span<const TextEdit> held) {
  for (const TextEdit& edit : held) RecordAgain(edits, edit);
}

}  // namespace kpx
