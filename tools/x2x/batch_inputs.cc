// Finding the inputs of a batch run and placing its results.
#include "x2x/batch_inputs.h"

#include <fnmatch.h>

#include <algorithm>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

#include "base/utf.h"
#include "x2x/folder_scan.h"
#include "x2x/input_decoding.h"

namespace fs = std::filesystem;

namespace x2x {

namespace {

fs::path ResultPath(const fs::path& out, fs::path relative, bool xmlResults) {
  if (xmlResults) relative.replace_extension(".xml");
  return out / relative;
}

// The same for a relative path in a string, as a folder's files come: a site has thousands, and
// path objects split themselves into parts at every step.
std::string ResultPath(const std::string& out, std::string relative, bool xmlResults) {
  if (xmlResults) {
    const size_t name = relative.rfind('/') + 1;  // 0 without a folder
    const size_t dot = relative.rfind('.');
    if (dot != std::string::npos && dot > name) relative.erase(dot);
    relative += ".xml";
  }
  return out.empty() || out.back() == '/' ? out + relative : out + "/" + relative;
}

// Path order: part by part, as if '/' came before every other character.
bool InPathOrder(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(x == '/' ? 0 : x) <
           static_cast<unsigned char>(y == '/' ? 0 : y);
  });
}

// The path with symbolic links and dot segments resolved as far as it exists.
fs::path Resolved(const fs::path& path) {
  std::error_code ec;
  fs::path resolved = fs::weakly_canonical(path, ec);
  return ec ? fs::absolute(path, ec).lexically_normal() : resolved;
}

// Resolved paths of many files, each folder resolved once: the files of a site share a few
// folders, and resolving costs a system call per part of the path.
class PathResolver {
 public:
  // mayBeLink: the last part may be a symbolic link, which may point anywhere.
  std::string operator()(const fs::path& path, bool mayBeLink) {
    std::error_code ec;
    const std::string absolute = path.is_absolute() ? path.native() : cwd_ + "/" + path.native();
    if (mayBeLink && fs::is_symlink(fs::symlink_status(absolute, ec))) {
      return Resolved(absolute).native();
    }
    const size_t slash = absolute.rfind('/');
    auto [folder, added] = folders_.try_emplace(absolute.substr(0, slash));
    if (added) folder->second = Resolved(slash ? folder->first : "/").native();
    const std::string& parent = folder->second;
    return (parent.back() == '/' ? parent : parent + "/") + absolute.substr(slash + 1);
  }

 private:
  std::string cwd_ = fs::current_path().native();
  std::unordered_map<std::string, std::string> folders_;
};

// The files below folder that match, in path order, leaving out the folder skip (null: none).
void AddFolder(const std::string& input, const std::vector<std::string>& patterns,
               const struct stat* skip, const fs::path& out, bool xmlResults,
               std::vector<BatchItem>& items) {
  std::vector<FoundFile> found;
  std::string error;
  auto matches = [&](const char* name) { return MatchesInclude(name, patterns); };
  if (!ScanFolder(input, matches, skip, &found, &error)) {
    throw UsageError{input + ": cannot read the folder: " + error};
  }
  std::sort(found.begin(), found.end(), [](const FoundFile& a, const FoundFile& b) {
    return InPathOrder(a.relative, b.relative);
  });
  // Files are read below the folder as written, and shown below it tidied.
  const std::string folder = input.back() == '/' ? input : input + "/";
  std::string shown = fs::path(input).lexically_normal().native();
  if (shown == "." || shown == "./") shown.clear();
  if (!shown.empty() && shown.back() != '/') shown += '/';
  items.reserve(items.size() + found.size());
  for (FoundFile& file : found) {
    BatchItem item;
    item.name = shown + file.relative;
    item.input = folder + file.relative;
    item.output = ResultPath(out.native(), file.relative, xmlResults);
    item.bytes = file.bytes;
    item.plainInput = !file.link;
    items.push_back(std::move(item));
  }
}

}  // namespace

