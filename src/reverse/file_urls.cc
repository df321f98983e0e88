// File URL rewriting.
#include "reverse/file_urls.h"

#include <vector>

#include "base/ascii_case.h"

namespace kpx {

namespace {

bool IsSeparator(char16_t c) {
  return c == u'/' || c == u'\\';
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

std::u16string_view TrimSeparators(std::u16string_view directory) {
  while (directory.size() > 1 && IsSeparator(directory.back())) directory.remove_suffix(1);
  return directory;
}

std::vector<std::u16string_view> Split(std::u16string_view path) {
  std::vector<std::u16string_view> parts;
  std::size_t begin = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || IsSeparator(path[i])) {
      if (i > begin) parts.push_back(path.substr(begin, i - begin));
      begin = i + 1;
    }
  }
  return parts;
}

bool SameChar(char16_t a, char16_t b) {
  return (IsSeparator(a) && IsSeparator(b)) || AsciiToLower(a) == AsciiToLower(b);
}

// How far path (with percent escapes decoded) and directory agree from their starts: the end of
// the agreement in each, and the last place in each right after a separator both share.
struct Agreement {
  std::size_t path_end = 0;
  std::size_t directory_end = 0;
  std::size_t path_after_separator = 0;
  std::size_t directory_after_separator = 0;
};

// The character at i of a path with a percent escape decoded, and how many units it takes.
char16_t DecodedAt(std::u16string_view path, std::size_t i, std::size_t* width) {
  *width = 1;
  if (path[i] != u'%' || i + 2 >= path.size() || HexDigit(path[i + 1]) < 0 ||
      HexDigit(path[i + 2]) < 0) {
    return path[i];
  }
  *width = 3;
  return static_cast<char16_t>(HexDigit(path[i + 1]) * 16 + HexDigit(path[i + 2]));
}

Agreement Agree(std::u16string_view path, std::u16string_view directory) {
  Agreement a;
  std::size_t i = 0, k = 0;
  while (i < path.size() && k < directory.size()) {
    std::size_t width = 1;
    const char16_t c = DecodedAt(path, i, &width);
    if (!SameChar(c, directory[k])) break;
    i += width;
    ++k;
    if (IsSeparator(c)) {
      a.path_after_separator = i;
      a.directory_after_separator = k;
    }
  }
  a.path_end = i;
  a.directory_end = k;
  return a;
}

// Whether the whole directory matched and the path goes on with a separator (or ends): the rest
// after that separator.
std::optional<std::u16string_view> Below(std::u16string_view path, std::u16string_view directory) {
  if (directory.empty()) return std::nullopt;
  const Agreement a = Agree(path, directory);
  if (a.directory_end != directory.size()) return std::nullopt;
  if (a.path_end == path.size()) return path.substr(a.path_end);
  std::size_t width = 1;
  if (IsSeparator(DecodedAt(path, a.path_end, &width))) return path.substr(a.path_end + width);
  if (IsSeparator(directory.back())) return path.substr(a.path_end);
  return std::nullopt;
}

}  // namespace

PathContext MakePathContext(std::u16string_view page_file, std::u16string_view page_directory,
                            std::u16string_view project_directory) {
  PathContext paths;
  paths.page_file = page_file;
  paths.page_directory = TrimSeparators(page_directory);
  paths.project_directory = TrimSeparators(project_directory);
  const auto from = Split(paths.page_directory);
  const auto to = Split(paths.project_directory);
  std::size_t common = 0;
  while (common < from.size() && common < to.size() &&
         EqualsIgnoringAsciiCase(from[common], to[common])) {
    ++common;
  }
  for (std::size_t i = common; i < from.size(); ++i) paths.page_to_project += u"../";
  for (std::size_t i = common; i < to.size(); ++i) {
    paths.page_to_project += to[i];
    paths.page_to_project += u'/';
  }
  return paths;
}

std::optional<std::u16string> RelativeFileUrl(std::u16string_view value, const PathContext& paths) {
  std::u16string_view path;
  if (value.starts_with(u"file:///")) {
    // A drive letter after the third slash: the path starts with it; otherwise the slash stays.
    const bool drive =
        value.size() > 9 && value[9] == u':' &&
        ((value[8] >= u'a' && value[8] <= u'z') || (value[8] >= u'A' && value[8] <= u'Z'));
    path = value.substr(drive ? 8 : 7);
  } else if (value.starts_with(u"file://")) {
    path = value.substr(5);
  } else {
    return std::nullopt;
  }
  if (auto rest = Below(path, paths.page_directory)) return std::u16string(*rest);
  if (auto rest = Below(path, paths.project_directory)) {
    return paths.page_to_project + std::u16string(*rest);
  }
  if (paths.project_directory.empty()) return std::nullopt;
  const Agreement a = Agree(path, paths.project_directory);
  // Beside the project only when the rest is a path below the shared part (not a second root).
  if (a.directory_after_separator == 0 || a.path_after_separator >= path.size() ||
      IsSeparator(path[a.path_after_separator])) {
    return std::nullopt;
  }
  std::u16string out = paths.page_to_project;
  std::size_t ups = 1;
  for (std::size_t k = a.directory_after_separator; k < paths.project_directory.size(); ++k) {
    if (IsSeparator(paths.project_directory[k])) ++ups;
  }
  for (std::size_t i = 0; i < ups; ++i) out += u"../";
  out += path.substr(a.path_after_separator);
  return out;
}

}  // namespace kpx
