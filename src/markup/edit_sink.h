// EditSink: how a scanner records the changes it wants without touching the text it reads.
#pragma once

#include <cstddef>
#include <string_view>

namespace kpx {

// Positions are offsets in UTF-16 code units into the text as it was before any edit. The
// receiver (normally a TextEditList) keeps the edits in recording order.
class EditSink {
 public:
  // Inserts text at position. When several inserts land at one place, an insert with after set
  // comes out behind the text that earlier edits put there; with after clear, in front of it.
  virtual void Insert(std::size_t position, std::u16string_view text, bool after) = 0;
  // Deletes count characters starting at position.
  virtual void Delete(std::size_t position, std::size_t count) = 0;
  // Removes the last count edits recorded (all of them when there are fewer).
  virtual void Withdraw(std::size_t count) = 0;

 protected:
  ~EditSink() = default;
};

}  // namespace kpx
