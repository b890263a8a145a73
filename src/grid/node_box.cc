// Sizing and placing a node's box from its label and mapped centre.
#include "grid/node_box.h"

#include <algorithm>

#include "grid/cell_arith.h"
#include "text/label_lines.h"

namespace vantri {

BoxSize box_size(const LayoutNode& node, std::string_view label, const FieldLayout& fields) {
  if (node.shape == NodeShape::Point) return {1, 1};
  if (!fields.empty()) return {fields.width, fields.height};
  if (node.shape == NodeShape::Plain) {
    // The label alone, a blank column on either side; edges end at it.
    return {add_sat(2, label_width(label)), std::max<std::uint64_t>(1, count_label_lines(label))};
  }
  return {add_sat(4, label_width(label)),
          2 + std::max<std::uint64_t>(1, count_label_lines(label))};
}

NodeBox node_box(const GridTransform& transform, const LayoutNode& node,
                 std::string_view label, const FieldLayout& fields) {
  const std::uint64_t col = column_of(transform, node.pos.x);
  const std::uint64_t row = row_of(transform, node.pos.y);
  const BoxSize size = box_size(node, label, fields);
  NodeBox box;
  box.width = size.width;
  box.height = size.height;
  const std::uint64_t half_width = box.width / 2;
  const std::uint64_t half_height = box.height / 2;
  box.left = col > half_width ? col - half_width : 0;
  box.top = row > half_height ? row - half_height : 0;
  return box;
}

std::optional<CellRect> field_rect(const NodeBox& box, const FieldLayout& fields,
                                   std::string_view port) {
  const std::string_view name = port.substr(0, port.find(':'));
  for (const FieldPort& field : fields.ports) {
    if (field.name != name) continue;
    const CellRect& r = field.outline;
    return CellRect{add_sat(box.left, r.left), add_sat(box.top, r.top),
                    add_sat(box.left, r.right), add_sat(box.top, r.bottom)};
  }
  return std::nullopt;
}

}  // namespace vantri
