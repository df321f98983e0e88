// TagEditBuffer: holds the edits of a tag that may yet be removed as a whole (a p start tag, a
// meta tag), apart from the page's edit list, so that removing the tag later also removes every
// repair recorded inside it, at no cost to the rest of the list.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "markup/edit_sink.h"
#include "markup/text_edit_list.h"

namespace kpx {

class TagEditBuffer final : public EditSink {
 public:
  void Insert(std::size_t position, std::u16string_view text, bool after) override;
  void Delete(std::size_t position, std::size_t count) override;
  void Withdraw(std::size_t count) override;
  void LowerCase(std::size_t position, std::size_t count);

  bool empty() const { return edits_.empty(); }
  std::span<const TextEdit> Edits() const { return edits_; }

  // Drops the edits lying inside [start, end) (see EditLiesInside).
  void DropInside(std::size_t start, std::size_t end, EdgeInserts edges);
  // Hands the edits over, leaving the buffer empty.
  std::vector<TextEdit> Take() { return std::move(edits_); }
  void Clear() { edits_.clear(); }

 private:
  std::vector<TextEdit> edits_;
};

// Records held edits into the list, in their order.
void RecordHeldEdits(TextEditList& edits, std::span<const TextEdit> held);

}  // namespace kpx
