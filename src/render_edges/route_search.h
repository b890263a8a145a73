// Finding one edge's route over the cells the planner has left free.
//
// A route leaves one of the tail's port cells away from the box and enters
// one of the head's port cells towards it. In between it may run over empty
// cells, cross a straight line of another edge at right angles, or run
// along the lines of edges it shares its tail or its head with. The search
// is A* over (cell, direction) in a window of the canvas, with costs for
// length, bends and crossings, so that routes come out short, with few
// bends, and prefer joining their siblings to crossing strangers.
#ifndef VANTRI_RENDER_EDGES_ROUTE_SEARCH_H_
#define VANTRI_RENDER_EDGES_ROUTE_SEARCH_H_

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "graphviz/stop_check.h"
#include "render_edges/plan_cells.h"
#include "render_edges/route_plan.h"

namespace vantri {

/// A cell beside a box where a route may begin or end; `into` points from
/// it into the box. `cost` makes some ports less attractive than others.
struct RoutePort {
  GridPoint cell;
  Toward into = Toward::Down;
  std::uint32_t cost = 0;
};

/// The tail and head groups of the edge being routed (see `PlanCells`).
struct RouteGroups {
  std::uint32_t tail = 0;
  std::uint32_t head = 0;
};

/// Which ends of the edge being routed carry an arrowhead.
struct RouteArrows {
  bool at_start = false;
  bool at_end = false;
};

/// Part of the canvas, bounds inclusive.
struct SearchWindow {
  std::uint64_t top = 0;
  std::uint64_t bottom = 0;
  std::uint64_t left = 0;
  std::uint64_t right = 0;
};

/// Working memory reused from one search to the next. A search touches
/// only the cells it reaches, so that a large window costs no more to set
/// up than a small one: each cell's state counts only when it was written
/// by the current search (its `search` number). The cells come zeroed from
/// the system and are never cleared in full, so that the pages of a large
/// window that a search never reaches are never touched either.
struct SearchBuffers {
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
  struct Free {
    void operator()(Cell* cells) const { std::free(cells); }
  };
  /// Per cell of the window, row by row; `capacity` of them.
  std::unique_ptr<Cell[], Free> cells;
  std::size_t capacity = 0;
  /// The number of the current search; 0 never is one.
  std::uint32_t search = 0;
  /// Give up after visiting this many states (0: no limit).
  std::size_t visit_limit = 0;
  /// States the last search visited.
  std::size_t visited = 0;
  /// The last search found every target, or every start, walled in by
  /// lines within its window: no wider window holds a route either.
  bool walled = false;
  /// Settle for the first route found rather than the cheapest.
  bool first_found = false;
  /// When the visit limit comes before any route is found, settle for the
  /// first route found from there on and go on up to this many states in
  /// all, rather than stop (0: stop). The states visited so far are the
  /// ones a search settling for any route would visit first.
  std::size_t then_any_limit = 0;
  /// The last search went on past its visit limit, settling for any route.
  bool went_on = false;
  /// What a step over lines that the route may neither cross nor share
  /// costs, when the routes they belong to are to make way for it; 0: such
  /// lines block.
  std::uint32_t over_lines = 0;
  /// When this says so, the search ends as if it had found no more.
  StopCheck* stop = nullptr;
  /// A state waiting to be visited: estimated total, cost so far, state.
  struct Entry {
    std::uint32_t f, g, state;
    bool operator>(const Entry& o) const { return f > o.f; }
  };
  std::vector<Entry> entries;
};

/// Whether a route of `groups` may start (`start`) or end on `cell`; with
/// `arrow`, an arrowhead goes there, which no other line may pass under.
bool port_usable(const PlanCells& cells, GridPoint cell, RouteGroups groups, bool start,
                 bool arrow);

/// The cheapest route from one of `from` to one of `to` within `window`,
/// or nothing. Ports outside the window are ignored.
std::optional<EdgeRoute> search_route(const PlanCells& cells, std::span<const RoutePort> from,
                                      std::span<const RoutePort> to, RouteGroups groups,
                                      RouteArrows arrows, SearchWindow window,
                                      SearchBuffers& buffers,
                                      std::uint32_t* cost = nullptr);

/// Whether `route` may be drawn over what `cells` holds.
bool route_fits(const PlanCells& cells, const EdgeRoute& route, RouteGroups groups);

/// Records `route` and its arrowheads in `cells`.
void commit_route(PlanCells& cells, const EdgeRoute& route, RouteGroups groups);

/// Takes the routes `removed` (indices into `routes`, all recorded in
/// `cells` like every other non-empty one of `routes`, with `groups[i]` for
/// route i) back out: the cells they pass hold again only what the other
/// routes and everything else put there.
void uncommit_routes(PlanCells& cells, std::span<const EdgeRoute> routes,
                     std::span<const RouteGroups> groups, std::span<const std::size_t> removed);

/// The cells where `route` may not be drawn over what `cells` holds.
std::vector<GridPoint> route_conflicts(const PlanCells& cells, const EdgeRoute& route,
                                       RouteGroups groups);

/// Calls visit(cell, usage bits) for every cell of `route`, start to end,
/// where the usage is `PlanCell::kAcross`, `kAlong` or `kBent`, until a
/// call returns false; returns whether every call returned true.
template <class Visit>
bool for_each_route_cell(const EdgeRoute& route, Visit visit) {
  const auto& pts = route.points;
  if (pts.empty()) return true;
  if (!visit(pts[0], PlanCell::kBent)) return false;
  for (std::size_t s = 0; s + 1 < pts.size(); ++s) {
    GridPoint p = pts[s];
    const GridPoint q = pts[s + 1];
    const bool across = p.row == q.row;
    while (p != q) {
      if (across) {
        p.col = q.col > p.col ? p.col + 1 : p.col - 1;
      } else {
        p.row = q.row > p.row ? p.row + 1 : p.row - 1;
      }
      const std::uint8_t usage =
          p == q ? PlanCell::kBent : (across ? PlanCell::kAcross : PlanCell::kAlong);
      if (!visit(p, usage)) return false;
    }
  }
  return true;
}

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_ROUTE_SEARCH_H_
