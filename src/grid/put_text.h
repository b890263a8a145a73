// Writing a text's characters into one row of cells, clipped to the grid.
//
// Mapped positions may lie far beyond the grid (hostile layouts saturate
// to 2^63 - 1), so the run stops at the grid's right edge and drawing takes
// time proportional to the grid, never to the text.
#ifndef VANTRI_GRID_PUT_TEXT_H_
#define VANTRI_GRID_PUT_TEXT_H_

#include <cstdint>
#include <string_view>

#include "grid/char_grid.h"
#include "text/utf8.h"

namespace vantri {

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

#endif  // VANTRI_GRID_PUT_TEXT_H_
