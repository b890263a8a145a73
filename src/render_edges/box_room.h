// Boxes grown until every line that must join them has a cell of its own.
//
// Lines that cannot share cells each need their own place on a box's side:
// parallel edges, edges from different record fields, self-loops (each
// leaves by a left or right side and comes back by the top or bottom).
// Where a side has fewer cells between its corners than such lines, the
// box grows, evenly round its centre, with blank padding inside (the
// label stays centred); ordinary boxes keep their size.
#ifndef VANTRI_RENDER_EDGES_BOX_ROOM_H_
#define VANTRI_RENDER_EDGES_BOX_ROOM_H_

#include <span>
#include <vector>

#include "graphviz/layout_graph.h"
#include "grid/node_box.h"
#include "render_edges/end_groups.h"

namespace vantri {

/// Boxes grown for the lines that join them.
struct RoomedBoxes {
  std::vector<NodeBox> boxes;
  /// How many times farther apart the centres of neighbouring boxes on a
  /// rank must stand for every box still short of cells to widen along
  /// its rank instead (1: no box is short). A box with neighbours close
  /// beside it can only grow across its rank, and where even its grown
  /// sides have too few cells (a complete bipartite layer: every box joins
  /// twenty lines of its own), lines would be left out.
  double spread = 1;
};

/// The boxes with room for the ends of `edges`, whose ends share cells as
/// `groups` says (`end_groups(edges, spans).first`); box i grows only when
/// `growable[i]` (a box divided into fields, or a point, keeps its size).
RoomedBoxes boxes_with_room(std::span<const LayoutEdge> edges, std::span<const NodeBox> boxes,
                            std::span<const RouteGroups> groups, std::span<const char> growable,
                            RankDir rankdir);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_BOX_ROOM_H_
