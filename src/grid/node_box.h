// Where a node's box lies on the grid.
//
// The same rectangle is drawn by the node renderer, joined by edge routing
// and coloured by the ANSI pass, so it is computed in one place, and so is
// the rectangle of each of a record's fields within it.
#ifndef VANTRI_GRID_NODE_BOX_H_
#define VANTRI_GRID_NODE_BOX_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "graphviz/layout_graph.h"
#include "grid/field_layout.h"
#include "grid/grid_transform.h"

namespace vantri {

/// A node's rectangle in whole cells, borders included.
struct NodeBox {
  std::uint64_t left = 0;
  std::uint64_t top = 0;
  std::uint64_t width = 0;
  std::uint64_t height = 0;
  friend bool operator==(const NodeBox&, const NodeBox&) = default;

  std::uint64_t right() const { return left + width - 1; }
  std::uint64_t bottom() const { return top + height - 1; }
};

/// The size of a node's box in cells, borders included.
struct BoxSize {
  std::uint64_t width = 0;
  std::uint64_t height = 0;
};

/// The box that shows `label`, or `fields` when there are any: a blank
/// column and a border on either side of the widest line, a border above
/// and below the lines (the empty label has one blank line); a point is
/// one cell.
BoxSize box_size(const LayoutNode& node, std::string_view label, const FieldLayout& fields);

/// The box of `node` showing `label` (or `fields`), centred on the node's
/// mapped position.
NodeBox node_box(const GridTransform& transform, const LayoutNode& node,
                 std::string_view label, const FieldLayout& fields = {});

/// The grid rectangle of the field named by `port` of a node drawn as
/// `box` with `fields`, its border lines included: the part of the port
/// before any ':' names the field ("f0" of "f0:s"). Nothing when no field
/// has that name.
std::optional<CellRect> field_rect(const NodeBox& box, const FieldLayout& fields,
                                   std::string_view port);

}  // namespace vantri

#endif  // VANTRI_GRID_NODE_BOX_H_
