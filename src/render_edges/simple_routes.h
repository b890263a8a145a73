// The simple shapes a route is given before any search: candidates in the
// order they read best, as pure functions of the boxes.
//
// - A straight run between the facing sides of two boxes that overlap
//   across the line between them: at the head's middle, else the tail's,
//   else the middle of the overlap, then ever further out.
// - A forward edge with one jog in the gap between the ranks: from the
//   middles of the facing sides, the jog half
//   way between them, or right before the head when several forward edges
//   enter it (they merge there, just above the arrowhead), then the rows
//   round it.
// - A self-loop: out of the left or right side, round a corner of the box,
//   into the top or bottom side, nested outside the loops of the same
//   corner drawn before it.
//
// The planner takes the first candidate that fits on the cells.
#ifndef VANTRI_RENDER_EDGES_SIMPLE_ROUTES_H_
#define VANTRI_RENDER_EDGES_SIMPLE_ROUTES_H_

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "graphviz/layout_graph.h"
#include "grid/cell_rect.h"
#include "grid/node_box.h"
#include "render_edges/planner_limits.h"
#include "render_edges/route_plan.h"

namespace vantri {

/// A candidate route of at most five corners.
struct SimpleRoute {
  std::array<GridPoint, 5> points{};
  std::uint8_t count = 0;
  Toward start_into = Toward::Up;
  Toward end_into = Toward::Down;
  /// For a loop: which of the box's corners it goes round (0 to 3).
  std::uint8_t corner = 0;
};

/// What the simple shapes of one edge between two boxes depend on.
struct SimpleEdge {
  const NodeBox* tail = nullptr;
  const NodeBox* head = nullptr;
  std::optional<CellRect> tail_span;
  std::optional<CellRect> head_span;
  /// The rank direction, and whether the edge goes forward along it.
  Toward forward = Toward::Down;
  bool forward_edge = false;
  /// Several forward edges enter the head: the jog goes right before it.
  bool merging = false;
  /// It fans out with other forward edges from its tail: it leaves at the
  /// middle of the tail's side, where their trunk starts.
  bool fanning = false;
  /// The edge has a label: the jog keeps a few cells before the head free
  /// for it.
  bool labelled = false;
};

/// Straight runs between facing sides, best first.
void straight_routes(const SimpleEdge& edge, const PlannerLimits& limits,
                     std::vector<SimpleRoute>& out);

/// Forward routes with one jog between the `pair`th pair of ports, best
/// pair first (the middles of the facing sides, then places further out);
/// false when there is no such pair.
bool jog_routes(const SimpleEdge& edge, const PlannerLimits& limits, std::size_t pair,
                std::vector<SimpleRoute>& out);

/// Routes between two boxes on one rank (neither lies beyond the other
/// along the ranks): out of the same side of both, forward first, then
/// backward, to a track `depth` cells beyond the further of the two, for
/// each depth up to `depths`, shallowest first, and back in. Taken first
/// fit, shortest edges first, the tracks nest like the arcs `dot` draws.
void flat_routes(const SimpleEdge& edge, std::uint64_t depths, std::vector<SimpleRoute>& out);

/// Loops round each of the box's corners (right and above, left and
/// above, right and below, left and below), `nested[k]` loops of corner k
/// already drawn inside it, corner `first` first; then loops that keep to
/// one side, out and back in a cell further on: the right and left sides,
/// then the top and bottom.
void loop_routes(const NodeBox& box, std::span<const std::uint64_t, 4> nested,
                 std::uint8_t first, std::vector<SimpleRoute>& out);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_SIMPLE_ROUTES_H_
