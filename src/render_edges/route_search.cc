// A* over the free cells of a window, and recording routes.
#include "render_edges/route_search.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <limits>
#include <unordered_map>

namespace vantri {
namespace {

constexpr std::uint32_t kStep = 10;
constexpr std::uint32_t kSharedStep = 6;
constexpr std::uint32_t kCross = 30;
constexpr std::uint32_t kBend = 25;
// A cell right beside a box: passable, but a route one cell further out
// is easier to tell from the box's border.
constexpr std::uint32_t kNearBox = 30;
// The estimate counts each remaining cell at more than a step costs, so
// the search heads for the goal and settles for a route a little longer
// than the shortest.
constexpr std::uint32_t kGreedyStep = 15;
constexpr std::uint32_t kUnreached = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint8_t kNowhere = 4;
// The largest window searched, in cells.
constexpr std::uint64_t kMaxWindowCells = (std::uint64_t{1} << 26) / 4;

bool shares(const PlanCell& cell, RouteGroups groups) {
  return (cell.tail_group == groups.tail && groups.tail != 0) ||
         (cell.head_group == groups.head && groups.head != 0);
}

// Whether the route may use `cell` the way `usage` says; `shared` and
// `crossing` tell how.
bool usable(const PlanCell& cell, std::uint8_t usage, RouteGroups groups, bool& shared,
            bool& crossing) {
  shared = false;
  crossing = false;
  if (cell.what & (PlanCell::kBox | PlanCell::kLabel | PlanCell::kArrow)) return false;
  const std::uint8_t lines = cell.what & PlanCell::kLines;
  if (lines == 0) return true;
  if (shares(cell, groups)) {
    shared = true;
    return true;
  }
  if ((lines == PlanCell::kAlong && usage == PlanCell::kAcross) ||
      (lines == PlanCell::kAcross && usage == PlanCell::kAlong)) {
    crossing = true;
    return true;
  }
  return false;
}

bool horizontal(Toward d) { return d == Toward::Left || d == Toward::Right; }

}  // namespace

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
  // Every cell of the route must fit, in whatever order they are checked.
  // The grid is a rectangle, so a route lies in it when its corners do;
  // a route with a slanted leg never fits.
  const std::vector<GridPoint>& points = route.points;
  if (points.empty()) return false;
  for (const GridPoint& p : points) {
    if (!cells.contains(p.row, p.col)) return false;
  }
  const GridPoint first = points.front();
  const GridPoint last = points.back();
  // Nothing that could stand in a route's way: every use of the cell fits.
  constexpr std::uint8_t kInTheWay =
      PlanCell::kBox | PlanCell::kLabel | PlanCell::kArrow | PlanCell::kLines;
  const auto fits = [&](GridPoint p, const PlanCell& c, std::uint8_t usage) {
    if ((c.what & kInTheWay) == 0) return true;
    if (p == first) return port_usable(cells, p, groups, true, route.arrow_at_start);
    if (p == last) return port_usable(cells, p, groups, false, route.arrow_at_end);
    bool shared = false, crossing = false;
    return usable(c, usage, groups, shared, crossing);
  };
  if (!fits(first, cells.at(first.row, first.col), PlanCell::kBent)) return false;
  for (std::size_t s = 0; s + 1 < points.size(); ++s) {
    const GridPoint p = points[s];
    const GridPoint q = points[s + 1];
    if (p == q) continue;
    if (p.row == q.row) {
      // The cells between the two ends, a chunk of the row at a time.
      const std::uint64_t row = p.row;
      const std::uint64_t end = std::max(p.col, q.col);
      for (std::uint64_t col = std::min(p.col, q.col) + 1; col < end;) {
        const std::uint64_t stop = std::min(end, PlanCells::chunk_end(col));
        if (const PlanCell* run = cells.run_at(row, col)) {
          for (std::uint64_t k = col; k < stop; ++k) {
            if (!fits({row, k}, run[k - col], PlanCell::kAcross)) return false;
          }
        }
        col = stop;
      }
    } else if (p.col == q.col) {
      const std::uint64_t end = std::max(p.row, q.row);
      for (std::uint64_t row = std::min(p.row, q.row) + 1; row < end; ++row) {
        if (!fits({row, p.col}, cells.at(row, p.col), PlanCell::kAlong)) return false;
      }
    } else {
      return false;
    }
    if (!fits(q, cells.at(q.row, q.col), PlanCell::kBent)) return false;
  }
  return true;
}

