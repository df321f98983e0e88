// x2x table-grid: the grid model of a table drawn in text.
#include "x2x/table_grid_tool.h"

#include <algorithm>
#include <ostream>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "base/utf.h"
#include "com/bstr.h"
#include "x2x/input_decoding.h"
#include "x2x/table_arguments.h"

namespace x2x {

namespace {

using kpx::tables::GridSlot;
using kpx::tables::TableGrid;

constexpr int kLines = 3;        // text lines per grid row
constexpr size_t kMaxText = 12;  // characters of a cell's text shown

// Code points, so that text of any script takes one column per character.
std::u32string Wide(std::u16string_view text) {
  std::u32string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    out += c;
  }
  return out;
}

std::u32string Wide(std::string_view ascii) {
  return std::u32string(ascii.begin(), ascii.end());
}

std::string Narrow(const std::u32string& text) {
  std::u16string utf16;
  for (char32_t c : text) {
    if (c >= 0x10000) {
      c -= 0x10000;
      utf16 += static_cast<char16_t>(0xD800 + (c >> 10));
      utf16 += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      utf16 += static_cast<char16_t>(c);
    }
  }
  return kpx::ToUtf8(utf16);
}

// The cell's text with runs of white space as one space, shortened to kMaxText characters.
std::u32string Snippet(const GridSlot& slot) {
  ComPtr<IHTMLElement> element;
  if (slot.cell.element) slot.cell.element->QueryInterface(IHTMLElement::kIID, element.PutVoid());
  if (!element) return {};
  kpx::Bstr text;
  if (FAILED(element->get_innerText(text.Put()))) return {};
  std::u32string out;
  for (char32_t c : Wide(text.View())) {
    const bool space = c == U' ' || c == U'\t' || c == U'\n' || c == U'\r' || c == 0xA0;
    if (space && (out.empty() || out.back() == U' ')) continue;
    out += space ? U' ' : c;
  }
  while (!out.empty() && out.back() == U' ') out.pop_back();
  if (out.size() > kMaxText) out = out.substr(0, kMaxText - 1) + U'~';
  return out;
}

struct CellLabel {
  std::u32string position;  // "R.C c2 r3", or "new" for a cell the grid made
  std::u32string flags;     // "TH locked"
  std::u32string text;
};

CellLabel LabelOf(const GridSlot& slot) {
  CellLabel label;
  std::string position = slot.cell.source_row < 0 ? "new"
                                                  : std::to_string(slot.cell.source_row) + "." +
                                                        std::to_string(slot.cell.source_cell);
  if (slot.colspan > 1) position += " c" + std::to_string(slot.colspan);
  if (slot.rowspan > 1) position += " r" + std::to_string(slot.rowspan);
  label.position = Wide(position);
  std::string flags = slot.cell.header ? "TH" : "";
  if (slot.cell.locked) flags += flags.empty() ? "locked" : " locked";
  label.flags = Wide(flags);
  label.text = Snippet(slot);
  return label;
}

class Canvas {
 public:
  Canvas(size_t height, size_t width) : lines_(height, std::u32string(width, U' ')) {}
  void Put(size_t line, size_t column, const std::u32string& text, size_t room) {
    std::u32string& target = lines_[line];
    for (size_t i = 0; i < text.size() && i < room && column + i < target.size(); ++i) {
      target[column + i] = text[i];
    }
  }
  void Set(size_t line, size_t column, char32_t c) { lines_[line][column] = c; }
  char32_t At(size_t line, size_t column) const { return lines_[line][column]; }
  const std::vector<std::u32string>& Lines() const { return lines_; }

 private:
  std::vector<std::u32string> lines_;
};

}  // namespace

