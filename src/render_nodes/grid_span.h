// Clipping runs of cells to the grid before drawing them.
//
// Mapped positions may lie far beyond the grid (hostile layouts saturate
// to 2^63 - 1), so a run is cut to the grid's extent first and drawing
// takes time proportional to the grid, never to the run.
#ifndef VANTRI_RENDER_NODES_GRID_SPAN_H_
#define VANTRI_RENDER_NODES_GRID_SPAN_H_

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "grid/char_grid.h"
#include "text/utf8.h"

namespace vantri {

/// `put`s `cell` in row `row` at every column c with first <= c < last
/// that lies in the grid.
inline void put_row_run(CharGrid& grid, std::uint64_t row,
                        std::uint64_t first, std::uint64_t last, Cell cell) {
  if (row >= grid.height()) return;
  const std::uint64_t end = std::min(last, grid.width());
  for (std::uint64_t col = first; col < end; ++col) grid.put(row, col, cell);
}

/// `put`s `cell` in column `col` at every row r with first <= r < last
/// that lies in the grid.
inline void put_column_run(CharGrid& grid, std::uint64_t col,
                           std::uint64_t first, std::uint64_t last,
                           Cell cell) {
  if (col >= grid.width()) return;
  const std::uint64_t end = std::min(last, grid.height());
  for (std::uint64_t row = first; row < end; ++row) grid.put(row, col, cell);
}

/// `put`s the characters of `text` as cells made by `make` (such as
/// `Cell::node`), one column each from `col` rightwards, stopping at the
/// grid's right edge.
inline void put_text(CharGrid& grid, std::uint64_t row, std::uint64_t col,
                     std::string_view text, Cell (*make)(char32_t)) {
  if (row >= grid.height()) return;
  std::size_t i = 0;
  while (i < text.size() && col < grid.width()) {
    grid.put(row, col, make(next_code_point(text, i)));
    ++col;
  }
}

}  // namespace vantri

#endif  // VANTRI_RENDER_NODES_GRID_SPAN_H_
