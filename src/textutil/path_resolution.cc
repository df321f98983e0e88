#include "textutil/path_resolution.h"

#include <algorithm>
#include <array>
#include <vector>

#include "base/ascii_case.h"
#include "base/large_buffers.h"
#include "markup/document_scanner.h"

namespace kpx {

namespace {

// Looked at in this order; compared as written.
constexpr std::array<std::u16string_view, 3> kPathAttributes = {u"src", u"href", u"lowsrc"};

}  // namespace

bool IsRelativeResourcePath(std::u16string_view value) {
  if (value.empty()) return false;
  if (value[0] == u'/' || value[0] == u'\\') return false;  // also "//" and "\\"
  if (value.size() > 2 && value[1] == u':') return false;   // a drive letter
  if (value.find(u"://") != std::u16string_view::npos) return false;
  return !StartsWithIgnoringAsciiCase(value, u"javascript:");
}

std::u16string ResolvePaths(std::u16string_view html, std::u16string_view path) {
  if (path.empty()) return std::u16string(html);
  std::u16string prefix(path);
  if (prefix.back() != u'/' && prefix.back() != u'\\') prefix.push_back(u'/');

  // Where the prefix goes, in text order.
  std::vector<std::size_t> points;
  DocumentScanner scanner{CopyOfLargeText(html)};
  for (;;) {
    const MarkupItem kind = scanner.NextItem();
    if (kind == MarkupItem::kEnd) break;
    if (kind != MarkupItem::kTag) continue;
    const std::size_t first = points.size();
    for (std::u16string_view name : kPathAttributes) {
      const AttributeRecord* attribute = scanner.Tag().attributes.Find(name);
      // The tag parser keeps one attribute per name whatever its case; only this spelling counts.
      if (attribute == nullptr || attribute->name.View() != name) continue;
      if (attribute->equals_position == 0 || !IsRelativeResourcePath(attribute->value.View())) {
        continue;
      }
      points.push_back(attribute->value_position +
                       (attribute->quote_kind == QuoteKind::kNone ? 0 : 1));
    }
    std::sort(points.begin() + static_cast<std::ptrdiff_t>(first), points.end());
  }

  std::u16string out;
  ReserveLargeText(out, html.size() + points.size() * prefix.size());
  std::size_t copied = 0;
  for (std::size_t point : points) {
    out.append(html.substr(copied, point - copied));
    out.append(prefix);
    copied = point;
  }
  out.append(html.substr(copied));
  return out;
}

}  // namespace kpx
