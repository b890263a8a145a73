// Which routes may share cells, and recording routes on the planner's cells.
//
// Every decision about sharing is made here: a route may run over an empty
// cell; over a cell whose lines all leave the same tail (or enter the same
// head) as it does, with the same kind of end (a fan-out trunk, a fan-in
// merge); and straight across a straight line at right angles. Boxes,
// labels and other edges' arrowheads block it. Which ends count as the
// same is decided by the groups each edge's ends are given (see
// `end_groups.h`).
#ifndef VANTRI_RENDER_EDGES_ROUTE_CELLS_H_
#define VANTRI_RENDER_EDGES_ROUTE_CELLS_H_

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "render_edges/plan_cells.h"
#include "render_edges/route_plan.h"

namespace vantri {

/// The tail and head groups of an edge (see `PlanCells`): lines of edges
/// with the same tail group may share cells, and so may lines of edges with
/// the same head group.
struct RouteGroups {
  std::uint32_t tail = 0;
  std::uint32_t head = 0;
};

/// Whether a line of `groups` may share `cell` with the lines already there.
inline bool shares(const PlanCell& cell, RouteGroups groups) {
  return (cell.tail_group == groups.tail && groups.tail != 0) ||
         (cell.head_group == groups.head && groups.head != 0);
}

/// The bit of `PlanCell::arms` for a line leaving a cell towards `d`.
constexpr std::uint8_t arm(Toward d) {
  return static_cast<std::uint8_t>(1u << static_cast<unsigned>(d));
}

/// How many directions `arms` holds.
constexpr int arm_count(std::uint8_t arms) {
  return (arms & 1) + ((arms >> 1) & 1) + ((arms >> 2) & 1) + ((arms >> 3) & 1);
}

/// Whether a line leaving a cell as `mine` says may be added to its lines
/// (`cell.arms`): a cell of lines that meet, rather than cross, never takes
/// all four directions, which would read as a crossing.
constexpr bool arms_fit(const PlanCell& cell, std::uint8_t mine) {
  return (cell.what & PlanCell::kLines) == 0 || arm_count(cell.arms | mine) < 4;
}

/// The arms of the route's corner `k` (an index into its points): towards
/// the corners before and after it, and into the box at either end.
std::uint8_t corner_arms(const EdgeRoute& route, std::size_t k);

/// The cell one step from `p` towards `d`, when `cells` has it.
std::optional<GridPoint> cell_beside(const PlanCells& cells, GridPoint p, Toward d);

/// How a route may use a cell it passes.
enum class CellUse : std::uint8_t {
  /// Nothing there but perhaps the lines of its own end: free to use.
  Free,
  /// Lines it shares an end with.
  Shared,
  /// Lines it may only cross straight at right angles.
  Crossing,
  Blocked,
};

/// How a route of `groups` may use `cell` the way `usage` says
/// (`PlanCell::kAcross`, `kAlong` or `kBent`), leaving it as `arms` says
/// (for a bend; a straight usage has its own two).
CellUse cell_use(const PlanCell& cell, std::uint8_t usage, RouteGroups groups,
                 std::uint8_t arms = 0);

/// Whether a route of `groups` may start (`start`) or end on `cell`; with
/// `arrow`, an arrowhead goes there, which no other line may pass under.
bool port_usable(const PlanCells& cells, GridPoint cell, RouteGroups groups, bool start,
                 bool arrow);

/// Whether `route` may be drawn over what `cells` holds.
bool route_fits(const PlanCells& cells, const EdgeRoute& route, RouteGroups groups);

/// Whether the legs of a route in the making may be drawn: the cells
/// between `points[0]` and `points.back()`, the inner corners as bends;
/// neither end is judged (the first was, the last is a port or a cell the
/// route passes straight through).
bool legs_fit(const PlanCells& cells, std::span<const GridPoint> points, RouteGroups groups);

/// Whether `route`, which fits, keeps its crossings clear: none stands
/// beside an arrowhead or a junction (its own or one already there), where
/// it would read as one.
bool crossings_clear(const PlanCells& cells, const EdgeRoute& route, RouteGroups groups);

/// Whether a cell of `route` lies beside a box (`PlanCell::kNearBox`)
/// other than within `exempt_a` or `exempt_b`, the cells round its own
/// two boxes.
bool route_near_other_box(const PlanCells& cells, const EdgeRoute& route, CellRect exempt_a,
                          CellRect exempt_b);

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

/// Calls visit(cell, usage bits, arms) for every cell of `route`, start to
/// end, where the arms are the directions the route leaves the cell in.
template <class Visit>
void for_each_route_arm(const EdgeRoute& route, Visit visit) {
  const auto& pts = route.points;
  std::size_t corner = 0;
  for_each_route_cell(route, [&](GridPoint p, std::uint8_t usage) {
    if (usage == PlanCell::kBent) {
      while (corner + 1 < pts.size() && pts[corner] != p) ++corner;
      visit(p, usage, corner_arms(route, corner));
      ++corner;
    } else {
      visit(p, usage,
            usage == PlanCell::kAcross ? static_cast<std::uint8_t>(arm(Toward::Left) | arm(Toward::Right))
                                       : static_cast<std::uint8_t>(arm(Toward::Up) | arm(Toward::Down)));
    }
    return true;
  });
}
}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_ROUTE_CELLS_H_