namespace {

// Adds a line of `groups` used the way `usage` says to a cell. The groups
// a cell ends up with do not depend on the order its lines come in.
void add_line(PlanCell& c, std::uint8_t usage, RouteGroups groups) {
  if ((c.what & (PlanCell::kLines | PlanCell::kArrow)) == 0) {
    c.tail_group = groups.tail;
    c.head_group = groups.head;
  } else {
    if (c.tail_group != groups.tail) c.tail_group = PlanCell::kMixed;
    if (c.head_group != groups.head) c.head_group = PlanCell::kMixed;
  }
  c.what |= usage;
}

}  // namespace

void commit_route(PlanCells& cells, const EdgeRoute& route, RouteGroups groups) {
  const std::vector<GridPoint>& points = route.points;
  const auto add = [&](GridPoint p, std::uint8_t usage) {
    if (cells.contains(p.row, p.col)) add_line(cells.edit(p.row, p.col), usage, groups);
    return true;
  };
  const bool straight_legs =
      std::adjacent_find(points.begin(), points.end(), [](GridPoint p, GridPoint q) {
        return p.row != q.row && p.col != q.col;
      }) == points.end();
  if (!straight_legs) {
    for_each_route_cell(route, add);
  } else if (!points.empty()) {
    // A cell's lines do not depend on the order they come in, so a leg
    // across a row is recorded a chunk of the row at a time.
    add(points.front(), PlanCell::kBent);
    for (std::size_t s = 0; s + 1 < points.size(); ++s) {
      const GridPoint p = points[s];
      const GridPoint q = points[s + 1];
      if (p == q) continue;
      if (p.row == q.row) {
        const std::uint64_t end = std::min(std::max(p.col, q.col), cells.width());
        for (std::uint64_t col = std::min(p.col, q.col) + 1; p.row < cells.height() && col < end;) {
          const std::uint64_t stop = std::min(end, PlanCells::chunk_end(col));
          PlanCell* run = &cells.edit(p.row, col);
          for (std::uint64_t k = col; k < stop; ++k) add_line(run[k - col], PlanCell::kAcross, groups);
          col = stop;
        }
      } else {
        const std::uint64_t end = std::max(p.row, q.row);
        for (std::uint64_t row = std::min(p.row, q.row) + 1; row < end; ++row) {
          add({row, p.col}, PlanCell::kAlong);
        }
      }
      add(q, PlanCell::kBent);
    }
  }
  if (route.points.empty()) return;
  const GridPoint first = route.points.front();
  const GridPoint last = route.points.back();
  if (route.arrow_at_end && cells.contains(last.row, last.col)) {
    cells.edit(last.row, last.col).what |= PlanCell::kArrow;
  }
  if (route.arrow_at_start && cells.contains(first.row, first.col)) {
    cells.edit(first.row, first.col).what |= PlanCell::kArrow;
  }
}

