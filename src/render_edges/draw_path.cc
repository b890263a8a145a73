// Drawing the line cells of one route.
//
// Each leg is clipped to the grid before its cells are visited, so a route
// reaching 2^63 - 1 costs no more than the grid is wide or high; the inner
// cells of a leg go through a LineCover, so a stretch that many routes
// share is painted once.
#include <algorithm>

#include "render_edges/draw_path.h"

namespace vantri {
namespace {

void put_line(CharGrid& grid, const LineCover& cover, std::uint64_t row, std::uint64_t col,
              LineFlags flags) {
  grid.put(row, col, cover.line(flags));
}

// A vertical run from row a to row b (a ≤ b); one cell gets both ends.
void vertical_run(CharGrid& grid, LineCover& cover, std::uint64_t col, std::uint64_t a,
                  std::uint64_t b) {
  if (col >= grid.width() || a >= grid.height()) return;
  if (a == b) {
    put_line(grid, cover, a, col, {.up = true, .down = true});
    return;
  }
  put_line(grid, cover, a, col, {.down = true});
  cover.vertical(grid, col, a + 1, b - 1);
  put_line(grid, cover, b, col, {.up = true});
}

// A horizontal run from column l to column h (l ≤ h).
void horizontal_run(CharGrid& grid, LineCover& cover, std::uint64_t row, std::uint64_t l,
                    std::uint64_t h) {
  if (row >= grid.height() || l >= grid.width()) return;
  if (l == h) {
    put_line(grid, cover, row, l, {.left = true, .right = true});
    return;
  }
  // Line cells merge whatever order they come in, so the inner cells can go
  // in one sweep.
  put_line(grid, cover, row, l, {.right = true});
  cover.horizontal(grid, row, l + 1, h - 1);
  put_line(grid, cover, row, h, {.left = true});
}

}  // namespace

void draw_route(CharGrid& grid, const EdgeRoute& route, LineCover& cover) {
  if (route.points.empty()) return;
  for (std::size_t i = 0; i + 1 < route.points.size(); ++i) {
    const GridPoint p = route.points[i];
    const GridPoint q = route.points[i + 1];
    if (p.col == q.col && p.row != q.row) {
      vertical_run(grid, cover, p.col, std::min(p.row, q.row), std::max(p.row, q.row));
    } else if (p.row == q.row && p.col != q.col) {
      horizontal_run(grid, cover, p.row, std::min(p.col, q.col), std::max(p.col, q.col));
    }
  }
  const auto stub = [&](GridPoint at, Toward into) {
    grid.put(at.row, at.col,
             cover.line({.up = into == Toward::Up,
                         .down = into == Toward::Down,
                         .left = into == Toward::Left,
                         .right = into == Toward::Right}));
  };
  stub(route.points.front(), route.start_into);
  stub(route.points.back(), route.end_into);
}

}  // namespace vantri
