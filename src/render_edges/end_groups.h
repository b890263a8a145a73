// Which edge ends count as the same end, and so may share cells.
//
// Edges that leave the same tail with the same kind of end (both with an
// arrowhead there, or both without) may run together as a fan-out trunk;
// edges that enter the same head alike may merge before it. Parallel edges
// (same tail and head) never share: each gets groups of its own rank among
// them. A loop's tail shares with nothing. Ends held to different fields of a record never share either: a
// trunk would join fields the graph keeps apart.
#ifndef VANTRI_RENDER_EDGES_END_GROUPS_H_
#define VANTRI_RENDER_EDGES_END_GROUPS_H_

#include <optional>
#include <span>
#include <vector>

#include "graphviz/layout_graph.h"
#include "grid/cell_rect.h"
#include "render_edges/route_cells.h"

namespace vantri {

/// The parts of its tail's and head's boxes an edge must attach to: a
/// record field's cells, or nothing for the whole box.
struct EndSpans {
  std::optional<CellRect> tail;
  std::optional<CellRect> head;
};

/// The groups of every edge's ends, numbered from 1; `spans` is empty or
/// has one entry per edge.
std::vector<RouteGroups> end_groups(std::span<const LayoutEdge> edges,
                                    std::span<const EndSpans> spans);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_END_GROUPS_H_
