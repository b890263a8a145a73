// The edge planner's working state, shared by its stages: the simple
// shapes and loops (edge_planner.cc), the searches and the last resort
// (searched_routes.cc), and making way (make_way.cc). `plan_routes` drives
// it.
#ifndef VANTRI_RENDER_EDGES_EDGE_PLANNER_H_
#define VANTRI_RENDER_EDGES_EDGE_PLANNER_H_

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "render_edges/edge_ports.h"
#include "render_edges/gap_plan.h"
#include "render_edges/plan_cells.h"
#include "render_edges/plan_routes.h"
#include "render_edges/route_cells.h"
#include "render_edges/route_search.h"
#include "render_edges/simple_routes.h"

namespace vantri {

class EdgePlanner {
 public:
  /// A planner for `scene` on a canvas of `width` × `height` cells; with
  /// `dense`, every gap's routes are planned whole, long edges too (see
  /// `plan_gap_routes`), before any edge is routed on its own.
  EdgePlanner(const RouteScene& scene, std::uint64_t width, std::uint64_t height,
              bool dense = false);

  /// Routes every visible edge between usable boxes: simple shapes first,
  /// then loops, then searches, forward edges before the others. Without
  /// `dense`, gives up (returns false) once more edges are left to the
  /// searches than `PlannerLimits::dense_searches`: a planner with `dense`
  /// draws such a graph in far less time.
  bool route_all();

  PlanCells& cells() { return cells_; }
  RoutePlan& plan() { return plan_; }

 private:
  // --- Setup and simple shapes (edge_planner.cc) ---
  // How many of `edges` join boxes several bands apart.
  std::size_t long_searches(std::span<const std::size_t> edges) const;
  void mark_obstacles();
  bool box_usable(std::size_t node) const;
  bool is_forward(std::size_t edge) const;
  std::optional<CellRect> span(std::size_t edge, bool head_end) const;
  SimpleEdge simple_edge(std::size_t edge) const;
  // Whether the edge merges with other forward edges before its head.
  bool merging(std::size_t edge) const;
  // Whether the route passes beside a box other than its edge's own two,
  // where it would read as part of that box's border.
  bool near_other_box(std::size_t edge, const EdgeRoute& route) const;
  // Records the route when it fits.
  bool try_route(std::size_t edge, EdgeRoute route);
  // Records the first candidate that fits and keeps a cell away from other
  // boxes.
  bool try_candidates(std::size_t edge, std::span<const SimpleRoute> candidates);
  bool try_straight(std::size_t edge);
  bool try_jog(std::size_t edge);
  // The routes planned with their whole gaps: each batch's edges are
  // checked against the cells as they were before any of them, then
  // recorded together, so that a stretch they share may cross lines
  // already there and still be shared.
  void route_planned();
  // Where each long forward edge crosses the bands between its ends,
  // along its guide.
  std::vector<std::vector<std::uint64_t>> band_crossings() const;
  bool try_loop(std::size_t edge);
  // Closes a loop's cells to every other line.
  void close_loop(std::size_t edge);
  // Keeps room for a loop's label beside it, so that routes planned after
  // it do not box it in; the room is freed for the labels once every
  // route is planned.
  void keep_label_room(std::size_t edge);
  void free_label_room();
  bool try_flat(std::size_t edge);

  // --- Long forward edges along dot's way (guided_routes.cc) ---
  // Where the edge's guide crosses `along`, across the ranks.
  std::optional<std::uint64_t> guide_across(std::size_t edge, std::uint64_t along) const;
  bool try_guided(std::size_t edge);
  bool try_guided_between(std::size_t edge, GridPoint tail_port, GridPoint head_port);

