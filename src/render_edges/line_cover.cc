// Painting only the stretches of a line run that no earlier run covered.
#include "render_edges/line_cover.h"

#include <algorithm>

namespace vantri {

void LineCover::horizontal(CharGrid& grid, std::uint64_t row, std::uint64_t first,
                           std::uint64_t last) {
  if (row >= grid.height() || first >= grid.width() || first > last) return;
  last = std::min(last, grid.width() - 1);
  const Cell through = line({.left = true, .right = true});
  rows_[row].mark(first, last, [&](std::uint64_t a, std::uint64_t b) {
    grid.put_run(row, a, b + 1, through);
  });
}

void LineCover::vertical(CharGrid& grid, std::uint64_t col, std::uint64_t first,
                         std::uint64_t last) {
  if (col >= grid.width() || first >= grid.height() || first > last) return;
  last = std::min(last, grid.height() - 1);
  const Cell through = line({.up = true, .down = true});
  columns_[col].mark(first, last, [&](std::uint64_t a, std::uint64_t b) {
    for (std::uint64_t row = a; row <= b; ++row) grid.put(row, col, through);
  });
}

}  // namespace vantri
