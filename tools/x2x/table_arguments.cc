// Parsing of the table-operation arguments.
#include "x2x/table_arguments.h"

#include <charconv>

#include "kpx/converter.h"

namespace x2x {

namespace {

struct NamedCode {
  std::string_view name;
  LONG code;
};

constexpr NamedCode kTableOperations[] = {
    {"opDebug", opDebug},
    {"opInsertColumn", opInsertColumn},
    {"opInsertColumnToTheLeft", opInsertColumnToTheLeft},
    {"opInsertColumnToTheRight", opInsertColumnToTheRight},
    {"opInsertRow", opInsertRow},
    {"opInsertRowToTheTop", opInsertRowToTheTop},
    {"opInsertRowToTheBottom", opInsertRowToTheBottom},
    {"opDeleteColumn", opDeleteColumn},
    {"opDeleteRow", opDeleteRow},
    {"opMergeCells", opMergeCells},
    {"opSplitCellHorizontally", opSplitCellHorizontally},
    {"opSplitCellVertically", opSplitCellVertically},
    {"opMoveColumnLeft", opMoveColumnLeft},
    {"opMoveColumnRight", opMoveColumnRight},
    {"opMoveRowUp", opMoveRowUp},
    {"opMoveRowDown", opMoveRowDown},
    {"opDeleteCell", opDeleteCell},
    {"opInsertCell", opInsertCell},
    {"opSplitCell", opSplitCell},
};

constexpr NamedCode kTableOperationsEx[] = {
    {"opexDebug", opexDebug},
    {"opexSmartSpan", opexSmartSpan},
};

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
    char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

std::optional<LONG> ParseLong(std::string_view text) {
  LONG value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

template <size_t N>
std::optional<LONG> ParseCode(std::string_view text, const NamedCode (&table)[N],
                              std::string_view prefix) {
  if (auto number = ParseLong(text)) return number;
  for (const NamedCode& entry : table) {
    if (EqualsIgnoringAsciiCase(text, entry.name) ||
        EqualsIgnoringAsciiCase(text, entry.name.substr(prefix.size()))) {
      return entry.code;
    }
  }
  return std::nullopt;
}

template <size_t N>
std::string Names(const NamedCode (&table)[N]) {
  std::string out;
  for (const NamedCode& entry : table) {
    if (!out.empty()) out += ", ";
    out += std::string(entry.name) + " (" + std::to_string(entry.code) + ")";
  }
  return out;
}

// A non-negative index.
std::optional<LONG> ParseIndex(std::string_view text) {
  auto value = ParseLong(text);
  if (!value || *value < 0 || text[0] == '+' || text[0] == '-') return std::nullopt;
  return value;
}

}  // namespace

std::optional<LONG> ParseTableOperation(std::string_view text) {
  return ParseCode(text, kTableOperations, "op");
}

std::optional<LONG> ParseTableOperationEx(std::string_view text) {
  return ParseCode(text, kTableOperationsEx, "opex");
}

std::string TableOperationNames() {
  return Names(kTableOperations);
}
std::string TableOperationExNames() {
  return Names(kTableOperationsEx);
}

std::optional<CellRef> ParseCellRef(std::string_view text) {
  size_t dot = text.find('.');
  if (dot == std::string_view::npos) return std::nullopt;
  auto row = ParseIndex(text.substr(0, dot));
  auto cell = ParseIndex(text.substr(dot + 1));
  if (!row || !cell) return std::nullopt;
  return CellRef{*row, *cell};
}

std::optional<TableSelection> ParseSelection(std::string_view spec, std::string* error) {
  size_t colon = spec.find(':');
  std::string_view kind = spec.substr(0, colon);
  std::string_view rest =
      colon == std::string_view::npos ? std::string_view() : spec.substr(colon + 1);
  TableSelection selection;
  auto bad = [&](const std::string& why) -> std::optional<TableSelection> {
    *error = "bad selection '" + std::string(spec) + "': " + why;
    return std::nullopt;
  };
  if (kind == "cells") {
    selection.kind = TableSelection::Kind::kCells;
    while (true) {
      size_t comma = rest.find(',');
      auto cell = ParseCellRef(rest.substr(0, comma));
      if (!cell) return bad("cells:R.C[,R.C...] expected");
      selection.cells.push_back(*cell);
      if (comma == std::string_view::npos) break;
      rest = rest.substr(comma + 1);
    }
  } else if (kind == "text") {
    selection.kind = TableSelection::Kind::kText;
    size_t dash = rest.find('-');
    auto first = ParseCellRef(rest.substr(0, dash));
    auto last = dash == std::string_view::npos ? std::nullopt : ParseCellRef(rest.substr(dash + 1));
    if (!first || !last) return bad("text:R.C-R.C expected");
    selection.cells = {*first, *last};
  } else if (kind == "caret") {
    selection.kind = TableSelection::Kind::kCaret;
    auto cell = ParseCellRef(rest);
    if (!cell) return bad("caret:R.C expected");
    selection.cells = {*cell};
  } else {
    return bad("it starts with cells:, text: or caret:");
  }
  return selection;
}

}  // namespace x2x
