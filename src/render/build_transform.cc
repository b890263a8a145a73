// The scale of the drawing: layout points per column and per row.
#include "render/build_transform.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "grid/cell_arith.h"
#include "grid/node_box.h"

namespace vantri {

GridTransform build_transform(const BoundingBox& bbox,
                              std::span<const LayoutNode> nodes,
                              std::span<const std::string> labels,
                              std::span<const FieldLayout> fields) {
  constexpr double kNone = std::numeric_limits<double>::max();
  const std::size_t count = std::min(nodes.size(), labels.size());

  // A column stands for at least 4 points, and for no more than the
  // narrowest node allows: its box (each label line plus two cells of
  // border and padding on either side) must fit within its node's width.
  double column_min = kNone;
  // The vertical twin: every box (label lines plus top and bottom border)
  // must fit within its node's height, so that boxes on neighbouring ranks
  // keep free rows between them for the edges.
  double row_min = kNone;
  const FieldLayout none;
  for (std::size_t i = 0; i < count; ++i) {
    // A point is one cell whatever the scale.
    if (nodes[i].shape == NodeShape::Point) continue;
    const BoxSize box = box_size(nodes[i], labels[i], i < fields.size() ? fields[i] : none);
    const double column_ratio = nodes[i].width / static_cast<double>(box.width);
    if (column_ratio < column_min) column_min = column_ratio;
    const double row_ratio = nodes[i].height / static_cast<double>(box.height);
    if (row_ratio < row_min) row_min = row_ratio;
  }

  GridTransform t;
  t.bbox = bbox;
  t.column_scale = column_min == kNone ? 4.0 : std::max(column_min, 4.0);
  t.row_scale = std::max(8.0, std::min(2.0 * t.column_scale, row_min));
  t.width = add_sat(
      saturating_to_unsigned(std::ceil((bbox.x1 - bbox.x0) / t.column_scale)), 2);
  t.height = add_sat(
      saturating_to_unsigned(std::ceil((bbox.y1 - bbox.y0) / t.row_scale)), 2);
  t.margin = 1;
  return t;
}

}  // namespace vantri
