// Drawing cluster frames: dashed rectangles with the title in the top edge.
#ifndef VANTRI_RENDER_NODES_DRAW_CLUSTERS_H_
#define VANTRI_RENDER_NODES_DRAW_CLUSTERS_H_

#include <span>

#include "graphviz/layout_graph.h"
#include "grid/char_grid.h"
#include "grid/grid_transform.h"
#include "trim/trim.h"

namespace vantri {

/// Draws every cluster as a dashed frame with its title in the top edge,
/// shortened with `trim` when it is wider than the frame; where frames
/// overlap, the later cluster shows.
void draw_clusters(CharGrid& grid, std::span<const LayoutCluster> clusters,
                   const GridTransform& transform, TrimStrategy trim);

}  // namespace vantri

#endif  // VANTRI_RENDER_NODES_DRAW_CLUSTERS_H_
