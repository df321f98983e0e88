// The whole corpus of the library's own regression pages, run as the pipeline runs the cleaner.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/utf.h"
#include "cleaner/html_cleaner.h"
#include "cleaner_test_util.h"

namespace kpx {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(KPX_SOURCE_DIR) / ".." / "shared" / "corpus" / "tidy-cases";

// Pages above this size (one: 65,000 nested elements, which takes the library itself close to a
// minute) are run once, with the pipeline's switches, and left out of the comparison runs.
constexpr uintmax_t kComparedPageLimit = 64 * 1024;

// A corpus page as text: UTF-16 with its mark, UTF-8, or else one byte per character.
std::u16string ReadPage(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return text;
  }
  if (!FindInvalidUtf8(bytes)) return ToUtf16(bytes);
  return std::u16string(bytes.begin(), bytes.end());  // each byte as Latin-1
}

std::vector<fs::path> CorpusPages() {
  std::vector<fs::path> pages;
  if (!fs::is_directory(kCorpus)) return pages;
  for (const auto& entry : fs::directory_iterator(kCorpus)) {
    if (entry.is_regular_file() && entry.path().filename() != "LICENSE.md") {
      pages.push_back(entry.path());
    }
  }
  std::sort(pages.begin(), pages.end());
  return pages;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return text;
}

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == ':' || c == '_';
}

// Start tags of a page (lower-cased), each as its name and its attributes; good enough for
// counting forms and reading id and name.
struct Tag {
  std::string name;
  std::map<std::string, std::string> attributes;
};

std::vector<Tag> StartTags(const std::string& page) {
  const std::string text = Lower(page);
  std::vector<Tag> tags;
  for (size_t at = text.find('<'); at != std::string::npos; at = text.find('<', at + 1)) {
    size_t i = at + 1;
    Tag tag;
    while (i < text.size() && IsNameChar(text[i])) tag.name += text[i++];
    if (tag.name.empty()) continue;
    while (i < text.size() && text[i] != '>') {
      if (!IsNameChar(text[i])) {
        ++i;
        continue;
      }
      std::string name;
      while (i < text.size() && IsNameChar(text[i])) name += text[i++];
      while (i < text.size() && text[i] == ' ') ++i;
      std::string value;
      if (i < text.size() && text[i] == '=') {
        ++i;
        while (i < text.size() && text[i] == ' ') ++i;
        if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
          const size_t close = text.find(text[i], i + 1);
          if (close == std::string::npos) break;
          value = text.substr(i + 1, close - i - 1);
          i = close + 1;
        } else {
          while (i < text.size() && text[i] != ' ' && text[i] != '>') value += text[i++];
        }
      }
      tag.attributes.emplace(name, value);
    }
    tags.push_back(std::move(tag));
  }
  return tags;
}

size_t CountForms(const std::vector<Tag>& tags) {
  return std::count_if(tags.begin(), tags.end(), [](const Tag& t) { return t.name == "form"; });
}

// The values that stand as both id and name of one element.
std::set<std::string> PairedAnchors(const std::vector<Tag>& tags) {
  std::set<std::string> paired;
  for (const Tag& tag : tags) {
    const auto id = tag.attributes.find("id");
    const auto name = tag.attributes.find("name");
    if (id != tag.attributes.end() && name != tag.attributes.end() && id->second == name->second) {
      paired.insert(id->second);
    }
  }
  return paired;
}

// The anchors an output pairs that its input did not: what anchor fixing added.
std::vector<std::string> AddedAnchors(const std::string& input, const std::string& output) {
  const std::set<std::string> before = PairedAnchors(StartTags(input));
  std::vector<std::string> added;
  for (const std::string& value : PairedAnchors(StartTags(output))) {
    if (!before.count(value)) added.push_back(value);
  }
  return added;
}

TEST(CleanerCorpusTest, PipelineSwitchesInferNoFormAndAddNoAnchor) {
  const std::vector<fs::path> pages = CorpusPages();
  if (pages.empty()) GTEST_SKIP() << "no corpus at " << kCorpus;
  size_t library_forms = 0;    // pages where the library alone inferred a form
  size_t library_anchors = 0;  // pages where it alone added id or name
  for (const fs::path& path : pages) {
    SCOPED_TRACE(path.filename().string());
    const std::u16string page = ReadPage(path);
    const std::string input = ToUtf8(page);
    const size_t written_forms = CountForms(StartTags(input));

    if (fs::file_size(path) <= kComparedPageLimit) {
      HtmlCleaner plain;
      const testing::Cleaned library = testing::Clean(plain, page);
      library_forms += CountForms(StartTags(library.output)) > written_forms;
      library_anchors += !AddedAnchors(input, library.output).empty();
    }

    HtmlCleaner cleaner;
    testing::SetPipelineSwitches(cleaner);
    const testing::Cleaned cleaned = testing::Clean(cleaner, page);
    EXPECT_TRUE(cleaned.switches_applied);
    EXPECT_FALSE(cleaned.output.empty());
    EXPECT_LE(CountForms(StartTags(cleaned.output)), written_forms);
    EXPECT_EQ(AddedAnchors(input, cleaned.output), std::vector<std::string>());
    EXPECT_FALSE(testing::Contains(cleaned.messages, "implicit <form>"));
    EXPECT_FALSE(testing::Contains(cleaned.messages, "id and name attribute value mismatch"));
  }
  // The corpus exercises both switches: without them the library does infer and add.
  EXPECT_GT(library_forms, 0u);
  EXPECT_GT(library_anchors, 0u);
}

TEST(CleanerCorpusTest, PreserveCaseChangesNothingButLetterCase) {
  const std::vector<fs::path> pages = CorpusPages();
  if (pages.empty()) GTEST_SKIP() << "no corpus at " << kCorpus;
  size_t renamed = 0;
  for (const fs::path& path : pages) {
    if (fs::file_size(path) > kComparedPageLimit) continue;
    SCOPED_TRACE(path.filename().string());
    const std::u16string page = ReadPage(path);
    HtmlCleaner plain;
    const testing::Cleaned library = testing::Clean(plain, page);
    HtmlCleaner cleaner;
    cleaner.SetOption("kps-preserve-case", "yes");
    const testing::Cleaned cleaned = testing::Clean(cleaner, page);
    if (cleaned.switches_applied) {
      EXPECT_EQ(Lower(cleaned.output), Lower(library.output));
      renamed += cleaned.output != library.output;
    } else {
      // A page whose printed output the cleaner could not follow comes out untouched.
      EXPECT_EQ(cleaned.output, library.output);
      EXPECT_TRUE(testing::Contains(cleaned.messages, "could not be matched"));
    }
  }
  EXPECT_GT(renamed, 0u);  // the corpus has pages written in capitals
}

}  // namespace
}  // namespace kpx
