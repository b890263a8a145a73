// The route search against a plain Dijkstra over the same cells.
#include "render_edges/route_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <queue>
#include <random>
#include <string>
#include <vector>

namespace vantri {
namespace {

constexpr std::uint64_t kWidth = 22, kHeight = 14;
constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

GridPoint next_cell(GridPoint p, Toward d) {
  switch (d) {
    case Toward::Up: return {p.row - 1, p.col};
    case Toward::Down: return {p.row + 1, p.col};
    case Toward::Left: return {p.row, p.col - 1};
    case Toward::Right: return {p.row, p.col + 1};
  }
  return p;
}

bool on_canvas(GridPoint p, Toward d) {
  return !((d == Toward::Up && p.row == 0) || (d == Toward::Down && p.row + 1 == kHeight) ||
           (d == Toward::Left && p.col == 0) || (d == Toward::Right && p.col + 1 == kWidth));
}

// The cheapest route by Dijkstra over (cell, heading) on free cells: a
// step costs `step`, a turn `bend` more, the ports their own cost; a route
// leaves its start straight and enters a target moving into its box. It
// also says whether its cheapest route passes one of its port cells twice,
// which the search never allows.
struct Cheapest {
  std::uint32_t cost = kNone;
  bool passes_a_port_twice = false;
};

Cheapest dijkstra(const std::vector<bool>& blocked, std::span<const RoutePort> from,
                  std::span<const RoutePort> to, const PlannerLimits& limits) {
  const auto id = [](GridPoint p, Toward d) {
    return static_cast<std::uint32_t>((p.row * kWidth + p.col) * 4 + static_cast<unsigned>(d));
  };
  std::vector<std::uint32_t> cost(kWidth * kHeight * 4, kNone), back(cost.size(), kNone);
  using Item = std::pair<std::uint32_t, std::uint32_t>;
  std::priority_queue<Item, std::vector<Item>, std::greater<>> queue;
  std::vector<bool> starts(cost.size(), false);
  for (const RoutePort& p : from) {
    const std::uint32_t s = id(p.cell, opposite(p.into));
    starts[s] = true;
    if (p.cost < cost[s]) queue.push({cost[s] = p.cost, s});
  }
  Cheapest best;
  std::uint32_t best_state = kNone, best_end = kNone;
  while (!queue.empty()) {
    const auto [g, s] = queue.top();
    queue.pop();
    if (g != cost[s] || g >= best.cost) continue;
    const GridPoint p{s / 4 / kWidth, s / 4 % kWidth};
    const auto heading = static_cast<Toward>(s % 4);
    for (const Toward d : {Toward::Up, Toward::Down, Toward::Left, Toward::Right}) {
      if (d == opposite(heading) || (starts[s] && d != heading) || !on_canvas(p, d)) continue;
      const GridPoint q = next_cell(p, d);
      const std::uint32_t qg = g + limits.step + (d == heading ? 0 : limits.bend);
      for (const RoutePort& t : to) {
        if (t.cell == q && t.into == d && qg + t.cost < best.cost) {
          best.cost = qg + t.cost;
          best_state = s;
          best_end = id(q, d);
        }
      }
      if (blocked[q.row * kWidth + q.col]) continue;
      const std::uint32_t qs = id(q, d);
      if (qg < cost[qs]) {
        back[qs] = s;
        queue.push({cost[qs] = qg, qs});
      }
    }
  }
  if (best.cost == kNone) return best;
  // Walk the cheapest route back, counting its visits to port cells.
  std::vector<int> seen(kWidth * kHeight, 0);
  ++seen[best_end / 4];
  for (std::uint32_t s = best_state; s != kNone; s = back[s]) ++seen[s / 4];
  for (const auto* ports : {&from, &to}) {
    for (const RoutePort& p : *ports) {
      if (seen[p.cell.row * kWidth + p.cell.col] > 1) best.passes_a_port_twice = true;
    }
  }
  return best;
}

std::string show(const std::vector<bool>& blocked, std::span<const RoutePort> from,
                 std::span<const RoutePort> to) {
  std::string out;
  for (std::uint64_t r = 0; r < kHeight; ++r) {
    for (std::uint64_t c = 0; c < kWidth; ++c) {
      char ch = blocked[r * kWidth + c] ? '#' : '.';
      for (const RoutePort& p : from) ch = p.cell == GridPoint{r, c} ? 'S' : ch;
      for (const RoutePort& p : to) ch = p.cell == GridPoint{r, c} ? 'T' : ch;
      out += ch;
    }
    out += '\n';
  }
  return out;
}

// Random walls and ports on a small canvas. With an estimate that never
// overstates what is left (a step's cost per cell), the search from the
// tail and the search from both ends find a route exactly when Dijkstra
// does, at its cost; with the planner's own, greedier estimate they find
// one too, dearer perhaps. Every route found fits the cells and joins a
// start port to a target port.
TEST(RouteSearch, MatchesDijkstraOnRandomGrids) {
  std::mt19937 rng(5);
  const auto pick = [&](std::uint64_t n) {
    return std::uniform_int_distribution<std::uint64_t>(0, n - 1)(rng);
  };
  PlannerLimits exact;
  exact.greedy_step = exact.step;
  PlannerLimits planner;
  SearchScratch forward_scratch, backward_scratch;
  int routes = 0, compared = 0;
  for (int round = 0; round < 400; ++round) {
    PlanCells cells(kWidth, kHeight);
    std::vector<bool> blocked(kWidth * kHeight, false);
    const std::uint64_t walls = pick(60);
    for (std::uint64_t k = 0; k < walls; ++k) {
      const std::uint64_t r = pick(kHeight), c = pick(kWidth);
      const std::uint64_t len = 1 + pick(6);
      const bool across = pick(2) == 0;
      for (std::uint64_t i = 0; i < len; ++i) {
        const std::uint64_t rr = across ? r : std::min(r + i, kHeight - 1);
        const std::uint64_t cc = across ? std::min(c + i, kWidth - 1) : c;
        blocked[rr * kWidth + cc] = true;
        cells.mark(rr, rr, cc, cc, PlanCell::kBox);
      }
    }
    std::vector<RoutePort> from, to;
    for (auto* ports : {&from, &to}) {
      const std::uint64_t n = 1 + pick(3);
      while (ports->size() < n) {
        const GridPoint p{pick(kHeight), pick(kWidth)};
        if (blocked[p.row * kWidth + p.col]) continue;
        ports->push_back({p, static_cast<Toward>(pick(4)), static_cast<std::uint32_t>(pick(4) * 20)});
      }
    }
    const Cheapest cheapest = dijkstra(blocked, from, to, exact);
    const std::string where = "round " + std::to_string(round) + "\n" + show(blocked, from, to);
    SearchRequest ahead;
    ahead.from = from;
    ahead.to = to;
    ahead.window = {0, 0, kWidth - 1, kHeight - 1};
    SearchRequest back = ahead;
    back.from = to;
    back.to = from;
    back.reversed = true;
    for (const PlannerLimits* limits : {&exact, &planner}) {
      const SearchOutcome one = search_route(cells, ahead, *limits, forward_scratch);
      const BothWaysOutcome both =
          search_both_ways(cells, ahead, back, *limits, forward_scratch, backward_scratch);
      for (const SearchOutcome* out : {&one, &both.outcome}) {
        const bool backward = out == &both.outcome && both.backward;
        if (!out->route) {
          // The search never passes a port twice; Dijkstra may need to.
          EXPECT_TRUE(cheapest.cost == kNone || cheapest.passes_a_port_twice) << where;
          continue;
        }
        ++routes;
        ASSERT_NE(cheapest.cost, kNone) << where;
        EdgeRoute r = *out->route;
        if (backward) {
          std::reverse(r.points.begin(), r.points.end());
          std::swap(r.start_into, r.end_into);
        }
        EXPECT_TRUE(route_fits(cells, r, {})) << where;
        const auto is_port = [&](const std::vector<RoutePort>& ports, GridPoint p, Toward into) {
          return std::any_of(ports.begin(), ports.end(),
                             [&](const RoutePort& q) { return q.cell == p && q.into == into; });
        };
        EXPECT_TRUE(is_port(from, r.points.front(), r.start_into)) << where;
        EXPECT_TRUE(is_port(to, r.points.back(), r.end_into)) << where;
        if (cheapest.passes_a_port_twice) continue;
        if (limits == &exact) {
          EXPECT_EQ(out->cost, cheapest.cost) << where << (backward ? "from the head" : "");
          ++compared;
        } else {
          EXPECT_GE(out->cost, cheapest.cost) << where;
        }
      }
    }
  }
  // Most rounds have routes, and most are compared.
  EXPECT_GT(routes, 800);
  EXPECT_GT(compared, 400);
}

}  // namespace
}  // namespace vantri
