#include "textutil/edit_filtering.h"

namespace kpx {

namespace {

bool Has(EdgeInserts edges, EdgeInserts edge) {
  return (static_cast<unsigned>(edges) & static_cast<unsigned>(edge)) != 0;
}

}  // namespace

bool EditLiesInside(const TextEdit& edit, std::size_t start, std::size_t end, EdgeInserts edges) {
  if (edit.kind == EditKind::kInsert) {
    if (edit.position == start && Has(edges, EdgeInserts::kAtStart)) return true;
    if (edit.position == end && Has(edges, EdgeInserts::kAtEnd)) return true;
    return start < edit.position && edit.position < end;
  }
  return start <= edit.position && edit.position <= end && edit.count <= end - edit.position;
}

void RecordAgain(TextEditList& edits, const TextEdit& edit) {
  switch (edit.kind) {
    case EditKind::kInsert:
      edits.Insert(edit.position, edit.text.View(), edit.after);
      break;
    case EditKind::kDelete:
      edits.Delete(edit.position, edit.count);
      break;
    case EditKind::kMove:
      edits.Move(edit.position, edit.count, edit.destination, edit.after);
      break;
    case EditKind::kLowerCase:
      edits.LowerCase(edit.position, edit.count);
      break;
  }
}

}  // namespace kpx
