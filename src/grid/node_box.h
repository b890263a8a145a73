// Where a node's box lies on the grid.
//
// The same rectangle is drawn by the node renderer, joined by edge routing
// and coloured by the ANSI pass, so it is computed in one place.
#ifndef VANTRI_GRID_NODE_BOX_H_
#define VANTRI_GRID_NODE_BOX_H_

#include <cstdint>
#include <string_view>

#include "graphviz/layout_graph.h"
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

/// The box of `node` with display label `label`: sized to the label,
/// centred on the node's mapped position; a point is one cell.
NodeBox node_box(const GridTransform& transform, const LayoutNode& node,
                 std::string_view label);

}  // namespace vantri

#endif  // VANTRI_GRID_NODE_BOX_H_
