// Closing a literal run as a CDATA section.
#include "reverse/literal_run.h"

#include "reverse/cdata_text.h"

namespace kpx {

void LiteralRun::Erase(std::size_t position, std::size_t count) {
  if (count == 0) return;
  edits_.push_back({Kind::kErase, position, count, 0, 0});
  kept_change_ -= static_cast<std::ptrdiff_t>(count);
}

void LiteralRun::LowerCase(std::size_t position, std::size_t count) {
  if (count != 0) edits_.push_back({Kind::kLowerCase, position, count, 0, 0});
}

void LiteralRun::Replace(std::size_t position, std::size_t count, std::u16string_view text) {
  edits_.push_back({Kind::kReplace, position, count, pool_.size(), text.size()});
  pool_ += text;
  kept_change_ += static_cast<std::ptrdiff_t>(text.size()) - static_cast<std::ptrdiff_t>(count);
}

void LiteralRun::CheckKept(std::size_t from, std::size_t to) {
  const std::u16string_view text = list_.Text();
  for (std::size_t i = from; i < to; ++i) {
    const char16_t c = text[i];
    if (c == u'>') {
      if (last1_ == u']' && last2_ == u']') list_.Insert(i, kCDataSplit, true);
    } else if (NeedsXmlCheck(c) && !IsWholeXmlUnit(text.substr(from, to - from), i - from)) {
      list_.Delete(i, 1);
      list_.Insert(i, std::u16string_view(&kReplacementChar, 1), true);
      Feed(kReplacementChar);
      continue;
    }
    Feed(c);
  }
}

bool LiteralRun::Close(std::size_t end) {
  const std::ptrdiff_t kept = static_cast<std::ptrdiff_t>(end - start_) + kept_change_;
  if (kept <= 0) {
    // Nothing of the run is left: only its erasures (it holds no other edit then) go out.
    for (const Edit& e : edits_) {
      if (e.kind != Kind::kLowerCase) list_.Delete(e.position, e.count);
    }
    edits_.clear();
    pool_.clear();
    return false;
  }
  last1_ = last2_ = 0;
  list_.Insert(start_, u"<![CDATA[", true);
  std::size_t cursor = start_;
  for (const Edit& e : edits_) {
    CheckKept(cursor, e.position);
    switch (e.kind) {
      case Kind::kErase:
        list_.Delete(e.position, e.count);
        cursor = e.position + e.count;
        break;
      case Kind::kLowerCase: {
        // A name never holds what the section must fix; should one do so, it keeps its case.
        bool plain = true;
        for (std::size_t i = e.position; i < e.position + e.count; ++i) {
          const char16_t c = list_.Text()[i];
          if (c == u'>' || NeedsXmlCheck(c)) plain = false;
        }
        if (plain) list_.LowerCase(e.position, e.count);
        cursor = e.position;
        break;
      }
      case Kind::kReplace: {
        list_.Delete(e.position, e.count);
        const std::u16string_view text(pool_.data() + e.text_begin, e.text_size);
        std::u16string safe;
        AppendSplitCData(safe, text);
        list_.Insert(e.position, safe, true);
        for (char16_t c : safe) Feed(c);
        cursor = e.position + e.count;
        break;
      }
    }
  }
  CheckKept(cursor, end);
  list_.Insert(end, u"]]>", true);
  edits_.clear();
  pool_.clear();
  return true;
}

}  // namespace kpx