std::string DrawTableGrid(const TableGrid& grid) {
  const int rows = grid.RowCount();
  const int columns = grid.ColumnCount();
  if (rows == 0 || columns == 0) return {};

  // Which cell a slot belongs to: its starting slot; a serviceable row is one box of its own.
  auto owner = [&](int r, int c) -> std::pair<int, int> {
    if (grid.Rows()[static_cast<size_t>(r)].serviceable) return {r, -1};
    if (!grid.HasSlot(r, c)) return {r, -2 - c};
    const auto o = grid.OriginOf(r, c);
    return {o.row, o.column};
  };

  std::vector<std::vector<CellLabel>> labels(static_cast<size_t>(rows));
  size_t width = 3;
  for (int r = 0; r < rows; ++r) {
    labels[static_cast<size_t>(r)].resize(static_cast<size_t>(columns));
    if (grid.Rows()[static_cast<size_t>(r)].serviceable) continue;
    for (int c = 0; c < columns; ++c) {
      if (!grid.HasSlot(r, c) || grid.Slot(r, c).covered) continue;
      CellLabel& label = labels[static_cast<size_t>(r)][static_cast<size_t>(c)];
      label = LabelOf(grid.Slot(r, c));
      width = std::max({width, label.position.size(), label.flags.size(), label.text.size()});
    }
  }

  const size_t slot_width = width + 2;  // a space on each side
  const size_t height = static_cast<size_t>(rows) * (kLines + 1) + 1;
  Canvas canvas(height, static_cast<size_t>(columns) * (slot_width + 1) + 1);
  auto border_line = [&](int r) { return static_cast<size_t>(r) * (kLines + 1); };
  auto boundary_x = [&](int b) { return static_cast<size_t>(b) * (slot_width + 1); };

  // Vertical separators, horizontal segments, then corners where any of them meet.
  auto vertical = [&](int r, int b) {
    return b == 0 || b == columns || owner(r, b - 1) != owner(r, b);
  };
  auto horizontal = [&](int r, int c) {
    return r == 0 || r == rows || owner(r - 1, c) != owner(r, c);
  };
  for (int r = 0; r < rows; ++r) {
    for (int b = 0; b <= columns; ++b) {
      if (!vertical(r, b)) continue;
      for (int line = 1; line <= kLines; ++line) {
        canvas.Set(border_line(r) + static_cast<size_t>(line), boundary_x(b), U'|');
      }
    }
  }
  for (int r = 0; r <= rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      if (!horizontal(r, c)) continue;
      for (size_t x = 1; x <= slot_width; ++x) canvas.Set(border_line(r), boundary_x(c) + x, U'-');
    }
    for (int b = 0; b <= columns; ++b) {
      const bool meets = (b > 0 && horizontal(r, b - 1)) || (b < columns && horizontal(r, b)) ||
                         (r > 0 && vertical(r - 1, b)) || (r < rows && vertical(r, b));
      if (meets) canvas.Set(border_line(r), boundary_x(b), U'+');
    }
  }

  for (int r = 0; r < rows; ++r) {
    const size_t top = border_line(r) + 1;
    if (grid.Rows()[static_cast<size_t>(r)].serviceable) {
      canvas.Put(top, 2, Wide(std::string_view("serviceable row")), boundary_x(columns) - 3);
      continue;
    }
    for (int c = 0; c < columns; ++c) {
      const size_t x = boundary_x(c) + 2;
      if (!grid.HasSlot(r, c)) continue;
      const GridSlot& slot = grid.Slot(r, c);
      if (slot.covered) {
        const char* mark = slot.origin_row == r ? "<" : (slot.origin_column == c ? "^" : "^<");
        canvas.Put(top, x, Wide(std::string_view(mark)), width);
        continue;
      }
      const CellLabel& label = labels[static_cast<size_t>(r)][static_cast<size_t>(c)];
      canvas.Put(top, x, label.position, width);
      canvas.Put(top + 1, x, label.flags, width);
      canvas.Put(top + 2, x, label.text, width);
    }
  }

  // Row numbers (S for a serviceable row) in a margin, column numbers above.
  std::string out = "     ";
  for (int c = 0; c < columns; ++c) {
    std::string number = std::to_string(c);
    out += number + std::string(slot_width + 1 - std::min(number.size(), slot_width), ' ');
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  out += "\n";
  for (size_t y = 0; y < height; ++y) {
    std::string margin = "    ";
    if (y % (kLines + 1) == 1) {
      const int r = static_cast<int>(y / (kLines + 1));
      margin = grid.Rows()[static_cast<size_t>(r)].serviceable ? "S" : std::to_string(r);
      margin.resize(4, ' ');
    }
    std::u32string line = canvas.Lines()[y];
    while (!line.empty() && line.back() == U' ') line.pop_back();
    out += margin + Narrow(line) + "\n";
  }
  return out;
}

int RunTableGrid(const CommandOptions& options, Console& console) {
  kpx::Bstr text;
  try {
    text = ReadInputText(options.input, console.in);
  } catch (const UsageError& e) {
    console.err << "x2x: " << e.message << "\n";
    return kExitUsage;
  }
  std::string error;
  ComPtr<IHTMLDocument2> document = LoadEditorDocument(text.View(), &error);
  if (!document) {
    console.err << "x2x: table-grid: " << error << "\n";
    return kExitFailure;
  }
  ComPtr<IHTMLElement> table = FindTable(document.Get(), options.table);
  ComPtr<IHTMLTable> table_interface;
  if (table) table->QueryInterface(IHTMLTable::kIID, table_interface.PutVoid());
  if (!table_interface) {
    console.err << "x2x: the document has no table " << options.table << " (it has "
                << CountTables(document.Get()) << ")\n";
    return kExitUsage;
  }
  TableGrid grid(table_interface);
  try {
    grid.FillFromDocument();
    grid.SquareRows();
  } catch (const kpx::ConverterError& e) {
    console.err << "x2x: table-grid: " << e.what() << "\n";
    return kExitFailure;
  }
  const bool valid = grid.IsValid();
  console.out << "table " << options.table << ": " << grid.RowCount() << " rows, "
              << grid.ColumnCount() << " columns" << (valid ? "" : ", invalid table") << "\n";
  console.out << DrawTableGrid(grid);
  console.out << "R.C: row and cell index in the document (--select, --source); c2 r3: colspan "
                 "and rowspan;\n"
                 "< ^ ^<: slot covered by the cell to the left, above, above and to the left;\n"
                 "S: serviceable row (kpsServiceable), not in the grid; locked: block marker "
                 "(isBegin);\n"
                 "new: a cell the grid made when it squared the rows\n";
  if (!valid) {
    console.err << "x2x: table-grid: invalid table: cells overlap or do not cover their slots\n";
    return kExitFailure;
  }
  return kExitSuccess;
}

}  // namespace x2x
