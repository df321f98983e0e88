// The bytes of x2x's INPUT, read in one go into a block that is not cleared first.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace x2x {

class InputBytes {
 public:
  // Reads a whole file ("-" or empty: the stream given as standard input): a regular file with
  // one read of its size, anything else (a pipe, a device) in doubling steps. On failure returns
  // nullopt and sets *error to a message that names the file.
  static std::optional<InputBytes> Read(const std::string& path, std::istream& standardInput,
                                        std::string* error);

  std::string_view View() const { return {data_.get(), size_}; }

 private:
  // Makes room for at least capacity bytes, keeping those read; a large block asks for huge
  // pages.
  void Reserve(size_t capacity);
  bool ReadFile(int fd, size_t expected);
  bool ReadStream(std::istream& in);

  std::unique_ptr<char[]> data_;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace x2x
