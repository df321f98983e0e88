// Drives the document scanner over arbitrary text with every combination of its settings and
// applies the repairs it recorded: no crash, no endless loop, every edit inside the text, items
// in order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/status.h"
#include "base/utf.h"
#include "markup/attribute_escaping.h"
#include "markup/document_scanner.h"
#include "markup/text_edit_list.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

class CountingWarnings final : public kpx::WarningSink {
 public:
  explicit CountingWarnings(size_t length) : length_(length) {}
  void Report(std::u16string_view, size_t offset, int) override { Check(offset <= length_); }

 private:
  size_t length_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte chooses the settings; the rest is the text, as UTF-8 or as raw UTF-16.
  const uint8_t settings = size > 0 ? data[0] : 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0),
                               size > 0 ? size - 1 : 0);
  std::u16string text;
  if (settings & 0x80) {
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
      text.push_back(static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                           (static_cast<uint8_t>(bytes[i + 1]) << 8)));
    }
  } else {
    text = kpx::ToUtf16(bytes);
  }

  kpx::ScopedAttributeEscapingOff escaping(settings & 0x40);
  kpx::ScopedDoubleEscapeQuotes double_escape(settings & 0x20);
  kpx::DocumentScanner scanner{text};
  kpx::TextEditList edits(text);
  CountingWarnings warnings(text.size());
  scanner.set_edit_sink(&edits);
  scanner.set_warning_sink(&warnings);
  scanner.set_record_repairs(!(settings & 0x01));
  scanner.set_nested_comments(settings & 0x02);
  scanner.set_script_mode(settings & 0x04);
  if (settings & 0x08) scanner.set_placeholder_attribute_name(u"kpscheckedattr");
  if (settings & 0x10) scanner.set_junk_attribute_name(u"kpstagcontent");

  size_t items = 0;
  size_t previous_end = 0;
  for (;;) {
    const kpx::MarkupItem kind = scanner.NextItem();
    if (kind == kpx::MarkupItem::kEnd) break;
    Check(++items <= text.size());  // every item takes at least one character
    Check(scanner.ItemStart() >= previous_end && scanner.ItemEnd() > scanner.ItemStart());
    Check(scanner.ItemEnd() <= text.size());
    const std::u16string_view item_text = scanner.ItemTextView();
    const std::u16string_view scanned = scanner.Text();
    Check(item_text.data() >= scanned.data() &&
          item_text.data() + item_text.size() <= scanned.data() + scanned.size());
    previous_end = scanner.ItemEnd();
  }
  Check(!(settings & 0x01) || edits.EditCount() == 0);
  for (const kpx::TextEdit& edit : edits.Edits()) {
    Check(edit.position <= text.size() && edit.count <= text.size() - edit.position);
  }
  // Every edit lies within the text (checked above): the list is never refused.
  edits.Apply();

  // The bare token stream in the same modes: positions only move forward and it ends.
  kpx::MarkupLexer lexer{text};
  lexer.set_script_mode(settings & 0x04);
  lexer.set_attribute_value_mode(settings & 0x08);
  lexer.set_nested_comments(settings & 0x02);
  size_t tokens = 0;
  while (lexer.NextToken() != kpx::LexToken::kEnd) {
    const kpx::TokenSpan& token = lexer.LastToken();
    Check(token.end > token.begin && token.end <= text.size());
    Check(token.text_begin >= token.begin && token.text_end <= token.end &&
          token.text_begin <= token.text_end);
    Check(++tokens <= text.size());
  }
  return 0;
}
