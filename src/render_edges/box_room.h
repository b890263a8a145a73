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

/// The boxes with room for the ends of `edges`; box i grows only when
/// `growable[i]` (a box divided into fields, or a point, keeps its size).
std::vector<NodeBox> boxes_with_room(std::span<const LayoutEdge> edges,
                                     std::span<const NodeBox> boxes,
                                     std::span<const EndSpans> spans,
                                     std::span<const char> growable, RankDir rankdir);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_BOX_ROOM_H_
