// Compact edit lists for the text edit tests: rows spell out their edits with Ins/Del/Mov/Low.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "markup/text_edit_list.h"

namespace kpx::testing {

struct EditOp {
  EditKind kind;
  std::size_t position;
  std::size_t count;
  std::size_t destination;
  std::u16string text;
  bool after;
};

inline EditOp Ins(std::size_t position, std::u16string_view text, bool after = false) {
  return {EditKind::kInsert, position, 0, 0, std::u16string(text), after};
}
inline EditOp Del(std::size_t position, std::size_t count) {
  return {EditKind::kDelete, position, count, 0, {}, false};
}
inline EditOp Mov(std::size_t position, std::size_t count, std::size_t destination,
                  bool after = false) {
  return {EditKind::kMove, position, count, destination, {}, after};
}
inline EditOp Low(std::size_t position, std::size_t count) {
  return {EditKind::kLowerCase, position, count, 0, {}, false};
}

inline void Record(TextEditList& list, const EditOp& op) {
  switch (op.kind) {
    case EditKind::kInsert:
      list.Insert(op.position, op.text, op.after);
      break;
    case EditKind::kDelete:
      list.Delete(op.position, op.count);
      break;
    case EditKind::kMove:
      list.Move(op.position, op.count, op.destination, op.after);
      break;
    case EditKind::kLowerCase:
      list.LowerCase(op.position, op.count);
      break;
  }
}

inline TextEditList MakeList(std::u16string_view text, const std::vector<EditOp>& ops) {
  TextEditList list{std::u16string(text)};
  for (const EditOp& op : ops) Record(list, op);
  return list;
}

inline std::string Narrow(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

}  // namespace kpx::testing
