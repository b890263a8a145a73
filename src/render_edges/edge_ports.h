// Where lines may join a box: its sides, the cells beside them, and which
// sides an edge should use.
//
// A line joins a side between its corners (a line at a corner seems to
// run past the box), or in the middle of a side too short to have cells
// between them. An end held to a record field joins only the sides the
// field reaches, beside the field.
#ifndef VANTRI_RENDER_EDGES_EDGE_PORTS_H_
#define VANTRI_RENDER_EDGES_EDGE_PORTS_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "graphviz/layout_graph.h"
#include "grid/cell_rect.h"
#include "grid/node_box.h"
#include "render_edges/planner_limits.h"
#include "render_edges/route_plan.h"
#include "render_edges/route_search.h"

namespace vantri {

/// The direction a forward edge runs in.
Toward forward_of(RankDir dir);

/// Up or down.
constexpr bool vertical(Toward d) { return d == Toward::Up || d == Toward::Down; }

/// Whether `other` lies wholly beyond `box` in direction `d`, with more
/// than `gap` free cells between.
bool beyond(const NodeBox& box, const NodeBox& other, Toward d, std::uint64_t gap);

/// The cell beside `box` on its side `side` at position `across` (a column
/// for the top and bottom sides, a row for the left and right ones);
/// nothing when that cell would lie above row 0 or left of column 0.
std::optional<GridPoint> port_cell(const NodeBox& box, Toward side, std::uint64_t across);

/// The positions along a side where lines may attach, and its middle.
struct SideRange {
  std::uint64_t first = 0;
  std::uint64_t last = 0;
  std::uint64_t middle = 0;
};

/// The positions of `box`'s side `side`, within `span` when the end is
/// held to part of the box.
SideRange side_range(const NodeBox& box, Toward side, const std::optional<CellRect>& span);

/// Whether an end held to `span` may join the side `side` of its box: a
/// field inside a record is reached only from the sides it touches.
bool span_reaches(const NodeBox& box, Toward side, const std::optional<CellRect>& span);

/// What decides where one end of an edge may join its box.
struct EndPlace {
  const NodeBox* box = nullptr;
  /// The box at the other end.
  const NodeBox* other = nullptr;
  std::optional<CellRect> span;
  bool arrow = false;
  bool head_end = false;
  bool loop = false;
  /// A loop turned round: it leaves by the top or bottom and comes back
  /// by the left or right side.
  bool turned = false;
  /// The edge runs forward along the ranks, which go `forward`.
  bool forward_edge = false;
  Toward forward = Toward::Down;
};

/// Adds the ports of one end for the search, each with its cost: cheapest
/// on the sides that face the other end, dearest on the side turned away
/// from it (where an arrowhead comes in only when nothing else is left).
void add_search_ports(std::vector<RoutePort>& out, const EndPlace& end,
                      const PlannerLimits& limits);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_EDGE_PORTS_H_
