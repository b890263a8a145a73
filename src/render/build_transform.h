// The scale of the drawing: how many layout points a column and a row
// stand for, and the drawing's size in cells.
#ifndef VANTRI_RENDER_BUILD_TRANSFORM_H_
#define VANTRI_RENDER_BUILD_TRANSFORM_H_

#include <span>
#include <string>

#include "graphviz/layout_graph.h"
#include "grid/field_layout.h"
#include "grid/grid_transform.h"

namespace vantri {

/// Chooses how many layout points a column and a row stand for, so that
/// every node's box (sized to its label, or to `fields[i]` when that has
/// any) fits within the node, and sizes the drawing in cells.
GridTransform build_transform(const BoundingBox& bbox,
                              std::span<const LayoutNode> nodes,
                              std::span<const std::string> labels,
                              std::span<const FieldLayout> fields = {});

}  // namespace vantri

#endif  // VANTRI_RENDER_BUILD_TRANSFORM_H_
