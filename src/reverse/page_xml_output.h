// PageXmlOutput: the page XML written as the writer goes. The writer's changes to its source text
// come in position order, so the result is the source copied through once with each change made
// where it falls: no edit records, and nothing applied afterwards.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/ascii_case.h"
#include "base/status.h"

namespace kpx {

class PageXmlOutput {
 public:
  // Appends to out (which it does not clear); source must outlive the output.
  PageXmlOutput(std::u16string_view source, std::u16string& out) : source_(source), out_(out) {}
  PageXmlOutput(const PageXmlOutput&) = delete;
  PageXmlOutput& operator=(const PageXmlOutput&) = delete;

  std::u16string_view Text() const { return source_; }

  // Each change lies at or after the end of the one before; an insert may also stand where the
  // last delete began, and then goes where the deleted text was. Inserts at one position come out
  // in the order made.
  void Insert(std::size_t position, std::u16string_view text) {
    CopyTo(position);
    out_.append(text);
  }
  void Delete(std::size_t position, std::size_t count) {
    CopyTo(position);
    CheckEnd(position, count);
    floor_ = position;
    cursor_ = position + count;
  }
  // Delete, then Insert at the same position.
  void Replace(std::size_t position, std::size_t count, std::u16string_view text) {
    Delete(position, count);
    out_.append(text);
  }
  void LowerCase(std::size_t position, std::size_t count) {
    CopyTo(position);
    CheckEnd(position, count);
    for (std::size_t i = position; i < position + count; ++i) out_ += AsciiToLower(source_[i]);
    floor_ = cursor_ = position + count;
  }
  // Copies the rest of the source.
  void Finish() { CopyTo(source_.size()); }

 private:
  void CopyTo(std::size_t position) {
    if (position < cursor_) {
      // Only at a place the last delete took out: nothing of the source lies between.
      if (position < floor_) throw ConverterError(E_FAIL, "page XML written out of order");
      return;
    }
    CheckEnd(position, 0);
    out_.append(source_.data() + cursor_, position - cursor_);
    floor_ = cursor_ = position;
  }

  void CheckEnd(std::size_t position, std::size_t count) const {
    if (count > source_.size() || position > source_.size() - count) {
      throw ConverterError(E_INVALIDARG, "page XML edit past the text");
    }
  }

  std::u16string_view source_;
  std::u16string& out_;
  std::size_t cursor_ = 0;  // how much of the source has been dealt with
  std::size_t floor_ = 0;   // where the last delete began (inserts there are still in order)
};

}  // namespace kpx
