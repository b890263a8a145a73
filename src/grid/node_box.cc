// Sizing and placing a node's box from its label and mapped centre.
#include "grid/node_box.h"

#include <algorithm>

#include "text/label_lines.h"

namespace vantri {

NodeBox node_box(const GridTransform& transform, const LayoutNode& node,
                 std::string_view label) {
  const std::uint64_t col = column_of(transform, node.pos.x);
  const std::uint64_t row = row_of(transform, node.pos.y);
  if (node.shape == NodeShape::Point) return {col, row, 1, 1};

  // One blank column and one border on each side of the widest line; the
  // empty label still gets one (blank) line.
  NodeBox box;
  box.width = 4 + static_cast<std::uint64_t>(label_width(label));
  box.height = 2 + std::max<std::uint64_t>(1, count_label_lines(label));
  const std::uint64_t half_width = box.width / 2;
  const std::uint64_t half_height = box.height / 2;
  box.left = col > half_width ? col - half_width : 0;
  box.top = row > half_height ? row - half_height : 0;
  return box;
}

}  // namespace vantri
