#include "textutil/doctype_operations.h"

#include "base/ascii_case.h"
#include "markup/document_scanner.h"
#include "textutil/edit_session.h"
#include "textutil/fixed_texts.h"
#include "textutil/prolog_walk.h"

namespace kpx {

namespace {

constexpr std::u16string_view kDoctype = u"DOCTYPE";
constexpr std::u16string_view kMaskedDoctype = u"KPSDOCTYPE";

// The scanner as the DOCTYPE operations set it up: placeholders in attribute position are read,
// and the repairs of the tags read go to the edit list.
struct PrologScanner {
  explicit PrologScanner(TextEditList& edits) : scanner(edits.Text()) {
    scanner.set_placeholder_attribute_name(page_texts::kPlaceholderAttribute);
    scanner.set_edit_sink(&edits);
  }
  DocumentScanner scanner;
};

void Replace(TextEditList& edits, std::size_t position, std::size_t count,
             std::u16string_view text) {
  edits.Delete(position, count);
  edits.Insert(position, text, true);
}

}  // namespace

std::u16string MaskDoctype(TextEditList& edits, std::u16string_view html) {
  EditSession session(edits, html);
  PrologScanner prolog(edits);
  WalkProlog(prolog.scanner, edits, [&](const PrologDeclaration& declaration) {
    if (!EqualsIgnoringAsciiCase(declaration.name, kDoctype)) return false;
    Replace(edits, declaration.keyword, kDoctype.size(), kMaskedDoctype);
    return true;
  });
  return session.Finish();
}

std::u16string UnmaskDoctype(TextEditList& edits, std::u16string_view html) {
  EditSession session(edits, html);
  const std::u16string_view text = session.text();
  bool masked = text.find(u"KPSDOCTYPE") != std::u16string_view::npos ||
                text.find(u"kpsdoctype") != std::u16string_view::npos;
  PrologScanner prolog(edits);
  WalkProlog(prolog.scanner, edits, [&](const PrologDeclaration& declaration) {
    if (EqualsIgnoringAsciiCase(declaration.name, kMaskedDoctype)) {
      Replace(edits, declaration.keyword, kMaskedDoctype.size(), kDoctype);
      masked = true;
      return true;
    }
    if (masked && EqualsIgnoringAsciiCase(declaration.name, kDoctype)) {
      edits.Delete(declaration.start, declaration.next_item - declaration.start);
      return true;
    }
    return false;
  });
  return session.Finish();
}

std::u16string PrepareDoctypeForSection508(TextEditList& edits, std::u16string_view html) {
  EditSession session(edits, html);
  PrologScanner prolog(edits);
  const PrologEnd end =
      WalkProlog(prolog.scanner, edits, [&](const PrologDeclaration& declaration) {
        if (!EqualsIgnoringAsciiCase(declaration.name, kDoctype)) return false;
        edits.Delete(declaration.start, declaration.next_item - declaration.start);
        return true;
      });
  if (end.kind == MarkupItem::kTag &&
      EqualsIgnoringAsciiCase(prolog.scanner.Tag().name.View(), u"html")) {
    edits.Insert(end.item_start, page_texts::kHtml401TransitionalDoctype, true);
  }
  return session.Finish();
}

}  // namespace kpx
