// LiteralRun: the stretch of template text between two items that the page XML writer rewrites.
// Its own edits (lower-cased names, erased tags, rewritten path segments) wait here until the
// run ends, so that they reach the output in position order behind the "<![CDATA[" that opens
// the run; a run left empty by its erasures writes no section at all.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "reverse/page_xml_output.h"

namespace kpx {

class LiteralRun {
 public:
  // Edits go to output, against its source text.
  explicit LiteralRun(PageXmlOutput& output) : out_(output) {}

  // Starts a new run at position (the previous one must have been closed).
  void Start(std::size_t position) {
    start_ = position;
    kept_change_ = 0;
    edits_.clear();
    pool_.clear();
  }
  std::size_t start() const { return start_; }

  // The run's own edits, each at or after the end of the one before.
  void Erase(std::size_t position, std::size_t count);
  void LowerCase(std::size_t position, std::size_t count);
  void Replace(std::size_t position, std::size_t count, std::u16string_view text);

  // Ends the run at end: when any of its text is left after its erasures it becomes one CDATA
  // section ("]]>" split, forbidden characters replaced); either way its edits go to the output.
  // Returns whether a section was written.
  bool Close(std::size_t end);

 private:
  enum class Kind : unsigned char { kErase, kLowerCase, kReplace };
  struct Edit {
    Kind kind;
    std::size_t position;
    std::size_t count;
    std::size_t text_begin;  // replace: its text in pool_
    std::size_t text_size;
  };

  // Checks the source characters [from, to) that the section keeps, after the characters last1
  // and last2 (the two before them in the section), and records the fixes they need. Most
  // stretches need none: no "]" before them, no notable character in them.
  void CheckKept(std::size_t from, std::size_t to) {
    if (from >= to) return;
    if (last1_ == u']' || notable_ < to) {
      CheckKeptClosely(from, to);
      return;
    }
    const std::u16string_view text = out_.Text();
    if (to - from >= 2)
      last2_ = text[to - 2];
    else
      last2_ = last1_;
    last1_ = text[to - 1];
  }
  void CheckKeptClosely(std::size_t from, std::size_t to);
  void Feed(char16_t c) {
    last2_ = last1_;
    last1_ = c;
  }

  PageXmlOutput& out_;
  std::size_t start_ = 0;
  // Characters the run's edits add minus those they take out.
  std::ptrdiff_t kept_change_ = 0;
  std::vector<Edit> edits_;
  std::u16string pool_;
  std::size_t end_ = 0;      // while closing: the run's end
  std::size_t notable_ = 0;  // the next "]" or forbidden character at or after where the sweep is
  char16_t last1_ = 0;       // the section's last character so far
  char16_t last2_ = 0;       // the one before it
};

}  // namespace kpx