  // --- Searches (searched_routes.cc) ---
  EndPlace end_place(std::size_t edge, bool head_end) const;
  CellRect search_window(std::size_t edge, std::uint64_t margin) const;
  bool whole_canvas(std::size_t edge, std::uint64_t margin) const;
  // One search for `edge`, charged to the plan's budget.
  SearchOutcome search(std::size_t edge, std::span<const RoutePort> from,
                       std::span<const RoutePort> to, CellRect window, std::size_t limit,
                       bool first_found = false, std::size_t then_any = 0,
                       std::uint32_t over_lines = 0);
  bool try_search(std::size_t edge);
  std::optional<EdgeRoute> any_route(std::size_t edge, std::span<const RoutePort> from,
                                     std::span<const RoutePort> to, std::size_t limit);
  // The last resort: the first route found from any port to any port, in
  // windows growing to the whole canvas, until a search from either end
  // finds every cell it can reach or the plan's last-resort budget is
  // spent.
  bool try_anywhere(std::size_t edge);
  std::optional<EdgeRoute> first_route_anywhere(std::size_t edge, std::span<const RoutePort> from,
                                                std::span<const RoutePort> to);
  // A search for `edge` from the tail's ports `from` to the head's `to`,
  // or `backwards` from the head's into the tail's, with no limits yet.
  SearchRequest request_for(std::size_t edge, std::span<const RoutePort> from,
                            std::span<const RoutePort> to, bool backwards) const;
  // The first route found by a search backwards, out of the head's ports
  // `to` into the tail's `from`, over the whole canvas, turned round.
  // When it runs out of states before `limit`, no route joins them: lines
  // wall one end off.
  SearchOutcome search_back(std::size_t edge, std::span<const RoutePort> from,
                            std::span<const RoutePort> to, std::size_t limit);
  // A route found back from the head, turned to run from the tail.
  void turn_round(std::size_t edge, EdgeRoute& route) const;
  bool arrow_from_far_side(std::size_t edge, const EdgeRoute& route) const;
  // What keeps a route from the rules, worst last: nothing, a forward edge
  // off a facing side, an arrowhead from the far side, no route.
  int flaws(std::size_t edge, const EdgeRoute& route) const;

  // --- Making way (make_way.cc) ---
  bool make_way(std::size_t edge, std::span<const RoutePort> from, std::span<const RoutePort> to);
  std::vector<std::size_t> routes_through(std::vector<GridPoint> points) const;

  const RouteScene& scene_;
  const PlannerLimits& limits_;
  PlanCells cells_;
  RoutePlan plan_;
  SearchScratch scratch_;
  // The search's memory for the way back from the head.
  SearchScratch back_scratch_;
  Toward forward_;
  std::vector<RouteGroups> groups_;
  // The groups an edge walled in at a crowded box takes instead.
  std::vector<RouteGroups> crowded_groups_;
  std::vector<RouteGroups> walled_groups_;
  // Forward edges per head group: they merge right before their head.
  std::vector<std::uint32_t> forward_in_;
  // Forward edges per tail group: they fan out right after their tail.
  std::vector<std::uint32_t> forward_out_;
  // Loops already drawn round each corner of a node's box.
  std::unordered_map<std::size_t, std::array<std::uint64_t, 4>> loops_;
  // States the careful searches may still visit (see `PlannerLimits`).
  std::uint64_t budget_ = 0;
  // Cells the simple and guided shapes' fitting may look at in all (see
  // `PlannerLimits::fitting_budget_factor`); past it, they are not tried.
  std::uint64_t fitting_budget_ = 0;
  bool fitting_spent() const { return cells_.cells_looked_at() > fitting_budget_; }
  // States the last resort's searches may still visit; past it, edges
  // that no careful search drew are left out (and counted).
  std::uint64_t last_resort_budget_ = 0;
  bool making_way_ = false;
  // The last resort is searching: crossings need not keep clear.
  bool last_resort_ = false;
  // The last resort may turn right at the ports.
  bool turn_at_ports_ = false;
  // The last search of an edge into its facing ports found them walled in.
  bool facing_walled_ = false;
  // Reused between edges, so that trying candidates allocates nothing.
  std::vector<SimpleRoute> candidates_;
  EdgeRoute scratch_route_;
  std::vector<Band> bands_;
  std::vector<std::optional<GapRoute>> planned_;
  double planned_stretch_ = 1;
  bool dense_ = false;
  std::vector<GridPoint> guided_points_;
  std::vector<CellRect> label_room_;
};

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_EDGE_PLANNER_H_
