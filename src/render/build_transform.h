// The scale of the drawing: how many layout points a column and a row
// stand for, and the drawing's size in cells.
#ifndef VANTRI_RENDER_BUILD_TRANSFORM_H_
#define VANTRI_RENDER_BUILD_TRANSFORM_H_

#include <span>
#include <string>

#include "graphviz/layout_graph.h"
#include "grid/grid_transform.h"

namespace vantri {

/// Chooses how many layout points a column and a row stand for, so that
/// every label fits its node, and sizes the drawing in cells.
GridTransform build_transform(const BoundingBox& bbox,
                              std::span<const LayoutNode> nodes,
                              std::span<const std::string> labels);

}  // namespace vantri

#endif  // VANTRI_RENDER_BUILD_TRANSFORM_H_
