// The sharing rules, and checking and recording routes leg by leg.
#include "render_edges/route_cells.h"

#include <algorithm>
#include <array>
#include <optional>

namespace vantri {
namespace {

constexpr std::uint8_t kBlocks = PlanCell::kBox | PlanCell::kLabel | PlanCell::kArrow;

// The usage of the cells strictly inside a leg from p to q.
std::uint8_t leg_usage(GridPoint p, GridPoint q) {
  return p.row == q.row ? PlanCell::kAcross : PlanCell::kAlong;
}

// The arms of a line running straight through a cell as `usage` says;
// none for a bend, whose arms the route's corners tell.
std::uint8_t usage_arms(std::uint8_t usage) {
  if (usage == PlanCell::kAcross) return arm(Toward::Left) | arm(Toward::Right);
  if (usage == PlanCell::kAlong) return arm(Toward::Up) | arm(Toward::Down);
  return 0;
}

// The direction from `a` towards `b` on its row or column.
Toward toward(GridPoint a, GridPoint b) {
  if (b.row != a.row) return b.row < a.row ? Toward::Up : Toward::Down;
  return b.col < a.col ? Toward::Left : Toward::Right;
}

// Whether a route of `groups` may use every cell of a chunk summed up by
// `s` the way `usage` says.
bool chunk_usable(const ChunkSummary& s, std::uint8_t usage, RouteGroups groups) {
  if (s.any & kBlocks) return false;
  const std::uint8_t lines = s.any & PlanCell::kLines;
  if (lines == 0) return true;
  if ((s.one_tail && s.tail == groups.tail && groups.tail != 0) ||
      (s.one_head && s.head == groups.head && groups.head != 0)) {
    // Lines it shares, none of which could make a crossing of the cell:
    // otherwise the cells are judged one by one.
    return arm_count(s.arms | usage_arms(usage)) < 4;
  }
  // Straight across straight lines, none of which it could share: where
  // some cell might hold lines it shares, the cells are judged one by one.
  const bool shares_none = (groups.tail == 0 || (s.one_tail && s.tail != groups.tail)) &&
                           (groups.head == 0 || (s.one_head && s.head != groups.head));
  return shares_none && ((usage == PlanCell::kAcross && lines == PlanCell::kAlong) ||
                         (usage == PlanCell::kAlong && lines == PlanCell::kAcross));
}

// Whether a route of `groups` may pass every cell strictly between `p`
// and `q` straight.
bool inner_fits(const PlanCells& cells, GridPoint p, GridPoint q, RouteGroups groups) {
  const std::uint8_t usage = leg_usage(p, q);
  return cells.all_between(
      p, q, [&](const ChunkSummary& sum) { return chunk_usable(sum, usage, groups); },
      [&](const PlanCell& c) { return cell_use(c, usage, groups) != CellUse::Blocked; });
}

// Adds a line of `groups` used the way `usage` says to a cell. The groups
// a cell ends up with do not depend on the order its lines come in.
void add_line(PlanCell& c, std::uint8_t usage, RouteGroups groups, std::uint8_t arms) {
  if ((c.what & (PlanCell::kLines | PlanCell::kArrow)) == 0) {
    c.tail_group = groups.tail;
    c.head_group = groups.head;
  } else {
    if (c.tail_group != groups.tail) c.tail_group = PlanCell::kMixed;
    if (c.head_group != groups.head) c.head_group = PlanCell::kMixed;
  }
  c.what |= usage;
  c.arms |= arms;
}

// Whether adding a line of `groups` used as `usage` to every cell of a
// chunk summed up by `s` leaves each cell as it is.
bool adding_changes_nothing(const ChunkSummary& s, std::uint8_t usage, RouteGroups groups) {
  // A cell with the usage has its arms already: they come with it.
  return (s.all & usage) && s.one_tail && s.one_head &&
         (s.tail == groups.tail || s.tail == PlanCell::kMixed) &&
         (s.head == groups.head || s.head == PlanCell::kMixed);
}

// Calls leg(p, q) for every leg of the route with its ends clipped to the
// canvas (cells past it are nobody's), skipping legs that lie off it.
// The ends handed on may lie one cell past the canvas: only the cells
// strictly between them count.
template <class Leg>
void clipped_legs(const PlanCells& cells, const EdgeRoute& route, Leg leg) {
  const auto& pts = route.points;
  for (std::size_t s = 0; s + 1 < pts.size(); ++s) {
    GridPoint p = pts[s], q = pts[s + 1];
    if (p == q) continue;
    if (p.row == q.row) {
      if (p.row >= cells.height()) continue;
      if (p.col > q.col) std::swap(p, q);
      if (p.col >= cells.width()) continue;
      q.col = std::min(q.col, cells.width());
    } else if (p.col == q.col) {
      if (p.col >= cells.width()) continue;
      if (p.row > q.row) std::swap(p, q);
      if (p.row >= cells.height()) continue;
      q.row = std::min(q.row, cells.height());
    } else {
      continue;
    }
    leg(p, q);
  }
}

}  // namespace

std::optional<GridPoint> cell_beside(const PlanCells& cells, GridPoint p, Toward d) {
  switch (d) {
    case Toward::Up: if (p.row == 0) return std::nullopt; --p.row; break;
    case Toward::Down: ++p.row; break;
    case Toward::Left: if (p.col == 0) return std::nullopt; --p.col; break;
    case Toward::Right: ++p.col; break;
  }
  if (!cells.contains(p.row, p.col)) return std::nullopt;
  return p;
}

std::uint8_t corner_arms(const EdgeRoute& route, std::size_t k) {
  const auto& pts = route.points;
  if (pts.empty() || k >= pts.size()) return 0;
  // The neighbouring corners that differ from this one.
  std::size_t before = k, after = k;
  while (before > 0 && pts[before] == pts[k]) --before;
  while (after + 1 < pts.size() && pts[after] == pts[k]) ++after;
  std::uint8_t arms = 0;
  if (pts[before] != pts[k]) {
    arms |= arm(toward(pts[k], pts[before]));
  } else {
    arms |= arm(route.start_into);
  }
  if (pts[after] != pts[k]) {
    arms |= arm(toward(pts[k], pts[after]));
  } else {
    arms |= arm(route.end_into);
  }
  return arms;
}

CellUse cell_use(const PlanCell& cell, std::uint8_t usage, RouteGroups groups, std::uint8_t arms) {
  if (cell.what & kBlocks) return CellUse::Blocked;
  const std::uint8_t lines = cell.what & PlanCell::kLines;
  if (lines == 0) return CellUse::Free;
  if (shares(cell, groups)) {
    if (arms_fit(cell, arms | usage_arms(usage))) return CellUse::Shared;
    // Straight across a straight line of its own network: a crossing,
    // which reads as two lines going on, not as a junction.
    if ((lines == PlanCell::kAlong && usage == PlanCell::kAcross) ||
        (lines == PlanCell::kAcross && usage == PlanCell::kAlong)) {
      return CellUse::Crossing;
    }
    return CellUse::Blocked;
  }
  if ((lines == PlanCell::kAlong && usage == PlanCell::kAcross) ||
      (lines == PlanCell::kAcross && usage == PlanCell::kAlong)) {
    return CellUse::Crossing;
  }
  return CellUse::Blocked;
}

bool port_usable(const PlanCells& cells, GridPoint cell, RouteGroups groups, bool start,
                 bool arrow) {
  if (!cells.contains(cell.row, cell.col)) return false;
  const PlanCell c = cells.at(cell.row, cell.col);
  if (c.what & (PlanCell::kBox | PlanCell::kLabel)) return false;
  if (c.what & PlanCell::kArrow) {
    // Only an end of the same kind joins an arrowhead: a fan-in merge on
    // its head, a fan-out on a tail arrowhead.
    return start ? c.tail_group == groups.tail && groups.tail != 0
                 : c.head_group == groups.head && groups.head != 0;
  }
  if ((c.what & PlanCell::kLines) == 0) return true;
  // An arrowhead would hide the lines already there.
  return !arrow && shares(c, groups);
}

bool route_fits(const PlanCells& cells, const EdgeRoute& route, RouteGroups groups) {
  const std::vector<GridPoint>& points = route.points;
  if (points.empty()) return false;
  // The grid is a rectangle, so a route lies in it when its corners do; a
  // route with a slanted leg never fits.
  for (std::size_t s = 0; s < points.size(); ++s) {
    const GridPoint p = points[s];
    if (!cells.contains(p.row, p.col)) return false;
    if (s > 0 && p.row != points[s - 1].row && p.col != points[s - 1].col) return false;
  }
  const GridPoint first = points.front();
  const GridPoint last = points.back();
  const auto corner_fits = [&](std::size_t k) {
    const GridPoint p = points[k];
    const PlanCell c = cells.at(p.row, p.col);
    const std::uint8_t arms = corner_arms(route, k);
    if (p == first) return port_usable(cells, p, groups, true, route.arrow_at_start) && arms_fit(c, arms);
    if (p == last) return port_usable(cells, p, groups, false, route.arrow_at_end) && arms_fit(c, arms);
    return cell_use(c, PlanCell::kBent, groups, arms) != CellUse::Blocked;
  };
  if (!corner_fits(0) || !corner_fits(points.size() - 1)) return false;
  for (std::size_t s = 0; s + 1 < points.size(); ++s) {
    const GridPoint p = points[s];
    const GridPoint q = points[s + 1];
    if (p == q) continue;
    if (s + 1 < points.size() - 1 && !corner_fits(s + 1)) return false;
    if (!inner_fits(cells, p, q, groups)) return false;
  }
  return true;
}

bool legs_fit(const PlanCells& cells, std::span<const GridPoint> points, RouteGroups groups) {
  for (std::size_t s = 0; s + 1 < points.size(); ++s) {
    const GridPoint p = points[s];
    const GridPoint q = points[s + 1];
    if (!cells.contains(q.row, q.col)) return false;
    if (p.row != q.row && p.col != q.col) return false;
    if (p == q) continue;
    if (s + 2 < points.size()) {
      const GridPoint next = points[s + 2];
      const std::uint8_t arms =
          next == q ? 0 : static_cast<std::uint8_t>(arm(toward(q, p)) | arm(toward(q, next)));
      if (cell_use(cells.at(q.row, q.col), PlanCell::kBent, groups, arms) == CellUse::Blocked) {
        return false;
      }
    }
    if (!inner_fits(cells, p, q, groups)) return false;
  }
  return true;
}

bool crossings_clear(const PlanCells& cells, const EdgeRoute& route, RouteGroups groups) {
  const auto& pts = route.points;
  if (pts.empty()) return true;
  // What a cell of the route is: a crossing or a meeting (an arrowhead or
  // a junction), new with this route or there before it, or neither.
  enum class Kind : std::uint8_t { Plain, Crossing, OldCrossing, Meeting, OldMeeting };
  const auto crossing = [](Kind k) { return k == Kind::Crossing || k == Kind::OldCrossing; };
  const auto meeting = [](Kind k) { return k == Kind::Meeting || k == Kind::OldMeeting; };
  const auto fresh = [](Kind k) { return k == Kind::Crossing || k == Kind::Meeting; };
  const auto kind_of = [&](const PlanCell& c, std::uint8_t arms, bool end) {
    if ((c.what & PlanCell::kLines) == 0) return end ? Kind::Meeting : Kind::Plain;
    const std::uint8_t after = c.arms | arms;
    const bool changed = after != c.arms;
    if (!shares(c, groups) || arm_count(after) == 4) {
      if (end) return Kind::Meeting;
      return changed ? Kind::Crossing : Kind::OldCrossing;
    }
    if (end) return Kind::Meeting;
    if (arm_count(after) >= 3) return changed ? Kind::Meeting : Kind::OldMeeting;
    return Kind::Plain;
  };
  const auto beside = [&](GridPoint p, Toward d) -> std::optional<PlanCell> {
    const std::optional<GridPoint> n = cell_beside(cells, p, d);
    if (!n) return std::nullopt;
    return cells.at(n->row, n->col);
  };
  // A new crossing may have no arrowhead or junction beside it on the
  // crossed line; a new meeting no crossing beside it at all.
  const auto clear_around = [&](GridPoint p, Kind kind, std::uint8_t arms) {
    if (kind == Kind::Crossing) {
      const bool across = arms & arm(Toward::Left);
      for (const Toward d : across ? std::array{Toward::Up, Toward::Down}
                                   : std::array{Toward::Left, Toward::Right}) {
        const std::optional<PlanCell> n = beside(p, d);
        if (n && ((n->what & PlanCell::kArrow) || arm_count(n->arms) == 3)) return false;
      }
    } else if (kind == Kind::Meeting) {
      for (const Toward d : {Toward::Up, Toward::Down, Toward::Left, Toward::Right}) {
        const std::optional<PlanCell> n = beside(p, d);
        if (n && arm_count(n->arms) == 4) return false;
      }
    }
    return true;
  };
  const auto clash = [&](Kind a, Kind b) {
    return ((crossing(a) && meeting(b)) || (meeting(a) && crossing(b))) && (fresh(a) || fresh(b));
  };
  // The corners, then the cells of each leg between them.
  const auto corner = [&](std::size_t k) {
    const GridPoint p = pts[k];
    if (!cells.contains(p.row, p.col)) return Kind::Plain;
    const bool end = (k == 0 && route.arrow_at_start) || (k + 1 == pts.size() && route.arrow_at_end);
    return kind_of(cells.at(p.row, p.col), corner_arms(route, k), end);
  };
  for (std::size_t k = 0; k < pts.size(); ++k) {
    if (cells.contains(pts[k].row, pts[k].col) &&
        !clear_around(pts[k], corner(k), corner_arms(route, k))) {
      return false;
    }
  }
  for (std::size_t s = 0; s + 1 < pts.size(); ++s) {
    const GridPoint p = pts[s], q = pts[s + 1];
    if (p == q) continue;
    const std::uint8_t usage = leg_usage(p, q);
    const std::uint8_t arms = usage_arms(usage);
    // The cells come from the lower end of the leg to the higher.
    const bool rising = p.row == q.row ? p.col < q.col : p.row < q.row;
    Kind before = rising ? corner(s) : corner(s + 1);
    const bool clear = cells.all_between_at(
        p, q,
        [&](const ChunkSummary& sum) {
          // Nothing there, or only lines of its own network that already
          // run this way: nothing new meets or crosses.
          const bool own = (sum.one_tail && sum.tail == groups.tail && groups.tail != 0) ||
                           (sum.one_head && sum.head == groups.head && groups.head != 0);
          if ((sum.any & PlanCell::kLines) != 0 &&
              !((sum.all & usage) && own && !(sum.any & PlanCell::kArrow))) {
            return false;
          }
          before = Kind::Plain;
          return true;
        },
        [&](GridPoint at, const PlanCell& c) {
          const Kind kind = kind_of(c, arms, false);
          if (clash(before, kind) || !clear_around(at, kind, arms)) return false;
          before = kind;
          return true;
        });
    if (!clear || clash(before, rising ? corner(s + 1) : corner(s))) return false;
  }
  return true;
}

bool route_near_other_box(const PlanCells& cells, const EdgeRoute& route, CellRect exempt_a,
                          CellRect exempt_b) {
  const auto near_other = [&](GridPoint p) {
    return cells.contains(p.row, p.col) &&
           (cells.at(p.row, p.col).what & PlanCell::kNearBox) && !exempt_a.contains(p) &&
           !exempt_b.contains(p);
  };
  const auto& pts = route.points;
  for (const GridPoint& p : pts) {
    if (near_other(p)) return true;
  }
  bool near = false;
  clipped_legs(cells, route, [&](GridPoint p, GridPoint q) {
    if (near) return;
    // Chunks with no cell beside a box pass at once; in the others, the
    // cells beside a box count unless they lie round the route's own boxes.
    const bool clear = cells.all_between(
        p, q, [](const ChunkSummary& s) { return (s.any & PlanCell::kNearBox) == 0; },
        [](const PlanCell& c) { return (c.what & PlanCell::kNearBox) == 0; });
    if (clear) return;
    for_each_route_cell(EdgeRoute{{p, q}}, [&](GridPoint c, std::uint8_t) {
      if (c != p && c != q && near_other(c)) near = true;
      return !near;
    });
  });
  return near;
}

void commit_route(PlanCells& cells, const EdgeRoute& route, RouteGroups groups) {
  const std::vector<GridPoint>& points = route.points;
  if (points.empty()) return;
  const auto add = [&](GridPoint p, std::uint8_t usage, std::uint8_t arms) {
    if (cells.contains(p.row, p.col)) {
      cells.update(p.row, p.col, [&](PlanCell& c) { add_line(c, usage, groups, arms); });
    }
  };
  // A cell's lines do not depend on the order they come in: the corners
  // first, then the cells between them a chunk at a time.
  for (std::size_t k = 0; k < points.size(); ++k) add(points[k], PlanCell::kBent, corner_arms(route, k));
  clipped_legs(cells, route, [&](GridPoint p, GridPoint q) {
    const std::uint8_t usage = leg_usage(p, q);
    cells.update_between(
        p, q, [&](const ChunkSummary& s) { return adding_changes_nothing(s, usage, groups); },
        [&](PlanCell& c) { add_line(c, usage, groups, usage_arms(usage)); });
  });
  const GridPoint first = points.front();
  const GridPoint last = points.back();
  const auto arrow = [&](GridPoint p) {
    if (cells.contains(p.row, p.col)) {
      cells.update(p.row, p.col, [](PlanCell& c) { c.what |= PlanCell::kArrow; });
    }
  };
  if (route.arrow_at_end) arrow(last);
  if (route.arrow_at_start) arrow(first);
}

void uncommit_routes(PlanCells& cells, std::span<const EdgeRoute> routes,
                     std::span<const RouteGroups> groups, std::span<const std::size_t> removed) {
  const auto key = [&](GridPoint p) { return p.row * cells.width() + p.col; };
  // The cells the removed routes pass, and the rectangle around them.
  std::vector<std::uint64_t> gone;
  std::vector<GridPoint> corners;
  for (const std::size_t r : removed) {
    for_each_route_cell(routes[r], [&](GridPoint p, std::uint8_t) {
      if (cells.contains(p.row, p.col)) gone.push_back(key(p));
      return true;
    });
    corners.insert(corners.end(), routes[r].points.begin(), routes[r].points.end());
  }
  if (gone.empty()) return;
  const CellRect around = bounding_box(corners);
  std::sort(gone.begin(), gone.end());
  gone.erase(std::unique(gone.begin(), gone.end()), gone.end());
  const auto is_gone = [&](GridPoint p) {
    return cells.contains(p.row, p.col) && std::binary_search(gone.begin(), gone.end(), key(p));
  };
  // Those cells keep only what no route put there, then take the lines and
  // arrowheads of every other route again.
  constexpr std::uint8_t kRouteMarks = PlanCell::kLines | PlanCell::kArrow;
  for (const std::uint64_t k : gone) {
    cells.update(k / cells.width(), k % cells.width(), [](PlanCell& c) {
      c.what &= static_cast<std::uint8_t>(~kRouteMarks);
      c.arms = 0;
      c.tail_group = 0;
      c.head_group = 0;
    });
  }
  std::vector<bool> skip(routes.size(), false);
  for (const std::size_t r : removed) skip[r] = true;
  for (std::size_t r = 0; r < routes.size(); ++r) {
    const EdgeRoute& route = routes[r];
    if (skip[r] || route.points.empty() || !bounding_box(route.points).overlaps(around)) continue;
    for_each_route_arm(route, [&](GridPoint p, std::uint8_t usage, std::uint8_t arms) {
      if (is_gone(p)) {
        cells.update(p.row, p.col, [&](PlanCell& c) { add_line(c, usage, groups[r], arms); });
      }
    });
    const auto arrow = [&](GridPoint p) {
      if (is_gone(p)) cells.update(p.row, p.col, [](PlanCell& c) { c.what |= PlanCell::kArrow; });
    };
    if (route.arrow_at_end) arrow(route.points.back());
    if (route.arrow_at_start) arrow(route.points.front());
  }
}

std::vector<GridPoint> route_conflicts(const PlanCells& cells, const EdgeRoute& route,
                                       RouteGroups groups) {
  std::vector<GridPoint> out;
  if (route.points.empty()) return out;
  const GridPoint first = route.points.front();
  const GridPoint last = route.points.back();
  for_each_route_arm(route, [&](GridPoint p, std::uint8_t usage, std::uint8_t arms) {
    if (!cells.contains(p.row, p.col)) return;
    const PlanCell c = cells.at(p.row, p.col);
    bool fits;
    // Corners at either end's cell are judged as ports, as in
    // `route_fits`; the cells a leg passes, as cells of the way.
    if (usage == PlanCell::kBent && p == first) {
      fits = port_usable(cells, p, groups, true, route.arrow_at_start) && arms_fit(c, arms);
    } else if (usage == PlanCell::kBent && p == last) {
      fits = port_usable(cells, p, groups, false, route.arrow_at_end) && arms_fit(c, arms);
    } else {
      fits = cell_use(c, usage, groups, usage == PlanCell::kBent ? arms : 0) != CellUse::Blocked;
    }
    if (!fits) out.push_back(p);
  });
  return out;
}

}  // namespace vantri