void uncommit_routes(PlanCells& cells, std::span<const EdgeRoute> routes,
                     std::span<const RouteGroups> groups, std::span<const std::size_t> removed) {
  const auto key = [&](GridPoint p) { return p.row * cells.width() + p.col; };
  // The cells the removed routes pass, and the rectangle around them.
  std::vector<std::uint64_t> gone;
  std::uint64_t top = ~std::uint64_t{0}, bottom = 0, left = ~std::uint64_t{0}, right = 0;
  for (const std::size_t r : removed) {
    for_each_route_cell(routes[r], [&](GridPoint p, std::uint8_t) {
      if (!cells.contains(p.row, p.col)) return true;
      gone.push_back(key(p));
      top = std::min(top, p.row);
      bottom = std::max(bottom, p.row);
      left = std::min(left, p.col);
      right = std::max(right, p.col);
      return true;
    });
  }
  if (gone.empty()) return;
  std::sort(gone.begin(), gone.end());
  gone.erase(std::unique(gone.begin(), gone.end()), gone.end());
  const auto is_gone = [&](GridPoint p) {
    return cells.contains(p.row, p.col) && std::binary_search(gone.begin(), gone.end(), key(p));
  };
  // Those cells keep only what no route put there, then take the lines and
  // arrowheads of every other route again.
  constexpr std::uint8_t kRouteMarks = PlanCell::kLines | PlanCell::kArrow;
  for (const std::uint64_t k : gone) {
    PlanCell& c = cells.edit(k / cells.width(), k % cells.width());
    c.what &= static_cast<std::uint8_t>(~kRouteMarks);
    c.tail_group = 0;
    c.head_group = 0;
  }
  std::vector<bool> skip(routes.size(), false);
  for (const std::size_t r : removed) skip[r] = true;
  for (std::size_t r = 0; r < routes.size(); ++r) {
    const EdgeRoute& route = routes[r];
    if (skip[r] || route.points.empty()) continue;
    std::uint64_t r_top = ~std::uint64_t{0}, r_bottom = 0, r_left = ~std::uint64_t{0}, r_right = 0;
    for (const GridPoint& p : route.points) {
      r_top = std::min(r_top, p.row);
      r_bottom = std::max(r_bottom, p.row);
      r_left = std::min(r_left, p.col);
      r_right = std::max(r_right, p.col);
    }
    if (r_bottom < top || r_top > bottom || r_right < left || r_left > right) continue;
    for_each_route_cell(route, [&](GridPoint p, std::uint8_t usage) {
      if (is_gone(p)) add_line(cells.edit(p.row, p.col), usage, groups[r]);
      return true;
    });
    if (route.arrow_at_end && is_gone(route.points.back())) {
      cells.edit(route.points.back().row, route.points.back().col).what |= PlanCell::kArrow;
    }
    if (route.arrow_at_start && is_gone(route.points.front())) {
      cells.edit(route.points.front().row, route.points.front().col).what |= PlanCell::kArrow;
    }
  }
}

std::vector<GridPoint> route_conflicts(const PlanCells& cells, const EdgeRoute& route,
                                       RouteGroups groups) {
  std::vector<GridPoint> out;
  if (route.points.empty()) return out;
  const GridPoint first = route.points.front();
  const GridPoint last = route.points.back();
  for_each_route_cell(route, [&](GridPoint p, std::uint8_t usage) {
    if (!cells.contains(p.row, p.col)) return true;
    bool fits;
    if (p == first) {
      fits = port_usable(cells, p, groups, true, route.arrow_at_start);
    } else if (p == last) {
      fits = port_usable(cells, p, groups, false, route.arrow_at_end);
    } else {
      bool shared = false, crossing = false;
      fits = usable(cells.at(p.row, p.col), usage, groups, shared, crossing);
    }
    if (!fits) out.push_back(p);
    return true;
  });
  return out;
}

