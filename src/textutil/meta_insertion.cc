#include "textutil/meta_insertion.h"

#include "base/ascii_case.h"
#include "markup/document_scanner.h"
#include "textutil/edit_session.h"
#include "textutil/tag_extent.h"

namespace kpx {

namespace {

// Where the meta goes: read up to the first tag that decides it.
std::size_t FindMetaPlace(DocumentScanner& scanner) {
  std::size_t after_html = 0;
  for (;;) {
    const MarkupItem kind = scanner.NextItem();
    if (kind == MarkupItem::kEnd) return after_html;
    if (kind != MarkupItem::kTag) continue;
    const TagRecord& tag = scanner.Tag();
    const std::u16string_view name = tag.name.View();
    if (EqualsIgnoringAsciiCase(name, u"head")) {
      return tag.end_tag ? tag.tag_start : MeasureTag(scanner).next_item;
    }
    if (tag.end_tag) continue;
    if (EqualsIgnoringAsciiCase(name, u"body")) return tag.tag_start;
    if (EqualsIgnoringAsciiCase(name, u"html")) after_html = MeasureTag(scanner).next_item;
  }
}

}  // namespace

std::u16string InsertMeta(TextEditList& edits, std::u16string_view html, std::u16string_view meta) {
  EditSession session(edits, html);
  DocumentScanner scanner(session.text());
  scanner.set_edit_sink(&edits);
  // Only the meta is inserted: the tags read are not repaired.
  scanner.set_record_repairs(false);
  edits.Insert(FindMetaPlace(scanner), meta, true);
  return session.Finish();
}

}  // namespace kpx
