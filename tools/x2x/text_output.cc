// The result text encoded a block at a time into one buffer.
#include "x2x/text_output.h"

#include <memory>
#include <ostream>

#include "base/large_buffers.h"
#include "base/utf.h"

namespace x2x {

void WriteUtf8(std::ostream& out, std::u16string_view text) {
  const size_t length = kpx::Utf8Length(text);
  // Not cleared first: every byte is written by the conversion.
  const std::unique_ptr<char[]> bytes(new char[length]);
  kpx::PreferHugePages(bytes.get(), length, kpx::kHugePageBytes);
  kpx::Utf16ToUtf8(text, bytes.get());
  out.write(bytes.get(), static_cast<std::streamsize>(length));
}

}  // namespace x2x