std::vector<std::string> IncludePatterns(const std::vector<std::string>& values) {
  std::vector<std::string> patterns;
  for (const std::string& value : values) {
    std::istringstream words(value);
    for (std::string word; words >> word;) patterns.push_back(word);
  }
  if (patterns.empty()) patterns = {"*.html", "*.htm", "*.tpl"};
  return patterns;
}

bool MatchesInclude(const char* fileName, const std::vector<std::string>& patterns) {
  return std::any_of(patterns.begin(), patterns.end(), [&](const std::string& pattern) {
    return fnmatch(pattern.c_str(), fileName, FNM_CASEFOLD) == 0;
  });
}

std::vector<BatchItem> FindInputFiles(const std::vector<std::string>& inputs,
                                      const std::vector<std::string>& patterns, const fs::path& out,
                                      bool xmlResults) {
  std::error_code ec;
  struct stat outFolder;
  const struct stat* skip = stat(out.c_str(), &outFolder) == 0 ? &outFolder : nullptr;
  std::vector<BatchItem> items;
  for (const std::string& input : inputs) {
    if (input == "-") throw UsageError{"standard input cannot be a batch input"};
    fs::file_status status = fs::status(input, ec);
    if (fs::is_directory(status)) {
      AddFolder(input, patterns, skip, out, xmlResults, items);
    } else if (fs::exists(status)) {
      BatchItem item;
      item.name = input;
      item.input = input;
      item.output = ResultPath(out, fs::path(input).filename(), xmlResults);
      item.bytes = fs::file_size(input, ec);
      items.push_back(std::move(item));
    } else {
      throw UsageError{input + ": no such file or folder"};
    }
  }
  if (items.empty()) {
    std::string list;
    for (const std::string& pattern : patterns) list += (list.empty() ? "" : " ") + pattern;
    throw UsageError{"no input file found (the folders were searched for " + list + ")"};
  }
  return items;
}

std::vector<BatchItem> HostPageItems(const std::vector<PageData>& pages, const fs::path& out,
                                     bool xmlResults) {
  std::vector<BatchItem> items;
  for (size_t i = 0; i < pages.size(); ++i) {
    const PageData& page = pages[i];
    const std::string name = kpx::ToUtf8(page.name);
    // Only the last part of a name, so that no result lands outside out.
    fs::path file = fs::path(page.fileName ? kpx::ToUtf8(*page.fileName) : "").filename();
    if (file.empty() || file == "." || file == "..") file = fs::path(name + ".html").filename();
    BatchItem item;
    item.name = name;
    item.hostPage = i;
    item.output = ResultPath(out, file, xmlResults);
    item.bytes = page.templateText.size();
    items.push_back(std::move(item));
  }
  return items;
}

void CheckOutputs(const std::vector<BatchItem>& items, const std::vector<std::string>& inputs,
                  const fs::path& out, const std::string& report) {
  const fs::path outFolder = Resolved(out);
  for (const std::string& input : inputs) {
    std::error_code ec;
    if (fs::is_directory(input, ec) && Resolved(input) == outFolder) {
      throw UsageError{"--out " + out.string() + " is the input folder " + input +
                       ": the results would be written among the inputs; choose another folder"};
    }
  }
  PathResolver resolve;
  std::unordered_set<std::string> inputFiles;
  for (const BatchItem& item : items) {
    if (!item.input.empty()) inputFiles.insert(resolve(item.input, !item.plainInput));
  }
  std::unordered_map<std::string, const BatchItem*> results;
  for (const BatchItem& item : items) {
    std::string result = resolve(item.output, false);
    if (inputFiles.count(result)) {
      throw UsageError{"the result of " + item.name + " would overwrite the input " +
                       item.output.string() + "; choose another --out folder"};
    }
    auto [at, added] = results.emplace(result, &item);
    if (!added) {
      throw UsageError{at->second->name + " and " + item.name + " would both be written to " +
                       item.output.string()};
    }
  }
  if (report.empty()) return;
  std::string reportFile = resolve(report, true);
  if (inputFiles.count(reportFile)) throw UsageError{"--report " + report + " is an input"};
  if (auto at = results.find(reportFile); at != results.end()) {
    throw UsageError{"--report " + report + " is where the result of " + at->second->name +
                     " goes"};
  }
}

}  // namespace x2x
