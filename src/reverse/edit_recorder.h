// EditRecorder: records the writer's edits into a TextEditList, in position order, joining the
// inserts that meet at one position (a section's end, an element, the next section's start)
// into one, so that a page carries about half as many edit records.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "markup/text_edit_list.h"

namespace kpx {

class EditRecorder {
 public:
  explicit EditRecorder(TextEditList& list) : list_(list) {}
  EditRecorder(const EditRecorder&) = delete;
  EditRecorder& operator=(const EditRecorder&) = delete;

  const std::u16string& Text() const { return list_.Text(); }

  // Each insert goes behind what was inserted at its position before.
  void Insert(std::size_t position, std::u16string_view text) {
    if (text.empty()) return;
    if (pending_ && position == pending_position_) {
      pending_text_ += text;
      return;
    }
    Flush();
    pending_ = true;
    pending_position_ = position;
    pending_text_.assign(text);
  }
  void Delete(std::size_t position, std::size_t count) {
    Flush();
    list_.Delete(position, count);
  }
  void LowerCase(std::size_t position, std::size_t count) {
    Flush();
    list_.LowerCase(position, count);
  }
  // Records the joined insert waiting for more.
  void Flush() {
    if (!pending_) return;
    list_.Insert(pending_position_, pending_text_, true);
    pending_ = false;
  }

 private:
  TextEditList& list_;
  bool pending_ = false;
  std::size_t pending_position_ = 0;
  std::u16string pending_text_;
};

}  // namespace kpx
