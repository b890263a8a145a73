// The cells that already carry a line straight through, per row and column.
//
// A canvas may be millions of cells wide or high, and thousands of edges can
// run along the same stretch of it (side edges all reach out to lanes past
// the rightmost box; fan-outs share their first leg). Drawing each of those
// runs cell by cell would cost edges times canvas size. A cell that already
// has a line through it in the run's direction is left unchanged by drawing
// that line again, whatever was drawn over it since (lines only gain
// directions, and stronger cells keep beating lines), so each run paints
// only the parts of it that no earlier run covered. That holds for lines
// of one style and paint: each style and paint has a cover of its own.
#ifndef VANTRI_RENDER_EDGES_LINE_COVER_H_
#define VANTRI_RENDER_EDGES_LINE_COVER_H_

#include <cstdint>
#include <unordered_map>

#include "grid/char_grid.h"
#include "grid/span_cover.h"

namespace vantri {

class LineCover {
 public:
  LineCover() = default;
  /// A cover for lines of one style and paint: every cell it puts is
  /// `line` of those.
  LineCover(LineStyle style, std::uint32_t paint) : style_(style), paint_(paint) {}

  /// A line cell of the cover's style and paint.
  Cell line(LineFlags flags) const { return Cell::line(flags, style_).painted(paint_); }

  /// Puts a line left and right through the cells of `row` from column
  /// `first` to `last` inclusive that lie in the grid and that no earlier
  /// call covered.
  void horizontal(CharGrid& grid, std::uint64_t row, std::uint64_t first,
                  std::uint64_t last);

  /// Puts a line up and down through the cells of `col` from row `first`
  /// to `last` inclusive, the same way.
  void vertical(CharGrid& grid, std::uint64_t col, std::uint64_t first,
                std::uint64_t last);

 private:
  std::unordered_map<std::uint64_t, SpanCover> rows_;
  std::unordered_map<std::uint64_t, SpanCover> columns_;
  LineStyle style_ = LineStyle::Solid;
  std::uint32_t paint_ = 0;
};

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_LINE_COVER_H_
