// The edge planner's tuning constants, in one place.
//
// Costs are in tenths of a step: a route one cell longer costs 10. They
// rank routes against each other and are never shown; what matters is
// their order: a port on a side turned away costs more than any detour
// (`avoid_side`), a crossing more than a bend, a bend more than a few
// cells of length.
#ifndef VANTRI_RENDER_EDGES_PLANNER_LIMITS_H_
#define VANTRI_RENDER_EDGES_PLANNER_LIMITS_H_

#include <array>
#include <cstddef>
#include <cstdint>

namespace vantri {

struct PlannerLimits {
  // --- Costs of a searched route ---------------------------------------
  /// One cell of length.
  std::uint32_t step = 10;
  /// One cell along a line the route shares its tail or head with: cheaper
  /// than a cell of its own, so that siblings merge.
  std::uint32_t shared_step = 6;
  /// Crossing another edge's line.
  std::uint32_t cross = 30;
  /// A bend.
  std::uint32_t bend = 25;
  /// A crossing beside an arrowhead or a junction, where it would read as
  /// part of it: worth a detour of twenty cells.
  std::uint32_t touching = 200;
  /// A cell right beside a box: passable, but a route one cell further out
  /// is easier to tell from the box's border.
  std::uint32_t near_box = 30;
  /// A cell of a cluster frame: crossing it costs about what crossing a
  /// line does, and running along it, where the frame would hide the
  /// line, costs that for every cell.
  std::uint32_t frame = 30;
  /// What the estimate counts per cell left to the nearest target: more
  /// than a step, so that the search heads for the goal and settles for a
  /// route a little longer than the shortest, for far less search.
  std::uint32_t greedy_step = 15;
  /// The same for the last resort, which takes the first route found (as
  /// do the edges a dense graph's gap plan leaves over): more than a step
  /// and a crossing, so that the search heads straight for the target
  /// across the lines in its way rather than combing the canvas for a way
  /// round them.
  std::uint32_t greedy_last_resort = 45;

  // --- Costs of ports ---------------------------------------------------
  /// A port on a side the edge should not use (a forward edge off its
  /// facing side, any edge on the side turned away from its other end):
  /// more than any detour, less than no route at all.
  std::uint32_t avoid_side = 2000;
  /// A port on a side across the ranks for an edge that goes round.
  std::uint32_t other_side = 60;
  /// The most a port costs for lying away from the middle of its side.
  std::uint32_t off_middle = 50;

  // --- Simple shapes ----------------------------------------------------
  /// A straight run between facing sides is tried at the preferred
  /// position and this many further ones on either side, two apart.
  std::uint64_t straight_offsets = 8;
  /// A jog is tried on up to this many rows (columns) round the preferred
  /// one.
  std::uint64_t jog_tries = 24;
  /// A gap whose busiest box side joins this many networks of lines has
  /// its jogs planned for the whole gap at once.
  std::uint64_t crowded_side = 8;
  /// A graph that leaves more edges than this to the searches once the
  /// simple shapes are drawn is planned again, every gap whole (see
  /// `plan_gap_routes`): searches for hundreds of edges cost many times
  /// what `dot` does. Graphviz's example graphs leave at most 37.
  std::size_t dense_searches = 64;
  /// The same for edges between boxes three bands apart or more, whose
  /// searches span the bands between: Graphviz's example graphs leave at
  /// most 25.
  std::size_t dense_long_searches = 32;
  /// The same for edges without arrowheads, which share no cells with
  /// other lines, so that each needs ports and a way of its own: Graphviz's
  /// example graphs leave at most 25 (a graph of 80 nodes and 160 random
  /// undirected edges, 40).
  std::size_t dense_arrowless_searches = 32;
  /// A graph with more visible edges than this is planned every gap whole
  /// from the start: the careful plan of a graph so large leaves more than
  /// `dense_searches` edges over (a layered graph of 2000 nodes, random
  /// graphs of 500 nodes and two edges each), or draws what the gap plan
  /// draws (fan-outs, complete bipartite layers).
  std::size_t dense_edges = 1024;
  /// An edge between two boxes on one rank is tried on tracks up to this
  /// many cells beyond them, on either side of the rank.
  std::uint64_t flat_depths = 96;

  // --- Search effort ----------------------------------------------------
  /// Windows round the two boxes, in cells (twice as wide across rows,
  /// which are narrow), tried in turn until one holds a route.
  std::array<std::uint64_t, 4> margins = {4, 16, 64, 256};
  /// States a search for the cheapest route into the facing ports may
  /// visit before it settles for any route into them.
  std::size_t cheapest_visits = 16384;
  /// States a search for any route into the facing ports, or into other
  /// ports, may visit.
  std::size_t any_route_visits = 4 * 16384;
  /// States all searches of one plan may visit before the remaining edges
  /// skip the careful searches and take the first route found anywhere:
  /// `budget_base` + `budget_per_edge` × edges. Enough for every real
  /// graph many times over; a hostile layout whose edges find no way
  /// anywhere is still drawn, in time about linear in its edges.
  std::uint64_t budget_base = std::uint64_t{1} << 20;
  std::uint64_t budget_per_edge = 256;
  /// A search runs from both ends at once, a few states at a time from the
  /// end whose search has come further (see `search_both_ways`). The one
  /// from the tail counts as this much further: it answers unless the one
  /// from the tail combs round a pocket the way back leaves at once. Its
  /// routes keep their crossings clear of arrowheads a little more often.
  std::uint64_t back_search_lead = 100;
  /// States the last resort may visit in one plan, as a multiple of the
  /// search budget above; once they are spent, edges that no search drew
  /// are left out, counted and reported, and the ranks are not moved apart
  /// for another plan. Graphviz's example graphs spend none of it, and the
  /// benchmark families draw the same with it as without it at their own
  /// width and at 80 columns. Where most of a dense graph does not fit the
  /// width (a complete bipartite K20,20 at 120 columns) the last resort would
  /// spend twenty times the search budget to leave 76 of 400 edges out; it
  /// now leaves out 82, in a third of the time. A hostile layout that walls
  /// every edge in spends it all, where it spent time that grew with its
  /// edges times its cells.
  std::uint64_t last_resort_factor = 4;
  /// Cells that fitting the simple shapes (straight lines, jogs, loops,
  /// lines along a rank) and the routes led where `dot` led them may look
  /// at in one plan, as a multiple of the search budget above. Graphviz's
  /// example graphs and the benchmark families look at 1.3 million at most
  /// (a fan-out of 1000 children 30 cells apart), a hostile layout whose
  /// ranks lie thousands of rows apart billions, trying two dozen jogs
  /// each for a thousand edges that fit none. Past it, edges go straight
  /// to the searches and their budgets.
  std::uint64_t fitting_budget_factor = 16;
  /// The largest window a search covers, in cells.
  std::uint64_t max_window_cells = std::uint64_t{1} << 24;
  /// States the last resort's searches from the tail and back from the
  /// head visit in their first turns (each turn allows four times the
  /// last): where lines wall the head into a pocket, the search back
  /// learns it in a few turns, where one from the tail would comb the
  /// whole canvas.
  std::size_t pocket_visits = 4096;

  // --- Making way -------------------------------------------------------
  /// What a step over another edge's line costs when that edge is to make
  /// way.
  std::uint32_t over_lines = 300;
  /// The most routes that make way for one edge.
  std::size_t most_making_way = 6;
};

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_PLANNER_LIMITS_H_
