// Input decoding for x2x.
#include "x2x/input_decoding.h"

#include <utf8cpp/utf8.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace x2x {

namespace {

// Joins byte pairs into code units; the caller has checked that the count is even.
std::u16string JoinUtf16(std::string_view bytes, bool bigEndian) {
  std::u16string out;
  out.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    auto first = static_cast<unsigned char>(bytes[i]);
    auto second = static_cast<unsigned char>(bytes[i + 1]);
    out.push_back(static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
  }
  return out;
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
  auto invalid = utf8::find_invalid(body.begin(), body.end());
  if (invalid != body.end()) {
    result.error = "invalid UTF-8 at byte offset " +
                   std::to_string(skipped + static_cast<size_t>(invalid - body.begin()));
    return result;
  }
  std::u16string text;
  text.reserve(body.size());
  utf8::unchecked::utf8to16(body.begin(), body.end(), std::back_inserter(text));
  result.text = std::move(text);
  return result;
}

std::optional<std::string> ReadInputBytes(const std::string& path, std::istream& standardInput,
                                          std::string* error) {
  if (path.empty() || path == "-") {
    std::ostringstream all;
    all << standardInput.rdbuf();
    if (standardInput.bad()) {
      *error = "cannot read standard input";
      return std::nullopt;
    }
    return std::move(all).str();
  }
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    *error = "cannot read " + path + ": it is a directory";
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  return bytes;
}

std::u16string ReadInputText(const std::string& path, std::istream& standardInput) {
  std::string error;
  auto bytes = ReadInputBytes(path, standardInput, &error);
  if (!bytes) throw UsageError{error};
  DecodedInput decoded = DecodeInput(*bytes);
  if (!decoded.text) {
    throw UsageError{(path.empty() || path == "-" ? "standard input" : path) + ": " +
                     decoded.error};
  }
  return std::move(*decoded.text);
}

}  // namespace x2x
