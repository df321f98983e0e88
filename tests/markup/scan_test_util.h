// Dumps of tokens, tags, items, edits and warnings for the tokenizer and scanner tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/utf.h"
#include "markup/document_scanner.h"
#include "markup/markup_lexer.h"
#include "markup/text_edit_list.h"
#include "markup/warning_sink.h"

namespace kpx::testing {

inline std::string U8(std::u16string_view text) {
  return ToUtf8(text);
}

// "Kind@begin'text'" per token, separated by spaces, up to End (at most limit tokens).
inline std::string DumpTokens(MarkupLexer& lexer, int limit = 200) {
  std::string out;
  for (int i = 0; i < limit; ++i) {
    const LexToken kind = lexer.NextToken();
    if (kind == LexToken::kEnd) break;
    if (!out.empty()) out += ' ';
    out += LexTokenName(kind);
    out += '@' + std::to_string(lexer.LastToken().begin) + '\'' + U8(lexer.LastTokenText()) + '\'';
  }
  return out;
}

// "+pos'text'" (with "^" when after is set), "-pos,count", "~pos,count", "mpos,count>dest".
inline std::string DumpEdits(const TextEditList& list) {
  std::string out;
  for (const TextEdit& edit : list.Edits()) {
    if (!out.empty()) out += ' ';
    switch (edit.kind) {
      case EditKind::kInsert:
        out += '+' + std::to_string(edit.position) + (edit.after ? "^" : "") + '\'' +
               U8(edit.text.View()) + '\'';
        break;
      case EditKind::kDelete:
        out += '-' + std::to_string(edit.position) + ',' + std::to_string(edit.count);
        break;
      case EditKind::kLowerCase:
        out += '~' + std::to_string(edit.position) + ',' + std::to_string(edit.count);
        break;
      case EditKind::kMove:
        out += 'm' + std::to_string(edit.position) + ',' + std::to_string(edit.count) + '>' +
               std::to_string(edit.destination);
        break;
    }
  }
  return out;
}

// "name[ end][ self][ rewrite]" then " attr=value:quote@name,value,equals" per attribute, then
// " junk=start+length" per junk range.
inline std::string DumpTag(const TagRecord& tag) {
  std::string out = U8(tag.name.View());
  if (tag.end_tag) out += " end";
  if (tag.self_closing) out += " self";
  if (tag.needs_rewrite) out += " rewrite";
  for (const AttributeRecord& a : tag.attributes) {
    out += ' ' + U8(a.name.View()) + '=' + U8(a.value.View()) + ':' +
           std::to_string(static_cast<int>(a.quote_kind)) + '@' + std::to_string(a.name_position) +
           ',' + std::to_string(a.value_position) + ',' + std::to_string(a.equals_position);
  }
  for (const JunkRange& junk : tag.junk_ranges) {
    out += " junk=" + std::to_string(junk.start) + '+' + std::to_string(junk.length);
  }
  return out;
}

class RecordingWarnings final : public WarningSink {
 public:
  void Report(std::u16string_view key, size_t offset, int argument) override {
    if (!text_.empty()) text_ += ' ';
    text_ += U8(key) + '@' + std::to_string(offset);
    if (argument != 0) text_ += "!arg";
  }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

// "Kind'text'" per item; tags as "Tag<dump>".
inline std::string DumpItems(DocumentScanner& scanner, int limit = 500) {
  std::string out;
  for (int i = 0; i < limit; ++i) {
    const MarkupItem kind = scanner.NextItem();
    if (kind == MarkupItem::kEnd) break;
    if (!out.empty()) out += ' ';
    if (kind == MarkupItem::kTag) {
      out += "Tag<" + DumpTag(scanner.Tag()) + '>';
    } else {
      out += std::string(MarkupItemName(kind)) + '@' + std::to_string(scanner.ItemStart()) + '\'' +
             U8(scanner.ItemTextView()) + '\'';
    }
  }
  return out;
}

}  // namespace kpx::testing
