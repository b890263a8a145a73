// Which edge ends count as the same end, and so may share cells.
//
// Lines that share cells must still read true: every network of lines
// joins one tail to its heads (a fan-out trunk, an arrowhead per head) or
// several tails to one head (a fan-in merge, one arrowhead). So an edge
// shares at most one of its ends: a plain edge (one arrowhead, at its
// head) joins the fan-out of its tail or the fan-in of its head, whichever
// gathers more edges, and any other edge, and every loop, is a line of its
// own. Parallel edges (same tail and head) never share: each gets groups
// of its own rank among them. Ends held to different fields of a record
// never share either: a trunk would join fields the graph keeps apart.
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

/// The groups of every edge's ends, numbered from 1.
struct EndGroups {
  /// The groups each edge is routed with first.
  std::vector<RouteGroups> first;
  /// The groups an edge is routed with when, with its first ones, it finds
  /// no way out of or into a crowded box: the other end of a plain edge,
  /// or the tail of any other edge but a loop, as a star round that box.
  std::vector<RouteGroups> crowded;
  /// The groups of the last try, where even that finds no way: both ends
  /// shared (a loop's head only). Lines may then join more tails and heads
  /// than one network should; an edge drawn so beats one left out.
  std::vector<RouteGroups> walled;
};

/// The groups of `edges`' ends; `spans` is empty or has one entry per
/// edge.
EndGroups end_groups(std::span<const LayoutEdge> edges, std::span<const EndSpans> spans);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_END_GROUPS_H_
