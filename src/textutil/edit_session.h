// EditSession: lends a text operation the edit list it records into (the converter's own), with
// the operation's text in it and no edit from an earlier operation, and leaves it empty again.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/large_buffers.h"
#include "markup/text_edit_list.h"

namespace kpx {

class EditSession {
 public:
  // Up to this much stays with the list between operations: what a page of several hundred
  // kilobytes needs (about ten bytes per character of a heavily repaired page), so that the
  // next such page maps no fresh memory.
  static constexpr std::size_t kBytesWorthKeeping = std::size_t{8} << 20;

  // The list takes a copy of text; whatever it held before is dropped first, so that it is
  // empty even when the copy cannot be made.
  EditSession(TextEditList& edits, std::u16string_view text) : edits_(edits) {
    edits_.Assign(std::u16string());
    edits_.Assign(CopyOfLargeText(text));
  }
  // The same with the text taken over rather than copied.
  EditSession(TextEditList& edits, std::u16string&& text) : edits_(edits) {
    edits_.Assign(std::u16string());
    edits_.Assign(std::move(text));
  }
  // However the operation ends, the list keeps neither the text nor an edit. When what it
  // still holds for reuse (room for edits, insert texts and Apply's working memory) has grown
  // past kBytesWorthKeeping, after a large page or one long insert, it gives all of it back
  // rather than hold it for the converter's lifetime.
  ~EditSession() {
    edits_.Assign(std::u16string());
    if (edits_.HeldBytes() > kBytesWorthKeeping) edits_.ReleaseBuffers();
  }
  EditSession(const EditSession&) = delete;
  EditSession& operator=(const EditSession&) = delete;

  TextEditList& edits() { return edits_; }
  const std::u16string& text() const { return edits_.Text(); }

  // Applies every recorded edit once and hands over the result.
  std::u16string Finish() {
    if (edits_.EditCount() != 0) edits_.Apply();
    edits_.ClearEdits();
    return edits_.TakeText();
  }

 private:
  TextEditList& edits_;
};

}  // namespace kpx
