// Layout helpers for drawing tests: a transform that maps a layout point
// straight to a cell, so nodes and clusters are placed by row and column.
#ifndef VANTRI_TESTS_SUPPORT_CELL_LAYOUT_H_
#define VANTRI_TESTS_SUPPORT_CELL_LAYOUT_H_

#include <optional>
#include <string>

#include "graphviz/layout_graph.h"
#include "grid/grid_transform.h"

namespace vantri::testing {

// Column = x, row = 100 - y, no margin.
inline constexpr double kTopY = 100.0;

inline GridTransform cell_transform() {
  GridTransform t;
  t.bbox = {0.0, 0.0, 1000.0, kTopY};
  t.column_scale = 1.0;
  t.row_scale = 1.0;
  t.margin = 0;
  return t;
}

inline LayoutNode node_at(double row, double col,
                          NodeShape shape = NodeShape::Box,
                          std::optional<std::string> fillcolor = {}) {
  LayoutNode node;
  node.pos = {col, kTopY - row};
  node.shape = shape;
  node.fillcolor = std::move(fillcolor);
  return node;
}

inline LayoutCluster cluster_at(double top, double left, double bottom,
                                double right, std::string label = {}) {
  return {std::move(label), {left, kTopY - bottom, right, kTopY - top}};
}

}  // namespace vantri::testing

#endif  // VANTRI_TESTS_SUPPORT_CELL_LAYOUT_H_
