// Routes planned a whole gap at a time, for crowded gaps and dense graphs.
//
// Edge by edge, a forward edge takes the first simple shape that fits:
// the middle of its box's side, a jog half way across the gap. Where many
// lines cross one gap between two bands of boxes (every box of a rank
// joined to every box of the next), the first lines take the middles and
// the middle rows, and the rest find no simple shape left. Planned for the
// whole gap at once, each end gets its own place along its box's side, in
// the order of the boxes the lines go to, so that lines leaving one box
// do not cross each other; and each network of lines (one tail's fan-out,
// one head's merge, or one edge) gets a track of its own across the gap,
// tracks side by side where their stretches overlap, as a channel router
// gives them.
//
// In a dense graph, edges that run across several ranks are planned too:
// each crosses the bands between its ends where `dot` led it, at a place
// of its own clear of the boxes there, and jogs on a track of its own in
// every gap on the way.
#ifndef VANTRI_RENDER_EDGES_GAP_PLAN_H_
#define VANTRI_RENDER_EDGES_GAP_PLAN_H_

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "graphviz/layout_graph.h"
#include "grid/node_box.h"
#include "render_edges/edge_ports.h"
#include "render_edges/route_cells.h"

namespace vantri {

/// A stretch of the rank axis that boxes take, first and last cell.
struct Band {
  std::uint64_t first = 0;
  std::uint64_t last = 0;
};

/// The stretches of the rank axis (rows, or columns left to right) that
/// `boxes` take, overlapping ones merged, in order.
std::vector<Band> bands_of(std::span<const NodeBox> boxes, Toward forward);

/// The index of the band of `bands` that holds `start` (the first row, or
/// column, of a box whose band it is).
std::size_t band_holding(std::span<const Band> bands, std::uint64_t start);

/// The planned route of one forward edge, from the port cell beside its
/// tail to the one beside its head, corners only.
struct GapRoute {
  std::vector<GridPoint> points;
  /// Edges of one batch share a stretch (a fan-out's or a merge's track):
  /// they are checked against the cells as they were before any of them.
  std::uint32_t batch = 0;
  /// The ways the route runs into its tail box and into its head box.
  Toward start_into = Toward::Up;
  Toward end_into = Toward::Down;
};

/// What a gap plan is made of.
struct GapPlanInput {
  std::span<const LayoutEdge> edges;
  std::span<const NodeBox> boxes;
  std::span<const RouteGroups> groups;
  /// The edges that may be planned: forward, between whole sides of boxes
  /// on the canvas.
  std::span<const char> planned;
  /// For each edge running across more than one gap, where it would cross
  /// the bands between its ends (across the ranks, in the order it meets
  /// them); empty for the others, which are then planned only when they
  /// cross one gap.
  std::span<const std::vector<std::uint64_t>> crossings;
  Toward forward = Toward::Down;
  /// Gaps where some box side joins this many networks of lines are
  /// planned; 0: every gap.
  std::uint64_t crowded_side = 0;
};

/// The plan of every gap.
struct GapPlan {
  /// A planned route for each edge the plan covers; nothing for the others.
  std::vector<std::optional<GapRoute>> routes;
  /// How many times as many rows (columns, left to right) the gap most
  /// short of them needs for a track for each of its networks, and the
  /// rows beside its bands (1: none is short).
  double stretch = 1;
};

GapPlan plan_gap_routes(const GapPlanInput& in);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_GAP_PLAN_H_
