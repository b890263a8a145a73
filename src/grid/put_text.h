// Writing a text's characters into one row of cells, clipped to the grid.
//
// Each character takes as many cells as it takes terminal columns: a wide
// one its cell and a continuation cell, a zero-width one (a combining mark)
// none, kept with the character before it. So a row's cells line up with
// the columns a terminal shows.
//
// Mapped positions may lie far beyond the grid (hostile layouts saturate
// to 2^63 - 1), so the run stops at the grid's right edge and drawing takes
// time proportional to the grid, never to the text.
#ifndef VANTRI_GRID_PUT_TEXT_H_
#define VANTRI_GRID_PUT_TEXT_H_

#include <cstdint>
#include <string_view>

#include "grid/char_grid.h"
#include "text/char_width.h"
#include "text/utf8.h"

namespace vantri {

/// `put`s the characters of `text` as cells made by `make` (such as
/// `Cell::node`) from column `col` rightwards, stopping at the grid's right
/// edge; a wide character that would not fit whole is left out. The cells
/// carry paint `paint` (`CharGrid::paint_id`).
inline void put_text(CharGrid& grid, std::uint64_t row, std::uint64_t col,
                     std::string_view text, Cell (*make)(char32_t), std::uint32_t paint = 0) {
  if (row >= grid.height()) return;
  // Whether the last character was written and still holds its cell, so
  // that zero-width characters after it can join it.
  bool joinable = false;
  std::uint64_t last = 0;
  std::size_t i = 0;
  while (i < text.size() && col < grid.width()) {
    const char32_t c = next_code_point(text, i);
    const int width = char_width(c);
    if (width == 0) {
      if (joinable) grid.add_mark(row, last, c);
      continue;
    }
    if (width == 2) {
      if (col + 1 >= grid.width()) return;
      const Cell lead = make(c).wide().painted(paint);
      grid.put(row, col, lead);
      grid.put(row, col + 1, Cell::continuation_of(lead));
      joinable = grid.at(row, col) == lead;
    } else {
      const Cell cell = make(c).painted(paint);
      grid.put(row, col, cell);
      joinable = grid.at(row, col) == cell;
    }
    last = col;
    col += static_cast<std::uint64_t>(width);
  }
}

}  // namespace vantri

#endif  // VANTRI_GRID_PUT_TEXT_H_
