// Mapping layout points to grid cells.
//
// The layout's bounding box is scaled so that its left edge maps to column 0
// and its top edge (y grows upwards in the layout) to row 0, then shifted by
// a margin of whole cells.
#ifndef VANTRI_GRID_GRID_TRANSFORM_H_
#define VANTRI_GRID_GRID_TRANSFORM_H_

#include <cstdint>

#include "graphviz/layout_graph.h"

namespace vantri {

struct GridTransform {
  BoundingBox bbox;
  /// Layout points per column and per row.
  double column_scale = 4.0;
  double row_scale = 8.0;
  /// Width of the drawing proper in columns; height of the canvas in rows.
  std::uint64_t width = 0;
  std::uint64_t height = 0;
  /// Whole cells added to every mapped column and row.
  std::int64_t margin = 1;
};

/// The column of layout x: scaled, rounded half away from zero, saturated
/// to 64 bits, shifted by the margin, never below 0.
std::uint64_t column_of(const GridTransform& transform, double x);

/// The row of layout y, the same way from the top edge downwards.
std::uint64_t row_of(const GridTransform& transform, double y);

/// A float converted to unsigned with saturation: negative or NaN gives 0,
/// beyond the range the largest value.
std::uint64_t saturating_to_unsigned(double value);

}  // namespace vantri

#endif  // VANTRI_GRID_GRID_TRANSFORM_H_
