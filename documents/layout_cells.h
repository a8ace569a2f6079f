// The cells of the papers' tables: a text placed in a column of fixed
// width, over as many lines as it needs, and rows of such cells drawn
// between "|". Shared by the writers of documents/paper_layout.h.
#ifndef DOCUMENTS_LAYOUT_CELLS_H_
#define DOCUMENTS_LAYOUT_CELLS_H_

#include <string>
#include <string_view>
#include <vector>

namespace scenario {

// One cell: its lines, each exactly as wide as its column.
using cell_lines = std::vector<std::string>;

// `text` after `lead` blanks, the rest of each line blank.
cell_lines left_cell(std::string_view text, size_t width, size_t lead);
// `text` ending `trail` blanks before the column's end.
cell_lines right_cell(std::string_view text, size_t width, size_t trail);
// `text` in the middle, the odd blank after it.
cell_lines centred_cell(std::string_view text, size_t width);

// Where a cell shorter than its row stands: at its top or at its bottom.
enum class cell_place { top, bottom };

struct table_cell {
  cell_lines lines;
  cell_place place = cell_place::top;
};

// The row's lines: `indent`, then every cell followed by "|"; a cell
// shorter than the row is made up with blank lines of its width.
std::vector<std::string> table_row(std::string_view indent, const std::vector<table_cell>& cells,
                                   const std::vector<size_t>& widths);

// Appends each line followed by CR LF.
void append_lines(std::string& bytes, const std::vector<std::string>& lines);

}  // namespace scenario

#endif  // DOCUMENTS_LAYOUT_CELLS_H_
