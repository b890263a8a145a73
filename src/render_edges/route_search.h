// Finding one edge's route over the cells the planner has left free.
//
// A route leaves one of the tail's port cells away from the box and enters
// one of the head's port cells towards it. In between it may run over empty
// cells, cross a straight line of another edge at right angles, or run
// along the lines of edges it shares its tail or its head with. The search
// is A* over (cell, direction) in a window of the canvas, with costs for
// length, bends and crossings, so that routes come out short, with few
// bends, and prefer joining their siblings to crossing strangers. The
// planner seeks the cheapest route from both ends at once, so that an end
// in a pocket of lines is left rather than combed for.
#ifndef VANTRI_RENDER_EDGES_ROUTE_SEARCH_H_
#define VANTRI_RENDER_EDGES_ROUTE_SEARCH_H_

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "graphviz/stop_check.h"
#include "grid/cell_rect.h"
#include "render_edges/plan_cells.h"
#include "render_edges/planner_limits.h"
#include "render_edges/route_cells.h"
#include "render_edges/route_plan.h"
#include "render_edges/search_queue.h"

namespace vantri {

/// A cell beside a box where a route may begin or end; `into` points from
/// it into the box. `cost` makes some ports less attractive than others.
struct RoutePort {
  GridPoint cell;
  Toward into = Toward::Down;
  std::uint32_t cost = 0;
};

/// What one search looks for.
struct SearchRequest {
  std::span<const RoutePort> from;
  std::span<const RoutePort> to;
  RouteGroups groups;
  /// Which ends carry an arrowhead.
  bool arrow_at_start = false;
  bool arrow_at_end = false;
  /// The part of the canvas searched; ports outside it are ignored.
  CellRect window;
  /// Give up after visiting this many states (0: no limit).
  std::size_t visit_limit = 0;
  /// Settle for the first route found rather than the cheapest.
  bool first_found = false;
  /// When the visit limit comes before any route is found, settle for the
  /// first route found from there on and go on up to this many states in
  /// all, rather than stop (0: stop). The states visited so far are the
  /// ones a search settling for any route would visit first.
  std::size_t then_any_limit = 0;
  /// What a step over lines that the route may neither cross nor share
  /// costs, when the routes they belong to are to make way for it; 0: such
  /// lines block.
  std::uint32_t over_lines = 0;
  /// The search runs backwards: `from` holds the head's ports and `to` the
  /// tail's, and each port is judged as the end it is (`arrow_at_start`
  /// is then the head's arrowhead).
  bool reversed = false;
  /// Keep its crossings clear: a crossing beside an arrowhead or a
  /// junction, where it would read as one, costs `PlannerLimits::touching`
  /// more. The last resort lets this go.
  bool clear_crossings = true;
  /// A route may turn right at its ports rather than leave and enter its
  /// boxes straight: the last resort's way out of a box whose sides face
  /// other boxes one row away.
  bool turn_at_ports = false;
  /// Cross no line: a loop's cells touch no other line, or it would read
  /// as joining them.
  bool no_crossings = false;
  /// Head for the target greedily (`PlannerLimits::greedy_last_resort`):
  /// the last resort takes the first route found.
  bool greedy = false;
  /// When this says so, the search ends as if it had found no more.
  StopCheck* stop = nullptr;
};

/// How one search ended.
struct SearchOutcome {
  /// The route found, with its arrow ends set; nothing when none was.
  std::optional<EdgeRoute> route;
  /// Its cost, the ports' costs included.
  std::uint32_t cost = 0;
  /// States visited.
  std::size_t visited = 0;
  /// Every target, or every start, is walled in by lines within the
  /// window: no wider window holds a route either.
  bool walled = false;
  /// The search went on past its visit limit, settling for any route.
  bool went_on = false;
  /// It stopped on its visit limit.
  bool stopped = false;
};

/// Working memory reused from one search to the next. A search touches
/// only the cells it reaches, so that a large window costs no more to set
/// up than a small one: each cell's state counts only when it was written
/// by the current search (its `search` number). The cells come zeroed from
/// the system and are never cleared in full, so that the pages of a large
/// window that a search never reaches are never touched either.
class SearchScratch {
 public:
  struct Cell {
    std::uint32_t search;
    /// 1 + the index of the target port on this cell, or 0.
    std::uint32_t target;
    /// Per direction of arrival: the cheapest cost found, and the
    /// direction the route arrived in at the cell it came from (4 for none:
    /// the route starts here).
    std::uint32_t cost[4];
    std::uint8_t came_from[4];
    /// What the route may do here, worked out on first sight.
    std::uint8_t mode;
    /// A start port lies here.
    bool start;
  };

  /// Makes room for `cells` cells, all of them unvisited; false when the
  /// memory cannot be had.
  bool begin(std::size_t cells);
  Cell& cell(std::size_t i) { return cells_[i]; }
  std::uint32_t search() const { return search_; }
  SearchQueue& queue() { return queue_; }

 private:
  // Pages mapped from the system, zeroed by it as they are first touched:
  // a window of millions of cells that a search crosses in a few hundred
  // costs only the pages it touches.
  struct Unmap {
    std::size_t bytes;
    void operator()(Cell* cells) const;
  };
  std::unique_ptr<Cell[], Unmap> cells_;
  std::size_t capacity_ = 0;
  // The number of the current search; 0 never is one.
  std::uint32_t search_ = 0;
  SearchQueue queue_;
};

/// The cheapest route the request allows (or the first found, as it asks),
/// with costs from `limits`.
SearchOutcome search_route(const PlanCells& cells, const SearchRequest& request,
                           const PlannerLimits& limits, SearchScratch& scratch);

/// How a search from both ends ended: the outcome of the one that
/// decided, and whether that was the one going backwards (its route then
/// runs from the head's ports to the tail's).
struct BothWaysOutcome {
  SearchOutcome outcome;
  bool backward = false;
};

/// The same search from both ends at once, a few states at a time:
/// `forward` from one end's ports, `backward` (the request reversed) from
/// the other's, in the same window. Where one end lies in a pocket of
/// lines (a box whose side is crowded with arrowheads), a search towards
/// it combs everything round the pocket before it finds the way in, while
/// one out of it finds the way out in a few steps. The search that has
/// come further goes on (`PlannerLimits::back_search_lead`), and the first
/// to end answers, at little more than the cheaper of the two costs. Both
/// count in `visited`.
BothWaysOutcome search_both_ways(const PlanCells& cells, const SearchRequest& forward,
                                 const SearchRequest& backward, const PlannerLimits& limits,
                                 SearchScratch& forward_scratch, SearchScratch& backward_scratch);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_ROUTE_SEARCH_H_
