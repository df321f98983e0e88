// Attribute rules of the template pre-processing.
#include "reverse/attribute_repairs.h"

#include <algorithm>

#include "base/ascii_case.h"
#include "reverse/component_binding.h"

namespace kpx {

namespace {

using namespace std::string_view_literals;

bool Is(std::u16string_view name, std::u16string_view lower) {
  return EqualsIgnoringAsciiCase(name, lower);
}

std::u16string_view Trim(std::u16string_view text) {
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t' || text.front() == u'\r' ||
                           text.front() == u'\n')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\t' || text.back() == u'\r' ||
                           text.back() == u'\n')) {
    text.remove_suffix(1);
  }
  return text;
}

bool Contains(std::u16string_view text, std::u16string_view part) {
  return text.find(part) != std::u16string_view::npos;
}

// "%7b"/"%7B" become "{", "%7d"/"%7D" "}".
std::u16string DecodeBraces(std::u16string_view value) {
  std::u16string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == u'%' && i + 2 < value.size() && value[i + 1] == u'7') {
      const char16_t d = AsciiToLower(value[i + 2]);
      if (d == u'b' || d == u'd') {
        out += d == u'b' ? u'{' : u'}';
        i += 2;
        continue;
      }
    }
    out += value[i];
  }
  return out;
}

// A "~" run followed by the page's own file name: the link points into the page itself; what
// stays is the part from the first "#" or "?" on.
bool PointsIntoPage(std::u16string_view value, std::u16string_view page_file) {
  if (page_file.empty()) return false;
  for (std::size_t at = value.find(u'~'); at != std::u16string_view::npos;
       at = value.find(u'~', at + 1)) {
    std::size_t end = at;
    while (end < value.size() && value[end] == u'~') ++end;
    if (value.substr(end, page_file.size()) == page_file) return true;
    at = end - 1;
  }
  return false;
}

bool NeedsQuotes(std::u16string_view value) {
  for (char16_t c : value) {
    if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'>' || c == u'"' ||
        c == u'\'' || c == u'=' || c == u'<' || c == u'`') {
      return true;
    }
  }
  return value.empty();
}

}  // namespace

void RepairAttributes(std::u16string_view text, const TagRecord& tag, TagKind element,
                      const PathContext& paths, const std::vector<std::u16string>& colours,
                      std::vector<BackEdit>& edits, AttributeFindings& findings) {
  findings = AttributeFindings();
  const bool link_or_a = element == TagKind::kLink || element == TagKind::kA;
  const bool img_or_input = element == TagKind::kImg || element == TagKind::kInput;
  for (const AttributeRecord& attribute : tag.attributes) {
    const std::u16string_view name = attribute.name.View();
    // Only names that start like one of the rules' are looked at further.
    const char16_t first = name.empty() ? u'\0' : AsciiToLower(name[0]);
    if (first == u'k' && Is(name, u"kpsServiceable"sv)) findings.serviceable = true;
    if (first == u'i' && Is(name, u"isBegin"sv)) findings.marker = true;
    if (!attribute.from_source) continue;
    if (first != u'k' && first != u'c' && first != u'h' && first != u's' && first != u'l') {
      continue;
    }
    const std::u16string_view value = attribute.value.View();
    if (Is(name, u"kpsXStyle"sv)) {
      edits.emplace_back(BackEdit::kReplace, attribute.name_position, name.size(), u"style");
    }
    if (attribute.equals_position == 0) continue;
    if (Is(name, u"kpsId"sv)) {
      findings.component_id = NumericComponentId(value);
      continue;
    }
    if (element == TagKind::kFont && Is(name, u"color"sv)) {
      const std::u16string_view colour = Trim(value);
      for (const std::u16string& listed : colours) {
        if (EqualsIgnoringAsciiCase(colour, listed)) findings.listed_font = true;
      }
      continue;
    }
    const bool href = Is(name, u"href"sv);
    const bool src = Is(name, u"src"sv) || Is(name, u"lowsrc"sv);
    if (!href && !src) continue;
    const bool double_quoted = attribute.quote_kind == QuoteKind::kDouble;
    // A value without "~", "%" and a file URL comes out of the rules below as it went in: it
    // needs a look only when it may change quotes.
    if (std::none_of(value.begin(), value.end(),
                     [](char16_t c) { return c == u'~' || c == u'%'; }) &&
        !value.starts_with(u"file://"sv) &&
        !(double_quoted && Contains(value, u".aspx"sv) && Contains(value, u"{res:"sv))) {
      continue;
    }
    std::u16string rewritten(value);
    if (link_or_a && href && PointsIntoPage(rewritten, paths.page_file)) {
      const std::size_t mark = rewritten.find_first_of(u"#?"sv);
      rewritten = mark == std::u16string::npos ? std::u16string() : rewritten.substr(mark);
    }
    if ((img_or_input && src) || (element == TagKind::kA && href)) {
      if (auto relative = RelativeFileUrl(rewritten, paths)) rewritten = std::move(*relative);
    }
    rewritten = DecodeBraces(rewritten);
    const bool single = Contains(rewritten, u".aspx"sv) && Contains(rewritten, u"{res:"sv);
    const bool changed = rewritten != value;
    if (!changed && !(single && double_quoted)) continue;
    ValueSpan span;
    if (!FindValueSpan(text, attribute, &span)) continue;
    if (attribute.quote_kind == QuoteKind::kNone) {
      if (NeedsQuotes(rewritten)) rewritten = u"\"" + rewritten + u"\"";
      edits.emplace_back(BackEdit::kReplace, span.begin, span.size, std::move(rewritten));
      continue;
    }
    const std::size_t close = span.begin + span.size;
    const bool to_single = single && double_quoted && !Contains(rewritten, u"'"sv) &&
                           close < text.size() && text[close] == u'"';
    if (to_single) edits.emplace_back(BackEdit::kReplace, span.begin - 1, 1, u"'");
    if (changed)
      edits.emplace_back(BackEdit::kReplace, span.begin, span.size, std::move(rewritten));
    if (to_single) edits.emplace_back(BackEdit::kReplace, close, 1, u"'");
  }
}

}  // namespace kpx
