// Lends a pass of the back transformation the converter's edit list with the pass's text in it
// and no earlier edit, and leaves the list empty again however the pass ends; or lends a pass the
// room of the list's text to write its result into (OutputRoom). Between passes and calls the
// list keeps its memory (room for edits, insert texts, Apply's working memory and two texts'
// room), so that a page like the last one maps no fresh memory.
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
  // What the list may keep for the next operation after any page...
  static constexpr std::size_t kBytesWorthKeeping = std::size_t{8} << 20;
  // ... and after a larger one, per character of its text: what such a page needs (about eight
  // bytes for two texts' room and the edits of a page with components, placeholders and option
  // blocks every few lines), while a smaller page after it gives the memory back.
  static constexpr std::size_t kBytesWorthKeepingPerCharacter = 12;

  // The list takes a copy of text, in the room of the text it held last when that suffices.
  EditListSession(TextEditList& list, std::u16string_view text) : list_(list), size_(text.size()) {
    std::u16string room = list_.TakeText();
    if (room.capacity() < text.size()) {
      room = std::u16string();
      ReserveLargeText(room, text.size());
    }
    room.assign(text);
    list_.Assign(std::move(room));
  }
  // The list takes text itself.
  EditListSession(TextEditList& list, std::u16string&& text) : list_(list), size_(text.size()) {
    list_.Assign(std::move(text));
  }
  ~EditListSession() {
    // The text goes, its room stays.
    std::u16string room = list_.TakeText();
    room.clear();
    list_.Assign(std::move(room));
    GiveBackBeyond(list_, size_);
  }
  EditListSession(const EditListSession&) = delete;
  EditListSession& operator=(const EditListSession&) = delete;

  // Frees the list's memory when it holds more than is worth keeping after a page of size
  // characters.
  static void GiveBackBeyond(TextEditList& list, std::size_t size) {
    if (list.HeldBytes() > std::max(kBytesWorthKeeping, kBytesWorthKeepingPerCharacter * size)) {
      list.ReleaseBuffers();
    }
  }

  // Applies every recorded edit once and hands over the result.
  std::u16string Finish() {
    Apply();
    return list_.TakeText();
  }
  // Applies every recorded edit once; the result stays in the list until the session ends.
  std::u16string_view FinishInPlace() {
    Apply();
    return list_.Text();
  }

 private:
  void Apply() {
    if (list_.EditCount() != 0) list_.ApplyReusingText();
    list_.ClearEdits();
  }

  TextEditList& list_;
  std::size_t size_;
};

// Lends a pass the room of the list's text (which holds nothing then) to write a result for a page
// of size characters into, and gives it back emptied however the pass ends, kept as
// EditListSession keeps the list's memory.
class OutputRoom {
 public:
  OutputRoom(TextEditList& list, std::size_t size) : list_(list), size_(size) {
    room_ = list_.TakeText();
    room_.clear();
    // Page XML runs a little longer than its page; growing past this costs one copy.
    const std::size_t expected = size + size / 4 + 256;
    if (room_.capacity() < expected) {
      room_ = std::u16string();
      ReserveLargeText(room_, expected);
    }
  }
  ~OutputRoom() {
    room_.clear();
    list_.Assign(std::move(room_));
    EditListSession::GiveBackBeyond(list_, size_);
  }
  OutputRoom(const OutputRoom&) = delete;
  OutputRoom& operator=(const OutputRoom&) = delete;

  std::u16string& Text() { return room_; }

 private:
  TextEditList& list_;
  std::size_t size_;
  std::u16string room_;
};

}  // namespace kpx
