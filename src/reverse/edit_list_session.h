// Lends a pass of the back transformation the converter's edit list with the pass's text in it
// and no earlier edit, and leaves the list empty again however the pass ends.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "base/large_buffers.h"
#include "markup/text_edit_list.h"

namespace kpx {

class EditListSession {
 public:
  // What the list may keep for the next operation (its room for edits, the insert texts and
  // Apply's memory) after any page...
  static constexpr std::size_t kBytesWorthKeeping = std::size_t{8} << 20;
  // ... and after a larger one, per character of its text: what such a page needs (a page of
  // components, placeholders and option blocks every few lines takes about four bytes), so that
  // the next call on a page like it maps no fresh memory, while a smaller page after it gives
  // the memory back.
  static constexpr std::size_t kBytesWorthKeepingPerCharacter = 8;

  // The list takes a copy of text, or text itself.
  EditListSession(TextEditList& list, std::u16string_view text)
      : EditListSession(list, CopyOfLargeText(text)) {}
  EditListSession(TextEditList& list, std::u16string&& text)
      : list_(list), text_size_(text.size()) {
    list_.Assign(std::u16string());
    list_.Assign(std::move(text));
  }
  ~EditListSession() {
    list_.Assign(std::u16string());
    const std::size_t keep =
        std::max(kBytesWorthKeeping, kBytesWorthKeepingPerCharacter * text_size_);
    if (list_.HeldBytes() > keep) list_.ReleaseBuffers();
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
  std::size_t text_size_;
};

}  // namespace kpx
