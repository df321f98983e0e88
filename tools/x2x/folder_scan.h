// The files below a folder whose names match, found with the POSIX directory calls: a file's
// type comes with its name and its size is asked of its open folder, where the path-based calls
// walk the whole path again for every file. A site has thousands of files, and the scan runs
// before any of them can be converted.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace x2x {

struct FoundFile {
  std::string relative;  // below the folder, parts separated by '/'
  std::uintmax_t bytes = 0;
  bool link = false;  // a symbolic link to a file
};

// Adds every regular file below folder, or symbolic link to one, whose name matches. Folders
// reached through links, folders that cannot be read and the folder `skip` (by device and inode;
// null: none) are passed over. False, with *error set, when folder itself cannot be read.
bool ScanFolder(const std::string& folder, const std::function<bool(const char*)>& matches,
                const struct stat* skip, std::vector<FoundFile>* found, std::string* error);

}  // namespace x2x
