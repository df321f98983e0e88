// Builds an edit list from the input bytes and applies it: no crash, a refusal only as
// ConverterError with the text unchanged, and, whenever the position-order walk or the one-pass
// way takes the list, the length the net change announces and the same result from the
// edit-by-edit way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "base/status.h"
#include "markup/text_edit_apply.h"
#include "markup/text_edit_list.h"

namespace {

class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return at_ >= size_; }
  uint8_t Next() { return at_ < size_ ? data_[at_++] : 0; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

char16_t CharFor(uint8_t b) {
  static constexpr char16_t kChars[] = u"AbCdXyZ<>\"'&= \u00C9\u00E9";
  return kChars[b % (sizeof(kChars) / sizeof(kChars[0]) - 1)];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Bytes in(data, size);
  std::u16string text;
  const size_t length = in.Next();
  for (size_t i = 0; i < length; ++i) text += CharFor(in.Next());

  kpx::TextEditList list{text};
  while (!in.Empty() && list.EditCount() < 4000) {
    const uint8_t op = in.Next();
    // Mostly positions inside the text; now and then a raw byte that may lie outside it.
    size_t position = (op & 0x80) ? in.Next() : in.Next() % (length + 1);
    const size_t room = position <= length ? length - position : 0;
    const size_t count = (op & 0x40) ? in.Next() : in.Next() % (room + 1);
    const bool after = (op & 0x20) != 0;
    switch (op % 8) {
      case 0:
      case 1:
      case 2: {
        std::u16string inserted;
        for (size_t i = 0; i < count % 4; ++i) inserted += CharFor(static_cast<uint8_t>(op + i));
        list.Insert(position, inserted, after);
        break;
      }
      case 3:
      case 4:
        list.Delete(position, count);
        break;
      case 5:
        list.LowerCase(position, count);
        break;
      case 6:
        if (op & 0x10) {
          list.Move(position, count, in.Next() % (length + 1), after);
        } else {
          list.EraseEditsInside(position, position + count, static_cast<kpx::EdgeInserts>(op & 3));
        }
        break;
      default:
        list.Withdraw(count % 3);
        break;
    }
  }

  const std::ptrdiff_t change = list.NetChange();
  std::optional<std::u16string> walked;
  std::optional<std::u16string> one_pass;
  try {
    walked = kpx::ApplyEditsInPositionOrder(text, list.Edits());
    one_pass = kpx::ApplyEditsInOnePass(text, list.Edits());
  } catch (const kpx::ConverterError&) {
  }
  try {
    list.Apply();
  } catch (const kpx::ConverterError&) {
    if (list.Text() != text) std::abort();  // a refusal must leave the text as it was
    return 0;
  }
  // Without overlaps every delete takes exactly its own characters.
  if ((walked || one_pass) && static_cast<std::ptrdiff_t>(list.Text().size()) !=
                                  static_cast<std::ptrdiff_t>(text.size()) + change) {
    std::abort();
  }
  if (walked || one_pass) {
    const std::u16string replayed = kpx::ReplayEdits(text, list.Edits());
    if ((walked && *walked != replayed) || (one_pass && *one_pass != replayed)) std::abort();
  }
  return 0;
}
