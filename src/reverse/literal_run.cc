// Closing a literal run as a CDATA section.
#include "reverse/literal_run.h"

#include <algorithm>

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

void LiteralRun::CheckKeptClosely(std::size_t from, std::size_t to) {
  const std::u16string_view text = out_.Text();
  const std::u16string_view kept = text.substr(from, to - from);
  // A "]]>" whose "]" come before the stretch in the section (last1 and last2).
  if (text[from] == u'>' && last1_ == u']' && last2_ == u']') {
    out_.Insert(from, kCDataSplit);
  } else if (to - from >= 2 && text[from + 1] == u'>' && text[from] == u']' && last1_ == u']') {
    out_.Insert(from + 1, kCDataSplit);
  }
  // The others lie in the stretch: found by their first "]", which is rarer than ">". One search
  // sweeps the whole run, resumed behind what the edits took out.
  if (notable_ < from) notable_ = FindCDataNotable(text.data(), from, end_);
  for (; notable_ < to; notable_ = FindCDataNotable(text.data(), notable_ + 1, end_)) {
    const std::size_t i = notable_;
    if (text[i] == u']') {
      if (i + 2 < to && text[i + 1] == u']' && text[i + 2] == u'>') {
        out_.Insert(i + 2, kCDataSplit);
      }
    } else if (!IsWholeXmlUnit(kept, i - from)) {
      out_.Delete(i, 1);
      out_.Insert(i, std::u16string_view(&kReplacementChar, 1));
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
      if (e.kind != Kind::kLowerCase) out_.Delete(e.position, e.count);
    }
    edits_.clear();
    pool_.clear();
    return false;
  }
  last1_ = last2_ = 0;
  end_ = end;
  notable_ = FindCDataNotable(out_.Text().data(), start_, end);
  out_.Insert(start_, u"<![CDATA[");
  std::size_t cursor = start_;
  for (const Edit& e : edits_) {
    CheckKept(cursor, e.position);
    switch (e.kind) {
      case Kind::kErase:
        out_.Delete(e.position, e.count);
        cursor = e.position + e.count;
        break;
      case Kind::kLowerCase: {
        // A name never holds what the section must fix; should one do so, it keeps its case.
        bool plain = true;
        for (std::size_t i = e.position; i < e.position + e.count; ++i) {
          const char16_t c = out_.Text()[i];
          if (c == u'>' || NeedsXmlCheck(c)) plain = false;
        }
        if (plain) out_.LowerCase(e.position, e.count);
        cursor = e.position;
        break;
      }
      case Kind::kReplace: {
        const std::u16string_view text(pool_.data() + e.text_begin, e.text_size);
        if (std::none_of(text.begin(), text.end(),
                         [](char16_t c) { return c == u']' || NeedsXmlCheck(c); })) {
          // Nothing to split or replace: the text goes as it is.
          out_.Replace(e.position, e.count, text);
          if (text.size() >= 2) {
            last2_ = text[text.size() - 2];
            last1_ = text.back();
          } else if (!text.empty()) {
            Feed(text[0]);
          }
        } else {
          std::u16string safe;
          AppendSplitCData(safe, text);
          out_.Replace(e.position, e.count, safe);
          for (char16_t c : safe) Feed(c);
        }
        cursor = e.position + e.count;
        break;
      }
    }
  }
  CheckKept(cursor, end);
  out_.Insert(end, u"]]>");
  edits_.clear();
  pool_.clear();
  return true;
}

}  // namespace kpx