std::optional<EdgeRoute> search_route(const PlanCells& cells, std::span<const RoutePort> from,
                                      std::span<const RoutePort> to, RouteGroups groups,
                                      RouteArrows arrows, SearchWindow w,
                                      SearchBuffers& buffers, std::uint32_t* cost_out) {
  w.bottom = std::min(w.bottom, cells.height() - 1);
  w.right = std::min(w.right, cells.width() - 1);
  buffers.visited = 0;
  buffers.walled = false;
  if (cells.height() == 0 || cells.width() == 0 || w.top > w.bottom || w.left > w.right) {
    return std::nullopt;
  }
  const std::uint64_t rows = w.bottom - w.top + 1;
  const std::uint64_t cols = w.right - w.left + 1;
  if (rows * cols > kMaxWindowCells) return std::nullopt;
  const auto inside = [&](GridPoint p) {
    return p.row >= w.top && p.row <= w.bottom && p.col >= w.left && p.col <= w.right;
  };
  const auto index = [&](GridPoint p) {
    return static_cast<std::uint32_t>((p.row - w.top) * cols + (p.col - w.left));
  };
  // Cell states of earlier searches are told apart by their number.
  const auto area = static_cast<std::size_t>(rows * cols);
  if (buffers.capacity < area) {
    // Grown at least twofold, so that windows widening one search after
    // another cost a few allocations, not one each.
    const std::size_t grown =
        std::max(area, std::min(buffers.capacity * 2, static_cast<std::size_t>(kMaxWindowCells)));
    buffers.cells.reset(static_cast<SearchBuffers::Cell*>(std::calloc(grown, sizeof(SearchBuffers::Cell))));
    buffers.capacity = buffers.cells ? grown : 0;
    if (!buffers.cells) return std::nullopt;
  }
  if (++buffers.search == 0) {
    std::memset(static_cast<void*>(buffers.cells.get()), 0, buffers.capacity * sizeof(SearchBuffers::Cell));
    buffers.search = 1;
  }
  const std::uint32_t now = buffers.search;
  // What each window cell allows, worked out on first sight.
  enum Mode : std::uint8_t {
    kUnknown, kFree, kNear, kShared, kAcrossOnly, kAlongOnly, kOverLines, kBlocked
  };
  const auto touch = [&](std::uint32_t cell) -> SearchBuffers::Cell& {
    SearchBuffers::Cell& c = buffers.cells[cell];
    if (c.search != now) {
      c.search = now;
      c.target = 0;
      c.mode = kUnknown;
      c.start = false;
      std::fill(std::begin(c.cost), std::end(c.cost), kUnreached);
      std::fill(std::begin(c.came_from), std::end(c.came_from), kNowhere);
    }
    return c;
  };
  const auto cost_of = [&](std::uint32_t state) -> std::uint32_t& {
    return buffers.cells[state / 4].cost[state % 4];
  };
  const auto came_from = [&](std::uint32_t state) -> std::uint8_t& {
    return buffers.cells[state / 4].came_from[state % 4];
  };

  // Targets by cell, and the rectangle they span for the estimate.
  std::uint64_t t_top = ~std::uint64_t{0}, t_bottom = 0, t_left = ~std::uint64_t{0}, t_right = 0;
  for (const RoutePort& port : to) {
    if (!inside(port.cell) || !port_usable(cells, port.cell, groups, false, arrows.at_end)) {
      continue;
    }
    std::uint32_t& slot = touch(index(port.cell)).target;
    if (slot == 0 || to[slot - 1].cost > port.cost) {
      slot = static_cast<std::uint32_t>(&port - to.data()) + 1;
    }
    t_top = std::min(t_top, port.cell.row);
    t_bottom = std::max(t_bottom, port.cell.row);
    t_left = std::min(t_left, port.cell.col);
    t_right = std::max(t_right, port.cell.col);
  }
  if (t_top > t_bottom) return std::nullopt;
  const auto estimate = [&](GridPoint p) -> std::uint32_t {
    const std::uint64_t dr = p.row < t_top ? t_top - p.row : (p.row > t_bottom ? p.row - t_bottom : 0);
    const std::uint64_t dc = p.col < t_left ? t_left - p.col : (p.col > t_right ? p.col - t_right : 0);
    // Weighted towards the goal: a little longer route for far less search.
    return static_cast<std::uint32_t>(std::min<std::uint64_t>((dr + dc) * kGreedyStep, 1u << 30));
  };
  const auto point_of = [&](std::uint32_t cell) {
    return GridPoint{w.top + cell / cols, w.left + cell % cols};
  };
  const auto mode_of = [&](std::uint32_t cell) -> std::uint8_t {
    std::uint8_t& m = touch(cell).mode;
    if (m != kUnknown) return m;
    const GridPoint p = point_of(cell);
    const PlanCell c = cells.at(p.row, p.col);
    bool shared = false, crossing = false;
    if (usable(c, PlanCell::kBent, groups, shared, crossing)) {
      m = shared ? kShared : (c.what & PlanCell::kNearBox) ? kNear : kFree;
    } else if (usable(c, PlanCell::kAcross, groups, shared, crossing)) {
      m = kAcrossOnly;
    } else if (usable(c, PlanCell::kAlong, groups, shared, crossing)) {
      m = kAlongOnly;
    } else if (buffers.over_lines != 0 &&
               !(c.what & (PlanCell::kBox | PlanCell::kLabel | PlanCell::kArrow))) {
      m = kOverLines;
    } else {
      m = kBlocked;
    }
    return m;
  };
  using Entry = SearchBuffers::Entry;
  std::vector<Entry>& heap = buffers.entries;
  heap.clear();
  const auto push = [&](std::uint32_t state, std::uint32_t g, std::uint64_t row, std::uint64_t col) {
    heap.push_back({g + estimate({row, col}), g, state});
    std::push_heap(heap.begin(), heap.end(), std::greater<>());
  };
  for (const RoutePort& port : from) {
    if (inside(port.cell) && port_usable(cells, port.cell, groups, true, arrows.at_start)) {
      touch(index(port.cell)).start = true;
    }
  }
  // A route runs straight from its start port, and straight into its
  // target, through every cell in line with the port up to the first one
  // where it may turn. When other lines that it can only cross wall in
  // every target, or every start, there is no route, and the search would
  // comb the whole window to learn it.
  enum class Way : std::uint8_t { Open, Walled, PastWindow };
  const auto in_the_open = [&](const RoutePort& port) {
    const Toward away = opposite(port.into);
    const bool across = horizontal(away);
    GridPoint p = port.cell;
    while (true) {
      switch (away) {
        case Toward::Up: if (p.row == w.top) return Way::PastWindow; --p.row; break;
        case Toward::Down: if (p.row == w.bottom) return Way::PastWindow; ++p.row; break;
        case Toward::Left: if (p.col == w.left) return Way::PastWindow; --p.col; break;
        case Toward::Right: if (p.col == w.right) return Way::PastWindow; ++p.col; break;
      }
      const std::uint32_t cell = index(p);
      const SearchBuffers::Cell& c = touch(cell);
      if (c.start || c.target != 0) return Way::Open;
      switch (mode_of(cell)) {
        case kFree: case kNear: case kShared: case kOverLines: return Way::Open;
        case kAcrossOnly: if (!across) return Way::Walled; break;
        case kAlongOnly: if (across) return Way::Walled; break;
        default: return Way::Walled;
      }
    }
  };
  // Open when one port is; walled when every port is walled in.
  const auto ways = [&](std::span<const RoutePort> ports, bool start) {
    Way way = Way::Walled;
    for (const RoutePort& port : ports) {
      if (!inside(port.cell)) continue;
      const SearchBuffers::Cell& c = touch(index(port.cell));
      if (start ? !c.start : c.target != static_cast<std::uint32_t>(&port - ports.data()) + 1) {
        continue;
      }
      const Way here = c.start && c.target != 0 ? Way::Open : in_the_open(port);
      if (here == Way::Open) return here;
      if (here == Way::PastWindow) way = here;
    }
    return way;
  };
  const Way into_targets = ways(to, false);
  const Way out_of_starts = into_targets == Way::Open ? ways(from, true) : Way::Open;
  if (into_targets != Way::Open || out_of_starts != Way::Open) {
    buffers.walled = into_targets == Way::Walled || out_of_starts == Way::Walled;
    return std::nullopt;
  }
  // A state is a cell and the direction the route moves in when it leaves
  // that cell's predecessor (for a port: away from the box).
  for (const RoutePort& port : from) {
    if (!inside(port.cell) || !port_usable(cells, port.cell, groups, true, arrows.at_start)) {
      continue;
    }
    const std::uint32_t state = index(port.cell) * 4 + static_cast<std::uint32_t>(opposite(port.into));
    touch(state / 4);
    if (port.cost < cost_of(state)) {
      cost_of(state) = port.cost;
      push(state, port.cost, port.cell.row, port.cell.col);
    }
  }
  std::optional<std::pair<std::uint32_t, RoutePort>> best;  // final state, port
  std::uint32_t best_cost = kUnreached;
  std::size_t& visited = buffers.visited;
  visited = 0;
  bool first_found = buffers.first_found;
  buffers.went_on = false;
  while (!heap.empty() && !(best && first_found)) {
    if (must_stop(buffers.stop)) break;
    if (++visited == buffers.visit_limit) {
      if (best || buffers.went_on || buffers.then_any_limit <= visited) break;
      buffers.went_on = true;
      first_found = true;
      buffers.visit_limit = buffers.then_any_limit;
    }
    std::pop_heap(heap.begin(), heap.end(), std::greater<>());
    const Entry top = heap.back();
    heap.pop_back();
    if (top.f >= best_cost) break;
    const std::uint32_t state = top.state;
    const std::uint32_t cost = top.g;
    if (cost != cost_of(state)) continue;  // stale
    const std::uint32_t cell = state / 4;
    const std::uint64_t r = cell / cols;
    const std::uint64_t c = cell - r * cols;
    const auto heading = static_cast<Toward>(state % 4);
    const bool at_start = came_from(state) == kNowhere;
    const std::uint8_t here = at_start ? std::uint8_t{kFree} : mode_of(cell);
    for (const Toward next : {Toward::Up, Toward::Down, Toward::Left, Toward::Right}) {
      if (next == opposite(heading)) continue;
      const bool straight = next == heading;
      // How this cell is used when the route leaves it towards `next`.
      std::uint32_t step_cost = kStep;
      if (at_start) {
        if (!straight) continue;  // a route leaves its box straight
      } else {
        switch (here) {
          case kShared: step_cost = kSharedStep; break;
          case kNear: step_cost += kNearBox; break;
          case kAcrossOnly:
            if (!straight || !horizontal(next)) continue;
            step_cost += kCross;
            break;
          case kAlongOnly:
            if (!straight || horizontal(next)) continue;
            step_cost += kCross;
            break;
          case kOverLines: step_cost += buffers.over_lines; break;
          default: break;
        }
        if (!straight) step_cost += kBend;
      }
      std::uint64_t qr = r, qc = c;
      switch (next) {
        case Toward::Up: if (r == 0) continue; --qr; break;
        case Toward::Down: if (r + 1 == rows) continue; ++qr; break;
        case Toward::Left: if (c == 0) continue; --qc; break;
        case Toward::Right: if (c + 1 == cols) continue; ++qc; break;
      }
      const auto q_cell = static_cast<std::uint32_t>(qr * cols + qc);
      const std::uint32_t q_cost = cost + step_cost;
      const std::uint32_t q_state = q_cell * 4 + static_cast<std::uint32_t>(next);
      const std::uint32_t target = touch(q_cell).target;
      if (target != 0 && to[target - 1].into == next) {
        const std::uint32_t total = q_cost + to[target - 1].cost;
        if (total < best_cost) {
          best_cost = total;
          came_from(q_state) = static_cast<std::uint8_t>(state % 4);
          best = {q_state, to[target - 1]};
          if (first_found) break;
        }
      }
      if (mode_of(q_cell) == kBlocked) continue;
      if (q_cost < cost_of(q_state)) {
        cost_of(q_state) = q_cost;
        came_from(q_state) = static_cast<std::uint8_t>(state % 4);
        push(q_state, q_cost, w.top + qr, w.left + qc);
      }
    }
  }
  if (!best) return std::nullopt;
  if (cost_out) *cost_out = best_cost;
  // Walk back, keeping the corners.
  std::vector<GridPoint> cells_back;
  std::vector<Toward> headings;
  std::uint32_t cell = best->first / 4;
  auto heading = static_cast<Toward>(best->first % 4);
  while (true) {
    cells_back.push_back(point_of(cell));
    headings.push_back(heading);
    const std::uint8_t before = buffers.cells[cell].came_from[static_cast<std::uint8_t>(heading)];
    if (before == kNowhere) break;
    // Back one step against the heading it arrived in.
    switch (heading) {
      case Toward::Up: cell += static_cast<std::uint32_t>(cols); break;
      case Toward::Down: cell -= static_cast<std::uint32_t>(cols); break;
      case Toward::Left: cell += 1; break;
      case Toward::Right: cell -= 1; break;
    }
    heading = static_cast<Toward>(before);
  }
  EdgeRoute route;
  route.arrow_at_start = arrows.at_start;
  route.arrow_at_end = arrows.at_end;
  route.end_into = best->second.into;
  const std::size_t n = cells_back.size();
  // cells_back[n - 1] is the start; its heading is away from the tail box.
  route.start_into = opposite(headings[n - 1]);
  route.points.push_back(cells_back[n - 1]);
  for (std::size_t i = n - 1; i-- > 0;) {
    // A corner where the heading into this cell differs from the next one.
    if (i > 0 && headings[i] != headings[i - 1]) route.points.push_back(cells_back[i]);
  }
  if (n > 1) route.points.push_back(cells_back[0]);
  return route;
}

}  // namespace vantri
