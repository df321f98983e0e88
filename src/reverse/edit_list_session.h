// Lends a pass of the back transformation the converter's edit list with the pass's text in it
// and no earlier edit, and leaves the list empty again however the pass ends.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "base/large_buffers.h"
#include "markup/text_edit_list.h"

namespace kpx {

class EditListSession {
 public:
  // What the list may keep for the next operation (its room for edits and Apply's memory).
  static constexpr std::size_t kBytesWorthKeeping = std::size_t{8} << 20;

  // The list takes a copy of text, or text itself.
  EditListSession(TextEditList& list, std::u16string_view text)
      : EditListSession(list, CopyOfLargeText(text)) {}
  EditListSession(TextEditList& list, std::u16string&& text) : list_(list) {
    list_.Assign(std::u16string());
    list_.Assign(std::move(text));
  }
  ~EditListSession() {
    list_.Assign(std::u16string());
    if (list_.HeldBytes() > kBytesWorthKeeping) list_.ReleaseBuffers();
  }
  EditListSession(const EditListSession&) = delete;
  EditListSession& operator=(const EditListSession&) = delete;

  // Applies every recorded edit once and hands over the result.
  std::u16string Finish() {
    if (list_.EditCount() != 0) list_.Apply();
    list_.ClearEdits();
    return list_.TakeText();
  }

 private:
  TextEditList& list_;
};

}  // namespace kpx
