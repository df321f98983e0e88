// Reading INPUT without a pass that clears the block or copies it again.
#include "x2x/input_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <istream>

#include "base/large_buffers.h"

namespace x2x {

namespace {

constexpr size_t kFirstStep = 65536;

// Closes the file on every way out.
struct FileDescriptor {
  int fd;
  ~FileDescriptor() {
    if (fd >= 0) close(fd);
  }
};

}  // namespace

void InputBytes::Reserve(size_t capacity) {
  if (capacity <= capacity_) return;
  std::unique_ptr<char[]> block(new char[capacity]);
  kpx::PreferHugePages(block.get(), capacity, kpx::kHugePageBytes);
  if (size_ > 0) std::memcpy(block.get(), data_.get(), size_);
  data_ = std::move(block);
  capacity_ = capacity;
}

// expected: the file's size, when it has one; the byte to spare notices a file that grew.
bool InputBytes::ReadFile(int fd, size_t expected) {
  Reserve(std::max(expected + 1, kFirstStep));
  for (;;) {
    if (size_ == capacity_) Reserve(2 * capacity_);
    const ssize_t got = read(fd, data_.get() + size_, capacity_ - size_);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    size_ += static_cast<size_t>(got);
  }
}

bool InputBytes::ReadStream(std::istream& in) {
  Reserve(kFirstStep);
  for (;;) {
    if (size_ == capacity_) Reserve(2 * capacity_);
    in.read(data_.get() + size_, static_cast<std::streamsize>(capacity_ - size_));
    size_ += static_cast<size_t>(in.gcount());
    if (in.bad()) return false;
    if (in.eof()) return true;
  }
}

std::optional<InputBytes> InputBytes::Read(const std::string& path, std::istream& standardInput,
                                           std::string* error) {
  InputBytes bytes;
  if (path.empty() || path == "-") {
    if (!bytes.ReadStream(standardInput)) {
      *error = "cannot read standard input";
      return std::nullopt;
    }
    return bytes;
  }
  const FileDescriptor file{open(path.c_str(), O_RDONLY | O_CLOEXEC)};
  struct stat info {};
  if (file.fd < 0 || fstat(file.fd, &info) != 0) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  if (S_ISDIR(info.st_mode)) {
    *error = "cannot read " + path + ": it is a directory";
    return std::nullopt;
  }
  if (!bytes.ReadFile(file.fd, S_ISREG(info.st_mode) ? static_cast<size_t>(info.st_size) : 0)) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  return bytes;
}

}  // namespace x2x
