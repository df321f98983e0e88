// Closing a literal run as a CDATA section.
#include "reverse/literal_run.h"

#include "reverse/cdata_text.h"
#include "reverse/char_search.h"

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
  if (from >= to) return;
  const std::u16string_view text = list_.Text();
  const std::u16string_view kept = text.substr(from, to - from);
  // A "]]>" whose "]" come before the stretch in the section (last1 and last2).
  if (text[from] == u'>' && last1_ == u']' && last2_ == u']') {
    list_.Insert(from, kCDataSplit);
  } else if (to - from >= 2 && text[from + 1] == u'>' && text[from] == u']' && last1_ == u']') {
    list_.Insert(from + 1, kCDataSplit);
  }
  // The others lie in the stretch: found by their first "]", which is rarer than ">".
  for (std::size_t i = FindCDataNotable(text.data(), from, to); i < to;
       i = FindCDataNotable(text.data(), i + 1, to)) {
    if (text[i] == u']') {
      if (i + 2 < to && text[i + 1] == u']' && text[i + 2] == u'>') {
        list_.Insert(i + 2, kCDataSplit);
      }
    } else if (!IsWholeXmlUnit(kept, i - from)) {
      list_.Delete(i, 1);
      list_.Insert(i, std::u16string_view(&kReplacementChar, 1));
    }
  }
  // What a character XML forbids became is no "]", so the text's own characters serve.
  if (to - from >= 2) {
    last2_ = text[to - 2];
    last1_ = text[to - 1];
  } else {
    Feed(text[from]);
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
  list_.Insert(start_, u"<![CDATA[");
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
        list_.Insert(e.position, safe);
        for (char16_t c : safe) Feed(c);
        cursor = e.position + e.count;
        break;
      }
    }
  }
  CheckKept(cursor, end);
  list_.Insert(end, u"]]>");
  edits_.clear();
  pool_.clear();
  return true;
}

}  // namespace kpx
