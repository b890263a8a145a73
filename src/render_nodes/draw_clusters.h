// Drawing cluster frames: dashed rectangles with the title in the top edge.
#ifndef VANTRI_RENDER_NODES_DRAW_CLUSTERS_H_
#define VANTRI_RENDER_NODES_DRAW_CLUSTERS_H_

#include <cstdint>
#include <span>

#include "graphviz/layout_graph.h"
#include "grid/char_grid.h"
#include "grid/grid_transform.h"
#include "trim/trim.h"

namespace vantri {

/// The paints (`CharGrid::paint_id`) of a cluster's frame and title.
struct FramePaint {
  std::uint32_t frame = 0;
  std::uint32_t title = 0;
};

/// Draws every cluster as a dashed frame with its title in the top edge,
/// shortened with `trim` when it is wider than the frame; where frames
/// overlap, the later cluster shows. Cluster i takes `paints[i]`, when
/// there is one.
void draw_clusters(CharGrid& grid, std::span<const LayoutCluster> clusters,
                   const GridTransform& transform, TrimStrategy trim,
                   std::span<const FramePaint> paints = {});

}  // namespace vantri

#endif  // VANTRI_RENDER_NODES_DRAW_CLUSTERS_H_
