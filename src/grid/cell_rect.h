// A cell of the grid and a rectangle of cells.
//
// Every rectangle the drawing code works with (a record field, a label's
// block, a cluster frame, the part of a box an edge end attaches to, the
// window of a route search) is a `CellRect`; `bounding_box` gives the
// smallest one round a set of cells.
#ifndef VANTRI_GRID_CELL_RECT_H_
#define VANTRI_GRID_CELL_RECT_H_

#include <algorithm>
#include <cstdint>
#include <span>

namespace vantri {

/// A cell: row 0 at the top, column 0 at the left.
struct GridPoint {
  std::uint64_t row = 0;
  std::uint64_t col = 0;
  friend bool operator==(const GridPoint&, const GridPoint&) = default;
};

/// A rectangle of cells, every side inclusive.
struct CellRect {
  std::uint64_t left = 0;
  std::uint64_t top = 0;
  std::uint64_t right = 0;
  std::uint64_t bottom = 0;
  friend bool operator==(const CellRect&, const CellRect&) = default;

  bool contains(GridPoint p) const {
    return p.row >= top && p.row <= bottom && p.col >= left && p.col <= right;
  }
  /// Whether the two share a cell.
  bool overlaps(const CellRect& o) const {
    return o.left <= right && left <= o.right && o.top <= bottom && top <= o.bottom;
  }
};

/// The smallest rectangle holding every point; an empty span gives the
/// rectangle of cell (0, 0).
inline CellRect bounding_box(std::span<const GridPoint> points) {
  if (points.empty()) return {};
  CellRect r{points[0].col, points[0].row, points[0].col, points[0].row};
  for (const GridPoint& p : points) {
    r.left = std::min(r.left, p.col);
    r.right = std::max(r.right, p.col);
    r.top = std::min(r.top, p.row);
    r.bottom = std::max(r.bottom, p.row);
  }
  return r;
}

}  // namespace vantri

#endif  // VANTRI_GRID_CELL_RECT_H_
