#include "recognition/open_tag_stack.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/ascii_case.h"

namespace kpx {
namespace {

// The stack's rules written the plain way: an end tag walks down from the top to the first
// boundary or the first tag of its name.
class WalkingModel {
 public:
  std::vector<std::u16string> reports;
  void PushTag(const std::u16string& name, size_t offset) { entries_.push_back({name, offset, 0}); }
  void PushBoundary(int container, const std::u16string& name) {
    entries_.push_back({name, 0, container});
  }
  void EndTag(const std::u16string& name, size_t offset) {
    if (entries_.empty()) return;
    for (size_t i = entries_.size(); i-- > 0;) {
      if (entries_[i].container)
        return Report(u"XX_UnOpenedTagAfterContainerBegin", offset, name, entries_[i].name);
      if (!EqualsIgnoringAsciiCase(entries_[i].name, name)) continue;
      if (i + 1 != entries_.size()) {
        Report(u"XX_CloseTagsMismatch", offset, entries_.back().name, name);
      }
      entries_.resize(i);
      return;
    }
    Report(u"XX_CloseTagsMismatch", offset, entries_.back().name, name);
  }
  void EndContainer(int container) {
    size_t b = entries_.size();
    while (b > 0 && entries_[b - 1].container != container) --b;
    if (b == 0) return;
    if (b < entries_.size()) {
      Report(u"XX_UnClosedTagBeforeContainerEnd", entries_.back().offset, entries_.back().name,
             entries_[b - 1].name);
    }
    entries_.resize(b - 1);
  }

 private:
  struct Entry {
    std::u16string name;
    size_t offset;
    int container;
  };
  void Report(std::u16string_view key, size_t offset, std::u16string_view a,
              std::u16string_view b) {
    reports.push_back(std::u16string(key) + u"|" + std::u16string(a) + u"|" + std::u16string(b) +
                      u"|" + static_cast<char16_t>(u'0' + offset % 10));
  }
  std::vector<Entry> entries_;
};

// Random runs of tags (names in mixed letter case) and component blocks give the same messages.
TEST(OpenTagStackTest, AgreesWithTheWalkingRules) {
  const std::vector<std::u16string> names = {u"div", u"DIV", u"span", u"b", u"Table", u"table"};
  std::mt19937 random(7);
  for (int run = 0; run < 300; ++run) {
    WalkingModel model;
    std::vector<std::u16string> reports;
    OpenTagStack stack(
        [&](std::u16string_view key, size_t offset, std::u16string_view a, std::u16string_view b) {
          reports.push_back(std::u16string(key) + u"|" + std::u16string(a) + u"|" +
                            std::u16string(b) + u"|" + static_cast<char16_t>(u'0' + offset % 10));
        });
    // Containers stand for page nodes: any distinct addresses do.
    std::vector<int> containers(8);
    std::vector<int> open_containers;
    for (size_t step = 0; step < 200; ++step) {
      const std::u16string& name = names[random() % names.size()];
      switch (random() % 7) {
        case 0:
        case 1:
        case 2:
          stack.PushTag(name, step);
          model.PushTag(name, step);
          break;
        case 3:
        case 4:
          stack.EndTag(name, step);
          model.EndTag(name, step);
          break;
        case 5: {
          const int c = static_cast<int>(random() % containers.size());
          stack.PushBoundary(reinterpret_cast<const PageNode*>(&containers[c]), name);
          model.PushBoundary(c + 1, name);
          break;
        }
        default: {
          const int c = static_cast<int>(random() % containers.size());
          stack.EndContainer(reinterpret_cast<const PageNode*>(&containers[c]));
          model.EndContainer(c + 1);
        }
      }
    }
    ASSERT_EQ(reports, model.reports) << "run " << run;
  }
}

}  // namespace
}  // namespace kpx
