// Input decoding for x2x: the file read in one go, decoded a block at a time.
#include "x2x/input_decoding.h"

#include <bit>
#include <cstring>

#include "base/large_buffers.h"
#include "base/utf.h"
#include "x2x/input_bytes.h"

namespace x2x {

namespace {

// A system string of length code units, to be written; throws std::bad_alloc.
kpx::Bstr NewText(size_t length) {
  return kpx::Bstr::Adopt(kpx::AllocBstrToFill(length, kpx::kHugePageBytes));
}

// Joins byte pairs into code units; the caller has checked that the count is even.
kpx::Bstr JoinUtf16(std::string_view bytes, bool bigEndian) {
  kpx::Bstr text = NewText(bytes.size() / 2);
  char16_t* out = text.Get();
  std::memcpy(out, bytes.data(), bytes.size());
  if (bigEndian != (std::endian::native == std::endian::big)) {
    for (size_t i = 0; i < bytes.size() / 2; ++i)
      out[i] = static_cast<char16_t>(out[i] << 8 | out[i] >> 8);
  }
  return text;
}

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

}  // namespace

DecodedInput DecodeInput(std::string_view bytes) {
  DecodedInput result;
  if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
    bool bigEndian = bytes[0] == '\xFE';
    result.encoding =
        bigEndian ? InputEncoding::kUtf16BigEndian : InputEncoding::kUtf16LittleEndian;
    if (bytes.size() % 2 != 0) {
      result.error =
          "UTF-16 input has an odd number of bytes (" + std::to_string(bytes.size()) + ")";
      return result;
    }
    result.text = JoinUtf16(bytes.substr(2), bigEndian);
    return result;
  }
  size_t skipped = 0;
  if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    result.encoding = InputEncoding::kUtf8WithBom;
    skipped = 3;
  }
  std::string_view body = bytes.substr(skipped);
  const kpx::Utf8Scan scan = kpx::ScanUtf8(body);
  if (scan.invalid_at) {
    result.error = "invalid UTF-8 at byte offset " + std::to_string(skipped + *scan.invalid_at);
    return result;
  }
  result.text = NewText(scan.utf16_length);
  kpx::Utf8ToUtf16(body, result.text.Get());
  return result;
}

std::optional<std::string> ReadInputBytes(const std::string& path, std::istream& standardInput,
                                          std::string* error) {
  auto bytes = InputBytes::Read(path, standardInput, error);
  if (!bytes) return std::nullopt;
  return std::string(bytes->View());
}

kpx::Bstr ReadInputText(const std::string& path, std::istream& standardInput) {
  std::string error;
  auto bytes = InputBytes::Read(path, standardInput, &error);
  if (!bytes) throw UsageError{error};
  DecodedInput decoded = DecodeInput(bytes->View());
  if (decoded.text.IsNull()) {
    throw UsageError{(path.empty() || path == "-" ? "standard input" : path) + ": " +
                     decoded.error};
  }
  return std::move(decoded.text);
}

}  // namespace x2x
