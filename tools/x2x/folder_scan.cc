// The folder scan.
#include "x2x/folder_scan.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace x2x {

namespace {

struct Scan {
  const std::function<bool(const char*)>& matches;
  const struct stat* skip;
  std::vector<FoundFile>* found;

  // Takes over the descriptor of an open folder whose files go below prefix.
  void Walk(int descriptor, const std::string& prefix) {
    DIR* folder = fdopendir(descriptor);
    if (!folder) {
      close(descriptor);
      return;
    }
    while (const dirent* entry = readdir(folder)) {
      const char* name = entry->d_name;
      if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
      unsigned char type = entry->d_type;
      struct stat status;
      if (type == DT_UNKNOWN) {
        if (fstatat(dirfd(folder), name, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
        type = S_ISDIR(status.st_mode)   ? DT_DIR
               : S_ISLNK(status.st_mode) ? DT_LNK
               : S_ISREG(status.st_mode) ? DT_REG
                                         : DT_UNKNOWN;
      }
      if (type == DT_DIR) {
        int below = openat(dirfd(folder), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (below < 0) continue;
        if (skip && fstat(below, &status) == 0 && status.st_dev == skip->st_dev &&
            status.st_ino == skip->st_ino) {
          close(below);
          continue;
        }
        Walk(below, prefix + name + "/");
        continue;
      }
      // A link counts when it leads to a regular file.
      if ((type != DT_REG && type != DT_LNK) || !matches(name) ||
          fstatat(dirfd(folder), name, &status, 0) != 0 || !S_ISREG(status.st_mode)) {
        continue;
      }
      found->push_back(
          {prefix + name, static_cast<std::uintmax_t>(status.st_size), type == DT_LNK});
    }
    closedir(folder);
  }
};

}  // namespace

bool ScanFolder(const std::string& folder, const std::function<bool(const char*)>& matches,
                const struct stat* skip, std::vector<FoundFile>* found, std::string* error) {
  int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) {
    *error = std::strerror(errno);
    return false;
  }
  Scan{matches, skip, found}.Walk(descriptor, "");
  return true;
}

}  // namespace x2x
