// Drawing node boxes with their labels, and cluster frames.
#ifndef VANTRI_RENDER_NODES_DRAW_NODES_H_
#define VANTRI_RENDER_NODES_DRAW_NODES_H_

#include <span>
#include <string>

#include "graphviz/layout_graph.h"
#include "grid/char_grid.h"
#include "grid/grid_transform.h"

namespace vantri {

/// Draws node i with display label i, for the first min(nodes, labels)
/// nodes. With `plain` every box is light; otherwise its style follows its
/// fill colour.
void draw_nodes(CharGrid& grid, std::span<const LayoutNode> nodes,
                std::span<const std::string> labels,
                const GridTransform& transform, bool plain);

/// Draws every cluster as a dashed frame with its title in the top edge.
void draw_clusters(CharGrid& grid, std::span<const LayoutCluster> clusters,
                   const GridTransform& transform);

}  // namespace vantri

#endif  // VANTRI_RENDER_NODES_DRAW_NODES_H_
