// A* over the free cells of a window, and recording routes.
#include "render_edges/route_search.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <unordered_map>

namespace vantri {
namespace {

constexpr std::uint32_t kStep = 10;
constexpr std::uint32_t kSharedStep = 6;
constexpr std::uint32_t kCross = 30;
constexpr std::uint32_t kBend = 25;
constexpr std::uint32_t kUnreached = std::numeric_limits<std::uint32_t>::max();

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

GridPoint moved(GridPoint p, Toward d) {
  switch (d) {
    case Toward::Up: return {p.row - 1, p.col};
    case Toward::Down: return {p.row + 1, p.col};
    case Toward::Left: return {p.row, p.col - 1};
    case Toward::Right: return {p.row, p.col + 1};
  }
  return p;
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
  if (route.points.empty()) return false;
  const GridPoint first = route.points.front();
  const GridPoint last = route.points.back();
  bool ok = true;
  for_each_route_cell(route, [&](GridPoint p, std::uint8_t usage) {
    if (!ok) return;
    if (!cells.contains(p.row, p.col)) {
      ok = false;
      return;
    }
    if (p == first || p == last) {
      ok = p == first ? port_usable(cells, p, groups, true, route.arrow_at_start)
                      : port_usable(cells, p, groups, false, route.arrow_at_end);
      return;
    }
    bool shared = false, crossing = false;
    ok = usable(cells.at(p.row, p.col), usage, groups, shared, crossing);
  });
  return ok;
}

void commit_route(PlanCells& cells, const EdgeRoute& route, RouteGroups groups) {
  const auto record = [&](GridPoint p, std::uint8_t usage) {
    if (!cells.contains(p.row, p.col)) return;
    PlanCell& c = cells.edit(p.row, p.col);
    if ((c.what & (PlanCell::kLines | PlanCell::kArrow)) == 0) {
      c.tail_group = groups.tail;
      c.head_group = groups.head;
    } else {
      if (c.tail_group != groups.tail) c.tail_group = PlanCell::kMixed;
      if (c.head_group != groups.head) c.head_group = PlanCell::kMixed;
    }
    c.what |= usage;
  };
  for_each_route_cell(route, record);
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

std::optional<EdgeRoute> search_route(const PlanCells& cells, std::span<const RoutePort> from,
                                      std::span<const RoutePort> to, RouteGroups groups,
                                      RouteArrows arrows, SearchWindow w,
                                      SearchBuffers& buffers, std::uint32_t* cost_out) {
  w.bottom = std::min(w.bottom, cells.height() - 1);
  w.right = std::min(w.right, cells.width() - 1);
  if (cells.height() == 0 || cells.width() == 0 || w.top > w.bottom || w.left > w.right) {
    return std::nullopt;
  }
  const std::uint64_t rows = w.bottom - w.top + 1;
  const std::uint64_t cols = w.right - w.left + 1;
  if (rows * cols > (std::uint64_t{1} << 26) / 4) return std::nullopt;
  const auto inside = [&](GridPoint p) {
    return p.row >= w.top && p.row <= w.bottom && p.col >= w.left && p.col <= w.right;
  };
  const auto index = [&](GridPoint p) {
    return static_cast<std::uint32_t>((p.row - w.top) * cols + (p.col - w.left));
  };
  const std::size_t states = static_cast<std::size_t>(rows * cols * 4);
  buffers.cost.assign(states, kUnreached);
  buffers.previous.assign(states, kUnreached);
  buffers.heap.clear();

  // Targets by cell, and the rectangle they span for the estimate.
  std::unordered_map<std::uint32_t, RoutePort> targets;
  std::uint64_t t_top = ~std::uint64_t{0}, t_bottom = 0, t_left = ~std::uint64_t{0}, t_right = 0;
  for (const RoutePort& port : to) {
    if (!inside(port.cell) || !port_usable(cells, port.cell, groups, false, arrows.at_end)) {
      continue;
    }
    targets.emplace(index(port.cell), port);
    t_top = std::min(t_top, port.cell.row);
    t_bottom = std::max(t_bottom, port.cell.row);
    t_left = std::min(t_left, port.cell.col);
    t_right = std::max(t_right, port.cell.col);
  }
  if (targets.empty()) return std::nullopt;
  const auto estimate = [&](GridPoint p) -> std::uint32_t {
    const std::uint64_t dr = p.row < t_top ? t_top - p.row : (p.row > t_bottom ? p.row - t_bottom : 0);
    const std::uint64_t dc = p.col < t_left ? t_left - p.col : (p.col > t_right ? p.col - t_right : 0);
    return static_cast<std::uint32_t>(std::min<std::uint64_t>((dr + dc) * kSharedStep, 1u << 30));
  };
  const auto point_of = [&](std::uint32_t cell) {
    return GridPoint{w.top + cell / cols, w.left + cell % cols};
  };
  const auto push = [&](std::uint32_t state, std::uint32_t cost) {
    buffers.heap.emplace_back(cost + estimate(point_of(state / 4)), state);
    std::push_heap(buffers.heap.begin(), buffers.heap.end(), std::greater<>());
  };
  // A state is a cell and the direction the route moves in when it leaves
  // that cell's predecessor (for a port: away from the box).
  for (const RoutePort& port : from) {
    if (!inside(port.cell) || !port_usable(cells, port.cell, groups, true, arrows.at_start)) {
      continue;
    }
    const std::uint32_t state = index(port.cell) * 4 + static_cast<std::uint32_t>(opposite(port.into));
    if (port.cost < buffers.cost[state]) {
      buffers.cost[state] = port.cost;
      push(state, port.cost);
    }
  }
  std::optional<std::pair<std::uint32_t, RoutePort>> best;  // final state, port
  std::uint32_t best_cost = kUnreached;
  while (!buffers.heap.empty()) {
    std::pop_heap(buffers.heap.begin(), buffers.heap.end(), std::greater<>());
    const auto [f, state] = buffers.heap.back();
    buffers.heap.pop_back();
    if (f >= best_cost) break;
    const std::uint32_t cost = buffers.cost[state];
    if (cost == kUnreached || cost + estimate(point_of(state / 4)) != f) continue;  // stale
    const GridPoint p = point_of(state / 4);
    const auto heading = static_cast<Toward>(state % 4);
    const bool at_start = buffers.previous[state] == kUnreached;
    for (const Toward next : {Toward::Up, Toward::Down, Toward::Left, Toward::Right}) {
      if (next == opposite(heading)) continue;
      // How this cell is used when the route leaves it towards `next`.
      std::uint32_t step_cost = kStep;
      if (!at_start) {
        const std::uint8_t usage =
            next != heading ? PlanCell::kBent : (horizontal(next) ? PlanCell::kAcross : PlanCell::kAlong);
        bool shared = false, crossing = false;
        if (!usable(cells.at(p.row, p.col), usage, groups, shared, crossing)) continue;
        if (shared) step_cost = kSharedStep;
        if (crossing) step_cost += kCross;
        if (next != heading) step_cost += kBend;
      } else if (next != heading) {
        continue;  // a route leaves its box straight
      }
      if ((next == Toward::Up && p.row == w.top) || (next == Toward::Down && p.row == w.bottom) ||
          (next == Toward::Left && p.col == w.left) || (next == Toward::Right && p.col == w.right)) {
        continue;
      }
      const GridPoint q = moved(p, next);
      const std::uint32_t q_cell = index(q);
      const std::uint32_t q_cost = cost + step_cost;
      const auto target = targets.find(q_cell);
      if (target != targets.end() && target->second.into == next) {
        const std::uint32_t total = q_cost + target->second.cost;
        if (total < best_cost) {
          best_cost = total;
          const std::uint32_t q_state = q_cell * 4 + static_cast<std::uint32_t>(next);
          buffers.previous[q_state] = state;
          best = {q_state, target->second};
        }
      }
      const PlanCell qc = cells.at(q.row, q.col);
      if (qc.what & (PlanCell::kBox | PlanCell::kLabel | PlanCell::kArrow)) continue;
      const std::uint32_t q_state = q_cell * 4 + static_cast<std::uint32_t>(next);
      if (q_cost < buffers.cost[q_state]) {
        buffers.cost[q_state] = q_cost;
        buffers.previous[q_state] = state;
        push(q_state, q_cost);
      }
    }
  }
  if (!best) return std::nullopt;
  if (cost_out) *cost_out = best_cost;
  // Walk back, keeping the corners.
  std::vector<GridPoint> cells_back;
  std::uint32_t state = best->first;
  std::vector<Toward> headings;
  while (state != kUnreached) {
    cells_back.push_back(point_of(state / 4));
    headings.push_back(static_cast<Toward>(state % 4));
    state = buffers.previous[state];
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
