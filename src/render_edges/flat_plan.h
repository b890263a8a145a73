// Routes planned a rank at a time for edges between boxes of one rank.
//
// Edge by edge, a line between two boxes of one rank leaves the side of
// its tail that faces away from the rank, runs along a track beyond the
// rank and comes back into its head's side. Where a rank holds many such
// lines (a hundred boxes with two hundred edges among them), the first
// lines take the middles of the sides and the tracks nearest the rank,
// and the rest are left to costly searches. Planned for the whole rank at
// once, every line takes the side, before or after the rank, that has a
// track free for it nearer the rank; every end gets its own place along
// its box's side, lines going one way to one part and the others to the
// other part, the farther out ones outermost, so that lines nest rather
// than cross; and every line gets a track of its own where its stretch
// overlaps others, the shorter lines nearer the rank.
#ifndef VANTRI_RENDER_EDGES_FLAT_PLAN_H_
#define VANTRI_RENDER_EDGES_FLAT_PLAN_H_

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "graphviz/layout_graph.h"
#include "grid/node_box.h"
#include "render_edges/gap_plan.h"

namespace vantri {

/// What a rank's flat lines are planned from.
struct FlatPlanInput {
  std::span<const LayoutEdge> edges;
  std::span<const NodeBox> boxes;
  /// The edges that may be planned: between two usable boxes, whole sides.
  std::span<const char> planned;
  /// Routes already planned (the gap plan's), whose ends the flat lines
  /// keep off.
  std::span<const std::optional<GapRoute>> taken;
  Toward forward = Toward::Down;
  /// The canvas's extent along the ranks (rows, or columns left to right):
  /// tracks beyond the last rank stop there.
  std::uint64_t canvas_along = 0;
  /// Ranks with fewer flat edges are left to the edges one by one; 0:
  /// every rank is planned.
  std::uint64_t crowded = 0;
};

/// A planned route for each flat edge the plan covers, nothing for the
/// others (no room on a side or track left for it).
std::vector<std::optional<GapRoute>> plan_flat_routes(const FlatPlanInput& in);

/// How many cells the flat lines of the first band along the ranks (the
/// top one, or the leftmost) want before it for their tracks, beyond the
/// band's port cells: half the most of them over one place, when the band
/// holds `crowded` or more, and nothing otherwise.
std::uint64_t flat_room_before(std::span<const LayoutEdge> edges, std::span<const NodeBox> boxes,
                               Toward forward, std::uint64_t crowded);

/// For each box, how many ends of flat lines it has in bands that hold
/// `crowded` such lines or more, which the rank's plan deals out along the
/// box's sides facing the tracks.
std::vector<std::uint32_t> crowded_flat_ends(std::span<const LayoutEdge> edges,
                                             std::span<const NodeBox> boxes, Toward forward,
                                             std::uint64_t crowded);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_FLAT_PLAN_H_
