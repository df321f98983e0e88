// The file URLs the editor writes for links and pictures, made relative to the page again.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kpx {

// Where the page lives. Directories are kept without a trailing separator; "/" and "\" are the
// same separator everywhere.
struct PathContext {
  std::u16string page_file;  // the page's own file name
  std::u16string page_directory;
  std::u16string project_directory;
  std::u16string page_to_project;  // "../" per level up, then the way down ("" or ends in "/")
};

PathContext MakePathContext(std::u16string_view page_file, std::u16string_view page_directory,
                            std::u16string_view project_directory);

// A "file:" URL relative to the page: below the page's directory, below the project's directory,
// or beside the project's directory; nullopt when the value is no file URL or lies elsewhere.
// Directories compare ignoring ASCII case, with percent escapes in the value decoded.
std::optional<std::u16string> RelativeFileUrl(std::u16string_view value, const PathContext& paths);

}  // namespace kpx
