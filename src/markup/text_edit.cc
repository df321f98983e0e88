#include "markup/text_edit.h"

namespace kpx {

TextEdit RecordedEdits::Unpack(const PackedEdit& record, std::u16string_view pool) {
  TextEdit edit;
  edit.kind = record.Kind();
  edit.after = record.After();
  edit.position = record.position;
  edit.sequence = record.Sequence();
  if (edit.kind == EditKind::kInsert) {
    edit.text.Assign(pool.substr(record.extra, record.count));
  } else {
    edit.count = record.count;
    if (edit.kind == EditKind::kMove) edit.destination = record.extra;
  }
  return edit;
}

}  // namespace kpx
